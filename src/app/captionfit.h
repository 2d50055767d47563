#pragma once
// Column titles of another language can be longer than the English ones the
// columns were sized for. A list's columns keep their English widths while
// the titles fit, and a column whose title does not fit takes the room it
// lacks first from the list's unused width and then from a donor column,
// which keeps enough for its own title.
#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVariant>
#include <algorithm>

namespace voxa {

// Room a header section needs around its title (the lists' section padding
// and border).
inline constexpr int ColumnTitleMargin = 12;

inline int columnTitleWidth(const QTreeWidget *view, int column)
{
    return QFontMetrics(view->header()->font()).horizontalAdvance(view->headerItem()->text(column))
         + ColumnTitleMargin;
}

inline void fitColumnTitles(QTreeWidget *view, int donor)
{
    // The widths given at construction are the base every language starts
    // from, so going back to English gives the English layout again.
    static const char *const baseProperty = "voxaBaseColumnWidths";
    QList<QVariant> base = view->property(baseProperty).toList();
    if (base.size() != view->columnCount()) {
        base.clear();
        for (int c = 0; c < view->columnCount(); ++c)
            base << view->columnWidth(c);
        view->setProperty(baseProperty, base);
    }
    int used = 0;
    for (int c = 0; c < base.size(); ++c) {
        view->setColumnWidth(c, base[c].toInt());
        used += base[c].toInt();
    }
    // The list's border takes a pixel on each side.
    int spare = std::max(0, view->width() - 4 - used);
    for (int c = 0; c < view->columnCount(); ++c) {
        if (c == donor)
            continue;
        int missing = columnTitleWidth(view, c) - view->columnWidth(c);
        if (missing <= 0)
            continue;
        const int fromSpare = std::min(missing, spare);
        spare -= fromSpare;
        missing -= fromSpare;
        const int fromDonor =
            std::clamp(std::min(missing, view->columnWidth(donor) - columnTitleWidth(view, donor)), 0, missing);
        view->setColumnWidth(donor, view->columnWidth(donor) - fromDonor);
        view->setColumnWidth(c, view->columnWidth(c) + fromSpare + fromDonor);
    }
}

}  // namespace voxa
