#pragma once

#include <QMessageBox>

class QDialog;
class QFileDialog;

#include <functional>

// Every modal question, notice and file dialog of the window goes through here, so that
// a test can read it and answer it as a person would.
namespace Questions {

// Shows the box modally and returns the button chosen, or what the answerer returns.
// A box without a title is titled after its icon: "Attenzione", "Errore", "Informazione".
int ask(QMessageBox& box);
// Replaces showing the boxes; an empty function restores it.
void setAnswerer(std::function<int(QMessageBox&)> answerer);

// A warning with Ok and Cancel, Cancel the default: true only for Ok.
bool confirm(QWidget* parent, const QString& text, const QString& informativeText = QString());
// A notice with an Ok button.
void notify(QWidget* parent, QMessageBox::Icon icon, const QString& text);

// Shows the file dialog modally: the first file chosen, or empty when it was cancelled.
QString chooseFile(QFileDialog& dialog);
// Replaces showing file dialogs; an empty function restores it.
void setFileChooser(std::function<QString(QFileDialog&)> chooser);

// Runs a dialog modally (print dialog, print preview, backup progress): its result, or what
// the runner returns.
int runDialog(QDialog& dialog);
// Replaces running those dialogs; an empty function restores it.
void setDialogRunner(std::function<int(QDialog&)> runner);

} // namespace Questions
