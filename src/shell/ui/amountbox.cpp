#include "shell/ui/amountbox.h"

#include "core/numbertext.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <cmath>

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
    // What the box keeps is what it shows once left: the amount to its decimals.
    const double scale = std::pow(10.0, m_decimals);
    const double typed = parse(text()) * scale;
    const double rounded = typed > 0 ? std::trunc(typed + 0.5) : std::trunc(typed - 0.5);
    return rounded == 0.0 ? 0.0 : rounded / scale;
}

void AmountBox::setValue(double value)
{
    setText(hasFocus() ? QString::number(value, 'f', m_decimals).replace(u'.', u',')
                       : formatted(value, m_decimals));
}

void AmountBox::keyPressEvent(QKeyEvent *event)
{
    // Both separators type the decimal comma. A second one typed after the first makes the first a
    // thousands mark: "1.234,56" typed as it is written gives 1.234,56.
    if (event->text() == u"." || event->text() == u"," || event->key() == Qt::Key_Period ||
        event->key() == Qt::Key_Comma) {
        if (hasSelectedText())
            del();
        const QString typed = text();
        const qsizetype comma = typed.indexOf(u',');
        if (comma < 0) {
            insert(QStringLiteral(","));
        } else if (comma < cursorPosition()) {
            const int cursor = cursorPosition();
            QString changed = typed;
            changed[comma] = u'.';
            changed.insert(cursor, u',');
            setText(changed);
            setCursorPosition(cursor + 1);
        }
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
        parse(text(), &ok);
        if (ok)
            setText(formatted(value(), m_decimals));
    }
    QLineEdit::focusOutEvent(event);
}

} // namespace rotalina::shell::ui
