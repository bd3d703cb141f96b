#pragma once

#include "core/result.h"
#include "shell/reportcatalogue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::test {

// The workstation the report archive's work rows belong to, and another one whose rows no report
// of the first may show.
inline const QString reportWorkstation = QStringLiteral("UFFICIO1");
inline const QString otherWorkstation = QStringLiteral("MAGAZZINO");

// What one report is tried with: its code, the layout options, the document or choices it stands on,
// and the texts its output must show (and must not show).
struct ReportCase
{
    int code = 0;
    QString name; // "8" or "8 senza IVA nelle righe": tells the variants apart in messages
    shell::ReportOptions options;
    shell::ReportContext context;
    QStringList expected;
    QStringList absent;
};

// Fills an archive with a small firm's year: company, customers, suppliers, owner-drivers,
// invoices, credit notes, purchase invoices, job orders, transport documents, loading lists,
// quotes, cash book, VAT settlements, fleet, staff, and the work rows of the workstation; gives
// the cases of every report code (and of every layout variant) on it.
core::Result<QList<ReportCase>> seedReportArchive(storage::Archive &archive);

// A new archive of the engine under test filled by seedReportArchive, with its cases; throws when
// it cannot be filled.
struct SeededReportArchive
{
    SeededReportArchive();
    ~SeededReportArchive();

    // The case of the given name ("8", "8 senza IVA nelle righe").
    const ReportCase &find(const QString &name) const;

    std::unique_ptr<storage::Archive> archive;
    QList<ReportCase> cases;
};

// A small PNG logo for the company header.
QByteArray sampleLogo();

} // namespace rotalina::test
