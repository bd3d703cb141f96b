#include "shell/ui/companywindow.h"

#include "core/taxcodes.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

namespace {

constexpr int companyHelp = 1710;
constexpr int thirdPartyHelp = 2410;

const QString nations = QStringLiteral("SELECT SIGLA, DENOMINAZ FROM Nazioni ORDER BY DENOMINAZ");
const QString provinces =
    QStringLiteral("SELECT PROVINCIA, PROVINCIA || ' - ' || CAPOLUOGO FROM Province ORDER BY PROVINCIA");

QHBoxLayout *buttonRow(QDialog *window, std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton *button : buttons)
        row->addWidget(button);
    row->addWidget(makeToolButton(ToolAction::Aiuto, window));
    return row;
}

} // namespace

CompanyWindow::CompanyWindow(Session &session, const WindowRegistry &windows, QWidget *parent)
    : CardWindow(parent), m_session(session), m_windows(windows),
      m_company(new RecordForm(session, QStringLiteral("ditta"), this)), m_pages(new QTabWidget(this))
{
    setObjectName(QStringLiteral("TfrmDitta"));
    setWindowTitle(QStringLiteral("Ditta"));
    WindowRegistry::setHelpContext(this, companyHelp);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(seatPage(), QStringLiteral("   Sede   "));
    m_pages->addTab(contactsPage(), QStringLiteral("   Contatti   "));
    m_pages->addTab(registerPage(), QStringLiteral("Albo Professionale"));
    m_pages->addTab(permanentEstablishmentPage(), QStringLiteral("Stabile Organizzazione"));
    m_pages->addTab(companyRegisterPage(), QStringLiteral("Iscrizione REA"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mainFields());
    layout->addWidget(m_pages, 1);

    auto *representative = new QPushButton(QStringLiteral("Rappresentante Fiscale"), this);
    representative->setObjectName(QStringLiteral("btnRappresentanteFiscale"));
    auto *intermediary = new QPushButton(QStringLiteral("Terzo Intermediario"), this);
    intermediary->setObjectName(QStringLiteral("btnTerzoIntermediario"));
    for (auto [button, party] :
         {std::pair{representative, fiscalRepresentative()}, std::pair{intermediary, intermediaryIssuer()}}) {
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, party] {
            // The other window edits the same row: what is typed here is stored first.
            if (m_company->quietSave()) {
                m_windows.open(party.window, m_session, this);
                m_company->load(m_company->key(), false);
            }
        });
    }
    auto *saveButton =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("salva"), this);
    saveButton->setObjectName(QStringLiteral("bitSalva"));
    saveButton->setToolTip(QStringLiteral("Salva le modifiche effettuate"));
    saveButton->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &CompanyWindow::save);
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, &CompanyWindow::back);
    layout->addLayout(buttonRow(this, {representative, intermediary, saveButton, backButton}));

    m_company->loadOnlyRow();
    showTowns();
    m_pages->setCurrentIndex(0);
    resize(900, 700);
}

QWidget *CompanyWindow::mainFields()
{
    auto *fields = new QWidget;
    auto *columns = new QHBoxLayout(fields);
    columns->setContentsMargins(0, 0, 0, 0);
    auto *left = new FormPage(*m_company, fields);
    auto *right = new FormPage(*m_company, fields);
    left->text(QStringLiteral("RagSoc"), QStringLiteral("Ragione Sociale"));
    QLineEdit *vat = left->text(QStringLiteral("PIva"), QStringLiteral("P.Iva"), 11);
    connect(vat, &QLineEdit::editingFinished, this, [this] { checkVatNumber(QStringLiteral("PIva")); });
    QLineEdit *fiscalCode = left->text(QStringLiteral("CodFisc"), QStringLiteral("Cod Fiscale"), 16);
    connect(fiscalCode, &QLineEdit::editingFinished, this,
            [this] { checkFiscalCode(QStringLiteral("CodFisc")); });
    left->text(QStringLiteral("Titolo"), QStringLiteral("Titolo"));
    left->text(QStringLiteral("Cognome"), QStringLiteral("Cognome"));
    left->text(QStringLiteral("Nome"), QStringLiteral("Nome"));
    left->lookup(QStringLiteral("RegimeFiscale"), QStringLiteral("Regime fiscale"),
                 QStringLiteral(
                     "SELECT Codice, Codice || ' - ' || Descrizione FROM PA_RegimeFiscale ORDER BY Codice"));
    left->text(QStringLiteral("CodiceSdi"), QStringLiteral("Codice Sdi"), 7);
    left->text(QStringLiteral("CodEori"), QStringLiteral("CodEori"));
    left->text(QStringLiteral("RiferimentoAmministrazione"), QStringLiteral("Rif. Amministraz."));
    left->text(QStringLiteral("SoggettoEmittente"), QStringLiteral("Soggetto emittente"), 2)
        ->setToolTip(QStringLiteral("Soggetto emittente: Vuoto normale, CC CessComm, TZ=Terzo"));

    right->text(QStringLiteral("Cell"), QStringLiteral("Cellulare"));
    right->text(QStringLiteral("Internet"), QStringLiteral("Internet"));
    right->text(QStringLiteral("Pec"), QStringLiteral("Pec"));
    right->text(QStringLiteral("AltriDati"), QStringLiteral("Altri dati"));
    right->check(QStringLiteral("Trasmissione_CodFisc"), QStringLiteral("Trasmissione con codice fiscale"));
    right->check(QStringLiteral("FatturaAnno"), QStringLiteral("Fattura Anno"));
    right->check(QStringLiteral("FatturazioneMultipla"),
                 QStringLiteral("Fatturazione Multipla (più serie di fatturazione)"));
    right->text(QStringLiteral("PrezziarCampoUnico"), QStringLiteral("campo Univoco Articoli"));
    right->text(QStringLiteral("NomeDbOnline"), QStringLiteral("Nome Db Online"));
    right->text(QStringLiteral("UtenteDbOnline"), QStringLiteral("Utente"));
    right->password(QStringLiteral("PasswordDbOnline"), QStringLiteral("Password"));
    right->text(QStringLiteral("NomeHostOnline"), QStringLiteral("NomeHost"));
    right->check(QStringLiteral("ServerAggiornamentoArticoliOnline"),
                 QStringLiteral("Server per Aggiornamenti Articoli"));
    columns->addWidget(left, 1);
    columns->addWidget(right, 1);
    return fields;
}

LookupBox *CompanyWindow::townList(const QString &townField, const QString &postcodeField,
                                   const QString &provinceField, const QString &objectName, QWidget *parent)
{
    // The town is stored by name: the name's box is kept out of sight and the list shows it.
    auto *name = new QLineEdit(parent);
    name->setObjectName(QStringLiteral("edt") + townField);
    name->hide();
    m_company->bind(townField, name);
    auto *towns = new LookupBox(parent);
    towns->setObjectName(objectName);
    towns->setToolTip(QStringLiteral("Scegli il comune: compila Cap e Provincia"));
    FormPage::fill(
        towns, m_session,
        QStringLiteral(
            "SELECT ID, Comune || ' (' || Provincia || ')' FROM Comuni ORDER BY Comune, Provincia"));
    towns->setSearchable(true);
    connect(towns, &LookupBox::chosen, this,
            [=, this](const QVariant &key) { chooseTown(key, townField, postcodeField, provinceField); });
    connect(towns, &LookupBox::cleared, this, [=, this] {
        for (const QString &field : {townField, postcodeField, provinceField})
            m_company->setValue(field, QVariant());
    });
    m_townLists.append({towns, townField, provinceField});
    return towns;
}

void CompanyWindow::showTowns()
{
    // Each list stands on the stored town; a town the municipalities do not hold is shown as stored.
    const QVariantMap values = m_company->values();
    for (const TownList &list : std::as_const(m_townLists)) {
        const QString town = values.value(list.townField).toString().trimmed();
        if (town.isEmpty()) {
            list.box->clearChoice();
            continue;
        }
        const core::Result<QVariant> key = m_session.archive()->scalar(
            QStringLiteral(
                "SELECT ID FROM Comuni WHERE Comune = ? AND COALESCE(Provincia, '') = ? ORDER BY ID"),
            {town, values.value(list.provinceField).toString().trimmed()});
        list.box->setKey(key && key->isValid() ? *key : QVariant(town));
    }
}

QWidget *CompanyWindow::seatPage()
{
    auto *page = new FormPage(*m_company);
    page->lookup(QStringLiteral("IdPaese"), QStringLiteral("Nazione"), nations);
    page->text(QStringLiteral("Via"), QStringLiteral("Indirizzo"));
    page->text(QStringLiteral("Numero"), QStringLiteral("Numero"));
    auto *town = new QHBoxLayout;
    auto *clear = new QPushButton(QStringLiteral("Cancella"));
    clear->setObjectName(QStringLiteral("btnCancellaComune"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &CompanyWindow::clearTown);
    town->addWidget(townList(QStringLiteral("Comune"), QStringLiteral("Cap"), QStringLiteral("Provincia"),
                             QStringLiteral("LookComuni"), page),
                    1);
    town->addWidget(clear);
    page->row(QStringLiteral("Comune"), town);
    page->text(QStringLiteral("Cap"), QStringLiteral("Cap"), 5);
    page->text(QStringLiteral("Provincia"), QStringLiteral("Provincia"), 2);
    return page;
}

QWidget *CompanyWindow::contactsPage()
{
    auto *page = new FormPage(*m_company);
    page->check(QStringLiteral("Contatti"), QStringLiteral("Includi"));
    page->text(QStringLiteral("Tel"), QStringLiteral("Telefono"));
    page->text(QStringLiteral("Fax"), QStringLiteral("Fax"));
    page->text(QStringLiteral("Email"), QStringLiteral("E-mail"));
    return page;
}

QWidget *CompanyWindow::registerPage()
{
    auto *page = new FormPage(*m_company);
    page->lookup(QStringLiteral("ProvinciaAlbo"), QStringLiteral("Provincia Albo"), provinces);
    page->text(QStringLiteral("AlboProfessionale"), QStringLiteral("Albo Professionale"));
    page->text(QStringLiteral("NumeroIscrizioneAlbo"), QStringLiteral("Numero Iscrizione"));
    page->text(QStringLiteral("DataIscrizioneAlbo"), QStringLiteral("Data Iscrizione"));
    return page;
}

QWidget *CompanyWindow::permanentEstablishmentPage()
{
    auto *page = new FormPage(*m_company);
    page->check(QStringLiteral("StabileOrganizzazione"), QStringLiteral("Includi"));
    page->text(QStringLiteral("StabileOrganizzazione_Indirizzo"), QStringLiteral("Indirizzo"));
    page->text(QStringLiteral("StabileOrganizzazione_NumeroCivico"), QStringLiteral("Numero Civico"));
    page->row(QStringLiteral("Comune"), townList(QStringLiteral("StabileOrganizzazione_Comune"),
                                                 QStringLiteral("StabileOrganizzazione_CAP"),
                                                 QStringLiteral("StabileOrganizzazione_Provincia"),
                                                 QStringLiteral("LookComuniStabile"), page));
    page->text(QStringLiteral("StabileOrganizzazione_CAP"), QStringLiteral("Cap"), 5);
    page->lookup(QStringLiteral("StabileOrganizzazione_Provincia"), QStringLiteral("Provincia"), provinces);
    page->lookup(QStringLiteral("StabileOrganizzazione_Nazione"), QStringLiteral("Nazione"), nations);
    return page;
}

QWidget *CompanyWindow::companyRegisterPage()
{
    auto *page = new FormPage(*m_company);
    page->check(QStringLiteral("Iscrizione_REA"), QStringLiteral("Includi"));
    page->lookup(QStringLiteral("Iscrizione_REA_Ufficio"), QStringLiteral("Ufficio"), provinces);
    page->text(QStringLiteral("Iscrizione_REA_NumeroREA"), QStringLiteral("Numero REA"));
    page->amount(QStringLiteral("Iscrizione_REA_CapitaleSociale"), QStringLiteral("Capitale Sociale"));
    page->lookup(
        QStringLiteral("Iscrizione_REA_SocioUnico"), QStringLiteral("Socio Unico"),
        QStringLiteral("SELECT Codice, Descrizione FROM PA_IscrizRea_SocioUnico ORDER BY Descrizione"));
    page->lookup(QStringLiteral("Iscrizione_REA_StatoLiquidazione"), QStringLiteral("Stato Liquidazione"),
                 QStringLiteral(
                     "SELECT Codice, Descrizione FROM PA_IscrizRea_StatoLiquidazione ORDER BY Descrizione"));
    return page;
}

void CompanyWindow::checkVatNumber(const QString &field)
{
    const QString value = m_company->values().value(field).toString().trimmed();
    if (!value.isEmpty() && !core::isValidPartitaIva(value))
        m_session.prompter().message(titles::warning(), core::invalidPartitaIvaMessage());
}

void CompanyWindow::checkFiscalCode(const QString &field)
{
    const QString value = m_company->values().value(field).toString().trimmed();
    if (!value.isEmpty() && !core::isValidCodiceFiscale(value))
        m_session.prompter().message(titles::warning(), core::invalidCodiceFiscaleMessage());
}

void CompanyWindow::chooseTown(const QVariant &townKey, const QString &townField,
                               const QString &postcodeField, const QString &provinceField)
{
    core::Result<QSqlQuery> town = m_session.archive()->select(
        QStringLiteral("SELECT Comune, CAP, Provincia FROM Comuni WHERE ID = ?"), {townKey});
    if (!town || !town->next())
        return;
    m_company->setValue(townField, town->value(0));
    if (!town->value(1).toString().trimmed().isEmpty())
        m_company->setValue(postcodeField, town->value(1));
    m_company->setValue(provinceField, town->value(2));
}

void CompanyWindow::clearTown()
{
    for (const char *field : {"Comune", "Cap", "Provincia"})
        m_company->setValue(QString::fromLatin1(field), QVariant());
    showTowns();
}

bool CompanyWindow::save()
{
    return m_company->save();
}

bool CompanyWindow::leave()
{
    return m_company->back();
}

bool CompanyWindow::back()
{
    if (!leave())
        return false;
    finish(true);
    return true;
}

ThirdPartyWindow::ThirdPartyWindow(Session &session, const ThirdParty &party, QWidget *parent)
    : CardWindow(parent), m_session(session),
      m_company(new RecordForm(session, QStringLiteral("ditta"), this))
{
    setObjectName(party.window);
    setWindowTitle(party.caption);
    WindowRegistry::setHelpContext(this, thirdPartyHelp);
    auto *layout = new QVBoxLayout(this);
    auto *page = new FormPage(*m_company, this);
    page->check(party.flag, QStringLiteral("Includi"));
    page->lookup(party.field(QStringLiteral("IdPaese")), QStringLiteral("Nazione"), nations);
    page->text(party.field(QStringLiteral("IdCodice")), QStringLiteral("P.Iva"), 28);
    page->text(party.field(QStringLiteral("CodiceFiscale")), QStringLiteral("Codice Fiscale"), 16);
    page->text(party.field(QStringLiteral("Denominazione")), QStringLiteral("Rag. Sociale"));
    page->text(party.field(QStringLiteral("Nome")), QStringLiteral("Nome"));
    page->text(party.field(QStringLiteral("Cognome")), QStringLiteral("Cognome"));
    page->text(party.field(QStringLiteral("Titolo")), QStringLiteral("Titolo"));
    page->text(party.field(QStringLiteral("CodEORI")), QStringLiteral("Cod. Eori"), 17);
    layout->addWidget(page);
    layout->addStretch(1);
    m_company->checks() = thirdPartyChecks(party);

    QPushButton *saveButton = makeToolButton(ToolAction::Salva, this);
    connect(saveButton, &QPushButton::clicked, this, &ThirdPartyWindow::save);
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, [this] {
        if (leave())
            finish(true);
    });
    layout->addLayout(buttonRow(this, {saveButton, backButton}));
    m_company->loadOnlyRow();
    resize(520, 380);
}

bool ThirdPartyWindow::save()
{
    return m_company->save();
}

bool ThirdPartyWindow::leave()
{
    return m_company->back();
}

} // namespace rotalina::shell::ui
