#include "umcombobox.h"

UmComboBox::UmComboBox(int row, int column, int lineItemId, QWidget* viewport)
    : QComboBox(viewport), row(row), column(column), lineItemId(lineItemId)
{
    connect(this, &QComboBox::currentIndexChanged, this, &UmComboBox::handleIndexChange);
}

void UmComboBox::handleIndexChange(int /*index*/)
{
    Q_EMIT valueChanged(this);
}

void UmComboBoxDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& /*index*/) const
{
    editor->setGeometry(option.rect);
}
