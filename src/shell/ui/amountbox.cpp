#include "shell/ui/amountbox.h"

#include "core/numbertext.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace rotalina::shell::ui {

AmountBox::AmountBox(QWidget *parent, int decimals) : QLineEdit(parent), m_decimals(decimals)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(^-?[0-9.]*(,[0-9]*)?$)")), this));
}

QString AmountBox::formatted(double value, int decimals)
{
    return core::formatItalianNumber(value, decimals);
}

double AmountBox::parse(const QString &text, bool *ok)
{
    return core::parseItalianNumber(text, ok);
}

double AmountBox::value() const
{
    return parse(text());
}

void AmountBox::setValue(double value)
{
    setText(hasFocus() ? QString::number(value, 'f', m_decimals).replace(u'.', u',')
                       : formatted(value, m_decimals));
}

void AmountBox::keyPressEvent(QKeyEvent *event)
{
    if (event->text() == u"." || event->key() == Qt::Key_Period) {
        if (!text().contains(u','))
            insert(QStringLiteral(","));
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void AmountBox::focusInEvent(QFocusEvent *event)
{
    // While typing the amount shows without thousands separators.
    if (!isBlank())
        setText(QString::number(value(), 'f', m_decimals).replace(u'.', u','));
    QLineEdit::focusInEvent(event);
}

void AmountBox::focusOutEvent(QFocusEvent *event)
{
    if (!isBlank()) {
        bool ok = false;
        const double typed = parse(text(), &ok);
        if (ok)
            setText(formatted(typed, m_decimals));
    }
    QLineEdit::focusOutEvent(event);
}

} // namespace rotalina::shell::ui
