#include "invoicingwindowfixture.h"
#include "purchases/ui/vatsettlementwindows.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "storage/recordlistmodel.h"
#include "support/modaldriver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

class VatSettlementWindows : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        // A sale and a purchase of the first quarter of 2026 at 22 %, and a sale outside VAT.
        sale(1000, 1);
        sale(300, 7);
        const qint64 purchase = test::addRow(archive(), QStringLiteral("fattura"),
                                             {{QStringLiteral("Carico"), true},
                                              {QStringLiteral("FattNota"), false},
                                              {QStringLiteral("Data"), QDate(2026, 2, 1)},
                                              {QStringLiteral("DataRegistrazione"), QDate(2026, 2, 3)}});
        test::addRow(archive(), QStringLiteral("Movimenti"),
                     {{QStringLiteral("Fattura_ID"), purchase},
                      {QStringLiteral("TotaleImponibile"), 500.0},
                      {QStringLiteral("Iva_id"), 1},
                      {QStringLiteral("AliquotaIva"), 22.0}});
    }

    void sale(double taxable, qint64 code)
    {
        const qint64 invoice = test::addRow(archive(), QStringLiteral("fattura"),
                                            {{QStringLiteral("Carico"), false},
                                             {QStringLiteral("FattNota"), false},
                                             {QStringLiteral("Data"), QDate(2026, 1, 20)}});
        test::addRow(archive(), QStringLiteral("fattdett"),
                     {{QStringLiteral("NumFatt"), invoice},
                      {QStringLiteral("TotaleImponibile"), taxable},
                      {QStringLiteral("Iva_ID"), code},
                      {QStringLiteral("AliquotaIva"), code == 1 ? 22.0 : 0.0}});
    }

    static QDialog *topLevel(const char *name)
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String(name) && widget->isVisible())
                return qobject_cast<QDialog *>(widget);
        return nullptr;
    }

    static QString text(QWidget &window, const char *editor)
    {
        auto *box = window.findChild<QLineEdit *>(QLatin1String(editor));
        EXPECT_NE(box, nullptr) << editor;
        return box ? box->text() : QString();
    }
};

TEST_F(VatSettlementWindows, TheMainWindowsButtonOpensTheFirmsListAndANewQuarterIsSettledThere)
{
    ASSERT_TRUE(windows.open(QStringLiteral("ChiusuraIva"), *fixture.session, nullptr));
    QDialog *list = topLevel("TfrmGrigliaContabilitaChiusuraIva");
    ASSERT_NE(list, nullptr) << "quarterly settlements unless the options say monthly";
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &settlements = static_cast<shell::ui::RegistryListWindow &>(*list);

    // "Aggiungi": today's quarter; "Calcola" asked first, then the figures on every page.
    fixture.prompter.answerQuestions({true});
    test::whenWindowOpens(QStringLiteral("TfrmContabilitaChiusuraIva"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &settlement = static_cast<purchases::ui::SettlementWindow &>(window);
        EXPECT_EQ(text(window, "edtAnno"), QStringLiteral("2026"));
        EXPECT_EQ(settlement.pages()->tabText(0), QStringLiteral("Generale   "));
        EXPECT_EQ(settlement.pages()->count(), 5);
        test::click(window, QStringLiteral("btnCalcola"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Sei sicuro di voler ricalcolare questo Trimestre ?"));
        EXPECT_EQ(text(window, "edtTotaleIvaDebito"), QStringLiteral("220,00"));
        EXPECT_EQ(text(window, "edtTotaleIvaCredito"), QStringLiteral("110,00"));
        EXPECT_EQ(text(window, "edtVenditaImponibileNonSoggetta"), QStringLiteral("300,00"));
        auto *sales = window.findChild<QAbstractItemView *>(QStringLiteral("grdVendite"));
        ASSERT_NE(sales, nullptr);
        EXPECT_EQ(sales->model()->rowCount(), 1);
        auto *outside = window.findChild<QAbstractItemView *>(QStringLiteral("grdVenditeNonSoggetta"));
        ASSERT_NE(outside, nullptr);
        EXPECT_EQ(outside->model()->rowCount(), 1);

        // An emptied year is refused before anything changes.
        auto *year = window.findChild<QLineEdit *>(QStringLiteral("edtAnno"));
        ASSERT_NE(year, nullptr);
        year->setFocus();
        year->selectAll();
        QTest::keyClick(year, Qt::Key_Delete);
        fixture.prompter.answerQuestions({true});
        test::click(window, QStringLiteral("btnCalcola"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione E' necessario definire correttamente l'anno di calcolo..."));
        test::click(window, QStringLiteral("spdSalva"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca l' Anno"));
        test::typeInto(window, QStringLiteral("edtAnno"), QStringLiteral("2026"));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestre WHERE "
                                              "Anno = 2026 AND Trimestre = 1 AND TotaleIvaDebito = 220")),
        1);
    EXPECT_EQ(settlements.records().rowCount(), 1);

    // The next "Aggiungi" is the second quarter, left with "Annulla": nothing stays.
    fixture.prompter.answerQuestions({true});
    test::whenWindowOpens(QStringLiteral("TfrmContabilitaChiusuraIva"), [&](QDialog &window) {
        EXPECT_EQ(static_cast<purchases::ui::SettlementWindow &>(window).form().values().value(
                      QStringLiteral("Trimestre")),
                  2);
        test::click(window, QStringLiteral("spdAnnulla"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestre")),
              1);

    // "Elimina" asks and takes the rows with the settlement.
    settlements.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Sei sicuro di voler eliminare questo Trimestre ?"));
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestreRighe")),
        0);
    list->close();

    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET ChiusuraIvaMensile = ?"), {true}));
    ASSERT_TRUE(windows.open(QStringLiteral("ChiusuraIva"), *fixture.session, nullptr));
    QDialog *monthly = topLevel("TfrmGrigliaContabilitaChiusuraIvaMensile");
    ASSERT_NE(monthly, nullptr);
    fixture.prompter.answerQuestions({true});
    test::whenWindowOpens(QStringLiteral("TfrmContabilitaChiusuraIvaMensile"), [&](QDialog &window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Chiusura Iva Mensile"));
        test::click(window, QStringLiteral("btnCalcola"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Sei sicuro di voler ricalcolare questo mese ?"));
        EXPECT_EQ(text(window, "edtTotaleIvaDebito"), QStringLiteral("0,00")) << "March has no documents";
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*monthly, QStringLiteral("spdInserisci"));
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaMensile WHERE "
                                              "Mese = 3 AND DescrizioneMese = 'Marzo'")),
        1);
    monthly->close();
}

} // namespace
