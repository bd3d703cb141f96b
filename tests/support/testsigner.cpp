#include "support/testsigner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace rotalina::test {

namespace {

bool runOpenssl(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "openssl " << arguments.join(u' ').toStdString() << ": "
                      << process.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

} // namespace

TestSigner::TestSigner(QString folder) : m_folder(std::move(folder))
{
    m_openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
}

bool TestSigner::available()
{
    if (m_openssl.isEmpty())
        return false;
    if (!m_key.isEmpty())
        return true;
    const QString key = QDir(m_folder).filePath(QStringLiteral("firma.key"));
    const QString certificate = QDir(m_folder).filePath(QStringLiteral("firma.pem"));
    if (!runOpenssl(m_openssl,
                    {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                     QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                     QStringLiteral("/CN=Fornitore di prova"), QStringLiteral("-keyout"), key,
                     QStringLiteral("-out"), certificate, QStringLiteral("-days"), QStringLiteral("2")}))
        return false;
    m_key = key;
    m_certificate = certificate;
    return true;
}

QByteArray TestSigner::sign(const QByteArray &content, Form form)
{
    if (!available())
        return {};
    const QString in = QDir(m_folder).filePath(QStringLiteral("da_firmare.xml"));
    const QString out = QDir(m_folder).filePath(QStringLiteral("firmato.p7m"));
    QFile source(in);
    if (!source.open(QIODevice::WriteOnly) || source.write(content) != content.size())
        return {};
    source.close();
    QStringList arguments{QStringLiteral("cms"),     QStringLiteral("-sign"),
                          QStringLiteral("-binary"), QStringLiteral("-nodetach"),
                          QStringLiteral("-in"),     in,
                          QStringLiteral("-signer"), m_certificate,
                          QStringLiteral("-inkey"),  m_key,
                          QStringLiteral("-out"),    out};
    arguments << QStringLiteral("-outform")
              << (form == Form::Pem ? QStringLiteral("PEM") : QStringLiteral("DER"));
    if (form == Form::StreamedBer)
        arguments << QStringLiteral("-stream");
    if (!runOpenssl(m_openssl, arguments))
        return {};
    QFile signedFile(out);
    if (!signedFile.open(QIODevice::ReadOnly))
        return {};
    const QByteArray envelope = signedFile.readAll();
    switch (form) {
    case Form::Der:
    case Form::StreamedBer:
    case Form::Pem:
        return envelope;
    case Form::Base64Line:
        return envelope.toBase64();
    case Form::Base64Wrapped: {
        const QByteArray text = envelope.toBase64();
        QByteArray wrapped;
        for (qsizetype i = 0; i < text.size(); i += 64)
            wrapped += text.mid(i, 64) + "\r\n";
        return wrapped;
    }
    }
    return {};
}

} // namespace rotalina::test
