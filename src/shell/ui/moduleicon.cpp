#include "shell/ui/moduleicon.h"

#include <QFont>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace rotalina::shell::ui {

namespace {
QString initials(const QString &caption)
{
    QStringList words;
    for (const QString &word :
         caption.split(QRegularExpression(QStringLiteral("[\\s.]+")), Qt::SkipEmptyParts)) {
        if (word.size() > 2 || word.at(0).isUpper())
            words.append(word);
    }
    if (words.isEmpty())
        return caption.left(2).toUpper();
    if (words.size() == 1)
        return words.first().left(2);
    return QString(words.at(0).at(0).toUpper()) + words.at(1).at(0).toUpper();
}

QPixmap tile(const QString &caption, const QColor &colour, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1, 1, size - 2, size - 2);
    QPainterPath path;
    path.addRoundedRect(box, size * 0.2, size * 0.2);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, colour.lighter(125));
    fill.setColorAt(1, colour.darker(115));
    painter.fillPath(path, fill);
    painter.setPen(QPen(colour.darker(140), 1));
    painter.drawPath(path);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(static_cast<int>(size * 0.4));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, initials(caption));
    return pixmap;
}
} // namespace

QString moduleIconName(const QString &target)
{
    static const QHash<QString, const char *> names = {
        {QStringLiteral("TForm2"), "view-financial-list"},
        {QStringLiteral("TfrmGrigliaBanche"), "view-bank"},
        {QStringLiteral("TfrmVetture"), "car"},
        {QStringLiteral("TfrmReparti"), "view-list-details"},
        {QStringLiteral("TfrmModelli"), "tag"},
        {QStringLiteral("TfrmGrigliaComuni"), "map-flat"},
        {QStringLiteral("TfrmGrigliaProvince"), "map-flat"},
        {QStringLiteral("TfrmGrigliaRegioni"), "map-globe"},
        {QStringLiteral("TfrmGrigliaPersonale"), "system-users"},
        {QStringLiteral("TfrmClienti"), "user-identity"},
        {QStringLiteral("TFornitori"), "system-users"},
        {QStringLiteral("TfrmModPagam"), "wallet-open"},
        {QStringLiteral("TfrmGrigliaIva"), "accessories-calculator"},
        {QStringLiteral("TfrmGrigliaPadroncini"), "view-media-artist"},
        {QStringLiteral("TfrmGrigliaColori"), "color-picker"},
        {QStringLiteral("TfrmArchivioTipologie"), "tag-folder"},
        {QStringLiteral("TfrmIndirizzi"), "x-office-address-book"},
        {QStringLiteral("TfrmGrigliaUnitaMisura"), "games-config-tiles"},
        {QStringLiteral("TfrmArchivioContabilita"), "office-chart-bar"},
        {QStringLiteral("TfrmGrigliaAvvisi"), "mail-message"},
        {QStringLiteral("TForm5"), "view-financial-transfer-unreconciled"},
        {QStringLiteral("TfrmOpzioni"), "preferences-system"},
        {QStringLiteral("TfrmGrigliaCalendario"), "view-calendar"},
        {QStringLiteral("ChiusuraIva"), "accessories-calculator"},
        {QStringLiteral("TfrmAvvisiClienti_Campi"), "mail-send"},
        {QStringLiteral("TfrmGrigliaConti"), "view-time-schedule-calculus"},
        {QStringLiteral("TfrmGrigliaFatture"), "document-edit-sign"},
        {QStringLiteral("TfrmGrigliaCarico"), "document-import"},
        {QStringLiteral("TfrmGrigliaPreventivi"), "x-office-spreadsheet"},
        {QStringLiteral("TfrmGrigliaDDT"), "folder-documents"},
        {QStringLiteral("TfrmDitta"), "help-about"},
        {QStringLiteral("TfrmRealizzazione"), "license"},
        {QStringLiteral("TfrmScadenziario"), "view-history"},
    };
    return QString::fromLatin1(names.value(target));
}

QIcon moduleIcon(const QString &target, const QString &caption, const QColor &colour)
{
    const QString name = moduleIconName(target);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    QIcon icon;
    for (int size : {32, 48, 64, 96})
        icon.addPixmap(tile(caption, colour, size));
    return icon;
}

void useIconThemeFallback()
{
    // Without a desktop session Qt may look for themes only among its own resources.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &folder : QStandardPaths::locateAll(
             QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory)) {
        if (!paths.contains(folder))
            paths.append(folder);
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("breeze"));
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("breeze"));
}

QColor pageColour(int page)
{
    static const QColor colours[] = {
        QColor(0x1f, 0x6f, 0xb2), QColor(0x2e, 0x8b, 0x57), QColor(0xc0, 0x6a, 0x1b),
        QColor(0x8e, 0x44, 0xad), QColor(0x55, 0x65, 0x75), QColor(0x7f, 0x5a, 0x3a),
        QColor(0xb0, 0x3a, 0x2e), QColor(0x16, 0x8a, 0x8a), QColor(0x2c, 0x3e, 0x50)};
    return colours[page % (sizeof(colours) / sizeof(colours[0]))];
}

} // namespace rotalina::shell::ui
