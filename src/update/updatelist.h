#pragma once
// The update list behind the update frame: its six rows with the installed
// and the offered version, the ticks and the previous-tick table, the choice
// rules after a click and the texts a language change rewrites. A frame
// shows these rows; it keeps no decisions of its own.
#include "update/updateinfo.h"

#include <QList>

namespace voxa {

struct UpdateRow {
    int row = 0;                    // 1 to 6
    QString installed;              // as read; "z.zz" when unknown
    std::optional<QString> offered; // absent when update2.ini lacks the key
    bool ticked = false;
    bool previouslyTicked = false;

    QString title() const { return QString::fromLatin1(updateRowDef(row).title); }
    // The "Current Version" cell: "Unknown" for the placeholder.
    QString currentCell() const;
    // The "Latest Version" cell: "Not Available" for an absent version.
    QString latestCell() const;
};

class TUpdateList {
public:
    // The six rows for what update2.ini offers and what the drive holds,
    // each ticked when its offered version is newer; the previous-tick table
    // holds these ticks.
    void Build(const UpdateInfo &info, QChar drive);
    void Clear() { m_rows.clear(); }

    const QList<UpdateRow> &rows() const { return m_rows; }
    bool isEmpty() const { return m_rows.isEmpty(); }
    QList<int> tickedRows() const;
    bool anyTicked() const;

    // dlListClick: takes the ticks as the user left them (one per row),
    // applies the rules and returns whether "Update" is enabled. Read the
    // resulting ticks from rows().
    bool ListClick(const QList<bool> &ticksNow);

    // The info line after a language change (when it is not empty): "No need
    // to update, ..." when every row's two version cells are equal, else
    // "Select update.".
    QString InfoText() const;

private:
    QList<UpdateRow> m_rows;
};

}  // namespace voxa
