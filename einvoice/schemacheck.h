#pragma once

#include "einvoice.h"

#include <QByteArray>
#include <QList>

namespace EInvoice {

// Checks the bytes of a file against the official FatturaPA 1.2.2 schema, compiled into the
// program, without touching the network. Each failure is a finding with code "schema" and the
// line and element the validator names. Safe to call from several threads at once.
QList<Finding> checkSchema(const QByteArray& xml);

} // namespace EInvoice
