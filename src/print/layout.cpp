#include "print/layout.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace rotalina::print {

namespace {

struct Problem
{
    QString text;
};

QStringList strings(const QJsonValue &value, const char *key)
{
    if (value.isUndefined() || value.isNull())
        return {};
    if (value.isString())
        return {value.toString()};
    if (!value.isArray())
        throw Problem{QStringLiteral("«%1» deve essere un elenco di testi").arg(QLatin1String(key))};
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list.append(item.toString());
    return list;
}

QList<QPair<QString, QString>> pairs(const QJsonValue &value, const char *key)
{
    QList<QPair<QString, QString>> list;
    if (value.isUndefined() || value.isNull())
        return list;
    if (!value.isArray())
        throw Problem{QStringLiteral("«%1» deve essere un elenco di coppie [didascalia, valore]")
                          .arg(QLatin1String(key))};
    for (const QJsonValue &item : value.toArray()) {
        const QJsonArray pair = item.toArray();
        if (pair.size() != 2)
            throw Problem{QStringLiteral("«%1» deve essere un elenco di coppie [didascalia, valore]")
                              .arg(QLatin1String(key))};
        list.append({pair.at(0).toString(), pair.at(1).toString()});
    }
    return list;
}

ValueFormat formatOf(const QString &name)
{
    static const QHash<QString, ValueFormat> formats = {
        {QStringLiteral("text"), ValueFormat::Text},     {QStringLiteral("money"), ValueFormat::Money},
        {QStringLiteral("number"), ValueFormat::Number}, {QStringLiteral("integer"), ValueFormat::Integer},
        {QStringLiteral("date"), ValueFormat::Date},     {QStringLiteral("datetime"), ValueFormat::DateTime},
        {QStringLiteral("yesno"), ValueFormat::YesNo},   {QStringLiteral("upper"), ValueFormat::Upper}};
    const auto found = formats.constFind(name.isEmpty() ? QStringLiteral("text") : name);
    if (found == formats.cend())
        throw Problem{QStringLiteral("formato «%1» sconosciuto").arg(name)};
    return *found;
}

Qt::Alignment alignmentOf(const QString &name, ValueFormat format)
{
    if (name == u"right")
        return Qt::AlignRight;
    if (name == u"center")
        return Qt::AlignHCenter;
    if (name == u"left")
        return Qt::AlignLeft;
    if (!name.isEmpty())
        throw Problem{QStringLiteral("allineamento «%1» sconosciuto").arg(name)};
    // Numbers line up on the right, dates in the middle.
    switch (format) {
    case ValueFormat::Money:
    case ValueFormat::Number:
    case ValueFormat::Integer:
        return Qt::AlignRight;
    case ValueFormat::Date:
    case ValueFormat::DateTime:
    case ValueFormat::YesNo:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

LayoutTable tableOf(const QJsonObject &object)
{
    LayoutTable table;
    table.source = object.value(QStringLiteral("source")).toInt(0);
    if (table.source < 0 || table.source > 2)
        throw Problem{QStringLiteral("«source» deve essere 0, 1 o 2")};
    table.title = object.value(QStringLiteral("title")).toString();
    table.rowKey = object.value(QStringLiteral("rowKey")).toString();
    table.groupField = object.value(QStringLiteral("groupBy")).toString();
    table.sortByGroup = object.value(QStringLiteral("sortByGroup")).toBool();
    table.groupTitle = object.value(QStringLiteral("groupTitle")).toString();
    if (table.groupTitle.isEmpty() && !table.groupField.isEmpty())
        table.groupTitle = u'{' + table.groupField + u'}';
    table.groupSubtotals = object.value(QStringLiteral("subtotals")).toBool();
    table.grandTotal = object.value(QStringLiteral("total")).toBool();
    table.emptyText = object.value(QStringLiteral("empty")).toString();
    const QJsonArray columns = object.value(QStringLiteral("columns")).toArray();
    if (columns.isEmpty())
        throw Problem{QStringLiteral("una tabella non ha colonne")};
    for (const QJsonValue &value : columns) {
        const QJsonObject c = value.toObject();
        LayoutColumn column;
        column.field = c.value(QStringLiteral("field")).toString();
        if (column.field.isEmpty())
            throw Problem{QStringLiteral("una colonna non ha il campo («field»)")};
        column.title = c.value(QStringLiteral("title")).toString(column.field);
        column.width = c.value(QStringLiteral("width")).toDouble(1);
        if (column.width <= 0)
            throw Problem{
                QStringLiteral("la larghezza della colonna %1 deve essere positiva").arg(column.field)};
        column.format = formatOf(c.value(QStringLiteral("format")).toString());
        column.align = alignmentOf(c.value(QStringLiteral("align")).toString(), column.format);
        column.total = c.value(QStringLiteral("total")).toBool();
        table.columns.append(column);
    }
    return table;
}

LayoutChart chartOf(const QJsonObject &object)
{
    LayoutChart chart;
    chart.title = object.value(QStringLiteral("title")).toString();
    chart.workTable = object.value(QStringLiteral("workTable")).toString();
    if (chart.workTable.isEmpty())
        throw Problem{QStringLiteral("il grafico non dice da quale tabella di lavoro legge («workTable»)")};
    chart.heightMm = object.value(QStringLiteral("height")).toDouble(chart.heightMm);
    if (chart.heightMm < 30 || chart.heightMm > 250)
        throw Problem{QStringLiteral("l'altezza del grafico deve essere fra 30 e 250 millimetri")};
    return chart;
}

} // namespace

std::array<QStringList, 3> ReportLayout::fieldsUsed() const
{
    std::array<QStringList, 3> used;
    static const QRegularExpression placeholder(QStringLiteral(R"(\{([A-Za-z0-9_]+)(?:\|[a-z]+)?\})"));
    const auto add = [&used](int source, const QString &field) {
        // The request's parameter is no field of a statement.
        if (!field.isEmpty() && field.compare(QStringLiteral("Parametro"), Qt::CaseInsensitive) != 0 &&
            !used[source].contains(field, Qt::CaseInsensitive))
            used[source].append(field);
    };
    const auto addTemplates = [&](int source, const QStringList &texts) {
        for (const QString &text : texts) {
            for (auto it = placeholder.globalMatch(text); it.hasNext();)
                add(source, it.next().captured(1));
        }
    };
    addTemplates(0, QStringList{title, parameterLine, document.heading, document.partyTitle} + text +
                        document.reference + document.party + document.closing + labels.lines);
    for (const auto &[caption, value] : document.details + document.totals)
        addTemplates(0, {value});
    if (document.vatSummary) {
        add(0, document.vatRateField);
        add(0, document.vatTaxableField);
    }
    for (const LayoutTable &table : tables) {
        for (const LayoutColumn &column : table.columns)
            add(table.source, column.field);
        add(table.source, table.rowKey);
        add(table.source, table.groupField);
        addTemplates(table.source, {table.groupTitle});
    }
    return used;
}

core::Result<ReportLayout> ReportLayout::parse(const QByteArray &json, const QString &fileName)
{
    using R = core::Result<ReportLayout>;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return R::failure(QStringLiteral("Il modello di stampa %1 non è leggibile (carattere %2: %3).")
                              .arg(fileName)
                              .arg(error.offset)
                              .arg(error.errorString()));
    const QJsonObject root = document.object();
    ReportLayout layout;
    try {
        layout.title = root.value(QStringLiteral("title")).toString();
        const QString orientation =
            root.value(QStringLiteral("orientation")).toString(QStringLiteral("portrait"));
        if (orientation != u"portrait" && orientation != u"landscape")
            throw Problem{QStringLiteral("«orientation» deve essere portrait o landscape")};
        layout.landscape = orientation == u"landscape";
        layout.fontSize = root.value(QStringLiteral("fontSize")).toDouble(9);
        const QString kind = root.value(QStringLiteral("kind")).toString(QStringLiteral("list"));
        if (kind == u"list")
            layout.kind = LayoutKind::List;
        else if (kind == u"document")
            layout.kind = LayoutKind::Document;
        else if (kind == u"labels")
            layout.kind = LayoutKind::Labels;
        else if (kind == u"text")
            layout.kind = LayoutKind::Text;
        else
            throw Problem{QStringLiteral("tipo «%1» sconosciuto").arg(kind)};
        layout.parameterLine = root.value(QStringLiteral("parameter")).toString();
        layout.text = strings(root.value(QStringLiteral("text")), "text");

        const QJsonObject doc = root.value(QStringLiteral("document")).toObject();
        layout.document.heading = doc.value(QStringLiteral("heading")).toString();
        layout.document.reference = strings(doc.value(QStringLiteral("reference")), "reference");
        layout.document.partyTitle = doc.value(QStringLiteral("partyTitle")).toString();
        layout.document.party = strings(doc.value(QStringLiteral("party")), "party");
        layout.document.details = pairs(doc.value(QStringLiteral("details")), "details");
        layout.document.vatSummary = doc.value(QStringLiteral("vatSummary")).toBool();
        layout.document.vatRateField =
            doc.value(QStringLiteral("vatRate")).toString(layout.document.vatRateField);
        layout.document.vatTaxableField =
            doc.value(QStringLiteral("vatTaxable")).toString(layout.document.vatTaxableField);
        layout.document.vatDescriptionField =
            doc.value(QStringLiteral("vatDescription")).toString(layout.document.vatDescriptionField);
        layout.document.totals = pairs(doc.value(QStringLiteral("totals")), "totals");
        layout.document.closing = strings(doc.value(QStringLiteral("closing")), "closing");

        const QJsonObject labels = root.value(QStringLiteral("labels")).toObject();
        layout.labels.across = labels.value(QStringLiteral("across")).toInt(3);
        layout.labels.heightMm = labels.value(QStringLiteral("height")).toDouble(36);
        layout.labels.lines = strings(labels.value(QStringLiteral("lines")), "lines");
        if (layout.kind == LayoutKind::Labels && (layout.labels.lines.isEmpty() || layout.labels.across < 1))
            throw Problem{QStringLiteral("le etichette non hanno righe")};

        // The main table may be written at the top level for short list layouts.
        if (root.contains(QStringLiteral("columns"))) {
            // The report's title is not the table's.
            LayoutTable main = tableOf(root);
            main.title.clear();
            layout.tables.append(main);
        }
        for (const QJsonValue &value : root.value(QStringLiteral("tables")).toArray())
            layout.tables.append(tableOf(value.toObject()));
        if (root.contains(QStringLiteral("chart")))
            layout.chart = chartOf(root.value(QStringLiteral("chart")).toObject());
        if ((layout.kind == LayoutKind::List || layout.kind == LayoutKind::Document) &&
            layout.tables.isEmpty())
            throw Problem{QStringLiteral("non ci sono colonne da stampare")};
    } catch (const Problem &problem) {
        return R::failure(
            QStringLiteral("Il modello di stampa %1 non è valido: %2.").arg(fileName, problem.text));
    }
    return layout;
}

core::Result<ReportLayout> ReportLayout::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return core::Result<ReportLayout>::failure(
            QStringLiteral("Il modello di stampa %1 non esiste o non è leggibile.")
                .arg(QFileInfo(path).fileName()));
    return parse(file.readAll(), QFileInfo(path).fileName());
}

} // namespace rotalina::print
