#include "schemacheck.h"

#include <QFile>
#include <QHash>
#include <QString>
#include <QXmlStreamReader>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <mutex>

namespace EInvoice {
namespace {

const QString schemaDirectory = QStringLiteral(":/einvoice/schema/");
const QString schemaFile = QStringLiteral("Schema_del_file_xml_FatturaPA_v1.2.2.xsd");
// A file with more failures than this is hopeless; the user needs the first ones.
constexpr int maxFindings = 20;

QByteArray resource(const QString& name)
{
    QFile file(schemaDirectory + name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// The shipped catalog's mapping from the URL a schema imports to the shipped copy's bytes.
// The bytes live as long as the program: libxml2 reads them in place.
const QHash<QByteArray, QByteArray>& catalog()
{
    static const QHash<QByteArray, QByteArray> entries = [] {
        QHash<QByteArray, QByteArray> map;
        QXmlStreamReader reader(resource(QStringLiteral("catalog.xml")));
        while (!reader.atEnd() && !reader.hasError()) {
            if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("system")) {
                const auto attributes = reader.attributes();
                map.insert(attributes.value(QLatin1String("systemId")).toUtf8(),
                           resource(attributes.value(QLatin1String("uri")).toString()));
            }
        }
        return map;
    }();
    return entries;
}

// Every external resource the parser asks for: the catalog's URLs come from the program's
// resources, anything else is refused, so neither the schema nor a file being checked can
// reach the network or the disk.
xmlParserInputPtr catalogOnlyLoader(const char* url, const char*, xmlParserCtxtPtr context)
{
    const auto it = url ? catalog().constFind(QByteArray(url)) : catalog().cend();
    if (it == catalog().cend() || it->isEmpty())
        return nullptr;
    xmlParserInputPtr input = xmlNewStringInputStream(context, reinterpret_cast<const xmlChar*>(it->constData()));
    if (input && !input->filename)
        input->filename = reinterpret_cast<char*>(xmlStrdup(reinterpret_cast<const xmlChar*>(url)));
    return input;
}

void ignoreGenericError(void*, const char*, ...) {}

void ignoreStructuredError(void*, xmlErrorPtr) {}

// The schema, parsed once for the program's life; validating against it only reads it.
xmlSchemaPtr schema()
{
    static xmlSchemaPtr parsed = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(catalogOnlyLoader);
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
        xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError);
        static const QByteArray bytes = resource(schemaFile);
        xmlSchemaParserCtxtPtr context = xmlSchemaNewMemParserCtxt(bytes.constData(), int(bytes.size()));
        if (!context)
            return;
        xmlSchemaSetParserStructuredErrors(context, ignoreStructuredError, nullptr);
        parsed = xmlSchemaParse(context);
        xmlSchemaFreeParserCtxt(context);
    });
    return parsed;
}

QString elementOf(const xmlError* error)
{
    const auto* node = static_cast<const xmlNode*>(error->node);
    if (node && node->type == XML_ELEMENT_NODE && node->name)
        return QString::fromUtf8(reinterpret_cast<const char*>(node->name));
    return QString();
}

void collect(void* findings, xmlErrorPtr error)
{
    auto* list = static_cast<QList<Finding>*>(findings);
    if (!error || error->level < XML_ERR_ERROR || list->size() >= maxFindings)
        return;
    const QString element = elementOf(error);
    const QString reason = QString::fromUtf8(error->message).trimmed();
    const QString message =
        element.isEmpty()
            ? QStringLiteral("Il file non rispetta lo schema (riga %1): %2").arg(error->line).arg(reason)
            : QStringLiteral("Il file non rispetta lo schema (riga %1, elemento %2): %3")
                  .arg(error->line)
                  .arg(element, reason);
    list->append({QStringLiteral("schema"), message});
}

// Errors of this thread go to `findings` while it lives, never to stderr.
class ErrorCapture
{
public:
    explicit ErrorCapture(QList<Finding>* findings)
    {
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
        xmlSetStructuredErrorFunc(findings, collect);
    }
    ~ErrorCapture() { xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;
};

} // namespace

QList<Finding> checkSchema(const QByteArray& xml)
{
    QList<Finding> findings;
    xmlSchemaPtr official = schema();
    if (!official) {
        findings.append({QStringLiteral("schema"), QStringLiteral("Lo schema della fattura elettronica non si legge: "
                                                                  "il programma è danneggiato")});
        return findings;
    }
    ErrorCapture capture(&findings);
    // No network, no external DTD, no entity expansion: only the bytes given are read.
    xmlDocPtr document = xmlReadMemory(xml.constData(), int(xml.size()), "fattura.xml", nullptr, XML_PARSE_NONET);
    if (!document) {
        if (findings.isEmpty())
            findings.append({QStringLiteral("schema"), QStringLiteral("Il file non è un XML leggibile")});
        return findings;
    }
    xmlSchemaValidCtxtPtr validation = xmlSchemaNewValidCtxt(official);
    xmlSchemaSetValidStructuredErrors(validation, collect, &findings);
    const int result = xmlSchemaValidateDoc(validation, document);
    xmlSchemaFreeValidCtxt(validation);
    xmlFreeDoc(document);
    if (result != 0 && findings.isEmpty())
        findings.append({QStringLiteral("schema"), QStringLiteral("Il file non rispetta lo schema")});
    return findings;
}

} // namespace EInvoice
