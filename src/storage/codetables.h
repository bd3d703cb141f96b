#pragma once

#include "core/csvreader.h"
#include "core/result.h"

#include <QList>
#include <QString>

namespace rotalina::storage {

class Archive;
struct TableDef;

// A code table shipped with the program: the archive table and the CSV file in data/.
struct CodeTableFile
{
    QString table;
    QString file;
};

// The code tables a new archive is filled with, in loading order.
const QList<CodeTableFile> &shippedCodeTables();

// The tables that may be loaded from a CSV file into an existing archive: the shipped code
// tables and the public lists the firm imports (rejection codes, public-administration offices).
QStringList importableCodeTables();

// Fills a new archive: the shipped code tables, and the single rows of options and company data.
// Runs inside the caller's transaction.
core::Status seedNewArchive(Archive &archive);

// How a CSV file replaces the rows of a table: when the file has the table's key column, rows with
// a key already present are updated and the others added (rows the file does not name stay);
// otherwise the file's rows replace all rows of the table.
struct ImportSummary
{
    int inserted = 0;
    int updated = 0;
    int removed = 0;
};

// Loads a parsed CSV (header = field names) into a table in one transaction. Every value is
// checked against its field's kind first: a bad value stops the import before anything is written.
core::Result<ImportSummary> importCsv(Archive &archive, const QString &table, const core::CsvTable &csv);

// The same from a UTF-8 file, for the command-line import; only importable tables are accepted.
core::Result<ImportSummary> importCodeTableFile(Archive &archive, const QString &table, const QString &path);

} // namespace rotalina::storage
