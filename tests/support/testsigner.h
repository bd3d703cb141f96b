#pragma once

#include <QByteArray>
#include <QString>

namespace rotalina::test {

// Signs test files as suppliers' programs do, with a throw-away certificate made by the openssl
// program on first use. Not available (and the tests that need it skip) when openssl is missing.
class TestSigner
{
public:
    // The forms a signed invoice arrives in.
    enum class Form {
        Der,           // binary, the content in one piece
        StreamedBer,   // binary with indefinite lengths and the content in chunks (-stream)
        Base64Line,    // the binary envelope in base64 on one line
        Base64Wrapped, // the same wrapped at 64 characters with CR LF line ends
        Pem            // between "-----BEGIN CMS-----" lines
    };

    // Keeps its key and certificate in the folder.
    explicit TestSigner(QString folder);

    bool available();
    // The signed envelope of the content; empty on failure (the test fails with the reason).
    QByteArray sign(const QByteArray &content, Form form);

private:
    QString m_folder;
    QString m_openssl;
    QString m_key;
    QString m_certificate;
};

} // namespace rotalina::test
