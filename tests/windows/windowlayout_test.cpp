#include "shell/ui/entrynavigation.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QApplication>
#include <QDialog>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

namespace {

// Every window of the program, on a new archive.
class EveryWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        test::registerAllWindows(windows);
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

// How many rows each table holds; the names come from the archive's own catalogue.
QMap<QString, qint64> rowCounts(storage::Archive &archive)
{
    QMap<QString, qint64> counts;
    for (const QString &table : archive.existingTables())
        counts.insert(table,
                      archive.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).value().toLongLong());
    return counts;
}

} // namespace

// Every window, opened without a record of its own, has its title, has no field, label or button
// covering another on any of its pages, and is left with Esc (or says why not).
TEST_F(EveryWindow, HasItsTitleNothingCoveredAndLeavesWithEsc)
{
    const QStringList names = windows.windowNames();
    ASSERT_GT(names.size(), 50);
    QStringList overlaps;
    QStringList shown;
    QStringList untitled;
    QStringList stuck;
    for (const QString &name : names) {
        const QPointer<QDialog> window = windows.show(name, *fixture.session, nullptr);
        if (!window)
            continue;
        if (!QTest::qWaitForWindowExposed(window.data())) {
            ADD_FAILURE() << name.toStdString() << " did not show";
        } else {
            shown.append(name);
            if (window->windowTitle().trimmed().isEmpty())
                untitled.append(name);
            for (const QString &overlap : test::overlappingWidgets(*window))
                overlaps.append(name + QStringLiteral(": ") + overlap);
            // Esc leaves every window, or asks first; the questions are answered no.
            fixture.prompter.answerQuestions({false, false, false});
            const qsizetype toldBefore = fixture.prompter.shown().size();
            QTest::keyClick(window.data(), Qt::Key_Escape);
            QApplication::processEvents();
            if (window && window->isVisible() && fixture.prompter.shown().size() == toldBefore)
                stuck.append(name);
        }
        delete window.data();
    }
    // A window that refuses to open without the record it shows would escape: none does today.
    EXPECT_EQ(shown, names);
    EXPECT_EQ(overlaps, QStringList());
    EXPECT_EQ(untitled, QStringList());
    EXPECT_EQ(stuck, QStringList()) << "windows that neither closed on Esc nor said why";
}

// "Aggiungi" in every list, then Esc on whatever it opens and on the list, answering yes to giving
// up the new record: the archive holds what it held before, as if the user had never pressed it.
TEST_F(EveryWindow, AggiungiLeftWithEscLeavesNothingBehind)
{
    QStringList tried;
    QStringList leftBehind;
    QStringList stuck;
    for (const QString &name : windows.windowNames()) {
        const QPointer<QDialog> list = windows.show(name, *fixture.session, nullptr);
        if (!list)
            continue;
        auto *add = list->findChild<QPushButton *>(QStringLiteral("spdInserisci"));
        if (!QTest::qWaitForWindowExposed(list.data()) || !add || !add->isVisible() || !add->isEnabled()) {
            delete list.data();
            continue;
        }
        tried.append(name);
        const QMap<QString, qint64> before = rowCounts(fixture.archive());
        fixture.prompter.answerQuestions({true, true, true, true});
        int presses = 0;
        QTimer escape;
        QObject::connect(&escape, &QTimer::timeout, [&] {
            QWidget *opened = QApplication::activeModalWidget();
            if (!opened || opened == list.data())
                return;
            if (++presses > 20) {
                stuck.append(name + QStringLiteral(": ") + opened->objectName());
                if (auto *dialog = qobject_cast<QDialog *>(opened))
                    dialog->done(QDialog::Rejected);
                return;
            }
            QTest::keyClick(opened, Qt::Key_Escape);
        });
        escape.start(20);
        add->click();
        escape.stop();
        // A list that edits its rows below itself is left with Esc too.
        if (list && list->isVisible())
            QTest::keyClick(list.data(), Qt::Key_Escape);
        QApplication::processEvents();
        const QMap<QString, qint64> after = rowCounts(fixture.archive());
        for (auto table = after.cbegin(); table != after.cend(); ++table) {
            if (table.value() != before.value(table.key()))
                leftBehind.append(QStringLiteral("%1: %2 %3 -> %4")
                                      .arg(name, table.key())
                                      .arg(before.value(table.key()))
                                      .arg(table.value()));
        }
        delete list.data();
    }
    EXPECT_GT(tried.size(), 30);
    EXPECT_EQ(leftBehind, QStringList());
    EXPECT_EQ(stuck, QStringList());
}
