// The own-company, transport-preference and due-date dialogs.
#include "myclass.h"

#include "ui_datedialog.h"
#include "ui_editaziendadialog.h"
#include "ui_myclass.h"
#include "ui_trasportodialog.h"

#include "codecombo.h"
#include "companykeys.h"
#include "modelfacade.h"
#include "numbertext.h"
#include "preferencekeys.h"

#include <QDate>
#include <QTime>

namespace {

using CompanyForm = Ui::EditAziendaDialog;

struct CompanyField
{
    const QString& key;
    QLineEdit* CompanyForm::*editor;
};

const CompanyField companyFields[] = {
    {RAGIONE_S, &CompanyForm::RS_CompanyLineEdit},
    {FISCAL_CODE, &CompanyForm::FC_CompanyLineEdit},
    {PIVA, &CompanyForm::PIvaCompanyLineEdit},
    {ADDRESS, &CompanyForm::Address_CompanyLineEdit},
    {TELEPHONE, &CompanyForm::TelephoneNumber_CompanyLineEdit},
    {FAX, &CompanyForm::Fax_CompanyLineEdit},
    {EMAIL, &CompanyForm::Email_CompanyLineEdit},
    {WEBSITE, &CompanyForm::WebSite_CompanyLineEdit},
    {CAP, &CompanyForm::Cap_CompanyLineEdit},
    {LOCALITY, &CompanyForm::Loc_CompanyLineEdit},
    {CITY, &CompanyForm::City_CompanyLineEdit},
    {NAZIONE, &CompanyForm::nazione_Azienda},
    {NR_IMPRESE, &CompanyForm::regImpreseLineEdit},
    {ABI, &CompanyForm::ABI_CompanyLineEdit},
    {CAB, &CompanyForm::CAB_CompanyLineEdit},
    {IBAN, &CompanyForm::IBAN_CompanyLineEdit},
    {FILIALE, &CompanyForm::FILIALE_CompanyLineEdit},
    {REA_UFFICIO, &CompanyForm::reaUfficio_CompanyLineEdit},
    {REA_NUMERO, &CompanyForm::reaNumero_CompanyLineEdit},
    {RIFERIMENTO_SPESE, &CompanyForm::riferimentoSpese_CompanyLineEdit},
};

// The company's codes, chosen from the tax agency's lists.
struct CompanyChoice
{
    const QString& key;
    QComboBox* CompanyForm::*combo;
    const QList<FiscalCodes::Code>& (*codes)();
};

const CompanyChoice companyChoices[] = {
    {REGIME_FISCALE, &CompanyForm::regimeFiscale_CompanyCombo, &FiscalCodes::regimiFiscali},
    {NATURA_SPESE, &CompanyForm::naturaSpese_CompanyCombo, &FiscalCodes::nature},
    {MODALITA_RIMESSA, &CompanyForm::modalitaRimessa_CompanyCombo, &FiscalCodes::modalitaPagamento},
};

// The company's yes-or-no settings, stored as "1" or empty.
struct CompanySwitch
{
    const QString& key;
    QCheckBox* CompanyForm::*check;
};

const CompanySwitch companySwitches[] = {
    {IVA_SPESE, &CompanyForm::ivaSpese_CompanyCheck},
    {BOLLO_A_CARICO, &CompanyForm::bolloACarico_CompanyCheck},
};

struct TransportChoice
{
    const QString& key;
    QComboBox* Ui::TrasportoDialog::*combo;
};

const TransportChoice transportChoices[] = {
    {ASPETTO_FIELD, &Ui::TrasportoDialog::t_AspettoField}, {TCURA_FIELD, &Ui::TrasportoDialog::t_TCuraField},
    {SMEZZO_FIELD, &Ui::TrasportoDialog::t_TMezzoField},   {CAUSALE_FIELD, &Ui::TrasportoDialog::t_CausaleField},
    {PORTO_FIELD, &Ui::TrasportoDialog::t_PortoField},
};

const QString dateFormat = QStringLiteral("dd/MM/yyyy");
const QString timeFormat = QStringLiteral("hh:mm");

// Selects the item equal to the stored value. A value the user typed in is shown as typed,
// so that accepting the dialog again does not replace it with an item.
void selectStored(QComboBox* combo, const QString& value)
{
    const int index = combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        combo->setCurrentIndex(index);
    else if (combo->isEditable() && !value.isEmpty())
        combo->setEditText(value);
}

} // namespace

void MyClass::connectDialogs()
{
    trasportoForm->t_TCuraField->addItems({QStringLiteral("MITTENTE"), QStringLiteral("DESTINATARIO")});
    trasportoForm->t_TMezzoField->addItems(
        {QStringLiteral("VETTORE"), QStringLiteral("MITTENTE"), QStringLiteral("DESTINATARIO")});
    trasportoForm->t_PortoField->addItems({QStringLiteral("FRANCO"), QStringLiteral("ASSEGNATO")});
    trasportoForm->t_AspettoField->addItems({QStringLiteral("A VISTA"), QStringLiteral("CARTONE")});
    trasportoForm->t_CausaleField->addItems({QStringLiteral("VENDITA"), QStringLiteral("RESO"),
                                            QStringLiteral("CONTO RIPARAZIONE"), QStringLiteral("CONTO LAVORAZIONE"),
                                            QStringLiteral("CONTO VISIONE")});

    for (const CompanyField& field : companyFields) {
        companyEditorOfKey.insert(field.key, (*aziendaForm).*field.editor);
        connect((*aziendaForm).*field.editor, &QLineEdit::editingFinished, this, [this, &key = field.key] {
            ModelFacade::instance()->setCompanyField(key, companyEditorOfKey.value(key)->text());
        });
    }
    for (const CompanyChoice& choice : companyChoices) {
        QComboBox* combo = (*aziendaForm).*choice.combo;
        CodeCombo::fill(combo, choice.codes());
        connect(combo, &QComboBox::currentIndexChanged, this, [combo, &key = choice.key] {
            ModelFacade::instance()->setCompanyField(key, CodeCombo::code(combo));
        });
    }
    for (const CompanySwitch& setting : companySwitches) {
        connect((*aziendaForm).*setting.check, &QCheckBox::toggled, this, [&key = setting.key](bool on) {
            ModelFacade::instance()->setCompanyField(key, on ? QStringLiteral("1") : QString());
        });
    }
    connect(dateForm->aggiungiData, &QPushButton::clicked, this, &MyClass::addScadenzaDate);
    connect(dateForm->rimuoviData, &QPushButton::clicked, this, &MyClass::removeScadenzaDate);
    connect(dateForm->dateList, &QTableWidget::cellChanged, this, &MyClass::setImportoScadenza);
    dateForm->dateList->setColumnWidth(0, 90);
    dateForm->dateList->setColumnWidth(2, 100);
    dateForm->dateList->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    connect(aziendaForm->confirmButtonCompany, &QDialogButtonBox::accepted, dlgAzienda.get(), &QDialog::accept);
    connect(aziendaForm->confirmButtonCompany, &QDialogButtonBox::rejected, dlgAzienda.get(), &QDialog::reject);
    connect(trasportoForm->confirmButtonTrasporto, &QDialogButtonBox::accepted, dlgTrasporto.get(), &QDialog::accept);
    connect(trasportoForm->confirmButtonTrasporto, &QDialogButtonBox::rejected, dlgTrasporto.get(), &QDialog::reject);
}

// ---- Own company

void MyClass::openEditAziendaDialog()
{
    ModelFacade* model = ModelFacade::instance();
    updateCompany(model->companyFields());
    // The court city is a setting rather than company data; it is shown here because it
    // goes with the company's seat, and kept only when it was changed, so that by default
    // it follows the company's town.
    const QString foro = model->getForo();
    aziendaForm->Foro_CompanyLineEdit->setText(foro);
    const int result = dlgAzienda->exec();
    QMap<QString, QString> none;
    updateCompany(model->companyFields() ? model->companyFields() : &none);
    if (result == QDialog::Accepted) {
        setCompany();
        const QString typed = aziendaForm->Foro_CompanyLineEdit->text().trimmed();
        if (typed.compare(foro, Qt::CaseInsensitive) != 0) {
            model->setPreferenceField(FORO_FIELD, typed);
            model->commitPreferences();
        }
    } else {
        abortCompany();
    }
}

void MyClass::updateCompany(QMap<QString, QString>* fields)
{
    if (!fields)
        return;
    for (auto it = companyEditorOfKey.cbegin(); it != companyEditorOfKey.cend(); ++it)
        it.value()->setText(fields->value(it.key()));
    for (const CompanyChoice& choice : companyChoices)
        CodeCombo::select((*aziendaForm).*choice.combo, fields->value(choice.key));
    for (const CompanySwitch& setting : companySwitches) {
        const QSignalBlocker quiet((*aziendaForm).*setting.check);
        ((*aziendaForm).*setting.check)->setChecked(!fields->value(setting.key).isEmpty());
    }
    // Taxed costs need no reason for carrying no VAT.
    const bool costsTaxed = !fields->value(IVA_SPESE).isEmpty();
    for (QWidget* untaxedOnly : std::initializer_list<QWidget*>{
             aziendaForm->naturaSpese_CompanyLabel, aziendaForm->naturaSpese_CompanyCombo,
             aziendaForm->riferimentoSpese_CompanyLabel, aziendaForm->riferimentoSpese_CompanyLineEdit})
        untaxedOnly->setEnabled(!costsTaxed);
}

void MyClass::setCompany()
{
    ModelFacade::instance()->commitCompany();
    // the bank data of the document follow the new company data
    handlePaymentCombo(form->paymentCombo->currentIndex());
}

void MyClass::abortCompany()
{
    ModelFacade::instance()->abortCompany();
}

// ---- Transport preferences

void MyClass::storeTransportPreferences()
{
    ModelFacade* model = ModelFacade::instance();
    for (const TransportChoice& choice : transportChoices)
        model->setPreferenceField(choice.key, ((*trasportoForm).*choice.combo)->currentText());
    refreshTransportStart();
}

void MyClass::refreshTransportStart()
{
    // a transport starts when its preferences are stored, or when the program starts
    trasportoForm->t_dateField->setDate(QDate::currentDate());
    trasportoForm->t_timeField->setTime(QTime::currentTime());
    ModelFacade* model = ModelFacade::instance();
    model->setPreferenceField(DATA_INIZIO_FIELD, trasportoForm->t_dateField->date().toString(dateFormat));
    model->setPreferenceField(ORA_INIZIO_FIELD, trasportoForm->t_timeField->time().toString(timeFormat));
}

void MyClass::initTransportPreferences()
{
    // What the user chose stays chosen; only a choice never made takes the dialog's first entry.
    ModelFacade* model = ModelFacade::instance();
    for (const TransportChoice& choice : transportChoices) {
        if (model->preferenceField(choice.key).isEmpty())
            model->setPreferenceField(choice.key, ((*trasportoForm).*choice.combo)->currentText());
    }
    refreshTransportStart();
}

void MyClass::openTrasportoDialog()
{
    const ModelFacade* model = ModelFacade::instance();
    for (const TransportChoice& choice : transportChoices)
        selectStored((*trasportoForm).*choice.combo, model->preferenceField(choice.key));
    const QDate date = QDate::fromString(model->getDataInizio(), dateFormat);
    const QTime time = QTime::fromString(model->getOraInizio(), timeFormat);
    trasportoForm->t_dateField->setDate(date.isValid() ? date : QDate::currentDate());
    trasportoForm->t_timeField->setTime(time.isValid() ? time : QTime::currentTime());
    if (dlgTrasporto->exec() == QDialog::Accepted) {
        storeTransportPreferences();
        ModelFacade::instance()->commitPreferences();
    }
}

// ---- Due dates

void MyClass::openDateEditor()
{
    dateForm->dateEdit->setDate(QDate::currentDate());
    dateForm->noteEdit->clear();
    dlgDate->exec();
}

void MyClass::addScadenzaDate()
{
    ModelFacade::instance()->addScadenzaDate(dateForm->dateEdit->date(), dateForm->noteEdit->text());
    dateForm->dateEdit->setDate(QDate::currentDate());
    dateForm->noteEdit->clear();
}

void MyClass::removeScadenzaDate()
{
    const QList<QTableWidgetItem*> selected = dateForm->dateList->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = selected.first()->row();
    ModelFacade::instance()->removeScadenzaDate(dateForm->dateList->item(row, 0)->data(Qt::UserRole).toDate(),
                                                dateForm->dateList->item(row, 1)->text());
}

void MyClass::setImportoScadenza(int row, int column)
{
    if (column != scadenzaAmountColumn)
        return;
    // A text that is no amount leaves the amount as it was, shown again at once.
    const std::optional<double> amount = parseAmount(dateForm->dateList->item(row, column)->text());
    if (!amount || !ModelFacade::instance()->setImportoScadenza(row, *amount))
        updateScadenze();
}
