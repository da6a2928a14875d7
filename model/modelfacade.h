#pragma once

#include "backup.h"
#include "invoice.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class Company;
class PreferenceValue;

// The one object through which the window and the printed page reach the data: the own
// company, the customer registry, the customer being created or edited, the transport
// preferences and the current invoice. It owns them all as QObject children, loads and
// saves them, and relays every change of the invoice under its own signals.
class ModelFacade final : public QObject
{
    Q_OBJECT

public:
    using FieldMap = QMap<QString, QString>;

    static ModelFacade* instance();
    static void destroyInstance();

    // Persistence
    bool loadPersistentData();
    bool savePersistentData();
    // Backups of the record files (see Backup::exportArchive and Backup::importArchive for
    // the results). They touch no object of the model, so they may run on any thread.
    static Backup::Result exportData(const QString& fileName, const Backup::Progress& progress = {});
    static Backup::Result importData(const QString& fileName, const Backup::Progress& progress = {});

    // Customer registry
    QString getNewCustomerCode();
    bool newCustomer();
    int setCustomerField(const QString& key, const QString& value);
    QStringList getChoiceFields(const QString& key) const;
    bool hasChoiceValue(const QString& key) const;
    QString addCustomer(bool* added);
    bool abortCustomerEditing();
    bool editInvoiceCustomer();
    void confirmCustomerEdit();
    void abortCustomerEdit();
    bool hasInvoiceCustomer() const;
    FieldMap* currentCustomerFields() const;
    FieldMap* invoiceCustomerFields();
    bool selectInvoiceCustomer(const QString& code);
    QStringList getCustomerCodes() const;
    // One new summary map per customer found; the caller owns and deletes them.
    QList<FieldMap*> search(const QString& keywords) const;

    // Own company
    FieldMap* companyFields() const;
    int setCompanyField(const QString& key, const QString& value);
    void commitCompany();
    void abortCompany();

    // Preferences
    QString getTCura() const;
    QString getCausale() const;
    QString getAspetto() const;
    QString getDataInizio() const;
    QString getOraInizio() const;
    QString getSMezzo() const;
    QString getPorto() const;
    int getIva();
    void setPreferenceField(const QString& key, const QString& value);
    QString preferenceField(const QString& key) const;
    void setIva(const QString& value);
    // The court city of the conditions of sale: as set, or else the own company's town.
    QString getForo() const;

    // Invoice
    void createInvoice();
    void dropInvoice();
    static QStringList paymentModes();
    static QStringList unitList();
    static QStringList lineItemFieldKeys();

    // Forwarders that create the invoice when there is none
    void setFDate(const QDate& date);
    bool setSpeseBancarie(const QString& text);
    bool setColli(const QString& text);
    bool setPesoColli(const QString& text);
    bool setNettoTotaleColli(const QString& text);
    bool setLordoColli(const QString& text);
    bool setVarie(const QString& text);
    bool setImballo(const QString& text);
    bool setTrasporto(const QString& text);
    bool setPayment(const QString& mode);
    void setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale);
    void setFNote(const QString& text);
    void setDocType(const QString& text);
    void addScadenzaDate(const QDate& date, const QString& note);
    void removeScadenzaDate(const QDate& date, const QString& note);
    int addLineItem();
    QString getFNote();
    QString getDocType();
    QString getPayment();
    QList<Scadenza> getScadenze();

    // Forwarders that do nothing, or give a neutral value, when there is no invoice
    void setNumFattura(const QString& text);
    void setScontoF(const QString& text);
    void removeLineItem(int id);
    void setLineItemField(int id, const QString& key, const QString& value);
    QString getLineItemField(int id, const QString& key) const;
    QList<int> lineItemIds() const;
    FieldMap getPaymentInfo() const;
    QDate getFDate() const;
    int getNumFattura() const;
    double getTotaleMerci() const;
    double getTotalImp() const;
    double getTotaleIva() const;
    double getTotale() const;
    double getImportoSconto() const;
    double getScontoF() const;
    double getTrasporto() const;
    double getVarie() const;
    double getImballo() const;
    double getSpeseBancarie() const;
    double getColli() const;
    double getPesoColli() const;
    double getNettoTotaleColli() const;
    double getLordoColli() const;

Q_SIGNALS:
    void currentCustomerChanged();
    void companyChanged(QMap<QString, QString>* fields);
    void invoiceTotalChanged();
    void lineItemChanged(int id);
    void invoiceChanged();
    void invoicePaymentChanged();
    void selectedCustomerChanged(QMap<QString, QString>* fields);
    void scadenzeChanged();

private Q_SLOTS:
    void handleInvoiceTotalChanged();
    void handleLineItemChanged(int code);
    void handleInvoiceChanged();
    void handleSelectedCustomerChanged(QMap<QString, QString>* fields);
    void handleInvoicePaymentChanged();
    void handleScadenzeChanged();

private:
    ModelFacade();
    ~ModelFacade() override;

    Invoice* ensureInvoice();
    bool isUnregistered(const Company* customer) const;
    void loadCustomers();
    void loadOwnCompany();
    void loadPreferences();
    double invoiceAmount(double (Invoice::*getter)() const) const;

    static ModelFacade* self;

    QList<Company*> customers;
    Company* currentCustomer = nullptr;
    Company* ownCompany = nullptr;
    Company* companyDraft = nullptr;
    Invoice* invoice = nullptr;
    QString nextCustomerCode;
    PreferenceValue* preferences = nullptr;
    // An own-company file that could not be read is not overwritten until the user
    // enters company data: it may still be mended by hand.
    bool keepUnreadableCompanyFile = false;

    Q_DISABLE_COPY_MOVE(ModelFacade)
};
