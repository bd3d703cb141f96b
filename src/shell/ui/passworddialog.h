#pragma once

#include <QDialog>

class QLineEdit;

namespace rotalina::shell::ui {

// TfrmPass: the administrator's password, asked at start-up when the options hold one.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordDialog(QWidget *parent = nullptr);
    QString password() const;

private:
    QLineEdit *m_edit;
};

} // namespace rotalina::shell::ui
