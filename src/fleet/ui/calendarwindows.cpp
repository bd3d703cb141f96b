#include "fleet/ui/calendarwindows.h"

#include "fleet/calendar.h"
#include "shell/historyselection.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"

#include <QDateTime>
#include <QDir>
#include <QPushButton>

namespace rotalina::fleet::ui {

using namespace shell;
using namespace shell::ui;

namespace {

// The row a window opens on: "chiave" from the list, "id" from the start-up reminder.
qint64 keyOf(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("chiave"), parameters.value(QStringLiteral("id"))).toLongLong();
}

} // namespace

CalendarListWindow::CalendarListWindow(Session &session, const WindowRegistry &windows,
                                       const QVariantMap &parameters, QWidget *parent)
    : RegistryListWindow(session, calendarRegistry(), windows, parent,
                         documentListScope(parameters, QStringLiteral("Data"))),
      m_history(isHistoryView(parameters))
{
    setWindowTitle(documentListCaption(calendarRegistry().listCaption, parameters));
    filterBar()->addDateFrom(QStringLiteral("Data"), QStringLiteral("Dalla data"),
                             QStringLiteral("maskDaData"));
    filterBar()->addDateTo(QStringLiteral("Data"), QStringLiteral("Alla data"), QStringLiteral("maskAData"));
    auto *exportButton = makeButton(this, "spdEsporta", "Esporta Calendario",
                                    "Esporta le date elencate in un file iCalendar per altri programmi");
    connect(exportButton, &QPushButton::clicked, this, &CalendarListWindow::exportCalendar);
    addButton(exportButton);
    reload();
}

core::Result<qint64> CalendarListWindow::createRow()
{
    return addCalendarEntry(*session().archive(), m_history, session().today());
}

void CalendarListWindow::exportCalendar()
{
    QString path = session().prompter().saveFile(QStringLiteral("Esporta Calendario"),
                                                 QDir::home().filePath(QStringLiteral("Calendario.ics")),
                                                 QStringLiteral("Files Ical (*.ics)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".ics"), Qt::CaseInsensitive))
        path += QStringLiteral(".ics");
    QList<qint64> keys;
    for (int row = 0; row < records().rowCount(); ++row) {
        if (const std::optional<qint64> key = records().keyAt(row))
            keys.append(*key);
    }
    if (core::Status written =
            fleet::exportCalendar(*session().archive(), keys, path, QDateTime::currentDateTimeUtc());
        !written)
        session().prompter().message(titles::error(), written.error());
}

void registerCalendarWindows(WindowRegistry &windows)
{
    const RegistryDescriptor &calendar = calendarRegistry();
    windows.add(calendar.listWindow, calendar.helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new CalendarListWindow(session, windows, parameters, parent);
                });
    windows.add(calendar.cardWindow, calendar.helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new RegistryCardWindow(session, calendarRegistry(), windows, keyOf(parameters),
                                                  parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
}

} // namespace rotalina::fleet::ui
