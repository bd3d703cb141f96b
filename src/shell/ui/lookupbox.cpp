#include "shell/ui/lookupbox.h"

#include "storage/archive.h"

#include <QAbstractListModel>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

namespace rotalina::shell::ui {

namespace {

// The choices of a lookup as two lists: thousands of municipalities fill it at once, where adding
// them one by one to the combo's own model would announce each of them.
class ChoiceModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setChoices(QStringList texts, QVariantList keys)
    {
        beginResetModel();
        m_texts = std::move(texts);
        m_keys = std::move(keys);
        endResetModel();
    }
    void append(const QString &text, const QVariant &key)
    {
        beginInsertRows({}, static_cast<int>(m_texts.size()), static_cast<int>(m_texts.size()));
        m_texts.append(text);
        m_keys.append(key);
        endInsertRows();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_texts.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_texts.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_texts.at(index.row());
        if (role == Qt::UserRole)
            return m_keys.at(index.row());
        return {};
    }

private:
    QStringList m_texts;
    QVariantList m_keys;
};

ChoiceModel *choicesOf(const QComboBox *box)
{
    return static_cast<ChoiceModel *>(box->model());
}

} // namespace

LookupBox::LookupBox(QWidget *parent) : QComboBox(parent)
{
    setModel(new ChoiceModel(this));
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
    QStringList texts;
    QVariantList keys;
    while (rows->next()) {
        keys.append(rows->value(0));
        texts.append(rows->value(1).toString());
    }
    choicesOf(this)->setChoices(std::move(texts), std::move(keys));
    setKey(current);
    return {};
}

void LookupBox::addChoice(const QVariant &key, const QString &text)
{
    choicesOf(this)->append(text, key);
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
