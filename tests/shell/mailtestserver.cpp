#include "mailtestserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace rotalina::test {

namespace {

// Debian's interpreter, where python3-aiosmtpd installs; another python3 on the path may lack it.
QString python()
{
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                 : QStringLiteral("python3");
}

bool run(const QString &program, const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A key and a certificate signed by the test authority for the names given.
bool signServer(const QString &folder, const QString &name, const QByteArray &altNames)
{
    const QString o = QStringLiteral("openssl");
    return writeText(folder + u'/' + name + QStringLiteral(".ext"),
                     "subjectAltName=" + altNames +
                         "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n") &&
           run(o,
               {QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                QStringLiteral("-out"), name + QStringLiteral(".csr"), QStringLiteral("-subj"),
                QStringLiteral("/CN=") + name},
               folder) &&
           run(o,
               {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                name + QStringLiteral(".csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                name + QStringLiteral(".ext"), QStringLiteral("-out"), name + QStringLiteral(".crt")},
               folder);
}

} // namespace

const MailCertificates &mailCertificates()
{
    static QTemporaryDir folder;
    static const MailCertificates made = [] {
        MailCertificates c;
        const QString f = folder.path();
        const bool authority =
            run(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                 QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                 QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.crt"),
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=Autorita di prova"), QStringLiteral("-addext"),
                 QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                 QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                f);
        if (!authority || !signServer(f, QStringLiteral("server"), "DNS:localhost,IP:127.0.0.1") ||
            !signServer(f, QStringLiteral("altro"), "DNS:posta.altro.example"))
            return c;
        c.caFile = f + QStringLiteral("/ca.crt");
        c.serverCert = f + QStringLiteral("/server.crt");
        c.serverKey = f + QStringLiteral("/server.key");
        c.otherNameCert = f + QStringLiteral("/altro.crt");
        c.otherNameKey = f + QStringLiteral("/altro.key");
        return c;
    }();
    return made;
}

QString MailTestServer::unavailableReason()
{
    static const QString reason = [] {
        QProcess probe;
        probe.start(python(), {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
        if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
            return QStringLiteral("python3-aiosmtpd non è installato: i test sul server di posta reale sono "
                                  "saltati (tools/setup test lo installa)");
        return QString();
    }();
    return reason;
}

MailTestServer::MailTestServer(const Options &options) : m_process(std::make_unique<QProcess>())
{
    QStringList arguments{QStringLiteral(ROTALINA_SOURCE_DIR "/tests/shell/smtptestserver.py"),
                          QStringLiteral("--store"), m_store.path()};
    static const char *modes[] = {"plain", "starttls", "tls", "nostarttls"};
    arguments << QStringLiteral("--mode") << QString::fromLatin1(modes[int(options.mode)]);
    if (options.mode == Mode::StartTls || options.mode == Mode::ImplicitTls) {
        const MailCertificates &certificates = mailCertificates();
        if (certificates.caFile.isEmpty()) {
            m_error = QStringLiteral("openssl could not make the certificates");
            return;
        }
        arguments << QStringLiteral("--cert")
                  << (options.otherName ? certificates.otherNameCert : certificates.serverCert)
                  << QStringLiteral("--key")
                  << (options.otherName ? certificates.otherNameKey : certificates.serverKey);
    }
    if (!options.user.isEmpty())
        arguments << QStringLiteral("--user") << options.user << QStringLiteral("--password")
                  << options.password;
    for (const QString &refused : options.refuse)
        arguments << QStringLiteral("--refuse") << refused;
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->start(python(), arguments);
    QElapsedTimer waited;
    waited.start();
    QByteArray output;
    while (waited.elapsed() < 20000 && m_process->state() != QProcess::NotRunning) {
        m_process->waitForReadyRead(200);
        output += m_process->readAllStandardOutput();
        const qsizetype line = output.indexOf('\n');
        if (line >= 0 && output.startsWith("PORT ")) {
            m_port = output.mid(5, line - 5).trimmed().toInt();
            return;
        }
    }
    m_error = QStringLiteral("the mail server did not start: ") +
              QString::fromUtf8(m_process->readAllStandardError());
}

MailTestServer::~MailTestServer()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

QList<QJsonObject> MailTestServer::messages() const
{
    QList<QJsonObject> found;
    const QDir store(m_store.path());
    for (const QString &name : store.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        found.append(QJsonDocument::fromJson(fileBytes(store.filePath(name))).object());
    return found;
}

QByteArray MailTestServer::fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace rotalina::test
