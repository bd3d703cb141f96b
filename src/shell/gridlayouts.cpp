#include "shell/gridlayouts.h"

#include "storage/archive.h"

#include <QSqlRecord>

namespace rotalina::shell {

QString encodeColumnList(const QStringList &entries)
{
    QString text;
    for (QString entry : entries) {
        entry.replace(u'\\', QStringLiteral("\\\\"));
        entry.replace(u'|', QStringLiteral("\\|"));
        text += entry + u'|';
    }
    return text;
}

QStringList decodeColumnList(const QString &text)
{
    QStringList entries;
    QString entry;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool escape =
            c == u'\\' && i + 1 < text.size() && (text.at(i + 1) == u'|' || text.at(i + 1) == u'\\');
        if (escape) {
            entry += text.at(++i);
        } else if (c == u'|') {
            entries.append(entry);
            entry.clear();
        } else {
            entry += c;
        }
    }
    if (!entry.isEmpty())
        entries.append(entry); // a list whose last entry lost its separator
    return entries;
}

namespace {

struct Lists
{
    QString fields;
    QString widths;
    QString titles;
};

Lists listsOf(const QList<GridColumn> &columns)
{
    QStringList fields;
    QStringList widths;
    QStringList titles;
    for (const GridColumn &column : columns) {
        fields.append(column.field);
        widths.append(QString::number(column.width));
        titles.append(column.title);
    }
    return {encodeColumnList(fields), encodeColumnList(widths), encodeColumnList(titles)};
}

std::optional<QList<GridColumn>> columnsOf(const QString &fieldText, const QString &widthText,
                                           const QString &titleText, const QList<GridColumn> &design)
{
    const QStringList fields = decodeColumnList(fieldText);
    const QStringList widths = decodeColumnList(widthText);
    const QStringList titles = decodeColumnList(titleText);
    if (fields.isEmpty() || fields.size() != widths.size() || fields.size() != titles.size())
        return std::nullopt;
    QList<GridColumn> columns;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const bool known = std::any_of(design.cbegin(), design.cend(), [&](const GridColumn &designed) {
            return designed.field.compare(fields.at(i), Qt::CaseInsensitive) == 0;
        });
        bool isNumber = false;
        const int width = widths.at(i).toInt(&isNumber);
        if (!known || !isNumber)
            return std::nullopt;
        columns.append({fields.at(i), titles.at(i), width});
    }
    return columns;
}

} // namespace

GridLayoutStore::GridLayoutStore(storage::Archive &archive, QString workstation)
    : m_archive(archive), m_workstation(std::move(workstation))
{}

core::Result<std::optional<qint64>> GridLayoutStore::findRow(const QString &grid)
{
    using R = core::Result<std::optional<qint64>>;
    const core::Result<QVariant> key = m_archive.scalar(
        QStringLiteral("SELECT ID FROM Griglie WHERE NomeComputer = ? AND NomeGriglia = ? ORDER BY ID"),
        {m_workstation, grid});
    if (!key)
        return R::failure(key.error());
    return key->isValid() && !key->isNull() ? std::optional<qint64>(key->toLongLong()) : std::nullopt;
}

core::Status GridLayoutStore::save(const QString &grid, const QList<GridColumn> &shown,
                                   const QList<GridColumn> &design, bool alsoAsDesign)
{
    if (shown.isEmpty())
        return {};
    const core::Result<std::optional<qint64>> row = findRow(grid);
    if (!row)
        return core::Status::failure(row.error());
    const Lists user = listsOf(shown);
    QVariantMap values = {{QStringLiteral("NomeGriglia"), grid},
                          {QStringLiteral("NomeComputer"), m_workstation},
                          {QStringLiteral("CampiUtente"), user.fields},
                          {QStringLiteral("WidthUtente"), user.widths},
                          {QStringLiteral("CaptionUtente"), user.titles}};
    bool recordDesign = alsoAsDesign || !row->has_value();
    if (!recordDesign) {
        const core::Result<QVariant> stored =
            m_archive.scalar(QStringLiteral("SELECT CampiPredefiniti FROM Griglie WHERE ID = ?"), {**row});
        if (!stored)
            return core::Status::failure(stored.error());
        recordDesign = stored->isNull();
    }
    if (recordDesign) {
        const Lists program = listsOf(design);
        values.insert(QStringLiteral("CampiPredefiniti"), program.fields);
        values.insert(QStringLiteral("WidthPredefiniti"), program.widths);
        values.insert(QStringLiteral("CaptionPredefiniti"), program.titles);
        values.insert(QStringLiteral("TotaleCampiPredefiniti"), static_cast<int>(design.size()));
    }
    if (row->has_value())
        return m_archive.update(QStringLiteral("Griglie"), **row, values);
    return core::Status::from(m_archive.insert(QStringLiteral("Griglie"), values));
}

core::Result<std::optional<QList<GridColumn>>> GridLayoutStore::columnsToShow(const QString &grid,
                                                                              const QList<GridColumn> &shown,
                                                                              const QList<GridColumn> &design,
                                                                              bool useDesign)
{
    using R = core::Result<std::optional<QList<GridColumn>>>;
    const core::Result<std::optional<qint64>> row = findRow(grid);
    if (!row)
        return R::failure(row.error());
    core::Result<QSqlQuery> stored =
        m_archive.select(QStringLiteral("SELECT * FROM Griglie WHERE ID = ?"), {row->value_or(0)});
    if (!stored)
        return R::failure(stored.error());
    const bool found = row->has_value() && stored->next();
    const QSqlRecord record = found ? stored->record() : QSqlRecord();
    const bool redesigned =
        found && record.value(QStringLiteral("TotaleCampiPredefiniti")).toInt() != design.size();
    const bool incomplete = found && (record.value(QStringLiteral("WidthUtente")).isNull() ||
                                      record.value(QStringLiteral("CampiUtente")).isNull());
    if (!found || redesigned || incomplete) {
        if (core::Status saved = save(grid, design, design, true); !saved)
            return R::failure(saved.error());
        return std::optional<QList<GridColumn>>(design);
    }
    const QString prefix = useDesign ? QStringLiteral("Predefiniti") : QStringLiteral("Utente");
    const std::optional<QList<GridColumn>> columns =
        columnsOf(record.value(QStringLiteral("Campi") + prefix).toString(),
                  record.value(QStringLiteral("Width") + prefix).toString(),
                  record.value(QStringLiteral("Caption") + prefix).toString(), design);
    if (!columns) {
        if (core::Status saved = save(grid, shown, design, false); !saved)
            return R::failure(saved.error());
        return std::optional<QList<GridColumn>>();
    }
    return columns;
}

} // namespace rotalina::shell
