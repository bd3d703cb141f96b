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
        m_dirty = true;
    });
}

void RecordForm::watch(QWidget *editor)
{
    const auto edited = [this] {
        if (!m_loading)
            m_dirty = true;
    };
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        connect(line, &QLineEdit::textEdited, this, edited);
    else if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
        connect(text, &QPlainTextEdit::textChanged, this, edited);
    else if (auto *check = qobject_cast<QCheckBox *>(editor))
        connect(check, &QCheckBox::toggled, this, edited);
    else if (auto *lookup = qobject_cast<LookupBox *>(editor))
        connect(lookup, &LookupBox::chosen, this, edited);
    else if (auto *combo = qobject_cast<QComboBox *>(editor))
        connect(combo, &QComboBox::activated, this, edited);
    else if (auto *spin = qobject_cast<QSpinBox *>(editor))
        connect(spin, &QSpinBox::valueChanged, this, edited);
    else if (auto *doubleSpin = qobject_cast<QDoubleSpinBox *>(editor))
        connect(doubleSpin, &QDoubleSpinBox::valueChanged, this, edited);
}

void RecordForm::setValue(const QString &field, const QVariant &value)
{
    QWidget *editor = m_editors.value(field.toLower());
    if (!editor)
        return;
    const bool wasLoading = m_loading;
    m_loading = true;
    if (auto *date = qobject_cast<DateBox *>(editor))
        date->setDate(storage::sqlvalue::toDate(value));
    else if (auto *amount = qobject_cast<AmountBox *>(editor))
        value.isNull() ? amount->clearValue() : amount->setValue(value.toDouble());
    else if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setText(value.toString());
    else if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
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
    m_loading = wasLoading;
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
    m_loading = true;
    for (auto it = m_fieldNames.cbegin(); it != m_fieldNames.cend(); ++it)
        setValue(it.value(), record.value(it.value()));
    m_loading = false;
    m_dirty = false;
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
    const std::optional<RecordChecks::Failure> failure = m_checks.firstFailure(values());
    if (!failure)
        return true;
    m_session.prompter().message(titles::error(), failure->message);
    if (QWidget *editor = m_editors.value(failure->field.toLower()))
        editor->setFocus(Qt::OtherFocusReason);
    return false;
}

bool RecordForm::write()
{
    const core::Status written =
        m_writer ? m_writer(m_key, values()) : m_session.archive()->update(m_table, m_key, values());
    if (!written) {
        m_session.prompter().message(titles::error(), written.error());
        return false;
    }
    m_dirty = false;
    m_isNew = false;
    emit saved(m_key);
    return true;
}

bool RecordForm::save()
{
    return validate() && write();
}

bool RecordForm::quietSave()
{
    return !m_dirty || write();
}

bool RecordForm::cancelNew()
{
    if (!m_isNew)
        return false;
    if (!m_session.prompter().ask(titles::warning(),
                                  QStringLiteral("Sei sicuro di voler annullare l'inserimento ?")))
        return false;
    if (core::Status removed = m_session.archive()->remove(m_table, m_key); !removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return false;
    }
    m_dirty = false;
    emit removed(m_key);
    return true;
}

bool RecordForm::back()
{
    if (!validate())
        return false;
    return !m_dirty || write();
}

} // namespace rotalina::shell::ui
