#include "transport/ui/deliverynotewindows.h"

#include "shell/historyselection.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/listfilter.h"
#include "transport/deliverynotes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rotalina::transport::ui {

using shell::Session;
using shell::ui::LookupBox;
using shell::ui::WindowRegistry;

namespace {

constexpr int deliveryNoteReport = 37;

} // namespace

DeliveryNoteWindow::DeliveryNoteWindow(Session &session, const WindowRegistry &windows, qint64 key,
                                       bool isNew, QWidget *parent)
    : DocumentWindow(session, deliveryNoteDocument(), windows, key, isNew, parent)
{
    QPushButton *printing =
        shell::ui::makeButton(this, "SpeedButton1", "Stampa", "Stampa il Documento di Trasporto");
    connect(printing, &QPushButton::clicked, this, &DeliveryNoteWindow::print);
    addToolButton(printing);
    // The quantity is typed while the document has no rows; its rows write it afterwards.
    if (auto *quantity = qobject_cast<QLineEdit *>(form().editor(QStringLiteral("Quantita")))) {
        quantity->setReadOnly(false);
        quantity->setFocusPolicy(Qt::StrongFocus);
    }
    // A new document's header is checked before its rows are shown, as one the user changed.
    if (isNew)
        form().setDirty();
    resize(980, 620);
}

void DeliveryNoteWindow::print()
{
    if (!save())
        return;
    shell::ReportContext context;
    context.key = key();
    shell::ReportService(session()).print(deliveryNoteReport, context);
}

DeliveryNoteListWindow::DeliveryNoteListWindow(Session &session, const WindowRegistry &windows,
                                               const QVariantMap &parameters, QWidget *parent)
    : RegistryListWindow(session, deliveryNotesRegistry(), windows, parent,
                         shell::documentListScope(parameters, QStringLiteral("Data"))),
      m_history(shell::isHistoryView(parameters)), m_customer(new LookupBox(this))
{
    setWindowTitle(shell::documentListCaption(windowTitle(), parameters));
    shell::ui::FilterBar *filters = filterBar();
    filters->addNumber(QStringLiteral("Numero"), QStringLiteral("Numero"), QStringLiteral("Edit2"));
    filters->addDateFrom(QStringLiteral("Data"), QStringLiteral("Dalla Data"), QStringLiteral("maskDaData"));
    filters->addDateTo(QStringLiteral("Data"), QStringLiteral("alla Data"), QStringLiteral("maskAData"));
    m_customer->setObjectName(QStringLiteral("DBLookupComboBox1"));
    m_customer->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_customer->setMinimumContentsLength(24);
    shell::ui::FormPage::fill(
        m_customer, session,
        QStringLiteral("SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato"));
    auto *label = new QLabel(QStringLiteral("Cliente"), this);
    label->setBuddy(m_customer);
    filters->addWidget(label);
    filters->addWidget(m_customer);
    connect(m_customer, &LookupBox::chosen, this, &DeliveryNoteListWindow::reload);
    connect(m_customer, &LookupBox::cleared, this, &DeliveryNoteListWindow::reload);
    reload();
    resize(900, 600);
}

bool DeliveryNoteListWindow::addListConditions(storage::ListFilter &filter)
{
    const QVariant customer = m_customer->key();
    if (shell::RecordChecks::hasValue(customer))
        filter.equals(QStringLiteral("Cliente_ID"), customer);
    return true;
}

void DeliveryNoteListWindow::clearFilters()
{
    RegistryListWindow::clearFilters();
    filterBar()->clearAll();
    m_customer->clearChoice();
}

core::Result<qint64> DeliveryNoteListWindow::createRow()
{
    return createDeliveryNote(*session().archive(), QDateTime(session().today(), QTime::currentTime()),
                              m_history);
}

void registerDeliveryNoteWindows(WindowRegistry &windows)
{
    windows.add(deliveryNotesRegistry().listWindow, deliveryNotesRegistry().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new DeliveryNoteListWindow(session, windows, parameters, parent);
                });
    windows.add(deliveryNoteDocument().window, deliveryNoteDocument().helpContext,
                [&windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new DeliveryNoteWindow(session, windows,
                                                  parameters.value(QStringLiteral("chiave")).toLongLong(),
                                                  parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
    shell::ui::registerRegistryWindows(windows, deliveryNoteRowsRegistry());
}

} // namespace rotalina::transport::ui
