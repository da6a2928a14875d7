// The middle of the page: the column titles, the rules that run down to the footer, and
// one row per line item for as long as the rows fit.
#include "printermanager.h"

#include "amounttext.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "stampavuota.h"

#include <QDebug>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

struct Column
{
    const char* title;
    int x;
    int width; // 0: up to the right edge of the page
    const QString* key;
    int flags;
    bool amount;
};

constexpr int centred = Qt::AlignCenter;

const Column columns[] = {
    {"COD. ARTICOLO", 0, 90, &LineItemKey::code, centred, false},
    {"DESCRIZIONE ARTICOLO", 90, 220, &LineItemKey::description, centred | Qt::TextWordWrap, false},
    {"U.M", 310, 40, &LineItemKey::um, centred, false},
    {"QUANTITA'", 350, 70, &LineItemKey::amount, centred, true},
    {"PREZZO UN.", 420, 90, &LineItemKey::prize, centred, true},
    {"%SC.", 510, 40, &LineItemKey::sconto, centred, true},
    {"IMPORTO", 550, 80, &LineItemKey::total_amount, centred, true},
    {"C.IVA", 630, 0, &LineItemKey::c_iva, centred, true},
};

int columnWidth(const Column& column, int pageWidth)
{
    return column.width > 0 ? column.width : pageWidth - column.x;
}

QString cellText(int id, const Column& column)
{
    ModelFacade* model = ModelFacade::instance();
    const QString value = model->getLineItemField(id, *column.key).toUpper();
    if (column.key == &LineItemKey::description)
        return PrinterManager::printedDescription(value);
    return column.amount ? groupAmountText(value) : value;
}

} // namespace

QString PrinterManager::printedDescription(const QString& description)
{
    // A hyphen marks where the printed description breaks: the run of blanks fills the
    // rest of the line in the description column.
    return description.toUpper().replace(QLatin1Char('-'), QString(74, QLatin1Char(' ')));
}

int PrinterManager::fittingRows(int top, const QList<int>& rowHeights, int itemLimit)
{
    int rows = 0;
    int y = top;
    while (y < fitLimit && rows < rowHeights.size() && rows < itemLimit) {
        const int height = std::max(rowHeights.at(rows), minimumRowHeight);
        if (y + height > fitLimit)
            break;
        y += height + rowGap;
        ++rows;
    }
    return rows;
}

void PrinterManager::drawHeaderCell(QPainter& painter, int x, int y, int width, int height, const QString& title)
{
    const QRect rect = drawBoxedRect(painter, x, y, width, height);
    painter.drawText(rect, Qt::AlignCenter, title);
}

void PrinterManager::drawTableHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect)
{
    qDebug() << " draw table header ";
    const int w = pageRect.width();
    const QFont found = painter.font();
    QFont font = found;
    font.setBold(true);
    font.setPointSize(7);
    painter.setFont(font);

    int x = 0;
    for (const Column& column : columns) {
        const int width = columnWidth(column, w);
        drawHeaderCell(painter, x, currPageHeight, width, tableHeaderHeight, QString::fromLatin1(column.title));
        // the last column is closed by the outer frame
        if (&column != &columns[std::size(columns) - 1]) {
            x += width;
            drawLine(painter, x, currPageHeight + tableHeaderHeight, x, footerTop);
        }
    }
    currPageHeight += tableHeaderHeight;
    painter.setFont(found);
}

void PrinterManager::drawLineItems(QPainter& painter, int& currPageHeight, const QRect& pageRect, int itemLimit)
{
    const int w = pageRect.width();
    const QFont found = painter.font();
    QFont font = found;
    font.setPointSize(8);
    font.setBold(false);
    painter.setFont(font);
    qDebug() << " num line items: " << itemLimit;

    const QList<int> ids = stampaVuota ? QList<int>() : ModelFacade::instance()->lineItemIds();
    const auto& descriptionColumn = columns[1];

    // Measure the candidates first: the fit rule is plain arithmetic on their heights.
    QList<QStringList> texts;
    QList<int> heights;
    for (qsizetype i = 0; i < ids.size() && i < itemLimit; ++i) {
        QStringList row;
        for (const Column& column : columns)
            row.append(cellText(ids.at(i), column));
        // Measured with the face "Times" resolves to on this machine, in its own units: a
        // rounded rectangle could be a fraction shorter than the lines it has to hold.
        const QRectF cell(0, currPageHeight, descriptionColumn.width, minimumRowHeight);
        const QRectF needed = painter.boundingRect(cell, descriptionColumn.flags, row.at(1));
        qDebug() << "WIDTH consigliata :" << cell << needed << needed.height();
        texts.append(row);
        heights.append(std::max(int(std::ceil(needed.height())), minimumRowHeight));
    }

    const int rows = fittingRows(currPageHeight, heights, itemLimit);
    for (int i = 0; i < rows; ++i) {
        const int height = heights.at(i);
        for (qsizetype c = 0; c < qsizetype(std::size(columns)); ++c) {
            const Column& column = columns[c];
            painter.drawText(QRect(column.x, currPageHeight, columnWidth(column, w), height), column.flags,
                             texts.at(i).at(c));
        }
        currPageHeight += height + rowGap;
        qDebug() << " currPageHeight : " << currPageHeight;
    }
    currPageHeight += tableHeaderHeight;
    painter.setFont(found);
}
