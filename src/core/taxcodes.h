#pragma once

#include <QString>

namespace rotalina::core {

// Italian VAT number (partita IVA): 11 digits whose last is the check digit of the others.
bool isValidPartitaIva(const QString &number);

// Italian fiscal code (codice fiscale): a person's 16 characters with their check letter, also in
// the variants that replace digits with letters to tell apart people with the same code
// (omocodia); a company's fiscal code is its 11-digit VAT number.
bool isValidCodiceFiscale(const QString &code);

QString invalidPartitaIvaMessage();    // "Attenzione la partita Iva appena inserita non è valida!!!"
QString invalidCodiceFiscaleMessage(); // "Attenzione il codice fiscale appena inserito non è valido!!!"

} // namespace rotalina::core
