// The printed page, read back from what the real printInvoice() drew on a printer whose
// engines record every text with its box, and every rectangle, line and image.
#include "companykeys.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "preferencekeys.h"
#include "printermanager.h"
#include "stampavuota.h"
#include "modelhome.h"

#include <QLoggingCategory>
#include <QPaintEngine>
#include <QPrinter>
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
    Recording recording;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override
    {
        recording.shapes.append(onPage(QPolygonF(QList<QPointF>(points, points + count)).boundingRect()));
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { recording.shapes.append(onPage(r)); }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        recording.texts.append(
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
    mutable RecordingEngine engine;
};

Recording printed()
{
    RecordingPrinter printer;
    PrinterManager::printInvoice(&printer);
    return printer.engine.recording;
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
    m->setTrasporto("100");
    m->setImballo("20");
    m->setVarie("10");
    m->setSpeseBancarie("6.5");
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
        text("note", {0, 700, 713, 60}, " CONSEGNA AL PIANO");
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

    // Rows of one-word or wrapped descriptions: at most twenty, none overlapping another,
    // and the first row that would end below 712 ends the table. The lines of one
    // description follow the line spacing of the face "Times" resolves to, which for some
    // faces is a pixel less than their full ascent and descent.
    void tableRows_data()
    {
        QTest::addColumn<QList<int>>("words");
        QTest::addColumn<int>("count");
        QTest::newRow("25 short rows") << QList<int>(25, 1) << 20;
        QTest::newRow("tall rows") << QList<int>{1, 30, 1, 300, 1} << 3;
    }
    void tableRows()
    {
        QFETCH(QList<int>, words);
        QFETCH(int, count);
        ModelFacade* m = ModelFacade::instance();
        for (const int n : words) {
            const int id = m->addLineItem();
            m->setLineItemField(id, LineItemKey::code, QString::number(id));
            m->setLineItemField(id, LineItemKey::description, QString("parola ").repeated(n));
        }
        const Recording page = printed();
        QCOMPARE(page.in({0, 310, 90, 402}).size(), count);

        // each row is drawn from its code on: its texts make a band across the table
        QList<QRectF> bands;
        QList<qreal> lineTops; // of the description lines, row after row
        QList<int> rowOfLine;
        for (const DrawnText& text : page.in({0, 310, 713, 450})) {
            if (text.box.center().x() < 90)
                bands.append(text.box);
            bands.last() |= text.box;
            if (text.box.center().x() > 90 && text.box.center().x() < 310) {
                lineTops.append(text.box.top());
                rowOfLine.append(int(bands.size()));
            }
        }
        QCOMPARE(bands.size(), count);
        for (int row = 0; row < count; ++row) {
            QVERIFY2(bands.at(row).bottom() <= 712, qPrintable(QString::number(row)));
            QVERIFY(row == 0 || bands.at(row - 1).bottom() <= bands.at(row).top());
        }
        RecordingPrinter device;
        const qreal lineSpacing = QFontMetricsF(QFont(QStringLiteral("Times"), 8), &device).lineSpacing();
        for (int line = 1; line < lineTops.size(); ++line)
            QVERIFY(rowOfLine.at(line) != rowOfLine.at(line - 1)
                    || lineTops.at(line) - lineTops.at(line - 1) >= lineSpacing - 0.01);
    }

    void fittingRows()
    {
        QCOMPARE(PrinterManager::fittingRows(310, QList<int>(30, 5), 100), 21); // short rows count as 18
        QCOMPARE(PrinterManager::fittingRows(694, {18}, 20), 1);
        QCOMPARE(PrinterManager::fittingRows(695, {18}, 20), 0);
    }

    // Monthly due dates for a year do not fit at full size: the line shrinks, none is cut.
    void dueDates_manyShrinkToFitTheCell()
    {
        for (int month = 1; month <= 12; ++month)
            ModelFacade::instance()->addScadenzaDate(QDate(2024, month, 10), QStringLiteral("RIBA"));
        const QRectF cell(0, 851, 500, 34);
        const Recording page = printed();
        QCOMPARE(page.textIn(cell).count(QRegularExpression(QStringLiteral("/2024\\W+RIBA"))), 12);
        for (const DrawnText& line : page.in(cell))
            QVERIFY2(cell.contains(line.box), qPrintable(line.text));
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
