#pragma once

#include "core/duedates.h"
#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <array>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

// The most instalments a payment mode may have, and the most days to one of them.
constexpr int maximumInstalments = 12;
constexpr int maximumDays = 360;

// The field of the days to instalment n (1 to 12): "GG1Scadenza".
QString instalmentDaysField(int instalment);

// The registry of payment modes: list "TfrmModPagam", card "TfrmModPagamDett".
const shell::RegistryDescriptor &paymentTermsRegistry();
// The checks of a payment mode, in the order the office expects them.
shell::RecordChecks paymentTermsChecks();
// An empty number of instalments is 0; a day count above 360 is 360.
void normalisePaymentTerms(QVariantMap &values);

// A payment mode as the due dates read it.
struct PaymentTerms
{
    qint64 key = 0;
    QString description;
    int instalments = 0; // 0: paid on the document's date
    std::array<int, maximumInstalments> days{};
    core::DueDateRule rule;
};
// The payment mode of the key; nothing when the key is empty or the mode is no longer there.
core::Result<std::optional<PaymentTerms>> readPaymentTerms(storage::Archive &archive, const QVariant &key);

} // namespace rotalina::invoicing
