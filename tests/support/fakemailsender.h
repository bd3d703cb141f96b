#pragma once

#include "shell/mailsender.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <mutex>

namespace rotalina::test {

// A mail sender that sends nothing: it keeps the messages it was given, refuses the recipients it
// is told to, and lets a test act while a message is "going out" (the window sends from a worker
// thread, so the action runs there).
class FakeMailSender : public shell::MailSender
{
public:
    core::Status send(const shell::MailSettings &settings, const shell::MailMessage &message) override
    {
        std::function<void(int)> action;
        int count = 0;
        {
            const std::lock_guard lock(m_mutex);
            lastSettings = settings;
            sent.append(message);
            count = int(sent.size());
            action = whileSending;
        }
        if (action)
            action(count);
        if (!message.recipients.isEmpty() && refuse.contains(message.recipients.first()))
            return core::Status::failure(QStringLiteral("Invio non riuscito: RCPT failed: 550"));
        return {};
    }

    QList<shell::MailMessage> sent;
    shell::MailSettings lastSettings;
    QStringList refuse;
    std::function<void(int count)> whileSending;

private:
    std::mutex m_mutex;
};

} // namespace rotalina::test
