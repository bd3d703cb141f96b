#include "routetestsupport.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/recordform.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "support/allwindows.h"
#include "support/httptestserver.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"
#include "transport/routelookup.h"
#include "transport/tariffs.h"
#include "transport/ui/routewindow.h"
#include "transport/ui/tariffwindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::transport::ui;
namespace messages = transport::routeMessages;

namespace {

constexpr qint64 veronaKey = 23091;
constexpr qint64 milanoKey = 15146;

QString textOf(QWidget &window, const char *name)
{
    const QString objectName = QString::fromLatin1(name);
    if (auto *line = window.findChild<QLineEdit *>(objectName))
        return line->text();
    if (auto *memo = window.findChild<QPlainTextEdit *>(objectName))
        return memo->toPlainText();
    ADD_FAILURE() << "no box " << name << " in " << window.objectName().toStdString();
    return {};
}

class RouteWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        test::registerAllWindows(windows);
        ASSERT_TRUE(server.listening()) << server.startError().toStdString();
        server.setReply({200, test::recordedRouteReply("osrm_torino_reggio.json")});
        // The tariffs ask the server of the test, named in the options as a firm names its own.
        ASSERT_TRUE(fixture.archive().execute(
            QStringLiteral("UPDATE opzioni SET IndirizzoServizioPercorsi = ?"), {server.address()}));
        for (const auto &[municipality, latitude, longitude] :
             {std::tuple{veronaKey, 45.4384, 10.9916}, std::tuple{milanoKey, 45.4642, 9.19}})
            ASSERT_TRUE(fixture.archive().update(
                QStringLiteral("Comuni"), municipality,
                {{QStringLiteral("Latitudine"), latitude}, {QStringLiteral("Longitudine"), longitude}}));
        vat = test::addRow(
            fixture.archive(), QStringLiteral("Iva"),
            {{QStringLiteral("Descrizione"), QStringLiteral("Iva 22%")}, {QStringLiteral("Iva"), 22.0}});
        trip = test::addRow(fixture.archive(), QStringLiteral("UnitaMisura"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Viaggio")}});
    }

    qint64 tariff(const QVariant &from, const QVariant &to)
    {
        return test::addRow(fixture.archive(), QStringLiteral("prezziar"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano bilico")},
                             {QStringLiteral("Partenza_ID"), from},
                             {QStringLiteral("PartenzaCitta"), QStringLiteral("Verona")},
                             {QStringLiteral("Fine_ID"), to},
                             {QStringLiteral("FineCitta"), QStringLiteral("Milano")},
                             {QStringLiteral("Prezzo"), 650.0},
                             {QStringLiteral("Sconto"), 0.0},
                             {QStringLiteral("AliquotaIva"), 22.0},
                             {QStringLiteral("Iva_Id"), vat},
                             {QStringLiteral("Um_Id"), trip},
                             {QStringLiteral("PrezzoFornitore"), 420.0},
                             {QStringLiteral("Note"), QStringLiteral("carico al mattino")},
                             {QStringLiteral("Chilometri"), 12.5},
                             {QStringLiteral("TempoOre"), 3},
                             {QStringLiteral("TempoMinuti"), 10},
                             {QStringLiteral("Percorso"), QStringLiteral("a memoria")},
                             {QStringLiteral("Annullato"), false}});
    }

    QVariantMap row(qint64 key) { return fixture.archive().readRow(QStringLiteral("prezziar"), key).value(); }

    std::unique_ptr<RouteWindow> routeWindow(qint64 key)
    {
        return std::make_unique<RouteWindow>(*fixture.session, key,
                                             std::make_unique<transport::CurlRouteService>(server.address()));
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    test::HttpTestServer server;
    qint64 vat = 0;
    qint64 trip = 0;
};

} // namespace

TEST_F(RouteWindows, TheCardsButtonShowsTheRouteAndSavesItIntoTheCard)
{
    const test::ItalianLocale italian;
    const qint64 key = tariff(veronaKey, milanoKey);
    const QVariantMap before = row(key);
    TariffCardWindow card(*fixture.session, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    card.pages()->setCurrentIndex(1);
    auto *web = card.findChild<QPushButton *>(QStringLiteral("Button1"));
    ASSERT_TRUE(web->isEnabled());
    EXPECT_EQ(web->text(), QStringLiteral("Vedi Informazioni sul Web"));

    bool shown = false;
    test::whenWindowOpens(QStringLiteral("TfrmNavigazione"), [&](QDialog &window) {
        shown = true;
        EXPECT_EQ(window.windowTitle(), QStringLiteral("vedi sul Web"));
        EXPECT_EQ(server.requestCount(), 1) << "the route is asked as the window opens";
        EXPECT_EQ(textOf(window, "edtPartenza"), QStringLiteral("Verona (VR)"));
        EXPECT_EQ(textOf(window, "edtDestinazione"), QStringLiteral("Milano (MI)"));
        EXPECT_EQ(textOf(window, "edtChilometri"), QStringLiteral("1.480,00"));
        EXPECT_EQ(textOf(window, "edtOre"), QStringLiteral("26"));
        EXPECT_EQ(textOf(window, "edtMinuti"), QStringLiteral("5"));
        EXPECT_TRUE(
            textOf(window, "memPercorso").startsWith(QStringLiteral("Partenza verso sud-est (180 m)\n")));
        EXPECT_EQ(row(key).value(QStringLiteral("TempoOre")).toInt(), 3) << "nothing is written before Salva";
        test::click(window, "btnMappa");
        test::click(window, "Button2");
        test::click(window, "spdIndietro");
    });
    test::click(card, QStringLiteral("Button1"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(server.targets(),
              QStringList{QStringLiteral(
                  "/route/v1/driving/10.9916,45.4384;9.19,45.4642?overview=false&steps=true")});
    EXPECT_EQ(fixture.prompter.texts(), QStringList{messages::saved()});
    ASSERT_EQ(fixture.desktop.opened.size(), 1);
    EXPECT_EQ(fixture.desktop.opened.first().toString(QUrl::FullyEncoded),
              QStringLiteral("https://www.openstreetmap.org/directions?engine=fossgis_osrm_car&route="
                             "45.4384%2C10.9916%3B45.4642%2C9.19"));

    // The card shows what was stored, and has nothing of its own left to save.
    EXPECT_EQ(textOf(card, "edtChilometri"), QStringLiteral("1.480,00"));
    EXPECT_EQ(card.findChild<QSpinBox *>(QStringLiteral("edtTempoOre"))->value(), 26);
    EXPECT_EQ(card.findChild<QSpinBox *>(QStringLiteral("edtTempoMinuti"))->value(), 5);
    EXPECT_TRUE(textOf(card, "memPercorso").endsWith(QStringLiteral("\nArrivo a destinazione")));
    EXPECT_FALSE(card.form().isDirty());
    const QVariantMap after = row(key);
    EXPECT_DOUBLE_EQ(after.value(QStringLiteral("Chilometri")).toDouble(), 1480.00);
    EXPECT_EQ(after.value(QStringLiteral("TempoOre")).toInt(), 26);
    EXPECT_EQ(after.value(QStringLiteral("TempoMinuti")).toInt(), 5);
    EXPECT_EQ(after.value(QStringLiteral("Percorso")).toString(), textOf(card, "memPercorso"));
    const QStringList routeFields = {QStringLiteral("Chilometri"), QStringLiteral("TempoOre"),
                                     QStringLiteral("TempoMinuti"), QStringLiteral("Percorso")};
    for (auto field = before.cbegin(); field != before.cend(); ++field) {
        if (!routeFields.contains(field.key(), Qt::CaseInsensitive)) {
            EXPECT_EQ(after.value(field.key()), field.value()) << field.key().toStdString();
        }
    }
    test::click(card, QStringLiteral("spdIndietro"));
    EXPECT_FALSE(card.isVisible());
    EXPECT_EQ(fixture.prompter.texts().size(), 1) << fixture.prompter.lastText().toStdString();
}

TEST_F(RouteWindows, ATariffJustAddedIsSavedAsItStandsAndCanStillBeCancelled)
{
    const qint64 key = transport::addTariff(fixture.archive(), fixture.session->today()).value();
    TariffCardWindow card(*fixture.session, windows, key, true);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    // The user chose the two towns and has not saved the tariff yet.
    card.form().setValue(QStringLiteral("Partenza_ID"), veronaKey);
    card.form().setValue(QStringLiteral("Fine_ID"), milanoKey);
    card.pages()->setCurrentIndex(1);
    test::whenWindowOpens(QStringLiteral("TfrmNavigazione"), [](QDialog &window) {
        test::click(window, "Button2");
        test::click(window, "spdIndietro");
    });
    test::click(card, QStringLiteral("Button1"));
    EXPECT_EQ(server.targets(),
              QStringList{QStringLiteral(
                  "/route/v1/driving/10.9916,45.4384;9.19,45.4642?overview=false&steps=true")});
    EXPECT_EQ(fixture.prompter.texts(), QStringList{messages::saved()})
        << "no check of the card stops the lookup of a tariff still being written";
    EXPECT_EQ(row(key).value(QStringLiteral("Partenza_ID")).toLongLong(), veronaKey);
    EXPECT_EQ(row(key).value(QStringLiteral("TempoOre")).toInt(), 26);
    EXPECT_EQ(card.findChild<QSpinBox *>(QStringLiteral("edtTempoOre"))->value(), 26);

    EXPECT_TRUE(card.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisible());
    fixture.prompter.answerQuestions({true});
    test::click(card, QStringLiteral("spdAnnulla"));
    EXPECT_EQ(
        test::count(fixture.archive(), QStringLiteral("SELECT COUNT(*) FROM prezziar WHERE Id = ?"), {key}),
        0);
}

TEST_F(RouteWindows, AMissingArrivalIsToldAndNothingIsAskedOrWritten)
{
    const qint64 key = tariff(veronaKey, QVariant());
    const QVariantMap before = row(key);
    TariffCardWindow card(*fixture.session, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    card.pages()->setCurrentIndex(1);
    test::whenWindowOpens(QStringLiteral("TfrmNavigazione"), [](QDialog &window) {
        EXPECT_EQ(textOf(window, "edtDestinazione"), QStringLiteral("Milano"))
            << "the copy of the name, with no municipality behind it";
        EXPECT_FALSE(window.findChild<QPushButton *>(QStringLiteral("Button2"))->isEnabled());
        test::click(window, "Button1");
        test::click(window, "btnMappa");
        test::click(window, "spdIndietro");
    });
    test::click(card, QStringLiteral("Button1"));
    EXPECT_EQ(fixture.prompter.texts(), QStringList(3, messages::missingArrival()))
        << "on opening, on Calcola percorso and on Mappa";
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_TRUE(fixture.desktop.opened.isEmpty());
    EXPECT_EQ(row(key), before);
}

TEST_F(RouteWindows, AFailedAnswerLeavesNothingToSave)
{
    const qint64 key = tariff(veronaKey, milanoKey);
    const QVariantMap before = row(key);
    const std::unique_ptr<RouteWindow> window = routeWindow(key);
    window->show();
    auto *save = window->findChild<QPushButton *>(QStringLiteral("Button2"));
    EXPECT_FALSE(save->isEnabled()) << "nothing calculated yet";

    server.setReply({500, "<html><body>Internal Server Error</body></html>", "text/html"});
    test::click(*window, "Button1");
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Il servizio percorsi ha risposto con l'errore HTTP 500."));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(window->save());
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione calcolare prima il percorso !"));

    // A good answer, then a bad one: the figures of the first are not kept beside the second.
    server.setReply({200, test::recordedRouteReply("osrm_torino_reggio.json")});
    test::click(*window, "Button1");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(textOf(*window, "edtChilometri"), QStringLiteral("1.480,00"));
    server.setReply({400, test::recordedRouteReply("osrm_noroute.json")});
    test::click(*window, "Button1");
    EXPECT_EQ(fixture.prompter.lastText(), messages::noRoute());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(textOf(*window, "edtChilometri"), QString());
    EXPECT_EQ(textOf(*window, "memPercorso"), QString());
    EXPECT_FALSE(window->save());
    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_EQ(row(key), before);
}

// A service that answers only once the program's own thread has shown it is still drawing.
class ServiceWaitingForTheWindow : public transport::RouteService
{
public:
    core::Result<transport::RouteFigures> route(const transport::GeoPoint &,
                                                const transport::GeoPoint &) override
    {
        askedOnTheProgramsThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        asking.release();
        if (!answer.tryAcquire(1, 5000))
            return core::Result<transport::RouteFigures>::failure(QStringLiteral("nessuno ha risposto"));
        return transport::RouteFigures{161.07, 1, 45, QStringLiteral("Partenza")};
    }

    QSemaphore asking;
    QSemaphore answer;
    bool askedOnTheProgramsThread = true;
};

TEST_F(RouteWindows, TheWindowKeepsDrawingWhileTheServiceIsAskedAndCannotBeClosedMeanwhile)
{
    auto owned = std::make_unique<ServiceWaitingForTheWindow>();
    ServiceWaitingForTheWindow &service = *owned;
    RouteWindow window(*fixture.session, tariff(veronaKey, milanoKey), std::move(owned));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto *state = window.findChild<QLabel *>(QStringLiteral("lblStato"));
    ASSERT_NE(state, nullptr);
    QString stateMeanwhile;
    bool stillOpenAfterClosing = false;
    QTimer::singleShot(0, &window, [&] {
        service.asking.acquire();
        stateMeanwhile = state->text();
        window.close();
        window.reject();
        stillOpenAfterClosing = window.isVisible();
        service.answer.release();
    });
    ASSERT_TRUE(window.calculate()) << fixture.prompter.lastText().toStdString();
    EXPECT_FALSE(service.askedOnTheProgramsThread);
    EXPECT_EQ(stateMeanwhile, QStringLiteral("Richiesta al servizio percorsi in corso..."));
    EXPECT_TRUE(stillOpenAfterClosing);
    EXPECT_EQ(textOf(window, "edtChilometri"), QStringLiteral("161,07"));
    EXPECT_TRUE(window.findChild<QPushButton *>(QStringLiteral("Button2"))->isEnabled());
    window.reject();
    EXPECT_FALSE(window.isVisible()) << "once answered the window closes as usual";
}

TEST_F(RouteWindows, TheOptionsKeepTheAddressOfTheService)
{
    OptionsWindow window(*fixture.session, windows);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.pages()->setCurrentIndex(window.pages()->count() - 1);
    auto *address = window.findChild<QLineEdit *>(QStringLiteral("edtIndirizzoServizioPercorsi"));
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->text(), server.address());
    EXPECT_EQ(address->placeholderText(), QStringLiteral("https://router.project-osrm.org"));
    test::typeInto(window, QStringLiteral("edtIndirizzoServizioPercorsi"),
                   QStringLiteral("https://osrm.ditta.lan"));
    ASSERT_TRUE(window.back()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(transport::routeServiceAddress(fixture.archive()).value(),
              QStringLiteral("https://osrm.ditta.lan"));
}

// A picture of the route window for people to look at.
TEST_F(RouteWindows, Screenshot)
{
    const test::ItalianLocale italian;
    const QString folder = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    server.setReply({200, test::recordedRouteReply("osrm_verona_milano.json")});
    const std::unique_ptr<RouteWindow> window = routeWindow(tariff(veronaKey, milanoKey));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(window->calculate()) << fixture.prompter.lastText().toStdString();
    EXPECT_TRUE(window->grab().save(QDir(folder).filePath(QStringLiteral("percorso.png"))));
}
