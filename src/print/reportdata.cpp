#include "print/reportdata.h"

#include "storage/archive.h"
#include "storage/workstationrows.h"

#include <QSqlRecord>
#include <algorithm>

namespace rotalina::print {

core::Result<std::optional<ReportRequest>> readRequest(storage::Archive &archive, const QString &workstation)
{
    using R = core::Result<std::optional<ReportRequest>>;
    storage::WorkstationRows own(archive, workstation);
    core::Result<QSqlQuery> rows = own.rows(QStringLiteral("TempStampa"), {QStringLiteral("ID")});
    if (!rows)
        return R::failure(rows.error());
    // Each request replaces the earlier ones; should several be there, the newest counts.
    std::optional<ReportRequest> request;
    while (rows->next()) {
        const QSqlRecord r = rows->record();
        ReportRequest found;
        found.reportFile = r.value(QStringLiteral("NomeReport")).toString();
        found.landscapeFile = r.value(QStringLiteral("NomeReportLandscape")).toString();
        found.query = r.value(QStringLiteral("Query")).toString();
        found.subQuery1 = r.value(QStringLiteral("QuerySottoreport1")).toString();
        found.subQuery2 = r.value(QStringLiteral("QuerySottoreport2")).toString();
        found.parameter = r.value(QStringLiteral("Parametro")).toString();
        found.filter = r.value(QStringLiteral("Filtro")).toBool();
        found.setup = r.value(QStringLiteral("Setup")).toBool();
        found.withHeader = r.value(QStringLiteral("PresenzaTestata")).toBool();
        found.exportToFile = r.value(QStringLiteral("Esportazione")).toBool();
        found.exportPath = r.value(QStringLiteral("FileEsportazione")).toString();
        found.exportType = r.value(QStringLiteral("TipoEsportazione")).toInt();
        request = found;
    }
    return request;
}

int ReportRows::fieldIndex(const QString &field) const
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QVariant ReportRows::value(int row, const QString &field) const
{
    const int column = fieldIndex(field);
    if (column < 0 || row < 0 || row >= rows.size())
        return {};
    return rows.at(row).at(column);
}

ReportRows ReportRows::narrowed(const QString &text) const
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return *this;
    ReportRows kept{fields, {}};
    for (const QVariantList &row : rows) {
        const bool holds = std::any_of(row.cbegin(), row.cend(), [&](const QVariant &value) {
            return !value.isNull() && value.toString().contains(wanted, Qt::CaseInsensitive);
        });
        if (holds)
            kept.rows.append(row);
    }
    return kept;
}

core::Result<ReportRows> runStatement(storage::Archive &archive, const QString &sql)
{
    ReportRows result;
    if (sql.trimmed().isEmpty())
        return result;
    core::Result<QSqlQuery> query = archive.select(sql);
    if (!query)
        return core::Result<ReportRows>::failure(query.error());
    const QSqlRecord shape = query->record();
    for (int i = 0; i < shape.count(); ++i)
        result.fields.append(shape.fieldName(i));
    while (query->next()) {
        QVariantList row;
        row.reserve(shape.count());
        for (int i = 0; i < shape.count(); ++i)
            row.append(query->value(i));
        result.rows.append(row);
    }
    return result;
}

core::Result<CompanyData> loadCompany(storage::Archive &archive)
{
    core::Result<QSqlQuery> row = archive.select(QStringLiteral("SELECT * FROM ditta"));
    if (!row)
        return core::Result<CompanyData>::failure(row.error());
    CompanyData company;
    if (!row->next())
        return company;
    const QSqlRecord r = row->record();
    const auto text = [&](const char *field) {
        return r.value(QString::fromLatin1(field)).toString().trimmed();
    };
    company.name = text("RagSoc");
    const QString street = QString(text("Via") + u' ' + text("Numero")).trimmed();
    const QString town =
        QStringList({text("Cap"), text("Comune"),
                     text("Provincia").isEmpty() ? QString() : u'(' + text("Provincia") + u')'})
            .join(u' ')
            .simplified();
    for (const QString &line : {street, town}) {
        if (!line.isEmpty())
            company.lines.append(line);
    }
    QStringList codes;
    if (!text("PIva").isEmpty())
        codes.append(QStringLiteral("P.IVA ") + text("PIva"));
    if (!text("CodFisc").isEmpty() && text("CodFisc") != text("PIva"))
        codes.append(QStringLiteral("C.F. ") + text("CodFisc"));
    if (!codes.isEmpty())
        company.lines.append(codes.join(QStringLiteral(" - ")));
    QStringList contacts;
    if (!text("Tel").isEmpty())
        contacts.append(QStringLiteral("Tel. ") + text("Tel"));
    if (!text("Email").isEmpty())
        contacts.append(text("Email"));
    if (!contacts.isEmpty())
        company.lines.append(contacts.join(QStringLiteral(" - ")));
    company.logo = r.value(QStringLiteral("Logo")).toByteArray();
    return company;
}

core::Result<ReportData> loadReportData(storage::Archive &archive, const ReportRequest &request)
{
    using R = core::Result<ReportData>;
    ReportData data;
    data.parameter = request.parameter;
    core::Result<ReportRows> main = runStatement(archive, request.query);
    if (!main)
        return R::failure(main.error());
    data.main = std::move(main).value();
    const QString subQueries[] = {request.subQuery1, request.subQuery2};
    for (int i = 0; i < 2; ++i) {
        core::Result<ReportRows> sub = runStatement(archive, subQueries[i]);
        if (!sub)
            return R::failure(sub.error());
        data.sub[i] = std::move(sub).value();
    }
    if (request.withHeader) {
        core::Result<CompanyData> company = loadCompany(archive);
        if (!company)
            return R::failure(company.error());
        data.company = std::move(company).value();
    }
    return data;
}

} // namespace rotalina::print
