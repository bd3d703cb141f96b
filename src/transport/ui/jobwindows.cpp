#include "transport/ui/jobwindows.h"

#include "core/datetext.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "shell/desktop.h"
#include "shell/historyselection.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/scanner.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/scannerdialog.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "transport/joborders.h"
#include "transport/quotes.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::transport::ui {

using shell::Session;
using shell::titles::error;
using shell::titles::warning;
using shell::ui::LookupBox;
using shell::ui::OwnedRowsPanel;
using shell::ui::RecordForm;
using shell::ui::RegistryCardWindow;
using shell::ui::WindowRegistry;

namespace {

constexpr int jobSheetReport = 7;
constexpr int transportAssignmentReport = 80;
constexpr int travelSheetReport = 53;
constexpr int cashOnDeliveryReport = 77;

double number(const RecordForm &form, const char *field)
{
    return form.values().value(QLatin1String(field)).toDouble();
}

} // namespace

void addPricedRowEditorRules(RegistryCardWindow &window, Session &session, bool transportRow)
{
    RecordForm &form = window.card().form();
    const auto showGross = [&form] {
        form.setValue(QStringLiteral("ValoreTotale"),
                      pricedRowGross(number(form, "Um"), number(form, "ValoreUnitario"),
                                     number(form, "AliquotaIva"), number(form, "Sconto")));
    };
    for (const char *field : {"Um", "ValoreUnitario", "Sconto"})
        if (auto *box = qobject_cast<shell::ui::AmountBox *>(form.editor(QLatin1String(field))))
            QObject::connect(box, &shell::ui::AmountBox::editingFinished, &window, showGross);
    if (auto *vat = qobject_cast<LookupBox *>(form.editor(QStringLiteral("Iva_ID"))))
        QObject::connect(vat, &LookupBox::chosen, &window, showGross);
    if (auto *minutes = qobject_cast<QLineEdit *>(form.editor(QStringLiteral("TempoMinuti"))))
        QObject::connect(minutes, &QLineEdit::editingFinished, &window, [&session, minutes] {
            const QString typed = minutes->text().trimmed();
            bool isNumber = false;
            const int value = typed.toInt(&isNumber);
            if (!typed.isEmpty() && (!isNumber || value < 0 || value > 60)) {
                session.prompter().message(error(),
                                           QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"));
                minutes->setFocus();
            }
        });

    QPushButton *gross = shell::ui::makeButton(&window, "Calcolo", "calcolo_prezzoIvato",
                                               "Calcola il Valore Totale con l'Iva");
    QObject::connect(gross, &QPushButton::clicked, &window, showGross);
    QPushButton *fromGross =
        shell::ui::makeButton(&window, "BitBtn1", "Calcola Valore Unitario", "Calcola il Valore Unitario");
    QObject::connect(fromGross, &QPushButton::clicked, &window, [&session, &form] {
        const QVariant total = form.values().value(QStringLiteral("ValoreTotale"));
        if (!shell::RecordChecks::hasValue(total) || total.toDouble() == 0) {
            session.prompter().message(warning(), QStringLiteral("Attenzione Inserire il Prezzo finale"));
            return;
        }
        const double quantity = number(form, "Um");
        const double discount = number(form, "Sconto");
        if (quantity == 0 || discount >= 100)
            return;
        form.setValue(QStringLiteral("ValoreUnitario"),
                      core::calcolaValoreUnitario(quantity, total.toDouble(), number(form, "AliquotaIva"),
                                                  {discount, 0, 0, 0}));
    });
    window.addButton(gross);
    window.addButton(fromGross);
    if (!transportRow)
        return;
    QPushButton *volume =
        shell::ui::makeButton(&window, "btnVolume", "calcolo_volume_regione",
                              "Valore Unitario dal volume e dal coefficiente della regione");
    QObject::connect(volume, &QPushButton::clicked, &window, [&session, &form, showGross] {
        const core::Result<JobSettings> settings = readJobSettings(*session.archive());
        if (!settings || !settings->regionalCoefficient)
            return;
        form.setValue(QStringLiteral("ValoreUnitario"),
                      number(form, "Volume") * number(form, "CoefficienteCalcolo"));
        showGross();
    });
    QPushButton *cashOnDelivery = shell::ui::makeButton(&window, "SpeedButton12", "Contrassegno",
                                                        "Visualizza l'anteprima di Stampa del Documento");
    QObject::connect(cashOnDelivery, &QPushButton::clicked, &window, [&session, &window, &form] {
        if (form.isDirty() && !window.save())
            return;
        const core::Result<QVariant> job = session.archive()->scalar(
            QStringLiteral("SELECT Testata_ID FROM Conti WHERE IDX = ?"), {form.key()});
        if (!job || job->isNull())
            return;
        shell::ReportContext context;
        context.key = job->toLongLong();
        context.rowKey = form.key();
        shell::ReportService(session).print(cashOnDeliveryReport, context);
    });
    window.addButton(volume);
    window.addButton(cashOnDelivery);
}

void showComputedFieldsOnly(shell::ui::DocumentWindow &window)
{
    // The totals are the rows' own: shown, never typed, and passed over by the keyboard.
    for (const QString &field : window.document().computedFields)
        if (auto *total = qobject_cast<QLineEdit *>(window.form().editor(field))) {
            total->setReadOnly(true);
            total->setFocusPolicy(Qt::NoFocus);
            total->setMinimumWidth(110);
        }
}

JobOrderWindow::JobOrderWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                               QWidget *parent)
    : DocumentWindow(session, jobOrderDocument(), windows, key, isNew, parent)
{
    const std::initializer_list<std::tuple<const char *, const char *, const char *, int>> prints{
        {"spdStampa", "Scheda", "Stampa la Commessa", jobSheetReport},
        {"SpeedButton32", "Conferim. Trasp.", "conferimento del Trasporto", transportAssignmentReport},
        {"spdFoglioViaggio", "Foglio Viaggio", "Stampa il foglio di viaggio", travelSheetReport}};
    for (const auto &[name, caption, hint, report] : prints) {
        QPushButton *button = shell::ui::makeButton(this, name, caption, hint);
        connect(button, &QPushButton::clicked, this, [this, report = report] { print(report); });
        addToolButton(button);
    }

    if (QWidget *image = form().editor(QStringLiteral("ImmagineOrdine"))) {
        auto *buttons = new QWidget(this);
        auto *row = new QHBoxLayout(buttons);
        row->setContentsMargins(0, 0, 0, 0);
        QPushButton *choose =
            shell::ui::makeButton(this, "SpeedButton16", "...", "Sceglie il file dell'immagine");
        choose->setMaximumWidth(32);
        QPushButton *scanner =
            shell::ui::makeButton(this, "Button6", "Scanner", "Acquisisce l'ordine dallo scanner");
        QPushButton *view = shell::ui::makeButton(this, "Button7", "Vedi", "Apre l'immagine dell'ordine");
        for (QPushButton *button : {choose, scanner, view})
            row->addWidget(button);
        shell::ui::FormPage::placeBeside(image, buttons);
        connect(choose, &QPushButton::clicked, this, &JobOrderWindow::chooseImage);
        connect(scanner, &QPushButton::clicked, this, &JobOrderWindow::scanImage);
        connect(view, &QPushButton::clicked, this, &JobOrderWindow::showImage);
    }
    // Invoicing writes these: the user does not.
    for (const char *field : {"Fatturato"})
        if (QWidget *editor = form().editor(QLatin1String(field)))
            editor->setEnabled(false);
    showComputedFieldsOnly(*this);
    if (QWidget *image = form().editor(QStringLiteral("ImmagineOrdine")))
        image->setMinimumWidth(260);

    if (OwnedRowsPanel *rows = jobRows()) {
        rows->setAdd([this] { addFromTariffs(); });
        QPushButton *free = shell::ui::makeButton(this, "spdArticoloNonArchivio", "Articolo non in archivio",
                                                  "Inserisci un articolo non codificato nel tariffario");
        QPushButton *tariff =
            shell::ui::makeButton(this, "SpeedButton14", "Tariffa", "Apre la tariffa della riga");
        rows->addButton(free);
        rows->addButton(tariff);
        connect(free, &QPushButton::clicked, this, [this] {
            if (!form().isDirty() || quietSave())
                addFreeRow();
        });
        connect(tariff, &QPushButton::clicked, this, [this] {
            OwnedRowsPanel *panel = jobRows();
            const std::optional<qint64> row = panel ? panel->currentKey() : std::nullopt;
            if (!row)
                return;
            const core::Result<QVariant> article = this->session().archive()->scalar(
                QStringLiteral("SELECT Articolo_ID FROM Conti WHERE IDX = ?"), {*row});
            if (article && !article->isNull())
                this->windows().open(QStringLiteral("TForm3"), this->session(), this,
                                     {{QStringLiteral("chiave"), article->toLongLong()}});
        });
    }
    addQuoteControls();
    // A new job order's header is checked before its other pages are shown, as one the user changed.
    if (isNew)
        form().setDirty();
    setBeforeLeave([this] {
        const core::Result<JobSettings> settings = readJobSettings(*this->session().archive());
        if (!settings || !settings->checkLettersOfIntent)
            return;
        if (form().isDirty())
            quietSave();
        const core::Result<bool> applies = letterOfIntentApplies(*this->session().archive(), this->key());
        if (applies && *applies)
            this->session().prompter().message(QStringLiteral("Messaggio di avviso!"),
                                               letterOfIntentWarning());
    });
    resize(1050, 680);
}

void JobOrderWindow::addQuoteControls()
{
    OwnedRowsPanel *links = rows(QStringLiteral("CommessePreventiviRighe"));
    if (!links)
        return;
    m_quotes = new QComboBox(this);
    m_quotes->setObjectName(QStringLiteral("DBLookupComboBox9"));
    m_quotes->setToolTip(QStringLiteral("Scegli il Preventivo"));
    m_quotes->setMinimumContentsLength(36);
    m_quotes->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QPushButton *all = shell::ui::makeButton(this, "Button2", "Importa Tutti i preventivi",
                                             "Importa tutti i preventivi aperti del cliente");
    QPushButton *remove = shell::ui::makeButton(this, "Button10", "Elimina Riga",
                                                "Toglie il preventivo dalla commessa e lo riapre");
    links->addButton(m_quotes);
    links->addButton(all);
    links->addButton(remove);
    connect(m_quotes, &QComboBox::activated, this, [this](int index) {
        const QVariant quote = m_quotes->itemData(index);
        if (quote.isValid())
            takeQuotes({quote.toLongLong()}, false);
    });
    connect(all, &QPushButton::clicked, this, [this] {
        QList<qint64> offered;
        for (int i = 0; i < m_quotes->count(); ++i)
            if (m_quotes->itemData(i).isValid())
                offered.append(m_quotes->itemData(i).toLongLong());
        if (offered.isEmpty()) {
            this->session().prompter().message(error(), QStringLiteral("Nessun Record da importare"));
            return;
        }
        takeQuotes(offered, true);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        OwnedRowsPanel *panel = rows(QStringLiteral("CommessePreventiviRighe"));
        const std::optional<qint64> link = panel ? panel->currentKey() : std::nullopt;
        if (!link)
            return;
        if (core::Status removed = unlinkQuote(*this->session().archive(), *link); !removed)
            this->session().prompter().message(error(), removed.error());
        afterQuotesChanged();
    });
    connect(pages(), &QTabWidget::currentChanged, this, [this] { showOfferedQuotes(); });
    showOfferedQuotes();
}

void JobOrderWindow::showOfferedQuotes()
{
    if (!m_quotes)
        return;
    m_quotes->clear();
    m_quotes->addItem(QString());
    const core::Result<QList<OfferedQuote>> offered = offeredQuotes(*session().archive(), key());
    if (!offered)
        return;
    for (const OfferedQuote &quote : *offered)
        m_quotes->addItem(quote.text, quote.key);
}

void JobOrderWindow::takeQuotes(const QList<qint64> &quotes, bool all)
{
    // The customer and the vehicle the quotes are taken for are those typed now.
    if (form().isDirty() && !quietSave())
        return;
    if (core::Status taken = importQuotes(*session().archive(), key(), quotes, session().today()); !taken) {
        session().prompter().message(warning(), taken.error());
        return;
    }
    afterQuotesChanged();
    if (all)
        session().prompter().information(QStringLiteral("Importazione effettuata con successo !"));
}

void JobOrderWindow::afterQuotesChanged()
{
    rowsChanged();
    showOfferedQuotes();
}

OwnedRowsPanel *JobOrderWindow::jobRows() const
{
    return rows(QStringLiteral("Conti"));
}

void JobOrderWindow::addFromTariffs()
{
    storage::Archive &archive = *session().archive();
    const core::Result<JobSettings> settings = readJobSettings(archive);
    if (!settings) {
        session().prompter().message(error(), settings.error());
        return;
    }
    QVariantMap parameters{{QStringLiteral("scelta"), true}};
    const QVariant customer = form().values().value(QStringLiteral("Cliente_Id"));
    if (settings->tariffsOfCustomerOnly && shell::RecordChecks::hasValue(customer))
        parameters.insert(QStringLiteral("cliente"), customer.toLongLong());
    const QVariant chosen = windows().choose(QStringLiteral("TForm2"), session(), this, parameters);
    QList<qint64> tariffs;
    for (const QVariant &tariff : chosen.toList())
        tariffs.append(tariff.toLongLong());
    if (tariffs.isEmpty())
        return;
    const core::Result<QList<qint64>> added = addJobTariffRows(archive, key(), tariffs, session().today());
    if (!added) {
        session().prompter().message(error(), added.error());
        return;
    }
    openNewRows(*added);
}

void JobOrderWindow::addFreeRow()
{
    const core::Result<qint64> added = addJobFreeRow(*session().archive(), key(), session().today());
    if (!added) {
        session().prompter().message(error(), added.error());
        return;
    }
    openNewRows({*added});
}

void JobOrderWindow::openNewRows(const QList<qint64> &added)
{
    OwnedRowsPanel *panel = jobRows();
    if (!panel)
        return;
    panel->rowsChanged();
    // Each new row is completed by the user, who may also take it back with "Annulla".
    for (const qint64 row : added)
        panel->openRow(row, true);
}

void JobOrderWindow::print(int report)
{
    if (!save())
        return;
    shell::ReportContext context;
    context.key = key();
    shell::ReportService(session()).print(report, context);
}

void JobOrderWindow::chooseImage()
{
    const QString current = form().values().value(QStringLiteral("ImmagineOrdine")).toString();
    const QString chosen = session().prompter().openFile(
        QStringLiteral("Immagine dell'ordine"), QFileInfo(current).absolutePath(),
        QStringLiteral(
            "Immagini e documenti (*.png *.jpg *.jpeg *.tif *.tiff *.bmp *.pdf);;Tutti i file (*)"));
    if (chosen.isEmpty())
        return;
    form().setValue(QStringLiteral("ImmagineOrdine"), QDir::toNativeSeparators(chosen));
    quietSave();
}

void JobOrderWindow::showImage()
{
    const QString path = form().values().value(QStringLiteral("ImmagineOrdine")).toString().trimmed();
    if (path.isEmpty()) {
        session().prompter().message(error(), QStringLiteral("Attenzione manca il percorso dell'immagine"));
        return;
    }
    if (!QFileInfo::exists(path)) {
        session().prompter().message(error(), QStringLiteral("Il file: %1 non esiste più!!!").arg(path));
        return;
    }
    session().desktop().openUrl(QUrl::fromLocalFile(path));
}

void JobOrderWindow::scanImage()
{
    if (form().isDirty() && !quietSave())
        return;
    // The scanned orders stand beside the archive, in a folder of each job order.
    const QVariantMap values = form().values();
    const QDate date = storage::sqlvalue::toDate(values.value(QStringLiteral("Data")));
    const QString job = QStringLiteral("Commessa_%1_%2")
                            .arg(values.value(QStringLiteral("Numero")).toString())
                            .arg(date.isValid() ? date.year() : session().today().year());
    QString base = session().archive()->location().folder();
    if (base.isEmpty())
        base = session().programFolder();
    const QString folder = QDir(base).filePath(QStringLiteral("Ordini/") + job);
    std::unique_ptr<shell::Scanner> scanner = shell::defaultScanner();
    const std::optional<QString> path = shell::ui::acquireImage(session(), *scanner, this, folder, job);
    if (!path)
        return; // nothing acquired: the stored image stays as it was
    form().setValue(QStringLiteral("ImmagineOrdine"), QDir::toNativeSeparators(*path));
    quietSave();
}

JobListWindow::JobListWindow(Session &session, const WindowRegistry &windows, const QVariantMap &parameters,
                             QWidget *parent)
    : RegistryListWindow(session, jobOrdersRegistry(), windows, parent,
                         shell::documentListScope(parameters, QStringLiteral("Data"))),
      m_history(shell::isHistoryView(parameters)), m_state(new QButtonGroup(this)),
      m_taxable(new QLabel(this)), m_total(new QLabel(this)), m_ownerDrivers(new QLabel(this)),
      m_packages(new QLabel(this))
{
    setWindowTitle(shell::documentListCaption(windowTitle(), parameters));
    shell::ui::FilterBar *filters = filterBar();
    filters->addNumber(QStringLiteral("Numero"), QStringLiteral("Numero"), QStringLiteral("Edit2"));
    filters->addDateFrom(QStringLiteral("Data"), QStringLiteral("Dalla Data"), QStringLiteral("maskDaData"));
    filters->addDateTo(QStringLiteral("Data"), QStringLiteral("alla Data"), QStringLiteral("maskAData"));
    filters->addText(QStringLiteral("Cliente"), QStringLiteral("Cliente"), QStringLiteral("Edit1"),
                     shell::ui::FilterBar::Match::BeginsWith);
    filters->addText(QStringLiteral("Targa1"), QStringLiteral("Targa"), QStringLiteral("Edit3"),
                     shell::ui::FilterBar::Match::BeginsWith);
    filters->startRow();
    const std::initializer_list<std::tuple<const char *, const char *, const char *, const char *>> lookups{
        {"DBLookupComboBox1", "Autista", "Personale_ID",
         "SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || COALESCE(Nome, ''))) FROM "
         "Personale "
         "ORDER BY 2"},
        {"DBLookupComboBox6", "Padroncino", "Padroncino_id",
         "SELECT id, RagioneSociale FROM Padroncini ORDER BY RagioneSociale"},
        {"DBLookupComboBox2", "Destinatario", "Destinatario_ID",
         "SELECT ID, RagioneSociale FROM Indirizzi ORDER BY RagioneSociale"},
        {"DBLookupComboBox3", "Mittente", "Mittente_ID",
         "SELECT ID, RagioneSociale FROM Indirizzi ORDER BY RagioneSociale"}};
    for (const auto &[name, caption, field, sql] : lookups) {
        auto *label = new QLabel(QString::fromUtf8(caption), this);
        LookupBox *box = addLookup(name, sql);
        label->setBuddy(box);
        filters->addWidget(label);
        filters->addWidget(box);
        m_choices.append({box, QLatin1String(field)});
        connect(box, &LookupBox::chosen, this, &JobListWindow::reload);
        connect(box, &LookupBox::cleared, this, &JobListWindow::reload);
    }
    filters->startRow();
    const std::initializer_list<std::pair<const char *, const char *>> states{
        {"optAperte", "Aperte"}, {"optChiuse", "Chiuse"}, {"optTutti", "Tutte"}};
    int id = 0;
    for (const auto &[name, caption] : states) {
        auto *button = new QRadioButton(QString::fromUtf8(caption), this);
        button->setObjectName(QLatin1String(name));
        m_state->addButton(button, id++);
        filters->addWidget(button);
    }
    m_state->button(2)->setChecked(true);
    connect(m_state, &QButtonGroup::idClicked, this, &JobListWindow::reload);

    auto *totals = new QGroupBox(QStringLiteral("Totali"), this);
    totals->setObjectName(QStringLiteral("grpTotali"));
    auto *totalsRow = new QHBoxLayout(totals);
    const std::initializer_list<std::tuple<QLabel *, const char *, const char *>> labels{
        {m_taxable, "lblTotImponibile", "Imponibile"},
        {m_total, "lblTotaleCommessa", "Totale Commesse"},
        {m_ownerDrivers, "lblCostiPadroncino", "Costi Padroncino"},
        {m_packages, "lblColli", "Colli"}};
    for (const auto &[label, name, caption] : labels) {
        label->setObjectName(QLatin1String(name));
        label->setMinimumWidth(90);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        totalsRow->addWidget(new QLabel(QString::fromUtf8(caption) + u':', totals));
        totalsRow->addWidget(label);
        totalsRow->addSpacing(12);
    }
    totalsRow->addStretch(1);
    addFilterArea(totals);

    QPushButton *send = shell::ui::makeButton(this, "spdEsportaDocumento", "Esporta ed invia",
                                              "Esporta la scheda della commessa per inviarla per e-mail");
    connect(send, &QPushButton::clicked, this, &JobListWindow::exportAndSend);
    addButton(send);
    QPushButton *schedule =
        shell::ui::makeButton(this, "SpeedButton1", "Programmazione", "Programmazione di mezzi ed autisti");
    schedule->setEnabled(windows.has(QStringLiteral("TfrmSceltaProgrammazione")));
    connect(schedule, &QPushButton::clicked, this, [this] {
        this->windows().open(QStringLiteral("TfrmSceltaProgrammazione"), this->session(), this);
    });
    addButton(schedule);
    connect(this, &RegistryListWindow::listReloaded, this, &JobListWindow::showTotals);
    grid()->setToolTip(QStringLiteral("Le righe rosse sono le commesse chiuse"));
    reload();
    resize(1150, 650);
}

LookupBox *JobListWindow::addLookup(const char *name, const char *sql)
{
    auto *box = new LookupBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(16);
    shell::ui::FormPage::fill(box, session(), QString::fromLatin1(sql));
    return box;
}

bool JobListWindow::addListConditions(storage::ListFilter &filter)
{
    for (const auto &[box, field] : std::as_const(m_choices)) {
        const QVariant chosen = box->key();
        if (shell::RecordChecks::hasValue(chosen))
            filter.equals(field, chosen);
    }
    if (m_state && m_state->checkedId() == 0)
        filter.equals(QStringLiteral("Chiusa"), false);
    else if (m_state && m_state->checkedId() == 1)
        filter.equals(QStringLiteral("Chiusa"), true);
    return true;
}

void JobListWindow::clearFilters()
{
    RegistryListWindow::clearFilters();
    filterBar()->clearAll();
    for (const auto &[box, field] : std::as_const(m_choices))
        box->clearChoice();
    if (m_state)
        m_state->button(2)->setChecked(true);
}

core::Result<qint64> JobListWindow::createRow()
{
    return createJobOrder(*session().archive(), {session().today(), m_history});
}

void JobListWindow::showTotals()
{
    const storage::ListFilter *listed = listFilter();
    if (!listed)
        return;
    const core::Result<JobListTotals> totals = jobListTotals(*session().archive(), *listed);
    if (!totals) {
        session().prompter().message(error(), totals.error());
        return;
    }
    m_taxable->setText(core::formatItalianNumber(totals->taxable, 2));
    m_total->setText(core::formatItalianNumber(totals->total, 2));
    m_ownerDrivers->setText(core::formatItalianNumber(totals->ownerDriverCosts, 2));
    m_packages->setText(core::formatItalianNumber(totals->packages, 0));
}

void JobListWindow::exportAndSend()
{
    const std::optional<qint64> job = records().keyAt(grid()->currentRow());
    if (!job)
        return;
    storage::Archive &archive = *session().archive();
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral(
            "SELECT TotaliCo.Numero, TotaliCo.Data, Clienti.EMail FROM TotaliCo LEFT JOIN Clienti ON "
            "Clienti.Id = TotaliCo.Cliente_Id WHERE TotaliCo.ID = ?"),
        {*job});
    if (!read || read->values.isEmpty()) {
        session().prompter().message(error(), read ? storage::Archive::missingRowMessage() : read.error());
        return;
    }
    const QVariantList &row = read->values.first();
    const QString number = row.value(0).toString();
    const QDate date = storage::sqlvalue::toDate(row.value(1));
    shell::ReportContext context;
    context.key = *job;
    const core::Result<QString> file = shell::ReportService(session()).exportDocument(
        jobSheetReport, context, QStringLiteral("Commessa_"), number, date.year());
    if (!file)
        return; // the report service has told the user why
    const QString subject =
        QStringLiteral("Commessa numero%1 del : %2").arg(number, core::datetext::formatShortDate(date));
    if (windows().has(QStringLiteral("TfrmEmail"))) {
        windows().open(QStringLiteral("TfrmEmail"), session(), this,
                       {{QStringLiteral("allegati"), QStringList{*file}},
                        {QStringLiteral("oggetto"), subject},
                        {QStringLiteral("destinatari"), row.value(2).toString().trimmed()}});
        return;
    }
    session().prompter().message(warning(),
                                 QStringLiteral("La commessa è stata esportata nel file:\n%1").arg(*file));
}

namespace {

constexpr int jobListReport = 32;
constexpr int jobListWithRowsReport = 62;

// "TfrmStampaCommesse": the lists of the job orders, of every driver or of the one chosen.
QDialog *jobPrints(Session &session, QWidget *parent)
{
    auto *window = new QDialog(parent);
    window->setObjectName(QStringLiteral("TfrmStampaCommesse"));
    window->setWindowTitle(QStringLiteral("Stampa Commesse"));
    WindowRegistry::setHelpContext(window, jobOrdersRegistry().helpContext);
    auto *layout = new QVBoxLayout(window);
    auto *driverRow = new QHBoxLayout;
    auto *driver = new LookupBox(window);
    driver->setObjectName(QStringLiteral("DBLookupComboBox1"));
    driver->setMinimumContentsLength(24);
    shell::ui::FormPage::fill(
        driver, session,
        QStringLiteral("SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || "
                       "COALESCE(Nome, ''))) FROM Personale ORDER BY 2"));
    auto *label = new QLabel(QStringLiteral("Autista"), window);
    label->setBuddy(driver);
    driverRow->addWidget(label);
    driverRow->addWidget(driver, 1);
    layout->addLayout(driverRow);
    const auto print = [&session, driver](int report) {
        shell::ReportContext context;
        if (shell::RecordChecks::hasValue(driver->key()))
            context.partyKey = driver->key().toLongLong();
        shell::ReportService(session).print(report, context);
    };
    QPushButton *jobs =
        shell::ui::makeButton(window, "btnStampeCommesse", "Commesse", "Elenco delle commesse");
    QPushButton *extended = shell::ui::makeButton(window, "btnStampeCommesseEstesa", "Commesse Estesa",
                                                  "Elenco delle commesse con le loro righe");
    QObject::connect(jobs, &QPushButton::clicked, window, [print] { print(jobListReport); });
    QObject::connect(extended, &QPushButton::clicked, window, [print] { print(jobListWithRowsReport); });
    QPushButton *help = shell::ui::makeToolButton(shell::ui::ToolAction::Aiuto, window);
    QObject::connect(help, &QPushButton::clicked, window, [window] { shell::ui::requestHelp(window); });
    QPushButton *back = shell::ui::makeToolButton(shell::ui::ToolAction::Indietro, window);
    QObject::connect(back, &QPushButton::clicked, window, &QDialog::accept);
    layout->addLayout(shell::ui::buttonRow({jobs, extended, help, back}));
    return window;
}

} // namespace

void registerPricedRowEditor(WindowRegistry &windows, const shell::RegistryDescriptor &rows,
                             bool transportRow)
{
    windows.add(
        rows.cardWindow, rows.helpContext,
        [&windows, &rows, transportRow](Session &session, const QVariantMap &parameters, QWidget *parent) {
            auto *window = new RegistryCardWindow(session, rows, windows,
                                                  parameters.value(QStringLiteral("chiave")).toLongLong(),
                                                  parameters.value(QStringLiteral("nuovo")).toBool(), parent);
            addPricedRowEditorRules(*window, session, transportRow);
            window->resize(980, 0);
            return window;
        });
}

void registerJobWindows(WindowRegistry &windows)
{
    windows.add(
        QStringLiteral("TfrmStampaCommesse"), jobOrdersRegistry().helpContext,
        [](Session &session, const QVariantMap &, QWidget *parent) { return jobPrints(session, parent); });
    windows.add(jobOrdersRegistry().listWindow, jobOrdersRegistry().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new JobListWindow(session, windows, parameters, parent);
                });
    windows.add(jobOrderDocument().window, jobOrderDocument().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new JobOrderWindow(session, windows,
                                              parameters.value(QStringLiteral("chiave")).toLongLong(),
                                              parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
    registerPricedRowEditor(windows, jobRowsRegistry(), true);
    shell::ui::registerRegistryWindows(windows, jobPalletsRegistry());
}

} // namespace rotalina::transport::ui
