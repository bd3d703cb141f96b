#pragma once

#include "transport/scheduling.h"

#include <QDialog>

class QLabel;
class QRadioButton;
class QTableWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class DateBox;
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

// "TfrmSceltaProgrammazione": the period, the mode and optionally the vehicle or the driver whose
// schedule is shown. It keeps the period for the next time it is opened while the program runs.
class ScheduleChoiceWindow : public QDialog
{
    Q_OBJECT

public:
    ScheduleChoiceWindow(shell::Session &session, QWidget *parent);

    // "Programmazione": checks the choice, builds the schedule and shows it.
    void showSchedule();

private:
    bool dateChecked(shell::ui::DateBox *box, const QString &caption);

    shell::Session &m_session;
    shell::ui::DateBox *m_from;
    shell::ui::DateBox *m_to;
    QRadioButton *m_byVehicle;
    QRadioButton *m_byDriver;
    QRadioButton *m_generic;
    shell::ui::LookupBox *m_vehicle;
    shell::ui::LookupBox *m_driver;
};

// "TfrmProgrammazione": the hour grid of a schedule, and its export to a calendar file.
class ScheduleWindow : public QDialog
{
    Q_OBJECT

public:
    ScheduleWindow(shell::Session &session, Schedule schedule, int workStart, int workEnd, QWidget *parent);

    // "Esporta": the job orders of the schedule written to an iCalendar file.
    void exportCalendar();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillGrid(int workStart, int workEnd);

    shell::Session &m_session;
    Schedule m_schedule;
    QLabel *m_title;
    QTableWidget *m_grid;
    int m_firstWorkingRow = 0;
};

void registerScheduleWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
