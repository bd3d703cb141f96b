#include "shell/prompter.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace rotalina::shell {

QString withFilterSuffix(const QString &path, const QString &chosenFilter)
{
    if (path.isEmpty())
        return path;
    static const QRegularExpression pattern(QStringLiteral(R"(\*\.([A-Za-z0-9]+))"));
    QStringList suffixes;
    for (auto match = pattern.globalMatch(chosenFilter); match.hasNext();)
        suffixes.append(match.next().captured(1));
    if (suffixes.isEmpty())
        return path;
    const QString typed = QFileInfo(path).suffix();
    for (const QString &suffix : std::as_const(suffixes)) {
        if (typed.compare(suffix, Qt::CaseInsensitive) == 0)
            return path;
    }
    return path + u'.' + suffixes.first();
}

} // namespace rotalina::shell
