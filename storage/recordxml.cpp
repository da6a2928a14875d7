#include "recordxml.h"

#include <QXmlStreamReader>

#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace RecordXml {
namespace {

const QString fieldTag = QStringLiteral("field");
const QString nameAttribute = QStringLiteral("name");

// root > entry > field
constexpr int formatDepth = 3;

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
        || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Why the bytes cannot be read as the declared encoding says, or nothing. We write UTF-8
// without a declaration; ASCII and Latin-1 are read too, as hand-made files use them.
// Any other encoding is refused: what a save writes back must be what was read, and
// decoders of other encodings can give text that is not Unicode (UTF-7 gives unpaired
// surrogates) or that quietly differs from the bytes.
std::optional<QString> encodingProblem(const QByteArray& document, QStringView declared)
{
    // A NUL is never XML; it also marks UTF-16 and UTF-32, which the XML reader would
    // otherwise detect by itself.
    if (document.contains('\0'))
        return QStringLiteral("not a UTF-8 text");
    QString name = declared.toString().toLower();
    name.remove(QLatin1Char('-')).remove(QLatin1Char('_'));
    if (name == QLatin1String("iso88591") || name == QLatin1String("latin1"))
        return std::nullopt;
    if (name == QLatin1String("usascii") || name == QLatin1String("ascii")) {
        const bool ascii = std::all_of(document.cbegin(), document.cend(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        return ascii ? std::nullopt : std::optional(QStringLiteral("bytes beyond ASCII in a file declared %1").arg(declared));
    }
    if (!name.isEmpty() && name != QLatin1String("utf8"))
        return QStringLiteral("encoding %1 refused: record files are UTF-8").arg(declared);
    if (!QByteArrayView(document).isValidUtf8())
        return QStringLiteral("not valid UTF-8");
    return std::nullopt;
}

} // namespace

QString xmlSafe(const QString& text)
{
    const auto allowed = [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0xD800; };
    if (std::all_of(text.cbegin(), text.cend(), allowed))
        return text;

    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            safe += c;
            safe += text.at(++i);
        } else if (!c.isSurrogate() && isXmlChar(c.unicode())) {
            safe += c;
        }
    }
    return safe;
}

namespace {

// The escaping of Qt's DOM writer, which wrote these files first: "<", "&", a carriage
// return and the ">" of "]]>"; in attribute values also the quote, tab and line feed.
enum class Context { Text, Attribute };

QString escaped(const QString& text, Context context)
{
    const bool attribute = context == Context::Attribute;
    QString result;
    result.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == '<')
            result += QLatin1String("&lt;");
        else if (u == '&')
            result += QLatin1String("&amp;");
        else if (u == '\r')
            result += QLatin1String("&#xd;");
        else if (u == '>' && i >= 2 && text.at(i - 1) == QLatin1Char(']') && text.at(i - 2) == QLatin1Char(']'))
            result += QLatin1String("&gt;");
        else if (attribute && u == '"')
            result += QLatin1String("&quot;");
        else if (attribute && u == '\t')
            result += QLatin1String("&#x9;");
        else if (attribute && u == '\n')
            result += QLatin1String("&#xa;");
        else
            result += c;
    }
    return result;
}

// Appends the text as the document holds it: without the characters XML cannot carry,
// escaped for its context.
void appendXml(QString& document, const QString& text, Context context)
{
    const bool attribute = context == Context::Attribute;
    const auto ordinary = [attribute](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 && u < 0xD800 && u != '<' && u != '&' && u != '>' && !(attribute && u == '"');
    };
    if (std::all_of(text.cbegin(), text.cend(), ordinary))
        document += text;
    else
        document += escaped(xmlSafe(text), context);
}

} // namespace

QByteArray compose(const QString& type, const QString& id, const QMap<QString, QString>& fields)
{
    // Appended piece by piece: this runs for every record at every save.
    QString document;
    document.reserve(96 + 2 * type.size() + 64 * fields.size());
    document += QLatin1String("<!DOCTYPE ");
    document += type;
    document += QLatin1String(">\n<");
    document += type;
    document += QLatin1String(">\n <entry id=\"");
    appendXml(document, id, Context::Attribute);
    document += QLatin1Char('"');
    if (fields.isEmpty()) {
        document += QLatin1String("/>\n");
    } else {
        document += QLatin1String(">\n");
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            document += QLatin1String("  <field name=\"");
            appendXml(document, it.key(), Context::Attribute);
            document += QLatin1String("\">");
            appendXml(document, it.value(), Context::Text);
            document += QLatin1String("</field>\n");
        }
        document += QLatin1String(" </entry>\n");
    }
    document += QLatin1String("</");
    document += type;
    document += QLatin1String(">\n");
    return document.toUtf8();
}

bool parse(const QByteArray& document, QMap<QString, QString>* fields, QString* error)
{
    if (document.size() > maxFileSize) {
        *error = QStringLiteral("file larger than %1 bytes").arg(maxFileSize);
        return false;
    }
    // Loading ten thousand customers at start-up is mostly this: the general XML reader
    // costs several times the reading of the bytes, our own layout very little.
    if (auto own = detail::readOwnLayout(document)) {
        *fields = std::move(*own);
        return true;
    }
    return detail::readAnyLayout(document, fields, error);
}

namespace detail {

namespace {

// Walks a document that must be exactly in the layout compose() writes.
class OwnLayoutReader
{
public:
    explicit OwnLayoutReader(const QByteArray& document) : at(document.constData()), end(at + document.size()) {}

    bool atEnd() const { return at == end; }

    bool literal(const char* text)
    {
        const qsizetype length = qsizetype(std::strlen(text));
        if (end - at < length || std::memcmp(at, text, size_t(length)) != 0)
            return false;
        at += length;
        return true;
    }

    // An ASCII element name.
    std::optional<QByteArray> name()
    {
        const char* start = at;
        while (at < end && (std::isalnum(static_cast<unsigned char>(*at)) || *at == '_' || *at == '-' || *at == '.'))
            ++at;
        if (at == start || !std::isalpha(static_cast<unsigned char>(*start)))
            return std::nullopt;
        return QByteArray(start, at - start);
    }

    // Character data up to `stop`, with the references an XML writer produces resolved.
    std::optional<QString> text(char stop)
    {
        QByteArray raw;
        const char* const begin = at;
        const char* span = at;
        while (at < end && *at != stop) {
            const char c = *at;
            if (c == '&') {
                raw.append(span, at - span);
                const auto resolved = reference();
                if (!resolved)
                    return std::nullopt;
                raw += *resolved;
                span = at;
                continue;
            }
            // Legal in places, but never written so by us: the XML reader decides.
            // (an attribute value normalises raw blanks, so they are never written raw)
            const bool closesCData = c == '>' && at - begin >= 2 && at[-1] == ']' && at[-2] == ']';
            const bool rawBlankInAttribute = stop == '"' && (c == '\n' || c == '\t');
            if (c == '<' || c == '\r' || closesCData || rawBlankInAttribute
                || (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n'))
                return std::nullopt;
            ++at;
        }
        if (at == end)
            return std::nullopt;
        raw.append(span, at - span);
        // a value may begin with U+FEFF: it is text here, not a byte order mark to drop
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString decoded = decoder(raw);
        if (decoder.hasError() || xmlSafe(decoded) != decoded)
            return std::nullopt;
        return decoded;
    }

private:
    std::optional<QByteArray> reference()
    {
        static const std::pair<const char*, char> named[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        for (const auto& [entity, character] : named) {
            if (literal(entity))
                return QByteArray(1, character);
        }
        if (!literal("&#x"))
            return std::nullopt;
        const char* start = at;
        while (at < end && std::isxdigit(static_cast<unsigned char>(*at)) && at - start < 6)
            ++at;
        bool ok = false;
        const uint code = QByteArray(start, at - start).toUInt(&ok, 16);
        if (!ok || !literal(";") || !isXmlChar(code))
            return std::nullopt;
        const char32_t character = code;
        return QString::fromUcs4(&character, 1).toUtf8();
    }

    const char* at;
    const char* end;
};

} // namespace

std::optional<QMap<QString, QString>> readOwnLayout(const QByteArray& document)
{
    OwnLayoutReader reader(document);
    if (!reader.literal("<!DOCTYPE "))
        return std::nullopt;
    const auto type = reader.name();
    if (!type || !reader.literal(">\n<") || !reader.literal(type->constData()) || !reader.literal(">\n <entry id=\"")
        || !reader.text('"') || !reader.literal("\""))
        return std::nullopt;

    QMap<QString, QString> fields;
    if (!reader.literal("/>\n")) {
        if (!reader.literal(">\n"))
            return std::nullopt;
        while (reader.literal("  <field name=\"")) {
            auto key = reader.text('"');
            if (!key || !reader.literal("\">"))
                return std::nullopt;
            auto value = reader.text('<');
            if (!value || !reader.literal("</field>\n"))
                return std::nullopt;
            // a duplicate would lose its first value at the next save: the XML reader refuses it
            if (fields.contains(*key))
                return std::nullopt;
            fields.insert(*key, *value);
        }
        if (!reader.literal(" </entry>\n"))
            return std::nullopt;
    }
    if (!reader.literal("</") || !reader.literal(type->constData()) || !reader.literal(">\n") || !reader.atEnd())
        return std::nullopt;
    return fields;
}

bool readAnyLayout(const QByteArray& document, QMap<QString, QString>* fields, QString* error)
{
    // Namespace processing off, so that attributes read as the DOM parser reads them.
    QXmlStreamReader reader(document);
    reader.setNamespaceProcessing(false);

    QMap<QString, QString> found;
    int depth = 0;
    bool inFirstEntry = false;
    bool entrySeen = false;
    bool inField = false;
    QString key;
    QString value;

    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            // always the first token, with or without a declaration
            if (const auto problem = encodingProblem(document, reader.documentEncoding())) {
                *error = *problem;
                return false;
            }
            break;
        case QXmlStreamReader::DTD:
            // Only a bare <!DOCTYPE name>: declarations can expand without bound, and an
            // external DTD would leave its entities unresolved.
            if (!reader.dtdSystemId().isEmpty() || !reader.dtdPublicId().isEmpty()
                || !reader.entityDeclarations().isEmpty() || reader.text().contains(QLatin1Char('['))) {
                *error = QStringLiteral("document type with declarations");
                return false;
            }
            break;
        case QXmlStreamReader::EntityReference:
            // left unresolved, its text would silently drop out of the value
            *error = QStringLiteral("undeclared entity &%1;").arg(reader.name());
            return false;
        case QXmlStreamReader::StartElement:
            if (++depth > formatDepth) {
                *error = QStringLiteral("elements nested deeper than %1 levels").arg(formatDepth);
                return false;
            }
            if (depth == 2 && !entrySeen) {
                entrySeen = true;
                inFirstEntry = true;
            } else if (depth == 3 && inFirstEntry && reader.name() == fieldTag
                       && !reader.attributes().isEmpty()) {
                inField = true;
                key = reader.attributes().value(nameAttribute).toString();
                value.clear();
            }
            break;
        case QXmlStreamReader::Characters:
            if (inField)
                value += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            if (inField && depth == 3) {
                // Refused rather than altered: a save must write back exactly what was read.
                if (found.contains(key)) {
                    *error = QStringLiteral("field name given twice: %1").arg(key);
                    return false;
                }
                // Qt's reader lets none of these through from the encodings above; the
                // promise of parse() should not rest on that.
                if (xmlSafe(key) != key || xmlSafe(value) != value) {
                    *error = QStringLiteral("characters a record file cannot carry in field %1").arg(xmlSafe(key));
                    return false;
                }
                found.insert(key, value);
                inField = false;
            } else if (depth == 2) {
                inFirstEntry = false;
            }
            --depth;
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        *error = QStringLiteral("line %1, column %2: %3")
                     .arg(reader.lineNumber())
                     .arg(reader.columnNumber())
                     .arg(reader.errorString());
        return false;
    }
    *fields = found;
    return true;
}

} // namespace detail
} // namespace RecordXml
