#include "shell/ui/passworddialog.h"

#include "shell/ui/entrynavigation.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

PasswordDialog::PasswordDialog(QWidget *parent) : QDialog(parent), m_edit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("TfrmPass"));
    setWindowTitle(QStringLiteral("Password"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Inserisci la Password"), this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setEchoMode(QLineEdit::Password);
    EntryNavigation::keepEnterKey(m_edit); // Enter closes the window here
    EntryNavigation::typeAcuteForApostrophe(m_edit);
    label->setBuddy(m_edit);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    connect(m_edit, &QLineEdit::returnPressed, this, &QDialog::accept);
    setMinimumWidth(280);
}

QString PasswordDialog::password() const
{
    return m_edit->text();
}

} // namespace rotalina::shell::ui
