#pragma once
// The base of the five editors: the document's file name, the editor's
// folder and extension, the modified mark, and the document life cycle they
// share (activation, the save question, saving through the file dialog when
// the document has no name, the title line). Each editor supplies its own
// steps as overrides of the virtual operations, which the framework calls in
// a fixed order.
#include <QString>
#include <QWidget>

namespace voxa {

class FrameHost;
class TSkinButton;
class TSkinPanel;

class TEditorFrame : public QWidget {
    Q_OBJECT
public:
    // Created hidden, 348 x 240, as a child of parent (the main window).
    explicit TEditorFrame(FrameHost *host, QWidget *parent = nullptr);
    ~TEditorFrame() override;

    // The panel that fills the frame and carries every control; the main
    // window gives it the frame background when it shows the editor.
    TSkinPanel *MainPanel() const { return m_mainPanel; }
    TSkinButton *EditOKButton = nullptr;  // "OK", hidden in all five editors
    TSkinButton *CancelButton = nullptr;  // "Close"

    // Full path of the open document; empty for an untitled one.
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &path) { m_fileName = path; }
    // ":\voxa\config" and the like: the folder without the drive letter.
    QString Folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }
    // "cfg", "mgs", "lce", "ply" or "mra".
    QString Extension() const { return m_extension; }
    void setExtension(const QString &extension) { m_extension = extension; }
    bool Modified() const { return m_modified; }
    void setModified(bool modified);
    // Set while the document must not be saved (overlapping fields).
    bool Overlapped() const { return m_overlapped; }
    void setOverlapped(bool overlapped) { m_overlapped = overlapped; }
    bool FirstShow() const { return m_firstShow; }

    // ------------------------------------------- the editor's own steps
    // Reads FileName into the editor; false after reporting why. Base:
    // nothing, false.
    virtual bool Load();
    // Writes the document to FileName. Base: makes an existing read-only
    // file writable; true. Every editor's Save runs the base first.
    virtual bool Save();
    // Each time the frame becomes visible. Base: FirstShowSetup once.
    virtual void Activate();
    // Base: clears the title line and the modified mark.
    virtual void Reset();
    // The one-time set-up. Base: clears FirstShow.
    virtual void FirstShowSetup();
    // Moves an edit in progress into the document. Base: nothing.
    virtual void CommitEdits();
    // Base: CancelButton at the bottom right, EditOKButton to its left.
    virtual void LayoutButtons();
    // Base: true.
    virtual bool CanSave();
    // Rebuilds texts composed from the message table and, while visible,
    // writes the title line. Base: the title of KindWord().
    virtual void RefreshTitle();
    // "Config ", "Logo "...: the first word of the title line.
    virtual QString KindWord() const { return {}; }
    // A key the main window passes on while this editor is visible; true
    // when the editor used it.
    virtual bool ImageKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // ------------------------------------------------- the framework
    // Names the document path and loads it. When Load fails the editor is
    // left untitled again, so that a later Save asks for a name instead of
    // writing over the file that could not be read.
    bool OpenDocument(const QString &path);
    // Saves, asking for a name when there is none; false when nothing was
    // saved (refused, cancelled or failed). The editors keep this and the
    // next one as they are; they are virtual only so that the main window
    // can be tested with stand-in frames.
    virtual bool SaveDocument();
    // Closes the editor, asking about unsaved changes; false when the user
    // cancelled and everything stays as it is. Unless keepHidden, the start
    // panel is shown afterwards.
    virtual bool CloseEditor(bool keepHidden);
    void CancelButtonClick();
    void EditOKButtonClick();
    // "Wrong file format", then the editor closes without the save
    // question. Load returns false after it.
    void ReportWrongFormat();
    // The "Wrong file format" box alone, for a file read while the editor
    // that asked stays as it is.
    static void ShowWrongFormat();

    // The title line: kind word + "Editor" + ": " + the base name (or
    // "Untitled").
    QString TitleText(const QString &kindWord) const;
    // Writes TitleText(KindWord()) into the title line.
    void WriteTitle();

    FrameHost *Host() const { return m_host; }

signals:
    void modifiedChanged(bool modified);

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void putButtonsLast();

    FrameHost *m_host;
    TSkinPanel *m_mainPanel;
    QString m_fileName;
    QString m_folder;
    QString m_extension;
    bool m_modified = false;
    bool m_overlapped = false;
    bool m_firstShow = true;
};

}  // namespace voxa
