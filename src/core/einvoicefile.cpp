#include "core/einvoicefile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <limits>
#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <optional>

namespace rotalina::core {

namespace {

// Far beyond any invoice with its attachments; a bigger file is refused rather than read.
constexpr qint64 maximumFileSize = 256LL * 1024 * 1024;
// An invoice nests about ten levels; a much deeper document is no invoice, and is refused before
// its tree could grow without bounds.
constexpr int maximumDepth = 64;
// A payload signed more than once sits in envelopes inside envelopes.
constexpr int maximumEnvelopes = 4;

// ---------------------------------------------------------------------------------------------
// The file: plain XML or a signed envelope.

struct BioFree
{
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct CmsFree
{
    void operator()(CMS_ContentInfo *cms) const { CMS_ContentInfo_free(cms); }
};
struct StoreFree
{
    void operator()(X509_STORE *store) const { X509_STORE_free(store); }
};
struct StoreContextFree
{
    void operator()(X509_STORE_CTX *context) const { X509_STORE_CTX_free(context); }
};
struct StackFree
{
    void operator()(STACK_OF(X509) * certificates) const { sk_X509_free(certificates); }
};
struct CertificatesFree
{
    void operator()(STACK_OF(X509) * certificates) const { sk_X509_pop_free(certificates, X509_free); }
};

// The bytes with a byte-order mark and leading blanks skipped: where XML starts with "<".
QByteArrayView contentStart(const QByteArray &data)
{
    QByteArrayView view(data);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    qsizetype blank = 0;
    while (blank < view.size() && (view.at(blank) == ' ' || view.at(blank) == '\t' ||
                                   view.at(blank) == '\r' || view.at(blank) == '\n'))
        ++blank;
    return view.sliced(blank);
}

bool looksLikeXml(const QByteArray &data)
{
    // UTF-16 files start with a byte-order mark of their own.
    return contentStart(data).startsWith('<') || data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF");
}

// A base64 envelope: the text, wrapped or not, maybe between PEM lines, decoded to DER.
std::optional<QByteArray> fromBase64Text(const QByteArray &data)
{
    QByteArray compact;
    compact.reserve(data.size());
    for (const QByteArray &line : data.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith("-----"))
            continue;
        compact += trimmed;
    }
    compact.replace(' ', QByteArray()).replace('\t', QByteArray());
    if (compact.isEmpty())
        return std::nullopt;
    QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    return decoded.decoded;
}

// The authorities this machine trusts, loaded once.
X509_STORE *trustedAuthorities()
{
    static const std::unique_ptr<X509_STORE, StoreFree> store = [] {
        std::unique_ptr<X509_STORE, StoreFree> loaded(X509_STORE_new());
        if (loaded && X509_STORE_set_default_paths(loaded.get()) != 1)
            ERR_clear_error();
        return loaded;
    }();
    return store.get();
}

QString commonName(X509 *certificate)
{
    X509_NAME *subject = X509_get_subject_name(certificate);
    const int at = subject ? X509_NAME_get_index_by_NID(subject, NID_commonName, -1) : -1;
    if (at < 0)
        return {};
    ASN1_STRING *text = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at));
    unsigned char *utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, text);
    if (length < 0)
        return {};
    const QString name = QString::fromUtf8(reinterpret_cast<const char *>(utf8), length);
    OPENSSL_free(utf8);
    return name;
}

// Whether the signer's certificate chains to a trusted authority, with the certificates of the
// envelope as intermediates. A signature made while the certificate was valid stays valid after
// it expires, so the dates are not checked.
bool chainsToTrustedAuthority(X509 *signer, STACK_OF(X509) * intermediates)
{
    X509_STORE *store = trustedAuthorities();
    std::unique_ptr<X509_STORE_CTX, StoreContextFree> context(X509_STORE_CTX_new());
    if (!store || !context || X509_STORE_CTX_init(context.get(), store, signer, intermediates) != 1) {
        ERR_clear_error();
        return false;
    }
    X509_STORE_CTX_set_flags(context.get(), X509_V_FLAG_NO_CHECK_TIME);
    const bool trusted = X509_verify_cert(context.get()) == 1;
    ERR_clear_error();
    return trusted;
}

struct Unwrapped
{
    QByteArray content;
    bool intact = false;
    QString signer;
    bool trusted = false;
};

// The content of a CMS signed envelope in DER (or BER, streamed content included). The signature
// over the content is checked; whether the signer's certificate is trusted is reported, not
// required: the office wants to read the invoice, the exchange system has checked the sender.
Result<Unwrapped> openEnvelope(const QByteArray &der)
{
    using R = Result<Unwrapped>;
    if (der.size() > std::numeric_limits<int>::max())
        return R::failure(QStringLiteral("Il file è troppo grande."));
    std::unique_ptr<BIO, BioFree> in(BIO_new_mem_buf(der.constData(), static_cast<int>(der.size())));
    std::unique_ptr<CMS_ContentInfo, CmsFree> cms(in ? d2i_CMS_bio(in.get(), nullptr) : nullptr);
    if (!cms) {
        ERR_clear_error();
        return R::failure(
            QStringLiteral("Il file non è un documento XML né un file firmato (.p7m) integro."));
    }
    if (OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed)
        return R::failure(QStringLiteral("Il file .p7m non è una busta firmata."));
    Unwrapped result;
    std::unique_ptr<BIO, BioFree> out(BIO_new(BIO_s_mem()));
    if (out && CMS_verify(cms.get(), nullptr, nullptr, nullptr, out.get(),
                          CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) == 1) {
        char *bytes = nullptr;
        const long size = BIO_get_mem_data(out.get(), &bytes);
        result.content = QByteArray(bytes, static_cast<qsizetype>(size));
        result.intact = true;
        // The signers are borrowed certificates in a stack of their own: only the stack is freed.
        std::unique_ptr<STACK_OF(X509), StackFree> signers(CMS_get0_signers(cms.get()));
        if (signers && sk_X509_num(signers.get()) > 0) {
            X509 *signer = sk_X509_value(signers.get(), 0);
            result.signer = commonName(signer);
            std::unique_ptr<STACK_OF(X509), CertificatesFree> certificates(CMS_get1_certs(cms.get()));
            result.trusted = chainsToTrustedAuthority(signer, certificates.get());
        }
        return result;
    }
    ERR_clear_error();
    // The signature does not hold (or the signer's certificate is not in the envelope): the
    // content is still read, and the user is told.
    ASN1_OCTET_STRING **content = CMS_get0_content(cms.get());
    if (!content || !*content)
        return R::failure(
            QStringLiteral("Il file firmato non contiene la fattura (firma separata dal documento)."));
    result.content = QByteArray(reinterpret_cast<const char *>(ASN1_STRING_get0_data(*content)),
                                ASN1_STRING_length(*content));
    return result;
}

// ---------------------------------------------------------------------------------------------
// The XML text.

QString localName(QStringView qualified)
{
    return qualified.mid(qualified.lastIndexOf(u':') + 1).toString();
}

// The letters the Windows and ISO-8859-15 code pages put where Latin-1 has others (the euro sign,
// typographic quotes); the rest of both is Latin-1.
QString fromWestEuropeanCodePage(const QByteArray &bytes, bool windows)
{
    static const char16_t windows1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text = QString::fromLatin1(bytes);
    for (QChar &letter : text) {
        const char16_t code = letter.unicode();
        if (windows && code >= 0x80 && code <= 0x9F)
            letter = QChar(windows1252[code - 0x80]);
        else if (!windows) {
            switch (code) {
            case 0xA4:
                letter = QChar(0x20AC);
                break;
            case 0xA6:
                letter = QChar(0x0160);
                break;
            case 0xA8:
                letter = QChar(0x0161);
                break;
            case 0xB4:
                letter = QChar(0x017D);
                break;
            case 0xB8:
                letter = QChar(0x017E);
                break;
            case 0xBC:
                letter = QChar(0x0152);
                break;
            case 0xBD:
                letter = QChar(0x0153);
                break;
            case 0xBE:
                letter = QChar(0x0178);
                break;
            default:
                break;
            }
        }
    }
    return text;
}

} // namespace

const XmlElement *XmlElement::find(QStringView path) const
{
    const XmlElement *at = this;
    for (QStringView step : path.split(u'/')) {
        const auto found = std::find_if(at->children.begin(), at->children.end(),
                                        [&](const XmlElement &child) { return child.name == step; });
        if (found == at->children.end())
            return nullptr;
        at = &*found;
    }
    return at;
}

QList<const XmlElement *> XmlElement::all(QStringView path) const
{
    QList<const XmlElement *> found;
    const qsizetype slash = path.lastIndexOf(u'/');
    const XmlElement *parent = slash < 0 ? this : find(path.left(slash));
    if (!parent)
        return found;
    const QStringView name = slash < 0 ? path : path.mid(slash + 1);
    for (const XmlElement &child : parent->children)
        if (child.name == name)
            found.append(&child);
    return found;
}

QString XmlElement::value(QStringView path) const
{
    const XmlElement *at = find(path);
    return at ? at->text.trimmed() : QString();
}

Result<XmlElement> parseXmlElements(const QByteArray &xml)
{
    using R = Result<XmlElement>;
    // Qt decodes UTF-8, UTF-16 and Latin-1 by itself; the West European code pages are translated
    // here, and one Qt does not know at all is read as Latin-1, which holds the Italian letters.
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml[^>]*encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    const QRegularExpressionMatch declared = declaration.match(
        QString::fromLatin1(contentStart(xml).first(std::min<qsizetype>(300, contentStart(xml).size()))));
    const QString encoding = declared.hasMatch() ? declared.captured(1).toLower() : QString();
    // A byte-order mark says UTF-8 whatever the declaration says.
    const bool utf8Mark = xml.startsWith("\xEF\xBB\xBF");
    QXmlStreamReader reader;
    if (utf8Mark)
        reader.addData(xml);
    else if (encoding == u"windows-1252" || encoding == u"cp1252")
        reader.addData(fromWestEuropeanCodePage(xml, true));
    else if (encoding == u"iso-8859-15" || encoding == u"latin9" || encoding == u"latin-9")
        reader.addData(fromWestEuropeanCodePage(xml, false));
    else if (!encoding.isEmpty() && !QStringDecoder(encoding.toLatin1().constData()).isValid())
        reader.addData(QString::fromLatin1(xml));
    else
        reader.addData(xml);
    reader.setNamespaceProcessing(false);

    XmlElement root;
    std::vector<XmlElement *> open;
    bool complete = false;
    while (!complete && !reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (open.size() >= maximumDepth)
                return R::failure(
                    QStringLiteral("Il documento XML ha troppi livelli per essere una fattura."));
            XmlElement *element = &root;
            if (!open.empty()) {
                open.back()->children.emplace_back();
                element = &open.back()->children.back();
            }
            element->name = localName(reader.qualifiedName());
            open.push_back(element);
            break;
        }
        case QXmlStreamReader::Characters:
            if (!open.empty())
                open.back()->text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            open.pop_back();
            // What follows the document (a signature's trailer, blank bytes) is not read.
            complete = open.empty();
            break;
        default:
            break;
        }
    }
    if (!complete) {
        if (reader.hasError())
            return R::failure(
                QStringLiteral("Il contenuto non è un documento XML leggibile (riga %1, colonna %2: %3).")
                    .arg(reader.lineNumber())
                    .arg(reader.columnNumber())
                    .arg(reader.errorString()));
        return R::failure(QStringLiteral("Il contenuto non è un documento XML completo."));
    }
    return root;
}

QString ElectronicInvoiceFile::signatureText() const
{
    if (!signedEnvelope)
        return {};
    if (!signatureIntact)
        return QStringLiteral("firma digitale non valida o non verificabile");
    QString text = QStringLiteral("firma digitale valida");
    if (!signer.isEmpty())
        text += QStringLiteral(" (%1)").arg(signer);
    text += signerTrusted ? QStringLiteral(", certificato di un ente attendibile")
                          : QStringLiteral(", certificato non verificato");
    return text;
}

Result<ElectronicInvoiceFile> readElectronicInvoiceFile(const QString &path)
{
    using R = Result<ElectronicInvoiceFile>;
    const QString shown = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.exists())
        return R::failure(QStringLiteral("Il file %1 non esiste.").arg(path));
    if (file.size() > maximumFileSize)
        return R::failure(
            QStringLiteral("Il file %1 è troppo grande per essere una fattura elettronica.").arg(shown));
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString()));
    return readElectronicInvoiceData(file.readAll(), shown);
}

Result<ElectronicInvoiceFile> readElectronicInvoiceData(QByteArray data, const QString &shownName)
{
    using R = Result<ElectronicInvoiceFile>;
    ElectronicInvoiceFile invoice;
    invoice.xml = std::move(data);
    if (invoice.xml.isEmpty())
        return R::failure(QStringLiteral("Il file %1 è vuoto.").arg(shownName));
    bool intact = true;
    bool trusted = true;
    for (int envelope = 0; envelope < maximumEnvelopes && !looksLikeXml(invoice.xml); ++envelope) {
        QByteArray der = invoice.xml;
        if (!contentStart(der).startsWith('\x30')) {
            std::optional<QByteArray> decoded = fromBase64Text(der);
            if (!decoded)
                return R::failure(
                    QStringLiteral(
                        "Il file %1 non è una fattura elettronica: non è un documento XML né un file "
                        "firmato (.p7m).")
                        .arg(shownName));
            der = *decoded;
        }
        Result<Unwrapped> opened = openEnvelope(der);
        if (!opened)
            return R::failure(QStringLiteral("Il file %1 non è una fattura elettronica leggibile.\n%2")
                                  .arg(shownName, opened.error()));
        invoice.xml = std::move(opened->content);
        invoice.signedEnvelope = true;
        intact = intact && opened->intact;
        trusted = trusted && opened->trusted;
        // The outer envelope is the one the sender signed last: its signer is the one named.
        if (invoice.signer.isEmpty())
            invoice.signer = opened->signer;
    }
    if (!looksLikeXml(invoice.xml))
        return R::failure(
            QStringLiteral("Il file %1 non è una fattura elettronica: dentro le buste firmate non c'è un "
                           "documento XML.")
                .arg(shownName));
    invoice.signatureIntact = invoice.signedEnvelope && intact;
    invoice.signerTrusted = invoice.signatureIntact && trusted;
    return invoice;
}

} // namespace rotalina::core
