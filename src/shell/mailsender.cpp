#include "shell/mailsender.h"

#include "storage/archive.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QUrl>
#include <QUuid>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace rotalina::shell {

namespace {

constexpr int standardSmtpPort = 25;
constexpr int implicitTlsCode = 3;
// Encoded words may be at most 75 characters; "=?UTF-8?B?" and "?=" take 12 of them, which
// leaves 63 Base64 characters: 45 bytes of text.
constexpr qsizetype encodedWordBytes = 45;

bool isAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7e || (c.unicode() < 0x20 && c != u'\t'))
            return false;
    return true;
}

// The UTF-8 bytes cut into pieces of at most maxBytes without splitting a character.
QList<QByteArray> utf8Pieces(const QString &text, qsizetype maxBytes)
{
    QList<QByteArray> pieces;
    QByteArray piece;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        i += length - 1;
        if (piece.size() + bytes.size() > maxBytes && !piece.isEmpty()) {
            pieces.append(piece);
            piece.clear();
        }
        piece += bytes;
    }
    if (!piece.isEmpty())
        pieces.append(piece);
    return pieces;
}

// A file name for the parameters of a part: ASCII names are quoted; others go as RFC 2231
// (filename*=UTF-8''...), which mail clients read, with an RFC 2047 copy for older ones.
QByteArray nameParameters(const char *parameter, const QString &name)
{
    const QByteArray key(parameter);
    if (isAscii(name)) {
        QByteArray quoted = name.toUtf8();
        quoted.replace('\\', "\\\\").replace('"', "\\\"");
        return key + "=\"" + quoted + '"';
    }
    const QByteArray percent = name.toUtf8().toPercentEncoding();
    return key + "*=UTF-8''" + percent + "; " + key + "=\"" + encodedHeaderText(name) + '"';
}

// Frees what libcurl handed out when the send ends, however it ends.
struct CurlDeleter
{
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_mime *mime) const { curl_mime_free(mime); }
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

void appendTo(std::unique_ptr<curl_slist, CurlDeleter> &list, const QByteArray &line)
{
    curl_slist *grown = curl_slist_append(list.get(), line.constData());
    if (grown) {
        (void)list.release();
        list.reset(grown);
    }
}

QByteArray angleAddress(const QString &address)
{
    return '<' + address.trimmed().toUtf8() + '>';
}

// The date of the message as RFC 5322 wants it, in English whatever the user's language.
QByteArray messageDate()
{
    return QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1();
}

QByteArray messageId(const QString &sender)
{
    const QString domain = sender.section(u'@', 1).trimmed();
    return '<' + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@' +
           (domain.isEmpty() ? QByteArrayLiteral("rotalina") : domain.toUtf8()) + '>';
}

// Text in the message has CRLF line ends, as mail requires.
QByteArray mailText(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return lines.toUtf8();
}

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

namespace mailMessages {
QString missingHost()
{
    return QStringLiteral(
        "Per inviare email è necessario impostare l' Host SMTP tra le opzioni del programma !");
}
QString missingSender()
{
    return QStringLiteral("Per inviare email è necessario impostare il mittente delle email tra le "
                          "opzioni del programma !");
}
QString missingRecipient()
{
    return QStringLiteral("Manca il destinatario");
}
QString notSentTo(const QString &address)
{
    return QStringLiteral("Messaggio Non inviato a : ") + address;
}
QString finished()
{
    return QStringLiteral("Termine Invio Messaggi !");
}
} // namespace mailMessages

core::Result<MailSettings> readMailSettings(storage::Archive &archive)
{
    const core::Result<storage::Archive::Rows> read = archive.readRows(QStringLiteral(
        "SELECT SmtpHost, SmtpPorta, SmtpMittenteEmail, SmtpCriptato, SmtpCriptaggioTipo, "
        "SmtpAutenticazioneServer, SmtpUserName, SmtpPassword FROM opzioni ORDER BY ID LIMIT 1"));
    if (!read)
        return core::Result<MailSettings>::failure(read.error());
    MailSettings settings;
    if (!read->values.isEmpty()) {
        const QVariantList &row = read->values.first();
        settings.host = row.value(0).toString().trimmed();
        settings.port = row.value(1).toInt();
        settings.sender = row.value(2).toString().trimmed();
        settings.encrypted = row.value(3).toBool();
        settings.encryptionCode = row.value(4).toInt();
        settings.authenticate = row.value(5).toBool();
        settings.user = row.value(6).toString();
        settings.password = row.value(7).toString();
    }
    // Tests and firms with their own certification authority name it here; it is only ever an
    // addition to what is trusted.
    const QString caFile =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("ROTALINA_SMTP_CA_FILE"));
    if (!caFile.isEmpty() && QFileInfo(caFile).isFile())
        settings.extraCaFile = caFile;
    return settings;
}

std::optional<QString> mailSettingsProblem(const MailSettings &settings)
{
    if (settings.host.trimmed().isEmpty())
        return mailMessages::missingHost();
    if (settings.sender.trimmed().isEmpty())
        return mailMessages::missingSender();
    return std::nullopt;
}

int effectivePort(const MailSettings &settings)
{
    return settings.port == 0 ? standardSmtpPort : settings.port;
}

bool implicitTls(const MailSettings &settings)
{
    return settings.encrypted && settings.encryptionCode == implicitTlsCode;
}

QString mailServerUrl(const MailSettings &settings)
{
    QUrl url;
    url.setScheme(implicitTls(settings) ? QStringLiteral("smtps") : QStringLiteral("smtp"));
    url.setHost(settings.host.trimmed());
    url.setPort(effectivePort(settings));
    return url.toString(QUrl::FullyEncoded);
}

QByteArray attachmentContentType(const QString &fileName)
{
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("pdf"), "application/pdf"},
        {QStringLiteral("xml"), "application/xml"},
        {QStringLiteral("p7m"), "application/pkcs7-mime"},
        {QStringLiteral("p7s"), "application/pkcs7-signature"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"},
        {QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("bmp"), "image/bmp"},
        {QStringLiteral("tif"), "image/tiff"},
        {QStringLiteral("tiff"), "image/tiff"},
        {QStringLiteral("txt"), "text/plain"},
        {QStringLiteral("csv"), "text/csv"},
        {QStringLiteral("htm"), "text/html"},
        {QStringLiteral("html"), "text/html"},
        {QStringLiteral("rtf"), "application/rtf"},
        {QStringLiteral("odt"), "application/vnd.oasis.opendocument.text"},
        {QStringLiteral("ods"), "application/vnd.oasis.opendocument.spreadsheet"},
        {QStringLiteral("doc"), "application/msword"},
        {QStringLiteral("docx"), "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
        {QStringLiteral("xls"), "application/vnd.ms-excel"},
        {QStringLiteral("xlsx"), "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
        {QStringLiteral("zip"), "application/zip"},
        {QStringLiteral("vcf"), "text/vcard"},
        {QStringLiteral("ics"), "text/calendar"},
    };
    return types.value(QFileInfo(fileName).suffix().toLower(), QByteArrayLiteral("application/octet-stream"));
}

QByteArray encodedHeaderText(const QString &text)
{
    if (isAscii(text))
        return text.toUtf8();
    QList<QByteArray> words;
    for (const QByteArray &piece : utf8Pieces(text, encodedWordBytes))
        words.append("=?UTF-8?B?" + piece.toBase64() + "?=");
    // Folded: each encoded word on a line of its own, so no header line grows past its limit.
    return words.join("\r\n ");
}

QString MailRun::report() const
{
    QString text = mailMessages::finished();
    if (!notSent.isEmpty())
        text += QStringLiteral("\n\n") + notSent.join(u'\n');
    if (cancelled)
        text += QStringLiteral("\n\nInvio interrotto dall'utente.");
    if (!lastError.isEmpty())
        text += QStringLiteral("\n\nUltimo errore: ") + lastError;
    return text;
}

MailRun sendToEach(MailSender &sender, const MailSettings &settings, MailMessage message,
                   const QStringList &recipients, const MailProgress &progress)
{
    MailRun run;
    for (qsizetype i = 0; i < recipients.size(); ++i) {
        const QString &address = recipients.at(i);
        if (!run.cancelled && progress && !progress(int(i), int(recipients.size()), address))
            run.cancelled = true;
        if (run.cancelled) {
            run.notSent.append(mailMessages::notSentTo(address));
            continue;
        }
        message.recipients = QStringList{address};
        const core::Status sent = sender.send(settings, message);
        if (sent) {
            ++run.sent;
            continue;
        }
        run.notSent.append(mailMessages::notSentTo(address));
        run.lastError = sent.error();
        qWarning("Messaggio non inviato a %s: %s", qUtf8Printable(address), qUtf8Printable(sent.error()));
    }
    return run;
}

CurlMailSender::CurlMailSender()
{
    initialiseCurl();
}

CurlMailSender::~CurlMailSender() = default;

core::Status CurlMailSender::send(const MailSettings &settings, const MailMessage &message)
{
    using core::Status;
    if (const std::optional<QString> problem = mailSettingsProblem(settings))
        return Status::failure(*problem);
    if (message.recipients.isEmpty())
        return Status::failure(mailMessages::missingRecipient());

    // The attachments are read before connecting: a missing file fails the message at once.
    struct Attachment
    {
        QString name;
        QByteArray bytes;
    };
    QList<Attachment> attachments;
    for (const QString &path : message.attachments) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Status::failure(
                QStringLiteral("Impossibile leggere l'allegato %1: %2").arg(path, file.errorString()));
        attachments.append({QFileInfo(path).fileName(), file.readAll()});
    }

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return Status::failure(QStringLiteral("Impossibile preparare l'invio della posta"));
    CURL *handle = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);

    const QByteArray url = mailServerUrl(settings).toUtf8();
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, long(connectTimeoutSeconds));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, long(totalTimeoutSeconds));
    curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(connectTimeoutSeconds * 4));
    // A transfer that stops moving ends well before the total limit.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 30L);

    if (settings.encrypted) {
        // STARTTLS is required, never merely tried: a server that does not offer it gets nothing
        // in plain text. With smtps:// the whole connection is TLS anyway.
        curl_easy_setopt(handle, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_setopt(handle, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!settings.extraCaFile.isEmpty()) {
            // The system's folder of certificates stays trusted beside the named file.
            const QByteArray caFile = QFile::encodeName(settings.extraCaFile);
            curl_easy_setopt(handle, CURLOPT_CAINFO, caFile.constData());
            if (QFileInfo(QStringLiteral("/etc/ssl/certs")).isDir())
                curl_easy_setopt(handle, CURLOPT_CAPATH, "/etc/ssl/certs");
        }
    } else {
        curl_easy_setopt(handle, CURLOPT_USE_SSL, long(CURLUSESSL_NONE));
    }

    const QByteArray user = settings.user.toUtf8();
    const QByteArray password = settings.password.toUtf8();
    if (settings.authenticate) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(handle, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }

    const QByteArray from = angleAddress(settings.sender);
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.constData());
    std::unique_ptr<curl_slist, CurlDeleter> recipients;
    QByteArrayList toHeader;
    for (const QString &recipient : message.recipients) {
        appendTo(recipients, angleAddress(recipient));
        toHeader.append(angleAddress(recipient));
    }
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());

    std::unique_ptr<curl_slist, CurlDeleter> headers;
    appendTo(headers, "Date: " + messageDate());
    appendTo(headers, "From: " + from);
    appendTo(headers, "To: " + toHeader.join(", "));
    appendTo(headers, "Subject: " + encodedHeaderText(message.subject));
    appendTo(headers, "Message-ID: " + messageId(settings.sender));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());

    std::unique_ptr<curl_mime, CurlDeleter> mime(curl_mime_init(handle));
    curl_mimepart *text = curl_mime_addpart(mime.get());
    const QByteArray body = mailText(message.body);
    curl_mime_data(text, body.constData(), size_t(body.size()));
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    // Header lists given to parts belong to them from then on (freed with the MIME tree).
    for (const Attachment &attachment : std::as_const(attachments)) {
        curl_mimepart *part = curl_mime_addpart(mime.get());
        curl_mime_data(part, attachment.bytes.constData(), size_t(attachment.bytes.size()));
        curl_mime_encoder(part, "base64");
        curl_slist *partHeaders = nullptr;
        const QByteArray type =
            attachmentContentType(attachment.name) + "; " + nameParameters("name", attachment.name);
        const QByteArray typeLine = "Content-Type: " + type;
        const QByteArray dispositionLine =
            "Content-Disposition: attachment; " + nameParameters("filename", attachment.name);
        partHeaders = curl_slist_append(partHeaders, typeLine.constData());
        partHeaders = curl_slist_append(partHeaders, dispositionLine.constData());
        curl_mime_headers(part, partHeaders, 1);
    }
    curl_easy_setopt(handle, CURLOPT_MIMEPOST, mime.get());

    const CURLcode result = curl_easy_perform(handle);
    if (result == CURLE_OK)
        return Status();
    const QString reason = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    return Status::failure(QStringLiteral("Invio non riuscito: %1").arg(reason));
}

} // namespace rotalina::shell
