#include "shell/ui/lookupbox.h"

#include "storage/archive.h"

#include <QKeyEvent>

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

void LookupBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        clearChoice();
        emit cleared();
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace rotalina::shell::ui
