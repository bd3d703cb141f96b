#include "mailtestserver.h"
#include "shell/mailsender.h"
#include "support/testarchive.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;
using rotalina::test::MailTestServer;

namespace {

const QString account = QStringLiteral("ufficio@rotalina.test");
const QString secret = QStringLiteral("Segreta-è-123");

#define SKIP_WITHOUT_SERVER()                                                                                \
    do {                                                                                                     \
        if (const QString why = MailTestServer::unavailableReason(); !why.isEmpty())                         \
            GTEST_SKIP() << why.toStdString();                                                               \
    } while (false)

MailSettings settingsFor(const MailTestServer &server, bool encrypted = false, int code = 0)
{
    MailSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = server.port();
    settings.sender = QStringLiteral("amministrazione@trasporti.test");
    settings.encrypted = encrypted;
    settings.encryptionCode = code;
    settings.authenticate = true;
    settings.user = account;
    settings.password = secret;
    settings.extraCaFile = test::mailCertificates().caFile;
    return settings;
}

MailTestServer::Options authenticated(MailTestServer::Mode mode)
{
    MailTestServer::Options options;
    options.mode = mode;
    options.user = account;
    options.password = secret;
    return options;
}

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

MailMessage simpleMessage(const QString &to)
{
    MailMessage message;
    message.recipients = {to};
    message.subject = QStringLiteral("Prova");
    message.body = QStringLiteral("Buongiorno");
    return message;
}

// A loopback port where nobody listens: the connection is refused at once.
constexpr int closedPort = 1;

} // namespace

TEST(MailAddressing, PortZeroMeansTwentyFiveAndCodeThreeIsImplicitTls)
{
    MailSettings settings;
    settings.host = QStringLiteral("posta.example.it");
    settings.port = 0;
    EXPECT_EQ(effectivePort(settings), 25);
    EXPECT_EQ(mailServerUrl(settings), QStringLiteral("smtp://posta.example.it:25"));
    settings.encrypted = true;
    for (int code : {0, 1, 2}) {
        settings.encryptionCode = code;
        EXPECT_FALSE(implicitTls(settings)) << code;
        EXPECT_EQ(mailServerUrl(settings), QStringLiteral("smtp://posta.example.it:25")) << code;
    }
    settings.encryptionCode = 3;
    settings.port = 465;
    EXPECT_TRUE(implicitTls(settings));
    EXPECT_EQ(mailServerUrl(settings), QStringLiteral("smtps://posta.example.it:465"));
    // Code 3 without the encryption flag is plain SMTP.
    settings.encrypted = false;
    settings.port = 587;
    EXPECT_EQ(mailServerUrl(settings), QStringLiteral("smtp://posta.example.it:587"));
}

TEST(MailAddressing, ConfigurationGapsHaveTheirMessages)
{
    MailSettings settings;
    settings.sender = QStringLiteral("a@b.it");
    EXPECT_EQ(mailSettingsProblem(settings),
              QStringLiteral("Per inviare email è necessario impostare l' Host SMTP tra le opzioni del "
                             "programma !"));
    settings.host = QStringLiteral("posta.example.it");
    settings.sender = QStringLiteral("  ");
    EXPECT_EQ(mailSettingsProblem(settings),
              QStringLiteral("Per inviare email è necessario impostare il mittente delle email tra le "
                             "opzioni del programma !"));
    settings.sender = QStringLiteral("a@b.it");
    EXPECT_FALSE(mailSettingsProblem(settings).has_value());
}

TEST(MailAddressing, AttachmentsGetTheContentTypeOfTheirFile)
{
    const QList<std::pair<const char *, const char *>> cases = {
        {"Fattura_5_2024.pdf", "application/pdf"},
        {"IT01234567890_00012.xml", "application/xml"},
        {"IT01234567890_00012.xml.p7m", "application/pkcs7-mime"},
        {"FOTO.PNG", "image/png"},
        {"scansione.jpg", "image/jpeg"},
        {"note.txt", "text/plain"},
        {"senza", "application/octet-stream"},
    };
    for (const auto &[name, type] : cases)
        EXPECT_EQ(attachmentContentType(QString::fromLatin1(name)), QByteArray(type)) << name;
}

TEST(MailAddressing, HeaderTextIsEncodedOnlyWhenNotAscii)
{
    EXPECT_EQ(encodedHeaderText(QStringLiteral("Fattura numero 5")), QByteArray("Fattura numero 5"));
    const QByteArray encoded = encodedHeaderText(QStringLiteral("Fattura n° 5 è pronta"));
    EXPECT_TRUE(encoded.startsWith("=?UTF-8?B?"));
    // A long text is cut into words of at most 75 characters, never inside a character.
    const QByteArray longer = encodedHeaderText(QString(40, QChar(0x00e8)));
    for (const QByteArray &word : longer.split('\n')) {
        const QByteArray trimmed = word.trimmed();
        EXPECT_LE(trimmed.size(), 75);
        const QByteArray inner = trimmed.mid(10, trimmed.size() - 12);
        EXPECT_TRUE(QString::fromUtf8(QByteArray::fromBase64(inner)).count(QChar(0x00e8)) > 0);
    }
}

TEST(MailSettingsFromOptions, ReadFromTheOptionsRowAndTheTestAuthority)
{
    std::unique_ptr<storage::Archive> archive = test::newArchive();
    ASSERT_TRUE(
        archive
            ->execute(QStringLiteral("UPDATE opzioni SET SmtpHost = ?, SmtpPorta = ?, "
                                     "SmtpMittenteEmail = ?, SmtpCriptato = ?, SmtpCriptaggioTipo = ?, "
                                     "SmtpAutenticazioneServer = ?, SmtpUserName = ?, SmtpPassword = ?"),
                      {QStringLiteral(" posta.example.it "), 0, QStringLiteral("a@b.it"),
                       storage::Archive::archiveValue(storage::FieldKind::Boolean, true), 3,
                       storage::Archive::archiveValue(storage::FieldKind::Boolean, true),
                       QStringLiteral("utente"), QStringLiteral("parola")})
            .ok());
    QTemporaryDir folder;
    const QString ca = writeFile(folder, QStringLiteral("ca.pem"), "certificati");
    qputenv("ROTALINA_SMTP_CA_FILE", QFile::encodeName(ca));
    const core::Result<MailSettings> settings = readMailSettings(*archive);
    qunsetenv("ROTALINA_SMTP_CA_FILE");
    ASSERT_TRUE(settings.ok()) << settings.error().toStdString();
    EXPECT_EQ(settings->host, QStringLiteral("posta.example.it"));
    EXPECT_EQ(effectivePort(*settings), 25);
    EXPECT_TRUE(settings->encrypted);
    EXPECT_EQ(settings->encryptionCode, 3);
    EXPECT_TRUE(settings->authenticate);
    EXPECT_EQ(settings->user, QStringLiteral("utente"));
    EXPECT_EQ(settings->password, QStringLiteral("parola"));
    EXPECT_EQ(settings->extraCaFile, ca);
    EXPECT_TRUE(readMailSettings(*archive)->extraCaFile.isEmpty());
}

TEST(MailOnARealServer, PlainMessageArrivesWithAccentsAndAttachmentsByteForByte)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer server(authenticated(MailTestServer::Mode::Plain));
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    QTemporaryDir folder;
    const QByteArray pdf = "%PDF-1.4\n" + randomBytes(40000);
    const QByteArray xml = "<?xml version=\"1.0\"?><FatturaElettronica>è</FatturaElettronica>";
    const QByteArray p7m = randomBytes(3000);
    const QByteArray png = "\x89PNG\r\n\x1a\n" + randomBytes(500);
    MailMessage message;
    message.recipients = {QStringLiteral("cliente@esempio.test")};
    message.subject = QStringLiteral("Fattura numero 5 del : 02/01/2024 — è già pagata? Sì, perché così è");
    message.body = QStringLiteral("Gentile cliente,\nin allegato la fattura.\n\nCordiali saluti\nÀÈÌÒÙ €");
    message.attachments = {writeFile(folder, QStringLiteral("Fattura_5_2024.pdf"), pdf),
                           writeFile(folder, QStringLiteral("IT01234567890_00012.xml"), xml),
                           writeFile(folder, QStringLiteral("IT01234567890_00012.xml.p7m"), p7m),
                           writeFile(folder, QStringLiteral("ricevuta è più.png"), png)};
    CurlMailSender sender;
    const core::Status sent = sender.send(settingsFor(server), message);
    ASSERT_TRUE(sent.ok()) << sent.error().toStdString();

    const QList<QJsonObject> arrived = server.messages();
    ASSERT_EQ(arrived.size(), 1);
    const QJsonObject &mail = arrived.first();
    EXPECT_FALSE(mail.value(QStringLiteral("tls")).toBool());
    EXPECT_TRUE(mail.value(QStringLiteral("authenticated")).toBool());
    EXPECT_EQ(mail.value(QStringLiteral("mailFrom")).toString(),
              QStringLiteral("amministrazione@trasporti.test"));
    EXPECT_EQ(mail.value(QStringLiteral("recipients")).toArray(),
              QJsonArray{QStringLiteral("cliente@esempio.test")});
    EXPECT_EQ(mail.value(QStringLiteral("subject")).toString(), message.subject);
    EXPECT_TRUE(mail.value(QStringLiteral("multipart")).toBool());
    QString body = mail.value(QStringLiteral("body")).toString();
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(body.trimmed(), message.body);
    const QJsonArray attachments = mail.value(QStringLiteral("attachments")).toArray();
    ASSERT_EQ(attachments.size(), 4);
    const QList<std::tuple<QString, QString, QByteArray>> expected = {
        {QStringLiteral("Fattura_5_2024.pdf"), QStringLiteral("application/pdf"), pdf},
        {QStringLiteral("IT01234567890_00012.xml"), QStringLiteral("application/xml"), xml},
        {QStringLiteral("IT01234567890_00012.xml.p7m"), QStringLiteral("application/pkcs7-mime"), p7m},
        {QStringLiteral("ricevuta è più.png"), QStringLiteral("image/png"), png}};
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QJsonObject part = attachments.at(i).toObject();
        const auto &[name, type, bytes] = expected.at(i);
        EXPECT_EQ(part.value(QStringLiteral("filename")).toString(), name);
        EXPECT_EQ(part.value(QStringLiteral("contentType")).toString(), type);
        EXPECT_EQ(part.value(QStringLiteral("transferEncoding")).toString().toLower(),
                  QStringLiteral("base64"));
        EXPECT_EQ(MailTestServer::fileBytes(part.value(QStringLiteral("file")).toString()), bytes)
            << name.toStdString();
    }
}

TEST(MailOnARealServer, CodesZeroToTwoUseStartTls)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer server(authenticated(MailTestServer::Mode::StartTls));
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    CurlMailSender sender;
    for (int code : {0, 1, 2}) {
        const core::Status sent = sender.send(settingsFor(server, true, code),
                                              simpleMessage(QStringLiteral("a%1@esempio.test").arg(code)));
        EXPECT_TRUE(sent.ok()) << code << ' ' << sent.error().toStdString();
    }
    const QList<QJsonObject> arrived = server.messages();
    ASSERT_EQ(arrived.size(), 3);
    for (const QJsonObject &mail : arrived) {
        EXPECT_TRUE(mail.value(QStringLiteral("tls")).toBool());
        EXPECT_TRUE(mail.value(QStringLiteral("authenticated")).toBool());
        EXPECT_EQ(mail.value(QStringLiteral("subject")).toString(), QStringLiteral("Prova"));
    }
}

TEST(MailOnARealServer, CodeThreeSpeaksTlsFromTheFirstByte)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer server(authenticated(MailTestServer::Mode::ImplicitTls));
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    CurlMailSender sender;
    const core::Status sent =
        sender.send(settingsFor(server, true, 3), simpleMessage(QStringLiteral("b@esempio.test")));
    ASSERT_TRUE(sent.ok()) << sent.error().toStdString();
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_TRUE(server.messages().first().value(QStringLiteral("tls")).toBool());
}

TEST(MailOnARealServer, WrongPasswordSendsNothingAndDoesNotTellThePassword)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer server(authenticated(MailTestServer::Mode::StartTls));
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    MailSettings settings = settingsFor(server, true, 1);
    settings.password = QStringLiteral("Sbagliata-Parola-987");
    CurlMailSender sender;
    const core::Status sent = sender.send(settings, simpleMessage(QStringLiteral("d@esempio.test")));
    ASSERT_FALSE(sent.ok());
    EXPECT_FALSE(sent.error().contains(settings.password));
    EXPECT_FALSE(sent.error().contains(secret));
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST(MailOnARealServer, NoStartTlsOfferedMeansNothingSentInPlainText)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer server(authenticated(MailTestServer::Mode::NoStartTls));
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    CurlMailSender sender;
    for (int code : {0, 1, 2})
        EXPECT_FALSE(
            sender.send(settingsFor(server, true, code), simpleMessage(QStringLiteral("e@esempio.test")))
                .ok());
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST(MailOnARealServer, UntrustedCertificateOrOtherHostNameIsRefused)
{
    SKIP_WITHOUT_SERVER();
    CurlMailSender sender;
    {
        MailTestServer server(authenticated(MailTestServer::Mode::StartTls));
        ASSERT_TRUE(server.started()) << server.startError().toStdString();
        MailSettings settings = settingsFor(server, true, 1);
        settings.extraCaFile.clear();
        EXPECT_FALSE(sender.send(settings, simpleMessage(QStringLiteral("f@esempio.test"))).ok());
        EXPECT_TRUE(server.messages().isEmpty());
    }
    {
        MailTestServer server(authenticated(MailTestServer::Mode::ImplicitTls));
        ASSERT_TRUE(server.started()) << server.startError().toStdString();
        MailSettings settings = settingsFor(server, true, 3);
        settings.extraCaFile.clear();
        EXPECT_FALSE(sender.send(settings, simpleMessage(QStringLiteral("g@esempio.test"))).ok());
        EXPECT_TRUE(server.messages().isEmpty());
    }
    {
        MailTestServer::Options options = authenticated(MailTestServer::Mode::StartTls);
        options.otherName = true;
        MailTestServer server(options);
        ASSERT_TRUE(server.started()) << server.startError().toStdString();
        EXPECT_FALSE(
            sender.send(settingsFor(server, true, 1), simpleMessage(QStringLiteral("h@esempio.test"))).ok());
        EXPECT_TRUE(server.messages().isEmpty());
    }
}

TEST(MailOnARealServer, ThreeRecipientsWithOneRefusedGiveTwoMessagesAndOneLine)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer::Options options = authenticated(MailTestServer::Mode::StartTls);
    options.refuse = {QStringLiteral("rifiutato@esempio.test")};
    MailTestServer server(options);
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    CurlMailSender sender;
    const QStringList recipients = {QStringLiteral("primo@esempio.test"),
                                    QStringLiteral("rifiutato@esempio.test"),
                                    QStringLiteral("terzo@esempio.test")};
    QStringList told;
    const MailRun run = sendToEach(sender, settingsFor(server, true, 2), simpleMessage(QString()), recipients,
                                   [&told](int, int, const QString &next) {
                                       told.append(next);
                                       return true;
                                   });
    EXPECT_EQ(told, recipients);
    EXPECT_EQ(run.sent, 2);
    EXPECT_EQ(run.notSent, QStringList{QStringLiteral("Messaggio Non inviato a : rifiutato@esempio.test")});
    EXPECT_TRUE(
        run.report().startsWith(QStringLiteral("Termine Invio Messaggi !\n\nMessaggio Non inviato a : "
                                               "rifiutato@esempio.test")));
    const QList<QJsonObject> arrived = server.messages();
    ASSERT_EQ(arrived.size(), 2);
    // Each recipient gets a message of its own.
    EXPECT_EQ(arrived.at(0).value(QStringLiteral("recipients")).toArray(), QJsonArray{recipients.at(0)});
    EXPECT_EQ(arrived.at(1).value(QStringLiteral("recipients")).toArray(), QJsonArray{recipients.at(2)});
}

TEST(MailOnARealServer, MissingHostOrSenderStopsBeforeConnecting)
{
    SKIP_WITHOUT_SERVER();
    MailTestServer server(MailTestServer::Options{});
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    CurlMailSender sender;
    MailSettings settings = settingsFor(server);
    settings.host.clear();
    core::Status sent = sender.send(settings, simpleMessage(QStringLiteral("i@esempio.test")));
    EXPECT_EQ(sent.error(), mailMessages::missingHost());
    settings = settingsFor(server);
    settings.sender = QString();
    sent = sender.send(settings, simpleMessage(QStringLiteral("i@esempio.test")));
    EXPECT_EQ(sent.error(), mailMessages::missingSender());
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST(MailOnARealServer, UnreachableServerFailsWithinSeconds)
{
    MailSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = closedPort;
    settings.sender = QStringLiteral("a@b.it");
    CurlMailSender sender;
    QElapsedTimer timer;
    timer.start();
    const MailRun run = sendToEach(sender, settings, simpleMessage(QString()),
                                   {QStringLiteral("x@esempio.test"), QStringLiteral("y@esempio.test")});
    EXPECT_LT(timer.elapsed(), 2 * CurlMailSender::connectTimeoutSeconds * 1000);
    EXPECT_EQ(run.sent, 0);
    EXPECT_EQ(run.notSent.size(), 2);
}
