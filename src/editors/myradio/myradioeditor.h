#pragma once
// The MyRadio editor: a profile of up to 100 MP3 files and folders of the
// player's drive, picked in a tree of the drive, each with a weight class
// ("Priority") set with the track bar. It plays elements in the desktop's
// media player, imports M3U play lists, exports random play lists that
// follow the weights, and hands its profile to the MyRadio copy.
#include "app/editorframe.h"
#include "app/framecatalog.h"
#include "app/messagetable.h"
#include "editors/myradio/myradiorows.h"
#include "platform/mediaplayer.h"

#include <optional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class FrameHost;
class TSkinButton;
class TSkinSlider;

class TMyRadioEditor : public TEditorFrame, public MyRadioCopyReturn {
    Q_OBJECT
public:
    TMyRadioEditor(FrameHost *host, QWidget *parent);

    // Tree node data: is the node a folder (true) or an MP3 file.
    static constexpr int FolderRole = Qt::UserRole + 1;
    // List item data: the row's RowPicture.
    static constexpr int PictureRole = Qt::UserRole + 2;

    QTreeWidget *ProfileTree = nullptr;
    QTreeWidget *ProfileList = nullptr;  // columns "File Name", "Priority", "Path"
    TSkinSlider *WeightClassTrack = nullptr;
    QLabel *PriorityLabel = nullptr;
    QLabel *ElementLabel = nullptr;
    QLabel *ItemLabel = nullptr;
    QLabel *WarningLabel = nullptr;
    TSkinButton *AddButton = nullptr;
    TSkinButton *RemoveButton = nullptr;
    TSkinButton *WinampImportButton = nullptr;
    TSkinButton *WinampExportButton = nullptr;
    TSkinButton *MyRadioCopyButton = nullptr;
    TSkinButton *MyRadioCheckButton = nullptr;

    // ----------------------------------------------- framework steps
    bool Load() override;
    bool Save() override;
    void Activate() override;
    void Reset() override;
    void RefreshTitle() override;
    QString KindWord() const override { return QStringLiteral("MyRadio "); }

    // ----------------------------------------------- the editor's own
    // The rows in list order (the document).
    const QList<MyRadioRow> &Rows() const { return m_rows; }
    QList<qsizetype> SelectedRows() const;
    void SelectRows(const QList<qsizetype> &rows);
    bool CopyKeep() const { return m_copyKeep; }
    // Plays rows and tree nodes off the window thread.
    platform::MediaHandOver *HandOver() const { return m_handOver; }

    // Fills a node (nullptr: the drive root) with the folders and MP3 files
    // below it, depth levels deep.
    void FillTree(QTreeWidgetItem *parent, int depth);
    // A node's full device path; its ancestors' texts from the top.
    QString NodePath(const QTreeWidgetItem *node) const;
    QStringList NodeAncestors(const QTreeWidgetItem *node) const;
    // The node at a device-like path below the root ("music\rock"), or
    // nullptr when it is not in the tree (yet).
    QTreeWidgetItem *FindNode(const QString &relativePath) const;

    void AddButtonClick();
    void RemoveButtonClick();
    void MyRadioCheckButtonClick();
    void WinampImportButtonClick();
    void WinampExportButtonClick();
    void MyRadioCopyButtonClick();
    void WeightClassTrackChange();
    void ProfileListSelectionChange();
    void ProfileListDblClick(QTreeWidgetItem *item);
    void ProfileTreeDblClick(QTreeWidgetItem *item);
    void ProfileTreeExpanded(QTreeWidgetItem *item);
    void ProfileTreeSelectionChange();

    // MyRadioCopyReturn
    void EditorModeEnded(bool modified) override;
    bool EditorModeLeft(bool modified) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createLists();
    void createControls();
    // Captions, column titles and hints of a language file.
    void registerTexts();
    // Rebuilds the list from the rows, selecting the given ones.
    void showRows(const QList<qsizetype> &select);
    // "Priority" in its long form for every row, and ItemLabel.
    void RefreshPercentages();
    void setWarning(Msg message);
    void clearWarning();
    void updateTrackCaption();
    void playElement(const QString &path);

    QList<MyRadioRow> m_rows;
    platform::MediaHandOver *m_handOver = nullptr;
    bool m_copyKeep = false;
    bool m_guard = false;
    std::optional<Msg> m_warning;
};

void RegisterMyRadioEditor();

}  // namespace voxa
