#pragma once
// The base of the five editors as the main window sees it: the document's
// file name, the editor's folder and extension, the modified mark, and the
// operations the main window calls. The editor framework fills in the common
// behaviour (activation, the save question, the file dialogs); each editor
// its own file.
#include "ui/skinpanel.h"

#include <QResizeEvent>
#include <QString>
#include <QWidget>

namespace voxa {

class TEditorFrame : public QWidget {
public:
    explicit TEditorFrame(QWidget *parent = nullptr)
        : QWidget(parent), m_mainPanel(new TSkinPanel(this))
    {
        hide();
    }
    ~TEditorFrame() override = default;

    // The panel that fills the frame and carries every control; the main
    // window gives it the frame background when it shows the editor.
    TSkinPanel *MainPanel() const { return m_mainPanel; }

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
    void setModified(bool modified) { m_modified = modified; }

    // Reads FileName into the editor; false after reporting why.
    virtual bool Load() = 0;
    // Saves, asking for a name when there is none; false when nothing was
    // saved (cancelled or failed).
    virtual bool SaveDocument() = 0;
    // Closes the editor, asking about unsaved changes; false when the user
    // cancelled and everything must stay as it is. Unless keepHidden, the
    // start panel is shown afterwards.
    virtual bool CloseEditor(bool keepHidden) = 0;
    // Rebuilds the texts composed from the message table and, while the
    // editor is visible, writes its title into the main window's title line.
    virtual void RefreshTitle() = 0;
    // A key the main window passes on while this editor is visible; true
    // when the editor used it.
    virtual bool ImageKeyDown(int key, Qt::KeyboardModifiers modifiers)
    {
        Q_UNUSED(key);
        Q_UNUSED(modifiers);
        return false;
    }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        m_mainPanel->setGeometry(rect());
        QWidget::resizeEvent(e);
    }

private:
    TSkinPanel *m_mainPanel;
    QString m_fileName;
    QString m_folder;
    QString m_extension;
    bool m_modified = false;
};

}  // namespace voxa
