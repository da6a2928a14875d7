#include "italiantexts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtItalian(QTranslator& translator)
{
    // The user's locale does not matter: the program speaks Italian on any system.
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator.load(QStringLiteral("qtbase_it"), directory)) {
        qWarning() << "qtbase_it.qm not found in" << directory << "- Qt's own texts stay English";
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}
