#include "support/externalreader.h"

#include <QFileInfo>
#include <QProcess>

namespace rotalina::test {

namespace {
const QString python = QStringLiteral("/usr/bin/python3");

QProcess *run(QProcess &process, const QStringList &arguments)
{
    process.start(python, arguments);
    process.waitForFinished(60000);
    return &process;
}
} // namespace

ExternalReading readWithPython(const QString &module, const QString &script, const QString &file)
{
    ExternalReading reading;
    if (!QFileInfo::exists(python)) {
        reading.skipped = true;
        reading.message = QStringLiteral("%1 is not installed").arg(python);
        return reading;
    }
    QProcess probe;
    run(probe, {QStringLiteral("-c"), QStringLiteral("import ") + module});
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        reading.skipped = true;
        reading.message =
            QStringLiteral("the Python module %1 is not installed (Debian package python3-%1)").arg(module);
        return reading;
    }
    QProcess reader;
    run(reader, {QStringLiteral("-c"), script, file});
    const QByteArray output = reader.readAllStandardOutput();
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
        reading.message = QString::fromUtf8(reader.readAllStandardError());
        return reading;
    }
    QJsonParseError error;
    reading.json = QJsonDocument::fromJson(output, &error);
    reading.ok = error.error == QJsonParseError::NoError;
    if (!reading.ok)
        reading.message = QStringLiteral("not JSON: ") + QString::fromUtf8(output);
    return reading;
}

} // namespace rotalina::test
