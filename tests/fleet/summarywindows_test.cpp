#include "fleet/ui/summarywindows.h"
#include "print/documentexport.h"
#include "print/printjob.h"
#include "shell/mainmenu.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/windowregistry.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <gtest/gtest.h>

using namespace rotalina;
using shell::ScriptedPrompter;
using shell::ui::LookupBox;
using shell::ui::WindowRegistry;

namespace {

QDateTime at(int year, int month, int day, int hour = 9, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

// The text of a PDF the print program wrote, read by an independent reader.
QString pdfText(const QString &pdf)
{
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed: " << reader.readAllStandardError().toStdString();
        return {};
    }
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return QString::fromUtf8(reader.readAllStandardOutput()).replace(space, QStringLiteral(" "));
}

// Pixels of exactly the colour: the inside of the chart's bars, whatever its edges blend into.
int pixelsOf(const QImage &image, const QColor &colour)
{
    int found = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (qRed(line[x]) == colour.red() && qGreen(line[x]) == colour.green() &&
                qBlue(line[x]) == colour.blue())
                ++found;
        }
    }
    return found;
}

const QColor revenueBars(46, 139, 87);

class SummaryWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell::ui::EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 4, 2));
        // The layouts of the source tree, which the print program reads.
        fixture.session->setInstallFolder(QStringLiteral(ROTALINA_SOURCE_DIR));
        test::registerAllWindows(windows);
    }

    storage::Archive &archive() { return fixture.archive(); }

    qint64 add(const char *table, const QVariantMap &values)
    {
        return test::addRow(archive(), QString::fromLatin1(table), values);
    }

    QString requested(const char *field)
    {
        const core::Result<QVariant> value = archive().scalar(
            QStringLiteral("SELECT %1 FROM TempStampa WHERE NomeComputer = ?").arg(QLatin1String(field)),
            {fixture.session->workstation()});
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? value->toString() : QString();
    }

    static QString labelText(QWidget &window, const char *name)
    {
        auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<none>");
    }

    static void choose(QWidget &window, const char *name, const QVariant &key)
    {
        auto *box = window.findChild<LookupBox *>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        box->setKey(key);
        emit box->chosen(key);
    }

    // What the prompter showed since it was last cleared, as "title: text".
    QStringList shown() const
    {
        QStringList lines;
        for (const ScriptedPrompter::Shown &item : fixture.prompter.shown())
            lines.append(item.title + QStringLiteral(": ") + item.text);
        return lines;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    QTemporaryDir folder;
};

} // namespace

TEST_F(SummaryWindows, ThePrintMenuButtonsOfTheMainWindowFindTheirWindows)
{
    const auto &buttons = shell::mainMenuButtons();
    for (const char *target : {"TfrmStampaVetture", "TfrmStampaPersonale"}) {
        EXPECT_TRUE(std::any_of(buttons.cbegin(), buttons.cend(), [target](const shell::MenuButton &button) {
            return button.target == QLatin1String(target);
        })) << target;
        EXPECT_TRUE(windows.has(QLatin1String(target))) << target;
    }
    EXPECT_TRUE(windows.has(QStringLiteral("TfrmStampaVettureRiepilogo")));
    EXPECT_TRUE(windows.has(QStringLiteral("TfrmStampaPersonaleRiepilogo")));
}

TEST_F(SummaryWindows, TheStaffPrintMenuPrintsItsListsAndOpensTheSummary)
{
    QDialog *menu = windows.show(QStringLiteral("TfrmStampaPersonale"), *fixture.session, nullptr);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu));
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("Stampa Personale"));
    const struct
    {
        const char *button;
        const char *caption;
        const char *report;
    } prints[] = {{"btnStampePersonale", "Personale", "Personale.rpt"},
                  {"BitBtn2", "Costi", "PersonaleCosti.rpt"},
                  {"BitBtn5", "Scadenze", "PersonaleScadenze.rpt"},
                  {"btnStampaPersonaleStipendi", "Stipendi", "PersonaleStipendi.rpt"},
                  {"BitBtn1", "Stipendi per mese", "PersonaleStipendiMese.rpt"},
                  {"BitBtn3", "Stipendi con descrizioni", "PersonaleStipendiDescrizioni.rpt"}};
    for (const auto &p : prints) {
        auto *button = menu->findChild<QPushButton *>(QString::fromLatin1(p.button));
        ASSERT_NE(button, nullptr) << p.button;
        EXPECT_EQ(button->text(), QString::fromUtf8(p.caption));
        test::click(*menu, QString::fromLatin1(p.button));
        EXPECT_TRUE(requested("NomeReport").endsWith(QStringLiteral("/reports/") + QLatin1String(p.report)))
            << p.button << ": " << requested("NomeReport").toStdString();
    }
    EXPECT_EQ(fixture.desktop.started.size(), 6) << "the print program starts for each print";
    EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << shown().join(u'\n').toStdString();

    bool opened = false;
    test::whenWindowOpens(QStringLiteral("TfrmStampaPersonaleRiepilogo"), [&](QDialog &window) {
        opened = true;
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Riepilogo Personale"));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*menu, QStringLiteral("btnRiepilogo"));
    EXPECT_TRUE(opened);
    menu->close();
}

TEST_F(SummaryWindows, AVehicleSummaryIsCheckedCalculatedChartedSavedAndPrintedWithItsChart)
{
    const QString plate = QStringLiteral("AB123CD");
    const qint64 truck = add("Vetture", {{QStringLiteral("Targa"), plate}});
    add("Vetture", {{QStringLiteral("Targa"), QStringLiteral("ZZ999ZZ")}});
    const auto addJob = [&](const QDateTime &when, double taxable, double cost, const char *plateField) {
        add("TotaliCo", {{QStringLiteral("Data"), when},
                         {QStringLiteral("TotImponibile"), taxable},
                         {QStringLiteral("Costo"), cost},
                         {QString::fromLatin1(plateField), plate}});
    };
    addJob(at(2026, 1, 12), 1200.0, 400.0, "Targa1");
    addJob(at(2026, 3, 31, 23, 30), 800.0, 150.0, "Targa2");
    addJob(at(2026, 4, 1, 0, 0), 5000.0, 100.0, "Targa1");
    add("VettureCarburante", {{QStringLiteral("Vettura_ID"), truck},
                              {QStringLiteral("Data"), at(2026, 2, 14)},
                              {QStringLiteral("Importo"), 310.5}});

    QDialog *menu = windows.show(QStringLiteral("TfrmStampaVetture"), *fixture.session, nullptr);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu));
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("Stampa Vetture"));
    for (const auto &[button, report] :
         {std::pair{"btnStampeVetture", "VettureElenco.rpt"},
          std::pair{"btnStampeVettureCosti", "VettureCostiElenco.rpt"},
          std::pair{"btnStampeVettureCarburante", "VettureCarburanteElenco.rpt"}}) {
        test::click(*menu, QString::fromLatin1(button));
        EXPECT_TRUE(requested("NomeReport").endsWith(QLatin1String(report))) << button;
    }

    const QString picture = folder.filePath(QStringLiteral("grafico AB123CD.png"));
    test::whenWindowOpens(QStringLiteral("TfrmStampaVettureRiepilogo"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Vetture Riepilogo"));
        auto *saveChart = window.findChild<QPushButton *>(QStringLiteral("btnSalvaGrafico"));
        ASSERT_NE(saveChart, nullptr);
        EXPECT_FALSE(saveChart->isEnabled()) << "there is no chart before a calculation";

        // The choices are checked in order, each with its title.
        fixture.prompter.clear();
        test::click(window, QStringLiteral("btnCalcola"));
        test::typeInto(window, QStringLiteral("maskDaData"), QStringLiteral("01012026"));
        test::click(window, QStringLiteral("btnCalcola"));
        test::typeInto(window, QStringLiteral("maskAData"), QStringLiteral("31122025"));
        test::click(window, QStringLiteral("btnCalcola"));
        test::typeInto(window, QStringLiteral("maskAData"), QStringLiteral("31032026"));
        test::click(window, QStringLiteral("btnCalcola"));
        EXPECT_EQ(
            shown(),
            (QStringList{
                "Messaggio di avviso!!: Attenzione E' necessario definire la data di inizio...",
                "Messaggio di avviso!!: Attenzione E' necessario definire la data di fine...",
                "Messaggio di avviso!!: Attenzione la data di fine non può essere precedente alla data di "
                "inizio...",
                "Messaggio di errore: Attenzione manca la Vettura da analizzare"}));
        auto *vehicles = window.findChild<LookupBox *>(QStringLiteral("cmbVettura"));
        ASSERT_NE(vehicles, nullptr);
        QWidget *focused = QApplication::focusWidget();
        EXPECT_TRUE(focused == vehicles || vehicles->isAncestorOf(focused))
            << "the user is put on the vehicle";
        EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo")), 0);

        fixture.prompter.clear();
        choose(window, "cmbVettura", truck);
        test::click(window, QStringLiteral("btnCalcola"));
        EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << shown().join(u'\n').toStdString();
        EXPECT_EQ(labelText(window, "lblEntrate"), QStringLiteral("2.000,00 €"));
        EXPECT_EQ(labelText(window, "lblUscite"), QStringLiteral("860,50 €"));
        EXPECT_EQ(labelText(window, "lblDifferenza"), QStringLiteral("1.139,50 €"));
        auto *categories = window.findChild<QTableWidget *>(QStringLiteral("grdRiepilogo"));
        ASSERT_NE(categories, nullptr);
        ASSERT_EQ(categories->rowCount(), 6);
        EXPECT_EQ(categories->item(0, 0)->text(), QStringLiteral("Imponibile Commesse"));
        EXPECT_EQ(categories->item(0, 1)->text(), QStringLiteral("2.000,00 €"));
        EXPECT_EQ(categories->item(5, 0)->text(), QStringLiteral("Costi carburante"));
        EXPECT_EQ(categories->item(5, 2)->text(), QStringLiteral("310,50 €"));

        auto *chart = window.findChild<QChartView *>(QStringLiteral("chtRiepilogo"));
        ASSERT_NE(chart, nullptr);
        const QList<QAbstractAxis *> months = chart->chart()->axes(Qt::Horizontal);
        ASSERT_EQ(months.size(), 1);
        EXPECT_EQ(static_cast<QBarCategoryAxis *>(months.first())->categories(),
                  (QStringList{"Gen", "Feb", "Mar"}))
            << "the year is in the title";
        EXPECT_EQ(chart->chart()->series().size(), 2) << "the bars and the margin line";
        EXPECT_EQ(chart->chart()->title(), QStringLiteral("AB123CD - Dal 01/01/2026 al 31/03/2026"));

        // "Salva grafico" writes the picture where the user says, as a PNG that opens.
        ASSERT_TRUE(saveChart->isEnabled());
        fixture.prompter.answerDialogs({folder.filePath(QStringLiteral("grafico AB123CD"))});
        test::click(window, QStringLiteral("btnSalvaGrafico"));
        ASSERT_FALSE(fixture.prompter.shown().isEmpty());
        EXPECT_EQ(fixture.prompter.shown().last().kind, ScriptedPrompter::Kind::SaveFile);
        EXPECT_TRUE(fixture.prompter.shown().last().text.endsWith(QStringLiteral("Riepilogo AB123CD.png")))
            << fixture.prompter.shown().last().text.toStdString();
        QImage saved;
        ASSERT_TRUE(saved.load(picture, "PNG")) << "the saved file is a PNG picture";
        EXPECT_GT(saved.width(), 400);
        EXPECT_GT(pixelsOf(saved, revenueBars), 100) << "the revenue bars are drawn";
        fixture.prompter.clear();
        test::click(window, QStringLiteral("btnSalvaGrafico"));
        EXPECT_EQ(fixture.prompter.shown().size(), 1) << "a cancelled dialog saves nothing and says nothing";

        // The print computes the summary of the choices again and requests report 34.
        fixture.prompter.clear();
        const int started = static_cast<int>(fixture.desktop.started.size());
        test::click(window, QStringLiteral("BitBtn5"));
        EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << shown().join(u'\n').toStdString();
        EXPECT_EQ(fixture.desktop.started.size(), started + 1);
        EXPECT_TRUE(requested("NomeReport").endsWith(QStringLiteral("/reports/VettureRiepilogo.rpt")));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*menu, QStringLiteral("btnRiepilogo"));
    menu->close();

    // What the print program makes of the request: the table of the categories and the chart.
    core::Result<print::PrintJob> job = print::PrintJob::prepare(archive(), fixture.session->workstation());
    ASSERT_TRUE(job) << job.error().toStdString();
    const core::Result<print::ComposedReport> report = job->compose(false);
    ASSERT_TRUE(report) << report.error().toStdString();
    const print::ComposedTable *table = report->mainTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(std::count_if(table->rows.cbegin(), table->rows.cend(),
                            [](const print::ComposedTable::Row &row) {
                                return row.kind == print::ComposedTable::Row::Data;
                            }),
              6)
        << "the monthly rows are the chart's, not the table's";
    const auto chart =
        std::find_if(report->blocks.cbegin(), report->blocks.cend(),
                     [](const print::ReportBlock &block) { return block.kind == print::ReportBlock::Chart; });
    ASSERT_NE(chart, report->blocks.cend());
    ASSERT_EQ(chart->chart.months.size(), 3);
    EXPECT_DOUBLE_EQ(chart->chart.months.at(0).revenue, 1200);
    EXPECT_DOUBLE_EQ(chart->chart.months.at(1).cost, 310.5);
    EXPECT_DOUBLE_EQ(chart->chart.months.at(2).revenue, 800);
    EXPECT_EQ(chart->chart.cumulativeMargin().last(), 1139.5);

    const QString pdf = folder.filePath(QStringLiteral("riepilogo.pdf"));
    ASSERT_TRUE(print::exportReport(*report, print::ExportFormat::Pdf, pdf));
    const QString text = pdfText(pdf);
    for (const char *expected :
         {"Automezzo AB123CD", "Imponibile Commesse", "2.000,00", "310,50", "Entrate e uscite mese per mese",
          "Margine cumulato", "Gen", "Feb", "Mar", "2026"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << " in " << text.toStdString();
}

TEST_F(SummaryWindows, AStaffSummaryShowsALossAndPrintsReport36)
{
    const qint64 driver = add("Personale", {{QStringLiteral("Personale"), QStringLiteral("Neri Giuseppe")}});
    add("TotaliCo", {{QStringLiteral("Data"), at(2026, 2, 3)},
                     {QStringLiteral("TotImponibile"), 900.0},
                     {QStringLiteral("Personale2_ID"), driver}});
    add("PersonaleStipendi", {{QStringLiteral("Personale_ID"), driver},
                              {QStringLiteral("DataPagamento"), at(2026, 2, 27)},
                              {QStringLiteral("ImportoBonifico"), 1850.0},
                              {QStringLiteral("Anno"), 2026},
                              {QStringLiteral("Mese"), 2}});

    QDialog *window = windows.show(QStringLiteral("TfrmStampaPersonaleRiepilogo"), *fixture.session, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    test::typeInto(*window, QStringLiteral("maskDaData"), QStringLiteral("01122025"));
    test::typeInto(*window, QStringLiteral("maskAData"), QStringLiteral("28022026"));
    test::click(*window, QStringLiteral("BitBtn4"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca l'Autista da analizzare"));
    EXPECT_TRUE(fixture.desktop.started.isEmpty()) << "nothing is printed without a driver";

    choose(*window, "cmbPersonale", driver);
    test::click(*window, QStringLiteral("BitBtn4"));
    EXPECT_EQ(labelText(*window, "lblEntrate"), QStringLiteral("900,00 €"));
    EXPECT_EQ(labelText(*window, "lblUscite"), QStringLiteral("1.850,00 €"));
    EXPECT_EQ(labelText(*window, "lblDifferenza"), QStringLiteral("-950,00 €"));
    EXPECT_EQ(fixture.desktop.started.size(), 1);
    EXPECT_TRUE(requested("NomeReport").endsWith(QStringLiteral("/reports/PersonaleRiepilogo.rpt")));
    EXPECT_EQ(
        test::count(archive(),
                    QStringLiteral("SELECT COUNT(*) FROM TempPersonaleRiepilogo WHERE NomeComputer = ? AND "
                                   "Personale_id = ? AND Mese IS NOT NULL"),
                    {fixture.session->workstation(), driver}),
        6 * 3);
    // Across two years the months carry their years.
    auto *chart = window->findChild<QChartView *>(QStringLiteral("chtRiepilogo"));
    ASSERT_NE(chart, nullptr);
    const QList<QAbstractAxis *> months = chart->chart()->axes(Qt::Horizontal);
    ASSERT_EQ(months.size(), 1);
    EXPECT_EQ(static_cast<QBarCategoryAxis *>(months.first())->categories(),
              (QStringList{"Dic 2025", "Gen 2026", "Feb 2026"}));
    window->close();

    core::Result<print::PrintJob> job = print::PrintJob::prepare(archive(), fixture.session->workstation());
    ASSERT_TRUE(job) << job.error().toStdString();
    const core::Result<print::ComposedReport> report = job->compose(false);
    ASSERT_TRUE(report) << report.error().toStdString();
    const QString text = print::reportText(*report);
    EXPECT_TRUE(text.contains(QStringLiteral("Neri Giuseppe"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Costi stipendio"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Feb 2026 +900,00 +1.850,00 +-950,00"))))
        << text.toStdString();
}
