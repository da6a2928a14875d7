#pragma once

#include <QComboBox>
#include <QStyledItemDelegate>

// The unit-of-measure combo of one line-item row: it tells which row and which line
// item it belongs to when its choice changes.
class UmComboBox final : public QComboBox
{
    Q_OBJECT

public:
    // Made inside the table's viewport, where it is placed: it takes the table's font once
    // instead of being restyled when the table adopts it.
    UmComboBox(int row, int column, int lineItemId, QWidget* viewport = nullptr);

    int getRow() const { return row; }
    int getColumn() const { return column; }
    int getLineItemId() const { return lineItemId; }
    void setLineItemId(int id) { lineItemId = id; }

Q_SIGNALS:
    void valueChanged(UmComboBox* combo);

public Q_SLOTS:
    void handleIndexChange(int index);

private:
    const int row;
    const int column;
    int lineItemId;
};

// Places the unit combos of the unit column. The stock delegate lays out the cell's text
// for every combo of the table whenever a row is added, which makes each new row of a
// long invoice slower than the one before.
class UmComboBoxDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
