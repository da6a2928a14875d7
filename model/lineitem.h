#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Field keys of a line item, in the order of the line-item table's columns.
namespace LineItemKey {
inline const QString code = QStringLiteral("code");
inline const QString description = QStringLiteral("description");
inline const QString um = QStringLiteral("um");
inline const QString amount = QStringLiteral("amount");
inline const QString prize = QStringLiteral("prize");
inline const QString sconto = QStringLiteral("sconto");
inline const QString total_amount = QStringLiteral("total_amount");
inline const QString c_iva = QStringLiteral("c.iva");
} // namespace LineItemKey

// One row of the document: article, quantity, unit price, discount, VAT code, and the
// row amount computed from them. Edited one field at a time, as text.
class LineItem final : public QObject
{
    Q_OBJECT

public:
    // The VAT code is the rate in force on the document; the document hands it to each row.
    LineItem(QObject* parent, int id, int ivaCode = 0);

    int getId() const { return id; }
    QString getField(const QString& key) const;
    void setField(const QString& key, const QString& value);
    double getTotalAmount() const { return total_amount; }
    // The document's rate changed: the row shows and prints the new one.
    void setIvaCode(int percent) { ivaCode = percent; }

    static QStringList unitList();
    static QStringList fieldKeys();
    static bool isNumericField(const QString& key);

Q_SIGNALS:
    void totalAmountChanged();
    void lineItemChanged(int id);

private:
    void computeTotalAmount();

    QString description;
    QString code;
    double amount = 0;
    double prize = 0;
    double total_amount = 0;
    const int id;
    QString um;
    double sconto = 0;
    int ivaCode;

    Q_DISABLE_COPY_MOVE(LineItem)
};
