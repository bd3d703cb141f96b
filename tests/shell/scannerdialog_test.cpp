#include "sanetestbackend.h"
#include "shell/scanner.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/scannerdialog.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;
using namespace rotalina::shell::ui;

namespace {

// A scanner that answers as told. acquire() runs on the dialog's worker thread; the test reads what
// it recorded only after the dialog returned, when the worker has ended.
class FakeScanner : public Scanner
{
public:
    core::Result<QList<ScannerDevice>> devices() override { return found; }

    core::Result<QImage> acquire(const QString &device, const std::atomic_bool &cancel,
                                 const ScanProgress &progress) override
    {
        acquiredFrom = device;
        if (waitForCancel) {
            // A slow page: reads go on until the user gives up (or five seconds pass).
            for (int read = 0; read < 500 && !cancel.load(); ++read) {
                progress(read, 500);
                QThread::msleep(10);
            }
            sawCancel = cancel.load();
            return core::Result<QImage>::failure(scannerMessages::cancelled());
        }
        return outcome;
    }

    core::Result<QList<ScannerDevice>> found =
        QList<ScannerDevice>{{QStringLiteral("epson2:net:192.168.1.20"), QStringLiteral("Epson"),
                              QStringLiteral("WF-2850"), QStringLiteral("flatbed scanner")}};
    core::Result<QImage> outcome = QImage();
    bool waitForCancel = false;
    QString acquiredFrom;
    bool sawCancel = false;
};

QImage scannedPage()
{
    QImage page(60, 80, QImage::Format_RGB888);
    page.fill(Qt::darkGreen);
    return page;
}

class ScannerDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        scanner.outcome = scannedPage();
        folder = fixture.path(QStringLiteral("Ordini/Ordine 5"));
    }

    std::optional<QString> acquire()
    {
        return acquireImage(*fixture.session, scanner, nullptr, folder, QStringLiteral("Ordine 5"));
    }

    bool nothingWritten() const { return !QFileInfo::exists(folder) || QDir(folder).isEmpty(); }

    test::ShellFixture fixture;
    FakeScanner scanner;
    QString folder;
};

} // namespace

TEST_F(ScannerDialogs, TheUserPicksTheSecondScannerAndAPdf)
{
    scanner.found = QList<ScannerDevice>{{QStringLiteral("epson2:net:192.168.1.20"), QStringLiteral("Epson"),
                                          QStringLiteral("WF-2850"), QStringLiteral("flatbed scanner")},
                                         {QStringLiteral("hpaio:/usb/OfficeJet"), QStringLiteral("HP"),
                                          QStringLiteral("OfficeJet 3830"), QStringLiteral("all-in-one")}};
    QStringList shown;
    test::whenWindowOpens(QStringLiteral("TfrmScanner"), [&shown](QDialog &window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Acquisizione da scanner"));
        auto *list = window.findChild<QListWidget *>(QStringLiteral("lstScanner"));
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        EXPECT_EQ(list->currentRow(), 0) << "the first scanner stands chosen";
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        test::click(window, QStringLiteral("rbPdf"));
        test::click(window, QStringLiteral("btnAcquisisci"));
    });
    const std::optional<QString> saved = acquire();
    ASSERT_TRUE(saved.has_value()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(shown, QStringList({QStringLiteral("Epson WF-2850 (flatbed scanner)"),
                                  QStringLiteral("HP OfficeJet 3830 (all-in-one)")}));
    EXPECT_EQ(scanner.acquiredFrom, QStringLiteral("hpaio:/usb/OfficeJet"));
    EXPECT_EQ(*saved, QDir(folder).filePath(QStringLiteral("Ordine 5.pdf")));
    QFile pdf(*saved);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
}

TEST_F(ScannerDialogs, APngBesideAnEarlierScanOfTheSameOrder)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage earlier(10, 10, QImage::Format_RGB888);
    earlier.fill(Qt::red);
    ASSERT_TRUE(earlier.save(QDir(folder).filePath(QStringLiteral("Ordine 5.png"))));
    test::whenWindowOpens(QStringLiteral("TfrmScanner"), [](QDialog &window) {
        auto *png = window.findChild<QRadioButton *>(QStringLiteral("rbPng"));
        ASSERT_NE(png, nullptr);
        EXPECT_TRUE(png->isChecked()) << "a picture the job order can show";
        test::click(window, QStringLiteral("btnAcquisisci"));
    });
    const std::optional<QString> saved = acquire();
    ASSERT_TRUE(saved.has_value()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(QFileInfo(*saved).fileName(), QStringLiteral("Ordine 5 (2).png"));
    EXPECT_EQ(QImage(*saved).convertToFormat(QImage::Format_RGB888), scannedPage());
    EXPECT_EQ(QImage(QDir(folder).filePath(QStringLiteral("Ordine 5.png"))).size(), QSize(10, 10))
        << "the earlier scan is kept";
}

TEST_F(ScannerDialogs, AnnullaInTheChoiceScansNothing)
{
    test::whenWindowOpens(QStringLiteral("TfrmScanner"),
                          [](QDialog &window) { test::click(window, QStringLiteral("btnAnnulla")); });
    EXPECT_FALSE(acquire().has_value());
    EXPECT_TRUE(scanner.acquiredFrom.isEmpty());
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
    EXPECT_TRUE(nothingWritten());
}

TEST_F(ScannerDialogs, NoScannerIsToldAndNothingOpens)
{
    scanner.found = core::Result<QList<ScannerDevice>>::failure(scannerMessages::noDevice());
    EXPECT_FALSE(acquire().has_value());
    EXPECT_EQ(fixture.prompter.texts(), QStringList{scannerMessages::noDevice()});
    EXPECT_TRUE(scanner.acquiredFrom.isEmpty());
    EXPECT_TRUE(nothingWritten());
}

TEST_F(ScannerDialogs, ABusyOrVanishedScannerIsToldAndNothingIsWritten)
{
    for (const QString &failure :
         {scannerMessages::busy(), scannerMessages::deviceNotFound(QStringLiteral("epson2:net:192.168.1.20")),
          scannerMessages::jammed()}) {
        fixture.prompter.clear();
        scanner.outcome = core::Result<QImage>::failure(failure);
        test::whenWindowOpens(QStringLiteral("TfrmScanner"),
                              [](QDialog &window) { test::click(window, QStringLiteral("btnAcquisisci")); });
        EXPECT_FALSE(acquire().has_value());
        EXPECT_EQ(fixture.prompter.texts(), QStringList{failure});
        ASSERT_FALSE(fixture.prompter.shown().isEmpty());
        EXPECT_EQ(fixture.prompter.shown().front().title, titles::error());
        EXPECT_TRUE(nothingWritten());
    }
}

TEST_F(ScannerDialogs, AnnullaWhileReadingStopsTheScanner)
{
    scanner.waitForCancel = true;
    test::whenWindowOpens(QStringLiteral("TfrmScanner"), [](QDialog &window) {
        test::whenWindowOpens(QStringLiteral("dlgAcquisizione"), [](QDialog &progress) {
            EXPECT_EQ(progress.windowTitle(), QStringLiteral("Acquisizione da scanner"));
            auto *cancel = progress.findChild<QPushButton *>();
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(cancel->text(), QStringLiteral("Annulla"));
            QTest::qWait(50);
            cancel->click();
        });
        test::click(window, QStringLiteral("btnAcquisisci"));
    });
    EXPECT_FALSE(acquire().has_value());
    EXPECT_TRUE(scanner.sawCancel);
    EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << "the user knows they cancelled";
    EXPECT_TRUE(nothingWritten());
}

TEST_F(ScannerDialogs, AWrongFolderIsToldAfterTheScan)
{
    QFile blocking(fixture.path(QStringLiteral("Ordini")));
    ASSERT_TRUE(blocking.open(QIODevice::WriteOnly)) << "a file where the folder should go";
    blocking.close();
    test::whenWindowOpens(QStringLiteral("TfrmScanner"),
                          [](QDialog &window) { test::click(window, QStringLiteral("btnAcquisisci")); });
    EXPECT_FALSE(acquire().has_value());
    ASSERT_EQ(fixture.prompter.texts().size(), 1);
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(QStringLiteral("Impossibile creare la cartella")));
}

TEST_F(ScannerDialogs, ThePageAloneNeedsNoChoiceWithOneScanner)
{
    const std::optional<QImage> page = acquirePage(*fixture.session, scanner, nullptr);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(*page, scannedPage());
    EXPECT_EQ(scanner.acquiredFrom, QStringLiteral("epson2:net:192.168.1.20"));
}

// The logo's "Acquisisci" uses the program's own scanner: here SANE's test backend.
TEST_F(ScannerDialogs, TheLogoIsAcquiredFromTheScanner)
{
    if (!test::SaneTestBackend::installed())
        GTEST_SKIP() << test::SaneTestBackend::skipReason().toStdString();
    fixture.session->setArchive(test::newArchive());
    WindowRegistry windows;
    registerShellWindows(windows);
    test::SaneTestBackend::configure({{"mode", "Color"}});
    {
        OptionsWindow window(*fixture.session, windows);
        auto *acquireButton = window.findChild<QPushButton *>(QStringLiteral("btnAcquisisci"));
        ASSERT_NE(acquireButton, nullptr);
        EXPECT_TRUE(acquireButton->isEnabled());
        acquireButton->click();
        ASSERT_TRUE(fixture.prompter.shown().isEmpty()) << fixture.prompter.lastText().toStdString();
        QImage logo;
        ASSERT_TRUE(logo.loadFromData(window.logo()));
        EXPECT_EQ(logo.size(), QSize(157, 196));
        EXPECT_EQ(logo.pixelColor(10, 10), QColor(Qt::white));
        ASSERT_TRUE(window.back());
    }
    QImage stored;
    ASSERT_TRUE(stored.loadFromData(
        fixture.archive().scalar(QStringLiteral("SELECT Logo FROM ditta")).value().toByteArray()));
    EXPECT_EQ(stored.size(), QSize(157, 196));

    // With two scanners the user picks one; a logo is no file, so there is no kind of file to choose.
    test::SaneTestBackend::configure({{"number_of_devices", "2"}, {"test-picture", "\"Solid black\""}});
    OptionsWindow window(*fixture.session, windows);
    test::whenWindowOpens(QStringLiteral("TfrmScanner"), [](QDialog &chooser) {
        EXPECT_EQ(chooser.findChild<QGroupBox *>(QStringLiteral("grpFormato")), nullptr);
        auto *list = chooser.findChild<QListWidget *>(QStringLiteral("lstScanner"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->count(), 2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        test::click(chooser, QStringLiteral("btnAcquisisci"));
    });
    window.findChild<QPushButton *>(QStringLiteral("btnAcquisisci"))->click();
    QImage logo;
    ASSERT_TRUE(logo.loadFromData(window.logo()));
    EXPECT_EQ(logo.pixelColor(10, 10), QColor(Qt::black));
}
