#pragma once

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace rotalina::test {

// The user's language as the program sets it, and the C library's too where the system has it,
// for as long as the object lives.
class ItalianLocale
{
public:
    ItalianLocale() : m_qtBefore(QLocale()), m_cBefore(std::setlocale(LC_ALL, nullptr))
    {
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        std::setlocale(LC_ALL, "it_IT.UTF-8");
    }
    ~ItalianLocale()
    {
        QLocale::setDefault(m_qtBefore);
        std::setlocale(LC_ALL, m_cBefore.c_str());
    }
    ItalianLocale(const ItalianLocale &) = delete;
    ItalianLocale &operator=(const ItalianLocale &) = delete;

private:
    QLocale m_qtBefore;
    std::string m_cBefore;
};

// An answer of the routing service kept in tests/transport/data.
inline QByteArray recordedRouteReply(const char *name)
{
    QFile file(QStringLiteral(ROTALINA_SOURCE_DIR "/tests/transport/data/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

} // namespace rotalina::test
