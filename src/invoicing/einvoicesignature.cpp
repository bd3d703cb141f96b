#include "invoicing/einvoicesignature.h"

#include <QFile>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

namespace rotalina::invoicing {

namespace {

QString opensslReason()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return QStringLiteral("errore sconosciuto");
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

struct BioDeleter
{
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct CmsDeleter
{
    void operator()(CMS_ContentInfo *cms) const { CMS_ContentInfo_free(cms); }
};

} // namespace

struct DocumentSigner::Keys
{
    EVP_PKEY *key = nullptr;
    X509 *certificate = nullptr;
    STACK_OF(X509) *chain = nullptr;

    ~Keys()
    {
        EVP_PKEY_free(key);
        X509_free(certificate);
        sk_X509_pop_free(chain, X509_free);
    }
};

DocumentSigner::DocumentSigner(std::unique_ptr<Keys> keys) : m_keys(std::move(keys)) {}
DocumentSigner::~DocumentSigner() = default;
DocumentSigner::DocumentSigner(DocumentSigner &&) noexcept = default;
DocumentSigner &DocumentSigner::operator=(DocumentSigner &&) noexcept = default;

core::Result<DocumentSigner> DocumentSigner::open(const QString &pkcs12File, const QString &password)
{
    using R = core::Result<DocumentSigner>;
    QFile file(pkcs12File);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Attenzione non è possibile leggere il certificato di firma %1: %2")
                              .arg(pkcs12File, file.errorString()));
    const QByteArray bytes = file.readAll();
    std::unique_ptr<BIO, BioDeleter> input(BIO_new_mem_buf(bytes.constData(), int(bytes.size())));
    PKCS12 *bundle = d2i_PKCS12_bio(input.get(), nullptr);
    if (!bundle)
        return R::failure(
            QStringLiteral("Attenzione il file %1 non è un certificato di firma (PKCS#12)").arg(pkcs12File));
    auto keys = std::make_unique<Keys>();
    const QByteArray secret = password.toUtf8();
    const int opened = PKCS12_parse(bundle, secret.constData(), &keys->key, &keys->certificate, &keys->chain);
    PKCS12_free(bundle);
    if (!opened) {
        ERR_clear_error();
        return R::failure(QStringLiteral("Attenzione la password del certificato di firma non è corretta"));
    }
    if (!keys->key || !keys->certificate)
        return R::failure(
            QStringLiteral("Attenzione il certificato di firma non contiene la chiave privata"));
    return DocumentSigner(std::move(keys));
}

core::Result<QByteArray> DocumentSigner::sign(const QByteArray &document) const
{
    using R = core::Result<QByteArray>;
    const auto failed = [] {
        return R::failure(QStringLiteral("Attenzione la firma della fattura elettronica non è riuscita: %1")
                              .arg(opensslReason()));
    };
    std::unique_ptr<CMS_ContentInfo, CmsDeleter> cms(
        CMS_sign(nullptr, nullptr, m_keys->chain, nullptr, CMS_BINARY | CMS_PARTIAL));
    if (!cms)
        return failed();
    // CAdES: the signed attributes carry the digest of the signing certificate.
    if (!CMS_add1_signer(cms.get(), m_keys->certificate, m_keys->key, EVP_sha256(),
                         CMS_BINARY | CMS_CADES | CMS_NOSMIMECAP))
        return failed();
    std::unique_ptr<BIO, BioDeleter> content(BIO_new_mem_buf(document.constData(), int(document.size())));
    if (!CMS_final(cms.get(), content.get(), nullptr, CMS_BINARY))
        return failed();
    std::unique_ptr<BIO, BioDeleter> output(BIO_new(BIO_s_mem()));
    if (!i2d_CMS_bio(output.get(), cms.get()))
        return failed();
    char *data = nullptr;
    const long size = BIO_get_mem_data(output.get(), &data);
    return QByteArray(data, size);
}

QString DocumentSigner::subject() const
{
    char *text = X509_NAME_oneline(X509_get_subject_name(m_keys->certificate), nullptr, 0);
    const QString subject = QString::fromUtf8(text);
    OPENSSL_free(text);
    return subject;
}

} // namespace rotalina::invoicing
