#include "shell/options.h"
#include "support/testarchive.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

TEST(OptionsRules, WorkingHoursStayWithinTheirLimits)
{
    EXPECT_EQ(nextWorkingHour(12, true, latestStartHour), 13);
    EXPECT_EQ(nextWorkingHour(13, true, latestStartHour), 13);
    EXPECT_EQ(nextWorkingHour(23, true, latestEndHour), 23);
    EXPECT_EQ(nextWorkingHour(22, true, latestEndHour), 23);
    EXPECT_EQ(nextWorkingHour(1, false, latestEndHour), 0);
    EXPECT_EQ(nextWorkingHour(0, false, latestEndHour), 0);
}

TEST(OptionsRules, ClosingChecksInTheirOrder)
{
    QVariantMap options = {{QStringLiteral("SmtpAutenticazioneServer"), true},
                           {QStringLiteral("SmtpUserName"), QStringLiteral(" ")},
                           {QStringLiteral("SmtpPassword"), QString()},
                           {QStringLiteral("ProgrammazioneOraInizio"), 9},
                           {QStringLiteral("ProgrammazioneOraFine"), 8}};
    auto problem = optionsProblem(options);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->message,
              QStringLiteral("Attenzione inserire l'Username di autenticazione del Server !"));
    EXPECT_EQ(problem->page, OptionsPage::Email);
    options[QStringLiteral("SmtpUserName")] = QStringLiteral("ufficio");
    EXPECT_EQ(optionsProblem(options)->message,
              QStringLiteral("Attenzione inserire la password di autenticazione del Server !"));
    options[QStringLiteral("SmtpPassword")] = QStringLiteral("segreta");
    problem = optionsProblem(options);
    EXPECT_EQ(problem->message,
              QStringLiteral("Attenzione l'orario di fine lavoro è minore dell'orario di inizio !"));
    EXPECT_EQ(problem->page, OptionsPage::General);
    options[QStringLiteral("ProgrammazioneOraFine")] = 9;
    EXPECT_FALSE(optionsProblem(options).has_value()) << "the end may equal the start";
    options[QStringLiteral("SmtpAutenticazioneServer")] = false;
    options[QStringLiteral("SmtpUserName")] = QString();
    EXPECT_FALSE(optionsProblem(options).has_value());
}

TEST(OptionsRules, EveryStoredEncryptionCodeMeansWhatTheProgramDoes)
{
    EXPECT_EQ(smtpEncryptionChoiceFor(0), 1);
    EXPECT_EQ(smtpEncryptionChoiceFor(1), 1);
    EXPECT_EQ(smtpEncryptionChoiceFor(2), 1);
    EXPECT_EQ(smtpEncryptionChoiceFor(3), 3);
    for (const EncryptionChoice &choice : smtpEncryptionChoices())
        EXPECT_TRUE(choice.caption.contains(QStringLiteral("TLS 1.2"))) << choice.caption.toStdString();
}

TEST(OptionsRules, WorkingFolders)
{
    QTemporaryDir folder;
    EXPECT_EQ(folderProblem(QString()), QStringLiteral("Attenzione manca la Cartella di Lavoro"));
    EXPECT_EQ(folderProblem(QStringLiteral("/nessuna/cartella")),
              QStringLiteral("la Cartella: /nessuna/cartella non esiste più o non è raggiungibile!!!"));
    EXPECT_FALSE(folderProblem(folder.path()).has_value());
}

TEST(OptionsRules, ThirdPartyChecksApplyOnlyWhenIncluded)
{
    const ThirdParty representative = fiscalRepresentative();
    const RecordChecks checks = thirdPartyChecks(representative);
    QVariantMap values = {{representative.flag, false}};
    EXPECT_FALSE(checks.firstFailure(values).has_value());
    values[representative.flag] = true;
    EXPECT_EQ(checks.firstFailure(values)->message, QStringLiteral("Attenzione manca la Partita Iva"));
    values[representative.field(QStringLiteral("IdCodice"))] = QStringLiteral("DE123456789");
    EXPECT_EQ(checks.firstFailure(values)->message, QStringLiteral("Attenzione manca la Nazione"));
    values[representative.field(QStringLiteral("IdPaese"))] = QStringLiteral("DE");
    EXPECT_EQ(checks.firstFailure(values)->message,
              QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome"));
    values[representative.field(QStringLiteral("Cognome"))] = QStringLiteral("Müller");
    values[representative.field(QStringLiteral("CodiceFiscale"))] = QStringLiteral("1234");
    EXPECT_EQ(checks.firstFailure(values)->message,
              QStringLiteral("Attenzione il Codice fiscale deve essere di almeno 11 caratteri"));
    values[representative.field(QStringLiteral("CodiceFiscale"))] = QString();
    values[representative.field(QStringLiteral("Titolo"))] = QStringLiteral("D");
    EXPECT_EQ(checks.firstFailure(values)->message,
              QStringLiteral("Attenzione il Titolo deve essere di almeno 2 caratteri"));
    values[representative.field(QStringLiteral("Titolo"))] = QStringLiteral("Dr.");
    values[representative.field(QStringLiteral("CodEORI"))] = QStringLiteral("DE12345");
    EXPECT_EQ(checks.firstFailure(values)->message,
              QStringLiteral("Attenzione il codice EORI deve essere di almeno 13 caratteri"));
    values[representative.field(QStringLiteral("CodEORI"))] = QStringLiteral("DE12345678901");
    EXPECT_FALSE(checks.firstFailure(values).has_value());

    const ThirdParty intermediary = intermediaryIssuer();
    const QVariantMap issuer = {
        {intermediary.flag, true},
        {intermediary.field(QStringLiteral("IdPaese")), QStringLiteral("IT")},
        {intermediary.field(QStringLiteral("Denominazione")), QStringLiteral("Studio Bianchi")}};
    EXPECT_FALSE(thirdPartyChecks(intermediary).firstFailure(issuer).has_value())
        << "the issuer needs no VAT number";
}
