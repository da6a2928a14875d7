#include "customercode.h"

namespace CustomerCode {

int number(const QString& code)
{
    bool ok = false;
    const int value = QString(code).remove(QLatin1Char('C')).toInt(&ok, 10);
    return ok ? value : 0;
}

QString next(const QString& code)
{
    const int digits = int(initial.size()) - 1;
    return QLatin1Char('C') + QStringLiteral("%1").arg(qint64(number(code)) + 1, digits, 10, QLatin1Char('0'));
}

QString larger(const QString& current, const QString& candidate)
{
    return number(candidate) >= number(current) ? candidate : current;
}

} // namespace CustomerCode
