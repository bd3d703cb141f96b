#pragma once

#include <QLineEdit>

namespace rotalina::shell::ui {

// An amount in the Italian way: 1.234,56 when shown, typed with a comma (the "." key of the
// numeric keypad types the comma too).
class AmountBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit AmountBox(QWidget *parent = nullptr, int decimals = 2);

    double value() const;
    bool isBlank() const { return text().trimmed().isEmpty(); }
    void setValue(double value);
    void clearValue() { clear(); }
    int decimals() const { return m_decimals; }

    // The Italian text of an amount with the given decimals, e.g. "1.234,56".
    static QString formatted(double value, int decimals = 2);
    // Reads "1.234,56", "1234,56" or "1234.56"; false in ok when it is not a number.
    static double parse(const QString &text, bool *ok = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_decimals;
};

} // namespace rotalina::shell::ui
