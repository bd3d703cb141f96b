#include "transport/ui/tariffwindows.h"

#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::transport::ui {

using namespace shell;
using namespace shell::ui;

namespace {

constexpr int tariffHelp = 4200;

RegistryField field(const char *name, const char *caption,
                    RegistryField::Kind kind = RegistryField::Kind::Text)
{
    return registryField(name, caption, kind);
}

RegistryField choice(const char *name, const char *caption, const char *sql, const char *copySql = nullptr,
                     QStringList copied = {})
{
    return registryChoice(name, caption, QString::fromLatin1(sql),
                          copySql ? QString::fromLatin1(copySql) : QString(), std::move(copied));
}

// A choice that shows a stored key it does not offer (a withdrawn customer) by the statement's text.
RegistryField withUnlisted(RegistryField field, const char *sql)
{
    field.unlistedSql = QString::fromLatin1(sql);
    return field;
}

} // namespace

TariffListWindow::TariffListWindow(Session &session, const WindowRegistry &windows, Mode mode,
                                   std::optional<qint64> customer, QWidget *parent)
    : QDialog(parent), m_session(session), m_windows(windows), m_mode(mode), m_customer(customer),
      m_grid(new DataGrid(QStringLiteral("Form2_Griglia"), this)),
      m_records(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("Id")))
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Tariffe"));
    WindowRegistry::setHelpContext(this, tariffHelp);
    auto *layout = new QVBoxLayout(this);
    auto *searchGroup = new QGroupBox(QStringLiteral("Cerca Per:"), this);
    auto *boxes = new QGridLayout(searchGroup);
    const QList<QPair<QString, QString>> captions = {
        {QStringLiteral("Codice"), QStringLiteral("edtCodice")},
        {QStringLiteral("Descrizione"), QStringLiteral("edtDescrizione")},
        {QStringLiteral("Cliente"), QStringLiteral("edtCliente")},
        {QStringLiteral("Reparto"), QStringLiteral("edtReparto")},
        {QStringLiteral("Note"), QStringLiteral("edtNote")},
        {QStringLiteral("Da"), QStringLiteral("edtDa")},
        {QStringLiteral("A"), QStringLiteral("edtA")}};
    for (qsizetype i = 0; i < captions.size(); ++i) {
        auto *edit = new QLineEdit(searchGroup);
        edit->setObjectName(captions.at(i).second);
        edit->setClearButtonEnabled(true);
        connect(edit, &QLineEdit::textChanged, this, &TariffListWindow::search);
        boxes->addWidget(new QLabel(captions.at(i).first, searchGroup), 0, static_cast<int>(i) * 2);
        boxes->addWidget(edit, 0, static_cast<int>(i) * 2 + 1);
        m_search.append({captions.at(i).first, edit});
    }
    layout->addWidget(searchGroup);

    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_records->setNumberField(QStringLiteral("Prezzo"), 2);
    m_records->setNumberField(QStringLiteral("PrezzoCompleto"), 2);
    m_records->setNumberField(QStringLiteral("Chilometri"), 2);
    m_grid->setRecords(m_records.get());
    layout->addWidget(m_grid, 1);
    connect(m_grid, &DataGrid::avanti, this, &TariffListWindow::avanti);
    auto *count = new QAction(QStringLiteral("Conta records"), this);
    count->setObjectName(QStringLiteral("Contarecords1"));
    connect(count, &QAction::triggered, this, &TariffListWindow::countRecords);
    m_grid->addMenuAction(count);

    const auto button = [this](const char *name, const char *caption, auto slot) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    QPushButton *reread = makeToolButton(ToolAction::Ricarica, this);
    reread->setToolTip(QStringLiteral("Aggiorna gli archivi"));
    connect(reread, &QPushButton::clicked, this, &TariffListWindow::reload);
    QPushButton *vat = button("spdAliquotaIva", "Cambia Iva", &TariffListWindow::changeVat);
    QPushButton *prices =
        button("spdAumentaDiminuisci", "Cambia prezzo Vendita", &TariffListWindow::changePrices);
    QPushButton *copyButton = button("spdCopia", "Copia", &TariffListWindow::copy);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton *remove = makeToolButton(ToolAction::Elimina, this);
    connect(remove, &QPushButton::clicked, this, &TariffListWindow::remove);
    QPushButton *addButton = makeToolButton(ToolAction::Aggiungi, this);
    connect(addButton, &QPushButton::clicked, this, &TariffListWindow::add);
    QPushButton *next = makeToolButton(ToolAction::Avanti, this);
    connect(next, &QPushButton::clicked, this, &TariffListWindow::avanti);
    // The window's own buttons, then those of every list in their usual order.
    layout->addLayout(buttonRow({vat, prices, copyButton, addButton, next, remove, reread,
                                 makeToolButton(ToolAction::Aiuto, this), back}));
    // The editing buttons belong to the registry, not to a document choosing its tariffs.
    for (QPushButton *editing : {vat, prices, copyButton, remove, addButton})
        editing->setVisible(mode == Mode::Registry);

    reload();
    m_grid->setDesign({{QStringLiteral("PartenzaCitta"), QStringLiteral("Da"), 120},
                       {QStringLiteral("FineCitta"), QStringLiteral("A"), 120},
                       {QStringLiteral("Codice"), QStringLiteral("Codice"), 80},
                       {QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), 280},
                       {QStringLiteral("Prezzo"), QStringLiteral("Val. Unitario"), 90},
                       {QStringLiteral("PrezzoCompleto"), QStringLiteral("Prezzo Finale"), 90},
                       {QStringLiteral("Cliente"), QStringLiteral("Cliente"), 180},
                       {QStringLiteral("Chilometri"), QStringLiteral("Chilometri"), 70}});
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TariffListWindow::trackSelection);
    resize(1200, 640);
}

TariffListWindow::~TariffListWindow() = default;

QLineEdit *TariffListWindow::searchBox(const QString &name) const
{
    for (const auto &[caption, edit] : m_search) {
        if (caption == name)
            return edit;
    }
    return nullptr;
}

void TariffListWindow::reload()
{
    // A registry shows withdrawn tariffs too; a document chooses among the others.
    const storage::ListFilter base = tariffBaseFilter(m_session.archive()->dialect(), m_mode == Mode::Picker,
                                                      m_mode == Mode::Picker ? m_customer : std::nullopt);
    const std::optional<qint64> current = m_records->keyAt(m_grid->currentRow());
    m_records->setStatement(tariffListStatement(base.conditions()), base.parameters());
    m_texts.clear();
    m_records->setRowFilter({});
    if (core::Status read = m_records->reload(); !read) {
        m_session.prompter().message(titles::error(), read.error());
        return;
    }
    // The searched texts are folded once, as the list is read, so that every letter typed is quick.
    const auto text = [this](int row, const char *field) {
        return m_records->value(row, QString::fromLatin1(field)).toString();
    };
    for (int row = 0; row < m_records->rowCount(); ++row) {
        m_texts.insert(m_records->keyAt(row).value_or(0),
                       foldedTariffTexts(text(row, "Descrizione"), text(row, "Codice"),
                                         text(row, "PartenzaCitta"), text(row, "FineCitta"),
                                         text(row, "Cliente"), text(row, "Reparto"), text(row, "Note")));
    }
    search();
    if (current && m_records->rowOfKey(*current) >= 0)
        m_grid->setCurrentRow(m_records->rowOfKey(*current));
}

void TariffListWindow::search()
{
    // The tariffs read stay in memory: each letter typed narrows them without a new reading.
    const auto typed = [this](const char *name) {
        return searchBox(QString::fromLatin1(name))->text();
    };
    const TariffSearch folded = foldedSearch({typed("Descrizione"), typed("Codice"), typed("Da"), typed("A"),
                                              typed("Cliente"), typed("Reparto"), typed("Note")});
    m_selectionOrder.clear();
    if (tariffSearchIsEmpty(folded)) {
        m_records->setRowFilter({});
        return;
    }
    const int key = m_records->fieldIndex(QStringLiteral("Id"));
    m_records->setRowFilter([this, folded, key](const QVariantList &row) {
        const auto texts = m_texts.constFind(row.at(key).toLongLong());
        return texts != m_texts.cend() && tariffMatches(folded, *texts);
    });
}

QList<qint64> TariffListWindow::listedKeys() const
{
    QList<qint64> keys;
    for (int row = 0; row < m_records->rowCount(); ++row) {
        if (const std::optional<qint64> key = m_records->keyAt(row))
            keys.append(*key);
    }
    return keys;
}

void TariffListWindow::trackSelection()
{
    QList<qint64> selected;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedRows()) {
        if (const std::optional<qint64> key = m_records->keyAt(index.row()))
            selected.append(*key);
    }
    // The rows keep the order they were selected in.
    m_selectionOrder.removeIf([&selected](qint64 key) { return !selected.contains(key); });
    for (const qint64 key : std::as_const(selected)) {
        if (!m_selectionOrder.contains(key))
            m_selectionOrder.append(key);
    }
}

void TariffListWindow::avanti()
{
    if (m_mode == Mode::Registry) {
        if (const std::optional<qint64> key = m_records->keyAt(m_grid->currentRow()))
            openCard(*key, false);
        return;
    }
    trackSelection();
    if (!m_selectionOrder.isEmpty())
        m_selectionClause = tariffSelectionClause(m_selectionOrder);
    m_chosen = true;
    QVariantList chosen;
    for (const qint64 key : std::as_const(m_selectionOrder))
        chosen.append(key);
    WindowRegistry::setChoice(this, chosen);
    accept();
}

void TariffListWindow::openCard(qint64 key, bool isNew)
{
    m_windows.open(QStringLiteral("TForm3"), m_session, this,
                   {{QStringLiteral("chiave"), key}, {QStringLiteral("nuovo"), isNew}});
    reload();
    if (const int row = m_records->rowOfKey(key); row >= 0)
        m_grid->setCurrentRow(row);
}

void TariffListWindow::add()
{
    // The new tariff is shown whatever the search boxes held.
    for (const auto &[caption, box] : std::as_const(m_search))
        box->clear();
    const core::Result<qint64> key = addTariff(*m_session.archive(), m_session.today());
    if (!key) {
        m_session.prompter().message(titles::error(), key.error());
        return;
    }
    reload();
    openCard(*key, true);
}

void TariffListWindow::remove()
{
    const int row = m_grid->currentRow();
    const std::optional<qint64> key = m_records->keyAt(row);
    if (!key || !m_session.prompter().ask(titles::warning(),
                                          QStringLiteral("Sei sicuro di voler eliminare l'articolo")))
        return;
    if (core::Status removed = m_session.archive()->remove(QStringLiteral("prezziar"), *key); !removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return;
    }
    reload();
    if (m_records->rowCount() > 0)
        m_grid->setCurrentRow(std::min(std::max(row - 1, 0), m_records->rowCount() - 1));
}

void TariffListWindow::copy()
{
    const std::optional<qint64> key = m_records->keyAt(m_grid->currentRow());
    if (!key)
        return;
    const core::Result<qint64> copied = copyTariff(*m_session.archive(), *key, m_session.today());
    if (!copied) {
        m_session.prompter().message(titles::error(), copied.error());
        return;
    }
    reload();
    if (const int row = m_records->rowOfKey(*copied); row >= 0)
        m_grid->setCurrentRow(row);
}

void TariffListWindow::countRecords()
{
    m_session.prompter().message(QStringLiteral("Numero dei records"),
                                 QString::number(m_records->rowCount()));
}

void TariffListWindow::changePrices()
{
    if (!m_session.prompter().ask(
            titles::warning(),
            QStringLiteral("Attenzione questa funzione cambierà il valore unitario per tutte "
                           "le tariffe filtrate in archivio. Vuoi proseguire ?")))
        return;
    TariffPriceChangeWindow window(m_session, listedKeys(), this);
    window.exec();
    reload();
}

void TariffListWindow::changeVat()
{
    if (!m_session.prompter().ask(
            titles::warning(),
            QStringLiteral("Attenzione questa funzione cambierà il valore dell'aliquota iva per "
                           "tutte le tariffe filtrate in archivio. Vuoi proseguire ?")))
        return;
    TariffVatChangeWindow window(m_session, listedKeys(), this);
    window.exec();
    reload();
}

TariffCardWindow::TariffCardWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                                   QWidget *parent)
    : CardWindow(parent), m_session(session), m_windows(windows),
      m_form(new RecordForm(session, QStringLiteral("prezziar"), this)), m_pages(new QTabWidget(this))
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Tariffe"));
    WindowRegistry::setHelpContext(this, tariffHelp);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    const auto page = [this](const QString &caption) {
        return addFormTab(*m_pages, *m_form, caption);
    };
    FormPage *general = page(QStringLiteral("   Generale   "));
    addRegistryFields(
        *general, *m_form, session, &windows,
        {field("Codice", "Codice"), field("Descrizione", "Descrizione"),
         withUnlisted(
             choice("Cliente_ID", "Cliente",
                    "SELECT Id, NominativoVisualizzato FROM Clienti WHERE Annullato = false ORDER BY "
                    "NominativoVisualizzato",
                    "SELECT NominativoDocumenti AS Cliente FROM Clienti WHERE Id = ?",
                    {QStringLiteral("Cliente")}),
             "SELECT NominativoVisualizzato FROM Clienti WHERE Id = ?"),
         withList(choice("Reparto", "Reparto",
                         "SELECT Descrizione, Descrizione FROM Reparti ORDER BY Descrizione"),
                  "TfrmReparti"),
         field("DataInserimento", "Data di inserimento", RegistryField::Kind::Date),
         choice("Partenza_ID", "Partenza",
                "SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune",
                "SELECT Comune AS PartenzaCitta FROM Comuni WHERE ID = ?", {QStringLiteral("PartenzaCitta")}),
         choice("Partenza_Indirizzo", "Indirizzo",
                "SELECT ID, RagioneSociale || ' - ' || COALESCE(Indirizzo, '') FROM Indirizzi ORDER BY "
                "RagioneSociale"),
         choice("Fine_ID", "Destinazione",
                "SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune",
                "SELECT Comune AS FineCitta FROM Comuni WHERE ID = ?", {QStringLiteral("FineCitta")}),
         choice("Fine_Indirizzo", "Indirizzo",
                "SELECT ID, RagioneSociale || ' - ' || COALESCE(Indirizzo, '') FROM Indirizzi ORDER BY "
                "RagioneSociale"),
         withList(choice("Um_Id", "Unità di misura",
                         "SELECT Id, Descrizione FROM UnitaMisura ORDER BY Descrizione"),
                  "TfrmGrigliaUnitaMisura"),
         field("Annullato", "Annullato", RegistryField::Kind::Check)});
    for (const char *copy : {"Cliente", "PartenzaCitta", "FineCitta"})
        addHiddenField(*m_form, general, QString::fromLatin1(copy));
    auto *departureSearch = new QPushButton(QStringLiteral("Cerca indirizzo di partenza"), general);
    departureSearch->setObjectName(QStringLiteral("spdCercaPartenza"));
    connect(departureSearch, &QPushButton::clicked, this, [this] { findAddress(true); });
    auto *arrivalSearch = new QPushButton(QStringLiteral("Cerca indirizzo di arrivo"), general);
    arrivalSearch->setObjectName(QStringLiteral("spdCercaArrivo"));
    connect(arrivalSearch, &QPushButton::clicked, this, [this] { findAddress(false); });
    auto *searches = new QHBoxLayout;
    searches->addWidget(departureSearch);
    searches->addWidget(arrivalSearch);
    searches->addStretch(1);
    general->row(QString(), searches);

    FormPage *route = page(QStringLiteral("   Percorso   "));
    route->amount(QStringLiteral("Chilometri"), QStringLiteral("Chilometri"), 2);
    route->number(QStringLiteral("TempoOre"), QStringLiteral("Ore"), 0, 999);
    QSpinBox *minutes = route->number(QStringLiteral("TempoMinuti"), QStringLiteral("Minuti"), -999, 999);
    connect(minutes, &QSpinBox::editingFinished, this, &TariffCardWindow::checkMinutes);
    route->memo(QStringLiteral("Percorso"), QStringLiteral("Percorso"));
    auto *web = new QPushButton(QStringLiteral("Vedi Informazioni sul Web"), route);
    web->setObjectName(QStringLiteral("Button1"));
    web->setAutoDefault(false);
    web->setEnabled(windows.has(QStringLiteral("TfrmNavigazione")));
    web->setToolTip(QStringLiteral("Chiede chilometri, tempo e percorso al servizio percorsi delle opzioni"));
    route->row(QString(), web);
    // The route window reads the municipalities from the tariff's row and writes its figures there
    // itself: what the card holds is saved first (as the program saves by itself, without the
    // checks, so a tariff just added works too), and the four fields are read back afterwards.
    connect(web, &QPushButton::clicked, this, [this] {
        if (!m_form->quietSave())
            return;
        m_windows.open(QStringLiteral("TfrmNavigazione"), m_session, this,
                       {{QStringLiteral("chiave"), m_form->key()}, {QStringLiteral("calcola"), true}});
        m_form->refresh({QStringLiteral("Chilometri"), QStringLiteral("TempoOre"),
                         QStringLiteral("TempoMinuti"), QStringLiteral("Percorso")});
    });

    FormPage *prices = page(QStringLiteral("   Prezzi   "));
    AmountBox *unitValue = prices->amount(QStringLiteral("Prezzo"), QStringLiteral("Valore Unitario"), 4);
    AmountBox *discount = prices->amount(QStringLiteral("Sconto"), QStringLiteral("Sconto"));
    addRegistryFields(
        *prices, *m_form, session, &windows,
        {withList(choice("Iva_Id", "Aliquota Iva", "SELECT ID, Descrizione FROM Iva ORDER BY Descrizione",
                         "SELECT Iva AS AliquotaIva FROM Iva WHERE ID = ?", {QStringLiteral("AliquotaIva")}),
                  "TfrmGrigliaIva")});
    auto *vat = static_cast<LookupBox *>(m_form->editor(QStringLiteral("Iva_Id")));
    addHiddenField(*m_form, prices, QStringLiteral("AliquotaIva"));
    prices->amount(QStringLiteral("PrezzoCompleto"), QStringLiteral("Prezzo Finale"));
    auto *unitFromFinal = new QPushButton(QStringLiteral("Calcola il Valore Unitario"), prices);
    unitFromFinal->setObjectName(QStringLiteral("BitBtn1"));
    connect(unitFromFinal, &QPushButton::clicked, this, &TariffCardWindow::computeUnitValue);
    prices->row(QString(), unitFromFinal);
    prices->amount(QStringLiteral("PrezzoFornitore"), QStringLiteral("Costo"));
    prices->check(QStringLiteral("PrezzoImposto"),
                  QStringLiteral("Prezzo imposto (lo sconto del cliente non lo cambia)"));
    prices->text(QStringLiteral("AltriDatiEconomici"), QStringLiteral("Altri dati economici"));
    connect(unitValue, &QLineEdit::editingFinished, this, &TariffCardWindow::computeFinalPrice);
    connect(discount, &QLineEdit::editingFinished, this, &TariffCardWindow::computeFinalPrice);
    // The rate is copied by the choice; the final price follows it.
    connect(vat, &LookupBox::chosen, this, &TariffCardWindow::computeFinalPrice);

    FormPage *other = page(QStringLiteral("   Altro   "));
    other->memo(QStringLiteral("Note"), QStringLiteral("Note"));

    m_form->checks() = tariffChecks();
    m_form->setWriter([this](qint64 row, const QVariantMap &values) {
        return saveTariff(*m_session.archive(), row, values);
    });

    QPushButton *cancel = makeToolButton(ToolAction::Annulla, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(cancel, &QPushButton::clicked, this, &TariffCardWindow::cancelNew);
    connect(back, &QPushButton::clicked, this, [this] {
        if (this->back())
            finish(true);
    });
    layout->addLayout(buttonRow({cancel, makeToolButton(ToolAction::Aiuto, this), back}));
    cancel->setVisible(isNew);
    if (!m_form->load(key, isNew))
        finish(false);
    resize(720, 560);
}

void TariffCardWindow::computeFinalPrice()
{
    const QVariantMap values = m_form->values();
    if (!RecordChecks::hasValue(values.value(QStringLiteral("Iva_Id"))) ||
        !RecordChecks::hasValue(values.value(QStringLiteral("Prezzo"))))
        return;
    m_form->setValue(QStringLiteral("PrezzoCompleto"),
                     tariffFinalPrice(values.value(QStringLiteral("Prezzo")).toDouble(),
                                      values.value(QStringLiteral("Sconto")).toDouble(),
                                      values.value(QStringLiteral("AliquotaIva")).toDouble()));
}

void TariffCardWindow::computeUnitValue()
{
    const QVariantMap values = m_form->values();
    if (!RecordChecks::hasValue(values.value(QStringLiteral("PrezzoCompleto")))) {
        m_session.prompter().message(titles::warning(),
                                     QStringLiteral("Attenzione Inserire il Prezzo finale"));
        return;
    }
    m_form->setValue(QStringLiteral("Prezzo"),
                     tariffUnitValue(values.value(QStringLiteral("PrezzoCompleto")).toDouble(),
                                     values.value(QStringLiteral("Sconto")).toDouble(),
                                     values.value(QStringLiteral("AliquotaIva")).toDouble()));
}

void TariffCardWindow::checkMinutes()
{
    const int minutes = m_form->values().value(QStringLiteral("TempoMinuti")).toInt();
    if (minutes < 0 || minutes > 60)
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"));
}

void TariffCardWindow::findAddress(bool departure)
{
    const QString townField = departure ? QStringLiteral("Partenza_ID") : QStringLiteral("Fine_ID");
    const QString addressField =
        departure ? QStringLiteral("Partenza_Indirizzo") : QStringLiteral("Fine_Indirizzo");
    const QVariant town = m_form->values().value(townField);
    if (!RecordChecks::hasValue(town))
        return;
    auto *addresses = qobject_cast<LookupBox *>(m_form->editor(addressField));
    const core::Result<int> found = addressesInTown(*m_session.archive(), town.toLongLong());
    if (found && *found > 0) {
        // The town's addresses are offered to choose from.
        const QVariant chosen = addresses->key();
        if (core::Status loaded = addresses->load(
                *m_session.archive(),
                QStringLiteral("SELECT ID, RagioneSociale || ' - ' || COALESCE(Indirizzo, '') "
                               "FROM Indirizzi WHERE Comune_ID = ? ORDER BY RagioneSociale"),
                {town});
            !loaded) {
            m_session.prompter().message(titles::error(), loaded.error());
            return;
        }
        addresses->setKey(chosen);
        addresses->setFocus();
        addresses->showPopup();
        return;
    }
    const QString question =
        departure
            ? QStringLiteral("Per la città di partenza non ci sono indirizzi. Vuoi inserirne uno nuovo ?")
            : QStringLiteral("Per la città di arrivo non ci sono indirizzi. Vuoi inserirne uno nuovo ?");
    if (!m_session.prompter().ask(titles::warning(), question))
        return;
    m_windows.open(QStringLiteral("TfrmIndirizzi"), m_session, this);
    if (core::Status loaded = addresses->load(
            *m_session.archive(), QStringLiteral("SELECT ID, RagioneSociale || ' - ' || "
                                                 "COALESCE(Indirizzo, '') FROM Indirizzi ORDER BY "
                                                 "RagioneSociale"));
        !loaded)
        m_session.prompter().message(titles::error(), loaded.error());
}

bool TariffCardWindow::back()
{
    return m_form->back();
}

void TariffCardWindow::cancelNew()
{
    if (cancelInsert())
        finish(false);
}

bool TariffCardWindow::offersCancel() const
{
    return m_form->isNew();
}

bool TariffCardWindow::cancelInsert()
{
    return m_form->cancelNew();
}

TariffPriceChangeWindow::TariffPriceChangeWindow(Session &session, QList<qint64> keys, QWidget *parent)
    : QDialog(parent), m_session(session), m_keys(std::move(keys)), m_percentage(new AmountBox(this)),
      m_fixed(new AmountBox(this))
{
    setObjectName(QStringLiteral("TfrmCambiaValoreUnitario"));
    setWindowTitle(QStringLiteral("Cambia il Valore Unitario"));
    WindowRegistry::setHelpContext(this, tariffHelp);
    m_percentage->setObjectName(QStringLiteral("txtPercentuale"));
    m_fixed->setObjectName(QStringLiteral("txtFisso"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Percentuale"), this), 0, 0);
    grid->addWidget(m_percentage, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Valore Fisso"), this), 1, 0);
    grid->addWidget(m_fixed, 1, 1);
    layout->addLayout(grid);
    auto *up = new QPushButton(QStringLiteral("Aumenta"), this);
    up->setObjectName(QStringLiteral("btnAumenta"));
    auto *down = new QPushButton(QStringLiteral("Diminuisci"), this);
    down->setObjectName(QStringLiteral("btnDiminuisci"));
    connect(up, &QPushButton::clicked, this, [this] { apply(PriceChange::Increase); });
    connect(down, &QPushButton::clicked, this, [this] { apply(PriceChange::Decrease); });
    layout->addLayout(buttonRow({up, down}));
}

void TariffPriceChangeWindow::apply(PriceChange change)
{
    const std::optional<double> percentage =
        m_percentage->isBlank() ? std::nullopt : std::optional(m_percentage->value());
    const std::optional<double> fixed = m_fixed->isBlank() ? std::nullopt : std::optional(m_fixed->value());
    const core::Status changed = changeTariffPrices(*m_session.archive(), m_keys, change, percentage, fixed);
    if (!changed) {
        m_session.prompter().message(titles::warning(), changed.error());
        if (!percentage && !fixed)
            m_percentage->setFocus();
        return;
    }
    if (change == PriceChange::Increase)
        m_session.prompter().message(
            titles::warning(),
            QStringLiteral("Il valore degli articoli selezionati è stato aumentato con successo"));
    accept();
}

TariffVatChangeWindow::TariffVatChangeWindow(Session &session, QList<qint64> keys, QWidget *parent)
    : QDialog(parent), m_session(session), m_keys(std::move(keys)), m_vat(new LookupBox(this))
{
    setObjectName(QStringLiteral("TfrmCambiaAliquotaIva"));
    setWindowTitle(QStringLiteral("Cambia l'aliquota iva"));
    WindowRegistry::setHelpContext(this, tariffHelp);
    m_vat->setObjectName(QStringLiteral("cmbAliquotaIva"));
    if (core::Status loaded = m_vat->load(
            *session.archive(), QStringLiteral("SELECT ID, Descrizione FROM Iva ORDER BY Descrizione"));
        !loaded)
        session.prompter().message(titles::error(), loaded.error());
    m_vat->clearChoice();
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Aliquota Iva"), this));
    row->addWidget(m_vat, 1);
    layout->addLayout(row);
    auto *change = new QPushButton(QStringLiteral("Cambia Iva"), this);
    change->setObjectName(QStringLiteral("btnCambiaIva"));
    connect(change, &QPushButton::clicked, this, &TariffVatChangeWindow::apply);
    layout->addLayout(buttonRow({change}));
}

void TariffVatChangeWindow::apply()
{
    const QVariant vat = m_vat->key();
    if (!RecordChecks::hasValue(vat)) {
        m_session.prompter().message(titles::warning(),
                                     QStringLiteral("Inserisci l'Aliquota Iva da cambiare"));
        return;
    }
    if (core::Status changed = changeTariffVat(*m_session.archive(), m_keys, vat.toLongLong()); !changed) {
        m_session.prompter().message(titles::error(), changed.error());
        return;
    }
    m_session.prompter().message(titles::warning(),
                                 QStringLiteral("L'aliquota Iva è stata cambiata con successo"));
    accept();
}

void registerTariffWindows(WindowRegistry &registry)
{
    registry.add(QStringLiteral("TForm2"), tariffHelp,
                 [&registry](Session &session, const QVariantMap &parameters, QWidget *parent) {
                     const bool picker = parameters.value(QStringLiteral("scelta")).toBool();
                     std::optional<qint64> customer;
                     if (parameters.contains(QStringLiteral("cliente")))
                         customer = parameters.value(QStringLiteral("cliente")).toLongLong();
                     return new TariffListWindow(session, registry,
                                                 picker ? TariffListWindow::Mode::Picker
                                                        : TariffListWindow::Mode::Registry,
                                                 customer, parent);
                 });
    registry.add(QStringLiteral("TForm3"), tariffHelp,
                 [&registry](Session &session, const QVariantMap &parameters, QWidget *parent) {
                     return new TariffCardWindow(session, registry,
                                                 parameters.value(QStringLiteral("chiave")).toLongLong(),
                                                 parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                 });
    // The options' "Cambia tutte le tariffe": the standard VAT rate given by the options window.
    registry.addCommand(
        changeAllTariffsCommand(), [](Session &session, const QVariantMap &parameters, QWidget *) {
            if (!session.prompter().ask(
                    titles::warning(),
                    QStringLiteral("Sei sicuro di voler aggiornare l'iva di tutte le tariffe ?")))
                return;
            const core::Result<int> changed =
                changeAllTariffsVat(*session.archive(), parameters.value(QStringLiteral("Iva_Id")),
                                    parameters.value(QStringLiteral("AliquotaIva")).toDouble());
            if (!changed)
                session.prompter().message(titles::error(), changed.error());
            else
                session.prompter().information(QStringLiteral("Articoli cambiati con successo !"));
        });
}

} // namespace rotalina::transport::ui
