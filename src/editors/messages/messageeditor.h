#pragma once
// The message editor: the texts of a message file beside the reference texts
// they replace, one list per range of message numbers. The editor keeps its
// edits in the lists and collects the changed rows when it saves.
#include "app/editorframe.h"
#include "app/framecatalog.h"

#include <QIcon>
#include <array>

class QLabel;
class QLineEdit;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class TMessageEditor : public TEditorFrame, public MessageReferenceSet {
    Q_OBJECT
public:
    static constexpr QSize FrameSize{520, 346};

    TMessageEditor(FrameHost *host, QWidget *parent);
    ~TMessageEditor() override;

    QLabel *FirmWareLabel = nullptr;
    QTabWidget *MSGPages = nullptr;
    QWidget *MenuItemsTab = nullptr, *MenuValuesTab = nullptr, *ErrorMessagesTab = nullptr,
            *OtherMessagesTab = nullptr, *ID3GenreTab = nullptr;
    QTreeWidget *MenuItemsList = nullptr, *MenuValuesList = nullptr, *ErrorMessagesList = nullptr,
                *OtherMessagesList = nullptr, *ID3GenreList = nullptr;
    QLineEdit *EditValue = nullptr;
    // Picture 0: the value differs from the name; picture 1: it equals it.
    std::array<QIcon, 2> MSGImages;

    QTreeWidget *CurrentList() const { return m_currentList; }
    // The list that shows a message number; nullptr for 1280 and 1281.
    QTreeWidget *ListFor(quint16 id) const;

    // MessageReferenceSet: reads a message file as the reference set and
    // shows the firmware version it names.
    bool LoadReferenceSet(const QString &path, bool isDefault) override;

    bool Load() override;
    bool Save() override;
    void Activate() override;
    void Reset() override;
    void CommitEdits() override;
    void RefreshTitle() override;

    // Selects a row as a click or a key would, with the edit field showing
    // its value.
    void SelectRow(QTreeWidget *list, int row);
    void UpdateMarks(QTreeWidget *list);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void fillLists();
    void clearLists();
    void valueTyped(const QString &text);
    void returnPressed();
    void escapePressed();
    void moveRow(int step);
    void pageChanged(int index);
    void writeFirmwareLabel();
    QString titleCaption() const;
    void writeMessageTitle();
    QTreeWidgetItem *currentRow() const;

    QTreeWidget *m_currentList = nullptr;
    QString m_valueBeforeEdit;
    bool m_programmatic = false;
};

// Reads a message file as the reference set (and, as the default set, its
// firmware version), reporting a failure as the message editor does:
// "Cannot open the file!" or "Wrong file format". The config editor's
// message choice uses it too.
bool LoadMessageReference(const QString &path, bool asDefault);

// Registers the message editor's frame factory.
void RegisterMessageEditor();

}  // namespace voxa
