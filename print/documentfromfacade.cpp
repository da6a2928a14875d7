#include "documentfromfacade.h"

#include "modelfacade.h"
#include "preferencekeys.h"

InvoiceData documentFromFacade(ModelFacade& model)
{
    InvoiceData document;
    document.docType = model.getDocType();
    document.number = model.getNumFattura();
    document.date = model.getFDate();
    document.note = model.getFNote();

    if (const InvoiceData::FieldMap* customer = model.invoiceCustomerFields())
        document.customer = *customer;
    if (const InvoiceData::FieldMap* company = model.companyFields())
        document.company = *company;
    document.transport = {
        {TCURA_FIELD, model.getTCura()},         {SMEZZO_FIELD, model.getSMezzo()},
        {PORTO_FIELD, model.getPorto()},         {CAUSALE_FIELD, model.getCausale()},
        {ASPETTO_FIELD, model.getAspetto()},     {DATA_INIZIO_FIELD, model.getDataInizio()},
        {ORA_INIZIO_FIELD, model.getOraInizio()}, {FORO_FIELD, model.getForo()},
    };

    const QStringList keys = ModelFacade::lineItemFieldKeys();
    for (const int id : model.lineItemIds()) {
        InvoiceData::FieldMap row;
        for (const QString& key : keys)
            row.insert(key, model.getLineItemField(id, key));
        document.rows.append(row);
    }

    document.ivaPercent = model.getIva();
    document.scontoF = model.getScontoF();
    document.importoSconto = model.getImportoSconto();
    document.trasporto = model.getTrasporto();
    document.varie = model.getVarie();
    document.imballo = model.getImballo();
    document.speseBancarie = model.getSpeseBancarie();
    document.colli = model.getColli();
    document.pesoColli = model.getPesoColli();
    document.nettoTotaleColli = model.getNettoTotaleColli();
    document.lordoColli = model.getLordoColli();

    document.payment = model.getPayment();
    document.paymentInfo = model.getPaymentInfo();
    document.scadenze = model.getScadenze();

    document.totaleMerci = model.getTotaleMerci();
    document.totalImp = model.getTotalImp();
    document.totaleIva = model.getTotaleIva();
    document.totale = model.getTotale();
    return document;
}
