#pragma once

#include "invoicedata.h"
#include "pagination.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

// Draws a document on A4 pages with a fixed layout: rows that do not fit on one page
// continue on the next, every page repeats the upper blocks and the table header, and
// only the last page carries the note and the totals.
//
// Units are device pixels of a printer in screen-resolution mode. The entry points only
// prepare the device and open the painter; everything that draws takes the painter, the
// running height `currPageHeight` and the page rectangle (origin at the top-left corner
// of the drawing area), so the same page can be painted onto any device.
class PrinterManager final : public QObject
{
public:
    // Prints the facade's current invoice on `printer`, as a blank form when stampaVuota
    // is set, keeping the output format the printer was given.
    static void printInvoice(QPrinter* printer);
    // Prints `document`, all its pages, on `printer`, keeping its output format.
    static void printDocument(QPrinter* printer, const InvoiceData& document, bool blankForm);
    // Writes `document` as an A4 PDF at `path`. The file appears only whole: on failure
    // (false) nothing is left under that name, and a file already there is kept.
    static bool exportPdf(const QString& path, const InvoiceData& document);

    // A4, whole sheet addressable, document name. Called by printDocument().
    static void setUpPrinter(QPrinter* printer);
    // The drawing area in device pixels, measured from the paper's top-left corner:
    // 50 in from the left and top edges, 30 from the right and bottom ones.
    static QRect drawingArea(const QPrinter* printer);
    static QRect drawingArea(const QSize& paper);

    // The document's pages: its rows measured with the painter's device and shared out.
    static QList<PageSlice> layoutPages(QPainter& painter, const QRect& pageRect, const InvoiceData& document,
                                        bool blankForm);
    // One whole page, on a painter whose origin is the drawing area's top-left corner.
    static void paintPage(QPainter& painter, const QRect& pageRect, const InvoiceData& document,
                          const PageSlice& page, bool blankForm);

    // Header blocks
    static void drawCustomerBlock(QPainter& painter, int& currPageHeight, const InvoiceData& document,
                                  bool blankForm);
    static void drawCompanyHeader(QPainter& painter, const InvoiceData& document);
    static void drawIcon(QPainter& painter, const QString& path, int x, int y);
    static void drawBillingHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                  const InvoiceData& document, const PageSlice& page, bool blankForm);
    static void drawPaymentBlock(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                 const InvoiceData& document, bool blankForm);
    static void drawTransportHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                    const InvoiceData& document, bool blankForm);

    // Line-item table
    // The column rules run down to `rulesBottom`: the footer's top, or a grown note's.
    static void drawTableHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                int rulesBottom = footerTop);
    static void drawHeaderCell(QPainter& painter, int x, int y, int width, int height, const QString& title);
    static void drawLineItems(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                              const InvoiceData& document, const PageSlice& page);

    // Lower part of the page
    static void drawInvoiceNote(QPainter& painter, const QRect& pageRect, const InvoiceData& document,
                                bool blankForm);
    static void drawFooter(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                           const InvoiceData& document, bool blankForm);
    // Where the totals would be, on every page but the last.
    static void drawContinued(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawFrame(QPainter& painter, int& currPageHeight, const QRect& pageRect);
    static void drawConditions(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                               const InvoiceData& document);

    // Drawing helpers shared by the blocks
    static void placeRect(QRect& rect, int x, int y, int width, int height);
    static void drawLine(QPainter& painter, qreal x1, qreal y1, qreal x2, qreal y2);
    static QRect drawBoxedRect(QPainter& painter, int x, int y, int width, int height);
    // A box with its label at the top left and its value centred on the lower edge;
    // labels at labelPointSize - 1 points, values at 9 points.
    static void drawLabelledCell(QPainter& painter, int x, int y, int width, int height, const QString& label,
                                 const QString& value, int labelPointSize, bool bold);

    // Texts and layout arithmetic
    static QString formatDueDates(const QList<InvoiceData::Scadenza>& scadenze);
    static QString conditionsText(const QString& foro);
    static QString printedDescription(const QString& description);
    // "1" on a document of one page, "2 di 3" on the second of three.
    static QString pageNumberText(const PageSlice& page);
    // What the note band prints: the credited invoice of a credit note, then the note.
    static QString noteText(const InvoiceData& document, bool blankForm);
    // The note band's rectangle, font size and flags for this text on this device: one
    // line as it always stood, or as many wrapped lines as the text needs, growing upwards.
    struct NoteBand
    {
        QRect rect;
        int pointSize = 0;
        int flags = 0;
    };
    static NoteBand noteBand(QPainter& painter, const QRect& pageRect, const QString& text);

    static constexpr int leftMargin = 50;
    static constexpr int topMargin = 50;
    static constexpr int rightMargin = 30;
    static constexpr int bottomMargin = 30;
    static constexpr int minimumPageWidth = 713;
    static constexpr int minimumPageHeight = 1040;

    static constexpr int tableTop = 310;
    static constexpr int tableHeaderHeight = 18;
    static constexpr int minimumRowHeight = 18;
    static constexpr int rowGap = 1;
    static constexpr int fitLimit = 712;
    static constexpr int footerTop = 760;
    static constexpr int footerBottom = 987;
    static constexpr int noteTop = 720;
    static constexpr int noteHeight = 20;
    // Between the last row and the note, as between the fit limit and the one-line note.
    static constexpr int noteClearance = noteTop - fitLimit;

private:
    PrinterManager() = default;
    Q_DISABLE_COPY_MOVE(PrinterManager)
    static bool paintDocument(QPagedPaintDevice& device, const QRect& area, const InvoiceData& document,
                              bool blankForm);
};
