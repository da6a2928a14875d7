// The customer search tab and the customer management tab, driven through their widgets as
// a user drives them: typing into the form, searching, clicking rows, loading, modifying.
#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "windowdriver.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QtTest>

using Fields = QMap<QString, QString>;

namespace {

const QString loadedStyle = QStringLiteral("color: rgb(74, 159, 73);");
const QString notLoadedStyle = QStringLiteral("color: rgb(240, 2, 2);");
const QString markedStyle = QStringLiteral("color:rgb(255, 0, 0);");
const QString unmarkedStyle = QStringLiteral("color:rgb(2,2,2);");
const QString incompleteWarning =
    QStringLiteral("Warning: controlla che i campi richiesti (*) (1) siano stati inseriti correttamente");

const Fields rossi = {{CODE, "C00001"},        {RAGIONE_S, "MARIO ROSSI SRL"}, {ADDRESS, "VIA ROMA 1"},
                      {CAP, "00100"},          {LOCALITY, "ROMA"},             {CITY, "RM"},
                      {NAZIONE, "ITALIA"},     {PIVA, "01234567890"},          {TELEPHONE, "06123456"},
                      {MOBILE_PHONE, "3331234567"}, {EMAIL, "INFO@ROSSI.IT"}};
const Fields bianchi = {{CODE, "C00002"},     {RAGIONE_S, "BIANCHI SUPERMERCATI SPA"}, {ADDRESS, "CORSO ITALIA 5"},
                        {LOCALITY, "MILANO"}, {CITY, "MI"}, {NAZIONE, "ITALIA"}, {FISCAL_CODE, "BNCLCU70A01F205X"}};
const Fields verdi = {{CODE, "C00010"},     {RAGIONE_S, "RICERCA VERDI SNC"}, {ADDRESS, "VIA PO 3"},
                      {LOCALITY, "TORINO"}, {CITY, "TO"}, {NAZIONE, "ITALIA"}, {PIVA, "09876543210"}};

const QMap<QString, Fields> customerOfCode = {{"C00001", rossi}, {"C00002", bianchi}, {"C00010", verdi}};

void writeCustomer(TestHome& home, const Fields& fields)
{
    QByteArray file = "<!DOCTYPE customer>\n<customer>\n <entry id=\"" + fields.value(CODE).toUtf8() + "\">\n";
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        file += "  <field name=\"" + it.key().toUtf8() + "\">" + it.value().toUtf8() + "</field>\n";
    file += " </entry>\n</customer>\n";
    home.writeDataFile(QStringLiteral("customer_%1.xml").arg(fields.value(CODE)), file);
}

// The form's editor of each key on the management tab.
const Fields editorOfKey = {
    {RAGIONE_S, "RS_CustomerLineEdit"}, {ADDRESS, "address_CustomerLineEdit"}, {PIVA, "Iva_CustomerLineEdit"},
    {FISCAL_CODE, "CF_CustomerLineEdit"}, {CAP, "Cap_CustomerLineEdit"}, {LOCALITY, "Loc_CustomerLineEdit"},
    {CITY, "PR_CustomerLineEdit"}, {NAZIONE, "nazione_Customer"}, {TELEPHONE, "telephone_CustomerLineEdit"},
    {FAX, "fax_CustomerLineEdit"}, {MOBILE_PHONE, "mobileNumber_CustomerLineEdit"}, {EMAIL, "email_CustomerLineEdit"},
    {WEBSITE, "webSite_CustomerLineEdit"}, {NR_IMPRESE, "regImpreseLineEdit"}, {ABI, "ABI_Field"}, {CAB, "CAB_Field"},
    {IBAN, "IBAN_Field"}, {FILIALE, "FILIALE_Field"}, {VIA2, "via2_CustomerLineEdit"}, {CAP2, "Cap2_CustomerLineEdit"},
    {LOC2, "Loc2_CustomerLineEdit"}, {CITY2, "PR2_CustomerLineEdit"}, {NAZIONE2, "nazione2_Customer"}};

const QStringList panelLabels = {"RS_LabelSelCustomer", "TelephoneN_LabelSelCustomer", "PIva_LabelSelCustomer",
                                 "FisCode_LabelSelCustomer", "Address_LabelSelCustomer"};
const QStringList paymentWidgets = {"paymentCombo", "ABI_InvoiceLineEdit", "CAB_InvoiceLineEdit",
                                    "IBAN_InvoiceLineEdit", "FILIALE_InvoiceLineEdit"};

} // namespace

class TestCustomerTabs : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowDriver> driver;

    template <typename T>
    T* widget(const QString& name) const
    {
        T* found = driver->find<T>(name);
        if (!found)
            qFatal("no widget %s", qPrintable(name));
        return found;
    }
    QString text(const QString& lineEdit) const { return widget<QLineEdit>(lineEdit)->text(); }
    ModelFacade* model() const { return ModelFacade::instance(); }

    void showTab(int index) { widget<QTabWidget>("mainTab")->setCurrentIndex(index); }
    void click(const QString& button) { QTest::mouseClick(widget<QPushButton>(button), Qt::LeftButton); }
    void typeCustomer(const Fields& fields)
    {
        showTab(2);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            driver->type(editorOfKey.value(it.key()), it.value());
    }
    void search(const QString& keywords)
    {
        showTab(1);
        driver->type("keywordsLineEdit", keywords);
    }
    QTableWidget* results() const { return widget<QTableWidget>("customerSearchTable"); }
    // The codes in the rows' headers, in row order.
    QStringList resultCodes() const
    {
        QStringList codes;
        for (int row = 0; row < results()->rowCount(); ++row)
            codes << results()->verticalHeaderItem(row)->text();
        return codes;
    }
    void clickCell(int row, int column)
    {
        QTableWidget* table = results();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(row, column)).center());
    }
    int selectedCells(int row) const
    {
        int selected = 0;
        for (int column = 0; column < results()->columnCount(); ++column)
            selected += results()->item(row, column)->isSelected() ? 1 : 0;
        return selected;
    }
    // Finds every customer, clicks the customer's row and presses CARICA.
    void load(const QString& code)
    {
        search(QStringLiteral("*"));
        clickCell(int(resultCodes().indexOf(code)), 2);
        click("loadSearchCustomerButton");
    }
    void startModifying(const QString& code)
    {
        load(code);
        driver->answer(QMessageBox::Ok);
        click("editSearchCustomerButton");
    }
    QStringList panel() const
    {
        QStringList texts;
        for (const QString& label : panelLabels)
            texts << widget<QLabel>(label)->text();
        return texts;
    }
    // The registered customer's name as a search for its code lists it.
    QString registeredName(const QString& code) const
    {
        const QList<Fields*> found = model()->search(code);
        const QString name = found.size() == 1 ? found.first()->value(RAGIONE_S) : QStringLiteral("<not found>");
        qDeleteAll(found);
        return name;
    }
    QStringList comboItems() const
    {
        QStringList items;
        for (int i = 0; i < widget<QComboBox>("customerCodeCombo")->count(); ++i)
            items << widget<QComboBox>("customerCodeCombo")->itemText(i);
        return items;
    }
    // Which of the two confirm groups of the management tab is shown.
    QString groupShown() const
    {
        const bool add = !widget<QGroupBox>("addGroupCustomer")->isHidden();
        const bool modify = !widget<QGroupBox>("modifcaGroupCustomer")->isHidden();
        return add == modify ? QStringLiteral("both or none") : add ? QStringLiteral("add") : QStringLiteral("modify");
    }
    bool formEmpty() const
    {
        return widget<QTextEdit>("note_CustomerTextField")->toPlainText().isEmpty()
            && std::all_of(editorOfKey.cbegin(), editorOfKey.cend(), [this](const QString& e) { return text(e).isEmpty(); });
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init()
    {
        driver = std::make_unique<WindowDriver>([](TestHome& home) {
            for (const Fields& customer : customerOfCode)
                writeCustomer(home, customer);
        });
    }
    void cleanup() { driver.reset(); }

    // ---- Registering

    void add_missingRequiredField_warnsAndKeepsForm_data()
    {
        QTest::addColumn<QString>("omitted");
        for (const QString& key : {RAGIONE_S, ADDRESS, LOCALITY, CITY, NAZIONE})
            QTest::newRow(qPrintable(key)) << key;
        QTest::newRow("both tax numbers") << PIVA;
    }
    void add_missingRequiredField_warnsAndKeepsForm()
    {
        QFETCH(QString, omitted);
        Fields typed = {{RAGIONE_S, "PIPPO SAS"}, {ADDRESS, "VIA DANTE 9"}, {LOCALITY, "PISA"},
                        {CITY, "PI"},             {NAZIONE, "ITALIA"},      {PIVA, "11122233344"}};
        typed.remove(omitted);
        typeCustomer(typed);
        const QStringList combo = comboItems();

        driver->answer(QMessageBox::Ok);
        click("addCustomerButton");

        QCOMPARE(driver->boxes().size(), 1);
        QCOMPARE(driver->boxes().first().text, incompleteWarning);
        QCOMPARE(driver->boxes().first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        for (auto it = typed.cbegin(); it != typed.cend(); ++it) {
            QCOMPARE(text(editorOfKey.value(it.key())), it.value());
            QCOMPARE(model()->currentCustomerFields()->value(it.key()), it.value());
        }
        QCOMPARE(widget<QLabel>("customerCodeLineEdit")->text(), QStringLiteral("C00011"));
        QCOMPARE(comboItems(), combo);
        QCOMPARE(model()->getCustomerCodes().size(), 3);
    }

    void add_withOnlyTaxCode_registersAndClearsForm()
    {
        typeCustomer({{RAGIONE_S, "pippo sas"}, {ADDRESS, "via dante 9"}, {LOCALITY, "pisa"},
                      {CITY, "pi"},             {NAZIONE, "italia"},      {FISCAL_CODE, "ppplnz80a01g702k"}});
        QTest::keyClicks(widget<QTextEdit>("note_CustomerTextField"), QStringLiteral("paga a 60 giorni"));

        click("addCustomerButton");

        QVERIFY(driver->boxes().isEmpty());
        QCOMPARE(comboItems().size(), 5); // the blank item, the three loaded codes and the new one
        QCOMPARE(comboItems().last(), QStringLiteral("C00011"));
        QCOMPARE(model()->getCustomerCodes().size(), 4);
        QVERIFY(formEmpty());
        QCOMPARE(registeredName("C00011"), QStringLiteral("PIPPO SAS"));
        model()->savePersistentData();
        const QByteArray saved = readFile(driver->home().dataDir() + "/customer_C00011.xml");
        QVERIFY(saved.contains("<field name=\"FISCAL_CODE\">PPPLNZ80A01G702K</field>"));
        QVERIFY(saved.contains("<field name=\"NOTE\">PAGA A 60 GIORNI</field>"));

        // the next customer gets the next code
        driver->type("RS_CustomerLineEdit", QStringLiteral("altro"));
        QCOMPARE(widget<QLabel>("customerCodeLineEdit")->text(), QStringLiteral("C00012"));
    }

    void typedValue_showsUpperCaseWhenEditingFinishes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::newRow("name") << RAGIONE_S << "mario rossi srl";
        QTest::newRow("e-mail") << EMAIL << "info@rossi.it";
        QTest::newRow("iban") << IBAN << "it60x0542811101000000123456";
        QTest::newRow("delivery street") << VIA2 << "via dei mille 4";
        QTest::newRow("delivery country") << NAZIONE2 << "svizzera";
        QTest::newRow("optional field emptied") << WEBSITE << "";
    }
    void typedValue_showsUpperCaseWhenEditingFinishes()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        typeCustomer({{key, typed}});
        QCOMPARE(text(editorOfKey.value(key)), typed.toUpper());
        QCOMPARE(model()->currentCustomerFields()->value(key), typed.toUpper());
    }

    void refusedValue_marksCaptionRedAndEmptiesEditor_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("caption");
        QTest::newRow("one-letter name") << RAGIONE_S << "RS_CustomerLabel";
        QTest::newRow("one-letter address") << ADDRESS << "address_CustomerLabel";
        QTest::newRow("one-letter province") << CITY << "pr_CustomerLabel";
        QTest::newRow("one-letter country") << NAZIONE << "pr_CustomerLabel_2";
    }
    void refusedValue_marksCaptionRedAndEmptiesEditor()
    {
        QFETCH(QString, key);
        QFETCH(QString, caption);
        typeCustomer({{key, "x"}});
        QCOMPARE(widget<QLabel>(caption)->styleSheet(), markedStyle);
        QCOMPARE(text(editorOfKey.value(key)), QString());
        QCOMPARE(model()->currentCustomerFields()->value(key), QString());

        typeCustomer({{key, "xy"}});
        QCOMPARE(widget<QLabel>(caption)->styleSheet(), unmarkedStyle);
        QCOMPARE(text(editorOfKey.value(key)), QStringLiteral("XY"));
    }

    void emptyTaxNumber_markedUntilTheOtherIsEntered_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("entered");
        QTest::newRow("VAT number, then tax code") << PIVA << FISCAL_CODE;
        QTest::newRow("tax code, then VAT number") << FISCAL_CODE << PIVA;
    }
    void emptyTaxNumber_markedUntilTheOtherIsEntered()
    {
        QFETCH(QString, emptied);
        QFETCH(QString, entered);
        auto* vatCaption = widget<QLabel>("PIVA_CustomerLabel");
        auto* taxCodeCaption = widget<QLabel>("CF_CustomerLabel");

        typeCustomer({{emptied, ""}});
        QCOMPARE((emptied == PIVA ? vatCaption : taxCodeCaption)->styleSheet(), markedStyle);

        typeCustomer({{entered, "rssmra80a01h501u"}});
        QCOMPARE(vatCaption->styleSheet(), unmarkedStyle);
        QCOMPARE(taxCodeCaption->styleSheet(), unmarkedStyle);
        QCOMPARE(model()->currentCustomerFields()->value(entered), QStringLiteral("RSSMRA80A01H501U"));
    }

    void note_typedInTheMiddle_staysWhereTyped()
    {
        showTab(2);
        auto* note = widget<QTextEdit>("note_CustomerTextField");
        QTest::keyClicks(note, QStringLiteral("pagamento anticipato"));
        QCOMPARE(note->toPlainText(), QStringLiteral("PAGAMENTO ANTICIPATO"));
        QTextCursor cursor = note->textCursor();
        cursor.setPosition(10); // after "PAGAMENTO "
        note->setTextCursor(cursor);

        QTest::keyClicks(note, QStringLiteral("non "));

        QCOMPARE(note->toPlainText(), QStringLiteral("PAGAMENTO NON ANTICIPATO"));
        QCOMPARE(model()->currentCustomerFields()->value(NOTE), QStringLiteral("PAGAMENTO NON ANTICIPATO"));
    }

    // ---- Searching and loading

    void search_listsMatchingCustomers_data()
    {
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("name fragment") << "rossi" << QStringList{"C00001"};
        QTest::newRow("code fragment") << "c0000" << QStringList{"C00001", "C00002"};
        QTest::newRow("comma separated words") << "verdi,bianchi" << QStringList{"C00002", "C00010"};
        QTest::newRow("everyone") << "*" << QStringList{"C00001", "C00002", "C00010"};
        QTest::newRow("nothing typed") << "" << QStringList{};
        QTest::newRow("no match") << "neri" << QStringList{};
    }
    void search_listsMatchingCustomers()
    {
        QFETCH(QString, keywords);
        QFETCH(QStringList, codes);
        search(QStringLiteral("*"));
        QCOMPARE(results()->rowCount(), 3);

        search(keywords);

        QStringList found = resultCodes();
        found.sort();
        QCOMPARE(found, codes);
        // each row shows the customer whose code is in its header
        const QStringList keys = {RAGIONE_S, MOBILE_PHONE, TELEPHONE, ADDRESS, EMAIL};
        for (int row = 0; row < results()->rowCount(); ++row) {
            const Fields customer = customerOfCode.value(results()->verticalHeaderItem(row)->text());
            for (int column = 0; column < keys.size(); ++column) {
                QCOMPARE(results()->item(row, column)->text(), customer.value(keys.at(column)));
                QVERIFY(!(results()->item(row, column)->flags() & Qt::ItemIsEditable));
            }
        }
    }

    void search_initialKeywordsText_isSearchedAsIs()
    {
        showTab(1);
        click("customerSearch");
        // "RICERCA PER PAROLA CHIAVE": the names holding "RICERCA" or "PER" are found
        QStringList found = resultCodes();
        found.sort();
        QCOMPARE(found, (QStringList{"C00002", "C00010"}));
    }

    void clickingCell_selectsItsWholeRowOnly()
    {
        search(QStringLiteral("*"));
        clickCell(1, 3);
        QCOMPARE(selectedCells(1), 5);
        QCOMPARE(selectedCells(0) + selectedCells(2), 0);

        clickCell(2, 0);
        QCOMPARE(selectedCells(2), 5);
        QCOMPARE(selectedCells(0) + selectedCells(1), 0);
    }

    void load_fillsPanelAndEnablesModify_onlyWithSelectedRow()
    {
        load(QStringLiteral("C00001"));

        auto* label = widget<QLabel>("loadSearchOkLabel");
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), QStringLiteral("caricato l'elemento [C00001]"));
        QCOMPARE(label->styleSheet(), loadedStyle);
        QCOMPARE(panel(), (QStringList{"MARIO ROSSI SRL", "06123456-3331234567", "01234567890", "",
                                       "VIA ROMA 1 00100,ROMA-RM"}));
        for (const QString& name : paymentWidgets)
            QVERIFY2(widget<QWidget>(name)->isEnabled(), qPrintable(name));
        QVERIFY(widget<QPushButton>("editSearchCustomerButton")->isEnabled());
        QCOMPARE(widget<QComboBox>("customerCodeCombo")->currentText(), QStringLiteral("C00001"));
        QCOMPARE(model()->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("MARIO ROSSI SRL"));

        // a new search takes the permission to modify away again; CARICA without a row clears
        search(QStringLiteral("*"));
        QVERIFY(label->isHidden());
        QVERIFY(!widget<QPushButton>("editSearchCustomerButton")->isEnabled());
        click("loadSearchCustomerButton");
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), QStringLiteral("seleziona prima la riga da caricare.. "));
        QCOMPARE(label->styleSheet(), notLoadedStyle);
        QCOMPARE(panel(), QStringList(panelLabels.size(), QString()));
        QVERIFY(!model()->hasInvoiceCustomer());
    }

    void codeCombo_blankItem_clearsLoadedCustomer()
    {
        auto* combo = widget<QComboBox>("customerCodeCombo");
        showTab(0);
        combo->setCurrentIndex(combo->findText(QStringLiteral("C00002")));
        QCOMPARE(panel().first(), QStringLiteral("BIANCHI SUPERMERCATI SPA"));
        QVERIFY(model()->hasInvoiceCustomer());

        combo->setCurrentIndex(0);

        QCOMPARE(panel(), QStringList(panelLabels.size(), QString()));
        QVERIFY(!model()->hasInvoiceCustomer());
        QVERIFY(!widget<QPushButton>("editSearchCustomerButton")->isEnabled());
    }

    // ---- Modifying

    void modify_thenConfirmOrAbort_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("finalName");
        QTest::newRow("CONFERMA keeps the change") << "okEditCustomer" << "ROSSI MARIO SPA";
        QTest::newRow("ANNULLA restores the customer") << "abortEditCustomer" << "MARIO ROSSI SRL";
    }
    void modify_thenConfirmOrAbort()
    {
        QFETCH(QString, button);
        QFETCH(QString, finalName);
        startModifying(QStringLiteral("C00001"));

        QCOMPARE(driver->boxes().size(), 1);
        const WindowDriver::Box box = driver->boxes().first();
        QCOMPARE(box.text, QStringLiteral("Attenzione: i dati nella tab \"Gestione Cliente\" saranno sovrascritti "));
        QCOMPARE(box.informativeText, QStringLiteral("Vuoi continuare con l'operazione di modifica ?"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton, QMessageBox::Cancel);
        QCOMPARE(widget<QTabWidget>("mainTab")->currentIndex(), 2);
        QCOMPARE(groupShown(), QStringLiteral("modify"));
        QVERIFY(!widget<QPushButton>("editSearchCustomerButton")->isEnabled());
        QCOMPARE(text("RS_CustomerLineEdit"), QStringLiteral("MARIO ROSSI SRL"));
        QCOMPARE(text("Iva_CustomerLineEdit"), QStringLiteral("01234567890"));
        QCOMPARE(widget<QLabel>("customerCodeLineEdit")->text(), QStringLiteral("C00001"));

        driver->type("RS_CustomerLineEdit", QStringLiteral("rossi mario spa"));
        QCOMPARE(panel().first(), QStringLiteral("ROSSI MARIO SPA")); // the invoice follows at once
        click(button);

        QCOMPARE(groupShown(), QStringLiteral("add"));
        QVERIFY(formEmpty());
        QCOMPARE(registeredName("C00001"), finalName);
        QCOMPARE(panel().first(), finalName);
        QCOMPARE(model()->getCustomerCodes().size(), 3);
        model()->savePersistentData();
        QVERIFY(readFile(driver->home().dataDir() + "/customer_C00001.xml")
                    .contains("<field name=\"RAGIONE_S\">" + finalName.toUtf8() + "</field>"));
    }

    void modify_cancelInBox_leavesFormAndDisablesModify()
    {
        typeCustomer({{RAGIONE_S, "nuovo cliente"}});
        load(QStringLiteral("C00001"));

        click("editSearchCustomerButton"); // no answer queued: Cancel

        QCOMPARE(driver->boxes().size(), 1);
        QCOMPARE(widget<QTabWidget>("mainTab")->currentIndex(), 1);
        QCOMPARE(groupShown(), QStringLiteral("add"));
        QVERIFY(!widget<QPushButton>("editSearchCustomerButton")->isEnabled());
        QCOMPARE(text("RS_CustomerLineEdit"), QStringLiteral("NUOVO CLIENTE"));
        QCOMPARE(widget<QLabel>("customerCodeLineEdit")->text(), QStringLiteral("C00011"));
        QCOMPARE(model()->currentCustomerFields()->value(RAGIONE_S), QStringLiteral("NUOVO CLIENTE"));
        QCOMPARE(registeredName("C00001"), QStringLiteral("MARIO ROSSI SRL"));
    }

    // ---- Reset on the management tab

    void reset_onManagementTab_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("nameAfter");
        QTest::newRow("Ok discards the new customer") << QMessageBox::Ok << "";
        QTest::newRow("Cancel keeps it") << QMessageBox::Cancel << "NUOVO CLIENTE";
    }
    void reset_onManagementTab()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, nameAfter);
        typeCustomer({{RAGIONE_S, "nuovo cliente"}, {ADDRESS, "via nuova 1"}});

        driver->answer(answer);
        driver->window()->findChild<QAction*>("actionReset")->trigger();

        QCOMPARE(driver->boxes().size(), 1);
        QCOMPARE(driver->boxes().first().text, QStringLiteral("Conferma l'operazione di annullamento dei dati correnti ?"));
        QCOMPARE(text("RS_CustomerLineEdit"), nameAfter);
        QCOMPARE(model()->currentCustomerFields()->value(RAGIONE_S), nameAfter);
        QCOMPARE(model()->currentCustomerFields()->value(CODE), QStringLiteral("C00011"));
        QCOMPARE(model()->getCustomerCodes().size(), 3);
    }

    void reset_whileModifying_restoresCustomerAndEndsModifying()
    {
        startModifying(QStringLiteral("C00001"));
        driver->type("RS_CustomerLineEdit", QStringLiteral("rossi mario spa"));

        driver->answer(QMessageBox::Ok);
        driver->window()->findChild<QAction*>("actionReset")->trigger();

        QCOMPARE(groupShown(), QStringLiteral("add"));
        QVERIFY(formEmpty());
        QCOMPARE(registeredName("C00001"), QStringLiteral("MARIO ROSSI SRL"));
        QCOMPARE(panel().first(), QStringLiteral("MARIO ROSSI SRL"));
        QCOMPARE(model()->currentCustomerFields()->value(CODE), QStringLiteral("C00011"));
    }
};

QTEST_MAIN(TestCustomerTabs)
#include "tst_customertabs.moc"
