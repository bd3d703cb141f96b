#pragma once

#include "storage/archivelocation.h"
#include "storage/schema.h"

#include <QString>
#include <QStringList>

namespace rotalina::storage {

// The few places where the two archive engines differ. Statements are otherwise written once:
// "?" placeholders, true/false literals, LIMIT, "||" to join texts, INSERT ... RETURNING.
class SqlDialect
{
public:
    explicit SqlDialect(Engine engine) : m_engine(engine) {}

    Engine engine() const { return m_engine; }

    // Column type of a field in CREATE TABLE and ALTER TABLE.
    QString columnDefinition(const FieldDef &field) const;

    // "<column> LIKE <pattern>" ignoring letter case and accents ("citta" finds "Città");
    // the pattern is the next bound value, "%" and "_" in it are wildcards and "\" escapes them.
    QString foldedLike(const QString &column) const;

    // The bound pattern that finds texts containing what the user typed, taken literally.
    static QString containsPattern(const QString &typed);
    static QString startsWithPattern(const QString &typed);
    // The bound pattern that finds the same text, whatever its case and accents.
    static QString samePattern(const QString &typed);

    // A text written as an SQL string literal, for the few statements that travel as text (report
    // requests): between single quotes, each quote doubled, and NUL characters (which would cut the
    // statement) left out.
    static QString textLiteral(const QString &text);

    // Year and month of a date column, as integers.
    QString yearOf(const QString &column) const;
    QString monthOf(const QString &column) const;
    // A text column as a whole number when it holds digits only (up to 18 of them), else NULL.
    QString wholeNumberOf(const QString &column) const;

    // INSERT INTO table (columns) VALUES (?, ...) RETURNING key, for rows rows at once.
    static QString insertStatement(const QString &table, const QStringList &columns, const QString &returning,
                                   int rows = 1);

    // The name of the function both engines offer for folding case and accents.
    static QString foldFunction() { return QStringLiteral("rl_fold"); }
    // The statement that defines it in a PostgreSQL archive.
    static QString postgresFoldFunction();

private:
    Engine m_engine;
};

} // namespace rotalina::storage
