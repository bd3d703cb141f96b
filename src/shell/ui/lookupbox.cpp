#include "shell/ui/lookupbox.h"

#include "storage/archive.h"
#include "storage/foldfunction.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QAbstractProxyModel>
#include <QCompleter>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

namespace rotalina::shell::ui {

namespace {

// The texts the typed search compares: lower case, without accents.
constexpr int foldedRole = Qt::UserRole + 1;

// The choices of a lookup as two lists: thousands of municipalities fill it at once, where adding
// them one by one to the combo's own model would announce each of them. A stored value that is
// not among the choices stands last, greyed, so that it is shown and kept.
class ChoiceModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setChoices(QStringList texts, QVariantList keys)
    {
        beginResetModel();
        m_texts = std::move(texts);
        m_keys = std::move(keys);
        m_folded.clear();
        m_unlisted = -1;
        endResetModel();
    }
    void append(const QString &text, const QVariant &key)
    {
        beginInsertRows({}, static_cast<int>(m_texts.size()), static_cast<int>(m_texts.size()));
        m_texts.append(text);
        m_keys.append(key);
        endInsertRows();
    }
    // The row of the stored value that is not a choice, added or replaced.
    int setUnlisted(const QVariant &key, const QString &text)
    {
        if (m_unlisted < 0) {
            append(text, key);
            m_unlisted = static_cast<int>(m_texts.size()) - 1;
        } else {
            m_texts[m_unlisted] = text;
            m_keys[m_unlisted] = key;
            if (m_unlisted < m_folded.size())
                m_folded[m_unlisted] = storage::foldedText(text);
            emit dataChanged(index(m_unlisted), index(m_unlisted));
        }
        return m_unlisted;
    }
    bool isUnlisted(int row) const { return row >= 0 && row == m_unlisted; }
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
        if (role == foldedRole) {
            // Folded on first use: most lookups are never searched.
            if (m_folded.size() != m_texts.size()) {
                m_folded.clear();
                m_folded.reserve(m_texts.size());
                for (const QString &text : m_texts)
                    m_folded.append(storage::foldedText(text));
            }
            return m_folded.at(index.row());
        }
        if (role == Qt::ForegroundRole && index.row() == m_unlisted)
            return QColor(Qt::gray);
        return {};
    }

private:
    QStringList m_texts;
    QVariantList m_keys;
    mutable QStringList m_folded;
    int m_unlisted = -1;
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
    const bool given = key.isValid() && !key.isNull() && !key.toString().isEmpty();
    if (given) {
        for (int i = 0; i < count(); ++i) {
            if (itemData(i).toString() == key.toString()) {
                found = i;
                break;
            }
        }
        // A stored value the choices do not hold (a withdrawn customer, a renamed department, a
        // town typed in capitals) is shown as it is and kept.
        if (found < 0)
            found = choicesOf(this)->setUnlisted(key, m_unlistedText ? m_unlistedText(key) : key.toString());
    }
    setCurrentIndex(found);
}

bool LookupBox::showsUnlisted() const
{
    return choicesOf(this)->isUnlisted(currentIndex());
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
    // The box's own completer compares the letters as typed; ours compares them without case and
    // accents ("forli" finds "Forlì"), and a choice made in its list chooses the row.
    setCompleter(nullptr);
    m_search = new QCompleter(model(), this);
    m_search->setWidget(lineEdit());
    m_search->setCompletionMode(QCompleter::PopupCompletion);
    m_search->setFilterMode(Qt::MatchContains);
    m_search->setCaseSensitivity(Qt::CaseSensitive);
    m_search->setCompletionRole(foldedRole);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &typed) {
        if (typed.trimmed().isEmpty()) {
            m_search->popup()->hide();
            return;
        }
        m_search->setCompletionPrefix(storage::foldedText(typed));
        m_search->complete();
    });
    connect(m_search, qOverload<const QModelIndex &>(&QCompleter::activated), this,
            [this](const QModelIndex &index) {
                const QModelIndex chosenRow =
                    static_cast<QAbstractProxyModel *>(m_search->completionModel())->mapToSource(index);
                if (!chosenRow.isValid())
                    return;
                setCurrentIndex(chosenRow.row());
                emit chosen(itemData(chosenRow.row()));
            });
    // The typed text settles on a choice when the user presses Enter or leaves the box.
    connect(lineEdit(), &QLineEdit::returnPressed, this, &LookupBox::settleTyped);
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
    // The choice whose text is the one typed; else the only one whose first words are the ones
    // typed ("forli" is Forlì, not Forlimpopoli), that starts with them, or that holds them.
    const QString folded = storage::foldedText(typed);
    const auto only = [this](const std::function<bool(const QString &)> &fits) {
        int fitting = -1;
        for (int i = 0; i < count(); ++i) {
            if (fits(itemData(i, foldedRole).toString())) {
                if (fitting >= 0)
                    return -2;
                fitting = i;
            }
        }
        return fitting;
    };
    int found = only([&folded](const QString &text) { return text == folded; });
    if (found == -1) {
        found = only([&folded](const QString &text) {
            return text.startsWith(folded) &&
                   (text.size() == folded.size() || !text.at(folded.size()).isLetterOrNumber());
        });
    }
    if (found == -1)
        found = only([&folded](const QString &text) { return text.startsWith(folded); });
    if (found == -1)
        found = only([&folded](const QString &text) { return text.contains(folded); });
    if (found >= 0) {
        setCurrentIndex(found);
        emit chosen(itemData(found));
    } else {
        // Nothing matches: the box shows again what is chosen.
        setEditText(currentIndex() >= 0 ? itemText(currentIndex()) : QString());
    }
}

void LookupBox::focusOutEvent(QFocusEvent *event)
{
    // The box, not its line, has the focus: leaving it settles what was typed. The list of
    // choices opening takes the focus too, but that is no leaving.
    QComboBox::focusOutEvent(event);
    if (isEditable() && event->reason() != Qt::PopupFocusReason) {
        if (m_search)
            m_search->popup()->hide();
        settleTyped();
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
