#include "transport/ui/loadinglistwindows.h"

#include "shell/historyselection.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/listfilter.h"
#include "transport/loadinglists.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace rotalina::transport::ui {

using shell::Session;
using shell::ui::LookupBox;
using shell::ui::WindowRegistry;

namespace {

constexpr int loadingListReport = 78;
constexpr int loadingListsReport = 79;

} // namespace

LoadingListWindow::LoadingListWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                                     QWidget *parent)
    : DocumentWindow(session, loadingListDocument(), windows, key, isNew, parent)
{
    QPushButton *printing = shell::ui::makeButton(this, "spdStampa", "Stampa", "Stampa la Distinta");
    connect(printing, &QPushButton::clicked, this, &LoadingListWindow::print);
    addToolButton(printing);
    // A new list's header is checked before its consignments are shown.
    if (isNew)
        form().setDirty();
    resize(1000, 620);
}

void LoadingListWindow::print()
{
    if (!save())
        return;
    shell::ReportContext context;
    context.key = key();
    shell::ReportService(session()).print(loadingListReport, context);
}

LoadingListListWindow::LoadingListListWindow(Session &session, const WindowRegistry &windows,
                                             const QVariantMap &parameters, QWidget *parent)
    : RegistryListWindow(session, loadingListsRegistry(), windows, parent,
                         shell::documentListScope(parameters, QStringLiteral("Data"))),
      m_history(shell::isHistoryView(parameters)), m_driver(new LookupBox(this)),
      m_state(new QButtonGroup(this))
{
    setWindowTitle(shell::documentListCaption(windowTitle(), parameters));
    shell::ui::FilterBar *filters = filterBar();
    filters->addNumber(QStringLiteral("Numero"), QStringLiteral("Numero"), QStringLiteral("Edit2"));
    filters->addDateFrom(QStringLiteral("Data"), QStringLiteral("Dalla Data"), QStringLiteral("maskDaData"));
    filters->addDateTo(QStringLiteral("Data"), QStringLiteral("alla Data"), QStringLiteral("maskAData"));
    filters->addText(QStringLiteral("Cliente"), QStringLiteral("Cliente"), QStringLiteral("Edit1"),
                     shell::ui::FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("Targa1"), QStringLiteral("Targa"), QStringLiteral("Edit3"),
                     shell::ui::FilterBar::Match::BeginsWith);
    filters->startRow();
    m_driver->setObjectName(QStringLiteral("DBLookupComboBox1"));
    m_driver->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_driver->setMinimumContentsLength(20);
    shell::ui::FormPage::fill(
        m_driver, session,
        QStringLiteral("SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || "
                       "COALESCE(Nome, ''))) FROM Personale ORDER BY 2"));
    auto *label = new QLabel(QStringLiteral("Autista"), this);
    label->setBuddy(m_driver);
    filters->addWidget(label);
    filters->addWidget(m_driver);
    connect(m_driver, &LookupBox::chosen, this, &LoadingListListWindow::reload);
    connect(m_driver, &LookupBox::cleared, this, &LoadingListListWindow::reload);
    const std::initializer_list<std::pair<const char *, const char *>> states{
        {"optAperte", "Aperte"}, {"optChiuse", "Chiuse"}, {"optTutti", "Tutte"}};
    int id = 0;
    for (const auto &[name, caption] : states) {
        auto *button = new QRadioButton(QString::fromUtf8(caption), this);
        button->setObjectName(QLatin1String(name));
        m_state->addButton(button, id++);
        filters->addWidget(button);
    }
    m_state->button(2)->setChecked(true);
    connect(m_state, &QButtonGroup::idClicked, this, &LoadingListListWindow::reload);

    QPushButton *printing =
        shell::ui::makeButton(this, "spdStampa", "Stampa", "Stampa l'elenco delle Distinte di Carico");
    connect(printing, &QPushButton::clicked, this,
            [this] { shell::ReportService(this->session()).print(loadingListsReport, {}); });
    addButton(printing);
    reload();
    resize(1000, 600);
}

bool LoadingListListWindow::addListConditions(storage::ListFilter &filter)
{
    const QVariant driver = m_driver->key();
    if (shell::RecordChecks::hasValue(driver))
        filter.equals(QStringLiteral("Personale_ID"), driver);
    if (m_state->checkedId() == 0)
        filter.equals(QStringLiteral("Chiusa"), false);
    else if (m_state->checkedId() == 1)
        filter.equals(QStringLiteral("Chiusa"), true);
    return true;
}

void LoadingListListWindow::clearFilters()
{
    RegistryListWindow::clearFilters();
    filterBar()->clearAll();
    m_driver->clearChoice();
    m_state->button(2)->setChecked(true);
}

core::Result<qint64> LoadingListListWindow::createRow()
{
    return createLoadingList(*session().archive(), session().today(), m_history);
}

void registerLoadingListWindows(WindowRegistry &windows)
{
    windows.add(loadingListsRegistry().listWindow, loadingListsRegistry().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new LoadingListListWindow(session, windows, parameters, parent);
                });
    windows.add(loadingListDocument().window, loadingListDocument().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new LoadingListWindow(session, windows,
                                                 parameters.value(QStringLiteral("chiave")).toLongLong(),
                                                 parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
    shell::ui::registerRegistryWindows(windows, loadingListRowsRegistry());
}

} // namespace rotalina::transport::ui
