// What the user confirms is on disk when the confirmation returns, a save that fails is
// said and can be retried, and a terminated program closes in order.
#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "preferencekeys.h"
#include "questions.h"
#include "tmpfs.h"
#include "windowdriver.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <functional>

using Fields = QMap<QString, QString>;
using Confirmation = std::function<void(WindowDriver&)>;
Q_DECLARE_METATYPE(Confirmation)

namespace {

const Fields registered = {{CODE, "C00001"}, {RAGIONE_S, "MARIO ROSSI SRL"}, {ADDRESS, "VIA ROMA 1"}, {LOCALITY, "ROMA"},
                           {CITY, "RM"}, {PIVA, "01234567890"}, {NAZIONE, "ITALIA"}};

void prepare(TestHome& home)
{
    WindowDriver::writeRecord(home, "customer", "C00001", registered);
}

QByteArray dataFile(WindowDriver& driver, const QString& name)
{
    return readFile(driver.home().dataDir() + "/" + name);
}

void click(WindowDriver& driver, const QString& button)
{
    QTest::mouseClick(driver.find<QPushButton>(button), Qt::LeftButton);
}

// Opens a dialog with its action and presses Ok once `fill` has filled it in.
void acceptDialog(WindowDriver& driver, const char* action, const std::function<void(QWidget*)>& fill)
{
    WindowDriver::whenDialogShown([fill](QWidget* dialog) {
        fill(dialog);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    driver.window()->findChild<QAction*>(action)->trigger();
}

void addCustomer(WindowDriver& driver)
{
    driver.find<QTabWidget>("mainTab")->setCurrentIndex(2);
    for (const auto& [editor, text] : {std::pair{"RS_CustomerLineEdit", "bianchi spa"}, {"address_CustomerLineEdit", "via po 2"},
                                       {"Loc_CustomerLineEdit", "torino"}, {"PR_CustomerLineEdit", "to"},
                                       {"Iva_CustomerLineEdit", "09876543210"}, {"nazione_Customer", "italia"}})
        driver.type(editor, text);
    click(driver, "addCustomerButton");
}

} // namespace

class TestDurability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }
    void cleanup() { Questions::setAnswerer({}); }

    void confirmation_isOnDiskWhenItReturns_data()
    {
        QTest::addColumn<Confirmation>("confirm");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("AGGIUNGI") << Confirmation(addCustomer) << "customer_C00002.xml" << QByteArray("BIANCHI SPA");
        QTest::newRow("CONFERMA") << Confirmation([](WindowDriver& driver) {
            ModelFacade::instance()->selectInvoiceCustomer("C00001");
            driver.answer(QMessageBox::Ok);
            driver.window()->handleCustomerModification(); // MODIFICA
            driver.type("telephone_CustomerLineEdit", "06 1234");
            click(driver, "okEditCustomer");
        }) << "customer_C00001.xml" << QByteArray("06 1234");
        QTest::newRow("company OK") << Confirmation([](WindowDriver& driver) {
            acceptDialog(driver, "actionAzienda", [](QWidget* dialog) {
                dialog->findChild<QLineEdit*>("RS_CompanyLineEdit")->setText("acme srl");
                Q_EMIT dialog->findChild<QLineEdit*>("RS_CompanyLineEdit")->editingFinished();
            });
        }) << "company_AZ0001.xml" << QByteArray("ACME SRL");
        QTest::newRow("court city") << Confirmation([](WindowDriver& driver) {
            acceptDialog(driver, "actionAzienda",
                         [](QWidget* dialog) { dialog->findChild<QLineEdit*>("Foro_CompanyLineEdit")->setText("prato"); });
        }) << "preference_0.xml" << QByteArray("PRATO");
        QTest::newRow("transport OK") << Confirmation([](WindowDriver& driver) {
            acceptDialog(driver, "actionPreferenze_trasporto",
                         [](QWidget* dialog) { dialog->findChild<QComboBox*>("t_PortoField")->setCurrentText("ASSEGNATO"); });
        }) << "preference_0.xml" << QByteArray("ASSEGNATO");
        QTest::newRow("VAT rate") << Confirmation([](WindowDriver& driver) { driver.type("ivaEdit", "10"); })
                                  << "preference_0.xml" << QByteArray("<field name=\"IVA_FIELD\">10</field>");
    }

    // Each confirmation writes its record, as a kill right after it would find it.
    void confirmation_isOnDiskWhenItReturns()
    {
        QFETCH(Confirmation, confirm);
        QFETCH(QString, file);
        QFETCH(QByteArray, written);
        WindowDriver driver(prepare);
        driver.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(driver.window()));
        confirm(driver);
        QVERIFY2(dataFile(driver, file).contains(written), dataFile(driver, file).constData());
        QVERIFY(!ModelFacade::instance()->hasUnsavedRecords());
    }

    // A full disk: the confirmation says so at once and the customer stays registered; closing
    // asks, keeps the window open, retries once space is back, and then writes it.
    void fullDisk_saidAtOnce_retriedOnClosing()
    {
        std::unique_ptr<Tmpfs> disk;
        QString filler;
        WindowDriver driver([&](TestHome& home) {
            QDir().mkpath(home.dataDir());
            disk = std::make_unique<Tmpfs>(home.dataDir(), "size=64k");
            prepare(home);
            ModelFacade::instance()->loadPersistentData();
            QVERIFY(ModelFacade::instance()->savePersistentData()); // all there is, written before the disk fills up
            ModelFacade::destroyInstance();
            filler = home.dataDir() + "/filler";
            fillDisk(filler);
        });
        if (!disk->isMounted())
            QSKIP("needs root to mount a small file system");
        driver.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(driver.window()));
        addCustomer(driver);
        QCOMPARE(driver.boxes().value(0).text, "Cliente C00002 non salvato: disco pieno");
        QCOMPARE(ModelFacade::instance()->getCustomerCodes(), (QStringList{"C00001", "C00002"}));
        QVERIFY(ModelFacade::instance()->hasUnsavedRecords());

        QStringList asked;
        QList<QMessageBox::StandardButton> answers = {QMessageBox::Cancel, QMessageBox::Retry};
        Questions::setAnswerer([&](QMessageBox& box) {
            asked << box.text();
            if (answers.first() == QMessageBox::Retry)
                QFile::remove(filler); // the user makes room, then retries
            return int(answers.takeFirst());
        });
        QVERIFY(!driver.window()->close()); // "Non chiudere"
        QVERIFY(driver.window()->isVisible());
        QVERIFY(driver.window()->close()); // "Riprova", with room
        // the customer, the start of transport refreshed at start-up, and the document being typed
        QCOMPARE(asked, QStringList(2, "I dati non sono stati salvati: 2 record non scritti (disco pieno). "
                                       "Bozza del documento non salvata: disco pieno."));
        QVERIFY(dataFile(driver, "customer_C00002.xml").contains("BIANCHI SPA"));
        disk.reset();
    }

    // A preference file that cannot be read survives the start-up's refresh of the start of
    // transport and the close; only a confirmed preference replaces it.
    void unreadablePreferences_keptUntilConfirmed()
    {
        const QByteArray damaged("<preference>\n <entry id=\"0\">\n  <field name=\"IVA_FIELD\">10</field>\n  <field name=\"PORTO");
        WindowDriver driver([&damaged](TestHome& home) { home.writeDataFile("preference_0.xml", damaged); });
        QVERIFY(driver.window()->saveForClosing(false));
        QCOMPARE(dataFile(driver, "preference_0.xml"), damaged);
        driver.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(driver.window()));
        acceptDialog(driver, "actionPreferenze_trasporto", [](QWidget*) {});
        QVERIFY(dataFile(driver, "preference_0.xml").contains("PORTO_FIELD\">FRANCO<"));
    }

    void terminationSignal_closesInOrder_data()
    {
        QTest::addColumn<QList<int>>("signalsSent");
        QTest::addColumn<bool>("orderly");
        QTest::newRow("SIGTERM") << QList<int>{SIGTERM} << true;
        QTest::newRow("SIGHUP") << QList<int>{SIGHUP} << true;
        QTest::newRow("SIGINT") << QList<int>{SIGINT} << true;
        QTest::newRow("SIGTERM twice") << QList<int>{SIGTERM, SIGTERM} << true;
        QTest::newRow("SIGKILL") << QList<int>{SIGKILL} << false;
    }

    // The program itself, ended as a shutdown or `kill` ends it: what changed since the start
    // (the start of transport, refreshed in memory) is saved, and the log's last line says so.
    void terminationSignal_closesInOrder()
    {
        QFETCH(QList<int>, signalsSent);
        QFETCH(bool, orderly);
        const TestHome home;
        WindowDriver::writeRecord(const_cast<TestHome&>(home), "preference", "0", {{DATA_INIZIO_FIELD, "01/01/2000"}});
        const QString log = home.path() + "/.Quillbook/logfile.txt";
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(QUILLBOOK_PROGRAM, {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(log).contains("finestra mostrata"), 30000);
        for (const int signalNumber : signalsSent)
            ::kill(pid_t(program.processId()), signalNumber);
        QVERIFY(program.waitForFinished(30000));
        const QByteArray preferences = readFile(home.dataDir() + "/preference_0.xml");
        if (orderly) {
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QVERIFY(readFile(log).trimmed().endsWith("fine del programma, codice di uscita 0"));
            QVERIFY(!preferences.contains("01/01/2000"));
        } else {
            QCOMPARE(program.exitStatus(), QProcess::CrashExit);
            QVERIFY(preferences.contains("01/01/2000"));
        }
        QVERIFY(QDir(home.dataDir()).entryList(QDir::Files).filter(".xml.").isEmpty());
    }
};

QTEST_MAIN(TestDurability)
#include "tst_durability.moc"
