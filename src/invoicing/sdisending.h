#pragma once

#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

// The exported file of an invoice to send to the exchange system: the signed envelope when it lies
// beside the XML, the XML otherwise.
struct SdiFile
{
    qint64 invoice = 0;
    QString number; // as the list shows it: 5/2024
    QString path;
};

struct SdiSelection
{
    QString address;            // the exchange system's certified-mail address of the options
    QList<SdiFile> files;       // in the order chosen
    QStringList missingNumbers; // chosen invoices that have no exported file
};

// The files of the chosen invoices. An invoice exported before the export kept its file's path is
// looked for under its standard name in the electronic-invoice folder of the options.
core::Result<SdiSelection> sdiSelection(storage::Archive &archive, const QList<qint64> &invoices);

// The subject of the message: the names of the files.
QString sdiSubject(const QList<SdiFile> &files);

// Records the day each invoice's file first went to the exchange system; a later send keeps the
// first date. Files not in sentPaths are left alone.
core::Status recordSdiSending(storage::Archive &archive, const QList<SdiFile> &files,
                              const QStringList &sentPaths, const QDate &day);

namespace sdiMessages {
QString missingAddress();
QString notExported(const QStringList &numbers);
} // namespace sdiMessages

} // namespace rotalina::invoicing
