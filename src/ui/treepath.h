#pragma once
// Finding a folder node of a drive tree by its path: the frames that show
// the player's drive as a tree (MyRadio editor, find and export, sort)
// select a folder given as node texts joined with "\".
#include <QString>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

// The child of parent (a top-level node when parent is null) named name:
// the exact spelling first, else the first that differs only in letter case,
// as FAT compares names. Null when there is none.
QTreeWidgetItem *ChildNamed(QTreeWidget *tree, QTreeWidgetItem *parent, const QString &name);

// The node of a relative path ("music\rock"); open is called on every node
// passed on the way, before its children are looked at (to expand and fill
// it). Null for an empty path or a part that is missing.
QTreeWidgetItem *NodeAtPath(QTreeWidget *tree, const QString &relative,
                            const std::function<void(QTreeWidgetItem *)> &open = {});

}  // namespace voxa
