#include "support/shareddata.h"

#include <QDir>
#include <QFileInfo>

namespace rotalina::test {

QString sharedFolder()
{
    const QString folder = QDir(QStringLiteral(ROTALINA_SOURCE_DIR "/../shared")).absolutePath();
    return QFileInfo(folder).isDir() ? folder + u'/' : QString();
}

} // namespace rotalina::test
