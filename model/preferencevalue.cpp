#include "preferencevalue.h"

#include "preferencekeys.h"

PreferenceValue::PreferenceValue(QObject* parent, const QString& type)
    : Serializable(parent, type)
{
}

PreferenceValue::~PreferenceValue() = default;

QString PreferenceValue::recordType() const
{
    return typeName;
}

QString PreferenceValue::recordId() const
{
    return QStringLiteral("0");
}

void PreferenceValue::setField(const QString& key, const QString& value)
{
    fields()->insert(key, value);
}

QString PreferenceValue::getField(const QString& key) const
{
    return fields()->value(key);
}

QString PreferenceValue::getTCura() const { return getField(TCURA_FIELD); }
QString PreferenceValue::getSMezzo() const { return getField(SMEZZO_FIELD); }
QString PreferenceValue::getPorto() const { return getField(PORTO_FIELD); }
QString PreferenceValue::getCausale() const { return getField(CAUSALE_FIELD); }
QString PreferenceValue::getAspetto() const { return getField(ASPETTO_FIELD); }
QString PreferenceValue::getDataInizio() const { return getField(DATA_INIZIO_FIELD); }
QString PreferenceValue::getOraInizio() const { return getField(ORA_INIZIO_FIELD); }

void PreferenceValue::setIva(const QString& iva)
{
    setField(IVA_FIELD, iva);
}

int PreferenceValue::getIva()
{
    if (getField(IVA_FIELD).isEmpty())
        setField(IVA_FIELD, QString::number(defaultIva));
    bool ok = false;
    const int iva = getField(IVA_FIELD).toInt(&ok, 10);
    // A text that is no whole number stays stored as typed; documents use the default.
    return ok ? iva : defaultIva;
}
