#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// The pages of the options window, in order.
enum class OptionsPage { General, Logo, Accounting, Print, Email, ElectronicInvoice, Other };

// Working hours of the schedule move by one hour with the ">" and "<" buttons, within 0 and the
// latest hour (13 for the start, 23 for the end).
constexpr int latestStartHour = 13;
constexpr int latestEndHour = 23;
int nextWorkingHour(int hour, bool later, int latest);

// What keeps the options window from closing: the first problem of the values, with the page that
// shows its field.
struct OptionsProblem
{
    QString field;
    QString message;
    OptionsPage page;
};
std::optional<OptionsProblem> optionsProblem(const QVariantMap &options);

// The encryption of the outgoing mail connection. The archive keeps the codes 0-3 of the protocols
// once offered; those protocols are broken, so each code now means what the program really does:
// STARTTLS for 0-2, TLS from the first byte for 3, always with TLS 1.2 or later.
struct EncryptionChoice
{
    int code;
    QString caption;
};
QList<EncryptionChoice> smtpEncryptionChoices();
int smtpEncryptionChoiceFor(int storedCode);

// What a vCard import does with a contact already in the archive, by list position.
QStringList vcardImportActions();

// The working folders of the options: the message when the folder cannot be opened.
std::optional<QString> folderProblem(const QString &folder);

// The company's fiscal representative and intermediary issuer: the same fields under two prefixes.
struct ThirdParty
{
    QString window;  // TfrmModificaRappresentanteFiscale, TfrmModificaTerzoIntermediario
    QString caption; // "Rappresentante Fiscale", "Terzo Intermediario"
    QString prefix;  // of the fields of ditta
    QString flag;    // the "Includi" field
    bool requireVat; // the fiscal representative needs a VAT number
    QString field(const QString &name) const { return prefix + name; }
};
ThirdParty fiscalRepresentative();
ThirdParty intermediaryIssuer();
// The checks of "Salva", in order; they apply only while "Includi" is set.
RecordChecks thirdPartyChecks(const ThirdParty &party);

} // namespace rotalina::shell
