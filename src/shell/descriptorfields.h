#pragma once

#include "shell/gridlayouts.h"
#include "shell/registrydescriptor.h"

namespace rotalina::shell::fields {

// Short ways of writing the fields and columns of document and registry descriptions.

// A field with the decimals of its amount.
inline RegistryField field(const char *name, const char *caption,
                           RegistryField::Kind kind = RegistryField::Kind::Text, int decimals = 2)
{
    RegistryField f = registryField(name, caption, kind);
    f.decimals = decimals;
    return f;
}

// A choice from a statement of key and text, with the card its small button opens on the chosen row
// and the list it opens when nothing is chosen.
inline RegistryField choice(const char *name, const char *caption, const char *sql,
                            const char *card = nullptr, const char *list = nullptr)
{
    RegistryField f = registryChoice(name, caption, QString::fromLatin1(sql));
    if (card)
        f.cardWindow = QString::fromLatin1(card);
    if (list)
        f.listWindow = QString::fromLatin1(list);
    return f;
}

// The field that begins a new column of the card.
inline RegistryField startsColumn(RegistryField field)
{
    field.newColumn = true;
    return field;
}

inline GridColumn column(const char *field, const char *title, int width)
{
    return {QString::fromLatin1(field), QString::fromUtf8(title), width};
}

} // namespace rotalina::shell::fields
