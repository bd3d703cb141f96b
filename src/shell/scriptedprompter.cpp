#include "shell/scriptedprompter.h"

namespace rotalina::shell {

void ScriptedPrompter::message(const QString &title, const QString &text)
{
    m_shown.append({Kind::Message, title, text});
}

bool ScriptedPrompter::ask(const QString &title, const QString &text)
{
    m_shown.append({Kind::Question, title, text});
    return m_questionAnswers.isEmpty() ? false : m_questionAnswers.dequeue();
}

void ScriptedPrompter::information(const QString &text)
{
    m_shown.append({Kind::Information, QString(), text});
}

QString ScriptedPrompter::openFile(const QString &title, const QString &, const QString &filter)
{
    m_shown.append({Kind::OpenFile, title, filter});
    return nextDialogAnswer();
}

QStringList ScriptedPrompter::openFiles(const QString &title, const QString &, const QString &filter)
{
    m_shown.append({Kind::OpenFile, title, filter});
    const QString answer = nextDialogAnswer();
    return answer.isEmpty() ? QStringList() : answer.split(u'|');
}

QString ScriptedPrompter::saveFile(const QString &title, const QString &path, const QString &)
{
    m_shown.append({Kind::SaveFile, title, path});
    return nextDialogAnswer();
}

QString ScriptedPrompter::chooseFolder(const QString &title, const QString &folder)
{
    m_shown.append({Kind::Folder, title, folder});
    return nextDialogAnswer();
}

QString ScriptedPrompter::askText(const QString &title, const QString &label, const QString &)
{
    m_shown.append({Kind::Text, title, label});
    return nextDialogAnswer();
}

void ScriptedPrompter::answerQuestions(std::initializer_list<bool> answers)
{
    for (bool answer : answers)
        m_questionAnswers.enqueue(answer);
}

void ScriptedPrompter::answerDialogs(std::initializer_list<QString> answers)
{
    for (const QString &answer : answers)
        m_dialogAnswers.enqueue(answer);
}

QStringList ScriptedPrompter::texts() const
{
    QStringList all;
    for (const Shown &shown : m_shown)
        all.append(shown.text);
    return all;
}

QString ScriptedPrompter::lastText() const
{
    return m_shown.isEmpty() ? QString() : m_shown.last().text;
}

QString ScriptedPrompter::nextDialogAnswer()
{
    return m_dialogAnswers.isEmpty() ? QString() : m_dialogAnswers.dequeue();
}

} // namespace rotalina::shell
