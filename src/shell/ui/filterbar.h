#pragma once

#include "storage/listfilter.h"

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QVBoxLayout;
class QComboBox;
class QLineEdit;

namespace rotalina::shell::ui {

class DateBox;

// The row of filter fields above a list: each typed text narrows the list to the rows whose field
// contains it, or begins with it (ignoring case and accents), date fields bound a period. The list
// is filtered again as the user types.
class FilterBar : public QWidget
{
    Q_OBJECT

public:
    // How a typed text finds its rows. A field that asks for the beginning of a code takes a lone
    // "*" as asking nothing, as the office's other search boxes do.
    enum class Match { Contains, BeginsWith };

    explicit FilterBar(QWidget *parent = nullptr);

    QLineEdit *addText(const QString &field, const QString &label, const QString &objectName = {},
                       Match match = Match::Contains);
    DateBox *addDateFrom(const QString &field, const QString &label, const QString &objectName = {});
    DateBox *addDateTo(const QString &field, const QString &label, const QString &objectName = {});
    // A whole number (a progressive): the rows whose field is that number. Only digits get in.
    QLineEdit *addNumber(const QString &field, const QString &label, const QString &objectName = {});
    // A choice from a list (a category): the rows whose field holds the chosen key. The first
    // entry, empty, chooses nothing.
    QComboBox *addChoice(const QString &field, const QString &label,
                         const QList<QPair<QVariant, QString>> &choices, const QString &objectName = {});

    // The fields added next stand in a new row under the others.
    void startRow();
    // A widget of the list's own in the current row (its conditions are the list's business).
    void addWidget(QWidget *widget);

    // The conditions of what is typed now.
    storage::ListFilter filter(const storage::SqlDialect &dialect) const;
    void clearAll();

signals:
    void changed();

private:
    struct Entry
    {
        enum Kind { Text, From, To, Choice, Number } kind;
        QString field;
        QWidget *editor;
        Match match = Match::Contains;
    };
    void addLabelled(const QString &label, QWidget *editor);
    DateBox *addDate(int kind, const QString &field, const QString &label, const QString &objectName);

    QVBoxLayout *m_rows;
    QHBoxLayout *m_layout = nullptr; // the current row
    QList<Entry> m_entries;
};

} // namespace rotalina::shell::ui
