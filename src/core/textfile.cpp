#include "core/textfile.h"

#include <QFile>
#include <QSaveFile>

namespace rotalina::core {

Status writeTextFile(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Status::failure(
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, file.errorString()));
    return {};
}

Result<QString> readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(
            QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

} // namespace rotalina::core
