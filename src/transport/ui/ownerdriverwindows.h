#pragma once

#include "shell/ui/cardwindow.h"
#include "shell/ui/registrywindows.h"

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class AmountBox;
class DateBox;
class LookupBox;
class OwnedRowsPanel;
class RecordForm;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

// The owner-driver list (TfrmGrigliaPadroncini): the registry list with several rows chosen at once,
// an e-mail to them, and the print of the list.
class OwnerDriverListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    OwnerDriverListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                          QWidget *parent = nullptr);

    // "Invia Email": the e-mail window addressed to the chosen rows.
    void sendEmails();
    void print();
};

// The owner-driver card (TfrmPadronciniDettaglio): "  Generale  " with the rates, "  Scadenze  "
// with the instalments, their generator and the balance they move.
class OwnerDriverCardWindow : public shell::ui::FormCardWindow
{
    Q_OBJECT

public:
    OwnerDriverCardWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key,
                          bool isNew, QWidget *parent = nullptr);

    QTabWidget *pages() const { return m_pages; }
    shell::ui::OwnedRowsPanel *instalments() const { return m_instalments; }
    // "Calcola" of "  Generale  ": the hourly rate from the daily one.
    void computeHourlyRate();
    // "Calcola" of "  Scadenze  ": the generator, then the instalments and the balance again.
    void generateInstalments();

protected:
    bool changePage(int page) override;

private:
    shell::Session &m_session;
    const shell::ui::WindowRegistry &m_windows;
    QTabWidget *m_pages;
    shell::ui::OwnedRowsPanel *m_instalments = nullptr;
};

// The instalment generator (TfrmCalcolaScadenzePadroncino): the owner-driver costs of a period,
// their VAT, and the instalments of a payment mode from a reference date.
class OwnerDriverInstalmentGenerator : public QDialog
{
    Q_OBJECT

public:
    OwnerDriverInstalmentGenerator(shell::Session &session, qint64 ownerDriver, QWidget *parent = nullptr);

    // "Calcola": the costs of the period into "Imponibile".
    void computeTaxable();
    // "Calcola Scadenze": checks, writes the instalments and closes.
    void generate();

private:
    void computeTotal();
    bool warn(QWidget *box, const QString &message);

    shell::Session &m_session;
    qint64 m_ownerDriver;
    shell::ui::DateBox *m_from;
    shell::ui::DateBox *m_to;
    shell::ui::AmountBox *m_taxable;
    shell::ui::LookupBox *m_vat;
    shell::ui::AmountBox *m_total;
    shell::ui::LookupBox *m_mode;
    shell::ui::DateBox *m_reference;
};

void registerOwnerDriverWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
