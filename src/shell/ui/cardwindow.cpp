#include "shell/ui/cardwindow.h"

#include <QCloseEvent>

namespace rotalina::shell::ui {

void CardWindow::finish(bool accepted)
{
    m_closing = true;
    QDialog::done(accepted ? QDialog::Accepted : QDialog::Rejected);
}

void CardWindow::reject()
{
    if (m_closing) {
        QDialog::reject();
        return;
    }
    if (offersCancel()) {
        if (cancelInsert())
            finish(false);
        return;
    }
    if (leave())
        finish(true);
}

int CardWindow::exec()
{
    return m_closing ? result() : QDialog::exec();
}

void CardWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing || leave()) {
        m_closing = true;
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace rotalina::shell::ui
