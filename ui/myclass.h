#pragma once

#include <QMainWindow>

// The program's main window.
class MyClass : public QMainWindow
{
    Q_OBJECT

public:
    explicit MyClass(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~MyClass() override;
};
