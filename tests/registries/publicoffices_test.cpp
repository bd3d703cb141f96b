#include "core/textfile.h"
#include "registries/parties.h"
#include "registries/publicoffices.h"
#include "support/testarchive.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

QString write(QTemporaryDir &folder, const char *name, const QString &text)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(core::writeTextFile(path, text));
    return path;
}

} // namespace

TEST(PublicOffices, ImportFromTheIndexFileFindAndChoose)
{
    auto archive = test::newArchive();
    QTemporaryDir folder;
    const QString offices = write(
        folder, "uo_sfe.csv",
        QStringLiteral("Codice_IPA;Denominazione_ente;Codice_uni_uo;Descrizione_uo;Codice_fiscale_sfe;"
                       "Codice_comune_ISTAT;CAP;Indirizzo;Tipologia\n"
                       "c_l781;Comune di Verona;UFABCD;Ufficio Ragioneria;00215150236;023091;37121;"
                       "Piazza Bra 1;Comuni e loro Consorzi e Associazioni\n"
                       "c_l781;Comune di Verona;UFEFGH;\"Servizi sociali; sede\";00215150236;23091;37122;"
                       "Via Macello 5;Comuni e loro Consorzi e Associazioni\n"
                       "m_it;Ministero dell'Interno;ABC123;Prefettura di Roma;80014130928;999999;00184;"
                       "Via IV Novembre 119;Ministeri\n"));
    const core::Result<int> loaded = registries::importPublicOffices(*archive, offices);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(*loaded, 3);

    EXPECT_FALSE(registries::officeSearchStatement({}, archive->dialect())) << "no criterion, no search";
    registries::OfficeSearch star;
    star.town = QStringLiteral("*");
    EXPECT_FALSE(registries::officeSearchStatement(star, archive->dialect()));
    registries::OfficeSearch byTown;
    byTown.town = QStringLiteral("vero");
    const auto statement = registries::officeSearchStatement(byTown, archive->dialect());
    ASSERT_TRUE(statement);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM (%1) found").arg(statement->first),
                          statement->second),
              2);
    registries::OfficeSearch byProvince;
    byProvince.province = QStringLiteral("v");
    const auto exact = registries::officeSearchStatement(byProvince, archive->dialect());
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM (%1) found").arg(exact->first),
                          exact->second),
              0)
        << "the province is matched whole";
    registries::OfficeSearch byName;
    byName.administration = QStringLiteral("dell'interno");
    const auto quoted = registries::officeSearchStatement(byName, archive->dialect());
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM (%1) found").arg(quoted->first),
                          quoted->second),
              1)
        << "an office whose town is unknown is found too";

    const qint64 customer = registries::addCustomer(*archive).value();
    const qint64 office =
        test::count(*archive, QStringLiteral("SELECT ID FROM PA_Amministrazioni_FatturaElettronica WHERE "
                                             "codice_univoco = 'UFABCD'"));
    ASSERT_TRUE(registries::chooseOffice(*archive, customer, office));
    core::Result<QSqlQuery> row = archive->select(
        QStringLiteral("SELECT Cliente, NominativoDocumenti, Citta, Provincia, Cap, CodFiscale, "
                       "CodiceUnivocoUfficio, PubblicaAmministrazione, Via, DestinazioneMerce "
                       "FROM Clienti WHERE Id = ?"),
        {customer});
    ASSERT_TRUE(row && row->next());
    EXPECT_EQ(row->value(0).toString(), QStringLiteral("Comune di Verona"));
    EXPECT_EQ(row->value(1).toString(), QStringLiteral("Comune di Verona"));
    EXPECT_EQ(row->value(2).toString(), QStringLiteral("Verona"));
    EXPECT_EQ(row->value(3).toString(), QStringLiteral("VR"));
    EXPECT_EQ(row->value(4).toString(), QStringLiteral("37121"));
    EXPECT_EQ(row->value(5).toString(), QStringLiteral("00215150236"));
    EXPECT_EQ(row->value(6).toString(), QStringLiteral("UFABCD"));
    EXPECT_TRUE(row->value(7).toBool());
    EXPECT_EQ(row->value(8).toString(), QStringLiteral("Piazza Bra 1"));
    EXPECT_EQ(row->value(9).toString(), QStringLiteral("Ufficio Ragioneria"));
}

TEST(PublicOffices, AFileWithoutTheNeededColumnsChangesNothing)
{
    auto archive = test::newArchive();
    QTemporaryDir folder;
    const QString good =
        write(folder, "buono.csv",
              QStringLiteral("Codice_IPA,Codice_uni_uo,Descrizione_uo\nc_x,UFXXXX,Ufficio unico\n"));
    ASSERT_EQ(registries::importPublicOffices(*archive, good).value(), 1);
    const QString wrong =
        write(folder, "enti.csv",
              QStringLiteral("Codice_IPA;Denominazione_ente;Descrizione_uo\nc_y;Ente;Ufficio\n"));
    const core::Result<int> refused = registries::importPublicOffices(*archive, wrong);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("enti.csv")));
    EXPECT_TRUE(refused.error().contains(QStringLiteral("«Codice_uni_uo»"))) << refused.error().toStdString();
    EXPECT_EQ(
        test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM PA_Amministrazioni_FatturaElettronica")),
        1);
}
