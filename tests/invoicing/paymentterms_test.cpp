#include "invoicing/paymentterms.h"
#include "invoicingfixture.h"
#include "shell/registrydescriptor.h"

#include <gtest/gtest.h>

using namespace rotalina;

namespace {

QString firstFailure(const QVariantMap &values)
{
    const auto failure = invoicing::paymentTermsChecks().firstFailure(values);
    return failure ? failure->field + QStringLiteral(": ") + failure->message : QString();
}

QVariantMap mode(const QVariant &instalments, std::initializer_list<QVariant> days = {})
{
    QVariantMap values{{QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP05")},
                       {QStringLiteral("Descrizione"), QStringLiteral("Bonifico")},
                       {QStringLiteral("NumeroScadenze"), instalments}};
    int n = 1;
    for (const QVariant &day : days)
        values.insert(invoicing::instalmentDaysField(n++), day);
    return values;
}

} // namespace

TEST(PaymentTerms, ChecksInTheOrderOfTheCard)
{
    QVariantMap values = mode(1, {30});
    values.remove(QStringLiteral("PA_ModalitaPagamento_Codice"));
    values.insert(QStringLiteral("Descrizione"), QString());
    EXPECT_EQ(firstFailure(values),
              QStringLiteral("PA_ModalitaPagamento_Codice: Attenzione manca la Tipologia"));
    values.insert(QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP01"));
    EXPECT_EQ(firstFailure(values), QStringLiteral("Descrizione: Attenzione manca la Descrizione"));

    // An empty count is no instalment at all; outside 0-12 it is refused.
    EXPECT_EQ(firstFailure(mode(QVariant())), QString());
    EXPECT_EQ(firstFailure(mode(13)),
              QStringLiteral("NumeroScadenze: Attenzione il N° Scadenze deve essere compreso tra 0 e 12"));
    EXPECT_EQ(firstFailure(mode(-1)),
              QStringLiteral("NumeroScadenze: Attenzione il N° Scadenze deve essere compreso tra 0 e 12"));

    // One instalment needs its days; several need all of theirs, and the first missing is named.
    EXPECT_EQ(firstFailure(mode(1)),
              QStringLiteral("GG1Scadenza: Attenzione manca il numero dei Giorni di scadenza Pagamento"));
    EXPECT_EQ(firstFailure(mode(1, {0})), QString())
        << "0 days is a payment on the date, not a missing value";
    EXPECT_EQ(firstFailure(mode(3, {30, QVariant(), 90})),
              QStringLiteral("GG2Scadenza: Attenzione manca un numero dei Giorni di scadenza Pagamento"));
    EXPECT_EQ(firstFailure(mode(2, {30, 60, QVariant()})), QString())
        << "days beyond the count are not needed";
    EXPECT_EQ(
        firstFailure(mode(2, {30, -5})),
        QStringLiteral("GG2Scadenza: Attenzione i Giorni di scadenza Pagamento non possono essere negativi"));
}

TEST(PaymentTerms, EmptyCountAndLongDaysAreWrittenAsTheRuleSays)
{
    QVariantMap values{{QStringLiteral("NumeroScadenze"), QString()},
                       {QStringLiteral("GG1Scadenza"), 400},
                       {QStringLiteral("GG2Scadenza"), 360},
                       {QStringLiteral("GG3Scadenza"), QVariant()}};
    invoicing::normalisePaymentTerms(values);
    EXPECT_EQ(values.value(QStringLiteral("NumeroScadenze")).toInt(), 0);
    EXPECT_EQ(values.value(QStringLiteral("GG1Scadenza")).toInt(), 360);
    EXPECT_EQ(values.value(QStringLiteral("GG2Scadenza")).toInt(), 360);
    EXPECT_TRUE(values.value(QStringLiteral("GG3Scadenza")).isNull());
    EXPECT_FALSE(values.contains(QStringLiteral("GG4Scadenza"))) << "fields not edited are not written";

    // Saved through the registry, as the card does.
    test::InvoicingArchive fixture;
    const qint64 key = fixture.paymentMode(1, {30});
    const auto saved = shell::saveRegistryRow(fixture.archive(), invoicing::paymentTermsRegistry(), key,
                                              {{QStringLiteral("GG1Scadenza"), 400}});
    ASSERT_TRUE(saved) << saved.error().toStdString();
    EXPECT_EQ(fixture.value(QStringLiteral("ModPagamento"), "GG1Scadenza", key).toInt(), 360);
    const auto terms = invoicing::readPaymentTerms(fixture.archive(), key);
    ASSERT_TRUE(terms && terms->has_value());
    EXPECT_EQ((*terms)->instalments, 1);
    EXPECT_EQ((*terms)->days.at(0), 360);
}

TEST(PaymentTerms, AModeInUseIsKeptAndAMissingOneGivesNoTerms)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 used = fixture.paymentMode(1, {30});
    const qint64 unused = fixture.paymentMode(2, {30, 60});
    fixture.customer(QStringLiteral("Rossi"), {{QStringLiteral("Pagamento_ID"), used}});

    const auto refused = shell::deleteRegistryRow(archive, invoicing::paymentTermsRegistry(), used);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("clienti: 1"))) << refused.error().toStdString();
    ASSERT_TRUE(shell::deleteRegistryRow(archive, invoicing::paymentTermsRegistry(), unused));

    const auto gone = invoicing::readPaymentTerms(archive, unused);
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone->has_value());
    const auto none = invoicing::readPaymentTerms(archive, QVariant());
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->has_value());
}
