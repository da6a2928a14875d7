// The lower part of the page: the invoice note, the six footer rows with the totals and
// the transport data, and the conditions of sale under the frame.
#include "printermanager.h"

#include "amounttext.h"
#include "modelfacade.h"
#include "stampavuota.h"

#include <QColor>
#include <QDebug>
#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr int labelSize = 7;
constexpr int valueSize = 9;
constexpr int smallestDueDateSize = 6;
const QColor totalShade(230, 230, 230, 200);

QString twoDecimals(double amount)
{
    return blankIfZero(formatAmount(amount));
}

QString grouped(double amount)
{
    return blankIfZero(formatAmountGrouped(amount));
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

void PrinterManager::drawInvoiceNote(QPainter& painter, int& currPageHeight, const QRect& pageRect)
{
    Q_UNUSED(currPageHeight)
    const QString note = ModelFacade::instance()->getFNote();
    if (note.size() < 3 || stampaVuota)
        return;
    const QFont found = painter.font();
    QFont font = found;
    font.setPointSize(14);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, noteTop, pageRect.width() - 100, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QLatin1Char('\t') + note.toUpper());
    painter.setFont(found);
}

QString PrinterManager::formatDueDates(const QList<Scadenza>& scadenze)
{
    QString text;
    for (const Scadenza& scadenza : scadenze)
        text += QLatin1Char('\t') + scadenza.first.toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char('\t')
            + scadenza.second + QStringLiteral("\t\t\t");
    return text;
}

void PrinterManager::drawFooter(QPainter& painter, int& currPageHeight, const QRect& pageRect)
{
    qDebug() << QString(69, QLatin1Char('_')) << pageRect;
    if (currPageHeight > footerTop) {
        qDebug() << "ERROR -- wrong heigth to draw footer " << currPageHeight << ' '
                 << (pageRect.height() - footerTop);
        return;
    }
    ModelFacade* model = ModelFacade::instance();
    const int w = pageRect.width();
    const bool blank = stampaVuota;
    const auto value = [blank](const QString& text) { return blank ? QString() : text; };
    const QString iva = formatCount(model->getIva());

    currPageHeight = footerTop;
    auto cell = [&painter](int x, int y, int width, int height, const char* label, const QString& text,
                           bool bold = false) {
        drawLabelledCell(painter, x, y, width, height, QString::fromLatin1(label), text, labelSize, bold);
    };

    // goods and costs
    int y = footerTop;
    cell(0, y, 110, 34, " TOTALE MERCI LORDO ", value(twoDecimals(model->getTotaleMerci())));
    cell(110, y, 70, 34, "% SCONTO ", value(twoDecimals(model->getScontoF())));
    cell(180, y, 90, 34, " IMPORTO SCONTO ", value(grouped(model->getImportoSconto())));
    cell(270, y, 110, 34, " TOTALE MERCI NETTO ", value(twoDecimals(model->getTotalImp())));
    cell(380, y, 60, 34, " TRASPORTO ", value(grouped(model->getTrasporto())));
    cell(440, y, 60, 34, " IMBALLO ", value(grouped(model->getImballo())));
    cell(500, y, 60, 34, " VARIE ", value(grouped(model->getVarie())));
    cell(560, y, w - 560, 34, " DI CUI BANCARIE ", value(grouped(model->getSpeseBancarie())));

    // VAT line and totals
    y = 794;
    cell(0, y, 50, 57, " C.IVA ", value(iva));
    cell(50, y, 70, 57, " TRASPORTO ", QString());
    cell(120, y, 70, 57, " IMBALLO ", value(QStringLiteral(" ")));
    cell(190, y, 70, 57, " VARIE ", value(QStringLiteral(" ")));
    cell(260, y, 80, 57, " IMPONIBILE ", value(grouped(model->getTotalImp())));
    cell(340, y, 70, 57, " %IVA ", value(iva));
    cell(410, y, w - 623, 57, " IMPORTO IVA ", value(grouped(model->getTotaleIva())));
    cell(w - 213, y, 213, 32, " TOTALE IMPONIBILE ", value(formatAmountGrouped(model->getTotalImp())), true);
    cell(w - 213, y + 32, 213, 25, " TOTALE IVA ", value(formatAmountGrouped(model->getTotaleIva())), true);

    // due dates and the invoice total; the blank form keeps the due dates
    y = 851;
    drawDueDates(painter, QRect(0, y, w - 213, 34), formatDueDates(model->getScadenze()));
    painter.fillRect(QRect(w - 213, y, 213, 34), totalShade);
    cell(w - 213, y, 213, 34, " TOTALE FATTURA ",
         QStringLiteral("Euro ") + value(formatAmountGrouped(model->getTotale())), true);

    // goods and transport data
    y = 885;
    cell(0, y, 200, 34, " ASPETTO ESTERIORE DEI BENI ", value(model->getAspetto().toUpper()));
    cell(200, y, 100, 34, " PESO LORDO ", value(twoDecimals(model->getLordoColli())));
    cell(300, y, 100, 34, " PESO NETTO ", value(twoDecimals(model->getNettoTotaleColli())));
    cell(400, y, w - 613, 34, " N. COLLI ", value(twoDecimals(model->getColli())));
    cell(w - 213, y, 213, 34, " FIRMA VETTORE ", QString(), true);

    // carrier and start of transport
    y = 919;
    cell(0, y, w - 360, 34, " VETTORE ", QString());
    cell(w - 360, y, 180, 34, " DATA INIZIO TRASPORTO ", value(model->getDataInizio()));
    cell(w - 180, y, 180, 34, " ORA INIZIO TRASPORTO ", value(model->getOraInizio()));

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

void PrinterManager::drawConditions(QPainter& painter, int& currPageHeight, const QRect& pageRect)
{
    const QFont found = painter.font();
    QFont font = found;
    font.setPointSize(6);
    painter.setFont(font);
    painter.drawText(QRect(0, currPageHeight, pageRect.width(), 50), Qt::AlignLeft | Qt::AlignTop,
                     conditionsText(ModelFacade::instance()->getForo()));
    painter.setFont(found);
}
