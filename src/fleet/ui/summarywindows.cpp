#include "fleet/ui/summarywindows.h"

#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QCursor>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace rotalina::fleet::ui {

using shell::Session;
using shell::ui::AmountBox;
using shell::ui::DateBox;
using shell::ui::LookupBox;
using shell::ui::WindowRegistry;

namespace {

constexpr int vehicleHelp = 6100;
constexpr int staffHelp = 6200;
constexpr int vehicleSummaryReport = 34;
constexpr int staffSummaryReport = 36;

const QColor revenueColour(46, 139, 87);
const QColor costColour(204, 85, 68);
const QColor marginColour(36, 84, 160);

QString euro(double amount)
{
    return AmountBox::formatted(amount == 0 ? 0.0 : amount, 2) + QStringLiteral(" €");
}

QString shortMonthName(const QDate &month)
{
    static const char *const names[] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu",
                                        "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};
    return QString::fromLatin1(names[month.month() - 1]);
}

QString monthName(const QDate &month)
{
    return shortMonthName(month) + u' ' + QString::number(month.year());
}

QLabel *amountLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(euro(0), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(align);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

SummaryWindow::SummaryWindow(Session &session, SummaryOf of, QWidget *parent)
    : QDialog(parent), m_session(session), m_of(of), m_from(new DateBox(this)), m_to(new DateBox(this)),
      m_subject(new LookupBox(this)), m_categories(new QTableWidget(0, 3, this)),
      m_revenue(amountLabel(this, "lblEntrate")), m_costs(amountLabel(this, "lblUscite")),
      m_margin(amountLabel(this, "lblDifferenza")), m_chart(new QChart),
      m_chartView(new QChartView(m_chart, this)), m_saveChart(nullptr)
{
    const bool vehicle = of == SummaryOf::Vehicle;
    setObjectName(vehicle ? QStringLiteral("TfrmStampaVettureRiepilogo")
                          : QStringLiteral("TfrmStampaPersonaleRiepilogo"));
    setWindowTitle(vehicle ? QStringLiteral("Vetture Riepilogo") : QStringLiteral("Riepilogo Personale"));
    WindowRegistry::setHelpContext(this, vehicle ? vehicleHelp : staffHelp);

    m_from->setObjectName(QStringLiteral("maskDaData"));
    m_to->setObjectName(QStringLiteral("maskAData"));
    m_subject->setObjectName(vehicle ? QStringLiteral("cmbVettura") : QStringLiteral("cmbPersonale"));
    m_subject->setMinimumContentsLength(22);
    m_subject->setSearchable(true);
    // Withdrawn vehicles and members too: their past is what a summary looks at.
    shell::ui::FormPage::fill(
        m_subject, session,
        vehicle
            ? QStringLiteral("SELECT ID, Targa FROM Vetture WHERE Targa IS NOT NULL AND Targa <> '' ORDER BY "
                             "Targa, ID")
            : QStringLiteral(
                  "SELECT Id, COALESCE(NULLIF(Personale, ''), TRIM(COALESCE(Cognome, '') || ' ' || "
                  "COALESCE(Nome, ''))) FROM Personale ORDER BY 2, 1"));
    m_subject->clearChoice();

    QPushButton *calculateButton = shell::ui::makeButton(
        this, "btnCalcola", "Calcola", "Calcola entrate e uscite del periodo e ne disegna il grafico");
    connect(calculateButton, &QPushButton::clicked, this, [this] { calculate(); });
    QPushButton *printButton = shell::ui::makeToolButton(shell::ui::ToolAction::Stampa, this);
    printButton->setObjectName(vehicle ? QStringLiteral("BitBtn5") : QStringLiteral("BitBtn4"));
    printButton->setToolTip(QStringLiteral("Stampa il riepilogo del periodo con il grafico mese per mese"));
    connect(printButton, &QPushButton::clicked, this, &SummaryWindow::print);
    m_saveChart =
        shell::ui::makeButton(this, "btnSalvaGrafico", "Salva grafico", "Salva il grafico come immagine PNG");
    m_saveChart->setEnabled(false);
    connect(m_saveChart, &QPushButton::clicked, this, &SummaryWindow::saveChart);
    QPushButton *help = shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, this);
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);

    auto *choices = new QHBoxLayout;
    const auto caption = [this](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    choices->addWidget(caption(QStringLiteral("Dalla data"), m_from));
    choices->addWidget(m_from);
    choices->addSpacing(8);
    choices->addWidget(caption(QStringLiteral("Alla data"), m_to));
    choices->addWidget(m_to);
    choices->addSpacing(8);
    choices->addWidget(caption(vehicle ? QStringLiteral("Vettura") : QStringLiteral("Autista"), m_subject));
    choices->addWidget(m_subject);
    choices->addWidget(calculateButton);
    choices->addStretch(1);

    m_categories->setObjectName(QStringLiteral("grdRiepilogo"));
    m_categories->setHorizontalHeaderLabels(
        {QStringLiteral("Tipologia"), QStringLiteral("Entrate"), QStringLiteral("Uscite")});
    m_categories->verticalHeader()->hide();
    m_categories->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_categories->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_categories->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    // Room for "123.456,78 €" before any amount is there.
    for (int column : {1, 2}) {
        m_categories->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_categories->setColumnWidth(column,
                                     m_categories->fontMetrics().horizontalAdvance(euro(123456.78)) + 16);
    }
    m_categories->setMinimumWidth(420);

    auto *totals = new QGridLayout;
    const auto totalRow = [&](int row, const QString &text, QLabel *amount) {
        totals->addWidget(new QLabel(text, this), row, 0);
        totals->addWidget(amount, row, 1);
    };
    totalRow(0, QStringLiteral("Entrate"), m_revenue);
    totalRow(1, QStringLiteral("Uscite"), m_costs);
    totalRow(2, QStringLiteral("Differenza"), m_margin);
    totals->setColumnStretch(0, 1);

    auto *figures = new QVBoxLayout;
    figures->addWidget(m_categories, 1);
    figures->addLayout(totals);

    m_chartView->setObjectName(QStringLiteral("chtRiepilogo"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumSize(520, 340);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setLocalizeNumbers(true);
    m_chart->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    m_chart->setTitle(QStringLiteral("Scegliere il periodo e premere «Calcola»"));
    QFont titleFont = m_chart->titleFont();
    titleFont.setBold(true);
    m_chart->setTitleFont(titleFont);
    // The saved picture has no grey corners around the chart.
    m_chart->setBackgroundRoundness(0);

    auto *body = new QHBoxLayout;
    body->addLayout(figures, 2);
    body->addWidget(m_chartView, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(body, 1);
    layout->addLayout(shell::ui::buttonRow({printButton, m_saveChart, help, back}));
    resize(1080, 600);
}

bool SummaryWindow::calculate()
{
    if (const std::optional<SummaryProblem> problem =
            checkSummaryChoice(m_of, m_from->text(), m_to->text(), m_subject->key().isValid())) {
        m_session.prompter().message(problem->title, problem->message);
        QWidget *field = problem->field == SummaryField::From ? static_cast<QWidget *>(m_from)
                         : problem->field == SummaryField::To ? static_cast<QWidget *>(m_to)
                                                              : static_cast<QWidget *>(m_subject);
        field->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const SummaryPeriod period{*m_from->date(), *m_to->date()};
    const qint64 key = m_subject->key().toLongLong();
    core::Result<Summary> summary =
        m_of == SummaryOf::Vehicle
            ? summariseVehicle(*m_session.archive(), m_session.workstation(), key, period)
            : summariseStaffMember(*m_session.archive(), m_session.workstation(), key, period);
    if (!summary) {
        m_session.prompter().message(shell::titles::error(), summary.error());
        return false;
    }
    m_summary = std::move(summary).value();
    showSummary();
    return true;
}

void SummaryWindow::print()
{
    // The report reads the rows this computation writes: it always shows the choices on screen.
    if (!calculate())
        return;
    shell::ReportService(m_session).print(
        m_of == SummaryOf::Vehicle ? vehicleSummaryReport : staffSummaryReport, {});
}

void SummaryWindow::showSummary()
{
    const Summary &summary = *m_summary;
    m_categories->setRowCount(0);
    for (const SummaryCategory &category : summary.categories) {
        const int row = m_categories->rowCount();
        m_categories->insertRow(row);
        const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
        m_categories->setItem(row, 0, cell(category.name));
        m_categories->setItem(row, 1, cell(category.revenue ? euro(category.total) : QString(), right));
        m_categories->setItem(row, 2, cell(category.revenue ? QString() : euro(category.total), right));
    }
    m_revenue->setText(euro(summary.revenue()));
    m_costs->setText(euro(summary.costs()));
    m_margin->setText(euro(summary.margin()));
    // A loss stands out.
    m_margin->setStyleSheet(summary.margin() < 0 ? QStringLiteral("color: #b03a2e;") : QString());
    showChart();
    m_saveChart->setEnabled(true);
}

void SummaryWindow::showChart()
{
    const Summary &summary = *m_summary;
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_chart->setTitle(summary.subject + QStringLiteral(" - ") + summary.periodText);

    auto *revenue = new QBarSet(QStringLiteral("Entrate"));
    auto *costs = new QBarSet(QStringLiteral("Uscite"));
    revenue->setColor(revenueColour);
    revenue->setBorderColor(revenueColour);
    costs->setColor(costColour);
    costs->setBorderColor(costColour);
    auto *margin = new QLineSeries;
    margin->setName(QStringLiteral("Margine cumulato"));
    margin->setPen(QPen(marginColour, 2.5));
    margin->setPointsVisible(true);
    const QList<double> margins = summary.cumulativeMargin();
    // A period within one year names its months alone (the year is in the title).
    const bool oneYear = summary.months.first().year() == summary.months.last().year();
    QStringList months;
    QStringList monthLabels;
    double low = 0;
    double high = 0;
    for (qsizetype month = 0; month < summary.months.size(); ++month) {
        const double in = summary.revenueIn(month);
        const double out = summary.costsIn(month);
        revenue->append(in);
        costs->append(out);
        margin->append(static_cast<double>(month), margins.at(month));
        months.append(monthName(summary.months.at(month)));
        monthLabels.append(oneYear ? shortMonthName(summary.months.at(month)) : months.last());
        for (double value : {in, out, margins.at(month)}) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    auto *bars = new QBarSeries;
    bars->setBarWidth(0.75);
    bars->append(revenue);
    bars->append(costs);
    m_chart->addSeries(bars);
    m_chart->addSeries(margin);

    auto *monthAxis = new QBarCategoryAxis;
    monthAxis->append(monthLabels);
    // Many months with their years are named upright so that their names do not overlap.
    if (!oneYear && months.size() > 6)
        monthAxis->setLabelsAngle(-90);
    auto *amountAxis = new QValueAxis;
    amountAxis->setRange(low, high > low ? high : low + 100);
    amountAxis->applyNiceNumbers();
    amountAxis->setLabelFormat(QStringLiteral("%.0f €"));
    m_chart->addAxis(monthAxis, Qt::AlignBottom);
    m_chart->addAxis(amountAxis, Qt::AlignLeft);
    for (QAbstractSeries *series : m_chart->series()) {
        series->attachAxis(monthAxis);
        series->attachAxis(amountAxis);
    }

    // The figures of a month under the pointer.
    const auto explain = [this, months](const QString &what, const QList<double> &values, bool status,
                                        int index) {
        if (!status || index < 0 || index >= values.size()) {
            QToolTip::hideText();
            return;
        }
        QToolTip::showText(QCursor::pos(),
                           months.at(index) + QStringLiteral(" - ") + what + QStringLiteral(": ") +
                               euro(values.at(index)),
                           m_chartView);
    };
    QList<double> revenueValues;
    QList<double> costValues;
    for (qsizetype month = 0; month < summary.months.size(); ++month) {
        revenueValues.append(summary.revenueIn(month));
        costValues.append(summary.costsIn(month));
    }
    connect(revenue, &QBarSet::hovered, this, [explain, revenueValues](bool status, int index) {
        explain(QStringLiteral("Entrate"), revenueValues, status, index);
    });
    connect(costs, &QBarSet::hovered, this, [explain, costValues](bool status, int index) {
        explain(QStringLiteral("Uscite"), costValues, status, index);
    });
}

QString SummaryWindow::suggestedChartName() const
{
    // The subject names the file; what a file name cannot hold becomes "_".
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|']+)"));
    QString subject = m_summary ? m_summary->subject : QString();
    subject = subject.replace(unsafe, QStringLiteral("_")).simplified();
    return subject.isEmpty() ? QStringLiteral("Riepilogo.png")
                             : QStringLiteral("Riepilogo %1.png").arg(subject);
}

void SummaryWindow::saveChart()
{
    if (!m_summary)
        return;
    QString path = m_session.prompter().saveFile(QStringLiteral("Salva grafico"),
                                                 QDir::home().filePath(suggestedChartName()),
                                                 QStringLiteral("Immagini PNG (*.png)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    const QPixmap picture = m_chartView->grab();
    if (picture.isNull() || !picture.save(path, "PNG"))
        m_session.prompter().message(shell::titles::error(),
                                     QStringLiteral("Impossibile salvare il grafico nel file %1").arg(path));
}

void registerSummaryWindows(WindowRegistry &windows)
{
    windows.add(QStringLiteral("TfrmStampaVettureRiepilogo"), vehicleHelp,
                [](Session &session, const QVariantMap &, QWidget *parent) {
                    return new SummaryWindow(session, SummaryOf::Vehicle, parent);
                });
    windows.add(QStringLiteral("TfrmStampaPersonaleRiepilogo"), staffHelp,
                [](Session &session, const QVariantMap &, QWidget *parent) {
                    return new SummaryWindow(session, SummaryOf::Staff, parent);
                });
}

} // namespace rotalina::fleet::ui
