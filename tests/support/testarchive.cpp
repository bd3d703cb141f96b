#include "support/testarchive.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rotalina::test {

namespace {

struct State
{
    std::unique_ptr<QTemporaryDir> folder;
    QStringList databases;
    QString sqliteTemplate;
    QString postgresTemplate;
    int counter = 0;
};

State &state()
{
    static State s;
    return s;
}

QString serverAddress()
{
    return qEnvironmentVariable("ROTALINA_TEST_PG");
}

QString tempFolder()
{
    if (!state().folder) {
        state().folder = std::make_unique<QTemporaryDir>();
        state().folder->setAutoRemove(true);
    }
    return state().folder->path();
}

QString uniqueName(const QString &prefix)
{
    return QStringLiteral("%1_%2_%3")
        .arg(prefix)
        .arg(QCoreApplication::applicationPid())
        .arg(++state().counter);
}

storage::ArchiveLocation postgresLocation(const QString &database)
{
    const core::Result<storage::ArchiveLocation> server = storage::ArchiveLocation::parse(serverAddress());
    if (!server)
        throw std::runtime_error(qPrintable(server.error()));
    QString address = serverAddress();
    address.truncate(address.lastIndexOf(u'/') + 1);
    return *storage::ArchiveLocation::parse(address + database);
}

QString newDatabase(const QString &templateName = QString())
{
    const QString name = uniqueName(QStringLiteral("rt"));
    runOnServer(templateName.isEmpty()
                    ? QStringLiteral("CREATE DATABASE %1").arg(name)
                    : QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, templateName));
    state().databases.append(name);
    return name;
}

std::unique_ptr<storage::Archive> mustOpen(const storage::ArchiveLocation &location, bool create)
{
    storage::OpenOptions options;
    options.createIfMissing = create;
    core::Result<std::unique_ptr<storage::Archive>> archive = storage::Archive::open(location, options);
    if (!archive)
        throw std::runtime_error(qPrintable(archive.error()));
    return std::move(archive).value();
}

} // namespace

storage::Engine engineUnderTest()
{
    const QString engine = qEnvironmentVariable("ROTALINA_TEST_ENGINE").toLower();
    if (engine == u"postgresql" || engine == u"postgres") {
        if (serverAddress().isEmpty())
            throw std::runtime_error("ROTALINA_TEST_ENGINE=postgresql needs ROTALINA_TEST_PG");
        return storage::Engine::PostgreSQL;
    }
    return storage::Engine::SQLite;
}

void runOnServer(const QString &sql)
{
    const QString connection = QStringLiteral("rotalina-test-server");
    {
        const storage::ArchiveLocation server = *storage::ArchiveLocation::parse(serverAddress());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(server.host());
        db.setPort(server.port());
        db.setUserName(server.user());
        db.setPassword(server.password());
        db.setDatabaseName(server.databaseName());
        if (!db.open())
            throw std::runtime_error(qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw std::runtime_error(qPrintable(query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

storage::ArchiveLocation freshLocation()
{
    if (engineUnderTest() == storage::Engine::PostgreSQL)
        return postgresLocation(newDatabase());
    return storage::ArchiveLocation::sqliteFile(tempFolder() + u'/' + uniqueName(QStringLiteral("archivio")) +
                                                QStringLiteral(".db"));
}

std::unique_ptr<storage::Archive> newArchive()
{
    State &s = state();
    if (engineUnderTest() == storage::Engine::PostgreSQL) {
        if (s.postgresTemplate.isEmpty()) {
            const QString name = newDatabase();
            mustOpen(postgresLocation(name), true).reset();
            s.postgresTemplate = name;
        }
        return mustOpen(postgresLocation(newDatabase(s.postgresTemplate)), false);
    }
    if (s.sqliteTemplate.isEmpty()) {
        const storage::ArchiveLocation location = freshLocation();
        mustOpen(location, true).reset();
        s.sqliteTemplate = location.filePath();
    }
    const storage::ArchiveLocation copy = freshLocation();
    if (!QFile::copy(s.sqliteTemplate, copy.filePath()))
        throw std::runtime_error("cannot copy the template archive");
    return mustOpen(copy, false);
}

std::unique_ptr<storage::Archive> openAgain(const storage::ArchiveLocation &location)
{
    return mustOpen(location, false);
}

void removeTestArchives()
{
    State &s = state();
    for (const QString &database : std::as_const(s.databases)) {
        try {
            runOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
        } catch (const std::exception &) {
            // a database left behind only costs space on the test server
        }
    }
    s.databases.clear();
    s.folder.reset();
}

} // namespace rotalina::test
