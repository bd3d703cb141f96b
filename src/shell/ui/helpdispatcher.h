#pragma once

#include <QObject>
#include <QPointer>

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class HelpWindow;

// The F1 key anywhere in the program (and every "Aiuto" button, which sends it) shows the help
// page of the window in use in the help window: help/<topic>.html beside the program, or the
// help's first page.
class HelpDispatcher : public QObject
{
    Q_OBJECT

public:
    static void install(Session &session);
    // The help window, once help was asked for.
    static HelpWindow *window();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HelpDispatcher(Session &session, QObject *parent);
    ~HelpDispatcher() override;
    Session &m_session;
    QPointer<HelpWindow> m_window;
};

} // namespace rotalina::shell::ui
