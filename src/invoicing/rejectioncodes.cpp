#include "invoicing/rejectioncodes.h"

namespace rotalina::invoicing {

using shell::GridColumn;
using shell::RegistryDescriptor;
using shell::RegistryField;

namespace {

RegistryDescriptor buildRejectionCodes()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaErroriFatturazioneElettronica");
    r.cardWindow = QStringLiteral("TfrmDettaglioErroriFatturazioneElettronica");
    r.listCaption = QStringLiteral("Elenco Errori scarto fatturazione elettronica");
    r.cardCaption = QStringLiteral("Errore Fatturazione Elettronica");
    r.table = QStringLiteral("PA_Errori");
    r.listSql = QStringLiteral("SELECT ID, Codice, Titolo, Descrizione, Suggerimenti FROM PA_Errori");
    r.order = QStringLiteral("Codice");
    r.columns = {GridColumn{QStringLiteral("Codice"), QStringLiteral("Codice"), 70},
                 GridColumn{QStringLiteral("Titolo"), QStringLiteral("Titolo"), 260},
                 GridColumn{QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), 320},
                 GridColumn{QStringLiteral("Suggerimenti"), QStringLiteral("Suggerimenti"), 320}};
    // The codes are looked up by what a rejection notice says: "00" means the codes of that
    // family, not every code with two zeros somewhere in it.
    r.filters = {{QStringLiteral("Codice"), QStringLiteral("Codice")},
                 {QStringLiteral("Titolo"), QStringLiteral("Titolo")}};
    r.filtersBeginWith = true;
    r.filterCaption = QStringLiteral("Cerca Per");
    r.fields = {shell::registryField("Codice", "Codice"), shell::registryField("Titolo", "Titolo"),
                shell::registryField("Descrizione", "Descrizione", RegistryField::Kind::Memo),
                shell::registryField("Suggerimenti", "Suggerimenti", RegistryField::Kind::Memo)};
    r.readOnly = true;
    r.buttonHints = {{QStringLiteral("spdHelp"), QStringLiteral("Guida in linea del programma")},
                     {QStringLiteral("spdAggiorna"), QStringLiteral("Ricarica i dati dal database")},
                     {QStringLiteral("spdIndietro"), QStringLiteral("Torna indietro")},
                     {QStringLiteral("spdAvanti"), QStringLiteral("và avanti")}};
    r.helpContext = 1200;
    return r;
}

} // namespace

const RegistryDescriptor &rejectionCodesRegistry()
{
    static const RegistryDescriptor registry = buildRejectionCodes();
    return registry;
}

} // namespace rotalina::invoicing
