#include "invoicing/ui/invoicingwindows.h"

#include "invoicing/instalments.h"
#include "invoicing/invoicedocument.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicing/paymentterms.h"
#include "invoicing/ui/documentlistwindows.h"
#include "invoicing/ui/einvoiceexport.h"
#include "invoicing/ui/invoicewindow.h"
#include "invoicing/ui/rejectioncodewindows.h"
#include "shell/desktop.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"

#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::invoicing::ui {

using shell::RecordChecks;
using shell::Session;
using shell::titles::error;
using shell::titles::warning;
using shell::ui::AmountBox;
using shell::ui::LookupBox;
using shell::ui::RegistryCardWindow;
using shell::ui::WindowRegistry;

namespace {

qint64 keyOf(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("chiave")).toLongLong();
}

bool isNewOf(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("nuovo")).toBool();
}

// "Seleziona la Serie di Fatturazione" (and the credit notes' "Scegli la Serie Fatturazione"): the
// series of a new document; "....." opens the series.
class SeriesChooser : public QDialog
{
public:
    SeriesChooser(Session &session, const WindowRegistry &windows, const QString &name, const QString &title,
                  QWidget *parent)
        : QDialog(parent), m_session(session), m_series(new LookupBox(this))
    {
        setObjectName(name);
        setWindowTitle(title);
        WindowRegistry::setHelpContext(this, 1300);
        m_series->setObjectName(QStringLiteral("DBSerie"));
        fill();
        auto *registry = shell::ui::makeButton(this, "spdSerie", ".....", "Apre le Serie di Fatturazione");
        auto *choose = shell::ui::makeButton(this, "spdScegli", "Scegli");
        connect(registry, &QPushButton::clicked, this, [this, &windows, &session] {
            windows.open(QStringLiteral("TfrmSerieFatturazione"), session, this);
            const QVariant chosen = m_series->key();
            fill();
            m_series->setKey(chosen);
        });
        connect(choose, &QPushButton::clicked, this, [this] {
            WindowRegistry::setChoice(this, m_series->key().toString());
            accept();
        });
        auto *layout = new QVBoxLayout(this);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Serie"), this));
        row->addWidget(m_series, 1);
        row->addWidget(registry);
        layout->addLayout(row);
        layout->addLayout(shell::ui::buttonRow({choose}));
        resize(380, 0);
    }

private:
    void fill()
    {
        shell::ui::FormPage::fill(
            m_series, m_session, QStringLiteral("SELECT Serie, Serie FROM SerieFatturazione ORDER BY Serie"));
    }

    Session &m_session;
    LookupBox *m_series;
};

// F12 on the unit value tells the last price charged to the customer for the article.
class LastPriceKey : public QObject
{
public:
    LastPriceKey(Session &session, shell::ui::RecordForm &form, QObject *parent)
        : QObject(parent), m_session(session), m_form(form)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F12)
            return QObject::eventFilter(watched, event);
        storage::Archive &archive = *m_session.archive();
        const core::Result<QVariant> invoice =
            archive.scalar(QStringLiteral("SELECT NumFatt FROM fattdett WHERE IDX = ?"), {m_form.key()});
        const core::Result<QVariant> customer =
            invoice
                ? archive.scalar(QStringLiteral("SELECT Cliente_ID FROM fattura WHERE ID = ?"), {*invoice})
                : core::Result<QVariant>::failure(invoice.error());
        if (!customer)
            return true;
        const core::Result<QString> message = lastPriceMessage(
            archive, *customer, invoice->toLongLong(), m_form.values().value(QStringLiteral("Articolo_ID")));
        if (message && !message->isEmpty())
            m_session.prompter().message(warning(), *message);
        return true;
    }

private:
    Session &m_session;
    shell::ui::RecordForm &m_form;
};

// The row editor's own rules: the gross value follows the amounts, the unit value can be found
// from the gross one, F12 tells the last price (on an invoice's rows).
void addRowEditorRules(RegistryCardWindow &window, Session &session, bool lastPrice)
{
    shell::ui::RecordForm &form = window.card().form();
    // The article is kept with the row for F12, without an editor of its own.
    shell::ui::addHiddenField(form, &window, QStringLiteral("Articolo_ID"));
    form.load(form.key(), form.isNew());
    const auto number = [&form](const char *field) {
        return form.values().value(QLatin1String(field)).toDouble();
    };
    const auto recompute = [&form, number] {
        form.setValue(QStringLiteral("ValoreTotale"), rowGross(number("Um"), number("ValoreUnitario"),
                                                               number("AliquotaIva"), number("Sconto")));
    };
    for (const char *field : {"Um", "ValoreUnitario", "Sconto", "Contrassegno", "ProvvigioneContrassegno"}) {
        if (auto *box = qobject_cast<AmountBox *>(form.editor(QLatin1String(field))))
            QObject::connect(box, &AmountBox::editingFinished, &window, recompute);
    }
    for (const char *vatField : {"Iva_ID", "Iva_Id"}) {
        if (auto *vat = qobject_cast<LookupBox *>(form.editor(QLatin1String(vatField))))
            QObject::connect(vat, &LookupBox::chosen, &window, recompute);
    }
    QWidget *unit = form.editor(QStringLiteral("ValoreUnitario"));
    if (unit && lastPrice) {
        unit->installEventFilter(new LastPriceKey(session, form, unit));
        unit->setToolTip(QStringLiteral("F12: ultimo prezzo praticato al cliente per questo articolo"));
    }
    auto *fromGross =
        shell::ui::makeButton(&window, "btnCalcolaValoreUnitario", "Calcola il Valore Unitario");
    QObject::connect(fromGross, &QPushButton::clicked, &window, [&session, &form, number] {
        const QVariant gross = form.values().value(QStringLiteral("ValoreTotale"));
        if (!RecordChecks::hasValue(gross) || gross.toDouble() == 0) {
            session.prompter().message(warning(), QStringLiteral("Attenzione Inserire il Prezzo finale"));
            return;
        }
        const std::optional<double> unit =
            unitValueFromGross(number("Um"), gross.toDouble(), number("AliquotaIva"), number("Sconto"));
        if (!unit) {
            session.prompter().message(warning(),
                                       QStringLiteral("Attenzione con uno sconto del 100% o senza "
                                                      "quantità non si può calcolare il Valore Unitario"));
            return;
        }
        form.setValue(QStringLiteral("ValoreUnitario"), *unit);
    });
    if (QWidget *gross = form.editor(QStringLiteral("ValoreTotale")))
        shell::ui::FormPage::placeBeside(gross, fromGross);
}

// The due-date window's own parts: "Oggi", the receipt's file, and "Prima nota".
void addInstalmentParts(RegistryCardWindow &window, Session &session, const WindowRegistry &windows)
{
    shell::ui::RecordForm &form = window.card().form();
    if (QWidget *paidOn = form.editor(QStringLiteral("DataPagamento"))) {
        auto *today = shell::ui::makeButton(&window, "spdOggi", "Oggi", "Data di oggi");
        QObject::connect(today, &QPushButton::clicked, &window, [&form, &session] {
            form.setValue(QStringLiteral("DataPagamento"), session.today());
        });
        shell::ui::FormPage::placeBeside(paidOn, today);
    }
    if (QWidget *file = form.editor(QStringLiteral("File"))) {
        auto *browse = new QToolButton(&window);
        browse->setObjectName(QStringLiteral("spdCercaFile"));
        browse->setText(QStringLiteral("…"));
        browse->setToolTip(QStringLiteral("Cerca il file del pagamento"));
        auto *view = new QToolButton(&window);
        view->setObjectName(QStringLiteral("spdVisualizzaFile"));
        view->setText(QStringLiteral("Apri"));
        view->setToolTip(QStringLiteral("Apre il file del pagamento"));
        QObject::connect(browse, &QToolButton::clicked, &window, [&form, &session] {
            const QString chosen = session.prompter().openFile(QStringLiteral("Cerca il file del pagamento"),
                                                               QString(), QStringLiteral("Tutti i file (*)"));
            if (!chosen.isEmpty())
                form.setValue(QStringLiteral("File"), chosen);
        });
        QObject::connect(view, &QToolButton::clicked, &window, [&form, &session] {
            const QString path = form.values().value(QStringLiteral("File")).toString().trimmed();
            if (path.isEmpty()) {
                session.prompter().message(error(),
                                           QStringLiteral("Attenzione manca il percorso dell'immagine"));
                return;
            }
            if (!QFileInfo::exists(path)) {
                session.prompter().message(
                    error(),
                    QStringLiteral("Il file: %1 non esiste più oppure e' stato spostato !!!").arg(path));
                return;
            }
            session.desktop().openUrl(QUrl::fromLocalFile(path));
        });
        auto *pair = new QWidget(&window);
        auto *row = new QHBoxLayout(pair);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(browse);
        row->addWidget(view);
        shell::ui::FormPage::placeBeside(file, pair);
    }
    auto *cashBook = shell::ui::makeButton(&window, "spdPrimaNota", "Prima nota", "Visualizza in prima nota");
    QObject::connect(cashBook, &QPushButton::clicked, &window, [&form, &session, &windows, &window] {
        const core::Result<bool> mirror = mirrorsInCashBook(*session.archive());
        const core::Result<QVariant> entry = session.archive()->scalar(
            QStringLiteral("SELECT Finanzia_id FROM FatturaScadenze WHERE Id = ?"), {form.key()});
        if (!mirror || !*mirror || !entry || entry->toLongLong() <= 0) {
            session.prompter().message(warning(),
                                       QStringLiteral("La scadenza non ha movimenti in prima nota"));
            return;
        }
        windows.open(QStringLiteral("TCassaDettaglio"), session, &window,
                     {{QStringLiteral("chiave"), entry->toLongLong()}, {QStringLiteral("nuovo"), false}});
    });
    window.addButton(cashBook);
}

// "Cerca": the file of an attachment; its name and format follow the file unless the user wrote
// others.
void addAttachmentFinder(RegistryCardWindow &window, Session &session)
{
    QPushButton *find = shell::ui::makeButton(&window, "Cerca", "Cerca", "Sceglie il file da allegare");
    window.addButton(find);
    shell::ui::RecordForm &form = window.card().form();
    QObject::connect(find, &QPushButton::clicked, &window, [&session, &form] {
        const QFileInfo previous(
            form.values().value(QStringLiteral("PercorsoCompleto")).toString().trimmed());
        const QString file =
            session.prompter().openFile(QStringLiteral("Scegli il file da allegare"), previous.absolutePath(),
                                        QStringLiteral("Tutti i file (*)"));
        if (file.isEmpty())
            return;
        const QFileInfo chosen(file);
        form.setValue(QStringLiteral("PercorsoCompleto"), chosen.absoluteFilePath());
        const auto follow = [&form](const QString &field, const QString &before, const QString &after) {
            const QString current = form.values().value(field).toString().trimmed();
            if (current.isEmpty() || current == before)
                form.setValue(field, after);
        };
        follow(QStringLiteral("NomeAttachment"), previous.fileName().left(60), chosen.fileName().left(60));
        follow(QStringLiteral("FormatoAttachment"), previous.suffix().toUpper().left(10),
               chosen.suffix().toUpper().left(10));
    });
}

} // namespace

void registerInvoicingWindows(WindowRegistry &windows)
{
    shell::ui::registerRegistryWindows(windows, paymentTermsRegistry());
    shell::ui::registerRegistryWindows(windows, invoiceSeriesRegistry());
    shell::ui::registerRegistryWindows(windows, customerOrdersRegistry());
    shell::ui::registerRegistryWindows(windows, invoiceAttachmentsRegistry());
    windows.add(invoiceAttachmentsRegistry().cardWindow, invoiceAttachmentsRegistry().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    auto *window = new RegistryCardWindow(session, invoiceAttachmentsRegistry(), windows,
                                                          keyOf(parameters), isNewOf(parameters), parent);
                    addAttachmentFinder(*window, session);
                    return window;
                });
    registerRejectionCodeWindows(windows);
    windows.addCommand(QString::fromLatin1(exportXmlCommand),
                       [](Session &session, const QVariantMap &parameters, QWidget *parent) {
                           exportElectronicInvoice(session, keyOf(parameters), parent);
                       });
    for (const auto &[name, title] :
         {std::pair{"TfrmSceltaSerieFatturazione", "Seleziona la Serie di Fatturazione"},
          std::pair{"TfrmSceltaFatturazioneNotaCr", "Scegli la Serie Fatturazione"}}) {
        windows.add(QString::fromLatin1(name), 1300,
                    [&windows, name, title](Session &session, const QVariantMap &, QWidget *parent) {
                        return new SeriesChooser(session, windows, QString::fromLatin1(name),
                                                 QString::fromLatin1(title), parent);
                    });
    }
    registerDocumentListWindows(windows);
    for (const shell::RegistryDescriptor *rows : {&invoiceRowsRegistry(), &creditNoteRowsRegistry()}) {
        windows.add(rows->cardWindow, rows->helpContext,
                    [&windows, rows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        auto *window = new RegistryCardWindow(session, *rows, windows, keyOf(parameters),
                                                              isNewOf(parameters), parent);
                        addRowEditorRules(*window, session, rows == &invoiceRowsRegistry());
                        window->resize(1080, 0);
                        return window;
                    });
    }
    for (const shell::RegistryDescriptor *dueDates :
         {&customerInstalmentsRegistry(), &supplierInstalmentsRegistry()}) {
        windows.add(dueDates->cardWindow, dueDates->helpContext,
                    [&windows, dueDates](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        auto *window = new RegistryCardWindow(session, *dueDates, windows, keyOf(parameters),
                                                              isNewOf(parameters), parent);
                        addInstalmentParts(*window, session, windows);
                        return window;
                    });
    }
}

} // namespace rotalina::invoicing::ui
