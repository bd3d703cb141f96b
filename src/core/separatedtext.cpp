#include "core/separatedtext.h"

namespace rotalina::core {

namespace {
QString terminated(const QString &text, QChar separator)
{
    return text.endsWith(separator) ? text : text + separator;
}
} // namespace

int contaCampi(const QString &text, QChar separator)
{
    if (text.isEmpty())
        return 0;
    return static_cast<int>(terminated(text, separator).count(separator));
}

QString estraiCampo(const QString &text, int piece, QChar separator)
{
    if (text.isEmpty() || piece < 1)
        return {};
    const QString full = terminated(text, separator);
    qsizetype start = 0;
    for (int n = 1; n < piece; ++n) {
        const qsizetype next = full.indexOf(separator, start);
        if (next < 0)
            return {};
        start = next + 1;
    }
    const qsizetype end = full.indexOf(separator, start);
    if (end < 0)
        return {};
    return full.mid(start, end - start);
}

QString convertiMemo(const QString &longText)
{
    return longText.left(100);
}

} // namespace rotalina::core
