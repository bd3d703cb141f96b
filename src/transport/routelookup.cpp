#include "transport/routelookup.h"

#include "core/money.h"
#include "core/numbertext.h"
#include "storage/archive.h"
#include "transport/tariffs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStringList>
#include <QUrl>
#include <cmath>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace rotalina::transport {

namespace routeMessages {
QString missingDeparture()
{
    return QStringLiteral("Attenzione manca il Comune di Partenza");
}
QString missingArrival()
{
    return QStringLiteral("Attenzione manca il Comune di Destinazione");
}
QString departureNotFound()
{
    return QStringLiteral("Attenzione partenza non trovata nell'archivi dei comuni!");
}
QString arrivalNotFound()
{
    return QStringLiteral("Attenzione destinazione non trovata nell'archivi dei comuni!");
}
QString withoutCoordinates(const QString &town)
{
    return QStringLiteral(
               "Attenzione il comune di %1 non ha le coordinate: inserire Latitudine e Longitudine "
               "nell'archivio dei Comuni.")
        .arg(town);
}
QString noRoute()
{
    return QStringLiteral("Attenzione inserire informazioni corrette di partenza e destinazione");
}
QString unreadableFigures()
{
    return QStringLiteral("Errore di conversione dei dati !");
}
QString saved()
{
    return QStringLiteral("Informazioni salvate con successo !");
}
} // namespace routeMessages

namespace {

// No road route is longer or slower than this; a bigger figure is a fault of the answer.
constexpr double longestPlausibleMetres = 100'000'000.0;
constexpr double longestPlausibleSeconds = 100'000'000.0;
// A route with its steps is a few hundred kilobytes at most; more is not an answer of the service.
constexpr qsizetype largestReply = 16 * 1024 * 1024;

QString incompleteReply(const QString &missing)
{
    return QStringLiteral("La risposta del servizio percorsi è incompleta: manca %1.").arg(missing);
}

// The figures of the route in the answer (the first route is the fastest).
core::Result<RouteFigures> readRoute(const QJsonObject &reply)
{
    using R = core::Result<RouteFigures>;
    const QJsonArray routes = reply.value(u"routes").toArray();
    if (routes.isEmpty() || !routes.first().isObject())
        return R::failure(incompleteReply(QStringLiteral("il percorso")));
    const QJsonObject route = routes.first().toObject();
    const QJsonValue distance = route.value(u"distance");
    const QJsonValue duration = route.value(u"duration");
    if (distance.isUndefined())
        return R::failure(incompleteReply(QStringLiteral("la distanza")));
    if (duration.isUndefined())
        return R::failure(incompleteReply(QStringLiteral("la durata")));
    const auto readable = [](const QJsonValue &value, double largest) {
        return value.isDouble() && std::isfinite(value.toDouble()) && value.toDouble() >= 0 &&
               value.toDouble() < largest;
    };
    if (!readable(distance, longestPlausibleMetres) || !readable(duration, longestPlausibleSeconds))
        return R::failure(routeMessages::unreadableFigures());

    const QJsonValue legs = route.value(u"legs");
    if (!legs.isArray() || legs.toArray().isEmpty())
        return R::failure(incompleteReply(QStringLiteral("l'elenco delle manovre")));
    QStringList lines;
    for (const QJsonValue &leg : legs.toArray()) {
        const QJsonValue steps = leg.toObject().value(u"steps");
        if (!steps.isArray())
            return R::failure(incompleteReply(QStringLiteral("l'elenco delle manovre")));
        for (const QJsonValue &step : steps.toArray()) {
            if (!step.toObject().value(u"maneuver").toObject().value(u"type").isString())
                return R::failure(incompleteReply(QStringLiteral("il tipo di una manovra")));
            lines.append(describeStep(step.toObject()));
        }
    }

    RouteFigures figures;
    figures.kilometres = core::roundDecimals(distance.toDouble() / 1000.0, 2);
    // Minutes are rounded once, before the hours are taken out: 59 min 45 s is 1 h 0 min, never
    // 0 h 60 min.
    const long long minutes = std::llround(duration.toDouble() / 60.0);
    figures.hours = static_cast<int>(minutes / 60);
    figures.minutes = static_cast<int>(minutes % 60);
    figures.steps = lines.join(u'\n');
    return figures;
}

// "right", "slight right", ... as the adverb of a turn; empty for "uturn" and for what OSRM may
// add later.
QString turnDirection(const QString &modifier)
{
    static const QHash<QString, QString> directions = {
        {QStringLiteral("sharp right"), QStringLiteral("decisamente a destra")},
        {QStringLiteral("right"), QStringLiteral("a destra")},
        {QStringLiteral("slight right"), QStringLiteral("leggermente a destra")},
        {QStringLiteral("straight"), QStringLiteral("dritto")},
        {QStringLiteral("slight left"), QStringLiteral("leggermente a sinistra")},
        {QStringLiteral("left"), QStringLiteral("a sinistra")},
        {QStringLiteral("sharp left"), QStringLiteral("decisamente a sinistra")},
    };
    return directions.value(modifier);
}

// The side a ramp or a lane leaves to: nothing when it goes straight on.
QString sideOf(const QString &modifier)
{
    return modifier == u"straight" ? QString() : turnDirection(modifier);
}

// The compass point of a bearing in degrees, clockwise from north.
QString compassPoint(double bearing)
{
    static const QStringList points = {QStringLiteral("nord"),  QStringLiteral("nord-est"),
                                       QStringLiteral("est"),   QStringLiteral("sud-est"),
                                       QStringLiteral("sud"),   QStringLiteral("sud-ovest"),
                                       QStringLiteral("ovest"), QStringLiteral("nord-ovest")};
    const double normalised = std::fmod(std::fmod(bearing, 360.0) + 360.0, 360.0);
    return points.at(static_cast<int>((normalised + 22.5) / 45.0) % 8);
}

// The road of a step: its number and its name ("A4/E70 Autostrada Serenissima"), either alone
// when the other is missing.
QString roadOf(const QJsonObject &step)
{
    const QString name = step.value(u"name").toString().simplified();
    QStringList refs;
    for (const QString &ref : step.value(u"ref").toString().split(u';', Qt::SkipEmptyParts))
        if (!ref.trimmed().isEmpty())
            refs.append(ref.trimmed());
    const QString ref = refs.join(u'/');
    if (ref.isEmpty() || name.contains(ref))
        return name;
    return name.isEmpty() ? ref : ref + u' ' + name;
}

QString onRoad(const QString &road)
{
    return road.isEmpty() ? QString() : QStringLiteral(" su ") + road;
}

QString intoRoad(const QString &road)
{
    return road.isEmpty() ? QString() : QStringLiteral(" in ") + road;
}

QString withSpace(const QString &text)
{
    return text.isEmpty() ? QString() : u' ' + text;
}

// "Prosegui", perhaps bending one way, along the road.
QString goOn(const QString &modifier, const QString &road)
{
    if (modifier == u"uturn")
        return QStringLiteral("Fai inversione a U") + onRoad(road);
    const QString direction = sideOf(modifier);
    if (direction.isEmpty() && road.isEmpty())
        return QStringLiteral("Prosegui dritto");
    return QStringLiteral("Prosegui") + withSpace(direction) + onRoad(road);
}

QString turn(const QString &lead, const QString &modifier, const QString &road)
{
    if (modifier == u"uturn")
        return lead + QStringLiteral(" fai inversione a U") + onRoad(road);
    if (modifier == u"straight")
        return lead + QStringLiteral(" prosegui dritto") + onRoad(road);
    const QString direction = turnDirection(modifier);
    if (direction.isEmpty())
        return lead + QStringLiteral(" prosegui") + onRoad(road);
    return lead + QStringLiteral(" svolta ") + direction + intoRoad(road);
}

QString roundabout(const QJsonObject &step, const QJsonObject &maneuver, const QString &road)
{
    const QString name = step.value(u"rotary_name").toString().simplified();
    const QString place = QStringLiteral("Alla rotatoria") + withSpace(name);
    const int exit = maneuver.value(u"exit").toInt();
    if (exit > 0)
        return place + QStringLiteral(" prendi la %1ª uscita").arg(exit) + intoRoad(road);
    return place + QStringLiteral(" prosegui") + onRoad(road);
}

QString towards(const QJsonObject &step)
{
    const QString destinations = step.value(u"destinations").toString().simplified();
    return destinations.isEmpty() ? QString() : QStringLiteral(" verso ") + destinations;
}

QString manoeuvre(const QJsonObject &step)
{
    const QJsonObject maneuver = step.value(u"maneuver").toObject();
    const QString type = maneuver.value(u"type").toString();
    const QString modifier = maneuver.value(u"modifier").toString();
    const QString road = roadOf(step);

    if (type == u"depart") {
        const QJsonValue bearing = maneuver.value(u"bearing_after");
        return QStringLiteral("Partenza") + (road.isEmpty() ? QString() : QStringLiteral(" da ") + road) +
               (bearing.isDouble() ? QStringLiteral(" verso ") + compassPoint(bearing.toDouble())
                                   : QString());
    }
    if (type == u"arrive") {
        if (modifier.endsWith(u"right"))
            return QStringLiteral("Arrivo a destinazione, sulla destra");
        if (modifier.endsWith(u"left"))
            return QStringLiteral("Arrivo a destinazione, sulla sinistra");
        return QStringLiteral("Arrivo a destinazione");
    }
    // A ferry is told as a ferry, whatever manoeuvre boards it.
    if (step.value(u"mode").toString() == u"ferry")
        return QStringLiteral("Prendi il traghetto") + withSpace(road);
    if (type == u"turn") {
        if (modifier == u"uturn")
            return QStringLiteral("Fai inversione a U") + onRoad(road);
        if (modifier == u"straight")
            return QStringLiteral("Prosegui dritto") + onRoad(road);
        return QStringLiteral("Svolta") + withSpace(turnDirection(modifier)) + intoRoad(road);
    }
    if (type == u"merge")
        return QStringLiteral("Immettiti") + withSpace(sideOf(modifier)) + onRoad(road);
    if (type == u"on ramp")
        return QStringLiteral("Prendi la rampa") + withSpace(sideOf(modifier)) +
               (road.isEmpty() ? QString() : QStringLiteral(" per ") + road) + towards(step);
    if (type == u"off ramp") {
        const QString exits = step.value(u"exits").toString().split(u';', Qt::SkipEmptyParts).join(u'/');
        return QStringLiteral("Prendi l'uscita") + withSpace(exits.trimmed()) + withSpace(sideOf(modifier)) +
               (road.isEmpty() ? QString() : QStringLiteral(" per ") + road) + towards(step);
    }
    if (type == u"fork") {
        const QString side = modifier.endsWith(u"right")  ? QStringLiteral("Al bivio tieni la destra")
                             : modifier.endsWith(u"left") ? QStringLiteral("Al bivio tieni la sinistra")
                                                          : QStringLiteral("Al bivio prosegui dritto");
        return side + (road.isEmpty() ? QString() : QStringLiteral(" per ") + road) + towards(step);
    }
    if (type == u"end of road")
        return turn(QStringLiteral("Alla fine della strada"), modifier, road);
    if (type == u"roundabout" || type == u"rotary")
        return roundabout(step, maneuver, road);
    if (type == u"roundabout turn") {
        if (maneuver.value(u"exit").toInt() > 0)
            return roundabout(step, maneuver, road);
        return turn(QStringLiteral("Alla rotatoria"), modifier, road);
    }
    if (type == u"exit roundabout" || type == u"exit rotary")
        return QStringLiteral("Esci dalla rotatoria") + intoRoad(road);
    // "new name", "continue", "notification" and any manoeuvre OSRM may add later: the road goes
    // on, perhaps under another name.
    return goOn(modifier, road);
}

// Decimals always written with a point, whatever the user's language, without trailing zeros.
QString coordinateText(double degrees)
{
    QString text = QString::number(degrees, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == u"-0" ? QStringLiteral("0") : text;
}

QString invalidAddress(const QString &address)
{
    return QStringLiteral("L'indirizzo del servizio percorsi nelle opzioni non è valido: \"%1\". Deve "
                          "cominciare con https:// (o http:// per un server della ditta).")
        .arg(address);
}

// The end's place, or the message that stops the lookup.
core::Result<GeoPoint> placeOf(const RouteEnd &end, const QString &notFound)
{
    using R = core::Result<GeoPoint>;
    if (!end.found)
        return R::failure(notFound);
    if (end.latitude.isNull() || end.longitude.isNull())
        return R::failure(routeMessages::withoutCoordinates(end.name));
    bool latitudeRead = false;
    bool longitudeRead = false;
    const GeoPoint point{end.latitude.toDouble(&latitudeRead), end.longitude.toDouble(&longitudeRead)};
    if (!latitudeRead || !longitudeRead || !std::isfinite(point.latitude) ||
        !std::isfinite(point.longitude) || std::fabs(point.latitude) > 90 || std::fabs(point.longitude) > 180)
        return R::failure(routeMessages::unreadableFigures());
    // Municipalities brought in without coordinates may hold zeros: no Italian town is there.
    if (point.latitude == 0 && point.longitude == 0)
        return R::failure(routeMessages::withoutCoordinates(end.name));
    return point;
}

struct CurlDeleter
{
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t collectReply(char *data, size_t size, size_t count, void *reply)
{
    auto *bytes = static_cast<QByteArray *>(reply);
    const size_t length = size * count;
    // Returning less than was given ends the transfer with CURLE_WRITE_ERROR.
    if (bytes->size() + static_cast<qsizetype>(length) > largestReply)
        return 0;
    bytes->append(data, static_cast<qsizetype>(length));
    return length;
}

QString transferFailure(CURLcode code, const QString &host, const QString &reason)
{
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("Il servizio percorsi (%1) non ha risposto in tempo: riprovare più tardi.")
            .arg(host);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
        return QStringLiteral("Il certificato del servizio percorsi (%1) non è valido: il collegamento è "
                              "stato rifiutato.\nDettaglio tecnico: %2")
            .arg(host, reason);
    case CURLE_WRITE_ERROR:
        return QStringLiteral("La risposta del servizio percorsi (%1) è troppo grande per essere un "
                              "percorso.")
            .arg(host);
    default:
        // The library's own words go last: they help whoever assists the office, not the office.
        return QStringLiteral("Impossibile collegarsi al servizio percorsi (%1). Controllare la connessione "
                              "a Internet e l'indirizzo del servizio nelle opzioni.\nDettaglio tecnico: %2")
            .arg(host, reason);
    }
}

} // namespace

QString stepLength(double metres)
{
    if (!std::isfinite(metres) || metres < 5)
        return {};
    const long long tens = std::llround(metres / 10.0);
    if (tens < 100)
        return QStringLiteral("%1 m").arg(tens * 10);
    return core::formatItalianNumber(metres / 1000.0, 1) + QStringLiteral(" km");
}

QString describeStep(const QJsonObject &step)
{
    const QString line = manoeuvre(step);
    if (step.value(u"maneuver").toObject().value(u"type").toString() == u"arrive")
        return line;
    const QString length = stepLength(step.value(u"distance").toDouble());
    return length.isEmpty() ? line : line + QStringLiteral(" (") + length + u')';
}

core::Result<RouteFigures> readRouteReply(int httpStatus, const QByteArray &body)
{
    using R = core::Result<RouteFigures>;
    QJsonParseError parsing{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &parsing);
    const bool isJson = parsing.error == QJsonParseError::NoError && document.isObject();
    const QJsonObject reply = document.object();
    const QString code = reply.value(u"code").toString();
    // OSRM answers "no route" with HTTP 400 and the code; either way it is the user's places.
    if (code == u"NoRoute")
        return R::failure(routeMessages::noRoute());
    if (code == u"NoSegment")
        return R::failure(QStringLiteral(
            "Il servizio percorsi non trova una strada vicino al comune di partenza o di destinazione: "
            "controllare la Latitudine e la Longitudine dei due comuni."));
    const QString refused =
        code.isEmpty() || code == u"Ok"
            ? QString()
            : QStringLiteral("Il servizio percorsi non ha calcolato il percorso: ha risposto \"%1\"%2.")
                  .arg(code, reply.value(u"message").toString().isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (") + reply.value(u"message").toString() + u')');
    if (httpStatus < 200 || httpStatus > 299) {
        if (!refused.isEmpty())
            return R::failure(refused);
        if (httpStatus == 429)
            return R::failure(
                QStringLiteral("Il servizio percorsi riceve troppe richieste (errore HTTP 429): "
                               "riprovare tra qualche minuto."));
        return R::failure(
            QStringLiteral("Il servizio percorsi ha risposto con l'errore HTTP %1.").arg(httpStatus));
    }
    if (!isJson)
        return R::failure(QStringLiteral("La risposta del servizio percorsi non è leggibile: non è nel "
                                         "formato JSON atteso."));
    if (code.isEmpty())
        return R::failure(incompleteReply(QStringLiteral("l'esito della richiesta")));
    if (!refused.isEmpty())
        return R::failure(refused);
    return readRoute(reply);
}

QString defaultRouteServiceAddress()
{
    return QStringLiteral("https://router.project-osrm.org");
}

core::Result<QString> routeServiceAddress(storage::Archive &archive)
{
    const core::Result<QVariant> stored =
        archive.scalar(QStringLiteral("SELECT IndirizzoServizioPercorsi FROM opzioni ORDER BY ID LIMIT 1"));
    if (!stored)
        return core::Result<QString>::failure(stored.error());
    const QString address = stored->toString().trimmed();
    return address.isEmpty() ? defaultRouteServiceAddress() : address;
}

core::Result<QString> routeRequestAddress(const QString &serviceAddress, const GeoPoint &from,
                                          const GeoPoint &to)
{
    const QString typed = serviceAddress.trimmed();
    const QUrl service(typed, QUrl::StrictMode);
    const QString scheme = service.scheme().toLower();
    if (!service.isValid() || (scheme != u"https" && scheme != u"http") || service.host().isEmpty() ||
        service.hasQuery() || service.hasFragment())
        return core::Result<QString>::failure(invalidAddress(typed));
    QString base = service.toString(QUrl::FullyEncoded);
    while (base.endsWith(u'/'))
        base.chop(1);
    return QString(base + QStringLiteral("/route/v1/driving/") + coordinateText(from.longitude) + u',' +
                   coordinateText(from.latitude) + u';' + coordinateText(to.longitude) + u',' +
                   coordinateText(to.latitude) + QStringLiteral("?overview=false&steps=true"));
}

QString routeMapAddress(const GeoPoint &from, const GeoPoint &to)
{
    return QStringLiteral("https://www.openstreetmap.org/directions?engine=fossgis_osrm_car&route=") +
           coordinateText(from.latitude) + QStringLiteral("%2C") + coordinateText(from.longitude) +
           QStringLiteral("%3B") + coordinateText(to.latitude) + QStringLiteral("%2C") +
           coordinateText(to.longitude);
}

CurlRouteService::CurlRouteService(QString serviceAddress, RouteTimeouts timeouts)
    : m_serviceAddress(std::move(serviceAddress)), m_timeouts(timeouts)
{
    initialiseCurl();
}

core::Result<RouteFigures> CurlRouteService::route(const GeoPoint &from, const GeoPoint &to)
{
    using R = core::Result<RouteFigures>;
    const core::Result<QString> address = routeRequestAddress(m_serviceAddress, from, to);
    if (!address)
        return R::failure(address.error());
    const QString host = QUrl(*address).host();

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return R::failure(QStringLiteral("Impossibile preparare la richiesta al servizio percorsi."));
    CURL *handle = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    QByteArray body;
    const QByteArray url = address->toUtf8();
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect never leaves HTTPS for plain HTTP.
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR,
                     QUrl(*address).scheme() == u"https" ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connect.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeouts.total.count()));
    // The public server asks its users to say who they are.
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Rotalina (gestionale autotrasporti)");
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collectReply);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);

    const CURLcode result = curl_easy_perform(handle);
    if (result != CURLE_OK)
        return R::failure(transferFailure(
            result, host, QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result))));
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    return readRouteReply(static_cast<int>(status), body);
}

core::Result<TariffRoute> readTariffRoute(storage::Archive &archive, qint64 tariff)
{
    using R = core::Result<TariffRoute>;
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral("SELECT prezziar.Partenza_ID, prezziar.PartenzaCitta, prezziar.Fine_ID, "
                       "prezziar.FineCitta, "
                       "Partenza.ID, Partenza.Comune, Partenza.Provincia, Partenza.Latitudine, "
                       "Partenza.Longitudine, "
                       "Arrivo.ID, Arrivo.Comune, Arrivo.Provincia, Arrivo.Latitudine, Arrivo.Longitudine "
                       "FROM prezziar "
                       "LEFT JOIN Comuni AS Partenza ON Partenza.ID = prezziar.Partenza_ID "
                       "LEFT JOIN Comuni AS Arrivo ON Arrivo.ID = prezziar.Fine_ID "
                       "WHERE prezziar.Id = ?"),
        {tariff});
    if (!read)
        return R::failure(read.error());
    if (read->values.isEmpty())
        return R::failure(storage::Archive::missingRowMessage());
    const QVariantList &row = read->values.first();
    // An end from the tariff's key and copy of the name, and the municipality's columns from its
    // key on: key, name, province, latitude, longitude.
    const auto endAt = [&row](int keyColumn, int copyColumn, int municipality) {
        RouteEnd end;
        end.key = row.value(keyColumn);
        end.found = !row.value(municipality).isNull();
        const QString town = row.value(municipality + 1).toString();
        const QString province = row.value(municipality + 2).toString().trimmed();
        if (!end.found)
            end.name = row.value(copyColumn).toString();
        else
            end.name = province.isEmpty() ? town : QStringLiteral("%1 (%2)").arg(town, province);
        end.latitude = row.value(municipality + 3);
        end.longitude = row.value(municipality + 4);
        return end;
    };
    TariffRoute route;
    route.tariff = tariff;
    route.departure = endAt(0, 1, 4);
    route.arrival = endAt(2, 3, 9);
    return route;
}

core::Result<RoutePoints> routePoints(const TariffRoute &route)
{
    using R = core::Result<RoutePoints>;
    // Rows brought from the old archive may hold 0 for "no municipality".
    const auto missing = [](const QVariant &key) {
        return key.isNull() || key.toLongLong() == 0;
    };
    if (missing(route.departure.key))
        return R::failure(routeMessages::missingDeparture());
    if (missing(route.arrival.key))
        return R::failure(routeMessages::missingArrival());
    const core::Result<GeoPoint> from = placeOf(route.departure, routeMessages::departureNotFound());
    if (!from)
        return R::failure(from.error());
    const core::Result<GeoPoint> to = placeOf(route.arrival, routeMessages::arrivalNotFound());
    if (!to)
        return R::failure(to.error());
    return RoutePoints{*from, *to};
}

core::Result<RoutePoints> readRoutePoints(storage::Archive &archive, qint64 tariff)
{
    const core::Result<TariffRoute> route = readTariffRoute(archive, tariff);
    if (!route)
        return core::Result<RoutePoints>::failure(route.error());
    return routePoints(*route);
}

core::Result<RouteFigures> lookUpRoute(storage::Archive &archive, RouteService &service, qint64 tariff)
{
    const core::Result<RoutePoints> points = readRoutePoints(archive, tariff);
    if (!points)
        return core::Result<RouteFigures>::failure(points.error());
    return service.route(points->from, points->to);
}

core::Status storeRouteFigures(storage::Archive &archive, qint64 tariff, const RouteFigures &figures)
{
    return saveTariff(archive, tariff,
                      {{QStringLiteral("Chilometri"), figures.kilometres},
                       {QStringLiteral("TempoOre"), figures.hours},
                       {QStringLiteral("TempoMinuti"), figures.minutes},
                       {QStringLiteral("Percorso"), figures.steps}});
}

} // namespace rotalina::transport
