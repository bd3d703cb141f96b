#include "shell/recordchecks.h"

#include <gtest/gtest.h>

using namespace rotalina::shell;

TEST(RecordChecks, TheFirstFailingCheckInOrderIsReported)
{
    RecordChecks checks;
    checks.required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"))
        .required(QStringLiteral("Iva_ID"), QStringLiteral("Attenzione manca l'aliquota Iva"))
        .add(QStringLiteral("Iva"), QStringLiteral("Attenzione l'aliquota deve essere tra 0 e 100"),
             [](const QVariantMap &v) { return v.value(QStringLiteral("Iva")).toDouble() <= 100; });

    QVariantMap values = {{QStringLiteral("Descrizione"), QStringLiteral("   ")},
                          {QStringLiteral("Iva_ID"), 0},
                          {QStringLiteral("Iva"), 150}};
    auto failure = checks.firstFailure(values);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->field, QStringLiteral("Descrizione"));

    values[QStringLiteral("Descrizione")] = QStringLiteral("Ordinaria");
    failure = checks.firstFailure(values);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca l'aliquota Iva"))
        << "a key of 0 means none chosen";

    values[QStringLiteral("Iva_ID")] = 3;
    EXPECT_EQ(checks.firstFailure(values)->field, QStringLiteral("Iva"));
    values[QStringLiteral("Iva")] = 22;
    EXPECT_FALSE(checks.firstFailure(values).has_value());
}
