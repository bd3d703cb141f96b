#include "shell/storeddefaults.h"
#include "support/testarchive.h"

#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

namespace {

void store(storage::Archive &archive, const char *kind, const char *field, const char *type,
           const char *value)
{
    test::addRow(archive, QStringLiteral("Personalizzazioni"),
                 {{QStringLiteral("NomeTabella"), QString::fromLatin1(kind)},
                  {QStringLiteral("NomeCampo"), QString::fromLatin1(field)},
                  {QStringLiteral("Tipo"), QString::fromLatin1(type)},
                  {QStringLiteral("Valore"), QString::fromUtf8(value)}});
}

} // namespace

TEST(StoredDefaults, NewRecordsGetTheValuesOfTheirKind)
{
    auto archive = test::newArchive();
    store(*archive, "fatturaNotaCredito", "Causale", "t", "Reso merce");
    store(*archive, "fatturaNotaCredito", "Colli", "n", "3");
    store(*archive, "fatturaNotaCredito", "RitenutaAcconto", "f", "4,5");
    store(*archive, "fatturaNotaCredito", "Note", "x", "ignored");
    store(*archive, "fattura", "Causale", "t", "Vendita");

    const auto key =
        insertWithDefaults(*archive, QStringLiteral("fatturaNotaCredito"), QStringLiteral("fattura"),
                           {{QStringLiteral("fattnota"), true},
                            {QStringLiteral("Colli"), 7},
                            {QStringLiteral("Causale"), QStringLiteral("x")}},
                           {{QStringLiteral("RitenutaAcconto"), 1.5}});
    ASSERT_TRUE(key.ok()) << key.error().toStdString();
    auto row = archive->select(QStringLiteral("SELECT * FROM fattura WHERE ID = ?"), {*key});
    ASSERT_TRUE(row.ok() && row->next());
    const QSqlRecord record = row->record();
    EXPECT_EQ(record.value(QStringLiteral("Causale")).toString(), QStringLiteral("Reso merce"))
        << "the firm's stored default wins over the program's starting value";
    EXPECT_EQ(record.value(QStringLiteral("Colli")).toInt(), 3);
    EXPECT_DOUBLE_EQ(record.value(QStringLiteral("RitenutaAcconto")).toDouble(), 1.5)
        << "a value that ties the record to its place is never overridden";
    EXPECT_TRUE(record.value(QStringLiteral("FattNota")).toBool());
    EXPECT_TRUE(record.value(QStringLiteral("Note")).isNull()) << "kinds other than t, n, f are skipped";
}

TEST(StoredDefaults, ANumberThatIsNotOneRefusesTheNewRecord)
{
    auto archive = test::newArchive();
    store(*archive, "Clienti", "Sconto", "f", "dieci");
    const auto refused = insertWithDefaults(*archive, QStringLiteral("Clienti"), QStringLiteral("Clienti"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(),
              QStringLiteral("Il valore predefinito «dieci» del campo Sconto per Clienti non è un numero "
                             "decimale: il nuovo record non è stato creato."));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Clienti")), 0);

    ASSERT_TRUE(archive->execute(QStringLiteral("DELETE FROM Personalizzazioni")).ok());
    store(*archive, "Clienti", "Numero", "n", "12,5");
    EXPECT_FALSE(insertWithDefaults(*archive, QStringLiteral("Clienti"), QStringLiteral("Clienti")).ok());
    ASSERT_TRUE(archive->execute(QStringLiteral("DELETE FROM Personalizzazioni")).ok());
    store(*archive, "Clienti", "Inesistente", "t", "x");
    const auto unknown = insertWithDefaults(*archive, QStringLiteral("Clienti"), QStringLiteral("Clienti"));
    ASSERT_FALSE(unknown.ok());
    EXPECT_TRUE(unknown.error().contains(QStringLiteral("Inesistente")));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Clienti")), 0);
}
