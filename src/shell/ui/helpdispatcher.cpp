#include "shell/ui/helpdispatcher.h"

#include "shell/desktop.h"
#include "shell/session.h"
#include "shell/ui/windowregistry.h"

#include <QApplication>
#include <QKeyEvent>

namespace rotalina::shell::ui {

HelpDispatcher::HelpDispatcher(Session &session, QObject *parent) : QObject(parent), m_session(session) {}

void HelpDispatcher::install(Session &session)
{
    static HelpDispatcher *instance = nullptr;
    delete instance;
    instance = new HelpDispatcher(session, qApp);
    qApp->installEventFilter(instance);
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
    m_session.desktop().openUrl(helpPage(m_session.installFolder(), WindowRegistry::helpContextOf(widget)));
    return true;
}

} // namespace rotalina::shell::ui
