// Backup of the records to a zip archive, and their restore.
#include "myclass.h"

#include "modelfacade.h"
#include "questions.h"
#include "workprogress.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileDialog>

#include <functional>

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
    // the archive holds what is on screen now, or says what it lacks
    const bool saved = ModelFacade::instance()->savePersistentData();
    const int result = runWithProgress<Backup::Result>(QStringLiteral("Esportazione dei dati in corso..."), terminationRequested, [archive](const Backup::Progress& progress) {
                           return ModelFacade::exportData(archive, progress);
                       }).code;

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok);
    if (result == 0) {
        box.setIcon(QMessageBox::Information);
        box.setText(QStringLiteral(" Dati salvati con successo "));
        if (!saved)
            box.setInformativeText(QStringLiteral("Alcune modifiche non sono state salvate sul disco "
                                                  "e non sono nell'archivio."));
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
    const Backup::Result result = runWithProgress<Backup::Result>(QStringLiteral("Ripristino dei dati in corso..."), terminationRequested, [archive](const Backup::Progress& progress) {
        return ModelFacade::importData(archive, progress);
    });
    if (result.code != 0) {
        QMessageBox box(QMessageBox::Critical, QString(), QStringLiteral("Si e' verificato un errore durante il ripristino dei dati"),
                        QMessageBox::Ok);
        box.setInformativeText(result.reason);
        Questions::ask(box);
        return;
    }
    // The next cycle reads the restored records; saving now would overwrite them.
    restartRequested = true;
    QCoreApplication::quit();
}
