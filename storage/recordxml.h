#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The XML form of one record file:
//
//   <!DOCTYPE customer>
//   <customer>
//    <entry id="C00001">
//     <field name="CITY">ROMA</field>
//    </entry>
//   </customer>
//
// Values are written and read as they are given; the accent step is the caller's.
namespace RecordXml {

// Record files are a few hundred bytes; anything this large did not come from us.
inline constexpr qint64 maxFileSize = 1024 * 1024;

QByteArray compose(const QString& type, const QString& id, const QMap<QString, QString>& fields);

// Fills `fields` from the first child element of the document element, one entry per
// "field" element that carries attributes. Refuses DTD subsets and entity declarations
// (which can make a small file expand without bound) and nesting deeper than the format
// has. Refuses too what compose() could not write back as it was read: encodings other
// than UTF-8, ASCII and Latin-1, bytes that are not of the declared encoding, a field
// name given twice, text that xmlSafe() would change. So whatever is accepted,
// parse(compose(fields)) gives it back. On failure returns false, leaves `fields` alone
// and says why in `error`.
bool parse(const QByteArray& document, QMap<QString, QString>* fields, QString* error);

namespace detail {
// The two readers behind parse(): the exact layout this program writes, read without a
// general XML parser, and any other well-formed document. readOwnLayout gives nothing
// for a document it does not recognise in every byte, so parse() then uses the other.
std::optional<QMap<QString, QString>> readOwnLayout(const QByteArray& document);
bool readAnyLayout(const QByteArray& document, QMap<QString, QString>* fields, QString* error);
} // namespace detail

// The text without the characters XML 1.0 cannot carry (control characters other than
// tab, line feed and carriage return, unpaired surrogates, U+FFFE and U+FFFF): written
// raw they would make the whole file unreadable.
QString xmlSafe(const QString& text);

} // namespace RecordXml
