#include "sanetestbackend.h"
#include "shell/scanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sane/sane.h>

using namespace rotalina;
using namespace rotalina::shell;
using rotalina::test::SaneTestBackend;

namespace {

class TestScanner : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SaneTestBackend::installed())
            GTEST_SKIP() << SaneTestBackend::skipReason().toStdString();
        SaneTestBackend::configure();
    }

    core::Result<QImage> acquire(const SaneTestBackend::Settings &settings)
    {
        SaneTestBackend::configure(settings);
        const std::atomic_bool cancel = false;
        return scanner.acquire(QStringLiteral("test:0"), cancel);
    }

    SaneScanner scanner;
};

QImage page(QImage::Format format, QColor colour)
{
    QImage image(157, 196, format);
    image.fill(colour);
    return image;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(TestScanner, ListsTheTestScannerAlone)
{
    const core::Result<QList<ScannerDevice>> found = scanner.devices();
    ASSERT_TRUE(found.ok()) << found.error().toStdString();
    ASSERT_EQ(found->size(), 1);
    const ScannerDevice &device = found->front();
    EXPECT_EQ(device.name, QStringLiteral("test:0"));
    EXPECT_EQ(device.vendor, QStringLiteral("Noname"));
    EXPECT_EQ(device.model, QStringLiteral("frontend-tester"));
    EXPECT_EQ(device.type, QStringLiteral("virtual device"));
    EXPECT_EQ(device.description(), QStringLiteral("Noname frontend-tester (virtual device)"));

    SaneTestBackend::configure({{"number_of_devices", "3"}});
    const core::Result<QList<ScannerDevice>> three = scanner.devices();
    ASSERT_TRUE(three.ok());
    EXPECT_EQ(three->size(), 3);
}

TEST_F(TestScanner, NoScannerIsAFailureThatSaysSo)
{
    SaneTestBackend::configureWithoutScanners();
    const core::Result<QList<ScannerDevice>> found = scanner.devices();
    ASSERT_FALSE(found.ok());
    EXPECT_EQ(found.error(), scannerMessages::noDevice());
}

TEST_F(TestScanner, GreyAndColourPagesOfEveryDepth)
{
    struct Case
    {
        const char *mode;
        const char *depth;
        const char *threePass;
        const char *picture;
        QImage::Format format;
        QColor colour;
    };
    const Case cases[] = {
        {"Gray", "8", "false", "\"Solid white\"", QImage::Format_Grayscale8, Qt::white},
        {"Gray", "8", "false", "\"Solid black\"", QImage::Format_Grayscale8, Qt::black},
        {"Gray", "16", "false", "\"Solid white\"", QImage::Format_Grayscale8, Qt::white},
        // Line-art sets the bit of a black point: a white page has none set.
        {"Gray", "1", "false", "\"Solid white\"", QImage::Format_Grayscale8, Qt::white},
        {"Gray", "1", "false", "\"Solid black\"", QImage::Format_Grayscale8, Qt::black},
        {"Color", "8", "false", "\"Solid white\"", QImage::Format_RGB888, Qt::white},
        {"Color", "8", "false", "\"Solid black\"", QImage::Format_RGB888, Qt::black},
        {"Color", "16", "false", "\"Solid white\"", QImage::Format_RGB888, Qt::white},
        {"Color", "1", "false", "\"Solid white\"", QImage::Format_RGB888, Qt::white},
        {"Color", "8", "true", "\"Solid white\"", QImage::Format_RGB888, Qt::white},
        {"Color", "16", "true", "\"Solid black\"", QImage::Format_RGB888, Qt::black},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 bit, three passes %3, %4")
                         .arg(QLatin1StringView(c.mode), QLatin1StringView(c.depth),
                              QLatin1StringView(c.threePass), QLatin1StringView(c.picture))
                         .toStdString());
        const core::Result<QImage> scanned = acquire(
            {{"mode", c.mode}, {"depth", c.depth}, {"three-pass", c.threePass}, {"test-picture", c.picture}});
        ASSERT_TRUE(scanned.ok()) << scanned.error().toStdString();
        EXPECT_EQ(scanned->size(), QSize(157, 196)) << "80 x 100 mm at 50 dpi";
        EXPECT_EQ(scanned->format(), c.format);
        EXPECT_EQ(*scanned, page(c.format, c.colour).convertToFormat(c.format));
    }
}

TEST_F(TestScanner, AThreePassScanGivesThePageOfAOnePassScan)
{
    const core::Result<QImage> onePass =
        acquire({{"mode", "Color"}, {"test-picture", "\"Color pattern\""}, {"three-pass", "false"}});
    ASSERT_TRUE(onePass.ok()) << onePass.error().toStdString();
    EXPECT_GT(onePass->convertToFormat(QImage::Format_Indexed8).colorCount(), 2) << "a pattern of colours";
    for (const char *order : {"RGB", "BGR", "GRB"}) {
        const core::Result<QImage> threePasses = acquire({{"mode", "Color"},
                                                          {"test-picture", "\"Color pattern\""},
                                                          {"three-pass", "true"},
                                                          {"three-pass-order", order}});
        ASSERT_TRUE(threePasses.ok()) << threePasses.error().toStdString();
        EXPECT_EQ(*threePasses, *onePass) << order;
    }
    // The backend draws another pattern at 16 bits; one and three passes must still agree.
    const core::Result<QImage> sixteenBits =
        acquire({{"mode", "Color"}, {"depth", "16"}, {"test-picture", "\"Color pattern\""}});
    const core::Result<QImage> sixteenBitsThreePasses = acquire(
        {{"mode", "Color"}, {"depth", "16"}, {"test-picture", "\"Color pattern\""}, {"three-pass", "true"}});
    ASSERT_TRUE(sixteenBits.ok()) << sixteenBits.error().toStdString();
    ASSERT_TRUE(sixteenBitsThreePasses.ok()) << sixteenBitsThreePasses.error().toStdString();
    EXPECT_EQ(*sixteenBitsThreePasses, *sixteenBits);
    EXPECT_NE(*sixteenBits, *onePass);
}

TEST_F(TestScanner, AHandScannerPageEndsWhereTheDataEnds)
{
    const core::Result<QImage> scanned = acquire({{"hand-scanner", "true"}});
    ASSERT_TRUE(scanned.ok()) << scanned.error().toStdString();
    EXPECT_EQ(scanned->width(), 216) << "a hand scanner is 11 cm wide";
    EXPECT_GT(scanned->height(), 0);
}

TEST_F(TestScanner, ProgressGoesUpToTheWholePage)
{
    SaneTestBackend::configure({{"mode", "Color"}, {"read-limit", "true"}, {"read-limit-size", "1000"}});
    const std::atomic_bool cancel = false;
    QList<QPair<qint64, qint64>> told;
    const core::Result<QImage> scanned =
        scanner.acquire(QStringLiteral("test:0"), cancel, [&told](qint64 read, qint64 expected) {
            told.append({read, expected});
        });
    ASSERT_TRUE(scanned.ok()) << scanned.error().toStdString();
    const qint64 whole = 196 * 157 * 3;
    ASSERT_GT(told.size(), 10) << "one report per read of at most 1000 bytes";
    EXPECT_EQ(told.last(), qMakePair(whole, whole));
    for (qsizetype i = 1; i < told.size(); ++i)
        EXPECT_GT(told[i].first, told[i - 1].first);
}

TEST_F(TestScanner, TheCancelFlagStopsBetweenReads)
{
    SaneTestBackend::configure({{"read-limit", "true"}, {"read-limit-size", "100"}});
    std::atomic_bool cancel = false;
    int reads = 0;
    const core::Result<QImage> scanned =
        scanner.acquire(QStringLiteral("test:0"), cancel, [&](qint64, qint64) {
            if (++reads == 3)
                cancel = true;
        });
    ASSERT_FALSE(scanned.ok());
    EXPECT_EQ(scanned.error(), scannerMessages::cancelled());
    EXPECT_EQ(reads, 3) << "no read after the flag was set";

    // The scanner is free again afterwards.
    cancel = false;
    EXPECT_TRUE(scanner.acquire(QStringLiteral("test:0"), cancel).ok());
}

TEST_F(TestScanner, EachFailureOfTheScannerHasItsMessage)
{
    struct Case
    {
        const char *status;
        QString message;
    };
    const Case cases[] = {
        {"SANE_STATUS_DEVICE_BUSY", scannerMessages::busy()},
        {"SANE_STATUS_JAMMED", scannerMessages::jammed()},
        {"SANE_STATUS_NO_DOCS", scannerMessages::noDocuments()},
        {"SANE_STATUS_COVER_OPEN", scannerMessages::coverOpen()},
        {"SANE_STATUS_CANCELLED", scannerMessages::cancelled()},
        {"SANE_STATUS_IO_ERROR", scannerMessages::ioError()},
        {"SANE_STATUS_NO_MEM", scannerMessages::outOfMemory()},
        {"SANE_STATUS_ACCESS_DENIED", scannerMessages::accessDenied()},
    };
    for (const Case &c : cases) {
        const core::Result<QImage> scanned =
            acquire({{"read-status-code", '"' + QByteArray(c.status) + '"'}});
        ASSERT_FALSE(scanned.ok()) << c.status;
        EXPECT_EQ(scanned.error(), c.message) << c.status;
    }
}

TEST_F(TestScanner, AScannerNoLongerThereIsNamed)
{
    const std::atomic_bool cancel = false;
    const core::Result<QImage> scanned = scanner.acquire(QStringLiteral("test:7"), cancel);
    ASSERT_FALSE(scanned.ok());
    EXPECT_EQ(scanned.error(), scannerMessages::deviceNotFound(QStringLiteral("test:7")));
}

TEST(ScannerMessages, EveryStatusSaysSomethingOfItsOwn)
{
    QSet<QString> messages;
    const int statuses[] = {SANE_STATUS_UNSUPPORTED,  SANE_STATUS_CANCELLED, SANE_STATUS_DEVICE_BUSY,
                            SANE_STATUS_INVAL,        SANE_STATUS_JAMMED,    SANE_STATUS_NO_DOCS,
                            SANE_STATUS_COVER_OPEN,   SANE_STATUS_IO_ERROR,  SANE_STATUS_NO_MEM,
                            SANE_STATUS_ACCESS_DENIED};
    for (int status : statuses) {
        const QString message = scannerStatusMessage(status);
        EXPECT_FALSE(message.isEmpty()) << status;
        EXPECT_FALSE(messages.contains(message)) << status << " repeats " << message.toStdString();
        messages.insert(message);
    }
    EXPECT_FALSE(messages.contains(scannerMessages::noDevice()));
}

TEST(ScannedPages, SavedAsPngBesideEarlierScansWithoutOverwriting)
{
    QTemporaryDir top;
    const QString folder = top.filePath(QStringLiteral("Ordini/12-2024"));
    QImage scanned = page(QImage::Format_RGB888, Qt::blue);
    const core::Result<QString> first =
        saveScannedPage(scanned, folder, QStringLiteral("Ordine 12/2024"), ScanFileFormat::Png);
    ASSERT_TRUE(first.ok()) << first.error().toStdString();
    EXPECT_EQ(*first, QDir(folder).filePath(QStringLiteral("Ordine 12-2024.png")))
        << "the folder is created; a slash cannot be in a file name";
    EXPECT_EQ(QImage(*first).convertToFormat(QImage::Format_RGB888), scanned);

    const QByteArray firstBytes = contentOf(*first);
    scanned.fill(Qt::red);
    const core::Result<QString> second =
        saveScannedPage(scanned, folder, QStringLiteral("Ordine 12/2024"), ScanFileFormat::Png);
    ASSERT_TRUE(second.ok()) << second.error().toStdString();
    EXPECT_EQ(QFileInfo(*second).fileName(), QStringLiteral("Ordine 12-2024 (2).png"));
    EXPECT_EQ(contentOf(*first), firstBytes) << "the earlier scan is kept";
    EXPECT_EQ(QImage(*second).convertToFormat(QImage::Format_RGB888), scanned);
    const core::Result<QString> third =
        saveScannedPage(scanned, folder, QStringLiteral("Ordine 12/2024"), ScanFileFormat::Png);
    ASSERT_TRUE(third.ok());
    EXPECT_EQ(QFileInfo(*third).fileName(), QStringLiteral("Ordine 12-2024 (3).png"));
}

TEST(ScannedPages, SavedAsAOnePagePdf)
{
    QTemporaryDir folder;
    const QImage scanned = page(QImage::Format_Grayscale8, Qt::gray);
    const core::Result<QString> saved =
        saveScannedPage(scanned, folder.path(), QStringLiteral("Ordine 5"), ScanFileFormat::Pdf);
    ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
    EXPECT_EQ(QFileInfo(*saved).fileName(), QStringLiteral("Ordine 5.pdf"));
    const QByteArray pdf = contentOf(*saved);
    EXPECT_TRUE(pdf.startsWith("%PDF-")) << pdf.left(16).toStdString();
    EXPECT_GT(pdf.size(), 500);
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1)
        << "one page";
    const core::Result<QString> again =
        saveScannedPage(scanned, folder.path(), QStringLiteral("Ordine 5"), ScanFileFormat::Pdf);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(QFileInfo(*again).fileName(), QStringLiteral("Ordine 5 (2).pdf"));
}

TEST(ScannedPages, AFolderThatCannotBeMadeLeavesNothingBehind)
{
    QTemporaryDir top;
    const QString blocking = top.filePath(QStringLiteral("archivio.db"));
    QFile file(blocking);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const core::Result<QString> saved =
        saveScannedPage(page(QImage::Format_RGB888, Qt::white), blocking + QStringLiteral("/Ordine 1"),
                        QStringLiteral("Ordine 1"), ScanFileFormat::Png);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().startsWith(QStringLiteral("Impossibile creare la cartella")))
        << saved.error().toStdString();
    EXPECT_EQ(QDir(top.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("archivio.db")});

    const core::Result<QString> nothing =
        saveScannedPage(QImage(), top.path(), QStringLiteral("Ordine 1"), ScanFileFormat::Png);
    EXPECT_FALSE(nothing.ok());
    EXPECT_EQ(QDir(top.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("archivio.db")});
}
