#include "shell/scanner.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <limits>
#include <sane/sane.h>
#include <vector>

namespace rotalina::shell {

namespace {

// SANE started for one use and ended with it, whichever way the use ends.
class SaneLibrary
{
public:
    SaneLibrary() : m_status(sane_init(nullptr, nullptr)) {}
    ~SaneLibrary()
    {
        if (m_status == SANE_STATUS_GOOD)
            sane_exit();
    }
    SaneLibrary(const SaneLibrary &) = delete;
    SaneLibrary &operator=(const SaneLibrary &) = delete;

    SANE_Status status() const { return m_status; }

private:
    SANE_Status m_status;
};

// An open scanner. A scan is always cancelled before closing: SANE wants it even after the last
// frame, and it stops the carriage of a scan left half-way by a failure or by the user.
class OpenScanner
{
public:
    explicit OpenScanner(SANE_Handle handle) : m_handle(handle) {}
    ~OpenScanner()
    {
        sane_cancel(m_handle);
        sane_close(m_handle);
    }
    OpenScanner(const OpenScanner &) = delete;
    OpenScanner &operator=(const OpenScanner &) = delete;

private:
    SANE_Handle m_handle;
};

struct Frame
{
    SANE_Parameters parameters;
    QByteArray data;
};

QString startFailure(SANE_Status status)
{
    return QStringLiteral("Impossibile avviare l'acquisizione da scanner: %1")
        .arg(scannerStatusMessage(status));
}

bool separateColour(SANE_Frame format)
{
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

int samplesPerPixel(SANE_Frame format)
{
    return format == SANE_FRAME_RGB ? 3 : 1;
}

// The 8-bit value of one sample of a line. 16-bit samples come in the machine's byte order and keep
// their high byte; of one-bit samples, a grey page sets the bit for black and a colour page for full
// intensity.
uchar sampleOf(const uchar *line, int index, int depth, bool grey)
{
    switch (depth) {
    case 1: {
        const bool set = (line[index / 8] >> (7 - index % 8)) & 1;
        return set != grey ? 255 : 0;
    }
    case 8:
        return line[index];
    default: {
        quint16 sample = 0;
        std::memcpy(&sample, line + 2 * qsizetype(index), sizeof sample);
        return uchar(sample >> 8);
    }
    }
}

core::Result<QImage> pageFromFrames(const std::vector<Frame> &frames)
{
    int width = frames.front().parameters.pixels_per_line;
    int lines = std::numeric_limits<int>::max();
    for (const Frame &frame : frames) {
        const SANE_Parameters &p = frame.parameters;
        width = std::min(width, p.pixels_per_line);
        // Hand scanners do not know the length of the page beforehand; a short frame keeps only the
        // lines it has whole.
        const int received = int(frame.data.size() / p.bytes_per_line);
        lines = std::min(lines, p.lines > 0 ? std::min(p.lines, received) : received);
    }
    if (width <= 0 || lines <= 0)
        return core::Result<QImage>::failure(scannerMessages::emptyPage());

    const SANE_Frame format = frames.front().parameters.format;
    const bool grey = format == SANE_FRAME_GRAY;
    QImage page(width, lines, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (page.isNull())
        return core::Result<QImage>::failure(scannerMessages::outOfMemory());
    if (!grey)
        page.fill(Qt::black);
    for (const Frame &frame : frames) {
        const SANE_Parameters &p = frame.parameters;
        // A three-pass scan sends red, green and blue one after the other, in the scanner's order.
        const int channel = p.format == SANE_FRAME_GREEN ? 1 : p.format == SANE_FRAME_BLUE ? 2 : 0;
        const int samples = samplesPerPixel(p.format);
        const auto *data = reinterpret_cast<const uchar *>(frame.data.constData());
        for (int y = 0; y < lines; ++y) {
            const uchar *line = data + qsizetype(y) * p.bytes_per_line;
            uchar *target = page.scanLine(y);
            if (grey) {
                for (int x = 0; x < width; ++x)
                    target[x] = sampleOf(line, x, p.depth, true);
            } else if (samples == 3) {
                for (int x = 0; x < 3 * width; ++x)
                    target[x] = sampleOf(line, x, p.depth, false);
            } else {
                for (int x = 0; x < width; ++x)
                    target[3 * x + channel] = sampleOf(line, x, p.depth, false);
            }
        }
    }
    return page;
}

// Frames are read until the one SANE marks as the last: one for grey and colour pages, three for
// scanners that pass once per colour.
core::Result<QImage> readPage(SANE_Handle handle, const std::atomic_bool &cancel,
                              const ScanProgress &progress)
{
    std::vector<Frame> frames;
    qint64 read = 0;
    std::vector<SANE_Byte> buffer(64 * 1024);
    for (;;) {
        if (cancel.load())
            return core::Result<QImage>::failure(scannerMessages::cancelled());
        SANE_Status status = sane_start(handle);
        if (status != SANE_STATUS_GOOD)
            return core::Result<QImage>::failure(scannerStatusMessage(status));
        Frame frame{};
        status = sane_get_parameters(handle, &frame.parameters);
        if (status != SANE_STATUS_GOOD)
            return core::Result<QImage>::failure(scannerStatusMessage(status));
        const SANE_Parameters &p = frame.parameters;
        if (p.depth != 1 && p.depth != 8 && p.depth != 16)
            return core::Result<QImage>::failure(
                scannerMessages::unsupportedImage(QStringLiteral("%1 bit per campione").arg(p.depth)));
        if (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && !separateColour(p.format))
            return core::Result<QImage>::failure(
                scannerMessages::unsupportedImage(QStringLiteral("formato %1").arg(int(p.format))));
        // A line must hold its pixels, or reading it would run past the data.
        const qint64 lineBits = qint64(p.pixels_per_line) * samplesPerPixel(p.format) * p.depth;
        if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 || qint64(p.bytes_per_line) * 8 < lineBits)
            return core::Result<QImage>::failure(scannerMessages::unsupportedImage(
                QStringLiteral("%1 punti per riga in %2 byte").arg(p.pixels_per_line).arg(p.bytes_per_line)));
        const qint64 frameSize = p.lines > 0 ? qint64(p.lines) * p.bytes_per_line : 0;
        const qint64 expected = separateColour(p.format) ? 3 * frameSize : frameSize;
        if (frameSize > 0)
            frame.data.reserve(frameSize);
        for (;;) {
            if (cancel.load())
                return core::Result<QImage>::failure(scannerMessages::cancelled());
            SANE_Int length = 0;
            status = sane_read(handle, buffer.data(), SANE_Int(buffer.size()), &length);
            if (status == SANE_STATUS_EOF)
                break;
            if (status != SANE_STATUS_GOOD)
                return core::Result<QImage>::failure(scannerStatusMessage(status));
            frame.data.append(reinterpret_cast<const char *>(buffer.data()), length);
            read += length;
            if (progress)
                progress(read, expected);
        }
        const bool last = !separateColour(p.format) || p.last_frame || frames.size() == 2;
        frames.push_back(std::move(frame));
        if (last)
            break;
    }
    return pageFromFrames(frames);
}

// Characters that Windows or Linux refuse in a file name; a job order's number such as "12/2024"
// still gives a file.
QString fileNameOf(const QString &baseName)
{
    QString name = baseName.trimmed();
    for (QChar &c : name) {
        if (c.unicode() < 32 || QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'-';
    }
    return name.isEmpty() ? QStringLiteral("scansione") : name;
}

// One A4 page, turned as the picture is, with the picture as large as the page allows.
bool writePdf(const QImage &page, QIODevice &device)
{
    QPdfWriter writer(&device);
    writer.setCreator(QStringLiteral("Rotalina"));
    writer.setResolution(300);
    const bool wide = page.width() > page.height();
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const QRect area(0, 0, writer.width(), writer.height());
    QRect target(QPoint(0, 0), page.size().scaled(area.size(), Qt::KeepAspectRatio));
    target.moveCenter(area.center());
    painter.drawImage(target, page);
    return painter.end();
}

} // namespace

QString ScannerDevice::description() const
{
    QStringList words;
    for (const QString &word : {vendor, model}) {
        if (!word.trimmed().isEmpty())
            words.append(word.trimmed());
    }
    QString text = words.isEmpty() ? name : words.join(u' ');
    if (!type.trimmed().isEmpty())
        text += QStringLiteral(" (%1)").arg(type.trimmed());
    return text;
}

core::Result<QList<ScannerDevice>> SaneScanner::devices()
{
    using Found = core::Result<QList<ScannerDevice>>;
    SaneLibrary library;
    if (library.status() != SANE_STATUS_GOOD)
        return Found::failure(startFailure(library.status()));
    const SANE_Device **list = nullptr;
    // Network scanners are asked for too: an office often shares one multifunction printer.
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD)
        return Found::failure(scannerStatusMessage(status));
    QList<ScannerDevice> found;
    for (int i = 0; list && list[i]; ++i) {
        const SANE_Device &device = *list[i];
        found.append({QString::fromUtf8(device.name), QString::fromUtf8(device.vendor),
                      QString::fromUtf8(device.model), QString::fromUtf8(device.type)});
    }
    if (found.isEmpty())
        return Found::failure(scannerMessages::noDevice());
    return found;
}

core::Result<QImage> SaneScanner::acquire(const QString &device, const std::atomic_bool &cancel,
                                          const ScanProgress &progress)
{
    SaneLibrary library;
    if (library.status() != SANE_STATUS_GOOD)
        return core::Result<QImage>::failure(startFailure(library.status()));
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(device.toUtf8().constData(), &handle);
    // SANE answers "invalid" when no scanner has that name: unplugged or switched off since it was listed.
    if (status == SANE_STATUS_INVAL)
        return core::Result<QImage>::failure(scannerMessages::deviceNotFound(device));
    if (status != SANE_STATUS_GOOD)
        return core::Result<QImage>::failure(scannerStatusMessage(status));
    const OpenScanner open(handle);
    return readPage(handle, cancel, progress);
}

std::unique_ptr<Scanner> defaultScanner()
{
    return std::make_unique<SaneScanner>();
}

namespace scannerMessages {

QString noDevice()
{
    return QStringLiteral("Nessuno scanner trovato. Controllare che lo scanner sia acceso e collegato.");
}

QString deviceNotFound(const QString &device)
{
    return QStringLiteral("Lo scanner %1 non è stato trovato. Controllare che sia acceso e collegato.")
        .arg(device);
}

QString busy()
{
    return QStringLiteral("Lo scanner è occupato in un altro lavoro. Riprovare quando ha finito.");
}

QString jammed()
{
    return QStringLiteral("La carta si è inceppata nell'alimentatore dello scanner. Liberarlo e riprovare.");
}

QString noDocuments()
{
    return QStringLiteral(
        "Non ci sono fogli nell'alimentatore dello scanner. Inserire il documento e riprovare.");
}

QString coverOpen()
{
    return QStringLiteral("Il coperchio dello scanner è aperto. Chiuderlo e riprovare.");
}

QString cancelled()
{
    return QStringLiteral("Acquisizione annullata.");
}

QString ioError()
{
    return QStringLiteral(
        "Errore di comunicazione con lo scanner. Controllare il cavo o la rete dello scanner e riprovare.");
}

QString outOfMemory()
{
    return QStringLiteral(
        "Memoria insufficiente per acquisire la pagina. Provare con una risoluzione più bassa.");
}

QString accessDenied()
{
    return QStringLiteral("Accesso allo scanner negato. L'utente non ha i permessi per usarlo.");
}

QString emptyPage()
{
    return QStringLiteral("Lo scanner non ha inviato nessuna immagine.");
}

QString unsupportedImage(const QString &what)
{
    return QStringLiteral("Lo scanner invia le immagini in un formato non gestito (%1).").arg(what);
}

} // namespace scannerMessages

QString scannerStatusMessage(int saneStatus)
{
    switch (saneStatus) {
    case SANE_STATUS_DEVICE_BUSY:
        return scannerMessages::busy();
    case SANE_STATUS_JAMMED:
        return scannerMessages::jammed();
    case SANE_STATUS_NO_DOCS:
        return scannerMessages::noDocuments();
    case SANE_STATUS_COVER_OPEN:
        return scannerMessages::coverOpen();
    case SANE_STATUS_CANCELLED:
        return scannerMessages::cancelled();
    case SANE_STATUS_IO_ERROR:
        return scannerMessages::ioError();
    case SANE_STATUS_NO_MEM:
        return scannerMessages::outOfMemory();
    case SANE_STATUS_ACCESS_DENIED:
        return scannerMessages::accessDenied();
    case SANE_STATUS_UNSUPPORTED:
        return QStringLiteral("Lo scanner non consente questa operazione.");
    case SANE_STATUS_INVAL:
        return QStringLiteral("Lo scanner ha rifiutato la richiesta di acquisizione.");
    default:
        return QStringLiteral("Errore dello scanner: %1.")
            .arg(QString::fromUtf8(sane_strstatus(SANE_Status(saneStatus))));
    }
}

core::Result<QString> saveScannedPage(const QImage &page, const QString &folder, const QString &baseName,
                                      ScanFileFormat format)
{
    using Saved = core::Result<QString>;
    if (page.isNull())
        return Saved::failure(QStringLiteral("Non c'è nessuna immagine acquisita da salvare."));
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.mkpath(QStringLiteral(".")))
        return Saved::failure(
            QStringLiteral("Impossibile creare la cartella %1").arg(QDir::toNativeSeparators(folder)));
    const QString name = fileNameOf(baseName);
    const QString suffix = format == ScanFileFormat::Pdf ? QStringLiteral("pdf") : QStringLiteral("png");
    QString path = dir.filePath(name + u'.' + suffix);
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = dir.filePath(QStringLiteral("%1 (%2).%3").arg(name).arg(copy).arg(suffix));

    // Written aside and renamed when whole: a failed write leaves no half file.
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         (format == ScanFileFormat::Pdf ? writePdf(page, file) : page.save(&file, "PNG")) &&
                         file.commit();
    if (!written)
        return Saved::failure(
            QStringLiteral("Impossibile scrivere il file %1").arg(QDir::toNativeSeparators(path)));
    return path;
}

} // namespace rotalina::shell
