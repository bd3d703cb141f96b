#include "invoicing/ui/rejectioncodewindows.h"
#include "shell/mainmenu.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/gridlayoutmenu.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace rotalina;
using namespace rotalina::shell::ui;

namespace {

const QString listName = QStringLiteral("TfrmGrigliaErroriFatturazioneElettronica");
const QString detailName = QStringLiteral("TfrmDettaglioErroriFatturazioneElettronica");

struct Code
{
    const char *code;
    const char *title;
    const char *description;
    const char *suggestions;
};

// "10010" holds "00" without beginning with it, and "20300"'s title holds "l'importo" in the
// middle: a search by "contains" would find them, one by the beginning must not.
const Code codes[] = {
    {"00404", "Fattura duplicata", "Il file è già stato inviato.\nNumero e data coincidono.",
     "Verificare di non aver già trasmesso la fattura."},
    {"00100", "Certificato di firma scaduto", "Il certificato di firma è scaduto.",
     "Firmare di nuovo con un certificato valido."},
    {"20300", "Verifica dell'aliquota: l'importo non torna", "Aliquota e imposta non concordano.",
     "Ricalcolare l'imposta."},
    {"00423", "L'importo del prezzo totale non è corretto",
     "Il PrezzoTotale non è il prodotto di quantità e prezzo unitario.\nLe differenze di un centesimo sono "
     "ammesse.",
     "Ricalcolare l'importo della riga: quantità per prezzo, meno gli sconti."},
    {"10010", "File non conforme al formato", "Il file non rispetta lo schema.", "Controllare il tracciato."},
    {"00200", "File non integro", "Il file è stato alterato dopo la firma.",
     "Rigenerare il file e firmarlo."},
};

class RejectionCodeWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        grid_layouts::install(*fixture.session);
        invoicing::ui::registerRejectionCodeWindows(windows);
        ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM PA_Errori")).ok());
        for (const Code &c : codes)
            add(c);
    }

    void TearDown() override { delete shownList.data(); }

    storage::Archive &archive() { return fixture.archive(); }

    void add(const Code &c)
    {
        test::addRow(archive(), QStringLiteral("PA_Errori"),
                     {{QStringLiteral("Codice"), QString::fromUtf8(c.code)},
                      {QStringLiteral("Titolo"), QString::fromUtf8(c.title)},
                      {QStringLiteral("Descrizione"), QString::fromUtf8(c.description)},
                      {QStringLiteral("Suggerimenti"), QString::fromUtf8(c.suggestions)}});
    }

    // The list as the main window's button opens it, or null.
    QDialog *openList()
    {
        QString target;
        for (const shell::MenuButton &button : shell::mainMenuButtons()) {
            if (button.objectName == u"btnErroriFatturaElettronica")
                target = button.target;
        }
        EXPECT_TRUE(windows.has(target)) << "the main window's button stays disabled";
        shownList = windows.show(target, *fixture.session, nullptr);
        if (shownList) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(shownList));
        }
        return shownList;
    }

    DataGrid &grid(QDialog &window)
    {
        auto *grid = window.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
        EXPECT_NE(grid, nullptr);
        return *grid;
    }

    // The codes the list shows, top to bottom.
    QStringList shownCodes(QDialog &window)
    {
        QStringList shown;
        const storage::RecordListModel *rows = grid(window).records();
        for (int row = 0; row < rows->rowCount(); ++row)
            shown.append(rows->value(row, QStringLiteral("Codice")).toString());
        return shown;
    }

    // Replaces what a search field holds with keys typed as a user types them.
    static void search(QDialog &window, const char *field, const QString &typed)
    {
        auto *edit = window.findChild<QLineEdit *>(QStringLiteral("edtFiltro") + QLatin1String(field));
        ASSERT_NE(edit, nullptr) << field;
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, typed);
    }

    // What the detail window shows when it opens from the list, read while it is open; the
    // window is left with "Indietro".
    QStringList detailOpenedBy(const std::function<void()> &action)
    {
        // Shared: a window that opens late is read after this call returned.
        auto shown = std::make_shared<QStringList>();
        test::whenWindowOpens(detailName, [shown](QDialog &detail) {
            const auto line = [&detail](const char *name) {
                auto *edit = detail.findChild<QLineEdit *>(QLatin1String(name));
                return edit ? edit->text() : QStringLiteral("<none>");
            };
            const auto memo = [&detail](const char *name) {
                auto *edit = detail.findChild<QPlainTextEdit *>(QLatin1String(name));
                return edit ? edit->toPlainText() : QStringLiteral("<none>");
            };
            *shown = {line("edtCodice"), line("edtTitolo"), memo("memDescrizione"), memo("memSuggerimenti")};
            test::click(detail, QStringLiteral("spdIndietro"));
        });
        action();
        return *shown;
    }

    static QStringList texts(const Code &c)
    {
        return {QString::fromUtf8(c.code), QString::fromUtf8(c.title), QString::fromUtf8(c.description),
                QString::fromUtf8(c.suggestions)};
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    QPointer<QDialog> shownList;
};

} // namespace

TEST_F(RejectionCodeWindows, TheListShowsEveryCodeInOrderUnderItsCaptions)
{
    QDialog *opened = openList();
    ASSERT_NE(opened, nullptr);
    QDialog &list = *opened;
    EXPECT_EQ(list.objectName(), listName);
    EXPECT_EQ(list.windowTitle(), QStringLiteral("Elenco Errori scarto fatturazione elettronica"));
    EXPECT_EQ(windows.helpContext(listName), 1200);
    EXPECT_EQ(windows.helpContext(detailName), 1200);
    EXPECT_EQ(grid(list).gridName(), QStringLiteral("frmGrigliaErroriFatturazioneElettronica"));
    QStringList titles;
    for (const shell::GridColumn &column : grid(list).shownColumns())
        titles.append(column.title);
    EXPECT_EQ(titles, QStringList({"Codice", "Titolo", "Descrizione", "Suggerimenti"}));
    EXPECT_EQ(shownCodes(list), QStringList({"00100", "00200", "00404", "00423", "10010", "20300"}));

    // Both search fields stand in the "Cerca Per" box, each with its caption.
    QGroupBox *searchBox = nullptr;
    for (QGroupBox *box : list.findChildren<QGroupBox *>()) {
        if (box->title() == u"Cerca Per")
            searchBox = box;
    }
    ASSERT_NE(searchBox, nullptr);
    QStringList captions;
    for (QLabel *label : searchBox->findChildren<QLabel *>()) {
        if (label->buddy())
            captions.append(label->text() + u'=' + label->buddy()->objectName());
    }
    EXPECT_EQ(captions, QStringList({"Codice=edtFiltroCodice", "Titolo=edtFiltroTitolo"}));

    const struct
    {
        const char *name;
        const char *hint;
    } buttons[] = {{"spdHelp", "Guida in linea del programma"},
                   {"spdAggiorna", "Ricarica i dati dal database"},
                   {"spdIndietro", "Torna indietro"},
                   {"spdAvanti", "và avanti"}};
    for (const auto &b : buttons) {
        auto *button = list.findChild<QPushButton *>(QLatin1String(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_TRUE(button->isVisible()) << b.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.name;
    }
}

TEST_F(RejectionCodeWindows, CodesAndTitlesAreFoundByTheirBeginningJoinedWithAnd)
{
    QDialog *opened = openList();
    ASSERT_NE(opened, nullptr);
    QDialog &list = *opened;
    search(list, "Codice", QStringLiteral("00"));
    EXPECT_EQ(shownCodes(list), QStringList({"00100", "00200", "00404", "00423"}))
        << "10010 holds 00 but does not begin with it";
    search(list, "Codice", QStringLiteral("004"));
    EXPECT_EQ(shownCodes(list), QStringList({"00404", "00423"}));
    search(list, "Codice", QStringLiteral("*"));
    EXPECT_EQ(shownCodes(list).size(), 6) << "a lone * asks nothing";

    search(list, "Titolo", QStringLiteral("l'importo"));
    EXPECT_EQ(shownCodes(list), QStringList({"00423"}))
        << "the apostrophe is searched for, and a title holding it in the middle is not found";
    EXPECT_TRUE(fixture.prompter.lastText().isEmpty()) << fixture.prompter.lastText().toStdString();
    search(list, "Titolo", QStringLiteral("file"));
    EXPECT_EQ(shownCodes(list), QStringList({"00200", "10010"})) << "titles ignore case";
    search(list, "Codice", QStringLiteral("00"));
    EXPECT_EQ(shownCodes(list), QStringList({"00200"})) << "both fields narrow the list";
    search(list, "Titolo", QString());
    search(list, "Codice", QStringLiteral("9"));
    EXPECT_TRUE(shownCodes(list).isEmpty());
    search(list, "Codice", QString());
    EXPECT_EQ(shownCodes(list).size(), 6) << "empty fields ask nothing";
}

TEST_F(RejectionCodeWindows, AvantiAndADoubleClickShowTheDetailOfTheCurrentRow)
{
    QDialog *opened = openList();
    ASSERT_NE(opened, nullptr);
    QDialog &list = *opened;
    // The row the list stood on is gone after the search: "Avanti" shows the one found.
    search(list, "Titolo", QStringLiteral("L'IMPORTO"));
    EXPECT_EQ(detailOpenedBy([&list] { test::click(list, QStringLiteral("spdAvanti")); }), texts(codes[3]));

    search(list, "Titolo", QString());
    DataGrid &rows = grid(list);
    const int duplicate = shownCodes(list).indexOf(QStringLiteral("00404"));
    ASSERT_GE(duplicate, 0);
    const QRect cell = rows.visualRect(rows.model()->index(duplicate, 1));
    EXPECT_EQ(detailOpenedBy([&rows, &cell] {
                  QTest::mouseClick(rows.viewport(), Qt::LeftButton, {}, cell.center());
                  QTest::mouseDClick(rows.viewport(), Qt::LeftButton, {}, cell.center());
              }),
              texts(codes[0]));

    // Nothing to show: "Avanti" opens nothing.
    search(list, "Codice", QStringLiteral("999"));
    bool detailShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&detailShown] {
        if (auto *shown = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            shown && shown->objectName() == detailName) {
            detailShown = true;
            shown->reject();
        }
    });
    watch.start(20);
    test::click(list, QStringLiteral("spdAvanti"));
    QTest::qWait(100);
    EXPECT_FALSE(detailShown);
}

TEST_F(RejectionCodeWindows, RicaricaReadsTheCodesLoadedMeanwhile)
{
    QDialog *opened = openList();
    ASSERT_NE(opened, nullptr);
    QDialog &list = *opened;
    search(list, "Codice", QStringLiteral("003"));
    EXPECT_TRUE(shownCodes(list).isEmpty());
    // Another workstation loads a newer table.
    auto elsewhere = test::openAgain(archive().location());
    ASSERT_TRUE(elsewhere
                    ->execute(QStringLiteral("INSERT INTO PA_Errori (Codice, Titolo, Descrizione, "
                                             "Suggerimenti) VALUES (?, ?, ?, ?)"),
                              {QStringLiteral("00305"), QStringLiteral("IdFiscaleIVA non valido"),
                               QStringLiteral("La partita IVA del cessionario non esiste."),
                               QStringLiteral("Verificare la partita IVA del cliente.")})
                    .ok());
    EXPECT_TRUE(shownCodes(list).isEmpty()) << "the list is read when asked";
    test::click(list, QStringLiteral("spdAggiorna"));
    EXPECT_EQ(shownCodes(list), QStringList({"00305"}));
    EXPECT_EQ(detailOpenedBy([&list] { test::click(list, QStringLiteral("spdAvanti")); }),
              QStringList({"00305", "IdFiscaleIVA non valido", "La partita IVA del cessionario non esiste.",
                           "Verificare la partita IVA del cliente."}));
}

TEST_F(RejectionCodeWindows, NothingIsAddedDeletedOrChanged)
{
    QDialog *opened = openList();
    ASSERT_NE(opened, nullptr);
    QDialog &list = *opened;
    for (const char *name : {"spdInserisci", "spdElimina", "spdSalva"}) {
        auto *button = list.findChild<QPushButton *>(QLatin1String(name));
        EXPECT_TRUE(!button || !button->isVisible()) << name;
    }

    search(list, "Codice", QStringLiteral("00423"));
    DataGrid &rows = grid(list);
    QTest::mouseClick(rows.viewport(), Qt::LeftButton, {},
                      rows.visualRect(rows.model()->index(0, 1)).center());
    int detailsShown = 0;
    test::whenWindowOpens(detailName, [&detailsShown](QDialog &detail) {
        ++detailsShown;
        EXPECT_EQ(detail.windowTitle(), QStringLiteral("Errore Fatturazione Elettronica"));
        for (const char *name : {"spdSalva", "spdAnnulla", "spdInserisci", "spdElimina"}) {
            auto *button = detail.findChild<QPushButton *>(QLatin1String(name));
            EXPECT_TRUE(!button || !button->isVisible()) << name;
        }
        for (const char *name : {"spdHelp", "spdIndietro"}) {
            auto *button = detail.findChild<QPushButton *>(QLatin1String(name));
            EXPECT_TRUE(button && button->isVisible()) << name;
        }
        // What a user types over the texts changes nothing.
        test::typeInto(detail, QStringLiteral("edtCodice"), QStringLiteral("99999"));
        test::typeInto(detail, QStringLiteral("edtTitolo"), QStringLiteral("Titolo cambiato"));
        test::typeInto(detail, QStringLiteral("memDescrizione"), QStringLiteral("Descrizione cambiata"));
        test::typeInto(detail, QStringLiteral("memSuggerimenti"), QStringLiteral("Altro"));
        EXPECT_EQ(detail.findChild<QLineEdit *>(QStringLiteral("edtTitolo"))->text(),
                  QString::fromUtf8(codes[3].title));
        EXPECT_EQ(detail.findChild<QPlainTextEdit *>(QStringLiteral("memDescrizione"))->toPlainText(),
                  QString::fromUtf8(codes[3].description));
        test::click(detail, QStringLiteral("spdIndietro"));
    });
    test::click(list, QStringLiteral("spdAvanti"));
    // And Esc leaves it as "Indietro" does.
    test::whenWindowOpens(detailName, [&detailsShown](QDialog &detail) {
        ++detailsShown;
        test::typeInto(detail, QStringLiteral("edtTitolo"), QStringLiteral("Titolo cambiato"));
        QTest::keyClick(&detail, Qt::Key_Escape);
    });
    test::click(list, QStringLiteral("spdAvanti"));
    EXPECT_EQ(detailsShown, 2);

    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM PA_Errori")), 6);
    for (const Code &c : codes) {
        EXPECT_EQ(test::count(archive(),
                              QStringLiteral("SELECT COUNT(*) FROM PA_Errori WHERE Codice = ? AND Titolo = ? "
                                             "AND Descrizione = ? AND Suggerimenti = ?"),
                              {QString::fromUtf8(c.code), QString::fromUtf8(c.title),
                               QString::fromUtf8(c.description), QString::fromUtf8(c.suggestions)}),
                  1)
            << c.code;
    }
    EXPECT_TRUE(fixture.prompter.lastText().isEmpty()) << fixture.prompter.lastText().toStdString();
}

TEST_F(RejectionCodeWindows, TitlesSortBothWaysAndTheGridKeepsItsLayoutUnderItsName)
{
    QDialog *opened = openList();
    ASSERT_NE(opened, nullptr);
    QDialog &list = *opened;
    DataGrid &rows = grid(list);
    QHeaderView *header = rows.horizontalHeader();
    const auto clickTitle = [header](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    clickTitle(1);
    EXPECT_EQ(shownCodes(list).first(), QStringLiteral("00100")) << "Certificato… comes first";
    EXPECT_EQ(shownCodes(list).last(), QStringLiteral("20300")) << "Verifica… comes last";
    clickTitle(1);
    EXPECT_EQ(shownCodes(list).first(), QStringLiteral("20300"));
    EXPECT_EQ(shownCodes(list).last(), QStringLiteral("00100"));

    QStringList commands;
    QTimer::singleShot(0, [&commands] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction *action : menu->actions()) {
            commands.append(action->text());
            if (action->text() == u"Salva Griglia")
                action->trigger();
        }
        menu->close();
    });
    const QPoint at(rows.columnViewportPosition(0) + 5, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, rows.viewport()->mapToGlobal(at));
    QApplication::sendEvent(rows.viewport(), &event);
    EXPECT_EQ(commands, QStringList({"Salva Griglia", "Elimina Colonna", "Reset Griglia"}));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Griglie WHERE NomeGriglia = ?"),
                          {QStringLiteral("frmGrigliaErroriFatturazioneElettronica")}),
              1);
}
