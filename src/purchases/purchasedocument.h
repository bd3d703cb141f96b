#pragma once

#include "purchases/purchases.h"
#include "shell/documentdescriptor.h"
#include "shell/registrydescriptor.h"

namespace rotalina::purchases {

// The purchase invoice (TfrmCarico) and what belongs to it.
const shell::DocumentDescriptor &purchaseInvoiceDocument();
// The rows of a purchase invoice, edited in "TfrmModificaCaricoRighe".
const shell::RegistryDescriptor &purchaseInvoiceRowsRegistry();
// The list of purchase invoices ("TfrmGrigliaCarico"), whose card is the document window; the
// window adds which documents it shows.
const shell::RegistryDescriptor &purchaseInvoicesRegistry();

} // namespace rotalina::purchases
