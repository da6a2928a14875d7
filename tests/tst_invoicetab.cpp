// The invoice tab driven as a user drives it: typing into the fields, editing the cells of
// the line-item table, pressing the buttons and answering the boxes; each check reads both
// what the widgets show and what the model holds.
#include "windowdriver.h"

#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "umcombobox.h"

#include <QtTest>
#include <QtWidgets>

class InvoiceTabTest : public QObject
{
    Q_OBJECT

    enum Column { Code, Description, Unit, Quantity, Price, Discount, Amount, Vat };
    std::unique_ptr<WindowDriver> driver;

    static ModelFacade* model() { return ModelFacade::instance(); }
    QTableWidget* table() const { return driver->find<QTableWidget>("lineItemsTable"); }
    QString cell(int row, int column) const { return table()->item(row, column)->text(); }
    UmComboBox* unitCombo(int row) const { return qobject_cast<UmComboBox*>(table()->cellWidget(row, Unit)); }
    int idOfRow(int row) const { return unitCombo(row)->getLineItemId(); }
    QString field(int row, int col) const { return model()->getLineItemField(idOfRow(row), ModelFacade::lineItemFieldKeys().at(col)); }
    QString header(int row) const { return table()->verticalHeaderItem(row)->text(); }
    // The cell takes the text as when the user finishes editing it.
    void editCell(int row, int column, const QString& value) { table()->item(row, column)->setText(value); }
    void addRows(int count)
    {
        while (count-- > 0)
            driver->click("addLineItemRow");
    }
    void addRow(const QString& quantity, const QString& price)
    {
        addRows(1);
        editCell(table()->rowCount() - 1, Quantity, quantity);
        editCell(table()->rowCount() - 1, Price, price);
    }
    QStringList totals() const
    {
        QStringList shown;
        for (const char* total : {"InvoiceTotalAmount_LineEdit", "InvoiceTotalIva_LineEdit", "InvoiceTotalPlusIva_LineEdit"})
            shown << driver->text(total);
        return shown;
    }

private Q_SLOTS:
    void init()
    {
        driver = std::make_unique<WindowDriver>([](TestHome& home) {
            WindowDriver::writeRecord(home, "customer", "C00001",
                                      {{CODE, "C00001"}, {RAGIONE_S, "FERRAMENTA ROSSI"}, {ADDRESS, "VIA ROMA 1"}, {LOCALITY, "ROMA"},
                                       {CITY, "RM"}, {PIVA, "01234567890"}, {NAZIONE, "ITALIA"}});
        });
    }
    void cleanup() { driver.reset(); }

    void fixedWindow_toolBar_tabLabelFollowsDocType()
    {
        driver->window()->resize(1200, 900);
        QCOMPARE(driver->window()->size(), QSize(959, 713));
        QCOMPARE(driver->window()->minimumSize(), driver->window()->maximumSize());

        QStringList actions;
        for (const QAction* action : driver->find<QToolBar>("mainToolBar")->actions())
            actions << (action->isSeparator() ? "|" : action->objectName() + ' ' + action->text() + ' '
                                                          + action->shortcut().toString());
        QCOMPARE(actions, (QStringList{"actionPreview ANTEPRIMA Ctrl+P", "actionReset RESET Ctrl+R", "|",
                                       "actionAzienda AZIENDA Ctrl+A", "actionPreferenze_trasporto PREFERENZE TRASPORTO ",
                                       "|", "actionExport ESPORTA I DATI ", "actionImportData IMPORTA I DATI ", "|"}));

        // the invoice tab is labelled with the document type
        auto* tabs = driver->find<QTabWidget>("mainTab");
        QCOMPARE(tabs->tabText(0), "FATTURA ACCOMPAGNATORIA");
        for (const QString type : {"FATTURA", "NOTA DI CREDITO", "NOTA DI DEBITO", "DOCUMENTO DI TRASPORTO",
                                   "FATTURA ACCOMPAGNATORIA"}) {
            driver->selectDocType(type);
            QCOMPARE(tabs->tabText(0), type);
            QCOMPARE(model()->getDocType(), type);
        }
    }

    // Prices typed with a decimal comma and with a point, a row discount, an invoice
    // discount, a new VAT rate and costs, whatever the locale (the test runs under several).
    void threeRowInvoice()
    {
        addRows(3);
        const QList<int> columns = {Code, Description, Quantity, Price, Discount, Amount, Vat};
        const QStringList typed[] = {{"VT-10", "Viti", "3", "12,40", "10"}, {"DD-6", "Dadi", "2", "7.25", ""},
                                     {"ST", "Staffa", "1,5", "100", ""}};
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < typed[row].size(); ++i)
                if (!typed[row].at(i).isEmpty())
                    editCell(row, columns.at(i), typed[row].at(i));

        // the cells show every number with a decimal comma, the model the same with a point
        const QStringList shown[] = {{"VT-10", "Viti", "3", "12,40", "10,00", "33,48", "22,00"},
                                     {"DD-6", "Dadi", "2", "7,25", "0,00", "14,50", "22,00"},
                                     {"ST", "Staffa", "1,5", "100,00", "0,00", "150,00", "22,00"}};
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < columns.size(); ++i) {
                QCOMPARE(cell(row, columns.at(i)), shown[row].at(i));
                QCOMPARE(field(row, columns.at(i)), QString(shown[row].at(i)).replace(',', '.'));
            }
        QCOMPARE(totals(), (QStringList{"197,98", "43,56", "241,54"}));

        driver->type("scontoClienteLineEdit", "4");
        QCOMPARE(driver->text("scontoClienteLineEdit"), "4,00");
        QCOMPARE(totals(), (QStringList{"190,06", "41,81", "231,87"}));
        driver->type("ivaEdit", "10");
        QCOMPARE(totals(), (QStringList{"190,06", "19,01", "209,07"}));
        for (int row = 0; row < 3; ++row) // every row shows the rate the totals use
            QCOMPARE(cell(row, Vat), "10,00");

        // costs and parcel data show the stored amount
        const QList<QStringList> costs = {{"deliveryTotal_LineEdit", "12,40", "12,40"}, {"varieTotal_LineEdit", "1.10", "1,10"},
                                          {"ImballoTotal_LineEdit", "3", "3,00"},      {"SpeseBancarie_LineEdit", "2,5", "2,50"},
                                          {"nColli_LineEdit", "4", "4,00"},            {"TotaleLordo_LineEdit", "1.250,5", "1250,50"}};
        for (const QStringList& cost : costs) {
            driver->type(cost.at(0), cost.at(1));
            QCOMPARE(driver->text(cost.at(0)), cost.at(2));
        }
        // the costs carry no VAT
        QCOMPARE(totals(), (QStringList{"190,06", "19,01", "228,07"}));
        QCOMPARE(model()->getTotale(), 228.07); // kept in cents, as shown
        QCOMPARE(model()->getLordoColli(), 1250.5);
    }

    // A double click opens an editor on the input cells only, not on IMPORTO and C.IVA.
    void onlyInputCellsEditable()
    {
        addRows(1);
        for (const int column : {Code, Description, Quantity, Price, Discount, Amount, Vat}) {
            const QPoint centre = table()->visualItemRect(table()->item(0, column)).center();
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, centre);
            QWidget* editor = table()->indexWidget(table()->model()->index(0, column));
            QCOMPARE(editor != nullptr, column < Amount);
            if (editor)
                QTest::keyClick(editor, Qt::Key_Escape);
        }
    }

    void deleteSecondOfFourRows_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("codesLeft");
        QTest::newRow("Ok") << true << QMessageBox::Ok << QStringList{"R1", "R3", "R4"};
        QTest::newRow("Cancel") << true << QMessageBox::Cancel << QStringList{"R1", "R2", "R3", "R4"};
        QTest::newRow("Ok, no row selected") << false << QMessageBox::Ok << QStringList{"R1", "R2", "R3", "R4"};
    }
    void deleteSecondOfFourRows()
    {
        QFETCH(bool, selected);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, codesLeft);
        QMap<QString, int> idOfCode;
        for (int row = 0; row < 4; ++row) {
            addRow("1", QString::number(row + 1));
            editCell(row, Code, QStringLiteral("R%1").arg(row + 1));
            idOfCode.insert(cell(row, Code), idOfRow(row));
        }
        table()->setCurrentCell(1, Description);
        if (!selected)
            table()->clearSelection();
        driver->answer(answer);
        driver->click("deleteLineItemsButton");

        QCOMPARE(driver->boxes().value(0).text, "Conferma l'eliminazione della riga corrente ?");
        QCOMPARE(table()->rowCount(), codesLeft.size());
        QCOMPARE(model()->lineItemIds().size(), codesLeft.size());
        QCOMPARE(totals().first(), codesLeft.size() == 3 ? "8,00" : "10,00");
        for (int row = 0; row < codesLeft.size(); ++row) {
            // each row still edits its own line item
            QCOMPARE(header(row), QString::number(row + 1));
            QCOMPARE(idOfRow(row), idOfCode.value(codesLeft.at(row)));
            editCell(row, Description, codesLeft.at(row));
            unitCombo(row)->setCurrentText("KG");
            QCOMPARE((QStringList{field(row, Code), field(row, Description), field(row, Unit)}),
                     (QStringList{codesLeft.at(row), codesLeft.at(row), "KG"}));
        }
        addRows(1); // numbered after the others
        QCOMPARE(header(codesLeft.size()), QString::number(codesLeft.size() + 1));
        QCOMPARE(idOfRow(codesLeft.size()), idOfCode.value("R4") + 1);
    }

    void textSize16_widensColumnsAndRows()
    {
        addRows(2);
        auto* sizes = driver->find<QComboBox>("textItemsCombo");
        sizes->setCurrentIndex(sizes->findText("12"));
        sizes->setCurrentIndex(sizes->findText("16"));
        addRows(1);
        QList<int> widths;
        for (int column = 0; column < table()->columnCount(); ++column)
            widths << table()->columnWidth(column);
        QCOMPARE(widths, (QList<int>{169, 325, 104, 130, 130, 104, 130, 65}));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(table()->rowHeight(row), 32);
        QCOMPARE(table()->font().pointSize(), 16);
    }

    // The reset asks first, on every tab; only Ok on the invoice tab drops the invoice.
    void reset_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("invoice tab, Ok") << 0 << QMessageBox::Ok;
        QTest::newRow("invoice tab, Cancel") << 0 << QMessageBox::Cancel;
        QTest::newRow("tab 1, Ok") << 1 << QMessageBox::Ok;
        QTest::newRow("tab 2, Ok") << 2 << QMessageBox::Ok;
    }
    void reset()
    {
        QFETCH(int, tab);
        QFETCH(QMessageBox::StandardButton, answer);
        driver->selectDocType("NOTA DI CREDITO");
        driver->find<QComboBox>("customerCodeCombo")->setCurrentIndex(1);
        addRow("2", "10");
        driver->type("numFLineEdit", "17");
        driver->type("deliveryTotal_LineEdit", "10");
        QTest::keyClicks(driver->find<QTextEdit>("f_note"), "consegna al mattino");
        const QList<int> ids = model()->lineItemIds();
        const auto state = [this] {
            return QStringList{driver->find<QTabWidget>("mainTab")->tabText(0), QString::number(table()->rowCount()),
                               totals().last(), driver->text("deliveryTotal_LineEdit"), driver->text("numFLineEdit"),
                               driver->find<QTextEdit>("f_note")->toPlainText(), model()->getFNote(),
                               driver->find<QLabel>("RS_LabelSelCustomer")->text(),
                               driver->find<QComboBox>("customerCodeCombo")->currentText(),
                               driver->find<QWidget>("IBAN_InvoiceLineEdit")->isEnabled() ? "payment" : "no payment",
                               QString::number(model()->lineItemIds().size()), model()->hasInvoiceCustomer() ? "customer" : "none"};
        };
        const QStringList before = state();
        QCOMPARE(before, (QStringList{"NOTA DI CREDITO", "1", "34,40", "10,00", "17", "consegna al mattino",
                                      "consegna al mattino", "FERRAMENTA ROSSI", "C00001", "payment", "1", "customer"}));

        driver->find<QTabWidget>("mainTab")->setCurrentIndex(tab);
        driver->answer(answer);
        driver->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(driver->window()));
        QTest::keyClick(driver->window(), Qt::Key_R, Qt::ControlModifier);

        QCOMPARE(driver->boxes().size(), 1);
        const WindowDriver::Box box = driver->boxes().first();
        QCOMPARE(box.text, "Conferma l'operazione di annullamento dei dati correnti ?");
        QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton, QMessageBox::Cancel);
        QCOMPARE(box.icon, QMessageBox::Warning);
        if (tab != 0 || answer != QMessageBox::Ok) {
            QCOMPARE(state(), before);
            return;
        }
        // the new document gets the next free number of its sequence
        QCOMPARE(state(), (QStringList{"NOTA DI CREDITO", "0", "0,00", "0,00", "1", "", "", "", " ", "no payment", "0", "none"}));
        QCOMPARE(model()->getFDate(), QDate::currentDate());
        addRow("1", "100"); // the new invoice's rows continue the numbering of line items
        QCOMPARE(idOfRow(0), ids.last() + 1);
    }

    // A typed number the model cannot take as typed is kept, red, with the reason in its tool
    // tip, until a good value replaces it; the totals are the model's all along.
    // NATURA and RIF. NORMATIVO are asked beside the rate while it is 0, and go with the document.
    void natura_askedOnlyAtRateZero_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("natura");
        QTest::newRow("rate 22: not asked") << "22" << "";
        QTest::newRow("rate 0, export") << "0" << "N3.1";
        QTest::newRow("rate 0, exempt") << "0" << "N4";
    }
    void natura_askedOnlyAtRateZero()
    {
        QFETCH(QString, rate);
        QFETCH(QString, natura);
        driver->type("ivaEdit", rate);
        auto* combo = driver->find<QComboBox>("naturaCombo");
        const bool asked = !natura.isEmpty();
        QCOMPARE(combo->isEnabled(), asked);
        QCOMPARE(driver->find<QLineEdit>("riferimentoEdit")->isEnabled(), asked);
        if (!asked)
            return;
        combo->setCurrentIndex(combo->findData(natura));
        driver->type("riferimentoEdit", "art. 8 c.1 lett. a DPR 633/72");
        const InvoiceData document = model()->currentDocument();
        QCOMPARE(document.natura, natura);
        QCOMPARE(document.riferimentoNormativo.toUpper(), "ART. 8 C.1 LETT. A DPR 633/72");
        driver->type("ivaEdit", "22");
        QVERIFY(!combo->isEnabled());
    }

    void typedNumber_markedUntilCorrected_data()
    {
        QTest::addColumn<QString>("field"); // a line edit, or a column of the first row
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("total");
        const QString amount = "Valore non valido: inserire un numero da 0 a 1.000.000.000.000, ad esempio 12,50";
        const QString whole = "Valore non valido: inserire un numero intero non negativo, ad esempio 22";
        QTest::newRow("quantity, letters") << "Quantity" << "tre" << amount << "0,00";
        QTest::newRow("quantity, lone comma") << "Quantity" << "," << amount << "0,00";
        QTest::newRow("price, grouped") << "Price" << "1.234,5" << "" << "1.506,09";
        QTest::newRow("discount, letters") << "Discount" << "abc" << amount << "122,00";
        QTest::newRow("cost, letters") << "deliveryTotal_LineEdit" << "abc" << amount << "122,00";
        QTest::newRow("cost, negative") << "deliveryTotal_LineEdit" << "-5" << amount << "122,00";
        QTest::newRow("cost, emptied") << "deliveryTotal_LineEdit" << "" << "" << "122,00";
        QTest::newRow("parcels, letters") << "nColli_LineEdit" << "due" << amount << "122,00";
        QTest::newRow("invoice discount, letters") << "scontoClienteLineEdit" << "x" << amount << "122,00";
        QTest::newRow("VAT, decimal comma") << "ivaEdit" << "10,5" << whole << "122,00";
        QTest::newRow("VAT, negative") << "ivaEdit" << "-5" << whole << "122,00";
        QTest::newRow("VAT, whole") << "ivaEdit" << " 10 " << "" << "110,00";
        QTest::newRow("number, letters")
            << "numFLineEdit" << "12a"
            << "Numero del documento non valido: \"12a\". Il numero deve essere un intero da 1 a 999999999." << "122,00";
    }
    void typedNumber_markedUntilCorrected()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, problem);
        QFETCH(QString, total);
        addRow("1", "100");
        const QMap<QString, int> columnOf = {{"Quantity", Quantity}, {"Price", Price}, {"Discount", Discount}};
        const auto enter = [&](const QString& value) {
            if (columnOf.contains(field))
                editCell(0, columnOf.value(field), value);
            else
                driver->type(field, value);
        };
        // what the field shows, its tool tip and its colour
        const auto shown = [&] {
            if (columnOf.contains(field)) {
                const QTableWidgetItem* item = table()->item(0, columnOf.value(field));
                return QStringList{item->text(), item->toolTip(), item->foreground().color().name()};
            }
            const auto* edit = driver->find<QLineEdit>(field);
            return QStringList{edit->text(), edit->toolTip(), edit->palette().color(QPalette::Text).name()};
        };
        enter(typed);
        QCOMPARE(totals().last(), total);
        if (!problem.isEmpty()) {
            QCOMPARE(shown(), (QStringList{typed, problem, "#ff0000"}));
            addRow("2", "5"); // other edits leave the marked field alone
            QCOMPARE(shown().first(), typed);
        } else {
            QCOMPARE(shown().at(1), QString());
        }
        enter("3");
        const QString corrected = QStringList{"Quantity", "ivaEdit", "numFLineEdit"}.contains(field) ? "3" : "3,00";
        QCOMPARE(shown().mid(0, 2), (QStringList{corrected, ""}));
        QVERIFY(shown().at(2) != "#ff0000");
    }

    // The totals read like the page, and a total of thirteen digits shows whole.
    void totals_groupedAndWhole_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("thousands") << "14330,29" << QStringList{"14.330,29", "3.152,66", "17.482,95"};
        QTest::newRow("thirteen digits") << "999999999999"
                                         << QStringList{"999.999.999.999,00", "219.999.999.999,78", "1.219.999.999.998,78"};
    }
    void totals_groupedAndWhole()
    {
        QFETCH(QString, price);
        addRow("1", price);
        QTEST(totals(), "shown");
        for (const char* name : {"InvoiceTotalAmount_LineEdit", "InvoiceTotalIva_LineEdit", "InvoiceTotalPlusIva_LineEdit"}) {
            const auto* total = driver->find<QLineEdit>(name);
            QVERIFY2(total->fontMetrics().horizontalAdvance(total->text()) + 8 < total->width(), name);
        }
    }
};

QTEST_MAIN(InvoiceTabTest)
#include "tst_invoicetab.moc"
