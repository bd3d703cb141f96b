#include "invoicingwindowfixture.h"
#include "purchases/ui/einvoiceimportwindow.h"
#include "shell/scriptedprompter.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/mainwindow.h"
#include "storage/recordlistmodel.h"
#include "support/modaldriver.h"
#include "testinvoicefile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

class ElectronicInvoiceImportWindow : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        ASSERT_TRUE(
            archive().execute(QStringLiteral("UPDATE ditta SET PIva = ?"), {QStringLiteral("12345670017")}));
    }

    void write(const QString &name, const QByteArray &content)
    {
        QFile file(QDir(folder.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir folder;
};

TEST_F(ElectronicInvoiceImportWindow, AMonthOfSuppliersFilesComesInFromTheMainWindowWithItsReport)
{
    test::TestInvoice invoice;
    write(QStringLiteral("IT01234567897_00001.xml"), invoice.xml());
    invoice.number = QStringLiteral("F-102");
    invoice.supplierVat = QStringLiteral("07643520567");
    invoice.supplierName = QStringLiteral("Officina Bianchi");
    write(QStringLiteral("IT07643520567_00002.xml"), invoice.xml());
    invoice.recipientVat = QStringLiteral("99999999999");
    invoice.number = QStringLiteral("F-103");
    write(QStringLiteral("IT07643520567_00003.xml"), invoice.xml());
    write(QStringLiteral("IT07643520567_00003_RC_001.xml"),
          "<ns3:RicevutaConsegna "
          "xmlns:ns3=\"x\"><IdentificativoSdI>1</IdentificativoSdI></ns3:RicevutaConsegna>");
    write(QStringLiteral("leggimi.txt"), "not an invoice, not even looked at");

    shell::ui::MainWindow main(*fixture.session, windows);
    auto *button = main.findChild<QToolButton *>(QStringLiteral("btnImportaFatturaElettronica"));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    // The whole folder is chosen; the document for another firm is refused when asked.
    fixture.prompter.answerDialogs({folder.path()});
    fixture.prompter.answerQuestions({false});
    const QString saved = QDir(folder.path()).filePath(QStringLiteral("esito.txt"));
    bool reported = false;
    test::whenWindowOpens(QStringLiteral("TfrmEsitoImportazioneXml"), [&](QDialog &report) {
        reported = true;
        auto *summary = report.findChild<QLabel *>(QStringLiteral("lblRiepilogo"));
        ASSERT_NE(summary, nullptr);
        EXPECT_EQ(summary->text(),
                  QStringLiteral("Termine importazione documento. Documenti importati: 2, saltati: 0, "
                                 "con errori: 2."));
        auto *grid = report.findChild<QTableWidget *>(QStringLiteral("DBGrid1"));
        ASSERT_NE(grid, nullptr);
        ASSERT_EQ(grid->rowCount(), 4);
        EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("Importata"));
        EXPECT_EQ(grid->item(0, 4)->text(), QStringLiteral("SOCIETA' ALPHA S.R.L."));
        EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("18,30"));
        EXPECT_EQ(grid->item(2, 0)->text(), QStringLiteral("Errore"));
        EXPECT_TRUE(grid->item(2, 6)->text().contains(QStringLiteral("non indirizzato")))
            << grid->item(2, 6)->text().toStdString();
        EXPECT_TRUE(grid->item(3, 6)->text().contains(QStringLiteral("RicevutaConsegna")));

        fixture.prompter.answerDialogs({saved});
        test::click(report, QStringLiteral("btnSalva"));
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 5);
        EXPECT_EQ(lines.at(1),
                  QStringLiteral("IMPORTATA IT01234567897_00001.xml TD01 F-101 SOCIETA' ALPHA S.R.L. 18.30"));
        EXPECT_TRUE(
            lines.at(4).startsWith(QStringLiteral("ERRORE IT07643520567_00003_RC_001.xml: ricevuta")));

        // The imported document opens from its row.
        grid->setCurrentCell(1, 0);
        bool opened = false;
        test::whenWindowOpens(QStringLiteral("TfrmCarico"), [&](QDialog &document) {
            opened = true;
            EXPECT_TRUE(document.windowTitle().size() > 0);
            document.reject();
        });
        test::click(report, QStringLiteral("btnApri"));
        EXPECT_TRUE(opened);
        test::click(report, QStringLiteral("btnChiudi"));
    });
    button->click();
    ASSERT_TRUE(reported);
    int questions = 0;
    int messages = 0;
    for (const shell::ScriptedPrompter::Shown &shown : fixture.prompter.shown()) {
        questions += shown.kind == shell::ScriptedPrompter::Kind::Question ? 1 : 0;
        messages += shown.kind == shell::ScriptedPrompter::Kind::Message ? 1 : 0;
    }
    EXPECT_EQ(questions, 1) << "only about the other firm's document";
    EXPECT_EQ(messages, 0) << fixture.prompter.lastText().toStdString();

    // The purchase list shows what came in.
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaCarico"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    auto *grid = list->findChild<shell::ui::DataGrid *>();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->records()->rowCount(), 2);
    list->close();
}

TEST_F(ElectronicInvoiceImportWindow, CancellingTheFileDialogDoesNothing)
{
    write(QStringLiteral("fattura.xml"), test::TestInvoice{}.xml());
    windows.open(QStringLiteral("ImportaFatturaElettronica"), *fixture.session, nullptr);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM fattura")), 0);
    EXPECT_EQ(fixture.prompter.texts().size(), 1) << "the file dialog, and no message after it";
}

} // namespace
