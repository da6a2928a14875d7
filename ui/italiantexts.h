#pragma once

class QTranslator;

// Qt's own texts (the buttons of the boxes, the file, print and preview dialogs) in Italian,
// like every other text of the program. Loads Qt's Italian catalogue into `translator` and
// installs it on the application, which must outlive neither. False, with a warning in the
// log, when the catalogue is not installed: Qt's texts then stay English.
bool installQtItalian(QTranslator& translator);
