#include "printermanager.h"

#include <QBrush>
#include <QColor>
#include <QDebug>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>

namespace {

const QString documentName = QStringLiteral("Fattura accompagnatoria");

} // namespace

void PrinterManager::setUpPrinter(QPrinter* printer)
{
    // Qt 6 takes page margins only in physical units, and rounding them from points cuts
    // a pixel or two off the page rectangle the layout was drawn for. The whole sheet is
    // made addressable instead, and printInvoice() moves the painter in by the margins.
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setFullPage(true);
    printer->setDocName(documentName);
}

QRect PrinterManager::drawingArea(const QPrinter* printer)
{
    const QRect paper = printer->paperRect(QPrinter::DevicePixel).toRect();
    return QRect(leftMargin, topMargin, paper.width() - leftMargin - rightMargin,
                 paper.height() - topMargin - bottomMargin);
}

void PrinterManager::printInvoice(QPrinter* printer)
{
    if (!printer)
        return;
    // The output format is left as it came: the print dialog may have chosen a file.
    setUpPrinter(printer);
    const QRect area = drawingArea(printer);
    qDebug() << "page size" << area;
    if (area.width() < minimumPageWidth || area.height() < minimumPageHeight)
        qWarning() << "page area" << area.size() << "smaller than the layout needs, the edges will be cut";

    QPainter painter;
    if (!painter.begin(printer)) {
        qWarning("failed to open file, is it writable?");
        return;
    }
    painter.translate(area.topLeft());
    paintPage(painter, QRect(QPoint(0, 0), area.size()));
    painter.end();
}

void PrinterManager::paintPage(QPainter& painter, const QRect& pageRect)
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

    drawCustomerBlock(painter, currPageHeight, pageRect);
    drawCompanyHeader(painter, currPageHeight, pageRect);
    drawBillingHeader(painter, currPageHeight, pageRect);
    drawPaymentBlock(painter, currPageHeight, pageRect);
    drawTransportHeader(painter, currPageHeight, pageRect);
    drawTableHeader(painter, currPageHeight, pageRect);
    drawLineItems(painter, currPageHeight, pageRect, maxLineItems);
    drawInvoiceNote(painter, currPageHeight, pageRect);
    drawFooter(painter, currPageHeight, pageRect);
    drawFrame(painter, currPageHeight, pageRect);
    currPageHeight += 3;
    drawConditions(painter, currPageHeight, pageRect);
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
