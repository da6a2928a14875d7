#pragma once

#include "einvoice.h"

#include <QByteArray>
#include <QList>

namespace EInvoice {

// Applies to a file the checks the exchange system makes beyond the schema (totals, rates,
// natures, identifiers), each failure a finding with the system's rejection code.
QList<Finding> checkContentRules(const QByteArray& xml);

} // namespace EInvoice
