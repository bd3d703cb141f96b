#include "purchases/ui/purchasewindows.h"

#include "core/datetext.h"
#include "core/numbertext.h"
#include "invoicing/instalments.h"
#include "purchases/purchasedocument.h"
#include "purchases/ui/accountswindows.h"
#include "purchases/ui/cashbookprintwindows.h"
#include "purchases/ui/cashbookwindows.h"
#include "purchases/ui/einvoiceimportwindow.h"
#include "purchases/ui/vatsettlementwindows.h"
#include "shell/desktop.h"
#include "shell/historyselection.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordchooser.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::purchases::ui {

using shell::RecordChecks;
using shell::Session;
using shell::titles::error;
using shell::titles::warning;
using shell::ui::AmountBox;
using shell::ui::LookupBox;
using shell::ui::OwnedRowsPanel;
using shell::ui::RegistryCardWindow;
using shell::ui::WindowRegistry;

namespace {

// The row editor's own rules: the net and the amount with VAT follow the amounts, the unit value can
// be found from the amount with VAT.
void addRowEditorRules(RegistryCardWindow &window, Session &session, PurchaseDocument document)
{
    const PurchaseRowTable &table = rowTableOf(document);
    shell::ui::RecordForm &form = window.card().form();
    const auto number = [&form](const QString &field) {
        return form.values().value(field).toDouble();
    };
    const auto discounts = [number] {
        return Discounts{number(QStringLiteral("Sconto")), number(QStringLiteral("Sconto2")),
                         number(QStringLiteral("Sconto3")), number(QStringLiteral("Sconto4"))};
    };
    const auto recompute = [&form, &table, number, discounts] {
        const double net =
            purchaseRowNet(number(table.quantity), number(QStringLiteral("ValoreUnitario")), discounts());
        form.setValue(QStringLiteral("TotaleImponibile"), net);
        form.setValue(table.gross, purchaseRowGross(net, number(QStringLiteral("AliquotaIva"))));
    };
    for (const QString &field :
         {table.quantity, QStringLiteral("ValoreUnitario"), QStringLiteral("Sconto"),
          QStringLiteral("Sconto2"), QStringLiteral("Sconto3"), QStringLiteral("Sconto4")}) {
        if (auto *box = qobject_cast<AmountBox *>(form.editor(field)))
            QObject::connect(box, &AmountBox::editingFinished, &window, recompute);
    }
    if (auto *vat = qobject_cast<LookupBox *>(form.editor(table.vat)))
        QObject::connect(vat, &LookupBox::chosen, &window, recompute);
    auto *fromGross = shell::ui::makeButton(&window, "btnCalcolaValoreUnitario", "Calcola il Valore Unitario",
                                            "Calcola il Valore Unitario dal Valore Totale");
    const QString missingGross =
        document == PurchaseDocument::CreditNote
            ? QStringLiteral("Attenzione Inserire il Valore Ivato prima di calcolare il valore unitario")
            : QStringLiteral("Attenzione Inserire il Prezzo finale");
    QObject::connect(fromGross, &QPushButton::clicked, &window,
                     [&session, &form, &table, number, discounts, missingGross] {
                         const QVariant gross = form.values().value(table.gross);
                         if (!RecordChecks::hasValue(gross) || gross.toDouble() == 0) {
                             session.prompter().message(warning(), missingGross);
                             return;
                         }
                         const std::optional<double> unit =
                             purchaseUnitValue(gross.toDouble(), number(QStringLiteral("AliquotaIva")),
                                               discounts(), number(table.quantity));
                         if (!unit) {
                             session.prompter().message(warning(), noUnitValueMessage());
                             return;
                         }
                         form.setValue(QStringLiteral("ValoreUnitario"), *unit);
                         form.setValue(QStringLiteral("TotaleImponibile"),
                                       purchaseRowNet(number(table.quantity), *unit, discounts()));
                     });
    if (QWidget *grossEditor = form.editor(table.gross))
        shell::ui::FormPage::placeBeside(grossEditor, fromGross);
}

const shell::RegistryDescriptor &listOf(PurchaseDocument document)
{
    return document == PurchaseDocument::CreditNote ? purchaseCreditNotesRegistry()
                                                    : purchaseInvoicesRegistry();
}

} // namespace

PurchaseListWindow::PurchaseListWindow(Session &session, const WindowRegistry &windows,
                                       PurchaseDocument document, const QVariantMap &parameters,
                                       QWidget *parent)
    : RegistryListWindow(session, listOf(document), windows, parent,
                         shell::documentListScope(parameters, QStringLiteral("DataRegistrazione"))),
      m_document(document), m_history(shell::isHistoryView(parameters)), m_totals(new QLabel(this))
{
    filterBar()->addDateFrom(QStringLiteral("Data"), QStringLiteral("Dalla Data"),
                             QStringLiteral("maskDaData"));
    filterBar()->addDateTo(QStringLiteral("Data"), QStringLiteral("alla Data"), QStringLiteral("maskAData"));
    if (document == PurchaseDocument::CreditNote) {
        filterBar()->addNumber(QStringLiteral("ProgressivoCarico"), QStringLiteral("Progressivo"),
                               QStringLiteral("edtProgressivo"));
        filterBar()->addDateFrom(QStringLiteral("DataRegistrazione"), QStringLiteral("Registrate dal"),
                                 QStringLiteral("maskDaDataRegistrazione"));
        filterBar()->addDateTo(QStringLiteral("DataRegistrazione"), QStringLiteral("al"),
                               QStringLiteral("maskADataRegistrazione"));
    }
    setWindowTitle(shell::documentListCaption(windowTitle(), parameters));
    if (m_history) {
        if (auto *add = findChild<QPushButton *>(QStringLiteral("spdInserisci")))
            add->hide();
    }
    m_totals->setObjectName(QStringLiteral("lblTotali"));
    m_totals->setAlignment(Qt::AlignRight);
    // Under the grid, before the buttons.
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    layout->insertWidget(layout->indexOf(grid()) + 1, m_totals);
    connect(this, &RegistryListWindow::listReloaded, this, &PurchaseListWindow::showTotals);
    showTotals();
    // Room for every filter field with its whole date.
    resize(std::max(width(), document == PurchaseDocument::CreditNote ? 1120 : 900), height());
}

core::Result<qint64> PurchaseListWindow::createRow()
{
    if (m_history)
        return core::Result<qint64>::failure(QStringLiteral(
            "Attenzione nello storico non si aggiungono documenti: aprire l'elenco dalla pagina "
            "Documenti Fornitori"));
    NewPurchase request;
    request.today = session().today();
    request.document = m_document;
    return createPurchase(*session().archive(), request);
}

void PurchaseListWindow::showTotals()
{
    double taxable = 0;
    double total = 0;
    const storage::RecordListModel &rows = records();
    for (int row = 0; row < rows.rowCount(); ++row) {
        taxable += rows.value(row, QStringLiteral("TotImponibile")).toDouble();
        total += rows.value(row, QStringLiteral("TotFattura")).toDouble();
    }
    const bool creditNotes = m_document == PurchaseDocument::CreditNote;
    const QString counted =
        rows.rowCount() == 1
            ? (creditNotes ? QStringLiteral("1 nota di credito") : QStringLiteral("1 fattura"))
            : (creditNotes ? QStringLiteral("%1 note di credito") : QStringLiteral("%1 fatture"))
                  .arg(rows.rowCount());
    m_totals->setText(
        QStringLiteral("%1   Imponibile: %2   Totale: %3")
            .arg(counted, core::formatItalianNumber(taxable), core::formatItalianNumber(total)));
}

PurchaseWindow::PurchaseWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                               QWidget *parent, PurchaseDocument document)
    : DocumentWindow(session,
                     document == PurchaseDocument::CreditNote ? purchaseCreditNoteDocument()
                                                              : purchaseInvoiceDocument(),
                     windows, key, isNew, parent),
      m_document(document)
{
    QPushButton *cashBook =
        shell::ui::makeButton(this, "spdPrimaNota", "prima nota", "Visualizza in prima nota");
    addToolButton(cashBook);
    connect(cashBook, &QPushButton::clicked, this, &PurchaseWindow::showCashBook);

    if (auto *supplier = qobject_cast<LookupBox *>(form().editor(QStringLiteral("Fornitore_ID")))) {
        connect(supplier, &LookupBox::chosen, this, &PurchaseWindow::supplierChosen);
        connect(supplier, &LookupBox::cleared, this, [this] { supplierChosen(QVariant()); });
    }
    if (auto *mode = qobject_cast<LookupBox *>(form().editor(QStringLiteral("ModPagamento_Id")))) {
        connect(mode, &LookupBox::chosen, this, &PurchaseWindow::paymentModeChanged);
        connect(mode, &LookupBox::cleared, this, &PurchaseWindow::paymentModeChanged);
    }
    if (auto *bank = qobject_cast<LookupBox *>(form().editor(QStringLiteral("Banca_ID")))) {
        connect(bank, &LookupBox::chosen, this, &PurchaseWindow::bankChanged);
        connect(bank, &LookupBox::cleared, this, [this] { bankChanged(QVariant()); });
    }
    // The warnings about numbers already registered, as the user leaves the fields they read.
    if (auto *progressive = qobject_cast<AmountBox *>(form().editor(QStringLiteral("ProgressivoCarico"))))
        connect(progressive, &AmountBox::editingFinished, this,
                [this] { warnOfDuplicates({DuplicateCheck::Progressive}); });
    if (auto *registered =
            qobject_cast<shell::ui::DateBox *>(form().editor(QStringLiteral("DataRegistrazione"))))
        connect(registered, &shell::ui::DateBox::left, this,
                [this] { warnOfDuplicates({DuplicateCheck::SupplierNumber}); });
    if (auto *number = qobject_cast<QLineEdit *>(form().editor(QStringLiteral("NumeroCarico"))))
        connect(number, &QLineEdit::editingFinished, this, [this] {
            warnOfDuplicates({DuplicateCheck::SupplierNumber, DuplicateCheck::NumberAndDate});
        });
    if (auto *dated = qobject_cast<shell::ui::DateBox *>(form().editor(QStringLiteral("Data"))))
        connect(dated, &shell::ui::DateBox::left, this,
                [this] { warnOfDuplicates({DuplicateCheck::NumberAndDate}); });
    // A new withholding tax changes the total: it is saved at once, and the totals follow.
    if (auto *withholding = qobject_cast<AmountBox *>(form().editor(QStringLiteral("RitenutaAcconto"))))
        connect(withholding, &AmountBox::editingFinished, this, [this] {
            if (form().isDirty() && quietSave())
                rowsChanged();
        });

    if (QWidget *image = form().editor(QStringLiteral("Immagine"))) {
        auto *pair = new QWidget(this);
        auto *row = new QHBoxLayout(pair);
        row->setContentsMargins(0, 0, 0, 0);
        QPushButton *find =
            shell::ui::makeButton(pair, "spdCercaImmagine", "…", "Cerca l'immagine della fattura");
        QPushButton *view = shell::ui::makeButton(pair, "spdVedi", "Vedi", "Apre l'immagine della fattura");
        row->addWidget(find);
        row->addWidget(view);
        shell::ui::FormPage::placeBeside(image, pair);
        connect(find, &QPushButton::clicked, this, &PurchaseWindow::chooseImage);
        connect(view, &QPushButton::clicked, this, &PurchaseWindow::showImage);
    }
    if (document == PurchaseDocument::CreditNote)
        addCreditedInvoiceButtons();
    if (OwnedRowsPanel *rows = this->rows(rowTableOf(document).table)) {
        QPushButton *transport = shell::ui::makeButton(this, "SpeedButton3", "Spese di Trasporto");
        QPushButton *collection = shell::ui::makeButton(this, "SpeedButton25", "Spese di Incasso");
        rows->addButton(transport);
        rows->addButton(collection);
        connect(transport, &QPushButton::clicked, this, [this] { addCost(PurchaseCost::Transport); });
        connect(collection, &QPushButton::clicked, this, [this] { addCost(PurchaseCost::Collection); });
    }
    if (OwnedRowsPanel *dueDates = rows(QStringLiteral("FatturaScadenze")))
        dueDates->grid()->setToolTip(QStringLiteral("Le righe azzurre sono state già pagate"));
    // The rows wait for the supplier's number and the progressive.
    connect(pages(), &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 0)
            return;
        const QVariantMap values = form().values();
        const char *missing = nullptr;
        if (values.value(QStringLiteral("NumeroCarico")).toString().trimmed().isEmpty())
            missing = "Attenzione: Prima di inserire le righe è necessario salvare il numero di Fattura di "
                      "Acquisto!!!";
        else if (!RecordChecks::hasValue(values.value(QStringLiteral("ProgressivoCarico"))))
            missing = "Attenzione: Prima di inserire le righe è necessario salvare il numero progressivo !!!";
        if (!missing)
            return;
        this->session().prompter().message(QStringLiteral("Messaggio di Avviso!!"),
                                           QString::fromUtf8(missing));
        pages()->setCurrentIndex(0);
    });
}

void PurchaseWindow::supplierChosen(const QVariant &supplier)
{
    const core::Result<QVariantMap> values = supplierChoice(*session().archive(), supplier);
    if (!values) {
        session().prompter().message(error(), values.error());
        return;
    }
    for (auto it = values->cbegin(); it != values->cend(); ++it)
        form().setValue(it.key(), it.value());
    warnOfDuplicates({DuplicateCheck::SupplierNumber});
    paymentModeChanged();
}

void PurchaseWindow::paymentModeChanged()
{
    // The save makes the due dates again; instalments recorded as paid stay unless the user says so.
    form().setDirty();
    if (!quietSave())
        return;
    storage::Archive &archive = *session().archive();
    const invoicing::DueDateKind &kind = dueDatesOf(m_document);
    const core::Result<int> paid = invoicing::paidInstalmentCount(archive, key(), kind);
    if (paid && *paid > 0 &&
        session().prompter().ask(
            warning(), *paid == 1
                           ? QStringLiteral("Attenzione la fattura ha una scadenza già pagata: la si vuole "
                                            "eliminare insieme al suo movimento in prima nota ?")
                           : QStringLiteral("Attenzione la fattura ha %1 scadenze già pagate: le si vuole "
                                            "eliminare insieme ai loro movimenti in prima nota ?")
                                 .arg(*paid))) {
        const QVariant mode = form().values().value(QStringLiteral("ModPagamento_Id"));
        const core::Status done =
            RecordChecks::hasValue(mode)
                ? invoicing::generateDueDates(archive, key(), invoicing::DueDateMode::NewDates,
                                              invoicing::PaidInstalments::Delete, kind)
                : invoicing::clearDueDates(archive, key(), invoicing::PaidInstalments::Delete, kind);
        if (!done)
            session().prompter().message(error(), done.error());
    }
    rowsChanged();
}

void PurchaseWindow::bankChanged(const QVariant &bank)
{
    if (core::Status changed = invoicing::setDueDatesBank(*session().archive(), key(), bank); !changed)
        session().prompter().message(error(), changed.error());
    rowsChanged();
}

void PurchaseWindow::warnOfDuplicate(DuplicateCheck check)
{
    const core::Result<std::optional<QString>> told =
        duplicateWarning(*session().archive(), check, key(), form().values(), m_document);
    if (!told)
        session().prompter().message(error(), told.error());
    else if (told->has_value())
        session().prompter().message(duplicateWarningTitle(), **told);
}

void PurchaseWindow::warnOfDuplicates(std::initializer_list<DuplicateCheck> checks)
{
    for (const DuplicateCheck check : checks)
        warnOfDuplicate(check);
}

void PurchaseWindow::chooseImage()
{
    const QFileInfo previous(form().values().value(QStringLiteral("Immagine")).toString().trimmed());
    const QString file = session().prompter().openFile(
        QStringLiteral("Cerca l'immagine della fattura"), previous.absolutePath(),
        QStringLiteral(
            "Tutti i tipi di immagini (*.png *.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.pdf);;Tutti i file "
            "(*)"));
    if (!file.isEmpty())
        form().setValue(QStringLiteral("Immagine"), QFileInfo(file).absoluteFilePath());
}

void PurchaseWindow::showImage()
{
    const QString path = form().values().value(QStringLiteral("Immagine")).toString().trimmed();
    if (path.isEmpty()) {
        session().prompter().message(warning(), QStringLiteral("Attenzione manca il percorso dell'immagine"));
        return;
    }
    if (!QFileInfo::exists(path)) {
        session().prompter().message(error(), QStringLiteral("Il file: %1 non esiste più!!!").arg(path));
        return;
    }
    session().desktop().openUrl(QUrl::fromLocalFile(path));
}

void PurchaseWindow::addCost(PurchaseCost cost)
{
    if (form().isDirty() && !quietSave())
        return;
    if (const core::Result<qint64> added =
            addPurchaseCostRow(*session().archive(), key(), cost, session().today());
        !added)
        session().prompter().message(error(), added.error());
    rowsChanged();
}

void PurchaseWindow::showCashBook()
{
    const core::Result<bool> mirror = invoicing::mirrorsInCashBook(*session().archive());
    const QString kind = dueDatesOf(m_document).entryCode;
    const core::Result<QVariant> entries = session().archive()->scalar(
        QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Tipo = ? AND Fattura_ID = ?"), {kind, key()});
    if (!mirror || !*mirror || !entries || entries->toInt() == 0) {
        session().prompter().message(warning(),
                                     m_document == PurchaseDocument::CreditNote
                                         ? QStringLiteral("La nota di credito non ha movimenti in prima nota")
                                         : QStringLiteral("La fattura non ha movimenti in prima nota"));
        return;
    }
    windows().open(QStringLiteral("TfrmPrimaNotaDocumento"), session(), this,
                   {{QStringLiteral("fattura"), key()}, {QStringLiteral("tipo"), kind}});
}

void PurchaseWindow::addCreditedInvoiceButtons()
{
    QWidget *number = form().editor(QStringLiteral("NCFattNumRifCarico"));
    if (!number)
        return;
    auto *pair = new QWidget(this);
    auto *row = new QHBoxLayout(pair);
    row->setContentsMargins(0, 0, 0, 0);
    QPushButton *find = shell::ui::makeButton(pair, "spdTrovaFattura", "Trova Fattura",
                                              "Sceglie la fattura di acquisto stornata");
    QPushButton *import = shell::ui::makeButton(pair, "btnImporta", "Importa",
                                                "Copia nella nota di credito le righe della fattura");
    row->addWidget(find);
    row->addWidget(import);
    shell::ui::FormPage::placeBeside(number, pair);
    connect(find, &QPushButton::clicked, this, &PurchaseWindow::findCreditedInvoice);
    connect(import, &QPushButton::clicked, this, &PurchaseWindow::importCreditedRows);
}

void PurchaseWindow::findCreditedInvoice()
{
    const QVariant supplier = form().values().value(QStringLiteral("Fornitore_ID"));
    if (!RecordChecks::hasValue(supplier)) {
        session().prompter().message(error(), noSupplierForInvoiceMessage());
        pages()->setCurrentIndex(0);
        if (QWidget *field = form().editor(QStringLiteral("Fornitore_ID")))
            field->setFocus();
        return;
    }
    const QVariant chosen = windows().choose(QStringLiteral("TfrmTrovaFatturaAcquisto"), session(), this,
                                             {{QStringLiteral("fornitore"), supplier.toLongLong()}});
    if (!RecordChecks::hasValue(chosen))
        return;
    if (form().isDirty() && !quietSave())
        return;
    if (core::Status set = setCreditedPurchase(*session().archive(), key(), chosen.toLongLong()); !set) {
        session().prompter().message(error(), set.error());
        return;
    }
    form().refresh({QStringLiteral("NCFattIDRif"), QStringLiteral("NCFattNumRifCarico"),
                    QStringLiteral("NCFattDataRif")});
}

void PurchaseWindow::importCreditedRows()
{
    if (form().isDirty() && !quietSave())
        return;
    const core::Result<int> imported = importCreditedPurchaseRows(*session().archive(), key());
    if (!imported) {
        session().prompter().message(error(), imported.error());
        return;
    }
    rowsChanged();
    form().refresh({QStringLiteral("Note")}); // it names the invoice now
    session().prompter().message(QStringLiteral("Messaggio di Conferma"),
                                 QStringLiteral("Importazione avvenuta con successo !"));
}

void registerPurchaseWindows(WindowRegistry &windows)
{
    for (const PurchaseDocument document : {PurchaseDocument::Invoice, PurchaseDocument::CreditNote}) {
        const shell::RegistryDescriptor &list = listOf(document);
        windows.add(list.listWindow, list.helpContext,
                    [&windows, document](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new PurchaseListWindow(session, windows, document, parameters, parent);
                    });
        windows.add(list.cardWindow, list.helpContext,
                    [&windows, document](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new PurchaseWindow(
                            session, windows, parameters.value(QStringLiteral("chiave")).toLongLong(),
                            parameters.value(QStringLiteral("nuovo")).toBool(), parent, document);
                    });
        const shell::RegistryDescriptor &rows = document == PurchaseDocument::CreditNote
                                                    ? purchaseCreditNoteRowsRegistry()
                                                    : purchaseInvoiceRowsRegistry();
        windows.add(
            rows.cardWindow, rows.helpContext,
            [&windows, &rows, document](Session &session, const QVariantMap &parameters, QWidget *parent) {
                auto *window = new RegistryCardWindow(
                    session, rows, windows, parameters.value(QStringLiteral("chiave")).toLongLong(),
                    parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                addRowEditorRules(*window, session, document);
                window->resize(980, 0);
                return window;
            });
    }
    registerCashBookWindows(windows);
    registerCashBookPrintWindows(windows);
    registerAccountsWindows(windows);
    registerVatSettlementWindows(windows);
    windows.addCommand(QStringLiteral("ImportaFatturaElettronica"),
                       [&windows](Session &session, const QVariantMap &, QWidget *parent) {
                           importElectronicInvoices(session, windows, parent);
                       });
    // "Trova la Fattura di Acquisto": the purchase invoices (of one supplier, when given), newest first.
    windows.add(QStringLiteral("TfrmTrovaFatturaAcquisto"), 3100,
                [](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    const QVariant supplier = parameters.value(QStringLiteral("fornitore"));
                    const bool ofOneSupplier = RecordChecks::hasValue(supplier);
                    shell::ui::ChooserDescription finder;
                    finder.window = QStringLiteral("TfrmTrovaFatturaAcquisto");
                    finder.caption = QStringLiteral("Trova la Fattura di Acquisto");
                    finder.helpContext = 3100;
                    finder.grid = QStringLiteral("frmTrovaFatturaAcquisto");
                    finder.statement = creditablePurchasesStatement(ofOneSupplier);
                    if (ofOneSupplier)
                        finder.parameters = {supplier.toLongLong()};
                    finder.columns = {
                        {QStringLiteral("DataRegistrazione"), QStringLiteral("Data Registrazione"), 110},
                        {QStringLiteral("ProgressivoCarico"), QStringLiteral("n° Progressivo"), 90},
                        {QStringLiteral("Data"), QStringLiteral("Data"), 90},
                        {QStringLiteral("NumeroCarico"), QStringLiteral("Numero"), 100},
                        {QStringLiteral("Fornitore"), QStringLiteral("Fornitore"), 220}};
                    finder.filterField = QStringLiteral("Fornitore");
                    finder.filterCaption = QStringLiteral("Fornitore");
                    finder.nothingToChoose = QStringLiteral("Non ci sono fatture di acquisto da stornare.");
                    return new shell::ui::RecordChooser(session, finder, parent);
                });
}

} // namespace rotalina::purchases::ui
