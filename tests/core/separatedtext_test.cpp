#include "core/separatedtext.h"

#include <gtest/gtest.h>

using namespace rotalina::core;

TEST(SeparatedText, CountsPiecesAsIfTheTextEndedWithTheSeparator)
{
    EXPECT_EQ(contaCampi(QStringLiteral("a;b"), u';'), 2);
    EXPECT_EQ(contaCampi(QStringLiteral("a;b;"), u';'), 2);
    EXPECT_EQ(contaCampi(QString(), u';'), 0);
    EXPECT_EQ(contaCampi(QStringLiteral("a;b;;c"), u';'), 4);
    EXPECT_EQ(contaCampi(QStringLiteral(";"), u';'), 1);
    EXPECT_EQ(contaCampi(QStringLiteral("Nome|Cognome|"), u'|'), 2);
}

TEST(SeparatedText, ExtractsUntrimmedPieces)
{
    const QString text = QStringLiteral("a; b ;;c");
    EXPECT_EQ(estraiCampo(text, 1, u';'), QStringLiteral("a"));
    EXPECT_EQ(estraiCampo(text, 2, u';'), QStringLiteral(" b "));
    EXPECT_EQ(estraiCampo(text, 3, u';'), QString());
    EXPECT_EQ(estraiCampo(text, 4, u';'), QStringLiteral("c"));
    EXPECT_EQ(estraiCampo(text, 5, u';'), QString());
    EXPECT_EQ(estraiCampo(text, 0, u';'), QString());
    EXPECT_EQ(estraiCampo(QString(), 1, u';'), QString());
    EXPECT_EQ(estraiCampo(QStringLiteral("x|y|"), 2, u'|'), QStringLiteral("y"));
}

TEST(SeparatedText, MemoShowsTheFirstHundredCharacters)
{
    const QString longText(250, u'x');
    EXPECT_EQ(convertiMemo(longText).size(), 100);
    EXPECT_EQ(convertiMemo(QStringLiteral("breve")), QStringLiteral("breve"));
    EXPECT_EQ(convertiMemo(QString()), QString());
}
