#include "einvoicechecks.h"

#include "support/shareddata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

namespace rotalina::test {

namespace {

void collect(void *context, const char *format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    static_cast<QStringList *>(context)->append(QString::fromUtf8(text).trimmed());
}

} // namespace

std::optional<QStringList> schemaErrors(const QByteArray &xml)
{
    const QString folder = sharedFolder();
    const QString schemaFile =
        folder + QStringLiteral("/fatturapa/schemas/Schema_del_file_xml_FatturaPA_v1.2.2.xsd");
    if (folder.isEmpty() || !QFileInfo::exists(schemaFile))
        return std::nullopt;
    // The schema imports the signature schema beside it; libxml2 finds it from the schema's own folder.
    static xmlSchemaPtr schema = [&] {
        const QByteArray path = QFile::encodeName(schemaFile);
        xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.constData());
        xmlSchemaPtr parsed = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
        return parsed;
    }();
    if (!schema)
        return QStringList{QStringLiteral("the schema could not be read")};
    QStringList errors;
    xmlDocPtr document =
        xmlReadMemory(xml.constData(), int(xml.size()), "fattura.xml", nullptr, XML_PARSE_NONET);
    if (!document)
        return QStringList{QStringLiteral("not well-formed")};
    xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidErrors(validator, collect, collect, &errors);
    const int result = xmlSchemaValidateDoc(validator, document);
    xmlSchemaFreeValidCtxt(validator);
    xmlFreeDoc(document);
    if (result != 0 && errors.isEmpty())
        errors.append(QStringLiteral("invalid (code %1)").arg(result));
    return errors;
}

std::optional<QJsonObject> readBack(const QByteArray &xml)
{
    const QString reader = QStandardPaths::findExecutable(QStringLiteral("a38tool"));
    if (reader.isEmpty())
        return std::nullopt;
    QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("IT00000000018_00001.xml"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(xml) != xml.size())
        return QJsonObject{{QStringLiteral("error"), QStringLiteral("cannot write the file")}};
    out.close();
    QProcess run;
    run.start(reader, {QStringLiteral("json"), file});
    if (!run.waitForFinished(60000))
        return QJsonObject{{QStringLiteral("error"), QStringLiteral("a38tool did not finish")}};
    // The reader reports its failures on the standard error with a zero exit status.
    const QByteArray errors = run.readAllStandardError();
    if (!errors.trimmed().isEmpty())
        return QJsonObject{{QStringLiteral("error"), QString::fromUtf8(errors)}};
    const QJsonDocument loaded = QJsonDocument::fromJson(run.readAllStandardOutput());
    const QJsonArray bodies = loaded.object().value(QStringLiteral("fattura_elettronica_body")).toArray();
    if (bodies.isEmpty())
        return QJsonObject{{QStringLiteral("error"), QStringLiteral("no body read back")}};
    return bodies.first().toObject();
}

QStringList allTexts(const QByteArray &xml, const QString &element)
{
    QStringList texts;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element)
            texts.append(reader.readElementText(QXmlStreamReader::IncludeChildElements));
    }
    return texts;
}

QString firstText(const QByteArray &xml, const QString &element)
{
    const QStringList texts = allTexts(xml, element);
    return texts.isEmpty() ? QString() : texts.first();
}

} // namespace rotalina::test
