#include "shell/ui/amountbox.h"

#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpressionValidator>

namespace rotalina::shell::ui {

namespace {
QLocale italian()
{
    return QLocale(QLocale::Italian, QLocale::Italy);
}
} // namespace

AmountBox::AmountBox(QWidget *parent, int decimals) : QLineEdit(parent), m_decimals(decimals)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(^-?[0-9.]*(,[0-9]*)?$)")), this));
}

QString AmountBox::formatted(double value, int decimals)
{
    return italian().toString(value, 'f', decimals);
}

double AmountBox::parse(const QString &text, bool *ok)
{
    QString plain = text.trimmed();
    if (plain.contains(u','))
        plain.remove(u'.').replace(u',', u'.'); // "1.234,56"
    bool parsed = false;
    const double value = plain.toDouble(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
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
