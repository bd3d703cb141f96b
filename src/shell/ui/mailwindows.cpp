#include "shell/ui/mailwindows.h"

#include "shell/mailsender.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

namespace {

constexpr int mailHelpContext = 1800;

QStringList textLines(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QStringList || value.metaType().id() == QMetaType::QVariantList)
        return value.toStringList();
    return value.toString().split(QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
}

// Sends each message on a worker thread while the window's events go on, so that the progress
// dialog paints and its button answers while a slow server is being waited for.
class BackgroundSender : public MailSender
{
public:
    explicit BackgroundSender(MailSender &sender) : m_sender(sender) {}
    core::Status send(const MailSettings &settings, const MailMessage &message) override
    {
        core::Status result;
        QEventLoop loop;
        std::unique_ptr<QThread> worker(QThread::create([&] { result = m_sender.send(settings, message); }));
        QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
        worker->start();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        worker->wait();
        return result;
    }

private:
    MailSender &m_sender;
};

} // namespace

QStringList mailAddresses(const QVariant &recipients)
{
    QStringList addresses;
    for (const QString &line : textLines(recipients)) {
        for (const QString &piece :
             line.split(QRegularExpression(QStringLiteral("[;,]")), Qt::SkipEmptyParts)) {
            const QString address = piece.trimmed();
            if (!address.isEmpty() && !addresses.contains(address, Qt::CaseInsensitive))
                addresses.append(address);
        }
    }
    return addresses;
}

EmailWindow::EmailWindow(Session &session, MailSender &sender, const QVariantMap &parameters, QWidget *parent)
    : QDialog(parent), m_session(session), m_sender(sender)
{
    setObjectName(QStringLiteral("TfrmEmail"));
    setWindowTitle(QStringLiteral("Email"));
    WindowRegistry::setHelpContext(this, mailHelpContext);

    m_recipients = new QPlainTextEdit(this);
    m_recipients->setObjectName(QStringLiteral("txtDestinatario"));
    m_recipients->setToolTip(QStringLiteral("Un indirizzo per riga: ciascuno riceve un messaggio a sé"));
    m_recipients->setTabChangesFocus(true);
    m_recipients->setMaximumHeight(110);
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("txtOggetto"));
    m_body = new QTextEdit(this);
    m_body->setObjectName(QStringLiteral("txtTesto"));
    m_body->setAcceptRichText(false);
    m_attachments = new QListWidget(this);
    m_attachments->setObjectName(QStringLiteral("txtAllegati"));
    m_attachments->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_attachments->setMaximumHeight(120);

    QPushButton *addRecipientButton = makeButton(this, "SpeedButton4", "+", "Aggiunge un destinatario");
    QPushButton *removeRecipientButton =
        makeButton(this, "SpeedButton5", "-", "Toglie il destinatario su cui si trova il cursore");
    QPushButton *addAttachment =
        makeButton(this, "spdInserisciPiccolo", "+", "Aggiunge un allegato scelto tra i file");
    QPushButton *removeAttachmentButton =
        makeButton(this, "spdEliminaPiccolo", "-", "Toglie l'allegato scelto");
    QPushButton *clearAttachments = makeButton(this, "SpeedButton3", "Svuota", "Elimina tutti gli allegati");
    QPushButton *clearAttachmentsToo =
        makeButton(this, "SpeedButton6", "Elimina tutti gli allegati", "Elimina tutti gli allegati");
    QPushButton *defaultText = makeButton(this, "SpeedButton1", "Testo predefinito",
                                          "Mette nel testo il testo predefinito delle opzioni");
    QPushButton *reset =
        makeButton(this, "BitBtn1", "Azzera", "Svuota destinatari, oggetto, testo e allegati");
    QPushButton *send = makeButton(this, "spdEmail", "Invia email", "Invia il messaggio a ogni destinatario");
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    for (QPushButton *small :
         {addRecipientButton, removeRecipientButton, addAttachment, removeAttachmentButton})
        small->setFixedWidth(32);

    auto *grid = new QGridLayout;
    const auto sideButtons = [this](QPushButton *first, QPushButton *second, QPushButton *third = nullptr) {
        auto *column = new QVBoxLayout;
        column->addWidget(first);
        column->addWidget(second);
        if (third)
            column->addWidget(third);
        column->addStretch(1);
        return column;
    };
    auto *toLabel = new QLabel(QStringLiteral("Destinatari"), this);
    toLabel->setBuddy(m_recipients);
    grid->addWidget(toLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(m_recipients, 0, 1);
    grid->addLayout(sideButtons(addRecipientButton, removeRecipientButton), 0, 2);
    auto *subjectLabel = new QLabel(QStringLiteral("Oggetto"), this);
    subjectLabel->setBuddy(m_subject);
    grid->addWidget(subjectLabel, 1, 0);
    grid->addWidget(m_subject, 1, 1, 1, 2);
    auto *bodyLabel = new QLabel(QStringLiteral("Testo"), this);
    bodyLabel->setBuddy(m_body);
    grid->addWidget(bodyLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(m_body, 2, 1);
    grid->addLayout(sideButtons(defaultText, reset), 2, 2);
    auto *attachmentsLabel = new QLabel(QStringLiteral("Allegati"), this);
    attachmentsLabel->setBuddy(m_attachments);
    grid->addWidget(attachmentsLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(m_attachments, 3, 1);
    auto *attachmentButtons = new QHBoxLayout;
    attachmentButtons->addWidget(addAttachment);
    attachmentButtons->addWidget(removeAttachmentButton);
    auto *attachmentColumn = new QVBoxLayout;
    attachmentColumn->addLayout(attachmentButtons);
    attachmentColumn->addWidget(clearAttachments);
    attachmentColumn->addStretch(1);
    grid->addLayout(attachmentColumn, 3, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addWidget(clearAttachmentsToo);
    bottom->addStretch(1);
    bottom->addWidget(send);
    bottom->addWidget(back);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(bottom);

    connect(addRecipientButton, &QPushButton::clicked, this, &EmailWindow::addRecipient);
    connect(removeRecipientButton, &QPushButton::clicked, this, &EmailWindow::removeRecipient);
    connect(addAttachment, &QPushButton::clicked, this, &EmailWindow::addAttachments);
    connect(removeAttachmentButton, &QPushButton::clicked, this, &EmailWindow::removeAttachment);
    connect(clearAttachments, &QPushButton::clicked, this, &EmailWindow::removeAllAttachments);
    connect(clearAttachmentsToo, &QPushButton::clicked, this, &EmailWindow::removeAllAttachments);
    connect(defaultText, &QPushButton::clicked, this, &EmailWindow::useDefaultText);
    connect(reset, &QPushButton::clicked, this, &EmailWindow::clearAll);
    connect(send, &QPushButton::clicked, this, &EmailWindow::sendAll);
    connect(back, &QPushButton::clicked, this, &EmailWindow::reject);
    connect(help, &QPushButton::clicked, this, [this] { requestHelp(this); });

    m_recipients->setPlainText(mailAddresses(parameters.value(QStringLiteral("destinatari"))).join(u'\n'));
    m_subject->setText(parameters.value(QStringLiteral("oggetto")).toString());
    addAttachmentPaths(textLines(parameters.value(QStringLiteral("allegati"))));
    resize(760, 600);
}

QStringList EmailWindow::recipients() const
{
    return mailAddresses(m_recipients->toPlainText());
}

QStringList EmailWindow::attachments() const
{
    QStringList paths;
    for (int i = 0; i < m_attachments->count(); ++i)
        paths.append(m_attachments->item(i)->text());
    return paths;
}

void EmailWindow::addAttachmentPaths(const QStringList &paths)
{
    const QStringList present = attachments();
    for (const QString &path : paths) {
        const QString trimmed = path.trimmed();
        if (!trimmed.isEmpty() && !present.contains(trimmed))
            m_attachments->addItem(trimmed);
    }
}

void EmailWindow::addAttachments()
{
    addAttachmentPaths(m_session.prompter().openFiles(QStringLiteral("Scegli gli allegati"), QString(),
                                                      QStringLiteral("Tutti i file (*)")));
}

void EmailWindow::removeAttachment()
{
    const QList<QListWidgetItem *> chosen = m_attachments->selectedItems();
    if (chosen.isEmpty()) {
        delete m_attachments->currentItem();
        return;
    }
    qDeleteAll(chosen);
}

void EmailWindow::removeAllAttachments()
{
    m_attachments->clear();
}

void EmailWindow::addRecipient()
{
    InsertEmailWindow ask(this);
    if (ask.exec() != QDialog::Accepted || ask.address().isEmpty())
        return;
    QStringList lines = m_recipients->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    lines.append(ask.address());
    m_recipients->setPlainText(lines.join(u'\n'));
}

void EmailWindow::removeRecipient()
{
    const int line = m_recipients->textCursor().blockNumber();
    QStringList lines = m_recipients->toPlainText().split(u'\n');
    if (line < 0 || line >= lines.size())
        return;
    lines.removeAt(line);
    lines.removeAll(QString());
    m_recipients->setPlainText(lines.join(u'\n'));
}

void EmailWindow::useDefaultText()
{
    const core::Result<QVariant> text = m_session.archive()->scalar(
        QStringLiteral("SELECT EmailTestoDefault FROM opzioni ORDER BY ID LIMIT 1"));
    if (!text) {
        m_session.prompter().message(titles::error(), text.error());
        return;
    }
    m_body->setPlainText(text->toString());
}

void EmailWindow::clearAll()
{
    m_recipients->clear();
    m_subject->clear();
    m_body->clear();
    m_attachments->clear();
}

void EmailWindow::sendAll()
{
    Prompter &prompter = m_session.prompter();
    const QStringList to = recipients();
    if (to.isEmpty()) {
        prompter.message(titles::mail(), mailMessages::missingRecipient());
        return;
    }
    const core::Result<MailSettings> settings = readMailSettings(*m_session.archive());
    if (!settings) {
        prompter.message(titles::error(), settings.error());
        return;
    }
    // Configuration gaps stop before any connection, once for the whole list.
    if (const std::optional<QString> problem = mailSettingsProblem(*settings)) {
        prompter.message(titles::mail(), *problem);
        return;
    }
    const QStringList files = attachments();
    for (const QString &file : files) {
        if (!QFileInfo(file).isFile()) {
            prompter.message(
                titles::error(),
                QStringLiteral("Attenzione l'allegato %1 non esiste o non è raggiungibile !").arg(file));
            return;
        }
    }

    MailMessage message;
    message.subject = m_subject->text();
    message.body = m_body->toPlainText();
    message.attachments = files;

    QProgressDialog progress(QString(), QStringLiteral("Interrompi"), 0, int(to.size()), this);
    progress.setObjectName(QStringLiteral("dlgInvioEmail"));
    progress.setWindowTitle(QStringLiteral("Invio email"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(to.size() > 1 ? 0 : 2000);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    // Several messages show their progress at once, not when the dialog's own timer comes round.
    if (to.size() > 1)
        progress.show();
    BackgroundSender background(m_sender);
    // Cancelling takes effect between messages: the one going out is finished, not cut.
    const MailRun run =
        sendToEach(background, *settings, message, to, [&progress](int done, int total, const QString &next) {
            progress.setLabelText(
                QStringLiteral("Invio del messaggio a %1 (%2 di %3)...").arg(next).arg(done + 1).arg(total));
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    progress.setValue(int(to.size()));
    progress.close();
    if (run.sent > 0) {
        m_sentMessages += run.sent;
        for (const QString &file : files)
            if (!m_sentAttachments.contains(file))
                m_sentAttachments.append(file);
    }
    prompter.message(titles::mail(), run.report());
}

void EmailWindow::reject()
{
    // What was sent is told to the window that opened this one (the invoice list records it).
    if (m_sentMessages > 0) {
        WindowRegistry::setChoice(this, QVariantMap{{QStringLiteral("allegati"), m_sentAttachments},
                                                    {QStringLiteral("inviati"), m_sentMessages}});
        accept();
        return;
    }
    QDialog::reject();
}

InsertEmailWindow::InsertEmailWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmInsEmail"));
    setWindowTitle(QStringLiteral("Inserisci Email"));
    WindowRegistry::setHelpContext(this, mailHelpContext);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("txtEmail"));
    m_address->setMinimumWidth(320);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("Inserisci"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    QPushButton *back = buttons->addButton(QStringLiteral("Indietro"), QDialogButtonBox::RejectRole);
    back->setObjectName(QStringLiteral("spdIndietro"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Indirizzo email"), this));
    layout->addWidget(m_address);
    layout->addWidget(buttons);
}

QString InsertEmailWindow::address() const
{
    return m_address->text().trimmed();
}

EmailAddressesWindow::EmailAddressesWindow(const QVariantMap &parameters, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmIndirizziEmail"));
    setWindowTitle(QStringLiteral("Indirizzi Email"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setPlainText(
        mailAddresses(parameters.value(QStringLiteral("indirizzi"))).join(QStringLiteral("; ")));
    QPushButton *copy = makeButton(this, "btnCopia", "Copia", "Copia gli indirizzi negli appunti");
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_text->toPlainText()); });
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(back);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    resize(520, 300);
}

QString EmailAddressesWindow::text() const
{
    return m_text->toPlainText();
}

void registerMailWindows(WindowRegistry &registry, std::shared_ptr<MailSender> sender)
{
    registry.add(QStringLiteral("TfrmEmail"), mailHelpContext,
                 [sender](Session &session, const QVariantMap &parameters, QWidget *parent) {
                     return new EmailWindow(session, *sender, parameters, parent);
                 });
    registry.add(
        QStringLiteral("TfrmInsEmail"), mailHelpContext,
        [](Session &, const QVariantMap &, QWidget *parent) { return new InsertEmailWindow(parent); });
    registry.add(QStringLiteral("TfrmIndirizziEmail"), mailHelpContext,
                 [](Session &, const QVariantMap &parameters, QWidget *parent) {
                     return new EmailAddressesWindow(parameters, parent);
                 });
}

} // namespace rotalina::shell::ui
