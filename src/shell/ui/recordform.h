#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>

class QWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class LookupBox;

// The editing of one archive row in a window: editors bound to its fields, the checks run in order
// before saving, and the three endings of a card: "salva", "Annulla" for a row just added,
// "Indietro" that saves before closing. New rows are written to the archive before their card
// opens, so the form always has a key.
// A save writes only the fields whose editors now hold something other than what they showed when
// the row was read: a value the user did not touch is never written back, even when its editor
// cannot show it as it is stored.
class RecordForm : public QObject
{
    Q_OBJECT

public:
    RecordForm(Session &session, QString table, QWidget *window);

    // Line edits, date and amount boxes, text areas, check boxes, spin boxes and lookups.
    void bind(const QString &field, QWidget *editor);
    // A lookup whose choice also filled other fields: emptying it empties them too.
    void bindLookup(const QString &field, LookupBox *lookup, const QStringList &filledFields = {});
    QWidget *editor(const QString &field) const { return m_editors.value(field.toLower()); }

    RecordChecks &checks() { return m_checks; }
    // How the row is written, when the window's save does more than writing the fields (statements
    // that must run in the same transaction). It receives the changed fields only.
    using Writer = std::function<core::Status(qint64 key, const QVariantMap &changed)>;
    void setWriter(Writer writer) { m_writer = std::move(writer); }
    // How a row just added is deleted by "Annulla", when it takes more than the row itself.
    using Remover = std::function<core::Status(qint64 key)>;
    void setRemover(Remover remover) { m_remover = std::move(remover); }

    // Reads the row into the editors.
    bool load(qint64 key, bool isNew);
    // Reads these fields again from the archive (totals the program wrote), leaving the others as
    // the user left them.
    bool refresh(const QStringList &fields);
    // Reads the table's only row (options, company data).
    bool loadOnlyRow();
    Session &session() const { return m_session; }
    qint64 key() const { return m_key; }
    bool isNew() const { return m_isNew; }

    // The values in the editors, by field.
    QVariantMap values() const;
    // The fields whose editors hold something else than when the row was read or last saved.
    QVariantMap changedValues() const;
    void setValue(const QString &field, const QVariant &value);

    // Whether there is something to save: a changed field, or a save the window asked for.
    bool isDirty() const { return m_forced || !changedValues().isEmpty(); }
    // true: save at the next chance even without a changed field (a value kept outside the
    // editors changed). false: what the editors hold now counts as saved.
    void setDirty(bool dirty = true);

    // Runs the checks: the first failing one is shown titled "Messaggio di errore" and its field
    // gets the focus. A date box holding an impossible date fails first.
    bool validate();
    // "salva": checks, then writes the row.
    bool save();
    // A save the program makes by itself (closing, changing page): no checks, and a date box that
    // holds no real date is left out.
    bool quietSave();
    // "salva" of a window whose checks belong to "Indietro": no checks, but a date that is no date
    // is told and refused.
    bool saveUnchecked();
    // "Annulla" of a row just added: asks, and on Yes deletes the row. True when it was deleted.
    bool cancelNew();
    // "Indietro": checks and saves pending changes; true when the window may close. With nothing
    // to save (and not a row just added) it closes without checks.
    bool back();
    // After another workstation deleted the row: what was typed cannot be saved any more.
    bool rowWasDeleted() const { return m_rowDeleted; }

signals:
    void saved(qint64 key);
    void removed(qint64 key);

private:
    // Writes the changed fields; checked when the checks ran before.
    bool write(bool checked);
    void watch(QWidget *editor);
    // The first date box whose text is not a real date, or null.
    QWidget *impossibleDate() const;
    // Tells of an impossible date and puts the focus on it; false when every date is real.
    bool refusesImpossibleDate();
    // Brings the editor's page to the front and gives it the focus.
    static void showEditor(QWidget *editor);

    Session &m_session;
    QString m_table;
    QPointer<QWidget> m_window;
    QHash<QString, QWidget *> m_editors; // by lower-case field
    QHash<QString, QString> m_fieldNames;
    RecordChecks m_checks;
    Writer m_writer;
    Remover m_remover;
    QVariantMap m_shown; // what the editors showed after the row was read or saved
    qint64 m_key = 0;
    bool m_isNew = false;
    bool m_loaded = false;
    bool m_forced = false;
    bool m_rowDeleted = false;
};

// The message for a date box that holds no real date ("31/02/2025").
QString impossibleDateMessage(const QString &typed);

} // namespace rotalina::shell::ui
