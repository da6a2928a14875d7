#pragma once

#include <QString>

// A bank receipt is collected through the customer's own bank, so it is the one payment
// mode whose bank data can come from the customer registry.
inline const QString RIBA_PAYMENT_MODE = QStringLiteral("RiBa. (ricevuta bancaria)");
