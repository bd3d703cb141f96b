#include "invoicing/ui/documentlistwindows.h"

#include "core/datetext.h"
#include "invoicing/creditnotes.h"
#include "invoicing/einvoice.h"
#include "invoicing/invoicedocument.h"
#include "invoicing/sdisending.h"
#include "invoicing/ui/invoicewindow.h"
#include "shell/historyselection.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordchooser.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace rotalina::invoicing::ui {

using shell::Session;
using shell::titles::error;
using shell::titles::warning;
using shell::ui::DateBox;
using shell::ui::LookupBox;
using shell::ui::WindowRegistry;

namespace {

QLineEdit *textField(QWidget *parent, const char *name, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setClearButtonEnabled(true);
    edit->setFixedWidth(width);
    return edit;
}

// A date field reads as nothing while it is blank.
QString typedDate(const DateBox *box)
{
    return box->isBlank() ? QString() : box->text();
}

// A filter field after its caption, with a little room before the next one.
void placeLabelled(QWidget *box, QHBoxLayout *row, const char *caption, QWidget *field)
{
    auto *label = new QLabel(QString::fromUtf8(caption), box);
    label->setBuddy(field);
    row->addWidget(label);
    row->addWidget(field);
    row->addSpacing(8);
}

const shell::RegistryDescriptor &listOf(CustomerDocument document)
{
    return document == CustomerDocument::CreditNote ? openCreditNotesRegistry() : openInvoicesRegistry();
}

} // namespace

CustomerDocumentListWindow::CustomerDocumentListWindow(Session &session, const WindowRegistry &windows,
                                                       CustomerDocument document,
                                                       const QVariantMap &parameters, QWidget *parent)
    : RegistryListWindow(session, listOf(document), windows, parent,
                         shell::documentListScope(parameters, QStringLiteral("Data"))),
      m_document(document), m_history(shell::isHistoryView(parameters))
{
    const bool creditNote = document == CustomerDocument::CreditNote;
    setWindowTitle(shell::documentListCaption(windowTitle(), parameters));
    if (m_history) {
        if (auto *add = findChild<QPushButton *>(QStringLiteral("spdInserisci")))
            add->hide();
    }
    if (creditNote)
        buildCreditNoteFilters();
    else
        buildInvoiceFilters();

    QPushButton *exportXml =
        shell::ui::makeButton(this, "spdEsportaXml", "Esporta xml",
                              "Esporta come fatture elettroniche i documenti scelti (Ctrl o Maiusc per "
                              "sceglierne più di uno)");
    connect(exportXml, &QPushButton::clicked, this, &CustomerDocumentListWindow::exportChosen);
    addButton(exportXml);
    if (!creditNote) {
        QPushButton *send = shell::ui::makeButton(this, "spdEsportaInvia", "Esporta ed invia",
                                                  "Esporta la stampa della fattura per inviarla per e-mail");
        connect(send, &QPushButton::clicked, this, &CustomerDocumentListWindow::exportAndSend);
        addButton(send);
        QPushButton *toSdi = shell::ui::makeButton(
            this, "spdInviaSdI", "Invia allo SdI",
            "Invia per Pec allo SdI le fatture elettroniche esportate delle fatture scelte");
        toSdi->setEnabled(windows.has(QStringLiteral("TfrmEmail")));
        connect(toSdi, &QPushButton::clicked, this, &CustomerDocumentListWindow::sendToExchangeSystem);
        addButton(toSdi);
    }
    grid()->setToolTip(QStringLiteral("Le righe verdi sono già state esportate come fatture elettroniche"));
    resize(1100, 620);
}

void CustomerDocumentListWindow::addCommonFilters(QWidget *box)
{
    m_fromDate = new DateBox(box);
    m_fromDate->setObjectName(QStringLiteral("maskDallaData"));
    m_toDate = new DateBox(box);
    m_toDate->setObjectName(QStringLiteral("maskAllaData"));
    m_series = textField(box, "edtSerie", 80);
    m_customer = addLookup(
        "dblCliente", "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato", true);
    m_customer->setMinimumWidth(260);
}

LookupBox *CustomerDocumentListWindow::addLookup(const char *name, const char *sql, bool searchable)
{
    auto *box = new LookupBox(this);
    box->setObjectName(QString::fromLatin1(name));
    // Made searchable before its thousands of customers are loaded, and sized without measuring
    // every name: the list opens quickly however many there are.
    box->setSearchable(searchable);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(20);
    shell::ui::FormPage::fill(box, session(), QString::fromLatin1(sql));
    return box;
}

void CustomerDocumentListWindow::buildInvoiceFilters()
{
    auto *box = new QGroupBox(QStringLiteral("Filtri"), this);
    box->setObjectName(QStringLiteral("grpFiltri"));
    auto *layout = new QVBoxLayout(box);
    auto *first = new QHBoxLayout;
    auto *second = new QHBoxLayout;
    layout->addLayout(first);
    layout->addLayout(second);
    m_fromNumber = textField(box, "edtDalNumero", 80);
    m_toNumber = textField(box, "edtAlNumero", 80);
    addCommonFilters(box);
    m_bank = addLookup("dblBanca", "SELECT Id, Banca FROM Bank ORDER BY Banca");
    m_paymentMode =
        addLookup("dblModPagamento", "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione");
    m_orderNumber = textField(box, "edtNumOrdine", 140);
    const auto place = [box](QHBoxLayout *row, const char *caption, QWidget *field) {
        placeLabelled(box, row, caption, field);
    };
    place(first, "Dal numero", m_fromNumber);
    place(first, "al numero", m_toNumber);
    place(first, "Dalla Data", m_fromDate);
    place(first, "alla Data", m_toDate);
    place(first, "Serie", m_series);
    first->addStretch(1);
    place(second, "Cliente", m_customer);
    place(second, "Banca", m_bank);
    place(second, "Modalità di pagamento", m_paymentMode);
    place(second, "num. Ordine", m_orderNumber);
    second->addStretch(1);
    QPushButton *search =
        shell::ui::makeButton(box, "spdCerca", "cerca", "Mostra le fatture che rispondono ai filtri");
    QPushButton *reset =
        shell::ui::makeButton(box, "spdReset", "reset", "Svuota i filtri e mostra tutte le fatture");
    QPushButton *requery =
        shell::ui::makeButton(box, "spdREquery", "REquery", "Rilegge le fatture dall'archivio");
    for (QPushButton *b : {search, reset, requery})
        second->addWidget(b);
    connect(search, &QPushButton::clicked, this, &CustomerDocumentListWindow::search);
    connect(reset, &QPushButton::clicked, this, &CustomerDocumentListWindow::resetFilters);
    connect(requery, &QPushButton::clicked, this, &CustomerDocumentListWindow::requery);
    addFilterArea(box);
}

void CustomerDocumentListWindow::buildCreditNoteFilters()
{
    auto *box = new QGroupBox(QStringLiteral("Filtra per "), this);
    box->setObjectName(QStringLiteral("grpFiltraPer"));
    auto *layout = new QHBoxLayout(box);
    addCommonFilters(box);
    m_number = textField(box, "edtNumero", 80);
    // The list follows every key: a number field takes only digits (or the "*" that asks nothing),
    // so that no message interrupts the typing.
    m_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\*|[0-9]{0,9}")), m_number));
    const auto place = [layout, box](const char *caption, QWidget *field) {
        placeLabelled(box, layout, caption, field);
    };
    place("Cliente", m_customer);
    place("Numero", m_number);
    place("Dalla Data", m_fromDate);
    place("alla Data", m_toDate);
    place("Serie", m_series);
    layout->addStretch(1);
    QPushButton *requery =
        shell::ui::makeButton(box, "spdREquery", "REquery", "Rilegge le note di credito dall'archivio");
    layout->addWidget(requery);
    connect(requery, &QPushButton::clicked, this, &CustomerDocumentListWindow::requery);
    // The list follows every change of a field; a date only once it is whole.
    connect(m_customer, &LookupBox::chosen, this, &CustomerDocumentListWindow::reload);
    connect(m_customer, &LookupBox::cleared, this, &CustomerDocumentListWindow::reload);
    for (QLineEdit *field : {m_number, m_series})
        connect(field, &QLineEdit::textChanged, this, &CustomerDocumentListWindow::reload);
    for (DateBox *date : {m_fromDate, m_toDate}) {
        connect(date, &QLineEdit::textChanged, this, [this, date] {
            if (date->isBlank() || date->date())
                reload();
        });
    }
    addFilterArea(box);
}

InvoiceListFilter CustomerDocumentListWindow::typedInvoiceFilter() const
{
    InvoiceListFilter typed;
    typed.fromNumber = m_fromNumber->text();
    typed.toNumber = m_toNumber->text();
    typed.fromDate = typedDate(m_fromDate);
    typed.toDate = typedDate(m_toDate);
    typed.series = m_series->text();
    typed.customer = m_customer->key();
    typed.bank = m_bank->key();
    typed.paymentMode = m_paymentMode->key();
    typed.orderNumber = m_orderNumber->text();
    return typed;
}

CreditNoteListFilter CustomerDocumentListWindow::typedCreditNoteFilter() const
{
    CreditNoteListFilter typed;
    typed.number = m_number->text();
    typed.fromDate = typedDate(m_fromDate);
    typed.toDate = typedDate(m_toDate);
    typed.series = m_series->text();
    typed.customer = m_customer->key();
    return typed;
}

bool CustomerDocumentListWindow::addListConditions(storage::ListFilter &filter)
{
    // Called by the list's first reading too, before the filter fields exist.
    if (!m_customer)
        return true;
    const core::Status added = m_document == CustomerDocument::CreditNote
                                   ? addCreditNoteListConditions(filter, typedCreditNoteFilter())
                                   : addInvoiceListConditions(filter, m_applied);
    if (!added)
        session().prompter().message(error(), added.error());
    return added.ok();
}

void CustomerDocumentListWindow::search()
{
    const InvoiceListFilter typed = typedInvoiceFilter();
    // What cannot be read is refused before it replaces the filter in use.
    storage::ListFilter check(session().archive()->dialect());
    if (core::Status readable = addInvoiceListConditions(check, typed); !readable) {
        session().prompter().message(error(), readable.error());
        return;
    }
    m_applied = typed;
    reload();
}

void CustomerDocumentListWindow::resetFilters()
{
    clearFilters();
    reload();
}

void CustomerDocumentListWindow::clearFilters()
{
    RegistryListWindow::clearFilters();
    const QSignalBlocker quiet(this);
    for (QLineEdit *field : {m_fromNumber, m_toNumber, m_number, m_series, m_orderNumber,
                             static_cast<QLineEdit *>(m_fromDate), static_cast<QLineEdit *>(m_toDate)}) {
        if (field) {
            const QSignalBlocker blocked(field);
            field->clear();
        }
    }
    for (LookupBox *choice : {m_customer, m_bank, m_paymentMode}) {
        if (choice) {
            const QSignalBlocker blocked(choice);
            choice->clearChoice();
        }
    }
    m_applied = {};
}

void CustomerDocumentListWindow::requery()
{
    reload();
}

core::Result<qint64> CustomerDocumentListWindow::createRow()
{
    // The history view looks at closed periods: documents are added to the current year's lists.
    if (m_history)
        return core::Result<qint64>::failure(QStringLiteral(
            "Attenzione nello storico non si aggiungono documenti: aprire l'elenco dalla pagina "
            "Documenti Clienti"));
    storage::Archive &archive = *session().archive();
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings)
        return core::Result<qint64>::failure(settings.error());
    NewInvoice request;
    request.today = session().today();
    request.document = m_document;
    if (settings->multipleSeries)
        request.series = windows()
                             .choose(m_document == CustomerDocument::CreditNote
                                         ? QStringLiteral("TfrmSceltaFatturazioneNotaCr")
                                         : QStringLiteral("TfrmSceltaSerieFatturazione"),
                                     session(), this)
                             .toString();
    return createInvoice(archive, request);
}

void CustomerDocumentListWindow::exportChosen()
{
    QList<qint64> chosen = selectedKeys();
    if (chosen.isEmpty()) {
        if (const std::optional<qint64> current = records().keyAt(grid()->currentRow()))
            chosen.append(*current);
    }
    if (chosen.isEmpty())
        return;
    storage::Archive &archive = *session().archive();
    const core::Result<QVariant> folder = archive.scalar(
        QStringLiteral("SELECT CartellaEsportazioneFattureElettroniche FROM opzioni ORDER BY ID LIMIT 1"));
    const QString target =
        session().prompter().chooseFolder(QStringLiteral("Scegli la cartella delle fatture elettroniche"),
                                          folder ? folder->toString().trimmed() : QString());
    if (target.isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("Esportazione delle fatture elettroniche..."),
                             QStringLiteral("Interrompi"), 0, int(chosen.size()), this);
    progress.setObjectName(QStringLiteral("dlgAvanzamento"));
    progress.setWindowTitle(QStringLiteral("Esporta xml"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    BatchExport request;
    request.folder = target;
    request.documents = chosen;
    request.progress = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    const core::Result<QList<BatchLine>> lines = exportEInvoices(archive, request);
    progress.reset();
    reload();
    if (!lines) {
        session().prompter().message(error(), lines.error());
        return;
    }
    int written = 0;
    QStringList report;
    for (const BatchLine &line : *lines) {
        written += line.written ? 1 : 0;
        report.append(line.text());
    }
    QString text = QStringLiteral("Esportati %1 documenti su %2 scelti nella cartella %3")
                       .arg(written)
                       .arg(chosen.size())
                       .arg(target);
    if (lines->size() < chosen.size())
        text += QStringLiteral(" (esportazione interrotta)");
    session().prompter().message(written == chosen.size() ? QStringLiteral("Messaggio di Conferma")
                                                          : warning(),
                                 text + QStringLiteral(":\n\n") + report.join(u'\n'));
}

void CustomerDocumentListWindow::exportAndSend()
{
    const std::optional<qint64> invoice = records().keyAt(grid()->currentRow());
    if (!invoice)
        return;
    storage::Archive &archive = *session().archive();
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral("SELECT fattura.Num, fattura.Data, Clienti.EMail FROM fattura LEFT JOIN Clienti ON "
                       "Clienti.Id = fattura.Cliente_ID WHERE fattura.ID = ?"),
        {*invoice});
    if (!read || read->values.isEmpty()) {
        session().prompter().message(error(), read ? storage::Archive::missingRowMessage() : read.error());
        return;
    }
    const QVariantList &row = read->values.first();
    const QString number = row.value(0).toString();
    const QDate date = storage::sqlvalue::toDate(row.value(1));
    shell::ReportContext context;
    context.key = *invoice;
    const core::Result<QString> file = shell::ReportService(session()).exportDocument(
        8, context, QStringLiteral("Fattura_"), number, date.year());
    if (!file)
        return; // the report service has told the user why
    const QString subject =
        QStringLiteral("Fattura numero %1 del : %2").arg(number, core::datetext::formatShortDate(date));
    if (windows().has(QStringLiteral("TfrmEmail"))) {
        windows().open(QStringLiteral("TfrmEmail"), session(), this,
                       {{QStringLiteral("allegati"), QStringList{*file}},
                        {QStringLiteral("oggetto"), subject},
                        {QStringLiteral("destinatari"), row.value(2).toString().trimmed()}});
        return;
    }
    session().prompter().message(warning(),
                                 QStringLiteral("La fattura è stata esportata nel file:\n%1").arg(*file));
}

void CustomerDocumentListWindow::sendToExchangeSystem()
{
    QList<qint64> chosen = selectedKeys();
    if (chosen.isEmpty()) {
        if (const std::optional<qint64> current = records().keyAt(grid()->currentRow()))
            chosen.append(*current);
    }
    if (chosen.isEmpty())
        return;
    storage::Archive &archive = *session().archive();
    const core::Result<SdiSelection> selection = sdiSelection(archive, chosen);
    if (!selection) {
        session().prompter().message(error(), selection.error());
        return;
    }
    if (selection->address.isEmpty()) {
        session().prompter().message(shell::titles::mail(), sdiMessages::missingAddress());
        return;
    }
    if (!selection->missingNumbers.isEmpty())
        session().prompter().message(warning(), sdiMessages::notExported(selection->missingNumbers));
    if (selection->files.isEmpty())
        return;
    QStringList files;
    for (const SdiFile &file : selection->files)
        files.append(file.path);
    const QVariant sent = windows().choose(QStringLiteral("TfrmEmail"), session(), this,
                                           {{QStringLiteral("destinatari"), selection->address},
                                            {QStringLiteral("oggetto"), sdiSubject(selection->files)},
                                            {QStringLiteral("allegati"), files}});
    const QStringList sentFiles = sent.toMap().value(QStringLiteral("allegati")).toStringList();
    if (sentFiles.isEmpty())
        return;
    if (core::Status recorded = recordSdiSending(archive, selection->files, sentFiles, session().today());
        !recorded)
        session().prompter().message(error(), recorded.error());
    reload();
}

void registerDocumentListWindows(WindowRegistry &windows)
{
    for (const CustomerDocument document : {CustomerDocument::Invoice, CustomerDocument::CreditNote}) {
        const shell::RegistryDescriptor &list = listOf(document);
        windows.add(list.listWindow, list.helpContext,
                    [&windows, document](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new CustomerDocumentListWindow(session, windows, document, parameters, parent);
                    });
        windows.add(list.cardWindow, list.helpContext,
                    [&windows, document](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new InvoiceWindow(
                            session, windows, parameters.value(QStringLiteral("chiave")).toLongLong(),
                            parameters.value(QStringLiteral("nuovo")).toBool(), parent, document);
                    });
    }
    // "Trova Fattura": the customer's invoices, to choose the one a credit note credits.
    windows.add(QStringLiteral("TfrmTrovaFattura"), 1250,
                [](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    shell::ui::ChooserDescription finder;
                    finder.window = QStringLiteral("TfrmTrovaFattura");
                    finder.caption = QStringLiteral("Trova Fattura");
                    finder.helpContext = 1250;
                    finder.grid = QStringLiteral("frmTrovaFattura_Griglia");
                    finder.statement = creditableInvoicesStatement();
                    finder.parameters = {parameters.value(QStringLiteral("cliente")).toLongLong()};
                    finder.columns = {
                        {QStringLiteral("Data"), QStringLiteral("Data"), 90},
                        {QStringLiteral("Numero"), QStringLiteral("Numero"), 70},
                        {QStringLiteral("SerieFatturazione"), QStringLiteral("Serie"), 70},
                        {QStringLiteral("TotaleFattura"), QStringLiteral("Totale Fattura"), 110}};
                    finder.numberFields = {{QStringLiteral("TotaleFattura"), 2}};
                    finder.startAtLast = true;
                    finder.nothingToChoose = QStringLiteral("Il cliente non ha fatture da stornare.");
                    return new shell::ui::RecordChooser(session, finder, parent);
                });
}

} // namespace rotalina::invoicing::ui
