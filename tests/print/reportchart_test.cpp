#include "print/documentexport.h"
#include "print/layout.h"
#include "print/poppler.h"
#include "print/printjob.h"
#include "print/reportchart.h"
#include "print/reportfixture.h"
#include "shell/reportservice.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::print;

using rotalina::test::poppler;

namespace {

// Pixels close to the colour: the inside of bars, whatever the renderer does at their edges.
int pixelsNear(const QImage &image, const QColor &colour)
{
    int found = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (std::abs(qRed(line[x]) - colour.red()) <= 3 &&
                std::abs(qGreen(line[x]) - colour.green()) <= 3 &&
                std::abs(qBlue(line[x]) - colour.blue()) <= 3)
                ++found;
        }
    }
    return found;
}

const QColor revenueBars(46, 139, 87);
const QColor costBars(204, 85, 68);

// The vehicle summary's work rows as the program writes them: the categories without a month,
// then the categories of each month.
class ReportChartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_archive = test::newArchive();
        test::addRow(archive(), QStringLiteral("Vetture"),
                     {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}});
        for (const QString &station : {test::reportWorkstation, test::otherWorkstation}) {
            const bool mine = station == test::reportWorkstation;
            row(station, QVariant(), true, mine ? 1500.0 : 77777.0);
            row(station, QVariant(), false, mine ? 2800.0 : 66666.0);
            const QList<std::tuple<QDate, double, double>> months{
                {QDate(2026, 1, 1), 1000, 300}, {QDate(2026, 2, 1), 0, 0}, {QDate(2026, 3, 1), 500, 2500}};
            for (const auto &[month, in, out] : months) {
                row(station, month, true, mine ? in : 90000.0);
                row(station, month, false, mine ? out : 80000.0);
            }
        }
    }

    storage::Archive &archive() { return *m_archive; }

    void row(const QString &station, const QVariant &month, bool revenue, double amount)
    {
        test::addRow(archive(), QStringLiteral("TempVettureRiepilogo"),
                     {{QStringLiteral("NomeComputer"), station},
                      {QStringLiteral("Targa"), QStringLiteral("AB123CD")},
                      {QStringLiteral("DescrizioneData"), QStringLiteral("Dal 01/01/2026 al 31/03/2026")},
                      {QStringLiteral("Tipologia"),
                       revenue ? QStringLiteral("Imponibile Commesse") : QStringLiteral("Costi carburante")},
                      {QStringLiteral("Entrata"), revenue},
                      {QStringLiteral("Importo"), amount},
                      {QStringLiteral("Mese"),
                       month.isValid() ? storage::sqlvalue::date(month.toDate()) : QVariant()}});
    }

    core::Result<PrintJob> request(const QString &installFolder = QStringLiteral(ROTALINA_SOURCE_DIR))
    {
        const core::Status written = shell::writeReportRequest(
            archive(), test::reportWorkstation, installFolder, 34, {}, shell::ReportSettings());
        EXPECT_TRUE(written) << written.error().toStdString();
        return PrintJob::prepare(archive(), test::reportWorkstation);
    }

    static const ReportChart *chartOf(const ComposedReport &report)
    {
        for (const ReportBlock &block : report.blocks) {
            if (block.kind == ReportBlock::Chart)
                return &block.chart;
        }
        return nullptr;
    }

    std::unique_ptr<storage::Archive> m_archive;
    QTemporaryDir folder;
};

} // namespace

TEST(ReportChartLayout, AChartNamesItsWorkTableAndASensibleHeight)
{
    const core::Result<ReportLayout> layout = ReportLayout::parse(
        R"({"columns": [{"field": "A"}], "chart": {"title": "Mese per mese", "workTable": "TempVettureRiepilogo"}})",
        QStringLiteral("Prova.rpt"));
    ASSERT_TRUE(layout) << layout.error().toStdString();
    ASSERT_TRUE(layout->chart);
    EXPECT_EQ(layout->chart->title, QStringLiteral("Mese per mese"));
    EXPECT_EQ(layout->chart->workTable, QStringLiteral("TempVettureRiepilogo"));
    EXPECT_DOUBLE_EQ(layout->chart->heightMm, 75);
    EXPECT_TRUE(layout->fieldsUsed()[0] == QStringList{QStringLiteral("A")})
        << "a chart reads no field of the statements";

    for (const auto &[json, fault] :
         {std::pair{R"({"columns": [{"field": "A"}], "chart": {"title": "Senza tabella"}})", "«workTable»"},
          std::pair{R"({"columns": [{"field": "A"}], "chart": {"workTable": "T", "height": 10}})",
                    "fra 30 e 250 millimetri"}}) {
        const core::Result<ReportLayout> refused =
            ReportLayout::parse(QByteArray(json), QStringLiteral("Prova.rpt"));
        ASSERT_FALSE(refused) << json;
        EXPECT_TRUE(refused.error().contains(QStringLiteral("Prova.rpt"))) << refused.error().toStdString();
        EXPECT_TRUE(refused.error().contains(QString::fromUtf8(fault))) << refused.error().toStdString();
    }
}

TEST(ReportChartComposition, MonthsAreSummedInOrderWithTheMarginGatheredSinceTheFirst)
{
    const ReportRows rows{{QStringLiteral("Mese"), QStringLiteral("Entrata"), QStringLiteral("Importo")},
                          {{QStringLiteral("2026-03-01 00:00:00"), true, 200.0},
                           {QStringLiteral("2026-01-01 00:00:00"), true, 1000.0},
                           {QStringLiteral("2026-01-01 00:00:00"), false, 250.5},
                           {QStringLiteral("2026-01-01 00:00:00"), false, QVariant()},
                           {QStringLiteral("2026-02-01 00:00:00"), false, 0.0},
                           {QStringLiteral("2026-03-01 00:00:00"), false, 1200.0}}};
    const ReportChart chart = composeChart({QStringLiteral("Titolo"), QStringLiteral("T"), 60}, rows);
    ASSERT_EQ(chart.months.size(), 3);
    EXPECT_EQ(chart.months.at(0).month, QDate(2026, 1, 1));
    EXPECT_DOUBLE_EQ(chart.months.at(0).revenue, 1000);
    EXPECT_DOUBLE_EQ(chart.months.at(0).cost, 250.5);
    EXPECT_EQ(chart.months.at(1).month, QDate(2026, 2, 1)) << "an empty month keeps its place";
    EXPECT_EQ(chart.cumulativeMargin(), (QList<double>{749.5, 749.5, -250.5}));
    EXPECT_DOUBLE_EQ(chart.heightMm, 60);
    EXPECT_EQ(chartMonthName(QDate(2026, 5, 1)), QStringLiteral("Mag 2026"));
    const QStringList lines = chartTextLines(chart);
    const QStringList expected{"^Titolo$", "^Mese +Entrate +Uscite +Margine cumulato$",
                               "^Gen 2026 +1\\.000,00 +250,50 +749,50$", "^Feb 2026 +0,00 +0,00 +749,50$",
                               "^Mar 2026 +200,00 +1\\.200,00 +-250,50$"};
    ASSERT_EQ(lines.size(), expected.size()) << lines.join(u'\n').toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(QRegularExpression(expected.at(i)).match(lines.at(i)).hasMatch())
            << lines.at(i).toStdString();
    // The figures stand in columns, right-aligned under their titles.
    for (qsizetype i = 2; i < lines.size(); ++i)
        EXPECT_EQ(lines.at(i).size(), lines.at(1).size()) << lines.at(i).toStdString();
}

TEST_F(ReportChartTest, TheVehicleSummaryPrintsItsCategoriesAndThisWorkstationsMonths)
{
    core::Result<PrintJob> job = request();
    ASSERT_TRUE(job) << job.error().toStdString();
    const core::Result<ComposedReport> report = job->compose(false);
    ASSERT_TRUE(report) << report.error().toStdString();

    // The table holds the categories only; the months are the chart's.
    const ComposedTable *table = report->mainTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(
        std::count_if(table->rows.cbegin(), table->rows.cend(),
                      [](const ComposedTable::Row &row) { return row.kind == ComposedTable::Row::Data; }),
        2);
    const ReportChart *chart = chartOf(*report);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->title, QStringLiteral("Entrate e uscite mese per mese"));
    ASSERT_EQ(chart->months.size(), 3);
    EXPECT_DOUBLE_EQ(chart->months.at(0).revenue, 1000);
    EXPECT_DOUBLE_EQ(chart->months.at(2).cost, 2500);
    EXPECT_EQ(chart->cumulativeMargin().last(), -1300) << "another workstation's months are not in it";

    const QString pdf = folder.filePath(QStringLiteral("VettureRiepilogo.pdf"));
    ASSERT_TRUE(exportReport(*report, ExportFormat::Pdf, pdf));
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QString text = poppler(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")})
                             .replace(space, QStringLiteral(" "));
    for (const char *expected :
         {"Automezzo AB123CD", "1.500,00", "2.800,00", "Entrate e uscite mese per mese", "Entrate", "Uscite",
          "Margine cumulato", "Gen", "Feb", "Mar", "2026", "-2.000 €", "3.000 €"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << " in " << text.toStdString();
    for (const char *absent : {"77.777", "90.000", "80.000 €"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(absent))) << absent;

    // The bars are on the page, in their colours.
    poppler(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
             QStringLiteral("-singlefile"), pdf, folder.filePath(QStringLiteral("pagina"))});
    QImage page;
    ASSERT_TRUE(page.load(folder.filePath(QStringLiteral("pagina.png"))));
    EXPECT_GT(pixelsNear(page, revenueBars), 50);
    EXPECT_GT(pixelsNear(page, costBars), 50);

    // Turned to landscape it keeps the chart; HTML carries it as a picture, text as its figures.
    const core::Result<ComposedReport> landscape = job->compose(true);
    ASSERT_TRUE(landscape);
    EXPECT_NE(chartOf(*landscape), nullptr);
    const QString html = reportHtml(*report);
    EXPECT_TRUE(html.contains(QStringLiteral("alt=\"Entrate e uscite mese per mese\"")))
        << "the chart's picture";
    EXPECT_EQ(html.count(QStringLiteral("data:image/png;base64,")), 1);
    EXPECT_TRUE(reportText(*report).contains(
        QRegularExpression(QStringLiteral("Mar 2026 +500,00 +2\\.500,00 +-1\\.300,00\\n"))))
        << reportText(*report).toStdString();
    QImage picture = chartImage(*chart);
    EXPECT_GT(pixelsNear(picture, revenueBars), 100);
    EXPECT_GT(pixelsNear(picture, costBars), 100);
}

TEST_F(ReportChartTest, NoMonthsNoChartAndAChartOnAnOrdinaryTableIsAFaultOfItsLayout)
{
    ASSERT_TRUE(
        archive().execute(QStringLiteral("DELETE FROM TempVettureRiepilogo WHERE Mese IS NOT NULL AND "
                                         "NomeComputer = ?"),
                          {test::reportWorkstation}));
    core::Result<PrintJob> job = request();
    ASSERT_TRUE(job) << job.error().toStdString();
    const core::Result<ComposedReport> report = job->compose(false);
    ASSERT_TRUE(report);
    EXPECT_EQ(chartOf(*report), nullptr);
    EXPECT_NE(report->mainTable(), nullptr);

    // The table a layout's chart names must be a work table with monthly rows: any other name
    // never reaches a statement.
    for (const char *table : {"Clienti", "TempVettureRiepilogo; DROP TABLE Vetture", "TempBilancio"}) {
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("reports")));
        QFile layout(folder.filePath(QStringLiteral("reports/VettureRiepilogo.rpt")));
        ASSERT_TRUE(layout.open(QIODevice::WriteOnly | QIODevice::Truncate));
        layout.write(QStringLiteral(R"({"columns": [{"field": "Tipologia"}], "chart": {"workTable": "%1"}})")
                         .arg(QLatin1String(table))
                         .toUtf8());
        layout.close();
        const core::Result<PrintJob> refused = request(folder.path());
        ASSERT_FALSE(refused) << table;
        EXPECT_TRUE(refused.error().contains(QStringLiteral("VettureRiepilogo.rpt non è valido")))
            << refused.error().toStdString();
        EXPECT_TRUE(refused.error().contains(QStringLiteral("non ha righe mensili")))
            << refused.error().toStdString();
    }
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Vetture")), 1);
}
