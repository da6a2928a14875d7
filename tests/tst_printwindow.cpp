// The window's print preview and print dialog, with the dialogs answered by the test.
#include "lineitem.h"
#include "modelfacade.h"
#include "myclass.h"
#include "questions.h"
#include "stampavuota.h"
#include "windowdriver.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

class TestPrintWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        driver = std::make_unique<WindowDriver>();
        const int id = ModelFacade::instance()->addLineItem();
        ModelFacade::instance()->setLineItemField(id, LineItemKey::description, QStringLiteral("TAVOLO"));
    }
    void cleanup()
    {
        Questions::setDialogRunner({});
        driver.reset();
    }

    void printDialog_printsOnlyWhenAccepted_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled") << false;
    }
    void printDialog_printsOnlyWhenAccepted()
    {
        QFETCH(bool, accepted);
        const QString pdf = driver->home().path() + QStringLiteral("/stampa.pdf");
        Questions::setDialogRunner([&](QDialog& dialog) {
            auto* printDialog = qobject_cast<QPrintDialog*>(&dialog);
            if (printDialog) // what choosing "print to file" in the dialog does
                printDialog->printer()->setOutputFileName(pdf);
            return int(printDialog && accepted ? QDialog::Accepted : QDialog::Rejected);
        });
        QTest::mouseClick(driver->find<QPushButton>(QStringLiteral("printButton")), Qt::LeftButton);
        QCOMPARE(QFile::exists(pdf), accepted);
        QVERIFY(!accepted || (QFileInfo(pdf).size() > 1000 && readFile(pdf).startsWith("%PDF")));
    }

    // Rows beyond the first page's show on a second page of the preview.
    void preview_repaintsTheSamePagesEachTime()
    {
        for (int row = 0; row < 24; ++row)
            ModelFacade::instance()->addLineItem();
        QList<QImage> pages;
        int pageCount = 0;
        Questions::setDialogRunner([&](QDialog& dialog) {
            if (auto* widget = dialog.findChild<QPrintPreviewWidget*>())
                for (int i = 0; i < 2; ++i) {
                    pageCount = widget->pageCount();
                    widget->updatePreview();
                    pages << widget->grab().toImage();
                }
            return int(QDialog::Accepted);
        });
        driver->window()->findChild<QAction*>(QStringLiteral("actionPreview"))->trigger();
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages.at(0), pages.at(1));
        QCOMPARE(pageCount, 2);
    }

    void blankFormSwitch_followsTheRadioButton()
    {
        auto* blank = driver->find<QRadioButton>(QStringLiteral("radioStampaVuota"));
        QVERIFY(!stampaVuota);
        QTest::mouseClick(blank, Qt::LeftButton);
        QVERIFY(blank->isChecked() && stampaVuota);
        blank->setAutoExclusive(false);
        QTest::mouseClick(blank, Qt::LeftButton);
        QVERIFY(!stampaVuota);
    }

private:
    std::unique_ptr<WindowDriver> driver;
};

QTEST_MAIN(TestPrintWindow)
#include "tst_printwindow.moc"
