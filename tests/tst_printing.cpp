// The printed page, read back from what the real printInvoice() drew: a printer whose
// engines record every text with its box and font, every line, rectangle and image.
#include "companykeys.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "preferencekeys.h"
#include "printermanager.h"
#include "stampavuota.h"
#include "testhome.h"

#include <QFontInfo>
#include <QLoggingCategory>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct DrawnText
{
    QString text;
    QRectF box; // page coordinates: the drawing area's corner is (0, 0)
    qreal pointSize;
    bool bold;
    QString family;
    bool operator==(const DrawnText& o) const
    {
        return std::tie(text, box, pointSize, bold, family) == std::tie(o.text, o.box, o.pointSize, o.bold, o.family);
    }
};

struct DrawnShape
{
    enum Kind { Outline, Fill, Line, Image } kind;
    QRectF rect; // a line's two ends are the rectangle's corners
    QColor colour;
    qreal penWidth;
    bool operator==(const DrawnShape& o) const
    {
        return std::tie(kind, rect, colour, penWidth) == std::tie(o.kind, o.rect, o.colour, o.penWidth);
    }
};

struct Recording
{
    QList<DrawnText> texts;
    QList<DrawnShape> shapes;
    bool operator==(const Recording& o) const { return texts == o.texts && shapes == o.shapes; }

    // Texts whose middle lies in `area`, top to bottom, then left to right.
    QList<DrawnText> in(const QRectF& area) const
    {
        QList<DrawnText> found;
        for (const DrawnText& t : texts)
            if (area.contains(t.box.center()))
                found.append(t);
        std::sort(found.begin(), found.end(), [](const DrawnText& a, const DrawnText& b) {
            return std::pair(a.box.top(), a.box.left()) < std::pair(b.box.top(), b.box.left());
        });
        return found;
    }
    QString textIn(const QRectF& area) const
    {
        QStringList all;
        for (const DrawnText& t : in(area))
            all.append(t.text);
        return all.join(QLatin1Char('|'));
    }
    // The value of a labelled cell: what it holds besides its label.
    QString valueIn(const QRectF& cell, const QString& label) const
    {
        QStringList values;
        for (const DrawnText& t : in(cell))
            if (t.text != QLatin1Char(' ') + label)
                values.append(t.text);
        return values.join(QLatin1Char('|'));
    }
    bool contains(const QString& fragment) const
    {
        return std::any_of(texts.cbegin(), texts.cend(), [&](const DrawnText& t) { return t.text.contains(fragment); });
    }
    bool hasShape(DrawnShape::Kind kind, const QRectF& rect) const
    {
        return std::any_of(shapes.cbegin(), shapes.cend(), [&](const DrawnShape& s) {
            return s.kind == kind && qAbs(s.rect.left() - rect.left()) < 0.01 && qAbs(s.rect.top() - rect.top()) < 0.01
                && qAbs(s.rect.right() - rect.right()) < 0.01 && qAbs(s.rect.bottom() - rect.bottom()) < 0.01;
        });
    }
};

const QPointF drawingOrigin(PrinterManager::leftMargin, PrinterManager::topMargin);

// Paint engine and print engine in one, as a printer's engines are: 96 dpi, and Letter
// with margins until printInvoice() sets the page up.
class RecordingEngine final : public QPaintEngine, public QPrintEngine
{
public:
    RecordingEngine() : QPaintEngine(AllFeatures) {}

    Recording recording;
    bool refuseBegin = false;
    QPageLayout layout{QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20)};
    QString docName;

    bool begin(QPaintDevice*) override { return printing = !refuseBegin; }
    bool end() override { return !(printing = false); }
    void updateState(const QPaintEngineState& s) override
    {
        transform = s.state() & DirtyTransform ? s.transform() : transform;
        pen = s.state() & DirtyPen ? s.pen() : pen;
        brush = s.state() & DirtyBrush ? s.brush() : brush;
    }
    void drawRects(const QRect* rects, int count) override
    {
        for (const QRect* r = rects; r < rects + count; ++r) {
            const QRectF rect(*r);
            drawRects(&rect, 1);
        }
    }
    void drawRects(const QRectF* rects, int count) override
    {
        for (const QRectF* r = rects; r < rects + count; ++r) {
            if (brush.style() != Qt::NoBrush)
                record(DrawnShape::Fill, transform.mapRect(*r), brush.color());
            if (pen.style() != Qt::NoPen)
                record(DrawnShape::Outline, transform.mapRect(*r), pen.color());
        }
    }
    void drawLines(const QLineF* lines, int count) override
    {
        for (const QLineF* l = lines; l < lines + count; ++l)
            record(DrawnShape::Line, QRectF(transform.map(l->p1()), transform.map(l->p2())), pen.color());
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        recording.texts.append({item.text(), transform.mapRect(box).translated(-drawingOrigin),
                                item.font().pointSizeF(), item.font().bold(), item.font().family()});
    }
    void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
        record(DrawnShape::Image, transform.mapRect(r), QColor());
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override
    {
        record(DrawnShape::Image, transform.mapRect(r), QColor());
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    QPaintEngine::Type type() const override { return QPaintEngine::User; }

    bool newPage() override { return true; }
    bool abort() override { return true; }
    QPrinter::PrinterState printerState() const override { return printing ? QPrinter::Active : QPrinter::Idle; }
    int metric(QPaintDevice::PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case QPaintDevice::PdmWidth: return layout.paintRectPixels(dpi).width();
        case QPaintDevice::PdmHeight: return layout.paintRectPixels(dpi).height();
        case QPaintDevice::PdmWidthMM: return qRound(layout.paintRect(QPageLayout::Millimeter).width());
        case QPaintDevice::PdmHeightMM: return qRound(layout.paintRect(QPageLayout::Millimeter).height());
        case QPaintDevice::PdmDevicePixelRatio: return 1;
        case QPaintDevice::PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        case QPaintDevice::PdmDepth: return 32;
        default: return dpi;
        }
    }
    void setProperty(PrintEnginePropertyKey key, const QVariant& value) override
    {
        if (key == PPK_QPageSize)
            layout.setPageSize(value.value<QPageSize>());
        else if (key == PPK_QPageLayout)
            layout = value.value<QPageLayout>();
        else if (key == PPK_FullPage)
            layout.setMode(value.toBool() ? QPageLayout::FullPageMode : QPageLayout::StandardMode);
        else if (key == PPK_DocumentName)
            docName = value.toString();
    }
    QVariant property(PrintEnginePropertyKey key) const override
    {
        switch (key) {
        case PPK_QPageLayout: return QVariant::fromValue(layout);
        case PPK_QPageSize: return QVariant::fromValue(layout.pageSize());
        case PPK_FullPage: return layout.mode() == QPageLayout::FullPageMode;
        case PPK_DocumentName: return docName;
        case PPK_Resolution: return dpi;
        case PPK_PageRect: return layout.paintRectPixels(dpi);
        case PPK_PaperRect: return layout.fullRectPixels(dpi);
        default: return QVariant();
        }
    }

private:
    void record(DrawnShape::Kind kind, const QRectF& deviceRect, const QColor& colour)
    {
        recording.shapes.append({kind, deviceRect.translated(-drawingOrigin), colour, pen.widthF()});
    }

    static constexpr int dpi = 96;
    bool printing = false;
    QTransform transform;
    QPen pen;
    QBrush brush;
};

// The engines are a base, so that they outlive the QPrinter part that points to them.
struct Engines
{
    RecordingEngine engine;
};

class RecordingPrinter final : private Engines, public QPrinter
{
public:
    RecordingPrinter() : QPrinter(QPrinter::ScreenResolution) { setEngines(&engine, &engine); }
    using Engines::engine;
};

Recording printed(bool refuseBegin = false)
{
    RecordingPrinter printer;
    printer.engine.refuseBegin = refuseBegin;
    PrinterManager::printInvoice(&printer);
    return printer.engine.recording;
}

std::unique_ptr<QPrinter> pdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

// The page draws tabs as blanks.
QString shown(const QString& text)
{
    return QString(text).replace(QLatin1Char('\t'), QLatin1Char(' '));
}

using Fields = QList<std::pair<QString, const char*>>;

// The own company, a registered customer, the transport settings and one invoice line;
// the total comes to 1234.50.
void fillInvoice(const QString& via2 = QString())
{
    ModelFacade* m = ModelFacade::instance();
    for (const auto& [key, value] :
         Fields{{RAGIONE_S, "mobili rossi srl"}, {ADDRESS, "via roma 1"}, {CAP, "20100"}, {LOCALITY, "milano"},
                {CITY, "mi"}, {NAZIONE, "italia"}, {TELEPHONE, "02 123456"}, {MOBILE_PHONE, "333 1234567"},
                {FISCAL_CODE, "RSSMRA80A01F205X"}, {PIVA, "01234567890"}, {NR_IMPRESE, "MI 123456"},
                {EMAIL, "info@rossi.it"}})
        m->setCompanyField(key, value);
    m->commitCompany();
    m->setCustomerField(VIA2, via2);
    for (const auto& [key, value] :
         Fields{{RAGIONE_S, "acme spa"}, {ADDRESS, "via verdi 2"}, {CAP, "00100"}, {LOCALITY, "roma"}, {CITY, "rm"},
                {NAZIONE, "italia"}, {TELEPHONE, "06 555"}, {PIVA, "09876543210"}, {FISCAL_CODE, "acmfsc"},
                {NR_IMPRESE, "rm 9"}, {CAP2, "00199"}, {LOC2, "roma"}, {CITY2, "rm"}, {NAZIONE2, "italia"}})
        m->setCustomerField(key, value);
    m->selectInvoiceCustomer(m->addCustomer(nullptr));
    for (const auto& [key, value] :
         Fields{{TCURA_FIELD, "mittente"}, {SMEZZO_FIELD, "corriere"}, {PORTO_FIELD, "franco"},
                {CAUSALE_FIELD, "vendita"}, {ASPETTO_FIELD, "scatole"}, {DATA_INIZIO_FIELD, "05/03/2024"},
                {ORA_INIZIO_FIELD, "10:30"}, {FORO_FIELD, "monza"}})
        m->setPreferenceField(key, value);
    m->setIva("22");

    m->setNumFattura("7");
    m->setFDate(QDate(2024, 3, 5));
    m->setPayment("RIMESSA DIRETTA");
    m->setTmpBankInfo("03069", "09400", "it60x0542811101000000123456", "milano centro");
    m->setDocType("Nota di credito");
    const int id = m->addLineItem();
    for (const auto& [key, value] : Fields{{LineItemKey::code, "a01"}, {LineItemKey::description, "tavolo-legno"},
                                           {LineItemKey::um, "metri"}, {LineItemKey::amount, "2"},
                                           {LineItemKey::prize, "500"}})
        m->setLineItemField(id, key, value);
    m->setScontoF("10");
    m->setTrasporto("100");
    m->setImballo("20");
    m->setVarie("10");
    m->setSpeseBancarie("6.5");
    m->setColli("3");
    m->setLordoColli("12.5");
    m->setNettoTotaleColli("10");
    m->addScadenzaDate(QDate(2024, 1, 31), "RIBA");
    m->addScadenzaDate(QDate(2024, 2, 28), QString());
    m->setFNote("consegna al piano");
}

// Rows coded R01, R02 …, each with a description of `words` words.
void addRows(int count, int words = 1)
{
    ModelFacade* m = ModelFacade::instance();
    for (int i = 0; i < count; ++i) {
        const int id = m->addLineItem();
        const QString code = QStringLiteral("R%1").arg(m->lineItemIds().size(), 2, 10, QChar('0'));
        m->setLineItemField(id, LineItemKey::code, code);
        m->setLineItemField(id, LineItemKey::description, QStringList(words, QStringLiteral("parola")).join(' '));
    }
}

const QRectF codeColumn(0, 310, 90, 402);

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init()
    {
        home = std::make_unique<TestHome>();
        ModelFacade::instance()->loadPersistentData();
        stampaVuota = false;
    }
    void cleanup()
    {
        stampaVuota = false;
        ModelFacade::destroyInstance();
        home.reset();
    }

    void pageArea_startsAtMarginsAndHoldsTheLayout()
    {
        QTemporaryDir dir;
        const auto printer = pdfPrinter(dir.filePath("page.pdf"));
        PrinterManager::setUpPrinter(printer.get());
        const QRect area = PrinterManager::drawingArea(printer.get());
        const QRect paper = printer->paperRect(QPrinter::DevicePixel).toRect();
        QCOMPARE(printer->resolution(), 96);
        QCOMPARE(area.topLeft(), QPoint(50, 50));
        QCOMPARE(paper.right() - area.right(), 30);
        QVERIFY2(area.width() >= 713 && area.height() >= 1040, qPrintable(QDebug::toString(area)));
        QCOMPARE(printer->pageLayout().pageSize().id(), QPageSize::A4);
        QCOMPARE(printer->docName(), QStringLiteral("Fattura accompagnatoria"));
        // the page's row heights assume the metrics of Times
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Times"), 8)).family(), QStringLiteral("Liberation Serif"));
    }

    void frame_drawnFromTheMarginsWithTheBlackPen()
    {
        fillInvoice();
        const Recording page = printed();
        QVERIFY(page.hasShape(DrawnShape::Outline, QRectF(0, 0, 713, 987)));
        for (const DrawnShape& shape : page.shapes)
            if (shape.kind == DrawnShape::Outline || shape.kind == DrawnShape::Line)
                QVERIFY(shape.penWidth == 1.5 && shape.colour == Qt::black);
        for (const DrawnText& text : page.texts)
            QCOMPARE(text.family, QStringLiteral("Times"));
        // the telephone icon beside its line, clear of the "Email" label at 133
        QVERIFY(page.hasShape(DrawnShape::Image, QRectF(40, 117, 14, 14)));
        QVERIFY(page.hasShape(DrawnShape::Fill, QRectF(-10, -20, 360, 200)));
    }

    void placedTexts_data()
    {
        QTest::addColumn<QRectF>("area");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<bool>("bold");
        const auto row = [](const char* name, QRectF area, const QString& text, int size, bool bold = false) {
            QTest::newRow(name) << area << text << size << bold;
        };
        row("customer title", {370, 0, 343, 10}, "\tDESTINATARIO/CESSIONARIO", 6);
        row("customer name", {370, 15, 343, 20}, "\tACME SPA", 8, true);
        row("customer street", {370, 35, 343, 13}, "\t\tVIA VERDI 2", 8);
        row("customer town", {370, 48, 343, 13}, "\t\t00100 ROMA   RM\tITALIA [06 555]", 8);
        row("customer tax numbers", {370, 80, 343, 15}, "\t\t09876543210\t\tACMFSC", 7, true);
        row("customer register", {370, 107, 343, 15}, "\t\tRM 9", 7);
        row("delivery title", {370, 129, 343, 20}, "\t\tLUOGO E DESTINAZIONE DEI BENI   ", 6);
        row("company name", {10, 20, 360, 30}, " MOBILI ROSSI SRL", 12, true);
        row("company address", {30, 50, 360, 20}, " VIA ROMA 1 - 20100 MILANO (MI)  ITALIA", 9);
        row("fiscal code label", {30, 68, 100, 20}, " Cod. Fisc. ", 8);
        row("fiscal code", {130, 65, 360, 20}, " RSSMRA80A01F205X", 9);
        row("vat number", {130, 80, 360, 15}, " 01234567890", 9);
        row("register", {130, 95, 360, 15}, " MI 123456", 9);
        row("telephones", {70, 115, 360, 20}, "\t\tTel. Fax.\t02 123456 333 1234567", 9);
        row("email", {130, 130, 360, 20}, " INFO@ROSSI.IT", 9);
        row("bank numbers", {220, 224, 493, 34},
            "    IBAN         IT60X0542811101000000123456         ABI                03069"
            "               CAB               09400", 5);
        row("bank branch", {220, 247, 493, 11}, "    MILANO CENTRO", 7);
        row("note", {0, 720, 613, 20}, "\tCONSEGNA AL PIANO", 14);
        row("court city", {0, 1010, 713, 10},
            " pari al tasso ufficiale di sconto piu'  tre punti percentuali. Per ogni controversia il foro competente"
            " e  quello di MONZA.  Ai sensi dell'art. 10 della legge  675/96 si comunica che i dati della v.s. ", 6);
    }
    void placedTexts()
    {
        QFETCH(QRectF, area);
        QFETCH(QString, expected);
        fillInvoice();
        const Recording page = printed();
        const QList<DrawnText> found = page.in(area);
        const auto text = std::find_if(found.cbegin(), found.cend(),
                                       [&](const DrawnText& t) { return t.text == shown(expected); });
        QVERIFY2(text != found.cend(), qPrintable(page.textIn(area)));
        QTEST(int(text->pointSize), "pointSize");
        QTEST(text->bold, "bold");
    }

    void deliveryAddress_data()
    {
        QTest::addColumn<QString>("via2");
        QTest::addColumn<QString>("printed");
        QTest::newRow("none") << QString() << "  IDEM";
        QTest::newRow("two characters") << "ab" << "  IDEM";
        QTest::newRow("street") << "via garibaldi 5" << " VIA GARIBALDI 5 |  00199 ROMA RM - ITALIA";
    }
    void deliveryAddress()
    {
        QFETCH(QString, via2);
        fillInvoice(via2);
        QTEST(printed().textIn({370, 149, 343, 30}), "printed");
    }

    // Every labelled cell of the header rows and of the footer, filled and as a blank form.
    void labelledCells_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QRectF>("cell");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("blankValue");
        const auto row = [](const char* label, QRectF cell, const QString& value, const QString& blank = QString(),
                            const char* tag = nullptr) {
            QTest::newRow(tag ? tag : label) << QString::fromLatin1(label) << cell << value << blank;
        };
        row("NUMERO DOCUMENTO", {0, 190, 100, 34}, "7");
        row("DATA FATTURA", {100, 190, 150, 34}, "05.03.2024");
        row("N. PAGINA", {250, 190, 70, 34}, "1");
        row("CODICE CLIENTE", {320, 190, 100, 34}, "C00001");
        row("CODICE AGENTE", {420, 190, 90, 34}, "");
        row("CAUSALE TRASPORTO", {510, 190, 203, 34}, "VENDITA");
        row("CONDIZIONI DI PAGAMENTO", {0, 224, 220, 34}, "RIMESSA DIRETTA");
        row("TRASPORTO A CURA", {0, 258, 150, 34}, "MITTENTE");
        row("SPEDIZIONE A MEZZO", {150, 258, 150, 34}, "CORRIERE");
        row("PORTO", {300, 258, 150, 34}, "FRANCO");
        row("TIPO DOCUMENTO", {450, 258, 263, 34}, "Nota di credito");
        row(" TOTALE MERCI LORDO ", {0, 760, 110, 34}, "1000,00");
        row("% SCONTO ", {110, 760, 70, 34}, "10,00");
        row(" IMPORTO SCONTO ", {180, 760, 90, 34}, "100,00");
        row(" TOTALE MERCI NETTO ", {270, 760, 110, 34}, "900,00");
        row(" TRASPORTO ", {380, 760, 60, 34}, "100,00");
        row(" IMBALLO ", {440, 760, 60, 34}, "20,00");
        row(" VARIE ", {500, 760, 60, 34}, "10,00");
        row(" DI CUI BANCARIE ", {560, 760, 153, 34}, "6,50");
        row(" C.IVA ", {0, 794, 50, 57}, "22");
        row(" TRASPORTO ", {50, 794, 70, 57}, "", "", "TRASPORTO second row");
        row(" IMBALLO ", {120, 794, 70, 57}, " ", "", "IMBALLO second row");
        row(" IMPONIBILE ", {260, 794, 80, 57}, "900,00");
        row(" %IVA ", {340, 794, 70, 57}, "22");
        row(" IMPORTO IVA ", {410, 794, 90, 57}, "198,00");
        row(" TOTALE IMPONIBILE ", {500, 794, 213, 32}, "900,00");
        row(" TOTALE IVA ", {500, 826, 213, 25}, "198,00");
        row(" SCADENZE EFFETTI ", {0, 851, 500, 34}, " 31/01/2024 RIBA    28/02/2024    ",
            " 31/01/2024 RIBA    28/02/2024    ");
        row(" TOTALE FATTURA ", {500, 851, 213, 34}, "Euro 1.234,50", "Euro ");
        row(" ASPETTO ESTERIORE DEI BENI ", {0, 885, 200, 34}, "SCATOLE");
        row(" PESO LORDO ", {200, 885, 100, 34}, "12,50");
        row(" PESO NETTO ", {300, 885, 100, 34}, "10,00");
        row(" N. COLLI ", {400, 885, 100, 34}, "3,00");
        row(" FIRMA VETTORE ", {500, 885, 213, 34}, "");
        row(" DATA INIZIO TRASPORTO ", {353, 919, 180, 34}, "05/03/2024");
        row(" ORA INIZIO TRASPORTO ", {533, 919, 180, 34}, "10:30");
    }
    void labelledCells()
    {
        QFETCH(QString, label);
        QFETCH(QRectF, cell);
        QFETCH(QString, value);
        QFETCH(QString, blankValue);
        fillInvoice();
        for (const bool blank : {false, true}) {
            stampaVuota = blank;
            const Recording page = printed();
            QVERIFY(page.hasShape(DrawnShape::Outline, cell));
            QCOMPARE(page.valueIn(cell, label), blank ? blankValue : value);
            // the label at the top in small type, the value on the lower edge
            for (const DrawnText& text : page.in(cell)) {
                const bool isLabel = text.text == QLatin1Char(' ') + label;
                QCOMPARE(text.pointSize, isLabel ? 6.0 : 9.0);
                QCOMPARE(isLabel ? text.box.top() : text.box.bottom(), isLabel ? cell.top() : cell.bottom());
            }
        }
    }

    void lineItemColumns_data()
    {
        QTest::addColumn<QRectF>("cell");
        QTest::addColumn<QString>("printed");
        QTest::newRow("code") << QRectF(0, 310, 90, 18) << "A01";
        QTest::newRow("unit in capitals") << QRectF(310, 310, 40, 18) << "METRI";
        QTest::newRow("quantity") << QRectF(350, 310, 70, 18) << "2,00";
        QTest::newRow("price") << QRectF(420, 310, 90, 18) << "500,00";
        QTest::newRow("discount") << QRectF(510, 310, 40, 18) << "0,00";
        QTest::newRow("amount grouped") << QRectF(550, 310, 80, 18) << "1.000,00";
        QTest::newRow("vat code as amount") << QRectF(630, 310, 83, 18) << "22,00";
        // the hyphen breaks the line and is never printed
        QTest::newRow("hyphenated description") << QRectF(90, 310, 220, 30) << "TAVOLO|LEGNO";
    }
    void lineItemColumns()
    {
        QFETCH(QRectF, cell);
        fillInvoice();
        QStringList texts;
        for (const DrawnText& text : printed().in(cell)) {
            QCOMPARE(text.pointSize, 8.0);
            texts.append(text.text.trimmed());
        }
        QTEST(texts.join(QLatin1Char('|')), "printed");
    }

    void shortRows_twentyPrinted()
    {
        addRows(25);
        const QList<DrawnText> codes = printed().in(codeColumn);
        QCOMPARE(codes.size(), 20);
        for (int i = 0; i < codes.size(); ++i) {
            QCOMPARE(codes.at(i).text, QStringLiteral("R%1").arg(i + 1, 2, 10, QLatin1Char('0')));
            QVERIFY(qAbs(codes.at(i).box.center().y() - (310 + 19 * i + 9)) < 0.5);
        }
    }

    // A row as tall as its wrapped description; the rows below move down by that height,
    // and the first row that would cross the fit limit ends the table.
    void tallRows_endTheTableEarly()
    {
        addRows(1);
        addRows(1, 30); // wraps onto several lines
        addRows(1);
        addRows(1, 300); // taller than the room left
        addRows(1);
        const Recording page = printed();
        const QList<DrawnText> codes = page.in(codeColumn);
        QCOMPARE(codes.size(), 3);
        const QList<DrawnText> tall = page.in({90, 329, 220, codes.at(2).box.top() - 329});
        QVERIFY(tall.size() >= 4);
        const qreal tallBottom = tall.last().box.bottom();
        QVERIFY(qAbs(codes.at(2).box.top() - (tallBottom + 1 + (18 - codes.at(2).box.height()) / 2)) < 1.5);
        for (const DrawnText& text : page.in({0, 310, 713, 450}))
            QVERIFY2(text.box.bottom() <= 712, qPrintable(text.text));
    }

    void fittingRows_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<QList<int>>("heights");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("rows");
        QTest::newRow("item limit first") << 310 << QList<int>(25, 18) << 20 << 20;
        QTest::newRow("fewer items than the limit") << 310 << QList<int>(3, 18) << 20 << 3;
        QTest::newRow("short heights count as 18") << 310 << QList<int>(30, 5) << 100 << 21;
        QTest::newRow("tall row stops the rest") << 310 << QList<int>{18, 18, 500, 18} << 20 << 2;
        QTest::newRow("ending on the limit fits") << 694 << QList<int>{18} << 20 << 1;
        QTest::newRow("ending past the limit") << 695 << QList<int>{18} << 20 << 0;
        QTest::newRow("starting on the limit") << 712 << QList<int>{18} << 20 << 0;
        QTest::newRow("no limit left") << 310 << QList<int>{18} << 0 << 0;
    }
    void fittingRows()
    {
        QFETCH(int, top);
        QFETCH(QList<int>, heights);
        QFETCH(int, limit);
        QTEST(PrinterManager::fittingRows(top, heights, limit), "rows");
    }

    void dueDates_textWithTabs()
    {
        const QList<Scadenza> dates = {{QDate(2024, 1, 31), "RIBA"}, {QDate(2024, 2, 28), QString()}};
        QCOMPARE(PrinterManager::formatDueDates(dates), QStringLiteral("\t31/01/2024\tRIBA\t\t\t\t28/02/2024\t\t\t\t"));
        QCOMPARE(PrinterManager::formatDueDates({}), QString());
    }

    // Monthly due dates for a year do not fit at full size: the line shrinks, none is cut.
    void dueDates_manyShrinkToFitTheCell()
    {
        for (int month = 1; month <= 12; ++month)
            ModelFacade::instance()->addScadenzaDate(QDate(2024, month, 10), QStringLiteral("RIBA"));
        const QRectF cell(0, 851, 500, 34);
        const Recording page = printed();
        const QString value = page.valueIn(cell, QStringLiteral(" SCADENZE EFFETTI "));
        QCOMPARE(value.count(QStringLiteral("/2024")), 12);
        QCOMPARE(value.count(QStringLiteral("RIBA")), 12);
        for (const DrawnText& line : page.in(cell)) {
            QVERIFY(line.pointSize < 9);
            QVERIFY2(cell.contains(line.box), qPrintable(QDebug::toString(line.box)));
        }
    }

    void note_printedFromThreeCharacters_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("printed");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("two characters") << "ok" << QString();
        QTest::newRow("three characters") << "urg" << " URG";
    }
    void note_printedFromThreeCharacters()
    {
        QFETCH(QString, note);
        ModelFacade::instance()->setFNote(note);
        QTEST(printed().textIn({0, 700, 713, 60}), "printed");
    }

    // Letterhead, labels, boxes, rules, due dates and "Euro " only.
    void blankForm_keepsTheFormAndDropsTheData()
    {
        fillInvoice(QStringLiteral("via garibaldi 5"));
        addRows(5);
        const Recording full = printed();
        stampaVuota = true;
        const Recording blank = printed();
        QCOMPARE(blank.shapes, full.shapes);
        const QRectF letterhead(-10, -20, 360, 200);
        QCOMPARE(blank.in(letterhead), full.in(letterhead));
        for (const DrawnText& text : blank.texts)
            QVERIFY2(text.text.trimmed().isEmpty() || full.texts.contains(text) || text.text == "Euro "
                         || text.text.simplified() == "IBAN ABI CAB",
                     qPrintable(text.text));
        for (const char* data : {"ACME", "GARIBALDI", "R01", "TAVOLO", "METRI", "05.03.2024", "Nota di credito",
                                 "RIMESSA", "IT60X", "CONSEGNA", "MITTENTE", "1.234,50"})
            QVERIFY2(!blank.contains(QString::fromLatin1(data)), data);
        QVERIFY(blank.contains(QStringLiteral("31/01/2024 RIBA")));
        QVERIFY(blank.contains(QStringLiteral(" COD. ARTICOLO").trimmed()));
    }

    void painterCannotBegin_warnsAndDrawsNothing()
    {
        fillInvoice();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/page.pdf"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));
        QTest::ignoreMessage(QtWarningMsg, "failed to open file, is it writable?");
        PrinterManager::printInvoice(pdfPrinter(path).get());
        QVERIFY(!QFile::exists(path));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));
        QTest::ignoreMessage(QtWarningMsg, "failed to open file, is it writable?");
        const Recording page = printed(true);
        QVERIFY(page.texts.isEmpty() && page.shapes.isEmpty());
    }

    // A file chosen in the print dialog stays a file.
    void pdfPrinter_keepsItsFormatAndWritesTheFile()
    {
        fillInvoice();
        QTemporaryDir dir;
        const auto printer = pdfPrinter(dir.filePath(QStringLiteral("page.pdf")));
        PrinterManager::printInvoice(printer.get());
        QCOMPARE(printer->outputFormat(), QPrinter::PdfFormat);
        QFile file(printer->outputFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }

    void twoRenders_identical()
    {
        fillInvoice();
        addRows(8, 12);
        const Recording first = printed();
        QVERIFY(first.texts.size() > 100);
        QVERIFY(first == printed());
    }

  private:
    std::unique_ptr<TestHome> home;
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
