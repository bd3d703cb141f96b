#include "registries/lookupregistries.h"
#include "registries/parties.h"
#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "support/testarchive.h"

#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using shell::RegistryDescriptor;

namespace {

QVariant stored(storage::Archive &archive, const QString &sql, const QVariantList &params = {})
{
    const core::Result<QVariant> value = archive.scalar(sql, params);
    EXPECT_TRUE(value) << value.error().toStdString();
    return value ? *value : QVariant();
}

const RegistryDescriptor &registry(const char *window)
{
    const RegistryDescriptor *found = registries::registryNamed(QString::fromLatin1(window));
    if (!found)
        throw std::runtime_error(std::string("no registry ") + window);
    return *found;
}

} // namespace

TEST(Registries, EveryRegistryListsFiltersAddsWithDefaultsSavesAndDeletes)
{
    auto archive = test::newArchive();
    for (const RegistryDescriptor &r : registries::lookupRegistries()) {
        SCOPED_TRACE(r.listWindow.toStdString());
        // The list, with every filter field typed, reads on this engine.
        storage::ListFilter filter(archive->dialect());
        for (const auto &[field, caption] : r.filters)
            filter.contains(field, QStringLiteral("a'b"));
        const auto listed =
            archive->select(shell::registryListStatement(r, filter.conditions()), filter.parameters());
        EXPECT_TRUE(listed) << listed.error().toStdString();

        // A default the firm stored for the table's first text field reaches new rows.
        const auto firstText =
            std::find_if(r.fields.cbegin(), r.fields.cend(), [](const shell::RegistryField &f) {
                return f.kind == shell::RegistryField::Kind::Text;
            });
        if (firstText != r.fields.cend())
            test::addRow(*archive, QStringLiteral("Personalizzazioni"),
                         {{QStringLiteral("NomeTabella"), r.table},
                          {QStringLiteral("NomeCampo"), firstText->field},
                          {QStringLiteral("Tipo"), QStringLiteral("t")},
                          {QStringLiteral("Valore"), QStringLiteral("Predefinito")}});
        const core::Result<qint64> key = shell::addRegistryRow(*archive, r, QVariant(1));
        ASSERT_TRUE(key) << key.error().toStdString();
        const QString keyField = archive->schema().table(r.table)->keyName();
        const QString select = QStringLiteral("SELECT %3 FROM %1 WHERE %2 = ?").arg(r.table, keyField);
        if (firstText != r.fields.cend()) {
            EXPECT_EQ(stored(*archive, select.arg(firstText->field), {*key}).toString(),
                      QStringLiteral("Predefinito"));
        }
        for (auto it = r.newValues.cbegin(); it != r.newValues.cend(); ++it) {
            const QVariant value = stored(*archive, select.arg(it.key()), {*key});
            if (it.value().typeId() == QMetaType::Bool)
                EXPECT_EQ(value.toBool(), it.value().toBool()) << it.key().toStdString();
            else
                EXPECT_EQ(value.toString(), it.value().toString()) << it.key().toStdString();
        }

        // Text with quotes, accents and an emoji is stored as typed.
        if (firstText != r.fields.cend() && !r.save) {
            const QString typed = QStringLiteral("L'Aquila \"centro\" – città 🚚 '); DROP TABLE Clienti; --");
            const core::Status saved = shell::saveRegistryRow(*archive, r, *key, {{firstText->field, typed}});
            ASSERT_TRUE(saved) << saved.error().toStdString();
            EXPECT_EQ(stored(*archive, select.arg(firstText->field), {*key}).toString(), typed);
        }

        const core::Status removed = shell::deleteRegistryRow(*archive, r, *key);
        ASSERT_TRUE(removed) << removed.error().toStdString();
        EXPECT_EQ(test::count(*archive,
                              QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(r.table, keyField),
                              {*key}),
                  0);
    }
    EXPECT_GE(registries::lookupRegistries().size(), 28);
}

TEST(Registries, RequiredFieldsAreCheckedInOrderWithTheirMessages)
{
    const struct
    {
        const char *window;
        QStringList messages;
    } expected[] = {
        {"TfrmGrigliaBanche",
         {"Attenzione manca la Descrizione della banca", "Attenzione manca il Codice Iban"}},
        {"TfrmGrigliaProvince", {"Attenzione la Sigla", "Attenzione manca la provincia"}},
        {"TfrmGrigliaCarburanti", {"Attenzione la descrizione", "Attenzione manca il Prezzo"}},
        {"TfrmGrigliaCisterne",
         {"Attenzione manca la Descrizione", "Attenzione manca il numero dei litri",
          "Attenzione manca il tipo di carburante"}},
        {"TfrmPorto", {"Attenzione manca la Descrizione", "Attenzione manca il Codice"}},
        {"TfrmIndirizzi", {"Attenzione manca l'Indirizzo", "Attenzione manca il Comune"}},
        {"TfrmGrigliaAvvisi", {"Attenzione manca la Descrizione", "Attenzione manca il testo"}},
        {"TfrmGrigliaColori", {"Attenzione manca la Descrizione "}},
        {"TfrmGrigliaRegioni", {}},
    };
    for (const auto &e : expected) {
        const RegistryDescriptor &r = registry(e.window);
        QVariantMap values;
        QStringList shown;
        while (const auto failure = r.checks.firstFailure(values)) {
            shown.append(failure->message);
            values.insert(failure->field, failure->field.contains(QStringLiteral("_ID"), Qt::CaseInsensitive)
                                              ? QVariant(3)
                                              : QVariant(QStringLiteral("x")));
            ASSERT_LT(shown.size(), 10);
        }
        EXPECT_EQ(shown, e.messages) << e.window;
    }
}

TEST(Registries, ExemptVatRatesNeedTheirNatureAndTaxedOnesLoseIt)
{
    auto archive = test::newArchive();
    const RegistryDescriptor &vat = registry("TfrmGrigliaIva");
    const QVariantMap exempt{{QStringLiteral("Descrizione"), QStringLiteral("Esente art. 10")},
                             {QStringLiteral("Iva"), 0.0}};
    const auto failure = vat.checks.firstFailure(exempt);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message,
              QStringLiteral("Attenzione si deve specificare la natura di esenzione dell' Aliquota Iva"));
    QVariantMap withNature = exempt;
    withNature.insert(QStringLiteral("Pa_Natura_Codice"), QStringLiteral("N4"));
    EXPECT_FALSE(vat.checks.firstFailure(withNature));

    const qint64 key = shell::addRegistryRow(*archive, vat).value();
    ASSERT_TRUE(shell::saveRegistryRow(*archive, vat, key, withNature));
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT Pa_Natura_Codice FROM Iva WHERE ID = ?"), {key}).toString(),
        QStringLiteral("N4"));
    QVariantMap taxed = withNature;
    taxed.insert(QStringLiteral("Iva"), 22.0);
    ASSERT_TRUE(shell::saveRegistryRow(*archive, vat, key, taxed));
    EXPECT_TRUE(
        stored(*archive, QStringLiteral("SELECT Pa_Natura_Codice FROM Iva WHERE ID = ?"), {key}).isNull());
}

TEST(Registries, RenamedKindsRewriteTheirCopiesAndDeletedCategoriesLeaveNoColour)
{
    auto archive = test::newArchive();
    const RegistryDescriptor &vehicleTypes = registry("TfrmVeicoli");
    const qint64 tractor = shell::addRegistryRow(*archive, vehicleTypes).value();
    const qint64 van = shell::addRegistryRow(*archive, vehicleTypes).value();
    const qint64 truck = test::addRow(*archive, QStringLiteral("Vetture"),
                                      {{QStringLiteral("Targa"), QStringLiteral("AB123CD")},
                                       {QStringLiteral("Veicolo_ID"), tractor},
                                       {QStringLiteral("VeicoloDesc"), QStringLiteral("Trattore")}});
    const qint64 other = test::addRow(*archive, QStringLiteral("Vetture"),
                                      {{QStringLiteral("Targa"), QStringLiteral("EF456GH")},
                                       {QStringLiteral("Veicolo_ID"), van},
                                       {QStringLiteral("VeicoloDesc"), QStringLiteral("Furgone")}});
    ASSERT_TRUE(
        shell::saveRegistryRow(*archive, vehicleTypes, tractor,
                               {{QStringLiteral("Descrizione"), QStringLiteral("Trattore stradale")}}));
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT VeicoloDesc FROM Vetture WHERE ID = ?"), {truck}).toString(),
        QStringLiteral("Trattore stradale"));
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT VeicoloDesc FROM Vetture WHERE ID = ?"), {other}).toString(),
        QStringLiteral("Furgone"));

    const struct
    {
        const char *window;
        const char *rows;
        const char *keyField;
        const char *copy;
    } copies[] = {
        {"TfrmGrigliaTipologiaCostiVetture", "VettureCosti", "TipologiaCosto_id", "TipologiaCosto"},
        {"TfrmGrigliaTipologieCostiPersonale", "PersonaleCosti", "TipologiaCosto_id", "TipologiaCosto"},
        {"TfrmGrigliaCisterne", "VettureCarburante", "Cisterna_ID", "Cisterna"}};
    for (const auto &c : copies) {
        const RegistryDescriptor &kinds = registry(c.window);
        const qint64 kind = shell::addRegistryRow(*archive, kinds).value();
        const qint64 row = test::addRow(*archive, QString::fromLatin1(c.rows),
                                        {{QString::fromLatin1(c.keyField), kind},
                                         {QString::fromLatin1(c.copy), QStringLiteral("vecchio")}});
        ASSERT_TRUE(shell::saveRegistryRow(*archive, kinds, kind,
                                           {{QStringLiteral("Descrizione"), QStringLiteral("Nuovo nome")}}));
        EXPECT_EQ(stored(*archive,
                         QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?")
                             .arg(QLatin1String(c.copy), QLatin1String(c.rows)),
                         {row})
                      .toString(),
                  QStringLiteral("Nuovo nome"))
            << c.window;
    }

    const RegistryDescriptor &categories = registry("TfrmCategorieClienti_Griglia");
    const qint64 category = shell::addRegistryRow(*archive, categories).value();
    ASSERT_TRUE(shell::saveRegistryRow(
        *archive, categories, category,
        {{QStringLiteral("Descrizione"), QStringLiteral("Logistica")}, {QStringLiteral("Colore"), 255}}));
    const qint64 customer = test::addRow(
        *archive, QStringLiteral("Clienti"),
        {{QStringLiteral("Categoria_ID"), category}, {QStringLiteral("ColoreCategoria"), 65280}});
    ASSERT_TRUE(
        shell::saveRegistryRow(*archive, categories, category, {{QStringLiteral("Colore"), 16711680}}));
    EXPECT_EQ(stored(*archive, QStringLiteral("SELECT ColoreCategoria FROM Clienti WHERE Id = ?"), {customer})
                  .toInt(),
              16711680);
    ASSERT_TRUE(shell::deleteRegistryRow(*archive, categories, category));
    EXPECT_TRUE(
        stored(*archive, QStringLiteral("SELECT ColoreCategoria FROM Clienti WHERE Id = ?"), {customer})
            .isNull());
    EXPECT_TRUE(stored(*archive, QStringLiteral("SELECT Categoria_ID FROM Clienti WHERE Id = ?"), {customer})
                    .isNull());
}

TEST(Registries, TankFillingsMoveTheTankLitres)
{
    auto archive = test::newArchive();
    const RegistryDescriptor &tanks = registry("TfrmGrigliaCisterne");
    const RegistryDescriptor &fillings = registry("TfrmModificaCisterneRighe");
    const qint64 tank = shell::addRegistryRow(*archive, tanks).value();
    ASSERT_TRUE(shell::saveRegistryRow(
        *archive, tanks, tank,
        {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}, {QStringLiteral("Litri"), 1000.0}}));
    const auto litres = [&] {
        return stored(*archive, QStringLiteral("SELECT Litri FROM Cisterne WHERE id = ?"), {tank}).toDouble();
    };
    const qint64 invoice = test::addRow(*archive, QStringLiteral("fattura"),
                                        {{QStringLiteral("NumeroCarico"), QStringLiteral("A/12")},
                                         {QStringLiteral("Fornitore"), QStringLiteral("Carburanti Nord")},
                                         {QStringLiteral("Carico"), true}});

    const qint64 filling = shell::addRegistryRow(*archive, fillings, tank).value();
    QVariantMap values{{QStringLiteral("Data"), QDate(2026, 11, 3)},
                       {QStringLiteral("Litri"), 5000.0},
                       {QStringLiteral("Importo"), 7500.0},
                       {QStringLiteral("Fattura_ID"), invoice}};
    ASSERT_TRUE(shell::saveRegistryRow(*archive, fillings, filling, values));
    EXPECT_DOUBLE_EQ(litres(), 6000);
    EXPECT_EQ(stored(*archive, QStringLiteral("SELECT FatturaDescrizione FROM CisterneCarico WHERE ID = ?"),
                     {filling})
                  .toString(),
              QStringLiteral("A/12 - Carburanti Nord"));
    // Saving again without changing the litres leaves the tank alone; a correction moves only the difference.
    ASSERT_TRUE(shell::saveRegistryRow(*archive, fillings, filling, values));
    EXPECT_DOUBLE_EQ(litres(), 6000);
    values.insert(QStringLiteral("Litri"), 4500.0);
    ASSERT_TRUE(shell::saveRegistryRow(*archive, fillings, filling, values));
    EXPECT_DOUBLE_EQ(litres(), 5500);

    // A filling whose litres were emptied is refused and changes nothing; a save of the other
    // fields alone keeps the litres stored.
    ASSERT_TRUE(shell::saveRegistryRow(*archive, fillings, filling, {{QStringLiteral("Importo"), 7000.0}}));
    EXPECT_DOUBLE_EQ(litres(), 5500);
    values.insert(QStringLiteral("Litri"), QVariant());
    const core::Status refused = shell::saveRegistryRow(*archive, fillings, filling, values);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione mancano i Litri"));
    EXPECT_DOUBLE_EQ(litres(), 5500);

    // A tank with fillings keeps its history: its delete is refused and says why.
    const core::Status kept = shell::deleteRegistryRow(*archive, tanks, tank);
    ASSERT_FALSE(kept);
    EXPECT_EQ(
        kept.error(),
        QStringLiteral("Attenzione la cisterna ha dei movimenti e non può essere eliminata:\n- carichi: 1"));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM CisterneCarico")), 1);

    ASSERT_TRUE(shell::deleteRegistryRow(*archive, fillings, filling));
    EXPECT_DOUBLE_EQ(litres(), 1000);
    ASSERT_TRUE(shell::deleteRegistryRow(*archive, tanks, tank)) << "without movements it goes";
}

TEST(Registries, AMunicipalityInUseIsNotDeleted)
{
    auto archive = test::newArchive();
    const RegistryDescriptor &towns = registry("TfrmGrigliaComuni");
    const qint64 town = shell::addRegistryRow(*archive, towns).value();
    test::addRow(*archive, QStringLiteral("IndirizziItalia"),
                 {{QStringLiteral("Comune_ID"), town}, {QStringLiteral("CAP"), QStringLiteral("37100")}});
    test::addRow(*archive, QStringLiteral("Clienti"),
                 {{QStringLiteral("Cliente"), QStringLiteral("Rossi")}, {QStringLiteral("Comune_id"), town}});
    test::addRow(
        *archive, QStringLiteral("Clienti"),
        {{QStringLiteral("Cliente"), QStringLiteral("Bianchi")}, {QStringLiteral("Comune_id"), town}});
    const core::Status kept = shell::deleteRegistryRow(*archive, towns, town);
    ASSERT_FALSE(kept);
    EXPECT_EQ(kept.error(), QStringLiteral("Attenzione il Comune è usato e non può essere eliminato:\n"
                                           "- vie e cap: 1\n- clienti: 2"));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Comuni WHERE ID = ?"), {town}), 1);
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM IndirizziItalia WHERE Comune_ID = ?"), {town}),
              1);
    const qint64 unused = shell::addRegistryRow(*archive, towns).value();
    EXPECT_TRUE(shell::deleteRegistryRow(*archive, towns, unused));
}

TEST(Registries, GridsKeepTheirLayoutsUnderTheirKnownNames)
{
    const struct
    {
        const char *window;
        const char *grid;
    } names[] = {{"TfrmGrigliaBanche", "frmGrigliaBanche_Griglia"},
                 {"TfrmGrigliaComuni", "frmGrigliaComuni_Griglia"},
                 {"TfrmGrigliaIva", "frmGrigliaIva"},
                 {"TfrmModelli", "frmModelli_Griglia"},
                 {"TfrmVeicoli", "frmVeicoli"},
                 {"TfrmReparti", "frmReparti_Griglia"},
                 {"TfrmIndirizzi", "frmIndirizzi"},
                 {"TfrmTrovaCap", "frmTrovaCap"},
                 {"TfrmGrigliaCisterne", "frmGrigliaCisterne"},
                 {"TfrmGrigliaColori", "frmGrigliaColori"}};
    for (const auto &n : names)
        EXPECT_EQ(registry(n.window).gridName(), QString::fromLatin1(n.grid)) << n.window;
    EXPECT_EQ(registries::customerRegistry().gridName(), QStringLiteral("frmClienti_Griglia"));
    EXPECT_EQ(registries::supplierRegistry().gridName(), QStringLiteral("Fornitori_Griglia"));
}
