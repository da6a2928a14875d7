#pragma once

#include "invoice.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QPainter;
class QPrinter;

// Draws the current invoice of the model facade as one A4 page with a fixed layout.
//
// Units are device pixels of a printer in screen-resolution mode. printInvoice() only
// prepares the printer and opens the painter; everything that draws takes the painter,
// the running height `currPageHeight` and the page rectangle (origin at the top-left
// corner of the drawing area), so the same page can be painted onto any device.
class PrinterManager final : public QObject
{
public:
    // Prints the current invoice on `printer`, keeping the output format it was given.
    static void printInvoice(QPrinter* printer);

    // A4, whole sheet addressable, document name. Called by printInvoice().
    static void setUpPrinter(QPrinter* printer);
    // The drawing area in device pixels, measured from the paper's top-left corner:
    // 50 in from the left and top edges, 30 from the right and bottom ones.
    static QRect drawingArea(const QPrinter* printer);
    // The whole page, on a painter whose origin is the drawing area's top-left corner.
    static void paintPage(QPainter& painter, const QRect& pageRect);

    // Header blocks
    static void drawCustomerBlock(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawCompanyHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawIcon(QPainter& painter, const QString& path, int x, int y);
    static void drawBillingHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawPaymentBlock(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawTransportHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect);

    // Line-item table
    static void drawTableHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawHeaderCell(QPainter& painter, int x, int y, int width, int height, const QString& title);
    static void drawLineItems(QPainter& painter, int& currPageHeight, const QRect& pageRect, int itemLimit);

    // Lower part of the page
    static void drawInvoiceNote(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawFooter(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawFrame(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawConditions(QPainter& painter, int& currPageHeight, const QRect& pageRect);

    // Drawing helpers shared by the blocks
    static void placeRect(QRect& rect, int x, int y, int width, int height);
    static void drawLine(QPainter& painter, qreal x1, qreal y1, qreal x2, qreal y2);
    static QRect drawBoxedRect(QPainter& painter, int x, int y, int width, int height);
    // A box with its label at the top left and its value centred on the lower edge;
    // labels at labelPointSize - 1 points, values at 9 points.
    static void drawLabelledCell(QPainter& painter, int x, int y, int width, int height, const QString& label,
                                 const QString& value, int labelPointSize, bool bold);

    // Texts and layout arithmetic
    static QString formatDueDates(const QList<Scadenza>& scadenze);
    static QString conditionsText(const QString& foro);
    static QString printedDescription(const QString& description);
    // How many rows of these heights fit in the table when the first starts at `top`:
    // rows stop at the item limit, and no row may end below the fit limit.
    static int fittingRows(int top, const QList<int>& rowHeights, int itemLimit);

    static constexpr int leftMargin = 50;
    static constexpr int topMargin = 50;
    static constexpr int rightMargin = 30;
    static constexpr int bottomMargin = 30;
    static constexpr int minimumPageWidth = 713;
    static constexpr int minimumPageHeight = 1040;

    static constexpr int tableHeaderHeight = 18;
    static constexpr int minimumRowHeight = 18;
    static constexpr int rowGap = 1;
    static constexpr int fitLimit = 712;
    static constexpr int maxLineItems = 20;
    static constexpr int footerTop = 760;
    static constexpr int footerBottom = 987;
    static constexpr int noteTop = 720;

private:
    PrinterManager() = default;
    Q_DISABLE_COPY_MOVE(PrinterManager)
};
