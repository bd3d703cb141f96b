#pragma once

#include "shell/ui/cardwindow.h"

#include <QByteArray>
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class LookupBox;
class RecordForm;
class WindowRegistry;

// The command that gives every tariff the standard VAT rate ("Iva_Id" and "AliquotaIva").
QString changeAllTariffsCommand();

// TfrmOpzioni: the options of the whole installation, page by page, with the company's logo.
// "Indietro" checks the values and stores them; the window stays open on the page of a problem.
class OptionsWindow : public CardWindow
{
    Q_OBJECT

public:
    OptionsWindow(Session &session, const WindowRegistry &windows, QWidget *parent = nullptr);

    RecordForm &options() const { return *m_options; }
    RecordForm &company() const { return *m_company; }
    QTabWidget *pages() const { return m_pages; }
    const QByteArray &logo() const { return m_logo; }

    // "Indietro": true when the options were stored and the window closed.
    bool back();
    // "Cambia tutte le tariffe".
    void changeAllTariffs();
    // The working-hour buttons.
    void moveHour(bool start, bool later);
    // The logo commands.
    void loadLogo();
    void saveLogoAs();
    void clearLogo();
    void editLogo();

protected:
    bool leave() override;

private:
    QWidget *generalPage();
    QWidget *logoPage();
    QWidget *accountingPage();
    QWidget *printPage();
    QWidget *emailPage();
    QWidget *electronicInvoicePage();
    QWidget *otherPage();
    QWidget *folderRow(const QString &field, const QString &caption, const QString &chooseName,
                       const QString &openName);
    void showLogo();
    bool store();

    Session &m_session;
    const WindowRegistry &m_windows;
    RecordForm *m_options;
    RecordForm *m_company;
    QTabWidget *m_pages;
    QComboBox *m_encryption = nullptr;
    QLabel *m_logoPreview = nullptr;
    QByteArray m_logo;
    bool m_logoChanged = false;
    int m_storedEncryption = 1;
};

} // namespace rotalina::shell::ui
