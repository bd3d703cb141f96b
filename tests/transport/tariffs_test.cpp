#include "storage/archive.h"
#include "support/testarchive.h"
#include "transport/tariffs.h"

#include <gtest/gtest.h>

using namespace rotalina;

namespace {

qint64 tariff(storage::Archive &archive, const QString &description, double price, double discount,
              double rate, bool withdrawn = false, const QVariantMap &more = {})
{
    QVariantMap values{{QStringLiteral("Descrizione"), description},
                       {QStringLiteral("Prezzo"), price},
                       {QStringLiteral("Sconto"), discount},
                       {QStringLiteral("AliquotaIva"), rate},
                       {QStringLiteral("Annullato"), withdrawn}};
    values.insert(more);
    return test::addRow(archive, QStringLiteral("prezziar"), values);
}

QList<qint64> listed(storage::Archive &archive, const transport::TariffSearch &search,
                     bool hideWithdrawn = true, std::optional<qint64> customer = {})
{
    const storage::ListFilter filter =
        transport::tariffBaseFilter(archive.dialect(), hideWithdrawn, customer);
    auto rows = archive.select(transport::tariffListStatement(filter.conditions()), filter.parameters());
    EXPECT_TRUE(rows) << rows.error().toStdString();
    const transport::TariffSearch folded = transport::foldedSearch(search);
    QList<qint64> keys;
    while (rows && rows->next()) {
        const auto text = [&](const char *field) {
            return rows->value(QString::fromLatin1(field)).toString();
        };
        if (transport::tariffMatches(folded, transport::foldedTariffTexts(text("Descrizione"), text("Codice"),
                                                                          text("PartenzaCitta"),
                                                                          text("FineCitta"), text("Cliente"),
                                                                          text("Reparto"), text("Note"))))
            keys.append(rows->value(QStringLiteral("Id")).toLongLong());
    }
    return keys;
}

double stored(storage::Archive &archive, const char *field, qint64 key)
{
    return archive
        .scalar(QStringLiteral("SELECT %1 FROM prezziar WHERE Id = ?").arg(QLatin1String(field)), {key})
        .value()
        .toDouble();
}

} // namespace

TEST(Tariffs, PricesOfTheCardAndOfTheBulkChanges)
{
    EXPECT_DOUBLE_EQ(transport::tariffFinalPrice(100, 10, 22), 109.80);
    EXPECT_DOUBLE_EQ(transport::tariffFinalPrice(0, 10, 22), 0);
    EXPECT_DOUBLE_EQ(transport::tariffFinalPrice(100, 0, 0), 100);
    // A rate with decimals counts as its whole number on the card, exactly in the bulk changes.
    EXPECT_DOUBLE_EQ(transport::tariffFinalPrice(100, 0, 4.5), 104);
    EXPECT_DOUBLE_EQ(transport::tariffBulkFinalPrice(100, 0, 4.5), 104.5);
    EXPECT_DOUBLE_EQ(transport::tariffUnitValue(109.80, 10, 22), 100);
}

TEST(Tariffs, SearchStartsOfTextsOverTheBaseFilter)
{
    auto archive = test::newArchive();
    const qint64 milan = tariff(
        *archive, QStringLiteral("Verona - Milano"), 650, 0, 22, false,
        {{QStringLiteral("PartenzaCitta"), QStringLiteral("Verona")}, {QStringLiteral("Cliente_ID"), 7}});
    const qint64 aquila = tariff(*archive, QStringLiteral("L'Aquila - Roma"), 500, 0, 22, false,
                                 {{QStringLiteral("PartenzaCitta"), QStringLiteral("L'Aquila")}});
    const qint64 withdrawn = tariff(*archive, QStringLiteral("Verona - Napoli"), 1200, 0, 22, true);
    EXPECT_EQ(listed(*archive, {}), (QList<qint64>{aquila, milan}));
    EXPECT_EQ(listed(*archive, {}, false), (QList<qint64>{aquila, milan, withdrawn}));
    transport::TariffSearch search;
    search.description = QStringLiteral("ver");
    EXPECT_EQ(listed(*archive, search), QList<qint64>{milan});
    search.description = QStringLiteral("*");
    EXPECT_EQ(listed(*archive, search).size(), 2) << "a lone * asks nothing";
    search.description.clear();
    search.from = QStringLiteral("L´AQ");
    EXPECT_EQ(listed(*archive, search), QList<qint64>{aquila});
    search.from.clear();
    EXPECT_EQ(listed(*archive, search, true, 7), QList<qint64>{milan}) << "the tariffs of one customer";
    search.description = QStringLiteral("Milano");
    EXPECT_TRUE(listed(*archive, search).isEmpty()) << "a start, not any part";
}

TEST(Tariffs, SelectionClauseInChoiceOrder)
{
    EXPECT_EQ(transport::tariffSelectionClause({7, 12}),
              QStringLiteral("where prezziar.id = 7 or prezziar.id =12"));
    EXPECT_EQ(transport::tariffSelectionClause({12}), QStringLiteral("where prezziar.id = 12"));
    EXPECT_EQ(transport::tariffSelectionClause({}), QString());
}

TEST(Tariffs, NewCopiedAndSavedTariffs)
{
    auto archive = test::newArchive();
    const qint64 vat = test::addRow(
        *archive, QStringLiteral("Iva"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Iva 22%")}, {QStringLiteral("Iva"), 22.0}});
    ASSERT_TRUE(archive->execute(QStringLiteral("UPDATE opzioni SET AliquotaIva = 22, Iva_Id = ?"), {vat}));
    const QDate today(2026, 12, 6);
    const qint64 fresh = transport::addTariff(*archive, today).value();
    EXPECT_DOUBLE_EQ(stored(*archive, "AliquotaIva", fresh), 22);
    EXPECT_EQ(archive->scalar(QStringLiteral("SELECT Iva_Id FROM prezziar WHERE Id = ?"), {fresh})
                  .value()
                  .toLongLong(),
              vat);
    EXPECT_EQ(archive->scalar(QStringLiteral("SELECT DataInserimento FROM prezziar WHERE Id = ?"), {fresh})
                  .value()
                  .toDate(),
              today);

    EXPECT_EQ(transport::tariffChecks().firstFailure({{QStringLiteral("Iva_Id"), vat}})->message,
              QStringLiteral("Attenzione manca l'unità di misura"));
    ASSERT_TRUE(transport::saveTariff(*archive, fresh,
                                      {{QStringLiteral("Descrizione"), QStringLiteral("Bancale")},
                                       {QStringLiteral("PrezzoFornitore"), QVariant()}}));
    EXPECT_EQ(archive->scalar(QStringLiteral("SELECT PrezzoFornitore FROM prezziar WHERE Id = ?"), {fresh})
                  .value()
                  .toDouble(),
              0.0);

    const qint64 source =
        tariff(*archive, QStringLiteral("Verona - Milano"), 650, 5, 22, false,
               {{QStringLiteral("Chilometri"), 160.0}, {QStringLiteral("Percorso"), QStringLiteral("A4")}});
    const qint64 copy = transport::copyTariff(*archive, source, today).value();
    EXPECT_NE(copy, source);
    EXPECT_EQ(archive->scalar(QStringLiteral("SELECT Descrizione FROM prezziar WHERE Id = ?"), {copy})
                  .value()
                  .toString(),
              QStringLiteral("Verona - Milano(COPIA)"));
    EXPECT_DOUBLE_EQ(stored(*archive, "Chilometri", copy), 160);
    EXPECT_DOUBLE_EQ(stored(*archive, "Sconto", copy), 5);
    const QString long95(95, u'x');
    const qint64 longOne = tariff(*archive, long95, 1, 0, 0);
    EXPECT_EQ(archive
                  ->scalar(QStringLiteral("SELECT Descrizione FROM prezziar WHERE Id = ?"),
                           {transport::copyTariff(*archive, longOne, today).value()})
                  .value()
                  .toString(),
              long95);
}

TEST(Tariffs, BulkChangesTouchExactlyTheListedTariffs)
{
    auto archive = test::newArchive();
    const qint64 a = tariff(*archive, QStringLiteral("A"), 50, 0, 22);
    const qint64 b = tariff(*archive, QStringLiteral("B"), 100, 10, 22);
    const qint64 untouched = tariff(*archive, QStringLiteral("C"), 80, 0, 22);
    ASSERT_TRUE(transport::changeTariffPrices(*archive, {a, b}, transport::PriceChange::Decrease, 10.0,
                                              std::nullopt));
    EXPECT_DOUBLE_EQ(stored(*archive, "Prezzo", a), 45);
    EXPECT_DOUBLE_EQ(stored(*archive, "PrezzoCompleto", a), 54.90);
    EXPECT_DOUBLE_EQ(stored(*archive, "Prezzo", b), 90);
    EXPECT_DOUBLE_EQ(stored(*archive, "PrezzoCompleto", b), 98.82);
    EXPECT_DOUBLE_EQ(stored(*archive, "Prezzo", untouched), 80);
    ASSERT_TRUE(
        transport::changeTariffPrices(*archive, {a}, transport::PriceChange::Increase, std::nullopt, 5.0));
    EXPECT_DOUBLE_EQ(stored(*archive, "Prezzo", a), 50);
    const core::Status refused = transport::changeTariffPrices(
        *archive, {a}, transport::PriceChange::Increase, std::nullopt, std::nullopt);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Inserisci un valore da aumentare"));

    const qint64 reduced = test::addRow(
        *archive, QStringLiteral("Iva"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Iva 4,5%")}, {QStringLiteral("Iva"), 4.5}});
    ASSERT_TRUE(transport::changeTariffVat(*archive, {b}, reduced));
    EXPECT_DOUBLE_EQ(stored(*archive, "AliquotaIva", b), 4.5);
    EXPECT_DOUBLE_EQ(stored(*archive, "PrezzoCompleto", b), 84.65)
        << "90 less 10 % is 81, plus 4,5 % is 84,645";
    EXPECT_DOUBLE_EQ(stored(*archive, "AliquotaIva", untouched), 22);
}

TEST(OptionsArchive, ChangingAllTariffsRecomputesTheirFullPrice)
{
    auto archive = test::newArchive();
    const qint64 plain = test::addRow(*archive, QStringLiteral("prezziar"),
                                      {{QStringLiteral("Prezzo"), 10.0},
                                       {QStringLiteral("Sconto"), 0.0},
                                       {QStringLiteral("AliquotaIva"), 10.0}});
    const qint64 discounted =
        test::addRow(*archive, QStringLiteral("prezziar"),
                     {{QStringLiteral("Prezzo"), 10.0}, {QStringLiteral("Sconto"), 10.0}});
    const qint64 vat =
        test::addRow(*archive, QStringLiteral("Iva"),
                     {{QStringLiteral("Descrizione"), QStringLiteral("22%")}, {QStringLiteral("Iva"), 22.0}});
    const auto changed = transport::changeAllTariffsVat(*archive, vat, 22.0);
    ASSERT_TRUE(changed.ok()) << changed.error().toStdString();
    EXPECT_EQ(*changed, 2);
    const auto full = [&](qint64 key) {
        return archive->scalar(QStringLiteral("SELECT PrezzoCompleto FROM prezziar WHERE Id = ?"), {key})
            .value()
            .toDouble();
    };
    EXPECT_DOUBLE_EQ(full(plain), 12.2);
    EXPECT_DOUBLE_EQ(full(discounted), 10.98);
    EXPECT_EQ(
        test::count(*archive,
                    QStringLiteral("SELECT COUNT(*) FROM prezziar WHERE AliquotaIva = 22 AND Iva_Id = ?"),
                    {vat}),
        2);
}
