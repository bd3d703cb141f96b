#include "registries/ui/typeswindow.h"

#include "registries/lookupregistries.h"
#include "shell/session.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace rotalina::registries::ui {

using namespace shell;
using namespace shell::ui;

TypesWindow::TypesWindow(Session &session, const WindowRegistry &windows, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmArchivioTipologie"));
    setWindowTitle(QStringLiteral("Tipologie"));
    WindowRegistry::setHelpContext(this, 5300);
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    const QList<QPair<QString, QString>> types = typeRegistries();
    for (qsizetype i = 0; i < types.size(); ++i) {
        const auto &[caption, window] = types.at(i);
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QStringLiteral("btn") + window);
        button->setMinimumHeight(36);
        button->setEnabled(windows.has(window));
        connect(button, &QPushButton::clicked, this,
                [&session, &windows, window, this] { windows.open(window, session, this); });
        grid->addWidget(button, static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    layout->addLayout(grid);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttonRow({makeToolButton(ToolAction::Aiuto, this), back}));
}

} // namespace rotalina::registries::ui
