#include "shell/ui/toolbuttons.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

namespace rotalina::shell::ui {

namespace {
struct Look
{
    const char *name;
    const char *caption;
    QStyle::StandardPixmap icon;
};

Look lookOf(ToolAction action)
{
    switch (action) {
    case ToolAction::Salva:
        return {"spdSalva", "salva", QStyle::SP_DialogSaveButton};
    case ToolAction::Annulla:
        return {"spdAnnulla", "Annulla", QStyle::SP_DialogCancelButton};
    case ToolAction::Indietro:
        return {"spdIndietro", "Indietro", QStyle::SP_ArrowBack};
    case ToolAction::Aiuto:
        return {"spdHelp", "Aiuto", QStyle::SP_DialogHelpButton};
    case ToolAction::Aggiungi:
        return {"spdInserisci", "Aggiungi", QStyle::SP_FileIcon};
    case ToolAction::AggiungiDettaglio:
        return {"spdInserisciDett", "Aggiungi", QStyle::SP_FileIcon};
    case ToolAction::Avanti:
        return {"spdAvanti", "Avanti", QStyle::SP_ArrowForward};
    case ToolAction::Modifica:
        return {"spdAvanti", "Modifica", QStyle::SP_FileDialogDetailedView};
    case ToolAction::AvantiDettaglio:
        return {"spdAvantiDett", "Avanti", QStyle::SP_ArrowForward};
    case ToolAction::Elimina:
        return {"spdElimina", "Elimina", QStyle::SP_TrashIcon};
    case ToolAction::EliminaDettaglio:
        return {"spdEliminaDett", "Elimina", QStyle::SP_TrashIcon};
    case ToolAction::Stampa:
        return {"spdStampa", "Stampa", QStyle::SP_FileDialogContentsView};
    case ToolAction::Ricarica:
        return {"spdAggiorna", "Ricarica", QStyle::SP_BrowserReload};
    }
    return {"", "", QStyle::SP_CustomBase};
}
} // namespace

QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, const char *hint)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    if (hint)
        button->setToolTip(QString::fromUtf8(hint));
    return button;
}

QString toolButtonName(ToolAction action)
{
    return QString::fromLatin1(lookOf(action).name);
}

QString toolButtonCaption(ToolAction action)
{
    return QString::fromUtf8(lookOf(action).caption);
}

QPushButton *makeToolButton(ToolAction action, QWidget *parent)
{
    const Look look = lookOf(action);
    auto *button =
        new QPushButton(parent->style()->standardIcon(look.icon), QString::fromUtf8(look.caption), parent);
    button->setObjectName(QString::fromLatin1(look.name));
    button->setAutoDefault(false);
    if (action == ToolAction::Aiuto)
        QObject::connect(button, &QPushButton::clicked, button, [button] { requestHelp(button); });
    return button;
}

void requestHelp(QWidget *from)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : from;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

} // namespace rotalina::shell::ui
