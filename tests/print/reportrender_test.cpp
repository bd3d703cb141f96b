#include "core/csvreader.h"
#include "print/documentexport.h"
#include "print/poppler.h"
#include "print/printjob.h"
#include "print/reportfixture.h"
#include "print/reportrun.h"
#include "shell/reportservice.h"
#include "support/testarchive.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;

using rotalina::test::poppler;

namespace {

QString pdfText(const QString &pdf)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    // In drawing order, so that a cell's wrapped lines stay together.
    return poppler(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-enc"),
                                                 QStringLiteral("UTF-8"), pdf, QStringLiteral("-")})
        .replace(space, QStringLiteral(" "));
}

// One sample archive for the whole suite: filling it is the slow part.
class ReportRendering : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { sample = new test::SeededReportArchive; }
    static void TearDownTestSuite()
    {
        delete sample;
        sample = nullptr;
    }

    static test::SeededReportArchive *sample;
    storage::Archive &archive = *sample->archive;
    const QList<test::ReportCase> &cases = sample->cases;
    QTemporaryDir folder;
};

test::SeededReportArchive *ReportRendering::sample = nullptr;

} // namespace

TEST_F(ReportRendering, EveryCodeHasAReadableLayoutMatchingItsStatements)
{
    QSet<int> codes;
    for (const test::ReportCase &c : cases) {
        codes.insert(c.code);
        const QStringList problems = test::layoutProblems(archive, c, test::sourceReportsFolder());
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    }
    EXPECT_EQ(codes.size(), 81) << "every code of the catalogue is tried";
}

TEST_F(ReportRendering, EveryCodeShowsItsDataInPdfAndCsv)
{
    for (const test::ReportCase &c : cases) {
        SCOPED_TRACE("code " + c.name.toStdString());
        const core::Result<print::ComposedReport> report =
            test::composeCase(archive, c, test::sourceReportsFolder());
        ASSERT_TRUE(report) << report.error().toStdString();

        const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
        ASSERT_TRUE(print::exportReport(*report, print::ExportFormat::Pdf, pdf));
        const QString text = pdfText(pdf);
        const QStringList wrong = test::missingTexts(c, text);
        EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString()
                                     << "\nPDF: " << text.left(3000).toStdString();
        // Page numbers on every report but the label sheets, which go edge to edge.
        EXPECT_EQ(text.contains(QStringLiteral("Pagina 1 di")), report->withHeader);

        const QString csvPath = folder.filePath(QStringLiteral("report.csv"));
        ASSERT_TRUE(print::exportReport(*report, print::ExportFormat::Csv, csvPath));
        QFile file(csvPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString csv = QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF));
        const core::Result<core::CsvTable> table = core::parseCsv(csv, u';');
        ASSERT_TRUE(table) << table.error().toStdString();
        // A list carries its data in the rows; a document's CSV holds only its rows table.
        const bool document = c.context.key.has_value();
        const bool someValue = std::any_of(c.expected.cbegin(), c.expected.cend(),
                                           [&](const QString &t) { return csv.contains(t); });
        EXPECT_TRUE(document || someValue) << "CSV: " << csv.left(2000).toStdString();
        for (const QString &absent : c.absent)
            EXPECT_FALSE(csv.contains(absent)) << absent.toStdString();
    }
}

TEST_F(ReportRendering, InvoicePdfIsACompleteDocument)
{
    const core::Result<print::ComposedReport> report =
        test::composeCase(archive, sample->find(QStringLiteral("8")), test::sourceReportsFolder());
    ASSERT_TRUE(report) << report.error().toStdString();
    const QString pdf = folder.filePath(QStringLiteral("Fattura_15_2026.pdf"));
    ASSERT_TRUE(print::exportReport(*report, print::ExportFormat::Pdf, pdf));
    const QString text = pdfText(pdf);
    for (const char *expected :
         {"Trasporti Rossi S.r.l.", "01234567897", "FATTURA", "Alfa Logistica S.p.A.", "03456789012",
          "Trasporto Verona - Milano del 12/11/2026", "Trasporto Verona - Milano del 19/11/2026",
          "Anticipazione spese doganali", "Esclusa art. 15", "1.300,00", "286,00", "1.345,00", "1.631,00",
          "31/12/2026", "815,50", "Bonifico bancario", "Pagina 1 di 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    // The fonts travel inside the file.
    const QString fonts = poppler(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QStringLiteral("DejaVu"))) << fonts.toStdString();
    EXPECT_FALSE(fonts.contains(QRegularExpression(QStringLiteral("\\bno\\s+(yes|no)\\s+(yes|no)\\s+\\d+"))))
        << fonts.toStdString();
    const QString info = poppler(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
}

TEST_F(ReportRendering, LongListsRunOverPagesAndTurnToLandscape)
{
    for (int i = 0; i < 180; ++i)
        test::addRow(
            archive, QStringLiteral("Clienti"),
            {{QStringLiteral("NominativoDocumenti"), QStringLiteral("Cliente %1").arg(i, 3, 10, QChar(u'0'))},
             {QStringLiteral("Citta"), QStringLiteral("Padova")},
             {QStringLiteral("Annullato"), false}});
    const test::ReportCase &customers = sample->find(QStringLiteral("1"));
    const core::Result<print::ComposedReport> portrait =
        test::composeCase(archive, customers, test::sourceReportsFolder());
    ASSERT_TRUE(portrait) << portrait.error().toStdString();
    const QString pdf = folder.filePath(QStringLiteral("Clienti.pdf"));
    ASSERT_TRUE(print::exportReport(*portrait, print::ExportFormat::Pdf, pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Cliente 000")));
    EXPECT_TRUE(text.contains(QStringLiteral("Cliente 179")));
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pagina 1 di (\\d+)")).match(text);
    ASSERT_TRUE(pages.hasMatch());
    const int count = pages.captured(1).toInt();
    EXPECT_GE(count, 3);
    EXPECT_TRUE(text.contains(QStringLiteral("Pagina %1 di %1").arg(count)));

    const core::Result<print::ComposedReport> landscape =
        test::composeCase(archive, customers, test::sourceReportsFolder(), true);
    ASSERT_TRUE(landscape);
    ASSERT_TRUE(print::exportReport(*landscape, print::ExportFormat::Pdf, pdf));
    const QString info = poppler(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595"))))
        << info.toStdString();
    ASSERT_TRUE(archive.execute(QStringLiteral("DELETE FROM Clienti WHERE Citta = 'Padova'")));
}

TEST_F(ReportRendering, OdtHtmlAndTextExportsHoldTheRows)
{
    const core::Result<print::ComposedReport> report =
        test::composeCase(archive, sample->find(QStringLiteral("8")), test::sourceReportsFolder());
    ASSERT_TRUE(report);
    const QString odt = folder.filePath(QStringLiteral("fattura.odt"));
    ASSERT_TRUE(print::exportReport(*report, print::ExportFormat::Odt, odt));
    QFile odtFile(odt);
    ASSERT_TRUE(odtFile.open(QIODevice::ReadOnly));
    const QByteArray zip = odtFile.readAll();
    EXPECT_TRUE(zip.startsWith("PK")) << "an OpenDocument file is a zip";
    EXPECT_TRUE(zip.contains("application/vnd.oasis.opendocument.text"));

    const QString html = print::reportHtml(*report);
    EXPECT_TRUE(html.contains(QStringLiteral("Alfa Logistica S.p.A.")));
    EXPECT_TRUE(html.contains(QStringLiteral("data:image/png;base64,"))) << "the company logo";
    const QString text = print::reportText(*report);
    EXPECT_TRUE(text.contains(QStringLiteral("Anticipazione spese doganali")));
}

TEST_F(ReportRendering, FilteredListKeepsOnlyTheMatchingRows)
{
    test::ReportCase customers = sample->find(QStringLiteral("1"));
    shell::ReportSettings settings;
    ASSERT_TRUE(shell::writeReportRequest(archive, test::reportWorkstation,
                                          QStringLiteral(ROTALINA_SOURCE_DIR), 1, customers.context,
                                          settings));
    const core::Result<print::PrintJob> job = print::PrintJob::prepare(archive, test::reportWorkstation);
    ASSERT_TRUE(job) << job.error().toStdString();
    ASSERT_TRUE(job->request().filter);
    const core::Result<print::ComposedReport> narrowed = job->compose(false, QStringLiteral("bottega"));
    ASSERT_TRUE(narrowed);
    const QString text = test::printedText(*narrowed);
    EXPECT_TRUE(text.contains(QStringLiteral("Bottega D'Angelo")));
    EXPECT_FALSE(text.contains(QStringLiteral("Alfa Logistica")));
}

TEST_F(ReportRendering, ListsPrintWhatTheirWindowAsksAndNothingElse)
{
    const auto printed = [&](test::ReportCase c) {
        const core::Result<print::ComposedReport> report =
            test::composeCase(archive, c, test::sourceReportsFolder());
        EXPECT_TRUE(report) << report.error().toStdString();
        return report ? test::printedText(*report) : QString();
    };

    // The cash book by kind of cash, then date, then description: the cash desk before the bank
    // (within the party's group in the customer and supplier layouts).
    ASSERT_TRUE(archive.insert(
        QStringLiteral("finanzia"),
        {{QStringLiteral("Data"), QDate(2026, 11, 30)},
         {QStringLiteral("Operazione"), QStringLiteral("Versamento in cassa")},
         {QStringLiteral("Entrata"), 50.0},
         {QStringLiteral("Tipologia_ID"), 1},
         {QStringLiteral("Cliente_id"), archive
                                            .scalar(QStringLiteral("SELECT Cliente_id FROM finanzia WHERE "
                                                                   "Operazione = 'Incasso fattura 12/2026'"))
                                            .value()},
         {QStringLiteral("Fornitore_id"),
          archive
              .scalar(QStringLiteral("SELECT Fornitore_id FROM finanzia WHERE "
                                     "Operazione = 'Pagamento fattura A/778'"))
              .value()}}));
    for (const auto &[code, other] :
         {std::pair{"9", "Incasso fattura 12/2026"}, std::pair{"10", "Incasso fattura 12/2026"},
          std::pair{"11", "Pagamento fattura A/778"}}) {
        const QString text = printed(sample->find(QString::fromLatin1(code)));
        const qsizetype cash = text.indexOf(QStringLiteral("Versamento in cassa"));
        const qsizetype bank = text.indexOf(QString::fromLatin1(other));
        ASSERT_GE(cash, 0) << code;
        ASSERT_GE(bank, 0) << code;
        EXPECT_LT(cash, bank) << code << ": the cash desk (kind 1) comes first although its date is later";
    }
    ASSERT_TRUE(
        archive.execute(QStringLiteral("DELETE FROM finanzia WHERE Operazione = 'Versamento in cassa'")));

    // A closed year is no reason to leave documents out of the lists of the "Stampe" page.
    ASSERT_TRUE(archive.execute(QStringLiteral("UPDATE fattura SET Storico = true")));
    ASSERT_TRUE(archive.execute(QStringLiteral("UPDATE TotaliCo SET Storico = true")));
    EXPECT_TRUE(printed(sample->find(QStringLiteral("30"))).contains(QStringLiteral("1.631,00")));
    EXPECT_TRUE(printed(sample->find(QStringLiteral("31"))).contains(QStringLiteral("A/778")));
    EXPECT_TRUE(printed(sample->find(QStringLiteral("62"))).contains(QStringLiteral("101")));
    ASSERT_TRUE(archive.execute(QStringLiteral("UPDATE fattura SET Storico = false")));
    ASSERT_TRUE(archive.execute(QStringLiteral("UPDATE TotaliCo SET Storico = false")));

    // The extended job-order list is narrowed to the chosen driver as the plain one is.
    for (const char *code : {"32", "62"}) {
        test::ReportCase otherDriver = sample->find(QString::fromLatin1(code));
        otherDriver.context.partyKey = 987654;
        EXPECT_FALSE(printed(otherDriver).contains(QStringLiteral("Alfa Logistica"))) << code;
        test::ReportCase ownDriver = sample->find(QString::fromLatin1(code));
        ownDriver.context.partyKey =
            archive.scalar(QStringLiteral("SELECT Personale_ID FROM TotaliCo WHERE Numero = 101"))
                .value()
                .toLongLong();
        EXPECT_TRUE(printed(ownDriver).contains(QStringLiteral("Alfa Logistica"))) << code;
    }

    // A situation without a party or dates takes every party and every date.
    test::ReportCase everyCustomer = sample->find(QStringLiteral("68"));
    everyCustomer.context = {};
    const QString customers = printed(everyCustomer);
    EXPECT_TRUE(customers.contains(QStringLiteral("1.631,00"))) << customers.toStdString();
    EXPECT_TRUE(customers.contains(QStringLiteral("366,00"))) << "another period too";
    test::ReportCase fromOnly = sample->find(QStringLiteral("68"));
    fromOnly.context.partyKey.reset();
    fromOnly.context.to = QDate();
    EXPECT_TRUE(printed(fromOnly).contains(QStringLiteral("1.631,00")));
    test::ReportCase everySupplier = sample->find(QStringLiteral("69"));
    everySupplier.context = {};
    EXPECT_TRUE(printed(everySupplier).contains(QStringLiteral("A/778")));
}
