#pragma once

#include <QString>

namespace rotalina::shell {

// The accounts of the chart as every account choice lists them (document rows, cash-book entries,
// default accounts of the options): key and "Classe - Raggruppamento - Conto", by class, group and
// account. An account without a group, or a group without a class, is listed by what it has. The
// missing levels sort first on both engines (SQLite puts NULL first, PostgreSQL last).
inline QString accountChoiceSql()
{
    return QStringLiteral(
        "SELECT ContabilitaConti.ID, COALESCE(ContabilitaClassi.Descrizione || ' - ', '') || "
        "COALESCE(ContabilitaRaggruppamenti.Descrizione || ' - ', '') || "
        "COALESCE(ContabilitaConti.Descrizione, '') AS Conto "
        "FROM ContabilitaConti LEFT JOIN ContabilitaRaggruppamenti ON ContabilitaConti.Raggruppamento_ID = "
        "ContabilitaRaggruppamenti.Id LEFT JOIN ContabilitaClassi ON ContabilitaRaggruppamenti.Classe_ID = "
        "ContabilitaClassi.Id "
        "ORDER BY COALESCE(ContabilitaClassi.Descrizione, ''), "
        "COALESCE(ContabilitaRaggruppamenti.Descrizione, ''), ContabilitaConti.Descrizione, "
        "ContabilitaConti.ID");
}

} // namespace rotalina::shell
