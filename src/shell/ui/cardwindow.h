#pragma once

#include <QDialog>

namespace rotalina::shell::ui {

// A window that edits rows and is left with "Indietro": closing it from its title bar or with Esc
// does what "Indietro" does (checks and save, and it stays open when they fail), and Esc on a row
// just added does what "Annulla" does (asks, then deletes it). Nothing typed is lost without a word.
class CardWindow : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

    // Closes the window once its own ending did its work ("Indietro" saved, "Annulla" deleted).
    void finish(bool accepted);

    // Esc.
    void reject() override;
    // A window that finished before it was shown (its row could not be read) is not shown.
    int exec() override;

protected:
    // "Indietro": checks and saves; true when the window may close.
    virtual bool leave() = 0;
    // Whether the window shows a row just added that "Annulla" would delete.
    virtual bool offersCancel() const { return false; }
    // "Annulla" of that row: true when it was deleted.
    virtual bool cancelInsert() { return false; }

    void closeEvent(QCloseEvent *event) override;

private:
    bool m_closing = false;
};

} // namespace rotalina::shell::ui
