// The window's print preview and print dialog, with the dialogs answered by the test.
#include "lineitem.h"
#include "modelfacade.h"
#include "myclass.h"
#include "questions.h"
#include "stampavuota.h"
#include "windowdriver.h"

#include <QAction>
#include <QPrintDialog>
#include <QPushButton>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QtTest>

class TestPrintWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        driver = std::make_unique<WindowDriver>();
        ModelFacade* model = ModelFacade::instance();
        const int id = model->addLineItem();
        model->setLineItemField(id, LineItemKey::description, QStringLiteral("TAVOLO"));
        model->setLineItemField(id, LineItemKey::prize, QStringLiteral("10"));
    }
    void cleanup()
    {
        Questions::setDialogRunner({});
        driver.reset();
    }

    void printDialog_acceptedPrintsOnTheChosenPrinter()
    {
        const QString pdf = driver->home().path() + QStringLiteral("/stampa.pdf");
        Questions::setDialogRunner([&](QDialog& dialog) {
            auto* printDialog = qobject_cast<QPrintDialog*>(&dialog);
            if (!printDialog)
                return int(QDialog::Rejected);
            // what choosing "print to file" in the dialog does
            printDialog->printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(driver->find<QPushButton>(QStringLiteral("printButton")), Qt::LeftButton);
        QVERIFY(QFileInfo(pdf).size() > 1000);
        QVERIFY(readFile(pdf).startsWith("%PDF"));
    }

    void printDialog_cancelledPrintsNothing()
    {
        const QString pdf = driver->home().path() + QStringLiteral("/stampa.pdf");
        Questions::setDialogRunner([&](QDialog& dialog) {
            qobject_cast<QPrintDialog*>(&dialog)->printer()->setOutputFileName(pdf);
            return int(QDialog::Rejected);
        });
        driver->window()->openPrintDialog();
        QVERIFY(!QFile::exists(pdf));
    }

    void preview_repaintsTheSamePageEachTime()
    {
        QList<QImage> pages;
        Questions::setDialogRunner([&](QDialog& dialog) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
            if (!preview)
                return int(QDialog::Rejected);
            auto* widget = preview->findChild<QPrintPreviewWidget*>();
            for (int i = 0; i < 2; ++i) {
                widget->updatePreview();
                pages << widget->grab().toImage();
            }
            return int(QDialog::Accepted);
        });
        driver->window()->findChild<QAction*>(QStringLiteral("actionPreview"))->trigger();
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages.at(0), pages.at(1));
    }

    void blankFormSwitch_followsTheRadioButton()
    {
        auto* blank = driver->find<QRadioButton>(QStringLiteral("radioStampaVuota"));
        QVERIFY(!stampaVuota);
        QTest::mouseClick(blank, Qt::LeftButton);
        QVERIFY(blank->isChecked());
        QVERIFY(stampaVuota);
        blank->setAutoExclusive(false);
        QTest::mouseClick(blank, Qt::LeftButton);
        QVERIFY(!stampaVuota);
    }

private:
    std::unique_ptr<WindowDriver> driver;
};

QTEST_MAIN(TestPrintWindow)
#include "tst_printwindow.moc"
