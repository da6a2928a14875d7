#include "modelfacade.h"

#include "backup.h"
#include "company.h"
#include "companykeys.h"
#include "customercode.h"
#include "documentregister.h"
#include "fiscalcodes.h"
#include "lineitem.h"
#include "paths.h"
#include "preferencekeys.h"
#include "preferencevalue.h"
#include "recordstore.h"
#include "recordtypes.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

const QString& customerType = RecordTypes::customer;
const QString& companyType = RecordTypes::company;
const QString& preferenceType = RecordTypes::preference;
const QString ownCompanyCode = QStringLiteral("AZ0001");

} // namespace

ModelFacade* ModelFacade::self = nullptr;

ModelFacade* ModelFacade::instance()
{
    if (!self)
        self = new ModelFacade;
    return self;
}

void ModelFacade::destroyInstance()
{
    delete self;
    self = nullptr;
}

ModelFacade::ModelFacade() : nextCustomerCode(CustomerCode::initial), documents(new DocumentRegister(this))
{
}

ModelFacade::~ModelFacade() = default;

// ---- Persistence

bool ModelFacade::loadPersistentData()
{
    qDebug() << "load persistent data";
    const RecordListing listing(RecordTypes::all());
    listing.removeInterruptedWrites();
    Backup::removeInterruptedImports(dataDirPath());
    nextCustomerCode = CustomerCode::initial;
    loadCustomers(listing);
    nextCustomerCode = getNewCustomerCode();
    loadOwnCompany(listing);
    loadPreferences(listing);
    documents->load(listing);
    qDebug() << " _________load persistent data " << customers.size();
    if (!invoice)
        createInvoice();
    handSettingsTo(invoice);
    invoice->setIva(getIva());
    return true;
}

void ModelFacade::loadCustomers(const RecordListing& listing)
{
    // Each code is loaded once: two files with one code would otherwise both be saved
    // under that code's file name, and one customer would overwrite the other. The file
    // named after the code wins; the others stay on disk untouched.
    QList<Company*> loaded;
    QHash<QString, qsizetype> indexOfCode;
    const auto isNamedAfterCode = [](const QString& path, const Company* customer) {
        return RecordListing::idOfFile(customerType, path) == customer->recordId();
    };
    QStringList pathOfLoaded;
    QSet<QString> unreadableCodes;
    const QStringList files = listing.filesOf(customerType);
    for (const QString& path : files) {
        // A new code goes past every customer file, read or not: a damaged file may still be
        // mended by hand, and its code must not be given to somebody else.
        nextCustomerCode = CustomerCode::larger(nextCustomerCode, RecordListing::idOfFile(customerType, path));
        auto* customer = new Company(this, customerType);
        if (Serializable::unserialize(customer, path, customerType) != 0 || customer->recordId().isEmpty()) {
            // An unreadable or code-less customer would be saved as "customer_.xml" and
            // come back as a phantom customer.
            qWarning() << "Customer file skipped, no customer with a code could be read from it:" << path;
            unreadableCodes.insert(RecordListing::idOfFile(customerType, path));
            delete customer;
            continue;
        }
        const auto existing = indexOfCode.constFind(customer->recordId());
        if (existing == indexOfCode.cend()) {
            indexOfCode.insert(customer->recordId(), loaded.size());
            loaded.append(customer);
            pathOfLoaded.append(path);
            continue;
        }
        const qsizetype index = *existing;
        if (!isNamedAfterCode(pathOfLoaded.at(index), loaded.at(index)) && isNamedAfterCode(path, customer)) {
            qWarning() << "Customer file skipped, its code" << customer->recordId() << "is also in" << path << ":"
                       << pathOfLoaded.at(index);
            delete loaded.at(index);
            loaded[index] = customer;
            pathOfLoaded[index] = path;
        } else {
            qWarning() << "Customer file skipped, its code" << customer->recordId() << "is also in"
                       << pathOfLoaded.at(index) << ":" << path;
            delete customer;
        }
    }
    for (qsizetype index = 0; index < loaded.size(); ++index) {
        Company* customer = loaded.at(index);
        // Saved, this customer would replace the file named after its code, which could not be read.
        if (unreadableCodes.contains(customer->recordId())) {
            qWarning() << "Customer file skipped, the file of its code cannot be read and is kept:"
                       << pathOfLoaded.at(index);
            delete customer;
            continue;
        }
        nextCustomerCode = CustomerCode::larger(nextCustomerCode, customer->recordId());
        customers.append(customer);
        // the code only: with thousands of customers, their whole data would swell the log at every start
        qDebug() << "recuperato il customer" << customer->recordId();
    }
}

QString ModelFacade::singleRecordFile(const RecordListing& listing, const QString& type, const QString& id)
{
    // A stray copy ("company_AZ0001_2019.xml", "preference_0 copia.xml") is never loaded in
    // place of the record: the next save would write its data over the record. Without the
    // record, the first other file stands in for it, and is saved under the record's name.
    const QStringList files = listing.filesOf(type);
    QString chosen = listing.canonicalFile(type, id);
    if (chosen.isEmpty() && !files.isEmpty())
        chosen = files.first();
    for (const QString& path : files) {
        if (path != chosen)
            qWarning() << "Record file ignored, it is not named after its record:" << path;
    }
    return chosen;
}

void ModelFacade::loadOwnCompany(const RecordListing& listing)
{
    ownCompany = new Company(this, companyType);
    ownCompany->setField(CODE, ownCompanyCode);
    const QString file = singleRecordFile(listing, companyType, ownCompanyCode);
    if (!file.isEmpty()) {
        if (Serializable::unserialize(ownCompany, file, companyType) == 0) {
            qDebug() << "recuperata la company";
            // the file's name comes from the code: without it the record would be saved elsewhere
            ownCompany->fields()->insert(CODE, ownCompanyCode);
        } else {
            keepUnreadableCompanyFile = true;
        }
    }
    Q_EMIT companyChanged(ownCompany->fields());
}

void ModelFacade::loadPreferences(const RecordListing& listing)
{
    preferences = new PreferenceValue(this, preferenceType);
    const QString file = singleRecordFile(listing, preferenceType, preferences->recordId());
    if (!file.isEmpty() && Serializable::unserialize(preferences, file, preferenceType) != 0)
        keepUnreadablePreferenceFile = true;
}

bool ModelFacade::persist(Serializable* record, const QString& whatIsNotSaved)
{
    // One file and one directory sync: what the user has confirmed survives a crash.
    if (writeRecord(record) && Serializable::syncDataDir())
        return true;
    if (lastFailure.reason.isEmpty())
        lastFailure = {1, QStringLiteral("errore del disco")};
    Q_EMIT recordNotSaved(whatIsNotSaved + QStringLiteral(": ") + lastFailure.reason);
    return false;
}

bool ModelFacade::hasUnsavedRecords() const
{
    return !unsaved.isEmpty();
}

bool ModelFacade::writeRecord(Serializable* record)
{
    QString reason;
    lastFailure = {};
    if (Serializable::serialize(record, &reason) == 0) {
        unsaved.remove(record->recordType() + QLatin1Char('_') + record->recordId());
        return true;
    }
    unsaved.insert(record->recordType() + QLatin1Char('_') + record->recordId());
    lastFailure = {1, reason};
    return false;
}

bool ModelFacade::savePersistentData()
{
    SaveFailure failure;
    const auto save = [&failure, this](Serializable* record) {
        if (!writeRecord(record)) {
            ++failure.records;
            failure.reason = lastFailure.reason;
        }
    };
    if (ownCompany && !keepUnreadableCompanyFile)
        save(ownCompany);
    for (Company* customer : std::as_const(customers)) {
        // an edit neither confirmed nor aborted is not saved
        customer->abortEditing();
        save(customer);
    }
    if (preferences && !keepUnreadablePreferenceFile)
        save(preferences);
    if (!Serializable::syncDataDir() && failure.records == 0) {
        failure = {1, QStringLiteral("errore del disco")};
        qWarning() << "Cannot make the saved records durable: the data directory did not sync";
    }
    lastFailure = failure;
    if (failure.records > 0)
        qWarning() << "Save incomplete:" << failure.records << "records not written," << failure.reason;
    return failure.records == 0;
}

ModelFacade::SaveFailure ModelFacade::saveFailure() const
{
    return lastFailure;
}

Backup::Result ModelFacade::exportData(const QString& fileName, const Backup::Progress& progress)
{
    return Backup::exportArchive(fileName, dataDirPath(), RecordTypes::all(), progress);
}

Backup::Result ModelFacade::importData(const QString& fileName, const Backup::Progress& progress)
{
    return Backup::importArchive(fileName, dataDirPath(), RecordTypes::all(), progress);
}

// ---- Own company

ModelFacade::FieldMap* ModelFacade::companyFields() const
{
    return ownCompany ? ownCompany->fields() : nullptr;
}

namespace {

// Stored values are upper case: the customer search relies on it.
QString filtered(const QString& value)
{
    const QString upper = value.toUpper();
    qDebug() << "called filter String " << value << upper;
    return upper;
}

} // namespace

int ModelFacade::setCompanyField(const QString& key, const QString& value)
{
    const QString upper = filtered(value);
    qDebug() << "setCompanyField" << key;
    if (!companyDraft) {
        companyDraft = new Company(this, companyType);
        companyDraft->copyFieldsFrom(ownCompany);
        companyDraft->fields()->insert(CODE, ownCompany ? ownCompany->recordId() : ownCompanyCode);
    }
    const int result = companyDraft->setField(key, upper);
    Q_EMIT companyChanged(companyDraft->fields());
    return result;
}

void ModelFacade::commitCompany()
{
    if (!companyDraft)
        return;
    delete ownCompany;
    ownCompany = companyDraft;
    companyDraft = nullptr;
    ownCompany->fields()->insert(CODE, ownCompanyCode);
    keepUnreadableCompanyFile = false;
    if (invoice)
        invoice->setCompanySettings(*ownCompany->fields());
    Q_EMIT companyChanged(ownCompany->fields());
    persist(ownCompany, QStringLiteral("Dati azienda non salvati"));
}

void ModelFacade::abortCompany()
{
    delete companyDraft;
    companyDraft = nullptr;
}

// ---- Preferences

QString ModelFacade::getTCura() const { return preferenceField(TCURA_FIELD); }
QString ModelFacade::getCausale() const { return preferenceField(CAUSALE_FIELD); }
QString ModelFacade::getAspetto() const { return preferenceField(ASPETTO_FIELD); }
QString ModelFacade::getDataInizio() const { return preferenceField(DATA_INIZIO_FIELD); }
QString ModelFacade::getOraInizio() const { return preferenceField(ORA_INIZIO_FIELD); }
QString ModelFacade::getSMezzo() const { return preferenceField(SMEZZO_FIELD); }
QString ModelFacade::getPorto() const { return preferenceField(PORTO_FIELD); }

int ModelFacade::getIva()
{
    return preferences ? preferences->getIva() : 0;
}

void ModelFacade::setPreferenceField(const QString& key, const QString& value)
{
    if (!preferences)
        return;
    preferences->setField(key, filtered(value));
}

bool ModelFacade::commitPreferences()
{
    if (!preferences)
        return false;
    // Only what the user confirms replaces a preference file that could not be read.
    keepUnreadablePreferenceFile = false;
    return persist(preferences, QStringLiteral("Preferenze non salvate"));
}

QString ModelFacade::preferenceField(const QString& key) const
{
    return preferences ? preferences->getField(key) : QString();
}

QString ModelFacade::getForo() const
{
    const QString foro = preferenceField(FORO_FIELD);
    if (!foro.isEmpty() || !ownCompany)
        return foro;
    return ownCompany->getField(LOCALITY);
}

void ModelFacade::setIva(const QString& value)
{
    Invoice* current = ensureInvoice();
    if (preferences) {
        preferences->setIva(value);
        commitPreferences();
    }
    current->setIva(getIva());
}

bool ModelFacade::setNatura(const QString& code)
{
    const QString natura = code.trimmed().toUpper();
    if (!natura.isEmpty() && !FiscalCodes::isNatura(natura))
        return false;
    Invoice* current = ensureInvoice();
    if (preferences) {
        preferences->setField(NATURA_FIELD, natura);
        commitPreferences();
    }
    current->setNatura(getNatura(), getRiferimentoNormativo());
    return true;
}

bool ModelFacade::setRiferimentoNormativo(const QString& text)
{
    Invoice* current = ensureInvoice();
    if (preferences) {
        // a law's reference reads as written, not in capitals
        preferences->setField(RIFERIMENTO_FIELD, text.trimmed());
        commitPreferences();
    }
    current->setNatura(getNatura(), getRiferimentoNormativo());
    return true;
}

QString ModelFacade::getNatura() const
{
    return preferenceField(NATURA_FIELD);
}

QString ModelFacade::getRiferimentoNormativo() const
{
    return preferenceField(RIFERIMENTO_FIELD);
}

void ModelFacade::handSettingsTo(Invoice* target) const
{
    target->setCompanySettings(ownCompany ? *ownCompany->fields() : FieldMap());
    target->setNatura(getNatura(), getRiferimentoNormativo());
}

// ---- Documents

InvoiceData ModelFacade::withCurrentFiscalData(const InvoiceData& document) const
{
    const Company* customer = customers.byCode(document.customer.value(CODE));
    return document.withCurrentFiscalData(ownCompany ? *ownCompany->fields() : InvoiceData::FieldMap(),
                                          customer ? *customer->fields() : InvoiceData::FieldMap());
}

InvoiceData ModelFacade::currentDocument() const
{
    InvoiceData document;
    if (invoice) {
        document = invoice->snapshot();
    } else {
        document.date = QDate::currentDate();
        document.ivaPercent = preferences ? preferences->getIva() : 0;
    }
    if (ownCompany)
        document.company = *ownCompany->fields();
    if (invoice) {
        // the settings the totals were computed with, which are a shown document's own
        const FieldMap settings = invoice->getCompanySettings();
        for (const QString& key : Invoice::companySettingKeys())
            document.company.remove(key);
        document.company.insert(settings);
    }
    if (preferences)
        document.transport = *preferences->fields();
    document.transport.insert(FORO_FIELD, getForo());
    return document;
}

void ModelFacade::loadDocument(const InvoiceData& document)
{
    ensureInvoice()->restore(document);
    selectInvoiceCustomer(document.customer.value(CODE));
    const FieldMap& bank = document.paymentInfo;
    invoice->setTmpBankInfo(bank.value(ABI), bank.value(CAB), bank.value(IBAN), bank.value(FILIALE));
    Q_EMIT invoicePaymentChanged();
}

DocumentRegister* ModelFacade::documentRegister() const
{
    return documents;
}

// ---- Invoice

void ModelFacade::createInvoice()
{
    invoice = new Invoice(this);
    connect(invoice, &Invoice::invoiceAmountChanged, this, &ModelFacade::handleInvoiceTotalChanged);
    connect(invoice, &Invoice::lineItemChanged, this, &ModelFacade::handleLineItemChanged);
    connect(invoice, &Invoice::invoiceChanged, this, &ModelFacade::handleInvoiceChanged);
    connect(invoice, &Invoice::currentCustomerChanged, this, &ModelFacade::handleSelectedCustomerChanged);
    connect(invoice, &Invoice::invoicePaymentChanged, this, &ModelFacade::handleInvoicePaymentChanged);
    connect(invoice, &Invoice::scadenzeChanged, this, &ModelFacade::handleScadenzeChanged);
    handSettingsTo(invoice);
    invoice->setIva(getIva());
}

void ModelFacade::dropInvoice()
{
    if (!invoice)
        return;
    delete invoice;
    invoice = nullptr;
    Q_EMIT invoiceChanged();
}

Invoice* ModelFacade::ensureInvoice()
{
    if (!invoice)
        createInvoice();
    return invoice;
}

QStringList ModelFacade::paymentModes() { return Invoice::paymentModes(); }
QStringList ModelFacade::unitList() { return LineItem::unitList(); }
QStringList ModelFacade::lineItemFieldKeys() { return LineItem::fieldKeys(); }

void ModelFacade::setFDate(const QDate& date) { ensureInvoice()->setFDate(date); }
bool ModelFacade::setSpeseBancarie(const QString& text) { return ensureInvoice()->setSpeseBancarie(text); }
bool ModelFacade::setColli(const QString& text) { return ensureInvoice()->setColli(text); }
bool ModelFacade::setPesoColli(const QString& text) { return ensureInvoice()->setPesoColli(text); }
bool ModelFacade::setNettoTotaleColli(const QString& text) { return ensureInvoice()->setNettoTotaleColli(text); }
bool ModelFacade::setLordoColli(const QString& text) { return ensureInvoice()->setLordoColli(text); }
bool ModelFacade::setVarie(const QString& text) { return ensureInvoice()->setVarie(text); }
bool ModelFacade::setImballo(const QString& text) { return ensureInvoice()->setImballo(text); }
bool ModelFacade::setTrasporto(const QString& text) { return ensureInvoice()->setTrasporto(text); }
bool ModelFacade::setPayment(const QString& mode) { return ensureInvoice()->setPayment(mode); }
void ModelFacade::setFNote(const QString& text) { ensureInvoice()->setFNote(text); }
void ModelFacade::setDocType(const QString& text) { ensureInvoice()->setDocType(text); }
int ModelFacade::addLineItem() { return ensureInvoice()->addLineItem(); }
QString ModelFacade::getFNote() { return ensureInvoice()->getFNote(); }
QString ModelFacade::getDocType() { return ensureInvoice()->getDocType(); }
QString ModelFacade::getPayment() { return ensureInvoice()->getPayment(); }
QList<Scadenza> ModelFacade::getScadenze() { return ensureInvoice()->getScadenze(); }
bool ModelFacade::setImportoScadenza(int index, double amount) { return ensureInvoice()->setImportoScadenza(index, amount); }
QList<double> ModelFacade::getImportiScadenze() { return ensureInvoice()->getImportiScadenze(); }

void ModelFacade::setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale)
{
    ensureInvoice()->setTmpBankInfo(abi, cab, iban, filiale);
}

void ModelFacade::addScadenzaDate(const QDate& date, const QString& note)
{
    ensureInvoice()->addScadenzaDate(date, note);
}

void ModelFacade::removeScadenzaDate(const QDate& date, const QString& note)
{
    qDebug() << " removeScadenzaDate " << date << note;
    ensureInvoice()->removeScadenzaDate(date, note);
}

void ModelFacade::setNumFattura(const QString& text)
{
    if (invoice)
        invoice->setNumFattura(text);
}

void ModelFacade::setScontoF(const QString& text)
{
    if (invoice)
        invoice->setScontoF(text);
}

void ModelFacade::removeLineItem(int id)
{
    if (invoice)
        invoice->removeLineItem(id);
}

void ModelFacade::setLineItemField(int id, const QString& key, const QString& value)
{
    if (invoice)
        invoice->setLineItemField(id, key, value);
}

QString ModelFacade::getLineItemField(int id, const QString& key) const
{
    return invoice ? invoice->getLineItemField(id, key) : QString();
}

QList<int> ModelFacade::lineItemIds() const
{
    return invoice ? invoice->lineItemIds() : QList<int>();
}

ModelFacade::FieldMap ModelFacade::getPaymentInfo() const
{
    return invoice ? invoice->getPaymentInfo() : FieldMap();
}

QDate ModelFacade::getFDate() const
{
    return invoice ? invoice->getFDate() : QDate::currentDate();
}

int ModelFacade::getNumFattura() const
{
    return invoice ? invoice->getNumFattura() : 0;
}

double ModelFacade::invoiceAmount(double (Invoice::*getter)() const) const
{
    return invoice ? (invoice->*getter)() : 0.0;
}

double ModelFacade::getTotaleMerci() const { return invoiceAmount(&Invoice::getTotaleMerci); }
double ModelFacade::getTotalImp() const { return invoiceAmount(&Invoice::getTotalImp); }
double ModelFacade::getTotaleIva() const { return invoiceAmount(&Invoice::getTotaleIva); }
double ModelFacade::getTotale() const { return invoiceAmount(&Invoice::getTotale); }
double ModelFacade::getImportoSconto() const { return invoiceAmount(&Invoice::getImportoSconto); }
double ModelFacade::getBollo() const { return invoiceAmount(&Invoice::getBollo); }
double ModelFacade::getScontoF() const { return invoiceAmount(&Invoice::getScontoF); }
double ModelFacade::getTrasporto() const { return invoiceAmount(&Invoice::getTrasporto); }
double ModelFacade::getVarie() const { return invoiceAmount(&Invoice::getVarie); }
double ModelFacade::getImballo() const { return invoiceAmount(&Invoice::getImballo); }
double ModelFacade::getSpeseBancarie() const { return invoiceAmount(&Invoice::getSpeseBancarie); }
double ModelFacade::getColli() const { return invoiceAmount(&Invoice::getColli); }
double ModelFacade::getPesoColli() const { return invoiceAmount(&Invoice::getPesoColli); }
double ModelFacade::getNettoTotaleColli() const { return invoiceAmount(&Invoice::getNettoTotaleColli); }
double ModelFacade::getLordoColli() const { return invoiceAmount(&Invoice::getLordoColli); }

// ---- Relays of the invoice's signals

void ModelFacade::handleInvoiceTotalChanged()
{
    Q_EMIT invoiceTotalChanged();
}

void ModelFacade::handleLineItemChanged(int code)
{
    qDebug() << "delegate lineItemChanged" << code;
    Q_EMIT lineItemChanged(code);
}

void ModelFacade::handleInvoiceChanged()
{
    Q_EMIT invoiceChanged();
}

void ModelFacade::handleSelectedCustomerChanged(QMap<QString, QString>* fields)
{
    Q_EMIT selectedCustomerChanged(fields);
}

void ModelFacade::handleInvoicePaymentChanged()
{
    Q_EMIT invoicePaymentChanged();
}

void ModelFacade::handleScadenzeChanged()
{
    Q_EMIT scadenzeChanged();
}
