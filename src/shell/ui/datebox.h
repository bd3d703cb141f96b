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
    void setDate(const QDate &date);
    void clearDate();
};

} // namespace rotalina::shell::ui
