#include "routetestsupport.h"
#include "storage/archive.h"
#include "support/httptestserver.h"
#include "support/testarchive.h"
#include "transport/routelookup.h"
#include "transport/tariffs.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace std::chrono_literals;
using transport::GeoPoint;
using transport::RouteFigures;
namespace messages = transport::routeMessages;

namespace {

QJsonObject step(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

const GeoPoint verona{45.4384, 10.9916};
const GeoPoint milano{45.4642, 9.19};

const QStringList veronaMilanoSteps = {
    QStringLiteral("Partenza da Via Roma verso nord (210 m)"),
    QStringLiteral("Svolta a destra in Via Verdi (350 m)"),
    QStringLiteral("Alla rotatoria prendi la 2ª uscita in Viale del Lavoro (1,2 km)"),
    QStringLiteral("Prendi la rampa leggermente a destra verso A4: Milano (800 m)"),
    QStringLiteral("Immettiti leggermente a sinistra su A4/E70 Autostrada Serenissima (12,4 km)"),
    QStringLiteral("Prosegui su A4 (140,2 km)"),
    QStringLiteral("Prendi l'uscita 3 leggermente a destra verso Milano Centro (1,5 km)"),
    QStringLiteral("Alla fine della strada svolta a sinistra in Viale Forlanini (4,4 km)"),
    QStringLiteral("Arrivo a destinazione, sulla destra"),
};

} // namespace

TEST(RouteRequest, LongitudeComesFirstAndDecimalsHaveAPointWhateverTheLanguage)
{
    const test::ItalianLocale italian;
    EXPECT_EQ(
        transport::routeRequestAddress(QStringLiteral("https://router.project-osrm.org"), verona, milano)
            .value(),
        QStringLiteral("https://router.project-osrm.org/route/v1/driving/10.9916,45.4384;9.19,45.4642"
                       "?overview=false&steps=true"));
    // A firm's own server under a path, typed with a slash at the end and blanks around.
    EXPECT_EQ(transport::routeRequestAddress(QStringLiteral(" http://osrm.ditta.lan:5000/percorsi/ "),
                                             {-33.5, -0.000001}, {0.25, 151.2})
                  .value(),
              QStringLiteral("http://osrm.ditta.lan:5000/percorsi/route/v1/driving/-0.000001,-33.5;151.2,0.25"
                             "?overview=false&steps=true"));
    for (const char *wrong : {"router.project-osrm.org", "ftp://router.project-osrm.org", "https://",
                              "https://router.project-osrm.org/?x=1", ""}) {
        const core::Result<QString> refused =
            transport::routeRequestAddress(QString::fromLatin1(wrong), verona, milano);
        ASSERT_FALSE(refused) << wrong;
        EXPECT_TRUE(refused.error().startsWith(
            QStringLiteral("L'indirizzo del servizio percorsi nelle opzioni non è valido")))
            << refused.error().toStdString();
    }
}

TEST(RouteRequest, TheMapShowsTheSameRouteLatitudeFirst)
{
    const test::ItalianLocale italian;
    EXPECT_EQ(transport::routeMapAddress(verona, milano),
              QStringLiteral("https://www.openstreetmap.org/directions?engine=fossgis_osrm_car&route="
                             "45.4384%2C10.9916%3B45.4642%2C9.19"));
}

TEST(RouteSteps, LengthsAreWrittenAsADriverReadsThem)
{
    const test::ItalianLocale italian;
    const struct
    {
        double metres;
        const char *shown;
    } cases[] = {{0, ""},
                 {4.9, ""},
                 {5, "10 m"},
                 {352.7, "350 m"},
                 {994.9, "990 m"},
                 {995, "1,0 km"},
                 {1234.6, "1,2 km"},
                 {12403.9, "12,4 km"},
                 {140210, "140,2 km"},
                 {1480000, "1.480,0 km"},
                 {-3, ""}};
    for (const auto &c : cases)
        EXPECT_EQ(transport::stepLength(c.metres), QString::fromUtf8(c.shown)) << c.metres;
}

TEST(RouteSteps, EveryManoeuvreOfTheServiceReadsAsAnItalianLine)
{
    const struct
    {
        const char *step;
        const char *line;
    } cases[] = {
        {R"({"maneuver":{"type":"depart","bearing_after":2},"name":"Via Roma","distance":212})",
         "Partenza da Via Roma verso nord (210 m)"},
        {R"({"maneuver":{"type":"depart","bearing_after":227},"name":"","distance":40})",
         "Partenza verso sud-ovest (40 m)"},
        {R"({"maneuver":{"type":"depart","bearing_after":338},"name":"Via Po","distance":0})",
         "Partenza da Via Po verso nord"},
        {R"({"maneuver":{"type":"depart"},"name":"Via Po","distance":100})", "Partenza da Via Po (100 m)"},
        {R"({"maneuver":{"type":"arrive"},"name":"Via Dante","distance":0})", "Arrivo a destinazione"},
        {R"({"maneuver":{"type":"arrive","modifier":"left"},"name":"Via Dante","distance":0})",
         "Arrivo a destinazione, sulla sinistra"},
        {R"({"maneuver":{"type":"arrive","modifier":"slight right"},"distance":12})",
         "Arrivo a destinazione, sulla destra"},
        {R"({"maneuver":{"type":"turn","modifier":"uturn"},"name":"Via Roma","distance":80})",
         "Fai inversione a U su Via Roma (80 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"sharp right"},"name":"Via Verdi","distance":350})",
         "Svolta decisamente a destra in Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"right"},"name":"Via Verdi","distance":350})",
         "Svolta a destra in Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"slight right"},"name":"","distance":350})",
         "Svolta leggermente a destra (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"straight"},"name":"Via Verdi","distance":350})",
         "Prosegui dritto su Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"slight left"},"name":"Via Verdi","distance":350})",
         "Svolta leggermente a sinistra in Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"left"},"name":"Via Verdi","distance":350})",
         "Svolta a sinistra in Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"sharp left"},"name":"Via Verdi","distance":350})",
         "Svolta decisamente a sinistra in Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"sideways"},"name":"Via Verdi","distance":350})",
         "Svolta in Via Verdi (350 m)"},
        {R"({"maneuver":{"type":"new name","modifier":"straight"},"name":"","ref":"A4","distance":12400})",
         "Prosegui su A4 (12,4 km)"},
        {R"({"maneuver":{"type":"new name","modifier":"slight left"},"name":"Via Emilia","distance":2000})",
         "Prosegui leggermente a sinistra su Via Emilia (2,0 km)"},
        {R"({"maneuver":{"type":"continue","modifier":"straight"},"name":"Autostrada del Sole","ref":"A1",)"
         R"("distance":812400})",
         "Prosegui su A1 Autostrada del Sole (812,4 km)"},
        {R"({"maneuver":{"type":"continue","modifier":"uturn"},"name":"","distance":30})",
         "Fai inversione a U (30 m)"},
        {R"({"maneuver":{"type":"continue"},"name":"","distance":30})", "Prosegui dritto (30 m)"},
        {R"({"maneuver":{"type":"merge","modifier":"slight left"},"name":"Tangenziale Est","distance":3000})",
         "Immettiti leggermente a sinistra su Tangenziale Est (3,0 km)"},
        {R"({"maneuver":{"type":"on ramp","modifier":"right"},"name":"","destinations":"A4: Venezia",)"
         R"("distance":600})",
         "Prendi la rampa a destra verso A4: Venezia (600 m)"},
        {R"({"maneuver":{"type":"off ramp","modifier":"slight right"},"name":"","exits":"12;12a",)"
         R"("destinations":"Verona Sud","distance":900})",
         "Prendi l'uscita 12/12a leggermente a destra verso Verona Sud (900 m)"},
        {R"({"maneuver":{"type":"off ramp","modifier":"left"},"name":"Raccordo","distance":900})",
         "Prendi l'uscita a sinistra per Raccordo (900 m)"},
        {R"({"maneuver":{"type":"fork","modifier":"slight left"},"name":"","ref":"A21",)"
         R"("destinations":"A21: Piacenza","distance":151820})",
         "Al bivio tieni la sinistra per A21 verso A21: Piacenza (151,8 km)"},
        {R"({"maneuver":{"type":"fork","modifier":"right"},"name":"Via Nuova","distance":500})",
         "Al bivio tieni la destra per Via Nuova (500 m)"},
        {R"({"maneuver":{"type":"fork","modifier":"straight"},"name":"","distance":500})",
         "Al bivio prosegui dritto (500 m)"},
        {R"({"maneuver":{"type":"end of road","modifier":"left"},"name":"Viale Forlanini","distance":4360})",
         "Alla fine della strada svolta a sinistra in Viale Forlanini (4,4 km)"},
        {R"({"maneuver":{"type":"end of road","modifier":"uturn"},"name":"","distance":20})",
         "Alla fine della strada fai inversione a U (20 m)"},
        {R"({"maneuver":{"type":"end of road"},"name":"Via Po","distance":20})",
         "Alla fine della strada prosegui su Via Po (20 m)"},
        {R"({"maneuver":{"type":"roundabout","modifier":"straight","exit":2},"name":"Viale del Lavoro",)"
         R"("distance":1234.6})",
         "Alla rotatoria prendi la 2ª uscita in Viale del Lavoro (1,2 km)"},
        {R"({"maneuver":{"type":"roundabout","modifier":"right"},"name":"Via Mazzini","distance":300})",
         "Alla rotatoria prosegui su Via Mazzini (300 m)"},
        {R"({"maneuver":{"type":"rotary","modifier":"left","exit":4},"rotary_name":"Piazzale Roma",)"
         R"("name":"Via Garibaldi","distance":700})",
         "Alla rotatoria Piazzale Roma prendi la 4ª uscita in Via Garibaldi (700 m)"},
        {R"({"maneuver":{"type":"roundabout turn","modifier":"right"},"name":"Via Marconi","distance":150})",
         "Alla rotatoria svolta a destra in Via Marconi (150 m)"},
        {R"({"maneuver":{"type":"roundabout turn","modifier":"left","exit":3},"name":"","distance":150})",
         "Alla rotatoria prendi la 3ª uscita (150 m)"},
        {R"({"maneuver":{"type":"exit roundabout","modifier":"right"},"name":"Via Marconi","distance":800})",
         "Esci dalla rotatoria in Via Marconi (800 m)"},
        {R"({"maneuver":{"type":"exit rotary","modifier":"right"},"name":"","distance":800})",
         "Esci dalla rotatoria (800 m)"},
        {R"({"maneuver":{"type":"notification","modifier":"straight"},"name":"Via Po","distance":60})",
         "Prosegui su Via Po (60 m)"},
        {R"({"maneuver":{"type":"use lane","modifier":"slight right"},"name":"Via Po","distance":60})",
         "Prosegui leggermente a destra su Via Po (60 m)"},
        {R"({"maneuver":{"type":"teleport"},"name":"","distance":60})", "Prosegui dritto (60 m)"},
        {R"({"maneuver":{"type":"turn","modifier":"right"},"mode":"ferry","name":"Villa San Giovanni - Messina",)"
         R"("distance":5200})",
         "Prendi il traghetto Villa San Giovanni - Messina (5,2 km)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(transport::describeStep(step(c.step)), QString::fromUtf8(c.line)) << c.step;
}

TEST(RouteReply, TheFiguresOfTheFirstRoute)
{
    const test::ItalianLocale italian;
    const core::Result<RouteFigures> read =
        transport::readRouteReply(200, test::recordedRouteReply("osrm_verona_milano.json"));
    ASSERT_TRUE(read) << read.error().toStdString();
    EXPECT_DOUBLE_EQ(read->kilometres, 161.07);
    EXPECT_EQ(read->hours, 1);
    EXPECT_EQ(read->minutes, 45);
    EXPECT_EQ(read->steps, veronaMilanoSteps.join(u'\n'));

    const core::Result<RouteFigures> long_ =
        transport::readRouteReply(200, test::recordedRouteReply("osrm_torino_reggio.json"));
    ASSERT_TRUE(long_) << long_.error().toStdString();
    EXPECT_DOUBLE_EQ(long_->kilometres, 1480.00) << "kilometres, never thousands of them";
    EXPECT_EQ(long_->hours, 26) << "a day counts 24 hours";
    EXPECT_EQ(long_->minutes, 5);
    EXPECT_EQ(
        long_->steps.split(u'\n'),
        (QStringList{QStringLiteral("Partenza verso sud-est (180 m)"),
                     QStringLiteral("Al bivio tieni la sinistra per A21 verso A21: Piacenza (151,8 km)"),
                     QStringLiteral("Prosegui su A1 Autostrada del Sole (812,4 km)"),
                     QStringLiteral("Al bivio tieni la destra per A2 Autostrada del Mediterraneo verso "
                                    "A2: Reggio Calabria (515,6 km)"),
                     QStringLiteral("Arrivo a destinazione")}));
}

TEST(RouteReply, MinutesAreRoundedOnceBeforeTheHoursAreTakenOut)
{
    const struct
    {
        double seconds;
        int hours;
        int minutes;
    } cases[] = {{0, 0, 0},      {29.9, 0, 0},     {30, 0, 1},     {3569.9, 0, 59}, {3570, 1, 0},
                 {3599.6, 1, 0}, {93899.7, 26, 5}, {86400, 24, 0}, {266700, 74, 5}};
    for (const auto &c : cases) {
        const QByteArray reply =
            QStringLiteral(R"({"code":"Ok","routes":[{"distance":1480004.9,"duration":%1,)"
                           R"("legs":[{"steps":[]}]}]})")
                .arg(c.seconds, 0, 'f', 1)
                .toUtf8();
        const core::Result<RouteFigures> read = transport::readRouteReply(200, reply);
        ASSERT_TRUE(read) << read.error().toStdString();
        EXPECT_EQ(read->hours, c.hours) << c.seconds;
        EXPECT_EQ(read->minutes, c.minutes) << c.seconds;
        EXPECT_DOUBLE_EQ(read->kilometres, 1480.0);
    }
}

TEST(RouteReply, WhatIsNotARouteIsToldAndNeverRead)
{
    const QString incomplete = QStringLiteral("La risposta del servizio percorsi è incompleta: manca ");
    const struct
    {
        int status;
        const char *body;
        QString message; // the whole message, or its start followed by "..."
    } cases[] = {
        {400, R"({"code":"NoRoute","message":"Impossible route between points"})", messages::noRoute()},
        {200, R"({"code":"NoRoute","routes":[]})", messages::noRoute()},
        {400, R"({"code":"NoSegment","message":"Could not find a matching segment"})",
         QStringLiteral("Il servizio percorsi non trova una strada vicino al comune di partenza o di "
                        "destinazione: controllare la Latitudine e la Longitudine dei due comuni.")},
        {400, R"({"code":"InvalidQuery","message":"Query string malformed close to position 28"})",
         QStringLiteral("Il servizio percorsi non ha calcolato il percorso: ha risposto \"InvalidQuery\" "
                        "(Query string malformed close to position 28).")},
        {200, R"({"code":"TooBig"})",
         QStringLiteral("Il servizio percorsi non ha calcolato il percorso: ha risposto \"TooBig\".")},
        {500, "<html><body><h1>500 Internal Server Error</h1></body></html>",
         QStringLiteral("Il servizio percorsi ha risposto con l'errore HTTP 500.")},
        {502, "", QStringLiteral("Il servizio percorsi ha risposto con l'errore HTTP 502.")},
        {429, "Too Many Requests",
         QStringLiteral("Il servizio percorsi riceve troppe richieste (errore HTTP 429): riprovare tra "
                        "qualche minuto.")},
        {200, "<html>Benvenuti nel router di casa</html>",
         QStringLiteral("La risposta del servizio percorsi non è leggibile: non è nel formato JSON atteso.")},
        {200, R"(["Ok"])",
         QStringLiteral("La risposta del servizio percorsi non è leggibile: non è nel formato JSON atteso.")},
        {200, R"({"routes":[]})", incomplete + QStringLiteral("l'esito della richiesta.")},
        {200, R"({"code":"Ok"})", incomplete + QStringLiteral("il percorso.")},
        {200, R"({"code":"Ok","routes":[]})", incomplete + QStringLiteral("il percorso.")},
        {200, R"({"code":"Ok","routes":[{"duration":60,"legs":[{"steps":[]}]}]})",
         incomplete + QStringLiteral("la distanza.")},
        {200, R"({"code":"Ok","routes":[{"distance":60,"legs":[{"steps":[]}]}]})",
         incomplete + QStringLiteral("la durata.")},
        {200, R"({"code":"Ok","routes":[{"distance":60,"duration":60}]})",
         incomplete + QStringLiteral("l'elenco delle manovre.")},
        {200, R"({"code":"Ok","routes":[{"distance":60,"duration":60,"legs":[{}]}]})",
         incomplete + QStringLiteral("l'elenco delle manovre.")},
        {200,
         R"({"code":"Ok","routes":[{"distance":60,"duration":60,"legs":[{"steps":[{"name":"Via Po"}]}]}]})",
         incomplete + QStringLiteral("il tipo di una manovra.")},
        {200, R"({"code":"Ok","routes":[{"distance":"1480 km","duration":60,"legs":[{"steps":[]}]}]})",
         messages::unreadableFigures()},
        {200, R"({"code":"Ok","routes":[{"distance":1480,"duration":-60,"legs":[{"steps":[]}]}]})",
         messages::unreadableFigures()},
        {200, R"({"code":"Ok","routes":[{"distance":1e300,"duration":60,"legs":[{"steps":[]}]}]})",
         messages::unreadableFigures()},
        {200, R"({"code":"Ok","routes":[{"distance":1480,"duration":null,"legs":[{"steps":[]}]}]})",
         messages::unreadableFigures()},
    };
    for (const auto &c : cases) {
        const core::Result<RouteFigures> read = transport::readRouteReply(c.status, QByteArray(c.body));
        ASSERT_FALSE(read) << c.body;
        EXPECT_EQ(read.error(), c.message) << c.body;
    }
}

// The real client against a server on this computer: what goes over the wire and what comes back.
class RouteClient : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.listening()) << server.startError().toStdString(); }

    core::Result<RouteFigures> ask(transport::RouteTimeouts timeouts = {})
    {
        transport::CurlRouteService service(server.address(), timeouts);
        return service.route(verona, milano);
    }

    test::HttpTestServer server;
};

TEST_F(RouteClient, AsksOnceAndReadsTheRouteUnderTheItalianLanguage)
{
    const test::ItalianLocale italian;
    server.setReply({200, test::recordedRouteReply("osrm_verona_milano.json")});
    const core::Result<RouteFigures> figures = ask();
    ASSERT_TRUE(figures) << figures.error().toStdString();
    EXPECT_EQ(server.targets(),
              QStringList{QStringLiteral(
                  "/route/v1/driving/10.9916,45.4384;9.19,45.4642?overview=false&steps=true")});
    EXPECT_DOUBLE_EQ(figures->kilometres, 161.07);
    EXPECT_EQ(figures->hours, 1);
    EXPECT_EQ(figures->minutes, 45);
    EXPECT_EQ(figures->steps, veronaMilanoSteps.join(u'\n'));
}

TEST_F(RouteClient, NoRouteGarbageAndServerErrorsAreTold)
{
    server.setReply({400, test::recordedRouteReply("osrm_noroute.json")});
    EXPECT_EQ(ask().error(), messages::noRoute());
    server.setReply({200, "routes: none\n", "text/plain"});
    EXPECT_EQ(
        ask().error(),
        QStringLiteral("La risposta del servizio percorsi non è leggibile: non è nel formato JSON atteso."));
    server.setReply({500, "<html><body>Internal Server Error</body></html>", "text/html"});
    EXPECT_EQ(ask().error(), QStringLiteral("Il servizio percorsi ha risposto con l'errore HTTP 500."));
    EXPECT_EQ(server.requestCount(), 3);
}

TEST_F(RouteClient, AServerThatNeverAnswersIsLeftAfterTheTimeout)
{
    server.stayQuiet();
    const core::Result<RouteFigures> figures = ask({1000ms, 300ms});
    ASSERT_FALSE(figures);
    EXPECT_EQ(
        figures.error(),
        QStringLiteral("Il servizio percorsi (127.0.0.1) non ha risposto in tempo: riprovare più tardi."));
    EXPECT_EQ(server.requestCount(), 1) << "the request reached the server";
}

TEST_F(RouteClient, AServerThatIsNotThereIsANetworkFailure)
{
    quint16 closedPort = 0;
    {
        test::HttpTestServer gone;
        closedPort = gone.port();
    }
    transport::CurlRouteService service(QStringLiteral("http://127.0.0.1:%1").arg(closedPort),
                                        {1000ms, 2000ms});
    const core::Result<RouteFigures> figures = service.route(verona, milano);
    ASSERT_FALSE(figures);
    EXPECT_TRUE(figures.error().startsWith(QStringLiteral(
        "Impossibile collegarsi al servizio percorsi (127.0.0.1). Controllare la connessione a "
        "Internet e l'indirizzo del servizio nelle opzioni.\nDettaglio tecnico: ")))
        << figures.error().toStdString();
    EXPECT_GT(figures.error().section(QStringLiteral("Dettaglio tecnico: "), 1).size(), 0);
}

TEST(RouteServiceTls, ACertificateNobodyVouchesForIsRefused)
{
    const test::SelfSignedCertificate &certificate = test::selfSignedCertificate();
    if (certificate.certificateFile.isEmpty())
        GTEST_SKIP() << "openssl is not available to make a certificate";
    const test::TlsTestServer server(certificate);
    ASSERT_TRUE(server.listening()) << server.startError().toStdString();
    transport::CurlRouteService service(server.address(), {2000ms, 5000ms});
    const core::Result<RouteFigures> figures = service.route(verona, milano);
    ASSERT_FALSE(figures) << "the route came over a connection nobody vouches for";
    EXPECT_TRUE(figures.error().startsWith(
        QStringLiteral("Il certificato del servizio percorsi (127.0.0.1) non è valido: il collegamento è "
                       "stato rifiutato")))
        << figures.error().toStdString();
}

// The lookup of a tariff's route in the archive of the engine under test.
class TariffRouteLookup : public ::testing::Test
{
protected:
    static constexpr qint64 castroBergamo = 16065;
    static constexpr qint64 castroLecce = 75096;
    static constexpr qint64 veronaKey = 23091;
    static constexpr qint64 milanoKey = 15146;

    void SetUp() override
    {
        ASSERT_TRUE(server.listening()) << server.startError().toStdString();
        server.setReply({200, test::recordedRouteReply("osrm_verona_milano.json")});
        place(castroBergamo, 45.8036, 10.0672);
        place(castroLecce, 40.0078, 18.4247);
        place(veronaKey, verona.latitude, verona.longitude);
        place(milanoKey, milano.latitude, milano.longitude);
    }

    void place(qint64 municipality, const QVariant &latitude, const QVariant &longitude)
    {
        ASSERT_TRUE(archive->update(
            QStringLiteral("Comuni"), municipality,
            {{QStringLiteral("Latitudine"), latitude}, {QStringLiteral("Longitudine"), longitude}}));
    }

    qint64 tariff(const QVariant &from, const QVariant &to)
    {
        return test::addRow(*archive, QStringLiteral("prezziar"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Viaggio completo")},
                             {QStringLiteral("Codice"), QStringLiteral("VC01")},
                             {QStringLiteral("Partenza_ID"), from},
                             {QStringLiteral("PartenzaCitta"), QStringLiteral("Castro")},
                             {QStringLiteral("Fine_ID"), to},
                             {QStringLiteral("FineCitta"), QStringLiteral("Castro")},
                             {QStringLiteral("Prezzo"), 650.0},
                             {QStringLiteral("Sconto"), 5.0},
                             {QStringLiteral("AliquotaIva"), 22.0},
                             {QStringLiteral("PrezzoFornitore"), 420.0},
                             {QStringLiteral("Note"), QStringLiteral("carico al mattino")},
                             {QStringLiteral("Chilometri"), 12.5},
                             {QStringLiteral("TempoOre"), 3},
                             {QStringLiteral("TempoMinuti"), 10},
                             {QStringLiteral("Percorso"), QStringLiteral("a memoria")}});
    }

    core::Result<RouteFigures> lookUp(qint64 key)
    {
        transport::CurlRouteService service(server.address());
        return transport::lookUpRoute(*archive, service, key);
    }

    QVariantMap row(qint64 key) { return archive->readRow(QStringLiteral("prezziar"), key).value(); }

    std::unique_ptr<storage::Archive> archive = test::newArchive();
    test::HttpTestServer server;
};

TEST_F(TariffRouteLookup, TheMunicipalitiesAreTakenByTheirKeysNotByTheirNames)
{
    const test::ItalianLocale italian;
    const qint64 key = tariff(castroBergamo, castroLecce);
    const core::Result<transport::TariffRoute> ends = transport::readTariffRoute(*archive, key);
    ASSERT_TRUE(ends) << ends.error().toStdString();
    EXPECT_EQ(ends->departure.name, QStringLiteral("Castro (BG)"));
    EXPECT_EQ(ends->arrival.name, QStringLiteral("Castro (LE)"));
    const core::Result<RouteFigures> figures = lookUp(key);
    ASSERT_TRUE(figures) << figures.error().toStdString();
    EXPECT_EQ(server.targets(),
              QStringList{QStringLiteral(
                  "/route/v1/driving/10.0672,45.8036;18.4247,40.0078?overview=false&steps=true")});
}

TEST_F(TariffRouteLookup, AMissingOrUnplacedMunicipalityStopsTheLookupBeforeAnyRequest)
{
    const qint64 nowhere = 999999; // a key whose municipality was deleted
    const qint64 unplaced = 1272;  // Torino, without coordinates as the code table brings it
    place(castroLecce, QVariant(), 18.4247);
    const struct
    {
        QVariant from;
        QVariant to;
        QString message;
    } cases[] = {
        {QVariant(), milanoKey, messages::missingDeparture()},
        {QVariant(), QVariant(), messages::missingDeparture()},
        {0, milanoKey, messages::missingDeparture()},
        {veronaKey, QVariant(), messages::missingArrival()},
        {nowhere, milanoKey, messages::departureNotFound()},
        {unplaced, QVariant(), messages::missingArrival()},
        {unplaced, milanoKey, messages::withoutCoordinates(QStringLiteral("Torino (TO)"))},
        {castroLecce, milanoKey, messages::withoutCoordinates(QStringLiteral("Castro (LE)"))},
        {veronaKey, nowhere, messages::arrivalNotFound()},
        {veronaKey, unplaced, messages::withoutCoordinates(QStringLiteral("Torino (TO)"))},
        {unplaced, unplaced, messages::withoutCoordinates(QStringLiteral("Torino (TO)"))},
    };
    for (const auto &c : cases) {
        const qint64 key = tariff(c.from, c.to);
        const core::Result<RouteFigures> figures = lookUp(key);
        ASSERT_FALSE(figures);
        EXPECT_EQ(figures.error(), c.message)
            << c.from.toString().toStdString() << " " << c.to.toString().toStdString();
    }
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(TariffRouteLookup, ZeroCoordinatesAreNoPlaceAndImpossibleOnesAreUnreadable)
{
    place(veronaKey, 0.0, 0.0);
    EXPECT_EQ(lookUp(tariff(veronaKey, milanoKey)).error(),
              messages::withoutCoordinates(QStringLiteral("Verona (VR)")));
    place(veronaKey, 145.4, 10.99);
    EXPECT_EQ(lookUp(tariff(veronaKey, milanoKey)).error(), messages::unreadableFigures());
    place(veronaKey, 45.4, 10.99);
    place(milanoKey, 45.46, -190.0);
    EXPECT_EQ(lookUp(tariff(veronaKey, milanoKey)).error(), messages::unreadableFigures());
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(TariffRouteLookup, AllFourFiguresAreStoredInOneSaveAndNothingElseChanges)
{
    const qint64 key = tariff(veronaKey, milanoKey);
    const qint64 neighbour = tariff(castroBergamo, castroLecce);
    const QVariantMap before = row(key);
    const QVariantMap neighbourBefore = row(neighbour);
    server.setReply({200, test::recordedRouteReply("osrm_torino_reggio.json")});
    const core::Result<RouteFigures> figures = lookUp(key);
    ASSERT_TRUE(figures) << figures.error().toStdString();
    ASSERT_TRUE(transport::storeRouteFigures(*archive, key, *figures));

    const QVariantMap after = row(key);
    EXPECT_DOUBLE_EQ(after.value(QStringLiteral("Chilometri")).toDouble(), 1480.00);
    EXPECT_EQ(after.value(QStringLiteral("TempoOre")).toInt(), 26);
    EXPECT_EQ(after.value(QStringLiteral("TempoMinuti")).toInt(), 5);
    EXPECT_EQ(after.value(QStringLiteral("Percorso")).toString(), figures->steps);
    const QStringList route = {QStringLiteral("Chilometri"), QStringLiteral("TempoOre"),
                               QStringLiteral("TempoMinuti"), QStringLiteral("Percorso")};
    for (auto field = before.cbegin(); field != before.cend(); ++field) {
        if (!route.contains(field.key(), Qt::CaseInsensitive)) {
            EXPECT_EQ(after.value(field.key()), field.value()) << field.key().toStdString();
        }
    }
    EXPECT_EQ(row(neighbour), neighbourBefore);
}

TEST_F(TariffRouteLookup, AFailedLookupStoresNothing)
{
    const qint64 key = tariff(veronaKey, milanoKey);
    const QVariantMap before = row(key);
    for (const test::HttpTestServer::Reply &reply :
         {test::HttpTestServer::Reply{400, test::recordedRouteReply("osrm_noroute.json")},
          test::HttpTestServer::Reply{200, "garbage", "text/plain"},
          test::HttpTestServer::Reply{500, "", "text/plain"}}) {
        server.setReply(reply);
        EXPECT_FALSE(lookUp(key));
    }
    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_EQ(row(key), before);
}

TEST_F(TariffRouteLookup, TheOptionsNameTheServiceOrThePublicOneServes)
{
    EXPECT_EQ(transport::routeServiceAddress(*archive).value(),
              QStringLiteral("https://router.project-osrm.org"));
    ASSERT_TRUE(archive->execute(QStringLiteral("UPDATE opzioni SET IndirizzoServizioPercorsi = ?"),
                                 {QStringLiteral("  https://osrm.ditta.lan/  ")}));
    EXPECT_EQ(transport::routeServiceAddress(*archive).value(), QStringLiteral("https://osrm.ditta.lan/"));
    ASSERT_TRUE(archive->execute(QStringLiteral("UPDATE opzioni SET IndirizzoServizioPercorsi = ?"),
                                 {QStringLiteral("   ")}));
    EXPECT_EQ(transport::routeServiceAddress(*archive).value(),
              QStringLiteral("https://router.project-osrm.org"));
}
