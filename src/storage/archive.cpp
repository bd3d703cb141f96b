#include "storage/archive.h"

#include "core/datetext.h"
#include "core/textfile.h"
#include "storage/codetables.h"
#include "storage/foldfunction.h"
#include "storage/schemamigration.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <algorithm>
#include <libpq-fe.h>
#include <optional>
#include <sqlite3.h>

namespace rotalina::storage {

namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("rotalina-archive-%1").arg(counter.fetchAndAddRelaxed(1));
}

bool isBusy(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == u"5" || code == u"6" || error.databaseText().contains(QStringLiteral("locked"));
}

QString archiveError(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return QStringLiteral("Errore dell'archivio: %1").arg(text);
}

// Why a PostgreSQL server refused the connection, in the office's words, from the client
// library's message; empty when it is none of the usual reasons.
QString postgresRefusal(const QString &reason)
{
    const QString text = reason.toLower();
    const auto says = [&text](std::initializer_list<const char *> phrases) {
        return std::any_of(phrases.begin(), phrases.end(),
                           [&text](const char *phrase) { return text.contains(QLatin1String(phrase)); });
    };
    if (says({"no password supplied", "password is required"}))
        return missingPasswordReason();
    if (says({"password authentication failed"}))
        return QStringLiteral("il server non ha accettato la password dell'utente.");
    if (says({"ssl off", "no encryption", "requires ssl", "ssl required"}))
        return QStringLiteral(
            "il server accetta solo connessioni cifrate: aggiungere all'indirizzo "
            "sslmode=verify-full e, con sslrootcert, il certificato dell'autorità del server.");
    if (says({"certificate verify failed", "root certificate file", "does not match host name",
              "server certificate for"}))
        return QStringLiteral(
            "il certificato del server non è attendibile o non è del server indicato: indicare "
            "con sslrootcert il certificato dell'autorità che lo ha firmato.");
    if (says({"server does not support ssl"}))
        return QStringLiteral("il server non accetta connessioni cifrate, che l'indirizzo chiede (sslmode).");
    if (says({"could not connect", "connection refused", "timeout expired", "could not translate host name",
              "no route to host", "network is unreachable"}))
        return QStringLiteral(
            "il server non risponde: controllare il nome del server, la porta, la rete e che "
            "PostgreSQL sia avviato.");
    return {};
}

// Attempts at a statement that finds the SQLite archive locked by another workstation; each
// attempt already waits for the busy timeout.
constexpr int busyAttempts = 3;

} // namespace

Archive::Archive(const ArchiveLocation &location, const SchemaDefinition &schema, QString connectionName)
    : m_location(location), m_dialect(location.engine()), m_schema(&schema),
      m_connectionName(std::move(connectionName))
{}

Archive::~Archive()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen()) {
            if (m_transactionDepth > 0)
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Archive::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

core::Result<std::unique_ptr<Archive>> Archive::open(const ArchiveLocation &location,
                                                     const OpenOptions &options)
{
    using R = core::Result<std::unique_ptr<Archive>>;
    const SchemaDefinition &schema = options.schema ? *options.schema : archiveSchema();
    bool fileIsNew = false;
    if (location.engine() == Engine::SQLite) {
        const QFileInfo file(location.filePath());
        if (!file.exists()) {
            if (!options.createIfMissing)
                return R::failure(QStringLiteral("Archivio non trovato: %1").arg(location.displayText()));
            if (!QFileInfo(file.absolutePath()).isDir())
                return R::failure(QStringLiteral("La cartella dell'archivio non esiste: %1")
                                      .arg(QFileInfo(file.absolutePath()).filePath()));
            fileIsNew = true;
        } else if (!file.isFile() || !file.isReadable()) {
            return R::failure(
                QStringLiteral("L'archivio %1 non è leggibile: controllare i permessi del file.")
                    .arg(location.displayText()));
        }
    }

    std::unique_ptr<Archive> archive(new Archive(location, schema, nextConnectionName()));
    core::Status connected = archive->connect(options.busyTimeoutMs);
    if (connected)
        connected = archive->prepareSchema(options, fileIsNew);
    if (!connected) {
        archive.reset();
        // A file this attempt created is not left behind as an empty archive.
        if (fileIsNew)
            QFile::remove(location.filePath());
        return R::failure(connected.error());
    }
    return R(std::move(archive));
}

core::Status Archive::connect(int busyTimeoutMs)
{
    if (m_location.engine() == Engine::SQLite) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(m_location.filePath());
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (!db.open())
            return core::Status::failure(QStringLiteral("Impossibile aprire l'archivio %1: %2")
                                             .arg(m_location.displayText(), db.lastError().text()));
        // Opening does not read the file: a damaged or foreign file shows up on the first read.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            return core::Status::failure(
                QStringLiteral("L'archivio %1 non è leggibile o è danneggiato: %2")
                    .arg(m_location.displayText(), probe.lastError().databaseText()));
        if (!registerFoldFunction(db))
            return core::Status::failure(
                QStringLiteral("Impossibile preparare l'archivio %1.").arg(m_location.displayText()));
        return {};
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    configurePostgresConnection(db, m_location);
    if (!db.open()) {
        QString reason = db.lastError().databaseText().trimmed();
        if (reason.isEmpty())
            reason = db.lastError().text();
        if (!m_location.password().isEmpty())
            reason.replace(m_location.password(), QStringLiteral("***"));
        const QString explained = postgresRefusal(reason);
        return core::Status::failure(
            QStringLiteral("Impossibile collegarsi all'archivio PostgreSQL %1: %2")
                .arg(m_location.displayText(),
                     explained.isEmpty() ? reason : explained + QStringLiteral("\n(") + reason + u')'));
    }
    // Statements that travel as text (report requests) write their literals with quotes doubled
    // only; a backslash must stay a backslash whatever the server's default says.
    QSqlQuery literals(db);
    if (!literals.exec(QStringLiteral("SET standard_conforming_strings = on")))
        return core::Status::failure(QStringLiteral("Impossibile preparare l'archivio PostgreSQL %1: %2")
                                         .arg(m_location.displayText(), literals.lastError().databaseText()));
    return {};
}

core::Status Archive::prepareSchema(const OpenOptions &options, bool fileIsNew)
{
    core::Result<int> found = schema_migration::readVersion(*this);
    if (!found)
        return core::Status::failure(found.error());
    int version = *found;
    if (version == schema_migration::noArchive) {
        if (!fileIsNew && !existingTables().isEmpty())
            return core::Status::failure(
                QStringLiteral("%1 non è un archivio di Rotalina: contiene altre tabelle.")
                    .arg(m_location.displayText()));
        Transaction transaction(*this);
        if (!transaction.isActive())
            return core::Status::failure(transaction.error());
        core::Status created = schema_migration::create(*this, *m_schema, m_schema->version());
        if (created && options.seedCodeTables)
            created = seedNewArchive(*this);
        if (!created)
            return created;
        if (core::Status committed = transaction.commit(); !committed)
            return committed;
        m_version = m_schema->version();
        return {};
    }
    if (version > m_schema->version())
        return core::Status::failure(
            QStringLiteral("L'archivio %1 è stato aggiornato da una versione più recente di Rotalina "
                           "(archivio versione %2, questo programma arriva alla %3): aggiornare il programma "
                           "prima di usare questo archivio.")
                .arg(m_location.displayText())
                .arg(version)
                .arg(m_schema->version()));
    if (version < m_schema->version()) {
        core::Status upgraded = schema_migration::upgrade(*this, *m_schema, version);
        if (!upgraded)
            return core::Status::failure(
                QStringLiteral(
                    "Aggiornamento dell'archivio %1 non riuscito; l'archivio è rimasto com'era.\n%2")
                    .arg(m_location.displayText(), upgraded.error()));
        version = m_schema->version();
    }
    m_version = version;
    return {};
}

namespace {

// Reads a statement's rows from a SQLite connection directly: the driver's own stepping turns every
// value of every row into a variant through several layers, which a long list feels. Nothing when
// the statement cannot be read this way (a busy archive, a value it does not bind); the caller then
// takes the usual way.
std::optional<Archive::Rows> readSqliteRows(const QSqlDatabase &database, const QString &sql,
                                            const QVariantList &params)
{
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return std::nullopt;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(connection, sql.utf16(), -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    const auto finish = qScopeGuard([statement] { sqlite3_finalize(statement); });
    for (int i = 0; i < params.size(); ++i) {
        const QVariant &value = params.at(i);
        int bound = SQLITE_OK;
        if (value.isNull()) {
            bound = sqlite3_bind_null(statement, i + 1);
        } else {
            switch (value.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                bound = sqlite3_bind_int64(statement, i + 1, value.toLongLong());
                break;
            case QMetaType::Double:
                bound = sqlite3_bind_double(statement, i + 1, value.toDouble());
                break;
            case QMetaType::QString: {
                const QString text = value.toString();
                bound = sqlite3_bind_text16(statement, i + 1, text.utf16(), static_cast<int>(text.size() * 2),
                                            SQLITE_TRANSIENT);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        if (bound != SQLITE_OK)
            return std::nullopt;
    }
    Archive::Rows rows;
    const int columns = sqlite3_column_count(statement);
    for (int c = 0; c < columns; ++c)
        rows.fields.append(QString::fromUtf8(sqlite3_column_name(statement, c)));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                row.append(QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement, c))));
                break;
            case SQLITE_FLOAT:
                row.append(QVariant(sqlite3_column_double(statement, c)));
                break;
            case SQLITE_TEXT:
                row.append(QVariant(
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c)),
                                      sqlite3_column_bytes(statement, c))));
                break;
            case SQLITE_BLOB:
                row.append(QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, c)),
                                               sqlite3_column_bytes(statement, c))));
                break;
            default:
                row.append(QVariant());
            }
        }
        rows.values.append(std::move(row));
    }
    if (step != SQLITE_DONE)
        return std::nullopt;
    return rows;
}

// The statement with its "?" marks numbered as PostgreSQL's own ("$1", "$2"...), leaving alone
// those inside quoted texts and names.
QByteArray numberedMarks(const QString &sql)
{
    QString numbered;
    numbered.reserve(sql.size() + 16);
    QChar quote;
    int mark = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            numbered += u'$' + QString::number(++mark);
            continue;
        }
        numbered += c;
    }
    return numbered.toUtf8();
}

// A bound value as PostgreSQL reads it in text form; nothing for a value this way does not bind.
std::optional<QByteArray> postgresText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QByteArray(value.toBool() ? "true" : "false");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QString:
        return value.toString().toUtf8();
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    default:
        return std::nullopt;
    }
}

struct ResultFree
{
    void operator()(PGresult *result) const { PQclear(result); }
};
using PostgresResult = std::unique_ptr<PGresult, ResultFree>;

// The libpq connection under the driver's, when the driver shows it.
PGconn *postgresConnection(const QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    // The driver names the connection by libpq's structure.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.data());
}

// Runs a statement on PostgreSQL's own connection in one round trip: the driver prepares, runs and
// discards each statement in three, which a server across the network feels. Nothing when it
// cannot run this way (a value it does not write as text, a connection busy with the driver's own
// reading or in a failed transaction); the caller then takes the usual way.
std::optional<PostgresResult> runOnPostgres(const QSqlDatabase &database, const QString &sql,
                                            const QVariantList &params)
{
    PGconn *connection = postgresConnection(database);
    if (!connection)
        return std::nullopt;
    const PGTransactionStatusType state = PQtransactionStatus(connection);
    if (state != PQTRANS_IDLE && state != PQTRANS_INTRANS)
        return std::nullopt;
    QList<QByteArray> texts;
    texts.reserve(params.size());
    std::vector<const char *> values;
    values.reserve(params.size());
    for (const QVariant &value : params) {
        if (value.isNull()) {
            texts.append(QByteArray());
            values.push_back(nullptr);
            continue;
        }
        std::optional<QByteArray> text = postgresText(value);
        if (!text)
            return std::nullopt;
        texts.append(std::move(*text));
        values.push_back(texts.last().constData());
    }
    return PostgresResult(PQexecParams(connection, numberedMarks(sql).constData(),
                                       static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                                       nullptr, 0));
}

// The rows of a result read directly: dates come back as the archive's canonical text, as they do
// from SQLite (the driver turns every date of a long list into a local date-time, which costs more
// than reading the list). Nothing for a column of a kind this reading does not know.
std::optional<Archive::Rows> postgresRows(PGresult *result)
{
    constexpr Oid boolean = 16, int8 = 20, int2 = 21, int4 = 23, oid = 26, float4 = 700, float8 = 701,
                  numeric = 1700, date = 1082, timestamp = 1114, text = 25, varchar = 1043, character = 1042;
    Archive::Rows rows;
    const int columns = PQnfields(result);
    std::vector<Oid> types(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        rows.fields.append(QString::fromUtf8(PQfname(result, c)));
        types[static_cast<size_t>(c)] = PQftype(result, c);
        switch (types[static_cast<size_t>(c)]) {
        case boolean:
        case int8:
        case int2:
        case int4:
        case oid:
        case float4:
        case float8:
        case numeric:
        case date:
        case timestamp:
        case text:
        case varchar:
        case character:
            break;
        default:
            return std::nullopt; // times with zones, bytes...: the driver knows them
        }
    }
    const int count = PQntuples(result);
    rows.values.reserve(count);
    for (int r = 0; r < count; ++r) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result, r, c)) {
                row.append(QVariant());
                continue;
            }
            const char *value = PQgetvalue(result, r, c);
            const int length = PQgetlength(result, r, c);
            switch (types[static_cast<size_t>(c)]) {
            case boolean:
                row.append(QVariant(value[0] == 't'));
                break;
            case int2:
            case int4:
                row.append(QVariant(QByteArray::fromRawData(value, length).toInt()));
                break;
            case int8:
            case oid:
                row.append(QVariant(QByteArray::fromRawData(value, length).toLongLong()));
                break;
            case float4:
            case float8:
            case numeric:
                row.append(QVariant(QByteArray::fromRawData(value, length).toDouble()));
                break;
            case date:
                row.append(QVariant(QDate::fromString(QString::fromLatin1(value, length), Qt::ISODate)));
                break;
            default:
                row.append(QVariant(QString::fromUtf8(value, length)));
            }
        }
        rows.values.append(std::move(row));
    }
    return rows;
}

} // namespace

std::optional<core::Result<Archive::Rows>> Archive::runDirect(const QString &sql, const QVariantList &params,
                                                              int *affected)
{
    using R = core::Result<Rows>;
    if (engine() != Engine::PostgreSQL)
        return std::nullopt;
    std::optional<PostgresResult> result = runOnPostgres(database(), sql, params);
    if (!result)
        return std::nullopt;
    switch (PQresultStatus(result->get())) {
    case PGRES_COMMAND_OK:
        if (affected)
            *affected = QByteArray(PQcmdTuples(result->get())).toInt();
        return R(Rows{});
    case PGRES_TUPLES_OK: {
        if (affected)
            *affected = QByteArray(PQcmdTuples(result->get())).toInt();
        if (std::optional<Rows> rows = postgresRows(result->get()))
            return R(std::move(*rows));
        // Columns of a kind read only by the driver: a plain reading is read again that way; a
        // statement that changed something has done it and cannot run twice.
        if (sql.trimmed().startsWith(QStringLiteral("SELECT"), Qt::CaseInsensitive))
            return std::nullopt;
        return R::failure(QStringLiteral("Errore dell'archivio: risultato non leggibile."));
    }
    default:
        break;
    }
    const QString reason = QString::fromUtf8(PQresultErrorMessage(result->get())).trimmed();
    qWarning("Statement failed: %s\n%s", qPrintable(reason), qPrintable(sql));
    if (m_transactionDepth > 0)
        m_rollbackOnly = true;
    return R::failure(QStringLiteral("Errore dell'archivio: %1").arg(reason));
}

core::Result<Archive::Rows> Archive::readRows(const QString &sql, const QVariantList &params)
{
    if (engine() == Engine::SQLite) {
        if (std::optional<Rows> quick = readSqliteRows(database(), sql, params))
            return std::move(*quick);
    } else if (std::optional<core::Result<Rows>> direct = runDirect(sql, params)) {
        return std::move(*direct);
    }
    core::Result<QSqlQuery> query = select(sql, params);
    if (!query)
        return core::Result<Rows>::failure(query.error());
    Rows rows;
    const QSqlRecord shape = query->record();
    for (int c = 0; c < shape.count(); ++c)
        rows.fields.append(shape.fieldName(c));
    while (query->next()) {
        QVariantList row;
        row.reserve(shape.count());
        for (int c = 0; c < shape.count(); ++c)
            row.append(query->value(c));
        rows.values.append(std::move(row));
    }
    return rows;
}

core::Result<QSqlQuery> Archive::run(const QString &sql, const QVariantList &params)
{
    QSqlDatabase db = database();
    for (int attempt = 1;; ++attempt) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        bool ok = true;
        if (params.isEmpty()) {
            ok = query.exec(sql);
        } else {
            ok = query.prepare(sql);
            if (ok) {
                for (const QVariant &value : params)
                    query.addBindValue(value);
                ok = query.exec();
            }
        }
        if (ok)
            return query;
        const QSqlError error = query.lastError();
        if (m_location.engine() == Engine::SQLite && isBusy(error)) {
            if (attempt < busyAttempts) {
                ++m_busyRetries;
                QThread::msleep(200);
                continue;
            }
            return core::Result<QSqlQuery>::failure(
                QStringLiteral(
                    "L'archivio è occupato da un'altra postazione: riprovare tra qualche istante.\n%1")
                    .arg(archiveError(error)));
        }
        qWarning("Statement failed: %s\n%s", qPrintable(error.text()), qPrintable(sql));
        if (m_transactionDepth > 0)
            m_rollbackOnly = true;
        return core::Result<QSqlQuery>::failure(archiveError(error));
    }
}

core::Result<QSqlQuery> Archive::select(const QString &sql, const QVariantList &params)
{
    return run(sql, params);
}

core::Result<int> Archive::execute(const QString &sql, const QVariantList &params)
{
    int affected = 0;
    if (std::optional<core::Result<Rows>> direct = runDirect(sql, params, &affected)) {
        if (!*direct)
            return core::Result<int>::failure(direct->error());
        return affected;
    }
    core::Result<QSqlQuery> query = run(sql, params);
    if (!query)
        return core::Result<int>::failure(query.error());
    return query->numRowsAffected();
}

core::Result<QVariant> Archive::scalar(const QString &sql, const QVariantList &params)
{
    if (std::optional<core::Result<Rows>> direct = runDirect(sql, params)) {
        if (!*direct)
            return core::Result<QVariant>::failure(direct->error());
        return (*direct)->values.isEmpty() ? QVariant() : (*direct)->values.first().value(0);
    }
    core::Result<QSqlQuery> query = run(sql, params);
    if (!query)
        return core::Result<QVariant>::failure(query.error());
    return query->next() ? query->value(0) : QVariant();
}

core::Result<QVariantMap> Archive::readRow(const QString &table, qint64 key)
{
    core::Result<QHash<qint64, QVariantMap>> rows = readRowsByKey(table, QList<qint64>{key});
    if (!rows)
        return core::Result<QVariantMap>::failure(rows.error());
    if (rows->isEmpty())
        return core::Result<QVariantMap>::failure(missingRowMessage());
    return rows->begin().value();
}

core::Result<QHash<qint64, QVariantMap>> Archive::readRowsByKey(const QString &table,
                                                                const QList<qint64> &keys)
{
    using R = core::Result<QHash<qint64, QVariantMap>>;
    QString error;
    const TableDef *def = tableOrNull(table, error);
    if (!def)
        return R::failure(error);
    QHash<qint64, QVariantMap> found;
    if (keys.isEmpty())
        return found;
    QStringList marks;
    QVariantList params;
    for (const qint64 key : keys) {
        marks.append(QStringLiteral("?"));
        params.append(key);
    }
    core::Result<QSqlQuery> query = run(QStringLiteral("SELECT * FROM %1 WHERE %2 IN (%3)")
                                            .arg(def->name, def->keyName(), marks.join(QStringLiteral(", "))),
                                        params);
    if (!query)
        return R::failure(query.error());
    // The columns by name once, instead of a search of every column for every field of a wide table.
    const QSqlRecord shape = query->record();
    QHash<QString, int> columns;
    columns.reserve(shape.count());
    for (int index = 0; index < shape.count(); ++index)
        columns.insert(shape.fieldName(index).toLower(), index);
    QList<std::pair<QString, int>> fields;
    for (const FieldDef &field : def->fields)
        if (const int index = columns.value(field.name.toLower(), -1); index >= 0)
            fields.append({field.name, index});
    const int keyColumn = columns.value(def->keyName().toLower(), -1);
    while (query->next()) {
        QVariantMap row;
        for (const auto &[name, index] : fields)
            row.insert(name, query->value(index));
        found.insert(query->value(keyColumn).toLongLong(), row);
    }
    return found;
}

const TableDef *Archive::tableOrNull(const QString &table, QString &error) const
{
    const TableDef *def = m_schema->table(table);
    if (!def)
        error = QStringLiteral("Tabella sconosciuta: %1").arg(table);
    return def;
}

core::Result<QStringList> Archive::checkedColumns(const TableDef &table, const QStringList &fields) const
{
    QStringList columns;
    for (const QString &name : fields) {
        const FieldDef *field = table.field(name);
        if (!field)
            return core::Result<QStringList>::failure(
                QStringLiteral("Il campo %1 non esiste nella tabella %2.").arg(name, table.name));
        columns.append(field->name);
    }
    return columns;
}

QVariant Archive::archiveValue(FieldKind kind, const QVariant &value)
{
    const bool empty = !value.isValid() || value.isNull() ||
                       (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
    switch (kind) {
    case FieldKind::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString().trimmed().toLower();
            return text == u"1" || text == u"true" || text == u"vero" || text == u"si" || text == u"sì";
        }
        return empty ? false : value.toBool();
    case FieldKind::Date: {
        if (empty)
            return QVariant();
        if (value.typeId() == QMetaType::QDate)
            return core::datetext::canonical(value.toDate());
        if (value.typeId() == QMetaType::QDateTime)
            return core::datetext::canonical(value.toDateTime());
        const QString text = value.toString();
        if (const auto parsed = core::datetext::parseCanonical(text))
            return core::datetext::canonical(*parsed);
        if (const auto shortDate = core::datetext::parseShortDate(text))
            return core::datetext::canonical(*shortDate);
        return QVariant();
    }
    case FieldKind::Key:
    case FieldKind::Integer:
    case FieldKind::Ref: {
        if (empty)
            return QVariant();
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        return ok ? QVariant(static_cast<qlonglong>(std::llround(number))) : QVariant();
    }
    case FieldKind::Double: {
        if (empty)
            return QVariant();
        bool ok = false;
        const double number = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                                   : value.toDouble(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case FieldKind::Text:
    case FieldKind::Memo:
    case FieldKind::TextRef:
        if (!value.isValid() || value.isNull())
            return QVariant(QMetaType(QMetaType::QString));
        return value.toString();
    case FieldKind::Binary:
        if (!value.isValid() || value.isNull())
            return QVariant(QMetaType(QMetaType::QByteArray));
        return value.toByteArray();
    }
    return value;
}

core::Result<qint64> Archive::insert(const QString &table, const QVariantMap &values)
{
    using R = core::Result<qint64>;
    QString error;
    const TableDef *def = tableOrNull(table, error);
    if (!def)
        return R::failure(error);
    const core::Result<QStringList> columns = checkedColumns(*def, values.keys());
    if (!columns)
        return R::failure(columns.error());
    QVariantList params;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        params.append(archiveValue(def->field(it.key())->kind, it.value()));
    QString sql;
    if (columns->isEmpty())
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2").arg(def->name, def->keyName());
    else
        sql = SqlDialect::insertStatement(def->name, *columns, def->keyName());
    const QString noKey =
        QStringLiteral("L'archivio non ha restituito la chiave della nuova riga di %1.").arg(table);
    if (std::optional<core::Result<Rows>> direct = runDirect(sql, params)) {
        if (!*direct)
            return R::failure(direct->error());
        if ((*direct)->values.isEmpty())
            return R::failure(noKey);
        return (*direct)->values.first().value(0).toLongLong();
    }
    core::Result<QSqlQuery> query = run(sql, params);
    if (!query)
        return R::failure(query.error());
    if (!query->next())
        return R::failure(noKey);
    return query->value(0).toLongLong();
}

core::Status Archive::update(const QString &table, qint64 key, const QVariantMap &values)
{
    QString error;
    const TableDef *def = tableOrNull(table, error);
    if (!def)
        return core::Status::failure(error);
    if (values.isEmpty())
        return {};
    const core::Result<QStringList> columns = checkedColumns(*def, values.keys());
    if (!columns)
        return core::Status::failure(columns.error());
    QStringList assignments;
    QVariantList params;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        assignments.append(def->field(it.key())->name + QStringLiteral(" = ?"));
        params.append(archiveValue(def->field(it.key())->kind, it.value()));
    }
    params.append(key);
    const core::Result<int> changed =
        execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                    .arg(def->name, assignments.join(QStringLiteral(", ")), def->keyName()),
                params);
    if (!changed)
        return core::Status::failure(changed.error());
    return *changed == 0 ? core::Status::failure(missingRowMessage()) : core::Status();
}

core::Status Archive::remove(const QString &table, qint64 key)
{
    QString error;
    const TableDef *def = tableOrNull(table, error);
    if (!def)
        return core::Status::failure(error);
    const core::Result<int> removed =
        execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(def->name, def->keyName()), {key});
    if (!removed)
        return core::Status::failure(removed.error());
    return *removed == 0 ? core::Status::failure(missingRowMessage()) : core::Status();
}

QString Archive::missingRowMessage()
{
    return QStringLiteral("Attenzione il record è stato eliminato da un'altra postazione !");
}

core::Status Archive::insertRows(const QString &table, const QStringList &fields,
                                 const QList<QVariantList> &rows)
{
    QString error;
    const TableDef *def = tableOrNull(table, error);
    if (!def)
        return core::Status::failure(error);
    const core::Result<QStringList> columns = checkedColumns(*def, fields);
    if (!columns)
        return core::Status::failure(columns.error());
    QList<FieldKind> kinds;
    for (const QString &name : fields)
        kinds.append(def->field(name)->kind);
    for (const QVariantList &row : rows) {
        if (row.size() != kinds.size())
            return core::Status::failure(
                QStringLiteral("Riga di %1 con un numero di valori errato.").arg(table));
    }

    Transaction transaction(*this);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    if (m_location.engine() == Engine::SQLite) {
        // SQLite is fastest with one prepared statement run once per row.
        QSqlQuery query(database());
        if (!query.prepare(SqlDialect::insertStatement(def->name, *columns, QString())))
            return core::Status::failure(archiveError(query.lastError()));
        for (const QVariantList &row : rows) {
            for (qsizetype c = 0; c < kinds.size(); ++c)
                query.bindValue(static_cast<int>(c), archiveValue(kinds.at(c), row.at(c)));
            if (!query.exec()) {
                m_rollbackOnly = true;
                return core::Status::failure(archiveError(query.lastError()));
            }
        }
    } else {
        // A server is fastest with many rows per round trip, within its limit on bound values.
        const int perStatement = std::max(1, 2000 / std::max<int>(1, static_cast<int>(columns->size())));
        for (qsizetype first = 0; first < rows.size(); first += perStatement) {
            const int count = static_cast<int>(std::min<qsizetype>(perStatement, rows.size() - first));
            QVariantList params;
            params.reserve(count * kinds.size());
            for (int r = 0; r < count; ++r) {
                const QVariantList &row = rows.at(first + r);
                for (qsizetype c = 0; c < kinds.size(); ++c)
                    params.append(archiveValue(kinds.at(c), row.at(c)));
            }
            const core::Result<int> inserted =
                execute(SqlDialect::insertStatement(def->name, *columns, QString(), count), params);
            if (!inserted)
                return core::Status::failure(inserted.error());
        }
    }
    return transaction.commit();
}

core::Status Archive::continueKeysAfterHighest(const QString &table)
{
    if (m_location.engine() != Engine::PostgreSQL)
        return {}; // SQLite continues after the highest key by itself
    QString error;
    const TableDef *def = tableOrNull(table, error);
    if (!def)
        return core::Status::failure(error);
    const QString key = def->keyName().toLower();
    const QString name = def->name.toLower();
    return core::Status::from(select(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                                                    "COALESCE((SELECT MAX(%2) FROM %1), 0) + 1, false)")
                                         .arg(name, key)));
}

core::Status Archive::beginTransaction()
{
    if (m_transactionDepth > 0) {
        ++m_transactionDepth;
        return {};
    }
    // SQLite takes the write lock at once, so that two workstations cannot both read a number
    // and then both write it; PostgreSQL locks rows as they are written.
    const QString begin =
        m_location.engine() == Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
    core::Result<QSqlQuery> started = run(begin, {});
    if (!started)
        return core::Status::failure(started.error());
    m_transactionDepth = 1;
    m_rollbackOnly = false;
    return {};
}

core::Status Archive::lockSequence(const QString &sequence)
{
    if (m_transactionDepth == 0)
        return core::Status::failure(QStringLiteral("Nessuna transazione aperta."));
    if (m_location.engine() == Engine::SQLite)
        return {};
    const QString name = QStringLiteral("rotalina:") + sequence;
    const core::Result<QSqlQuery> locked =
        run(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"), QVariantList{name});
    return locked ? core::Status{} : core::Status::failure(locked.error());
}

core::Status Archive::commitTransaction()
{
    if (m_transactionDepth == 0)
        return core::Status::failure(QStringLiteral("Nessuna transazione aperta."));
    if (m_transactionDepth > 1) {
        --m_transactionDepth;
        return {};
    }
    if (m_rollbackOnly) {
        rollbackTransaction();
        return core::Status::failure(QStringLiteral(
            "Operazione annullata: una parte non è riuscita e nessuna modifica è stata salvata."));
    }
    core::Result<QSqlQuery> committed = run(QStringLiteral("COMMIT"), {});
    if (!committed) {
        rollbackTransaction();
        return core::Status::failure(committed.error());
    }
    m_transactionDepth = 0;
    return {};
}

void Archive::rollbackTransaction()
{
    if (m_transactionDepth == 0)
        return;
    if (m_transactionDepth > 1) {
        // An inner part failed: the whole action must not be committed.
        --m_transactionDepth;
        m_rollbackOnly = true;
        return;
    }
    QSqlQuery query(database());
    query.exec(QStringLiteral("ROLLBACK"));
    m_transactionDepth = 0;
    m_rollbackOnly = false;
}

QStringList Archive::existingTables() const
{
    QStringList names;
    for (const QString &name : database().tables(QSql::Tables)) {
        if (!name.startsWith(QStringLiteral("sqlite_")))
            names.append(name.toLower());
    }
    return names;
}

QStringList Archive::existingFields(const QString &table) const
{
    QStringList names;
    const QString name = m_location.engine() == Engine::PostgreSQL ? table.toLower() : table;
    const QSqlRecord record = database().record(name);
    for (int i = 0; i < record.count(); ++i)
        names.append(record.fieldName(i).toLower());
    return names;
}

QString missingPasswordReason()
{
    return QStringLiteral("il server chiede una password, che né l'indirizzo né il file delle password "
                          "dell'utente danno.");
}

bool needsPassword(const QString &openError)
{
    return openError.contains(missingPasswordReason());
}

core::Result<QString> storeInPasswordFile(const ArchiveLocation &location)
{
    using R = core::Result<QString>;
    if (location.engine() != Engine::PostgreSQL || location.password().isEmpty())
        return R::failure(QStringLiteral("L'indirizzo non contiene una password da conservare."));
    QString path = qEnvironmentVariable("PGPASSFILE");
    if (path.isEmpty())
        path = QDir::home().filePath(QStringLiteral(".pgpass"));
    // Each field with its colons and backslashes escaped, as the client library reads them.
    const auto escaped = [](QString field) {
        return field.replace(u'\\', QStringLiteral("\\\\")).replace(u':', QStringLiteral("\\:"));
    };
    const QString key =
        QStringList{escaped(location.host().isEmpty() ? QStringLiteral("localhost") : location.host()),
                    QString::number(location.port()), escaped(location.databaseName()),
                    escaped(location.user())}
            .join(u':');
    QStringList lines;
    if (QFile::exists(path)) {
        const core::Result<QString> existing = core::readTextFile(path);
        if (!existing)
            return R::failure(existing.error());
        for (const QString &line : existing->split(u'\n', Qt::SkipEmptyParts))
            if (!line.startsWith(key + u':'))
                lines.append(line);
    }
    lines.append(key + u':' + escaped(location.password()));
    // The file is the user's alone before the password is in it: the client library ignores a
    // password file others can read.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return R::failure(QStringLiteral("Impossibile scrivere il file delle password %1: %2")
                              .arg(path, file.errorString()));
    const QByteArray text = (lines.join(u'\n') + u'\n').toUtf8();
    if (file.write(text) != text.size() || !file.flush())
        return R::failure(QStringLiteral("Impossibile scrivere il file delle password %1: %2")
                              .arg(path, file.errorString()));
    return path;
}

void configurePostgresConnection(QSqlDatabase &database, const ArchiveLocation &location)
{
    database.setHostName(location.host());
    // A service without a server of the address's own gives its port too.
    if (!location.host().isEmpty())
        database.setPort(location.port());
    database.setUserName(location.user());
    database.setPassword(location.password());
    database.setDatabaseName(location.databaseName());
    database.setConnectOptions(location.connectOptions());
}

Transaction::Transaction(Archive &archive) : m_archive(archive)
{
    const core::Status begun = archive.beginTransaction();
    m_active = begun.ok();
    m_error = begun.error();
}

Transaction::~Transaction()
{
    if (m_active)
        m_archive.rollbackTransaction();
}

core::Status Transaction::commit()
{
    if (!m_active)
        return core::Status::failure(m_error.isEmpty() ? QStringLiteral("Transazione non attiva.") : m_error);
    m_active = false;
    return m_archive.commitTransaction();
}

} // namespace rotalina::storage
