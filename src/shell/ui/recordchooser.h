#pragma once

#include "shell/gridlayouts.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>
#include <memory>

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class DataGrid;

// A picker: the rows of a statement in a grid, one of which the user chooses with "Avanti" or a
// double click (the window then reports its key); "Indietro" chooses nothing.
struct ChooserDescription
{
    QString window;  // the window's name ("TfrmTrovaFattura")
    QString caption; // "Trova Fattura"
    int helpContext = 5300;
    QString grid; // the name the grid keeps its layout under
    QString statement;
    QVariantList parameters;
    QList<GridColumn> columns;
    QHash<QString, int> numberFields; // field, decimals
    // A box above the grid finding the rows whose field begins with what is typed, or none.
    QString filterField;
    QString filterCaption;
    bool startAtLast = false; // the newest row is the likeliest choice
    QString nothingToChoose;  // shown above the empty grid
};

class RecordChooser : public QDialog
{
    Q_OBJECT

public:
    RecordChooser(Session &session, const ChooserDescription &description, QWidget *parent = nullptr);
    ~RecordChooser() override;

    DataGrid *grid() const { return m_grid; }
    void choose();

private:
    std::unique_ptr<storage::RecordListModel> m_records;
    DataGrid *m_grid;
};

} // namespace rotalina::shell::ui
