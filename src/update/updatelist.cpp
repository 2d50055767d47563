#include "update/updatelist.h"

#include "app/messagetable.h"

namespace voxa {

QString UpdateRow::currentCell() const
{
    return installed == QLatin1String(UnknownFirmwareVersion) ? msg(Msg::Unknown) : installed;
}

QString UpdateRow::latestCell() const
{
    return offered ? *offered : msg(Msg::NotAvailable);
}

void TUpdateList::Build(const UpdateInfo &info, QChar drive)
{
    m_rows.clear();
    for (int row = 1; row <= UpdateRowCount; ++row) {
        UpdateRow r;
        r.row = row;
        r.installed = InstalledVersion(drive, row);
        r.offered = info.version(row);
        r.ticked = IsNewerVersion(r.offered, r.installed);
        r.previouslyTicked = r.ticked;
        m_rows.append(r);
    }
}

QList<int> TUpdateList::tickedRows() const
{
    QList<int> rows;
    for (const UpdateRow &r : m_rows)
        if (r.ticked)
            rows.append(r.row);
    return rows;
}

bool TUpdateList::anyTicked() const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [](const UpdateRow &r) { return r.ticked; });
}

bool TUpdateList::ListClick(const QList<bool> &ticksNow)
{
    for (qsizetype i = 0; i < m_rows.size() && i < ticksNow.size(); ++i)
        m_rows[i].ticked = ticksNow[i];

    // Nothing to fetch: the same version, an empty one or none at all.
    for (UpdateRow &r : m_rows) {
        const QString latest = r.latestCell();
        if (latest == r.currentCell() || latest.isEmpty() || latest == msg(Msg::NotAvailable))
            r.ticked = false;
    }

    // Rows 2, 4 and 5 are firmware of the same main unit, rows 3 and 6 of
    // the same attached unit: a newly ticked one unticks its rivals. Only the
    // first newly ticked row in this order counts.
    struct Rule {
        int row;
        std::initializer_list<int> rivals;
    };
    static const Rule rules[] = {{2, {4, 5}}, {4, {2, 5}}, {5, {2, 4}}, {3, {6}}, {6, {3}}};
    auto find = [this](int row) -> UpdateRow * {
        for (UpdateRow &r : m_rows)
            if (r.row == row)
                return &r;
        return nullptr;
    };
    for (const Rule &rule : rules) {
        const UpdateRow *r = find(rule.row);
        if (!r || !r->ticked || r->previouslyTicked)
            continue;
        for (int rival : rule.rivals)
            if (UpdateRow *o = find(rival))
                o->ticked = false;
        break;
    }

    for (UpdateRow &r : m_rows)
        r.previouslyTicked = r.ticked;
    return anyTicked();
}

QString TUpdateList::InfoText() const
{
    const bool allEqual = std::all_of(m_rows.begin(), m_rows.end(),
                                      [](const UpdateRow &r) { return r.currentCell() == r.latestCell(); });
    return msg(allEqual ? Msg::NoNeedToUpdate : Msg::SelectUpdate);
}

}  // namespace voxa
