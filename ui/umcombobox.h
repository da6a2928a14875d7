#pragma once

#include <QComboBox>

// The unit-of-measure combo of one line-item row: it tells which row and which line
// item it belongs to when its choice changes.
class UmComboBox final : public QComboBox
{
    Q_OBJECT

public:
    UmComboBox(int row, int column, int lineItemId);

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
