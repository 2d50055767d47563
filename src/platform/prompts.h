#pragma once
// Every modal message box, question and file dialog of the system goes
// through this interface. The real implementation shows Qt dialogs; tests
// install a scripted one that records each call and answers from a script.
// Nothing else calls QMessageBox or QFileDialog.
#include <QFlags>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

namespace voxa {

enum class Button {
    None = 0,
    Ok = 0x1,
    Cancel = 0x2,
    Yes = 0x4,
    No = 0x8,
    YesToAll = 0x10,
    NoToAll = 0x20,
    Abort = 0x40,
    Retry = 0x80,
    Ignore = 0x100,
};
Q_DECLARE_FLAGS(Buttons, Button)
Q_DECLARE_OPERATORS_FOR_FLAGS(Buttons)

enum class BoxIcon { None, Information, Warning, Error, Question };

// Where a box appears.
struct Placement {
    enum Kind {
        Centered,          // over the main window (or the screen without one)
        MainWindowOffset,  // top-left at the main window's left + x, top + y
        At,                // top-left at the given screen point
    };
    Kind kind = Centered;
    QPoint point;

    static Placement centered() { return {}; }
    // The frame boxes' usual place: main window's left + 70, top + 50.
    static Placement frameBox(int dx = 70, int dy = 50) { return {MainWindowOffset, QPoint(dx, dy)}; }
    static Placement at(QPoint p) { return {At, p}; }
};

struct MessageBox {
    QString title;  // empty: the application title "VOXA Manager"
    QString text;
    BoxIcon icon = BoxIcon::None;
    Buttons buttons = Button::Ok;
    Button defaultButton = Button::Ok;
    Placement placement;
};

struct FileRequest {
    enum Mode { Open, Save, Folder };
    Mode mode = Open;
    QString title;
    QString folder;       // starting folder (device or native)
    QString fileName;     // proposed name
    QStringList filters;  // "JPEG (*.jpg *.jpeg)"
    QString defaultSuffix;
    bool confirmOverwrite = true;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // Returns the pressed button; closing the box returns Cancel when offered,
    // else the default button.
    virtual Button message(const MessageBox &box) = 0;
    // Returns the chosen path (native), or empty when cancelled.
    virtual QString chooseFile(const FileRequest &request) = 0;
    // Asks for a line of text; false when cancelled.
    virtual bool inputText(const QString &title, const QString &label, QString &value) = 0;

    // Shorthands.
    void error(const QString &text, Placement p = Placement::frameBox());
    void warning(const QString &text, Placement p = Placement::frameBox());
    void info(const QString &text, const QString &title = QString(), Placement p = Placement::centered());
    Button ask(const QString &title, const QString &text, Buttons buttons, Button defaultButton,
               Placement p = Placement::frameBox());
};

// Overwriting a read-only file: the file is asked about and its flag cleared
// on Yes; a writable or missing file is not asked about. Returns Yes when
// the path may now be written, else the answer that stopped it (No, Cancel,
// None...). `ask` poses the question, so a worker can route it to the window
// thread and a "Yes/No to all" switch can answer without a box.
Button askToMakeWritable(const QString &path, const std::function<Button()> &ask);
// The usual form: `text` with Yes and No, No by default, through prompts().
bool askToMakeWritable(const QString &path, const QString &title, const QString &text,
                       Placement p = Placement::frameBox());

Prompts &prompts();
// Installs the implementation; the application installs the real one, tests
// their script. nullptr leaves a refusing one that answers Cancel.
void setPrompts(Prompts *p);

// Texts of the standard buttons, for implementations and records.
QString buttonName(Button b);

}  // namespace voxa
