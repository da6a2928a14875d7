// The print preview and the print dialog of the current document.
#include "myclass.h"

#include "printermanager.h"
#include "questions.h"

#include <QDebug>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

void MyClass::openPreview()
{
    qDebug() << "openPreview";
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintPreviewDialog preview(&printer, this);
    const QRect screen = this->screen()->geometry();
    const QRect available = this->screen()->availableGeometry().adjusted(30, 30, -30, -30);
    qDebug() << "MAXIMIZED SIZE:" << available << screen;
    preview.setGeometry(available);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &MyClass::printPreview);
    Questions::runDialog(preview);
}

void MyClass::printPreview(QPrinter* printer)
{
    PrinterManager::printInvoice(printer);
}

void MyClass::openPrintDialog()
{
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, this);
    if (Questions::runDialog(dialog) == QDialog::Accepted)
        PrinterManager::printInvoice(&printer);
}
