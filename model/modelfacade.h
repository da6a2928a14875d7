#pragma once

#include "customerlist.h"
#include "backup.h"
#include "invoice.h"
#include "invoicedata.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class Company;
struct CustomerSummary;
class DocumentRegister;
class PreferenceValue;
class RecordListing;
class Serializable;

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

    // What the last save or confirmation could not write: how many records, and why.
    struct SaveFailure
    {
        int records = 0;
        QString reason;
    };

    // Persistence
    bool loadPersistentData();
    // False when any record was not written; saveFailure() then says how many and why.
    bool savePersistentData();
    SaveFailure saveFailure() const;
    // Some confirmed change is only in memory: its write failed, and the next save retries it.
    bool hasUnsavedRecords() const;
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
    // Registers the customer being created and writes its file at once.
    QString addCustomer(bool* added);
    bool abortCustomerEditing();
    bool editInvoiceCustomer();
    // False, and nothing changes, when the edit left a required field empty; otherwise the
    // edit is kept and the customer's file written at once.
    bool confirmCustomerEdit();
    void abortCustomerEdit();
    bool hasInvoiceCustomer() const;
    FieldMap* currentCustomerFields() const;
    FieldMap* invoiceCustomerFields();
    bool selectInvoiceCustomer(const QString& code);
    QStringList getCustomerCodes() const;
    // The customers whose name or code matches a word of `keywords`, in registry order.
    QList<CustomerSummary> search(const QString& keywords) const;

    // Own company
    FieldMap* companyFields() const;
    int setCompanyField(const QString& key, const QString& value);
    // The draft becomes the own company, and its file is written at once.
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
    // Writes the preferences as they are now: after the transport dialog, a VAT rate, a court city.
    bool commitPreferences();
    QString preferenceField(const QString& key) const;
    // The VAT rate of new documents; written at once, like every confirmed preference.
    void setIva(const QString& value);
    // The court city of the conditions of sale: as set, or else the own company's town.
    QString getForo() const;
    // For a 0 % rate: the NATURA code and its legal reference, kept beside the VAT rate and
    // written at once. A code that is not one of FiscalCodes::nature() is refused (false);
    // an empty one clears it.
    bool setNatura(const QString& code);
    bool setRiferimentoNormativo(const QString& text);
    QString getNatura() const;
    QString getRiferimentoNormativo() const;

    // Documents
    // The live document as its page shows it: customer, own company, transport data with
    // the court city, payment, due dates and the totals as computed.
    InvoiceData currentDocument() const;
    // Puts `document` in place of the live one; its customer is chosen by code when it is
    // registered, and its bank data are the document's.
    void loadDocument(const InvoiceData& document);
    // `document` with the fiscal data it lacks taken from the own company and from its
    // customer as registered today (InvoiceData::withCurrentFiscalData).
    InvoiceData withCurrentFiscalData(const InvoiceData& document) const;
    // The issued documents and the draft; listed by loadPersistentData().
    DocumentRegister* documentRegister() const;

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
    // The amount due at the due date at `index`; false when there is no such due date or the
    // amount is negative. Unset amounts share what is left of the total evenly.
    bool setImportoScadenza(int index, double amount);
    QList<double> getImportiScadenze();

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
    double getBollo() const;
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
    // A confirmed change could not be written: "Cliente C00031 non salvato: disco pieno".
    void recordNotSaved(const QString& message);

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
    // The invoice takes the own company's settings and the nature of a 0 % rate.
    void handSettingsTo(Invoice* target) const;
    bool isUnregistered(const Company* customer) const;
    void loadCustomers(const RecordListing& listing);
    void loadOwnCompany(const RecordListing& listing);
    void loadPreferences(const RecordListing& listing);
    static QString singleRecordFile(const RecordListing& listing, const QString& type, const QString& id);
    // One record to its file; a failure is kept in lastFailure and the record stays unsaved.
    bool writeRecord(Serializable* record);
    // writeRecord and a directory sync, for a change the user has just confirmed; a failure
    // is announced with recordNotSaved, beginning with `whatIsNotSaved`.
    bool persist(Serializable* record, const QString& whatIsNotSaved);
    double invoiceAmount(double (Invoice::*getter)() const) const;

    static ModelFacade* self;

    CustomerList customers;
    Company* currentCustomer = nullptr;
    Company* ownCompany = nullptr;
    Company* companyDraft = nullptr;
    Invoice* invoice = nullptr;
    QString nextCustomerCode;
    PreferenceValue* preferences = nullptr;
    DocumentRegister* documents = nullptr;
    // An own-company file that could not be read is not overwritten until the user
    // enters company data: it may still be mended by hand.
    bool keepUnreadableCompanyFile = false;
    bool keepUnreadablePreferenceFile = false;
    // "<type>_<id>" of the records whose last write failed.
    QSet<QString> unsaved;
    SaveFailure lastFailure;

    Q_DISABLE_COPY_MOVE(ModelFacade)
};
