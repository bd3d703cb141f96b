#include "transport/ui/jobpicker.h"

#include "core/datetext.h"
#include "shell/prompter.h"
#include "shell/recordchecks.h"
#include "shell/session.h"
#include "shell/typedfilters.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <algorithm>

namespace rotalina::transport::ui {

using shell::titles::error;
using shell::titles::warning;
using shell::ui::WindowRegistry;

namespace {

constexpr int jobOrderHelp = 4100;

// A date box's text, or nothing while only its mask shows.
QString typedDate(const shell::ui::DateBox &box)
{
    return box.isBlank() ? QString() : box.text();
}

} // namespace

core::Status addJobPickerConditions(storage::ListFilter &filter, const JobPickerFilter &typed)
{
    // Everything is read before anything is added, so that a refused box leaves the filter whole.
    storage::ListFilter read = filter;
    for (const core::Status &added : {shell::addTypedNumber(read, QStringLiteral("Numero"), typed.fromNumber,
                                                            QStringLiteral("Dal Numero"), ">="),
                                      shell::addTypedNumber(read, QStringLiteral("Numero"), typed.toNumber,
                                                            QStringLiteral("al Numero"), "<="),
                                      shell::addTypedDate(read, QStringLiteral("Data"), typed.fromDate,
                                                          QStringLiteral("Dalla Data"), false),
                                      shell::addTypedDate(read, QStringLiteral("Data"), typed.toDate,
                                                          QStringLiteral("alla Data"), true)}) {
        if (!added)
            return added;
    }
    read.startsWith(QStringLiteral("Targa1"), shell::typedSearch(typed.plate));
    read.startsWith(QStringLiteral("OrdineCarico"), shell::typedSearch(typed.loadingOrder));
    read.contains(QStringLiteral("Note"), shell::typedSearch(typed.note));
    filter = read;
    return {};
}

JobPickerWindow::JobPickerWindow(shell::Session &session, std::optional<qint64> customer,
                                 std::optional<qint64> invoice, QWidget *parent)
    : QDialog(parent), m_session(session), m_customer(customer), m_history(session.historyMode()),
      m_grid(new shell::ui::DataGrid(QStringLiteral("frmScegliCommesse"), this)),
      m_records(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("ID"))),
      m_fromNumber(new QLineEdit(this)), m_toNumber(new QLineEdit(this)),
      m_fromDate(new shell::ui::DateBox(this)), m_toDate(new shell::ui::DateBox(this)),
      m_plate(new QLineEdit(this)), m_loadingOrder(new QLineEdit(this)), m_note(new QLineEdit(this))
{
    setObjectName(QStringLiteral("TfrmScegliCommesse"));
    setWindowTitle(QStringLiteral("Scegli le Commesse"));
    WindowRegistry::setHelpContext(this, jobOrderHelp);
    // The invoice says whose job orders and of which period: those it may take.
    if (invoice) {
        core::Result<QSqlQuery> read = session.archive()->select(
            QStringLiteral("SELECT Cliente_ID, Storico FROM fattura WHERE ID = ?"), {*invoice});
        if (read && read->next()) {
            m_history = read->value(1).toBool();
            if (!m_customer && shell::RecordChecks::hasValue(read->value(0)))
                m_customer = read->value(0).toLongLong();
        }
    }

    auto *layout = new QVBoxLayout(this);
    auto *filters = new QGroupBox(QStringLiteral("Filtra per "), this);
    auto *boxes = new QGridLayout(filters);
    const QList<std::tuple<const char *, const char *, QLineEdit *>> named{
        {"Dal Numero", "edtDalNumero", m_fromNumber},
        {"al Numero", "edtAlNumero", m_toNumber},
        {"Dalla Data", "maskDaData", m_fromDate},
        {"alla Data", "maskAData", m_toDate},
        {"Targa", "edtTarga", m_plate},
        {"Ordine Carico", "edtOrdineCarico", m_loadingOrder},
        {"Note", "edtNote", m_note}};
    for (qsizetype i = 0; i < named.size(); ++i) {
        const auto &[caption, name, box] = named.at(i);
        box->setObjectName(QLatin1String(name));
        const int row = static_cast<int>(i) / 2;
        const int column = static_cast<int>(i) % 2 * 2;
        boxes->addWidget(new QLabel(QString::fromUtf8(caption), filters), row, column);
        boxes->addWidget(box, row, column + 1);
    }
    QPushButton *apply = shell::ui::makeButton(this, "btnFiltra", "Filtra", "Applica il filtro");
    boxes->addWidget(apply, 3, 3, Qt::AlignRight);
    layout->addWidget(filters);
    connect(apply, &QPushButton::clicked, this, &JobPickerWindow::filter);

    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_records->setMemoFields({QStringLiteral("Note")});
    m_grid->setRecords(m_records.get());
    layout->addWidget(m_grid, 1);
    connect(m_grid, &shell::ui::DataGrid::avanti, this, &JobPickerWindow::confirm);

    QPushButton *help = shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, this);
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, this);
    QPushButton *next = shell::ui::makeToolButton(shell::ui::ToolAction::Avanti, this);
    next->setToolTip(QStringLiteral("Importa nella fattura le commesse scelte"));
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(next, &QPushButton::clicked, this, &JobPickerWindow::confirm);
    layout->addLayout(shell::ui::buttonRow({help, back, next}));

    filter();
    m_grid->setDesign({{QStringLiteral("Numero"), QStringLiteral("Numero"), 70},
                       {QStringLiteral("Data"), QStringLiteral("Data"), 90},
                       {QStringLiteral("Serie"), QStringLiteral("Serie"), 60},
                       {QStringLiteral("Targa1"), QStringLiteral("Targa"), 90},
                       {QStringLiteral("OrdineCarico"), QStringLiteral("Ordine Carico"), 110},
                       {QStringLiteral("Note"), QStringLiteral("Note"), 320}});
    resize(860, 520);
}

JobPickerWindow::~JobPickerWindow() = default;

void JobPickerWindow::filter()
{
    storage::ListFilter conditions(m_session.archive()->dialect());
    // Without a customer there is nothing an invoice could take.
    conditions.condition(QStringLiteral("Cliente_Id = ?"), {m_customer.value_or(0)})
        .condition(QStringLiteral("COALESCE(Fatturato, false) = false"))
        .condition(QStringLiteral("COALESCE(Annullato, false) = false"))
        .condition(QStringLiteral("COALESCE(Storico, false) = ?"), {m_history});
    const JobPickerFilter typed{m_fromNumber->text(), m_toNumber->text(), typedDate(*m_fromDate),
                                typedDate(*m_toDate), m_plate->text(),    m_loadingOrder->text(),
                                m_note->text()};
    if (core::Status read = addJobPickerConditions(conditions, typed); !read) {
        m_session.prompter().message(error(), read.error());
        return;
    }
    m_records->setStatement(
        QStringLiteral("SELECT ID, Numero, Data, Serie, Targa1, OrdineCarico, Note, Cliente_Id, "
                       "Mittente_ID FROM TotaliCo") +
            conditions.whereClause() + QStringLiteral(" ORDER BY Data, Numero, ID"),
        conditions.parameters());
    if (core::Status read = m_records->reload(); !read) {
        m_session.prompter().message(error(), read.error());
        return;
    }
    if (m_records->rowCount() > 0)
        m_grid->setCurrentRow(0);
}

QList<qint64> JobPickerWindow::chosenKeys() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty() && m_grid->currentRow() >= 0)
        rows.append(m_grid->currentRow());
    std::sort(rows.begin(), rows.end());
    QList<qint64> keys;
    for (const int row : std::as_const(rows)) {
        if (const std::optional<qint64> key = m_records->keyAt(row))
            keys.append(*key);
    }
    return keys;
}

void JobPickerWindow::confirm()
{
    const QList<qint64> keys = chosenKeys();
    if (keys.isEmpty())
        return;
    if (!m_session.prompter().ask(warning(), QStringLiteral("Sei sicuro di voler Importare la Commessa ??")))
        return;
    QVariantList chosen;
    for (const qint64 key : keys)
        chosen.append(key);
    WindowRegistry::setChoice(this, chosen);
    accept();
}

void registerJobPicker(WindowRegistry &windows)
{
    windows.add(QStringLiteral("TfrmScegliCommesse"), jobOrderHelp,
                [](shell::Session &session, const QVariantMap &parameters, QWidget *parent) {
                    const auto key = [&parameters](const char *name) -> std::optional<qint64> {
                        const QVariant value = parameters.value(QLatin1String(name));
                        if (!shell::RecordChecks::hasValue(value))
                            return std::nullopt;
                        return value.toLongLong();
                    };
                    return new JobPickerWindow(session, key("cliente"), key("fattura"), parent);
                });
}

} // namespace rotalina::transport::ui
