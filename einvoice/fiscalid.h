#pragma once

#include <QString>

// The check characters of Italian tax identifiers, which catch most typing mistakes before
// the exchange system rejects the file.
namespace FiscalId {

// An 11-digit VAT number (partita IVA) whose last digit is its check digit.
bool partitaIvaValid(const QString& number);
// A tax code: the 16-character code of a person, whose last letter is its check character,
// or the 11-digit code of a company, checked as a VAT number.
bool codiceFiscaleValid(const QString& code);

} // namespace FiscalId
