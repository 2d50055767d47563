#include "support/scriptedprompts.h"

#include <QTest>

namespace voxa::test {

ScriptedPrompts::ScriptedPrompts()
{
    m_previous = &prompts();
    setPrompts(this);
    onUnexpected = [](const QString &what) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected prompt: ") + what), __FILE__, __LINE__);
    };
}

ScriptedPrompts::~ScriptedPrompts()
{
    setPrompts(m_previous);
    // An answer nobody asked for means the flow did not go where the test
    // thinks it went.
    if (!m_script.isEmpty() && failOnLeftover && QTest::currentTestFunction()) {
        QStringList left;
        for (const Step &s : std::as_const(m_script))
            left << (s.kind == PromptRecord::Message ? QStringLiteral("message \"%1\"").arg(s.match)
                     : s.kind == PromptRecord::File  ? QStringLiteral("file dialog")
                                                     : QStringLiteral("input"));
        QTest::qFail(qPrintable(QStringLiteral("scripted answers left unused: ") + left.join(QStringLiteral(", "))),
                     __FILE__, __LINE__);
    }
}

ScriptedPrompts &ScriptedPrompts::expectMessage(const QString &textPart, Button answer)
{
    m_script.append({PromptRecord::Message, textPart, answer, {}, true});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectFile(const QString &answer)
{
    m_script.append({PromptRecord::File, {}, Button::Ok, answer, true});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectInput(const QString &answer, bool accept)
{
    m_script.append({PromptRecord::Input, {}, Button::Ok, answer, accept});
    return *this;
}

bool ScriptedPrompts::take(PromptRecord::Kind kind, const QString &what, Step &step)
{
    if (m_script.isEmpty() || m_script.first().kind != kind
        || (kind == PromptRecord::Message && !what.contains(m_script.first().match))) {
        ++m_unexpected;
        QString expected = m_script.isEmpty() ? QStringLiteral("nothing")
                                              : QStringLiteral("\"%1\"").arg(m_script.first().match);
        if (onUnexpected)
            onUnexpected(QStringLiteral("%1 (expected %2)").arg(what, expected));
        return false;
    }
    step = m_script.takeFirst();
    return true;
}

Button ScriptedPrompts::message(const MessageBox &box)
{
    PromptRecord r;
    r.kind = PromptRecord::Message;
    r.box = box;
    m_records.append(r);
    Step step;
    if (!take(PromptRecord::Message, box.title + QStringLiteral(": ") + box.text, step))
        return box.buttons.testFlag(Button::Cancel) ? Button::Cancel : box.defaultButton;
    return step.button;
}

QString ScriptedPrompts::chooseFile(const FileRequest &request)
{
    PromptRecord r;
    r.kind = PromptRecord::File;
    r.request = request;
    m_records.append(r);
    Step step;
    if (!take(PromptRecord::File, QStringLiteral("file dialog ") + request.title, step))
        return {};
    return step.text;
}

bool ScriptedPrompts::inputText(const QString &title, const QString &label, QString &value)
{
    PromptRecord r;
    r.kind = PromptRecord::Input;
    r.inputTitle = title;
    r.inputLabel = label;
    m_records.append(r);
    Step step;
    if (!take(PromptRecord::Input, QStringLiteral("input ") + title, step))
        return false;
    if (step.accept)
        value = step.text;
    return step.accept;
}

MessageBox ScriptedPrompts::lastMessage() const
{
    for (auto it = m_records.crbegin(); it != m_records.crend(); ++it)
        if (it->kind == PromptRecord::Message)
            return it->box;
    return {};
}

}  // namespace voxa::test
