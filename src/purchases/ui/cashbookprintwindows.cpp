#include "purchases/ui/cashbookprintwindows.h"

#include "purchases/cashbookprints.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datebox.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace rotalina::purchases::ui {

using shell::Session;
using shell::ui::AmountBox;
using shell::ui::DateBox;
using shell::ui::LookupBox;
using shell::ui::WindowRegistry;

namespace {

constexpr int cashBookHelp = 3300;
constexpr int dueDateHelp = 3400;

constexpr int monthReport = 29;
constexpr int bankReport = 74;
constexpr int customerSituationReport = 68;
constexpr int supplierSituationReport = 69;

QPushButton *backButton(QDialog *window)
{
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, window);
    back->setObjectName(QStringLiteral("btnIndietro"));
    QObject::connect(back, &QPushButton::clicked, window, &QDialog::reject);
    return back;
}

// A button of a print menu: a report printed at once, or a selection window opened by name.
struct MenuEntry
{
    const char *name;
    const char *caption;
    int reportCode = 0;
    const char *window = nullptr;
    // The window of the module whose data the report prints: until that module is in the program
    // the button stays disabled.
    const char *module = nullptr;
};

// "Prima nota" and "Stampa Scadenziario": one button per print, in two columns.
class PrintMenuWindow : public QDialog
{
public:
    PrintMenuWindow(Session &session, const WindowRegistry &windows, const QString &caption,
                    const QList<MenuEntry> &entries, QWidget *parent)
        : QDialog(parent), m_session(session), m_windows(windows)
    {
        setWindowTitle(caption);
        auto *grid = new QGridLayout;
        for (int i = 0; i < entries.size(); ++i) {
            const MenuEntry &entry = entries.at(i);
            QPushButton *button = shell::ui::makeButton(this, entry.name, entry.caption);
            button->setMinimumWidth(200);
            const bool available = entry.window   ? windows.has(QString::fromLatin1(entry.window))
                                   : entry.module ? windows.has(QString::fromLatin1(entry.module))
                                                  : true;
            button->setEnabled(available);
            if (!available)
                button->setToolTip(QStringLiteral("Non disponibile in questa versione del programma"));
            connect(button, &QPushButton::clicked, this, [this, entry] { run(entry); });
            grid->addWidget(button, i / 2, i % 2);
        }
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(grid);
        layout->addStretch(1);
        layout->addLayout(shell::ui::buttonRow({backButton(this)}));
    }

private:
    void run(const MenuEntry &entry)
    {
        if (entry.window) {
            m_windows.open(QString::fromLatin1(entry.window), m_session, this);
            return;
        }
        // These reports take no choice: the catalogue reads what it needs (the cash book's opening
        // balance) from the options.
        shell::ReportService(m_session).print(entry.reportCode, {});
    }

    Session &m_session;
    const WindowRegistry &m_windows;
};

// "Stampa Prima Nota per mese" and "Prima nota Stampa per Banca": the entries of a month (of one
// bank) after the opening balance, which the user types or has computed by "Calcola".
class MonthPrintWindow : public QDialog
{
public:
    MonthPrintWindow(Session &session, CashBookPrintKind kind, QWidget *parent)
        : QDialog(parent), m_session(session), m_kind(kind), m_month(new LookupBox(this)),
          m_year(new QLineEdit(this)), m_balance(new AmountBox(this))
    {
        const bool byBank = kind == CashBookPrintKind::ByBank;
        setWindowTitle(byBank ? QStringLiteral("Prima nota Stampa per Banca")
                              : QStringLiteral("Stampa Prima Nota per mese"));
        m_month->setObjectName(QStringLiteral("cmbMese"));
        fillMonths();
        m_year->setObjectName(QStringLiteral("edtAnno"));
        m_year->setMaxLength(4);
        m_year->setFixedWidth(m_year->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        m_year->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), m_year));
        m_year->setText(QString::number(session.today().year()));
        m_balance->setObjectName(QStringLiteral("edtSaldoIniziale"));
        m_balance->setFixedWidth(140);

        QPushButton *calculate =
            shell::ui::makeButton(this, "btnCalcola", "Calcola",
                                  "Calcola il saldo all'inizio del mese dalle operazioni precedenti");
        QPushButton *print = shell::ui::makeToolButton(shell::ui::ToolAction::Stampa, this);
        print->setObjectName(QStringLiteral("btnStampa"));
        connect(calculate, &QPushButton::clicked, this, [this] { calculateBalance(); });
        connect(print, &QPushButton::clicked, this, [this] { printMonth(); });

        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Mese"), m_month);
        if (byBank) {
            m_bank = new LookupBox(this);
            m_bank->setObjectName(QStringLiteral("cmbBanca"));
            m_bank->setMinimumWidth(260);
            fillBanks();
            form->addRow(QStringLiteral("Banca"), m_bank);
        }
        form->addRow(QStringLiteral("Anno"), m_year);
        auto *balanceRow = new QHBoxLayout;
        balanceRow->addWidget(m_balance);
        balanceRow->addWidget(calculate);
        balanceRow->addStretch(1);
        form->addRow(QStringLiteral("Saldo Iniziale"), balanceRow);

        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addStretch(1);
        layout->addLayout(shell::ui::buttonRow({print, backButton(this)}));
        resize(byBank ? 460 : 380, 0);
    }

private:
    void fillMonths()
    {
        const core::Status loaded = m_month->load(
            *m_session.archive(), QStringLiteral("SELECT numero, Descrizione FROM Mesi ORDER BY numero"));
        if (loaded && m_month->count() > 0)
            return;
        // An archive whose month table was emptied still prints by month.
        static const char *const names[] = {"Gennaio",   "Febbraio", "Marzo",    "Aprile",
                                            "Maggio",    "Giugno",   "Luglio",   "Agosto",
                                            "Settembre", "Ottobre",  "Novembre", "Dicembre"};
        for (int month = 1; month <= 12; ++month)
            m_month->addChoice(month, QString::fromLatin1(names[month - 1]));
        m_month->clearChoice();
    }

    // The banks still in use, by name and IBAN (two accounts at the same bank differ by it).
    void fillBanks()
    {
        const core::Result<storage::Archive::Rows> banks = m_session.archive()->readRows(
            QStringLiteral("SELECT Id, Banca, Iban FROM Bank WHERE annullato IS NULL "
                           "OR annullato = ? ORDER BY Banca, Iban"),
            {false});
        if (!banks) {
            m_session.prompter().message(shell::titles::error(), banks.error());
            return;
        }
        for (const QVariantList &bank : banks->values) {
            const QString name = bank.value(1).toString().trimmed();
            const QString iban = bank.value(2).toString().trimmed();
            m_bank->addChoice(bank.value(0),
                              iban.isEmpty() ? name : QStringLiteral("%1 - %2").arg(name, iban));
        }
        m_bank->clearChoice();
    }

    CashBookPrintChoice choice() const
    {
        CashBookPrintChoice chosen;
        const QVariant month = m_month->key();
        chosen.month = month.isValid() ? month.toInt() : 0;
        if (m_bank && m_bank->key().isValid())
            chosen.bank = m_bank->key().toLongLong();
        chosen.year = m_year->text();
        chosen.openingBalance = m_balance->text();
        return chosen;
    }

    // Tells what is missing and puts the user there; false when nothing is.
    bool refuse(const std::optional<CashBookPrintProblem> &problem)
    {
        if (!problem)
            return false;
        m_session.prompter().message(shell::titles::missingInput(), problem->message);
        QWidget *field = nullptr;
        switch (problem->field) {
        case CashBookPrintField::Month:
            field = m_month;
            break;
        case CashBookPrintField::Bank:
            field = m_bank;
            break;
        case CashBookPrintField::Year:
            field = m_year;
            break;
        case CashBookPrintField::OpeningBalance:
            field = m_balance;
            break;
        }
        if (field)
            field->setFocus(Qt::OtherFocusReason);
        return true;
    }

    void calculateBalance()
    {
        const CashBookPrintChoice chosen = choice();
        if (refuse(checkOpeningBalanceRequest(chosen, m_kind)))
            return;
        const int year = *typedYear(chosen.year);
        const core::Result<double> balance =
            m_kind == CashBookPrintKind::ByBank
                ? bankOpeningBalance(*m_session.archive(), *chosen.bank, chosen.month, year)
                : cashBookOpeningBalance(*m_session.archive(), chosen.month, year);
        if (!balance) {
            m_session.prompter().message(shell::titles::error(), balance.error());
            return;
        }
        m_balance->setValue(*balance);
    }

    void printMonth()
    {
        const CashBookPrintChoice chosen = choice();
        if (refuse(checkCashBookPrint(chosen, m_kind)))
            return;
        shell::ReportContext context;
        context.month = chosen.month;
        context.year = *typedYear(chosen.year);
        context.bankKey = chosen.bank;
        // The report shows the balance as the office writes it: "1.234,56".
        context.parameter = AmountBox::formatted(m_balance->value(), 2);
        shell::ReportService(m_session).print(m_kind == CashBookPrintKind::ByBank ? bankReport : monthReport,
                                              context);
    }

    Session &m_session;
    CashBookPrintKind m_kind;
    LookupBox *m_month;
    LookupBox *m_bank = nullptr;
    QLineEdit *m_year;
    AmountBox *m_balance;
};

// "Stampa Situazione Clienti - Prima Nota" and its suppliers' twin: the documents of a period with
// the payments of the same period, of one party or of all of them. A date left blank leaves the
// period open on that side.
class SituationPrintWindow : public QDialog
{
public:
    SituationPrintWindow(Session &session, bool suppliers, QWidget *parent)
        : QDialog(parent), m_session(session), m_suppliers(suppliers), m_from(new DateBox(this)),
          m_to(new DateBox(this)), m_party(new LookupBox(this))
    {
        setWindowTitle(suppliers ? QStringLiteral("Stampa Situazione Fornitori - Prima Nota")
                                 : QStringLiteral("Stampa Situazione Clienti - Prima Nota"));
        m_from->setObjectName(QStringLiteral("edtDallaData"));
        m_to->setObjectName(QStringLiteral("edtAllaData"));
        m_party->setObjectName(suppliers ? QStringLiteral("cmbFornitore") : QStringLiteral("cmbCliente"));
        m_party->setMinimumWidth(300);
        m_party->setSearchable(true);
        m_party->setToolTip(suppliers ? QStringLiteral("Vuoto per stampare tutti i fornitori")
                                      : QStringLiteral("Vuoto per stampare tutti i clienti"));
        // Withdrawn parties too: their documents of the period are still to be shown.
        const core::Status loaded = m_party->load(
            *session.archive(),
            suppliers ? QStringLiteral("SELECT Id, Fornitore FROM Fornitor ORDER BY Fornitore")
                      : QStringLiteral("SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY "
                                       "NominativoVisualizzato"));
        if (!loaded)
            session.prompter().message(shell::titles::error(), loaded.error());
        m_party->clearChoice();

        QPushButton *print = shell::ui::makeToolButton(shell::ui::ToolAction::Stampa, this);
        print->setObjectName(QStringLiteral("btnStampa"));
        connect(print, &QPushButton::clicked, this, [this] { printSituation(); });

        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Dalla data"), m_from);
        form->addRow(QStringLiteral("Alla data"), m_to);
        form->addRow(suppliers ? QStringLiteral("Fornitore") : QStringLiteral("Cliente"), m_party);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addStretch(1);
        layout->addLayout(shell::ui::buttonRow({print, backButton(this)}));
        resize(460, 0);
    }

private:
    void printSituation()
    {
        if (const std::optional<SituationProblem> problem =
                checkSituationPeriod(m_from->text(), m_to->text())) {
            m_session.prompter().message(shell::titles::missingInput(), problem->message);
            (problem->field == SituationField::From ? m_from : m_to)->setFocus(Qt::OtherFocusReason);
            return;
        }
        const SituationPeriod period = situationPeriod(m_from->text(), m_to->text());
        shell::ReportContext context;
        context.from = period.from;
        context.to = period.to;
        if (m_party->key().isValid())
            context.partyKey = m_party->key().toLongLong();
        shell::ReportService(m_session).print(m_suppliers ? supplierSituationReport : customerSituationReport,
                                              context);
    }

    Session &m_session;
    bool m_suppliers;
    DateBox *m_from;
    DateBox *m_to;
    LookupBox *m_party;
};

} // namespace

void registerCashBookPrintWindows(WindowRegistry &windows)
{
    windows.add(
        QStringLiteral("TfrmStampaPrimNota"), cashBookHelp,
        [&windows](Session &session, const QVariantMap &, QWidget *parent) {
            return new PrintMenuWindow(
                session, windows, QStringLiteral("Prima nota"),
                {{"btnPrimaNota", "Prima Nota", 9},
                 {"btnClienti", "Clienti", 10},
                 {"btnFornitori", "Fornitori", 11},
                 {"btnSituazioneClienti", "Situazione Clienti", 0, "TfrmStampaPrimaNotaSituazioneClienti"},
                 {"btnSituazioneFornitori", "Situazione Fornitori", 0,
                  "TfrmStampaPrimaNotaSituazioneFornitori"},
                 {"btnMesePerMese", "Mese per Mese", 0, "TfrmPrimaNotaStampaMese"},
                 {"btnMeseBanca", "per Mese e per Banca", 0, "TfrmPrimaNotaStampaBanca"}},
                parent);
        });
    windows.add(QStringLiteral("TfrmPrimaNotaStampaMese"), cashBookHelp,
                [](Session &session, const QVariantMap &, QWidget *parent) {
                    return new MonthPrintWindow(session, CashBookPrintKind::ByMonth, parent);
                });
    windows.add(QStringLiteral("TfrmPrimaNotaStampaBanca"), cashBookHelp,
                [](Session &session, const QVariantMap &, QWidget *parent) {
                    return new MonthPrintWindow(session, CashBookPrintKind::ByBank, parent);
                });
    windows.add(QStringLiteral("TfrmStampaPrimaNotaSituazioneClienti"), cashBookHelp,
                [](Session &session, const QVariantMap &, QWidget *parent) {
                    return new SituationPrintWindow(session, false, parent);
                });
    windows.add(QStringLiteral("TfrmStampaPrimaNotaSituazioneFornitori"), cashBookHelp,
                [](Session &session, const QVariantMap &, QWidget *parent) {
                    return new SituationPrintWindow(session, true, parent);
                });
    // The owner-drivers', vehicles' and staff's deadlines are offered once their windows are there.
    windows.add(
        QStringLiteral("TfrmStampaScadenziario"), dueDateHelp,
        [&windows](Session &session, const QVariantMap &, QWidget *parent) {
            return new PrintMenuWindow(
                session, windows, QStringLiteral("Stampa Scadenziario"),
                {{"btnScadenzeClienti", "Scadenze Clienti", 20},
                 {"btnPagamentiClienti", "Pagamenti Clienti", 21},
                 {"btnScadenzeFornitori", "Scadenze Fornitori", 42},
                 {"btnPagamentiFornitori", "Pagamenti Fornitori", 43},
                 {"btnSituazioneClienti", "Situazione Clienti", 12},
                 {"btnSituazioneFornitori", "Situazione Fornitori", 13},
                 {"btnScadenzePadroncini", "Scadenze Padroncini", 16, nullptr, "TfrmGrigliaPadroncini"},
                 {"btnPagamentiPadroncini", "Pagamenti Padroncini", 17, nullptr, "TfrmGrigliaPadroncini"},
                 {"btnScadenzeVetture", "Scadenze Vetture", 51, nullptr, "TfrmVetture"},
                 {"btnScadenzePersonale", "Scadenze Personale", 55, nullptr, "TfrmGrigliaPersonale"}},
                parent);
        });
}

} // namespace rotalina::purchases::ui
