#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <chrono>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// The road distance, driving time and driving steps of a tariff, asked of a routing service that
// speaks the OSRM HTTP interface (the public demonstration server, or a firm's own).

// A place on the map, in degrees.
struct GeoPoint
{
    double latitude = 0;
    double longitude = 0;
};

// What a tariff keeps of a route: the kilometres to the hundredth, the driving time in whole
// hours (days counted as 24 hours) and minutes, and the steps one per line.
struct RouteFigures
{
    double kilometres = 0;
    int hours = 0;
    int minutes = 0;
    QString steps;
};

// The limits of one request: reaching the server, and the whole answer.
struct RouteTimeouts
{
    std::chrono::milliseconds connect{10'000};
    std::chrono::milliseconds total{30'000};
};

// Finds the route between two places. The route window is handed one, so that its tests can give
// it one that asks a server of their own.
class RouteService
{
public:
    virtual ~RouteService() = default;
    // The figures of the fastest road route, or a message that says what went wrong.
    virtual core::Result<RouteFigures> route(const GeoPoint &from, const GeoPoint &to) = 0;
};

// Asks an OSRM server over HTTP or HTTPS through libcurl, certificates and host names always
// verified, within the timeouts.
class CurlRouteService : public RouteService
{
public:
    explicit CurlRouteService(QString serviceAddress, RouteTimeouts timeouts = {});
    core::Result<RouteFigures> route(const GeoPoint &from, const GeoPoint &to) override;

private:
    QString m_serviceAddress;
    RouteTimeouts m_timeouts;
};

// The public server used when the options name none.
QString defaultRouteServiceAddress();
// The server of the options (opzioni.IndirizzoServizioPercorsi), or the public one.
core::Result<QString> routeServiceAddress(storage::Archive &archive);

// The request for the route by car from one place to the other, with its steps and without the
// drawing of the route: longitude before latitude, as OSRM wants, and always a decimal point.
// Fails on an address that is not http or https.
core::Result<QString> routeRequestAddress(const QString &serviceAddress, const GeoPoint &from,
                                          const GeoPoint &to);
// The same route drawn on the public map, for the user's browser.
QString routeMapAddress(const GeoPoint &from, const GeoPoint &to);

// Reads the service's answer to a route request: the figures, or the message for the user.
core::Result<RouteFigures> readRouteReply(int httpStatus, const QByteArray &body);
// One step of a route as an Italian line: "Svolta a destra in Via Verdi (350 m)".
QString describeStep(const QJsonObject &step);
// A step's length as a driver reads it: "350 m", "12,4 km"; empty for a few metres.
QString stepLength(double metres);

// A municipality at one end of a tariff's route, by its key.
struct RouteEnd
{
    QVariant key;       // Comuni.ID, null when the tariff has none
    QString name;       // "Castro (BG)", or the tariff's copy of the name
    bool found = false; // the municipality is in the archive
    QVariant latitude;  // as stored, perhaps null
    QVariant longitude;
};

struct TariffRoute
{
    qint64 tariff = 0;
    RouteEnd departure;
    RouteEnd arrival;
};

// The ends of the tariff's route as the archive holds them.
core::Result<TariffRoute> readTariffRoute(storage::Archive &archive, qint64 tariff);

struct RoutePoints
{
    GeoPoint from;
    GeoPoint to;
};
// The two places of the route, or the message that stops the lookup before anything is asked:
// an end missing, a municipality not found or without its coordinates, coordinates unreadable.
core::Result<RoutePoints> routePoints(const TariffRoute &route);
// The same, read from the tariff in the archive.
core::Result<RoutePoints> readRoutePoints(storage::Archive &archive, qint64 tariff);

// Reads the tariff's route, checks its ends and asks the service.
core::Result<RouteFigures> lookUpRoute(storage::Archive &archive, RouteService &service, qint64 tariff);

// Writes the four route fields of the tariff in one save of its row, through the tariff's own save
// (which, as every save of a tariff does, makes an empty cost 0); no other field is touched.
core::Status storeRouteFigures(storage::Archive &archive, qint64 tariff, const RouteFigures &figures);

namespace routeMessages {
QString missingDeparture();  // "Attenzione manca il Comune di Partenza"
QString missingArrival();    // "Attenzione manca il Comune di Destinazione"
QString departureNotFound(); // "Attenzione partenza non trovata nell'archivi dei comuni!"
QString arrivalNotFound();   // "Attenzione destinazione non trovata nell'archivi dei comuni!"
// A municipality that is in the archive without its coordinates (the code table brings none).
QString withoutCoordinates(const QString &town);
QString noRoute();           // "Attenzione inserire informazioni corrette di partenza e destinazione"
QString unreadableFigures(); // "Errore di conversione dei dati !"
QString saved();             // "Informazioni salvate con successo !"
} // namespace routeMessages

} // namespace rotalina::transport
