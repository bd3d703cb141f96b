#include "registries/lookupregistries.h"
#include "registries/ui/typeswindow.h"
#include "shell/registrydescriptor.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using registries::ui::TypesWindow;
using shell::RegistryDescriptor;
using shell::RegistryField;

namespace {

class RegistryWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        test::registerAllWindows(windows);
        // The choices some cards need.
        test::addRow(fixture.archive(), QStringLiteral("Carburanti"),
                     {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}});
        test::addRow(fixture.archive(), QStringLiteral("Modelli"),
                     {{QStringLiteral("Descrizione"), QStringLiteral("Iveco")}});
    }

    // Fills a card's field with something valid for its kind.
    static void fill(RecordForm &form, const RegistryField &field)
    {
        QVariant value;
        switch (field.kind) {
        case RegistryField::Kind::Text:
            value = QStringLiteral("Prova d'archivio");
            break;
        case RegistryField::Kind::Memo:
            value = QStringLiteral("Testo\nsu due righe");
            break;
        case RegistryField::Kind::Amount:
            value = 12.5;
            break;
        case RegistryField::Kind::Date:
            value = QDate(2026, 1, 15);
            break;
        case RegistryField::Kind::Check:
            value = true;
            break;
        case RegistryField::Kind::Colour:
            value = 255;
            break;
        case RegistryField::Kind::Hidden:
            return; // filled by a choice
        case RegistryField::Kind::Lookup: {
            auto *box = qobject_cast<LookupBox *>(form.editor(field.field));
            value = box && box->count() > 0 ? box->itemData(0) : QVariant();
            break;
        }
        }
        form.setValue(field.field, value);
        form.setDirty();
    }

    static const RegistryField *fieldOf(const RegistryDescriptor &r, const QString &name)
    {
        for (const RegistryField &field : r.fields) {
            if (field.field.compare(name, Qt::CaseInsensitive) == 0)
                return &field;
        }
        return nullptr;
    }

    // Saves the card, filling each field it refuses; gives the messages shown on the way.
    QStringList saveFillingRefusedFields(const RegistryDescriptor &r, RecordForm &form,
                                         const std::function<bool()> &save)
    {
        QStringList shown;
        while (!save()) {
            const QString message = fixture.prompter.lastText();
            shown.append(message);
            const auto check = r.checks.firstFailure(form.values());
            if (!check || check->message != message || shown.size() > 8) {
                ADD_FAILURE() << "unexpected refusal: " << message.toStdString();
                break;
            }
            const RegistryField *field = fieldOf(r, check->field);
            if (!field) {
                ADD_FAILURE() << "no editor for " << check->field.toStdString();
                break;
            }
            fill(form, *field);
        }
        return shown;
    }

    // The messages of the checks whose fields a new row leaves empty, in order.
    static QStringList expectedRefusals(const RegistryDescriptor &r, QVariantMap values)
    {
        QStringList messages;
        while (const auto failure = r.checks.firstFailure(values)) {
            messages.append(failure->message);
            const RegistryField *field = fieldOf(r, failure->field);
            values.insert(failure->field, field && field->kind == RegistryField::Kind::Amount ? QVariant(12.5)
                                          : field && field->kind == RegistryField::Kind::Lookup
                                              ? QVariant(1)
                                              : QVariant(QStringLiteral("x")));
        }
        return messages;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

} // namespace

TEST_F(RegistryWindows, EveryRegistryOpensAddsRefusesMissingFieldsSavesAndDeletes)
{
    for (const RegistryDescriptor &r : registries::lookupRegistries()) {
        if (r.listWindow == r.cardWindow)
            continue; // rows of another registry: their card is tried with it
        SCOPED_TRACE(r.listWindow.toStdString());
        ASSERT_TRUE(windows.has(r.listWindow));
        RegistryListWindow list(*fixture.session, r, windows);
        list.show();
        EXPECT_EQ(list.objectName(), r.listWindow);
        EXPECT_EQ(list.windowTitle(), r.listCaption);
        EXPECT_EQ(list.grid()->gridName(), r.gridName());
        const int before = list.records().rowCount();

        qint64 key = 0;
        QStringList refusals;
        QStringList expected;
        if (r.cardWindow.isEmpty()) {
            // One window: the new row is edited below the list.
            list.add();
            ASSERT_NE(list.inlineCard(), nullptr);
            RecordForm &form = list.inlineCard()->form();
            key = form.key();
            expected = expectedRefusals(r, form.values());
            refusals = saveFillingRefusedFields(r, form, [&form] { return form.save(); });
        } else {
            ASSERT_TRUE(windows.has(r.cardWindow));
            key = shell::addRegistryRow(fixture.archive(), r).value();
            RegistryCardWindow card(*fixture.session, r, windows, key, true);
            card.show();
            EXPECT_EQ(card.objectName(), r.cardWindow);
            EXPECT_EQ(card.windowTitle(), r.cardCaption);
            EXPECT_TRUE(card.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisibleTo(&card));
            RecordForm &form = card.card().form();
            expected = expectedRefusals(r, form.values());
            refusals = saveFillingRefusedFields(r, form, [&card] { return card.save(); });
            for (const RegistryField &field : r.fields)
                fill(form, field);
            ASSERT_TRUE(card.save()) << fixture.prompter.lastText().toStdString();
            EXPECT_FALSE(card.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisibleTo(&card));
        }
        EXPECT_EQ(refusals, expected);
        for (const QString &message : refusals)
            EXPECT_EQ(fixture.prompter.shown().last().title.isEmpty(), false) << message.toStdString();

        list.reload();
        EXPECT_EQ(list.records().rowCount(), before + 1);
        list.showKey(key);
        fixture.prompter.answerQuestions({false});
        list.remove();
        EXPECT_EQ(fixture.prompter.lastText(), r.deleteQuestion);
        EXPECT_EQ(list.records().rowCount(), before + 1) << "No keeps the row";
        fixture.prompter.answerQuestions({true});
        list.remove();
        EXPECT_EQ(list.records().rowCount(), before);
        EXPECT_EQ(list.records().rowOfKey(key), -1);
    }
}

TEST_F(RegistryWindows, CancellingANewRowDeletesItAndFiltersNarrowTheList)
{
    const RegistryDescriptor &units = *registries::registryNamed(QStringLiteral("TfrmGrigliaUnitaMisura"));
    ASSERT_TRUE(fixture.archive().execute(QStringLiteral("DELETE FROM UnitaMisura")).ok());
    for (const char *name : {"Viaggio", "Quintali", "Bancale"})
        test::addRow(fixture.archive(), QStringLiteral("UnitaMisura"),
                     {{QStringLiteral("Descrizione"), QString::fromLatin1(name)}});
    RegistryListWindow list(*fixture.session, units, windows);
    list.show();
    EXPECT_EQ(list.records().rowCount(), 3);
    EXPECT_EQ(list.records().value(0, QStringLiteral("Descrizione")).toString(), QStringLiteral("Bancale"))
        << "ordered by description";
    auto *filter = list.filterBar()->findChild<QLineEdit *>(QStringLiteral("edtFiltroDescrizione"));
    ASSERT_NE(filter, nullptr);
    filter->setText(QStringLiteral("QUINT"));
    EXPECT_EQ(list.records().rowCount(), 1);
    filter->clear();

    const qint64 key = shell::addRegistryRow(fixture.archive(), units).value();
    RegistryCardWindow card(*fixture.session, units, windows, key, true);
    fixture.prompter.answerQuestions({true});
    card.cancelNew();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler annullare l'inserimento ?"));
    EXPECT_EQ(test::count(fixture.archive(), QStringLiteral("SELECT COUNT(*) FROM UnitaMisura WHERE Id = ?"),
                          {key}),
              0);
}

TEST_F(RegistryWindows, AChosenTownFillsTheAddressPostcodeAndTheTankShowsItsFillings)
{
    const RegistryDescriptor &addresses = *registries::registryNamed(QStringLiteral("TfrmIndirizzi"));
    const qint64 key = shell::addRegistryRow(fixture.archive(), addresses).value();
    RegistryCardWindow card(*fixture.session, addresses, windows, key, true);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    auto *town = qobject_cast<LookupBox *>(card.card().form().editor(QStringLiteral("Comune_ID")));
    ASSERT_NE(town, nullptr);
    EXPECT_TRUE(town->isEditable()) << "thousands of towns are searched by typing";
    test::typeInto(card, town->objectName(), QStringLiteral("Bussolengo"));
    EXPECT_EQ(card.card().form().values().value(QStringLiteral("Cap")).toString(), QStringLiteral("37012"));
    EXPECT_TRUE(town->currentText().startsWith(QStringLiteral("Bussolengo")));

    const RegistryDescriptor &tanks = *registries::registryNamed(QStringLiteral("TfrmGrigliaCisterne"));
    const qint64 tank = shell::addRegistryRow(fixture.archive(), tanks).value();
    test::addRow(fixture.archive(), QStringLiteral("CisterneCarico"),
                 {{QStringLiteral("Cisterna_ID"), tank},
                  {QStringLiteral("Data"), QDate(2026, 10, 28)},
                  {QStringLiteral("Litri"), 5000.0}});
    RegistryCardWindow tankCard(*fixture.session, tanks, windows, tank, false);
    ASSERT_NE(tankCard.card().rowsGrid(), nullptr);
    EXPECT_EQ(tankCard.card().rowsGrid()->records()->rowCount(), 1);
    EXPECT_TRUE(windows.has(QStringLiteral("TfrmModificaCisterneRighe")));
}

TEST_F(RegistryWindows, TypesWindowOffersEveryKindRegistry)
{
    TypesWindow types(*fixture.session, windows);
    for (const auto &[caption, window] : registries::typeRegistries()) {
        auto *button = types.findChild<QPushButton *>(QStringLiteral("btn") + window);
        ASSERT_NE(button, nullptr) << window.toStdString();
        EXPECT_EQ(button->text(), caption);
        EXPECT_TRUE(button->isEnabled()) << window.toStdString();
    }
}

// Pictures for people to look at: a registry list and its card; nothing is compared.
TEST_F(RegistryWindows, Screenshots)
{
    const QString folder = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    const RegistryDescriptor &banks = *registries::registryNamed(QStringLiteral("TfrmGrigliaBanche"));
    for (const auto &[name, iban] : {std::pair{"Banca Popolare di Verona", "IT60X0542811101000000123456"},
                                     std::pair{"Cassa Rurale di Trento", "IT02L1234512345123456789012"}})
        test::addRow(fixture.archive(), QStringLiteral("Bank"),
                     {{QStringLiteral("Banca"), QString::fromLatin1(name)},
                      {QStringLiteral("Iban"), QString::fromLatin1(iban)},
                      {QStringLiteral("Comune"), QStringLiteral("Verona")},
                      {QStringLiteral("annullato"), false}});
    RegistryListWindow list(*fixture.session, banks, windows);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_TRUE(list.grab().save(QDir(folder).filePath(QStringLiteral("registro-banche.png"))));
    RegistryCardWindow card(*fixture.session, banks, windows, list.records().keyAt(0).value(), false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    EXPECT_TRUE(card.grab().save(QDir(folder).filePath(QStringLiteral("registro-banca.png"))));
}
