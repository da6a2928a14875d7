// What a record file holds and what reading it gives back.
#include "testhome.h"
#include "testrecord.h"

#include "recordstore.h"
#include "recordxml.h"

#include <QDir>
#include <QDomDocument>
#include <QtTest>


class TestRecordFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(TestHome::DataDir::Created); }
    void cleanup() { home.reset(); }

    void threeFieldCustomer_isWrittenByteForByte();
    void emptyRecord_givesValidFile();
    void fileName_isTypeUnderscoreId();
    void accentLetter_isStoredAsEntityAndReadBack_data();
    void accentLetter_isStoredAsEntityAndReadBack();
    void literalEntityText_readsBackAsLetter();
    void value_readsBackAsWritten_data();
    void value_readsBackAsWritten();
    void reading_followsTheRecordLayoutLoosely();
    void unchangedRecord_isNotRewritten();
    void changedRecord_replacesFile();
    void filesOfType_listsRecordFilesOfThatType_leftoversRemoved();
    void missingDataDir_isCreatedWithWarning();
    void composedDocument_matchesQtDomWriter_data();
    void composedDocument_matchesQtDomWriter();
    void ownLayoutReader_agreesWithXmlReader_data();
    void ownLayoutReader_agreesWithXmlReader();
    void readers_agreeOnHandWrittenDocuments_data();
    void readers_agreeOnHandWrittenDocuments();
    void handWrittenLayouts_areRead_data();
    void handWrittenLayouts_areRead();

private:
    std::unique_ptr<TestHome> home;
};

namespace {

QString recordPath(const QString& name)
{
    return QDir::homePath() + QStringLiteral("/.Quillbook/data/") + name;
}

Serializable::FieldMap roundTrip(const Serializable::FieldMap& fields)
{
    TestRecord written(QStringLiteral("customer"), QStringLiteral("C00001"));
    *written.fields() = fields;
    if (Serializable::serialize(&written) != 0)
        return {{QStringLiteral("serialize"), QStringLiteral("failed")}};
    TestRecord read(QStringLiteral("customer"), QString());
    if (Serializable::unserialize(&read, Serializable::fileNameOf(&written), QStringLiteral("customer")) != 0)
        return {{QStringLiteral("unserialize"), QStringLiteral("failed")}};
    return *read.fields();
}

} // namespace

void TestRecordFiles::threeFieldCustomer_isWrittenByteForByte()
{
    TestRecord record(QStringLiteral("customer"), QStringLiteral("C00001"));
    *record.fields() = {{QStringLiteral("CITY"), QStringLiteral("ROMA")},
                        {QStringLiteral("CODE"), QStringLiteral("C00001")},
                        {QStringLiteral("RAGIONE_S"), QStringLiteral("CAFF\u00C8 SRL")}};
    QCOMPARE(Serializable::serialize(&record), 0);
    QCOMPARE(readFile(recordPath(QStringLiteral("customer_C00001.xml"))),
             QByteArray("<!DOCTYPE customer>\n"
                        "<customer>\n"
                        " <entry id=\"C00001\">\n"
                        "  <field name=\"CITY\">ROMA</field>\n"
                        "  <field name=\"CODE\">C00001</field>\n"
                        "  <field name=\"RAGIONE_S\">CAFF&amp;Egrave; SRL</field>\n"
                        " </entry>\n"
                        "</customer>\n"));
}

void TestRecordFiles::emptyRecord_givesValidFile()
{
    TestRecord record(QStringLiteral("preference"), QStringLiteral("0"));
    QCOMPARE(Serializable::serialize(&record), 0);
    const QString path = recordPath(QStringLiteral("preference_0.xml"));
    QCOMPARE(readFile(path), QByteArray("<!DOCTYPE preference>\n<preference>\n <entry id=\"0\"/>\n</preference>\n"));

    TestRecord read(QStringLiteral("preference"), QStringLiteral("0"));
    read.fields()->insert(QStringLiteral("stale"), QStringLiteral("value"));
    QCOMPARE(Serializable::unserialize(&read, path, QStringLiteral("preference")), 0);
    QVERIFY(read.fields()->isEmpty());
}

void TestRecordFiles::fileName_isTypeUnderscoreId()
{
    TestRecord company(QStringLiteral("company"), QStringLiteral("AZ0001"));
    TestRecord noCode(QStringLiteral("customer"), QString());
    QCOMPARE(Serializable::serialize(&company), 0);
    QCOMPARE(Serializable::serialize(&noCode), 0);
    QVERIFY(QFile::exists(recordPath(QStringLiteral("company_AZ0001.xml"))));
    QVERIFY(QFile::exists(recordPath(QStringLiteral("customer_.xml"))));
}

void TestRecordFiles::accentLetter_isStoredAsEntityAndReadBack_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("entity");
    const QList<QPair<char16_t, const char*>> table = {
        {0x00E0, "agrave"}, {0x00E1, "aacute"}, {0x00E8, "egrave"}, {0x00EC, "igrave"}, {0x00ED, "iacute"},
        {0x00F2, "ograve"}, {0x00F3, "oacute"}, {0x00F9, "ugrave"}, {0x00FA, "uacute"}, {0x00C1, "Aacute"},
        {0x00C0, "Agrave"}, {0x00C2, "Acirc"},  {0x00C9, "Eacute"}, {0x00C8, "Egrave"}, {0x00D2, "Ograve"},
        {0x00D3, "Oacute"}, {0x00CC, "Igrave"}, {0x00CD, "Iacute"}, {0x00DA, "Uacute"}, {0x00D9, "Ugrave"},
    };
    QCOMPARE(table.size(), 20);
    for (const auto& [letter, entity] : table)
        QTest::newRow(entity) << QString(QChar(letter)) << QLatin1Char('&') + QLatin1String(entity) + QLatin1Char(';');
}

void TestRecordFiles::accentLetter_isStoredAsEntityAndReadBack()
{
    QFETCH(QString, letter);
    QFETCH(QString, entity);
    const QString value = QStringLiteral("X") + letter + letter + QStringLiteral("Y");
    QCOMPARE(Serializable::escapeAccents(value), QStringLiteral("X") + entity + entity + QStringLiteral("Y"));
    QCOMPARE(Serializable::unescapeAccents(Serializable::escapeAccents(value)), value);
    QCOMPARE(roundTrip({{QStringLiteral("V"), value}}).value(QStringLiteral("V")), value);
    const QByteArray stored = entity.toLatin1().replace('&', "&amp;");
    const QByteArray file = readFile(recordPath(QStringLiteral("customer_C00001.xml")));
    QVERIFY2(file.contains(">X" + stored + stored + "Y<"), file.constData());
}

void TestRecordFiles::literalEntityText_readsBackAsLetter()
{
    const auto read = roundTrip({{QStringLiteral("V"), QStringLiteral("CAFF&egrave; &amp; &Ugrave;")}});
    QCOMPARE(read.value(QStringLiteral("V")), QStringLiteral("CAFF\u00E8 &amp; \u00D9"));
}

void TestRecordFiles::value_readsBackAsWritten_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readBack");
    const auto same = [](const char* name, const QString& value) { QTest::newRow(name) << value << value; };
    // letters outside the accent table travel as UTF-8
    same("e acute, euro, sharp s, n tilde", QStringLiteral("CAF\u00E9 100 \u20AC STRA\u00DFE ESPA\u00D1A"));
    same("mixed with table letters", QStringLiteral("\u00C8\u00E9\u00E8\u00C9"));
    same("beyond the BMP, CJK", QStringLiteral("\U0001F600 \u6771\u4EAC"));
    same("markup", QStringLiteral("<b>A & B</b> \"quoted\" 'single' ]]>"));
    same("only blanks", QStringLiteral("   "));
    same("leading and trailing blanks", QStringLiteral("  lead and trail  "));
    same("tab, line feed and carriage return", QStringLiteral("VIA\tROMA\n2\r\n3"));
    // characters XML cannot carry are left out rather than make the whole file unreadable
    QTest::newRow("start of heading, vertical tab") << QStringLiteral("A\u0001B\u000B") << QStringLiteral("AB");
    QTest::newRow("nul") << QString(QStringLiteral("A") + QChar(0) + QStringLiteral("B")) << QStringLiteral("AB");
    QTest::newRow("escape and form feed") << QStringLiteral("\u001B[1mA\u000C") << QStringLiteral("[1mA");
    QTest::newRow("non-characters") << QStringLiteral("A\uFFFE\uFFFFB") << QStringLiteral("AB");
    QTest::newRow("lone surrogate") << QString(QStringLiteral("A") + QChar(0xD800) + QStringLiteral("B"))
                                    << QStringLiteral("AB");
}

void TestRecordFiles::value_readsBackAsWritten()
{
    QFETCH(QString, value);
    QFETCH(QString, readBack);
    const QString key = QStringLiteral("key with \"quotes\" & <angles>");
    const auto read = roundTrip({{key, value}, {QStringLiteral("CODE"), QStringLiteral("C00001")}, {QStringLiteral("EMPTY"), QString()}});
    QCOMPARE(read, (Serializable::FieldMap{{key, readBack}, {QStringLiteral("CODE"), QStringLiteral("C00001")},
                                          {QStringLiteral("EMPTY"), QString()}}));
}

void TestRecordFiles::reading_followsTheRecordLayoutLoosely()
{
    // Root name, document type and id are not checked; only the first entry counts;
    // a field without attributes is skipped; a later duplicate key wins; comments are
    // not text; CDATA and character references are.
    const QString path = home->writeDataFile(QStringLiteral("customer_X.xml"),
        "<!DOCTYPE other>\n<something>\n"
        " <first id=\"nope\">\n"
        "  <field name=\"A\">1</field>\n"
        "  <field>no attributes</field>\n"
        "  <field other=\"x\">unnamed</field>\n"
        "  <notfield name=\"B\">2</notfield>\n"
        "  <field name=\"A\">one<!-- comment --> &#x31;<![CDATA[<1>]]></field>\n"
        " </first>\n"
        " <entry id=\"second\"><field name=\"C\">3</field></entry>\n"
        "</something>\n");
    TestRecord read(QStringLiteral("customer"), QString());
    QCOMPARE(Serializable::unserialize(&read, path, QStringLiteral("customer")), 0);
    QCOMPARE(*read.fields(), (Serializable::FieldMap{{QStringLiteral("A"), QStringLiteral("one 1<1>")},
                                                     {QString(), QStringLiteral("unnamed")}}));
}

void TestRecordFiles::unchangedRecord_isNotRewritten()
{
    TestRecord record(QStringLiteral("customer"), QStringLiteral("C00003"));
    *record.fields() = {{QStringLiteral("CITY"), QStringLiteral("MILANO")}};
    QCOMPARE(Serializable::serialize(&record), 0);
    const QString path = Serializable::fileNameOf(&record);
    const quint64 before = inodeOf(path);
    QVERIFY(before != 0);
    QCOMPARE(Serializable::serialize(&record), 0);
    QCOMPARE(inodeOf(path), before);
}

void TestRecordFiles::changedRecord_replacesFile()
{
    TestRecord record(QStringLiteral("customer"), QStringLiteral("C00004"));
    *record.fields() = {{QStringLiteral("CITY"), QStringLiteral("MILANO")}};
    QCOMPARE(Serializable::serialize(&record), 0);
    record.fields()->insert(QStringLiteral("CITY"), QStringLiteral("TORINO"));
    QCOMPARE(Serializable::serialize(&record), 0);
    QVERIFY(readFile(Serializable::fileNameOf(&record)).contains(">TORINO<"));
    QCOMPARE(QDir(home->dataDir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("customer_C00004.xml")});
}

void TestRecordFiles::filesOfType_listsRecordFilesOfThatType_leftoversRemoved()
{
    for (const char* name : {"customer_C00001.xml", "customer_C00002.xml", "old_customer_copy.xml",
                             "company_AZ0001.xml", "preference_0.xml", "customer_C00003.xml.Xy12Ab",
                             "customer_notes.txt", "Customer_C9.xml"})
        home->writeDataFile(QString::fromLatin1(name), "<x/>");
    QDir(home->dataDir()).mkdir(QStringLiteral("customer_dir.xml"));

    const QString dir = home->dataDir() + QLatin1Char('/');
    QCOMPARE(Serializable::filesOfType(QStringLiteral("customer")),
             (QStringList{dir + QStringLiteral("customer_C00001.xml"), dir + QStringLiteral("customer_C00002.xml")}));
    QCOMPARE(Serializable::filesOfType(QStringLiteral("company")), QStringList{dir + QStringLiteral("company_AZ0001.xml")});
    // what a killed save left is removed, and nothing else
    QCOMPARE(RecordListing({QStringLiteral("customer")}).removeInterruptedWrites(), 1);
    QVERIFY(!QFile::exists(dir + QStringLiteral("customer_C00003.xml.Xy12Ab")));
    QVERIFY(QFile::exists(dir + QStringLiteral("customer_notes.txt")));
}

void TestRecordFiles::missingDataDir_isCreatedWithWarning()
{
    home.reset(); // one home at a time: each restores the HOME it found
    home = std::make_unique<TestHome>(TestHome::DataDir::Missing);
    QVERIFY(Serializable::filesOfType(QStringLiteral("customer")).isEmpty());
    TestRecord record(QStringLiteral("customer"), QStringLiteral("C00001"));
    QTest::ignoreMessage(QtWarningMsg, "Cannot find the root directory");
    QCOMPARE(Serializable::serialize(&record), 0);
    QVERIFY(QFile::exists(recordPath(QStringLiteral("customer_C00001.xml"))));
    QVERIFY(Serializable::ensureDataDir());
}

void TestRecordFiles::composedDocument_matchesQtDomWriter_data()
{
    ownLayoutReader_agreesWithXmlReader_data();
}

void TestRecordFiles::composedDocument_matchesQtDomWriter()
{
    // Files written by earlier versions came from QDomDocument::toString(1); ours must not
    // differ from them by a byte, or every record would be rewritten at the first save.
    QFETCH(Serializable::FieldMap, fields);
    const QString type = QStringLiteral("customer");
    const QString id = QStringLiteral("C\"1&<>\t]]>");
    QDomDocument dom(type);
    QDomElement root = dom.createElement(type);
    dom.appendChild(root);
    QDomElement entry = dom.createElement(QStringLiteral("entry"));
    entry.setAttribute(QStringLiteral("id"), id);
    root.appendChild(entry);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        QDomElement field = dom.createElement(QStringLiteral("field"));
        field.setAttribute(QStringLiteral("name"), it.key());
        field.appendChild(dom.createTextNode(it.value()));
        entry.appendChild(field);
    }
    QCOMPARE(RecordXml::compose(type, id, fields), dom.toByteArray(1));
}

void TestRecordFiles::ownLayoutReader_agreesWithXmlReader_data()
{
    QTest::addColumn<Serializable::FieldMap>("fields");
    QTest::newRow("none") << Serializable::FieldMap{};
    QTest::newRow("plain") << Serializable::FieldMap{{QStringLiteral("CITY"), QStringLiteral("ROMA")},
                                                     {QStringLiteral("CODE"), QStringLiteral("C00001")}};
    QTest::newRow("markup and references")
        << Serializable::FieldMap{{QStringLiteral("A"), QStringLiteral("<a href=\"x\">&amp; 'q' ]]> > ]] ></a>")},
                                  {QStringLiteral("B&<\"'>"), QStringLiteral("&#x41; &egrave;")}};
    QTest::newRow("blanks and line ends")
        << Serializable::FieldMap{{QStringLiteral("A"), QStringLiteral("  ")}, {QStringLiteral("B"), QStringLiteral("\tx\n\r\ny\r")},
                                  {QStringLiteral("C"), QString()}, {QStringLiteral("D\tE\nF"), QStringLiteral("v")}};
    QTest::newRow("end of a CDATA section in keys and values")
        << Serializable::FieldMap{{QStringLiteral("K]]>"), QStringLiteral("]]>]]]>")}, {QStringLiteral("]]"), QStringLiteral("]] >")}};
    QTest::newRow("beyond ASCII") << Serializable::FieldMap{{QStringLiteral("\u00C8"), QStringLiteral("\u20AC \U0001F600 \u00DF \u007F")}};
}

void TestRecordFiles::ownLayoutReader_agreesWithXmlReader()
{
    QFETCH(Serializable::FieldMap, fields);
    const QByteArray document = RecordXml::compose(QStringLiteral("customer"), QStringLiteral("C\"1&]]>"), fields);
    const auto own = RecordXml::detail::readOwnLayout(document);
    Serializable::FieldMap any;
    QString error;
    QVERIFY2(RecordXml::detail::readAnyLayout(document, &any, &error), qPrintable(error));
    QCOMPARE(any, fields);
    QVERIFY2(own.has_value(), document.constData());
    QCOMPARE(*own, fields);
}

void TestRecordFiles::readers_agreeOnHandWrittenDocuments_data()
{
    QTest::addColumn<QByteArray>("field"); // one field line of an otherwise ordinary record
    QTest::newRow("raw tab in a name") << QByteArray("<field name=\"A\tB\">1</field>");
    QTest::newRow("raw line feed in a name") << QByteArray("<field name=\"A\nB\">1</field>");
    QTest::newRow("raw tab and line feed in a value") << QByteArray("<field name=\"A\">1\t2\n3</field>");
    QTest::newRow("carriage return in a value") << QByteArray("<field name=\"A\">1\r\n2\r3</field>");
    QTest::newRow("decimal reference") << QByteArray("<field name=\"A\">&#65;&#x42;</field>");
    QTest::newRow("reference to a forbidden character") << QByteArray("<field name=\"A\">&#x1;</field>");
    QTest::newRow("CDATA end split by a reference") << QByteArray("<field name=\"A\">]]&gt;]&#x5d;></field>");
    QTest::newRow("raw CDATA end") << QByteArray("<field name=\"A\">]]></field>");
    QTest::newRow("single quotes") << QByteArray("<field name='A'>1</field>");
    QTest::newRow("C1 control") << QByteArray("<field name=\"A\">\xC2\x85</field>");
    QTest::newRow("non-character") << QByteArray("<field name=\"A\">\xEF\xBF\xBE</field>");
    QTest::newRow("invalid UTF-8") << QByteArray("<field name=\"A\">CAFF\xC8</field>");
    QTest::newRow("greater-than in a name") << QByteArray("<field name=\"A>B\">1</field>");
    QTest::newRow("quote in a value") << QByteArray("<field name=\"A\">\"1\"</field>");
}

void TestRecordFiles::readers_agreeOnHandWrittenDocuments()
{
    // Whatever the fast reader accepts, it must read exactly as the XML reader does.
    QFETCH(QByteArray, field);
    for (const QByteArray& lineEnd : {QByteArray("\n"), QByteArray("\r\n")}) {
        const QByteArray document = "<!DOCTYPE customer>\n<customer>\n <entry id=\"C1\">\n  " + field
            + "\n  <field name=\"Z\">end</field>" + lineEnd + " </entry>\n</customer>\n";
        Serializable::FieldMap any;
        QString error;
        const bool anyRead = RecordXml::detail::readAnyLayout(document, &any, &error);
        if (const auto own = RecordXml::detail::readOwnLayout(document)) {
            QVERIFY2(anyRead, qPrintable(error));
            QCOMPARE(*own, any);
        }
    }
}

void TestRecordFiles::handWrittenLayouts_areRead_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::newRow("declaration, tabs, CRLF")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE customer>\r\n<customer>\r\n\t<entry id=\"C1\">\r\n"
                      "\t\t<field name=\"CODE\">C00009</field>\r\n\t\t<field name='NAME'>CAFF&amp;Egrave;</field>\r\n"
                      "\t</entry>\r\n</customer>\r\n");
    QTest::newRow("one line, no document type")
        << QByteArray("<customer><entry id=\"C1\"><field name=\"CODE\">C00009</field><field name=\"NAME\">CAFF&amp;Egrave;</field></entry></customer>");
    QTest::newRow("latin-1 declared")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<customer>\n <entry id=\"C1\">\n"
                      "  <field name=\"CODE\">C00009</field>\n  <field name=\"NAME\">CAFF\xC8</field>\n </entry>\n</customer>\n");
}

void TestRecordFiles::handWrittenLayouts_areRead()
{
    QFETCH(QByteArray, document);
    const QString path = home->writeDataFile(QStringLiteral("customer_C00009.xml"), document);
    TestRecord record(QStringLiteral("customer"), QString());
    QCOMPARE(Serializable::unserialize(&record, path, QStringLiteral("customer")), 0);
    QCOMPARE(*record.fields(), (Serializable::FieldMap{{QStringLiteral("CODE"), QStringLiteral("C00009")},
                                                       {QStringLiteral("NAME"), QStringLiteral("CAFF\u00C8")}}));
}

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
