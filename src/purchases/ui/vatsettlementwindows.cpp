#include "purchases/ui/vatsettlementwindows.h"

#include "core/numbertext.h"
#include "shell/descriptorfields.h"
#include "shell/prompter.h"
#include "shell/registrydescriptor.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"

#include <QDate>
#include <QGroupBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::purchases::ui {

using shell::RegistryDescriptor;
using shell::RegistryField;
using shell::Session;
using shell::fields::column;
using shell::ui::RecordForm;
using shell::ui::ToolAction;
using shell::ui::WindowRegistry;
namespace titles = shell::titles;

namespace {

// A total the calculation writes: shown, never typed, and passed over by the keyboard.
void showOnly(QLineEdit *total)
{
    total->setReadOnly(true);
    total->setFocusPolicy(Qt::NoFocus);
}

constexpr int settlementHelp = 3550;
constexpr int quarterlyReport = 71;
constexpr int monthlyReport = 24;

RegistryDescriptor buildList(SettlementKind kind)
{
    const SettlementTables &tables = settlementTables(kind);
    const bool quarterly = kind == SettlementKind::Quarterly;
    RegistryDescriptor r;
    r.listWindow = tables.listWindow;
    r.cardWindow = tables.cardWindow;
    r.listCaption = tables.caption;
    r.cardCaption = tables.caption;
    r.table = tables.header;
    r.listSql =
        quarterly
            ? QStringLiteral(
                  "SELECT ContabilitaChiusuraIvaTrimestre.id, ContabilitaChiusuraIvaTrimestre.Anno, "
                  "ContabilitaChiusuraIvaTrimestre.Trimestre, ContabilitaTrimestri.Descrizione AS "
                  "Periodo, ContabilitaChiusuraIvaTrimestre.CreditoResiduoTrimestrePassato AS "
                  "CreditoPrecedente, ContabilitaChiusuraIvaTrimestre.TotaleIvaDebito, "
                  "ContabilitaChiusuraIvaTrimestre.TotaleIvaCredito FROM "
                  "ContabilitaChiusuraIvaTrimestre LEFT JOIN ContabilitaTrimestri ON "
                  "ContabilitaChiusuraIvaTrimestre.Trimestre = ContabilitaTrimestri.Numero")
            : QStringLiteral(
                  "SELECT id, Anno, Mese, DescrizioneMese AS Periodo, CreditoResiduoMesePassato AS "
                  "CreditoPrecedente, TotaleIvaDebito, TotaleIvaCredito FROM ContabilitaChiusuraIvaMensile");
    r.order = quarterly ? QStringLiteral("Anno, Trimestre") : QStringLiteral("Anno, Mese");
    r.columns = {column("Anno", "Anno", 60), column("Periodo", quarterly ? "Trimestre" : "Mese", 240),
                 column("CreditoPrecedente", "Credito Precedente", 120),
                 column("TotaleIvaDebito", "Debito", 110), column("TotaleIvaCredito", "Credito", 110)};
    // The amounts of the list, read as amounts (the card is the settlement window).
    for (const char *amount : {"CreditoPrecedente", "TotaleIvaDebito", "TotaleIvaCredito"})
        r.fields.append(shell::fields::field(amount, "", RegistryField::Kind::Amount));
    r.grid = QStringLiteral("frmGrigliaContabilitaChiusuraIva") +
             (quarterly ? QString() : QStringLiteral("Mensile"));
    r.deleteQuestion = quarterly ? QStringLiteral("Sei sicuro di voler eliminare questo Trimestre ?")
                                 : QStringLiteral("Sei sicuro di voler eliminare questa mensilità ?");
    r.helpContext = settlementHelp;
    r.remove = [kind](storage::Archive &archive, qint64 key) {
        return deleteSettlement(archive, kind, key);
    };
    return r;
}

const RegistryDescriptor &settlementList(SettlementKind kind)
{
    static const RegistryDescriptor quarterly = buildList(SettlementKind::Quarterly);
    static const RegistryDescriptor monthly = buildList(SettlementKind::Monthly);
    return kind == SettlementKind::Quarterly ? quarterly : monthly;
}

// The list of settlements: "Aggiungi" adds the period after the last one (today's without any).
class SettlementListWindow : public shell::ui::RegistryListWindow
{
public:
    SettlementListWindow(Session &session, SettlementKind kind, const WindowRegistry &windows,
                         QWidget *parent)
        : RegistryListWindow(session, settlementList(kind), windows, parent), m_kind(kind)
    {
        filterBar()->addNumber(QStringLiteral("Anno"), QStringLiteral("Anno"), QStringLiteral("edtAnno"));
        reload();
    }

protected:
    core::Result<qint64> createRow() override
    {
        return addNextSettlement(*session().archive(), m_kind, session().today());
    }

private:
    SettlementKind m_kind;
};

QString gridName(SettlementKind kind, bool nonTaxable)
{
    return QStringLiteral("frmContabilitaChiusuraIva%1_DBGrid%2")
        .arg(kind == SettlementKind::Monthly ? QStringLiteral("Mensile") : QString())
        .arg(nonTaxable ? 2 : 1);
}

} // namespace

SettlementWindow::SettlementWindow(Session &session, SettlementKind kind, qint64 key, bool isNew,
                                   QWidget *parent)
    : CardWindow(parent), m_session(session), m_kind(kind), m_tables(settlementTables(kind)),
      m_form(new RecordForm(session, m_tables.header, this)), m_pages(new QTabWidget(this))
{
    setObjectName(m_tables.cardWindow);
    setWindowTitle(m_tables.caption);
    WindowRegistry::setHelpContext(this, settlementHelp);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(generalPage(), QStringLiteral("Generale   "));
    m_pages->addTab(rowsPage(true, false), QStringLiteral("  Acquisti  "));
    m_pages->addTab(rowsPage(false, false), QStringLiteral("  Vendite  "));
    m_pages->addTab(rowsPage(true, true), QStringLiteral("Acquisti Non Sogg."));
    m_pages->addTab(rowsPage(false, true), QStringLiteral("Vendita Non Sogg."));

    m_form->checks()
        .required(QStringLiteral("Anno"), QStringLiteral("Attenzione manca l' Anno"))
        .required(m_tables.periodField, kind == SettlementKind::Quarterly
                                            ? QStringLiteral("Attenzione manca il trimestre")
                                            : QStringLiteral("Attenzione manca il mese"));
    m_form->setRemover([this](qint64 row) { return deleteSettlement(*m_session.archive(), m_kind, row); });

    QPushButton *saveButton = makeToolButton(ToolAction::Salva, this);
    connect(saveButton, &QPushButton::clicked, this, &SettlementWindow::save);
    QPushButton *cancelButton = makeToolButton(ToolAction::Annulla, this);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        if (cancelInsert())
            finish(false);
    });
    QPushButton *printButton = makeToolButton(ToolAction::Stampa, this);
    printButton->setToolTip(QStringLiteral("Stampa la chiusura Iva"));
    connect(printButton, &QPushButton::clicked, this, &SettlementWindow::print);
    QPushButton *helpButton = makeToolButton(ToolAction::Aiuto, this);
    connect(helpButton, &QPushButton::clicked, this, [this] { shell::ui::requestHelp(this); });
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, [this] {
        if (leave())
            finish(true);
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(shell::ui::buttonRow({saveButton, cancelButton, printButton, helpButton, backButton}));
    cancelButton->setVisible(isNew);

    if (!m_form->load(key, isNew)) {
        finish(false);
        return;
    }
    showRows();
    resize(760, 520);
}

SettlementWindow::~SettlementWindow() = default;

QWidget *SettlementWindow::generalPage()
{
    auto *page = new shell::ui::FormPage(*m_form);
    QLineEdit *year = page->text(QStringLiteral("Anno"), QStringLiteral("Anno"), 4);
    year->setValidator(new QIntValidator(1900, 9999, year));
    RegistryField period =
        m_kind == SettlementKind::Quarterly
            ? shell::registryChoice("Trimestre", "Trimestre",
                                    QStringLiteral("SELECT Numero, Descrizione FROM ContabilitaTrimestri "
                                                   "ORDER BY Numero"))
            : shell::registryChoice(
                  "Mese", "Mese", QStringLiteral("SELECT numero, Descrizione FROM Mesi ORDER BY numero"),
                  QStringLiteral("SELECT Descrizione AS DescrizioneMese FROM Mesi WHERE numero = ?"),
                  {QStringLiteral("DescrizioneMese")});
    shell::ui::addRegistryField(*page, *m_form, m_session, period);
    page->amount(m_tables.carriedField, QStringLiteral("Credito Precedente"));
    for (const auto &[field, caption] :
         {std::pair("TotaleIvaDebito", "Debito"), std::pair("TotaleIvaCredito", "Credito")})
        showOnly(page->amount(QLatin1String(field), QLatin1String(caption)));
    QPushButton *calculate = shell::ui::makeButton(page, "btnCalcola", "Calcola",
                                                   m_kind == SettlementKind::Quarterly
                                                       ? "calcola la chiusura Iva per questo trimestre"
                                                       : "calcola la chiusura Iva per questo mese");
    connect(calculate, &QPushButton::clicked, this, &SettlementWindow::calculate);
    page->row(QString(), calculate);
    return page;
}

QWidget *SettlementWindow::rowsPage(bool purchases, bool nonTaxable)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *totals = new shell::ui::FormPage(*m_form, page);
    const auto total = [totals](const QString &field, const char *caption) {
        showOnly(totals->amount(field, QLatin1String(caption)));
    };
    if (nonTaxable) {
        total(purchases ? QStringLiteral("AcquistiImponibileNonSoggetta")
                        : QStringLiteral("VenditaImponibileNonSoggetta"),
              "Imponibile");
        if (!purchases)
            total(QStringLiteral("CorrispettiviImponibileNonSoggetta"), "Corrispettivi Imponibile");
    } else {
        const QString prefix = purchases ? QStringLiteral("Acquisti") : QStringLiteral("Vendita");
        total(prefix + QStringLiteral("Imponibile"), "Imponibile");
        total(prefix + QStringLiteral("Imposta"), "Imposta");
        if (!purchases) {
            total(QStringLiteral("CorrispettiviImponibile"), "Corrispettivi Imponibile");
            total(QStringLiteral("CorrispettiviImposta"), "Corrispettivi Imposta");
        }
    }
    layout->addWidget(totals);

    auto records = std::make_shared<storage::RecordListModel>(*m_session.archive(), QStringLiteral("ID"));
    const QString table = nonTaxable ? m_tables.nonTaxableRows : m_tables.rows;
    records->setStatement(
        QStringLiteral(
            "SELECT ID, IvaDescrizione, Corrispettivi, TotaleImponibile%1 FROM %2 WHERE %3 = ? AND "
            "Carico = ? ORDER BY Corrispettivi, CASE WHEN Iva_ID IS NULL THEN 1 ELSE 0 END, Iva_ID, "
            "IvaDescrizione")
            .arg(nonTaxable ? QString() : QStringLiteral(", TotaleIva"), table, m_tables.ownerField),
        {0, purchases});
    records->setBooleanFields({QStringLiteral("Corrispettivi")});
    records->setNumberField(QStringLiteral("TotaleImponibile"), 2);
    records->setNumberField(QStringLiteral("TotaleIva"), 2);
    m_rows.append({records, purchases});
    auto *grid = new shell::ui::DataGrid(gridName(m_kind, nonTaxable), page);
    grid->setObjectName(
        QStringLiteral("%1%2").arg(purchases ? QStringLiteral("grdAcquisti") : QStringLiteral("grdVendite"),
                                   nonTaxable ? QStringLiteral("NonSoggetta") : QString()));
    grid->setRecords(records.get());
    QList<shell::GridColumn> design{{QStringLiteral("IvaDescrizione"), QStringLiteral("Iva"), 260}};
    if (!purchases)
        design.append({QStringLiteral("Corrispettivi"), QStringLiteral("Corrispettivi"), 90});
    design.append({QStringLiteral("TotaleImponibile"), QStringLiteral("Imponibile"), 120});
    if (!nonTaxable)
        design.append({QStringLiteral("TotaleIva"), QStringLiteral("Tot. Iva"), 120});
    grid->setDesign(design);
    layout->addWidget(grid, 1);
    return page;
}

void SettlementWindow::showRows()
{
    for (const auto &[records, purchases] : std::as_const(m_rows)) {
        records->setStatement(records->statement(), {m_form->key(), purchases});
        if (core::Status read = records->reload(); !read) {
            m_session.prompter().message(titles::error(), read.error());
            return;
        }
    }
}

void SettlementWindow::calculate()
{
    const QString question = m_kind == SettlementKind::Quarterly
                                 ? QStringLiteral("Sei sicuro di voler ricalcolare questo Trimestre ?")
                                 : QStringLiteral("Sei sicuro di voler ricalcolare questo mese ?");
    if (!m_session.prompter().ask(titles::warning(), question))
        return;
    const QVariantMap values = m_form->values();
    if (const std::optional<QString> problem = settlementPeriodProblem(
            m_kind, values.value(QStringLiteral("Anno")), values.value(m_tables.periodField))) {
        m_session.prompter().message(titles::missingInput(), *problem);
        return;
    }
    // What else was typed is kept; the period and the totals are written by the calculation.
    if (!m_form->quietSave())
        return;
    const core::Result<SettlementFigures> figures = calculateSettlement(
        *m_session.archive(), m_kind, m_form->key(), values.value(QStringLiteral("Anno")).toInt(),
        values.value(m_tables.periodField).toInt());
    if (!figures) {
        m_session.prompter().message(titles::error(), figures.error());
        return;
    }
    const bool isNew = m_form->isNew();
    m_form->load(m_form->key(), isNew);
    showRows();
    if (const QString missing = withoutVatCodeMessage(*figures); !missing.isEmpty())
        m_session.prompter().message(titles::warning(), missing);
}

bool SettlementWindow::save()
{
    const QVariantMap values = m_form->values();
    bool ok = false;
    const int year = values.value(QStringLiteral("Anno")).toInt(&ok);
    const int number = values.value(m_tables.periodField).toInt();
    if (ok && number > 0) {
        const core::Result<std::optional<qint64>> other =
            otherSettlementOf(*m_session.archive(), {m_kind, year, number}, m_form->key());
        if (other && *other) {
            m_session.prompter().message(titles::error(),
                                         QStringLiteral("Attenzione esiste già la chiusura Iva di %1.")
                                             .arg(SettlementPeriod{m_kind, year, number}.name()));
            return false;
        }
    }
    return m_form->save();
}

void SettlementWindow::print()
{
    if (!m_form->quietSave())
        return;
    shell::ReportContext context;
    context.key = m_form->key();
    shell::ReportService(m_session).print(
        m_kind == SettlementKind::Quarterly ? quarterlyReport : monthlyReport, context);
}

bool SettlementWindow::leave()
{
    return m_form->back();
}

bool SettlementWindow::offersCancel() const
{
    return m_form->isNew();
}

bool SettlementWindow::cancelInsert()
{
    return m_form->cancelNew();
}

void registerVatSettlementWindows(WindowRegistry &windows)
{
    for (const SettlementKind kind : {SettlementKind::Quarterly, SettlementKind::Monthly}) {
        const RegistryDescriptor &list = settlementList(kind);
        windows.add(list.listWindow, settlementHelp,
                    [&windows, kind](Session &session, const QVariantMap &, QWidget *parent) {
                        return new SettlementListWindow(session, kind, windows, parent);
                    });
        windows.add(list.cardWindow, settlementHelp,
                    [kind](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new SettlementWindow(
                            session, kind, parameters.value(QStringLiteral("chiave")).toLongLong(),
                            parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                    });
    }
    // The main window's button: the firm settles every month or every quarter. The button returns at
    // once; the list is modal as every list is, so that the archive cannot change under it.
    windows.addCommand(QStringLiteral("ChiusuraIva"), [&windows](Session &session, const QVariantMap &,
                                                                 QWidget *parent) {
        const core::Result<QVariant> monthly = session.archive()->scalar(
            QStringLiteral("SELECT ChiusuraIvaMensile FROM opzioni ORDER BY ID LIMIT 1"));
        if (!monthly) {
            session.prompter().message(titles::error(), monthly.error());
            return;
        }
        windows.show(settlementTables(monthly->toBool() ? SettlementKind::Monthly : SettlementKind::Quarterly)
                         .listWindow,
                     session, parent);
    });
}

} // namespace rotalina::purchases::ui
