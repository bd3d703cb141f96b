#include "registries/ui/noticewizard.h"

#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datebox.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace rotalina::registries::ui {

using shell::ui::DateBox;
using shell::ui::LookupBox;
using shell::ui::ToolAction;
using shell::ui::WindowRegistry;

namespace {

constexpr int noticeHelp = 5150;

const QString caption = QStringLiteral("Avvisi per Clienti");
// The title of the missing-text message is spelt as the office has always seen it.
const QString missingTextTitle = QStringLiteral("Messaggio di Errore");

QPushButton *named(QPushButton *button, const char *name, const char *text = nullptr)
{
    button->setObjectName(QString::fromLatin1(name));
    if (text)
        button->setText(QString::fromUtf8(text));
    return button;
}

} // namespace

bool NoticeCustomerModel::holds(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() < m_customers.size() &&
           index.column() < ColumnCount;
}

void NoticeCustomerModel::setCustomers(QList<NoticeCustomer> customers)
{
    beginResetModel();
    m_customers = std::move(customers);
    m_checked = QList<bool>(m_customers.size(), true);
    endResetModel();
}

void NoticeCustomerModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= m_checked.size() || m_checked.at(row) == checked)
        return;
    m_checked[row] = checked;
    const QModelIndex cell = index(row, Name);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

QList<qint64> NoticeCustomerModel::checkedKeys() const
{
    QList<qint64> keys;
    for (qsizetype row = 0; row < m_customers.size(); ++row) {
        if (m_checked.at(row))
            keys.append(m_customers.at(row).key);
    }
    return keys;
}

int NoticeCustomerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_customers.size());
}

int NoticeCustomerModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NoticeCustomerModel::data(const QModelIndex &index, int role) const
{
    if (!holds(index))
        return {};
    const NoticeCustomer &c = m_customers.at(index.row());
    if (role == Qt::CheckStateRole && index.column() == Name)
        return m_checked.at(index.row()) ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (static_cast<Column>(index.column())) {
    case Name:
        return c.name;
    case Code:
        return c.code;
    case VatNumber:
        return c.vatNumber;
    case Street:
        return c.street;
    case HouseNumber:
        return c.houseNumber;
    case Postcode:
        return c.postcode;
    case Town:
        return c.town;
    case Province:
        return c.province;
    case Phone:
        return c.phone;
    case Fax:
        return c.fax;
    case Mobile:
        return c.mobile;
    case Email:
        return c.email;
    case Notes:
        // Notes may run over many lines: the grid shows their beginning.
        return role == Qt::ToolTipRole ? c.notes : c.notes.section(u'\n', 0, 0).left(100);
    case ColumnCount:
        break;
    }
    return {};
}

bool NoticeCustomerModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!holds(index) || index.column() != Name || role != Qt::CheckStateRole)
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags NoticeCustomerModel::flags(const QModelIndex &index) const
{
    if (!holds(index))
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == Name ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant NoticeCustomerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (static_cast<Column>(section)) {
    case Name:
        return QStringLiteral("Nominativo");
    case Code:
        return QStringLiteral("Codice");
    case VatNumber:
        return QStringLiteral("Partita Iva");
    case Street:
        return QStringLiteral("Via");
    case HouseNumber:
        return QStringLiteral("Numero");
    case Postcode:
        return QStringLiteral("Cap");
    case Town:
        return QStringLiteral("Città");
    case Province:
        return QStringLiteral("Prov.");
    case Phone:
        return QStringLiteral("Telefono");
    case Fax:
        return QStringLiteral("Fax");
    case Mobile:
        return QStringLiteral("Cellulare");
    case Email:
        return QStringLiteral("EMail");
    case Notes:
        return QStringLiteral("Note");
    case ColumnCount:
        break;
    }
    return {};
}

NoticeWizard::NoticeWizard(shell::Session &session, QWidget *parent)
    : QDialog(parent), m_session(session), m_pages(new QStackedWidget(this)),
      m_customers(new NoticeCustomerModel(this))
{
    // The wizard is opened, and known to the main window, by the name of its first page.
    setObjectName(QStringLiteral("TfrmAvvisiClienti_Campi"));
    setWindowTitle(caption);
    WindowRegistry::setHelpContext(this, noticeHelp);
    resize(900, 560);
    m_textPage = buildTextPage();
    m_filterPage = buildFilterPage();
    m_gridPage = buildGridPage();
    m_pages->addWidget(m_textPage);
    m_pages->addWidget(m_filterPage);
    m_pages->addWidget(m_gridPage);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    showPage(m_textPage);
}

QWidget *NoticeWizard::currentPage() const
{
    return m_pages->currentWidget();
}

void NoticeWizard::showPage(QWidget *page)
{
    m_pages->setCurrentWidget(page);
    if (page == m_textPage)
        m_text->setFocus();
    else if (page == m_filterPage)
        m_paymentTerms->setFocus();
    else
        m_grid->setFocus();
}

QWidget *NoticeWizard::buildTextPage()
{
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("TfrmAvvisiClienti_Campi"));
    storage::Archive &archive = *m_session.archive();

    m_text = new QPlainTextEdit(page);
    m_text->setObjectName(QStringLiteral("txtTesto"));
    m_text->setTabChangesFocus(true);
    if (const core::Result<QString> text = noticeText(archive, m_session.workstation()); text)
        m_text->setPlainText(*text);
    else
        m_session.prompter().message(shell::titles::error(), text.error());

    m_storedNotices = new LookupBox(page);
    m_storedNotices->setObjectName(QStringLiteral("cboAvvisi"));
    m_storedNotices->setMinimumWidth(260);
    if (core::Status loaded = m_storedNotices->load(
            archive, QStringLiteral("SELECT ID, Descrizione FROM Avvisi ORDER BY Descrizione, ID"));
        !loaded)
        m_session.prompter().message(shell::titles::error(), loaded.error());
    m_import = shell::ui::makeButton(page, "btnImporta", "Importa",
                                     "Mette il testo dell'avviso scelto al posto di quello scritto");
    m_import->setEnabled(false);
    connect(m_storedNotices, &QComboBox::currentIndexChanged, this,
            [this] { m_import->setEnabled(m_storedNotices->key().isValid()); });
    connect(m_import, &QPushButton::clicked, this, &NoticeWizard::importStoredNotice);

    QPushButton *save = named(shell::ui::makeToolButton(ToolAction::Salva, page), "spdSalva", "Salva");
    QPushButton *next = shell::ui::makeButton(page, "btnContinua", "Continua");
    QPushButton *back = shell::ui::makeToolButton(ToolAction::Indietro, page);
    connect(save, &QPushButton::clicked, this, &NoticeWizard::saveText);
    connect(next, &QPushButton::clicked, this, &NoticeWizard::continueToFilters);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    auto *stored = new QHBoxLayout;
    stored->addWidget(new QLabel(QStringLiteral("Tipo di avviso"), page));
    stored->addWidget(m_storedNotices, 1);
    stored->addWidget(m_import);

    auto *layout = new QVBoxLayout(page);
    auto *label = new QLabel(QStringLiteral("Testo dell'avviso"), page);
    label->setBuddy(m_text);
    layout->addWidget(label);
    layout->addWidget(m_text, 1);
    layout->addLayout(stored);
    layout->addLayout(
        shell::ui::buttonRow({shell::ui::makeToolButton(ToolAction::Aiuto, page), save, next, back}));
    return page;
}

QWidget *NoticeWizard::buildFilterPage()
{
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("TfrmAvvisiClienti_Filtri"));
    storage::Archive &archive = *m_session.archive();

    const auto lookup = [&](const char *name, const QString &sql, bool searchable) {
        auto *box = new LookupBox(page);
        box->setObjectName(QString::fromLatin1(name));
        box->setMinimumWidth(260);
        if (core::Status loaded = box->load(archive, sql); !loaded)
            m_session.prompter().message(shell::titles::error(), loaded.error());
        box->setSearchable(searchable);
        return box;
    };
    m_paymentTerms =
        lookup("cboPagamento",
               QStringLiteral("SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione"), false);
    m_category =
        lookup("cboCategoria",
               QStringLiteral("SELECT ID, Descrizione FROM ClientiCategoria ORDER BY Descrizione"), false);
    m_municipality =
        lookup("cboComune",
               QStringLiteral(
                   "SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune"),
               true);
    m_province = lookup("cboProvincia",
                        QStringLiteral("SELECT PROVINCIA, PROVINCIA || ' - ' || COALESCE(Descrizione, '') "
                                       "FROM Province ORDER BY PROVINCIA"),
                        true);
    m_notes = new QLineEdit(page);
    m_notes->setObjectName(QStringLiteral("txtNote"));
    m_notes->setToolTip(QStringLiteral("I clienti le cui note cominciano con il testo scritto"));
    m_dueFrom = new DateBox(page);
    m_dueFrom->setObjectName(QStringLiteral("txtDaDataScadenza"));
    m_dueTo = new DateBox(page);
    m_dueTo->setObjectName(QStringLiteral("txtAllaDataScadenza"));
    m_publicAdministration = new QCheckBox(QStringLiteral("Pubblica Amministrazione"), page);
    m_publicAdministration->setObjectName(QStringLiteral("chkPubblicaAmministrazione"));
    m_paid = new QCheckBox(QStringLiteral("Pagamento effettuato"), page);
    m_paid->setObjectName(QStringLiteral("chkPagamentoEffettuato"));
    m_paid->setToolTip(QStringLiteral("I clienti con una rata già pagata; senza la spunta, con le date di "
                                      "scadenza, quelli con una rata ancora da pagare"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Modalità di pagamento"), m_paymentTerms);
    form->addRow(QStringLiteral("Categoria"), m_category);
    form->addRow(QStringLiteral("Comune di residenza"), m_municipality);
    form->addRow(QStringLiteral("Provincia"), m_province);
    form->addRow(QStringLiteral("Note"), m_notes);
    form->addRow(QStringLiteral("Da data scadenza"), m_dueFrom);
    form->addRow(QStringLiteral("Alla data scadenza"), m_dueTo);
    form->addRow(QString(), m_publicAdministration);
    form->addRow(QString(), m_paid);

    QPushButton *next = shell::ui::makeButton(page, "btnContinua", "Continua");
    QPushButton *back = shell::ui::makeToolButton(ToolAction::Indietro, page);
    connect(next, &QPushButton::clicked, this, &NoticeWizard::findCustomers);
    connect(back, &QPushButton::clicked, this, [this] { showPage(m_textPage); });

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(shell::ui::buttonRow({shell::ui::makeToolButton(ToolAction::Aiuto, page), next, back}));
    return page;
}

QWidget *NoticeWizard::buildGridPage()
{
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("TfrmAvvisiClienti_Griglia"));
    m_grid = new QTableView(page);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_customers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(NoticeCustomerModel::Name, 240);
    m_grid->setColumnWidth(NoticeCustomerModel::Street, 180);
    m_grid->setColumnWidth(NoticeCustomerModel::Town, 140);
    m_grid->setColumnWidth(NoticeCustomerModel::Province, 45);
    m_grid->setColumnWidth(NoticeCustomerModel::Email, 180);

    auto *found = new QLabel(page);
    found->setObjectName(QStringLiteral("lblTrovati"));
    const auto count = [this, found] {
        found->setText(QStringLiteral("Clienti trovati: %1, scelti: %2")
                           .arg(m_customers->rowCount())
                           .arg(m_customers->checkedKeys().size()));
    };
    connect(m_customers, &QAbstractItemModel::modelReset, found, count);
    connect(m_customers, &QAbstractItemModel::dataChanged, found, count);

    QPushButton *print = named(shell::ui::makeToolButton(ToolAction::Stampa, page), "btnStampa");
    QPushButton *back = shell::ui::makeToolButton(ToolAction::Indietro, page);
    connect(print, &QPushButton::clicked, this, &NoticeWizard::print);
    connect(back, &QPushButton::clicked, this, [this] { showPage(m_filterPage); });

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_grid, 1);
    auto *buttons = shell::ui::buttonRow({shell::ui::makeToolButton(ToolAction::Aiuto, page), print, back});
    buttons->insertWidget(0, found);
    layout->addLayout(buttons);
    return page;
}

bool NoticeWizard::saveText()
{
    const QString text = m_text->toPlainText();
    if (const std::optional<QString> problem = noticeTextProblem(text)) {
        m_session.prompter().message(missingTextTitle, *problem);
        m_text->setFocus();
        return false;
    }
    if (core::Status saved = saveNoticeText(*m_session.archive(), m_session.workstation(), text); !saved) {
        m_session.prompter().message(shell::titles::error(), saved.error());
        return false;
    }
    return true;
}

void NoticeWizard::continueToFilters()
{
    if (saveText())
        showPage(m_filterPage);
}

void NoticeWizard::importStoredNotice()
{
    const QVariant notice = m_storedNotices->key();
    if (!notice.isValid())
        return;
    if (!m_session.prompter().ask(shell::titles::warning(),
                                  QStringLiteral("Sei sicuro di voler importare il tipo di avviso ?")))
        return;
    const core::Result<QString> text = storedNoticeText(*m_session.archive(), notice.toLongLong());
    if (!text) {
        m_session.prompter().message(shell::titles::error(), text.error());
        return;
    }
    m_text->setPlainText(*text);
    m_text->setFocus();
}

std::optional<NoticeFilter> NoticeWizard::typedFilter()
{
    for (DateBox *box : {m_dueFrom, m_dueTo}) {
        if (box->isImpossible()) {
            const QString label =
                box == m_dueFrom ? QStringLiteral("Da data scadenza") : QStringLiteral("Alla data scadenza");
            m_session.prompter().message(
                shell::titles::error(),
                QStringLiteral("Attenzione \"%1\" non è una data: scrivere la data come gg/mm/aaaa (\"%2\")")
                    .arg(label, box->text()));
            box->setFocus();
            return std::nullopt;
        }
    }
    const auto key = [](const LookupBox *box) -> std::optional<qint64> {
        const QVariant chosen = box->key();
        if (!chosen.isValid() || chosen.isNull())
            return std::nullopt;
        return chosen.toLongLong();
    };
    NoticeFilter filter;
    filter.paymentTerms = key(m_paymentTerms);
    filter.category = key(m_category);
    filter.municipality = key(m_municipality);
    filter.province = m_province->key().toString();
    filter.notesStart = m_notes->text();
    filter.dueFrom = m_dueFrom->date().value_or(QDate());
    filter.dueTo = m_dueTo->date().value_or(QDate());
    filter.publicAdministration = m_publicAdministration->isChecked();
    filter.paid = m_paid->isChecked();
    return filter;
}

void NoticeWizard::findCustomers()
{
    const std::optional<NoticeFilter> filter = typedFilter();
    if (!filter)
        return;
    core::Result<QList<NoticeCustomer>> found = findNoticeCustomers(*m_session.archive(), *filter);
    if (!found) {
        m_session.prompter().message(shell::titles::error(), found.error());
        return;
    }
    m_customers->setCustomers(std::move(*found));
    if (m_customers->rowCount() > 0)
        m_grid->setCurrentIndex(m_customers->index(0, NoticeCustomerModel::Name));
    showPage(m_gridPage);
}

void NoticeWizard::print()
{
    const QList<qint64> chosen = m_customers->checkedKeys();
    if (chosen.isEmpty()) {
        m_session.prompter().message(shell::titles::warning(),
                                     QStringLiteral("Attenzione nessun cliente scelto per l'avviso"));
        return;
    }
    if (core::Status written = chooseNoticeCustomers(*m_session.archive(), m_session.workstation(), chosen);
        !written) {
        m_session.prompter().message(shell::titles::error(), written.error());
        return;
    }
    shell::ReportContext context;
    context.workstation = m_session.workstation();
    shell::ReportService(m_session).print(noticesReport, context);
}

void registerNoticeWizard(WindowRegistry &windows)
{
    windows.add(QStringLiteral("TfrmAvvisiClienti_Campi"), noticeHelp,
                [](shell::Session &session, const QVariantMap &, QWidget *parent) {
                    return new NoticeWizard(session, parent);
                });
}

} // namespace rotalina::registries::ui
