#include "fleet/ui/fleetprintwindows.h"

#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QDialog>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace rotalina::fleet::ui {

using shell::Session;
using shell::ui::WindowRegistry;

namespace {

constexpr int vehicleHelp = 6100;
constexpr int staffHelp = 6200;

// A button of a print selection: a list printed at once, or the window of a summary.
struct PrintEntry
{
    const char *name;
    const char *caption;
    const char *hint;
    int report = 0;
    const char *window = nullptr;
};

// One button per print, in two columns; the lists take no choice here, the print program lets the
// user narrow them.
QDialog *printSelection(Session &session, const WindowRegistry &windows, const char *name,
                        const char *caption, int helpContext, const QList<PrintEntry> &entries,
                        QWidget *parent)
{
    auto *window = new QDialog(parent);
    window->setObjectName(QString::fromLatin1(name));
    window->setWindowTitle(QString::fromUtf8(caption));
    WindowRegistry::setHelpContext(window, helpContext);
    auto *grid = new QGridLayout;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PrintEntry entry = entries.at(i);
        QPushButton *button = shell::ui::makeButton(window, entry.name, entry.caption, entry.hint);
        button->setMinimumWidth(200);
        QObject::connect(button, &QPushButton::clicked, window, [&session, &windows, window, entry] {
            if (entry.window)
                windows.open(QString::fromLatin1(entry.window), session, window);
            else
                shell::ReportService(session).print(entry.report, {});
        });
        grid->addWidget(button, static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    QPushButton *help = shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, window);
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, window);
    QObject::connect(back, &QPushButton::clicked, window, &QDialog::accept);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(shell::ui::buttonRow({help, back}));
    return window;
}

} // namespace

void registerFleetPrintWindows(WindowRegistry &windows)
{
    windows.add(
        QStringLiteral("TfrmStampaVetture"), vehicleHelp,
        [&windows](Session &session, const QVariantMap &, QWidget *parent) {
            return printSelection(
                session, windows, "TfrmStampaVetture", "Stampa Vetture", vehicleHelp,
                {{"btnStampeVetture", "Vetture", "Elenco delle vetture", 52},
                 {"btnStampeVettureCosti", "Costi", "Costi non fatturati di tutte le vetture", 46},
                 {"btnStampeVettureCarburante", "Carburante", "Rifornimenti di tutte le vetture", 47},
                 {"btnRiepilogo", "Riepilogo", "Entrate e uscite di una vettura in un periodo, mese per mese",
                  0, "TfrmStampaVettureRiepilogo"}},
                parent);
        });
    windows.add(
        QStringLiteral("TfrmStampaPersonale"), staffHelp,
        [&windows](Session &session, const QVariantMap &, QWidget *parent) {
            return printSelection(
                session, windows, "TfrmStampaPersonale", "Stampa Personale", staffHelp,
                {{"btnStampePersonale", "Personale", "Elenco del personale", 25},
                 {"BitBtn2", "Costi", "Costi di tutto il personale", 19},
                 {"BitBtn5", "Scadenze", "Scadenze di tutto il personale", 55},
                 {"btnStampaPersonaleStipendi", "Stipendi", "Stipendi pagati", 65},
                 {"BitBtn1", "Stipendi per mese", "Stipendi raggruppati per mese", 66},
                 {"BitBtn3", "Stipendi con descrizioni", "Stipendi con addebiti e accrediti descritti", 67},
                 {"btnRiepilogo", "Riepilogo", "Entrate e uscite di un autista in un periodo, mese per mese",
                  0, "TfrmStampaPersonaleRiepilogo"}},
                parent);
        });
}

} // namespace rotalina::fleet::ui
