#pragma once

#include "shell/options.h"
#include "shell/ui/cardwindow.h"

#include <QDialog>

class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class LookupBox;
class RecordForm;
class WindowRegistry;

// TfrmDitta: the firm's own data, page by page, with the checks of VAT number and fiscal code on
// leaving them, and the choice of the town filling postcode and province.
class CompanyWindow : public CardWindow
{
    Q_OBJECT

public:
    CompanyWindow(Session &session, const WindowRegistry &windows, QWidget *parent = nullptr);

    RecordForm &company() const { return *m_company; }
    QTabWidget *pages() const { return m_pages; }

    // "salva"; "Indietro" saves pending changes and closes.
    bool save();
    bool back();
    // Chooses a town for the seat (what the town list does): fills "Comune", "Cap", "Provincia".
    void chooseTown(const QVariant &townKey, const QString &townField, const QString &postcodeField,
                    const QString &provinceField);
    // "Cancella" of the seat: empties town, postcode and province.
    void clearTown();

protected:
    bool leave() override;

private:
    QWidget *mainFields();
    QWidget *seatPage();
    QWidget *contactsPage();
    QWidget *registerPage();
    QWidget *permanentEstablishmentPage();
    QWidget *companyRegisterPage();
    LookupBox *townList(const QString &townField, const QString &postcodeField, const QString &provinceField,
                        const QString &objectName, QWidget *parent);
    void showTowns();
    void checkVatNumber(const QString &field);
    void checkFiscalCode(const QString &field);

    Session &m_session;
    const WindowRegistry &m_windows;
    RecordForm *m_company;
    QTabWidget *m_pages;
    struct TownList
    {
        LookupBox *box;
        QString townField;
        QString provinceField;
    };
    QList<TownList> m_townLists;
};

// TfrmModificaRappresentanteFiscale and TfrmModificaTerzoIntermediario: the company's fiscal
// representative or intermediary issuer for the electronic invoice.
class ThirdPartyWindow : public CardWindow
{
    Q_OBJECT

public:
    ThirdPartyWindow(Session &session, const ThirdParty &party, QWidget *parent = nullptr);

    RecordForm &company() const { return *m_company; }
    // "Salva": the checks, then the row is written.
    bool save();

protected:
    bool leave() override;

private:
    Session &m_session;
    RecordForm *m_company;
};

} // namespace rotalina::shell::ui
