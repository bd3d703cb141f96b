#include "shell/ui/helpdispatcher.h"

#include "shell/desktop.h"
#include "shell/session.h"
#include "shell/ui/helpwindow.h"
#include "shell/ui/windowregistry.h"

#include <QApplication>
#include <QKeyEvent>

namespace rotalina::shell::ui {

namespace {
HelpDispatcher *installed = nullptr;
}

HelpDispatcher::HelpDispatcher(Session &session, QObject *parent) : QObject(parent), m_session(session) {}

HelpDispatcher::~HelpDispatcher()
{
    delete m_window;
}

void HelpDispatcher::install(Session &session)
{
    delete installed;
    installed = new HelpDispatcher(session, qApp);
    qApp->installEventFilter(installed);
}

HelpWindow *HelpDispatcher::window()
{
    return installed ? installed->m_window.data() : nullptr;
}

bool HelpDispatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    // The event travels up from the focused widget: answer it once, where it starts.
    if (QApplication::focusWidget() && widget != QApplication::focusWidget())
        return false;
    if (!m_window)
        m_window = new HelpWindow(m_session.desktop(), helpIndexPath(m_session.installFolder()));
    m_window->showPage(helpPage(m_session.installFolder(), WindowRegistry::helpContextOf(widget)));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

} // namespace rotalina::shell::ui
