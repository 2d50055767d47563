#pragma once
// Prompts for tests: every question is recorded and answered from a script.
// A question the script does not expect fails the running test.
#include "platform/prompts.h"

#include <QList>
#include <functional>

namespace voxa::test {

struct PromptRecord {
    enum Kind { Message, File, Input } kind = Message;
    MessageBox box;        // Message
    FileRequest request;   // File
    QString inputTitle;    // Input
    QString inputLabel;
};

class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts();   // installs itself
    // Restores the previous prompts, and fails the running test when a
    // scripted answer was left unused.
    ~ScriptedPrompts() override;

    // Off for a test that stops a flow half-way on purpose.
    bool failOnLeftover = true;

    // Expect a message box whose text contains textPart; answer with button.
    ScriptedPrompts &expectMessage(const QString &textPart, Button answer = Button::Ok);
    // Expect a file dialog; answer with path (empty = cancel).
    ScriptedPrompts &expectFile(const QString &answer);
    // Expect a text prompt; answer with text, or cancel when nullopt-like empty + cancel flag.
    ScriptedPrompts &expectInput(const QString &answer, bool accept = true);

    Button message(const MessageBox &box) override;
    QString chooseFile(const FileRequest &request) override;
    bool inputText(const QString &title, const QString &label, QString &value) override;

    const QList<PromptRecord> &records() const { return m_records; }
    // The last message box shown (empty record when none).
    MessageBox lastMessage() const;
    int pending() const { return int(m_script.size()); }
    int unexpectedCalls() const { return m_unexpected; }

    // What happens on an unexpected call; by default the test fails.
    std::function<void(const QString &)> onUnexpected;

private:
    struct Step {
        PromptRecord::Kind kind;
        QString match;
        Button button = Button::Ok;
        QString text;
        bool accept = true;
    };
    bool take(PromptRecord::Kind kind, const QString &what, Step &step);

    QList<Step> m_script;
    QList<PromptRecord> m_records;
    int m_unexpected = 0;
    Prompts *m_previous = nullptr;
};

}  // namespace voxa::test
