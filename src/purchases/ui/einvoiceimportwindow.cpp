#include "purchases/ui/einvoiceimportwindow.h"

#include "core/numbertext.h"
#include "core/textfile.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace rotalina::purchases::ui {

using shell::Session;
using shell::ui::WindowRegistry;
using Outcome = ImportLine::Outcome;

namespace {

enum Column { OutcomeColumn, FileColumn, TypeColumn, NumberColumn, SupplierColumn, TotalColumn, NotesColumn };

QString notesOf(const ImportLine &line)
{
    return line.outcome == Outcome::Imported ? line.remarks.join(QStringLiteral("; ")) : line.reason;
}

QString totalOf(const ImportLine &line)
{
    return line.outcome == Outcome::Imported ? core::formatItalianNumber(line.total, 2) : QString();
}

// A field of a CSV line: between quotes when it holds the separator, a quote or a line break.
QString csvField(QString text)
{
    if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n')) {
        text.replace(u'"', QStringLiteral("\"\""));
        return u'"' + text + u'"';
    }
    return text;
}

// The questions of an import come while the progress dialog is up: it steps aside while the user
// answers, so that no window manager can leave the question hidden behind it.
class ProgressAsidePrompter : public shell::Prompter
{
public:
    ProgressAsidePrompter(shell::Prompter &prompter, QProgressDialog &progress)
        : m_prompter(prompter), m_progress(progress)
    {}

    void message(const QString &title, const QString &text) override
    {
        stepAside();
        m_prompter.message(title, text);
        comeBack();
    }
    bool ask(const QString &title, const QString &text) override
    {
        stepAside();
        const bool answer = m_prompter.ask(title, text);
        comeBack();
        return answer;
    }
    void information(const QString &text) override
    {
        stepAside();
        m_prompter.information(text);
        comeBack();
    }
    QString openFile(const QString &title, const QString &folder, const QString &filter) override
    {
        return m_prompter.openFile(title, folder, filter);
    }
    QStringList openFiles(const QString &title, const QString &folder, const QString &filter) override
    {
        return m_prompter.openFiles(title, folder, filter);
    }
    QString saveFile(const QString &title, const QString &path, const QString &filter) override
    {
        return m_prompter.saveFile(title, path, filter);
    }
    QString chooseFolder(const QString &title, const QString &folder) override
    {
        return m_prompter.chooseFolder(title, folder);
    }
    QString askText(const QString &title, const QString &label, const QString &initial) override
    {
        return m_prompter.askText(title, label, initial);
    }

private:
    void stepAside()
    {
        m_progress.hide();
        QCoreApplication::processEvents();
    }
    void comeBack() { m_progress.show(); }

    shell::Prompter &m_prompter;
    QProgressDialog &m_progress;
};

} // namespace

void importElectronicInvoices(Session &session, const WindowRegistry &windows, QWidget *parent)
{
    storage::Archive *archive = session.archive();
    if (!archive)
        return;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QStringList chosen = session.prompter().openFilesOrFolder(
        QStringLiteral("Importa fattura elettronica xml"),
        QDir(documents).exists() ? documents : QDir::homePath(),
        QStringLiteral("Fatture elettroniche (*.xml *.p7m)"), QStringLiteral("Importa tutta la cartella"));
    if (chosen.isEmpty())
        return;
    QStringList missing;
    const QStringList files = electronicInvoiceFiles(chosen, &missing);
    if (files.isEmpty()) {
        session.prompter().message(
            shell::titles::warning(),
            QStringLiteral("Non ci sono fatture elettroniche (.xml, .p7m) da importare."));
        return;
    }
    ImportSettings settings;
    settings.workstation = session.workstation();
    settings.today = session.today();
    QProgressDialog progress(QStringLiteral("Importazione delle fatture elettroniche..."),
                             QStringLiteral("Interrompi"), 0, int(files.size()), parent);
    progress.setObjectName(QStringLiteral("dlgAvanzamento"));
    progress.setWindowTitle(QStringLiteral("Importa fattura elettronica xml"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    ProgressAsidePrompter prompter(session.prompter(), progress);
    ElectronicInvoiceImport import(*archive, settings, &prompter);
    QList<ImportLine> lines;
    for (const QString &path : missing) {
        ImportLine line;
        line.file = path;
        line.reason = QStringLiteral("il file o la cartella non esiste");
        lines.append(line);
    }
    int read = 0;
    for (const QString &file : files) {
        if (progress.wasCanceled())
            break;
        progress.setLabelText(QStringLiteral("Importazione di %1...").arg(QFileInfo(file).fileName()));
        lines += import.importFile(file);
        progress.setValue(++read);
        QCoreApplication::processEvents();
    }
    progress.reset();
    session.archiveChanged();
    ImportReportWindow report(session, windows, lines, int(files.size()) - read, parent);
    report.exec();
}

ImportReportWindow::ImportReportWindow(Session &session, const WindowRegistry &windows,
                                       QList<ImportLine> lines, int unreadFiles, QWidget *parent)
    : QDialog(parent), m_session(session), m_windows(windows), m_lines(std::move(lines)),
      m_unreadFiles(unreadFiles), m_summary(new QLabel(this)), m_grid(new QTableWidget(this))
{
    setObjectName(QStringLiteral("TfrmEsitoImportazioneXml"));
    setWindowTitle(QStringLiteral("Esito importazione fatture elettroniche"));
    WindowRegistry::setHelpContext(this, 3150);
    m_summary->setObjectName(QStringLiteral("lblRiepilogo"));
    m_summary->setText(summary());
    m_summary->setWordWrap(true);

    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setColumnCount(7);
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("Esito"), QStringLiteral("File"), QStringLiteral("Tipo"), QStringLiteral("Numero"),
         QStringLiteral("Fornitore"), QStringLiteral("Totale"), QStringLiteral("Note")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setRowCount(int(m_lines.size()));
    for (int row = 0; row < m_lines.size(); ++row) {
        const ImportLine &line = m_lines.at(row);
        const QStringList cells{line.outcomeText(), line.file,     line.documentType, line.number,
                                line.supplier,      totalOf(line), notesOf(line)};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (column == TotalColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (line.outcome == Outcome::Refused)
                item->setForeground(QColor(0xb0, 0x00, 0x20));
            else if (line.outcome == Outcome::Skipped)
                item->setForeground(QColor(0x70, 0x70, 0x70));
            m_grid->setItem(row, column, item);
        }
    }
    m_grid->resizeColumnsToContents();
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openDocument(row); });

    QPushButton *open = shell::ui::makeButton(this, "btnApri", "Apri documento",
                                              "apre il documento importato della riga scelta");
    QPushButton *saveButton = shell::ui::makeButton(this, "btnSalva", "Salva", "salva l'esito in un file");
    QPushButton *printButton = shell::ui::makeButton(this, "btnStampa", "Stampa", "stampa l'esito");
    QPushButton *close = shell::ui::makeButton(this, "btnChiudi", "Chiudi", nullptr);
    connect(open, &QPushButton::clicked, this, [this] { openDocument(m_grid->currentRow()); });
    connect(saveButton, &QPushButton::clicked, this, &ImportReportWindow::save);
    connect(printButton, &QPushButton::clicked, this, &ImportReportWindow::print);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(printButton);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(1100, 520);
}

QString ImportReportWindow::summary() const
{
    int imported = 0;
    int skipped = 0;
    int refused = 0;
    for (const ImportLine &line : m_lines) {
        imported += line.outcome == Outcome::Imported ? 1 : 0;
        skipped += line.outcome == Outcome::Skipped ? 1 : 0;
        refused += line.outcome == Outcome::Refused ? 1 : 0;
    }
    QString text =
        QStringLiteral(
            "Termine importazione documento. Documenti importati: %1, saltati: %2, con errori: %3.")
            .arg(imported)
            .arg(skipped)
            .arg(refused);
    if (m_unreadFiles > 0)
        text += QStringLiteral(" Importazione interrotta: %1 file non esaminati.").arg(m_unreadFiles);
    return text;
}

void ImportReportWindow::save()
{
    shell::Prompter &prompter = m_session.prompter();
    const QString path =
        prompter.saveFile(QStringLiteral("Salva l'esito dell'importazione"),
                          QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(QStringLiteral("esito_importazione.txt")),
                          QStringLiteral("Testo (*.txt);;CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QString text;
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        text = QStringLiteral("Esito;File;Tipo;Numero;Fornitore;Totale;Note\n");
        for (const ImportLine &line : m_lines)
            text += QStringList{line.outcomeText(),     csvField(line.file),     line.documentType,
                                csvField(line.number),  csvField(line.supplier), totalOf(line),
                                csvField(notesOf(line))}
                        .join(u';') +
                    u'\n';
    } else {
        text = summary() + u'\n';
        for (const ImportLine &line : m_lines)
            text += line.text() + u'\n';
    }
    if (core::Status written = core::writeTextFile(path, text); !written)
        prompter.message(shell::titles::error(), written.error());
}

QString ImportReportWindow::html() const
{
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"it\"><head><meta charset=\"utf-8\"/><title>Esito importazione fatture "
        "elettroniche</title></head><body style=\"font-family:'DejaVu Sans',Arial,sans-serif; "
        "font-size:9pt;\">");
    html += QStringLiteral("<h3>Esito importazione fatture elettroniche</h3><p>%1</p>")
                .arg(summary().toHtmlEscaped());
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr>"
                           "<th>Esito</th><th>File</th><th>Tipo</th><th>Numero</th><th>Fornitore</th>"
                           "<th>Totale</th><th>Note</th></tr>");
    for (const ImportLine &line : m_lines) {
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                               "<td align=\"right\">%6</td><td>%7</td></tr>")
                    .arg(line.outcomeText(), line.file.toHtmlEscaped(), line.documentType.toHtmlEscaped(),
                         line.number.toHtmlEscaped(), line.supplier.toHtmlEscaped(), totalOf(line),
                         notesOf(line).toHtmlEscaped());
    }
    return html + QStringLiteral("</table></body></html>\n");
}

void ImportReportWindow::print()
{
    // The print program reads the report from a file of this workstation.
    const QString path = QDir::temp().filePath(
        QStringLiteral("rotalina-esito-importazione-%1.html").arg(m_session.workstation()));
    if (core::Status written = core::writeTextFile(path, html()); !written) {
        m_session.prompter().message(shell::titles::error(), written.error());
        return;
    }
    // A program that does not start has been shown to the user already.
    (void)shell::ReportService(m_session).showDocument(path);
}

void ImportReportWindow::openDocument(int row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    const ImportLine &line = m_lines.at(row);
    if (line.outcome != Outcome::Imported || line.document <= 0) {
        m_session.prompter().message(
            shell::titles::warning(),
            QStringLiteral("La riga scelta non ha un documento importato da aprire."));
        return;
    }
    const QString window = receivedKindOf(line.documentType) == ReceivedKind::SupplierCreditNote
                               ? QStringLiteral("TfrmNotaCreditoFornitore")
                               : QStringLiteral("TfrmCarico");
    m_windows.open(window, m_session, this,
                   {{QStringLiteral("chiave"), line.document}, {QStringLiteral("nuovo"), false}});
}

} // namespace rotalina::purchases::ui
