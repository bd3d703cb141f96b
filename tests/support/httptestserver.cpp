#include "support/httptestserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QMutexLocker>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <memory>
#include <utility>

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

// The server of the thread: plain, or TLS with the certificate.
std::unique_ptr<QTcpServer> makeServer(const QString &certificateFile, const QString &keyFile, QString &error)
{
    if (certificateFile.isEmpty())
        return std::make_unique<QTcpServer>();
    QFile certificate(certificateFile);
    QFile key(keyFile);
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("certificate or key not readable");
        return nullptr;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(&certificate, QSsl::Pem));
    configuration.setPrivateKey(QSslKey(&key, QSsl::Rsa, QSsl::Pem));
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(configuration);
    return server;
}

} // namespace

HttpTestServer::HttpTestServer()
{
    begin({}, {});
}

HttpTestServer::HttpTestServer(const QString &certificateFile, const QString &keyFile)
{
    begin(certificateFile, keyFile);
}

HttpTestServer::~HttpTestServer()
{
    // A handshake cut short by the end of the thread leaves the TLS library's objects behind: the
    // client's refusal reaches the server first.
    const QDeadlineTimer deadline(5000);
    while (m_unsettledHandshakes.load() > 0 && !deadline.hasExpired())
        QThread::msleep(5);
    quit();
    wait();
}

void HttpTestServer::begin(const QString &certificateFile, const QString &keyFile)
{
    m_certificateFile = certificateFile;
    m_keyFile = keyFile;
    start();
    m_ready.acquire();
}

QString HttpTestServer::address() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_certificateFile.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"))
        .arg(m_port);
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
    std::unique_ptr<QTcpServer> server = makeServer(m_certificateFile, m_keyFile, m_startError);
    if (!server || !server->listen(QHostAddress::LocalHost, 0)) {
        if (server)
            m_startError = server->errorString();
        m_ready.release();
        return;
    }
    m_port = server->serverPort();
    QTcpServer *listener = server.get();
    if (auto *tls = qobject_cast<QSslServer *>(listener)) {
        QObject::connect(tls, &QSslServer::startedEncryptionHandshake, tls, [this](QSslSocket *socket) {
            m_unsettledHandshakes.fetch_add(1);
            auto settled = std::make_shared<bool>(false);
            const auto settle = [this, settled] {
                if (!std::exchange(*settled, true))
                    m_unsettledHandshakes.fetch_sub(1);
            };
            QObject::connect(socket, &QSslSocket::encrypted, socket, settle);
            // No context object: the socket's destruction is what is being watched.
            QObject::connect(socket, &QObject::destroyed, settle);
        });
        QObject::connect(tls, &QSslServer::errorOccurred, tls,
                         [](QSslSocket *socket, QAbstractSocket::SocketError) { socket->deleteLater(); });
    }
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

} // namespace rotalina::test
