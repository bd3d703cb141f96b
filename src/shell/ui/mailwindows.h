#pragma once

#include <QDialog>
#include <QStringList>
#include <QVariantMap>
#include <memory>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTextEdit;

namespace rotalina::shell {
class MailSender;
class Session;
} // namespace rotalina::shell

namespace rotalina::shell::ui {

class WindowRegistry;

// The addresses of a recipients text or list: one per line, or several on a line separated by
// ";" or "," as customers' records often hold them; blanks and repeats left out.
QStringList mailAddresses(const QVariant &recipients);

// TfrmEmail ("Email"): a message with attachments sent to each recipient on its own through the
// mail server of the options. Opened by name with "destinatari" (a text or a list), "oggetto" and
// "allegati" (a list of files). When it closes after sending something it is accepted, and its
// choice names the attachments that reached at least one recipient ("allegati").
class EmailWindow : public QDialog
{
    Q_OBJECT

public:
    EmailWindow(Session &session, MailSender &sender, const QVariantMap &parameters,
                QWidget *parent = nullptr);

    QStringList recipients() const;
    QStringList attachments() const;

    // "Invia email": one message per recipient, then "Termine Invio Messaggi !" with the
    // recipients not reached.
    void sendAll();
    // spdInserisciPiccolo, spdEliminaPiccolo, SpeedButton3 / SpeedButton6.
    void addAttachments();
    void removeAttachment();
    void removeAllAttachments();
    // SpeedButton4, SpeedButton5: a recipient typed in TfrmInsEmail; the one under the cursor.
    void addRecipient();
    void removeRecipient();
    // SpeedButton1: the default text of the options as the body.
    void useDefaultText();
    // BitBtn1 "Azzera".
    void clearAll();
    // "Indietro", Esc.
    void reject() override;

    // The attachments sent so far.
    const QStringList &sentAttachments() const { return m_sentAttachments; }

private:
    void addAttachmentPaths(const QStringList &paths);

    Session &m_session;
    MailSender &m_sender;
    QPlainTextEdit *m_recipients = nullptr;
    QLineEdit *m_subject = nullptr;
    QTextEdit *m_body = nullptr;
    QListWidget *m_attachments = nullptr;
    QStringList m_sentAttachments;
    int m_sentMessages = 0;
};

// TfrmInsEmail ("Inserisci Email"): asks for one address.
class InsertEmailWindow : public QDialog
{
    Q_OBJECT

public:
    explicit InsertEmailWindow(QWidget *parent = nullptr);
    QString address() const;

private:
    QLineEdit *m_address = nullptr;
};

// TfrmIndirizziEmail ("Indirizzi Email"): addresses as text, to copy into another program.
// Opened by name with "indirizzi" (a text or a list).
class EmailAddressesWindow : public QDialog
{
    Q_OBJECT

public:
    explicit EmailAddressesWindow(const QVariantMap &parameters, QWidget *parent = nullptr);
    QString text() const;

private:
    QPlainTextEdit *m_text = nullptr;
};

// Registers the three windows; the e-mail window sends through the sender given (the program's
// libcurl sender, a fake in tests; registering again replaces it).
void registerMailWindows(WindowRegistry &registry, std::shared_ptr<MailSender> sender);

} // namespace rotalina::shell::ui
