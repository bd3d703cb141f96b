#pragma once

#include "shell/documentdescriptor.h"
#include "shell/registrydescriptor.h"

namespace rotalina::invoicing {

// The customer invoice (TForm7) and the registries of what belongs to it.
const shell::DocumentDescriptor &invoiceDocument();
// The customer credit note (TfrmNotaCredito), built as the invoice with what differs.
const shell::DocumentDescriptor &creditNoteDocument();
// The rows of an invoice, edited in "TfrmModificaFatture", and of a credit note, edited in
// "TfrmModificaNotaCreditoRighe".
const shell::RegistryDescriptor &invoiceRowsRegistry();
const shell::RegistryDescriptor &creditNoteRowsRegistry();
// The due dates of a customer document, edited in "TfrmScadenziarioDettaglio".
const shell::RegistryDescriptor &customerInstalmentsRegistry();
// The due dates of a purchase document, in the due-date window's supplier form.
const shell::RegistryDescriptor &supplierInstalmentsRegistry();
// The customer's order references of an invoice, for the electronic invoice.
const shell::RegistryDescriptor &customerOrdersRegistry();
// The files attached to an invoice.
const shell::RegistryDescriptor &invoiceAttachmentsRegistry();
// The numbering series: "TfrmSerieFatturazione".
const shell::RegistryDescriptor &invoiceSeriesRegistry();
// The lists of customer invoices ("TfrmGrigliaFatture") and credit notes ("TfrmGrigliaNoteCredito"),
// whose cards are their document windows; the window adds which documents it shows.
const shell::RegistryDescriptor &openInvoicesRegistry();
const shell::RegistryDescriptor &openCreditNotesRegistry();

// Writes the invoice's changed header fields and brings its due dates up to date in the same
// transaction: a new date makes them again from the payment mode (paid ones stay), a new number,
// series, customer or split payment changes their texts and amounts.
core::Status saveInvoiceHeader(storage::Archive &archive, qint64 invoice, const QVariantMap &changed);

} // namespace rotalina::invoicing
