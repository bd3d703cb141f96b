#include "registries/parties.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/mailwindows.h"
#include "shell/ui/windowregistry.h"
#include "support/allwindows.h"
#include "support/fakemailsender.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;
using namespace rotalina::shell::ui;

namespace {

class MailWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        test::registerAllWindows(windows);
        // The program's sender is swapped for one that only listens.
        registerMailWindows(windows, fake);
        setOptions(QStringLiteral("posta.trasporti.test"), QStringLiteral("ufficio@trasporti.test"));
    }

    void setOptions(const QString &host, const QString &sender)
    {
        ASSERT_TRUE(fixture.archive()
                        .execute(QStringLiteral(
                                     "UPDATE opzioni SET SmtpHost = ?, SmtpPorta = ?, SmtpMittenteEmail = ?, "
                                     "EmailTestoDefault = ?"),
                                 {host, 0, sender, QStringLiteral("Cordiali saluti\nRossi Trasporti")})
                        .ok());
    }

    qint64 customer(const QString &name, const QString &email)
    {
        const qint64 key = registries::addCustomer(fixture.archive()).value();
        EXPECT_TRUE(registries::saveCustomer(
            fixture.archive(), key, {{QStringLiteral("Cliente"), name}, {QStringLiteral("EMail"), email}}));
        return key;
    }

    QString file(const QString &name)
    {
        const QString path = folder.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("contenuto di " + name.toUtf8());
        return path;
    }

    static QStringList listed(QDialog &window)
    {
        QStringList items;
        auto *list = window.findChild<QListWidget *>(QStringLiteral("txtAllegati"));
        for (int i = 0; i < list->count(); ++i)
            items.append(list->item(i)->text());
        return items;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    std::shared_ptr<test::FakeMailSender> fake = std::make_shared<test::FakeMailSender>();
    QTemporaryDir folder;
};

} // namespace

TEST_F(MailWindows, CustomersChosenInTheListGetOneMessageEach)
{
    customer(QStringLiteral("Alfa Logistica"), QStringLiteral("ordini@alfa.test"));
    customer(QStringLiteral("Bottega"), QStringLiteral("info@bottega.test"));
    customer(QStringLiteral("Corriere Celere"), QStringLiteral("posta@celere.test"));
    const QString pdf = file(QStringLiteral("Fattura_5_2026.pdf"));
    const QString xml = file(QStringLiteral("IT01234567890_00001.xml"));

    QDialog *list = windows.show(QStringLiteral("TfrmClienti"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto *send = list->findChild<QPushButton *>(QStringLiteral("spdEmail"));
    ASSERT_NE(send, nullptr);
    EXPECT_TRUE(send->isEnabled());

    // Nothing chosen: nothing to write to.
    list->findChild<QAbstractItemView *>()->clearSelection();
    test::click(*list, QStringLiteral("spdEmail"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione devi selezionare i contatti da copiare le email"));

    fake->refuse = {QStringLiteral("info@bottega.test")};
    bool opened = false;
    test::whenWindowOpens(QStringLiteral("TfrmEmail"), [&](QDialog &email) {
        opened = true;
        EXPECT_EQ(email.windowTitle(), QStringLiteral("Email"));
        EXPECT_EQ(WindowRegistry::helpContextOf(&email), 1800);
        EXPECT_EQ(email.findChild<QPlainTextEdit *>(QStringLiteral("txtDestinatario"))->toPlainText(),
                  QStringLiteral("ordini@alfa.test\ninfo@bottega.test\nposta@celere.test"));

        // A fourth recipient typed in the small window, then taken away again with "-".
        test::whenWindowOpens(QStringLiteral("TfrmInsEmail"), [](QDialog &ask) {
            EXPECT_EQ(ask.windowTitle(), QStringLiteral("Inserisci Email"));
            test::typeInto(ask, QStringLiteral("txtEmail"), QStringLiteral("quarto@esempio.test"));
            test::click(ask, QStringLiteral("btnOk"));
        });
        test::click(email, QStringLiteral("SpeedButton4"));
        auto *recipients = email.findChild<QPlainTextEdit *>(QStringLiteral("txtDestinatario"));
        EXPECT_TRUE(recipients->toPlainText().endsWith(QStringLiteral("\nquarto@esempio.test")));
        QTextCursor cursor = recipients->textCursor();
        cursor.movePosition(QTextCursor::End);
        recipients->setTextCursor(cursor);
        test::click(email, QStringLiteral("SpeedButton5"));
        EXPECT_EQ(recipients->toPlainText(),
                  QStringLiteral("ordini@alfa.test\ninfo@bottega.test\nposta@celere.test"));

        // Two attachments chosen, the XML taken away again.
        fixture.prompter.answerDialogs({pdf + u'|' + xml});
        test::click(email, QStringLiteral("spdInserisciPiccolo"));
        EXPECT_EQ(listed(email), (QStringList{pdf, xml}));
        auto *attachments = email.findChild<QListWidget *>(QStringLiteral("txtAllegati"));
        attachments->setCurrentRow(1);
        test::click(email, QStringLiteral("spdEliminaPiccolo"));
        EXPECT_EQ(listed(email), QStringList{pdf});

        test::typeInto(email, QStringLiteral("txtOggetto"),
                       QStringLiteral("Orari di consegna della settimana"));
        test::click(email, QStringLiteral("SpeedButton1"));
        EXPECT_EQ(email.findChild<QTextEdit *>(QStringLiteral("txtTesto"))->toPlainText(),
                  QStringLiteral("Cordiali saluti\nRossi Trasporti"));

        test::click(email, QStringLiteral("spdEmail"));
        EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di Avviso"));
        EXPECT_TRUE(fixture.prompter.lastText().startsWith(
            QStringLiteral("Termine Invio Messaggi !\n\nMessaggio Non inviato a : info@bottega.test")))
            << fixture.prompter.lastText().toStdString();
        EXPECT_FALSE(fixture.prompter.lastText().contains(QStringLiteral("ordini@alfa.test")));
        test::click(email, QStringLiteral("spdIndietro"));
    });
    list->findChild<QAbstractItemView *>()->selectAll();
    test::click(*list, QStringLiteral("spdEmail"));
    EXPECT_TRUE(opened);

    ASSERT_EQ(fake->sent.size(), 3);
    QStringList each;
    for (const MailMessage &message : std::as_const(fake->sent)) {
        ASSERT_EQ(message.recipients.size(), 1);
        each.append(message.recipients.first());
        EXPECT_EQ(message.subject, QStringLiteral("Orari di consegna della settimana"));
        EXPECT_EQ(message.body, QStringLiteral("Cordiali saluti\nRossi Trasporti"));
        EXPECT_EQ(message.attachments, QStringList{pdf});
    }
    EXPECT_EQ(each, (QStringList{QStringLiteral("ordini@alfa.test"), QStringLiteral("info@bottega.test"),
                                 QStringLiteral("posta@celere.test")}));
    EXPECT_EQ(fake->lastSettings.host, QStringLiteral("posta.trasporti.test"));
    EXPECT_EQ(effectivePort(fake->lastSettings), 25);
    list->close();
}

TEST_F(MailWindows, OpenedByNameWithItsParametersAndEmptiedByAzzera)
{
    const QString pdf = file(QStringLiteral("Commessa_7_2026.pdf"));
    EmailWindow email(*fixture.session, *fake,
                      {{QStringLiteral("destinatari"), QStringLiteral("a@esempio.test; b@esempio.test")},
                       {QStringLiteral("oggetto"), QStringLiteral("Commessa numero7 del : 02/03/2026")},
                       {QStringLiteral("allegati"), QStringList{pdf}}});
    email.show();
    EXPECT_EQ(email.recipients(),
              (QStringList{QStringLiteral("a@esempio.test"), QStringLiteral("b@esempio.test")}));
    EXPECT_EQ(email.findChild<QLineEdit *>(QStringLiteral("txtOggetto"))->text(),
              QStringLiteral("Commessa numero7 del : 02/03/2026"));
    EXPECT_EQ(email.attachments(), QStringList{pdf});
    for (const char *name :
         {"spdEmail", "spdInserisciPiccolo", "spdEliminaPiccolo", "SpeedButton3", "SpeedButton6",
          "SpeedButton1", "BitBtn1", "SpeedButton4", "SpeedButton5", "spdIndietro"})
        EXPECT_NE(email.findChild<QPushButton *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(email.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->text(), QStringLiteral("Azzera"));
    EXPECT_EQ(email.findChild<QPushButton *>(QStringLiteral("spdEmail"))->text(),
              QStringLiteral("Invia email"));

    test::click(email, QStringLiteral("SpeedButton6"));
    EXPECT_TRUE(email.attachments().isEmpty());
    email.findChild<QListWidget *>(QStringLiteral("txtAllegati"))->addItem(pdf);
    test::click(email, QStringLiteral("SpeedButton3"));
    EXPECT_TRUE(email.attachments().isEmpty());

    test::click(email, QStringLiteral("BitBtn1"));
    EXPECT_TRUE(email.recipients().isEmpty());
    EXPECT_TRUE(email.findChild<QLineEdit *>(QStringLiteral("txtOggetto"))->text().isEmpty());
    EXPECT_TRUE(email.findChild<QTextEdit *>(QStringLiteral("txtTesto"))->toPlainText().isEmpty());
    test::click(email, QStringLiteral("spdEmail"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Manca il destinatario"));
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di Avviso"));
    EXPECT_TRUE(fake->sent.isEmpty());
}

TEST_F(MailWindows, ConfigurationGapsStopBeforeAnythingIsSent)
{
    EmailWindow email(*fixture.session, *fake,
                      {{QStringLiteral("destinatari"), QStringLiteral("a@esempio.test")}});
    email.show();
    setOptions(QString(), QStringLiteral("ufficio@trasporti.test"));
    test::click(email, QStringLiteral("spdEmail"));
    EXPECT_EQ(fixture.prompter.lastText(), mailMessages::missingHost());
    setOptions(QStringLiteral("posta.trasporti.test"), QString());
    test::click(email, QStringLiteral("spdEmail"));
    EXPECT_EQ(fixture.prompter.lastText(), mailMessages::missingSender());
    EXPECT_TRUE(fake->sent.isEmpty());
}

TEST_F(MailWindows, ProgressIsShownAndCancelStopsBetweenMessages)
{
    EmailWindow email(*fixture.session, *fake,
                      {{QStringLiteral("destinatari"),
                        QStringList{QStringLiteral("a@esempio.test"), QStringLiteral("b@esempio.test"),
                                    QStringLiteral("c@esempio.test")}}});
    email.show();
    bool progressShown = false;
    // While the first message goes out the user presses "Interrompi".
    fake->whileSending = [&](int count) {
        if (count != 1)
            return;
        QMetaObject::invokeMethod(
            &email,
            [&] {
                auto *progress = email.findChild<QProgressDialog *>(QStringLiteral("dlgInvioEmail"));
                ASSERT_NE(progress, nullptr);
                progressShown = progress->isVisible();
                progress->cancel();
            },
            Qt::BlockingQueuedConnection);
    };
    test::click(email, QStringLiteral("spdEmail"));
    EXPECT_TRUE(progressShown);
    ASSERT_EQ(fake->sent.size(), 1) << "the message going out is finished, the others are not sent";
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Termine Invio Messaggi !\n\nMessaggio Non inviato a : b@esempio.test\n"
                             "Messaggio Non inviato a : c@esempio.test\n\nInvio interrotto dall'utente."));
}

TEST_F(MailWindows, AddressesWindowShowsTheAddressesToCopy)
{
    QDialog *shown =
        windows.show(QStringLiteral("TfrmIndirizziEmail"), *fixture.session, nullptr,
                     {{QStringLiteral("indirizzi"),
                       QStringList{QStringLiteral("a@esempio.test"), QStringLiteral("b@esempio.test")}}});
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Indirizzi Email"));
    EXPECT_EQ(static_cast<EmailAddressesWindow *>(shown)->text(),
              QStringLiteral("a@esempio.test; b@esempio.test"));
    shown->close();
}

TEST(MailAddressesText, SplitByLinesSemicolonsAndCommasWithoutRepeats)
{
    EXPECT_EQ(mailAddresses(QStringLiteral("a@x.it; b@x.it\n\n c@x.it ,A@X.IT")),
              (QStringList{QStringLiteral("a@x.it"), QStringLiteral("b@x.it"), QStringLiteral("c@x.it")}));
    EXPECT_EQ(mailAddresses(QStringList{QStringLiteral("a@x.it"), QString(), QStringLiteral("b@x.it")}),
              (QStringList{QStringLiteral("a@x.it"), QStringLiteral("b@x.it")}));
}

// A picture of the e-mail window for people to look at; nothing is compared.
TEST_F(MailWindows, Screenshot)
{
    const QString pictures = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(pictures));
    EmailWindow email(
        *fixture.session, *fake,
        {{QStringLiteral("destinatari"), QStringLiteral("ordini@alfa-logistica.it; info@bottega.it")},
         {QStringLiteral("oggetto"), QStringLiteral("Fattura numero 12 del : 02/03/2026")},
         {QStringLiteral("allegati"), QStringList{file(QStringLiteral("Fattura_12_2026.pdf"))}}});
    email.findChild<QTextEdit *>(QStringLiteral("txtTesto"))
        ->setPlainText(
            QStringLiteral("Gentile cliente,\nin allegato la fattura del mese.\n\nCordiali saluti\n"
                           "Autotrasporti Bianchi & Figli"));
    email.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&email));
    EXPECT_TRUE(email.grab().toImage().save(pictures + QStringLiteral("/email.png")));
}
