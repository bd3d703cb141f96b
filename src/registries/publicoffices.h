#pragma once

#include "core/result.h"

#include <QString>
#include <QVariantList>
#include <optional>

namespace rotalina::storage {
class Archive;
class SqlDialect;
} // namespace rotalina::storage

namespace rotalina::registries {

// The electronic-invoicing offices of the public administrations (PA_Amministrazioni_FatturaElettronica).

// What the finder's boxes hold; an empty box or "*" asks nothing.
struct OfficeSearch
{
    QString town;
    QString administration;
    QString uniqueCode;
    QString office;
    QString fiscalCode;
    QString province; // matched whole
    QString address;
    QString kind;
};

// The statement of a search with its bound values, ordered by town, administration and office;
// nothing when no box asks anything. Offices whose town is unknown are found too.
std::optional<std::pair<QString, QVariantList>> officeSearchStatement(const OfficeSearch &search,
                                                                      const storage::SqlDialect &dialect);

// The statement of a search that finds nothing: the columns of the finder before a search.
QString noOfficeStatement();

// The chosen office becomes the customer's: its name, town, postcode, fiscal code, office code,
// address and office description; the customer is a public administration from now on.
core::Status chooseOffice(storage::Archive &archive, qint64 customer, qint64 office);

// Loads the offices from the open-data file of the public administrations' index (the
// electronic-invoicing organisational units, CSV with a header row, separated by ";", "," or tab).
// The columns Codice_IPA, Codice_uni_uo and Descrizione_uo are needed; Denominazione_ente,
// Codice_fiscale_sfe or Codice_fiscale_ente, Indirizzo, CAP, Codice_comune_ISTAT and Tipologia
// are read when present. The offices replace the earlier ones in one transaction; a file without a
// needed column changes nothing. The result is the number of offices loaded.
core::Result<int> importPublicOffices(storage::Archive &archive, const QString &path);

} // namespace rotalina::registries
