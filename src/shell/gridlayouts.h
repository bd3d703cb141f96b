#pragma once

#include "core/result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// A column of a data grid: the field it shows, its title and its width in pixels.
struct GridColumn
{
    QString field;
    QString title;
    int width = 0;
    bool operator==(const GridColumn &) const = default;
};

// The stored form of a column list: each entry followed by "|". A "|" or "\" inside an entry is
// written after a "\", so that a title holding "|" cannot shift the entries after it; lists written
// without escapes read the same.
QString encodeColumnList(const QStringList &entries);
QStringList decodeColumnList(const QString &text);

// The column arrangements each workstation keeps for every grid of the program, by grid name: the
// user's and the program's own (the grid's design when it was recorded).
class GridLayoutStore
{
public:
    GridLayoutStore(storage::Archive &archive, QString workstation);

    // Stores the grid's columns (shown ones, in display order) as the user's arrangement; also as
    // the program's arrangement when asked or when the grid has none recorded yet.
    core::Status save(const QString &grid, const QList<GridColumn> &shown, const QList<GridColumn> &design,
                      bool alsoAsDesign);

    // The columns the grid must show: the user's arrangement, or the program's when asked. A grid
    // with nothing stored, or whose design gained or lost columns since its arrangement was
    // recorded, stores its design and shows it. A stored arrangement that cannot be read (lists of
    // different lengths, fields the grid does not have) is replaced by what the grid shows now,
    // and nothing is returned: the grid stays as it is.
    core::Result<std::optional<QList<GridColumn>>> columnsToShow(const QString &grid,
                                                                 const QList<GridColumn> &shown,
                                                                 const QList<GridColumn> &design,
                                                                 bool useDesign);

private:
    core::Result<std::optional<qint64>> findRow(const QString &grid);

    storage::Archive &m_archive;
    QString m_workstation;
};

} // namespace rotalina::shell
