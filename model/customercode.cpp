#include "customercode.h"

#include <limits>

namespace CustomerCode {

qint64 number(const QString& code)
{
    bool ok = false;
    const qint64 value = QString(code).remove(QLatin1Char('C')).toLongLong(&ok, 10);
    // a number without a successor counts as none, like one that does not read
    return ok && value < std::numeric_limits<qint64>::max() ? value : 0;
}

QString next(const QString& code)
{
    const int digits = int(initial.size()) - 1;
    return QLatin1Char('C') + QStringLiteral("%1").arg(number(code) + 1, digits, 10, QLatin1Char('0'));
}

QString larger(const QString& current, const QString& candidate)
{
    return number(candidate) >= number(current) ? candidate : current;
}

} // namespace CustomerCode
