#pragma once

#include <QByteArray>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QThread>
#include <optional>

namespace rotalina::test {

// A small HTTP server on a free loopback port, for programs that talk to a web service. It runs in
// a thread of its own, so that it answers while the test's thread waits inside a blocking client
// (libcurl). Every request gets the reply set last; the server counts the requests and keeps
// their targets ("/route/v1/driving/...?...").
class HttpTestServer : public QThread
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json; charset=UTF-8";
    };

    HttpTestServer();
    ~HttpTestServer() override;

    // False when no port could be had (startError() says why).
    bool listening() const { return m_port > 0; }
    const QString &startError() const { return m_startError; }
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>".
    QString address() const;

    void setReply(const Reply &reply);
    // Requests are read and never answered: the client waits until it gives up.
    void stayQuiet();

    int requestCount() const;
    QStringList targets() const;

protected:
    void run() override;

private:
    // What to send for a request that arrived, or nothing when the server stays quiet.
    std::optional<QByteArray> answerTo(const QByteArray &requestLine);

    quint16 m_port = 0;
    QString m_startError;
    QSemaphore m_ready;
    mutable QMutex m_lock;
    Reply m_reply;
    bool m_quiet = false;
    QStringList m_targets;
};

// A certificate for 127.0.0.1 that nobody vouches for, and its key, made with openssl in a folder
// that lives as long as the test program; empty when openssl is missing.
struct SelfSignedCertificate
{
    QString certificateFile;
    QString keyFile;
};
const SelfSignedCertificate &selfSignedCertificate();

// An HTTPS server on a free loopback port that presents a certificate, for clients that must refuse
// it. It is openssl's own test server in a process of its own: no TLS server lives in the test's
// process, whose memory the sanitizers check. Whatever is asked, it answers with a page of its own.
class TlsTestServer
{
public:
    explicit TlsTestServer(const SelfSignedCertificate &certificate);
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer &) = delete;
    TlsTestServer &operator=(const TlsTestServer &) = delete;

    bool listening() const { return m_port > 0; }
    const QString &startError() const { return m_startError; }
    // "https://127.0.0.1:<port>".
    QString address() const;

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_startError;
};

} // namespace rotalina::test
