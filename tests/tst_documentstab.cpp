// Issued documents seen from the window: recording on the first print, the proposed and
// refused numbers, the DOCUMENTI tab and its actions, the draft that survives a restart.
#include "einvoiceparties.h"
#include "modelhome.h"
#include "windowdriver.h"

#include "companykeys.h"
#include "documentregister.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "myclass.h"
#include "questions.h"
#include "stampavuota.h"

#include <QtTest>
#include <QtWidgets>
#include <QPrintDialog>
#include <QPrinter>

namespace {

const int year = QDate::currentDate().year();

InvoiceData document(const QString& type, int number, const QDate& date, const QString& customer = QStringLiteral("ROSSI SRL"))
{
    InvoiceData data;
    data.docType = type;
    data.number = number;
    data.date = date;
    data.customer = {{CODE, "C00001"}, {RAGIONE_S, customer}};
    data.rows = {{{LineItemKey::description, "TAVOLO"}, {LineItemKey::amount, "2"}, {LineItemKey::prize, "50"}}};
    data.ivaPercent = 22;
    data.totalImp = 100;
    data.totaleIva = 22;
    data.totale = 122;
    return data;
}

// A document the exchange system accepts: both parties complete, one row, totals that agree.
InvoiceData eInvoiceDocument(const QString& type, int number, const QString& recipient = QStringLiteral("ABC1234"))
{
    InvoiceData data = document(type, number, QDate(year, 2, 3));
    data.company = acceptedSeller();
    data.customer = acceptedBuyer();
    data.customer.insert(CODICE_DESTINATARIO, recipient);
    data.rows.first().insert({{LineItemKey::code, "T1"}, {LineItemKey::um, "PZ"}, {LineItemKey::sconto, "0"},
                              {LineItemKey::total_amount, "100.00"}, {LineItemKey::c_iva, "22.00"}});
    data.totaleMerci = 100;
    data.payment = "CONTANTI";
    data.modalitaPagamento = "MP01";
    return data;
}

DocumentRegister& documents()
{
    return *ModelFacade::instance()->documentRegister();
}

} // namespace

class DocumentsTabTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowDriver> driver;
    QString printed; // the PDF the print dialog prints to

    void issue(const InvoiceData& data) { QCOMPARE(documents().issue(data, true), DocumentRegister::IssueResult::Issued); }
    void setDate(const QDate& date)
    {
        auto* edit = driver->find<QDateEdit>("FDate_LineEdit");
        edit->setDate(date);
        Q_EMIT edit->editingFinished();
    }
    void addRow()
    {
        driver->click("addLineItemRow");
        driver->find<QTableWidget>("lineItemsTable")->item(0, 1)->setText("SEDIA");
    }
    bool readOnly() const
    {
        return !driver->find<QWidget>("numFLineEdit")->isEnabled() && driver->find<QLabel>("readOnlyBanner")->isVisible();
    }
    QStringList listedNumbers() const
    {
        const QAbstractItemModel* rows = driver->find<QTableView>("documentsTable")->model();
        QStringList numbers;
        for (int row = 0; row < rows->rowCount(); ++row)
            numbers << rows->index(row, 0).data().toString();
        return numbers;
    }
    void selectListed(int row)
    {
        driver->showTab(3);
        driver->find<QTableView>("documentsTable")->selectRow(row);
    }
    QString firstDescription() const { return driver->find<QTableWidget>("lineItemsTable")->item(0, 1)->text(); }
    // one window and one model at a time: the old one goes before the new one comes
    void restart(const std::function<void(TestHome&)>& prepare) { driver.reset(); driver = std::make_unique<WindowDriver>(prepare); }
    bool fileInData(const QString& name) const { return QFile::exists(driver->home().dataDir() + '/' + name); }

private Q_SLOTS:
    void init()
    {
        driver = std::make_unique<WindowDriver>([](TestHome& home) {
            WindowDriver::writeRecord(home, "customer", "C00001",
                                      {{CODE, "C00001"}, {RAGIONE_S, "ROSSI SRL (OGGI)"}, {PIVA, "01234567890"}});
        });
        printed = driver->home().path() + QStringLiteral("/stampa.pdf");
        Questions::setDialogRunner([this](QDialog& dialog) {
            auto* printDialog = qobject_cast<QPrintDialog*>(&dialog);
            if (printDialog)
                printDialog->printer()->setOutputFileName(printed);
            return int(printDialog ? QDialog::Accepted : QDialog::Rejected);
        });
    }
    void cleanup()
    {
        Questions::setDialogRunner({});
        Questions::setFileChooser({});
        stampaVuota = false;
        driver.reset();
    }

    // STAMPA of a document not yet issued asks once whether to record it.
    void print_recordsWhenAsked_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<bool>("isPrinted");
        using B = QMessageBox::StandardButton;
        QTest::newRow("yes") << "" << QList<B>{B::Yes} << 1 << true << true;
        QTest::newRow("no: printed, not recorded") << "" << QList<B>{B::No} << 1 << false << true;
        QTest::newRow("blank form: no question") << "blank" << QList<B>{} << 0 << false << true;
        QTest::newRow("number taken: refused") << "taken" << QList<B>{B::Yes, B::Ok} << 2 << false << false;
        QTest::newRow("earlier date, confirmed") << "earlier" << QList<B>{B::Yes, B::Ok} << 2 << true << true;
        QTest::newRow("earlier date, declined") << "earlier" << QList<B>{B::Yes, B::Cancel} << 2 << false << false;
        QTest::newRow("number refused while typed") << "letters" << QList<B>{B::Ok, B::Ok} << 2 << false << false;
    }
    void print_recordsWhenAsked()
    {
        QFETCH(QString, setting);
        QFETCH(QList<QMessageBox::StandardButton>, answers);
        QFETCH(int, boxes);
        QFETCH(bool, recorded);
        QFETCH(bool, isPrinted);
        const QDate date(year, 3, 10);
        if (setting == "earlier")
            issue(document("FATTURA", 1, QDate(year, 3, 20)));
        setDate(date);
        driver->selectDocType("FATTURA");
        addRow();
        if (setting == "taken") {
            issue(document("FATTURA", 5, date));
            driver->type("numFLineEdit", "5");
        }
        if (setting == "letters")
            driver->type("numFLineEdit", "5x");
        stampaVuota = setting == "blank";
        const int number = ModelFacade::instance()->getNumFattura();
        for (const QMessageBox::StandardButton answer : answers)
            driver->answer(answer);

        driver->click("printButton");
        QCOMPARE(driver->boxes().size(), boxes);
        if (setting.isEmpty() || setting == "earlier")
            QCOMPARE(driver->boxes().first().text, QStringLiteral("Registrare il documento N. %1 del 10/03/%2?").arg(number).arg(year));
        if (setting == "letters") // refused on leaving the field, before any printing
            QVERIFY(driver->boxes().first().text.contains("da 1 a 999999999"));
        QCOMPARE(documents().entries(year).size(), qsizetype(setting == "taken" || setting == "earlier") + recorded);
        QCOMPARE(readOnly(), recorded);
        QCOMPARE(QFile::exists(printed), isPrinted);
        if (!recorded)
            return;
        // an issued document is printed again as it is: no question, the same number
        QFile::remove(printed);
        driver->click("printButton");
        QCOMPARE(driver->boxes().size(), boxes);
        QVERIFY(QFile::exists(printed));
        QCOMPARE(driver->text("numFLineEdit"), QString::number(number));
        // RESET starts a new document with the next number
        driver->reset(QMessageBox::Ok);
        QVERIFY(!readOnly());
        QCOMPARE(driver->text("numFLineEdit"), QString::number(documents().nextNumber("FATTURA", QDate::currentDate().year())));
    }

    // N.FATTURA proposes the next number of the type's sequence in the date's year, or takes
    // the one typed (a refused number: see the printing above).
    void number_proposedAndChecked_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("dateYear");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("credit notes of their own") << "NOTA DI CREDITO" << year << "" << "2";
        QTest::newRow("a new year starts again") << "FATTURA" << year + 1 << "" << "1";
        QTest::newRow("typed by hand") << "FATTURA" << year << "42" << "42";
    }
    void number_proposedAndChecked()
    {
        QFETCH(QString, type);
        QFETCH(int, dateYear);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        for (int number = 1; number <= 3; ++number)
            issue(document(number == 2 ? "NOTA DI DEBITO" : "FATTURA", number, QDate(year, 1, number)));
        issue(document("NOTA DI CREDITO", 1, QDate(year, 1, 5)));
        driver->selectDocType(type);
        setDate(QDate(dateYear, 6, 1));
        if (!typed.isEmpty())
            driver->type("numFLineEdit", typed);
        QCOMPARE(QString::number(ModelFacade::instance()->getNumFattura()), shown);
        QVERIFY(driver->boxes().isEmpty());
    }

    // The register's years, a search, and the files that cannot be trusted shown marked.
    void list_yearsSearchAndMarks_data()
    {
        QTest::addColumn<QString>("yearShown");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("this year, newest first") << QString::number(year) << "" << QStringList{"3", "2", "1", "9"};
        QTest::newRow("last year") << QString::number(year - 1) << "" << QStringList{"7"};
        QTest::newRow("customer, every year") << "TUTTI" << "bianchi" << QStringList{"2", "7"};
    }
    void list_yearsSearchAndMarks()
    {
        QFETCH(QString, yearShown);
        QFETCH(QString, search);
        QFETCH(QStringList, numbers);
        const QByteArray damagedFile = "<!DOCTYPE document>\n<document><entry id=";
        restart([&](TestHome& home) {
            home.writeDataFile(QStringLiteral("document_FT_%1_000009.xml").arg(year), damagedFile);
        });
        issue(document("FATTURA", 1, QDate(year, 1, 10)));
        issue(document("FATTURA", 2, QDate(year, 1, 11), "BIANCHI SNC"));
        issue(document("FATTURA", 3, QDate(year, 1, 12)));
        issue(document("FATTURA", 7, QDate(year - 1, 5, 1), "Bianchi snc"));
        auto* years = driver->find<QComboBox>("documentYearCombo");
        years->setCurrentText(yearShown);
        driver->find<QLineEdit>("documentSearchEdit")->setText(search);
        QCOMPARE(listedNumbers(), numbers);
        if (!numbers.contains("9"))
            return;
        // the damaged file keeps its number, is marked and offers nothing to do
        const int damaged = int(numbers.indexOf("9"));
        const QModelIndex damagedRow = driver->find<QTableView>("documentsTable")->model()->index(damaged, 2);
        QCOMPARE(damagedRow.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        QVERIFY(!damagedRow.data(Qt::ToolTipRole).toString().isEmpty());
        selectListed(damaged);
        QVERIFY(!driver->find<QPushButton>("openDocumentButton")->isEnabled());
        QCOMPARE(documents().nextNumber("FATTURA", year), 10);
        QCOMPARE(years->itemText(0), QString::number(year));
    }

    // What the buttons of DOCUMENTI do with the selected invoice.
    void actions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("readOnlyShown");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("linkedNumber");
        QTest::newRow("open") << "openDocumentButton" << true << "FATTURA" << 3 << 0;
        QTest::newRow("duplicate") << "duplicateDocumentButton" << false << "FATTURA" << 4 << 0;
        QTest::newRow("credit note") << "creditNoteButton" << false << "NOTA DI CREDITO" << 1 << 3;
    }
    void actions()
    {
        QFETCH(QString, button);
        QFETCH(bool, readOnlyShown);
        QFETCH(int, number);
        QFETCH(int, linkedNumber);
        const QDate issued(year, 1, 15);
        issue(document("FATTURA", 3, issued));
        addRow(); // something typed: replacing it is asked first
        driver->answer(QMessageBox::Ok);
        selectListed(0);
        driver->click(button);
        QCOMPARE(driver->boxTexts(), QStringList{"Il documento in preparazione sarà sostituito e non potrà essere recuperato. Continuare?"});
        QCOMPARE(driver->find<QTabWidget>("mainTab")->currentIndex(), 0);
        QCOMPARE(readOnly(), readOnlyShown);
        const InvoiceData shown = ModelFacade::instance()->currentDocument();
        QTEST(driver->find<QComboBox>("docTypeSelection")->currentText(), "type");
        QCOMPARE(driver->text("numFLineEdit"), QString::number(number));
        QCOMPARE(shown.rows.size(), 1);
        QCOMPARE(firstDescription(), "TAVOLO");
        // an issued document shows its customer as issued; a new one takes the registry's
        QCOMPARE(driver->find<QLabel>("RS_LabelSelCustomer")->text(), readOnlyShown ? "ROSSI SRL" : "ROSSI SRL (OGGI)");
        QCOMPARE(shown.date, readOnlyShown ? issued : QDate::currentDate());
        QCOMPARE(shown.linkedNumber, linkedNumber);
        QCOMPARE(shown.linkedDate, linkedNumber ? issued : QDate());
    }

    // RISTAMPA and ESPORTA PDF of an issued document: no question, the proposed file name.
    void reprintAndPdf_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("reprint") << "reprintDocumentButton";
        QTest::newRow("pdf from the register") << "exportDocumentButton";
        QTest::newRow("pdf of the typed document") << "exportPdfButton";
    }
    void reprintAndPdf()
    {
        QFETCH(QString, button);
        issue(document("FATTURA", 42, QDate(year, 12, 6), "ROSSI/SRL"));
        QString proposed;
        Questions::setFileChooser([&](QFileDialog& dialog) {
            proposed = QFileInfo(dialog.selectedFiles().value(0)).fileName();
            return printed;
        });
        if (button == "exportPdfButton") {
            driver->selectDocType("FATTURA");
            setDate(QDate(year, 12, 7));
            driver->answer(QMessageBox::Yes);
        } else {
            selectListed(0);
        }
        driver->click(button);
        QVERIFY(QFile::exists(printed));
        if (button == "exportPdfButton") {
            QCOMPARE(proposed, QStringLiteral("FATTURA_%1_43.pdf").arg(year));
            QCOMPARE(driver->boxTexts(), QStringList{QStringLiteral("Registrare il documento N. 43 del 07/12/%1?").arg(year)});
            QVERIFY(documents().isIssued("FATTURA", year, 43));
        } else {
            QCOMPARE(proposed, button == "reprintDocumentButton" ? QString() : QStringLiteral("FATTURA_%1_42_ROSSI SRL.pdf").arg(year));
            QVERIFY(driver->boxes().isEmpty());
        }
    }

    // ESPORTA FATTURA ELETTRONICA asks the folder once, then writes there what the exchange
    // system accepts, or lists what stops it; a transport document has none.
    void eInvoice_writtenIntoTheChosenFolder_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("registered"); // the customer's recipient code in today's registry
        QTest::addColumn<QString>("shown"); // the box's text; empty: the button is disabled
        const QString written = QStringLiteral("Fattura elettronica scritta.");
        QTest::newRow("from the register") << "eInvoiceDocumentButton" << "FATTURA" << "ABC1234" << "" << written;
        QTest::newRow("issued document shown") << "eInvoiceButton" << "NOTA DI DEBITO" << "ABC1234" << "" << written;
        QTest::newRow("recipient code given after issuing")
            << "eInvoiceDocumentButton" << "FATTURA" << "" << "ABC1234" << written;
        QTest::newRow("no recipient code") << "eInvoiceDocumentButton" << "FATTURA" << "" << ""
                                           << QStringLiteral("La fattura elettronica di FATTURA N. 5 del 03/02/%1 "
                                                             "non è stata scritta.").arg(year);
        QTest::newRow("transport document") << "eInvoiceDocumentButton" << "DOCUMENTO DI TRASPORTO" << "ABC1234" << ""
                                            << "";
    }
    void eInvoice_writtenIntoTheChosenFolder()
    {
        QFETCH(QString, button);
        QFETCH(QString, type);
        QFETCH(QString, recipient);
        QFETCH(QString, registered);
        QFETCH(QString, shown);
        InvoiceData issued = eInvoiceDocument(type, 5, recipient);
        if (!registered.isEmpty())
            issued.customer.insert(CODE, registerCustomer(ModelFacade::instance(), "ROSSI SRL",
                                                          {{CODICE_DESTINATARIO, registered}}));
        issue(issued);
        const QString folder = driver->home().path() + "/sdi";
        QDir().mkpath(folder);
        int asked = 0;
        Questions::setFileChooser([&](QFileDialog&) { ++asked; return folder; });
        selectListed(0);
        if (button == "eInvoiceButton")
            driver->click("openDocumentButton");
        QCOMPARE(driver->find<QPushButton>(button)->isEnabled(), !shown.isEmpty());
        if (shown.isEmpty())
            return;
        for (int time = 0; time < 2; ++time)
            driver->click(button);
        QCOMPARE(asked, 1);
        QCOMPARE(driver->boxTexts(), QStringList(2, shown));
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QCOMPARE(files.size(), shown == "Fattura elettronica scritta." ? 2 : 0);
        const QString summary = driver->boxes().first().informativeText;
        if (files.isEmpty()) {
            QVERIFY2(summary.contains("CODICE DESTINATARIO"), qPrintable(summary));
            return;
        }
        QVERIFY2(summary.contains("ROSSI SRL") && summary.contains("122,00") && summary.contains("File: " + files.first()),
                 qPrintable(summary));
        QVERIFY(files.first().startsWith("IT01234567897_"));
    }

    // The year's electronic invoices in one zip, with the documents left out and why.
    void eInvoice_yearIntoOneZip()
    {
        issue(eInvoiceDocument("FATTURA", 1));
        issue(eInvoiceDocument("FATTURA", 2, QString()));
        issue(eInvoiceDocument("DOCUMENTO DI TRASPORTO", 1));
        const QString zip = driver->home().path() + "/anno.zip";
        Questions::setFileChooser([&](QFileDialog&) { return zip; });
        driver->showTab(3);
        driver->find<QComboBox>("documentYearCombo")->setCurrentText("TUTTI");
        QVERIFY(!driver->find<QPushButton>("yearEInvoicesButton")->isEnabled());
        driver->find<QComboBox>("documentYearCombo")->setCurrentText(QString::number(year));
        driver->click("yearEInvoicesButton");
        QVERIFY(QFile::exists(zip));
        QCOMPARE(driver->boxTexts(), QStringList{QStringLiteral("Fatture elettroniche dell'anno %1 esportate: 1 in %2.")
                                             .arg(year).arg(QDir::toNativeSeparators(zip))});
        const QString refused = driver->boxes().first().informativeText;
        QVERIFY2(refused.contains("N. 2") && refused.contains("CODICE DESTINATARIO") && !refused.contains("TRASPORTO"),
                 qPrintable(refused));
    }

    // The document being typed comes back after a restart; RESET and issuing discard it.
    void draft_survivesRestart_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("restored");
        QTest::newRow("window closed") << "close" << true;
        QTest::newRow("killed after a pause") << "pause" << true;
        QTest::newRow("reset") << "reset" << false;
        QTest::newRow("issued") << "issue" << false;
    }
    void draft_survivesRestart()
    {
        QFETCH(QString, end);
        QFETCH(bool, restored);
        driver->selectDocType("NOTA DI DEBITO");
        addRow();
        driver->find<QTextEdit>("f_note")->setPlainText("consegna al mattino");
        if (!restored) { // a draft is there to discard
            QVERIFY(driver->window()->saveForClosing(false));
            QVERIFY(fileInData("draft_0.xml"));
        }
        if (end == "close")
            QVERIFY(driver->window()->close());
        else if (end == "pause")
            QTRY_VERIFY_WITH_TIMEOUT(fileInData("draft_0.xml"), 4000);
        else if (end == "reset")
            driver->reset(QMessageBox::Ok);
        else
            driver->answer(QMessageBox::Yes), driver->click("printButton"); // issued on printing
        QCOMPARE(fileInData("draft_0.xml"), restored);
        if (!restored)
            return;
        const QByteArray draft = readFile(driver->home().dataDir() + "/draft_0.xml");
        restart([&](TestHome& home) { home.writeDataFile("draft_0.xml", draft); });
        QCOMPARE(driver->find<QComboBox>("docTypeSelection")->currentText(), "NOTA DI DEBITO");
        QCOMPARE(firstDescription(), "SEDIA");
        QCOMPARE(driver->find<QTextEdit>("f_note")->toPlainText(), "consegna al mattino");
        QCOMPARE(driver->text("numFLineEdit"), "1");
        QVERIFY(!readOnly());
    }
};

QTEST_MAIN(DocumentsTabTest)
#include "tst_documentstab.moc"
