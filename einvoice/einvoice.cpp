#include "einvoice.h"

#include "amounttext.h"
#include "builder.h"
#include "contentrules.h"
#include "schemacheck.h"

#include <cmath>

namespace EInvoice {

namespace {

QString euro(qint64 cents)
{
    return formatAmount(double(cents) / 100.0);
}

// The file states what the page prints: otherwise one of them is wrong, and neither may go out.
QList<Finding> totalsAgree(const InvoiceData& document, const Assembled& file)
{
    QList<Finding> findings;
    const qint64 printedTotal = toCents(document.totale);
    const qint64 printedIva = toCents(document.totaleIva);
    if (file.totaleCents != printedTotal || file.impostaCents != printedIva)
        findings.append({QString(), QStringLiteral("Documento %1: il file avrebbe totale %2 e IVA %3, la pagina stampa "
                                                   "totale %4 e IVA %5; ricalcolare il documento")
                                        .arg(document.number)
                                        .arg(euro(file.totaleCents), euro(file.impostaCents), euro(printedTotal),
                                             euro(printedIva))});
    return findings;
}

} // namespace

Built build(const InvoiceData& document, const QString& progressivo)
{
    Assembled file = assemble(document, progressivo);
    Built built;
    built.findings = file.findings;
    if (!built.findings.isEmpty())
        return built;
    built.findings += totalsAgree(document, file);
    built.findings += checkSchema(file.xml);
    built.findings += checkContentRules(file.xml);
    if (built.findings.isEmpty())
        built.xml = file.xml;
    return built;
}

QString fileName(const InvoiceData& document, const QString& progressivo)
{
    return QStringLiteral("IT%1_%2.xml").arg(partitaIvaOf(document.company), progressivo);
}

} // namespace EInvoice
