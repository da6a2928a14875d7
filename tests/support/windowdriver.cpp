#include "windowdriver.h"

#include "modelfacade.h"
#include "myclass.h"
#include "questions.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

WindowDriver::WindowDriver(const std::function<void(TestHome&)>& prepareHome)
{
    if (prepareHome)
        prepareHome(testHome);
    Questions::setAnswerer([this](QMessageBox& box) {
        shownBoxes.append({box.text(), box.informativeText(), box.icon(), box.standardButtons(),
                           box.standardButton(box.defaultButton())});
        return int(answers.isEmpty() ? QMessageBox::Cancel : answers.takeFirst());
    });
    mainWindow = std::make_unique<MyClass>();
    ModelFacade::instance()->loadPersistentData();
    mainWindow->init();
    mainWindow->show();
}

WindowDriver::~WindowDriver()
{
    mainWindow.reset();
    ModelFacade::destroyInstance();
    Questions::setAnswerer({});
}

QWidget* WindowDriver::findWidget(const QString& name) const
{
    if (auto* widget = mainWindow->findChild<QWidget*>(name))
        return widget;
    for (QWidget* topLevel : QApplication::topLevelWidgets()) {
        if (topLevel->objectName() == name)
            return topLevel;
        if (auto* widget = topLevel->findChild<QWidget*>(name))
            return widget;
    }
    qWarning("no widget named %s", qPrintable(name));
    return nullptr;
}

void WindowDriver::type(const QString& lineEdit, const QString& text)
{
    auto* edit = find<QLineEdit>(lineEdit);
    if (!edit)
        return;
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void WindowDriver::reset(QMessageBox::StandardButton answer)
{
    answers.append(answer);
    mainWindow->findChild<QAction*>("actionReset")->trigger();
}

QStringList WindowDriver::boxTexts() const
{
    QStringList texts;
    for (const Box& box : shownBoxes)
        texts << box.text;
    return texts;
}

void WindowDriver::whenDialogShown(const std::function<void(QWidget*)>& act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start(10);
}

void WindowDriver::writeRecord(TestHome& home, const QString& type, const QString& id, const QMap<QString, QString>& fields)
{
    QString file = QStringLiteral("<!DOCTYPE %1>\n<%1>\n <entry id=\"%2\">\n").arg(type, id);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        file += QStringLiteral("  <field name=\"%1\">%2</field>\n").arg(it.key(), it.value());
    home.writeDataFile(type + '_' + id + ".xml", (file + QStringLiteral(" </entry>\n</%1>\n").arg(type)).toUtf8());
}
