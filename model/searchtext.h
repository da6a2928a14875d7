#pragma once

#include <QString>

namespace SearchText {

// A text as the customer search compares it: upper case, accents dropped ("CITTÀ" and
// "città" become "CITTA"), and the apostrophe that stands for an accent after a vowel
// dropped too ("CITTA'" becomes "CITTA"). Text that needs none of it comes back shared.
QString fold(const QString& text);

} // namespace SearchText
