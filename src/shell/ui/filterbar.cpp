#include "shell/ui/filterbar.h"

#include "shell/ui/datebox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

FilterBar::FilterBar(QWidget *parent) : QWidget(parent), m_rows(new QVBoxLayout(this))
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    startRow();
}

void FilterBar::startRow()
{
    m_layout = new QHBoxLayout;
    m_layout->addStretch(1);
    m_rows->addLayout(m_layout);
}

void FilterBar::addWidget(QWidget *widget)
{
    m_layout->insertWidget(m_layout->count() - 1, widget); // before the stretch
}

void FilterBar::addLabelled(const QString &label, QWidget *editor)
{
    auto *caption = new QLabel(label, this);
    caption->setBuddy(editor);
    const int at = m_layout->count() - 1; // before the stretch
    m_layout->insertWidget(at, caption);
    m_layout->insertWidget(at + 1, editor);
}

QLineEdit *FilterBar::addText(const QString &field, const QString &label, const QString &objectName,
                              Match match)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(objectName.isEmpty() ? QStringLiteral("edtFiltro") + field : objectName);
    edit->setClearButtonEnabled(true);
    addLabelled(label, edit);
    m_entries.append({Entry::Text, field, edit, match});
    connect(edit, &QLineEdit::textChanged, this, &FilterBar::changed);
    return edit;
}

QLineEdit *FilterBar::addNumber(const QString &field, const QString &label, const QString &objectName)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(objectName.isEmpty() ? QStringLiteral("edtFiltro") + field : objectName);
    edit->setClearButtonEnabled(true);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit));
    edit->setMaximumWidth(90);
    addLabelled(label, edit);
    m_entries.append({Entry::Number, field, edit, Match::Contains});
    connect(edit, &QLineEdit::textChanged, this, &FilterBar::changed);
    return edit;
}

DateBox *FilterBar::addDate(int kind, const QString &field, const QString &label, const QString &objectName)
{
    auto *box = new DateBox(this);
    box->setObjectName(objectName);
    addLabelled(label, box);
    m_entries.append({static_cast<Entry::Kind>(kind), field, box, Match::Contains});
    // An incomplete date filters nothing yet.
    connect(box, &QLineEdit::textChanged, this, [this, box] {
        if (box->isBlank() || box->date())
            emit changed();
    });
    return box;
}

DateBox *FilterBar::addDateFrom(const QString &field, const QString &label, const QString &objectName)
{
    return addDate(Entry::From, field, label,
                   objectName.isEmpty() ? QStringLiteral("maskDa") + field : objectName);
}

DateBox *FilterBar::addDateTo(const QString &field, const QString &label, const QString &objectName)
{
    return addDate(Entry::To, field, label,
                   objectName.isEmpty() ? QStringLiteral("maskA") + field : objectName);
}

QComboBox *FilterBar::addChoice(const QString &field, const QString &label,
                                const QList<QPair<QVariant, QString>> &choices, const QString &objectName)
{
    auto *box = new QComboBox(this);
    box->setObjectName(objectName.isEmpty() ? QStringLiteral("cbo") + field : objectName);
    box->addItem(QString(), QVariant());
    for (const auto &[key, text] : choices)
        box->addItem(text, key);
    box->setMinimumContentsLength(12);
    addLabelled(label, box);
    m_entries.append({Entry::Choice, field, box, Match::Contains});
    connect(box, &QComboBox::currentIndexChanged, this, &FilterBar::changed);
    return box;
}

storage::ListFilter FilterBar::filter(const storage::SqlDialect &dialect) const
{
    storage::ListFilter filter(dialect);
    for (const Entry &entry : m_entries) {
        switch (entry.kind) {
        case Entry::Text: {
            const QString typed = static_cast<QLineEdit *>(entry.editor)->text();
            if (entry.match == Match::Contains)
                filter.contains(entry.field, typed);
            else if (typed.trimmed() != u"*")
                filter.startsWith(entry.field, typed);
            break;
        }
        case Entry::From:
            filter.dateFrom(entry.field, static_cast<DateBox *>(entry.editor)->date().value_or(QDate()));
            break;
        case Entry::To:
            filter.dateTo(entry.field, static_cast<DateBox *>(entry.editor)->date().value_or(QDate()));
            break;
        case Entry::Number:
            if (const QString typed = static_cast<QLineEdit *>(entry.editor)->text().trimmed();
                !typed.isEmpty())
                filter.equals(entry.field, typed.toInt());
            break;
        case Entry::Choice:
            if (const QVariant key = static_cast<QComboBox *>(entry.editor)->currentData(); key.isValid())
                filter.equals(entry.field, key);
            break;
        }
    }
    return filter;
}

void FilterBar::clearAll()
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (auto *box = qobject_cast<QComboBox *>(entry.editor))
            box->setCurrentIndex(0);
        else
            static_cast<QLineEdit *>(entry.editor)->clear();
    }
}

} // namespace rotalina::shell::ui
