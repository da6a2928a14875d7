#pragma once

#include "fiscalcodes.h"

class QComboBox;

// A drop-down list of the electronic invoice's codes: an empty entry first (nothing chosen
// yet), then "N2.1 - non soggette ...", each item holding its code.
namespace CodeCombo {

void fill(QComboBox* combo, const QList<FiscalCodes::Code>& codes);
// Selects the code's item; a code the list lacks selects the empty entry. Emits nothing.
void select(QComboBox* combo, const QString& code);
QString code(const QComboBox* combo);

} // namespace CodeCombo
