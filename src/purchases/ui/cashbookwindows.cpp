#include "purchases/ui/cashbookwindows.h"

#include "core/numbertext.h"
#include "shell/historyselection.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace rotalina::purchases::ui {

using shell::Session;
using shell::titles::error;
using shell::titles::warning;
using shell::ui::DateBox;
using shell::ui::FilterBar;
using shell::ui::LookupBox;
using shell::ui::RegistryCardWindow;
using shell::ui::RegistryListWindow;
using shell::ui::WindowRegistry;

namespace {

// Which rows the cash book lists: one document's entries (read-only), a period of the history, or
// this year's.
shell::ListScope cashBookScope(const QVariantMap &parameters, const QDate &today)
{
    if (parameters.contains(QStringLiteral("scadenza")))
        return {QStringLiteral("finanzia.FatturaScadenze_Id = ?"),
                {parameters.value(QStringLiteral("scadenza"))}};
    if (parameters.contains(QStringLiteral("fattura")))
        return {QStringLiteral("finanzia.Tipo = ? AND finanzia.Fattura_ID = ?"),
                {parameters.value(QStringLiteral("tipo"), QStringLiteral("1")),
                 parameters.value(QStringLiteral("fattura"))}};
    if (shell::isHistoryView(parameters))
        return shell::historyScope(QStringLiteral("finanzia.Data"),
                                   parameters.value(QStringLiteral("parametri")).toList());
    return currentCashBookScope(today);
}

bool ofOneDocument(const QVariantMap &parameters)
{
    return parameters.contains(QStringLiteral("scadenza")) || parameters.contains(QStringLiteral("fattura"));
}

QLabel *totalLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(110);
    return label;
}

// The view's condition as the main window gives it (" WHERE ..."), without its keyword; the
// program's own text, never the user's.
shell::ListScope bookViewScope(const QString &condition)
{
    QString where = condition.trimmed();
    if (where.startsWith(QStringLiteral("WHERE "), Qt::CaseInsensitive))
        where = where.mid(6);
    return {where, {}};
}

QString amount(double value)
{
    return core::formatItalianNumber(value, 2);
}

// A grid of the cumulative payment: the program's grid (titles that sort, a layout kept per
// workstation) with the instalments' columns.
shell::ui::DataGrid *instalmentGrid(QWidget *parent, const char *name, storage::RecordListModel &records)
{
    auto *grid = new shell::ui::DataGrid(QStringLiteral("frmPagaFatture_") + QLatin1String(name), parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setRecords(&records);
    grid->setDesign({{QStringLiteral("DataScadenza"), QStringLiteral("Data Scadenza"), 95},
                     {QStringLiteral("Operazione"), QStringLiteral("Operazione"), 260},
                     {QStringLiteral("Importo"), QStringLiteral("Importo"), 90},
                     {QStringLiteral("DataFattura"), QStringLiteral("Data Fattura"), 90},
                     {QStringLiteral("NumeroFattura"), QStringLiteral("N° Fattura"), 80},
                     {QStringLiteral("ModPagamento"), QStringLiteral("Mod. Pagamento"), 140}});
    grid->setWordWrap(false);
    return grid;
}

} // namespace

CashBookWindow::CashBookWindow(Session &session, const WindowRegistry &windows, const QVariantMap &parameters,
                               QWidget *parent)
    : RegistryListWindow(session, cashBookRegistry(), windows, parent,
                         cashBookScope(parameters, session.today())),
      m_kinds(new QButtonGroup(this)), m_income(totalLabel(this, "lblEntrate")),
      m_spending(totalLabel(this, "lblUscite")), m_difference(totalLabel(this, "lblTotale")),
      m_balance(totalLabel(this, "lblSaldo"))
{
    setWindowTitle(shell::documentListCaption(QStringLiteral("Prima nota"), parameters));
    FilterBar *filters = filterBar();
    filters->addText(QStringLiteral("finanzia.Operazione"), QStringLiteral("Operazione"),
                     QStringLiteral("txtOperazione"), FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("finanzia.Note"), QStringLiteral("Note"), QStringLiteral("txtNote"),
                     FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("Clienti.NominativoVisualizzato"), QStringLiteral("Cliente"),
                     QStringLiteral("Edit1"), FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("Fornitor.Fornitore"), QStringLiteral("Fornitore"),
                     QStringLiteral("Edit2"), FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("ModPagamento.Descrizione"), QStringLiteral("Mod. Pagam."),
                     QStringLiteral("Edit3"), FilterBar::Match::BeginsWith);
    filters->startRow();
    filters->addDateFrom(QStringLiteral("finanzia.Data"), QStringLiteral("Dalla Data"),
                         QStringLiteral("maskDaData"));
    m_until = filters->addDateTo(QStringLiteral("finanzia.Data"), QStringLiteral("alla Data"),
                                 QStringLiteral("maskAData"));
    QList<QPair<QVariant, QString>> banks{{QVariant(), QString()}};
    if (const core::Result<storage::Archive::Rows> read = session.archive()->readRows(
            QStringLiteral("SELECT Id, COALESCE(Iban, Banca) FROM Bank ORDER BY Banca"));
        read) {
        for (const QVariantList &row : read->values)
            banks.append({row.value(0), row.value(1).toString()});
    }
    m_bank = filters->addChoice(QStringLiteral("finanzia.Banca_ID"), QStringLiteral("Iban"), banks,
                                QStringLiteral("cmbIban"));
    const QList<std::pair<CashKind, const char *>> kinds{{CashKind::Cash, "Cassa"},
                                                         {CashKind::Bank, "Banca"},
                                                         {CashKind::Outside, "Fuori Cassa"},
                                                         {CashKind::All, "Tutti"}};
    for (const auto &[kind, caption] : kinds) {
        auto *button = new QRadioButton(QString::fromUtf8(caption), this);
        button->setObjectName(QStringLiteral("rdb") + QString::fromUtf8(caption).remove(u' '));
        m_kinds->addButton(button, static_cast<int>(kind));
        filters->addWidget(button);
    }
    m_kinds->button(static_cast<int>(CashKind::All))->setChecked(true);
    connect(m_kinds, &QButtonGroup::idClicked, this, [this] { reload(); });
    QPushButton *search = shell::ui::makeButton(this, "BitBtn2", "cerca", "Applica i filtri");
    QPushButton *reset = shell::ui::makeButton(this, "BitBtn3", "reset", "Toglie tutti i filtri");
    connect(search, &QPushButton::clicked, this, [this] { reload(); });
    connect(reset, &QPushButton::clicked, this, [this] {
        clearFilters();
        reload();
    });
    filters->addWidget(search);
    filters->addWidget(reset);

    auto *totals = new QGroupBox(QStringLiteral("Totali"), this);
    auto *row = new QHBoxLayout(totals);
    for (const auto &[caption, label] :
         {std::pair("Totale Entrate", m_income), std::pair("Totale Uscite", m_spending),
          std::pair("Totale", m_difference), std::pair("Saldo", m_balance)}) {
        row->addWidget(new QLabel(QString::fromUtf8(caption), totals));
        row->addWidget(label);
    }
    m_balance->setToolTip(QStringLiteral("Saldo iniziale della prima nota (o della banca scelta) e tutti i "
                                         "movimenti fino all'ultimo giorno dell'elenco"));
    row->addStretch(1);
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    layout->insertWidget(layout->indexOf(grid()) + 1, totals);
    if (ofOneDocument(parameters) || shell::isHistoryView(parameters)) {
        for (const char *hidden : {"spdInserisci", "spdElimina"})
            if (auto *button = findChild<QPushButton *>(QLatin1String(hidden)))
                button->hide();
    }
    connect(this, &RegistryListWindow::listReloaded, this, &CashBookWindow::showTotals);
    reload();
    resize(std::max(width(), 1180), std::max(height(), 620));
}

CashKind CashBookWindow::kind() const
{
    return static_cast<CashKind>(m_kinds->checkedId() < 0 ? 0 : m_kinds->checkedId());
}

bool CashBookWindow::addListConditions(storage::ListFilter &filter)
{
    addCashBookConditions(filter, kind(), QVariant());
    return true;
}

void CashBookWindow::clearFilters()
{
    RegistryListWindow::clearFilters();
    filterBar()->clearAll();
    m_kinds->button(static_cast<int>(CashKind::All))->setChecked(true);
}

void CashBookWindow::showTotals()
{
    const storage::ListFilter *listed = listFilter();
    if (!listed)
        return;
    const std::optional<QDate> until = m_until->date();
    const core::Result<CashBookTotals> totals =
        cashBookTotals(*session().archive(), *listed, until.value_or(QDate()), m_bank->currentData());
    if (!totals) {
        session().prompter().message(error(), totals.error());
        return;
    }
    m_income->setText(amount(totals->income));
    m_spending->setText(amount(totals->spending));
    m_difference->setText(amount(totals->difference));
    m_balance->setText(amount(totals->balance));
}

DueDateBookWindow::DueDateBookWindow(Session &session, const WindowRegistry &windows, BookParty party,
                                     const QVariantMap &parameters, QWidget *parent)
    : RegistryListWindow(session, dueDateBookRegistry(party), windows, parent,
                         bookViewScope(parameters.value(QStringLiteral("condizione")).toString()))
{
    const QString caption = parameters.value(QStringLiteral("titolo")).toString();
    if (!caption.isEmpty())
        setWindowTitle(caption);
    FilterBar *filters = filterBar();
    filters->addDateFrom(QStringLiteral("FatturaScadenze.DataScadenza"), QStringLiteral("Dalla Scadenza"),
                         QStringLiteral("maskDallaScadenza"));
    filters->addDateTo(QStringLiteral("FatturaScadenze.DataScadenza"), QStringLiteral("alla Scadenza"),
                       QStringLiteral("maskAllaScadenza"));
    filters->addText(party == BookParty::Suppliers ? QStringLiteral("Fornitor.Fornitore")
                                                   : QStringLiteral("Clienti.NominativoVisualizzato"),
                     party == BookParty::Suppliers ? QStringLiteral("Fornitore") : QStringLiteral("Cliente"),
                     QStringLiteral("edtParte"), FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("ModPagamento.Descrizione"), QStringLiteral("Mod. Pagamento"),
                     QStringLiteral("edtModPagamento"), FilterBar::Match::BeginsWith);
    filters->startRow();
    filters->addText(QStringLiteral("FatturaScadenze.Dettagli"), QStringLiteral("Dettagli"),
                     QStringLiteral("edtDettagli"), FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("Bank.Iban"), QStringLiteral("Iban"), QStringLiteral("edtIban"),
                     FilterBar::Match::BeginsWith);
    // A customer's document by its number, a supplier's by the number the supplier gave it.
    if (party == BookParty::Suppliers)
        filters->addText(QStringLiteral("fattura.NumeroCarico"), QStringLiteral("N° Docum."),
                         QStringLiteral("edtNumeroDoc"), FilterBar::Match::BeginsWith);
    else
        filters->addNumber(QStringLiteral("fattura.Num"), QStringLiteral("N° Docum."),
                           QStringLiteral("edtNumeroDoc"));
    filters->addText(QStringLiteral("fattura.SerieFatturazione"), QStringLiteral("Serie Doc."),
                     QStringLiteral("edtSerieDoc"), FilterBar::Match::BeginsWith);
    // The filters act as they are typed; "reset" empties them all at once.
    QPushButton *reset = shell::ui::makeButton(this, "BitBtn3", "reset", "Toglie tutti i filtri");
    connect(reset, &QPushButton::clicked, this, [this] {
        clearFilters();
        filterBar()->clearAll();
        reload();
    });
    filters->addWidget(reset);
    grid()->setToolTip(QStringLiteral("Le righe rosse sono le operazioni già scadute!!!"));
    for (const char *hidden : {"spdInserisci"})
        if (auto *button = findChild<QPushButton *>(QLatin1String(hidden)))
            button->hide();
    reload();
    resize(std::max(width(), 1200), std::max(height(), 600));
}

void DueDateBookWindow::remove()
{
    const std::optional<qint64> key = records().keyAt(grid()->currentRow());
    if (!key)
        return;
    const bool paid =
        storage::sqlvalue::toDate(records().value(grid()->currentRow(), QStringLiteral("DataPagamento")))
            .isValid();
    if (paid && !session().prompter().ask(
                    warning(), QStringLiteral("Attenzione la scadenza risulta già pagata: eliminandola "
                                              "si elimina anche il suo pagamento in prima nota. Vuoi "
                                              "proseguire ?")))
        return;
    RegistryListWindow::remove();
}

CumulativePaymentWindow::CumulativePaymentWindow(Session &session, BookParty party, qint64 partyKey,
                                                 QWidget *parent)
    : QDialog(parent), m_session(session),
      m_payment(*session.archive(), session.workstation(), party, partyKey),
      m_open(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("Id"))),
      m_chosen(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("Id"))),
      m_due(totalLabel(this, "lblTotaleFatture")), m_chosenTotal(totalLabel(this, "lblTotaleInPagamento")),
      m_remaining(totalLabel(this, "lblTotaleDaPagare"))
{
    setObjectName(QStringLiteral("TfrmPagaFatture"));
    setWindowTitle(QStringLiteral("Paga fatture"));
    WindowRegistry::setHelpContext(this, 3400);
    if (core::Status started = m_payment.start(); !started)
        session.prompter().message(error(), started.error());
    for (storage::RecordListModel *records : {m_open.get(), m_chosen.get()})
        records->setNumberField(QStringLiteral("Importo"), 2);
    m_open->setStatement(m_payment.openStatement(), m_payment.statementParameters());
    m_chosen->setStatement(m_payment.chosenStatement(), m_payment.statementParameters());
    m_openGrid = instalmentGrid(this, "DBGrid1", *m_open);
    m_chosenGrid = instalmentGrid(this, "DBGrid2", *m_chosen);
    // A double click moves the instalment across, as "Aggiungi" and "Togli" do.
    connect(m_openGrid, &shell::ui::DataGrid::avanti, this, &CumulativePaymentWindow::choose);
    connect(m_chosenGrid, &shell::ui::DataGrid::avanti, this, &CumulativePaymentWindow::drop);

    auto *left = new QGroupBox(QStringLiteral("Scadenze fatture"), this);
    (new QVBoxLayout(left))->addWidget(m_openGrid);
    auto *right = new QGroupBox(QStringLiteral("Scadenze in pagamento"), this);
    (new QVBoxLayout(right))->addWidget(m_chosenGrid);
    auto *middle = new QVBoxLayout;
    const QList<std::pair<const char *, const char *>> moves{{"btnAggiungi", "Aggiungi"},
                                                             {"btnAggiungiTutte", "Aggiungi Tutte"},
                                                             {"btnTogli", "Togli"},
                                                             {"btnTogliTutte", "Togli Tutte"}};
    const QList<void (CumulativePaymentWindow::*)()> actions{
        &CumulativePaymentWindow::choose, &CumulativePaymentWindow::chooseAll, &CumulativePaymentWindow::drop,
        &CumulativePaymentWindow::dropAll};
    middle->addStretch(1);
    for (qsizetype i = 0; i < moves.size(); ++i) {
        QPushButton *button = shell::ui::makeButton(this, moves.at(i).first, moves.at(i).second, nullptr);
        connect(button, &QPushButton::clicked, this, actions.at(i));
        middle->addWidget(button);
    }
    middle->addStretch(1);
    auto *grids = new QHBoxLayout;
    grids->addWidget(left, 1);
    grids->addLayout(middle);
    grids->addWidget(right, 1);

    auto *labels = new QHBoxLayout;
    for (const auto &[caption, label] :
         {std::pair("Totale fatture:", m_due), std::pair("Totale in pagamento:", m_chosenTotal),
          std::pair("Totale da pagare:", m_remaining)}) {
        labels->addWidget(new QLabel(QString::fromUtf8(caption), this));
        labels->addWidget(label);
    }
    labels->addStretch(1);
    QPushButton *payButton = shell::ui::makeButton(this, "btnPagaFatture", "Paga fatture", nullptr);
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, this);
    connect(payButton, &QPushButton::clicked, this, &CumulativePaymentWindow::pay);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    labels->addWidget(payButton);
    labels->addWidget(back);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grids, 1);
    layout->addLayout(labels);
    refresh();
    resize(1200, 520);
}

CumulativePaymentWindow::~CumulativePaymentWindow()
{
    // The choice does not outlive the window.
    (void)m_payment.dropAll();
}

void CumulativePaymentWindow::refresh()
{
    const auto remember = [](shell::ui::DataGrid *grid, storage::RecordListModel &records) {
        const int row = grid->currentRow();
        if (core::Status read = records.reload(); !read)
            return read;
        if (records.rowCount() > 0)
            grid->setCurrentRow(std::clamp(row, 0, records.rowCount() - 1));
        return core::Status();
    };
    for (const core::Status &read : {remember(m_openGrid, *m_open), remember(m_chosenGrid, *m_chosen)}) {
        if (!read) {
            m_session.prompter().message(error(), read.error());
            return;
        }
    }
    const core::Result<CumulativePayment::Totals> totals = m_payment.totals();
    if (!totals) {
        m_session.prompter().message(error(), totals.error());
        return;
    }
    m_due->setText(amount(totals->due));
    m_chosenTotal->setText(amount(totals->chosen));
    m_remaining->setText(amount(totals->remaining));
}

void CumulativePaymentWindow::choose()
{
    const std::optional<qint64> key = m_open->keyAt(m_openGrid->currentRow());
    if (!key)
        return;
    if (core::Status chosen = m_payment.choose(*key); !chosen)
        m_session.prompter().message(error(), chosen.error());
    refresh();
}

void CumulativePaymentWindow::chooseAll()
{
    if (core::Status chosen = m_payment.chooseAll(); !chosen)
        m_session.prompter().message(error(), chosen.error());
    refresh();
}

void CumulativePaymentWindow::drop()
{
    const std::optional<qint64> key = m_chosen->keyAt(m_chosenGrid->currentRow());
    if (!key)
        return;
    if (core::Status dropped = m_payment.drop(*key); !dropped)
        m_session.prompter().message(error(), dropped.error());
    refresh();
}

void CumulativePaymentWindow::dropAll()
{
    if (core::Status dropped = m_payment.dropAll(); !dropped)
        m_session.prompter().message(error(), dropped.error());
    refresh();
}

void CumulativePaymentWindow::pay()
{
    if (m_chosen->rowCount() == 0) {
        m_session.prompter().message(warning(), CumulativePayment::nothingChosenMessage());
        return;
    }
    PaymentDetailsWindow step(m_session, this);
    if (step.exec() != QDialog::Accepted)
        return;
    const core::Result<CumulativePayment::Outcome> outcome = m_payment.pay(step.details());
    if (!outcome) {
        m_session.prompter().message(error(), outcome.error());
        refresh();
        return;
    }
    m_session.archiveChanged();
    QString text = QStringLiteral("pagamenti registrati con successo!");
    if (!outcome->alreadyPaid.isEmpty())
        text +=
            QStringLiteral("\n\nNel frattempo erano già state pagate, e non sono state pagate di nuovo:\n") +
            outcome->alreadyPaid.join(u'\n');
    m_session.prompter().message(warning(), text);
    refresh();
}

PaymentDetailsWindow::PaymentDetailsWindow(Session &session, QWidget *parent)
    : QDialog(parent), m_session(session), m_paidOn(new DateBox(this)), m_mode(new LookupBox(this)),
      m_details(new QLineEdit(this)), m_bank(new LookupBox(this))
{
    setObjectName(QStringLiteral("TfrmPagaFattureModPagamento"));
    setWindowTitle(QStringLiteral("Paga fatture"));
    WindowRegistry::setHelpContext(this, 3400);
    m_paidOn->setObjectName(QStringLiteral("edtDataPagamento"));
    m_mode->setObjectName(QStringLiteral("LookModPagamento_Id"));
    m_details->setObjectName(QStringLiteral("edtDettagli"));
    m_details->setMaxLength(150);
    m_bank->setObjectName(QStringLiteral("LookBanca_ID"));
    storage::Archive &archive = *session.archive();
    for (const core::Status &loaded :
         {m_mode->load(archive,
                       QStringLiteral("SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione")),
          m_bank->load(archive,
                       QStringLiteral("SELECT Id, Banca FROM Bank WHERE COALESCE(annullato, false) = false "
                                      "ORDER BY Banca"))}) {
        if (!loaded)
            session.prompter().message(error(), loaded.error());
    }
    QPushButton *today = shell::ui::makeButton(this, "spdOggi", "Oggi", "Data di oggi");
    connect(today, &QPushButton::clicked, this,
            [this] { m_paidOn->setText(m_session.today().toString(QStringLiteral("dd/MM/yyyy"))); });
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(m_paidOn);
    dateRow->addWidget(today);
    dateRow->addStretch(1);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Data Pagamento effettuato"), dateRow);
    form->addRow(QStringLiteral("Modalità di pagamento"), m_mode);
    form->addRow(QStringLiteral("Dettagli pagamento"), m_details);
    form->addRow(QStringLiteral("Banca"), m_bank);
    QPushButton *pay = shell::ui::makeButton(this, "btnPagaFatture", "Paga fatture", nullptr);
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, this);
    connect(pay, &QPushButton::clicked, this, &PaymentDetailsWindow::confirm);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(shell::ui::buttonRow({pay, back}));
    resize(560, 0);
}

CumulativePayment::Details PaymentDetailsWindow::details() const
{
    return {m_paidOn->date().value_or(QDate()), m_mode->key(), m_details->text().trimmed(), m_bank->key()};
}

void PaymentDetailsWindow::confirm()
{
    if (!m_paidOn->date()) {
        m_session.prompter().message(
            shell::titles::missingInput(),
            m_paidOn->isImpossible()
                ? QStringLiteral("Attenzione la data pagamento non è una data valida...")
                : QStringLiteral("Attenzione E' necessario definire la data pagamento..."));
        m_paidOn->setFocus();
        return;
    }
    if (!m_session.prompter().ask(warning(), QStringLiteral("Sei sicuro di voler pagare le scadenze ?")))
        return;
    accept();
}

void registerCashBookWindows(WindowRegistry &windows)
{
    const shell::RegistryDescriptor &cashBook = cashBookRegistry();
    const auto list = [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
        return new CashBookWindow(session, windows, parameters, parent);
    };
    windows.add(cashBook.listWindow, cashBook.helpContext, list);
    // A document's entries, from its "prima nota": the same cash book, kept to them.
    windows.add(QStringLiteral("TfrmPrimaNotaDocumento"), cashBook.helpContext, list);
    windows.add(cashBook.cardWindow, cashBook.helpContext,
                [&windows, &cashBook](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    const qint64 key = parameters.value(QStringLiteral("chiave")).toLongLong();
                    auto *card =
                        new RegistryCardWindow(session, cashBook, windows, key,
                                               parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                    // A document's entry shows what the document wrote; it changes with the document.
                    const core::Result<bool> owned = belongsToDocument(*session.archive(), key);
                    if (owned && *owned) {
                        for (const char *field :
                             {"Data", "Operazione", "Entrata", "Uscita", "Cliente_id", "Fornitore_id"})
                            if (QWidget *editor = card->card().form().editor(QLatin1String(field)))
                                editor->setEnabled(false);
                    }
                    return card;
                });
    windows.add(QStringLiteral("TfrmScadenziario"), 3400,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    const BookParty party =
                        parameters.value(QStringLiteral("colonna")).toString() == u"Fornitore"
                            ? BookParty::Suppliers
                            : BookParty::Customers;
                    return new DueDateBookWindow(session, windows, party, parameters, parent);
                });
    // Opened from a customer's or a supplier's card; a party with nothing to pay gets a message
    // instead of an empty window.
    windows.addCommand(QStringLiteral("TfrmPagaFatture"), [](Session &session, const QVariantMap &parameters,
                                                             QWidget *parent) {
        const bool suppliers = parameters.contains(QStringLiteral("fornitore"));
        const qint64 party =
            parameters.value(suppliers ? QStringLiteral("fornitore") : QStringLiteral("cliente"))
                .toLongLong();
        CumulativePayment probe(*session.archive(), session.workstation(),
                                suppliers ? BookParty::Suppliers : BookParty::Customers, party);
        if (core::Status started = probe.start(); !started) {
            session.prompter().message(error(), started.error());
            return;
        }
        const core::Result<QVariant> open = session.archive()->scalar(
            QStringLiteral("SELECT COUNT(*) FROM (%1) listed").arg(probe.openStatement()),
            probe.statementParameters());
        if (open && open->toInt() == 0) {
            session.prompter().message(warning(), CumulativePayment::noOpenInstalmentsMessage());
            return;
        }
        CumulativePaymentWindow window(session, suppliers ? BookParty::Suppliers : BookParty::Customers,
                                       party, parent);
        window.exec();
    });
}

} // namespace rotalina::purchases::ui
