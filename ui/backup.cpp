// Backup of the records to a zip archive, and their restore.
#include "myclass.h"

#include "modelfacade.h"
#include "questions.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileDialog>

namespace {

QString chooseArchive(QFileDialog::AcceptMode mode)
{
    QFileDialog dialog;
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(QStringLiteral("*.zip"));
    dialog.setDefaultSuffix(QStringLiteral("zip")); // so that the overwrite question sees the real name
    return Questions::chooseFile(dialog);
}

} // namespace

void MyClass::exportData()
{
    qDebug() << " export customer data ";
    const QString archive = chooseArchive(QFileDialog::AcceptSave);
    if (archive.isEmpty())
        return;
    ModelFacade* model = ModelFacade::instance();
    model->savePersistentData(); // the archive holds what is on screen now
    const int result = model->exportData(archive);

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok);
    if (result == 0) {
        box.setIcon(QMessageBox::Information);
        box.setText(QStringLiteral(" Dati salvati con successo "));
    } else if (result < 0) {
        box.setIcon(QMessageBox::Warning);
        box.setText(QStringLiteral(" Nessun dato da salvare.. "));
    } else {
        box.setIcon(QMessageBox::Critical);
        box.setText(QStringLiteral(" Errore nell'esportare i dati"));
        box.setInformativeText(QStringLiteral("Controllare che si abbiano i permessi per scrivere nella directory "
                                              "selezionata o il disco non sia pieno"));
    }
    Questions::ask(box);
}

void MyClass::importData()
{
    if (!Questions::confirm(nullptr, QStringLiteral("L'operazione cancellera' i dati precedentemente salvati  e "
                                                    "riavviera' l'applicazione. Continuare ?")))
        return;
    const QString archive = chooseArchive(QFileDialog::AcceptOpen);
    if (archive.isEmpty())
        return;
    if (ModelFacade::instance()->importData(archive) != 0) {
        Questions::notify(nullptr, QMessageBox::Critical,
                          QStringLiteral("Si e' verificato un errore durante il ripristino dei dati"));
        return;
    }
    // The next cycle reads the restored records; saving now would overwrite them.
    restartRequested = true;
    QCoreApplication::quit();
}
