#include "shell/ui/formpage.h"

#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/datebox.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace rotalina::shell::ui {

FormPage::FormPage(RecordForm &form, QWidget *parent)
    : QWidget(parent), m_form(form), m_layout(new QFormLayout(this))
{
    m_layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_layout->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_layout->setRowWrapPolicy(QFormLayout::DontWrapRows);
}

template <typename Editor>
Editor *FormPage::add(const QString &field, const QString &caption, Editor *editor, const QString &prefix)
{
    editor->setObjectName(prefix + field);
    if (caption.isEmpty())
        m_layout->addRow(editor);
    else
        m_layout->addRow(caption, editor);
    m_form.bind(field, editor);
    return editor;
}

QLineEdit *FormPage::text(const QString &field, const QString &caption, int maxLength)
{
    auto *edit = add(field, caption, new QLineEdit(this), QStringLiteral("edt"));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    // Short codes (province, postcode, house number) get a box of their size.
    if (maxLength > 0 && maxLength <= 12)
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * (maxLength + 2));
    return edit;
}

QLineEdit *FormPage::password(const QString &field, const QString &caption)
{
    QLineEdit *edit = text(field, caption);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

AmountBox *FormPage::amount(const QString &field, const QString &caption, int decimals)
{
    auto *box = add(field, caption, new AmountBox(this, decimals), QStringLiteral("edt"));
    box->setMaximumWidth(160);
    return box;
}

DateBox *FormPage::date(const QString &field, const QString &caption)
{
    return add(field, caption, new DateBox(this), QStringLiteral("mask"));
}

QCheckBox *FormPage::check(const QString &field, const QString &caption)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(QStringLiteral("chk") + field);
    m_layout->addRow(QString(), box);
    m_form.bind(field, box);
    return box;
}

QPlainTextEdit *FormPage::memo(const QString &field, const QString &caption)
{
    auto *edit = add(field, caption, new QPlainTextEdit(this), QStringLiteral("mem"));
    edit->setTabChangesFocus(true);
    edit->setMinimumHeight(80);
    return edit;
}

LookupBox *FormPage::lookup(const QString &field, const QString &caption, const QString &sql,
                            const QStringList &filledFields, QWidget *beside)
{
    auto *box = new LookupBox(this);
    box->setObjectName(QStringLiteral("Look") + field);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(28);
    if (beside) {
        auto *row = new QHBoxLayout;
        row->addWidget(box, 1);
        row->addWidget(beside);
        m_layout->addRow(caption, row);
    } else {
        m_layout->addRow(caption, box);
    }
    m_form.bindLookup(field, box, filledFields);
    fill(box, m_form.session(), sql);
    return box;
}

void FormPage::fill(LookupBox *box, Session &session, const QString &sql)
{
    if (core::Status loaded = box->load(*session.archive(), sql); !loaded)
        session.prompter().message(titles::error(), loaded.error());
}

QComboBox *FormPage::choice(const QString &field, const QString &caption, const QStringList &items)
{
    auto *box = add(field, caption, new QComboBox(this), QStringLiteral("cmb"));
    box->addItems(items);
    return box;
}

QSpinBox *FormPage::number(const QString &field, const QString &caption, int minimum, int maximum)
{
    auto *box = add(field, caption, new QSpinBox(this), QStringLiteral("edt"));
    box->setRange(minimum, maximum);
    box->setMaximumWidth(90);
    return box;
}

void FormPage::row(const QString &caption, QWidget *widget)
{
    m_layout->addRow(caption, widget);
}

void FormPage::row(const QString &caption, QLayout *layout)
{
    m_layout->addRow(caption, layout);
}

void FormPage::placeBeside(QWidget *editor, QWidget *beside)
{
    auto *page = qobject_cast<FormPage *>(editor->parentWidget());
    if (!page)
        return;
    int row = -1;
    QFormLayout::ItemRole role = QFormLayout::FieldRole;
    page->m_layout->getWidgetPosition(editor, &row, &role);
    if (row < 0) {
        // The editor is itself beside another one: the new widget follows it on that row.
        for (int line = 0; line < page->m_layout->rowCount(); ++line) {
            QLayoutItem *field = page->m_layout->itemAt(line, QFormLayout::FieldRole);
            auto *pair = field ? qobject_cast<QHBoxLayout *>(field->layout()) : nullptr;
            if (const int at = pair ? pair->indexOf(editor) : -1; at >= 0) {
                pair->insertWidget(at + 1, beside);
                return;
            }
        }
        return;
    }
    page->m_layout->removeWidget(editor);
    auto *pair = new QHBoxLayout;
    // An editor of a fixed width (a date) keeps it; the room left stays empty.
    const bool fixedWidth = editor->maximumWidth() < QWIDGETSIZE_MAX;
    pair->addWidget(editor, fixedWidth ? 0 : 1);
    pair->addWidget(beside);
    if (fixedWidth)
        pair->addStretch(1);
    page->m_layout->setLayout(row, role, pair);
}

} // namespace rotalina::shell::ui
