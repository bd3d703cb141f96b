#pragma once

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class AmountBox;
class DateBox;
class LookupBox;
class RecordForm;

// A page of captioned fields bound to the fields of a record form: each editor is named after its
// field ("edt" + field, "chk" + field, "cmb" + field) unless the window gives it its own name.
class FormPage : public QWidget
{
    Q_OBJECT

public:
    FormPage(RecordForm &form, QWidget *parent = nullptr);

    QLineEdit *text(const QString &field, const QString &caption, int maxLength = 0);
    QLineEdit *password(const QString &field, const QString &caption);
    AmountBox *amount(const QString &field, const QString &caption, int decimals = 2);
    DateBox *date(const QString &field, const QString &caption);
    QCheckBox *check(const QString &field, const QString &caption);
    QPlainTextEdit *memo(const QString &field, const QString &caption);
    // A choice from another table: sql gives the key and the text of each choice.
    // A widget given as beside (a button) stands on the same row, after the choice.
    LookupBox *lookup(const QString &field, const QString &caption, const QString &sql,
                      const QStringList &filledFields = {}, QWidget *beside = nullptr);
    // Fills a list of choices, telling the user when the archive cannot give them.
    static void fill(LookupBox *box, Session &session, const QString &sql);
    // A list of fixed choices stored by position, or by the data of each item when it has one.
    QComboBox *choice(const QString &field, const QString &caption, const QStringList &items);
    QSpinBox *number(const QString &field, const QString &caption, int minimum, int maximum);

    // A row of the page without a field of its own (buttons, a row of several editors).
    void row(const QString &caption, QWidget *widget);
    void row(const QString &caption, QLayout *layout);
    QFormLayout *layout() const { return m_layout; }
    // Puts a widget (a button) on the same row as an editor of a page, after it; the editor may be a
    // widget placed beside another one before.
    static void placeBeside(QWidget *editor, QWidget *beside);

private:
    template <typename Editor>
    Editor *add(const QString &field, const QString &caption, Editor *editor, const QString &prefix);

    RecordForm &m_form;
    QFormLayout *m_layout;
};

} // namespace rotalina::shell::ui
