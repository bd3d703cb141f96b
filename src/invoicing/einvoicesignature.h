#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace rotalina::invoicing {

// Signs electronic invoices with the company's certificate (a PKCS#12 file): CAdES-BES envelopes
// (.p7m) over SHA-256 carrying the signing certificate, as the exchange system accepts them. The
// password is used to open the file and is not kept.
class DocumentSigner
{
public:
    ~DocumentSigner();
    DocumentSigner(DocumentSigner &&) noexcept;
    DocumentSigner &operator=(DocumentSigner &&) noexcept;

    static core::Result<DocumentSigner> open(const QString &pkcs12File, const QString &password);
    // The signed envelope (DER) holding the document.
    core::Result<QByteArray> sign(const QByteArray &document) const;
    // Whose certificate it is ("CN=..."), for the user to see.
    QString subject() const;

private:
    struct Keys;
    explicit DocumentSigner(std::unique_ptr<Keys> keys);
    std::unique_ptr<Keys> m_keys;
};

} // namespace rotalina::invoicing
