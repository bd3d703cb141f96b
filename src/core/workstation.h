#pragma once

#include <QString>

namespace rotalina::core {

// The name under which this workstation keeps its own rows in the shared work tables: the host
// name cut to 15 characters, or "SenzaNome" when the system gives none.
QString workstationName();

// The same rule applied to a given host name (the system's is read by workstationName()).
QString workstationNameFromHost(const QString &hostName);

// The folder the program keeps its files in (path file, default archive, help, reports): the
// folder of the executable, unless the environment variable ROTALINA_HOME names another one.
// Always ends with a separator.
QString programFolder();

} // namespace rotalina::core
