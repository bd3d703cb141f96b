#pragma once

#include "transport/routelookup.h"

#include <QDialog>
#include <memory>
#include <optional>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::transport::ui {

// TfrmNavigazione ("vedi sul Web"): the road distance, the driving time and the steps between the
// departure and arrival municipalities of a tariff, asked of the routing service. "Calcola
// percorso" asks, "Salva" writes the figures into the tariff's row (nothing is written until the
// whole answer was read), "Mappa" shows the same route on the public map in the browser.
class RouteWindow : public QDialog
{
    Q_OBJECT

public:
    RouteWindow(shell::Session &session, qint64 tariff, std::unique_ptr<RouteService> service,
                QWidget *parent = nullptr);
    ~RouteWindow() override;

    // "Calcola percorso": true when the service gave the figures.
    bool calculate();
    // "Salva": true when the figures were written into the tariff.
    bool save();
    // "Mappa".
    void showMap();

    const std::optional<RouteFigures> &figures() const { return m_figures; }
    // Whether "Salva" wrote the figures since the window opened.
    bool savedFigures() const { return m_savedFigures; }

    // Closing waits until the service has answered.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showEnds();
    void showFigures();

    shell::Session &m_session;
    qint64 m_tariff;
    std::unique_ptr<RouteService> m_service;
    std::optional<RouteFigures> m_figures;
    bool m_savedFigures = false;
    // While the service is being asked the window cannot be closed.
    bool m_asking = false;
    QLineEdit *m_departure;
    QLineEdit *m_arrival;
    QLineEdit *m_kilometres;
    QLineEdit *m_hours;
    QLineEdit *m_minutes;
    QPlainTextEdit *m_steps;
    QLabel *m_state;
    QPushButton *m_save;
};

// Registers TfrmNavigazione, opened with the tariff's key ("chiave"); with "calcola" it asks the
// service before it shows, as the tariff card does.
void registerRouteWindow(shell::ui::WindowRegistry &registry);

} // namespace rotalina::transport::ui
