#pragma once

#include "core/result.h"

#include <QDate>
#include <QMap>
#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::bench {

// The size of a synthetic archive: ten years of a busy haulage office at scale 1.0, about
// 200,000 documents and 2,000,000 rows in all.
struct SyntheticArchiveSize
{
    double scale = 1.0;
    int years = 10;
    QDate today = QDate::currentDate();
};

// Fills a new archive with customers, suppliers and ten years of documents: invoices with rows
// and due dates, purchase invoices, credit notes, job orders with rows, transport documents,
// quotes, loading lists, cash-book entries and calendar entries. Earlier years are already in
// history, as start-up leaves them. The result counts the rows written per table.
core::Result<QMap<QString, qint64>> fillSyntheticArchive(storage::Archive &archive,
                                                         const SyntheticArchiveSize &size);

} // namespace rotalina::bench
