#pragma once
// The MyRadio copy frame: copies what one or more MyRadio profiles refer to
// from the player's drive into a folder of another drive. In menu mode it
// lists the profiles of voxa\myradio; in editor mode (handed over by the
// MyRadio editor's Copy button) it copies the editor's profile and gives the
// editor back on Close. The copy itself runs on a TCopyTask; the frame only
// shows its progress and answers its questions.
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/otherframe.h"
#include "music/myradiocopy.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class TSkinProgressBar;

class TMyRadioCopyFrame : public TOtherFrame, public MyRadioCopyHandOff {
    Q_OBJECT
public:
    static constexpr QSize FrameSize{420, 290};
    TMyRadioCopyFrame(FrameHost *host, QWidget *parent);
    ~TMyRadioCopyFrame() override;

    QLabel *SelectMRALabel = nullptr;
    QLabel *CopyLabel = nullptr;
    QTreeWidget *FileList = nullptr;
    QLabel *SelectDirLabel = nullptr;
    QWidget *TreePanel = nullptr;
    QTreeWidget *DirTree = nullptr;
    QCheckBox *CopyMRAFile = nullptr;
    QCheckBox *OverwriteBox = nullptr;
    QCheckBox *SkipBox = nullptr;
    TSkinProgressBar *CopyProgressBar = nullptr;
    TSkinButton *CopyButton = nullptr;
    TSkinButton *CancelButton = nullptr;

    void OnShowFrame() override;
    void OnCloseFrame() override;
    // In editor mode, leaving for another frame closes the editor's profile,
    // asking about its unsaved changes; Cancel keeps this frame.
    bool QueryCloseFrame() override;
    void LayoutButtons() override;
    void RefreshTitle() override;

    // Editor mode: the editor's profile and its modified mark. The caller
    // then shows this frame.
    void EnterEditorMode(const QString &profileFileName, const QList<MyRadioElement> &elements,
                         bool modified) override;
    bool EditorMode() const { return m_editorMode; }

    void CopyButtonClick();
    void CancelButtonClick();
    void OKButtonClick();

    // The prompt switches as the boxes set them (reset on show).
    CopySwitches Switches() const { return m_switches; }
    // The full device path of the selected destination node without a
    // closing "\" ("D:", "D:\backup"); empty when none is selected.
    QString SelectedDirectory() const;
    // The target of the next copy: the selected node's path when a profile
    // (or the editor's) can be copied, otherwise empty.
    QString TargetDirectory() const;
    // Selects (and expands the way to) the node of a device path; false
    // when there is no such node.
    bool SelectDirectory(const QString &path);
    // A copy job is running.
    bool Running() const { return m_task != nullptr; }
    // The caption the bar showed last before it was cleared.
    QString LastCaption() const { return m_lastCaption; }
    // The outcome of the last finished job.
    const MyRadioCopyResult &LastResult() const { return m_lastResult; }

protected:
    void hideEvent(QHideEvent *e) override;

signals:
    // The finish step has run (a job ended and the frame is idle again).
    void copyFinished();

private:
    QString titleText() const;
    void fillFileList();
    void rebuildTree();
    void selectFirstRemovable();
    void listSubfolders(QTreeWidgetItem *item);
    void treeExpanding(QTreeWidgetItem *item);
    void updateCopyEnabled();
    void promptBoxClicked(QCheckBox *box);
    void setRunning(bool running);
    void clearProgress();
    void showProgress(qint64 position, qint64 maximum);
    void profileStarted(int index);
    void profileFinished(int index, bool copied);
    void finish();
    // Cancels a running job, waits for it and drops it without a finish step.
    void stopJob();
    QList<QTreeWidgetItem *> selectedProfiles() const;

    PromptCopyQuestions m_questions;
    QPointer<TCopyTask> m_task;
    CopySwitches m_switches;
    MyRadioCopyResult m_lastResult;
    // The rows of the profiles the running job copies, in its order.
    QList<QTreeWidgetItem *> m_jobRows;
    QString m_jobTarget;
    bool m_jobTargetExpanded = false;
    qint64 m_progressMax = 0;
    QString m_lastCaption;

    bool m_editorMode = false;
    bool m_editorModified = false;
    std::optional<BusyScope> m_hostBusy;  // the window's busy state while copying
    bool m_editorDone = false;
    // Set while Close hands the profile back to the editor.
    bool m_returningToEditor = false;
    QString m_editorFileName;
    QList<MyRadioElement> m_editorElements;
};

void RegisterMyRadioCopyFrame();

}  // namespace voxa
