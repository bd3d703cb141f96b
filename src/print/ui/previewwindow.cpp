#include "print/ui/previewwindow.h"

#include "print/documentexport.h"
#include "print/pagerenderer.h"
#include "shell/prompter.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QToolBar>

namespace rotalina::print::ui {

PreviewWindow::PreviewWindow(const PrintJob &job, ComposedReport report, shell::Prompter &prompter,
                             QWidget *parent)
    : QMainWindow(parent), m_job(&job), m_pages(std::move(report)), m_prompter(prompter),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      m_landscape(std::get<ComposedReport>(m_pages).landscape)
{
    build();
}

PreviewWindow::PreviewWindow(TextDocumentPages document, shell::Prompter &prompter, QWidget *parent)
    : QMainWindow(parent), m_pages(std::move(document)), m_prompter(prompter),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      m_landscape(std::get<TextDocumentPages>(m_pages).landscape)
{
    build();
}

QString PreviewWindow::title() const
{
    return std::visit([](const auto &pages) { return pages.title; }, m_pages);
}

void PreviewWindow::build()
{
    setObjectName(QStringLiteral("TfrmAnteprima"));
    setWindowTitle(QStringLiteral("Anteprima di stampa - ") + title());
    std::visit([this](const auto &pages) { preparePage(pages, *m_printer); }, m_pages);
    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setObjectName(QStringLiteral("Anteprima"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &PreviewWindow::paint);
    setCentralWidget(m_preview);

    QToolBar *bar = addToolBar(QStringLiteral("Anteprima"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto action = [&](QStyle::StandardPixmap icon, const QString &text, const QString &name,
                            auto slot) {
        QAction *a = bar->addAction(style()->standardIcon(icon), text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    // Moving and zooming show their icons only (their names are in the tooltips), so that the
    // toolbar holds everything on a normal screen.
    const auto iconAction = [&](QStyle::StandardPixmap icon, const QString &text, const QString &name,
                                auto slot) {
        QAction *a = action(icon, text, name, slot);
        a->setPriority(QAction::LowPriority);
        return a;
    };
    iconAction(QStyle::SP_MediaSkipBackward, QStringLiteral("Prima pagina"), QStringLiteral("actPrima"),
               [this] { m_preview->setCurrentPage(1); });
    iconAction(QStyle::SP_MediaSeekBackward, QStringLiteral("Pagina precedente"),
               QStringLiteral("actPrecedente"),
               [this] { m_preview->setCurrentPage(std::max(1, m_preview->currentPage() - 1)); });
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("lblPagina"));
    m_pageLabel->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(m_pageLabel);
    iconAction(QStyle::SP_MediaSeekForward, QStringLiteral("Pagina successiva"),
               QStringLiteral("actSuccessiva"), [this] {
                   m_preview->setCurrentPage(std::min(m_preview->pageCount(), m_preview->currentPage() + 1));
               });
    iconAction(QStyle::SP_MediaSkipForward, QStringLiteral("Ultima pagina"), QStringLiteral("actUltima"),
               [this] { m_preview->setCurrentPage(m_preview->pageCount()); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &PreviewWindow::showPageNumber);
    bar->addSeparator();
    iconAction(QStyle::SP_ArrowUp, QStringLiteral("Ingrandisci"), QStringLiteral("actIngrandisci"),
               [this] { m_preview->zoomIn(); });
    iconAction(QStyle::SP_ArrowDown, QStringLiteral("Riduci"), QStringLiteral("actRiduci"),
               [this] { m_preview->zoomOut(); });
    iconAction(QStyle::SP_TitleBarMaxButton, QStringLiteral("Pagina intera"),
               QStringLiteral("actPaginaIntera"), [this] { m_preview->fitInView(); });
    iconAction(QStyle::SP_FileDialogDetailedView, QStringLiteral("Larghezza pagina"),
               QStringLiteral("actLarghezza"), [this] { m_preview->fitToWidth(); });
    QAction *turn = action(QStyle::SP_BrowserReload, QStringLiteral("Orizzontale"),
                           QStringLiteral("actOrizzontale"), [this](bool on) { setLandscape(on); });
    turn->setCheckable(true);
    turn->setChecked(m_landscape);
    if (m_job && m_job->request().filter) {
        bar->addSeparator();
        auto *filter = new QLineEdit(bar);
        filter->setObjectName(QStringLiteral("txtFiltro"));
        filter->setPlaceholderText(QStringLiteral("Filtro"));
        filter->setToolTip(
            QStringLiteral("Stampa solo le righe che contengono il testo scritto (Invio per applicare)"));
        filter->setClearButtonEnabled(true);
        filter->setMaximumWidth(220);
        connect(filter, &QLineEdit::editingFinished, this, [this, filter] { setFilter(filter->text()); });
        bar->addWidget(filter);
    }
    bar->addSeparator();
    action(QStyle::SP_FileDialogContentsView, QStringLiteral("Stampa"), QStringLiteral("actStampa"),
           &PreviewWindow::printReport);
    action(QStyle::SP_DialogSaveButton, QStringLiteral("Esporta"), QStringLiteral("actEsporta"),
           &PreviewWindow::exportReport);
    action(QStyle::SP_DialogCloseButton, QStringLiteral("Chiudi"), QStringLiteral("actChiudi"),
           &QWidget::close);
    resize(980, 760);
}

void PreviewWindow::showPageNumber()
{
    m_pageLabel->setText(
        QStringLiteral("Pagina %1 di %2").arg(m_preview->currentPage()).arg(m_preview->pageCount()));
}

PreviewWindow::~PreviewWindow()
{
    // The preview paints on the printer: it goes first.
    delete m_preview;
}

void PreviewWindow::paint(QPrinter *printer)
{
    std::visit([printer](const auto &pages) { renderPages(pages, *printer); }, m_pages);
}

int PreviewWindow::pageCount() const
{
    return m_preview->pageCount();
}

void PreviewWindow::setLandscape(bool landscape)
{
    m_landscape = landscape;
    recompose();
}

void PreviewWindow::setFilter(const QString &text)
{
    if (text == m_filter)
        return;
    m_filter = text;
    recompose();
}

void PreviewWindow::recompose()
{
    if (m_job) {
        core::Result<ComposedReport> composed = m_job->compose(m_landscape, m_filter);
        if (!composed) {
            m_prompter.message(QStringLiteral("Messaggio di errore"), composed.error());
            return;
        }
        m_pages = std::move(composed).value();
    } else {
        // A document flows onto whatever page it is given.
        std::get<TextDocumentPages>(m_pages).landscape = m_landscape;
    }
    std::visit([this](const auto &pages) { preparePage(pages, *m_printer); }, m_pages);
    m_preview->updatePreview();
}

void PreviewWindow::printReport()
{
    // A document shown without a request has no printer choice of its own: the user picks one.
    if (!m_job || m_job->request().setup) {
        QPrintDialog dialog(m_printer.get(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer on this workstation: the report is kept as a PDF file instead.
        const QString path =
            m_prompter.saveFile(QStringLiteral("Salva come PDF"), title() + QStringLiteral(".pdf"),
                                QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty())
            return;
        const core::Status saved = std::visit(
            [&](const auto &pages) { return print::exportReport(pages, ExportFormat::Pdf, path); }, m_pages);
        if (!saved)
            m_prompter.message(QStringLiteral("Messaggio di errore"), saved.error());
        return;
    } else {
        m_printer->setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    }
    std::visit(
        [this](const auto &pages) {
            preparePage(pages, *m_printer);
            renderPages(pages, *m_printer);
        },
        m_pages);
}

void PreviewWindow::exportReport()
{
    // Separated values hold the rows of a list, which a document has not.
    const QString path = m_prompter.saveFile(
        QStringLiteral("Esporta"), title(),
        m_job ? QStringLiteral("PDF (*.pdf);;Pagina web (*.html);;Documento OpenDocument (*.odt);;"
                               "Valori separati (*.csv);;Testo (*.txt)")
              : QStringLiteral(
                    "PDF (*.pdf);;Pagina web (*.html);;Documento OpenDocument (*.odt);;Testo (*.txt)"));
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    ExportFormat format = ExportFormat::Pdf;
    if (suffix == u"html" || suffix == u"htm")
        format = ExportFormat::Html;
    else if (suffix == u"odt")
        format = ExportFormat::Odt;
    else if (suffix == u"csv")
        format = ExportFormat::Csv;
    else if (suffix == u"txt")
        format = ExportFormat::Text;
    const core::Status saved =
        std::visit([&](const auto &pages) { return print::exportReport(pages, format, path); }, m_pages);
    if (!saved)
        m_prompter.message(QStringLiteral("Messaggio di errore"), saved.error());
}

} // namespace rotalina::print::ui
