// The lower part of the page: the invoice note, the six footer rows with the totals and
// the transport data (or, on a page followed by another, SEGUE in their place), and the
// conditions of sale under the frame.
#include "printermanager.h"

#include "amounttext.h"
#include "companykeys.h"
#include "preferencekeys.h"

#include <QColor>
#include <QDebug>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int labelSize = 7;
constexpr int valueSize = 9;
constexpr int smallestDueDateSize = 6;
const QColor totalShade(230, 230, 230, 200);
constexpr int notePointSize = 14;
// A long note shrinks down to this size before it is cut to the room above the table.
constexpr int smallestNotePointSize = 8;
constexpr int noteInset = 4;
constexpr int naturaSize = 6;
constexpr int smallestNaturaSize = 4;
constexpr int natureFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;

QString twoDecimals(double amount)
{
    return blankIfZero(formatAmount(amount));
}

QString grouped(double amount)
{
    return blankIfZero(formatAmountGrouped(amount));
}

// Why a 0 % rate carries no VAT, in small type where the VAT amount would stand.
void drawNatura(QPainter& painter, const QRect& cell, const InvoiceData& document)
{
    if (document.ivaPercent != 0 || document.natura.isEmpty())
        return;
    const QString text = QStringLiteral("%1 %2").arg(document.natura, document.riferimentoNormativo).trimmed();
    painter.save();
    QFont font = painter.font();
    font.setBold(false);
    const QRect room = cell.adjusted(2, 10, -2, -2); // below the label
    // the reference shrinks to the cell rather than run over its border
    for (int size = naturaSize; size >= smallestNaturaSize; --size) {
        font.setPointSize(size);
        painter.setFont(font);
        if (painter.boundingRect(room, natureFlags, text).height() <= room.height())
            break;
    }
    painter.setClipRect(room);
    painter.drawText(room, natureFlags, text);
    painter.restore();
}

// The due dates on one line at the value size when they fit; a long list shrinks, and
// at the smallest size wraps onto a second line, so that no due date is cut off the page.
void drawDueDates(QPainter& painter, const QRect& cell, const QString& dueDates)
{
    PrinterManager::drawLabelledCell(painter, cell.x(), cell.y(), cell.width(), cell.height(),
                                     QStringLiteral(" SCADENZE EFFETTI "), QString(), labelSize, false);
    if (dueDates.isEmpty())
        return;
    // the page draws tabs as blanks
    const QString shown = QString(dueDates).replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QFont found = painter.font();
    QFont font = found;
    int flags = Qt::AlignHCenter | Qt::AlignBottom;
    int size = valueSize;
    for (;; --size) {
        font.setPointSize(size);
        if (QFontMetricsF(font, painter.device()).horizontalAdvance(shown) <= cell.width())
            break;
        if (size == smallestDueDateSize) {
            flags |= Qt::TextWordWrap;
            break;
        }
    }
    painter.setFont(font);
    painter.drawText(cell, flags, dueDates);
    painter.setFont(found);
}

} // namespace

QString PrinterManager::noteText(const InvoiceData& document, bool blankForm)
{
    if (blankForm)
        return QString();
    QStringList parts;
    // A credit note names the invoice it corrects.
    if (document.linkedNumber > 0
        && document.docType.compare(QStringLiteral("NOTA DI CREDITO"), Qt::CaseInsensitive) == 0)
        parts.append(QStringLiteral("Nota di credito relativa alla fattura N. %1 del %2")
                         .arg(document.linkedNumber)
                         .arg(document.linkedDate.toString(QStringLiteral("dd/MM/yyyy"))));
    // a note of one or two characters is a slip of the keyboard, not a note
    if (document.note.size() >= 3)
        parts.append(document.note.toUpper());
    if (document.bollo > 0)
        parts.append(QStringLiteral("Imposta di bollo assolta in modo virtuale Euro %1%2")
                         .arg(formatAmount(document.bollo),
                              document.company.value(BOLLO_A_CARICO) == QLatin1String("1")
                                  ? QStringLiteral(", a carico del cliente")
                                  : QString()));
    return parts.isEmpty() ? QString() : QLatin1Char('\t') + parts.join(QStringLiteral("\n\t"));
}

PrinterManager::NoteBand PrinterManager::noteBand(QPainter& painter, const QRect& pageRect, const QString& text)
{
    // One line stands where it always stood, vertically centred in its band.
    NoteBand band{QRect(0, noteTop, pageRect.width() - 100, noteHeight), notePointSize,
                  Qt::AlignLeft | Qt::AlignVCenter};
    if (text.isEmpty())
        return band;
    // More lines grow the band upwards from its bottom, as far as the room a page gives to
    // its table keeps one row above the note; a note longer than that shrinks to fit.
    const QFont found = painter.font();
    QFont font(QStringLiteral("Times"), notePointSize);
    painter.setFont(font);
    const bool oneLine = !text.contains(QLatin1Char('\n'))
        && painter.boundingRect(band.rect, band.flags, text).width() <= band.rect.width();
    const int bottom = noteTop + noteHeight;
    const int tallest = bottom - (tableTop + minimumRowHeight + noteClearance);
    const int wrapped = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (int size = notePointSize; !oneLine && size >= smallestNotePointSize; --size) {
        font.setPointSize(size);
        painter.setFont(font);
        const QRectF room(noteInset, 0, pageRect.width() - 100 - noteInset, tallest);
        const int needed = int(std::ceil(painter.boundingRect(room, wrapped, text).height()));
        const int height = std::min(needed, tallest);
        // inset a little: the lines that wrap have no tab to keep them off the frame
        band = {QRect(noteInset, bottom - height, pageRect.width() - 100 - noteInset, height), size, wrapped};
        if (needed <= tallest)
            break;
        if (size == smallestNotePointSize)
            qWarning() << "note of" << text.size() << "characters cut to the room above the totals";
    }
    painter.setFont(found);
    return band;
}

void PrinterManager::drawInvoiceNote(QPainter& painter, const QRect& pageRect, const InvoiceData& document,
                                     bool blankForm)
{
    const QString text = noteText(document, blankForm);
    if (text.isEmpty())
        return;
    const NoteBand band = noteBand(painter, pageRect, text);
    const QFont found = painter.font();
    QFont font = found;
    font.setPointSize(band.pointSize);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(band.rect, band.flags, text);
    painter.setFont(found);
}

QString PrinterManager::formatDueDates(const QList<InvoiceData::Scadenza>& scadenze)
{
    QString text;
    for (const InvoiceData::Scadenza& scadenza : scadenze)
        text += QLatin1Char('\t') + scadenza.first.toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char('\t')
            + scadenza.second + QStringLiteral("\t\t\t");
    return text;
}

void PrinterManager::drawFooter(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                const InvoiceData& document, bool blankForm)
{
    qDebug() << QString(69, QLatin1Char('_')) << pageRect;
    if (currPageHeight > footerTop) {
        qDebug() << "ERROR -- wrong heigth to draw footer " << currPageHeight << ' '
                 << (pageRect.height() - footerTop);
        return;
    }
    const InvoiceData& d = document;
    const int w = pageRect.width();
    const auto value = [blankForm](const QString& text) { return blankForm ? QString() : text; };
    const QString iva = formatCount(d.ivaPercent);

    currPageHeight = footerTop;
    auto cell = [&painter](int x, int y, int width, int height, const char* label, const QString& text,
                           bool bold = false) {
        drawLabelledCell(painter, x, y, width, height, QString::fromLatin1(label), text, labelSize, bold);
    };

    // goods and costs
    int y = footerTop;
    cell(0, y, 110, 34, " TOTALE MERCI LORDO ", value(twoDecimals(d.totaleMerci)));
    cell(110, y, 70, 34, "% SCONTO ", value(twoDecimals(d.scontoF)));
    cell(180, y, 90, 34, " IMPORTO SCONTO ", value(grouped(d.importoSconto)));
    cell(270, y, 110, 34, " TOTALE MERCI NETTO ", value(twoDecimals(d.merciNette())));
    cell(380, y, 60, 34, " TRASPORTO ", value(grouped(d.trasporto)));
    cell(440, y, 60, 34, " IMBALLO ", value(grouped(d.imballo)));
    cell(500, y, 60, 34, " VARIE ", value(grouped(d.varie)));
    cell(560, y, w - 560, 34, " DI CUI BANCARIE ", value(grouped(d.speseBancarie)));

    // VAT line and totals; the costs stand in it when they are taxed with the goods
    y = 794;
    const bool taxedCosts = d.speseImponibili();
    cell(0, y, 50, 57, " C.IVA ", value(iva));
    cell(50, y, 70, 57, " TRASPORTO ", taxedCosts ? value(grouped(d.trasporto)) : QString());
    cell(120, y, 70, 57, " IMBALLO ", value(taxedCosts ? grouped(d.imballo) : QStringLiteral(" ")));
    cell(190, y, 70, 57, " VARIE ", value(taxedCosts ? grouped(d.varie + d.speseBancarie) : QStringLiteral(" ")));
    cell(260, y, 80, 57, " IMPONIBILE ", value(grouped(d.totalImp)));
    cell(340, y, 70, 57, " %IVA ", value(iva));
    cell(410, y, w - 623, 57, " IMPORTO IVA ", value(grouped(d.totaleIva)));
    if (!blankForm)
        drawNatura(painter, QRect(410, y, w - 623, 57), d);
    cell(w - 213, y, 213, 32, " TOTALE IMPONIBILE ", value(formatAmountGrouped(d.totalImp)), true);
    cell(w - 213, y + 32, 213, 25, " TOTALE IVA ", value(formatAmountGrouped(d.totaleIva)), true);

    // due dates and the invoice total; the blank form keeps the due dates
    y = 851;
    drawDueDates(painter, QRect(0, y, w - 213, 34), formatDueDates(d.scadenze));
    painter.fillRect(QRect(w - 213, y, 213, 34), totalShade);
    cell(w - 213, y, 213, 34, " TOTALE FATTURA ",
         QStringLiteral("Euro ") + value(formatAmountGrouped(d.totale)), true);

    // goods and transport data
    y = 885;
    cell(0, y, 200, 34, " ASPETTO ESTERIORE DEI BENI ", value(d.transport.value(ASPETTO_FIELD).toUpper()));
    cell(200, y, 100, 34, " PESO LORDO ", value(twoDecimals(d.lordoColli)));
    cell(300, y, 100, 34, " PESO NETTO ", value(twoDecimals(d.nettoTotaleColli)));
    cell(400, y, w - 613, 34, " N. COLLI ", value(twoDecimals(d.colli)));
    cell(w - 213, y, 213, 34, " FIRMA VETTORE ", QString(), true);

    // carrier and start of transport
    y = 919;
    cell(0, y, w - 360, 34, " VETTORE ", QString());
    cell(w - 360, y, 180, 34, " DATA INIZIO TRASPORTO ", value(d.transport.value(DATA_INIZIO_FIELD)));
    cell(w - 180, y, 180, 34, " ORA INIZIO TRASPORTO ", value(d.transport.value(ORA_INIZIO_FIELD)));

    // signatures
    y = 953;
    const int half = w / 2 - 3;
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    cell(0, y, half, 34, " FIRMA DESTINATARIO ", QString());
    font.setBold(false);
    painter.setFont(font);
    cell(half, y, w - half, 34, " FIRMA CONDUCENTE ", QString());

    currPageHeight = footerBottom;
    qDebug() << "draw total amount area ";
}

QString PrinterManager::conditionsText(const QString& foro)
{
    // one printed line per part; the double blanks belong to the text
    return QStringLiteral(" Si prega vivamente di controllare la merce all'arrivo, reclami o rotture e /o difetti  non "
                          "possono  essere accettati in un secondo tempo. La merce viaggia a rischio e pericolo del "
                          "committente. Non si \n")
        + QStringLiteral(" accettano reclami dopo 8 giorni dal ricevimento della merce. E' AMMESSA UNA TOLLERANZA  DEL "
                         "2% SULLA MISURA DEI MATERASSI. In caso di  ritardato  pagamento  sarà  applicato  un "
                         "interesse\n")
        + QStringLiteral(" pari al tasso ufficiale di sconto piu'  tre punti percentuali. Per ogni controversia il foro "
                         "competente e  quello di ")
        + foro + QStringLiteral(".  Ai sensi dell'art. 10 della legge  675/96 si comunica che i dati della v.s. \n")
        + QStringLiteral(" ditta sono trattati solo ai fini fiscali e contabili");
}

void PrinterManager::drawContinued(QPainter& painter, int& currPageHeight, const QRect& pageRect)
{
    // The table is closed where the footer would start, and the footer's room says that
    // the document goes on.
    currPageHeight = footerTop;
    drawLine(painter, 0, footerTop, pageRect.width(), footerTop);
    const QFont found = painter.font();
    QFont font = found;
    font.setPointSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, footerTop, pageRect.width(), footerBottom - footerTop), Qt::AlignCenter,
                     QStringLiteral("SEGUE"));
    painter.setFont(found);
    currPageHeight = footerBottom;
}

void PrinterManager::drawConditions(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                    const InvoiceData& document)
{
    const QFont found = painter.font();
    QFont font = found;
    font.setPointSize(6);
    painter.setFont(font);
    painter.drawText(QRect(0, currPageHeight, pageRect.width(), 50), Qt::AlignLeft | Qt::AlignTop,
                     conditionsText(document.transport.value(FORO_FIELD)));
    painter.setFont(found);
}
