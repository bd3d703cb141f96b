#include "support/httptestserver.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QMutexLocker>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace rotalina::test {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpTestServer::HttpTestServer()
{
    start();
    m_ready.acquire();
}

HttpTestServer::~HttpTestServer()
{
    quit();
    wait();
}

QString HttpTestServer::address() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void HttpTestServer::setReply(const Reply &reply)
{
    const QMutexLocker locked(&m_lock);
    m_reply = reply;
    m_quiet = false;
}

void HttpTestServer::stayQuiet()
{
    const QMutexLocker locked(&m_lock);
    m_quiet = true;
}

int HttpTestServer::requestCount() const
{
    const QMutexLocker locked(&m_lock);
    return static_cast<int>(m_targets.size());
}

QStringList HttpTestServer::targets() const
{
    const QMutexLocker locked(&m_lock);
    return m_targets;
}

std::optional<QByteArray> HttpTestServer::answerTo(const QByteArray &requestLine)
{
    const QMutexLocker locked(&m_lock);
    m_targets.append(QString::fromLatin1(requestLine.split(' ').value(1)));
    if (m_quiet)
        return std::nullopt;
    return "HTTP/1.1 " + QByteArray::number(m_reply.status) + ' ' + reasonPhrase(m_reply.status) +
           "\r\nContent-Type: " + m_reply.contentType +
           "\r\nContent-Length: " + QByteArray::number(m_reply.body.size()) +
           "\r\nConnection: close\r\n\r\n" + m_reply.body;
}

void HttpTestServer::run()
{
    // Everything of the server lives and dies in this thread.
    auto server = std::make_unique<QTcpServer>();
    if (!server->listen(QHostAddress::LocalHost, 0)) {
        m_startError = server->errorString();
        m_ready.release();
        return;
    }
    m_port = server->serverPort();
    QTcpServer *listener = server.get();
    QObject::connect(listener, &QTcpServer::pendingConnectionAvailable, listener, [this, listener] {
        while (QTcpSocket *socket = listener->nextPendingConnection()) {
            // The request is complete at its empty line: the clients of the tests send no body.
            auto received = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                received->append(socket->readAll());
                const qsizetype end = received->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const QByteArray requestLine = received->left(received->indexOf("\r\n"));
                received->clear();
                if (const std::optional<QByteArray> answer = answerTo(requestLine)) {
                    socket->write(*answer);
                    socket->disconnectFromHost();
                }
            });
        }
    });
    m_ready.release();
    exec();
}

const SelfSignedCertificate &selfSignedCertificate()
{
    static QTemporaryDir folder;
    static const SelfSignedCertificate made = [] {
        SelfSignedCertificate files;
        QProcess openssl;
        openssl.setWorkingDirectory(folder.path());
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                       QStringLiteral("key.pem"), QStringLiteral("-out"), QStringLiteral("cert.pem"),
                       QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                       QStringLiteral("subjectAltName=IP:127.0.0.1")});
        if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
            openssl.exitCode() != 0)
            return files;
        files.certificateFile = folder.filePath(QStringLiteral("cert.pem"));
        files.keyFile = folder.filePath(QStringLiteral("key.pem"));
        return files;
    }();
    return made;
}

TlsTestServer::TlsTestServer(const SelfSignedCertificate &certificate)
{
    // A port that was free a moment ago; another program may take it first, hence the retries.
    for (int attempt = 0; attempt < 3 && m_port == 0; ++attempt) {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0)) {
            m_startError = probe.errorString();
            return;
        }
        const quint16 port = probe.serverPort();
        probe.close();
        m_process.start(QStringLiteral("openssl"),
                        {QStringLiteral("s_server"), QStringLiteral("-accept"),
                         QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-cert"),
                         certificate.certificateFile, QStringLiteral("-key"), certificate.keyFile,
                         QStringLiteral("-www"), QStringLiteral("-quiet")});
        if (!m_process.waitForStarted(10000)) {
            m_startError = m_process.errorString();
            return;
        }
        const QDeadlineTimer deadline(10000);
        while (m_process.state() == QProcess::Running && !deadline.hasExpired()) {
            QTcpSocket knock;
            knock.connectToHost(QHostAddress::LocalHost, port);
            if (knock.waitForConnected(200)) {
                m_port = port;
                break;
            }
            QThread::msleep(50);
        }
        if (m_port == 0) {
            m_startError = QString::fromLocal8Bit(m_process.readAllStandardError());
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

TlsTestServer::~TlsTestServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString TlsTestServer::address() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(m_port);
}

} // namespace rotalina::test
