#include "invoicing/ui/invoicewindow.h"

#include "core/datetext.h"
#include "core/numbertext.h"
#include "invoicing/creditnotes.h"
#include "invoicing/einvoice.h"
#include "invoicing/instalments.h"
#include "invoicing/invoicedocument.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicing/jobimport.h"
#include "invoicing/ui/invoicingwindows.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::invoicing::ui {

using shell::RecordChecks;
using shell::titles::error;
using shell::titles::warning;
using shell::ui::LookupBox;
using shell::ui::OwnedRowsPanel;

namespace {} // namespace

InvoiceWindow::InvoiceWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key,
                             bool isNew, QWidget *parent, CustomerDocument document)
    : DocumentWindow(session,
                     document == CustomerDocument::CreditNote ? creditNoteDocument() : invoiceDocument(),
                     windows, key, isNew, parent),
      m_document(document),
      m_dueDates(document == CustomerDocument::CreditNote ? creditNoteDueDates() : customerInvoiceDueDates()),
      m_rowsTable(document == CustomerDocument::CreditNote ? QStringLiteral("NotaCreditoRighe")
                                                           : QStringLiteral("fattdett"))
{
    const bool creditNote = isCreditNote();
    QPushButton *cashBook = shell::ui::makeButton(this, "spdPrimaNota", "prima nota",
                                                  creditNote ? "Visualizza la nota di credito in prima nota"
                                                             : "Visualizza la fattura in prima nota");
    QPushButton *xml = shell::ui::makeButton(this, "spdFatturaElettronica", "Esporta xml",
                                             creditNote ? "Esporta la nota di credito elettronica"
                                                        : "Esporta la fattura elettronica");
    QPushButton *view =
        shell::ui::makeButton(this, "spdVisualizzaXml", "Visualizza", "Visualizza una fattura elettronica");
    QPushButton *printing = shell::ui::makeToolButton(shell::ui::ToolAction::Stampa, this);
    xml->setEnabled(windows.has(QString::fromLatin1(exportXmlCommand)));
    if (creditNote) {
        QPushButton *totals =
            shell::ui::makeButton(this, "spdTotali", "Totali", "Ricalcola i totali dalle righe");
        addToolButton(totals);
        connect(totals, &QPushButton::clicked, this, &InvoiceWindow::recomputeTotals);
    }
    addToolButton(cashBook);
    addToolButton(xml);
    addToolButton(view);
    addToolButton(printing);
    connect(cashBook, &QPushButton::clicked, this, &InvoiceWindow::showCashBook);
    connect(xml, &QPushButton::clicked, this, &InvoiceWindow::exportXml);
    connect(view, &QPushButton::clicked, this, &InvoiceWindow::viewXml);
    connect(printing, &QPushButton::clicked, this, &InvoiceWindow::print);

    if (auto *customer = qobject_cast<LookupBox *>(form().editor(QStringLiteral("Cliente_ID")))) {
        connect(customer, &LookupBox::chosen, this, &InvoiceWindow::customerChosen);
        connect(customer, &LookupBox::cleared, this, &InvoiceWindow::customerCleared);
    }
    if (auto *bank = qobject_cast<LookupBox *>(form().editor(QStringLiteral("Banca_ID")))) {
        connect(bank, &LookupBox::chosen, this, &InvoiceWindow::bankChanged);
        connect(bank, &LookupBox::cleared, this, [this] { bankChanged(QVariant()); });
    }
    if (auto *mode = qobject_cast<LookupBox *>(form().editor(QStringLiteral("ModPagamento_Id")))) {
        connect(mode, &LookupBox::chosen, this, &InvoiceWindow::paymentModeChanged);
        connect(mode, &LookupBox::cleared, this, &InvoiceWindow::paymentModeChanged);
    }
    if (auto *date = qobject_cast<shell::ui::DateBox *>(form().editor(QStringLiteral("Data"))))
        connect(date, &shell::ui::DateBox::left, this, &InvoiceWindow::checkDateOrder);
    if (auto *number = qobject_cast<shell::ui::AmountBox *>(form().editor(QStringLiteral("Num"))))
        connect(number, &shell::ui::AmountBox::editingFinished, this, &InvoiceWindow::checkDateOrder);
    if (creditNote) {
        setBeforeLeave([this] { warnOfOverCredit(); });
        addCreditedInvoiceButtons();
        // The rows' page says which invoice they credit and what the note gives back.
        if (OwnedRowsPanel *rows = documentRows()) {
            rows->setAfterChange([this] {
                rowsChanged();
                describeCreditedRows();
            });
            connect(pages(), &QTabWidget::currentChanged, this, &InvoiceWindow::describeCreditedRows);
            describeCreditedRows();
        }
    } else {
        setBeforeLeave([this] { warnOfLetterOfIntent(); });
        addJobOrderButtons();
    }
    addInvoiceRowButtons();
    if (OwnedRowsPanel *dueDates = rows(QStringLiteral("FatturaScadenze")))
        dueDates->grid()->setToolTip(QStringLiteral("Le righe azzurre sono state già pagate"));
}

OwnedRowsPanel *InvoiceWindow::documentRows() const
{
    return rows(m_rowsTable);
}

void InvoiceWindow::addInvoiceRowButtons()
{
    OwnedRowsPanel *rows = documentRows();
    if (!rows)
        return;
    rows->setAdd([this] { addFromTariffs(); });
    QPushButton *transport = shell::ui::makeButton(this, "SpeedButton26", "Spese di Trasporto");
    QPushButton *collection = shell::ui::makeButton(this, "SpeedButton27", "Spese di Incasso");
    QPushButton *free = shell::ui::makeButton(this, "spdArticoloNonArchivio", "Articolo non in archivio");
    if (!isCreditNote()) {
        // Only an invoice's rows come from tariffs the user may want to look at or add.
        QPushButton *tariff =
            shell::ui::makeButton(this, "SpeedButton14", "Tariffa", "Apre la tariffa della riga");
        QPushButton *tariffs = shell::ui::makeButton(this, "SpeedButton15", "Nuova tariffa",
                                                     "Apre le tariffe per aggiungerne una");
        tariffs->setEnabled(windows().has(QStringLiteral("TForm2")));
        rows->addButton(tariff);
        rows->addButton(tariffs);
        connect(tariffs, &QPushButton::clicked, this,
                [this] { this->windows().open(QStringLiteral("TForm2"), this->session(), this); });
        connect(tariff, &QPushButton::clicked, this, &InvoiceWindow::openTariffOfRow);
    }
    for (QPushButton *b : {transport, collection, free})
        rows->addButton(b);
    const auto savedFirst = [this](void (InvoiceWindow::*action)()) {
        return [this, action] {
            if (!form().isDirty() || quietSave())
                (this->*action)();
        };
    };
    connect(transport, &QPushButton::clicked, this, savedFirst(&InvoiceWindow::addTransportCosts));
    connect(collection, &QPushButton::clicked, this, savedFirst(&InvoiceWindow::addCollectionCosts));
    connect(free, &QPushButton::clicked, this, savedFirst(&InvoiceWindow::addFreeArticle));
}

void InvoiceWindow::addCreditedInvoiceButtons()
{
    QWidget *number = form().editor(QStringLiteral("NCFattNumRif"));
    if (!number)
        return;
    auto *pair = new QWidget(this);
    auto *row = new QHBoxLayout(pair);
    row->setContentsMargins(0, 0, 0, 0);
    QPushButton *find = shell::ui::makeButton(this, "spdTrovaFattura", "Trova Fattura",
                                              "Sceglie la fattura del cliente da stornare");
    QPushButton *import = shell::ui::makeButton(this, "spdImportaRighe", "Importa Righe",
                                                "Copia nella nota di credito le righe della fattura");
    row->addWidget(find);
    row->addWidget(import);
    shell::ui::FormPage::placeBeside(number, pair);
    connect(find, &QPushButton::clicked, this, &InvoiceWindow::findCreditedInvoice);
    connect(import, &QPushButton::clicked, this, &InvoiceWindow::importCreditedRows);
}

void InvoiceWindow::addJobOrderButtons()
{
    OwnedRowsPanel *links = rows(QStringLiteral("FatturaContiRighe"));
    if (!links)
        return;
    links->grid()->setObjectName(QStringLiteral("DBGrid4"));
    // Links are made by importing job orders and removed with "Elimina Riga", never edited by hand.
    for (const shell::ui::ToolAction common :
         {shell::ui::ToolAction::AggiungiDettaglio, shell::ui::ToolAction::AvantiDettaglio,
          shell::ui::ToolAction::EliminaDettaglio}) {
        if (auto *button = links->findChild<QPushButton *>(shell::ui::toolButtonName(common)))
            button->hide();
    }
    m_jobOrders = new QComboBox(links);
    m_jobOrders->setObjectName(QStringLiteral("DBLookupComboBox1"));
    m_jobOrders->setPlaceholderText(QStringLiteral("Scegli la commessa da importare"));
    m_jobOrders->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_jobOrders->setMinimumContentsLength(40);
    QPushButton *all = shell::ui::makeButton(this, "Button1", "Importa Tutte le commesse");
    QPushButton *choose = shell::ui::makeButton(this, "Button2", "Scegli le Commesse");
    QPushButton *remove = shell::ui::makeButton(this, "Button10", "Elimina Riga",
                                                "Toglie la commessa dalla fattura e la riapre");
    choose->setEnabled(windows().has(QStringLiteral("TfrmScegliCommesse")));
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Commessa"), links));
    top->addWidget(m_jobOrders, 1);
    top->addWidget(all);
    top->addWidget(choose);
    if (auto *column = qobject_cast<QVBoxLayout *>(links->layout()))
        column->insertLayout(0, top);
    links->addButton(remove);
    connect(m_jobOrders, &QComboBox::activated, this, &InvoiceWindow::importChosenJobOrder);
    connect(all, &QPushButton::clicked, this, &InvoiceWindow::importAllJobOrders);
    connect(choose, &QPushButton::clicked, this, &InvoiceWindow::chooseJobOrders);
    connect(remove, &QPushButton::clicked, this, &InvoiceWindow::unlinkJobOrder);
    // The header is saved when the tab changes: the job orders offered are those of the customer
    // saved.
    connect(pages(), &QTabWidget::currentChanged, this, [this, links] {
        if (pages()->currentWidget() && pages()->currentWidget()->isAncestorOf(links))
            offerJobOrders();
    });
    offerJobOrders();
}

void InvoiceWindow::offerJobOrders()
{
    if (!m_jobOrders)
        return;
    const core::Result<QList<ImportableJobOrder>> offered = importableJobOrders(*session().archive(), key());
    const QSignalBlocker quiet(m_jobOrders);
    m_jobOrders->clear();
    if (!offered) {
        session().prompter().message(error(), offered.error());
        return;
    }
    for (const ImportableJobOrder &job : *offered)
        m_jobOrders->addItem(job.choice, job.key);
    m_jobOrders->setCurrentIndex(-1);
}

void InvoiceWindow::importJobOrders(const std::function<core::Result<int>()> &import)
{
    if (form().isDirty() && !quietSave())
        return;
    if (const core::Result<int> imported = import(); !imported) {
        const QString why = imported.error();
        session().prompter().message(why == unsavedInvoiceForJobOrdersMessage() ? warning() : error(), why);
    }
    rowsChanged();
    offerJobOrders();
}

void InvoiceWindow::importChosenJobOrder(int index)
{
    const QVariant job = m_jobOrders ? m_jobOrders->itemData(index) : QVariant();
    if (!job.isValid())
        return;
    if (!session().prompter().ask(warning(), importJobOrderQuestion())) {
        m_jobOrders->setCurrentIndex(-1);
        return;
    }
    importJobOrders([this, job] {
        return invoicing::importJobOrders(*session().archive(), key(), {job.toLongLong()}, session().today());
    });
}

void InvoiceWindow::importAllJobOrders()
{
    importJobOrders(
        [this] { return invoicing::importAllJobOrders(*session().archive(), key(), session().today()); });
}

void InvoiceWindow::chooseJobOrders()
{
    if (form().isDirty() && !quietSave())
        return;
    const QVariant customer = form().values().value(QStringLiteral("Cliente_ID"));
    if (!RecordChecks::hasValue(customer)) {
        session().prompter().message(error(), noCustomerForInvoiceMessage());
        return;
    }
    const QVariant chosen = windows().choose(
        QStringLiteral("TfrmScegliCommesse"), session(), this,
        {{QStringLiteral("cliente"), customer.toLongLong()}, {QStringLiteral("fattura"), key()}});
    QList<qint64> jobs;
    for (const QVariant &job : chosen.toList())
        jobs.append(job.toLongLong());
    if (jobs.isEmpty())
        return;
    importJobOrders([this, jobs] {
        return invoicing::importJobOrders(*session().archive(), key(), jobs, session().today());
    });
}

void InvoiceWindow::unlinkJobOrder()
{
    OwnedRowsPanel *links = rows(QStringLiteral("FatturaContiRighe"));
    const std::optional<qint64> link = links ? links->currentKey() : std::nullopt;
    if (!link)
        return;
    if (form().isDirty() && !quietSave())
        return;
    if (core::Status removed = removeJobOrderLink(*session().archive(), *link); !removed)
        session().prompter().message(error(), removed.error());
    rowsChanged();
    offerJobOrders();
}

void InvoiceWindow::customerChosen(const QVariant &customer)
{
    const core::Result<QVariantMap> values = customerChoice(*session().archive(), customer);
    if (!values) {
        session().prompter().message(error(), values.error());
        return;
    }
    const QString modeField = QStringLiteral("ModPagamento_Id");
    const QVariant modeBefore = form().values().value(modeField);
    for (auto it = values->cbegin(); it != values->cend(); ++it)
        form().setValue(it.key(), it.value());
    if (values->contains(modeField) && values->value(modeField).toLongLong() != modeBefore.toLongLong())
        paymentModeChanged();
}

void InvoiceWindow::customerCleared()
{
    const core::Result<QVariantMap> empty = customerChoice(*session().archive(), QVariant());
    for (auto it = empty->cbegin(); it != empty->cend(); ++it)
        form().setValue(it.key(), it.value());
}

void InvoiceWindow::bankChanged(const QVariant &bank)
{
    if (core::Status changed = setDueDatesBank(*session().archive(), key(), bank); !changed)
        session().prompter().message(error(), changed.error());
    rowsChanged();
}

void InvoiceWindow::paymentModeChanged()
{
    form().setDirty();
    if (!quietSave())
        return;
    storage::Archive &archive = *session().archive();
    PaidInstalments paid = PaidInstalments::Keep;
    const core::Result<int> paidCount = paidInstalmentCount(archive, key(), m_dueDates);
    if (!paidCount) {
        session().prompter().message(error(), paidCount.error());
        return;
    }
    const QString document =
        isCreditNote() ? QStringLiteral("la nota di credito") : QStringLiteral("la fattura");
    const QString question =
        *paidCount == 1
            ? QStringLiteral("Attenzione %1 ha una scadenza già pagata: vuoi eliminarla insieme al suo "
                             "movimento in prima nota ?")
                  .arg(document)
            : QStringLiteral("Attenzione %1 ha %2 scadenze già pagate: vuoi eliminarle insieme ai loro "
                             "movimenti in prima nota ?")
                  .arg(document)
                  .arg(*paidCount);
    if (*paidCount > 0 && session().prompter().ask(warning(), question))
        paid = PaidInstalments::Delete;
    const QVariant mode = form().values().value(QStringLiteral("ModPagamento_Id"));
    const core::Status done = RecordChecks::hasValue(mode)
                                  ? generateDueDates(archive, key(), DueDateMode::NewDates, paid, m_dueDates)
                                  : clearDueDates(archive, key(), paid, m_dueDates);
    if (!done)
        session().prompter().message(error(), done.error());
    rowsChanged();
}

void InvoiceWindow::checkDateOrder()
{
    if (session().historyMode() || !form().isDirty())
        return;
    const QVariantMap values = form().values();
    const QVariant number = values.value(QStringLiteral("Num"));
    const QVariant date = values.value(QStringLiteral("Data"));
    if (!RecordChecks::hasValue(number) || !RecordChecks::hasValue(date))
        return;
    storage::Archive &archive = *session().archive();
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings)
        return;
    const core::Result<std::optional<QString>> told =
        dateOrderWarning(archive, *settings, number.toInt(), date.toDate(),
                         values.value(QStringLiteral("SerieFatturazione")).toString(), m_document);
    if (told && told->has_value())
        session().prompter().message(dateOrderWarningTitle(), **told);
}

void InvoiceWindow::warnOfLetterOfIntent()
{
    const QVariantMap values = form().values();
    const core::Result<bool> applies =
        letterOfIntentApplies(*session().archive(), key(), values.value(QStringLiteral("Cliente_ID")),
                              values.value(QStringLiteral("Data")).toDate());
    if (applies && *applies)
        session().prompter().message(QStringLiteral("Messaggio di avviso!"), letterOfIntentWarning());
}

void InvoiceWindow::addFromTariffs()
{
    storage::Archive &archive = *session().archive();
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings) {
        session().prompter().message(error(), settings.error());
        return;
    }
    QVariantMap parameters{{QStringLiteral("scelta"), true}};
    const QVariant customer = form().values().value(QStringLiteral("Cliente_ID"));
    if (settings->tariffsOfCustomerOnly && RecordChecks::hasValue(customer))
        parameters.insert(QStringLiteral("cliente"), customer.toLongLong());
    const QVariant chosen = windows().choose(QStringLiteral("TForm2"), session(), this, parameters);
    QList<qint64> tariffs;
    for (const QVariant &tariff : chosen.toList())
        tariffs.append(tariff.toLongLong());
    if (tariffs.isEmpty())
        return;
    const core::Result<QList<qint64>> added = addTariffRows(archive, key(), tariffs, session().today());
    if (!added)
        session().prompter().message(error(), added.error());
    if (OwnedRowsPanel *rows = documentRows())
        rows->rowsChanged();
}

void InvoiceWindow::addRow(const std::function<core::Result<qint64>()> &add)
{
    const core::Result<qint64> added = add();
    if (!added) {
        session().prompter().message(error(), added.error());
        return;
    }
    if (OwnedRowsPanel *rows = documentRows())
        rows->openRow(*added, true);
}

void InvoiceWindow::addTransportCosts()
{
    addRow([this] { return addCostRow(*session().archive(), key(), CostRow::Transport, session().today()); });
}

void InvoiceWindow::addCollectionCosts()
{
    addRow(
        [this] { return addCostRow(*session().archive(), key(), CostRow::Collection, session().today()); });
}

void InvoiceWindow::addFreeArticle()
{
    addRow([this] { return invoicing::addFreeArticle(*session().archive(), key(), session().today()); });
}

void InvoiceWindow::openTariffOfRow()
{
    OwnedRowsPanel *rows = this->rows(QStringLiteral("fattdett"));
    const std::optional<qint64> row = rows ? rows->currentKey() : std::nullopt;
    if (!row)
        return;
    const core::Result<QVariant> tariff =
        session().archive()->scalar(QStringLiteral("SELECT Articolo_ID FROM fattdett WHERE IDX = ?"), {*row});
    if (!tariff || !RecordChecks::hasValue(*tariff)) {
        session().prompter().message(warning(),
                                     QStringLiteral("Attenzione la riga non proviene da una tariffa"));
        return;
    }
    windows().open(QStringLiteral("TForm3"), session(), this,
                   {{QStringLiteral("chiave"), tariff->toLongLong()}, {QStringLiteral("nuovo"), false}});
}

void InvoiceWindow::showCashBook()
{
    const core::Result<bool> mirror = mirrorsInCashBook(*session().archive());
    const core::Result<QVariant> entries = session().archive()->scalar(
        QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Tipo = ? AND Fattura_ID = ?"),
        {m_dueDates.entryCode, key()});
    if (!mirror || !*mirror || !entries || entries->toInt() == 0) {
        session().prompter().message(
            warning(), isCreditNote() ? QStringLiteral("La nota di credito non ha movimenti in prima nota")
                                      : QStringLiteral("La fattura non ha movimenti in prima nota"));
        return;
    }
    windows().open(QStringLiteral("TfrmPrimaNotaDocumento"), session(), this,
                   {{QStringLiteral("fattura"), key()}, {QStringLiteral("tipo"), m_dueDates.entryCode}});
}

void InvoiceWindow::findCreditedInvoice()
{
    const QVariant customer = form().values().value(QStringLiteral("Cliente_ID"));
    if (!RecordChecks::hasValue(customer)) {
        session().prompter().message(error(), noCustomerForInvoiceMessage());
        pages()->setCurrentIndex(0);
        if (QWidget *field = form().editor(QStringLiteral("Cliente_ID")))
            field->setFocus();
        return;
    }
    const QVariant chosen = windows().choose(QStringLiteral("TfrmTrovaFattura"), session(), this,
                                             {{QStringLiteral("cliente"), customer.toLongLong()}});
    if (!RecordChecks::hasValue(chosen))
        return;
    if (form().isDirty() && !quietSave())
        return;
    if (core::Status set = setCreditedInvoice(*session().archive(), key(), chosen.toLongLong()); !set) {
        session().prompter().message(error(), set.error());
        return;
    }
    form().refresh({QStringLiteral("NCFattIDRif"), QStringLiteral("NCFattNumRif"),
                    QStringLiteral("NCFattDataRif"), QStringLiteral("NCFatSerieRif"),
                    QStringLiteral("Agente_id")});
}

void InvoiceWindow::importCreditedRows()
{
    if (form().isDirty() && !quietSave())
        return;
    const core::Result<int> imported = invoicing::importCreditedRows(*session().archive(), key());
    if (!imported) {
        session().prompter().message(error(), imported.error());
        return;
    }
    rowsChanged();
    describeCreditedRows();
    session().prompter().message(QStringLiteral("Messaggio di Conferma"), importedMessage());
    warnOfOverCredit();
}

void InvoiceWindow::recomputeTotals()
{
    if (form().isDirty() && !quietSave())
        return;
    if (core::Status done = invoicing::recomputeTotals(*session().archive(), key()); !done)
        session().prompter().message(error(), done.error());
    rowsChanged();
    describeCreditedRows();
}

void InvoiceWindow::describeCreditedRows()
{
    OwnedRowsPanel *rows = documentRows();
    if (!rows)
        return;
    const QVariantMap values = form().values();
    const QVariant number = values.value(QStringLiteral("NCFattNumRif"));
    const QString invoice =
        RecordChecks::hasValue(number)
            ? QStringLiteral("Fattura di riferimento n° %1 del %2")
                  .arg(number.toString(), core::datetext::formatShortDate(
                                              values.value(QStringLiteral("NCFattDataRif")).toDate()))
            : QStringLiteral("Nessuna fattura di riferimento");
    rows->setTitle(
        QStringLiteral("%1  -  Totale Nota Credito: %2")
            .arg(invoice, core::formatItalianNumber(values.value(QStringLiteral("TotFattura")).toDouble())));
}

void InvoiceWindow::warnOfOverCredit()
{
    const core::Result<std::optional<QString>> told = overCreditWarning(*session().archive(), key());
    if (told && told->has_value())
        session().prompter().message(warning(), **told);
}

void InvoiceWindow::exportXml()
{
    // The transmission number names the file: without it the user is taken to it.
    const QString progressive = QStringLiteral("DatiTrasmissione_ProgressivoInvio");
    if (form().values().value(progressive).toString().trimmed().isEmpty()) {
        session().prompter().message(
            error(), QStringLiteral("Attenzione manca il numero progressivo di trasmissione"));
        pages()->setCurrentIndex(0);
        if (QWidget *field = form().editor(progressive))
            field->setFocus();
        return;
    }
    // An invoice that leaves as a file is a real one: it passes its checks and "Annulla" no longer
    // takes it away.
    if (!save())
        return;
    if (windows().open(QString::fromLatin1(exportXmlCommand), session(), this,
                       {{QStringLiteral("chiave"), key()}}))
        form().refresh(
            {QStringLiteral("EsportatoXml"), QStringLiteral("DatiTrasmissione_FormatoTrasmissione")});
}

void InvoiceWindow::viewXml()
{
    // The dialog stands on this invoice's own file when it was exported into the usual folder.
    const core::Result<QVariant> folder = session().archive()->scalar(
        QStringLiteral("SELECT CartellaEsportazioneFattureElettroniche FROM opzioni ORDER BY ID LIMIT 1"));
    QString proposed = folder ? folder->toString().trimmed() : QString();
    if (const core::Result<EInvoiceSource> source = readEInvoiceSource(*session().archive(), key());
        source && !proposed.isEmpty()) {
        const QString own = QDir(proposed).filePath(eInvoiceFileName(*source));
        if (QFileInfo::exists(own))
            proposed = own;
    }
    const QString file =
        session().prompter().openFile(QStringLiteral("Scegli la fattura elettronica"), proposed,
                                      QStringLiteral("Fatture elettroniche (*.xml *.p7m)"));
    if (!file.isEmpty())
        (void)shell::ReportService(session()).showElectronicInvoice(file);
}

void InvoiceWindow::print()
{
    if (form().isDirty() && !quietSave())
        return;
    shell::ReportContext context;
    context.key = key();
    shell::ReportService(session()).print(isCreditNote() ? 4 : 8, context);
}

} // namespace rotalina::invoicing::ui
