#pragma once

#include "core/result.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace rotalina::storage {
class SqlDialect;
}

namespace rotalina::shell {

// What a print button hands over with its report code: the document it stands on, and the
// choices of a print selection window.
struct ReportContext
{
    std::optional<qint64> key;      // the current document (ID, Id or IDX of the window's current row)
    std::optional<qint64> rowKey;   // the current row of the document (delivery note, cash on delivery)
    QString workstation;            // for the reports of the workstation's work rows
    std::optional<qint64> partyKey; // a customer, a supplier or a driver chosen in a selection window
    std::optional<qint64> bankKey;  // the bank of the monthly bank cash book
    QDate from;
    QDate to;
    int month = 0;
    int year = 0;
    QString parameter;            // the opening balance typed by the user
    bool deliveryVariant = false; // the second delivery-note layout (code 76)
};

// The options that choose a layout.
struct ReportOptions
{
    bool rowsWithVat = true;    // DocumentiRigaIvato
    bool quotePrices = true;    // PrezzoPreventivo
    double cashBookOpening = 0; // SaldoInizialePrimaNota, the parameter of codes 9 to 11
};

// What a report code asks of the print program.
struct ReportSpec
{
    QString reportFile; // file name in the reports folder; empty when the document has no key
    QString landscapeFile;
    QString query; // complete statements: keys as integers, texts as literals
    QString subQuery1;
    QString subQuery2;
    bool filter = false;
    QString parameter;
    bool withHeader = true;
};

constexpr int firstReportCode = 1;
constexpr int lastReportCode = 81;

// The catalogue: report files, statements and flags of codes 1 to 81. A code outside the catalogue
// gives a request without names and statements; a document report without its key gives one too.
ReportSpec reportSpec(int code, const ReportContext &context, const ReportOptions &options,
                      const storage::SqlDialect &dialect);

// Whether the code prints one document (and so needs its key).
bool isDocumentReport(int code);

// The landscape name of a report file: "Lan" before ".rpt".
QString landscapeName(const QString &file);

} // namespace rotalina::shell
