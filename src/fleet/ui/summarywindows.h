#pragma once

#include "fleet/summaries.h"

#include <QDialog>
#include <optional>

class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class DateBox;
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::fleet::ui {

// "Vetture Riepilogo" (TfrmStampaVettureRiepilogo) and "Riepilogo Personale"
// (TfrmStampaPersonaleRiepilogo): a period and a vehicle or a driver; "Calcola" shows what it
// earned and what it cost, category by category and month by month in a chart, which "Salva
// grafico" keeps as a picture; "Stampa" prints the same summary with its chart.
class SummaryWindow : public QDialog
{
    Q_OBJECT

public:
    SummaryWindow(shell::Session &session, SummaryOf of, QWidget *parent = nullptr);

    // "Calcola": checks the choices, writes the summary for the print and shows it; false when a
    // choice is missing or the archive refused (the user has been told why).
    bool calculate();
    // The print button: the summary computed again from the choices, then its report.
    void print();
    // "Salva grafico": the chart shown, as a PNG picture.
    void saveChart();

    const std::optional<Summary> &summary() const { return m_summary; }
    QChartView *chartView() const { return m_chartView; }

private:
    void showSummary();
    void showChart();
    QString suggestedChartName() const;

    shell::Session &m_session;
    SummaryOf m_of;
    shell::ui::DateBox *m_from;
    shell::ui::DateBox *m_to;
    shell::ui::LookupBox *m_subject;
    QTableWidget *m_categories;
    QLabel *m_revenue;
    QLabel *m_costs;
    QLabel *m_margin;
    QChart *m_chart;
    QChartView *m_chartView;
    QPushButton *m_saveChart;
    std::optional<Summary> m_summary;
};

void registerSummaryWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
