// The invoice tab driven as a user drives it: typing into the fields, editing the cells of
// the line-item table, pressing the buttons and answering the boxes; each check reads both
// what the widgets show and what the model holds.
#include "windowdriver.h"

#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "umcombobox.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

enum Column { Code, Description, Unit, Quantity, Price, Discount, Amount, Vat };

const QStringList paymentWidgets = {QStringLiteral("paymentCombo"), QStringLiteral("ABI_InvoiceLineEdit"),
                                    QStringLiteral("CAB_InvoiceLineEdit"), QStringLiteral("IBAN_InvoiceLineEdit"),
                                    QStringLiteral("FILIALE_InvoiceLineEdit")};

ModelFacade* model()
{
    return ModelFacade::instance();
}

// Registers one customer and saves it, so that the window finds it on disk.
void customerOnDisk(TestHome&)
{
    model()->loadPersistentData();
    model()->newCustomer();
    model()->setCustomerField(RAGIONE_S, QStringLiteral("ferramenta rossi"));
    model()->setCustomerField(ADDRESS, QStringLiteral("via roma 1"));
    model()->setCustomerField(LOCALITY, QStringLiteral("roma"));
    model()->setCustomerField(CITY, QStringLiteral("rm"));
    model()->setCustomerField(PIVA, QStringLiteral("01234567890"));
    model()->setCustomerField(NAZIONE, QStringLiteral("italia"));
    model()->addCustomer(nullptr);
    model()->savePersistentData();
    ModelFacade::destroyInstance();
}

} // namespace

class InvoiceTabTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowDriver> driver;

    QTableWidget* table() const { return driver->find<QTableWidget>(QStringLiteral("lineItemsTable")); }
    QString text(const char* lineEdit) const { return driver->find<QLineEdit>(QLatin1String(lineEdit))->text(); }
    QString cell(int row, int column) const { return table()->item(row, column)->text(); }
    UmComboBox* unitCombo(int row) const { return qobject_cast<UmComboBox*>(table()->cellWidget(row, Unit)); }
    int idOfRow(int row) const { return unitCombo(row)->getLineItemId(); }
    QString header(int row) const { return table()->verticalHeaderItem(row)->text(); }

    void addRows(int count)
    {
        for (int i = 0; i < count; ++i)
            QTest::mouseClick(driver->find<QPushButton>(QStringLiteral("addLineItemRow")), Qt::LeftButton);
    }
    // The cell takes the text as when the user finishes editing it.
    void editCell(int row, int column, const QString& value) { table()->item(row, column)->setText(value); }
    void expectTotals(const QString& taxable, const QString& vat, const QString& total)
    {
        QCOMPARE(text("InvoiceTotalAmount_LineEdit"), taxable);
        QCOMPARE(text("InvoiceTotalIva_LineEdit"), vat);
        QCOMPARE(text("InvoiceTotalPlusIva_LineEdit"), total);
    }
    void selectDocType(const QString& type)
    {
        auto* combo = driver->find<QComboBox>(QStringLiteral("docTypeSelection"));
        combo->setCurrentIndex(combo->findText(type));
    }

private Q_SLOTS:
    void init() { driver = std::make_unique<WindowDriver>(); }
    void cleanup()
    {
        driver.reset();
        QLocale::setDefault(QLocale::system());
    }

    void startsEmptyWithPaymentDisabled()
    {
        MyClass* window = driver->window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillbook"));
        QCOMPARE(window->size(), QSize(959, 713));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        window->resize(1200, 900);
        QCOMPARE(window->size(), QSize(959, 713));

        for (const QString& name : paymentWidgets)
            QVERIFY2(!driver->find<QWidget>(name)->isEnabled(), qPrintable(name));
        QCOMPARE(driver->find<QTabWidget>(QStringLiteral("mainTab"))->currentIndex(), 0);
        QCOMPARE(table()->rowCount(), 0);
        QCOMPARE(text("ivaEdit"), QStringLiteral("22"));
        expectTotals(QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("0,00"));
    }

    void toolBar_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QKeySequence>("shortcut");
        // a separator follows every second action
        QTest::newRow("actionPreview") << 0 << "ANTEPRIMA" << QKeySequence(QStringLiteral("Ctrl+P"));
        QTest::newRow("actionReset") << 1 << "RESET" << QKeySequence(QStringLiteral("Ctrl+R"));
        QTest::newRow("actionAzienda") << 3 << "AZIENDA" << QKeySequence(QStringLiteral("Ctrl+A"));
        QTest::newRow("actionPreferenze_trasporto") << 4 << "PREFERENZE TRASPORTO" << QKeySequence();
        QTest::newRow("actionExport") << 6 << "ESPORTA I DATI" << QKeySequence();
        QTest::newRow("actionImportData") << 7 << "IMPORTA I DATI" << QKeySequence();
    }

    void toolBar()
    {
        QFETCH(int, position);
        const QList<QAction*> actions = driver->find<QToolBar>(QStringLiteral("mainToolBar"))->actions();
        QCOMPARE(actions.size(), 9);
        for (const int separator : {2, 5, 8})
            QVERIFY(actions.at(separator)->isSeparator());
        QAction* action = actions.at(position);
        QCOMPARE(action->objectName(), QString::fromLatin1(QTest::currentDataTag()));
        QTEST(action->text(), "text");
        QTEST(action->shortcut(), "shortcut");
    }

    // Quantities and prices typed with a decimal comma and with a point, a row discount,
    // an invoice discount, a new VAT rate and costs; whatever locale the user runs.
    void threeRowInvoice_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char* locale : {"C", "en_US", "it_IT", "de_DE"})
            QTest::newRow(locale) << QString::fromLatin1(locale);
    }

    void threeRowInvoice()
    {
        QFETCH(QString, locale);
        driver.reset();
        QLocale::setDefault(QLocale(locale));
        driver = std::make_unique<WindowDriver>();

        addRows(3);
        const QStringList typed[] = {{"VT-10", "Viti", "3", "12,40", "10"},
                                     {"DD-6", "Dadi", "2", "7.25", ""},
                                     {"ST", "Staffa", "1,5", "100", ""}};
        for (int row = 0; row < 3; ++row)
            for (const int column : {Code, Description, Quantity, Price, Discount})
                if (const QString value = typed[row].at(column < Unit ? column : column - 1); !value.isEmpty())
                    editCell(row, column, value);

        // what the cells show: the display form, every numeric value with a decimal comma
        const QStringList shown[] = {{"VT-10", "Viti", "3", "12,40", "10,00", "33,48", "22,00"},
                                     {"DD-6", "Dadi", "2", "7,25", "0,00", "14,50", "22,00"},
                                     {"ST", "Staffa", "1,5", "100,00", "0,00", "150,00", "22,00"}};
        const QStringList stored[] = {{"3", "12.40", "10.00"}, {"2", "7.25", "0.00"}, {"1.5", "100.00", "0.00"}};
        for (int row = 0; row < 3; ++row) {
            const int id = idOfRow(row);
            for (const int column : {Code, Description, Quantity, Price, Discount, Amount, Vat})
                QCOMPARE(cell(row, column), shown[row].at(column < Unit ? column : column - 1));
            QCOMPARE(model()->getLineItemField(id, QStringLiteral("amount")), stored[row].at(0));
            QCOMPARE(model()->getLineItemField(id, QStringLiteral("prize")), stored[row].at(1));
            QCOMPARE(model()->getLineItemField(id, QStringLiteral("sconto")), stored[row].at(2));
            QCOMPARE(model()->getLineItemField(id, QStringLiteral("code")), shown[row].at(0));
        }
        expectTotals(QStringLiteral("197,98"), QStringLiteral("43,56"), QStringLiteral("241,54"));

        driver->type(QStringLiteral("scontoClienteLineEdit"), QStringLiteral("4"));
        QCOMPARE(text("scontoClienteLineEdit"), QStringLiteral("4,00"));
        QCOMPARE(model()->getImportoSconto(), 7.9192);
        expectTotals(QStringLiteral("190,06"), QStringLiteral("41,81"), QStringLiteral("231,87"));

        driver->type(QStringLiteral("ivaEdit"), QStringLiteral("10"));
        QCOMPARE(model()->getIva(), 10);
        expectTotals(QStringLiteral("190,06"), QStringLiteral("19,01"), QStringLiteral("209,07"));

        driver->type(QStringLiteral("deliveryTotal_LineEdit"), QStringLiteral("12,40"));
        driver->type(QStringLiteral("varieTotal_LineEdit"), QStringLiteral("1.10"));
        driver->type(QStringLiteral("ImballoTotal_LineEdit"), QStringLiteral("3"));
        driver->type(QStringLiteral("SpeseBancarie_LineEdit"), QStringLiteral("2,5"));
        QCOMPARE(text("deliveryTotal_LineEdit"), QStringLiteral("12,40"));
        QCOMPARE(text("varieTotal_LineEdit"), QStringLiteral("1,10"));
        QCOMPARE(text("ImballoTotal_LineEdit"), QStringLiteral("3,00"));
        QCOMPARE(text("SpeseBancarie_LineEdit"), QStringLiteral("2,50"));
        // the costs carry no VAT
        expectTotals(QStringLiteral("190,06"), QStringLiteral("19,01"), QStringLiteral("228,07"));
        QCOMPARE(model()->getTotalImp(), 190.0608);
        QCOMPARE(model()->getTotaleIva(), 19.00608);
        QCOMPARE(model()->getTotale(), 228.06688);
    }

    // Each change of the model is written back into the row's cells, which hand it to the
    // model once more: that second pass must leave the value as the user typed it.
    void cellWriteBack_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("rowAmount"); // the row starts as 2 x 10,00
        QTest::newRow("price with comma") << int(Price) << "12,5" << "12,50" << "12.50" << "25,00";
        QTest::newRow("price with point") << int(Price) << "7.25" << "7,25" << "7.25" << "14,50";
        QTest::newRow("price grouped") << int(Price) << "1.234,5" << "1234,50" << "1234.50" << "2469,00";
        QTest::newRow("price in tenths of a cent") << int(Price) << "0,0135" << "0,0135" << "0.0135" << "0,03";
        QTest::newRow("negative price") << int(Price) << "-3" << "0,00" << "0.00" << "0,00";
        QTest::newRow("price no number") << int(Price) << "dieci" << "0,00" << "0.00" << "0,00";
        QTest::newRow("quantity with comma") << int(Quantity) << "1,5" << "1,5" << "1.5" << "15,00";
        QTest::newRow("quantity large") << int(Quantity) << "1234567" << "1234567" << "1234567" << "12345670,00";
        QTest::newRow("discount with comma") << int(Discount) << "12,5" << "12,50" << "12.50" << "17,50";
        QTest::newRow("discount three decimals") << int(Discount) << "33,333" << "33,333" << "33.333" << "13,33";
    }

    void cellWriteBack()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        const QString key = ModelFacade::lineItemFieldKeys().at(column);
        addRows(1);
        editCell(0, Quantity, QStringLiteral("2"));
        editCell(0, Price, QStringLiteral("10"));
        QSignalSpy changes(table(), &QTableWidget::cellChanged);

        editCell(0, column, typed);
        QFETCH(QString, shown);
        QCOMPARE(cell(0, column), shown);
        // a text the model shows otherwise comes back once more, in its display form
        const auto ofCell = [column](const QList<QVariant>& change) { return change.at(1).toInt() == column; };
        QCOMPARE(std::count_if(changes.cbegin(), changes.cend(), ofCell), shown == typed ? 1 : 2);
        QTEST(model()->getLineItemField(idOfRow(0), key), "stored");
        QTEST(cell(0, Amount), "rowAmount");
        QTEST(text("InvoiceTotalAmount_LineEdit"), "rowAmount");
    }

    void onlyInputCellsEditable_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QString>("shown"); // after typing 5 and Return
        QTest::newRow("CODICE ARTICOLO") << int(Code) << true << "5";
        QTest::newRow("DESCRIZIONE ARTICOLO") << int(Description) << true << "5";
        QTest::newRow("QUANTITA'") << int(Quantity) << true << "5";
        QTest::newRow("PREZZO UN.") << int(Price) << true << "5,00";
        QTest::newRow(" % SC.") << int(Discount) << true << "5,00";
        QTest::newRow("IMPORTO") << int(Amount) << false << "";
        QTest::newRow("C.IVA") << int(Vat) << false << "";
    }

    void onlyInputCellsEditable()
    {
        QFETCH(int, column);
        QFETCH(bool, editable);
        addRows(1);
        QCOMPARE(table()->horizontalHeaderItem(column)->text(), QString::fromLatin1(QTest::currentDataTag()));
        QTableWidgetItem* item = table()->item(0, column);
        QCOMPARE(bool(item->flags() & Qt::ItemIsEditable), editable);
        QVERIFY(item->flags() & Qt::ItemIsSelectable);

        table()->scrollToItem(item);
        const QPoint centre = table()->visualItemRect(item).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, centre);
        QWidget* editor = table()->indexWidget(table()->model()->index(0, column));
        QCOMPARE(editor != nullptr, editable);
        if (!editor)
            return;
        QTest::keyClicks(editor, QStringLiteral("5"));
        QTest::keyClick(editor, Qt::Key_Return);
        QFETCH(QString, shown);
        QTRY_COMPARE(cell(0, column), shown); // the editor commits once back in the event loop
        QCOMPARE(model()->getLineItemField(idOfRow(0), ModelFacade::lineItemFieldKeys().at(column)),
                 QString(cell(0, column)).replace(QLatin1Char(','), QLatin1Char('.')));
    }

    void deleteSecondOfFourRows_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("codesLeft");
        QTest::newRow("Ok") << QMessageBox::Ok << QStringList{"R1", "R3", "R4"};
        QTest::newRow("Cancel") << QMessageBox::Cancel << QStringList{"R1", "R2", "R3", "R4"};
    }

    void deleteSecondOfFourRows()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, codesLeft);
        addRows(4);
        QList<int> ids;
        for (int row = 0; row < 4; ++row) {
            editCell(row, Code, QStringLiteral("R%1").arg(row + 1));
            editCell(row, Quantity, QStringLiteral("1"));
            editCell(row, Price, QString::number(row + 1));
            ids << idOfRow(row);
        }
        QCOMPARE(text("InvoiceTotalAmount_LineEdit"), QStringLiteral("10,00"));

        table()->setCurrentCell(1, Description);
        driver->answer(answer);
        QTest::mouseClick(driver->find<QPushButton>(QStringLiteral("deleteLineItemsButton")), Qt::LeftButton);

        QCOMPARE(driver->boxes().size(), 1);
        QCOMPARE(driver->boxes().first().text, QStringLiteral("Conferma l'eliminazione della riga corrente ?"));
        QCOMPARE(driver->boxes().first().defaultButton, QMessageBox::Cancel);
        const QList<int> idsLeft = answer == QMessageBox::Ok ? QList<int>{ids.at(0), ids.at(2), ids.at(3)} : ids;
        QCOMPARE(model()->lineItemIds(), idsLeft);
        QCOMPARE(table()->rowCount(), idsLeft.size());
        QCOMPARE(text("InvoiceTotalAmount_LineEdit"), answer == QMessageBox::Ok ? QStringLiteral("8,00") : QStringLiteral("10,00"));
        for (int row = 0; row < idsLeft.size(); ++row) {
            QCOMPARE(header(row), QString::number(row + 1));
            QCOMPARE(cell(row, Code), codesLeft.at(row));
            QCOMPARE(model()->getLineItemField(idsLeft.at(row), QStringLiteral("code")), codesLeft.at(row));
            // an edit of the row still reaches the row's own line item
            editCell(row, Description, QStringLiteral("riga %1").arg(row + 1));
            QCOMPARE(model()->getLineItemField(idsLeft.at(row), QStringLiteral("description")), QStringLiteral("riga %1").arg(row + 1));
        }
        unitCombo(2)->setCurrentText(QStringLiteral("KG"));
        QCOMPARE(model()->getLineItemField(idsLeft.at(2), QStringLiteral("um")), QStringLiteral("KG"));

        // a row added afterwards is numbered after the others
        addRows(1);
        QCOMPARE(header(codesLeft.size()), QString::number(codesLeft.size() + 1));
        QCOMPARE(idOfRow(codesLeft.size()), ids.last() + 1);
    }

    void deleteWithoutSelectionRemovesNothing()
    {
        addRows(2);
        table()->clearSelection();
        driver->answer(QMessageBox::Ok);
        QTest::mouseClick(driver->find<QPushButton>(QStringLiteral("deleteLineItemsButton")), Qt::LeftButton);
        QCOMPARE(driver->boxes().size(), 1);
        QCOMPARE(table()->rowCount(), 2);
        QCOMPARE(model()->lineItemIds().size(), 2);
    }

    void textSize_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("10") << "10" << QList<int>{130, 250, 80, 100, 100, 80, 100, 50};
        QTest::newRow("13") << "13" << QList<int>{149, 287, 92, 114, 114, 92, 114, 57};
        QTest::newRow("16") << "16" << QList<int>{169, 325, 104, 130, 130, 104, 130, 65};
    }

    void textSize()
    {
        QFETCH(QString, size);
        QFETCH(QList<int>, widths);
        addRows(2);
        auto* sizes = driver->find<QComboBox>(QStringLiteral("textItemsCombo"));
        sizes->setCurrentIndex(sizes->findText(QStringLiteral("12")));
        sizes->setCurrentIndex(sizes->findText(size));
        addRows(1);

        for (int column = 0; column < widths.size(); ++column)
            QCOMPARE(table()->columnWidth(column), widths.at(column));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(table()->rowHeight(row), 2 * size.toInt());
        QCOMPARE(table()->font().pointSize(), size.toInt());
    }

    void tabLabelFollowsDocType_data()
    {
        QTest::addColumn<QString>("type");
        for (const char* type : {"FATTURA", "NOTA DI CREDITO", "NOTA DI DEBITO", "DOCUMENTO DI TRASPORTO",
                                 "FATTURA ACCOMPAGNATORIA"})
            QTest::newRow(type) << QString::fromLatin1(type);
    }

    void tabLabelFollowsDocType()
    {
        QFETCH(QString, type);
        auto* tabs = driver->find<QTabWidget>(QStringLiteral("mainTab"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("FATTURA ACCOMPAGNATORIA"));
        QCOMPARE(model()->getDocType(), QStringLiteral("FATTURA ACCOMPAGNATORIA"));
        // through another type first, so that every row is a real change
        selectDocType(type == QLatin1String("FATTURA") ? QStringLiteral("NOTA DI DEBITO") : QStringLiteral("FATTURA"));
        selectDocType(type);
        QCOMPARE(tabs->tabText(0), type);
        QCOMPARE(model()->getDocType(), type);
    }

    // The reset asks first; only Ok on the invoice tab drops the invoice.
    void reset_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("invoice tab, Ok") << 0 << QMessageBox::Ok << true;
        QTest::newRow("invoice tab, Cancel") << 0 << QMessageBox::Cancel << false;
        QTest::newRow("search tab, Ok") << 1 << QMessageBox::Ok << false;
        QTest::newRow("search tab, Cancel") << 1 << QMessageBox::Cancel << false;
        QTest::newRow("customer tab, Ok") << 2 << QMessageBox::Ok << false;
    }

    void reset()
    {
        QFETCH(int, tab);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, dropped);
        driver.reset();
        driver = std::make_unique<WindowDriver>(customerOnDisk);

        selectDocType(QStringLiteral("NOTA DI CREDITO"));
        driver->find<QComboBox>(QStringLiteral("customerCodeCombo"))->setCurrentIndex(1);
        QVERIFY(driver->find<QWidget>(QStringLiteral("paymentCombo"))->isEnabled());
        addRows(2);
        editCell(0, Quantity, QStringLiteral("2"));
        editCell(0, Price, QStringLiteral("50"));
        editCell(1, Code, QStringLiteral("B7"));
        driver->type(QStringLiteral("numFLineEdit"), QStringLiteral("17"));
        driver->type(QStringLiteral("deliveryTotal_LineEdit"), QStringLiteral("10"));
        QTest::keyClicks(driver->find<QTextEdit>(QStringLiteral("f_note")), QStringLiteral("consegna al mattino"));
        const QList<int> ids = model()->lineItemIds();

        driver->find<QTabWidget>(QStringLiteral("mainTab"))->setCurrentIndex(tab);
        driver->answer(answer);
        driver->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(driver->window()));
        QTest::keyClick(driver->window(), Qt::Key_R, Qt::ControlModifier);

        QCOMPARE(driver->boxes().size(), 1);
        const WindowDriver::Box box = driver->boxes().first();
        QCOMPARE(box.text, QStringLiteral("Conferma l'operazione di annullamento dei dati correnti ?"));
        QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton, QMessageBox::Cancel);
        QCOMPARE(box.icon, QMessageBox::Warning);

        QCOMPARE(driver->find<QTabWidget>(QStringLiteral("mainTab"))->tabText(0), QStringLiteral("NOTA DI CREDITO"));
        QCOMPARE(model()->getDocType(), QStringLiteral("NOTA DI CREDITO"));
        if (!dropped) {
            QCOMPARE(table()->rowCount(), 2);
            QCOMPARE(model()->lineItemIds(), ids);
            QCOMPARE(cell(1, Code), QStringLiteral("B7"));
            QCOMPARE(text("InvoiceTotalPlusIva_LineEdit"), QStringLiteral("132,00"));
            QCOMPARE(model()->getNumFattura(), 17);
            QCOMPARE(model()->getFNote(), QStringLiteral("consegna al mattino"));
            QVERIFY(model()->hasInvoiceCustomer());
            QCOMPARE(driver->find<QLabel>(QStringLiteral("RS_LabelSelCustomer"))->text(), QStringLiteral("FERRAMENTA ROSSI"));
            QVERIFY(driver->find<QWidget>(QStringLiteral("paymentCombo"))->isEnabled());
            return;
        }
        QCOMPARE(table()->rowCount(), 0);
        QVERIFY(model()->lineItemIds().isEmpty());
        expectTotals(QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("0,00"));
        QCOMPARE(model()->getTotale(), 0.0);
        QCOMPARE(text("deliveryTotal_LineEdit"), QStringLiteral("0,00"));
        QCOMPARE(text("numFLineEdit"), QStringLiteral("0"));
        QCOMPARE(model()->getFNote(), QString());
        QCOMPARE(driver->find<QTextEdit>(QStringLiteral("f_note"))->toPlainText(), QString());
        QCOMPARE(model()->getFDate(), QDate::currentDate());
        QVERIFY(!model()->hasInvoiceCustomer());
        QCOMPARE(driver->find<QLabel>(QStringLiteral("RS_LabelSelCustomer"))->text(), QString());
        QCOMPARE(driver->find<QComboBox>(QStringLiteral("customerCodeCombo"))->currentText(), QStringLiteral(" "));
        for (const QString& name : paymentWidgets)
            QVERIFY2(!driver->find<QWidget>(name)->isEnabled(), qPrintable(name));

        // the new invoice's rows continue the numbering of line items
        addRows(1);
        QCOMPARE(header(0), QStringLiteral("1"));
        QCOMPARE(idOfRow(0), ids.last() + 1);
        editCell(0, Price, QStringLiteral("5"));
        editCell(0, Quantity, QStringLiteral("1"));
        QCOMPARE(text("InvoiceTotalAmount_LineEdit"), QStringLiteral("5,00"));
    }

    // The VAT rate is a whole percentage; the field always shows the rate the totals use.
    void vatRate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("vat"); // on one row of 100,00
        QTest::newRow("whole") << "10" << 10 << "10,00";
        QTest::newRow("with blanks") << " 4 " << 4 << "4,00";
        QTest::newRow("zero") << "0" << 0 << "0,00";
        QTest::newRow("decimal comma") << "10,5" << 22 << "22,00";
        QTest::newRow("no number") << "abc" << 22 << "22,00";
        QTest::newRow("negative") << "-5" << 22 << "22,00";
    }

    void vatRate()
    {
        QFETCH(QString, typed);
        QFETCH(int, rate);
        addRows(1);
        editCell(0, Quantity, QStringLiteral("1"));
        editCell(0, Price, QStringLiteral("100"));
        driver->type(QStringLiteral("ivaEdit"), typed);
        QCOMPARE(text("ivaEdit"), QString::number(rate));
        QCOMPARE(model()->getIva(), rate);
        QCOMPARE(model()->preferenceField(QStringLiteral("IVA_FIELD")), QString::number(rate));
        QTEST(text("InvoiceTotalIva_LineEdit"), "vat");
        QCOMPARE(model()->getTotaleIva(), rate * 1.0);
    }

    // Costs and parcel data: the field shows the stored amount, a text that is no number
    // keeps the amount before it; only the costs enter the total (one row of 100,00 + 22 %).
    void costsAndParcels_data()
    {
        QTest::addColumn<QString>("lineEdit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("total");
        QTest::newRow("transport") << "deliveryTotal_LineEdit" << "12,5" << "12,50" << 12.5 << "134,50";
        QTest::newRow("sundry") << "varieTotal_LineEdit" << "1.25" << "1,25" << 1.25 << "123,25";
        QTest::newRow("bank charges") << "SpeseBancarie_LineEdit" << "2,5" << "2,50" << 2.5 << "124,50";
        QTest::newRow("parcels") << "nColli_LineEdit" << "4" << "4,00" << 4.0 << "122,00";
        QTest::newRow("net weight") << "nettoTotaleLineEdit" << "10,25" << "10,25" << 10.25 << "122,00";
        QTest::newRow("gross weight") << "TotaleLordo_LineEdit" << "1.250,5" << "1250,50" << 1250.5 << "122,00";
        QTest::newRow("negative transport") << "deliveryTotal_LineEdit" << "-5" << "0,00" << 0.0 << "122,00";
    }

    void costsAndParcels()
    {
        QFETCH(QString, lineEdit);
        QFETCH(QString, shown);
        const QMap<QString, double (ModelFacade::*)() const> stored = {
            {"deliveryTotal_LineEdit", &ModelFacade::getTrasporto},     {"varieTotal_LineEdit", &ModelFacade::getVarie},
            {"ImballoTotal_LineEdit", &ModelFacade::getImballo},        {"SpeseBancarie_LineEdit", &ModelFacade::getSpeseBancarie},
            {"nColli_LineEdit", &ModelFacade::getColli},                {"PesoColliLineEdit", &ModelFacade::getPesoColli},
            {"nettoTotaleLineEdit", &ModelFacade::getNettoTotaleColli}, {"TotaleLordo_LineEdit", &ModelFacade::getLordoColli}};
        const auto value = [&] { return (model()->*stored.value(lineEdit))(); };
        addRows(1);
        editCell(0, Quantity, QStringLiteral("1"));
        editCell(0, Price, QStringLiteral("100"));

        driver->type(lineEdit, QStringLiteral("7")); // replaced by what follows
        QFETCH(QString, typed);
        driver->type(lineEdit, typed);
        QCOMPARE(driver->find<QLineEdit>(lineEdit)->text(), shown);
        QTEST(value(), "stored");
        QTEST(text("InvoiceTotalPlusIva_LineEdit"), "total");

        driver->type(lineEdit, QStringLiteral("tre"));
        QCOMPARE(driver->find<QLineEdit>(lineEdit)->text(), shown);
        QTEST(value(), "stored");
    }
};

QTEST_MAIN(InvoiceTabTest)
#include "tst_invoicetab.moc"
