#include "purchases/ui/accountswindows.h"

#include "purchases/accounts.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <tuple>

namespace rotalina::purchases::ui {

using shell::Session;
using shell::ui::DateBox;
using shell::ui::WindowRegistry;

namespace {

constexpr int accountsHelp = 3500;

constexpr int balanceReport = 15;
constexpr int statementReport = 75;
constexpr int monthlyVatSettlementReport = 24;
constexpr int quarterlyVatSettlementReport = 71;

const QString menuWindow = QStringLiteral("TfrmArchivioContabilita");
const QString printWindow = QStringLiteral("TfrmStampaContabilita");
const QString finderWindow = QStringLiteral("TfrmStampaSituazioneConto");

// The period the print window hands to the account finder.
const QString fromParameter = QStringLiteral("dal");
const QString toParameter = QStringLiteral("al");

QPushButton *backButton(QDialog *window)
{
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, window);
    back->setObjectName(QStringLiteral("btnIndietro"));
    QObject::connect(back, &QPushButton::clicked, window, &QDialog::reject);
    return back;
}

// "Contabilità": the three registries of the chart, a button each.
class AccountsMenuWindow : public QDialog
{
public:
    AccountsMenuWindow(Session &session, const WindowRegistry &windows, QWidget *parent) : QDialog(parent)
    {
        setObjectName(menuWindow);
        setWindowTitle(QStringLiteral("Contabilità"));
        auto *buttons = new QVBoxLayout;
        for (const auto &[name, caption, list] :
             {std::tuple{"btnClassi", "Classi", accountClassesRegistry().listWindow},
              std::tuple{"btnRaggruppamenti", "Raggruppamenti", accountGroupsRegistry().listWindow},
              std::tuple{"btnConti", "Conti", accountsRegistry().listWindow}}) {
            QPushButton *button = shell::ui::makeButton(this, name, caption);
            button->setMinimumSize(220, 36);
            button->setEnabled(windows.has(list));
            connect(button, &QPushButton::clicked, this,
                    [this, &session, &windows, list] { windows.open(list, session, this); });
            buttons->addWidget(button);
        }
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(buttons);
        layout->addStretch(1);
        layout->addLayout(shell::ui::buttonRow(
            {shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, this), backButton(this)}));
    }
};

// "Cerca Conto": the accounts of the chart; "Situazione Conto" prints the statement of the chosen
// one over the period of the print window.
class AccountStatementFinder : public QDialog
{
public:
    AccountStatementFinder(Session &session, const AccountingPeriod &period, QWidget *parent)
        : QDialog(parent), m_session(session), m_period(period),
          m_accounts(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("ID"))),
          m_grid(new shell::ui::DataGrid(QStringLiteral("frmStampaSituazioneConto"), this))
    {
        setObjectName(finderWindow);
        setWindowTitle(QStringLiteral("Cerca Conto"));
        const shell::RegistryDescriptor &chart = accountsRegistry();
        m_accounts->setStatement(shell::registryListStatement(chart, {}));
        if (core::Status read = m_accounts->reload(); !read)
            session.prompter().message(shell::titles::error(), read.error());
        m_grid->setObjectName(QStringLiteral("DBGrid1"));
        m_grid->setRecords(m_accounts.get());
        m_grid->setDesign(chart.columns);
        // The account is the user's choice: none stands chosen until it is picked.
        m_grid->setCurrentRow(-1);
        connect(m_grid, &shell::ui::DataGrid::avanti, this, [this] { printStatement(); });

        QPushButton *statement = shell::ui::makeButton(this, "btnSituazioneConto", "Situazione Conto",
                                                       "Stampa i movimenti del conto scelto nel periodo");
        connect(statement, &QPushButton::clicked, this, [this] { printStatement(); });
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_grid, 1);
        layout->addLayout(shell::ui::buttonRow(
            {statement, shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, this), backButton(this)}));
        int width = 80;
        for (const shell::GridColumn &column : chart.columns)
            width += column.width;
        resize(width, 460);
    }

private:
    void printStatement()
    {
        const std::optional<qint64> account = m_accounts->keyAt(m_grid->currentRow());
        if (!account) {
            m_session.prompter().message(shell::titles::warning(),
                                         QStringLiteral("Attenzione manca il conto da esaminare"));
            m_grid->setFocus(Qt::OtherFocusReason);
            return;
        }
        // Opened without the print window's period, it has none to print.
        if (!m_period.from.isValid() || !m_period.to.isValid()) {
            m_session.prompter().message(shell::titles::missingInput(),
                                         checkAccountingPeriod(QString(), QString())->message);
            return;
        }
        const core::Result<int> filled =
            fillAccountStatement(*m_session.archive(), m_session.workstation(), *account, m_period);
        if (!filled) {
            m_session.prompter().message(shell::titles::error(), filled.error());
            return;
        }
        shell::ReportContext context;
        context.from = m_period.from;
        context.to = m_period.to;
        shell::ReportService(m_session).print(statementReport, context);
    }

    Session &m_session;
    AccountingPeriod m_period;
    std::unique_ptr<storage::RecordListModel> m_accounts;
    shell::ui::DataGrid *m_grid;
};

// "Stampa Contabilità": the period and the accounting prints.
class AccountingPrintWindow : public QDialog
{
public:
    AccountingPrintWindow(Session &session, const WindowRegistry &windows, QWidget *parent)
        : QDialog(parent), m_session(session), m_windows(windows), m_from(new DateBox(this)),
          m_to(new DateBox(this))
    {
        setObjectName(printWindow);
        setWindowTitle(QStringLiteral("Stampa Contabilità"));
        m_from->setObjectName(QStringLiteral("edtDallaData"));
        m_to->setObjectName(QStringLiteral("edtAllaData"));

        QPushButton *balance = shell::ui::makeButton(this, "btnContabilita", "Bilancio",
                                                     "Stampa il bilancio per conto del periodo");
        QPushButton *statement =
            shell::ui::makeButton(this, "btnSituazioneConto", "Situazione Conto",
                                  "Sceglie un conto e ne stampa i movimenti del periodo");
        QPushButton *vat =
            shell::ui::makeButton(this, "btnChiusuraIva", "Chiusura Iva", "Stampa la liquidazione IVA");
        connect(balance, &QPushButton::clicked, this, [this] { printBalance(); });
        connect(statement, &QPushButton::clicked, this, [this] { openStatement(); });
        connect(vat, &QPushButton::clicked, this, [this] { printVatSettlement(); });
        statement->setEnabled(windows.has(finderWindow));

        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Dalla data"), m_from);
        form->addRow(QStringLiteral("Alla data"), m_to);
        auto *prints = new QHBoxLayout;
        for (QPushButton *button : {balance, statement, vat}) {
            button->setMinimumHeight(36);
            prints->addWidget(button);
        }
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addLayout(prints);
        layout->addStretch(1);
        layout->addLayout(shell::ui::buttonRow(
            {shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, this), backButton(this)}));
        resize(460, 0);
    }

private:
    // The period typed, or nothing once the user was told what is missing and put there.
    std::optional<AccountingPeriod> period()
    {
        if (const std::optional<AccountingPeriodProblem> problem =
                checkAccountingPeriod(m_from->text(), m_to->text())) {
            m_session.prompter().message(shell::titles::missingInput(), problem->message);
            (problem->field == AccountingPeriodField::From ? m_from : m_to)->setFocus(Qt::OtherFocusReason);
            return std::nullopt;
        }
        return accountingPeriod(m_from->text(), m_to->text());
    }

    void printBalance()
    {
        const std::optional<AccountingPeriod> chosen = period();
        if (!chosen)
            return;
        const core::Result<int> filled = fillBalance(*m_session.archive(), m_session.workstation(), *chosen);
        if (!filled) {
            m_session.prompter().message(shell::titles::error(), filled.error());
            return;
        }
        shell::ReportContext context;
        context.from = chosen->from;
        context.to = chosen->to;
        shell::ReportService(m_session).print(balanceReport, context);
    }

    void openStatement()
    {
        if (const std::optional<AccountingPeriod> chosen = period())
            m_windows.open(finderWindow, m_session, this,
                           {{fromParameter, chosen->from}, {toParameter, chosen->to}});
    }

    // The settlement of the months or of the quarters, as the options say the firm settles VAT.
    void printVatSettlement()
    {
        const core::Result<QVariant> monthly = m_session.archive()->scalar(
            QStringLiteral("SELECT ChiusuraIvaMensile FROM opzioni ORDER BY ID LIMIT 1"));
        if (!monthly) {
            m_session.prompter().message(shell::titles::error(), monthly.error());
            return;
        }
        shell::ReportService(m_session).print(
            monthly->toBool() ? monthlyVatSettlementReport : quarterlyVatSettlementReport, {});
    }

    Session &m_session;
    const WindowRegistry &m_windows;
    DateBox *m_from;
    DateBox *m_to;
};

} // namespace

void registerAccountsWindows(WindowRegistry &windows)
{
    for (const shell::RegistryDescriptor *registry :
         {&accountClassesRegistry(), &accountGroupsRegistry(), &accountsRegistry()})
        shell::ui::registerRegistryWindows(windows, *registry);
    windows.add(menuWindow, accountsHelp, [&windows](Session &session, const QVariantMap &, QWidget *parent) {
        return new AccountsMenuWindow(session, windows, parent);
    });
    windows.add(printWindow, accountsHelp,
                [&windows](Session &session, const QVariantMap &, QWidget *parent) {
                    return new AccountingPrintWindow(session, windows, parent);
                });
    windows.add(
        finderWindow, accountsHelp, [](Session &session, const QVariantMap &parameters, QWidget *parent) {
            return new AccountStatementFinder(
                session, {parameters.value(fromParameter).toDate(), parameters.value(toParameter).toDate()},
                parent);
        });
}

} // namespace rotalina::purchases::ui
