#pragma once

#include <QString>

#include <optional>

// Numbers typed by the user, or written back by the window in their Italian display form.
// Read with the Italian conventions first (decimal comma, "." only as a correctly placed
// thousands separator: "1.234,5"), then with the C conventions ("2.5"), whatever the
// system locale: otherwise "2,50" would read as nothing on an English system and a price
// would silently become zero. Infinities, NaN and magnitudes beyond a trillion are no amounts.
std::optional<double> parseAmount(const QString& text);
std::optional<int> parseCount(const QString& text);
