#pragma once
// The find and export frame: picks a folder of the player's drive, searches
// it for MP3 files by kind, date and size on a worker thread, and acts on the
// result list: play, unmark, delete, move to the quarantine folder, export
// as M3U, PLS, text or CSV.
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/otherframe.h"
#include "music/mp3fileops.h"
#include "music/mp3list.h"

#include <QList>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class Mp3SearchTask;
namespace platform {
class MediaHandOver;
}

class TFindExportFrame : public TOtherFrame, public QuarantineField {
    Q_OBJECT
public:
    TFindExportFrame(FrameHost *host, QWidget *parent);
    ~TFindExportFrame() override;

    static constexpr QSize FrameSize{640, 440};

    QTreeWidget *ProfileTree = nullptr;
    QTreeWidget *FileList = nullptr;
    QLabel *ItemsLabel = nullptr;
    QLabel *ItemNumLabel = nullptr;
    QTabWidget *Pages = nullptr;
    QComboBox *FindBox = nullptr;
    QComboBox *EQBox = nullptr;
    QComboBox *BitrateBox = nullptr;
    QCheckBox *DateCheck = nullptr;
    QComboBox *DateEQBox = nullptr;
    QComboBox *YearBox = nullptr;
    QComboBox *MonthBox = nullptr;
    QComboBox *DayBox = nullptr;
    QCheckBox *FileSizeCheck = nullptr;
    QComboBox *SizeEQBox = nullptr;
    QSpinBox *SizeSpin = nullptr;
    QComboBox *WhichByteBox = nullptr;
    QCheckBox *ExtendCheck = nullptr;
    TSkinButton *FindButton = nullptr;
    QLabel *SearchLabel = nullptr;
    TSkinButton *SelAllButton = nullptr;
    TSkinButton *SelNoneButton = nullptr;
    TSkinButton *RemoveButton = nullptr;
    TSkinButton *PlayButton = nullptr;
    TSkinButton *UnMarkButton = nullptr;
    TSkinButton *DeleteButton = nullptr;
    QLabel *QuarantineLabel = nullptr;
    QLineEdit *QuarantineEdit = nullptr;
    TSkinButton *CopyButton = nullptr;
    TSkinButton *Move2QButton = nullptr;
    QCheckBox *M3UBox = nullptr;
    QCheckBox *PLSBox = nullptr;
    QCheckBox *TextBox = nullptr;
    QCheckBox *CSVBox = nullptr;
    TSkinButton *ExportButton = nullptr;

    void OnShowFrame() override;
    void OnCloseFrame() override;
    void LayoutButtons() override;
    void RefreshTitle() override;
    QString QuarantineDir() const override;

    // The user's actions.
    void FindButtonClick();
    void SelAllButtonClick();
    void SelNoneButtonClick();
    void RemoveButtonClick();
    void PlayButtonClick();
    void UnMarkButtonClick();
    void DeleteButtonClick();
    void CopyButtonClick();
    void Move2QButtonClick();
    void ExportButtonClick();
    void FileListDoubleClick(QTreeWidgetItem *item);

    // A search is running: nothing else may start.
    bool Searching() const;
    // Blocks until a running search has ended and its results are listed
    // (tests, shut-down).
    void WaitForSearch();
    // The days of each month; February follows the chosen year.
    int MonthDays(int month) const { return m_monthDays[month - 1]; }
    // The records behind the list rows, in row order.
    const QList<Mp3FileInfo> &Items() const { return m_items; }
    Mp3ListColumns Columns() const { return m_columns; }
    // The folder the selected tree node stands for (E:\music\rock); empty
    // when none is selected.
    QString SelectedFolder() const;
    // Selects the tree node of a folder relative to the drive root
    // ("music\rock"), opening its parents; false when there is none.
    bool SelectFolder(const QString &relative);
    int ProgressCount() const { return m_tick; }
    // Plays files off the window thread.
    platform::MediaHandOver *HandOver() const { return m_handOver; }

signals:
    // A search has ended and its results are listed.
    void searchFinished();

private:
    // Runs a file operation on the checked items and drops those it moved
    // or deleted from the list.
    void applyToChecked(const std::function<QList<Mp3ItemOutcome>(const QList<Mp3FileInfo> &)> &operation);
    void buildPages();
    void buildFindPage();
    void buildModifyPage();
    void buildMovePage();
    void fillTree();
    void listSubfolders(QTreeWidgetItem *node);
    QString relativePath(const QTreeWidgetItem *node) const;
    void kindChosen();
    void dateChecked();
    void sizeChecked();
    void yearChosen();
    void monthChosen();
    void progressTick();
    void searchEnded(const Mp3SearchResult &result);
    void setBusy(bool busy);
    void rebuildColumns();
    void fillList();
    QList<int> checkedRows() const;
    QList<Mp3FileInfo> checkedItems() const;
    void removeRows(const QList<int> &rows);
    // Play, Remove, Delete and UnMark follow the check marks; the list-wide
    // buttons and the count follow the number of items.
    void updateItemButtons();
    void updateListButtons();
    Mp3ExportFormat checkedFormat(bool *any) const;
    QChar drive() const;

    Mp3SearchTask *m_task = nullptr;
    std::optional<BusyScope> m_hostBusy;  // the window's busy state while searching
    platform::MediaHandOver *m_handOver = nullptr;
    QButtonGroup *m_formats = nullptr;
    QGroupBox *m_listGroup = nullptr;
    QGroupBox *m_filterGroup = nullptr;
    QList<Mp3FileInfo> m_items;
    Mp3ListColumns m_columns;
    // Entry 0 of the date lists, in the current language.
    QString m_yearHeader = QStringLiteral("Year");
    QString m_monthHeader = QStringLiteral("Month");
    QString m_dayHeader = QStringLiteral("Day");
    int m_monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int m_tick = 0;
    bool m_filling = false;
};

// Registers the frame for FrameKind::FindExport.
void RegisterFindExport();

}  // namespace voxa
