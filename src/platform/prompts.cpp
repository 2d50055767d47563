#include "platform/prompts.h"

#include "platform/fileops.h"

namespace voxa {
namespace {

// Used before the application installs its own: answers like a closed box.
class NullPrompts : public Prompts {
public:
    Button message(const MessageBox &box) override
    {
        return box.buttons.testFlag(Button::Cancel) ? Button::Cancel : box.defaultButton;
    }
    QString chooseFile(const FileRequest &) override { return {}; }
    bool inputText(const QString &, const QString &, QString &) override { return false; }
};

Prompts *g_prompts = nullptr;

}  // namespace

void Prompts::error(const QString &text, Placement p)
{
    message({QStringLiteral("Error"), text, BoxIcon::Error, Button::Ok, Button::Ok, p});
}

void Prompts::warning(const QString &text, Placement p)
{
    message({QStringLiteral("Warning"), text, BoxIcon::Warning, Button::Ok, Button::Ok, p});
}

void Prompts::info(const QString &text, const QString &title, Placement p)
{
    message({title, text, BoxIcon::Information, Button::Ok, Button::Ok, p});
}

Button Prompts::ask(const QString &title, const QString &text, Buttons buttons, Button defaultButton,
                    Placement p)
{
    return message({title, text, BoxIcon::Question, buttons, defaultButton, p});
}

Button askToMakeWritable(const QString &path, const std::function<Button()> &ask)
{
    if (!fs::isReadOnly(path))
        return Button::Yes;
    const Button answer = ask();
    if (answer == Button::Yes)
        fs::clearReadOnly(path);
    return answer;
}

bool askToMakeWritable(const QString &path, const QString &title, const QString &text, Placement p)
{
    return askToMakeWritable(path, [&] {
               return prompts().ask(title, text, Button::Yes | Button::No, Button::No, p);
           })
        == Button::Yes;
}

Prompts &prompts()
{
    static NullPrompts none;
    return g_prompts ? *g_prompts : none;
}

void setPrompts(Prompts *p)
{
    g_prompts = p;
}

QString buttonName(Button b)
{
    switch (b) {
    case Button::Ok: return QStringLiteral("OK");
    case Button::Cancel: return QStringLiteral("Cancel");
    case Button::Yes: return QStringLiteral("Yes");
    case Button::No: return QStringLiteral("No");
    case Button::YesToAll: return QStringLiteral("Yes to All");
    case Button::NoToAll: return QStringLiteral("No to All");
    case Button::Abort: return QStringLiteral("Abort");
    case Button::Retry: return QStringLiteral("Retry");
    case Button::Ignore: return QStringLiteral("Ignore");
    case Button::None: break;
    }
    return QStringLiteral("None");
}

}  // namespace voxa
