// layout_check: checks every report layout against its statements on a sample archive, and with
// --render DIR writes each report as PDF, CSV and a PNG of its first page for a look.

#include "print/documentexport.h"
#include "print/reportfixture.h"
#include "print/reportrun.h"
#include "support/testarchive.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTextStream>

using namespace rotalina;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype renderAt = arguments.indexOf(QStringLiteral("--render"));
    const QString renderFolder = renderAt > 0 ? arguments.value(renderAt + 1) : QString();
    const QString reports = test::sourceReportsFolder();
    QTextStream out(stdout);

    int problems = 0;
    {
        std::unique_ptr<storage::Archive> archive = test::newArchive();
        const core::Result<QList<test::ReportCase>> cases = test::seedReportArchive(*archive);
        if (!cases) {
            out << "Archivio di prova non riempito: " << cases.error() << Qt::endl;
            test::removeTestArchives();
            return 2;
        }
        if (!renderFolder.isEmpty())
            QDir().mkpath(renderFolder);
        QSet<QString> usedFiles;
        for (const test::ReportCase &c : *cases) {
            const shell::ReportSpec spec =
                shell::reportSpec(c.code, c.context, c.options, archive->dialect());
            usedFiles << spec.reportFile << spec.landscapeFile;
            for (const QString &problem : test::layoutProblems(*archive, c, reports)) {
                out << problem << Qt::endl;
                ++problems;
            }
            const core::Result<print::ComposedReport> report = test::composeCase(*archive, c, reports);
            if (!report) {
                out << "codice " << c.name << ": " << report.error() << Qt::endl;
                ++problems;
                continue;
            }
            for (const QString &wrong : test::missingTexts(c, test::printedText(*report)))
                out << "codice " << c.name << ": " << wrong << " (avviso)" << Qt::endl;
            if (renderFolder.isEmpty())
                continue;
            const QString base =
                QDir(renderFolder).filePath(QStringLiteral("%1").arg(c.name).replace(u' ', u'_'));
            for (const auto &[format, suffix] :
                 {std::pair{print::ExportFormat::Pdf, ".pdf"}, std::pair{print::ExportFormat::Csv, ".csv"}}) {
                if (core::Status written = print::exportReport(*report, format, base + QLatin1String(suffix));
                    !written) {
                    out << "codice " << c.name << ": " << written.error() << Qt::endl;
                    ++problems;
                }
            }
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("70"),
                               QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                               QStringLiteral("1"), QStringLiteral("-singlefile"),
                               base + QStringLiteral(".pdf"), base});
        }
        const QStringList present = QDir(reports).entryList({QStringLiteral("*.rpt")}, QDir::Files);
        for (const QString &file : present) {
            if (!usedFiles.contains(file))
                out << file << ": nessun codice di stampa lo usa (avviso)" << Qt::endl;
        }
    }
    test::removeTestArchives();
    out << (problems == 0 ? "Nessun problema." : "Problemi: ")
        << (problems == 0 ? QString() : QString::number(problems)) << Qt::endl;
    return problems == 0 ? 0 : 1;
}
