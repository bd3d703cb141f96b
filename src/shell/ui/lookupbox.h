#pragma once

#include "core/result.h"

#include <QComboBox>
#include <QCompleter>
#include <QVariant>
#include <QVariantList>
#include <functional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell::ui {

// A choice from another table: shows a text, holds the chosen row's key. Delete or Backspace
// empties it, and the form then empties the fields that the choice had filled.
class LookupBox : public QComboBox
{
    Q_OBJECT

public:
    explicit LookupBox(QWidget *parent = nullptr);

    // The choices: the first column of the statement is the key, the second the text shown.
    core::Status load(storage::Archive &archive, const QString &sql, const QVariantList &params = {});
    void addChoice(const QVariant &key, const QString &text);

    // The chosen key, or an invalid value when nothing is chosen.
    QVariant key() const;
    // Chooses the key; a key that is not among the choices is shown greyed and kept as it is.
    void setKey(const QVariant &key);
    // Whether the key shown is a stored one that is not among the choices.
    bool showsUnlisted() const;
    // How a stored key that is not among the choices is shown (the key itself when not given).
    void setUnlistedText(std::function<QString(const QVariant &key)> text)
    {
        m_unlistedText = std::move(text);
    }
    void clearChoice();

    // Long lists (thousands of municipalities) are searched by typing any part of a choice's text;
    // leaving the box settles on the choice typed, and an emptied box empties the choice.
    void setSearchable(bool searchable);
    // The list of choices holding the typed letters, or null when the box is not searched.
    QCompleter *typedSearch() const { return m_search; }

signals:
    // The user emptied the choice with Delete or Backspace.
    void cleared();
    // The user chose a row.
    void chosen(const QVariant &key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void settleTyped();

    std::function<QString(const QVariant &key)> m_unlistedText;
    QCompleter *m_search = nullptr; // the typed search of a long list
};

} // namespace rotalina::shell::ui
