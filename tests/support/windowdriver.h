#pragma once

#include "testhome.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

class MyClass;

// The main window as the program builds it after loading the records from a temporary
// HOME, with every message box read and answered by the test instead of a person.
class WindowDriver
{
public:
    struct Box
    {
        QString text;
        QString informativeText;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    // Records written into the data directory before the window loads them.
    explicit WindowDriver(const std::function<void(TestHome&)>& prepareHome = {});
    ~WindowDriver();

    MyClass* window() const { return mainWindow.get(); }
    TestHome& home() { return testHome; }

    // A widget of the window or of one of its dialogs, by object name; fails the test when missing.
    template <typename T>
    T* find(const QString& name) const
    {
        return qobject_cast<T*>(findWidget(name));
    }

    // The answer to the next message boxes, in order; with none queued a box gets Cancel.
    void answer(QMessageBox::StandardButton button) { answers.append(button); }
    const QList<Box>& boxes() const { return shownBoxes; }

    // Types into a line edit as a user does, ending with Return so that editing finishes.
    void type(const QString& lineEdit, const QString& text);
    QString text(const QString& lineEdit) const { return find<QLineEdit>(lineEdit)->text(); }
    void click(const QString& button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void showTab(int index) { find<QTabWidget>("mainTab")->setCurrentIndex(index); }
    void selectDocType(const QString& type) { find<QComboBox>("docTypeSelection")->setCurrentText(type); }
    // RESET from the tool bar, its question answered with `answer`.
    void reset(QMessageBox::StandardButton answer);
    QStringList boxTexts() const;
    // Runs `act` with the dialog once it is shown modally, then lets `open` return.
    static void whenDialogShown(const std::function<void(QWidget*)>& act);
    // Writes a record file of one entry, such as customer_C00001.xml, into the data directory.
    static void writeRecord(TestHome& home, const QString& type, const QString& id, const QMap<QString, QString>& fields);

private:
    QWidget* findWidget(const QString& name) const;

    TestHome testHome;
    std::unique_ptr<MyClass> mainWindow;
    QList<QMessageBox::StandardButton> answers;
    QList<Box> shownBoxes;
};
