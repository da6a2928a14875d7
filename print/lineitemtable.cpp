// The middle of the page: the column titles, the rules that run down to the footer, and
// the rows of the page's slice of the document.
#include "printermanager.h"

#include "amounttext.h"
#include "lineitem.h"

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

QString cellText(const InvoiceData::FieldMap& row, const Column& column)
{
    const QString value = row.value(*column.key).toUpper();
    if (column.key == &LineItemKey::description)
        return PrinterManager::printedDescription(value);
    return column.amount ? groupAmountText(value) : value;
}

QFont rowFont(const QFont& found)
{
    QFont font = found;
    font.setPointSize(8);
    font.setBold(false);
    return font;
}

} // namespace

QString PrinterManager::printedDescription(const QString& description)
{
    // A hyphen marks where the printed description breaks: the run of blanks fills the
    // rest of the line in the description column.
    return description.toUpper().replace(QLatin1Char('-'), QString(74, QLatin1Char(' ')));
}

QList<PageSlice> PrinterManager::layoutPages(QPainter& painter, const QRect& pageRect, const InvoiceData& document,
                                            bool blankForm)
{
    painter.save();
    painter.setFont(rowFont(QFont(QStringLiteral("Times"), 5)));
    // Measured with the face "Times" resolves to on this device, in its own units: a
    // rounded rectangle could be a fraction shorter than the lines it has to hold. A
    // blank form prints no rows.
    const auto& descriptionColumn = columns[1];
    QList<int> heights;
    if (!blankForm) {
        heights.reserve(document.rows.size());
        for (const InvoiceData::FieldMap& row : document.rows) {
            const QRectF cell(0, tableTop, descriptionColumn.width, minimumRowHeight);
            const QRectF needed = painter.boundingRect(cell, descriptionColumn.flags, cellText(row, descriptionColumn));
            heights.append(int(std::ceil(needed.height())));
        }
    }
    painter.restore();

    // The last page's rows end above the note, which may have grown upwards.
    const NoteBand note = noteBand(painter, pageRect, noteText(document, blankForm));
    TableSpace space;
    space.top = tableTop;
    space.limit = fitLimit;
    space.lastLimit = std::min(fitLimit, note.rect.top() - noteClearance);
    space.minimumRowHeight = minimumRowHeight;
    space.rowGap = rowGap;
    const QList<PageSlice> pages = paginate(heights, space);
    qDebug() << "rows" << heights.size() << "on" << pages.size() << "pages";
    return pages;
}

void PrinterManager::drawHeaderCell(QPainter& painter, int x, int y, int width, int height, const QString& title)
{
    const QRect rect = drawBoxedRect(painter, x, y, width, height);
    painter.drawText(rect, Qt::AlignCenter, title);
}

void PrinterManager::drawTableHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect, int rulesBottom)
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
            drawLine(painter, x, currPageHeight + tableHeaderHeight, x, rulesBottom);
        }
    }
    // A table that ends above a grown note is closed there, so the note reads clear of the rules.
    if (rulesBottom < footerTop)
        drawLine(painter, 0, rulesBottom, w, rulesBottom);
    currPageHeight += tableHeaderHeight;
    painter.setFont(found);
}

void PrinterManager::drawLineItems(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                   const InvoiceData& document, const PageSlice& page)
{
    const int w = pageRect.width();
    const QFont found = painter.font();
    painter.setFont(rowFont(found));
    qDebug() << " line items" << page.firstRow + 1 << "to" << page.firstRow + page.rowCount;

    for (int i = 0; i < page.rowCount; ++i) {
        const InvoiceData::FieldMap& row = document.rows.at(page.firstRow + i);
        const int height = page.rowHeights.at(i);
        for (const Column& column : columns)
            painter.drawText(QRect(column.x, currPageHeight, columnWidth(column, w), height), column.flags,
                             cellText(row, column));
        currPageHeight += height + rowGap;
    }
    currPageHeight += tableHeaderHeight;
    painter.setFont(found);
}
