#include "print/documentexport.h"
#include "print/printjob.h"
#include "print/reportfixture.h"
#include "print/reportrun.h"
#include "print/ui/previewwindow.h"
#include "shell/reportservice.h"
#include "shell/scriptedprompter.h"
#include "support/testarchive.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

class PreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        archive = test::newArchive();
        const core::Result<QList<test::ReportCase>> seeded = test::seedReportArchive(*archive);
        ASSERT_TRUE(seeded) << seeded.error().toStdString();
        cases = *seeded;
    }

    print::PrintJob job(const QString &name)
    {
        for (const test::ReportCase &c : cases) {
            if (c.name != name)
                continue;
            shell::ReportSettings settings;
            settings.defaultPrinter = true; // no printer dialog in a test
            settings.layout = c.options;
            EXPECT_TRUE(shell::writeReportRequest(*archive, test::reportWorkstation,
                                                  QStringLiteral(ROTALINA_SOURCE_DIR), c.code, c.context,
                                                  settings));
        }
        core::Result<print::PrintJob> prepared = print::PrintJob::prepare(*archive, test::reportWorkstation);
        if (!prepared)
            throw std::runtime_error(prepared.error().toStdString());
        return std::move(prepared).value();
    }

    std::unique_ptr<print::ui::PreviewWindow> preview(const print::PrintJob &printJob)
    {
        const core::Result<print::ComposedReport> report = printJob.compose(false);
        if (!report)
            throw std::runtime_error(report.error().toStdString());
        auto window = std::make_unique<print::ui::PreviewWindow>(printJob, *report, prompter);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    std::unique_ptr<storage::Archive> archive;
    QList<test::ReportCase> cases;
    shell::ScriptedPrompter prompter;
    QTemporaryDir folder;
};

} // namespace

TEST_F(PreviewTest, ListPreviewNarrowsTurnsAndExports)
{
    const print::PrintJob customers = job(QStringLiteral("1"));
    auto window = preview(customers);
    EXPECT_GE(window->pageCount(), 1);
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("lblPagina"))->text(),
              QStringLiteral("Pagina 1 di %1").arg(window->pageCount()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Anteprima di stampa - ") + window->report().title);
    for (const char *action :
         {"actPrima", "actSuccessiva", "actIngrandisci", "actStampa", "actEsporta", "actChiudi"})
        EXPECT_NE(window->findChild<QAction *>(QString::fromLatin1(action)), nullptr) << action;

    auto *filter = window->findChild<QLineEdit *>(QStringLiteral("txtFiltro"));
    ASSERT_NE(filter, nullptr) << "a customer list may be narrowed";
    filter->setText(QStringLiteral("bottega"));
    emit filter->editingFinished();
    const QString narrowed = test::printedText(window->report());
    EXPECT_TRUE(narrowed.contains(QStringLiteral("Bottega D'Angelo")));
    EXPECT_FALSE(narrowed.contains(QStringLiteral("Alfa Logistica")));

    window->setLandscape(true);
    EXPECT_TRUE(window->report().landscape);
    EXPECT_TRUE(test::printedText(window->report()).contains(QStringLiteral("Bottega D'Angelo")))
        << "the filter stays";

    const QString odt = folder.filePath(QStringLiteral("clienti.odt"));
    prompter.answerDialogs({odt});
    window->findChild<QAction *>(QStringLiteral("actEsporta"))->trigger();
    EXPECT_TRUE(QFile::exists(odt));
    EXPECT_TRUE(prompter.texts().filter(QStringLiteral("errore")).isEmpty());
}

TEST_F(PreviewTest, DocumentPreviewHasNoFilterAndPrintsToPdfWithoutAPrinter)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this workstation has a printer: the test would print on it";
    const print::PrintJob invoice = job(QStringLiteral("8"));
    auto window = preview(invoice);
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("txtFiltro")), nullptr);
    const QString pdf = folder.filePath(QStringLiteral("fattura.pdf"));
    prompter.answerDialogs({pdf});
    window->printReport();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no printer: the report is kept as a PDF file";
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

// Pictures for people to look at: the invoice preview and its first page; nothing is compared.
TEST_F(PreviewTest, Screenshots)
{
    const QString shots = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(shots));
    const print::PrintJob invoice = job(QStringLiteral("8"));
    auto window = preview(invoice);
    window->resize(1100, 900);
    window->preview()->fitToWidth();
    QTest::qWait(50);
    EXPECT_TRUE(window->grab().save(QDir(shots).filePath(QStringLiteral("anteprima_fattura.png"))));

    const core::Result<print::ComposedReport> report = invoice.compose(false);
    ASSERT_TRUE(report);
    const QString pdf = QDir(shots).filePath(QStringLiteral("fattura.pdf"));
    ASSERT_TRUE(print::exportReport(*report, print::ExportFormat::Pdf, pdf));
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"),
                                                   QStringLiteral("80"), QStringLiteral("-singlefile"), pdf,
                                                   QDir(shots).filePath(QStringLiteral("fattura_pagina1"))});
    EXPECT_TRUE(QFile::exists(QDir(shots).filePath(QStringLiteral("fattura_pagina1.png"))));
}
