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

// Adds a new record with the stored defaults of its kind, then the caller's own values over
// them, and gives its key. When a default is refused nothing is written.
core::Result<qint64> insertWithDefaults(storage::Archive &archive, const QString &kind, const QString &table,
                                        const QVariantMap &values = {});

} // namespace rotalina::shell
