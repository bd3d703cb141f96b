#pragma once

#include <QObject>

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

// The F1 key anywhere in the program (and every "Aiuto" button, which sends it) opens the help
// page of the window in use: help/<topic>.html beside the program, or the help's first page.
class HelpDispatcher : public QObject
{
    Q_OBJECT

public:
    static void install(Session &session);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HelpDispatcher(Session &session, QObject *parent);
    Session &m_session;
};

} // namespace rotalina::shell::ui
