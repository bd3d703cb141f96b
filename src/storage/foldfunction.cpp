#include "storage/foldfunction.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace rotalina::storage {

QString foldedText(const QString &text)
{
    // Plain ASCII text, the common case, has no accents to take off.
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        folded += c == QChar(0x00B4) ? QChar(u'\'') : c.toLower();
    }
    return folded;
}

namespace {
void foldSql(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const QByteArray folded = foldedText(QString::fromUtf8(text, sqlite3_value_bytes(argv[0]))).toUtf8();
    sqlite3_result_text(context, folded.constData(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}
} // namespace

bool registerFoldFunction(const QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    auto *connection = *static_cast<sqlite3 *const *>(handle.data());
    if (!connection)
        return false;
    return sqlite3_create_function_v2(connection, "rl_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                      &foldSql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace rotalina::storage
