#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::registries {

// Every registry of the lookup tables, and the one of the given list window (or card window).
const QList<shell::RegistryDescriptor> &lookupRegistries();
const shell::RegistryDescriptor *registryNamed(const QString &window);

// The registries the "Tipologie" window lists: caption and list window.
QList<QPair<QString, QString>> typeRegistries();

// Tank fillings: saving one adds its litres to its tank, less what it held before.
struct TankFilling
{
    qint64 tank = 0;
    QVariant date;
    QVariant litres;
    QVariant amount;
    QVariant invoice; // fattura.ID
    QString invoiceText;
};
shell::RecordChecks tankFillingChecks();
core::Result<qint64> saveTankFilling(storage::Archive &archive, std::optional<qint64> key,
                                     const TankFilling &filling);
// Deleting a filling takes its litres out of the tank.
core::Status deleteTankFilling(storage::Archive &archive, qint64 key);
// The purchase invoices a filling may refer to: key and text, newest first.
QString tankFillingInvoicesSql();

} // namespace rotalina::registries
