#include "shell/prompter.h"

#include <gtest/gtest.h>

TEST(SaveDialog, TheChosenFiltersExtensionIsAddedWhenNoneWasTyped)
{
    const char *pdf = "PDF (*.pdf)";
    const char *all = "PDF (*.pdf);;Pagina web (*.html *.htm)";
    EXPECT_EQ(rotalina::shell::withFilterSuffix(QStringLiteral("/home/u/privacy"), QString::fromLatin1(pdf)),
              QStringLiteral("/home/u/privacy.pdf"));
    EXPECT_EQ(
        rotalina::shell::withFilterSuffix(QStringLiteral("/home/u/privacy.PDF"), QString::fromLatin1(pdf)),
        QStringLiteral("/home/u/privacy.PDF"));
    EXPECT_EQ(rotalina::shell::withFilterSuffix(QStringLiteral("/home/u/elenco.htm"),
                                                QStringLiteral("Pagina web (*.html *.htm)")),
              QStringLiteral("/home/u/elenco.htm"));
    EXPECT_EQ(rotalina::shell::withFilterSuffix(QStringLiteral("/home/u/v1.2"), QString::fromLatin1(pdf)),
              QStringLiteral("/home/u/v1.2.pdf"));
    EXPECT_EQ(rotalina::shell::withFilterSuffix(QString(), QString::fromLatin1(all)), QString())
        << "cancelled";
    EXPECT_EQ(rotalina::shell::withFilterSuffix(QStringLiteral("/tmp/x"), QStringLiteral("Tutti i file (*)")),
              QStringLiteral("/tmp/x"));
}
