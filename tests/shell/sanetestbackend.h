#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

namespace rotalina::test {

// SANE's "test" backend, a scanner of make-believe pages, and no other: SANE reads its settings from
// the folder SANE_CONFIG_DIR names, where dll.conf lists only "test", so the scanners of the computer
// running the tests are never touched. The folder is one per test program (SANE may remember it for
// the whole process); configure() rewrites the backend's settings for each test.
class SaneTestBackend
{
public:
    using Settings = QList<QPair<QByteArray, QByteArray>>;

    // False when libsane1 (which ships the backend) is not installed.
    static bool installed()
    {
        const QStringList folders{QStringLiteral("/usr/lib/x86_64-linux-gnu/sane"),
                                  QStringLiteral("/usr/lib/aarch64-linux-gnu/sane"),
                                  QStringLiteral("/usr/lib/sane"), QStringLiteral("/usr/lib64/sane"),
                                  QStringLiteral("/usr/local/lib/sane")};
        for (const QString &folder : folders) {
            if (!QDir(folder).entryList({QStringLiteral("libsane-test.so*")}, QDir::Files).isEmpty())
                return true;
        }
        return false;
    }

    static QString skipReason()
    {
        return QStringLiteral(
            "the SANE test backend (libsane-test.so, Debian package libsane1) is not installed");
    }

    // One grey 8-bit device, a white page of 80 x 100 mm at 50 dpi (157 x 196 points), changed by the
    // given settings ("mode" "Color", "depth" "16", "read-status-code" "SANE_STATUS_JAMMED", ...).
    static void configure(const Settings &changes = {})
    {
        const QDir folder = configurationFolder();
        write(folder.filePath(QStringLiteral("dll.conf")), "test\n");
        Settings settings{{"number_of_devices", "1"},
                          {"mode", "Gray"},
                          {"depth", "8"},
                          {"hand-scanner", "false"},
                          {"three-pass", "false"},
                          {"three-pass-order", "RGB"},
                          {"resolution_min", "1.0"},
                          {"resolution_max", "1200.0"},
                          {"resolution_quant", "1.0"},
                          {"resolution", "50.0"},
                          {"test-picture", "\"Solid white\""},
                          {"invert-endianess", "false"},
                          {"read-limit", "false"},
                          {"read-limit-size", "1"},
                          {"read-delay", "false"},
                          {"read-delay-duration", "1000"},
                          {"read-status-code", "\"Default\""},
                          {"fuzzy-parameters", "false"},
                          {"ppl-loss", "0"},
                          {"non-blocking", "false"},
                          {"select-fd", "false"},
                          {"enable-test-options", "true"},
                          {"geometry_min", "0.0"},
                          {"geometry_max", "200.0"},
                          {"geometry_quant", "1.0"},
                          {"tl_x", "0.0"},
                          {"tl_y", "0.0"},
                          {"br_x", "80.0"},
                          {"br_y", "100.0"}};
        for (const auto &change : changes) {
            for (auto &setting : settings) {
                if (setting.first == change.first)
                    setting.second = change.second;
            }
        }
        QByteArray text;
        for (const auto &setting : settings)
            text += setting.first + ' ' + setting.second + '\n';
        write(folder.filePath(QStringLiteral("test.conf")), text);
    }

    // No backend at all, as on a computer without scanners. (The test backend cannot be told to
    // have no device: it crashes.)
    static void configureWithoutScanners()
    {
        write(configurationFolder().filePath(QStringLiteral("dll.conf")), "");
    }

private:
    static QDir configurationFolder()
    {
        static QTemporaryDir folder;
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder.path()));
        return QDir(folder.path());
    }

    static void write(const QString &path, const QByteArray &text)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text);
    }
};

} // namespace rotalina::test
