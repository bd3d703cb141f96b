#pragma once

#include <QtGlobal>

class QWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::invoicing::ui {

// "Esporta xml" of an invoice or a credit note: the checks, the file, the signature when the company
// has a certificate, and the mark. True when the file was written.
bool exportElectronicInvoice(shell::Session &session, qint64 document, QWidget *parent);

} // namespace rotalina::invoicing::ui
