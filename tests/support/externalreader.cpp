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

QList<CalendarReading> readCalendarWithPython(const QString &file)
{
    const QString icalendarScript = QStringLiteral(R"(
import json, sys, icalendar
from datetime import timezone
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
print(json.dumps([{
  'start': c.decoded('dtstart').astimezone(timezone.utc).strftime('%Y-%m-%d %H:%M:%S'),
  'end': c.decoded('dtend').astimezone(timezone.utc).strftime('%Y-%m-%d %H:%M:%S'),
  'summary': str(c.get('summary', '')), 'description': str(c.get('description', '')),
  'uid': str(c.get('uid', '')),
} for c in cal.walk() if c.name == 'VEVENT']))
)");
    const QString vobjectScript = QStringLiteral(R"(
import json, sys, vobject
from datetime import timezone
cal = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
def text(e, name):
    return getattr(e, name).value if hasattr(e, name) else ''
print(json.dumps([{
  'start': e.dtstart.value.astimezone(timezone.utc).strftime('%Y-%m-%d %H:%M:%S'),
  'end': e.dtend.value.astimezone(timezone.utc).strftime('%Y-%m-%d %H:%M:%S'),
  'summary': text(e, 'summary'), 'description': text(e, 'description'), 'uid': text(e, 'uid'),
} for e in cal.vevent_list]))
)");
    return {{QStringLiteral("icalendar"), readWithPython(QStringLiteral("icalendar"), icalendarScript, file)},
            {QStringLiteral("vobject"), readWithPython(QStringLiteral("vobject"), vobjectScript, file)}};
}

} // namespace rotalina::test
