#include "core/workstation.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

namespace rotalina::core {

QString workstationNameFromHost(const QString &hostName)
{
    const QString name = hostName.trimmed().left(15);
    return name.isEmpty() ? QStringLiteral("SenzaNome") : name;
}

QString workstationName()
{
    return workstationNameFromHost(QSysInfo::machineHostName());
}

QString programFolder()
{
    const QString configured = qEnvironmentVariable("ROTALINA_HOME");
    const QString folder = configured.isEmpty() ? QCoreApplication::applicationDirPath() : configured;
    QString path = QDir(folder).absolutePath();
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

} // namespace rotalina::core
