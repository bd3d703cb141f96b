#include "core/textfile.h"
#include "shell/ui/companywindow.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/recordform.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

namespace {

class SettingsWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        registerShellWindows(windows);
    }

    QVariant stored(const char *table, const char *field)
    {
        return fixture.archive()
            .scalar(QStringLiteral("SELECT %1 FROM %2")
                        .arg(QString::fromLatin1(field), QString::fromLatin1(table)))
            .value();
    }

    template <typename T> static T *child(QWidget &window, const char *name)
    {
        T *found = window.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

} // namespace

TEST_F(SettingsWindows, OptionsOpenOnTheirFirstPageWithEveryPage)
{
    OptionsWindow window(*fixture.session, windows);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Opzioni"));
    QStringList pages;
    for (int i = 0; i < window.pages()->count(); ++i)
        pages.append(window.pages()->tabText(i));
    EXPECT_EQ(pages, QStringList({"Generale ", "   Logo   ", "Contabilità", "   Stampa   ", "  Email  ",
                                  "Fattura Elettronica", "   Altro   "}));
    EXPECT_EQ(window.pages()->currentIndex(), 0);
    EXPECT_EQ(child<QComboBox>(window, "ComboBox1")->count(), 9) << "one entry per page of the main window";
    EXPECT_EQ(child<QComboBox>(window, "ComboBox1")->itemText(2), QStringLiteral("Documenti Clienti"));
    EXPECT_EQ(child<QSpinBox>(window, "edtProgrammazioneOraInizio")->value(), 8);
    EXPECT_EQ(child<QSpinBox>(window, "edtProgrammazioneOraFine")->value(), 18);
    EXPECT_TRUE(child<QPushButton>(window, "btnAcquisisci")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(window, "Button1")->isEnabled())
        << "without the tariffs' module there is nothing to change";
}

TEST_F(SettingsWindows, WorkingHoursAndTheClosingChecks)
{
    OptionsWindow window(*fixture.session, windows);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (int i = 0; i < 10; ++i)
        child<QPushButton>(window, "btnInizioPiu")->click();
    EXPECT_EQ(child<QSpinBox>(window, "edtProgrammazioneOraInizio")->value(), 13) << "13 is the latest start";
    for (int i = 0; i < 10; ++i)
        child<QPushButton>(window, "btnFinePiu")->click();
    EXPECT_EQ(child<QSpinBox>(window, "edtProgrammazioneOraFine")->value(), 23);
    for (int i = 0; i < 11; ++i)
        child<QPushButton>(window, "btnFineMeno")->click();
    EXPECT_EQ(child<QSpinBox>(window, "edtProgrammazioneOraFine")->value(), 12);

    window.pages()->setCurrentIndex(3);
    EXPECT_FALSE(window.back());
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di errore"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione l'orario di fine lavoro è minore dell'orario di inizio !"));
    EXPECT_EQ(window.pages()->currentIndex(), 0);
    EXPECT_TRUE(window.isVisible());

    child<QPushButton>(window, "btnFinePiu")->click();
    child<QCheckBox>(window, "chkSmtpAutenticazioneServer")->setChecked(true);
    EXPECT_FALSE(window.back());
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione inserire l'Username di autenticazione del Server !"));
    EXPECT_EQ(window.pages()->currentIndex(), 4);
    EXPECT_TRUE(child<QLineEdit>(window, "edtSmtpUserName")->hasFocus());

    child<QLineEdit>(window, "edtSmtpUserName")->setText(QStringLiteral("ufficio@ditta.it"));
    child<QLineEdit>(window, "edtSmtpPassword")->setText(QStringLiteral("segreta"));
    child<QLineEdit>(window, "edtSmtpHost")->setText(QStringLiteral("smtp.ditta.it"));
    window.options().setDirty();
    child<QComboBox>(window, "ComboBox1")->setCurrentIndex(3);
    ASSERT_TRUE(window.back()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(stored("opzioni", "ProgrammazioneOraInizio").toInt(), 13);
    EXPECT_EQ(stored("opzioni", "ProgrammazioneOraFine").toInt(), 13);
    EXPECT_EQ(stored("opzioni", "SmtpHost").toString(), QStringLiteral("smtp.ditta.it"));
    EXPECT_EQ(stored("opzioni", "TabIniziale").toInt(), 3);
    EXPECT_TRUE(stored("opzioni", "SmtpAutenticazioneServer").toBool());
}

TEST_F(SettingsWindows, AnEarlierEncryptionCodeStaysUntilAnotherIsChosen)
{
    ASSERT_TRUE(fixture.archive().execute(QStringLiteral("UPDATE opzioni SET SmtpCriptaggioTipo = 0")).ok());
    {
        OptionsWindow window(*fixture.session, windows);
        EXPECT_EQ(child<QComboBox>(window, "cmbSmtpCriptaggioTipo")->currentData().toInt(), 1);
        ASSERT_TRUE(window.back());
    }
    EXPECT_EQ(stored("opzioni", "SmtpCriptaggioTipo").toInt(), 0);
    OptionsWindow window(*fixture.session, windows);
    auto *encryption = child<QComboBox>(window, "cmbSmtpCriptaggioTipo");
    encryption->setCurrentIndex(encryption->findData(3));
    ASSERT_TRUE(window.back());
    EXPECT_EQ(stored("opzioni", "SmtpCriptaggioTipo").toInt(), 3);
}

TEST_F(SettingsWindows, TheLogoIsLoadedSavedAndCleared)
{
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString png = fixture.path(QStringLiteral("logo.png"));
    ASSERT_TRUE(picture.save(png));
    const QString jpg = fixture.path(QStringLiteral("copia.jpg"));
    {
        OptionsWindow window(*fixture.session, windows);
        fixture.prompter.answerDialogs({png, jpg});
        child<QPushButton>(window, "btnCaricaLogo")->click();
        child<QPushButton>(window, "btnSalvaLogo")->click();
        EXPECT_EQ(QImage(jpg).size(), QSize(40, 20));
        child<QPushButton>(window, "btnModificaLogo")->click();
        ASSERT_FALSE(fixture.desktop.opened.isEmpty());
        EXPECT_TRUE(fixture.desktop.opened.last().toLocalFile().endsWith(QStringLiteral(".png")));
        ASSERT_TRUE(window.back());
    }
    QImage loaded;
    ASSERT_TRUE(loaded.loadFromData(stored("ditta", "Logo").toByteArray()));
    EXPECT_EQ(loaded.size(), QSize(40, 20));
    OptionsWindow window(*fixture.session, windows);
    child<QPushButton>(window, "btnCancellaLogo")->click();
    ASSERT_TRUE(window.back());
    EXPECT_TRUE(stored("ditta", "Logo").isNull());
}

TEST_F(SettingsWindows, TheCompanyChecksItsCodesAndFillsTheTown)
{
    CompanyWindow window(*fixture.session, windows);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ditta"));
    auto *vat = child<QLineEdit>(window, "edtPIva");
    vat->setFocus();
    QTest::keyClicks(vat, QStringLiteral("12345678901"));
    QTest::keyClick(vat, Qt::Key_Return);
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione la partita Iva appena inserita non è valida!!!"));
    EXPECT_EQ(vat->text(), QStringLiteral("12345678901")) << "the value stays as typed";
    fixture.prompter.clear();
    vat->setFocus();
    vat->selectAll();
    QTest::keyClicks(vat, QStringLiteral("07643520567"));
    QTest::keyClick(vat, Qt::Key_Return);
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
    auto *fiscalCode = child<QLineEdit>(window, "edtCodFisc");
    fiscalCode->setFocus();
    QTest::keyClicks(fiscalCode, QStringLiteral("RSSMRA85T10A562T"));
    QTest::keyClick(fiscalCode, Qt::Key_Return);
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione il codice fiscale appena inserito non è valido!!!"));

    const qint64 parma = fixture.archive()
                             .scalar(QStringLiteral("SELECT ID FROM Comuni WHERE Comune = 'Parma'"))
                             .value()
                             .toLongLong();
    window.chooseTown(parma, QStringLiteral("Comune"), QStringLiteral("Cap"), QStringLiteral("Provincia"));
    EXPECT_EQ(child<QLineEdit>(window, "edtComune")->text(), QStringLiteral("Parma"));
    EXPECT_EQ(child<QLineEdit>(window, "edtCap")->text(), QStringLiteral("43121"));
    EXPECT_EQ(child<QLineEdit>(window, "edtProvincia")->text(), QStringLiteral("PR"));
    child<QLineEdit>(window, "edtRagSoc")->setText(QStringLiteral("Autotrasporti Emiliani S.r.l."));
    window.company().setDirty();
    ASSERT_TRUE(window.save());
    EXPECT_EQ(stored("ditta", "Comune").toString(), QStringLiteral("Parma"));
    EXPECT_EQ(stored("ditta", "PIva").toString(), QStringLiteral("07643520567"));
    EXPECT_EQ(stored("ditta", "RagSoc").toString(), QStringLiteral("Autotrasporti Emiliani S.r.l."));

    child<QPushButton>(window, "btnCancellaComune")->click();
    EXPECT_TRUE(child<QLineEdit>(window, "edtCap")->text().isEmpty());
    ASSERT_TRUE(window.back());
    EXPECT_TRUE(stored("ditta", "Comune").toString().isEmpty());
}

TEST_F(SettingsWindows, TheFiscalRepresentativeIsCheckedOnlyWhenIncluded)
{
    ThirdPartyWindow window(*fixture.session, shell::fiscalRepresentative());
    EXPECT_EQ(window.objectName(), QStringLiteral("TfrmModificaRappresentanteFiscale"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Rappresentante Fiscale"));
    child<QLineEdit>(window, "edtRappresentanteFiscale_DatiAnagrafici_Denominazione")
        ->setText(QStringLiteral("Studio"));
    window.company().setDirty();
    EXPECT_TRUE(window.save()) << "nothing is checked while the representative is not included";
    child<QCheckBox>(window, "chkRappresentanteFiscale")->setChecked(true);
    EXPECT_FALSE(window.save());
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Partita Iva"));
    child<QLineEdit>(window, "edtRappresentanteFiscale_DatiAnagrafici_IdCodice")
        ->setText(QStringLiteral("DE123456789"));
    auto *nation = child<LookupBox>(window, "LookRappresentanteFiscale_DatiAnagrafici_IdPaese");
    nation->setKey(QStringLiteral("DE"));
    ASSERT_TRUE(window.save()) << fixture.prompter.lastText().toStdString();
    EXPECT_TRUE(stored("ditta", "RappresentanteFiscale").toBool());
    EXPECT_EQ(stored("ditta", "RappresentanteFiscale_DatiAnagrafici_IdPaese").toString(),
              QStringLiteral("DE"));
}

TEST_F(SettingsWindows, ScreenshotsOfEveryPage)
{
    const QString folder = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(fixture.archive()
                    .execute(QStringLiteral("UPDATE ditta SET RagSoc = 'Autotrasporti Bianchi S.r.l.', "
                                            "PIva = '07643520567', Comune = 'Parma', Cap = '43121', "
                                            "Provincia = 'PR', Via = 'Via Emilia Ovest'"))
                    .ok());
    OptionsWindow options(*fixture.session, windows);
    options.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    for (int page = 0; page < options.pages()->count(); ++page) {
        options.pages()->setCurrentIndex(page);
        EXPECT_TRUE(options.grab().save(folder + QStringLiteral("/opzioni-%1.png").arg(page + 1)));
    }
    CompanyWindow company(*fixture.session, windows);
    company.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&company));
    for (int page = 0; page < company.pages()->count(); ++page) {
        company.pages()->setCurrentIndex(page);
        EXPECT_TRUE(company.grab().save(folder + QStringLiteral("/ditta-%1.png").arg(page + 1)));
    }
    ThirdPartyWindow representative(*fixture.session, shell::fiscalRepresentative());
    representative.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&representative));
    EXPECT_TRUE(representative.grab().save(folder + QStringLiteral("/rappresentante-fiscale.png")));
}

TEST_F(SettingsWindows, TheCompanyWindowNeverCutsOrRewritesAValueItWasNotAskedToChange)
{
    // A VAT number longer than its box, arrived through an update script.
    ASSERT_TRUE(
        fixture.archive()
            .execute(QStringLiteral("UPDATE ditta SET PIva = 'IT01234567890', RagSoc = 'Bianchi Srl'"))
            .ok());
    CompanyWindow window(*fixture.session, windows);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(child<QLineEdit>(window, "edtPIva")->text(), QStringLiteral("IT01234567890")) << "shown whole";
    test::typeInto(window, QStringLiteral("edtTel"), QStringLiteral("045 1234567"));
    fixture.prompter.answerQuestions({true, true});
    ASSERT_TRUE(window.back()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(stored("ditta", "PIva").toString(), QStringLiteral("IT01234567890"));
    EXPECT_EQ(stored("ditta", "Tel").toString(), QStringLiteral("045 1234567"));
}

TEST_F(SettingsWindows, TheCompanyTownListShowsTheStoredTownEachTimeItOpens)
{
    ASSERT_TRUE(fixture.archive()
                    .execute(QStringLiteral(
                        "UPDATE ditta SET RagSoc = 'Bianchi Srl', Comune = 'Parma', Provincia = 'PR', "
                        "Cap = '43121', StabileOrganizzazione_Comune = 'ROMA'"))
                    .ok());
    for (int opening = 0; opening < 2; ++opening) {
        CompanyWindow window(*fixture.session, windows);
        auto *town = child<LookupBox>(window, "LookComuni");
        EXPECT_EQ(town->currentText(), QStringLiteral("Parma (PR)"));
        EXPECT_FALSE(town->showsUnlisted());
        auto *establishment = child<LookupBox>(window, "LookComuniStabile");
        EXPECT_EQ(establishment->currentText(), QStringLiteral("ROMA"))
            << "a stored name the list lacks, as stored";
        EXPECT_TRUE(establishment->showsUnlisted());
        if (opening == 0) {
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            test::typeInto(window, QStringLiteral("edtTel"), QStringLiteral("0521 000000"));
            ASSERT_TRUE(window.back());
        }
    }
    EXPECT_EQ(stored("ditta", "Comune").toString(), QStringLiteral("Parma"));
    EXPECT_EQ(stored("ditta", "StabileOrganizzazione_Comune").toString(), QStringLiteral("ROMA"));
    CompanyWindow window(*fixture.session, windows);
    child<QPushButton>(window, "btnCancellaComune")->click();
    EXPECT_EQ(child<LookupBox>(window, "LookComuni")->currentIndex(), -1);
    EXPECT_TRUE(window.company().values().value(QStringLiteral("Cap")).toString().isEmpty());
}
