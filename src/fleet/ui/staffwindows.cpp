#include "fleet/ui/staffwindows.h"

#include "fleet/staff.h"
#include "shell/desktop.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/formpage.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::fleet::ui {

using namespace shell;
using namespace shell::ui;

namespace {

// The row a window opens on: "chiave" from the lists and cards, "id" from the start-up reminder.
qint64 keyOf(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("chiave"), parameters.value(QStringLiteral("id"))).toLongLong();
}

// The reports of the card: the privacy statement, the deadlines and the costs of the member.
constexpr int privacyReport = 60;
constexpr int deadlinesReport = 54;
constexpr int costsReport = 18;

// The salary editor: the registry's card with "Calcola" for the partial total.
RegistryCardWindow *salaryEditor(Session &session, const WindowRegistry &windows,
                                 const QVariantMap &parameters, QWidget *parent)
{
    auto *window = new RegistryCardWindow(session, staffSalariesRegistry(), windows, keyOf(parameters),
                                          parameters.value(QStringLiteral("nuovo")).toBool(), parent);
    auto *compute = makeButton(window, "btnCalcola", "Calcola",
                               "Calcola il totale parziale: base, trasferta e addebiti meno gli accrediti");
    QObject::connect(compute, &QPushButton::clicked, window, [window] {
        RecordForm &form = window->card().form();
        const QVariantMap values = form.values();
        const auto amount = [&values](const char *field) {
            return values.value(QString::fromLatin1(field)).toDouble();
        };
        form.setValue(
            QStringLiteral("TotaleParziale"),
            salaryPartialTotal(amount("Base"), amount("Trasferta"), amount("Addebiti"), amount("Accrediti")));
    });
    window->addButton(compute);
    return window;
}

} // namespace

StaffCardWindow::StaffCardWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                                 QWidget *parent)
    : FormCardWindow(session, QStringLiteral("Personale"), parent), m_session(session), m_windows(windows),
      m_pages(new QTabWidget(this))
{
    const RegistryDescriptor &registry = staffRegistry();
    setObjectName(registry.cardWindow);
    setWindowTitle(registry.cardCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);

    // The pages of fields, long ones in two columns.
    addFieldsPage(m_pages, QStringLiteral("Generale"), staffGeneralFields(), session, windows);
    addFolderButtons(QStringLiteral("CartellaServer"), "Sceglie la cartella dei documenti",
                     "Apre la cartella dei documenti");

    QWidget *pay =
        addFieldsPage(m_pages, QStringLiteral("Dati Economici"), staffPayFields(), session, windows);
    auto *daily = makeButton(pay, "btnCalcolaGiornaliera", "Calcola",
                             "Calcola la tariffa giornaliera dalla paga mensile (21 giorni)");
    FormPage::placeBeside(m_form->editor(QStringLiteral("TariffaGiornaliera")), daily);
    connect(daily, &QPushButton::clicked, this, &StaffCardWindow::computeDailyRate);
    auto *hourly = makeButton(pay, "btnCalcolaOraria", "Calcola",
                              "Calcola la tariffa oraria dalla tariffa giornaliera (8 ore)");
    FormPage::placeBeside(m_form->editor(QStringLiteral("TariffaOraria")), hourly);
    connect(hourly, &QPushButton::clicked, this, &StaffCardWindow::computeHourlyRate);

    addFieldsPage(m_pages, QStringLiteral("Documenti"), staffDocumentFields(), session, windows);

    m_deadlines = addRowsPage(0, QStringLiteral("Scadenze"), deadlinesReport);
    m_costs = addRowsPage(1, QStringLiteral("Costi"), costsReport);
    // Salaries have no print of their own: the salary prints choose a period.
    m_salaries = addRowsPage(2, QStringLiteral("Stipendi"), 0);

    m_form->checks() = registry.checks;
    m_form->setWriter([this](qint64 row, const QVariantMap &values) {
        return saveStaffMember(*m_session.archive(), row, values);
    });
    m_form->setRemover([this](qint64 row) { return deleteStaffMember(*m_session.archive(), row); });
    guardPageChanges(m_pages);

    QPushButton *save = makeToolButton(ToolAction::Salva, this);
    connect(save, &QPushButton::clicked, this, &StaffCardWindow::save);
    m_cancel = makeToolButton(ToolAction::Annulla, this);
    connect(m_cancel, &QPushButton::clicked, this, &FormCardWindow::cancelNew);
    QPushButton *printButton = makeToolButton(ToolAction::Stampa, this);
    printButton->setToolTip(QStringLiteral("Stampa l'informativa sulla privacy da far firmare"));
    connect(printButton, &QPushButton::clicked, this, &StaffCardWindow::printPrivacy);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, &StaffCardWindow::back);
    layout->addLayout(buttonRow({m_cancel, save, printButton, help, backButton}));
    m_cancel->setVisible(isNew);

    if (!m_form->load(key, isNew))
        finish(false);
    for (OwnedRowsPanel *rows : {m_deadlines, m_costs, m_salaries})
        rows->setOwner(key);
    // A new member starts with pending changes: leaving it checks its name.
    m_form->setDirty(isNew);
    resize(980, 640);
}

OwnedRowsPanel *StaffCardWindow::addRowsPage(int index, const QString &caption, int report)
{
    const RegistryRows &link = staffRegistry().rows.at(index);
    auto *page = new QWidget(m_pages);
    auto *layout = new QVBoxLayout(page);
    auto *rows = new OwnedRowsPanel(m_session, m_windows, *link.registry(), link, page);
    rows->setObjectName(QStringLiteral("pnl") + caption);
    // The rows belong to a saved member.
    rows->setBeforeChange([this] { return !m_form->isDirty() || save(); });
    if (report > 0) {
        QPushButton *printButton = makeToolButton(ToolAction::Stampa, page);
        printButton->setObjectName(QStringLiteral("spdStampa") + caption);
        connect(printButton, &QPushButton::clicked, this, [this, report] { printSaved(report); });
        rows->addButton(printButton);
    }
    layout->addWidget(rows, 1);
    m_pages->addTab(page, caption);
    return rows;
}

bool StaffCardWindow::changePage(int page)
{
    // The rows' pages show the rows of a saved member.
    if (page == m_shownPage || m_pages->widget(page)->findChild<OwnedRowsPanel *>() == nullptr)
        return true;
    if (m_form->isDirty() && !save())
        return false;
    for (OwnedRowsPanel *rows : {m_deadlines, m_costs, m_salaries})
        rows->reload();
    return true;
}

void StaffCardWindow::computeDailyRate()
{
    setComputed(QStringLiteral("TariffaGiornaliera"),
                dailyRate(m_form->values().value(QStringLiteral("PagaMensile")).toDouble()));
}

void StaffCardWindow::computeHourlyRate()
{
    setComputed(QStringLiteral("TariffaOraria"),
                hourlyRate(m_form->values().value(QStringLiteral("TariffaGiornaliera")).toDouble()));
}

void StaffCardWindow::printPrivacy()
{
    printSaved(privacyReport);
}

void registerStaffWindows(WindowRegistry &windows)
{
    const RegistryDescriptor &staff = staffRegistry();
    windows.add(staff.listWindow, staff.helpContext,
                [&windows](Session &session, const QVariantMap &, QWidget *parent) {
                    return new RegistryListWindow(session, staffRegistry(), windows, parent);
                });
    windows.add(staff.cardWindow, staff.helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new StaffCardWindow(session, windows, keyOf(parameters),
                                               parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
    // The deadline editor also opens from the start-up reminder, which names the deadline by "id".
    for (const RegistryDescriptor *rows : {&staffDeadlinesRegistry(), &staffCostsRegistry()}) {
        windows.add(rows->cardWindow, rows->helpContext,
                    [rows, &windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new RegistryCardWindow(session, *rows, windows, keyOf(parameters),
                                                      parameters.value(QStringLiteral("nuovo")).toBool(),
                                                      parent);
                    });
    }
    windows.add(staffSalariesRegistry().cardWindow, staffSalariesRegistry().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return salaryEditor(session, windows, parameters, parent);
                });
}

} // namespace rotalina::fleet::ui
