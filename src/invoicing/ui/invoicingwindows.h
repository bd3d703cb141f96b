#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::invoicing::ui {

// Registers the windows of customer invoicing: payment modes, series and their chooser, the
// invoice, its row editor, the due-date window, the open invoices and the cash-book view of a
// document.
void registerInvoicingWindows(shell::ui::WindowRegistry &windows);

// The command that exports an invoice as an electronic invoice, once that module registers it.
inline constexpr const char *exportXmlCommand = "EsportaFatturaElettronica";

} // namespace rotalina::invoicing::ui
