#pragma once

#include <QString>

// The Italian display form of amounts, shared by the window and the printed page:
// thousands grouped by ".", decimal comma, two decimals.

// Half a cent rounds up, away from zero: 11.825 -> 11.83.
double roundedToCents(double amount);
// The same amount as a whole number of cents: 11.825 -> 1183.
qint64 toCents(double amount);
// 1234.5 -> "1234,50"
QString formatAmount(double amount);
// 1234.5 -> "1.234,50"
QString formatAmountGrouped(double amount);
// "1234,5" -> "1.234,5"; "1234" -> "1.234,00"
QString groupThousands(const QString& text);
// "1234.5" -> "1.234,5"; the model's point form grouped for display
QString groupAmountText(const QString& text);
// 3 -> "3"
QString formatCount(int count);
// "0,00" and "0" -> "": a printed cell that would show zero stays empty
QString blankIfZero(const QString& text);
