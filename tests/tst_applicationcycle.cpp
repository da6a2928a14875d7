// The program's cycles as the entry point runs them: each with its own application object,
// window and model. runApplicationCycles builds the QApplication itself, so this test runs
// without one of its own.
#include "applicationcycle.h"

#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "questions.h"
#include "testhome.h"

#include <QtTest>
#include <QtWidgets>

static int savesLogged = 0;
static QtMessageHandler testLogHandler = nullptr;

static void countSaves(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    savesLogged += message.startsWith("SAVE DATA") ? 1 : 0;
    testLogHandler(type, context, message);
}

static QString dataFile(const QString& name) { return QDir::homePath() + "/.Quillbook/data/" + name; }

static void registerCustomer(const QString& name)
{
    ModelFacade* model = ModelFacade::instance();
    model->newCustomer();
    model->setCustomerField(RAGIONE_S, name);
    for (const auto& [key, value] : {std::pair{ADDRESS, "via roma 1"}, {LOCALITY, "roma"}, {CITY, "rm"},
                                     {PIVA, "01234567890"}, {NAZIONE, "italia"}})
        model->setCustomerField(key, value);
    model->addCustomer(nullptr);
}

static void trigger(MyClass* window, const char* action) { window->findChild<QAction*>(action)->trigger(); }

using Cycle = std::function<void(MyClass*)>;

// Runs the program with one action per cycle, each started once the cycle's event loop
// runs; an action ends its cycle. Gives the exit code and the number of cycles run.
static std::pair<int, int> runCycles(const QList<Cycle>& cycles)
{
    static char name[] = "tst_applicationcycle";
    char* argv[] = {name, nullptr};
    int argc = 1;
    int cyclesRun = 0;
    const int exitCode = runApplicationCycles(argc, argv, [&](MyClass* window) {
        const Cycle act = cycles.value(cyclesRun++, [](MyClass* extra) { extra->close(); });
        QTimer::singleShot(0, window, [window, act] { act(window); });
    });
    return {exitCode, cyclesRun};
}

class ApplicationCycleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        savesLogged = 0;
        testLogHandler = qInstallMessageHandler(countSaves);
    }
    void cleanup()
    {
        qInstallMessageHandler(testLogHandler);
        Questions::setAnswerer({});
        Questions::setFileChooser({});
        Questions::setDialogRunner({});
    }

    // A first run, without even the program's directory: closing the window saves all.
    // The next run finds it; a restart there ends its cycle without saving, its window still
    // open with an edit unfinished, and the next cycle reads what is on disk. The program's
    // exit code is the last cycle's.
    void closingSaves_restartSkipsTheSaveAndReloads()
    {
        const TestHome home(TestHome::DataDir::Missing);
        bool shown = false;
        const auto [firstExitCode, firstCycles] = runCycles({[&](MyClass* window) {
            shown = window->isVisible() && QApplication::instance();
            registerCustomer("alfa ferramenta");
            ModelFacade::instance()->setCompanyField(RAGIONE_S, "quillbook srl");
            ModelFacade::instance()->commitCompany();
            window->close();
        }});
        QVERIFY(shown);
        QCOMPARE(firstCycles, 1);
        QCOMPARE(firstExitCode, 0);
        QCOMPARE(savesLogged, 1);
        QVERIFY(readFile(dataFile("customer_C00001.xml")).contains("ALFA FERRAMENTA"));
        QVERIFY(readFile(dataFile("company_AZ0001.xml")).contains("QUILLBOOK SRL"));
        QVERIFY(QFile::exists(dataFile("preference_0.xml")));
        QVERIFY(!QCoreApplication::instance());

        QStringList seen;
        bool typing = false;
        const auto [exitCode, cycles] = runCycles({
            [&](MyClass* window) {
                auto* combo = window->findChild<QComboBox*>("customerCodeCombo");
                seen << combo->itemText(0) << combo->itemText(1) << ModelFacade::instance()->companyFields()->value(RAGIONE_S);
                registerCustomer("beta");
                window->findChild<QPushButton*>("addLineItemRow")->click();
                window->activateWindow();
                auto* transport = window->findChild<QLineEdit*>("deliveryTotal_LineEdit");
                transport->setFocus();
                QTest::keyClicks(transport, "99");
                typing = QTest::qWaitForWindowActive(window) && QApplication::focusWidget() == transport;
                window->restartRequested = true;
                QCoreApplication::exit(3);
            },
            [&](MyClass* window) {
                seen << ModelFacade::instance()->getCustomerCodes()
                     << QString::number(QFile::exists(dataFile("customer_C00002.xml")))
                     << QString::number(window->restartRequested)
                     << QString::number(window->findChild<QTableWidget*>("lineItemsTable")->rowCount())
                     << QString::number(ModelFacade::instance()->lineItemIds().size())
                     << QString::number(ModelFacade::instance()->getTrasporto());
                QCoreApplication::exit(5);
            },
        });
        QCOMPARE(cycles, 2);
        QCOMPARE(exitCode, 5);
        QVERIFY(typing);
        // what the first cycle found, then the codes of the second: the customer registered
        // was written when it was added; neither a restart pending, nor rows, line items or
        // transport in the second
        QCOMPARE(seen, (QStringList{" ", "C00001", "QUILLBOOK SRL", "C00001", "C00002", "1", "0", "0", "0", "0"}));
        QCOMPARE(savesLogged, 2); // only the last cycle saved
    }

    // Export from the window and change the registry. Cancelling the question or the file
    // dialog changes nothing, a restore that fails says so, and neither ends the cycle; a
    // restore starts the program again with what the archive held, skipping the save.
    void restoreFromTheWindow()
    {
        const TestHome home;
        const QString archive = home.path() + "/backup.zip";
        const QString notAnArchive = home.writeDataFile("notes.zip", "RAGIONE_S=ROSSI\n");
        QList<QMessageBox::StandardButton> answers = {QMessageBox::Ok, QMessageBox::Cancel};
        QStringList boxes;
        Questions::setAnswerer([&](QMessageBox& box) {
            boxes << box.text().trimmed() + (box.icon() == QMessageBox::Critical ? " (critical): " + box.informativeText() : "");
            return int(answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst());
        });
        QStringList progress;
        Questions::setDialogRunner([&](QDialog& dialog) {
            progress << qobject_cast<QProgressDialog*>(&dialog)->labelText();
            return dialog.exec();
        });
        QStringList chosen = {archive, "", "", notAnArchive, archive};
        Questions::setFileChooser([&](QFileDialog&) { return chosen.isEmpty() ? QString() : chosen.takeFirst(); });
        QList<bool> restarts;
        QStringList codesAfterRestore;
        const auto [exitCode, cycles] = runCycles({
            [&](MyClass* window) {
                registerCustomer("alfa");
                trigger(window, "actionExport"); // saves, then archives
                registerCustomer("beta");
                trigger(window, "actionImportData"); // the question says no
                trigger(window, "actionImportData"); // the file dialog says no
                trigger(window, "actionExport");     // the file dialog says no
                trigger(window, "actionImportData"); // not an archive
                restarts << window->restartRequested;
                trigger(window, "actionImportData");
                restarts << window->restartRequested;
            },
            [&](MyClass* window) {
                codesAfterRestore = ModelFacade::instance()->getCustomerCodes();
                restarts << window->restartRequested;
                window->close();
            },
        });
        QCOMPARE(cycles, 2);
        QCOMPARE(exitCode, 0);
        QCOMPARE(restarts, (QList<bool>{false, true, false}));
        QVERIFY(chosen.isEmpty());
        const QString question = "L'operazione cancellera' i dati precedentemente salvati  e riavviera' l'applicazione. Continuare ?";
        QCOMPARE(boxes, (QStringList{"Dati salvati con successo", question, question, question,
                                     "Si e' verificato un errore durante il ripristino dei dati (critical): "
                                     "Il file scelto non e' un archivio zip leggibile.",
                                     question}));
        QCOMPARE(progress, (QStringList{"Esportazione dei dati in corso...", "Ripristino dei dati in corso...",
                                        "Ripristino dei dati in corso..."}));
        QCOMPARE(codesAfterRestore, QStringList{"C00001"});
        QCOMPARE(savesLogged, 1); // the restore skipped the save of the first cycle
        QVERIFY(!QFile::exists(dataFile("customer_C00002.xml")));
        QCOMPARE(QDir(home.path()).entryList({"*.zip"}, QDir::Files), QStringList{"backup.zip"});
    }
};

QTEST_APPLESS_MAIN(ApplicationCycleTest)
#include "tst_applicationcycle.moc"
