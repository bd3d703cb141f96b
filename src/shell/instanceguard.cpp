#include "shell/instanceguard.h"

#include <QCryptographicHash>
#include <QDir>

namespace rotalina::shell {

InstanceGuard::InstanceGuard(const QString &programFolder)
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QDir::home().dirName();
    const QByteArray folder =
        QCryptographicHash::hash(QDir(programFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    m_lock = std::make_unique<QLockFile>(
        QDir::temp().filePath(QStringLiteral("rotalina-%1-%2.lock").arg(user, QString::fromLatin1(folder))));
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
    m_acquired = m_lock->tryLock(0);
}

} // namespace rotalina::shell
