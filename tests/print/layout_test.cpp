#include "print/composedreport.h"
#include "print/documentexport.h"
#include "print/layout.h"
#include "print/reportdata.h"
#include "storage/sqldialect.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::print;

namespace {

ReportLayout parsed(const char *json)
{
    const core::Result<ReportLayout> layout =
        ReportLayout::parse(QByteArray(json), QStringLiteral("Prova.rpt"));
    if (!layout)
        ADD_FAILURE() << layout.error().toStdString();
    return layout ? *layout : ReportLayout();
}

ReportRows rowsOf(QStringList fields, QList<QVariantList> rows)
{
    return ReportRows{std::move(fields), std::move(rows)};
}

QList<QStringList> cellsOf(const ComposedTable &table, ComposedTable::Row::Kind kind)
{
    QList<QStringList> cells;
    for (const ComposedTable::Row &row : table.rows) {
        if (row.kind == kind)
            cells.append(row.cells);
    }
    return cells;
}

} // namespace

TEST(ReportLayout, BadFilesAreRefusedWithTheFileAndTheFault)
{
    const struct
    {
        const char *json;
        const char *fault;
    } cases[] = {
        {"{ \"title\": ", "non è leggibile"},
        {"{\"kind\": \"poster\", \"columns\": [{\"field\": \"A\"}]}", "tipo «poster» sconosciuto"},
        {"{\"columns\": [{\"field\": \"A\", \"format\": \"euro\"}]}", "formato «euro» sconosciuto"},
        {"{\"columns\": [{\"title\": \"Senza campo\"}]}", "non ha il campo"},
        {"{\"columns\": [{\"field\": \"A\", \"width\": 0}]}", "deve essere positiva"},
        {"{\"title\": \"Solo titolo\"}", "non ci sono colonne"},
        {"{\"kind\": \"labels\", \"labels\": {\"lines\": []}}", "le etichette non hanno righe"},
        {"{\"orientation\": \"obliqua\", \"columns\": [{\"field\": \"A\"}]}", "portrait o landscape"},
        {"{\"tables\": [{\"source\": 3, \"columns\": [{\"field\": \"A\"}]}]}",
         "«source» deve essere 0, 1 o 2"},
    };
    for (const auto &c : cases) {
        const core::Result<ReportLayout> layout =
            ReportLayout::parse(QByteArray(c.json), QStringLiteral("Prova.rpt"));
        ASSERT_FALSE(layout) << c.json;
        EXPECT_TRUE(layout.error().contains(QStringLiteral("Prova.rpt"))) << layout.error().toStdString();
        EXPECT_TRUE(layout.error().contains(QString::fromUtf8(c.fault))) << layout.error().toStdString();
    }
    const core::Result<ReportLayout> missing =
        ReportLayout::load(QStringLiteral("/nessuna/cartella/Clienti.rpt"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(),
              QStringLiteral("Il modello di stampa Clienti.rpt non esiste o non è leggibile."));
}

TEST(ReportLayout, FieldsUsedAreListedByStatement)
{
    const ReportLayout layout = parsed(R"({
        "kind": "document", "title": "Fattura {NumeroFattura}", "parameter": "Saldo {Parametro|money}",
        "document": {"reference": ["Data {DataFattura|date}"], "party": ["{Cliente}", "{Cap} {Citta}"],
                     "details": [["Banca", "{Banca} {Iban}"]], "totals": [["Totale", "{TotFattura|money}"]],
                     "vatSummary": true},
        "tables": [{"rowKey": "IDX", "groupBy": "Reparto", "groupTitle": "Reparto {Reparto} {Nota}",
                    "columns": [{"field": "Descrizione"}, {"field": "cliente"}]},
                   {"source": 1, "columns": [{"field": "DataScadenza", "format": "date"}, {"field": "Importo"}]}]
    })");
    const auto used = layout.fieldsUsed();
    EXPECT_EQ(used[0],
              (QStringList{QStringLiteral("NumeroFattura"), QStringLiteral("DataFattura"),
                           QStringLiteral("Cliente"), QStringLiteral("Cap"), QStringLiteral("Citta"),
                           QStringLiteral("Banca"), QStringLiteral("Iban"), QStringLiteral("TotFattura"),
                           QStringLiteral("AliquotaIva"), QStringLiteral("TotaleImponibile"),
                           QStringLiteral("Descrizione"), QStringLiteral("IDX"), QStringLiteral("Reparto"),
                           QStringLiteral("Nota")}));
    EXPECT_EQ(used[1], (QStringList{QStringLiteral("DataScadenza"), QStringLiteral("Importo")}));
    EXPECT_TRUE(used[2].isEmpty());
}

TEST(ReportValues, ItalianNumbersDatesAndFlags)
{
    EXPECT_EQ(formatValue(1234.5, ValueFormat::Money), QStringLiteral("1.234,50"));
    EXPECT_EQ(formatValue(-0.005, ValueFormat::Money), QStringLiteral("-0,01"));
    EXPECT_EQ(formatValue(2.675, ValueFormat::Money), QStringLiteral("2,68"));
    EXPECT_EQ(formatValue(8500.0, ValueFormat::Number), QStringLiteral("8.500"));
    EXPECT_EQ(formatValue(1.6, ValueFormat::Number), QStringLiteral("1,6"));
    EXPECT_EQ(formatValue(12.6, ValueFormat::Integer), QStringLiteral("13"));
    EXPECT_EQ(formatValue(QDate(2026, 3, 7), ValueFormat::Date), QStringLiteral("07/03/2026"));
    EXPECT_EQ(formatValue(QStringLiteral("2026-03-07"), ValueFormat::Date), QStringLiteral("07/03/2026"));
    EXPECT_EQ(formatValue(true, ValueFormat::YesNo), QStringLiteral("Sì"));
    EXPECT_EQ(formatValue(0, ValueFormat::YesNo), QStringLiteral("No"));
    EXPECT_EQ(formatValue(QStringLiteral("via roma"), ValueFormat::Upper), QStringLiteral("VIA ROMA"));
    EXPECT_EQ(formatValue(QVariant(), ValueFormat::Money), QString());
    // A value of unknown kind: dates print as dates, decimals as money, the rest as it is.
    EXPECT_EQ(formatValue(QDate(2026, 12, 31), ValueFormat::Text), QStringLiteral("31/12/2026"));
    EXPECT_EQ(formatValue(1631.0, ValueFormat::Text), QStringLiteral("1.631,00"));
    EXPECT_EQ(formatValue(QStringLiteral("A/778"), ValueFormat::Text), QStringLiteral("A/778"));
}

TEST(ReportValues, TemplatesLeaveOutLinesWithNothingToShow)
{
    const QVariantMap row{{QStringLiteral("Cap"), QStringLiteral("37122")},
                          {QStringLiteral("Citta"), QStringLiteral("Verona")},
                          {QStringLiteral("Telefono"), QVariant()},
                          {QStringLiteral("Totale"), 1631.0}};
    const auto value = [&row](const QString &field) {
        return row.value(field);
    };
    EXPECT_EQ(expandTemplate(QStringLiteral("{Cap}  {Citta} ({Provincia})"), value),
              QStringLiteral("37122 Verona"));
    EXPECT_EQ(expandTemplate(QStringLiteral("Tel. {Telefono}"), value), QString());
    EXPECT_EQ(expandTemplate(QStringLiteral("Tel. {Telefono}"), value, false), QStringLiteral("Tel."));
    EXPECT_EQ(expandTemplate(QStringLiteral("Totale € {Totale|money}"), value),
              QStringLiteral("Totale € 1.631,00"));
    EXPECT_EQ(expandTemplate(QStringLiteral("Senza campi {non chiuso"), value),
              QStringLiteral("Senza campi {non chiuso"));
}

TEST(ReportComposition, GroupsSubtotalsAndTotalAddUpToTheCent)
{
    const ReportLayout layout = parsed(R"({
        "title": "Scadenze", "columns": [{"field": "Cliente", "width": 3}, {"field": "Importo", "format": "money", "total": true}],
        "groupBy": "Cliente", "subtotals": true, "total": true
    })");
    ReportData data;
    data.main = rowsOf({QStringLiteral("Cliente"), QStringLiteral("Importo")},
                       {{QStringLiteral("Alfa"), 0.1},
                        {QStringLiteral("Alfa"), 0.2},
                        {QStringLiteral("Beta"), 1000.005},
                        {QStringLiteral("Beta"), QVariant()}});
    const ComposedReport report = compose(layout, data, true);
    const ComposedTable *table = report.mainTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(cellsOf(*table, ComposedTable::Row::GroupHeading),
              (QList<QStringList>{{QStringLiteral("Alfa")}, {QStringLiteral("Beta")}}));
    EXPECT_EQ(cellsOf(*table, ComposedTable::Row::Subtotal),
              (QList<QStringList>{{QStringLiteral("Totale Alfa"), QStringLiteral("0,30")},
                                  {QStringLiteral("Totale Beta"), QStringLiteral("1.000,01")}}));
    EXPECT_EQ(cellsOf(*table, ComposedTable::Row::Total),
              (QList<QStringList>{{QStringLiteral("Totale"), QStringLiteral("1.000,31")}}));
    EXPECT_EQ(cellsOf(*table, ComposedTable::Row::Data).size(), 4);
}

TEST(ReportComposition, GroupsGatheredAgainstTheStatementOrderAndEmptyRowsLeftOut)
{
    const ReportLayout layout = parsed(R"({
        "columns": [{"field": "Operazione"}], "groupBy": "Cliente", "sortByGroup": true, "rowKey": "ID",
        "empty": "Nessun movimento"
    })");
    ReportData data;
    data.main = rowsOf({QStringLiteral("ID"), QStringLiteral("Cliente"), QStringLiteral("Operazione")},
                       {{1, QStringLiteral("Zeta"), QStringLiteral("primo")},
                        {2, QStringLiteral("Alfa"), QStringLiteral("secondo")},
                        {QVariant(), QStringLiteral("Alfa"), QStringLiteral("riga vuota")},
                        {4, QStringLiteral("Zeta"), QStringLiteral("terzo")}});
    const ComposedReport report = compose(layout, data, true);
    const ComposedTable *table = report.mainTable();
    ASSERT_NE(table, nullptr);
    QStringList printed;
    for (const ComposedTable::Row &row : table->rows)
        printed.append(row.cells.value(0));
    EXPECT_EQ(printed, (QStringList{QStringLiteral("Alfa"), QStringLiteral("secondo"), QStringLiteral("Zeta"),
                                    QStringLiteral("primo"), QStringLiteral("terzo")}));

    data.main.rows = {{QVariant(), QStringLiteral("Alfa"), QVariant()}};
    const ComposedReport emptyReport = compose(layout, data, true);
    const ComposedTable *empty = emptyReport.mainTable();
    ASSERT_EQ(empty->rows.size(), 1);
    EXPECT_EQ(empty->rows.first().kind, ComposedTable::Row::Empty);
    EXPECT_EQ(empty->rows.first().cells.value(0), QStringLiteral("Nessun movimento"));
}

TEST(ReportComposition, DocumentVatSummaryByRateAndExemption)
{
    const ReportLayout layout = parsed(R"({
        "kind": "document",
        "document": {"heading": "FATTURA", "reference": ["Numero {Num}", "Pagamento {Modalita}"], "partyTitle": "Spett.le",
                     "party": ["{Cliente}", "P.IVA {PartitaIva}"], "vatSummary": true,
                     "totals": [["Totale documento", "{Totale|money}"], ["Bollo", "{Bollo|money}"]]},
        "tables": [{"rowKey": "IDX", "columns": [{"field": "Descrizione"}, {"field": "TotaleImponibile", "format": "money"}]}]
    })");
    ReportData data;
    const QStringList fields{QStringLiteral("Num"),
                             QStringLiteral("Cliente"),
                             QStringLiteral("PartitaIva"),
                             QStringLiteral("Totale"),
                             QStringLiteral("Bollo"),
                             QStringLiteral("IDX"),
                             QStringLiteral("Descrizione"),
                             QStringLiteral("AliquotaIva"),
                             QStringLiteral("DescrizioneIva"),
                             QStringLiteral("TotaleImponibile"),
                             QStringLiteral("Modalita")};
    data.main =
        rowsOf(fields, {{15, QStringLiteral("Alfa"), QVariant(), 1631.0, QVariant(), 1,
                         QStringLiteral("Viaggio 1"), 22.0, QStringLiteral("Iva 22%"), 650.005, QVariant()},
                        {15, QStringLiteral("Alfa"), QVariant(), 1631.0, QVariant(), 2,
                         QStringLiteral("Viaggio 2"), 22.0, QStringLiteral("Iva 22%"), 649.995, QVariant()},
                        {15, QStringLiteral("Alfa"), QVariant(), 1631.0, QVariant(), 3,
                         QStringLiteral("Spese"), 0.0, QStringLiteral("Esclusa art. 15"), 45.0, QVariant()},
                        {15, QStringLiteral("Alfa"), QVariant(), 1631.0, QVariant(), 4,
                         QStringLiteral("Bollo"), 0.0, QStringLiteral("Esente art. 10"), 2.0, QVariant()}});
    const ComposedReport report = compose(layout, data, true);
    ASSERT_GE(report.blocks.size(), 4);
    EXPECT_EQ(report.blocks.at(0).text, QStringLiteral("FATTURA"));
    EXPECT_EQ(report.blocks.at(1).left, (QStringList{QStringLiteral("Numero 15")}));
    EXPECT_EQ(report.blocks.at(1).right, (QStringList{QStringLiteral("Alfa")}));
    const auto summary =
        std::find_if(report.blocks.cbegin(), report.blocks.cend(), [](const ReportBlock &block) {
            return block.kind == ReportBlock::Table && block.table.title == QStringLiteral("Riepilogo IVA");
        });
    ASSERT_NE(summary, report.blocks.cend());
    EXPECT_EQ(cellsOf(summary->table, ComposedTable::Row::Data),
              (QList<QStringList>{{QStringLiteral("0%"), QStringLiteral("Esclusa art. 15"),
                                   QStringLiteral("45,00"), QStringLiteral("0,00")},
                                  {QStringLiteral("0%"), QStringLiteral("Esente art. 10"),
                                   QStringLiteral("2,00"), QStringLiteral("0,00")},
                                  {QStringLiteral("22%"), QStringLiteral("Iva 22%"),
                                   QStringLiteral("1.300,00"), QStringLiteral("286,00")}}));
    const auto totals =
        std::find_if(report.blocks.cbegin(), report.blocks.cend(), [](const ReportBlock &block) {
            return block.kind == ReportBlock::Pairs && block.alignRight;
        });
    ASSERT_NE(totals, report.blocks.cend());
    // The stamp duty has no value: its line is left out.
    EXPECT_EQ(totals->pairs, (QList<QPair<QString, QString>>{
                                 {QStringLiteral("Totale documento"), QStringLiteral("1.631,00")}}));
}

TEST(ReportComposition, ParameterTypedAsAnAmountPrintsInItalian)
{
    const ReportLayout layout =
        parsed(R"({"title": "Prima nota", "parameter": "Saldo iniziale: {Parametro|money}",
                                           "columns": [{"field": "A"}]})");
    ReportData data;
    data.main = rowsOf({QStringLiteral("A")}, {});
    for (const auto &[typed, shown] :
         {std::pair{"2.000,5", "Saldo iniziale: 2.000,50"}, std::pair{"-15", "Saldo iniziale: -15,00"}}) {
        data.parameter = QString::fromLatin1(typed);
        const ComposedReport report = compose(layout, data, true);
        ASSERT_GE(report.blocks.size(), 2);
        EXPECT_EQ(report.blocks.at(1).text, QString::fromLatin1(shown));
    }
    data.parameter.clear();
    EXPECT_EQ(compose(layout, data, true).blocks.size(), 2) << "no parameter line without a parameter";
}

TEST(ReportExports, CsvQuotesWhatASpreadsheetWouldSplit)
{
    const ReportLayout layout =
        parsed(R"({"columns": [{"field": "Nome"}, {"field": "Importo", "format": "money", "total": true}],
                                           "groupBy": "Nome", "subtotals": true, "total": true})");
    ReportData data;
    data.main = rowsOf(
        {QStringLiteral("Nome"), QStringLiteral("Importo")},
        {{QStringLiteral("Bottega \"D'Angelo\"; Bologna"), 1234.5}, {QStringLiteral("Riga\ndoppia"), 1.0}});
    const QString csv = reportCsv(compose(layout, data, true));
    EXPECT_EQ(csv,
              QStringLiteral(
                  "Nome;Importo\n\"Bottega \"\"D'Angelo\"\"; Bologna\";1.234,50\n\"Riga\ndoppia\";1,00\n"));

    // Grouped on a field the columns do not show: the group goes in a first column.
    const ReportLayout byTown =
        parsed(R"({"columns": [{"field": "Nome"}], "groupBy": "Citta", "groupTitle": "Città: {Citta}"})");
    data.main = rowsOf({QStringLiteral("Nome"), QStringLiteral("Citta")},
                       {{QStringLiteral("Alfa"), QStringLiteral("Verona")},
                        {QStringLiteral("Beta"), QStringLiteral("Verona")},
                        {QStringLiteral("Gamma"), QStringLiteral("Milano")}});
    EXPECT_EQ(reportCsv(compose(byTown, data, true)),
              QStringLiteral("Citta;Nome\nCittà: Verona;Alfa\nCittà: Verona;Beta\nCittà: Milano;Gamma\n"));
}

TEST(ReportRowsFilter, KeepsRowsHoldingTheTextInAnyCase)
{
    const ReportRows rows = rowsOf({QStringLiteral("Cliente"), QStringLiteral("Citta")},
                                   {{QStringLiteral("Alfa Logistica"), QStringLiteral("Verona")},
                                    {QStringLiteral("Bottega"), QStringLiteral("Bologna")},
                                    {QVariant(), QStringLiteral("VERONA est")}});
    EXPECT_EQ(rows.narrowed(QStringLiteral("  verona ")).rows.size(), 2);
    EXPECT_EQ(rows.narrowed(QStringLiteral("bott")).rows.size(), 1);
    EXPECT_EQ(rows.narrowed(QString()).rows.size(), 3);
    EXPECT_EQ(rows.narrowed(QStringLiteral("Milano")).rows.size(), 0);
}

TEST(SqlTextLiteral, QuotesAreDoubledAndNothingEscapesTheLiteral)
{
    using storage::SqlDialect;
    EXPECT_EQ(SqlDialect::textLiteral(QStringLiteral("UFFICIO1")), QStringLiteral("'UFFICIO1'"));
    EXPECT_EQ(SqlDialect::textLiteral(QStringLiteral("Bottega D'Angelo")),
              QStringLiteral("'Bottega D''Angelo'"));
    EXPECT_EQ(SqlDialect::textLiteral(QStringLiteral("x'); DROP TABLE Clienti; --")),
              QStringLiteral("'x''); DROP TABLE Clienti; --'"));
    EXPECT_EQ(SqlDialect::textLiteral(QStringLiteral("a") + QChar(0) + QStringLiteral("b")),
              QStringLiteral("'ab'"));
    EXPECT_EQ(SqlDialect::textLiteral(QString()), QStringLiteral("''"));
}
