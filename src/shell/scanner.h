#pragma once

#include "core/result.h"

#include <QImage>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace rotalina::shell {

// A scanner as the scanning library lists it.
struct ScannerDevice
{
    QString name; // what acquire() takes, e.g. "epson2:libusb:001:004"
    QString vendor;
    QString model;
    QString type; // "flatbed scanner", "virtual device", ...

    // The text a user recognises the scanner by: "Epson Perfection V39 (flatbed scanner)".
    QString description() const;
};

// Told between reads with the bytes read so far and those the whole page needs; the page size is
// unknown (0) on hand scanners.
using ScanProgress = std::function<void(qint64 read, qint64 expected)>;

// Where pages come from. Windows take it by reference, so that their tests can hand them a fake.
// Both calls may take seconds (network scanners, a lamp warming up) and may run on a worker thread.
class Scanner
{
public:
    virtual ~Scanner() = default;

    // The scanners found; a failure when there is none.
    virtual core::Result<QList<ScannerDevice>> devices() = 0;
    // One page from the named scanner: grey pages as Format_Grayscale8, colour pages as
    // Format_RGB888. The cancel flag is looked at between reads; once set the scan stops and
    // fails with scannerMessages::cancelled().
    virtual core::Result<QImage> acquire(const QString &device, const std::atomic_bool &cancel,
                                         const ScanProgress &progress = {}) = 0;
};

// The scanners of this computer and of the network through SANE. Each call starts and ends the
// library on its own, so nothing stays open between scans and a scanner plugged in meanwhile is seen.
class SaneScanner : public Scanner
{
public:
    core::Result<QList<ScannerDevice>> devices() override;
    core::Result<QImage> acquire(const QString &device, const std::atomic_bool &cancel,
                                 const ScanProgress &progress = {}) override;
};

// The scanner the program's windows use.
std::unique_ptr<Scanner> defaultScanner();

// The messages of a failed scan, one per cause, so that the user knows what to do about it.
namespace scannerMessages {
QString noDevice();
QString deviceNotFound(const QString &device);
QString busy();
QString jammed();
QString noDocuments();
QString coverOpen();
QString cancelled();
QString ioError();
QString outOfMemory();
QString accessDenied();
QString emptyPage();
QString unsupportedImage(const QString &what);
} // namespace scannerMessages

// The user's message for a SANE status code that is not SANE_STATUS_GOOD.
QString scannerStatusMessage(int saneStatus);

enum class ScanFileFormat { Png, Pdf };

// Writes the page into the folder (created when missing) as "<baseName>.png" or a one-page
// "<baseName>.pdf", never over an existing file: the second scan of the same name becomes
// "<baseName> (2).pdf". Characters a file name cannot hold become "-". Returns the path written;
// on failure nothing is left behind.
core::Result<QString> saveScannedPage(const QImage &page, const QString &folder, const QString &baseName,
                                      ScanFileFormat format);

} // namespace rotalina::shell
