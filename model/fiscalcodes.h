#pragma once

#include <QList>
#include <QString>

// The codes of the Italian electronic invoice that the user chooses from, with the
// labels the tax agency gives them.
namespace FiscalCodes {

struct Code
{
    QString code;
    QString label;
};

// Why a 0 % amount carries no VAT. The generic N2, N3 and N6 are no longer accepted.
const QList<Code>& nature();
// The own company's tax regime.
const QList<Code>& regimiFiscali();
// How a document is paid.
const QList<Code>& modalitaPagamento();

bool isNatura(const QString& code);
// The ModalitaPagamento code of one of the document's payment modes; empty for a mode with
// no clear code (RIMESSA DIRETTA), which the user chooses once.
QString modalitaFor(const QString& paymentMode);
// Untaxed amounts of these natures bear the stamp duty: excluded (N2.x), non-taxable on a
// declaration of intent or off the plafond (N3.5, N3.6), exempt (N4).
bool requiresStamp(const QString& natura);

} // namespace FiscalCodes
