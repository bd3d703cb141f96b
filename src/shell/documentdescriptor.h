#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// A page of a document's window: its header fields, then the grids of the rows that belong to the
// document (the document's rows, its due dates, its order references).
struct DocumentTab
{
    QString caption;
    QList<RegistryField> fields;
    QList<RegistryRows> rows;
};

// One kind of document (an invoice, a credit note, a job order...): its header table and the pages
// of its window, the checks of its save, how it is saved and deleted, and the header fields the
// program keeps up to date when its rows change.
struct DocumentDescriptor
{
    QString window;  // the window's name ("TForm7")
    QString caption; // "Fatturazione"
    QString table;   // the header table
    QList<DocumentTab> tabs;
    RecordChecks checks;
    // Writes the changed header fields (in one transaction with what follows them).
    std::function<core::Status(storage::Archive &archive, qint64 key, const QVariantMap &changed)> save;
    // Deletes the document with everything that belongs to it, in one transaction.
    std::function<core::Status(storage::Archive &archive, qint64 key)> remove;
    // Shown but written by the program only: read again after every change of the rows.
    QStringList computedFields;
    int helpContext = 5300;
};

} // namespace rotalina::shell
