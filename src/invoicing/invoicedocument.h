#pragma once

#include "shell/documentdescriptor.h"
#include "shell/registrydescriptor.h"

namespace rotalina::invoicing {

// The customer invoice (TForm7) and the registries of what belongs to it.
const shell::DocumentDescriptor &invoiceDocument();
// The rows of an invoice, edited in "TfrmModificaFatture".
const shell::RegistryDescriptor &invoiceRowsRegistry();
// The due dates of a customer document, edited in "TfrmScadenziarioDettaglio".
const shell::RegistryDescriptor &customerInstalmentsRegistry();
// The customer's order references of an invoice, for the electronic invoice.
const shell::RegistryDescriptor &customerOrdersRegistry();
// The files attached to an invoice.
const shell::RegistryDescriptor &invoiceAttachmentsRegistry();
// The numbering series: "TfrmSerieFatturazione".
const shell::RegistryDescriptor &invoiceSeriesRegistry();
// The open customer invoices: "TfrmGrigliaFatture", whose card is the invoice window.
const shell::RegistryDescriptor &openInvoicesRegistry();

// Writes the invoice's changed header fields and brings its due dates up to date in the same
// transaction: a new date makes them again from the payment mode (paid ones stay), a new number,
// series, customer or split payment changes their texts and amounts.
core::Status saveInvoiceHeader(storage::Archive &archive, qint64 invoice, const QVariantMap &changed);

} // namespace rotalina::invoicing
