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

// The editing of one archive row in a window: editors bound to its fields, a flag set by any edit
// and cleared by a save, the checks run in order before saving, and the three endings of a card:
// "salva", "Annulla" for a row just added, "Indietro" that saves before closing.
// New rows are written to the archive before their card opens, so the form always has a key.
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
    // that must run in the same transaction).
    using Writer = std::function<core::Status(qint64 key, const QVariantMap &values)>;
    void setWriter(Writer writer) { m_writer = std::move(writer); }

    // Reads the row into the editors.
    bool load(qint64 key, bool isNew);
    // Reads the table's only row (options, company data).
    bool loadOnlyRow();
    Session &session() const { return m_session; }
    qint64 key() const { return m_key; }
    bool isNew() const { return m_isNew; }

    // The values in the editors, by field.
    QVariantMap values() const;
    void setValue(const QString &field, const QVariant &value);

    bool isDirty() const { return m_dirty; }
    void setDirty(bool dirty = true) { m_dirty = dirty; }

    // Runs the checks: the first failing one is shown titled "Messaggio di errore" and its field
    // gets the focus.
    bool validate();
    // "salva": checks, then writes the row.
    bool save();
    // A save the program makes by itself (closing, changing page): no checks.
    bool quietSave();
    // "Annulla" of a row just added: asks, and on Yes deletes the row. True when it was deleted.
    bool cancelNew();
    // "Indietro": checks and saves pending changes; true when the window may close.
    bool back();

signals:
    void saved(qint64 key);
    void removed(qint64 key);

private:
    bool write();
    void watch(QWidget *editor);

    Session &m_session;
    QString m_table;
    QPointer<QWidget> m_window;
    QHash<QString, QWidget *> m_editors; // by lower-case field
    QHash<QString, QString> m_fieldNames;
    RecordChecks m_checks;
    Writer m_writer;
    qint64 m_key = 0;
    bool m_isNew = false;
    bool m_dirty = false;
    bool m_loading = false;
};

} // namespace rotalina::shell::ui
