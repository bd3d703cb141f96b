#include "transport/ui/schedulewindows.h"

#include "core/textfile.h"
#include "shell/prompter.h"
#include "shell/recordchecks.h"
#include "shell/session.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace rotalina::transport::ui {

using namespace shell;
using namespace shell::ui;

namespace {

constexpr int scheduleHelp = 4600;
constexpr int hoursPerDay = 24;

const QString choiceWindowName = QStringLiteral("TfrmSceltaProgrammazione");

// The office's working hours from the options, to tell them apart in the grid; none when unset.
std::pair<int, int> workingHours(storage::Archive &archive)
{
    core::Result<QSqlQuery> options =
        archive.select(QStringLiteral("SELECT ProgrammazioneOraInizio, ProgrammazioneOraFine FROM opzioni"));
    if (!options || !options->next())
        return {0, 0};
    return {options->value(0).toInt(), options->value(1).toInt()};
}

} // namespace

ScheduleChoiceWindow::ScheduleChoiceWindow(Session &session, QWidget *parent)
    : QDialog(parent), m_session(session), m_from(new DateBox(this)), m_to(new DateBox(this)),
      m_byVehicle(new QRadioButton(QStringLiteral("   x vettura"), this)),
      m_byDriver(new QRadioButton(QStringLiteral("   x autista"), this)),
      m_generic(new QRadioButton(QStringLiteral("   generica"), this)), m_vehicle(new LookupBox(this)),
      m_driver(new LookupBox(this))
{
    setObjectName(choiceWindowName);
    setWindowTitle(QStringLiteral("Programmazione"));
    WindowRegistry::setHelpContext(this, scheduleHelp);
    m_from->setObjectName(QStringLiteral("maskDaData"));
    m_to->setObjectName(QStringLiteral("maskAData"));
    m_byVehicle->setObjectName(QStringLiteral("optVettura"));
    m_byDriver->setObjectName(QStringLiteral("optAutista"));
    m_generic->setObjectName(QStringLiteral("optTutti"));
    m_vehicle->setObjectName(QStringLiteral("DBLookupComboBox5"));
    m_driver->setObjectName(QStringLiteral("DBLookupComboBox1"));
    m_byVehicle->setChecked(true);
    for (LookupBox *box : {m_vehicle, m_driver})
        box->setMinimumContentsLength(24);
    // Vehicles and drivers are chosen by their keys: two members of staff may share a name.
    FormPage::fill(m_vehicle, session,
                   QStringLiteral("SELECT ID, Targa FROM Vetture WHERE Targa IS NOT NULL AND Targa <> '' AND "
                                  "COALESCE(Annullato, false) = false ORDER BY Targa"));
    FormPage::fill(m_driver, session,
                   QStringLiteral("SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || "
                                  "COALESCE(Nome, ''))) FROM Personale ORDER BY 2"));

    Session::Period period = session.schedulePeriod();
    if (!period.from.isValid())
        period = {session.today(), session.today().addDays(7)};
    m_from->setDate(period.from);
    m_to->setDate(period.to);

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Dalla Data"), m_from);
    form->addRow(QStringLiteral("alla Data"), m_to);
    layout->addLayout(form);
    auto *modes = new QGroupBox(QStringLiteral("Programmazione"), this);
    auto *modeLayout = new QHBoxLayout(modes);
    modeLayout->addWidget(m_byVehicle);
    modeLayout->addWidget(m_byDriver);
    modeLayout->addWidget(m_generic);
    layout->addWidget(modes);
    auto *choices = new QFormLayout;
    choices->addRow(QStringLiteral("Vettura"), m_vehicle);
    choices->addRow(QStringLiteral("Autista"), m_driver);
    layout->addLayout(choices);
    layout->addStretch(1);

    QPushButton *show =
        makeButton(this, "btnProgrammazione", "Programmazione", "Programmazione di mezzi ed autisti");
    connect(show, &QPushButton::clicked, this, &ScheduleChoiceWindow::showSchedule);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    connect(help, &QPushButton::clicked, this, [this] { requestHelp(this); });
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttonRow({show, help, back}));
    resize(460, 0);
}

bool ScheduleChoiceWindow::dateChecked(DateBox *box, const QString &caption)
{
    if (!box->isImpossible())
        return true;
    m_session.prompter().message(
        QStringLiteral("Messaggio di avviso!!"),
        QStringLiteral("Attenzione \"%1\" non è una data: scrivere la data come gg/mm/aaaa (\"%2\")")
            .arg(caption, box->text()));
    box->setFocus();
    return false;
}

void ScheduleChoiceWindow::showSchedule()
{
    if (!dateChecked(m_from, QStringLiteral("Dalla Data")) || !dateChecked(m_to, QStringLiteral("alla Data")))
        return;
    const QDate from = m_from->date().value_or(QDate());
    const QDate to = m_to->date().value_or(QDate());
    if (const std::optional<ScheduleCheck> wrong = checkScheduleRange(from, to)) {
        m_session.prompter().message(wrong->title, wrong->message);
        (from.isValid() ? m_to : m_from)->setFocus();
        return;
    }
    m_session.setSchedulePeriod({from, to});

    ScheduleRequest request;
    request.from = from;
    request.to = to;
    request.mode = m_byDriver->isChecked()  ? ScheduleMode::Driver
                   : m_generic->isChecked() ? ScheduleMode::Generic
                                            : ScheduleMode::Vehicle;
    if (RecordChecks::hasValue(m_vehicle->key()))
        request.vehicleKey = m_vehicle->key().toLongLong();
    if (RecordChecks::hasValue(m_driver->key()))
        request.driverKey = m_driver->key().toLongLong();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    core::Result<Schedule> schedule = buildSchedule(*m_session.archive(), request);
    QApplication::restoreOverrideCursor();
    if (!schedule) {
        m_session.prompter().message(titles::error(), schedule.error());
        return;
    }
    const auto [workStart, workEnd] = workingHours(*m_session.archive());
    ScheduleWindow window(m_session, std::move(schedule).value(), workStart, workEnd, this);
    window.exec();
}

ScheduleWindow::ScheduleWindow(Session &session, Schedule schedule, int workStart, int workEnd,
                               QWidget *parent)
    : QDialog(parent), m_session(session), m_schedule(std::move(schedule)), m_title(new QLabel(this)),
      m_grid(new QTableWidget(this))
{
    setObjectName(QStringLiteral("TfrmProgrammazione"));
    setWindowTitle(QStringLiteral("Programmazione"));
    WindowRegistry::setHelpContext(this, scheduleHelp);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_title->setText(m_schedule.title);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_grid->setObjectName(QStringLiteral("StringGrid2"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->setAlternatingRowColors(false);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    QPushButton *exportButton = makeButton(this, "SpeedButton1", "Esporta", "Esporta i dati in formato ICal");
    connect(exportButton, &QPushButton::clicked, this, &ScheduleWindow::exportCalendar);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    connect(help, &QPushButton::clicked, this, [this] { requestHelp(this); });
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttonRow({exportButton, help, back}));
    fillGrid(workStart, workEnd);
    resize(1200, 720);
}

void ScheduleWindow::fillGrid(int workStart, int workEnd)
{
    const QList<QStringList> rows = m_schedule.grid();
    const QStringList &header = rows.first();
    const bool labelled = m_schedule.mode != ScheduleMode::Generic;
    const int firstDayColumn = labelled ? 1 : 0;
    m_grid->setColumnCount(static_cast<int>(header.size()));
    m_grid->setRowCount(static_cast<int>(rows.size()) - 1);
    m_grid->setHorizontalHeaderLabels(header);

    const QColor busy(0xcf, 0xe3, 0xff);
    const QColor offHours(0xf2, 0xf2, 0xf2);
    const QColor weekend(0xfb, 0xf3, 0xe4);
    const bool hasWorkingHours = workEnd > workStart;
    QStringList hourLabels;
    for (int row = 1; row < rows.size(); ++row) {
        const int hour = (row - 1) % hoursPerDay;
        hourLabels.append(QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0')));
        for (int column = 0; column < header.size(); ++column) {
            auto *cell = new QTableWidgetItem(rows.at(row).at(column));
            if (column >= firstDayColumn) {
                const QDate day = m_schedule.days.at(column - firstDayColumn);
                if (!cell->text().isEmpty()) {
                    cell->setBackground(busy);
                    cell->setToolTip(cell->text());
                } else if (hasWorkingHours && (hour < workStart || hour > workEnd)) {
                    cell->setBackground(offHours);
                } else if (day.dayOfWeek() >= Qt::Saturday) {
                    cell->setBackground(weekend);
                }
            } else {
                QFont bold = cell->font();
                bold.setBold(true);
                cell->setFont(bold);
                cell->setTextAlignment(Qt::AlignCenter);
            }
            m_grid->setItem(row - 1, column, cell);
        }
    }
    m_grid->setVerticalHeaderLabels(hourLabels);
    // The label of a vehicle or a driver stands beside the whole day of its block.
    if (labelled) {
        for (int block = 0; block < m_schedule.blocks.size(); ++block)
            m_grid->setSpan(block * hoursPerDay, 0, hoursPerDay, 1);
        m_grid->setColumnWidth(0, 140);
    }
    // The firm's grid names drivers, vehicles and destination in every cell: its days are wider.
    const int dayWidth = labelled ? 230 : 380;
    for (int column = firstDayColumn; column < header.size(); ++column)
        m_grid->setColumnWidth(column, dayWidth);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    if (hasWorkingHours && m_grid->rowCount() > workStart)
        m_firstWorkingRow = workStart;
}

void ScheduleWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The grid opens on the first working hour, with the labels of the vehicles still in sight.
    const int row = m_firstWorkingRow;
    QTimer::singleShot(0, this, [this, row] {
        m_grid->verticalScrollBar()->setValue(m_grid->verticalHeader()->sectionPosition(row));
        m_grid->horizontalScrollBar()->setValue(0);
    });
}

void ScheduleWindow::exportCalendar()
{
    QString path = m_session.prompter().saveFile(QStringLiteral("Esporta"),
                                                 QDir::home().filePath(QStringLiteral("Calendario.ics")),
                                                 QStringLiteral("Files Ical (*.ics)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".ics");
    const QString text = core::scriviCalendario(scheduleEvents(m_schedule, QDateTime::currentDateTimeUtc()));
    if (core::Status written = core::writeTextFile(path, text); !written)
        m_session.prompter().message(titles::error(), written.error());
}

void registerScheduleWindows(WindowRegistry &windows)
{
    windows.add(choiceWindowName, scheduleHelp, [](Session &session, const QVariantMap &, QWidget *parent) {
        return new ScheduleChoiceWindow(session, parent);
    });
}

} // namespace rotalina::transport::ui
