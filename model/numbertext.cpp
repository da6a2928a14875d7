#include "numbertext.h"

#include <QLocale>

#include <cmath>

namespace {

constexpr double maxAmount = 1e12;

const QLocale& italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

} // namespace

// "0.125" is no thousands grouping: a group never follows a lone zero.
bool startsWithZeroGroup(const QString& text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+')))
        digits.remove(0, 1);
    return digits.startsWith(QLatin1String("0."));
}

std::optional<double> parseAmount(const QString& text)
{
    bool ok = false;
    double value = startsWithZeroGroup(text) ? 0.0 : italian().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    // Nothing on an invoice comes near a trillion; products of larger numbers overflow
    // to an infinite total.
    if (!ok || !std::isfinite(value) || std::abs(value) > maxAmount)
        return std::nullopt;
    return value;
}

std::optional<int> parseCount(const QString& text)
{
    bool ok = false;
    int value = startsWithZeroGroup(text) ? 0 : italian().toInt(text, &ok);
    if (!ok)
        value = QLocale::c().toInt(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}
