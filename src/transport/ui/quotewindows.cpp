#include "transport/ui/quotewindows.h"

#include "shell/historyselection.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "transport/quotes.h"
#include "transport/ui/jobwindows.h"

#include <QPushButton>
#include <QTabWidget>

namespace rotalina::transport::ui {

using shell::Session;
using shell::titles::error;
using shell::ui::OwnedRowsPanel;
using shell::ui::RegistryCardWindow;
using shell::ui::WindowRegistry;

namespace {

constexpr int quoteReport = 5;

} // namespace

QuoteWindow::QuoteWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                         QWidget *parent)
    : DocumentWindow(session, quoteDocument(), windows, key, isNew, parent)
{
    QPushButton *printing =
        shell::ui::makeButton(this, "spdStampa", "Stampa", "Visualizza l'anteprima di Stampa del Documento");
    connect(printing, &QPushButton::clicked, this, &QuoteWindow::print);
    addToolButton(printing);
    showComputedFieldsOnly(*this);
    // Taken into a job order, a quote is closed by the program.
    if (QWidget *closed = form().editor(QStringLiteral("Chiuso")))
        closed->setEnabled(false);
    if (OwnedRowsPanel *rows = quoteRows()) {
        rows->setAdd([this] { addFromTariffs(); });
        QPushButton *free = shell::ui::makeButton(this, "spdArticoloNonArchivio", "Articolo non in archivio",
                                                  "Inserisci un articolo non codificato nel tariffario");
        rows->addButton(free);
        connect(free, &QPushButton::clicked, this, [this] {
            if (!form().isDirty() || quietSave())
                addFreeRow();
        });
    }
    // Rows belong to a quote with its customer and its number.
    connect(pages(), &QTabWidget::currentChanged, this, [this](int index) {
        if (index != 1 || pages()->currentIndex() != 1)
            return;
        const QVariantMap values = form().values();
        QString missing;
        if (!shell::RecordChecks::hasValue(values.value(QStringLiteral("Cliente_ID"))))
            missing =
                QStringLiteral("Attenzione: Prima di inserire le righe è necessario salvare il Cliente!!!");
        else if (!shell::RecordChecks::hasValue(values.value(QStringLiteral("Numero"))))
            missing = QStringLiteral(
                "Attenzione: Prima di inserire le righe è necessario salvare il numero di Preventivo!!!");
        if (missing.isEmpty())
            return;
        this->session().prompter().message(shell::titles::missingInput(), missing);
        pages()->setCurrentIndex(0);
    });
    resize(1000, 620);
}

OwnedRowsPanel *QuoteWindow::quoteRows() const
{
    return rows(QStringLiteral("PreventiRighe"));
}

void QuoteWindow::addFromTariffs()
{
    storage::Archive &archive = *session().archive();
    const core::Result<QVariant> customerOnly = archive.scalar(QStringLiteral(
        "SELECT Inserimento_articoli_FiltraPreventivi_per_cliente FROM opzioni ORDER BY ID LIMIT 1"));
    QVariantMap parameters{{QStringLiteral("scelta"), true}};
    const QVariant customer = form().values().value(QStringLiteral("Cliente_ID"));
    if (customerOnly && customerOnly->toBool() && shell::RecordChecks::hasValue(customer))
        parameters.insert(QStringLiteral("cliente"), customer.toLongLong());
    const QVariant chosen = windows().choose(QStringLiteral("TForm2"), session(), this, parameters);
    QList<qint64> tariffs;
    for (const QVariant &tariff : chosen.toList())
        tariffs.append(tariff.toLongLong());
    if (tariffs.isEmpty())
        return;
    // Every tariff becomes a row of one unit at once; the totals are written once at the end.
    const core::Result<QList<qint64>> added =
        addPricedTariffRows(archive, quotePricing(), key(), tariffs, session().today());
    if (!added)
        session().prompter().message(error(), added.error());
    if (OwnedRowsPanel *rows = quoteRows())
        rows->rowsChanged();
}

void QuoteWindow::addFreeRow()
{
    const core::Result<qint64> added =
        addPricedFreeRow(*session().archive(), quotePricing(), key(), session().today());
    if (!added) {
        session().prompter().message(error(), added.error());
        return;
    }
    if (OwnedRowsPanel *rows = quoteRows()) {
        rows->rowsChanged();
        rows->openRow(*added, true);
    }
}

void QuoteWindow::print()
{
    if (!save())
        return;
    shell::ReportContext context;
    context.key = key();
    shell::ReportService(session()).print(quoteReport, context);
}

QuoteListWindow::QuoteListWindow(Session &session, const WindowRegistry &windows,
                                 const QVariantMap &parameters, QWidget *parent)
    : RegistryListWindow(session, quotesRegistry(), windows, parent,
                         shell::documentListScope(parameters, QStringLiteral("Data"))),
      m_history(shell::isHistoryView(parameters))
{
    setWindowTitle(shell::documentListCaption(windowTitle(), parameters));
    shell::ui::FilterBar *filters = filterBar();
    filters->addNumber(QStringLiteral("Numero"), QStringLiteral("Numero"), QStringLiteral("edtNumero"));
    filters->addDateFrom(QStringLiteral("Data"), QStringLiteral("Dalla Data"), QStringLiteral("maskDaData"));
    filters->addDateTo(QStringLiteral("Data"), QStringLiteral("alla Data"), QStringLiteral("maskAData"));
    filters->addText(QStringLiteral("Cliente"), QStringLiteral("Cliente"), QStringLiteral("edtCliente"),
                     shell::ui::FilterBar::Match::BeginsWith);
    grid()->setToolTip(QStringLiteral("Le righe con Chiuso sono già state prese in una commessa"));
    reload();
    resize(900, 600);
}

core::Result<qint64> QuoteListWindow::createRow()
{
    return createQuote(*session().archive(), session().today(), m_history);
}

void registerQuoteWindows(WindowRegistry &windows)
{
    windows.add(quotesRegistry().listWindow, quotesRegistry().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new QuoteListWindow(session, windows, parameters, parent);
                });
    windows.add(quoteDocument().window, quoteDocument().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new QuoteWindow(session, windows,
                                           parameters.value(QStringLiteral("chiave")).toLongLong(),
                                           parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
    registerPricedRowEditor(windows, quoteRowsRegistry(), false);
}

} // namespace rotalina::transport::ui
