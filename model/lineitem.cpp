#include "lineitem.h"

#include "amounttext.h"
#include "numbertext.h"

#include <QLocale>

namespace {

// Two decimals at least, more where the value has them: the window writes this text back
// into the model, which must get the same value again (a unit price of 0.0125 must not
// become 0.01).
QString exactText(double value)
{
    const QString shortest = QString::number(value, 'f', QLocale::FloatingPointShortest);
    const qsizetype point = shortest.indexOf(QLatin1Char('.'));
    return point < 0 || shortest.size() - point - 1 <= 2 ? QString::number(value, 'f', 2) : shortest;
}

// A number that is no number, or a negative one, is stored as zero.
double nonNegativeAmount(const QString& text)
{
    return std::max(0.0, parseAmount(text).value_or(0.0));
}

} // namespace

LineItem::LineItem(QObject* parent, int id, int ivaCode)
    : QObject(parent), id(id), um(unitList().first()), ivaCode(ivaCode)
{
}

QStringList LineItem::unitList()
{
    static const QStringList units = {QStringLiteral("PZ"), QStringLiteral("metri"), QStringLiteral("KG")};
    return units;
}

QStringList LineItem::fieldKeys()
{
    namespace Key = LineItemKey;
    static const QStringList keys = {Key::code,   Key::description, Key::um,           Key::amount,
                                     Key::prize,  Key::sconto,      Key::total_amount, Key::c_iva};
    return keys;
}

bool LineItem::isNumericField(const QString& key)
{
    namespace Key = LineItemKey;
    return key == Key::amount || key == Key::prize || key == Key::total_amount || key == Key::sconto
        || key == Key::c_iva;
}

QString LineItem::getField(const QString& key) const
{
    if (key == LineItemKey::description)
        return description;
    if (key == LineItemKey::code)
        return code;
    if (key == LineItemKey::amount)
        // All the digits the quantity needs: the window writes this text back into the model,
        // and six significant digits would turn 1234567 into 1234570.
        return QString::number(amount, 'f', QLocale::FloatingPointShortest); // never in exponent form
    if (key == LineItemKey::prize)
        return exactText(prize);
    if (key == LineItemKey::total_amount)
        return QString::number(total_amount, 'f', 2);
    if (key == LineItemKey::um)
        return um;
    if (key == LineItemKey::sconto)
        return exactText(sconto);
    if (key == LineItemKey::c_iva)
        return QString::number(double(ivaCode), 'f', 2);
    return QString();
}

void LineItem::setField(const QString& key, const QString& value)
{
    bool recompute = false;
    if (key.isNull()) {
        // nothing to store
    } else if (key == LineItemKey::description) {
        description = value;
    } else if (key == LineItemKey::code) {
        code = value;
    } else if (key == LineItemKey::um) {
        um = unitList().contains(value) ? value : QString();
    } else if (key == LineItemKey::amount) {
        amount = nonNegativeAmount(value);
        recompute = true;
    } else if (key == LineItemKey::prize) {
        prize = nonNegativeAmount(value);
        recompute = true;
    } else if (key == LineItemKey::sconto) {
        sconto = nonNegativeAmount(value);
        recompute = true;
    }
    // the row amount is computed and the VAT code is the document's: other keys store nothing

    if (recompute)
        computeTotalAmount();
    Q_EMIT lineItemChanged(id);
}

void LineItem::computeTotalAmount()
{
    const double gross = prize * amount;
    // the row discount divides first, then multiplies; the row amount is kept in cents, as
    // printed, so that the totals are sums of what the page and the e-invoice show
    const double discount = std::max(0.0, gross / 100.0 * sconto);
    total_amount = roundedToCents(std::max(0.0, gross - discount));
    Q_EMIT totalAmountChanged();
}
