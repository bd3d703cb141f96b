#include "registries/ui/partywindows.h"

#include "core/taxcodes.h"
#include "core/textfile.h"
#include "registries/lookupregistries.h"
#include "registries/parties.h"
#include "registries/publicoffices.h"
#include "shell/options.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::registries::ui {

using namespace shell;
using namespace shell::ui;

namespace {

const QString nations = QStringLiteral("SELECT SIGLA, DENOMINAZ FROM Nazioni ORDER BY DENOMINAZ");
const QString townsByKey =
    QStringLiteral("SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune");
const QString townsByName = QStringLiteral(
    "SELECT Comune, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune");

RegistryField field(const char *name, const char *caption,
                    RegistryField::Kind kind = RegistryField::Kind::Text, int maxLength = 0)
{
    return registryField(name, caption, kind, maxLength);
}

RegistryField choice(const char *name, const char *caption, const QString &sql, const QString &copySql = {},
                     QStringList copied = {})
{
    return registryChoice(name, caption, sql, copySql, std::move(copied));
}

RegistryField keepingWhatIsEmpty(RegistryField field)
{
    field.copyKeepsWhatIsEmpty = true;
    return field;
}

RegistryField withCard(RegistryField field, const char *card, const char *button, const char *list = nullptr)
{
    field.cardWindow = QString::fromLatin1(card);
    field.cardButton = QString::fromLatin1(button);
    if (list)
        field.listWindow = QString::fromLatin1(list);
    return field;
}

} // namespace

PartyListWindow::PartyListWindow(Session &session, bool customers, const WindowRegistry &windows,
                                 QWidget *parent)
    : RegistryListWindow(session, customers ? customerRegistry() : supplierRegistry(), windows, parent),
      m_session(session), m_customers(customers)
{
    auto *emails = new QPushButton(QStringLiteral("Copia email"), this);
    emails->setObjectName(QStringLiteral("spdCopyEmail"));
    emails->setToolTip(QStringLiteral("Copia negli appunti gli indirizzi e-mail delle righe scelte"));
    connect(emails, &QPushButton::clicked, this, &PartyListWindow::copyEmails);
    auto *send = new QPushButton(QStringLiteral("Invia Email"), this);
    send->setObjectName(QStringLiteral("spdEmail"));
    send->setToolTip(QStringLiteral("Scrive un'email agli indirizzi delle righe scelte"));
    send->setEnabled(windows.has(QStringLiteral("TfrmEmail")));
    connect(send, &QPushButton::clicked, this, &PartyListWindow::sendEmails);
    auto *all = new QPushButton(QStringLiteral("Seleziona tutti"), this);
    all->setObjectName(QStringLiteral("Selezionatutti1"));
    connect(all, &QPushButton::clicked, this, &PartyListWindow::selectAll);
    auto *exportCards = new QPushButton(QStringLiteral("Esporta VCard"), this);
    exportCards->setObjectName(QStringLiteral("btEsportaVCard"));
    connect(exportCards, &QPushButton::clicked, this, &PartyListWindow::exportContacts);
    addButton(all);
    addButton(send);
    addButton(emails);
    addButton(exportCards);
    auto *importCards = new QPushButton(QStringLiteral("Importa VCard"), this);
    importCards->setObjectName(QStringLiteral("btImportaVCard"));
    connect(importCards, &QPushButton::clicked, this, &PartyListWindow::importContacts);
    addButton(importCards);
    resize(1100, 600);
}

void PartyListWindow::selectAll()
{
    grid()->selectAll();
}

void PartyListWindow::copyEmails()
{
    const QList<qint64> keys = selectedKeys();
    if (keys.isEmpty()) {
        m_session.prompter().message(
            titles::error(), QStringLiteral("Attenzione devi selezionare i contatti da copiare le email"));
        return;
    }
    const core::Result<QString> addresses = emailAddresses(
        *m_session.archive(), m_customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitor"),
        m_customers ? QStringLiteral("EMail") : QStringLiteral("Email"), keys);
    if (!addresses) {
        m_session.prompter().message(titles::error(), addresses.error());
        return;
    }
    QGuiApplication::clipboard()->setText(*addresses);
}

void PartyListWindow::sendEmails()
{
    const QList<qint64> keys = selectedKeys();
    if (keys.isEmpty()) {
        m_session.prompter().message(
            titles::error(), QStringLiteral("Attenzione devi selezionare i contatti da copiare le email"));
        return;
    }
    const core::Result<QString> addresses = emailAddresses(
        *m_session.archive(), m_customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitor"),
        m_customers ? QStringLiteral("EMail") : QStringLiteral("Email"), keys);
    if (!addresses) {
        m_session.prompter().message(titles::error(), addresses.error());
        return;
    }
    windows().open(QStringLiteral("TfrmEmail"), m_session, this,
                   {{QStringLiteral("destinatari"), *addresses}});
}

void PartyListWindow::exportContacts()
{
    const QList<qint64> keys = selectedKeys();
    if (keys.isEmpty()) {
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Attenzione devi selezionare i contatti da Esportare"));
        return;
    }
    const QString folder =
        m_session.prompter().chooseFolder(QStringLiteral("Cartella delle VCard"), QDir::homePath());
    if (folder.isEmpty())
        return;
    int written = 0;
    for (const qint64 key : keys) {
        const core::Result<core::ContactRecord> contact = m_customers
                                                              ? customerContact(*m_session.archive(), key)
                                                              : supplierContact(*m_session.archive(), key);
        const int row = records().rowOfKey(key);
        const QString name = records()
                                 .value(row, m_customers ? QStringLiteral("NominativoVisualizzato")
                                                         : QStringLiteral("Fornitore"))
                                 .toString();
        if (!contact) {
            m_session.prompter().message(titles::error(), contact.error());
            return;
        }
        if (core::Status saved = core::writeTextFile(QDir(folder).filePath(contactFileName(name)),
                                                     core::scriviVCard(*contact));
            !saved) {
            m_session.prompter().message(titles::error(), saved.error());
            return;
        }
        ++written;
    }
    m_session.prompter().information(QStringLiteral("Sono state esportate %1 VCard nella cartella %2.")
                                         .arg(written)
                                         .arg(QDir::toNativeSeparators(folder)));
}

void PartyListWindow::importContacts()
{
    const QStringList files = m_session.prompter().openFiles(
        QStringLiteral("Importa VCard"), QDir::homePath(), QStringLiteral("VCard (*.vcf)"));
    if (files.isEmpty())
        return;
    const core::Result<QVariant> option =
        m_session.archive()->scalar(QStringLiteral("SELECT AzioneImportazioneVCard FROM opzioni"));
    const auto action =
        static_cast<DuplicateAction>(option && !option->isNull() ? std::clamp(option->toInt(), 0, 2) : 0);
    const auto askSkip = [this](const QString &name) {
        const QString party = m_customers ? QStringLiteral("Cliente") : QStringLiteral("Fornitore");
        return m_session.prompter().ask(
            titles::warning(), QStringLiteral("Il %1 :").arg(party) + name +
                                   QStringLiteral(" e' già presente in archivio: Come si vuole procedere ? "
                                                  "Salto il %1 ?")
                                       .arg(party));
    };
    const core::Result<ContactImport> imported =
        m_customers ? importCustomerContacts(*m_session.archive(), files, action, askSkip)
                    : importSupplierContacts(*m_session.archive(), files, action, askSkip);
    reload();
    if (!imported) {
        m_session.prompter().message(titles::error(), imported.error());
        return;
    }
    QString summary = QStringLiteral("%1 aggiunti: %2, aggiornati: %3, saltati: %4.")
                          .arg(m_customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitori"))
                          .arg(imported->added)
                          .arg(imported->updated)
                          .arg(imported->skipped);
    if (!imported->unreadable.isEmpty())
        summary += QStringLiteral("\nFile che non contengono VCard leggibili: ") +
                   imported->unreadable.join(QStringLiteral(", "));
    m_session.prompter().information(summary);
}

PartyCardWindow::PartyCardWindow(Session &session, bool customers, const WindowRegistry &windows, qint64 key,
                                 bool isNew, QWidget *parent)
    : CardWindow(parent), m_session(session), m_windows(windows), m_customers(customers),
      m_form(
          new RecordForm(session, customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitor"), this)),
      m_pages(new QTabWidget(this))
{
    const RegistryDescriptor &registry = customers ? customerRegistry() : supplierRegistry();
    setObjectName(registry.cardWindow);
    setWindowTitle(registry.cardCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    if (customers)
        buildCustomerPages();
    else
        buildSupplierPages();
    m_form->checks() = customers ? customerChecks() : supplierChecks();
    m_form->setWriter([this](qint64 row, const QVariantMap &values) {
        return m_customers ? saveCustomer(*m_session.archive(), row, values)
                           : saveSupplier(*m_session.archive(), row, values);
    });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (!changePage(page)) {
            const QSignalBlocker blocker(m_pages);
            m_pages->setCurrentIndex(0);
        }
        m_shownPage = m_pages->currentIndex();
    });

    QPushButton *save = makeToolButton(ToolAction::Salva, this);
    m_cancel = makeToolButton(ToolAction::Annulla, this);
    QPushButton *print = makeToolButton(ToolAction::Stampa, this);
    print->setToolTip(QStringLiteral("Stampa l'informativa sulla privacy"));
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(save, &QPushButton::clicked, this, &PartyCardWindow::save);
    connect(m_cancel, &QPushButton::clicked, this, &PartyCardWindow::cancelNew);
    connect(print, &QPushButton::clicked, this, &PartyCardWindow::print);
    connect(back, &QPushButton::clicked, this, &PartyCardWindow::back);
    layout->addLayout(buttonRow({m_cancel, save, print, help, back}));
    m_cancel->setVisible(isNew);
    m_openedNew = isNew;

    if (!m_form->load(key, isNew))
        finish(false);
    m_payments->setOwner(key);
    // A new party starts with pending changes: leaving it saves (or asks to cancel).
    m_form->setDirty(isNew);
    m_checkedVat = m_form->values().value(QStringLiteral("Iva")).toString().trimmed();
    m_checkedFiscalCode = m_form->values().value(QStringLiteral("CodFiscale")).toString().trimmed();
    resize(980, 700);
}

QWidget *PartyCardWindow::pageWithColumns(FormPage *&left, FormPage *&right)
{
    auto *page = new QWidget(m_pages);
    auto *columns = new QHBoxLayout(page);
    left = new FormPage(*m_form, page);
    right = new FormPage(*m_form, page);
    columns->addWidget(left, 1);
    columns->addWidget(right, 1);
    return page;
}

void PartyCardWindow::buildCustomerPages()
{
    Session &session = m_session;
    FormPage *left = nullptr;
    FormPage *right = nullptr;
    QWidget *general = pageWithColumns(left, right);
    addRegistryFields(
        *left, *m_form, session,
        {field("Cliente", "Ragione soci."), field("Cognome", "Cognome"), field("Nome", "Nome"),
         field("Titolo", "Titolo", RegistryField::Kind::Text, 10), choice("IdPaese", "Nazione", nations),
         field("Telefono", "Telefono"), field("Telefono2", "2° Telefono"), field("Fax", "Fax"),
         field("Cellulare", "Cellulare"), field("EMail", "E-mail"), field("Internet", "Internet"),
         field("Skype", "Skype"), field("Contatto", "Contatto")});
    addRegistryFields(
        *right, *m_form, session, &m_windows,
        {field("Iva", "Partita iva", RegistryField::Kind::Text, 28),
         field("CodFiscale", "Cod. Fiscale", RegistryField::Kind::Text, 16),
         field("CodEORI", "Cod. Eori", RegistryField::Kind::Text, 17),
         withCard(choice("Pagamento_ID", "Modalità di pagamento",
                         QStringLiteral("SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione")),
                  "TfrmModPagamDett", "SpeedButton8", "TfrmModPagam"),
         field("Sconto", "Sconto %", RegistryField::Kind::Amount),
         withCard(
             choice("Categoria_ID", "Categoria",
                    QStringLiteral("SELECT ID, Descrizione FROM ClientiCategoria ORDER BY Descrizione"),
                    QStringLiteral("SELECT Colore AS ColoreCategoria FROM ClientiCategoria WHERE ID = ?"),
                    {QStringLiteral("ColoreCategoria")}),
             "TfrmCategorieClienti", "SpeedButton5", "TfrmCategorieClienti_Griglia"),
         field("Iban", "Iban", RegistryField::Kind::Text, 34), field("DescBanca", "Banca"),
         field("DestinazioneMerce", "Destinaz. Merce", RegistryField::Kind::Memo),
         field("SaldoInizioAnno", "Saldo iniziale", RegistryField::Kind::Amount),
         field("Annullato", "Annullato", RegistryField::Kind::Check)});
    addHiddenField(*m_form, general, QStringLiteral("ColoreCategoria"));
    m_pages->addTab(general, QStringLiteral("Generale"));

    auto *invoicing = new QWidget(m_pages);
    auto *grid = new QGridLayout(invoicing);
    const auto group = [&](const QString &caption, int row, int column) {
        auto *box = new QGroupBox(caption, invoicing);
        auto *boxLayout = new QVBoxLayout(box);
        auto *page = new FormPage(*m_form, box);
        boxLayout->addWidget(page);
        grid->addWidget(box, row, column);
        return page;
    };
    FormPage *office = group(QString(), 0, 0);
    addRegistryFields(
        *office, *m_form, session,
        {field("PubblicaAmministrazione", "Pubblica Amministrazione", RegistryField::Kind::Check),
         field("CodiceUnivocoUfficio", "Codice Univoco Pubblica Amm.", RegistryField::Kind::Text, 6),
         field("Codice", "Codice sdi", RegistryField::Kind::Text, 7), field("Pec", "Pec"),
         field("ScissionePagamenti", "Scissione pagamenti", RegistryField::Kind::Check)});
    auto *findOffice = new QPushButton(QStringLiteral("Cerca P.A."), office);
    findOffice->setObjectName(QStringLiteral("spdCercaPa"));
    connect(findOffice, &QPushButton::clicked, this, &PartyCardWindow::findPublicAdministration);
    office->row(QString(), findOffice);

    FormPage *seat = group(QStringLiteral("Sede"), 1, 0);
    addRegistryFields(
        *seat, *m_form, session, &m_windows,
        {field("Via", "Via"), field("Numero", "N°", RegistryField::Kind::Text, 10),
         keepingWhatIsEmpty(withCard(
             choice("Comune_id", "Comune", townsByKey,
                    QStringLiteral("SELECT Comune AS Citta, Provincia, CAP AS Cap FROM Comuni WHERE ID = ?"),
                    {QStringLiteral("Citta"), QStringLiteral("Provincia"), QStringLiteral("Cap")}),
             "TfrmComuniDett", "SpeedButton4")),
         field("Cap", "Cap", RegistryField::Kind::Text, 10),
         field("Provincia", "Provincia", RegistryField::Kind::Text, 2),
         choice("Sede_Nazione", "Nazione", nations)});
    addHiddenField(*m_form, seat, QStringLiteral("Citta"));
    auto *postcodes = new QPushButton(QStringLiteral("Cerca Cap"), seat);
    postcodes->setObjectName(QStringLiteral("SpeedButton11"));
    postcodes->setToolTip(QStringLiteral("Sceglie il Cap tra le vie e le frazioni del comune"));
    connect(postcodes, &QPushButton::clicked, this, &PartyCardWindow::findPostcode);
    seat->row(QString(), postcodes);

    FormPage *representative = group(QStringLiteral("Rappresentante fiscale"), 0, 1);
    addRegistryFields(*representative, *m_form, session,
                      {field("RappresentanteFiscale", "Includi", RegistryField::Kind::Check),
                       choice("RappresentanteFiscale_Nazione", "Nazione", nations),
                       field("RappresentanteFiscale_IdCodice", "P.Iva", RegistryField::Kind::Text, 28),
                       field("RappresentanteFiscale_Denominazione", "Rag. Sociale"),
                       field("RappresentanteFiscale_Cognome", "Cognome"),
                       field("RappresentanteFiscale_Nome", "Nome")});
    FormPage *establishment = group(QStringLiteral("Stabile  organizzazione"), 1, 1);
    addRegistryFields(
        *establishment, *m_form, session,
        {field("StabileOrganizzazione", "Includi", RegistryField::Kind::Check),
         choice("StabileOrganizzazione_Nazione", "Nazione", nations),
         field("StabileOrganizzazione_Indirizzo", "Indirizzo"),
         field("StabileOrganizzazione_NumeroCivico", "N°", RegistryField::Kind::Text, 10),
         choice(
             "StabileOrganizzazione_Comune", "Comune", townsByName,
             QStringLiteral("SELECT Comuni.CAP AS StabileOrganizzazione_CAP, Comuni.Provincia AS "
                            "StabileOrganizzazione_Provincia, Nazioni.SIGLA AS StabileOrganizzazione_Nazione "
                            "FROM Comuni LEFT JOIN Nazioni ON Comuni.Nazione_ID = Nazioni.IDNazione "
                            "WHERE Comuni.Comune = ? ORDER BY Comuni.ID"),
             {QStringLiteral("StabileOrganizzazione_CAP"),
              QStringLiteral("StabileOrganizzazione_Provincia")}),
         field("StabileOrganizzazione_CAP", "Cap", RegistryField::Kind::Text, 10),
         field("StabileOrganizzazione_Provincia", "Provincia", RegistryField::Kind::Text, 2)});
    m_pages->addTab(invoicing, QStringLiteral("Fatturazione elettronica"));

    buildPaymentsPage();

    addRegistryFields(*addFormTab(*m_pages, *m_form, QStringLiteral("Altre informazioni")), *m_form, session,
                      {field("Note", "Note", RegistryField::Kind::Memo),
                       field("PrivacyFirmata", "Consenso Privacy", RegistryField::Kind::Check),
                       field("LetteraIntento_Numero", "Lettera d'intento n°", RegistryField::Kind::Text, 20),
                       field("LetteraIntento_Data", "del", RegistryField::Kind::Date),
                       field("LetteraIntento_DataInizio", "valida dal", RegistryField::Kind::Date),
                       field("LetteraIntento_DataFine", "al", RegistryField::Kind::Date),
                       field("NumeroColore", "Colore visualizzazione", RegistryField::Kind::Colour)});
    watchTaxCodes();
}

void PartyCardWindow::buildSupplierPages()
{
    Session &session = m_session;
    FormPage *left = nullptr;
    FormPage *right = nullptr;
    QWidget *general = pageWithColumns(left, right);
    addRegistryFields(
        *left, *m_form, session,
        {field("Fornitore", "Fornitore"), field("Cognome", "Cognome"), field("Nome", "Nome"),
         field("Titolo", "Titolo", RegistryField::Kind::Text, 10), choice("IdPaese", "Nazione", nations),
         field("VIA", "Via"), field("Numero", "N°", RegistryField::Kind::Text, 10),
         choice("Comune", "Comune", townsByName,
                QStringLiteral(
                    "SELECT Provincia, CAP AS Cap, ID AS Comune_id FROM Comuni WHERE Comune = ? ORDER BY ID"),
                {QStringLiteral("Provincia"), QStringLiteral("Cap"), QStringLiteral("Comune_id")}),
         field("Cap", "Cap", RegistryField::Kind::Text, 10),
         field("Provincia", "Provincia", RegistryField::Kind::Text, 2), field("Telefono", "Telefono"),
         field("Telefono2", "2° Telefono"), field("Fax", "Fax"), field("Cellulare", "Cellulare"),
         field("Email", "E-mail"), field("Internet", "Internet"), field("Skype", "Skype")});
    addRegistryFields(
        *right, *m_form, session, &m_windows,
        {field("Iva", "Partita iva", RegistryField::Kind::Text, 28),
         field("CodFiscale", "Cod. Fiscale", RegistryField::Kind::Text, 16),
         field("CodEORI", "Cod. Eori", RegistryField::Kind::Text, 17), field("Pec", "Pec"),
         field("Codice", "Codice"),
         withCard(choice("Pagamento_ID", "Modalità di pagamento",
                         QStringLiteral("SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione")),
                  "TfrmModPagamDett", "SpeedButton8", "TfrmModPagam"),
         withCard(
             choice("Categoria_ID", "Categoria",
                    QStringLiteral("SELECT ID, Descrizione FROM FornitorCategoria ORDER BY Descrizione")),
             "TfrmCategorieFornitori", "SpeedButton5", "TfrmCategorieFornitori_Griglia"),
         field("Iban", "Iban", RegistryField::Kind::Text, 34), field("DescBanca", "Banca"),
         field("PercentualeProvvigioni", "Provvigione agente %", RegistryField::Kind::Amount),
         field("DestinazioneMerce", "Destinaz. Merce", RegistryField::Kind::Memo),
         field("SaldoInizioAnno", "Saldo iniziale", RegistryField::Kind::Amount),
         field("Annullato", "Annullato", RegistryField::Kind::Check)});
    addHiddenField(*m_form, general, QStringLiteral("Comune_id"));
    m_pages->addTab(general, QStringLiteral("Generale"));
    buildPaymentsPage();
    addRegistryFields(*addFormTab(*m_pages, *m_form, QStringLiteral("Altre informazioni")), *m_form, session,
                      {field("Note", "Note", RegistryField::Kind::Memo),
                       field("PrivacyFirmata", "Consenso Privacy", RegistryField::Kind::Check)});
    watchTaxCodes();
}

void PartyCardWindow::watchTaxCodes()
{
    auto *vat = qobject_cast<QLineEdit *>(m_form->editor(QStringLiteral("Iva")));
    auto *fiscal = qobject_cast<QLineEdit *>(m_form->editor(QStringLiteral("CodFiscale")));
    connect(vat, &QLineEdit::editingFinished, this, &PartyCardWindow::checkVatNumber);
    connect(fiscal, &QLineEdit::editingFinished, this, &PartyCardWindow::checkFiscalCode);
}

void PartyCardWindow::buildPaymentsPage()
{
    const QString window = m_customers ? QStringLiteral("TfrmModificaClientiPagamenti")
                                       : QStringLiteral("TfrmModificaFornitoriPagamenti");
    const RegistryDescriptor *payments = registryNamed(window);
    const RegistryRows link{[payments] { return payments; },
                            m_customers ? QStringLiteral("Cliente_id") : QStringLiteral("Fornitore_id"),
                            QStringLiteral("Pagamenti non fatturati"),
                            m_customers ? QStringLiteral("frmClientiDett_DBGrid1")
                                        : QStringLiteral("frmFornitDett_DBGrid1")};
    auto *page = new QWidget(m_pages);
    auto *layout = new QVBoxLayout(page);
    m_payments = new OwnedRowsPanel(m_session, m_windows, *payments, link, page);
    m_payments->setBeforeChange([this] { return !m_form->isDirty() || m_form->save(); });
    // A payment moves the opening balance: the card shows it again.
    m_payments->setAfterChange([this] {
        if (!m_form->isDirty())
            m_form->load(m_form->key(), m_form->isNew());
    });
    layout->addWidget(m_payments, 1);
    auto *payInvoices = new QPushButton(QStringLiteral("Paga fatture"), page);
    payInvoices->setObjectName(QStringLiteral("btnAssegnoFornitori"));
    payInvoices->setToolTip(QStringLiteral("Paga insieme più scadenze delle fatture"));
    payInvoices->setEnabled(m_windows.has(QStringLiteral("TfrmPagaFatture")));
    connect(payInvoices, &QPushButton::clicked, this, [this] {
        // The party must be in the archive before its instalments are paid.
        if (m_form->isDirty() && !m_form->save())
            return;
        m_windows.open(
            QStringLiteral("TfrmPagaFatture"), m_session, this,
            {{m_customers ? QStringLiteral("cliente") : QStringLiteral("fornitore"), m_form->key()}});
    });
    layout->addLayout(buttonRow({payInvoices}));
    m_pages->addTab(page, QStringLiteral("Pagamenti non fatturati"));
}

bool PartyCardWindow::changePage(int page)
{
    if (page == m_shownPage)
        return true;
    // Leaving "Generale" the party must at least have its name (and a customer its nationality).
    if (const auto failure =
            (m_customers ? customerPageChecks() : supplierChecks()).firstFailure(m_form->values())) {
        m_session.prompter().message(titles::error(), failure->message);
        return false;
    }
    if (!m_form->quietSave())
        return false;
    m_payments->reload();
    return true;
}

bool PartyCardWindow::save()
{
    // "salva" is the save alone: the checks belong to "Indietro".
    return m_form->saveUnchecked();
}

void PartyCardWindow::cancelNew()
{
    if (cancelInsert())
        finish(false);
}

bool PartyCardWindow::cancelInsert()
{
    // A party added when the card opened may be cancelled until the card closes, saved or not.
    if (!m_openedNew)
        return false;
    if (!m_session.prompter().ask(titles::warning(),
                                  QStringLiteral("Sei sicuro di voler annullare l'inserimento ?")))
        return false;
    const core::Status removed = m_customers ? deleteCustomer(*m_session.archive(), m_form->key())
                                             : deleteSupplier(*m_session.archive(), m_form->key());
    if (!removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return false;
    }
    m_form->setDirty(false);
    return true;
}

void PartyCardWindow::back()
{
    if (leave())
        finish(true);
}

bool PartyCardWindow::leave()
{
    return m_form->back();
}

void PartyCardWindow::print()
{
    // What is pending is saved first, without the checks of "Indietro".
    if (!m_form->saveUnchecked())
        return;
    ReportContext context;
    context.key = m_form->key();
    ReportService(m_session).print(m_customers ? 58 : 59, context);
}

void PartyCardWindow::findPublicAdministration()
{
    if (!m_session.prompter().ask(
            titles::warning(),
            QStringLiteral("Attenzione la ricerca del cliente della pubblica amministrazione potrebbe "
                           "sovrascrivere i dati di questo cliente ! Vuoi proseguire ?")))
        return;
    if (m_form->isDirty() && !m_form->quietSave())
        return;
    m_windows.open(QStringLiteral("TfrmTrovaPA"), m_session, this,
                   {{QStringLiteral("cliente"), m_form->key()}});
    m_form->load(m_form->key(), m_form->isNew());
}

void PartyCardWindow::findPostcode()
{
    const QVariant town = m_form->values().value(QStringLiteral("Comune_id"));
    if (!RecordChecks::hasValue(town)) {
        m_session.prompter().message(titles::warning(), QStringLiteral("Prima devi selezionare la Città !"));
        return;
    }
    PostcodeChooser chooser(m_session, town.toLongLong(), this);
    if (chooser.exec() != QDialog::Accepted || chooser.chosen().isEmpty())
        return;
    m_form->setValue(QStringLiteral("Cap"), chooser.chosen());
}

PostcodeChooser::PostcodeChooser(Session &session, qint64 town, QWidget *parent)
    : QDialog(parent), m_grid(new DataGrid(QStringLiteral("frmTrovaCap"), this)),
      m_rows(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("id_cap")))
{
    setObjectName(QStringLiteral("TfrmTrovaCap"));
    setWindowTitle(QStringLiteral("Trova Cap"));
    auto *layout = new QVBoxLayout(this);
    m_rows->setStatement(postcodesOfTown(), {town, town});
    if (core::Status read = m_rows->reload(); !read)
        session.prompter().message(titles::error(), read.error());
    m_grid->setRecords(m_rows.get());
    m_grid->setDesign({{QStringLiteral("CAP"), QStringLiteral("Cap"), 60},
                       {QStringLiteral("Frazione"), QStringLiteral("Frazione"), 150},
                       {QStringLiteral("Indirizzo"), QStringLiteral("Indirizzo"), 240},
                       {QStringLiteral("NumeroCivico"), QStringLiteral("Numeri civici"), 120}});
    layout->addWidget(m_grid, 1);
    connect(m_grid, &DataGrid::avanti, this, &PostcodeChooser::choose);
    QPushButton *avanti = makeToolButton(ToolAction::Avanti, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(avanti, &QPushButton::clicked, this, &PostcodeChooser::choose);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    layout->addLayout(buttonRow({avanti, back}));
    resize(640, 480);
}

PostcodeChooser::~PostcodeChooser() = default;

void PostcodeChooser::choose()
{
    m_chosen = m_rows->value(m_grid->currentRow(), QStringLiteral("CAP")).toString().trimmed();
    if (!m_chosen.isEmpty())
        accept();
}

QString postcodesOfTown()
{
    // A town with one postcode has no streets of its own: its postcode is the choice.
    return QStringLiteral(
        "SELECT IndirizziItalia.id_cap, IndirizziItalia.Frazione, IndirizziItalia.NumeroCivico, "
        "IndirizziItalia.CAP, IndirizziItalia.Comune_ID, IndirizziItalia.Indirizzo, Comuni.Comune "
        "FROM IndirizziItalia INNER JOIN Comuni ON IndirizziItalia.Comune_ID = Comuni.ID WHERE Comuni.ID = ? "
        "UNION ALL SELECT 0, NULL, NULL, Comuni.CAP, Comuni.ID, NULL, Comuni.Comune FROM Comuni "
        "WHERE Comuni.ID = ? AND COALESCE(Comuni.CAP, '') <> '' "
        "AND NOT EXISTS (SELECT 1 FROM IndirizziItalia WHERE IndirizziItalia.Comune_ID = Comuni.ID) "
        "ORDER BY 2, 6");
}

void PartyCardWindow::checkVatNumber()
{
    const QVariantMap values = m_form->values();
    const QString vat = values.value(QStringLiteral("Iva")).toString().trimmed();
    if (vat == m_checkedVat)
        return;
    m_checkedVat = vat;
    const QString nation = values.value(QStringLiteral("IdPaese")).toString().trimmed().toUpper();
    for (const QString &warning : vatNumberWarnings(
             *m_session.archive(), m_customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitor"),
             m_form->key(), vat, m_customers ? customerDuplicateMessage() : supplierDuplicateMessage(),
             nation.isEmpty() || nation == u"IT"))
        m_session.prompter().message(titles::warning(), warning);
}

void PartyCardWindow::checkFiscalCode()
{
    const QVariantMap values = m_form->values();
    const QString code = values.value(QStringLiteral("CodFiscale")).toString().trimmed().toUpper();
    if (code == m_checkedFiscalCode)
        return;
    m_checkedFiscalCode = code;
    if (code.isEmpty())
        return;
    const QString nation = values.value(QStringLiteral("IdPaese")).toString().trimmed().toUpper();
    if ((nation.isEmpty() || nation == u"IT") && !core::isValidCodiceFiscale(code))
        m_session.prompter().message(titles::warning(), core::invalidCodiceFiscaleMessage());
    for (const QString &warning : fiscalCodeWarnings(
             *m_session.archive(), m_customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitor"),
             m_form->key(), code, m_customers ? customerDuplicateMessage() : supplierDuplicateMessage()))
        m_session.prompter().message(titles::warning(), warning);
}

PublicAdministrationFinder::PublicAdministrationFinder(Session &session, qint64 customer, QWidget *parent)
    : QDialog(parent), m_session(session), m_customer(customer),
      m_grid(new DataGrid(QStringLiteral("frmTrovaPA"), this)),
      m_results(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("ID")))
{
    setObjectName(QStringLiteral("TfrmTrovaPA"));
    setWindowTitle(QStringLiteral("Trova Pubblica Amministrazione"));
    WindowRegistry::setHelpContext(this, 5100);
    auto *layout = new QVBoxLayout(this);
    auto *boxes = new QGridLayout;
    const QList<QPair<QString, QString>> captions = {
        {QStringLiteral("Comune"), QStringLiteral("edtComune")},
        {QStringLiteral("Desc. PA"), QStringLiteral("edtDescPA")},
        {QStringLiteral("Cod. univoco"), QStringLiteral("edtCodUnivoco")},
        {QStringLiteral("Ufficio"), QStringLiteral("edtUfficio")},
        {QStringLiteral("Cod. fiscale"), QStringLiteral("edtCodFiscale")},
        {QStringLiteral("Provincia"), QStringLiteral("edtProvincia")},
        {QStringLiteral("Indirizzo"), QStringLiteral("edtIndirizzo")},
        {QStringLiteral("Tipologia"), QStringLiteral("edtTipologia")}};
    for (qsizetype i = 0; i < captions.size(); ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(captions.at(i).second);
        connect(edit, &QLineEdit::returnPressed, this, &PublicAdministrationFinder::search);
        boxes->addWidget(new QLabel(captions.at(i).first, this), static_cast<int>(i / 4),
                         static_cast<int>(i % 4) * 2);
        boxes->addWidget(edit, static_cast<int>(i / 4), static_cast<int>(i % 4) * 2 + 1);
        m_criteria.append({captions.at(i).first, edit});
    }
    layout->addLayout(boxes);
    auto *find = new QPushButton(QStringLiteral("cerca"), this);
    find->setObjectName(QStringLiteral("btnCerca"));
    auto *clear = new QPushButton(QStringLiteral("reset"), this);
    clear->setObjectName(QStringLiteral("btnReset"));
    auto *load = new QPushButton(QStringLiteral("Importa elenco IPA"), this);
    load->setObjectName(QStringLiteral("btnImportaIPA"));
    load->setToolTip(
        QStringLiteral("Carica gli uffici di fatturazione elettronica dal file degli open data dell'Indice "
                       "delle Pubbliche Amministrazioni (CSV)"));
    connect(find, &QPushButton::clicked, this, &PublicAdministrationFinder::search);
    connect(clear, &QPushButton::clicked, this, &PublicAdministrationFinder::reset);
    connect(load, &QPushButton::clicked, this, &PublicAdministrationFinder::importOffices);
    layout->addLayout(buttonRow({load, clear, find}));
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setRecords(m_results.get());
    layout->addWidget(m_grid, 1);
    connect(m_grid, &DataGrid::avanti, this, &PublicAdministrationFinder::choose);
    QPushButton *avanti = makeToolButton(ToolAction::Avanti, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(avanti, &QPushButton::clicked, this, &PublicAdministrationFinder::choose);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    layout->addLayout(buttonRow({makeToolButton(ToolAction::Aiuto, this), avanti, back}));
    // An empty list with the columns of a search until the user searches.
    m_results->setStatement(noOfficeStatement());
    if (core::Status read = m_results->reload(); !read)
        session.prompter().message(titles::error(), read.error());
    m_grid->setDesign({{QStringLiteral("DescrizionePA"), QStringLiteral("Descrizione P.A. "), 260},
                       {QStringLiteral("DescrizioneUfficio"), QStringLiteral("Ufficio"), 220},
                       {QStringLiteral("codice_univoco"), QStringLiteral("Cod.Univoco"), 80},
                       {QStringLiteral("tipologia_istat"), QStringLiteral("Tipologia"), 140},
                       {QStringLiteral("indirizzo"), QStringLiteral("Indirizzo"), 200},
                       {QStringLiteral("cf"), QStringLiteral("cod.fiscale"), 100},
                       {QStringLiteral("Provincia"), QStringLiteral("Prov."), 45}});
    resize(1100, 600);
}

PublicAdministrationFinder::~PublicAdministrationFinder() = default;

void PublicAdministrationFinder::importOffices()
{
    const QString file =
        m_session.prompter().openFile(QStringLiteral("Elenco degli uffici dell'IPA"), QDir::homePath(),
                                      QStringLiteral("Valori separati (*.csv *.txt)"));
    if (file.isEmpty())
        return;
    const core::Result<int> loaded = importPublicOffices(*m_session.archive(), file);
    if (!loaded) {
        m_session.prompter().message(titles::error(), loaded.error());
        return;
    }
    m_session.prompter().information(
        QStringLiteral("Caricati %1 uffici di fatturazione elettronica.").arg(*loaded));
}

void PublicAdministrationFinder::reset()
{
    for (const auto &[caption, edit] : std::as_const(m_criteria))
        edit->clear();
}

void PublicAdministrationFinder::search()
{
    const auto typed = [this](int i) {
        return m_criteria.at(i).second->text();
    };
    const OfficeSearch criteria{typed(0), typed(1), typed(2), typed(3),
                                typed(4), typed(5), typed(6), typed(7)};
    const auto statement = officeSearchStatement(criteria, m_session.archive()->dialect());
    if (!statement) {
        m_session.prompter().message(
            titles::warning(), QStringLiteral("Attenzione ! E' necessario inserire i criteri di ricerca !"));
        return;
    }
    const QList<GridColumn> shown = m_grid->shownColumns();
    m_results->setStatement(statement->first, statement->second);
    if (core::Status read = m_results->reload(); !read)
        m_session.prompter().message(titles::error(), read.error());
    m_grid->showColumns(shown);
}

void PublicAdministrationFinder::choose()
{
    const std::optional<qint64> office = m_results->keyAt(m_grid->currentRow());
    if (!office)
        return;
    if (!m_session.prompter().ask(
            titles::warning(),
            QStringLiteral(
                "Posso sovrascrivere i dati della PA scelta con quelli del Cliente ? Vuoi proseguire ?")))
        return;
    if (core::Status chosen = chooseOffice(*m_session.archive(), m_customer, *office); !chosen) {
        m_session.prompter().message(titles::error(), chosen.error());
        return;
    }
    accept();
}

void registerPartyWindows(WindowRegistry &registry)
{
    for (const bool customers : {true, false}) {
        const RegistryDescriptor &descriptor = customers ? customerRegistry() : supplierRegistry();
        registry.add(descriptor.listWindow, descriptor.helpContext,
                     [customers, &registry](Session &session, const QVariantMap &, QWidget *parent) {
                         return new PartyListWindow(session, customers, registry, parent);
                     });
        registry.add(
            descriptor.cardWindow, descriptor.helpContext,
            [customers, &registry](Session &session, const QVariantMap &parameters, QWidget *parent) {
                return new PartyCardWindow(session, customers, registry,
                                           parameters.value(QStringLiteral("chiave")).toLongLong(),
                                           parameters.value(QStringLiteral("nuovo")).toBool(), parent);
            });
    }
    registry.add(QStringLiteral("TfrmTrovaPA"), 5100,
                 [](Session &session, const QVariantMap &parameters, QWidget *parent) {
                     return new PublicAdministrationFinder(
                         session, parameters.value(QStringLiteral("cliente")).toLongLong(), parent);
                 });
}

} // namespace rotalina::registries::ui
