#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/datebox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/translations.h"

#include <QApplication>
#include <QCompleter>
#include <QFileInfo>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTranslator>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace rotalina::shell::ui;

namespace {

QColor base(QWidget *widget)
{
    return widget->palette().color(QPalette::Base);
}

struct Form
{
    Form()
    {
        EntryNavigation::install();
        auto *layout = new QVBoxLayout(&window);
        for (QLineEdit **edit : {&first, &second, &third}) {
            *edit = new QLineEdit(&window);
            layout->addWidget(*edit);
        }
        memo = new QPlainTextEdit(&window);
        layout->addWidget(memo);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
    QLineEdit *first = nullptr;
    QLineEdit *second = nullptr;
    QLineEdit *third = nullptr;
    QPlainTextEdit *memo = nullptr;
};

} // namespace

TEST(EntryNavigation, TheFocusedFieldIsAquaAndTurnsWhiteWhenLeft)
{
    Form form;
    form.first->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(base(form.first), QColor(0, 255, 255));
    QTest::keyClick(form.first, Qt::Key_Return);
    EXPECT_TRUE(form.second->hasFocus());
    EXPECT_EQ(base(form.first), QColor(Qt::white));
    EXPECT_EQ(base(form.second), QColor(0, 255, 255));
}

TEST(EntryNavigation, EnterAndArrowsMoveBetweenFields)
{
    Form form;
    form.first->setFocus();
    QTest::keyClick(form.first, Qt::Key_Enter);
    EXPECT_TRUE(form.second->hasFocus());
    QTest::keyClick(form.second, Qt::Key_Down);
    EXPECT_TRUE(form.third->hasFocus());
    QTest::keyClick(form.third, Qt::Key_Up);
    EXPECT_TRUE(form.second->hasFocus());
    form.memo->setFocus();
    QTest::keyClick(form.memo, Qt::Key_Return);
    EXPECT_TRUE(form.memo->hasFocus()) << "Enter in a long text starts a new line";
    EXPECT_EQ(form.memo->toPlainText(), QStringLiteral("\n"));
    EntryNavigation::navigateLikeALine(form.memo);
    QTest::keyClick(form.memo, Qt::Key_Up);
    EXPECT_TRUE(form.third->hasFocus()) << "a text area that is only read moves on like a line";
}

TEST(EntryNavigation, MarkedFieldsTypeTheAcuteAccentForTheApostrophe)
{
    Form form;
    EntryNavigation::typeAcuteForApostrophe(form.second);
    form.second->setFocus();
    QTest::keyClicks(form.second, QStringLiteral("D'Angelo"));
    EXPECT_EQ(form.second->text(), QStringLiteral("D´Angelo"));
    form.first->setFocus();
    QTest::keyClicks(form.first, QStringLiteral("l'ufficio"));
    EXPECT_EQ(form.first->text(), QStringLiteral("l'ufficio")) << "other fields keep the apostrophe";
}

TEST(FilterBar, WhatIsTypedBecomesTheListConditions)
{
    rotalina::storage::SqlDialect dialect(rotalina::storage::Engine::SQLite);
    FilterBar bar;
    QLineEdit *name = bar.addText(QStringLiteral("Cliente"), QStringLiteral("Cliente"));
    DateBox *from = bar.addDateFrom(QStringLiteral("Data"), QStringLiteral("Dal"));
    bar.addDateTo(QStringLiteral("Data"), QStringLiteral("Al"));
    EXPECT_EQ(name->objectName(), QStringLiteral("edtFiltroCliente"));
    EXPECT_TRUE(bar.filter(dialect).isEmpty());
    QSignalSpy changed(&bar, &FilterBar::changed);
    name->setText(QStringLiteral("rossi"));
    from->setText(QStringLiteral("01/0"));
    EXPECT_EQ(changed.count(), 1) << "an incomplete date does not filter yet";
    from->setText(QStringLiteral("01/02/2024"));
    EXPECT_EQ(changed.count(), 2);
    const rotalina::storage::ListFilter filter = bar.filter(dialect);
    EXPECT_EQ(filter.parameters(),
              QVariantList({QStringLiteral("%rossi%"), QStringLiteral("2024-02-01 00:00:00")}));
    bar.clearAll();
    EXPECT_TRUE(bar.filter(dialect).isEmpty());
}

TEST(AmountBox, ItalianFormatAndTheDecimalKey)
{
    EXPECT_EQ(AmountBox::formatted(1234.5), QStringLiteral("1.234,50"));
    EXPECT_EQ(AmountBox::formatted(-0.5), QStringLiteral("-0,50"));
    bool ok = false;
    EXPECT_DOUBLE_EQ(AmountBox::parse(QStringLiteral("1.234,56"), &ok), 1234.56);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(AmountBox::parse(QStringLiteral("1234,5")), 1234.5);
    EXPECT_DOUBLE_EQ(AmountBox::parse(QStringLiteral("12.5")), 12.5);
    AmountBox::parse(QStringLiteral("abc"), &ok);
    EXPECT_FALSE(ok);

    EntryNavigation::install();
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *amount = new AmountBox(&window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(amount);
    layout->addWidget(other);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    amount->setValue(98765.4);
    EXPECT_EQ(amount->text(), QStringLiteral("98.765,40"));
    amount->clear();
    amount->setFocus();
    QTest::keyClicks(amount, QStringLiteral("1250.75"));
    EXPECT_EQ(amount->text(), QStringLiteral("1250,75")) << "the point types a comma";
    other->setFocus();
    EXPECT_EQ(amount->text(), QStringLiteral("1.250,75"));
    EXPECT_DOUBLE_EQ(amount->value(), 1250.75);
}

TEST(DateBox, ReadsOnlyRealDates)
{
    DateBox box;
    EXPECT_TRUE(box.isBlank());
    EXPECT_FALSE(box.date().has_value());
    box.setDate(QDate(2024, 2, 29));
    EXPECT_EQ(box.text(), QStringLiteral("29/02/2024"));
    EXPECT_EQ(box.date(), QDate(2024, 2, 29));
    box.setText(QStringLiteral("31/04/2024"));
    EXPECT_FALSE(box.date().has_value());
    EXPECT_FALSE(box.isBlank());
    box.clearDate();
    EXPECT_TRUE(box.isBlank());
}

TEST(LookupBox, DeleteAndBackspaceEmptyTheChoice)
{
    LookupBox lookup;
    lookup.addChoice(1, QStringLiteral("Rimessa diretta"));
    lookup.addChoice(2, QStringLiteral("Bonifico 30 gg"));
    lookup.setKey(2);
    EXPECT_EQ(lookup.key(), QVariant(2));
    QSignalSpy cleared(&lookup, &LookupBox::cleared);
    QTest::keyClick(&lookup, Qt::Key_Delete);
    EXPECT_FALSE(lookup.key().isValid());
    EXPECT_EQ(cleared.count(), 1);
    lookup.setKey(1);
    QTest::keyClick(&lookup, Qt::Key_Backspace);
    EXPECT_FALSE(lookup.key().isValid());
    EXPECT_EQ(cleared.count(), 2);
    EXPECT_FALSE(lookup.showsUnlisted());

    // A stored key the choices do not hold is shown as it is and kept, greyed, until the user
    // chooses another or empties the box.
    lookup.setUnlistedText(
        [](const QVariant &key) { return QStringLiteral("Pagamento %1").arg(key.toInt()); });
    lookup.setKey(99);
    EXPECT_EQ(lookup.key(), QVariant(99));
    EXPECT_TRUE(lookup.showsUnlisted());
    EXPECT_EQ(lookup.currentText(), QStringLiteral("Pagamento 99"));
    EXPECT_EQ(lookup.itemData(lookup.currentIndex(), Qt::ForegroundRole), QVariant(QColor(Qt::gray)));
    lookup.setKey(98);
    EXPECT_EQ(lookup.count(), 3) << "one place for the stored value, reused";
    EXPECT_EQ(lookup.key(), QVariant(98));
    lookup.setKey(2);
    EXPECT_FALSE(lookup.showsUnlisted());
    lookup.setKey(98);
    QTest::keyClick(&lookup, Qt::Key_Delete);
    EXPECT_FALSE(lookup.key().isValid());
}

TEST(LookupBox, TypedSearchIgnoresCaseAndAccents)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *towns = new LookupBox(&window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(towns);
    layout->addWidget(other);
    towns->addChoice(1, QStringLiteral("Forlimpopoli (FC)"));
    towns->addChoice(2, QStringLiteral("Forlì (FC)"));
    towns->addChoice(3, QStringLiteral("L´Aquila (AQ)"));
    towns->setSearchable(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy chosen(towns, &LookupBox::chosen);
    // Each search chooses another town than the one before, so a search that finds nothing shows.
    const std::pair<const char *, int> searches[] = {
        {"popoli", 1}, {"forli", 2}, {"forlim", 1}, {"l'aquila", 3}, {"FORLÌ (", 2}};
    for (const auto &[typed, key] : searches) {
        towns->setFocus();
        towns->lineEdit()->selectAll();
        QTest::keyClicks(towns->lineEdit(), QString::fromUtf8(typed));
        EXPECT_EQ(towns->currentText(), QString::fromUtf8(typed));
        QCompleter *search = towns->typedSearch();
        ASSERT_NE(search, nullptr);
        EXPECT_GE(search->completionCount(), 1) << typed << ": the choices holding it are offered";
        search->popup()->hide();
        other->setFocus();
        EXPECT_EQ(towns->key(), QVariant(key)) << typed;
    }
    EXPECT_EQ(chosen.count(), 5);
}

TEST(DataGrid, TitlesSortAscendingThenDescendingAndDoubleClickIsAvanti)
{
    QStandardItemModel model(3, 1);
    const QStringList names = {QStringLiteral("Bianchi"), QStringLiteral("Verdi"), QStringLiteral("Azzurri")};
    for (int row = 0; row < 3; ++row)
        model.setItem(row, 0, new QStandardItem(names.at(row)));
    DataGrid grid(QStringLiteral("frmProva_DBGrid1"));
    grid.setModel(&model);
    grid.resize(400, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(DataGrid::grids().contains(&grid));
    EXPECT_EQ(grid.gridName(), QStringLiteral("frmProva_DBGrid1"));

    QHeaderView *header = grid.horizontalHeader();
    const QPoint title(header->sectionViewportPosition(0) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(model.item(0)->text(), QStringLiteral("Azzurri"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(model.item(0)->text(), QStringLiteral("Verdi"));

    QSignalSpy avanti(&grid, &DataGrid::avanti);
    const QRect cell = grid.visualRect(model.index(1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(avanti.count(), 1);
    EXPECT_EQ(grid.currentRow(), 1);
}

TEST(ToolButtons, NamesAndCaptionsOfTheStandardButtons)
{
    QWidget window;
    const struct
    {
        ToolAction action;
        const char *name;
        const char *caption;
    } expected[] = {
        {ToolAction::Salva, "spdSalva", "salva"},
        {ToolAction::Annulla, "spdAnnulla", "Annulla"},
        {ToolAction::Indietro, "spdIndietro", "Indietro"},
        {ToolAction::Aiuto, "spdHelp", "Aiuto"},
        {ToolAction::Aggiungi, "spdInserisci", "Aggiungi"},
        {ToolAction::AggiungiDettaglio, "spdInserisciDett", "Aggiungi"},
        {ToolAction::Avanti, "spdAvanti", "Avanti"},
        {ToolAction::Modifica, "spdAvanti", "Modifica"},
        {ToolAction::Elimina, "spdElimina", "Elimina"},
        {ToolAction::EliminaDettaglio, "spdEliminaDett", "Elimina"},
        {ToolAction::Stampa, "spdStampa", "Stampa"},
        {ToolAction::Ricarica, "spdAggiorna", "Ricarica"},
    };
    for (const auto &e : expected) {
        QPushButton *button = makeToolButton(e.action, &window);
        EXPECT_EQ(button->objectName(), QString::fromLatin1(e.name));
        EXPECT_EQ(button->text(), QString::fromLatin1(e.caption));
    }
}

TEST(Translations, QtsOwnTextsAreItalian)
{
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                           QStringLiteral("/qtbase_it.qm")))
        GTEST_SKIP() << "Qt's Italian translations are not installed (Debian package qt6-translations-l10n)";
    const QLocale before;
    QTranslator *italian = installItalianTranslations(*qApp);
    ASSERT_NE(italian, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annulla"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("&Nome del file:"));
    QCoreApplication::removeTranslator(italian);
    delete italian;
    QLocale::setDefault(before);
}
