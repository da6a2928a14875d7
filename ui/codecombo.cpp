#include "codecombo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QSignalBlocker>

namespace CodeCombo {

void fill(QComboBox* combo, const QList<FiscalCodes::Code>& codes)
{
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItem(QString(), QString());
    for (const FiscalCodes::Code& entry : codes) {
        const QString text = entry.code + QStringLiteral(" - ") + entry.label;
        combo->addItem(text, entry.code);
        combo->setItemData(combo->count() - 1, text, Qt::ToolTipRole);
    }
    // The labels are long: the list opens wide enough to read them, the field stays narrow.
    combo->setMinimumContentsLength(12);
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 20);
}

void select(QComboBox* combo, const QString& code)
{
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(std::max(0, combo->findData(code)));
    combo->setToolTip(combo->currentData(Qt::ToolTipRole).toString());
}

QString code(const QComboBox* combo)
{
    return combo->currentData().toString();
}

} // namespace CodeCombo
