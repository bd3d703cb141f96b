#include "shell/ui/recordform.h"

#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datebox.h"
#include "shell/ui/lookupbox.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QTabWidget>

namespace rotalina::shell::ui {

RecordForm::RecordForm(Session &session, QString table, QWidget *window)
    : QObject(window), m_session(session), m_table(std::move(table)), m_window(window)
{}

void RecordForm::bind(const QString &field, QWidget *editor)
{
    m_editors.insert(field.toLower(), editor);
    m_fieldNames.insert(field.toLower(), field);
    watch(editor);
}

void RecordForm::bindLookup(const QString &field, LookupBox *lookup, const QStringList &filledFields)
{
    bind(field, lookup);
    connect(lookup, &LookupBox::cleared, this, [this, filledFields] {
        for (const QString &filled : filledFields)
            setValue(filled, QVariant());
    });
}

void RecordForm::watch(QWidget *editor)
{
    // An impossible date is told when the box is left; it is never written over the stored one.
    if (auto *date = qobject_cast<DateBox *>(editor)) {
        connect(date, &DateBox::left, this, [this, date] {
            if (date->isImpossible())
                m_session.prompter().message(titles::error(), impossibleDateMessage(date->text()));
        });
    }
}

void RecordForm::setDirty(bool dirty)
{
    m_forced = dirty;
    if (!dirty)
        m_shown = values();
}

bool RecordForm::refusesImpossibleDate()
{
    QWidget *date = impossibleDate();
    if (!date)
        return false;
    // The field is shown before the message: closing the message gives the focus back to it.
    showEditor(date);
    m_session.prompter().message(titles::error(),
                                 impossibleDateMessage(static_cast<DateBox *>(date)->text()));
    return true;
}

void RecordForm::showEditor(QWidget *editor)
{
    // The page of the window that holds it comes to the front first.
    for (QWidget *inner = editor; inner && inner->parentWidget(); inner = inner->parentWidget()) {
        auto *pages = qobject_cast<QStackedWidget *>(inner->parentWidget());
        if (!pages)
            continue;
        if (auto *tabs = qobject_cast<QTabWidget *>(pages->parentWidget()))
            tabs->setCurrentWidget(inner);
        else
            pages->setCurrentWidget(inner);
    }
    editor->setFocus(Qt::OtherFocusReason);
}

QWidget *RecordForm::impossibleDate() const
{
    for (QWidget *editor : m_editors) {
        if (auto *date = qobject_cast<DateBox *>(editor); date && date->isImpossible())
            return date;
    }
    return nullptr;
}

QString impossibleDateMessage(const QString &typed)
{
    return QStringLiteral("Attenzione la data %1 non è valida !").arg(typed);
}

void RecordForm::setValue(const QString &field, const QVariant &value)
{
    QWidget *editor = m_editors.value(field.toLower());
    if (!editor)
        return;
    if (auto *date = qobject_cast<DateBox *>(editor))
        date->setDate(storage::sqlvalue::toDate(value));
    else if (auto *amount = qobject_cast<AmountBox *>(editor))
        value.isNull() ? amount->clearValue() : amount->setValue(value.toDouble());
    else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        // A stored text longer than the box is shown whole, never cut.
        const QString text = value.toString();
        if (text.size() > line->maxLength())
            line->setMaxLength(static_cast<int>(text.size()));
        line->setText(text);
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
        text->setPlainText(value.toString());
    else if (auto *check = qobject_cast<QCheckBox *>(editor))
        check->setChecked(value.toBool());
    else if (auto *lookup = qobject_cast<LookupBox *>(editor))
        lookup->setKey(value);
    else if (auto *combo = qobject_cast<QComboBox *>(editor))
        combo->setCurrentIndex(combo->itemData(0).isValid() ? combo->findData(value) : value.toInt());
    else if (auto *spin = qobject_cast<QSpinBox *>(editor))
        spin->setValue(value.toInt());
    else if (auto *doubleSpin = qobject_cast<QDoubleSpinBox *>(editor))
        doubleSpin->setValue(value.toDouble());
}

QVariantMap RecordForm::values() const
{
    QVariantMap values;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        QWidget *editor = it.value();
        QVariant value;
        if (auto *date = qobject_cast<DateBox *>(editor))
            value = date->date() ? QVariant(*date->date()) : QVariant();
        else if (auto *amount = qobject_cast<AmountBox *>(editor))
            value = amount->isBlank() ? QVariant() : QVariant(amount->value());
        else if (auto *line = qobject_cast<QLineEdit *>(editor))
            value = line->text();
        else if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
            value = text->toPlainText();
        else if (auto *check = qobject_cast<QCheckBox *>(editor))
            value = check->isChecked();
        else if (auto *lookup = qobject_cast<LookupBox *>(editor))
            value = lookup->key();
        else if (auto *combo = qobject_cast<QComboBox *>(editor))
            value = combo->itemData(0).isValid() ? combo->currentData() : QVariant(combo->currentIndex());
        else if (auto *spin = qobject_cast<QSpinBox *>(editor))
            value = spin->value();
        else if (auto *doubleSpin = qobject_cast<QDoubleSpinBox *>(editor))
            value = doubleSpin->value();
        values.insert(m_fieldNames.value(it.key()), value);
    }
    return values;
}

QVariantMap RecordForm::changedValues() const
{
    QVariantMap changed;
    if (!m_loaded)
        return changed; // no row read yet: nothing of it can have changed
    const QVariantMap now = values();
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (auto *date = qobject_cast<DateBox *>(m_editors.value(it.key().toLower()));
            date && date->isImpossible())
            continue;
        const QVariant shown = m_shown.value(it.key());
        if (it.value() != shown || it.value().isNull() != shown.isNull())
            changed.insert(it.key(), it.value());
    }
    return changed;
}

bool RecordForm::load(qint64 key, bool isNew)
{
    m_key = key;
    m_isNew = isNew;
    const storage::TableDef *table = m_session.archive()->schema().table(m_table);
    core::Result<QSqlQuery> row = m_session.archive()->select(
        QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(table->name, table->keyName()), {key});
    if (!row || !row->next()) {
        m_session.prompter().message(
            titles::error(),
            row ? QStringLiteral("La riga cercata non esiste più: forse è stata eliminata da "
                                 "un'altra postazione.")
                : row.error());
        return false;
    }
    const QSqlRecord record = row->record();
    for (auto it = m_fieldNames.cbegin(); it != m_fieldNames.cend(); ++it)
        setValue(it.value(), record.value(it.value()));
    m_shown = values();
    m_loaded = true;
    m_forced = false;
    m_rowDeleted = false;
    return true;
}

bool RecordForm::refresh(const QStringList &fields)
{
    const core::Result<QVariantMap> row = m_session.archive()->readRow(m_table, m_key);
    if (!row) {
        m_session.prompter().message(titles::error(), row.error());
        return false;
    }
    for (const QString &field : fields) {
        const QString name = m_fieldNames.value(field.toLower());
        if (name.isEmpty())
            continue;
        QVariant stored;
        for (auto it = row->cbegin(); it != row->cend(); ++it) {
            if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                stored = it.value();
        }
        setValue(name, stored);
        m_shown.insert(name, values().value(name));
    }
    return true;
}

bool RecordForm::loadOnlyRow()
{
    const storage::TableDef *table = m_session.archive()->schema().table(m_table);
    const core::Result<QVariant> key = m_session.archive()->scalar(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(table->keyName(), table->name));
    if (!key) {
        m_session.prompter().message(titles::error(), key.error());
        return false;
    }
    return load(key->toLongLong(), false);
}

bool RecordForm::validate()
{
    if (refusesImpossibleDate())
        return false;
    const std::optional<RecordChecks::Failure> failure = m_checks.firstFailure(values());
    if (!failure)
        return true;
    // The field is shown before the message: closing the message gives the focus back to it.
    if (QWidget *editor = m_editors.value(failure->field.toLower()))
        showEditor(editor);
    m_session.prompter().message(titles::error(), failure->message);
    return false;
}

bool RecordForm::write(bool checked)
{
    const QVariantMap changed = changedValues();
    core::Status written;
    if (m_writer)
        written = m_writer(m_key, changed);
    else if (!changed.isEmpty())
        written = m_session.archive()->update(m_table, m_key, changed);
    if (!written) {
        const storage::TableDef *table = m_session.archive()->schema().table(m_table);
        const core::Result<QVariant> still = m_session.archive()->scalar(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(table->name, table->keyName()),
            {m_key});
        m_rowDeleted = still && still->toInt() == 0;
        m_session.prompter().message(
            titles::error(), m_rowDeleted ? storage::Archive::missingRowMessage() +
                                                QStringLiteral("\nLe modifiche non sono state salvate.")
                                          : written.error());
        return false;
    }
    m_shown = values();
    m_forced = false;
    // A row just added stays new until it passed the checks once: leaving it still checks it.
    if (checked)
        m_isNew = false;
    emit saved(m_key);
    return true;
}

bool RecordForm::save()
{
    return validate() && write(true);
}

bool RecordForm::saveUnchecked()
{
    if (refusesImpossibleDate())
        return false;
    return quietSave();
}

bool RecordForm::quietSave()
{
    if (m_rowDeleted)
        return false;
    return !isDirty() || write(false);
}

bool RecordForm::cancelNew()
{
    if (!m_isNew)
        return false;
    if (!m_session.prompter().ask(titles::warning(),
                                  QStringLiteral("Sei sicuro di voler annullare l'inserimento ?")))
        return false;
    if (core::Status removed = m_remover ? m_remover(m_key) : m_session.archive()->remove(m_table, m_key);
        !removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return false;
    }
    m_forced = false;
    m_shown = values();
    emit removed(m_key);
    return true;
}

bool RecordForm::back()
{
    if (m_rowDeleted)
        return m_session.prompter().ask(
            titles::warning(), QStringLiteral("Il record è stato eliminato da un'altra postazione: vuoi "
                                              "chiudere la finestra senza salvare le modifiche ?"));
    if (!m_isNew && !isDirty())
        return true;
    return validate() && write(true);
}

} // namespace rotalina::shell::ui
