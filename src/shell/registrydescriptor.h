#pragma once

#include "core/result.h"
#include "shell/gridlayouts.h"
#include "shell/recordchecks.h"

#include <QHash>
#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// A field of a registry's card.
struct RegistryField
{
    enum class Kind {
        Text,
        Memo,
        Amount, // a decimal number in the amount box
        Date,
        Check,
        Lookup, // a choice from another table; lookupSql gives key and text
        Colour, // a colour of the standard list, stored as a 24-bit integer
        Hidden  // kept with the row without an editor of its own (filled by a choice)
    };
    QString field;
    QString caption;
    Kind kind = Kind::Text;
    int maxLength = 0; // texts
    int decimals = 2;  // amounts
    QString lookupSql;
    // Values copied into other fields of the card when a choice is made: a statement with one
    // bound value (the chosen key) whose columns are named after the fields they fill. Emptying the
    // choice empties them.
    QString copySql;
    QStringList copiedFields;
    // A value the copy statement gives empty leaves its field as it is (a town without a single
    // postcode keeps the one typed).
    bool copyKeepsWhatIsEmpty = false;
    // The card a small button beside the choice opens on the chosen row, and the button's name.
    QString cardWindow;
    QString cardButton;
    // The list the same button opens when nothing is chosen, so that a row can be added to an
    // empty registry without leaving the card; the row added there is chosen.
    QString listWindow;
    // How a stored key that the choices do not hold is shown: a statement with the key bound.
    QString unlistedSql;
    // The hint shown over the editor.
    QString hint;
    // The field begins a new column of the card (long cards stand in columns side by side).
    bool newColumn = false;
};

// A field of a card, and a choice from another table with the values its choice copies.
RegistryField registryField(const char *field, const char *caption,
                            RegistryField::Kind kind = RegistryField::Kind::Text, int maxLength = 0);
RegistryField registryChoice(const char *field, const char *caption, const QString &sql,
                             const QString &copySql = {}, QStringList copiedFields = {});
// The choice with the "…" button that opens the list of its registry (to add the first row).
RegistryField withList(RegistryField field, const char *listWindow);

struct RegistryDescriptor;

// Rows that belong to a registry row and are shown in its card (the streets of a municipality,
// the fillings of a tank): their own registry, and the field that holds the owner's key.
struct RegistryRows
{
    // The rows' registry: given as a function because the registries that own rows and those of
    // their rows are built together and refer to each other.
    std::function<const RegistryDescriptor *()> registry;
    QString ownerField;
    QString caption;
    QString grid; // the name the card's grid of these rows keeps its layout under
};

// Rows of another table that use a registry row: while there are any, the row is not deleted.
struct RegistryUse
{
    QString table;
    QString field;   // the field that holds the registry row's key
    QString caption; // how the message names these rows
};

// One registry of the program: its list window and card, its table and how rows are checked,
// saved and deleted.
struct RegistryDescriptor
{
    QString listWindow; // the list window's name ("TfrmGrigliaBanche")
    QString cardWindow; // the card's name; empty when the list edits its rows itself
    QString listCaption;
    QString cardCaption;
    QString table;
    // The list: its statement (without WHERE and ORDER BY), order, columns and filter fields.
    QString listSql;
    QString order;
    QList<GridColumn> columns;
    QList<QPair<QString, QString>> filters; // field of the statement, caption
    // The filter fields find the rows whose field begins with the typed text instead of those that
    // contain it (codes, where "00" must not find "10010"); a lone "*" then asks nothing.
    bool filtersBeginWith = false;
    // The title of the box the filter fields stand in ("Cerca Per"); without one they stand in a row.
    QString filterCaption;
    QList<RegistryField> fields;
    RecordChecks checks;
    QString deleteQuestion;
    // Statements with one bound value, the row's key, run in the same transaction as the save, or
    // before the delete.
    QStringList afterSave;
    QStringList beforeDelete;
    // The rows that keep a row from being deleted, and the first line of the message that says so.
    QList<RegistryUse> usedBy;
    QString inUseMessage;
    QVariantMap newValues; // values of a new row before the stored defaults
    QString todayField;    // a date field a new row starts with today's date in
    int helpContext = 5300;
    QList<RegistryRows> rows;
    // The row of another registry it belongs to (a street of a municipality): set on new rows.
    QString ownerField;
    // A delete of its own, instead of the statements and the row's removal (a tank filling gives
    // its litres back to the tank).
    std::function<core::Status(storage::Archive &archive, qint64 key)> remove;
    // A save of its own, instead of writing the fields and running the statements after a save.
    std::function<core::Status(storage::Archive &archive, qint64 key, const QVariantMap &values)> save;
    // A new row of its own kind (a customer), instead of the values and the stored defaults; owner
    // is the key of the row it belongs to, when it belongs to one.
    std::function<core::Result<qint64>(storage::Archive &archive, const QVariant &owner)> add;
    // Adjusts the fields of a row before they are written (a VAT rate other than 0 has no nature).
    std::function<void(QVariantMap &values)> normalise;
    // A list of choices narrowing the list (a category): field, caption, statement of key and text.
    struct ChoiceFilter
    {
        QString field;
        QString caption;
        QString sql;
        QString objectName;
    };
    QList<ChoiceFilter> choiceFilters;
    // The flag of withdrawn rows, which the list hides unless asked to show them.
    QString withdrawnField;
    // Several rows may be chosen at once (to copy their e-mail addresses, to export them).
    bool multiSelect = false;
    // The background of a row from its values, or nothing.
    std::function<QVariant(const QSqlRecord &row)> rowColour;
    // Reference data that comes from a file and is only looked up: the list offers no "Aggiungi"
    // or "Elimina", the card's fields cannot be changed and nothing is written back.
    bool readOnly = false;
    // The hints of the list's and the card's buttons, by the button's name ("spdAvanti").
    QHash<QString, QString> buttonHints;

    // The name the list's grid keeps its layout under: its own when it has one, else the window's
    // name without its first letter ("frmGrigliaColori").
    QString grid;
    QString gridName() const { return grid.isEmpty() ? listWindow.mid(1) : grid; }
};

// The rows a list window is kept to whatever its filter fields say (the open documents, or those of
// a period in the history view): a condition with its bound values.
struct ListScope
{
    QString condition;
    QVariantList parameters;
};

// The statement of a registry's list with its filter conditions.
QString registryListStatement(const RegistryDescriptor &registry, const QString &conditions);

// A new row with the registry's values and the stored defaults of its table; owner is the key of
// the row it belongs to, when the registry has an owner field.
core::Result<qint64> addRegistryRow(storage::Archive &archive, const RegistryDescriptor &registry,
                                    const QVariant &owner = {});
// Writes the row and runs the registry's statements after a save, in one transaction.
core::Status saveRegistryRow(storage::Archive &archive, const RegistryDescriptor &registry, qint64 key,
                             QVariantMap values);
// Where a row is still used, as the message refusing its delete says it; empty when it is not.
core::Result<QString> registryRowUse(storage::Archive &archive, const RegistryDescriptor &registry,
                                     qint64 key);
// Refuses the delete of a row still used; otherwise runs the statements before a delete and deletes
// the row, in one transaction.
core::Status deleteRegistryRow(storage::Archive &archive, const RegistryDescriptor &registry, qint64 key);

} // namespace rotalina::shell
