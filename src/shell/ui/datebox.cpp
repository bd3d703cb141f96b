#include "shell/ui/datebox.h"

#include "core/datetext.h"

#include <QFocusEvent>

namespace rotalina::shell::ui {

DateBox::DateBox(QWidget *parent) : QLineEdit(parent)
{
    setInputMask(QStringLiteral("99/99/9999;_"));
    setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
}

std::optional<QDate> DateBox::date() const
{
    return core::datetext::parseShortDate(text());
}

bool DateBox::isBlank() const
{
    const QString typed = text();
    return std::none_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isDigit(); });
}

void DateBox::setDate(const QDate &date)
{
    if (date.isValid())
        setText(core::datetext::formatShortDate(date));
    else
        clearDate();
}

void DateBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A pop-up of the window (a message) does not leave the box.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        emit left();
}

void DateBox::clearDate()
{
    setText(QString());
}

} // namespace rotalina::shell::ui
