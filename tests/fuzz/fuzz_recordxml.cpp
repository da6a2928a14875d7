// Arbitrary bytes for the record reader. Whatever it accepts, a save with no edit must
// write back: the fields read from the written file, and the accent step undone on
// reading and redone on writing, must equal what was read first. Aborts otherwise.
#include "recordxml.h"
#include "serializable.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using FieldMap = Serializable::FieldMap;

[[noreturn]] void violated(const char* what, const QByteArray& written)
{
    std::fprintf(stderr, "%s\n--- document ---\n%.*s\n", what, int(written.size()), written.constData());
    std::abort();
}

// Aborts, naming the first field that differs, when the fields did not come back.
void expectSame(const FieldMap& back, const FieldMap& read, const char* what, const QByteArray& document)
{
    if (back == read)
        return;
    QStringList keys = back.keys() + read.keys();
    keys.removeDuplicates();
    for (const QString& key : std::as_const(keys)) {
        if (back.value(key, QStringLiteral("(none)")) != read.value(key, QStringLiteral("(none)"))) {
            std::fprintf(stderr, "field %s: read %s, read back %s\n", qUtf8Printable(key),
                         qUtf8Printable(read.value(key, QStringLiteral("(none)"))),
                         qUtf8Printable(back.value(key, QStringLiteral("(none)"))));
            break;
        }
    }
    violated(what, document);
}

// What reading the fields back from the file that a save of them writes gives.
FieldMap writtenAndRead(const FieldMap& fields)
{
    const QByteArray written = RecordXml::compose(QStringLiteral("customer"), QStringLiteral("C00001"), fields);
    FieldMap read;
    QString error;
    if (!RecordXml::parse(written, &read, &error))
        violated(qPrintable(QStringLiteral("a written file is refused: ") + error), written);
    // the fast reader is the one that reads our own files: it must take every one of them
    const auto own = RecordXml::detail::readOwnLayout(written);
    if (!own)
        violated("the fast reader refuses a written file", written);
    expectSame(*own, read, "the fast reader does not read a written file as the XML reader does", written);
    return read;
}

FieldMap withEachValue(FieldMap fields, QString (*step)(QString))
{
    for (auto it = fields.begin(); it != fields.end(); ++it)
        it.value() = step(it.value());
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // not copied, so that AddressSanitizer sees any read past the end
    const QByteArray document = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    FieldMap fields;
    QString error;
    if (!RecordXml::parse(document, &fields, &error))
        return 0;

    if (const auto own = RecordXml::detail::readOwnLayout(document)) {
        FieldMap any;
        if (!RecordXml::detail::readAnyLayout(document, &any, &error))
            violated("the XML reader refuses what the fast reader reads", document);
        expectSame(any, *own, "the two readers disagree on the input", document);
    }
    expectSame(writtenAndRead(fields), fields, "the fields read back differ from the fields read", document);

    const FieldMap record = withEachValue(fields, Serializable::unescapeAccents);
    const FieldMap saved = withEachValue(record, Serializable::escapeAccents);
    expectSame(withEachValue(writtenAndRead(saved), Serializable::unescapeAccents), record,
               "the record read back differs from the record read", document);
    return 0;
}
