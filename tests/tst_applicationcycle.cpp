// The program's cycles as the entry point runs them: each with its own application object,
// window and model. runApplicationCycles builds the QApplication itself, so this test runs
// without one of its own.
#include "applicationcycle.h"

#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "questions.h"
#include "testhome.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

namespace {

int savesLogged = 0;
QtMessageHandler testLogHandler = nullptr;

void countSaves(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("SAVE DATA")))
        ++savesLogged;
    testLogHandler(type, context, message);
}

QString dataFile(const QString& name)
{
    return QDir::homePath() + QStringLiteral("/.Quillbook/data/") + name;
}

QString registerCustomer(const QString& name)
{
    ModelFacade* model = ModelFacade::instance();
    model->newCustomer();
    model->setCustomerField(RAGIONE_S, name);
    model->setCustomerField(ADDRESS, QStringLiteral("via roma 1"));
    model->setCustomerField(LOCALITY, QStringLiteral("roma"));
    model->setCustomerField(CITY, QStringLiteral("rm"));
    model->setCustomerField(PIVA, QStringLiteral("01234567890"));
    model->setCustomerField(NAZIONE, QStringLiteral("italia"));
    return model->addCustomer(nullptr);
}

using Cycle = std::function<void(MyClass*)>;

// Runs the program with one action per cycle, each started once the cycle's event loop
// runs; an action ends its cycle. Gives the exit code and the number of cycles run.
std::pair<int, int> runCycles(const QList<Cycle>& cycles)
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

} // namespace

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
    }

    // A first run, without even the program's directory: closing the window saves all.
    void closingTheWindowSavesTheRecords()
    {
        const TestHome home(TestHome::DataDir::Missing);
        QString code;
        bool shown = false;
        const auto [exitCode, cycles] = runCycles({[&](MyClass* window) {
            shown = window->isVisible() && QApplication::instance();
            code = registerCustomer(QStringLiteral("alfa ferramenta"));
            ModelFacade::instance()->setCompanyField(RAGIONE_S, QStringLiteral("quillbook srl"));
            ModelFacade::instance()->commitCompany();
            window->close();
        }});
        QVERIFY(shown);
        QCOMPARE(cycles, 1);
        QCOMPARE(exitCode, 0);
        QCOMPARE(savesLogged, 1);
        QCOMPARE(code, QStringLiteral("C00001"));
        QVERIFY(readFile(dataFile(QStringLiteral("customer_C00001.xml"))).contains("ALFA FERRAMENTA"));
        QVERIFY(readFile(dataFile(QStringLiteral("company_AZ0001.xml"))).contains("QUILLBOOK SRL"));
        QVERIFY(QFile::exists(dataFile(QStringLiteral("preference_0.xml"))));
        QVERIFY(!QCoreApplication::instance());

        // the next start finds them
        QStringList codes;
        QString company;
        runCycles({[&](MyClass* window) {
            auto* combo = window->findChild<QComboBox*>(QStringLiteral("customerCodeCombo"));
            for (int i = 0; i < combo->count(); ++i)
                codes << combo->itemText(i);
            company = ModelFacade::instance()->companyFields()->value(RAGIONE_S);
            window->close();
        }});
        QCOMPARE(codes, (QStringList{" ", "C00001"}));
        QCOMPARE(company, QStringLiteral("QUILLBOOK SRL"));
    }

    // A restored backup ends its cycle without saving, its window still open, maybe with an
    // edit unfinished; the next cycle starts from scratch and reads what is on disk.
    void restartSkipsTheSaveAndReloads()
    {
        const TestHome home;
        ModelFacade::instance()->loadPersistentData();
        registerCustomer(QStringLiteral("alfa"));
        ModelFacade::instance()->savePersistentData();
        ModelFacade::destroyInstance();

        QStringList codesFirst, codesSecond;
        int rowsSecond = -1, lineItemsSecond = -1;
        double transportSecond = -1;
        bool typing = false, restartSecond = true, savedBetweenCycles = true;
        const auto [exitCode, cycles] = runCycles({
            [&](MyClass* window) {
                codesFirst = ModelFacade::instance()->getCustomerCodes();
                registerCustomer(QStringLiteral("beta"));
                window->findChild<QPushButton*>(QStringLiteral("addLineItemRow"))->click();
                window->activateWindow();
                auto* transport = window->findChild<QLineEdit*>(QStringLiteral("deliveryTotal_LineEdit"));
                transport->setFocus();
                QTest::keyClicks(transport, QStringLiteral("99"));
                typing = QTest::qWaitForWindowActive(window) && QApplication::focusWidget() == transport;
                window->restartRequested = true;
                QCoreApplication::exit(3);
            },
            [&](MyClass* window) {
                savedBetweenCycles = QFile::exists(dataFile(QStringLiteral("customer_C00002.xml")));
                codesSecond = ModelFacade::instance()->getCustomerCodes();
                restartSecond = window->restartRequested;
                rowsSecond = window->findChild<QTableWidget*>(QStringLiteral("lineItemsTable"))->rowCount();
                lineItemsSecond = int(ModelFacade::instance()->lineItemIds().size());
                transportSecond = ModelFacade::instance()->getTrasporto();
                QCoreApplication::exit(5);
            },
        });
        QCOMPARE(cycles, 2);
        QCOMPARE(exitCode, 5);
        QVERIFY(typing);
        QCOMPARE(codesFirst, QStringList{"C00001"});
        QVERIFY(!savedBetweenCycles);
        QCOMPARE(codesSecond, QStringList{"C00001"});
        QVERIFY(!restartSecond);
        QCOMPARE(rowsSecond, 0);
        QCOMPARE(lineItemsSecond, 0);
        QCOMPARE(transportSecond, 0.0);
        // only the last cycle saved, and it had nothing of the first
        QCOMPARE(savesLogged, 1);
        QVERIFY(QFile::exists(dataFile(QStringLiteral("customer_C00001.xml"))));
        QVERIFY(!QFile::exists(dataFile(QStringLiteral("customer_C00002.xml"))));
    }

    void exitCodeOfTheLastCycle_data()
    {
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("one cycle") << QList<int>{0};
        QTest::newRow("one cycle, code 4") << QList<int>{4};
        QTest::newRow("two cycles") << QList<int>{3, 0};
        QTest::newRow("three cycles") << QList<int>{1, 2, 7};
    }

    void exitCodeOfTheLastCycle()
    {
        QFETCH(QList<int>, codes);
        const TestHome home;
        QList<Cycle> cycles;
        for (int i = 0; i < codes.size(); ++i) {
            const bool last = i == codes.size() - 1;
            cycles << [code = codes.at(i), last](MyClass* window) {
                window->restartRequested = !last;
                QCoreApplication::exit(code);
            };
        }
        const auto [exitCode, cyclesRun] = runCycles(cycles);
        QCOMPARE(cyclesRun, codes.size());
        QCOMPARE(exitCode, codes.last());
        QCOMPARE(savesLogged, 1);
    }

    // Export from the window, change the registry, restore: the program starts again with
    // what the archive held, and what was never exported is gone.
    void restoredBackup_startsANewCycleWithTheArchivedRecords()
    {
        const TestHome home;
        const QString archive = home.path() + QStringLiteral("/backup.zip");
        QStringList boxes;
        QList<QFileDialog::AcceptMode> dialogs;
        Questions::setAnswerer([&](QMessageBox& box) {
            boxes << box.text().trimmed();
            return int(QMessageBox::Ok);
        });
        Questions::setFileChooser([&](QFileDialog& dialog) {
            dialogs << dialog.acceptMode();
            return archive;
        });
        QStringList codesAfterRestore;
        bool restartAfterRestore = true;
        const auto [exitCode, cycles] = runCycles({
            [&](MyClass* window) {
                registerCustomer(QStringLiteral("alfa"));
                window->findChild<QAction*>(QStringLiteral("actionExport"))->trigger(); // saves, then archives
                registerCustomer(QStringLiteral("beta"));
                window->findChild<QAction*>(QStringLiteral("actionImportData"))->trigger();
            },
            [&](MyClass* window) {
                codesAfterRestore = ModelFacade::instance()->getCustomerCodes();
                restartAfterRestore = window->restartRequested;
                window->close();
            },
        });
        QCOMPARE(cycles, 2);
        QCOMPARE(exitCode, 0);
        QCOMPARE(dialogs, (QList<QFileDialog::AcceptMode>{QFileDialog::AcceptSave, QFileDialog::AcceptOpen}));
        QCOMPARE(boxes, (QStringList{QStringLiteral("Dati salvati con successo"),
                                     QStringLiteral("L'operazione cancellera' i dati precedentemente salvati  e "
                                                    "riavviera' l'applicazione. Continuare ?")}));
        QCOMPARE(codesAfterRestore, QStringList{QStringLiteral("C00001")});
        QVERIFY(!restartAfterRestore);
        QCOMPARE(savesLogged, 1); // the restore skipped the save of the first cycle
        QVERIFY(!QFile::exists(dataFile(QStringLiteral("customer_C00002.xml"))));
    }

    // A restore that fails says so and the program goes on with its data, saved at exit.
    void failedRestore_keepsTheCycleAndItsData()
    {
        const TestHome home;
        const QString notAnArchive = home.path() + QStringLiteral("/notes.zip");
        QFile file(notAnArchive);
        file.open(QIODevice::WriteOnly);
        file.write("RAGIONE_S=ROSSI\n");
        file.close();
        QList<QMessageBox::Icon> icons;
        QStringList boxes;
        Questions::setAnswerer([&](QMessageBox& box) {
            icons << box.icon();
            boxes << box.text();
            return int(QMessageBox::Ok);
        });
        Questions::setFileChooser([&](QFileDialog&) { return notAnArchive; });
        bool restart = true;
        const auto [exitCode, cycles] = runCycles({[&](MyClass* window) {
            registerCustomer(QStringLiteral("alfa"));
            window->findChild<QAction*>(QStringLiteral("actionImportData"))->trigger();
            restart = window->restartRequested;
            window->close();
        }});
        QCOMPARE(cycles, 1);
        QVERIFY(!restart);
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.last(), QStringLiteral("Si e' verificato un errore durante il ripristino dei dati"));
        QCOMPARE(icons.last(), QMessageBox::Critical);
        QCOMPARE(savesLogged, 1);
        QVERIFY(QFile::exists(dataFile(QStringLiteral("customer_C00001.xml"))));
    }

    // Cancelling the question or the file dialog changes nothing and does not restart.
    void cancelledRestoreOrExport_doesNothing()
    {
        const TestHome home;
        int chooserCalls = 0;
        Questions::setAnswerer([](QMessageBox&) { return int(QMessageBox::Cancel); });
        Questions::setFileChooser([&](QFileDialog&) {
            ++chooserCalls;
            return QString();
        });
        bool restart = true;
        runCycles({[&](MyClass* window) {
            window->findChild<QAction*>(QStringLiteral("actionImportData"))->trigger(); // the question says no
            Questions::setAnswerer([](QMessageBox&) { return int(QMessageBox::Ok); });
            window->findChild<QAction*>(QStringLiteral("actionImportData"))->trigger(); // the dialog says no
            window->findChild<QAction*>(QStringLiteral("actionExport"))->trigger();
            restart = window->restartRequested;
            window->close();
        }});
        QCOMPARE(chooserCalls, 2);
        QVERIFY(!restart);
        QVERIFY(QDir(home.path()).entryList({QStringLiteral("*.zip")}, QDir::Files).isEmpty());
    }
};

QTEST_APPLESS_MAIN(ApplicationCycleTest)
#include "tst_applicationcycle.moc"
