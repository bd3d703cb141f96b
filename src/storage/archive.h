#pragma once

#include "core/result.h"
#include "storage/archivelocation.h"
#include "storage/schema.h"
#include "storage/sqldialect.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <memory>

namespace rotalina::storage {

// How an archive is opened.
struct OpenOptions
{
    // Create the archive with every table when its file does not exist yet (only the program's
    // own default archive is created; an archive named elsewhere must exist).
    bool createIfMissing = false;
    // Fill a new archive with the code tables shipped with the program.
    bool seedCodeTables = true;
    const SchemaDefinition *schema = nullptr; // the program's archive when null
    // How long a statement waits for another workstation that holds the SQLite archive.
    int busyTimeoutMs = 5000;
};

// The connection to the archive, SQLite file or PostgreSQL database, and the only way statements
// reach it. Values are always bound, never written into statement text.
class Archive
{
public:
    ~Archive();
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    // Opens the archive, creating or upgrading its tables as needed. On failure the message says
    // what is wrong in Italian and no file is created or changed.
    static core::Result<std::unique_ptr<Archive>> open(const ArchiveLocation &location,
                                                       const OpenOptions &options = {});

    const ArchiveLocation &location() const { return m_location; }
    Engine engine() const { return m_location.engine(); }
    const SqlDialect &dialect() const { return m_dialect; }
    const SchemaDefinition &schema() const { return *m_schema; }
    QSqlDatabase database() const;
    // The archive version written in it (the schema version after opening).
    int version() const { return m_version; }

    // Runs a statement that returns rows.
    core::Result<QSqlQuery> select(const QString &sql, const QVariantList &params = {});
    // Runs a statement that changes rows; the number of rows it changed.
    core::Result<int> execute(const QString &sql, const QVariantList &params = {});
    // All the rows of a statement at once, as values in column order, with the column names: the
    // quick way for long lists (the rows are read straight from a SQLite archive).
    struct Rows
    {
        QStringList fields;
        QList<QVariantList> values;
    };
    core::Result<Rows> readRows(const QString &sql, const QVariantList &params = {});
    // The first column of the first row (an invalid value when there is no row).
    core::Result<QVariant> scalar(const QString &sql, const QVariantList &params = {});
    // The stored fields of one row by their names in the schema; missingRowMessage() when the row
    // is not there.
    core::Result<QVariantMap> readRow(const QString &table, qint64 key);
    // The same for several rows at once, by their keys; rows that are not there are left out.
    core::Result<QHash<qint64, QVariantMap>> readRowsByKey(const QString &table, const QList<qint64> &keys);

    // Inserts a row and returns its new key. Field names must be fields of the table; values are
    // converted to the field kinds (dates to the canonical form, yes/no to booleans).
    core::Result<qint64> insert(const QString &table, const QVariantMap &values);
    // Writing or deleting a row that is no longer there (another workstation deleted it) fails
    // with missingRowMessage(): the user's edit is never reported as saved.
    core::Status update(const QString &table, qint64 key, const QVariantMap &values);
    core::Status remove(const QString &table, qint64 key);
    static QString missingRowMessage();
    // Inserts many rows with the same fields in few statements (code tables, bulk copies).
    core::Status insertRows(const QString &table, const QStringList &fields, const QList<QVariantList> &rows);
    // After rows were inserted with explicit keys: new rows continue after the highest key.
    core::Status continueKeysAfterHighest(const QString &table);

    // The value as the archive stores it for a field of the given kind.
    static QVariant archiveValue(FieldKind kind, const QVariant &value);

    // Transactions nest: only the outermost really begins and commits. Use Transaction.
    core::Status beginTransaction();
    core::Status commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_transactionDepth > 0; }
    // Inside a transaction: waits until no other workstation is giving out numbers of the same
    // sequence, and keeps them waiting until the transaction ends. A SQLite archive is already
    // held whole by the transaction; PostgreSQL takes a lock on the sequence's name.
    core::Status lockSequence(const QString &sequence);
    // How many times a statement waited and tried again because another workstation held the
    // archive, since the archive was opened.
    int busyRetries() const { return m_busyRetries; }

    // Names of the tables present in the archive, in lower case.
    QStringList existingTables() const;
    // Names of the fields of a table present in the archive, in lower case.
    QStringList existingFields(const QString &table) const;

private:
    Archive(const ArchiveLocation &location, const SchemaDefinition &schema, QString connectionName);
    core::Status connect(int busyTimeoutMs);
    core::Status prepareSchema(const OpenOptions &options, bool fileIsNew);
    core::Result<QSqlQuery> run(const QString &sql, const QVariantList &params);
    // A statement run on the server's own connection in one round trip; nothing when it must take
    // the driver's way. affected receives the rows it changed.
    std::optional<core::Result<Rows>> runDirect(const QString &sql, const QVariantList &params,
                                                int *affected = nullptr);
    const TableDef *tableOrNull(const QString &table, QString &error) const;
    core::Result<QStringList> checkedColumns(const TableDef &table, const QStringList &fields) const;

    ArchiveLocation m_location;
    SqlDialect m_dialect;
    const SchemaDefinition *m_schema;
    QString m_connectionName;
    int m_version = 0;
    int m_transactionDepth = 0;
    bool m_rollbackOnly = false;
    int m_busyRetries = 0;
};

// The part of a refused connection's message that says the server wants a password the address
// and the password file do not give; the start-up then asks for it.
QString missingPasswordReason();
bool needsPassword(const QString &openError);
// Keeps the address's password in the user's password file (the file PGPASSFILE names, else
// ~/.pgpass), readable by the user alone, replacing an earlier one for the same server, port,
// database and user; the file's path.
core::Result<QString> storeInPasswordFile(const ArchiveLocation &location);

// Points a PostgreSQL connection at the server, database and account of the address.
void configurePostgresConnection(QSqlDatabase &database, const ArchiveLocation &location);

// Keeps the changes of one user action together: commits them whole when commit() is called, and
// rolls them back if the guard goes out of scope first (an error, an early return, an exception).
class Transaction
{
public:
    explicit Transaction(Archive &archive);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // False when the transaction could not begin (error() says why).
    bool isActive() const { return m_active; }
    const QString &error() const { return m_error; }
    core::Status commit();

private:
    Archive &m_archive;
    bool m_active = false;
    QString m_error;
};

} // namespace rotalina::storage
