#include "applicationcycle.h"

#include "italiantexts.h"
#include "modelfacade.h"
#include "myclass.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
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
        window->show();
        if (shown)
            shown(window.get());
        exitCode = QApplication::exec();

        restart = window->restartRequested;
        if (!restart) {
            qDebug() << "SAVE DATA ";
            ModelFacade::instance()->savePersistentData();
        }
        ModelFacade::destroyInstance();
    } while (restart);
    return exitCode;
}
