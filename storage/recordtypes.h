#pragma once

#include <QString>
#include <QStringList>

// The kinds of record file the data directory holds, "<type>_<id>.xml". Loading lists them
// in one pass, and a backup carries exactly these.
namespace RecordTypes {

inline const QString customer = QStringLiteral("customer");
inline const QString company = QStringLiteral("company");
inline const QString preference = QStringLiteral("preference");
// An issued document, "document_FT_2026_000042.xml"; never rewritten.
inline const QString document = QStringLiteral("document");
// The document being typed, "draft_0.xml".
inline const QString draft = QStringLiteral("draft");
// What the register of one year shows, kept so that a year opens without reading each of
// its documents; rebuilt from the documents whenever it disagrees with them.
inline const QString documentIndex = QStringLiteral("documentindex");
// The electronic invoice's settings: the last progressive used and the export folder.
inline const QString einvoice = QStringLiteral("einvoice");

inline QStringList all()
{
    return {customer, company, preference, document, draft, documentIndex, einvoice};
}

} // namespace RecordTypes
