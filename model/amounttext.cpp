#include "amounttext.h"

#include <QStringList>

#include <cmath>

double roundedToCents(double amount)
{
    // 11.825 is 11.82499999… as a double and would round down: the first rounding strips
    // that binary noise, the second rounds the half cent up as on any invoice.
    return std::round(std::round(amount * 1e6) / 1e4) / 100.0;
}

qint64 toCents(double amount)
{
    return std::llround(roundedToCents(amount) * 100);
}

QString formatAmount(double amount)
{
    const QString text =
        QString::number(roundedToCents(amount), 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
    // a tiny negative amount rounds to zero, which has no sign
    return text == QLatin1String("-0,00") ? QStringLiteral("0,00") : text;
}

QString formatAmountGrouped(double amount)
{
    return groupThousands(formatAmount(amount));
}

QString groupThousands(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    const QString& integerPart = parts.first();
    QString grouped;
    int digits = 0;
    for (qsizetype i = integerPart.size() - 1; i >= 0; --i) {
        const QChar c = integerPart.at(i);
        const bool sign = i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'));
        if (!sign && digits > 0 && digits % 3 == 0)
            grouped.prepend(QLatin1Char('.'));
        grouped.prepend(c);
        if (!sign)
            ++digits;
    }
    const QString decimals = parts.size() > 1 ? parts.at(1) : QStringLiteral("00");
    return grouped + QLatin1Char(',') + decimals;
}

QString groupAmountText(const QString& text)
{
    if (text.isNull())
        return QString();
    return groupThousands(QString(text).replace(QLatin1Char('.'), QLatin1Char(',')));
}

QString formatCount(int count)
{
    return QString::number(count);
}

QString blankIfZero(const QString& text)
{
    return text == QLatin1String("0,00") || text == QLatin1String("0") ? QString() : text;
}
