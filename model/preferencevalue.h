#pragma once

#include "serializable.h"

// The single record of the transport preferences and of the VAT rate for new documents.
class PreferenceValue final : public Serializable
{
    Q_OBJECT

public:
    static constexpr int defaultIva = 22;

    PreferenceValue(QObject* parent, const QString& type);
    ~PreferenceValue() override;

    QString recordType() const override;
    QString recordId() const override;

    void setField(const QString& key, const QString& value);
    QString getField(const QString& key) const;

    QString getTCura() const;
    QString getSMezzo() const;
    QString getPorto() const;
    QString getCausale() const;
    QString getAspetto() const;
    QString getDataInizio() const;
    QString getOraInizio() const;

    void setIva(const QString& iva);
    // Stores the default rate when none is set, so that it is saved with the record.
    int getIva();
};
