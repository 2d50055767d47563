#include "ui/treepath.h"

#include <QTreeWidget>

namespace voxa {

QTreeWidgetItem *ChildNamed(QTreeWidget *tree, QTreeWidgetItem *parent, const QString &name)
{
    const int n = parent ? parent->childCount() : tree->topLevelItemCount();
    QTreeWidgetItem *folded = nullptr;
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem *c = parent ? parent->child(i) : tree->topLevelItem(i);
        if (c->text(0) == name)
            return c;
        if (!folded && c->text(0).compare(name, Qt::CaseInsensitive) == 0)
            folded = c;
    }
    return folded;
}

QTreeWidgetItem *NodeAtPath(QTreeWidget *tree, const QString &relative,
                            const std::function<void(QTreeWidgetItem *)> &open)
{
    QTreeWidgetItem *node = nullptr;
    for (const QString &part : relative.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (node && open)
            open(node);
        node = ChildNamed(tree, node, part);
        if (!node)
            return nullptr;
    }
    return node;
}

}  // namespace voxa
