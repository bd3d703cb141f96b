#include "shell/options.h"

#include "storage/archive.h"

#include <QDir>
#include <QFileInfo>

namespace rotalina::shell {

int nextWorkingHour(int hour, bool later, int latest)
{
    if (later)
        return hour + 1 <= latest ? hour + 1 : hour;
    return hour > 0 ? hour - 1 : hour;
}

std::optional<OptionsProblem> optionsProblem(const QVariantMap &options)
{
    const auto text = [&](const char *field) {
        return options.value(QString::fromLatin1(field)).toString().trimmed();
    };
    if (options.value(QStringLiteral("SmtpAutenticazioneServer")).toBool()) {
        if (text("SmtpUserName").isEmpty())
            return OptionsProblem{
                QStringLiteral("SmtpUserName"),
                QStringLiteral("Attenzione inserire l'Username di autenticazione del Server !"),
                OptionsPage::Email};
        if (text("SmtpPassword").isEmpty())
            return OptionsProblem{
                QStringLiteral("SmtpPassword"),
                QStringLiteral("Attenzione inserire la password di autenticazione del Server !"),
                OptionsPage::Email};
    }
    if (options.value(QStringLiteral("ProgrammazioneOraFine")).toInt() <
        options.value(QStringLiteral("ProgrammazioneOraInizio")).toInt())
        return OptionsProblem{
            QStringLiteral("ProgrammazioneOraFine"),
            QStringLiteral("Attenzione l'orario di fine lavoro è minore dell'orario di inizio !"),
            OptionsPage::General};
    return std::nullopt;
}

QList<EncryptionChoice> smtpEncryptionChoices()
{
    return {{1, QStringLiteral("STARTTLS (TLS 1.2 o superiore)")},
            {3, QStringLiteral("TLS implicito, porta 465 (TLS 1.2 o superiore)")}};
}

int smtpEncryptionChoiceFor(int storedCode)
{
    return storedCode == 3 ? 3 : 1;
}

QStringList vcardImportActions()
{
    return {QStringLiteral("Chiedi conferma"), QStringLiteral("Salta il record"),
            QStringLiteral("Aggiorna automaticamente")};
}

std::optional<QString> folderProblem(const QString &folder)
{
    if (folder.trimmed().isEmpty())
        return QStringLiteral("Attenzione manca la Cartella di Lavoro");
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("la Cartella: ") + folder +
               QStringLiteral(" non esiste più o non è raggiungibile!!!");
    return std::nullopt;
}

ThirdParty fiscalRepresentative()
{
    return {QStringLiteral("TfrmModificaRappresentanteFiscale"), QStringLiteral("Rappresentante Fiscale"),
            QStringLiteral("RappresentanteFiscale_DatiAnagrafici_"), QStringLiteral("RappresentanteFiscale"),
            true};
}

ThirdParty intermediaryIssuer()
{
    return {QStringLiteral("TfrmModificaTerzoIntermediario"), QStringLiteral("Terzo Intermediario"),
            QStringLiteral("TerzoIntermediarioOSoggettoEmittente_"),
            QStringLiteral("TerzoIntermediarioOSoggettoEmittente"), false};
}

RecordChecks thirdPartyChecks(const ThirdParty &party)
{
    const QString flag = party.flag;
    const auto included = [flag](const QVariantMap &values) {
        return values.value(flag).toBool();
    };
    const auto text = [](const QVariantMap &values, const QString &field) {
        return values.value(field).toString().trimmed();
    };
    // A check that holds when "Includi" is off, or when the condition holds.
    const auto whenIncluded = [included](std::function<bool(const QVariantMap &)> condition) {
        return [included, condition](const QVariantMap &values) {
            return !included(values) || condition(values);
        };
    };
    const auto atLeast = [text](const QString &field, int length) {
        return [text, field, length](const QVariantMap &values) {
            const QString value = text(values, field);
            return value.isEmpty() || value.size() >= length;
        };
    };
    RecordChecks checks;
    if (party.requireVat)
        checks.add(party.field(QStringLiteral("IdCodice")), QStringLiteral("Attenzione manca la Partita Iva"),
                   whenIncluded([text, field = party.field(QStringLiteral("IdCodice"))](
                                    const QVariantMap &values) { return !text(values, field).isEmpty(); }));
    checks.add(party.field(QStringLiteral("IdPaese")), QStringLiteral("Attenzione manca la Nazione"),
               whenIncluded([text, field = party.field(QStringLiteral("IdPaese"))](
                                const QVariantMap &values) { return !text(values, field).isEmpty(); }));
    checks.add(party.field(QStringLiteral("Denominazione")),
               QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome"),
               whenIncluded([text, party](const QVariantMap &values) {
                   return !text(values, party.field(QStringLiteral("Denominazione"))).isEmpty() ||
                          !text(values, party.field(QStringLiteral("Nome"))).isEmpty() ||
                          !text(values, party.field(QStringLiteral("Cognome"))).isEmpty();
               }));
    checks.add(party.field(QStringLiteral("CodiceFiscale")),
               QStringLiteral("Attenzione il Codice fiscale deve essere di almeno 11 caratteri"),
               whenIncluded(atLeast(party.field(QStringLiteral("CodiceFiscale")), 11)));
    checks.add(party.field(QStringLiteral("Titolo")),
               QStringLiteral("Attenzione il Titolo deve essere di almeno 2 caratteri"),
               whenIncluded(atLeast(party.field(QStringLiteral("Titolo")), 2)));
    checks.add(party.field(QStringLiteral("CodEORI")),
               QStringLiteral("Attenzione il codice EORI deve essere di almeno 13 caratteri"),
               whenIncluded(atLeast(party.field(QStringLiteral("CodEORI")), 13)));
    return checks;
}

} // namespace rotalina::shell
