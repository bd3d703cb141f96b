#include "transport/ui/ownerdriverwindows.h"

#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"
#include "transport/ownerdrivers.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::transport::ui {

using namespace shell;
using namespace shell::ui;

namespace {

const QString generatorWindow = QStringLiteral("TfrmCalcolaScadenzePadroncino");

QString generatorTitle()
{
    return QStringLiteral("Messaggio di avviso!!");
}

// The row a window opens on: "chiave" from the lists and cards, "id" from the start-up reminder.
qint64 keyOf(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("chiave"), parameters.value(QStringLiteral("id"))).toLongLong();
}

} // namespace

OwnerDriverListWindow::OwnerDriverListWindow(Session &session, const WindowRegistry &windows, QWidget *parent)
    : RegistryListWindow(session, ownerDriversRegistry(), windows, parent)
{
    auto *all = makeButton(this, "Selezionatutti1", "Seleziona tutti");
    connect(all, &QPushButton::clicked, this, [this] { grid()->selectAll(); });
    auto *send = makeButton(this, "spdEmail", "Invia Email", "Scrive un'email ai padroncini scelti");
    send->setEnabled(windows.has(QStringLiteral("TfrmEmail")));
    connect(send, &QPushButton::clicked, this, &OwnerDriverListWindow::sendEmails);
    QPushButton *print = makeToolButton(ToolAction::Stampa, this);
    print->setToolTip(QStringLiteral("Stampa l'elenco dei padroncini"));
    connect(print, &QPushButton::clicked, this, &OwnerDriverListWindow::print);
    addButton(all);
    addButton(send);
    addButton(print);
}

void OwnerDriverListWindow::sendEmails()
{
    const QList<qint64> keys = selectedKeys();
    if (keys.isEmpty()) {
        session().prompter().message(
            titles::error(), QStringLiteral("Attenzione devi selezionare i contatti da copiare le email"));
        return;
    }
    QStringList addresses;
    for (const qint64 key : keys) {
        const QString address =
            records().value(records().rowOfKey(key), QStringLiteral("Email")).toString().trimmed();
        if (!address.isEmpty() && !addresses.contains(address))
            addresses.append(address);
    }
    windows().open(QStringLiteral("TfrmEmail"), session(), this,
                   {{QStringLiteral("destinatari"), addresses.join(QStringLiteral("; "))}});
}

void OwnerDriverListWindow::print()
{
    ReportService(session()).print(6, {});
}

OwnerDriverCardWindow::OwnerDriverCardWindow(Session &session, const WindowRegistry &windows, qint64 key,
                                             bool isNew, QWidget *parent)
    : FormCardWindow(session, QStringLiteral("Padroncini"), parent), m_session(session), m_windows(windows),
      m_pages(new QTabWidget(this))
{
    const RegistryDescriptor &registry = ownerDriversRegistry();
    setObjectName(registry.cardWindow);
    setWindowTitle(registry.cardCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);

    // "  Generale  ": the registry's fields in two columns.
    QWidget *general =
        addFieldsPage(m_pages, QStringLiteral("  Generale  "), registry.fields, session, windows);
    auto *hourly =
        makeButton(general, "Button2", "Calcola", "Calcola la tariffa oraria da quella giornaliera");
    FormPage::placeBeside(m_form->editor(QStringLiteral("TariffaOraria")), hourly);
    connect(hourly, &QPushButton::clicked, this, &OwnerDriverCardWindow::computeHourlyRate);

    // "  Scadenze  ": the instalments, which move the balance shown on "  Generale  ".
    auto *duePage = new QWidget(m_pages);
    auto *dueLayout = new QVBoxLayout(duePage);
    m_instalments = new OwnedRowsPanel(session, windows, ownerDriverInstalmentsRegistry(),
                                       registry.rows.first(), duePage);
    m_instalments->setBeforeChange([this] { return !m_form->isDirty() || m_form->save(); });
    m_instalments->setAfterChange([this] {
        if (!m_form->isDirty())
            m_form->load(m_form->key(), m_form->isNew());
    });
    auto *generate = makeButton(duePage, "spdCalcola", "Calcola",
                                "Calcola il dovuto per una scadenza in base alle tariffe giornaliere");
    generate->setEnabled(windows.has(generatorWindow));
    connect(generate, &QPushButton::clicked, this, &OwnerDriverCardWindow::generateInstalments);
    m_instalments->addButton(generate);
    // The prints of the scadenziario, kept to this owner-driver.
    for (const auto &[name, caption, hint, code] :
         {std::tuple{"spdStampaScadenze", "Stampa Scadenze", "Stampa le scadenze da pagare al padroncino",
                     16},
          std::tuple{"spdStampaPagamenti", "Stampa Pagamenti", "Stampa i pagamenti fatti al padroncino",
                     17}}) {
        auto *print = makeButton(duePage, name, caption, hint);
        connect(print, &QPushButton::clicked, this, [this, reportCode = code] {
            ReportContext context;
            context.partyKey = m_form->key();
            ReportService(m_session).print(reportCode, context);
        });
        m_instalments->addButton(print);
    }
    dueLayout->addWidget(m_instalments, 1);
    m_pages->addTab(duePage, QStringLiteral("  Scadenze  "));

    m_form->checks() = registry.checks;
    m_form->setWriter([this](qint64 row, const QVariantMap &values) {
        return saveRegistryRow(*m_session.archive(), ownerDriversRegistry(), row, values);
    });
    m_form->setRemover([this](qint64 row) { return deleteOwnerDriver(*m_session.archive(), row); });
    guardPageChanges(m_pages);

    // "salva" runs from "Indietro" and from the change of tab, never on its own.
    QPushButton *save = makeToolButton(ToolAction::Salva, this);
    save->hide();
    connect(save, &QPushButton::clicked, this, &OwnerDriverCardWindow::save);
    m_cancel = makeToolButton(ToolAction::Annulla, this);
    connect(m_cancel, &QPushButton::clicked, this, &FormCardWindow::cancelNew);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, &OwnerDriverCardWindow::back);
    layout->addLayout(buttonRow({m_cancel, save, help, backButton}));
    m_cancel->setVisible(isNew);

    if (!m_form->load(key, isNew))
        finish(false);
    m_instalments->setOwner(key);
    // A new owner-driver starts with pending changes: leaving it checks its name.
    m_form->setDirty(isNew);
    resize(900, 620);
}

bool OwnerDriverCardWindow::changePage(int page)
{
    if (page == m_shownPage || page != 1)
        return true;
    if (!save())
        return false;
    m_instalments->reload();
    return true;
}

void OwnerDriverCardWindow::computeHourlyRate()
{
    setComputed(QStringLiteral("TariffaOraria"),
                hourlyRate(m_form->values().value(QStringLiteral("TariffaGiornaliera")).toDouble()));
}

void OwnerDriverCardWindow::generateInstalments()
{
    // The instalments belong to a saved owner-driver.
    if (m_form->isDirty() && !save())
        return;
    m_windows.open(generatorWindow, m_session, this, {{QStringLiteral("padroncino"), m_form->key()}});
    m_instalments->rowsChanged();
}

OwnerDriverInstalmentGenerator::OwnerDriverInstalmentGenerator(Session &session, qint64 ownerDriver,
                                                               QWidget *parent)
    : QDialog(parent), m_session(session), m_ownerDriver(ownerDriver), m_from(new DateBox(this)),
      m_to(new DateBox(this)), m_taxable(new AmountBox(this)), m_vat(new LookupBox(this)),
      m_total(new AmountBox(this)), m_mode(new LookupBox(this)), m_reference(new DateBox(this))
{
    setObjectName(generatorWindow);
    setWindowTitle(QStringLiteral("Calcola Scadenze Padroncino"));
    WindowRegistry::setHelpContext(this, ownerDriversRegistry().helpContext);
    m_from->setObjectName(QStringLiteral("maskDa"));
    m_to->setObjectName(QStringLiteral("maskA"));
    m_taxable->setObjectName(QStringLiteral("txtImponibile"));
    m_vat->setObjectName(QStringLiteral("LookIva"));
    m_total->setObjectName(QStringLiteral("txtTotale"));
    m_mode->setObjectName(QStringLiteral("LookModPagamento"));
    m_reference->setObjectName(QStringLiteral("msDataRiferimento"));
    for (const auto &[box, sql] :
         {std::pair{m_vat, QStringLiteral("SELECT Iva, Descrizione FROM Iva ORDER BY Iva, Descrizione")},
          std::pair{m_mode,
                    QStringLiteral("SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione")}}) {
        if (core::Status loaded = box->load(*session.archive(), sql); !loaded)
            session.prompter().message(titles::error(), loaded.error());
    }

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    auto *period = new QHBoxLayout;
    period->addWidget(m_from);
    period->addWidget(m_to);
    auto *compute =
        makeButton(this, "Button2", "Calcola", "Somma i costi padroncino delle commesse del periodo");
    connect(compute, &QPushButton::clicked, this, &OwnerDriverInstalmentGenerator::computeTaxable);
    period->addWidget(compute);
    form->addRow(QStringLiteral("Dalla data / Alla data"), period);
    form->addRow(QStringLiteral("Imponibile"), m_taxable);
    form->addRow(QStringLiteral("Aliquota Iva"), m_vat);
    form->addRow(QStringLiteral("Totale"), m_total);
    form->addRow(QStringLiteral("Modalità di pagamento"), m_mode);
    form->addRow(QStringLiteral("Data di riferimento"), m_reference);
    layout->addLayout(form);
    connect(m_vat, &LookupBox::chosen, this, &OwnerDriverInstalmentGenerator::computeTotal);
    connect(m_taxable, &QLineEdit::editingFinished, this, &OwnerDriverInstalmentGenerator::computeTotal);

    auto *generate =
        makeButton(this, "SpeedButton1", "Calcola Scadenze", "Calcola le scadenze del Padroncino");
    connect(generate, &QPushButton::clicked, this, &OwnerDriverInstalmentGenerator::generate);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    layout->addStretch(1);
    layout->addLayout(buttonRow({generate, makeToolButton(ToolAction::Aiuto, this), back}));
    resize(520, 300);
}

bool OwnerDriverInstalmentGenerator::warn(QWidget *box, const QString &message)
{
    m_session.prompter().message(generatorTitle(), message);
    if (box)
        box->setFocus();
    return false;
}

void OwnerDriverInstalmentGenerator::computeTaxable()
{
    const std::optional<QDate> from = m_from->date();
    const std::optional<QDate> to = m_to->date();
    if (!from) {
        warn(m_from, QStringLiteral("Attenzione E' necessario definire la data di inizio..."));
        return;
    }
    if (!to) {
        warn(m_to, QStringLiteral("Attenzione E' necessario definire la data di fine..."));
        return;
    }
    const core::Result<double> costs = ownerDriverJobCosts(*m_session.archive(), m_ownerDriver, *from, *to);
    if (!costs) {
        m_session.prompter().message(titles::error(), costs.error());
        return;
    }
    m_taxable->setValue(*costs);
    computeTotal();
}

void OwnerDriverInstalmentGenerator::computeTotal()
{
    if (m_taxable->isBlank())
        return;
    // Without a rate chosen the total is the taxable amount.
    m_total->setValue(totalWithVat(m_taxable->value(), m_vat->key().toDouble()));
}

void OwnerDriverInstalmentGenerator::generate()
{
    InstalmentPlan plan;
    plan.ownerDriver = m_ownerDriver;
    plan.from = m_from->date().value_or(QDate());
    plan.to = m_to->date().value_or(QDate());
    plan.reference = m_reference->date().value_or(QDate());
    if (!m_total->isBlank())
        plan.total = m_total->value();
    plan.paymentMode = m_mode->key();
    if (const std::optional<RecordChecks::Failure> failure = checkInstalmentPlan(plan)) {
        warn(findChild<QWidget *>(failure->field), failure->message);
        return;
    }
    const core::Result<int> written = generateOwnerDriverInstalments(*m_session.archive(), plan);
    if (!written) {
        m_session.prompter().message(titles::error(), written.error());
        return;
    }
    accept();
}

void registerOwnerDriverWindows(WindowRegistry &windows)
{
    const RegistryDescriptor &registry = ownerDriversRegistry();
    windows.add(registry.listWindow, registry.helpContext,
                [&windows](Session &session, const QVariantMap &, QWidget *parent) {
                    return new OwnerDriverListWindow(session, windows, parent);
                });
    windows.add(registry.cardWindow, registry.helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new OwnerDriverCardWindow(session, windows, keyOf(parameters),
                                                     parameters.value(QStringLiteral("nuovo")).toBool(),
                                                     parent);
                });
    windows.add(generatorWindow, registry.helpContext,
                [](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new OwnerDriverInstalmentGenerator(
                        session, parameters.value(QStringLiteral("padroncino")).toLongLong(), parent);
                });
    const RegistryDescriptor &instalments = ownerDriverInstalmentsRegistry();
    windows.add(instalments.cardWindow, instalments.helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    auto *window = new RegistryCardWindow(
                        session, ownerDriverInstalmentsRegistry(), windows, keyOf(parameters),
                        parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                    // "Oggi" beside the payment date: the usual way to record a payment made now.
                    RecordForm &form = window->card().form();
                    if (QWidget *paidOn = form.editor(QStringLiteral("DataPagamento"))) {
                        auto *today = makeButton(paidOn->parentWidget(), "btnOggi", "Oggi",
                                                 "Il pagamento è stato fatto oggi");
                        FormPage::placeBeside(paidOn, today);
                        QObject::connect(today, &QPushButton::clicked, window, [&session, &form] {
                            form.setValue(QStringLiteral("DataPagamento"), session.today());
                        });
                    }
                    return window;
                });
}

} // namespace rotalina::transport::ui
