#include "fleet/ui/vehiclewindows.h"

#include "fleet/refuelling.h"
#include "fleet/vehicles.h"
#include "shell/desktop.h"
#include "shell/options.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/recordchooser.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::fleet::ui {

using namespace shell;
using namespace shell::ui;

namespace {

const QString tankChooser = QStringLiteral("TfrmSceltaCisterna");

// The row a window opens on: "chiave" from the lists and cards, "id" from the start-up reminder.
qint64 keyOf(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("chiave"), parameters.value(QStringLiteral("id"))).toLongLong();
}

// The editor of a row of the card, opened from its page or from the start-up reminder.
void registerRowEditor(WindowRegistry &windows, const RegistryDescriptor &registry,
                       std::function<void(RegistryCardWindow &window, Session &session)> extend = {})
{
    windows.add(
        registry.cardWindow, registry.helpContext,
        [&windows, &registry, extend](Session &session, const QVariantMap &parameters, QWidget *parent) {
            auto *window = new RegistryCardWindow(session, registry, windows, keyOf(parameters),
                                                  parameters.value(QStringLiteral("nuovo")).toBool(), parent);
            if (extend)
                extend(*window, session);
            return window;
        });
}

// "Calcola" beside the amount and beside the litres of the refuelling editor.
void addPriceButtons(RegistryCardWindow &window, Session &session)
{
    RecordForm &form = window.card().form();
    const auto place = [&](const char *field, const char *name, const char *hint, bool toAmount) {
        QWidget *editor = form.editor(QString::fromLatin1(field));
        if (!editor)
            return;
        auto *button = makeButton(editor->parentWidget(), name, "Calcola", hint);
        FormPage::placeBeside(editor, button);
        QObject::connect(button, &QPushButton::clicked, &window, [&session, &form, toAmount] {
            const QVariantMap values = form.values();
            // The price is that of the vehicle's fuel; the editor shows the refuelling, not its vehicle.
            const core::Result<QVariant> vehicle = session.archive()->scalar(
                QStringLiteral("SELECT Vettura_ID FROM VettureCarburante WHERE ID = ?"), {form.key()});
            if (!vehicle) {
                session.prompter().message(titles::error(), vehicle.error());
                return;
            }
            const core::Result<double> price = fuelPrice(*session.archive(), *vehicle);
            if (!price) {
                session.prompter().message(titles::error(), price.error());
                return;
            }
            const core::Result<double> computed =
                toAmount ? amountOfLitres(values.value(QStringLiteral("Litri")), *price)
                         : litresOfAmount(values.value(QStringLiteral("Importo")), *price);
            if (!computed) {
                session.prompter().message(titles::error(), computed.error());
                return;
            }
            form.setValue(toAmount ? QStringLiteral("Importo") : QStringLiteral("Litri"), *computed);
        });
    };
    place("Importo", "btnCalcolaImporto", "Calcola l'importo dai litri e dal prezzo del carburante", true);
    place("Litri", "btnCalcolaLitri", "Calcola i litri dall'importo e dal prezzo del carburante", false);
}

} // namespace

VehicleListWindow::VehicleListWindow(Session &session, const WindowRegistry &windows, QWidget *parent)
    : RegistryListWindow(session, vehiclesRegistry(), windows, parent), m_from(new DateBox(this)),
      m_to(new DateBox(this))
{
    m_from->setObjectName(QStringLiteral("maskDaData"));
    m_to->setObjectName(QStringLiteral("maskAData"));
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Immatricolata dal"), area));
    row->addWidget(m_from);
    row->addWidget(new QLabel(QStringLiteral("al"), area));
    row->addWidget(m_to);
    row->addStretch(1);
    addFilterArea(area);
    for (DateBox *box : {m_from, m_to})
        connect(box, &QLineEdit::editingFinished, this, &VehicleListWindow::reload);
    QPushButton *print = makeToolButton(ToolAction::Stampa, this);
    print->setToolTip(QStringLiteral("Stampa l'elenco delle vetture"));
    connect(print, &QPushButton::clicked, this, [this] { ReportService(this->session()).print(52, {}); });
    addButton(print);
}

bool VehicleListWindow::addListConditions(storage::ListFilter &filter)
{
    if (const std::optional<QDate> from = m_from->date())
        filter.dateFrom(QStringLiteral("Vetture.DataImmatricolazione"), *from);
    if (const std::optional<QDate> to = m_to->date())
        filter.dateTo(QStringLiteral("Vetture.DataImmatricolazione"), *to);
    return true;
}

void VehicleListWindow::clearFilters()
{
    RegistryListWindow::clearFilters();
    m_from->clearDate();
    m_to->clearDate();
}

void VehicleListWindow::remove()
{
    const int row = grid()->currentRow();
    const std::optional<qint64> key = records().keyAt(row);
    if (!key || !session().prompter().ask(titles::warning(),
                                          QStringLiteral("Sei sicuro di voler eliminare la Vettura?")))
        return;
    const core::Result<VehicleRemoval> removed = removeVehicle(*session().archive(), *key);
    if (!removed) {
        session().prompter().message(titles::error(), removed.error());
        return;
    }
    if (*removed == VehicleRemoval::Withdrawn)
        session().prompter().message(titles::warning(), vehicleWithdrawnMessage());
    reload();
    if (records().rowCount() > 0)
        grid()->setCurrentRow(std::min(std::max(row - 1, 0), records().rowCount() - 1));
}

VehicleCardWindow::VehicleCardWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                                     QWidget *parent)
    : FormCardWindow(session, QStringLiteral("Vetture"), parent), m_session(session), m_windows(windows),
      m_pages(new QTabWidget(this))
{
    const RegistryDescriptor &registry = vehiclesRegistry();
    setObjectName(registry.cardWindow);
    setWindowTitle(registry.cardCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);

    // "Generale": the vehicle's fields in two columns.
    addFieldsPage(m_pages, QStringLiteral("Generale"), registry.fields, session, windows);
    addFolderButtons(QStringLiteral("CartellaServer"), "Sceglie la cartella dei dati",
                     "Apre la cartella dei dati");
    if (auto *plate = qobject_cast<QLineEdit *>(m_form->editor(QStringLiteral("Targa"))))
        connect(plate, &QLineEdit::editingFinished, this, &VehicleCardWindow::checkPlate);

    // One page per kind of row, each with the print of its rows.
    const std::array<std::tuple<const RegistryDescriptor *, const char *, const char *, int>, 4> kinds{
        std::tuple{&vehicleDeadlinesRegistry(), "Scadenze", "SpeedButton1", 49},
        std::tuple{&vehicleCardsRegistry(), "Schede", "SpeedButton5", 50},
        std::tuple{&vehicleCostsRegistry(), "Costi non fatturati", "SpeedButton23", 44},
        std::tuple{&refuellingsRegistry(), "Carburante", "SpeedButton24", 45}};
    for (const auto &[rows, caption, printName, code] : kinds) {
        auto *page = new QWidget(m_pages);
        auto *pageLayout = new QVBoxLayout(page);
        const RegistryRows link{[rows] { return rows; }, QStringLiteral("Vettura_ID"),
                                QString::fromUtf8(caption), rows->grid};
        auto *panel = new OwnedRowsPanel(session, windows, *rows, link, page);
        panel->setBeforeChange([this] { return !m_form->isDirty() || save(); });
        // The totals on "Generale" follow the refuellings and the costs.
        panel->setAfterChange([this] {
            if (!m_form->isDirty())
                m_form->load(m_form->key(), m_form->isNew());
        });
        auto *printButton = makeButton(page, printName, "Stampa", "Stampa le righe della pagina");
        connect(printButton, &QPushButton::clicked, this,
                [this, reportCode = code] { printSaved(reportCode); });
        panel->addButton(printButton);
        pageLayout->addWidget(panel, 1);
        m_pages->addTab(page, QString::fromUtf8(caption));
        m_panels.append(panel);
    }
    refuellings()->setAdd([this] { addRefuelling(); });

    m_form->checks() = registry.checks;
    m_form->setWriter([this](qint64 row, const QVariantMap &values) {
        return saveRegistryRow(*m_session.archive(), vehiclesRegistry(), row, values);
    });
    m_form->setRemover([this](qint64 row) {
        const core::Result<VehicleRemoval> removed = removeVehicle(*m_session.archive(), row);
        return removed ? core::Status() : core::Status::failure(removed.error());
    });
    guardPageChanges(m_pages);

    QPushButton *saveButton = makeToolButton(ToolAction::Salva, this);
    connect(saveButton, &QPushButton::clicked, this, &VehicleCardWindow::save);
    m_cancel = makeToolButton(ToolAction::Annulla, this);
    connect(m_cancel, &QPushButton::clicked, this, &FormCardWindow::cancelNew);
    QPushButton *printSheet = makeToolButton(ToolAction::Stampa, this);
    printSheet->setToolTip(QStringLiteral("Stampa la scheda della vettura"));
    connect(printSheet, &QPushButton::clicked, this, [this] { printSaved(48); });
    auto *purchases = makeButton(this, "SpeedButton16", "Fatt. Acquisto",
                                 "Stampa le righe delle fatture di acquisto imputate alla vettura");
    connect(purchases, &QPushButton::clicked, this, [this] { printSaved(57); });
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, &VehicleCardWindow::back);
    layout->addLayout(buttonRow({saveButton, m_cancel, printSheet, purchases, help, backButton}));
    m_cancel->setVisible(isNew);

    if (!m_form->load(key, isNew))
        finish(false);
    for (OwnedRowsPanel *panel : m_panels)
        panel->setOwner(key);
    // A new vehicle starts with pending changes: leaving it checks its plate and fuel.
    m_form->setDirty(isNew);
    resize(980, 640);
}

bool VehicleCardWindow::changePage(int page)
{
    if (page == m_shownPage || page == 0)
        return true;
    // The rows belong to a saved vehicle.
    if (m_form->isDirty() && !save())
        return false;
    m_panels.at(page - 1)->reload();
    return true;
}

bool VehicleCardWindow::save()
{
    if (FormCardWindow::save())
        return true;
    // The fields the checks name stand on the first page.
    const QSignalBlocker blocker(m_pages);
    m_pages->setCurrentIndex(0);
    m_shownPage = 0;
    return false;
}

void VehicleCardWindow::checkPlate()
{
    const QString plate = m_form->values().value(QStringLiteral("Targa")).toString().trimmed();
    if (plate.isEmpty())
        return;
    const core::Result<int> others = otherVehiclesWithPlate(*m_session.archive(), plate, m_form->key());
    if (!others) {
        m_session.prompter().message(titles::error(), others.error());
        return;
    }
    for (const QString &warning : duplicatePlateWarnings(plate, *others))
        m_session.prompter().message(titles::warning(), warning);
}

void VehicleCardWindow::addRefuelling()
{
    const core::Result<RefuellingOptions> options = readRefuellingOptions(*m_session.archive());
    if (!options) {
        m_session.prompter().message(titles::error(), options.error());
        return;
    }
    QVariant tank;
    if (options->tanks)
        tank = m_windows.choose(tankChooser, m_session, this);
    const core::Result<qint64> key =
        fleet::addRefuelling(*m_session.archive(), m_form->key(), m_session.today(), tank);
    if (!key) {
        m_session.prompter().message(titles::error(), key.error());
        return;
    }
    refuellings()->openRow(*key, true);
}

void registerVehicleWindows(WindowRegistry &windows)
{
    const RegistryDescriptor &registry = vehiclesRegistry();
    windows.add(registry.listWindow, registry.helpContext,
                [&windows](Session &session, const QVariantMap &, QWidget *parent) {
                    return new VehicleListWindow(session, windows, parent);
                });
    windows.add(registry.cardWindow, registry.helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new VehicleCardWindow(session, windows, keyOf(parameters),
                                                 parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
    registerRowEditor(windows, vehicleDeadlinesRegistry());
    registerRowEditor(windows, vehicleCardsRegistry());
    registerRowEditor(windows, vehicleCostsRegistry());
    registerRowEditor(windows, refuellingsRegistry(), addPriceButtons);
    // "Scelta Cisterna": the tank a new refuelling draws from, with what it holds.
    windows.add(
        tankChooser, registry.helpContext, [](Session &session, const QVariantMap &, QWidget *parent) {
            ChooserDescription chooser;
            chooser.window = tankChooser;
            chooser.caption = QStringLiteral("Scelta Cisterna");
            chooser.helpContext = vehiclesRegistry().helpContext;
            chooser.grid = QStringLiteral("frmSceltaCisterna");
            chooser.statement =
                QStringLiteral("SELECT Cisterne.id AS ID, Cisterne.Descrizione, Carburanti.Descrizione AS "
                               "Carburante, Cisterne.Litri FROM Cisterne LEFT JOIN Carburanti ON "
                               "Cisterne.Carburante_ID = Carburanti.id ORDER BY Cisterne.Descrizione");
            chooser.columns = {{QStringLiteral("Descrizione"), QStringLiteral("Cisterna"), 200},
                               {QStringLiteral("Carburante"), QStringLiteral("Carburante"), 120},
                               {QStringLiteral("Litri"), QStringLiteral("Litri"), 90}};
            chooser.numberFields = {{QStringLiteral("Litri"), 2}};
            chooser.nothingToChoose = QStringLiteral("Nessuna cisterna in archivio");
            return new RecordChooser(session, chooser, parent);
        });
}

} // namespace rotalina::fleet::ui
