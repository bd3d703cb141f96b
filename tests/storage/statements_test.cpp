#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

namespace {

qint64 addEntry(Archive &archive, const QDateTime &when, bool history = false)
{
    const auto key =
        archive.insert(QStringLiteral("finanzia"), {{QStringLiteral("Data"), when},
                                                    {QStringLiteral("Operazione"), QStringLiteral("x")},
                                                    {QStringLiteral("Storico"), history}});
    EXPECT_TRUE(key.ok()) << key.error().toStdString();
    return key.ok() ? *key : 0;
}

} // namespace

TEST(Statements, RowsKeepTheirValuesOfEveryKind)
{
    auto archive = test::newArchive();
    const auto key = archive->insert(QStringLiteral("Clienti"),
                                     {{QStringLiteral("Cliente"), QStringLiteral("Trasporti D´Angelo")},
                                      {QStringLiteral("PubblicaAmministrazione"), true},
                                      {QStringLiteral("LetteraIntento_DataInizio"), QDate(2024, 2, 29)},
                                      {QStringLiteral("SaldoInizioAnno"), 1234.56},
                                      {QStringLiteral("Pagamento_ID"), 3},
                                      {QStringLiteral("Note"), QStringLiteral("riga 1\nriga 2")}});
    ASSERT_TRUE(key.ok()) << key.error().toStdString();
    EXPECT_GT(*key, 0);
    const auto second =
        archive->insert(QStringLiteral("Clienti"), {{QStringLiteral("Cliente"), QStringLiteral("Altro")}});
    ASSERT_TRUE(second.ok());
    EXPECT_GT(*second, *key) << "keys grow";

    auto row = archive->select(QStringLiteral("SELECT * FROM Clienti WHERE Id = ?"), {*key});
    ASSERT_TRUE(row.ok());
    ASSERT_TRUE(row->next());
    const QSqlRecord record = row->record();
    EXPECT_EQ(record.value(QStringLiteral("Cliente")).toString(), QStringLiteral("Trasporti D´Angelo"));
    EXPECT_TRUE(record.value(QStringLiteral("PubblicaAmministrazione")).toBool());
    EXPECT_FALSE(record.value(QStringLiteral("Annullato")).toBool()) << "yes/no fields are never empty";
    EXPECT_EQ(sqlvalue::toDate(record.value(QStringLiteral("LetteraIntento_DataInizio"))),
              QDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(record.value(QStringLiteral("SaldoInizioAnno")).toDouble(), 1234.56);
    EXPECT_EQ(record.value(QStringLiteral("Note")).toString(), QStringLiteral("riga 1\nriga 2"));
    EXPECT_TRUE(record.value(QStringLiteral("Iva")).isNull());

    ASSERT_TRUE(archive
                    ->update(QStringLiteral("Clienti"), *key,
                             {{QStringLiteral("LetteraIntento_DataInizio"), QVariant()},
                              {QStringLiteral("PubblicaAmministrazione"), false}})
                    .ok());
    EXPECT_EQ(
        test::count(*archive,
                    QStringLiteral("SELECT COUNT(*) FROM Clienti WHERE LetteraIntento_DataInizio IS NULL AND "
                                   "PubblicaAmministrazione = false AND Id = ?"),
                    {*key}),
        1);
    ASSERT_TRUE(archive->remove(QStringLiteral("Clienti"), *key).ok());
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Clienti")), 1);
}

TEST(Statements, ListsReadTheSameValuesOnBothEnginesWithMarksOnlyOutsideTexts)
{
    auto archive = test::newArchive();
    const auto key = archive->insert(QStringLiteral("Clienti"),
                                     {{QStringLiteral("Cliente"), QStringLiteral("Chi? L'Aquila")},
                                      {QStringLiteral("PubblicaAmministrazione"), true},
                                      {QStringLiteral("LetteraIntento_DataInizio"), QDate(2024, 2, 29)},
                                      {QStringLiteral("SaldoInizioAnno"), -1234.56},
                                      {QStringLiteral("Pagamento_ID"), 3}});
    ASSERT_TRUE(key.ok()) << key.error().toStdString();
    // A "?" inside a quoted text is a character, not a value to bind.
    const auto read = archive->readRows(
        QStringLiteral("SELECT Cliente, PubblicaAmministrazione, LetteraIntento_DataInizio, SaldoInizioAnno, "
                       "Pagamento_ID, Iva FROM Clienti WHERE Cliente <> '?' AND Id = ? AND "
                       "LetteraIntento_DataInizio <= ? AND PubblicaAmministrazione = ?"),
        {*key, sqlvalue::endOfDay(QDate(2024, 2, 29)), true});
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    ASSERT_EQ(read->values.size(), 1);
    const QVariantList &row = read->values.first();
    EXPECT_EQ(read->fields.first().toLower(), QStringLiteral("cliente"));
    EXPECT_EQ(row.at(0).toString(), QStringLiteral("Chi? L'Aquila"));
    EXPECT_TRUE(row.at(1).toBool());
    EXPECT_EQ(sqlvalue::toDate(row.at(2)), QDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(row.at(3).toDouble(), -1234.56);
    EXPECT_EQ(row.at(4).toInt(), 3);
    EXPECT_TRUE(row.at(5).isNull());
    // A statement read inside a transaction sees what the transaction wrote.
    Transaction transaction(*archive);
    ASSERT_TRUE(archive->update(QStringLiteral("Clienti"), *key, {{QStringLiteral("Pagamento_ID"), 4}}).ok());
    const auto inside =
        archive->readRows(QStringLiteral("SELECT Pagamento_ID FROM Clienti WHERE Id = ?"), {*key});
    ASSERT_TRUE(inside.ok());
    EXPECT_EQ(inside->values.value(0).value(0).toInt(), 4);
}

TEST(Statements, UnknownNamesAreRefusedWithAMessage)
{
    auto archive = test::newArchive();
    const auto badField = archive->insert(QStringLiteral("Clienti"), {{QStringLiteral("Inesistente"), 1}});
    ASSERT_FALSE(badField.ok());
    EXPECT_EQ(badField.error(), QStringLiteral("Il campo Inesistente non esiste nella tabella Clienti."));
    EXPECT_FALSE(archive->update(QStringLiteral("NonCe"), 1, {{QStringLiteral("a"), 1}}).ok());
    const auto badSql = archive->execute(QStringLiteral("UPDATE Clienti SET Colonna = 1"));
    ASSERT_FALSE(badSql.ok());
    EXPECT_TRUE(badSql.error().startsWith(QStringLiteral("Errore dell'archivio")));
}

TEST(Statements, DatesCompareAsDatesOnBothEngines)
{
    auto archive = test::newArchive();
    addEntry(*archive, QDateTime(QDate(2023, 12, 31), QTime(18, 30)));
    addEntry(*archive, QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    addEntry(*archive, QDateTime(QDate(2024, 6, 30), QTime(23, 0)));
    addEntry(*archive, QDateTime(QDate(2024, 7, 1), QTime(0, 0)), true);
    const QVariant yearStart = sqlvalue::date(QDate(2024, 1, 1));
    EXPECT_EQ(
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Data < ?"), {yearStart}),
        1);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Data >= ? AND Data <= ?"),
                          {yearStart, sqlvalue::endOfDay(QDate(2024, 6, 30))}),
              2)
        << "the upper bound takes in the whole last day";
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Storico = true")), 1);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral(
                              "SELECT COUNT(*) FROM finanzia WHERE Storico = false AND %1 = 2024 AND %2 = 6")
                              .arg(archive->dialect().yearOf(QStringLiteral("Data")),
                                   archive->dialect().monthOf(QStringLiteral("Data")))),
              1);
    const auto latest = archive->scalar(QStringLiteral("SELECT MAX(Data) FROM finanzia"));
    ASSERT_TRUE(latest.ok());
    EXPECT_EQ(sqlvalue::toDateTime(*latest), QDateTime(QDate(2024, 7, 1), QTime(0, 0)));
}

TEST(Statements, SearchesIgnoreCaseAndAccents)
{
    auto archive = test::newArchive();
    for (const char *name :
         {"Città di Castello", "PERUGIA NORD", "Trasporti D´Angelo", "Sconto 50% Srl", "Sconto 500"})
        ASSERT_TRUE(archive
                        ->insert(QStringLiteral("Clienti"),
                                 {{QStringLiteral("NominativoVisualizzato"), QString::fromUtf8(name)}})
                        .ok());
    const QString where = QStringLiteral("SELECT COUNT(*) FROM Clienti WHERE ") +
                          archive->dialect().foldedLike(QStringLiteral("NominativoVisualizzato"));
    const auto found = [&](const QString &typed) {
        return test::count(*archive, where, {SqlDialect::containsPattern(typed)});
    };
    EXPECT_EQ(found(QStringLiteral("citta")), 1);
    EXPECT_EQ(found(QStringLiteral("CITTÀ")), 1);
    EXPECT_EQ(found(QStringLiteral("perugia")), 1);
    EXPECT_EQ(found(QStringLiteral("d'angelo")), 1) << "a typed apostrophe finds the stored acute accent";
    EXPECT_EQ(found(QStringLiteral("50%")), 1) << "what the user types is taken literally";
    EXPECT_EQ(found(QStringLiteral("sconto")), 2);
    EXPECT_EQ(found(QStringLiteral("x'); DROP TABLE Clienti; --")), 0);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Clienti")), 5);
    EXPECT_EQ(test::count(*archive, where, {SqlDialect::startsWithPattern(QStringLiteral("citta"))}), 1);
}

TEST(Statements, ATransactionCommitsWholeOrNotAtAll)
{
    auto archive = test::newArchive();
    {
        Transaction transaction(*archive);
        ASSERT_TRUE(transaction.isActive()) << transaction.error().toStdString();
        addEntry(*archive, QDateTime::currentDateTime());
        addEntry(*archive, QDateTime::currentDateTime());
        EXPECT_FALSE(archive->execute(QStringLiteral("UPDATE finanzia SET Nessuno = 1")).ok());
        // Leaving without commit: the two rows go.
    }
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM finanzia")), 0);
    {
        Transaction transaction(*archive);
        addEntry(*archive, QDateTime::currentDateTime());
        ASSERT_TRUE(transaction.commit().ok());
    }
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM finanzia")), 1);
}

TEST(Statements, AFailedInnerPartUndoesTheWholeAction)
{
    auto archive = test::newArchive();
    Transaction outer(*archive);
    addEntry(*archive, QDateTime::currentDateTime());
    {
        Transaction inner(*archive);
        addEntry(*archive, QDateTime::currentDateTime());
        // inner gives up without committing
    }
    const core::Status committed = outer.commit();
    EXPECT_FALSE(committed.ok());
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM finanzia")), 0);
    EXPECT_FALSE(archive->inTransaction());
}

TEST(Statements, ManyRowsGoInFewStatements)
{
    auto archive = test::newArchive();
    QList<QVariantList> rows;
    for (int i = 0; i < 2500; ++i)
        rows.append({QStringLiteral("Colore %1").arg(i)});
    ASSERT_TRUE(archive->insertRows(QStringLiteral("Colori"), {QStringLiteral("Descrizione")}, rows).ok());
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Colori")), 2500);
}

TEST(Statements, ALockedSqliteArchiveIsReportedNotSwallowed)
{
    if (test::engineUnderTest() != Engine::SQLite)
        GTEST_SKIP() << "PostgreSQL locks rows, not the archive";
    auto first = test::newArchive();
    OpenOptions options;
    options.busyTimeoutMs = 50;
    auto opened = Archive::open(first->location(), options);
    ASSERT_TRUE(opened.ok());
    auto second = std::move(opened).value();

    Transaction holding(*first);
    ASSERT_TRUE(holding.isActive());
    addEntry(*first, QDateTime::currentDateTime());
    const auto blocked =
        second->insert(QStringLiteral("Colori"), {{QStringLiteral("Descrizione"), QStringLiteral("Blu")}});
    ASSERT_FALSE(blocked.ok());
    EXPECT_TRUE(blocked.error().contains(QStringLiteral("occupato da un'altra postazione")))
        << blocked.error().toStdString();
    ASSERT_TRUE(holding.commit().ok());
    EXPECT_TRUE(
        second->insert(QStringLiteral("Colori"), {{QStringLiteral("Descrizione"), QStringLiteral("Blu")}})
            .ok());
}

TEST(Statements, WritingOrDeletingARowAnotherWorkstationDeletedIsNeverASuccess)
{
    auto here = test::newArchive();
    auto there = test::openAgain(here->location());
    const qint64 colour = test::addRow(*here, QStringLiteral("Colori"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Blu")}});
    ASSERT_TRUE(here->update(QStringLiteral("Colori"), colour,
                             {{QStringLiteral("Descrizione"), QStringLiteral("Blu")}})
                    .ok())
        << "a row written with the values it holds was still written";
    ASSERT_TRUE(there->remove(QStringLiteral("Colori"), colour).ok());

    const core::Status edited = here->update(QStringLiteral("Colori"), colour,
                                             {{QStringLiteral("Descrizione"), QStringLiteral("Azzurro")}});
    ASSERT_FALSE(edited.ok());
    EXPECT_EQ(edited.error(), Archive::missingRowMessage());
    const core::Status removed = here->remove(QStringLiteral("Colori"), colour);
    ASSERT_FALSE(removed.ok());
    EXPECT_EQ(removed.error(), Archive::missingRowMessage());
    EXPECT_EQ(test::count(*there, QStringLiteral("SELECT COUNT(*) FROM Colori")), 0) << "nothing came back";
}
