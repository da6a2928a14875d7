#include "umcombobox.h"

UmComboBox::UmComboBox(int row, int column, int lineItemId) : row(row), column(column), lineItemId(lineItemId)
{
    connect(this, &QComboBox::currentIndexChanged, this, &UmComboBox::handleIndexChange);
}

void UmComboBox::handleIndexChange(int /*index*/)
{
    Q_EMIT valueChanged(this);
}
