#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace rotalina::shell::ui {

// The buttons every window of the program shares, with their names and captions.
enum class ToolAction {
    Salva,             // spdSalva "salva"
    Annulla,           // spdAnnulla "Annulla"
    Indietro,          // spdIndietro "Indietro"
    Aiuto,             // spdHelp "Aiuto"
    Aggiungi,          // spdInserisci "Aggiungi"
    AggiungiDettaglio, // spdInserisciDett "Aggiungi"
    Avanti,            // spdAvanti "Avanti"
    Modifica,          // spdAvanti "Modifica"
    AvantiDettaglio,   // spdAvantiDett "Avanti"
    Elimina,           // spdElimina "Elimina"
    EliminaDettaglio,  // spdEliminaDett "Elimina"
    Stampa,            // spdStampa "Stampa"
    Ricarica           // spdAggiorna "Ricarica"
};

QPushButton *makeToolButton(ToolAction action, QWidget *parent);
// A button of a window's own, by its name, caption and hint; Enter in a field never presses it.
QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, const char *hint = nullptr);
QString toolButtonName(ToolAction action);
QString toolButtonCaption(ToolAction action);

// Opens the help of the window that holds the focus, as the F1 key does.
void requestHelp(QWidget *from);

} // namespace rotalina::shell::ui
