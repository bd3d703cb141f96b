#include "shell/registrydescriptor.h"
#include "shell/reportcatalogue.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"
#include "transport/deliverynotes.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::transport;

namespace {

const char *const childArchive = "ROTALINA_DDT_CHILD_ARCHIVE";
constexpr int notesPerChild = 12;

class DeliveryNotes : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    qint64 note(const QDate &date, const QTime &time = QTime(8, 30))
    {
        const core::Result<qint64> key = createDeliveryNote(archive(), QDateTime(date, time), false);
        EXPECT_TRUE(key) << key.error().toStdString();
        return key ? *key : 0;
    }

    QVariant value(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> read = archive().scalar(sql, params);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? *read : QVariant();
    }

    int numberOf(qint64 key)
    {
        return value(QStringLiteral("SELECT Numero FROM Ddt WHERE Id = ?"), {key}).toInt();
    }

    QVariant quantityOf(qint64 key)
    {
        return value(QStringLiteral("SELECT Quantita FROM Ddt WHERE Id = ?"), {key});
    }

    qint64 row(qint64 note, double quantity)
    {
        const core::Result<qint64> key = addDeliveryNoteRow(archive(), note, QDate(2026, 3, 10));
        EXPECT_TRUE(key) << key.error().toStdString();
        if (!key)
            return 0;
        const core::Status saved = saveDeliveryNoteRow(archive(), *key, {{QStringLiteral("Um"), quantity}});
        EXPECT_TRUE(saved) << saved.error().toStdString();
        return *key;
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
};

TEST_F(DeliveryNotes, NumbersAreTheHighestOfTheYearPlusOneWhateverTheDates)
{
    const qint64 first = note(QDate(2026, 3, 1));
    EXPECT_EQ(numberOf(first), 1) << "the first document of an empty list";
    ASSERT_TRUE(saveDeliveryNote(archive(), first, {{QStringLiteral("Numero"), 9}}));
    // Number 3 written on a later date: the last by date would give 4 again and again.
    const qint64 later = note(QDate(2026, 3, 5));
    ASSERT_TRUE(saveDeliveryNote(archive(), later, {{QStringLiteral("Numero"), 3}}));
    EXPECT_EQ(numberOf(note(QDate(2026, 3, 6))), 10);
    // A back-dated document does not give the next number twice either.
    EXPECT_EQ(numberOf(note(QDate(2026, 2, 1))), 11);
    EXPECT_EQ(numberOf(note(QDate(2026, 3, 7))), 12);
    // A new year starts again, and the old one goes on from where it was.
    EXPECT_EQ(numberOf(note(QDate(2027, 1, 2))), 1);
    EXPECT_EQ(numberOf(note(QDate(2026, 12, 31), QTime(23, 59))), 13) << "the whole last day is the year's";
}

TEST_F(DeliveryNotes, ANumberAlreadyGivenInTheSameYearIsRefusedOnSave)
{
    const qint64 first = note(QDate(2026, 3, 1));
    const qint64 second = note(QDate(2026, 3, 2));
    const core::Status refused = saveDeliveryNote(archive(), second, {{QStringLiteral("Numero"), 1}});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), duplicateNumberMessage(1, 2026));
    EXPECT_EQ(numberOf(second), 2) << "nothing written";
    // The same number in another year is another document's.
    ASSERT_TRUE(saveDeliveryNote(
        archive(), second, {{QStringLiteral("Numero"), 1}, {QStringLiteral("Data"), QDate(2025, 12, 30)}}));
    EXPECT_EQ(numberOf(second), 1);
    // Moving it back into the year of the first is refused.
    EXPECT_FALSE(saveDeliveryNote(archive(), second, {{QStringLiteral("Data"), QDate(2026, 1, 5)}}));
    // A document keeps its own number when its other fields change.
    EXPECT_TRUE(saveDeliveryNote(
        archive(), first,
        {{QStringLiteral("Numero"), 1}, {QStringLiteral("Natura"), QStringLiteral("Bancali")}}));
}

TEST_F(DeliveryNotes, TheDepartureTimeHasTwoDigitMinutes)
{
    EXPECT_EQ(departureTime(QTime(9, 5)), QStringLiteral("9.05"));
    EXPECT_EQ(departureTime(QTime(9, 50)), QStringLiteral("9.50"));
    EXPECT_EQ(departureTime(QTime(14, 7)), QStringLiteral("14.07"));
    EXPECT_EQ(departureTime(QTime(0, 0)), QStringLiteral("0.00"));
    const qint64 key = note(QDate(2026, 3, 10), QTime(14, 7, 42));
    EXPECT_EQ(value(QStringLiteral("SELECT Ora FROM Ddt WHERE Id = ?"), {key}).toString(),
              QStringLiteral("14.07"));
    EXPECT_EQ(storage::sqlvalue::toDate(value(QStringLiteral("SELECT Data FROM Ddt WHERE Id = ?"), {key})),
              QDate(2026, 3, 10));
    EXPECT_FALSE(value(QStringLiteral("SELECT Storico FROM Ddt WHERE Id = ?"), {key}).toBool());
    const core::Result<qint64> archived =
        createDeliveryNote(archive(), QDateTime(QDate(2026, 3, 10), QTime(9, 5)), true);
    ASSERT_TRUE(archived);
    EXPECT_TRUE(value(QStringLiteral("SELECT Storico FROM Ddt WHERE Id = ?"), {*archived}).toBool())
        << "made in the history view";
}

TEST_F(DeliveryNotes, TheQuantityIsTheSumOfTheRowsAndZeroWithoutRows)
{
    const qint64 key = note(QDate(2026, 3, 10));
    EXPECT_TRUE(quantityOf(key).isNull()) << "typed by the user while there are no rows";
    const qint64 two = row(key, 2);
    const qint64 half = row(key, 3.5);
    const qint64 one = row(key, 1);
    EXPECT_DOUBLE_EQ(quantityOf(key).toDouble(), 6.5);
    ASSERT_TRUE(deleteDeliveryNoteRow(archive(), half));
    EXPECT_DOUBLE_EQ(quantityOf(key).toDouble(), 3);
    ASSERT_TRUE(deleteDeliveryNoteRow(archive(), two));
    ASSERT_TRUE(deleteDeliveryNoteRow(archive(), one));
    ASSERT_FALSE(quantityOf(key).isNull()) << "0, not empty, after the last row";
    EXPECT_DOUBLE_EQ(quantityOf(key).toDouble(), 0);
    // So the header can still be saved.
    const QVariantMap header{{QStringLiteral("Numero"), 1},
                             {QStringLiteral("Data"), QDate(2026, 3, 10)},
                             {QStringLiteral("Cliente_ID"), 4},
                             {QStringLiteral("Natura"), QStringLiteral("Bancali")},
                             {QStringLiteral("Quantita"), quantityOf(key).toDouble()}};
    EXPECT_FALSE(deliveryNoteChecks().firstFailure(header));
}

TEST_F(DeliveryNotes, ANewRowIsOneArticleNumberedAsTheOptionsSay)
{
    const qint64 key = note(QDate(2026, 3, 1));
    const core::Result<qint64> first = addDeliveryNoteRow(archive(), key);
    ASSERT_TRUE(first);
    EXPECT_EQ(value(QStringLiteral("SELECT Descrizione FROM DDTRighe WHERE ID = ?"), {*first}).toString(),
              QStringLiteral("Articolo da inserire"));
    EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT Um FROM DDTRighe WHERE ID = ?"), {*first}).toDouble(), 1);
    EXPECT_EQ(
        storage::sqlvalue::toDate(value(QStringLiteral("SELECT Data FROM DDTRighe WHERE ID = ?"), {*first})),
        QDate(2026, 3, 1))
        << "the document's date";
    EXPECT_DOUBLE_EQ(quantityOf(key).toDouble(), 1);
    const core::Result<qint64> second = addDeliveryNoteRow(archive(), key);
    ASSERT_TRUE(second);
    EXPECT_EQ(value(QStringLiteral("SELECT NumeroRiga FROM DDTRighe WHERE ID = ?"), {*second}).toInt(), 1);
    ASSERT_TRUE(
        archive().execute(QStringLiteral("UPDATE opzioni SET IncrementaNumeroRigaArticoli = ?"), {true}));
    const core::Result<qint64> third = addDeliveryNoteRow(archive(), key);
    ASSERT_TRUE(third);
    EXPECT_EQ(value(QStringLiteral("SELECT NumeroRiga FROM DDTRighe WHERE ID = ?"), {*third}).toInt(), 3);
    // A document without date gives its rows today's.
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE Ddt SET Data = NULL WHERE Id = ?"), {key}));
    const core::Result<qint64> undated = addDeliveryNoteRow(archive(), key, QDate(2026, 4, 2));
    ASSERT_TRUE(undated);
    EXPECT_EQ(storage::sqlvalue::toDate(
                  value(QStringLiteral("SELECT Data FROM DDTRighe WHERE ID = ?"), {*undated})),
              QDate(2026, 4, 2));
}

TEST_F(DeliveryNotes, TheHeaderAndTheRowAreCheckedInOrder)
{
    QVariantMap header{{QStringLiteral("Numero"), 1},
                       {QStringLiteral("Data"), QDate(2026, 3, 10)},
                       {QStringLiteral("Cliente_ID"), 4},
                       {QStringLiteral("Quantita"), 3.0}};
    auto failure = deliveryNoteChecks().firstFailure(header);
    ASSERT_TRUE(failure) << "without Natura, every other field filled";
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca la natura della merce da trasportare"));
    header.insert(QStringLiteral("Natura"), QStringLiteral("Bancali"));
    header.remove(QStringLiteral("Quantita"));
    failure = deliveryNoteChecks().firstFailure(header);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca la Quantità della merce"));
    header.remove(QStringLiteral("Cliente_ID"));
    failure = deliveryNoteChecks().firstFailure(header);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->field, QStringLiteral("Cliente_ID"));
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca il Cliente destinatario della merce"));

    failure =
        deliveryNoteRowChecks().firstFailure({{QStringLiteral("Descrizione"), QStringLiteral("Colli")}});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca la quantità"));
    failure = deliveryNoteRowChecks().firstFailure(
        {{QStringLiteral("Um"), 0.0}, {QStringLiteral("Descrizione"), QString()}});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca la Descrizione"));
}

TEST_F(DeliveryNotes, DeletingADocumentTakesItsOwnRowsOnly)
{
    const qint64 opened = note(QDate(2026, 3, 1));
    row(opened, 2);
    row(opened, 3);
    const qint64 deleted = note(QDate(2026, 3, 2));
    row(deleted, 5);
    // The first was opened last; deleting the second from the list must leave its rows alone.
    ASSERT_TRUE(deleteDeliveryNote(archive(), deleted));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Ddt")), 1);
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM DDTRighe WHERE DDT_ID = ?"), {opened}),
        2);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM DDTRighe")), 2);
    EXPECT_FALSE(deleteDeliveryNote(archive(), deleted)) << "gone already";
}

TEST_F(DeliveryNotes, ThePrintReadsTheDocumentsRows)
{
    const qint64 customer =
        test::addRow(archive(), QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("L'Aquila Carni")},
                      {QStringLiteral("NominativoDocumenti"), QStringLiteral("L'Aquila Carni S.p.A.")}});
    const qint64 key = note(QDate(2026, 3, 10), QTime(9, 5));
    ASSERT_TRUE(saveDeliveryNote(
        archive(), key,
        {{QStringLiteral("Cliente_ID"), customer}, {QStringLiteral("Natura"), QStringLiteral("Carni")}}));
    row(key, 2);
    row(key, 4);
    row(note(QDate(2026, 3, 11)), 9);
    shell::ReportContext context;
    context.key = key;
    const shell::ReportSpec spec = shell::reportSpec(37, context, {}, archive().dialect());
    EXPECT_EQ(spec.reportFile, QStringLiteral("DDT.rpt"));
    const core::Result<storage::Archive::Rows> rows = archive().readRows(spec.query);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    ASSERT_EQ(rows->values.size(), 2);
    // PostgreSQL names the columns in lower case.
    const auto column = [&rows](const char *name) {
        return int(rows->fields.indexOf(
            QRegularExpression(QLatin1String(name), QRegularExpression::CaseInsensitiveOption)));
    };
    ASSERT_GE(column("^quantita$"), 0);
    EXPECT_DOUBLE_EQ(rows->values.at(0).at(column("^quantita$")).toDouble() +
                         rows->values.at(1).at(column("^quantita$")).toDouble(),
                     6);
    ASSERT_GE(column("^ora$"), 0);
    EXPECT_EQ(rows->values.at(0).at(column("^ora$")).toString(), QStringLiteral("9.05"));
}

TEST_F(DeliveryNotes, EveryChoiceAndListOfTheWindowsReadsTheArchive)
{
    QList<shell::RegistryField> fields;
    for (const shell::DocumentTab &tab : deliveryNoteDocument().tabs)
        fields += tab.fields;
    fields += deliveryNoteRowsRegistry().fields;
    for (const shell::RegistryField &field : std::as_const(fields))
        if (!field.lookupSql.isEmpty()) {
            const auto read = archive().readRows(field.lookupSql);
            EXPECT_TRUE(read) << field.field.toStdString() << ": " << read.error().toStdString();
        }
    for (const shell::RegistryDescriptor *list : {&deliveryNotesRegistry(), &deliveryNoteRowsRegistry()}) {
        const auto read = archive().readRows(shell::registryListStatement(*list, {}));
        EXPECT_TRUE(read) << list->table.toStdString() << ": " << read.error().toStdString();
    }
}

// Run as a separate process by the test below: writes transport documents on the archive it is given.
TEST(DeliveryNoteNumbering, WorkstationWritingDocuments)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by DeliveryNoteNumbering.FourWorkstationsAtOnce as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    for (int i = 0; i < notesPerChild; ++i) {
        // Some back-dated, as documents written after the goods left are.
        const auto key =
            createDeliveryNote(**archive, QDateTime(QDate(2026, 3, 10 - i % 3), QTime(8, i)), false);
        ASSERT_TRUE(key) << key.error().toStdString();
    }
}

TEST(DeliveryNoteNumbering, FourWorkstationsAtOnce)
{
    auto archive = test::newArchive();
    test::runAsWorkstations(QStringLiteral("DeliveryNoteNumbering.WorkstationWritingDocuments"), childArchive,
                            *archive);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Ddt")), 4 * notesPerChild);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(DISTINCT Numero) FROM Ddt")),
              4 * notesPerChild);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT MAX(Numero) FROM Ddt")), 4 * notesPerChild);
}

} // namespace
