#include "shell/ui/lookupbox.h"

#include "storage/archive.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

namespace rotalina::shell::ui {

LookupBox::LookupBox(QWidget *parent) : QComboBox(parent)
{
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int index) { emit chosen(itemData(index)); });
}

core::Status LookupBox::load(storage::Archive &archive, const QString &sql, const QVariantList &params)
{
    core::Result<QSqlQuery> rows = archive.select(sql, params);
    if (!rows)
        return core::Status::failure(rows.error());
    const QVariant current = key();
    const QSignalBlocker blocker(this);
    clear();
    while (rows->next())
        addItem(rows->value(1).toString(), rows->value(0));
    setKey(current);
    return {};
}

void LookupBox::addChoice(const QVariant &key, const QString &text)
{
    addItem(text, key);
}

QVariant LookupBox::key() const
{
    return currentIndex() >= 0 ? currentData() : QVariant();
}

void LookupBox::setKey(const QVariant &key)
{
    int found = -1;
    if (key.isValid() && !key.isNull()) {
        for (int i = 0; i < count(); ++i) {
            if (itemData(i).toString() == key.toString()) {
                found = i;
                break;
            }
        }
    }
    setCurrentIndex(found);
}

void LookupBox::clearChoice()
{
    setCurrentIndex(-1);
}

void LookupBox::setSearchable(bool searchable)
{
    setEditable(searchable);
    if (!searchable)
        return;
    setInsertPolicy(QComboBox::NoInsert);
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    completer()->setFilterMode(Qt::MatchContains);
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &LookupBox::settleTyped);
}

void LookupBox::settleTyped()
{
    const QString typed = currentText().trimmed();
    if (typed.isEmpty()) {
        if (currentIndex() >= 0) {
            clearChoice();
            emit cleared();
        }
        return;
    }
    if (currentIndex() >= 0 && itemText(currentIndex()) == currentText())
        return;
    // The choice whose text is the one typed, or the only one holding it.
    int found = findText(typed, Qt::MatchFixedString);
    if (found < 0) {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).contains(typed, Qt::CaseInsensitive)) {
                if (found >= 0) {
                    found = -1;
                    break;
                }
                found = i;
            }
        }
    }
    if (found >= 0) {
        setCurrentIndex(found);
        emit chosen(itemData(found));
    } else {
        // Nothing matches: the box shows again what is chosen.
        setEditText(currentIndex() >= 0 ? itemText(currentIndex()) : QString());
    }
}

void LookupBox::keyPressEvent(QKeyEvent *event)
{
    if (!isEditable() && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
        clearChoice();
        emit cleared();
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace rotalina::shell::ui
