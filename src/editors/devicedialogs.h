#pragma once
// The three small modal dialogs that serve the editors: the device-file
// dialog (open or save a file of one kind), the delete dialog and the
// playlist-size prompt of the MyRadio export.
#include "app/framecatalog.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;
class QTreeWidget;

namespace voxa {

class TSkinButton;

class TFileDialog : public QDialog, public DeviceFileDialog {
    Q_OBJECT
public:
    explicit TFileDialog(QWidget *parent = nullptr);

    QTreeWidget *FileList = nullptr;
    QLineEdit *FileNameEdit = nullptr;
    QLabel *SaveLabel = nullptr;
    TSkinButton *OpenSaveButton = nullptr;
    TSkinButton *CancelButton = nullptr;

    QWidget *Window() override { return this; }
    void setMode(Mode mode) override { m_mode = mode; }
    Mode mode() const { return m_mode; }
    void setFolder(const QString &folder) override { m_folder = folder; }
    void setExtension(const QString &extension) override { m_extension = extension; }
    void ShowModalAt(QPoint topLeft) override;
    QString ResultPath() const override { return m_resultPath; }

    // The on-show step: captions, the list, the button state.
    void PrepareShow();
    void OpenSaveButtonClick();
    void CancelButtonClick();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void done(int result) override;

private:
    void selectionChanged();

    Mode m_mode = Mode::Open;
    QString m_folder;
    QString m_extension;
    QString m_resultPath;
};

class TDeleteFile : public QDialog, public DeleteFileDialog {
    Q_OBJECT
public:
    explicit TDeleteFile(QWidget *parent = nullptr);

    QTreeWidget *FileList = nullptr;
    TSkinButton *DeleteButton = nullptr;
    TSkinButton *ExitButton = nullptr;

    QWidget *Window() override { return this; }
    void setFolder(const QString &folder) override { m_folder = folder; }
    void setExtension(const QString &extension) override { m_extension = extension; }
    // Placed at the main window's left + 70, top + 90.
    void ShowModal() override;

    void PrepareShow();
    void DeleteButtonClick();
    void FillList();

private:
    QString m_folder;
    QString m_extension;
};

class TGetElement : public QDialog {
    Q_OBJECT
public:
    explicit TGetElement(QWidget *parent = nullptr);

    QLabel *ExplainLabel = nullptr;
    QLabel *ElementNumLabel = nullptr;
    QLineEdit *ElementEdit = nullptr;
    // Which paths the play list carries: the player's (checked at first)
    // or this computer's, for a media player running here.
    QRadioButton *PlayerPathsRadio = nullptr;
    QRadioButton *LocalPathsRadio = nullptr;
    TSkinButton *OKButton = nullptr;
    TSkinButton *Button1 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
};

// Registers the three dialogs with the main window's dialog factories.
void RegisterEditorDialogs();

}  // namespace voxa
