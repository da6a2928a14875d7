#include "fiscalid.h"

#include <QRegularExpression>

namespace FiscalId {

bool partitaIvaValid(const QString& number)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{11}$"));
    if (!digits.match(number).hasMatch())
        return false;
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        int digit = number.at(i).digitValue();
        if (i % 2 == 1) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    return (10 - sum % 10) % 10 == number.at(10).digitValue();
}

bool codiceFiscaleValid(const QString& code)
{
    if (code.size() == 11)
        return partitaIvaValid(code);
    // Letters and digits in the places a person's code has them; a digit replaced by a
    // letter (omocodia) stays valid.
    static const QRegularExpression shape(
        QStringLiteral("^[A-Z]{6}[0-9LMNPQRSTUV]{2}[A-Z][0-9LMNPQRSTUV]{2}[A-Z][0-9LMNPQRSTUV]{3}[A-Z]$"));
    if (!shape.match(code).hasMatch())
        return false;
    // The value of each character in an odd place (first, third, ...), for A-Z and 0-9 alike.
    static const int oddValues[26] = {1,  0,  5,  7,  9,  13, 15, 17, 19, 21, 2,  4,  18,
                                      20, 11, 3,  6,  8,  12, 14, 16, 10, 22, 25, 24, 23};
    int sum = 0;
    for (int i = 0; i < 15; ++i) {
        const QChar c = code.at(i);
        const int index = c.isDigit() ? c.digitValue() : c.unicode() - 'A';
        sum += i % 2 == 0 ? oddValues[index] : index;
    }
    return code.at(15).unicode() == 'A' + sum % 26;
}

} // namespace FiscalId
