#pragma once

#include "storage/archive.h"

#include <QString>
#include <memory>

namespace rotalina::test {

// The engine the archive tests run on: SQLite by default, PostgreSQL when the environment says
// ROTALINA_TEST_ENGINE=postgresql and ROTALINA_TEST_PG holds the address of a server's
// maintenance database on which the tests may create and drop databases.
storage::Engine engineUnderTest();

// A location for a new, empty archive of the engine under test (no file, or an empty database).
storage::ArchiveLocation freshLocation();

// A new archive with the program's tables and code tables, of its own for the calling test.
// Archives are made from a template built once per test program, so that each is quick to get.
std::unique_ptr<storage::Archive> newArchive();

// Another connection to the same archive, as a second workstation would open it.
std::unique_ptr<storage::Archive> openAgain(const storage::ArchiveLocation &location);

// The number the statement counts (the first column of its first row); the test fails when the
// statement does.
int count(storage::Archive &archive, const QString &sql, const QVariantList &params = {});

// Adds a row to a table and gives its key; the test fails when the row cannot be written.
qint64 addRow(storage::Archive &archive, const QString &table, const QVariantMap &values);

// Runs a statement on the server's maintenance database (PostgreSQL only).
void runOnServer(const QString &sql);

// Drops the databases and files the tests made; called once when the test program ends.
// Runs one test of this program in several processes at once, each given the archive's address in
// the environment variable: the workstations of an office working together. Fails the calling
// test for each process that did not end well.
void runAsWorkstations(const QString &test, const char *archiveVariable, const storage::Archive &archive,
                       int workstations = 4);

void removeTestArchives();

} // namespace rotalina::test
