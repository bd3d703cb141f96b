#include "transport/ui/routewindow.h"

#include "core/numbertext.h"
#include "shell/desktop.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::transport::ui {

using namespace shell;
using namespace shell::ui;

namespace {

// The route window belongs to the tariff card and shares its help.
constexpr int tariffHelp = 4200;

// The program waits for the service with the hourglass; it goes back before any message.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// A request may take up to half a minute: the service is asked on a thread of its own so that the
// windows keep drawing themselves, while keys and clicks wait until the answer is in.
core::Result<RouteFigures> askOnItsOwnThread(RouteService &service, const RoutePoints &points)
{
    std::optional<core::Result<RouteFigures>> answer;
    QEventLoop waiting;
    const std::unique_ptr<QThread> asking(
        QThread::create([&service, &points, &answer] { answer = service.route(points.from, points.to); }));
    QObject::connect(asking.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    asking->start();
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
    asking->wait();
    return *std::move(answer);
}

QLineEdit *shownValue(const char *name, QWidget *parent, int width = 0)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    if (width > 0) {
        box->setMaximumWidth(width);
        box->setAlignment(Qt::AlignRight);
    }
    return box;
}

} // namespace

RouteWindow::RouteWindow(Session &session, qint64 tariff, std::unique_ptr<RouteService> service,
                         QWidget *parent)
    : QDialog(parent), m_session(session), m_tariff(tariff), m_service(std::move(service)),
      m_departure(shownValue("edtPartenza", this)), m_arrival(shownValue("edtDestinazione", this)),
      m_kilometres(shownValue("edtChilometri", this, 110)), m_hours(shownValue("edtOre", this, 70)),
      m_minutes(shownValue("edtMinuti", this, 70)), m_steps(new QPlainTextEdit(this)),
      m_state(new QLabel(this)),
      m_save(makeButton(this, "Button2", "Salva", "Scrive chilometri, tempo e percorso nella tariffa"))
{
    setObjectName(QStringLiteral("TfrmNavigazione"));
    setWindowTitle(QStringLiteral("vedi sul Web"));
    WindowRegistry::setHelpContext(this, tariffHelp);
    auto *layout = new QVBoxLayout(this);

    auto *ends = new QGroupBox(QStringLiteral("Percorso della tariffa"), this);
    auto *endsLayout = new QFormLayout(ends);
    endsLayout->addRow(QStringLiteral("Partenza"), m_departure);
    endsLayout->addRow(QStringLiteral("Destinazione"), m_arrival);
    QPushButton *calculateButton = makeButton(this, "Button1", "Calcola percorso",
                                              "Chiede distanza, tempo e percorso al servizio percorsi");
    QPushButton *mapButton =
        makeButton(this, "btnMappa", "Mappa", "Mostra il percorso sulla mappa di OpenStreetMap nel browser");
    auto *asking = new QHBoxLayout;
    asking->addWidget(calculateButton);
    asking->addWidget(mapButton);
    asking->addStretch(1);
    endsLayout->addRow(QString(), asking);
    layout->addWidget(ends);

    auto *results = new QGroupBox(QStringLiteral("Risultato"), this);
    auto *resultsLayout = new QGridLayout(results);
    resultsLayout->addWidget(new QLabel(QStringLiteral("Chilometri"), results), 0, 0);
    resultsLayout->addWidget(m_kilometres, 0, 1);
    resultsLayout->addWidget(new QLabel(QStringLiteral("Ore"), results), 0, 2);
    resultsLayout->addWidget(m_hours, 0, 3);
    resultsLayout->addWidget(new QLabel(QStringLiteral("Minuti"), results), 0, 4);
    resultsLayout->addWidget(m_minutes, 0, 5);
    resultsLayout->setColumnStretch(6, 1);
    resultsLayout->addWidget(new QLabel(QStringLiteral("Percorso"), results), 1, 0, Qt::AlignTop);
    m_steps->setObjectName(QStringLiteral("memPercorso"));
    m_steps->setReadOnly(true);
    // Shown, not typed into: the keyboard stays on the buttons until the user clicks the steps.
    m_steps->setFocusPolicy(Qt::ClickFocus);
    m_steps->setLineWrapMode(QPlainTextEdit::NoWrap);
    resultsLayout->addWidget(m_steps, 1, 1, 1, 6);
    resultsLayout->setRowStretch(1, 1);
    layout->addWidget(results, 1);

    m_state->setObjectName(QStringLiteral("lblStato"));
    m_state->setWordWrap(true);
    layout->addWidget(m_state);

    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    layout->addLayout(buttonRow({m_save, makeToolButton(ToolAction::Aiuto, this), back}));

    connect(calculateButton, &QPushButton::clicked, this, &RouteWindow::calculate);
    connect(mapButton, &QPushButton::clicked, this, &RouteWindow::showMap);
    connect(m_save, &QPushButton::clicked, this, &RouteWindow::save);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);

    showEnds();
    showFigures();
    calculateButton->setFocus();
    resize(760, 600);
}

RouteWindow::~RouteWindow() = default;

void RouteWindow::showEnds()
{
    const core::Result<TariffRoute> route = readTariffRoute(*m_session.archive(), m_tariff);
    const auto shown = [](const RouteEnd &end) {
        return end.name.trimmed().isEmpty() ? QStringLiteral("(manca)") : end.name;
    };
    m_departure->setText(route ? shown(route->departure) : QString());
    m_arrival->setText(route ? shown(route->arrival) : QString());
}

void RouteWindow::showFigures()
{
    m_kilometres->setText(m_figures ? core::formatItalianNumber(m_figures->kilometres, 2) : QString());
    m_hours->setText(m_figures ? QString::number(m_figures->hours) : QString());
    m_minutes->setText(m_figures ? QString::number(m_figures->minutes) : QString());
    m_steps->setPlainText(m_figures ? m_figures->steps : QString());
    m_save->setEnabled(m_figures.has_value());
}

bool RouteWindow::calculate()
{
    // Figures of an earlier request never stay beside the ends of a new one.
    m_figures.reset();
    showEnds();
    showFigures();
    const core::Result<RoutePoints> points = readRoutePoints(*m_session.archive(), m_tariff);
    const core::Result<RouteFigures> figures = [this, &points] {
        if (!points)
            return core::Result<RouteFigures>::failure(points.error());
        m_state->setText(QStringLiteral("Richiesta al servizio percorsi in corso..."));
        const WaitCursor waiting;
        m_asking = true;
        core::Result<RouteFigures> answer = askOnItsOwnThread(*m_service, *points);
        m_asking = false;
        return answer;
    }();
    if (!figures) {
        m_state->setText(QStringLiteral("Il percorso non è stato calcolato."));
        m_session.prompter().message(titles::error(), figures.error());
        return false;
    }
    m_figures = *figures;
    showFigures();
    m_save->setFocus();
    m_state->setText(QStringLiteral("Percorso calcolato: \"Salva\" lo scrive nella tariffa."));
    return true;
}

void RouteWindow::reject()
{
    if (!m_asking)
        QDialog::reject();
}

void RouteWindow::closeEvent(QCloseEvent *event)
{
    // The window stays until the service has answered: the answer is written into it.
    if (m_asking)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

bool RouteWindow::save()
{
    if (!m_figures) {
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Attenzione calcolare prima il percorso !"));
        return false;
    }
    if (const core::Status stored = storeRouteFigures(*m_session.archive(), m_tariff, *m_figures); !stored) {
        m_session.prompter().message(titles::error(), stored.error());
        return false;
    }
    m_savedFigures = true;
    m_state->setText(QStringLiteral("Chilometri, tempo e percorso sono nella tariffa."));
    m_session.prompter().information(routeMessages::saved());
    return true;
}

void RouteWindow::showMap()
{
    const core::Result<RoutePoints> points = readRoutePoints(*m_session.archive(), m_tariff);
    if (!points) {
        m_session.prompter().message(titles::error(), points.error());
        return;
    }
    const QUrl map =
        QUrl::fromEncoded(routeMapAddress(points->from, points->to).toLatin1(), QUrl::StrictMode);
    if (!m_session.desktop().openUrl(map))
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Impossibile aprire il browser per mostrare la mappa."));
}

void registerRouteWindow(WindowRegistry &registry)
{
    registry.add(QStringLiteral("TfrmNavigazione"), tariffHelp,
                 [](Session &session, const QVariantMap &parameters, QWidget *parent) -> QDialog * {
                     const core::Result<QString> address = routeServiceAddress(*session.archive());
                     if (!address) {
                         session.prompter().message(titles::error(), address.error());
                         return nullptr;
                     }
                     auto *window =
                         new RouteWindow(session, parameters.value(QStringLiteral("chiave")).toLongLong(),
                                         std::make_unique<CurlRouteService>(*address), parent);
                     if (parameters.value(QStringLiteral("calcola")).toBool())
                         window->calculate();
                     return window;
                 });
}

} // namespace rotalina::transport::ui
