#include "support/testarchive.h"

#include "storage/codetables.h"
#include "storage/schemamigration.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
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

// A fingerprint of what a new archive holds: the tables of both engines and the shipped code
// tables. Test programs share a template archive as long as it does not change.
QString templateFingerprint()
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const storage::SchemaDefinition &schema = storage::archiveSchema();
    hash.addData(QByteArray::number(schema.version()));
    for (const storage::TableDef &table : schema.tables()) {
        for (storage::Engine engine : {storage::Engine::SQLite, storage::Engine::PostgreSQL})
            hash.addData(storage::schema_migration::createTableStatement(storage::SqlDialect(engine), table,
                                                                         schema.version())
                             .toUtf8());
        for (const storage::IndexDef &index : storage::schema_migration::indexesOf(table))
            hash.addData(index.fields.join(u',').toUtf8());
    }
    for (const storage::SearchIndexDef &index : schema.searchIndexes())
        hash.addData(storage::schema_migration::searchIndexStatement(index).toUtf8());
    const QDir shipped(QStringLiteral(":/data"));
    for (const QString &file : shipped.entryList(QDir::Files, QDir::Name)) {
        QFile data(shipped.filePath(file));
        if (data.open(QIODevice::ReadOnly))
            hash.addData(data.readAll());
    }
    return QString::fromLatin1(hash.result().toHex().left(12));
}

bool databaseExists(const QString &name);

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

namespace {
// Runs some work on a connection to the server's maintenance database.
void onServer(const std::function<void(QSqlDatabase &)> &work)
{
    const QString connection = QStringLiteral("rotalina-test-server");
    {
        const storage::ArchiveLocation server = *storage::ArchiveLocation::parse(serverAddress());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        storage::configurePostgresConnection(db, server);
        if (!db.open())
            throw std::runtime_error(qPrintable(db.lastError().text()));
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

bool databaseExists(const QString &name)
{
    bool exists = false;
    onServer([&](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
        query.addBindValue(name);
        exists = query.exec() && query.next();
    });
    return exists;
}
} // namespace

void runOnServer(const QString &sql)
{
    onServer([&](QSqlDatabase &db) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw std::runtime_error(qPrintable(query.lastError().text()));
    });
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
            // Built once per server for all test programs; it stays until the server goes.
            const QString name = QStringLiteral("rt_template_%1").arg(templateFingerprint());
            if (!databaseExists(name)) {
                const QString building = newDatabase();
                mustOpen(postgresLocation(building), true).reset();
                state().databases.removeOne(building);
                try {
                    runOnServer(QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(building, name));
                } catch (const std::exception &) {
                    // Another test program finished the same template first.
                    runOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(building));
                }
            }
            s.postgresTemplate = name;
        }
        // Copying a template fails while another copy of it is being made: try again.
        for (int attempt = 1;; ++attempt) {
            try {
                return mustOpen(postgresLocation(newDatabase(s.postgresTemplate)), false);
            } catch (const std::exception &) {
                if (attempt == 20)
                    throw;
                QThread::msleep(100);
            }
        }
    }
    if (s.sqliteTemplate.isEmpty()) {
        // Built once for all test programs, then copied for each test.
        const QString cache = QDir::temp().filePath(QStringLiteral("rotalina-test-templates"));
        QDir().mkpath(cache);
        const QString shared =
            QDir(cache).filePath(QStringLiteral("archivio-%1.db").arg(templateFingerprint()));
        if (!QFile::exists(shared)) {
            const storage::ArchiveLocation location = freshLocation();
            mustOpen(location, true).reset();
            // Renaming is atomic: a program building the same template at the same time is harmless.
            const QString partial = shared + QStringLiteral(".%1").arg(QCoreApplication::applicationPid());
            if (!QFile::copy(location.filePath(), partial) || !QFile::rename(partial, shared))
                QFile::remove(partial);
        }
        s.sqliteTemplate = QFile::exists(shared) ? shared : QString();
        if (s.sqliteTemplate.isEmpty())
            throw std::runtime_error("cannot prepare the template archive");
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

int count(storage::Archive &archive, const QString &sql, const QVariantList &params)
{
    const core::Result<QVariant> n = archive.scalar(sql, params);
    EXPECT_TRUE(n.ok()) << n.error().toStdString();
    return n.ok() ? n->toInt() : -1;
}

qint64 addRow(storage::Archive &archive, const QString &table, const QVariantMap &values)
{
    const core::Result<qint64> key = archive.insert(table, values);
    EXPECT_TRUE(key.ok()) << key.error().toStdString();
    return key.ok() ? *key : 0;
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

void runAsWorkstations(const QString &test, const char *archiveVariable, const storage::Archive &archive,
                       int workstations)
{
    QList<QProcess *> running;
    for (int i = 0; i < workstations; ++i) {
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(archiveVariable), archive.location().text());
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + test});
        running.append(process);
    }
    for (QProcess *process : std::as_const(running)) {
        EXPECT_TRUE(process->waitForFinished(180000)) << test.toStdString() << " did not end";
        EXPECT_EQ(process->exitCode(), 0) << process->readAll().toStdString();
        delete process;
    }
}

} // namespace rotalina::test
