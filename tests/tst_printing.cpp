// The printed pages, read back from what the real printing drew on a printer whose engines
// record every text with its box, and every rectangle, line and image, page by page.
#include "amounttext.h"
#include "companykeys.h"
#include "invoice.h"
#include "invoicedata.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "preferencekeys.h"
#include "printermanager.h"
#include "stampavuota.h"
#include "modelhome.h"

#include <QLoggingCategory>
#include <QPaintEngine>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct DrawnText
{
    QString text;
    QRectF box; // page coordinates: the drawing area's corner is (0, 0)
    bool operator==(const DrawnText& o) const { return text == o.text && box == o.box; }
};

struct Recording
{
    QList<DrawnText> texts; // in the order drawn
    QList<QRectF> shapes;   // rectangles, images, and lines from corner to corner

    QList<DrawnText> in(const QRectF& area) const // whose middle lies in `area`
    {
        QList<DrawnText> found;
        std::copy_if(texts.cbegin(), texts.cend(), std::back_inserter(found),
                     [&](const DrawnText& t) { return area.contains(t.box.center()); });
        return found;
    }
    QString textIn(const QRectF& area, const QString& except = QString()) const
    {
        QStringList all;
        for (const DrawnText& t : in(area))
            if (t.text != except)
                all.append(t.text);
        return all.join(QLatin1Char('|'));
    }
};

// Records every text with its box, and every rectangle, line and image.
class RecordingEngine final : public QPaintEngine
{
public:
    // Rectangles and lines come as polygons.
    RecordingEngine() : QPaintEngine(PaintEngineFeatures(AllFeatures) & ~PainterPaths) {}
    QList<Recording> pages{1};

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override
    {
        pages.last().shapes.append(onPage(QPolygonF(QList<QPointF>(points, points + count)).boundingRect()));
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { pages.last().shapes.append(onPage(r)); }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        pages.last().texts.append(
            {item.text(), onPage({p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()})});
    }
    Type type() const override { return User; }

private:
    QRectF onPage(const QRectF& r) const
    {
        return painter()->transform().mapRect(r).translated(-PrinterManager::leftMargin, -PrinterManager::topMargin);
    }
};

// A PDF printer whose painting is recorded instead of written.
class RecordingPrinter final : public QPrinter
{
public:
    RecordingPrinter() : QPrinter(QPrinter::ScreenResolution)
    {
        setOutputFormat(QPrinter::PdfFormat);
        setPageSize(QPageSize(QPageSize::Letter)); // until printInvoice() sets the page up
    }
    QPaintEngine* paintEngine() const override { return &engine; }
    bool newPage() override
    {
        engine.pages.append(Recording());
        return true;
    }
    mutable RecordingEngine engine;
};

// The facade's current invoice, as the window prints it: one page expected.
Recording printed()
{
    RecordingPrinter printer;
    PrinterManager::printInvoice(&printer);
    return printer.engine.pages.value(0);
}

QList<Recording> printed(const InvoiceData& document, bool blankForm = false)
{
    RecordingPrinter printer;
    PrinterManager::printDocument(&printer, document, blankForm);
    return printer.engine.pages;
}

// A document of `rows` rows, coded R1, R2, ..., whose descriptions have `words` words.
InvoiceData documentOf(int rows, int words = 1, const QString& note = QString())
{
    InvoiceData document;
    document.docType = QStringLiteral("FATTURA");
    document.number = 42;
    document.date = QDate(2026, 12, 6);
    document.note = note;
    document.customer = {{RAGIONE_S, QStringLiteral("rossi srl")}, {CODE, QStringLiteral("C00007")}};
    for (int row = 1; row <= rows; ++row)
        document.rows.append({{LineItemKey::code, QStringLiteral("R%1").arg(row)},
                              {LineItemKey::description, QStringLiteral("parola ").repeated(words)},
                              {LineItemKey::total_amount, QStringLiteral("10")}});
    document.totale = 1234.5;
    return document;
}

// The bands the rows take on a page, one per row from its code on, in the order drawn.
QList<QRectF> rowBands(const Recording& page, qreal below)
{
    QList<QRectF> bands;
    for (const DrawnText& text : page.in({0, 310, 713, below - 310})) {
        if (text.box.center().x() < 90)
            bands.append(text.box);
        else if (!bands.isEmpty())
            bands.last() |= text.box;
    }
    return bands;
}

using Fields = QList<std::pair<QString, QString>>;

// The own company, a registered customer, the court's city and one invoice line; the
// total comes to 1234.50.
void fillInvoice(const QString& via2 = QString())
{
    ModelFacade* m = ModelFacade::instance();
    for (const auto& [key, value] : Fields{{RAGIONE_S, "mobili rossi srl"}, {TELEPHONE, "02 123456"}})
        m->setCompanyField(key, value);
    m->commitCompany();
    for (const auto& [key, value] :
         Fields{{RAGIONE_S, "acme spa"}, {ADDRESS, "via verdi 2"}, {LOCALITY, "roma"}, {CITY, "rm"},
                {NAZIONE, "italia"}, {PIVA, "09876543210"}, {FISCAL_CODE, "acmfsc"}, {VIA2, via2},
                {CAP2, "00199"}, {LOC2, "roma"}, {CITY2, "rm"}, {NAZIONE2, "italia"}})
        m->setCustomerField(key, value);
    m->selectInvoiceCustomer(m->addCustomer(nullptr));
    m->setPreferenceField(FORO_FIELD, "monza");
    m->setIva("22");
    m->setFDate(QDate(2024, 3, 5));
    m->setPayment("RIMESSA DIRETTA");
    m->setTmpBankInfo("03069", "09400", "it60x0542811101000000123456", "milano centro");
    m->setDocType("Nota di credito");
    const int id = m->addLineItem();
    for (const auto& [key, value] : Fields{{LineItemKey::description, "tavolo-legno"}, {LineItemKey::um, "metri"},
                                           {LineItemKey::amount, "2"}, {LineItemKey::prize, "500"}})
        m->setLineItemField(id, key, value);
    m->setScontoF("10");
    for (const auto& [set, value] : {std::pair{&ModelFacade::setTrasporto, "100"}, {&ModelFacade::setImballo, "20"},
                                     {&ModelFacade::setVarie, "10"}, {&ModelFacade::setSpeseBancarie, "6.5"}})
        (m->*set)(QString::fromLatin1(value));
    m->addScadenzaDate(QDate(2024, 1, 31), "RIBA");
    m->addScadenzaDate(QDate(2024, 2, 28), QString());
    m->setFNote("consegna al piano");
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init()
    {
        home = std::make_unique<ModelHome>();
        ModelFacade::instance()->loadPersistentData();
    }
    void cleanup()
    {
        stampaVuota = false;
        home.reset();
    }

    // A file chosen in the print dialog stays a file, with the drawing area inside the
    // margins; a file that cannot be opened gets a warning and no drawing at all.
    void pdfOutput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("written");
        QTest::newRow("writable") << "page.pdf" << true;
        QTest::newRow("missing directory") << "missing/page.pdf" << false;
    }
    void pdfOutput()
    {
        QFETCH(QString, file);
        QFETCH(bool, written);
        fillInvoice();
        QTemporaryDir dir;
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(file));
        if (!written) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));
            QTest::ignoreMessage(QtWarningMsg, "failed to open file, is it writable?");
            QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); // "Painter not active"
        }
        PrinterManager::printInvoice(&printer);
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(readFile(printer.outputFileName()).startsWith("%PDF-"), written);
        const QRect area = PrinterManager::drawingArea(&printer);
        QCOMPARE(area.topLeft(), QPoint(50, 50));
        QVERIFY2(area.width() >= 713 && area.height() >= 1040, qPrintable(QDebug::toString(area)));
    }

    // Texts at their place on the page, filled and as a blank form; a labelled cell is a
    // box with its label and, on the lower edge, its value.
    void pageTexts_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QRectF>("area");
        QTest::addColumn<QString>("filled");
        QTest::addColumn<QString>("blank");
        QTest::addColumn<QString>("via2");
        QTest::addColumn<QString>("note");
        const auto text = [](const char* tag, QRectF area, const QString& filled, const QString& blank = QString(),
                             const QString& via2 = QString(), const QString& note = "consegna al piano") {
            QTest::newRow(tag) << QString() << area << filled << blank << via2 << note;
        };
        const auto cell = [](const char* label, QRectF area, const QString& filled, const QString& blank = QString()) {
            QTest::newRow(label) << QLatin1Char(' ') + QString::fromLatin1(label) << area << filled << blank
                                 << QString() << "consegna al piano";
        };
        text("customer name", {370, 15, 343, 20}, " ACME SPA", " ");
        text("delivery none", {370, 149, 343, 30}, "  IDEM", " ");
        text("delivery too short", {370, 149, 343, 30}, "  IDEM", " ", "ab");
        text("delivery street", {370, 149, 343, 30}, " VIA GARIBALDI 5 |  00199 ROMA RM - ITALIA", " ",
             "via garibaldi 5");
        text("telephones", {70, 115, 360, 20}, "  Tel. Fax. 02 123456 ", "  Tel. Fax. 02 123456 ");
        text("bank", {220, 236, 493, 22},
             "    IBAN         IT60X0542811101000000123456         ABI                03069"
             "               CAB               09400|    MILANO CENTRO",
             "    IBAN                  ABI                               CAB               |    ");
        text("unit in capitals", {310, 310, 40, 18}, "METRI");
        text("amount grouped", {550, 310, 80, 18}, "1.000,00");
        text("vat code as amount", {630, 310, 83, 18}, "22,00");
        text("hyphen breaks the description", {90, 310, 220, 30}, "TAVOLO|LEGNO");
        text("note of two characters", {0, 700, 713, 60}, "", "", "", "ok");
        text("note of three characters", {0, 700, 713, 60}, " URG", "", "", "urg");
        cell("DATA FATTURA", {100, 190, 150, 34}, "05.03.2024");
        cell("N. PAGINA", {250, 190, 70, 34}, "1");
        cell("CODICE CLIENTE", {320, 190, 100, 34}, "C00001");
        cell("CODICE AGENTE", {420, 190, 90, 34}, "");
        cell("CONDIZIONI DI PAGAMENTO", {0, 224, 220, 34}, "RIMESSA DIRETTA");
        cell("TIPO DOCUMENTO", {450, 258, 263, 34}, "Nota di credito");
        cell(" TOTALE MERCI LORDO ", {0, 760, 110, 34}, "1000,00");
        cell(" IMPORTO SCONTO ", {180, 760, 90, 34}, "100,00");
        cell(" TOTALE MERCI NETTO ", {270, 760, 110, 34}, "900,00");
        cell(" IMPORTO IVA ", {410, 794, 90, 57}, "198,00");
        cell(" SCADENZE EFFETTI ", {0, 851, 500, 34}, " 31/01/2024 RIBA    28/02/2024    ",
             " 31/01/2024 RIBA    28/02/2024    ");
        cell(" TOTALE FATTURA ", {500, 851, 213, 34}, "Euro 1.234,50", "Euro ");
    }
    void pageTexts()
    {
        QFETCH(QString, label);
        QFETCH(QRectF, area);
        QFETCH(QString, via2);
        QFETCH(QString, note);
        QFETCH(QString, filled);
        QFETCH(QString, blank);
        fillInvoice(via2);
        ModelFacade::instance()->setFNote(note);
        for (const bool blankForm : {false, true}) {
            stampaVuota = blankForm;
            const Recording page = printed();
            QCOMPARE(page.textIn(area, label), blankForm ? blank : filled);
            QVERIFY(label.isEmpty() || page.shapes.contains(area));
            for (const DrawnText& t : page.in(area))
                QVERIFY(label.isEmpty() || t.box.bottom() == area.bottom() || t.text == label);
        }
    }

    // Rows are shared out over pages: as many as fit from 310 down to 712, down to the
    // note's room on the last page; a row taller than a page is cut to it, never dropped.
    void paginate_data()
    {
        QTest::addColumn<QList<int>>("heights");
        QTest::addColumn<int>("lastLimit");
        QTest::addColumn<QList<int>>("rowsPerPage");
        QTest::newRow("no rows") << QList<int>() << 712 << QList<int>{0};
        QTest::newRow("short rows count as 18") << QList<int>(21, 5) << 712 << QList<int>{21};
        QTest::newRow("one row too many") << QList<int>(22, 18) << 712 << QList<int>{21, 1};
        QTest::newRow("60 rows") << QList<int>(60, 18) << 712 << QList<int>{21, 21, 18};
        QTest::newRow("a taller note moves the last row on") << QList<int>(21, 18) << 689 << QList<int>{20, 1};
        QTest::newRow("row ending at the limit") << QList<int>{383, 18} << 712 << QList<int>{2};
        QTest::newRow("row crossing the limit") << QList<int>{384, 18} << 712 << QList<int>{1, 1};
        QTest::newRow("row taller than a page") << QList<int>{18, 1000, 18} << 712 << QList<int>{1, 1, 1};
    }
    void paginate()
    {
        QFETCH(QList<int>, heights);
        QFETCH(int, lastLimit);
        QFETCH(QList<int>, rowsPerPage);
        const QList<PageSlice> pages = ::paginate(heights, {310, 712, lastLimit, 18, 1});
        QList<int> counts;
        int next = 0;
        for (const PageSlice& page : pages) {
            counts.append(page.rowCount);
            QCOMPARE(page.firstRow, next);
            QCOMPARE(page.rowHeights.size(), page.rowCount);
            QCOMPARE(page.isLast, page.pageNumber == page.pageCount);
            int y = 310;
            for (const int height : page.rowHeights)
                y += height + 1;
            QVERIFY(y - 1 <= (page.isLast ? lastLimit : 712));
            next += page.rowCount;
        }
        QCOMPARE(counts, rowsPerPage);
    }

    // Every page repeats the upper blocks with its number, every row is printed once, in
    // order, clear of the next and above the limit; the totals are on the last page only,
    // SEGUE on the others. A one-page document keeps "1" and its single page.
    void pages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("pageCount");
        QTest::newRow("one page") << 3 << 1 << 1;
        QTest::newRow("25 short rows") << 25 << 1 << 2;
        QTest::newRow("60 rows") << 60 << 1 << 3;
        QTest::newRow("wrapped descriptions") << 12 << 40 << 4;
    }
    void pages()
    {
        QFETCH(int, rows);
        QFETCH(int, words);
        QFETCH(int, pageCount);
        const QList<Recording> pages = printed(documentOf(rows, words));
        QCOMPARE(pages.size(), pageCount);
        RecordingPrinter device;
        const qreal lineSpacing = QFontMetricsF(QFont(QStringLiteral("Times"), 8), &device).lineSpacing();
        QStringList codes;
        for (const Recording& page : pages) {
            const bool last = &page == &pages.last();
            const int number = int(&page - pages.data()) + 1;
            QCOMPARE(page.textIn({250, 190, 70, 34}, " N. PAGINA"),
                     pageCount == 1 ? QStringLiteral("1") : QStringLiteral("%1 di %2").arg(number).arg(pageCount));
            QCOMPARE(page.textIn({370, 15, 343, 20}), " ROSSI SRL");
            QCOMPARE(page.textIn({0, 292, 90, 18}), "COD. ARTICOLO");
            QCOMPARE(page.textIn({500, 851, 213, 34}), last ? "  TOTALE FATTURA |Euro 1.234,50" : "");
            QCOMPARE(page.textIn({0, 760, 713, 227}).contains("SEGUE"), !last);
            QVERIFY(page.textIn({0, 990, 713, 50}).contains("ditta sono trattati"));
            const QList<QRectF> bands = rowBands(page, 760);
            for (int row = 0; row < bands.size(); ++row) {
                QVERIFY2(bands.at(row).bottom() <= 712, qPrintable(QString::number(row)));
                QVERIFY(row == 0 || bands.at(row - 1).bottom() <= bands.at(row).top());
            }
            // the lines of one description follow the line spacing of the face "Times"
            // resolves to, which for some faces is a pixel less than ascent and descent
            const QList<DrawnText> lines = page.in({90, 310, 220, 402});
            for (qsizetype line = 1; line < lines.size(); ++line)
                QVERIFY(lines.at(line).box.top() - lines.at(line - 1).box.top() >= lineSpacing - 0.01);
            for (const DrawnText& text : page.in({0, 310, 90, 402}))
                codes.append(text.text);
        }
        QStringList expected;
        for (int row = 1; row <= rows; ++row)
            expected.append(QStringLiteral("R%1").arg(row));
        QCOMPARE(codes, expected);
    }

    // The note band: a short note on its one line at 720, a long one whole on wrapped lines
    // that grow upwards and push the last rows on; a credit note names the invoice it
    // corrects before the note; a blank form prints neither.
    void noteBand_data()
    {
        QTest::addColumn<QString>("docType");
        QTest::addColumn<int>("linkedNumber");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<int>("pageCount");
        const QString longNote = QStringLiteral("consegna al piano terra dalle nove alle tredici ").repeated(6)
            + QStringLiteral("fine");
        QTest::newRow("one line") << "FATTURA" << 0 << "consegna al piano" << 21 << " CONSEGNA AL PIANO" << 1;
        QTest::newRow("long note, whole") << "FATTURA" << 0 << longNote << 21 << longNote.toUpper() << 2;
        QTest::newRow("credit note") << "NOTA DI CREDITO" << 42 << "reso" << 1
                                     << " Nota di credito relativa alla fattura N. 42 del 06/12/2026 RESO" << 1;
        QTest::newRow("invoice keeps no link") << "FATTURA" << 42 << "" << 1 << "" << 1;
    }
    void noteBand()
    {
        QFETCH(QString, docType);
        QFETCH(int, linkedNumber);
        QFETCH(QString, note);
        QFETCH(int, rows);
        QFETCH(QString, printed);
        QFETCH(int, pageCount);
        InvoiceData document = documentOf(rows, 1, note);
        document.docType = docType;
        document.linkedNumber = linkedNumber;
        document.linkedDate = QDate(2026, 12, 6);
        const QList<Recording> pages = ::printed(document);
        QCOMPARE(pages.size(), pageCount);
        const QList<DrawnText> lines = pages.last().in({0, 320, 713, 440}); // above the footer
        QStringList words;
        qreal noteTop = 760;
        for (const DrawnText& line : lines)
            if (line.box.left() < 5) { // the codes stand centred in their column
                words.append(line.text.simplified());
                noteTop = std::min(noteTop, line.box.top());
                QVERIFY2(line.box.right() <= 613 && line.box.bottom() <= 760, qPrintable(line.text));
            }
        QCOMPARE(words.join(QLatin1Char(' ')), printed.simplified());
        for (const QRectF& band : rowBands(pages.last(), noteTop))
            QVERIFY(band.bottom() <= noteTop);
        QVERIFY(::printed(document, true).last().textIn({0, 320, 713, 440}).simplified().isEmpty());
    }

    // The footer prints the model's own cents: the goods after the discount, the costs in
    // the VAT line when they are taxed, the nature of a 0 % rate where the VAT would stand,
    // the stamp duty under the note and in the total when the customer pays it.
    void footerTotals_data()
    {
        QTest::addColumn<int>("iva");
        QTest::addColumn<QString>("settings"); // company keys KEY=value
        QTest::addColumn<QString>("expected"); // the cells below, then the note band
        const QString costs = "IVA_SPESE=1";
        QTest::newRow("costs outside the VAT") << 22 << "" << "900,00||||900,00|198,00|900,00|198,00|Euro 1.234,50|";
        QTest::newRow("costs taxed") << 22 << costs
                                     << "900,00|100,00|20,00|16,50|1.036,50|228,03|1.036,50|228,03|Euro 1.264,53|";
        QTest::newRow("exempt with the stamp charged") << 0 << "BOLLO_A_CARICO=1"
                                                       << "900,00||||900,00|N4 art. 10 DPR 633/72|900,00|0,00|Euro 1.038,50|"
                                                          "Imposta di bollo assolta in modo virtuale Euro 2,00, a carico del cliente";
    }
    void footerTotals()
    {
        QFETCH(int, iva);
        QFETCH(QString, settings);
        QFETCH(QString, expected);
        QMap<QString, QString> company;
        for (const QString& setting : settings.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            company.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
        Invoice invoice(nullptr);
        invoice.setCompanySettings(company);
        invoice.setNatura(QStringLiteral("N4"), QStringLiteral("art. 10 DPR 633/72"));
        invoice.setIva(iva);
        const int id = invoice.addLineItem();
        invoice.setLineItemField(id, LineItemKey::amount, QStringLiteral("2"));
        invoice.setLineItemField(id, LineItemKey::prize, QStringLiteral("500"));
        invoice.setScontoF(QStringLiteral("10"));
        for (const auto& [set, value] : {std::pair{&Invoice::setTrasporto, "100"}, {&Invoice::setImballo, "20"},
                                         {&Invoice::setVarie, "10"}, {&Invoice::setSpeseBancarie, "6,5"}})
            (invoice.*set)(QString::fromLatin1(value));
        InvoiceData document = invoice.snapshot();
        document.company = company;
        const Recording page = printed(document).first();
        QStringList cells;
        for (const auto& [label, area] : QList<std::pair<const char*, QRectF>>{
                 {" TOTALE MERCI NETTO ", {270, 760, 110, 34}}, {" TRASPORTO ", {50, 794, 70, 57}},
                 {" IMBALLO ", {120, 794, 70, 57}}, {" VARIE ", {190, 794, 70, 57}}, {" IMPONIBILE ", {260, 794, 80, 57}},
                 {" IMPORTO IVA ", {410, 794, 90, 57}}, {" TOTALE IMPONIBILE ", {500, 794, 213, 32}},
                 {" TOTALE IVA ", {500, 826, 213, 25}}, {" TOTALE FATTURA ", {500, 851, 213, 34}}}) {
            const QString cell = page.textIn(area, QLatin1Char(' ') + QString::fromLatin1(label));
            cells.append(cell.split(QLatin1Char('|')).join(QLatin1Char(' ')).simplified());
            for (const DrawnText& t : page.in(area))
                QVERIFY2(area.contains(t.box), qPrintable(t.text));
        }
        cells.append(page.textIn({0, 600, 613, 160}).simplified());
        QCOMPARE(cells.join(QLatin1Char('|')), expected);
        QCOMPARE(formatAmountGrouped(document.totale), expected.section(QStringLiteral("Euro "), 1).section('|', 0, 0));
    }

    // Monthly due dates for a year do not fit at full size: the line shrinks, none is cut.
    void dueDates_manyShrinkToFitTheCell()
    {
        InvoiceData document;
        for (int month = 1; month <= 12; ++month)
            document.scadenze.append({QDate(2024, month, 10), QStringLiteral("RIBA")});
        const QRectF cell(0, 851, 500, 34);
        const Recording page = printed(document).first();
        QCOMPARE(page.textIn(cell).count(QRegularExpression(QStringLiteral("/2024\\W+RIBA"))), 12);
        for (const DrawnText& line : page.in(cell))
            QVERIFY2(cell.contains(line.box), qPrintable(line.text));
    }

    // The PDF export writes every page; a file that cannot be written leaves nothing
    // under its name.
    void exportPdf_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("written");
        QTest::newRow("new file") << "FATTURA_2026_42_ROSSI SRL.pdf" << true;
        QTest::newRow("missing directory") << "missing/FATTURA.pdf" << false;
    }
    void exportPdf()
    {
        QFETCH(QString, file);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        if (!written)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^PDF not written")));
        QCOMPARE(PrinterManager::exportPdf(path, documentOf(60)), written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), written ? QStringList{file} : QStringList());
        if (!written)
            return;
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        if (!pdftotext.waitForFinished())
            QSKIP("pdftotext is not installed");
        // what each page holds is read from the recording above; here, that all three are written
        const QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
        QCOMPARE(pages.size(), 4); // three pages and what follows the last form feed
        QVERIFY(pages.at(2).contains("3 di 3") && pages.at(2).contains(QRegularExpression(QStringLiteral("\\bR60\\b"))));
    }

    // Two renders are the same; the blank form keeps the boxes, rules, letterhead, due
    // dates and conditions of sale, and no other text.
    void blankForm_keepsTheForm()
    {
        fillInvoice(QStringLiteral("via garibaldi 5"));
        const Recording full = printed();
        const Recording again = printed();
        QVERIFY(full.texts.size() > 80 && full.texts == again.texts && full.shapes == again.shapes);
        stampaVuota = true;
        const Recording blank = printed();
        QCOMPARE(blank.shapes, full.shapes);
        QVERIFY(full.shapes.contains(QRectF(0, 0, 713, 987)));  // the frame
        QVERIFY(full.shapes.contains(QRectF(40, 117, 14, 14))); // the telephone icon, clear of "Email"
        QVERIFY(full.textIn({0, 990, 713, 50}).contains(QStringLiteral("competente e  quello di MONZA.")));
        for (const DrawnText& text : blank.texts)
            QVERIFY2(text.text.trimmed().isEmpty() || full.texts.contains(text) || text.text == "Euro "
                         || text.text.simplified() == "IBAN ABI CAB",
                     qPrintable(text.text));
    }

private:
    std::unique_ptr<ModelHome> home;
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
