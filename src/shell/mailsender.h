#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// How the outgoing mail server is reached, as the options keep it.
struct MailSettings
{
    QString host;
    int port = 0; // 0 means the standard port 25
    QString sender;
    bool encrypted = false;
    // The stored encryption code: 0-2 ask for STARTTLS after the greeting, 3 speaks TLS from the
    // first byte. The SSL 2.0/3.0 and TLS 1.0 these codes once named are broken and refused by
    // current servers, so every code means TLS 1.2 or later.
    int encryptionCode = 0;
    bool authenticate = false;
    QString user;
    QString password;
    // A file of certificates trusted besides the system's, for a firm's own mail server or a test
    // server. Verification of the certificate and of the host name is never switched off.
    QString extraCaFile;
};

// The settings from the options row; the extra trusted certificates come from the environment
// variable ROTALINA_SMTP_CA_FILE when it names a file.
core::Result<MailSettings> readMailSettings(storage::Archive &archive);
// The message that keeps mail from being sent before any connection is tried: no host, no sender.
std::optional<QString> mailSettingsProblem(const MailSettings &settings);

// The port really used (0 becomes 25) and the address handed to the mail library:
// "smtps://host:port" for TLS from the first byte, "smtp://host:port" otherwise.
int effectivePort(const MailSettings &settings);
bool implicitTls(const MailSettings &settings);
QString mailServerUrl(const MailSettings &settings);

// One message to send.
struct MailMessage
{
    QStringList recipients;
    QString subject;
    QString body;            // plain text
    QStringList attachments; // file paths
};

// The content type a mail client expects for a file, by its extension: PDF, XML, signed
// envelopes, pictures, texts; anything else is application/octet-stream.
QByteArray attachmentContentType(const QString &fileName);
// A header text as RFC 2047 encoded words when it is not plain ASCII.
QByteArray encodedHeaderText(const QString &text);

// Sends messages. Windows take it by reference, so that their tests can hand them a fake.
class MailSender
{
public:
    virtual ~MailSender() = default;
    // Connects, authenticates when asked, sends the message to all its recipients and disconnects;
    // a failure names its cause and never holds the password.
    virtual core::Status send(const MailSettings &settings, const MailMessage &message) = 0;
};

// Sends through libcurl: STARTTLS or implicit TLS, AUTH LOGIN, a MIME message with Base64
// attachments. An unreachable server fails within seconds and a stalled transfer within a bounded
// time, so a window waiting on it is never frozen for long.
class CurlMailSender : public MailSender
{
public:
    CurlMailSender();
    ~CurlMailSender() override;
    CurlMailSender(const CurlMailSender &) = delete;
    CurlMailSender &operator=(const CurlMailSender &) = delete;

    core::Status send(const MailSettings &settings, const MailMessage &message) override;

    static constexpr int connectTimeoutSeconds = 8;
    static constexpr int totalTimeoutSeconds = 180;
};

// What sending one message to each recipient in turn came to.
struct MailRun
{
    int sent = 0;
    QStringList notSent; // "Messaggio Non inviato a : " + address, in order
    QString lastError;   // why the last failed one failed
    bool cancelled = false;
    // "Termine Invio Messaggi !" followed by the recipients not reached.
    QString report() const;
};
// Told before each message how many are done and who is next; false stops the run there and the
// recipients left count as not sent.
using MailProgress = std::function<bool(int done, int total, const QString &next)>;
// Sends the message to each recipient on its own, so that one refused address or mailbox does not
// keep the message from the others and nobody sees the other recipients.
MailRun sendToEach(MailSender &sender, const MailSettings &settings, MailMessage message,
                   const QStringList &recipients, const MailProgress &progress = {});

namespace mailMessages {
QString missingHost();                     // "Per inviare email è necessario impostare l' Host SMTP ..."
QString missingSender();                   // "Per inviare email è necessario impostare il mittente ..."
QString missingRecipient();                // "Manca il destinatario"
QString notSentTo(const QString &address); // "Messaggio Non inviato a : " + address
QString finished();                        // "Termine Invio Messaggi !"
} // namespace mailMessages

} // namespace rotalina::shell
