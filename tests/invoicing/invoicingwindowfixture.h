#pragma once

#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "support/allwindows.h"
#include "support/shellfixture.h"

#include <QDate>
#include <QDialog>
#include <gtest/gtest.h>

namespace rotalina::test {

// The invoicing windows on a new archive, on 10 March 2026, with every window of the program.
class InvoicingWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell::ui::EntryNavigation::install();
        fixture.session->setArchive(newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        registerAllWindows(windows);
    }

    storage::Archive &archive() { return fixture.archive(); }

    QVariant scalar(const QString &sql, const QVariantList &params = {})
    {
        const auto value = archive().scalar(sql, params);
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? *value : QVariant();
    }

    // Chooses the key in the window's choice of the field, as the user picking it from the list.
    static void choose(QDialog &window, const char *field, const QVariant &key)
    {
        auto *box = window.findChild<shell::ui::LookupBox *>(QStringLiteral("Look") + QLatin1String(field));
        ASSERT_NE(box, nullptr) << field;
        box->setKey(key);
        emit box->chosen(key);
    }

    ShellFixture fixture;
    shell::ui::WindowRegistry windows;
};

} // namespace rotalina::test
