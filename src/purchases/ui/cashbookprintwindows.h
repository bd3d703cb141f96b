#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::purchases::ui {

// The print selections of the cash book and of the due-date book:
// - "TfrmStampaPrimNota", the cash-book print menu, with the whole cash book (for the customers' and
//   the suppliers' layouts too) and the selections below;
// - "TfrmPrimaNotaStampaMese" and "TfrmPrimaNotaStampaBanca", the entries of a month (of one bank)
//   with the opening balance that "Calcola" finds;
// - "TfrmStampaPrimaNotaSituazioneClienti" and "TfrmStampaPrimaNotaSituazioneFornitori", the
//   documents of a period with their payments, of one party or of all;
// - "TfrmStampaScadenziario", the due-date and payment prints.
void registerCashBookPrintWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::purchases::ui
