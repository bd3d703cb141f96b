#pragma once

#include "core/result.h"

#include <QString>
#include <QVariantMap>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// The default values the firm stored for the new records of a kind ("Clienti", "fattura",
// "fatturaNotaCredito", ...), for the fields of the table they are written to: text ("t"), whole
// numbers ("n") and decimal numbers ("f"). A value that does not read as its kind, or a field the
// table does not have, is refused with a message naming them.
core::Result<QVariantMap> storedDefaults(storage::Archive &archive, const QString &kind,
                                         const QString &table);

// Adds a new record and gives its key: the program's own starting values, the defaults the firm
// stored for its kind over them (the firm's choice wins), and last the values that tie the record
// to its place (the row it belongs to), which nothing overrides. When a default is refused nothing
// is written.
core::Result<qint64> insertWithDefaults(storage::Archive &archive, const QString &kind, const QString &table,
                                        const QVariantMap &values = {}, const QVariantMap &fixed = {});

} // namespace rotalina::shell
