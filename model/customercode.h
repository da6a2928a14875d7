#pragma once

#include <QString>

// Customer codes: "C" and five digits, C00001 first. Wider numbers keep all their digits.
namespace CustomerCode {

inline const QString initial = QStringLiteral("C00000");

// The number of a code: its text without any "C", read as a decimal; 0 when it is none.
qint64 number(const QString& code);
// The code after `code`: C00003 -> C00004, C99999 -> C100000.
QString next(const QString& code);
// The larger of two codes by number; `candidate` wins a tie.
QString larger(const QString& current, const QString& candidate);

} // namespace CustomerCode
