#pragma once

#include "invoicedata.h"
#include "serializable.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>

#include <optional>

class Company;
class LineItem;

// A due date with its note.
using Scadenza = QPair<QDate, QString>;

// The document being prepared: header data, customer, rows, costs, parcels, VAT rate,
// payment terms and the totals computed from all of them. Lives only in memory.
class Invoice final : public Serializable
{
    Q_OBJECT

public:
    explicit Invoice(QObject* parent);
    ~Invoice() override;

    QString recordType() const override;
    QString recordId() const override;

    // Rows, identified for the whole run of the program.
    int addLineItem();
    void removeLineItem(int id);
    void setLineItemField(int id, const QString& key, const QString& value);
    QString getLineItemField(int id, const QString& key) const;
    QList<int> lineItemIds() const;

    void setIva(int percent);
    // Why a 0 % rate carries no VAT, and the law that says so; printed and exported only
    // when the rate is 0.
    void setNatura(const QString& code, const QString& riferimento);
    // The own company's settings that enter the totals and the payment: IVA_SPESE,
    // NATURA_SPESE, BOLLO_A_CARICO and MODALITA_RIMESSA of its field map.
    void setCompanySettings(const QMap<QString, QString>& company);
    // Those settings as the totals use them, RIFERIMENTO_SPESE with them; absent when off or empty.
    QMap<QString, QString> getCompanySettings() const { return companySettings; }
    static const QStringList& companySettingKeys();
    void setScontoF(const QString& text);
    // Costs and parcel data: false when the text is no number (the value is kept then).
    bool setTrasporto(const QString& text);
    bool setVarie(const QString& text);
    bool setImballo(const QString& text);
    bool setSpeseBancarie(const QString& text);
    bool setColli(const QString& text);
    bool setPesoColli(const QString& text);
    bool setNettoTotaleColli(const QString& text);
    bool setLordoColli(const QString& text);
    void setNumFattura(const QString& text);
    void setFDate(const QDate& date);
    void setFNote(const QString& text);
    void setDocType(const QString& text);
    void setCustomer(Company* company);
    // A NOTA DI CREDITO names the invoice it corrects.
    void setLinkedDocument(int number, const QDate& date);

    // The document as it stands, without the own company and the transport data, which
    // are not the invoice's.
    InvoiceData snapshot() const;
    // Takes the header, rows, costs, VAT rate, payment mode and due dates of `document` in
    // place of its own; the customer is the caller's to choose.
    void restore(const InvoiceData& document);

    double getTotalImp() const { return totaleImponibile; }
    // The goods before the invoice discount: the sum of the row amounts.
    double getTotaleMerci() const { return totaleMerci; }
    double getTotaleIva() const { return totaleIva; }
    double getTotale() const { return totale; }
    double getImportoSconto() const { return importoSconto; }
    // The virtual stamp duty: 2,00 or 0.
    double getBollo() const { return bollo; }
    QString getNatura() const { return natura; }
    QString getRiferimentoNormativo() const { return riferimentoNormativo; }
    double getScontoF() const { return scontoF; }
    double getTrasporto() const { return trasporto; }
    double getVarie() const { return varie; }
    double getImballo() const { return imballo; }
    double getSpeseBancarie() const { return speseBancarie; }
    double getColli() const { return colli; }
    double getPesoColli() const { return pesoColli; }
    double getNettoTotaleColli() const { return nettoTotaleColli; }
    double getLordoColli() const { return lordoColli; }
    int getNumFattura() const { return numFattura; }
    QDate getFDate() const { return fDate; }
    QString getFNote() const { return note; }
    QString getDocType() const { return docType; }
    Company* getCustomer() const;
    QMap<QString, QString>* getCustomerFields() const;

    // Payment terms
    static QStringList paymentModes();
    bool setPayment(const QString& mode);
    QString getPayment() const { return payment; }
    void setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale);
    QMap<QString, QString> getPaymentInfo() const;
    void addScadenzaDate(const QDate& date, const QString& note);
    void removeScadenzaDate(const QDate& date, const QString& note);
    QList<Scadenza> getScadenze() const { return scadenze; }
    // The amount due at each due date: the one set for it, or an even share of what the set
    // ones leave of the total, in cents, the remainder on the last. False for an index out of
    // range or an amount that is negative or no number.
    bool setImportoScadenza(int index, double amount);
    QList<double> getImportiScadenze() const;

public Q_SLOTS:
    void updateTotale();
    void handleLineItemChanged(int id);

Q_SIGNALS:
    void invoiceAmountChanged();
    void lineItemChanged(int code);
    void invoiceChanged();
    void scadenzeChanged();
    void currentCustomerChanged(QMap<QString, QString>* fields);
    void invoicePaymentChanged();

private:
    bool setCost(double* member, const QString& text);
    // The taxable amount, what stays out of it, the VAT, the stamp and the total.
    void computeTotals();
    void takeCompanySettings(const QMap<QString, QString>& company);
    bool setCostAndRecompute(double* member, const QString& text);
    LineItem* makeLineItem();
    void removeAllLineItems();

    QString docType;
    QPointer<Company> customer; // belongs to the registry
    QString note;
    QMap<int, LineItem*> lineItems;
    int numFattura = 0;
    int linkedNumber = 0;
    QDate linkedDate;
    int ivaPercent = 0; // the code every row shows
    double ivaRate = 0;
    double totaleMerci = 0;
    double totaleImponibile = 0;
    double totale = 0;
    double totaleIva = 0;
    double trasporto = 0;
    double varie = 0;
    double imballo = 0;
    double scontoF = 0;
    double importoSconto = 0;
    double lordoColli = 0;
    double nettoTotaleColli = 0;
    double pesoColli = 0;
    double colli = 0;
    double speseBancarie = 0;
    QString natura;
    QString riferimentoNormativo;
    double bollo = 0;
    // own company settings
    bool ivaSpese = false;
    QString naturaSpese;
    bool bolloACarico = false;
    QString modalitaRimessa;
    QMap<QString, QString> companySettings;
    QDate fDate = QDate::currentDate();
    QString payment;
    QList<Scadenza> scadenze;
    QList<std::optional<double>> importiScadenza; // beside scadenze, one per due date
};
