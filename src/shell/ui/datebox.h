#pragma once

#include <QDate>
#include <QLineEdit>
#include <optional>

namespace rotalina::shell::ui {

// A date typed as dd/mm/yyyy in a masked field.
class DateBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit DateBox(QWidget *parent = nullptr);

    // The date typed; empty when the field is blank or the date is incomplete or impossible.
    std::optional<QDate> date() const;
    bool isBlank() const;
    // Something typed that is no date: "31/02/2025", or a date not finished.
    bool isImpossible() const { return !isBlank() && !date(); }
    void setDate(const QDate &date);
    void clearDate();

signals:
    // The user left the box.
    void left();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace rotalina::shell::ui
