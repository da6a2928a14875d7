#include "printermanager.h"

#include "documentfromfacade.h"
#include "modelfacade.h"
#include "stampavuota.h"

#include <QBrush>
#include <QColor>
#include <QDebug>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <QSaveFile>

namespace {

const QString documentName = QStringLiteral("Fattura accompagnatoria");

// The layout is drawn in pixels of a 96 dpi screen; a PDF is written at that resolution
// whatever the screen of the machine, so that the A4 sheet holds the whole layout.
constexpr int pdfResolution = 96;

} // namespace

void PrinterManager::setUpPrinter(QPrinter* printer)
{
    // Qt 6 takes page margins only in physical units, and rounding them from points cuts
    // a pixel or two off the page rectangle the layout was drawn for. The whole sheet is
    // made addressable instead, and the painter is moved in by the margins.
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setFullPage(true);
    printer->setDocName(documentName);
}

QRect PrinterManager::drawingArea(const QPrinter* printer)
{
    return drawingArea(printer->paperRect(QPrinter::DevicePixel).toRect().size());
}

QRect PrinterManager::drawingArea(const QSize& paper)
{
    return QRect(leftMargin, topMargin, paper.width() - leftMargin - rightMargin,
                 paper.height() - topMargin - bottomMargin);
}

void PrinterManager::printInvoice(QPrinter* printer)
{
    if (!printer)
        return;
    printDocument(printer, documentFromFacade(*ModelFacade::instance()), stampaVuota);
}

void PrinterManager::printDocument(QPrinter* printer, const InvoiceData& document, bool blankForm)
{
    if (!printer)
        return;
    // The output format is left as it came: the print dialog may have chosen a file.
    setUpPrinter(printer);
    paintDocument(*printer, drawingArea(printer), document, blankForm);
}

bool PrinterManager::exportPdf(const QString& path, const InvoiceData& document)
{
    // Written beside the final name and renamed over it once complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "PDF not written:" << path << file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(pdfResolution);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QStringLiteral("%1 N. %2").arg(document.docType).arg(document.number));
        writer.setCreator(QStringLiteral("Quillbook"));
        const QSize paper = writer.pageLayout().fullRectPixels(pdfResolution).size();
        painted = paintDocument(writer, drawingArea(paper), document, false);
    }
    if (!painted) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qWarning() << "PDF not written:" << path << file.errorString();
        return false;
    }
    return true;
}

bool PrinterManager::paintDocument(QPagedPaintDevice& device, const QRect& area, const InvoiceData& document,
                                   bool blankForm)
{
    qDebug() << "page size" << area;
    if (area.width() < minimumPageWidth || area.height() < minimumPageHeight)
        qWarning() << "page area" << area.size() << "smaller than the layout needs, the edges will be cut";

    QPainter painter;
    if (!painter.begin(&device)) {
        qWarning("failed to open file, is it writable?");
        return false;
    }
    painter.translate(area.topLeft());
    const QRect pageRect(QPoint(0, 0), area.size());
    const QList<PageSlice> pages = layoutPages(painter, pageRect, document, blankForm);
    for (const PageSlice& page : pages) {
        if (page.pageNumber > 1 && !device.newPage()) {
            qWarning() << "page" << page.pageNumber << "of" << page.pageCount << "could not be started";
            painter.end();
            return false;
        }
        paintPage(painter, pageRect, document, page, blankForm);
    }
    return painter.end();
}

void PrinterManager::paintPage(QPainter& painter, const QRect& pageRect, const InvoiceData& document,
                               const PageSlice& page, bool blankForm)
{
    int currPageHeight = 0;

    // The base size never shows, every text sets its own; the family carries through the page.
    QFont font(QStringLiteral("Times"), 5);
    font.setBold(false);
    font.setItalic(false);
    const QPen pen(QBrush(QColor(QStringLiteral("black"))), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setFont(font);
    painter.setPen(pen);
    qDebug() << "PAINTER PEN:" << painter.pen();

    drawCustomerBlock(painter, currPageHeight, document, blankForm);
    drawCompanyHeader(painter, document);
    drawBillingHeader(painter, currPageHeight, pageRect, document, page, blankForm);
    drawPaymentBlock(painter, currPageHeight, pageRect, document, blankForm);
    drawTransportHeader(painter, currPageHeight, pageRect, document, blankForm);
    int rulesBottom = footerTop;
    if (page.isLast) {
        const NoteBand note = noteBand(painter, pageRect, noteText(document, blankForm));
        if (note.flags & Qt::TextWordWrap)
            rulesBottom = note.rect.top() - noteClearance / 2;
    }
    drawTableHeader(painter, currPageHeight, pageRect, rulesBottom);
    drawLineItems(painter, currPageHeight, pageRect, document, page);
    if (page.isLast) {
        drawInvoiceNote(painter, pageRect, document, blankForm);
        drawFooter(painter, currPageHeight, pageRect, document, blankForm);
    } else {
        drawContinued(painter, currPageHeight, pageRect);
    }
    drawFrame(painter, currPageHeight, pageRect);
    currPageHeight += 3;
    drawConditions(painter, currPageHeight, pageRect, document);
}

QString PrinterManager::pageNumberText(const PageSlice& page)
{
    if (page.pageCount == 1)
        return QStringLiteral("1");
    return QStringLiteral("%1 di %2").arg(page.pageNumber).arg(page.pageCount);
}

void PrinterManager::drawFrame(QPainter& painter, int& currPageHeight, const QRect& pageRect)
{
    drawBoxedRect(painter, 0, 0, pageRect.width(), currPageHeight);
}

void PrinterManager::placeRect(QRect& rect, int x, int y, int width, int height)
{
    rect.setRect(x, y, width, height);
}

void PrinterManager::drawLine(QPainter& painter, qreal x1, qreal y1, qreal x2, qreal y2)
{
    painter.drawLine(QLineF(x1, y1, x2, y2));
}

QRect PrinterManager::drawBoxedRect(QPainter& painter, int x, int y, int width, int height)
{
    QRect rect;
    placeRect(rect, x, y, width, height);
    painter.drawRect(rect);
    return rect;
}

void PrinterManager::drawLabelledCell(QPainter& painter, int x, int y, int width, int height, const QString& label,
                                      const QString& value, int labelPointSize, bool bold)
{
    const QFont found = painter.font();
    QFont labelFont = found;
    QFont valueFont = found;
    if (labelPointSize > 0) {
        labelFont.setPointSize(labelPointSize - 1);
        valueFont.setPointSize(9);
    }
    if (bold) {
        labelFont.setBold(true);
        valueFont.setBold(true);
    }
    painter.setFont(labelFont);
    const QRect rect = drawBoxedRect(painter, x, y, width, height);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, QLatin1Char(' ') + label);
    painter.setFont(valueFont);
    // With the vertical centre and the bottom both asked for, the bottom wins: the value
    // sits on the cell's lower edge, clear of the label.
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::AlignBottom, value);
    painter.setFont(found);
}
