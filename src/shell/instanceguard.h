#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace rotalina::shell {

// Only one copy of the program runs per user and program folder: a second copy finds the lock
// taken and ends. A lock left by a copy that crashed is recognised and taken over.
class InstanceGuard
{
public:
    explicit InstanceGuard(const QString &programFolder);

    bool acquired() const { return m_acquired; }
    static QString alreadyRunningMessage() { return QStringLiteral("Rotalina e' già in esecuzione"); }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

} // namespace rotalina::shell
