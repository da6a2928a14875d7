// Painting a long document: all pages of a 200-row document painted onto an A4 image,
// judged against one page of twenty rows, the document of every day.
// Usage: bench_printing [rows] [file.pdf]: the PDF, when named, is written for a look.
#include "benchsupport.h"

#include "companykeys.h"
#include "invoicedata.h"
#include "lineitem.h"
#include "preferencekeys.h"
#include "printermanager.h"

#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QTextStream>

namespace {

InvoiceData benchDocument(int rows)
{
    InvoiceData document;
    document.docType = QStringLiteral("FATTURA");
    document.number = 42;
    document.date = QDate(2026, 12, 6);
    document.note = QStringLiteral("Consegna al piano terra dalle 9 alle 13, citofonare al magazzino. ").repeated(3);
    document.company = {{RAGIONE_S, QStringLiteral("Mobili Rossi srl")}, {ADDRESS, QStringLiteral("via Roma 1")},
                        {LOCALITY, QStringLiteral("Monza")}, {PIVA, QStringLiteral("01234567890")}};
    document.customer = {{RAGIONE_S, QStringLiteral("Caffè del Corso srl")}, {CODE, QStringLiteral("C00007")},
                         {ADDRESS, QStringLiteral("via del Corso 12")}, {LOCALITY, QStringLiteral("Roma")}};
    document.transport = {{PORTO_FIELD, QStringLiteral("franco")}, {FORO_FIELD, QStringLiteral("Monza")}};
    document.payment = QStringLiteral("RIMESSA DIRETTA");
    for (int row = 1; row <= rows; ++row)
        document.rows.append({{LineItemKey::code, QStringLiteral("ART%1").arg(row, 4, 10, QLatin1Char('0'))},
                              {LineItemKey::description, row % 7 == 0
                                   ? QStringLiteral("materasso a molle insacchettate-con federa sfoderabile")
                                   : QStringLiteral("cuscino in memory foam")},
                              {LineItemKey::um, QStringLiteral("pz")},
                              {LineItemKey::amount, QStringLiteral("2")},
                              {LineItemKey::prize, QStringLiteral("45.5")},
                              {LineItemKey::total_amount, QStringLiteral("91")},
                              {LineItemKey::c_iva, QStringLiteral("22")}});
    document.ivaPercent = 22;
    document.totaleMerci = document.totalImp = 91.0 * rows;
    document.totaleIva = document.totalImp * 0.22;
    document.totale = document.totalImp + document.totaleIva;
    return document;
}

// Lays the document out and paints every page onto the image; returns milliseconds.
double paintAll(QImage& sheet, const InvoiceData& document, int* pageCount = nullptr)
{
    return millisecondsOf([&] {
        QPainter painter(&sheet);
        const QRect area = PrinterManager::drawingArea(sheet.size());
        painter.translate(area.topLeft());
        const QRect pageRect(QPoint(0, 0), area.size());
        const QList<PageSlice> pages = PrinterManager::layoutPages(painter, pageRect, document, false);
        for (const PageSlice& page : pages) {
            sheet.fill(Qt::white);
            PrinterManager::paintPage(painter, pageRect, document, page, false);
        }
        if (pageCount)
            *pageCount = int(pages.size());
    });
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const int rows = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 200;
    const InvoiceData document = benchDocument(rows);
    const InvoiceData everyDay = benchDocument(20);

    // A4 at the 96 dpi the layout is drawn for.
    QImage sheet(794, 1123, QImage::Format_ARGB32_Premultiplied);
    sheet.setDotsPerMeterX(3780);
    sheet.setDotsPerMeterY(3780);
    int pages = 0;
    paintAll(sheet, document, &pages); // fonts and glyphs loaded once, outside the rounds
    const Comparison painting = compareInRounds(
        15, [&] { return paintAll(sheet, document); }, [&] { return paintAll(sheet, everyDay); });

    QTextStream out(stdout);
    out << "document of " << rows << " rows, " << pages << " pages: painted in " << painting.measured
        << " ms (target < 100 ms); one page of 20 rows " << painting.probe << " ms; ratio " << painting.ratio
        << '\n';
    if (argc > 2) {
        const double written = millisecondsOf([&] { PrinterManager::exportPdf(QString::fromLocal8Bit(argv[2]), document); });
        out << "PDF written in " << written << " ms: " << argv[2] << '\n';
    }
    return 0;
}
