#include "shell/ui/creditswindow.h"

#include "core/textfile.h"
#include "shell/ui/toolbuttons.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

QString CreditsWindow::creditsText()
{
    return core::readTextFile(QStringLiteral(":/shell/credits.html")).value();
}

CreditsWindow::CreditsWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmRealizzazione"));
    setWindowTitle(QStringLiteral("Realizzazione"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(
        QStringLiteral("<h2>Rotalina</h2><p>Gestione dell'autotrasporto conto terzi - versione %1</p>")
            .arg(QCoreApplication::applicationVersion()),
        this);
    layout->addWidget(title);
    auto *text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("txtRealizzazione"));
    text->setOpenExternalLinks(true);
    text->setHtml(creditsText());
    layout->addWidget(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(back);
    layout->addLayout(buttons);
    resize(720, 560);
}

} // namespace rotalina::shell::ui
