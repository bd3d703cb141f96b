#pragma once

#include "purchases/purchases.h"
#include "shell/documentdescriptor.h"
#include "shell/registrydescriptor.h"

namespace rotalina::purchases {

// The purchase invoice (TfrmCarico), the supplier's credit note (TfrmNotaCreditoFornitore) and what
// belongs to them.
const shell::DocumentDescriptor &purchaseInvoiceDocument();
const shell::DocumentDescriptor &purchaseCreditNoteDocument();
// The rows, edited in "TfrmModificaCaricoRighe" and "TfrmModificaNotaCreditoFornitoreRighe".
const shell::RegistryDescriptor &purchaseInvoiceRowsRegistry();
const shell::RegistryDescriptor &purchaseCreditNoteRowsRegistry();
// The lists ("TfrmGrigliaCarico", "TfrmGrigliaNoteCreditoFornitori"), whose cards are the document
// windows; the window adds which documents it shows.
const shell::RegistryDescriptor &purchaseInvoicesRegistry();
const shell::RegistryDescriptor &purchaseCreditNotesRegistry();

} // namespace rotalina::purchases
