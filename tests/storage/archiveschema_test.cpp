#include "core/csvreader.h"
#include "core/textfile.h"
#include "storage/schemamigration.h"
#include "support/shareddata.h"
#include "support/testarchive.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

namespace {

QSet<QString> column(Archive &archive, const QString &sql)
{
    QSet<QString> values;
    core::Result<QSqlQuery> query = archive.select(sql);
    EXPECT_TRUE(query.ok()) << query.error().toStdString();
    while (query.ok() && query->next())
        values.insert(query->value(0).toString());
    return values;
}

// The values a simple type of the e-invoice schema allows.
QSet<QString> schemaEnumeration(const QString &xsd, const QString &typeName)
{
    QXmlStreamReader xml(core::readTextFile(xsd).value());
    QSet<QString> values;
    bool inside = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"simpleType")
            inside = xml.attributes().value(QStringLiteral("name")) == typeName;
        else if (inside && xml.isStartElement() && xml.name() == u"enumeration")
            values.insert(xml.attributes().value(QStringLiteral("value")).toString());
        else if (xml.isEndElement() && xml.name() == u"simpleType")
            inside = false;
    }
    return values;
}

} // namespace

TEST(NewArchive, HoldsEveryTableWithEveryField)
{
    auto archive = test::newArchive();
    const QStringList tables = archive->existingTables();
    for (const TableDef &table : archive->schema().tables()) {
        SCOPED_TRACE(table.name.toStdString());
        ASSERT_TRUE(tables.contains(table.name.toLower()));
        const QStringList fields = archive->existingFields(table.name);
        for (const FieldDef &field : table.fields)
            EXPECT_TRUE(fields.contains(field.name.toLower())) << field.name.toStdString();
    }
    EXPECT_EQ(tables.size(), archive->schema().tables().size() + 1) << "the tables and the version table";
    EXPECT_EQ(archive->version(), archive->schema().version());
}

TEST(NewArchive, HasItsIndexes)
{
    auto archive = test::newArchive();
    int expected = 0;
    for (const TableDef &table : archive->schema().tables())
        expected += static_cast<int>(schema_migration::indexesOf(table).size());
    const QString sql =
        archive->engine() == Engine::SQLite
            ? QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'ix_%'")
            : QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname LIKE 'ix_%'");
    EXPECT_EQ(test::count(*archive, sql), expected);
    EXPECT_GT(expected, 250);
}

TEST(NewArchive, HoldsTheSingleRowsAndTheCodeTables)
{
    auto archive = test::newArchive();
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM opzioni")), 1);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM ditta")), 1);
    EXPECT_GE(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni")), 7800);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Regioni")), 20);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Province")), 107);
    EXPECT_GE(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Nazioni")), 240);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Mesi")), 12);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM ContabilitaTrimestri")), 4);

    // Every municipality hangs together: its province, region and nation exist.
    EXPECT_EQ(test::count(*archive, QStringLiteral(
                                        "SELECT COUNT(*) FROM Comuni c LEFT JOIN Province p ON p.PROVINCIA = "
                                        "c.Provincia WHERE p.PROVINCIA IS NULL")),
              0);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM Comuni c LEFT JOIN Regioni r ON r.IDRegione = "
                                         "c.Regione_ID WHERE r.IDRegione IS NULL")),
              0);
    EXPECT_EQ(
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni c JOIN Nazioni n ON n.IDNazione = "
                                             "c.Nazione_ID WHERE n.SIGLA = 'IT'")),
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni")));
    EXPECT_EQ(column(*archive, QStringLiteral("SELECT CODICE_F || ' ' || Provincia || ' ' || CAP FROM Comuni "
                                              "WHERE Comune = 'Roma'")),
              QSet<QString>({QStringLiteral("H501 RM 00118")}));
    EXPECT_EQ(column(*archive, QStringLiteral("SELECT COD_ISTAT FROM Comuni WHERE Comune = 'Agliè'")),
              QSet<QString>({QStringLiteral("001001")}))
        << "codes keep their leading zeros";

    core::Result<QSqlQuery> kinds =
        archive->select(QStringLiteral("SELECT Id, Descrizione FROM TipologiaPrimaNota ORDER BY Id"));
    ASSERT_TRUE(kinds.ok());
    QStringList cash;
    while (kinds->next())
        cash.append(kinds->value(0).toString() + u' ' + kinds->value(1).toString());
    EXPECT_EQ(cash, QStringList({QStringLiteral("1 Cassa"), QStringLiteral("2 Banca"),
                                 QStringLiteral("3 Fuori Cassa")}));
    EXPECT_EQ(
        column(*archive,
               QStringLiteral("SELECT Estensione FROM TipoEsportazioniCrystalReport WHERE Attivo = true")),
        QSet<QString>({QStringLiteral("pdf"), QStringLiteral("html"), QStringLiteral("odt"),
                       QStringLiteral("csv"), QStringLiteral("txt")}));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM PA_Errori")), 0)
        << "imported by the firm";
    EXPECT_EQ(
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM PA_Amministrazioni_FatturaElettronica")),
        0);
}

TEST(NewArchive, ElectronicInvoiceCodesMatchTheOfficialSchema)
{
    ROTALINA_REQUIRE_SHARED("fatturapa/schemas/Schema_del_file_xml_FatturaPA_v1.2.2.xsd");
    const QString xsd =
        test::sharedFolder() + QStringLiteral("fatturapa/schemas/Schema_del_file_xml_FatturaPA_v1.2.2.xsd");
    auto archive = test::newArchive();
    const QHash<QString, QString> lists = {
        {QStringLiteral("PA_Natura"), QStringLiteral("NaturaType")},
        {QStringLiteral("PA_ModalitaPagamento"), QStringLiteral("ModalitaPagamentoType")},
        {QStringLiteral("PA_RegimeFiscale"), QStringLiteral("RegimeFiscaleType")},
        {QStringLiteral("PA_IscrizRea_SocioUnico"), QStringLiteral("SocioUnicoType")},
        {QStringLiteral("PA_IscrizRea_StatoLiquidazione"), QStringLiteral("StatoLiquidazioneType")},
    };
    for (auto it = lists.cbegin(); it != lists.cend(); ++it) {
        const QSet<QString> official = schemaEnumeration(xsd, it.value());
        ASSERT_FALSE(official.isEmpty()) << it.value().toStdString();
        EXPECT_EQ(column(*archive, QStringLiteral("SELECT Codice FROM ") + it.key()), official)
            << it.key().toStdString();
        EXPECT_EQ(test::count(
                      *archive,
                      QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Descrizione IS NULL OR Descrizione = ''")
                          .arg(it.key())),
                  0);
    }
}

TEST(NewArchive, MunicipalitiesAgreeWithThePublicList)
{
    ROTALINA_REQUIRE_SHARED("data/comuni.csv");
    const core::Result<core::CsvTable> reference =
        core::parseCsv(core::readTextFile(test::sharedFolder() + QStringLiteral("data/comuni.csv")).value());
    ASSERT_TRUE(reference.ok());
    const qsizetype istat = reference->header.indexOf(QStringLiteral("codice_istat"));
    const qsizetype cadastral = reference->header.indexOf(QStringLiteral("codice_catastale"));
    const qsizetype province = reference->header.indexOf(QStringLiteral("sigla_provincia"));
    ASSERT_GE(istat, 0);

    auto archive = test::newArchive();
    QHash<QString, QString> ours;
    core::Result<QSqlQuery> rows =
        archive->select(QStringLiteral("SELECT COD_ISTAT, CODICE_F, Provincia FROM Comuni"));
    ASSERT_TRUE(rows.ok());
    while (rows->next())
        ours.insert(rows->value(0).toString(), rows->value(1).toString() + u' ' + rows->value(2).toString());
    int missing = 0;
    int different = 0;
    for (const QStringList &row : reference->rows) {
        const auto found = ours.constFind(row.at(istat));
        if (found == ours.cend())
            ++missing;
        else if (*found != row.at(cadastral) + u' ' + row.at(province))
            ++different;
    }
    // Both lists follow ISTAT; a handful may differ while one of them lags a merger.
    EXPECT_LE(missing, 20);
    EXPECT_LE(different, 20);
}

TEST(NewArchive, OpeningAgainChangesNothing)
{
    auto archive = test::newArchive();
    const ArchiveLocation location = archive->location();
    ASSERT_TRUE(
        archive->execute(QStringLiteral("UPDATE ditta SET RagSoc = ?"), {QStringLiteral("Trasporti Rossi")})
            .ok());
    archive.reset();
    auto again = test::openAgain(location);
    EXPECT_EQ(test::count(*again, QStringLiteral("SELECT COUNT(*) FROM ditta")), 1);
    EXPECT_EQ(column(*again, QStringLiteral("SELECT RagSoc FROM ditta")),
              QSet<QString>({QStringLiteral("Trasporti Rossi")}));
    EXPECT_GE(test::count(*again, QStringLiteral("SELECT COUNT(*) FROM Comuni")), 7800)
        << "code tables are not loaded twice";
    EXPECT_LT(test::count(*again, QStringLiteral("SELECT COUNT(*) FROM Comuni")), 8000);
}

TEST(ArchiveSchema, CustomerAndSupplierNamesAreSearchedThroughAnIndexOnPostgreSql)
{
    if (test::engineUnderTest() != Engine::PostgreSQL)
        GTEST_SKIP() << "SQLite reads such searches without an index";
    auto archive = test::newArchive();
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname IN "
                                                   "('cerca_clienti_nominativovisualizzato', "
                                                   "'cerca_fornitor_fornitore')")),
              2);
    // The index serves the list's own condition (written out: a statement that explains another
    // cannot be prepared with bound values).
    QString condition = archive->dialect().foldedLike(QStringLiteral("Clienti.NominativoVisualizzato"));
    condition.replace(u'?', QStringLiteral("'%rossi%'"));
    ASSERT_TRUE(archive->execute(QStringLiteral("SET enable_seqscan = off")).ok());
    auto plan = archive->select(QStringLiteral("EXPLAIN SELECT Id FROM Clienti WHERE ") + condition);
    ASSERT_TRUE(plan.ok()) << plan.error().toStdString();
    QString text;
    while (plan->next())
        text += plan->value(0).toString() + u'\n';
    EXPECT_TRUE(text.contains(QStringLiteral("cerca_clienti_nominativovisualizzato"))) << text.toStdString();
    ASSERT_TRUE(archive->execute(QStringLiteral("SET enable_seqscan = on")).ok());
}
