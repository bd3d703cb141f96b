#include "shell/ui/entrynavigation.h"
#include "shell/ui/windowregistry.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QDialog>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

// Every window, opened on a new archive without a record of its own: no field, label or button in it
// covers another on any of its pages, so that what a new user sees looks finished.
TEST(WindowLayout, NoWindowHasAFieldOrButtonCoveringAnother)
{
    EntryNavigation::install();
    test::ShellFixture fixture;
    fixture.session->setArchive(test::newArchive());
    WindowRegistry windows;
    test::registerAllWindows(windows);
    const QStringList names = windows.windowNames();
    ASSERT_GT(names.size(), 50);
    QStringList overlaps;
    QStringList shown;
    for (const QString &name : names) {
        const QPointer<QDialog> window = windows.show(name, *fixture.session, nullptr);
        if (!window)
            continue;
        if (!QTest::qWaitForWindowExposed(window.data())) {
            ADD_FAILURE() << name.toStdString() << " did not show";
        } else {
            shown.append(name);
            for (const QString &overlap : test::overlappingWidgets(*window))
                overlaps.append(name + QStringLiteral(": ") + overlap);
        }
        delete window.data();
    }
    // A window that refuses to open without the record it shows would escape: none does today.
    EXPECT_EQ(shown, names);
    EXPECT_EQ(overlaps, QStringList());
}
