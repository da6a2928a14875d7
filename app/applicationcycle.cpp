#include "applicationcycle.h"

#include "italiantexts.h"
#include "modelfacade.h"
#include "myclass.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QSessionManager>
#include <QTranslator>

#include <memory>

int runApplicationCycles(int& argc, char** argv, const std::function<void(MyClass*)>& shown)
{
    int exitCode = 0;
    bool restart = false;
    do {
        QApplication application(argc, argv);
        QGuiApplication::setDesktopFileName(QStringLiteral("org.quillbook.Quillbook")); // its menu entry and icon
        QTranslator qtItalian; // goes before its application object
        installQtItalian(qtItalian);
        // The window goes before its application object: widgets must not outlive it.
        auto window = std::make_unique<MyClass>();
        window->setWindowIcon(QIcon(QStringLiteral(":/MyClass/Resources/tack.ico")));
        ModelFacade::instance()->loadPersistentData();
        window->init();

        TerminationSignals signalsToClose;
        QObject::connect(&signalsToClose, &TerminationSignals::received, window.get(), [&window](int signalNumber) {
            qDebug() << "segnale" << signalNumber << "ricevuto: chiusura ordinata";
            window->requestTermination();
        });
        // A desktop session that ends saves like a window that closes; the person may still be asked.
        QObject::connect(&application, &QGuiApplication::commitDataRequest, window.get(), [&window](QSessionManager& manager) {
            const bool mayAsk = manager.allowsInteraction();
            if (!window->saveForClosing(mayAsk) && mayAsk)
                manager.cancel();
            if (mayAsk)
                manager.release();
        });

        window->show();
        qDebug() << "finestra mostrata";
        if (shown)
            shown(window.get());
        exitCode = QApplication::exec();

        // A restore ended by a signal has put its records in place: the program ends there.
        restart = window->restartRequested && !window->terminationRequested;
        // A window closed by its user has saved already, or was told to close without saving;
        // otherwise (a signal, the loop ended from elsewhere) nobody is there to be asked. After
        // a restore the records on disk are the restored ones, and nothing may be saved over them.
        if (!window->restartRequested && !window->closingSettled && !window->saveForClosing(false))
            exitCode = 1;
        ModelFacade::destroyInstance();
    } while (restart);
    qDebug() << "fine del programma, codice di uscita" << exitCode;
    return exitCode;
}
