#pragma once

#include <QList>

// The rows one printed page carries, and where that page stands in the document.
struct PageSlice
{
    int firstRow = 0;
    int rowCount = 0;
    int pageNumber = 1;
    int pageCount = 1;
    bool isLast = true;
    // The drawn height of each of the page's rows, gap excluded.
    QList<int> rowHeights;
};

// Where rows may stand on a page: every page's table starts at `top`, and no row ends below
// `limit`; on the last page, which also carries the note above the totals, no row ends
// below `lastLimit` (at most `limit`).
struct TableSpace
{
    int top = 0;
    int limit = 0;
    int lastLimit = 0;
    int minimumRowHeight = 18;
    int rowGap = 1;
};

// Splits rows of the measured heights into pages, in order, each page taking as many rows
// as fit. A row shorter than the minimum is drawn at the minimum; a row taller than a
// whole page is cut to the page, so that every row is printed somewhere. No rows at all
// still make one page.
QList<PageSlice> paginate(const QList<int>& measuredHeights, const TableSpace& space);
