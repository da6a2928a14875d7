#include "myclass.h"

MyClass::MyClass(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    setWindowTitle(QStringLiteral("Quillbook"));
}

MyClass::~MyClass() = default;
