#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::print {

// What a workstation asked the print program for: its row of TempStampa.
struct ReportRequest
{
    QString reportFile;
    QString landscapeFile;
    QString query;
    QString subQuery1;
    QString subQuery2;
    QString parameter;
    bool filter = false;
    bool setup = false;
    bool withHeader = true;
    bool exportToFile = false;
    QString exportPath;
    int exportType = 0;
};

// The workstation's request, or nothing when it has none.
core::Result<std::optional<ReportRequest>> readRequest(storage::Archive &archive, const QString &workstation);

// The rows of one statement of a request.
struct ReportRows
{
    QStringList fields;
    QList<QVariantList> rows;

    int fieldIndex(const QString &field) const; // case-insensitive, -1 when absent
    QVariant value(int row, const QString &field) const;
    // The rows where some value holds the text (upper or lower case alike); all when it is empty.
    ReportRows narrowed(const QString &text) const;
};

// The company block of every page header.
struct CompanyData
{
    QString name;
    QStringList lines; // address, VAT number, contacts
    QByteArray logo;
};

// Everything a layout is filled with.
struct ReportData
{
    ReportRows main;
    ReportRows sub[2];
    CompanyData company;
    QString parameter;
    // The workstation's monthly rows of the work tables the layout's charts read, by table name in
    // lower case.
    QHash<QString, ReportRows> chartRows;

    const ReportRows &rows(int source) const { return source == 0 ? main : sub[source - 1]; }
};

// Runs the statements of the request. A statement that fails stops the report with its message.
core::Result<ReportData> loadReportData(storage::Archive &archive, const ReportRequest &request);
core::Result<ReportRows> runStatement(storage::Archive &archive, const QString &sql);
core::Result<CompanyData> loadCompany(storage::Archive &archive);

} // namespace rotalina::print
