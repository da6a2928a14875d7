// The customer search tab and the customer management tab, driven through their widgets as
// a user drives them: typing into the form, searching, clicking rows, loading, modifying.
#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "windowdriver.h"

#include <QtTest>
#include <QtWidgets>

using Fields = QMap<QString, QString>;

const QMap<QString, Fields> customerOfCode = {
    {"C00001", {{CODE, "C00001"}, {RAGIONE_S, "MARIO ROSSI SRL"}, {ADDRESS, "VIA ROMA 1"}, {CAP, "00100"}, {LOCALITY, "ROMA"},
                {CITY, "RM"}, {NAZIONE, "ITALIA"}, {PIVA, "01234567890"}, {TELEPHONE, "06123456"},
                {MOBILE_PHONE, "3331234567"}, {EMAIL, "INFO@ROSSI.IT"}}},
    {"C00002", {{CODE, "C00002"}, {RAGIONE_S, "BIANCHI SUPERMERCATI SPA"}, {ADDRESS, "CORSO ITALIA 5"}, {LOCALITY, "MILANO"},
                {CITY, "MI"}, {NAZIONE, "ITALIA"}, {FISCAL_CODE, "BNCLCU70A01F205X"}}},
    {"C00010", {{CODE, "C00010"}, {RAGIONE_S, "RICERCA VERDI SNC"}, {ADDRESS, "VIA PO 3"}, {LOCALITY, "TORINO"}, {CITY, "TO"},
                {NAZIONE, "ITALIA"}, {PIVA, "09876543210"}}},
    // a code written by hand: by number it comes before C00010, by text after it
    {"C9", {{CODE, "C9"}, {RAGIONE_S, "ZETA NOVE SAS"}, {ADDRESS, "VIA NOVE 9"}, {LOCALITY, "BARI"}, {CITY, "BA"},
            {NAZIONE, "ITALIA"}, {PIVA, "09999999999"}}}};

// The form's editor of each key on the management tab.
const Fields editorOfKey = {
    {RAGIONE_S, "RS_CustomerLineEdit"}, {ADDRESS, "address_CustomerLineEdit"}, {PIVA, "Iva_CustomerLineEdit"},
    {FISCAL_CODE, "CF_CustomerLineEdit"}, {CAP, "Cap_CustomerLineEdit"}, {LOCALITY, "Loc_CustomerLineEdit"},
    {CITY, "PR_CustomerLineEdit"}, {NAZIONE, "nazione_Customer"}, {TELEPHONE, "telephone_CustomerLineEdit"},
    {FAX, "fax_CustomerLineEdit"}, {MOBILE_PHONE, "mobileNumber_CustomerLineEdit"}, {EMAIL, "email_CustomerLineEdit"},
    {WEBSITE, "webSite_CustomerLineEdit"}, {NR_IMPRESE, "regImpreseLineEdit"}, {ABI, "ABI_Field"}, {CAB, "CAB_Field"},
    {IBAN, "IBAN_Field"}, {FILIALE, "FILIALE_Field"}, {VIA2, "via2_CustomerLineEdit"}, {CAP2, "Cap2_CustomerLineEdit"},
    {LOC2, "Loc2_CustomerLineEdit"}, {CITY2, "PR2_CustomerLineEdit"}, {NAZIONE2, "nazione2_Customer"},
    {CODICE_DESTINATARIO, "codiceDestinatario_CustomerLineEdit"}, {PEC, "pec_CustomerLineEdit"},
    {NOME, "nome_CustomerLineEdit"}, {COGNOME, "cognome_CustomerLineEdit"}};

const QString marked = QStringLiteral("color:rgb(255, 0, 0);");

class TestCustomerTabs : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowDriver> driver;

    static ModelFacade* model() { return ModelFacade::instance(); }
    static QString current(const QString& key) { return model()->currentCustomerFields()->value(key); }
    void typeCustomer(const Fields& fields)
    {
        driver->showTab(2);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            driver->type(editorOfKey.value(it.key()), it.value());
    }
    void search(const QString& keywords) { driver->showTab(1); driver->type("keywordsLineEdit", keywords); }
    QTableView* results() const { return driver->find<QTableView>("customerSearchTable"); }
    QString cell(int row, int column) const { return results()->model()->index(row, column).data().toString(); }
    // Clicks a cell in the row of the customer named `name`.
    void clickRow(const QString& name, int column)
    {
        const QModelIndexList found = results()->model()->match(results()->model()->index(0, 0), Qt::DisplayRole, name);
        QVERIFY(!found.isEmpty());
        const QModelIndex index = results()->model()->index(found.first().row(), column);
        QTest::mouseClick(results()->viewport(), Qt::LeftButton, {}, results()->visualRect(index).center());
    }
    // The customer panel of the invoice tab.
    QStringList panel() const
    {
        QStringList texts;
        for (const char* label : {"RS_LabelSelCustomer", "TelephoneN_LabelSelCustomer", "PIva_LabelSelCustomer",
                                  "FisCode_LabelSelCustomer", "Address_LabelSelCustomer"})
            texts << driver->find<QLabel>(label)->text();
        return texts;
    }
    // The customer's record as the registry saves it.
    QByteArray saved(const QString& code) const
    {
        model()->savePersistentData();
        return readFile(driver->home().dataDir() + "/customer_" + code + ".xml");
    }
    // Which of the two confirm groups of the management tab is shown.
    QString groupShown() const
    {
        const bool add = !driver->find<QGroupBox>("addGroupCustomer")->isHidden();
        return add == driver->find<QGroupBox>("modifcaGroupCustomer")->isHidden() ? (add ? "add" : "modify") : "both or none";
    }
    bool formEmpty() const
    {
        return driver->find<QTextEdit>("note_CustomerTextField")->toPlainText().isEmpty()
            && std::all_of(editorOfKey.cbegin(), editorOfKey.cend(), [this](const QString& e) { return driver->text(e).isEmpty(); });
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }
    void init()
    {
        driver = std::make_unique<WindowDriver>([](TestHome& home) {
            for (const Fields& customer : customerOfCode)
                WindowDriver::writeRecord(home, "customer", customer.value(CODE), customer);
        });
    }
    void cleanup() { driver.reset(); }

    // ---- Registering

    void add_missingRequiredField_warnsAndKeepsForm_data()
    {
        QTest::addColumn<QString>("omitted");
        QTest::newRow("name") << RAGIONE_S;
        QTest::newRow("both tax numbers") << PIVA;
    }
    void add_missingRequiredField_warnsAndKeepsForm()
    {
        QFETCH(QString, omitted);
        Fields typed = {{RAGIONE_S, "PIPPO SAS"}, {ADDRESS, "VIA DANTE 9"}, {LOCALITY, "PISA"},
                        {CITY, "PI"},             {NAZIONE, "ITALIA"},      {PIVA, "11122233344"}};
        typed.remove(omitted);
        typeCustomer(typed);
        driver->answer(QMessageBox::Ok);
        driver->click("addCustomerButton");

        QCOMPARE(driver->boxes().size(), 1);
        const WindowDriver::Box box = driver->boxes().first();
        QCOMPARE(box.text, "Controlla che i campi richiesti (*) (1) siano stati inseriti correttamente");
        QVERIFY(box.icon == QMessageBox::Warning && box.buttons == QMessageBox::Ok);
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(driver->text(editorOfKey.value(it.key())), it.value());
        QCOMPARE(driver->find<QLabel>("customerCodeLineEdit")->text(), "C00011");
        QCOMPARE(model()->getCustomerCodes().size(), 4);
    }

    // What is typed comes back upper-cased into its editor; the tax code alone is enough.
    void add_withOnlyTaxCode_registersAndClearsForm()
    {
        const Fields typed = {{RAGIONE_S, "pippo sas"}, {ADDRESS, "via dante 9"},   {LOCALITY, "pisa"},
                              {CITY, "pi"},             {NAZIONE, "italia"},        {FISCAL_CODE, "ppplnz80a01g702k"},
                              {EMAIL, "info@pippo.it"}, {VIA2, "via dei mille 4"}, {NAZIONE2, "svizzera"}};
        typeCustomer(typed);
        for (auto it = typed.cbegin(); it != typed.cend(); ++it) {
            QCOMPARE(driver->text(editorOfKey.value(it.key())), it.value().toUpper());
            QCOMPARE(current(it.key()), it.value().toUpper());
        }
        QTest::keyClicks(driver->find<QTextEdit>("note_CustomerTextField"), "paga non a 60 giorni");
        driver->click("addCustomerButton");

        QVERIFY(driver->boxes().isEmpty());
        // the user sees the new code, and the form waits for the next customer
        QCOMPARE(driver->window()->statusBar()->currentMessage(), "Cliente C00011 aggiunto");
        QCOMPARE(driver->find<QLabel>("customerCodeLineEdit")->text(), QString());
        QCOMPARE(driver->window()->focusWidget(), driver->find<QLineEdit>("RS_CustomerLineEdit"));
        // the blank item, then the codes by number, the new one last
        QStringList listed;
        auto* combo = driver->find<QComboBox>("customerCodeCombo");
        for (int i = 0; i < combo->count(); ++i)
            listed << combo->itemText(i);
        QCOMPARE(listed, (QStringList{" ", "C00001", "C00002", "C9", "C00010", "C00011"}));
        QVERIFY(formEmpty());
        const QByteArray record = saved("C00011");
        QVERIFY(record.contains("<field name=\"RAGIONE_S\">PIPPO SAS</field>"));
        QVERIFY(record.contains("<field name=\"FISCAL_CODE\">PPPLNZ80A01G702K</field>"));
        QVERIFY(record.contains("<field name=\"NOTE\">PAGA NON A 60 GIORNI</field>"));

        driver->type("RS_CustomerLineEdit", "altro"); // the next customer gets the next code
        QCOMPARE(driver->find<QLabel>("customerCodeLineEdit")->text(), "C00012");
    }

    // The note is refilled upper-cased as it is typed; the cursor stays after what was typed,
    // also where upper case takes more letters ("ß" becomes "SS").
    void note_keepsWhatWasTyped_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("position"); // where the cursor is put next; -1 leaves it
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("cursor");
        QTest::newRow("sharp s, typing on") << "x\u00dfab" << -1 << "" << "XSSAB" << 5;
        QTest::newRow("sharp s before the cursor") << "strae" << 4 << "\u00df" << "STRASSE" << 6;
        QTest::newRow("words in the middle") << "paga a 60 giorni" << 5 << "non " << "PAGA NON A 60 GIORNI" << 9;
    }
    void note_keepsWhatWasTyped()
    {
        QFETCH(QString, first);
        QFETCH(int, position);
        QFETCH(QString, then);
        QFETCH(QString, shown);
        QFETCH(int, cursor);
        driver->showTab(2);
        auto* note = driver->find<QTextEdit>("note_CustomerTextField");
        QTest::keyClicks(note, first);
        if (position >= 0) {
            QTextCursor moved = note->textCursor();
            moved.setPosition(position);
            note->setTextCursor(moved);
        }
        QTest::keyClicks(note, then);
        QCOMPARE(note->toPlainText(), shown);
        QCOMPARE(note->textCursor().position(), cursor);
        QCOMPARE(current(NOTE), shown);
    }

    // A refused value empties its editor and marks its caption red until a good one is
    // typed; an emptied VAT number is marked until the tax code is typed.
    void refusedValue_marksCaptionUntilFixed()
    {
        auto* nameCaption = driver->find<QLabel>("RS_CustomerLabel");
        auto* vatCaption = driver->find<QLabel>("PIVA_CustomerLabel");
        typeCustomer({{RAGIONE_S, "x"}, {PIVA, ""}});
        QCOMPARE((QStringList{nameCaption->styleSheet(), vatCaption->styleSheet()}), QStringList(2, marked));
        QCOMPARE(driver->text("RS_CustomerLineEdit"), QString());
        QCOMPARE(current(RAGIONE_S), QString());

        typeCustomer({{RAGIONE_S, "xy"}, {FISCAL_CODE, "rssmra80a01h501u"}});
        QCOMPARE((QStringList{nameCaption->styleSheet(), vatCaption->styleSheet()}), QStringList(2, "color:rgb(2,2,2);"));
        QCOMPARE(current(FISCAL_CODE), "RSSMRA80A01H501U");
    }

    // What the electronic invoice needs of a customer: a recipient code of 7 letters or
    // digits, a mail address as PEC, a person's names only once the customer is a person.
    void eInvoiceFields_typedToRecord_data()
    {
        QTest::addColumn<bool>("person");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty and the caption red when refused
        QTest::newRow("recipient code") << false << CODICE_DESTINATARIO << "m5uxcr1" << "M5UXCR1";
        QTest::newRow("code of six") << false << CODICE_DESTINATARIO << "abc123" << "";
        QTest::newRow("PEC") << false << PEC << "rossi@pec.it" << "ROSSI@PEC.IT";
        QTest::newRow("PEC without domain") << false << PEC << "rossi@pec" << "";
        QTest::newRow("first name of a person") << true << NOME << "mario" << "MARIO";
        QTest::newRow("last name of a person") << true << COGNOME << "rossi" << "ROSSI";
    }
    void eInvoiceFields_typedToRecord()
    {
        QFETCH(bool, person);
        QFETCH(QString, key);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        driver->showTab(2);
        auto* check = driver->find<QCheckBox>("personaFisica_CustomerCheck");
        auto* editor = driver->find<QLineEdit>(editorOfKey.value(key));
        QCOMPARE(driver->find<QLineEdit>("nome_CustomerLineEdit")->isEnabled(), false);
        if (person)
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QVERIFY(editor->isEnabled());
        typeCustomer({{key, typed}});
        QCOMPARE(current(PERSONA_FISICA), person ? "1" : "");
        QCOMPARE(current(key), stored);
        QCOMPARE(editor->text(), stored);
        const QLabel* caption = driver->find<QLabel>(editor->objectName().replace("LineEdit", "Label"));
        QCOMPARE(caption->styleSheet() == marked, stored.isEmpty());

        // RESET asks: Cancel keeps the form; Ok clears it to a company again, nothing marked,
        // nothing registered, the code still free
        driver->reset(QMessageBox::Cancel);
        QCOMPARE((QStringList{editor->text(), current(key)}), QStringList(2, stored));
        driver->reset(QMessageBox::Ok);
        QCOMPARE((QStringList{editor->text(), current(key)}), QStringList(2, QString()));
        QVERIFY(!check->isChecked() && !driver->find<QLineEdit>("cognome_CustomerLineEdit")->isEnabled());
        QVERIFY(caption->styleSheet() != marked);
        QCOMPARE(driver->boxTexts(), QStringList(2, "Conferma l'operazione di annullamento dei dati correnti ?"));
        QCOMPARE(current(CODE), "C00011");
        QCOMPARE(model()->getCustomerCodes().size(), 4);
    }

    // ---- Searching and loading

    void search_listsMatchingCustomers_data()
    {
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("everyone") << "*" << QStringList{"C00001", "C00002", "C00010", "C9"};
        QTest::newRow("no match") << "neri" << QStringList{};
        // "RICERCA PER PAROLA CHIAVE": the names holding "RICERCA" or "PER" are found
        QTest::newRow("initial keywords text") << QString() << QStringList{"C00002", "C00010"};
    }
    void search_listsMatchingCustomers()
    {
        QFETCH(QString, keywords);
        driver->showTab(1);
        if (keywords.isNull()) {
            driver->click("customerSearch");
        } else {
            search("*");
            QCOMPARE(results()->model()->rowCount(), 4);
            search(keywords);
        }
        // each row shows the customer whose code is in its header
        QStringList found;
        for (int row = 0; row < results()->model()->rowCount(); ++row) {
            found << results()->model()->headerData(row, Qt::Vertical).toString();
            const Fields customer = customerOfCode.value(found.last());
            QCOMPARE((QStringList{cell(row, 0), cell(row, 1), cell(row, 2), cell(row, 3), cell(row, 4)}),
                     (QStringList{customer.value(RAGIONE_S), customer.value(MOBILE_PHONE), customer.value(TELEPHONE),
                                  customer.value(ADDRESS), customer.value(EMAIL)}));
        }
        found.sort();
        QTEST(found, "codes");
    }

    void load_selectedRowOrCode_fillsPanel_withoutRowClears()
    {
        search("*");
        clickRow("RICERCA VERDI SNC", 0);
        clickRow("MARIO ROSSI SRL", 3);
        const QModelIndexList selected = results()->selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 5); // the whole row, and only that
        for (const QModelIndex& index : selected)
            QCOMPARE(cell(index.row(), 0), "MARIO ROSSI SRL");
        driver->click("loadSearchCustomerButton");

        auto* label = driver->find<QLabel>("loadSearchOkLabel");
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), "caricato l'elemento [C00001]");
        QCOMPARE(label->styleSheet(), "color: rgb(74, 159, 73);");
        QCOMPARE(panel(), (QStringList{"MARIO ROSSI SRL", "06123456-3331234567", "01234567890", "", "VIA ROMA 1 00100,ROMA-RM"}));
        QVERIFY(driver->find<QWidget>("paymentCombo")->isEnabled());
        QVERIFY(driver->find<QPushButton>("editSearchCustomerButton")->isEnabled());
        auto* combo = driver->find<QComboBox>("customerCodeCombo");
        QCOMPARE(combo->currentText(), "C00001");

        // the code combo loads a customer too, and its blank item clears the panel
        combo->setCurrentIndex(combo->findText("C00002"));
        QCOMPARE(panel().first(), "BIANCHI SUPERMERCATI SPA");
        combo->setCurrentIndex(0);
        QCOMPARE(panel(), QStringList(5, QString()));
        QVERIFY(!model()->hasInvoiceCustomer());
        QVERIFY(!driver->find<QPushButton>("editSearchCustomerButton")->isEnabled());

        // a new search hides the message; CARICA without a row clears the panel
        combo->setCurrentIndex(combo->findText("C00002"));
        search("*");
        QVERIFY(label->isHidden());
        driver->click("loadSearchCustomerButton");
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), "seleziona prima la riga da caricare.. ");
        QCOMPARE(label->styleSheet(), "color: rgb(240, 2, 2);");
        QCOMPARE(panel(), QStringList(5, QString()));
    }

    // ---- Modifying: MODIFICA asks, then CONFERMA keeps the change and ANNULLA restores.

    void modify_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("finalName");
        QTest::newRow("Ok, CONFERMA") << QMessageBox::Ok << "okEditCustomer" << "ROSSI MARIO SPA";
        QTest::newRow("Ok, ANNULLA") << QMessageBox::Ok << "abortEditCustomer" << "MARIO ROSSI SRL";
        QTest::newRow("Cancel") << QMessageBox::Cancel << "" << "MARIO ROSSI SRL";
    }
    void modify()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, ending);
        QFETCH(QString, finalName);
        typeCustomer({{RAGIONE_S, "nuovo cliente"}});
        search("*");
        clickRow("MARIO ROSSI SRL", 2);
        driver->click("loadSearchCustomerButton");
        driver->answer(answer);
        driver->click("editSearchCustomerButton");

        const WindowDriver::Box box = driver->boxes().value(0);
        QCOMPARE(box.text, "Attenzione: i dati nella tab \"Gestione Cliente\" saranno sovrascritti ");
        QCOMPARE(box.informativeText, "Vuoi continuare con l'operazione di modifica ?");
        QCOMPARE(box.defaultButton, QMessageBox::Cancel);
        QVERIFY(!driver->find<QPushButton>("editSearchCustomerButton")->isEnabled());
        // Ok shows the customer in the form to modify; Cancel leaves the form as it was
        QCOMPARE((QStringList{QString::number(driver->find<QTabWidget>("mainTab")->currentIndex()), groupShown(),
                              driver->text("RS_CustomerLineEdit"), driver->find<QLabel>("customerCodeLineEdit")->text()}),
                 (answer == QMessageBox::Ok ? QStringList{"2", "modify", "MARIO ROSSI SRL", "C00001"}
                                            : QStringList{"1", "add", "NUOVO CLIENTE", "C00011"}));
        if (answer == QMessageBox::Cancel)
            return;

        driver->type("RS_CustomerLineEdit", "rossi mario spa");
        QCOMPARE(panel().first(), "ROSSI MARIO SPA"); // the invoice follows at once
        driver->click(ending);

        QCOMPARE(groupShown(), "add");
        QVERIFY(formEmpty());
        QCOMPARE(panel().first(), finalName);
        QCOMPARE(model()->getCustomerCodes().size(), 4);
        QVERIFY(saved("C00001").contains("<field name=\"RAGIONE_S\">" + finalName.toUtf8() + "</field>"));
    }
};

QTEST_MAIN(TestCustomerTabs)
#include "tst_customertabs.moc"
