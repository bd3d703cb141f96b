#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::purchases::ui {

// The windows of the chart of accounts:
// - the lists and cards of classes, groups and accounts, and "TfrmArchivioContabilita", the menu
//   that opens the three lists;
// - "TfrmStampaContabilita", the accounting prints of a period: the balance, the statement of an
//   account chosen in "TfrmStampaSituazioneConto", and the VAT settlement.
void registerAccountsWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::purchases::ui
