#include "pagination.h"

#include <algorithm>

QList<PageSlice> paginate(const QList<int>& measuredHeights, const TableSpace& space)
{
    const int lastLimit = std::min(space.lastLimit, space.limit);
    // A row must fit on the last page too: the rows that reach it are not known in advance.
    const int tallest = std::max(lastLimit - space.top, space.minimumRowHeight);
    QList<int> heights;
    heights.reserve(measuredHeights.size());
    for (const int measured : measuredHeights)
        heights.append(std::clamp(measured, space.minimumRowHeight, tallest));

    QList<PageSlice> pages;
    const int total = int(heights.size());
    int first = 0;
    do {
        PageSlice page;
        page.firstRow = first;
        // The rows that fit down to the common limit, and how many of them also clear the
        // last page's limit: when they take the document's last row, this page is the last.
        int y = space.top;
        int clearingLast = 0;
        int row = first;
        for (; row < total && y + heights.at(row) <= space.limit; ++row) {
            if (y + heights.at(row) <= lastLimit && clearingLast == row - first)
                ++clearingLast;
            y += heights.at(row) + space.rowGap;
        }
        int count = row - first;
        if (row == total && clearingLast < count)
            count = clearingLast; // the rest goes on one more page, below which the totals stand
        // A page always takes a row when any is left; the clamp above makes the first one fit.
        count = std::max(count, std::min(1, total - first));
        page.rowCount = count;
        page.rowHeights = heights.mid(first, count);
        pages.append(page);
        first += count;
    } while (first < total);

    for (PageSlice& page : pages) {
        page.pageNumber = int(&page - pages.data()) + 1;
        page.pageCount = int(pages.size());
        page.isLast = page.pageNumber == page.pageCount;
    }
    return pages;
}
