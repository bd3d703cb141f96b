#pragma once

#include <QDialog>

namespace rotalina::shell::ui {

// TfrmRealizzazione: who made the program, its version, and the credits of the public data it
// ships (municipalities, nations, electronic-invoice codes).
class CreditsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CreditsWindow(QWidget *parent = nullptr);

    static QString creditsText();
};

} // namespace rotalina::shell::ui
