#include "invoicing/einvoice.h"
#include "invoicing/invoices.h"
#include "invoicing/sdisending.h"
#include "invoicingwindowfixture.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/mailwindows.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "support/fakemailsender.h"
#include "support/modaldriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using rotalina::shell::ui::DataGrid;

namespace {

const QString sdiAddress = QStringLiteral("sdi01@pec.fatturapa.it");

class SendingToTheExchangeSystem : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        shell::ui::registerMailWindows(windows, fake);
        ASSERT_TRUE(
            archive()
                .execute(QStringLiteral(
                    "UPDATE ditta SET IdPaese = 'IT', PIva = '12345670017', RagSoc = 'Rossi Trasporti', "
                    "Via = 'Via Roma', Cap = '20100', Comune = 'Milano', RegimeFiscale = 'RF01'"))
                .ok());
        ASSERT_TRUE(
            archive()
                .execute(QStringLiteral("UPDATE opzioni SET PecSdI = ?, SmtpHost = ?, SmtpMittenteEmail = ?"),
                         {sdiAddress, QStringLiteral("smtps.pec.test"), QStringLiteral("rossi@pec.test")})
                .ok());
        cash = test::addRow(archive(), QStringLiteral("ModPagamento"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Rimessa diretta")},
                             {QStringLiteral("NumeroScadenze"), 0},
                             {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP01")}});
        customer = test::addRow(archive(), QStringLiteral("Clienti"),
                                {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa")},
                                 {QStringLiteral("NominativoDocumenti"), QStringLiteral("Alfa spa")},
                                 {QStringLiteral("Cliente"), QStringLiteral("Alfa spa")},
                                 {QStringLiteral("Iva"), QStringLiteral("80000000002")},
                                 {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                 {QStringLiteral("Codice"), QStringLiteral("ABC1234")},
                                 {QStringLiteral("Via"), QStringLiteral("Corso Italia")},
                                 {QStringLiteral("Cap"), QStringLiteral("10100")},
                                 {QStringLiteral("Citta"), QStringLiteral("Torino")},
                                 {QStringLiteral("Pagamento_ID"), cash}});
    }

    qint64 invoice(const QDate &date)
    {
        invoicing::NewInvoice request;
        request.today = date;
        const core::Result<qint64> key = invoicing::createInvoice(archive(), request);
        EXPECT_TRUE(key) << key.error().toStdString();
        if (!key)
            return 0;
        EXPECT_TRUE(archive().update(QStringLiteral("fattura"), *key,
                                     {{QStringLiteral("Cliente_ID"), customer},
                                      {QStringLiteral("Cliente"), QStringLiteral("Alfa spa")},
                                      {QStringLiteral("ModPagamento_Id"), cash}}));
        test::addRow(archive(), QStringLiteral("fattdett"),
                     {{QStringLiteral("NumFatt"), *key},
                      {QStringLiteral("NumeroRiga"), 1},
                      {QStringLiteral("TipoRiga"), QStringLiteral("D")},
                      {QStringLiteral("Descrizione"), QStringLiteral("Trasporto")},
                      {QStringLiteral("Um"), 1.0},
                      {QStringLiteral("ValoreUnitario"), 300.0},
                      {QStringLiteral("AliquotaIva"), 22.0},
                      {QStringLiteral("Iva_ID"), 1},
                      {QStringLiteral("TotaleImponibile"), 300.0}});
        EXPECT_TRUE(invoicing::recomputeTotals(archive(), *key));
        return *key;
    }

    static void choose(QDialog &list, const QList<qint64> &keys)
    {
        auto *grid = list.findChild<DataGrid *>();
        grid->selectionModel()->clearSelection();
        for (const qint64 chosen : keys)
            grid->selectionModel()->select(grid->records()->index(grid->records()->rowOfKey(chosen), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QDate sentOn(qint64 invoice)
    {
        return storage::sqlvalue::toDate(
            scalar(QStringLiteral("SELECT DataInvioSdI FROM fattura WHERE ID = ?"), {invoice}));
    }

    std::shared_ptr<test::FakeMailSender> fake = std::make_shared<test::FakeMailSender>();
    qint64 cash = 0;
    qint64 customer = 0;
};

} // namespace

TEST_F(SendingToTheExchangeSystem, ExportedFilesGoToThePecAddressAndTheFirstSendingIsRecorded)
{
    const qint64 first = invoice(QDate(2026, 3, 1));
    const qint64 second = invoice(QDate(2026, 3, 2));
    const qint64 notExported = invoice(QDate(2026, 3, 3));
    QTemporaryDir folder;
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    EXPECT_TRUE(list->findChild<QPushButton *>(QStringLiteral("spdInviaSdI"))->isEnabled());

    // The export keeps where each file went.
    choose(*list, {first, second});
    fixture.prompter.answerDialogs({folder.path()});
    test::click(*list, QStringLiteral("spdEsportaXml"));
    const QString firstXml =
        scalar(QStringLiteral("SELECT NomeFileXml FROM fattura WHERE ID = ?"), {first}).toString();
    const QString secondXml =
        scalar(QStringLiteral("SELECT NomeFileXml FROM fattura WHERE ID = ?"), {second}).toString();
    ASSERT_TRUE(QFileInfo(firstXml).isFile()) << firstXml.toStdString();
    ASSERT_TRUE(QFileInfo(secondXml).isFile()) << secondXml.toStdString();
    EXPECT_EQ(QFileInfo(firstXml).absolutePath(), QDir(folder.path()).absolutePath());
    // The first one was signed as well: its envelope goes instead of the XML.
    {
        QFile signedFile(firstXml + QStringLiteral(".p7m"));
        ASSERT_TRUE(signedFile.open(QIODevice::WriteOnly));
        signedFile.write("busta firmata");
    }

    const QString firstSent = firstXml + QStringLiteral(".p7m");
    choose(*list, {first, second, notExported});
    bool opened = false;
    test::whenWindowOpens(QStringLiteral("TfrmEmail"), [&](QDialog &email) {
        opened = true;
        EXPECT_EQ(email.findChild<QPlainTextEdit *>(QStringLiteral("txtDestinatario"))->toPlainText(),
                  sdiAddress);
        EXPECT_EQ(email.findChild<QLineEdit *>(QStringLiteral("txtOggetto"))->text(),
                  QFileInfo(firstSent).fileName() + QStringLiteral(", ") + QFileInfo(secondXml).fileName());
        EXPECT_EQ(static_cast<shell::ui::EmailWindow &>(email).attachments(),
                  (QStringList{firstSent, secondXml}));
        test::click(email, QStringLiteral("spdEmail"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Termine Invio Messaggi !"));
        test::click(email, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInviaSdI"));
    ASSERT_TRUE(opened);
    // The user was told which chosen invoice has nothing to send.
    const QStringList told =
        fixture.prompter.texts().filter(QStringLiteral("non hanno un file di fattura elettronica"));
    ASSERT_EQ(told.size(), 1);
    const QString number =
        invoicing::eInvoiceNumber(invoicing::readEInvoiceSource(archive(), notExported).value());
    EXPECT_EQ(told.first(), invoicing::sdiMessages::notExported({number}));
    EXPECT_TRUE(told.first().endsWith(u'\n' + number)) << told.first().toStdString();
    ASSERT_EQ(fake->sent.size(), 1);
    EXPECT_EQ(fake->sent.first().recipients, QStringList{sdiAddress});
    EXPECT_EQ(sentOn(first), QDate(2026, 3, 10));
    EXPECT_EQ(sentOn(second), QDate(2026, 3, 10));
    EXPECT_FALSE(sentOn(notExported).isValid());

    // Sent again later: the first day stays.
    fixture.session->setToday(QDate(2026, 3, 12));
    choose(*list, {first});
    test::whenWindowOpens(QStringLiteral("TfrmEmail"), [&](QDialog &email) {
        test::click(email, QStringLiteral("spdEmail"));
        test::click(email, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInviaSdI"));
    EXPECT_EQ(fake->sent.size(), 2);
    EXPECT_EQ(sentOn(first), QDate(2026, 3, 10));

    // Closed without sending: nothing recorded.
    choose(*list, {notExported});
    fixture.prompter.clear();
    test::click(*list, QStringLiteral("spdInviaSdI"));
    EXPECT_EQ(fixture.prompter.texts().size(), 1);
    EXPECT_FALSE(sentOn(notExported).isValid());
    list->close();
}

TEST_F(SendingToTheExchangeSystem, WithoutThePecAddressNothingOpens)
{
    const qint64 key = invoice(QDate(2026, 3, 1));
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET PecSdI = NULL")).ok());
    const core::Result<invoicing::SdiSelection> selection = invoicing::sdiSelection(archive(), {key});
    ASSERT_TRUE(selection.ok());
    EXPECT_TRUE(selection->address.isEmpty());
    EXPECT_EQ(selection->missingNumbers.size(), 1);
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    choose(*list, {key});
    test::click(*list, QStringLiteral("spdInviaSdI"));
    EXPECT_EQ(fixture.prompter.lastText(), invoicing::sdiMessages::missingAddress());
    EXPECT_TRUE(fake->sent.isEmpty());
    list->close();
}
