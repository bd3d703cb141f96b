#pragma once

#include "core/result.h"

#include <QComboBox>
#include <QVariant>
#include <QVariantList>

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
    void setKey(const QVariant &key);
    void clearChoice();

    // Long lists (thousands of municipalities) are searched by typing any part of a choice's text;
    // leaving the box settles on the choice typed, and an emptied box empties the choice.
    void setSearchable(bool searchable);

signals:
    // The user emptied the choice with Delete or Backspace.
    void cleared();
    // The user chose a row.
    void chosen(const QVariant &key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void settleTyped();
};

} // namespace rotalina::shell::ui
