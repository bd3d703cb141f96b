#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace rotalina::test {

// Certificates made with openssl for the mail tests: a certification authority of the tests, a
// server certificate it signed for 127.0.0.1 and localhost, and one it signed for another name.
struct MailCertificates
{
    QString caFile;
    QString serverCert;
    QString serverKey;
    QString otherNameCert;
    QString otherNameKey;
};
// Made once per test program; empty (caFile) when openssl failed.
const MailCertificates &mailCertificates();

// A real mail server (Debian's python3-aiosmtpd) on a free loopback port, started by the test and
// stopped with it; it keeps what it receives in a folder of its own.
class MailTestServer
{
public:
    enum class Mode { Plain, StartTls, ImplicitTls, NoStartTls };
    struct Options
    {
        Mode mode = Mode::Plain;
        QString user; // with a user, authentication is required
        QString password;
        QStringList refuse;     // recipients refused at RCPT
        bool otherName = false; // the certificate for another host name
    };

    // Why the server cannot run here (python3-aiosmtpd missing), or an empty text.
    static QString unavailableReason();

    explicit MailTestServer(const Options &options);
    ~MailTestServer();

    bool started() const { return m_port > 0; }
    QString startError() const { return m_error; }
    int port() const { return m_port; }

    // What arrived, in order: the summaries the server wrote (see smtptestserver.py).
    QList<QJsonObject> messages() const;
    static QByteArray fileBytes(const QString &path);

private:
    QTemporaryDir m_store;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_error;
};

} // namespace rotalina::test
