#include "numbertext.h"

#include <QLocale>

#include <cmath>

namespace {

const QLocale& italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

} // namespace

std::optional<double> parseAmount(const QString& text)
{
    bool ok = false;
    double value = italian().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseCount(const QString& text)
{
    bool ok = false;
    int value = italian().toInt(text, &ok);
    if (!ok)
        value = QLocale::c().toInt(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}
