#pragma once

#include "shell/prompter.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace rotalina::shell {

// The prompter of the tests: records everything shown and answers from queues. A question with
// no queued answer is answered No, a dialog with no queued answer is cancelled.
class ScriptedPrompter : public Prompter
{
public:
    enum class Kind { Message, Question, Information, OpenFile, SaveFile, Folder, Text };
    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
    };

    void message(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;
    void information(const QString &text) override;
    QString openFile(const QString &title, const QString &folder, const QString &filter) override;
    // The queued answer holds the files separated by "|".
    QStringList openFiles(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFile(const QString &title, const QString &path, const QString &filter) override;
    QString chooseFolder(const QString &title, const QString &folder) override;
    QString askText(const QString &title, const QString &label, const QString &initial = {}) override;

    void answerQuestions(std::initializer_list<bool> answers);
    void answerDialogs(std::initializer_list<QString> answers);

    const QList<Shown> &shown() const { return m_shown; }
    // The texts shown so far, in order.
    QStringList texts() const;
    // The last text shown, or an empty text.
    QString lastText() const;
    bool wasShown(const QString &text) const { return texts().contains(text); }
    void clear() { m_shown.clear(); }

private:
    QString nextDialogAnswer();

    QList<Shown> m_shown;
    QQueue<bool> m_questionAnswers;
    QQueue<QString> m_dialogAnswers;
};

} // namespace rotalina::shell
