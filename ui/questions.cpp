#include "questions.h"

#include <QFileDialog>

namespace Questions {
namespace {

std::function<int(QMessageBox&)>& answerer()
{
    static std::function<int(QMessageBox&)> instance;
    return instance;
}

std::function<QString(QFileDialog&)>& fileChooser()
{
    static std::function<QString(QFileDialog&)> instance;
    return instance;
}

std::function<int(QDialog&)>& dialogRunner()
{
    static std::function<int(QDialog&)> instance;
    return instance;
}

// Without a title of its own a box would be named after the executable, in English letters.
QString titleFor(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Warning:
        return QStringLiteral("Attenzione");
    case QMessageBox::Critical:
        return QStringLiteral("Errore");
    case QMessageBox::Question:
        return QStringLiteral("Domanda");
    default:
        return QStringLiteral("Informazione");
    }
}

} // namespace

int ask(QMessageBox& box)
{
    if (box.windowTitle().isEmpty())
        box.setWindowTitle(titleFor(box.icon()));
    return answerer() ? answerer()(box) : box.exec();
}

void setAnswerer(std::function<int(QMessageBox&)> function)
{
    answerer() = std::move(function);
}

bool confirm(QWidget* parent, const QString& text, const QString& informativeText)
{
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setInformativeText(informativeText);
    box.setDefaultButton(QMessageBox::Cancel);
    return ask(box) == QMessageBox::Ok;
}

void notify(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString(), text, QMessageBox::Ok, parent);
    ask(box);
}

QString chooseFile(QFileDialog& dialog)
{
    if (fileChooser())
        return fileChooser()(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void setFileChooser(std::function<QString(QFileDialog&)> chooser)
{
    fileChooser() = std::move(chooser);
}

int runDialog(QDialog& dialog)
{
    return dialogRunner() ? dialogRunner()(dialog) : dialog.exec();
}

void setDialogRunner(std::function<int(QDialog&)> runner)
{
    dialogRunner() = std::move(runner);
}

} // namespace Questions
