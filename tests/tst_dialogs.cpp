// The own-company, transport-preference and due-date dialogs, opened from the window and
// filled in as a user fills them.
#include "companykeys.h"
#include "italiantexts.h"
#include "modelfacade.h"
#include "myclass.h"
#include "preferencekeys.h"
#include "questions.h"
#include "windowdriver.h"

#include <QtTest>
#include <QtWidgets>

using Fields = QMap<QString, QString>;

const Fields ownCompany = {{CODE, "AZ0001"},          {RAGIONE_S, "ACME SRL"}, {PIVA, "12345678901"},
                           {ADDRESS, "VIA GARIBALDI 2"}, {LOCALITY, "FIRENZE"}, {CITY, "FI"},
                           {NAZIONE, "ITALIA"},       {IBAN, "IT60X0542811101000000123456"}};
const Fields firstItems = {{TCURA_FIELD, "MITTENTE"}, {SMEZZO_FIELD, "VETTORE"}, {PORTO_FIELD, "FRANCO"},
                           {ASPETTO_FIELD, "A VISTA"}, {CAUSALE_FIELD, "VENDITA"}};
// what the user chose in an earlier run
const Fields storedChoices = {{TCURA_FIELD, "DESTINATARIO"}, {SMEZZO_FIELD, "MITTENTE"}, {PORTO_FIELD, "ASSEGNATO"},
                              {ASPETTO_FIELD, "CARTONE"}, {CAUSALE_FIELD, "RESO"}};
const Fields comboOfKey = {{TCURA_FIELD, "t_TCuraField"}, {SMEZZO_FIELD, "t_TMezzoField"}, {PORTO_FIELD, "t_PortoField"},
                           {ASPETTO_FIELD, "t_AspettoField"}, {CAUSALE_FIELD, "t_CausaleField"}};
const QString today = QDate::currentDate().toString("dd/MM/yyyy");

template <typename T = QLineEdit>
static T* in(QWidget* dialog, const QString& name) { return dialog->findChild<T*>(name); }

// Types into an editor and leaves it with Tab, as a user moves on to the next field.
static void enter(QWidget* dialog, const QString& lineEdit, const QString& text)
{
    in(dialog, lineEdit)->setFocus();
    in(dialog, lineEdit)->selectAll();
    QTest::keyClicks(in(dialog, lineEdit), text);
    QTest::keyClick(in(dialog, lineEdit), Qt::Key_Tab);
}

static void clickButton(QWidget* dialog, QDialogButtonBox::StandardButton button)
{
    QTest::mouseClick(in<QDialogButtonBox>(dialog, {})->button(button), Qt::LeftButton);
}

static Fields preferences()
{
    Fields values;
    for (const QString& key : firstItems.keys())
        values.insert(key, ModelFacade::instance()->preferenceField(key));
    return values;
}

class TestDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowDriver> driver;
    QTranslator qtItalian;

    static ModelFacade* model() { return ModelFacade::instance(); }

    // Opens a modal dialog with the action or button `opener` and runs `act` while it is
    // shown; a dialog that `act` leaves open (a failed check) is rejected, so that the test
    // never hangs in exec().
    bool whileShown(const QString& opener, const std::function<void(QDialog*)>& act)
    {
        bool shown = false;
        WindowDriver::whenDialogShown([&](QWidget* widget) {
            shown = true;
            auto* dialog = qobject_cast<QDialog*>(widget);
            dialog->activateWindow(); // edits finish on leaving a field, which needs focus
            if (QTest::qWaitForWindowActive(dialog))
                act(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        if (auto* action = driver->window()->findChild<QAction*>(opener))
            action->trigger();
        else
            QTest::mouseClick(driver->find<QPushButton>(opener), Qt::LeftButton);
        return shown;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules("*.debug=false");
        QVERIFY(installQtItalian(qtItalian)); // as the program does at start-up
    }
    void init()
    {
        driver = std::make_unique<WindowDriver>([](TestHome& home) {
            WindowDriver::writeRecord(home, "company", "AZ0001", ownCompany);
            // the start-up refreshes only the start of transport
            Fields stored = storedChoices;
            stored.insert({{DATA_INIZIO_FIELD, "01/01/2000"}, {ORA_INIZIO_FIELD, "08:15"}, {IVA_FIELD, "10"}});
            WindowDriver::writeRecord(home, "preference", "0", stored);
        });
    }
    void cleanup() { driver.reset(); }

    // ---- Every window the user meets is titled and labelled in Italian, Qt's own included.

    void dialogs_speakItalian_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("buttons"); // among the dialog's buttons
        QTest::addColumn<QSize>("size"); // empty: Qt's own, sized by Qt
        const QStringList okCancel = {"OK", "Annulla"};
        QTest::newRow("company") << "actionAzienda" << "Dati azienda" << okCancel << QSize(905, 543);
        QTest::newRow("transport") << "actionPreferenze_trasporto" << "Preferenze per il trasporto" << okCancel
                                   << QSize(453, 316);
        QTest::newRow("due dates") << "openDateEditorB" << "Scadenze" << QStringList{"AGGIUNGI", "RIMUOVI"} << QSize(437, 250);
        QTest::newRow("print") << "printButton" << "Stampa" << QStringList{"Stam&pa", "Annulla"} << QSize();
        QTest::newRow("preview") << "actionPreview" << "Anteprima di stampa" << QStringList{} << QSize();
        QTest::newRow("export") << "actionExport" << "Salva come" << QStringList{"&Salva", "Annulla"} << QSize();
    }
    void dialogs_speakItalian()
    {
        QFETCH(QString, opener);
        QFETCH(QStringList, buttons);
        QFETCH(QSize, size);
        QStringList shownButtons;
        QVERIFY(whileShown(opener, [&](QDialog* dialog) {
            QTEST(dialog->windowTitle(), "title");
            if (size.isValid())
                QCOMPARE(dialog->size(), size);
            for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                shownButtons << button->text();
        }));
        for (const QString& button : buttons)
            QVERIFY2(shownButtons.contains(button), qPrintable(shownButtons.join('|')));
    }

    void messageBoxes_titledAfterTheirIcon_data()
    {
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QString>("title");
        QTest::newRow("warning") << QMessageBox::Warning << "Attenzione";
        QTest::newRow("critical") << QMessageBox::Critical << "Errore";
        QTest::newRow("information") << QMessageBox::Information << "Informazione";
    }
    void messageBoxes_titledAfterTheirIcon()
    {
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QString, title);
        QStringList shown;
        Questions::setAnswerer([&shown](QMessageBox& box) {
            shown << box.windowTitle();
            for (const QAbstractButton* button : box.buttons())
                shown << button->text();
            return int(QMessageBox::Cancel);
        });
        Questions::notify(driver->window(), icon, "avviso");
        Questions::confirm(driver->window(), "domanda");
        QCOMPARE(shown, (QStringList{title, "OK", "Attenzione", "OK", "Annulla"}));
    }

    // ---- Own company: edits reach the company only with Ok, upper-cased, under the same code.

    void company_cancelRestores_okReplacesKeepingTheCode()
    {
        for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
            QVERIFY(whileShown("actionAzienda", [&](QDialog* dialog) {
                // nothing of the cancelled edits is left
                QCOMPARE(in(dialog, "RS_CompanyLineEdit")->text(), "ACME SRL");
                QCOMPARE(in(dialog, "IBAN_CompanyLineEdit")->text(), ownCompany.value(IBAN));
                enter(dialog, "RS_CompanyLineEdit", "altra ditta spa");
                enter(dialog, "City_CompanyLineEdit", "po");
                enter(dialog, "FILIALE_CompanyLineEdit", "banca toscana, prato");
                QCOMPARE(in(dialog, "RS_CompanyLineEdit")->text(), "ALTRA DITTA SPA");
                QCOMPARE(*model()->companyFields(), ownCompany); // nothing replaced while editing
                if (button == QDialogButtonBox::Cancel) { // the last edit left unfinished
                    in(dialog, "IBAN_CompanyLineEdit")->setFocus();
                    QTest::keyClicks(in(dialog, "IBAN_CompanyLineEdit"), "00");
                }
                clickButton(dialog, button);
            }));
            QTest::qWait(20); // whatever the closing still delivers
        }
        Fields expected = ownCompany;
        expected.insert({{RAGIONE_S, "ALTRA DITTA SPA"}, {CITY, "PO"}, {FILIALE, "BANCA TOSCANA, PRATO"}});
        QCOMPARE(*model()->companyFields(), expected);
    }

    // The electronic invoice's settings of the company: codes chosen from their lists, the
    // REA typed, switches stored as "1" or empty; the reason for untaxed costs is asked only
    // while the costs carry no VAT.
    void company_eInvoiceSettings_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("value"); // a code, a typed text, or "1" / "" for a check box
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("regime") << "regimeFiscale_CompanyCombo" << "RF19" << REGIME_FISCALE << "RF19";
        QTest::newRow("REA office") << "reaUfficio_CompanyLineEdit" << "fi" << REA_UFFICIO << "FI";
        QTest::newRow("REA number") << "reaNumero_CompanyLineEdit" << "123456" << REA_NUMERO << "123456";
        QTest::newRow("costs taxed") << "ivaSpese_CompanyCheck" << "1" << IVA_SPESE << "1";
        QTest::newRow("costs' nature") << "naturaSpese_CompanyCombo" << "N1" << NATURA_SPESE << "N1";
        QTest::newRow("nature emptied") << "naturaSpese_CompanyCombo" << "" << NATURA_SPESE << "";
        QTest::newRow("costs' law") << "riferimentoSpese_CompanyLineEdit" << "art. 15" << RIFERIMENTO_SPESE << "ART. 15";
        QTest::newRow("stamp charged") << "bolloACarico_CompanyCheck" << "1" << BOLLO_A_CARICO << "1";
        QTest::newRow("rimessa diretta") << "modalitaRimessa_CompanyCombo" << "MP05" << MODALITA_RIMESSA << "MP05";
    }
    void company_eInvoiceSettings()
    {
        QFETCH(QString, widget);
        QFETCH(QString, value);
        QFETCH(QString, key);
        model()->setCompanyField(NATURA_SPESE, "N2.2"); // so that emptying it is a change
        model()->commitCompany();
        bool naturaEnabled = false;
        QVERIFY(whileShown("actionAzienda", [&](QDialog* dialog) {
            if (auto* combo = in<QComboBox>(dialog, widget)) {
                combo->setFocus();
                combo->setCurrentIndex(combo->findData(value));
                QCOMPARE(combo->currentText().left(value.size()), value);
            } else if (auto* check = in<QCheckBox>(dialog, widget)) {
                check->setChecked(value == "1");
            } else {
                enter(dialog, widget, value);
            }
            naturaEnabled = in<QComboBox>(dialog, "naturaSpese_CompanyCombo")->isEnabled();
            clickButton(dialog, QDialogButtonBox::Ok);
        }));
        QTEST(model()->companyFields()->value(key), "stored");
        QCOMPARE(naturaEnabled, key != IVA_SPESE);
        QCOMPARE(model()->companyFields()->value(RAGIONE_S), "ACME SRL");
    }

    // The court city of the conditions: shown with the company, by default its town,
    // stored as a setting only when changed, and not at all on Cancel.
    void company_courtCity_followsTheTownUntilSet()
    {
        const struct { QString typed; QDialogButtonBox::StandardButton button; QString stored; } steps[] = {
            {"prato", QDialogButtonBox::Cancel, ""}, {"", QDialogButtonBox::Ok, ""} /* unchanged: still the town */,
            {"prato", QDialogButtonBox::Ok, "PRATO"}};
        for (const auto& [typed, button, stored] : steps) {
            QVERIFY(whileShown("actionAzienda", [&](QDialog* dialog) {
                QCOMPARE(in(dialog, "Foro_CompanyLineEdit")->text(), "FIRENZE");
                if (!typed.isEmpty())
                    enter(dialog, "Foro_CompanyLineEdit", typed);
                clickButton(dialog, button);
            }));
            QCOMPARE(model()->preferenceField(FORO_FIELD), stored);
        }
        QCOMPARE(model()->getForo(), "PRATO");
    }

    // ---- Transport preferences: the start-up keeps what was chosen and refreshes the start
    // of transport; the dialog shows what is stored, stores what is chosen only with Ok, and
    // a value typed outside the items upper-cased, shown as typed on reopening.

    void transport_storedChoicesSurviveStartUp_storedOnlyWithOk()
    {
        QCOMPARE(preferences(), storedChoices);
        QCOMPARE(model()->preferenceField(DATA_INIZIO_FIELD), today);
        const QTime stored = QTime::fromString(model()->preferenceField(ORA_INIZIO_FIELD), "hh:mm");
        QVERIFY(stored.isValid());
        QVERIFY(qAbs(stored.secsTo(QTime::currentTime())) < 120);
        QCOMPARE(model()->preferenceField(IVA_FIELD), "10");

        Fields chosen = firstItems;
        model()->setPreferenceField(DATA_INIZIO_FIELD, "02/02/2002");
        for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
            QVERIFY(whileShown("actionPreferenze_trasporto", [&](QDialog* dialog) {
                QVERIFY(in<QDateEdit>(dialog, "t_dateField")->isHidden() && in<QTimeEdit>(dialog, "t_timeField")->isHidden());
                for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
                    auto* combo = in<QComboBox>(dialog, comboOfKey.value(it.key()));
                    QCOMPARE(combo->currentText(), storedChoices.value(it.key()));
                    while (combo->currentText() != it.value() && combo->currentIndex() > 0)
                        QTest::keyClick(combo, Qt::Key_Up);
                }
                clickButton(dialog, button);
            }));
            QCOMPARE(preferences(), button == QDialogButtonBox::Ok ? chosen : storedChoices);
        }
        QCOMPARE(model()->preferenceField(DATA_INIZIO_FIELD), today);

        const Fields typed = {{TCURA_FIELD, "mittente "}, {SMEZZO_FIELD, "corriere espresso"}};
        QVERIFY(whileShown("actionPreferenze_trasporto", [&](QDialog* dialog) {
            for (auto it = typed.cbegin(); it != typed.cend(); ++it) {
                auto* combo = in<QComboBox>(dialog, comboOfKey.value(it.key()));
                combo->lineEdit()->setFocus();
                combo->lineEdit()->selectAll();
                QTest::keyClicks(combo->lineEdit(), it.value());
                chosen.insert(it.key(), it.value().toUpper());
            }
            clickButton(dialog, QDialogButtonBox::Ok);
        }));
        QCOMPARE(preferences(), chosen);
        // reopened and accepted again, the typed values stay
        QVERIFY(whileShown("actionPreferenze_trasporto", [](QDialog* dialog) { clickButton(dialog, QDialogButtonBox::Ok); }));
        QCOMPARE(preferences(), chosen);
    }

    // ---- Due dates: listed with note and amount, removed by their row whatever the note
    // holds; an amount typed replaces the even split, a text that is no amount is not kept.

    void dueDate_addedEditedRemoved_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("amounts"); // after typing into the first amount
        QTest::newRow("even split") << "" << "" << QStringList{"61,00", "61,00"};
        QTest::newRow("first amount typed") << "prima rata" << "100" << QStringList{"100,00", "22,00"};
        QTest::newRow("note holding the separator, no amount typed")
            << "acconto -- saldo" << "cento" << QStringList{"61,00", "61,00"};
    }
    void dueDate_addedEditedRemoved()
    {
        QFETCH(QString, note);
        QFETCH(QString, typed);
        QFETCH(QStringList, amounts);
        driver->type("ivaEdit", "22");
        QTest::mouseClick(driver->find<QPushButton>("addLineItemRow"), Qt::LeftButton);
        auto* rows = driver->find<QTableWidget>("lineItemsTable");
        rows->item(0, 3)->setText("1");
        rows->item(0, 4)->setText("100");
        auto* combo = driver->find<QComboBox>("scadenzeCombo");
        const auto column = [](QTableWidget* list, int index) {
            QStringList texts;
            for (int row = 0; row < list->rowCount(); ++row)
                texts << list->item(row, index)->text();
            return texts;
        };
        QVERIFY(whileShown("openDateEditorB", [&](QDialog* dialog) {
            for (const auto& [date, text] : {std::pair{QDate(2025, 3, 15), note}, {QDate(2025, 4, 30), "saldo"}}) {
                in<QDateEdit>(dialog, "dateEdit")->setDate(date);
                QTest::keyClicks(in(dialog, "noteEdit"), text);
                QTest::mouseClick(in<QPushButton>(dialog, "aggiungiData"), Qt::LeftButton);
            }
            auto* list = in<QTableWidget>(dialog, "dateList");
            QCOMPARE(column(list, 0), (QStringList{"15/03/2025", "30/04/2025"}));
            QCOMPARE(column(list, 1), (QStringList{note, "saldo"}));
            if (!typed.isEmpty())
                list->item(0, 2)->setText(typed);
            QCOMPARE(column(list, 2), amounts);
            QCOMPARE(combo->itemText(0), "15/03/2025 -- " + note);

            list->selectRow(0);
            QTest::mouseClick(in<QPushButton>(dialog, "rimuoviData"), Qt::LeftButton);
            QCOMPARE(column(list, 1), QStringList{"saldo"});
            QCOMPARE(column(list, 2), QStringList{"122,00"});
            dialog->close();
        }));
        QCOMPARE(combo->count(), 1);
        QCOMPARE(model()->getScadenze().size(), 1);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
