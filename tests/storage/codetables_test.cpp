#include "core/textfile.h"
#include "storage/codetables.h"
#include "support/testarchive.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

namespace {

core::Result<ImportSummary> importText(Archive &archive, const QString &table, const QString &text)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tabella.csv"));
    EXPECT_TRUE(core::writeTextFile(path, text).ok());
    return importCodeTableFile(archive, table, path);
}

} // namespace

TEST(CodeTableImport, AListWithoutKeysReplacesTheTable)
{
    auto archive = test::newArchive();
    const auto first =
        importText(*archive, QStringLiteral("pa_errori"),
                   QStringLiteral("Codice,Titolo,Descrizione\n00001,Nome file non valido,\"Il nome, "
                                  "non conforme\"\n00002,Nome file duplicato,\n"));
    ASSERT_TRUE(first.ok()) << first.error().toStdString();
    EXPECT_EQ(first->inserted, 2);
    const auto second = importText(*archive, QStringLiteral("PA_Errori"),
                                   QStringLiteral("Codice,Titolo\n00100,Certificato scaduto\n"));
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second->removed, 2);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM PA_Errori")), 1);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM PA_Errori WHERE Codice = '00100'")),
              1);
}

TEST(CodeTableImport, AListWithKeysUpdatesAndAddsRows)
{
    auto archive = test::newArchive();
    const int before = test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni"));
    const auto summary = importText(*archive, QStringLiteral("Comuni"),
                                    QStringLiteral("ID,Comune,Provincia,CAP,Regione_ID\n"
                                                   "1001,Agliè Canavese,TO,10011,1\n"
                                                   "990001,Nuovo Comune,TO,10100,1\n"));
    ASSERT_TRUE(summary.ok()) << summary.error().toStdString();
    EXPECT_EQ(summary->updated, 1);
    EXPECT_EQ(summary->inserted, 1);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni")), before + 1);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM Comuni WHERE ID = 1001 AND Comune = ? AND "
                                         "CODICE_F = 'A074'"),
                          {QStringLiteral("Agliè Canavese")}),
              1)
        << "fields the file does not name are kept";
    // A town the office adds afterwards continues after the imported keys.
    const auto added =
        archive->insert(QStringLiteral("Comuni"), {{QStringLiteral("Comune"), QStringLiteral("Estero")}});
    ASSERT_TRUE(added.ok()) << added.error().toStdString();
    EXPECT_GT(*added, 990001);
}

TEST(CodeTableImport, ABadValueStopsTheImportBeforeAnythingIsWritten)
{
    auto archive = test::newArchive();
    const auto result =
        importText(*archive, QStringLiteral("Comuni"),
                   QStringLiteral("ID,Comune,Regione_ID\n1001,Cambiato,1\n1002,Altro,Piemonte\n"));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(
        result.error(),
        QStringLiteral(
            "Tabella Comuni, riga 3 del file: il valore «Piemonte» non è valido per il campo Regione_ID."));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni WHERE Comune = 'Cambiato'")),
              0);
}

TEST(CodeTableImport, OnlyCodeTablesAndKnownColumns)
{
    auto archive = test::newArchive();
    const auto business = importText(*archive, QStringLiteral("fattura"), QStringLiteral("ID,Num\n1,1\n"));
    ASSERT_FALSE(business.ok());
    EXPECT_TRUE(
        business.error().startsWith(QStringLiteral("La tabella fattura non si può caricare da un file")));
    const auto column =
        importText(*archive, QStringLiteral("Nazioni"), QStringLiteral("IDNazione,Capitale\n380,Roma\n"));
    ASSERT_FALSE(column.ok());
    EXPECT_EQ(column.error(), QStringLiteral("La colonna «Capitale» non è un campo della tabella Nazioni."));
    const auto missing =
        importCodeTableFile(*archive, QStringLiteral("Nazioni"), QStringLiteral("/nonexistent.csv"));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().startsWith(QStringLiteral("Impossibile leggere il file")));
}

TEST(NewArchive, StartsWithTheRatesUnitsAndPaymentTermsAFirmNeeds)
{
    auto archive = test::newArchive();
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Iva WHERE Iva > 0")), 4);
    // Every 0 % rate carries the nature an electronic invoice needs, and it is a known nature.
    EXPECT_EQ(
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Iva WHERE Iva = 0 AND Pa_Natura_Codice IN "
                                             "(SELECT Codice FROM PA_Natura)")),
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Iva WHERE Iva = 0")));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM UnitaMisura")), 9);
    // Payment terms name a known payment method and as many day counts as instalments.
    EXPECT_GE(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM ModPagamento")), 7);
    EXPECT_EQ(test::count(*archive, QStringLiteral(
                                        "SELECT COUNT(*) FROM ModPagamento WHERE PA_ModalitaPagamento_Codice "
                                        "NOT IN (SELECT Codice FROM PA_ModalitaPagamento)")),
              0);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM ModPagamento WHERE (NumeroScadenze >= 1 AND "
                                         "GG1Scadenza IS NULL) OR (NumeroScadenze >= 2 AND GG2Scadenza IS "
                                         "NULL) OR (NumeroScadenze >= 3 AND GG3Scadenza IS NULL)")),
              0);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM opzioni JOIN Iva ON opzioni.Iva_Id = Iva.ID "
                                         "WHERE Iva.Iva = 22 AND opzioni.AliquotaIva = 22")),
              1)
        << "the standard rate of the options";
    // New rows continue after the ones shipped.
    EXPECT_GT(
        archive->insert(QStringLiteral("Iva"), {{QStringLiteral("Descrizione"), QStringLiteral("Nuova")}})
            .value(),
        11);
    EXPECT_FALSE(importableCodeTables().contains(QStringLiteral("Iva")))
        << "the firm's registry, not a code table";
}
