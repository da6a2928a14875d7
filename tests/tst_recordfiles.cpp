// What a record file holds and what reading it gives back.
#include "testhome.h"
#include "testrecord.h"

#include "recordstore.h"
#include "recordxml.h"

#include <QDir>
#include <QDomDocument>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;
using FieldMap = Serializable::FieldMap;

namespace {

const QString customerType = u"customer"_s;

QString recordPath(const QString& name)
{
    return QDir::homePath() + u"/.Quillbook/data/"_s + name;
}

FieldMap roundTrip(const FieldMap& fields)
{
    TestRecord written(customerType, u"C00001"_s);
    *written.fields() = fields;
    if (Serializable::serialize(&written) != 0)
        return {{u"serialize"_s, u"failed"_s}};
    TestRecord read(customerType, QString());
    if (Serializable::unserialize(&read, Serializable::fileNameOf(&written), customerType) != 0)
        return {{u"unserialize"_s, u"failed"_s}};
    return *read.fields();
}

} // namespace

class TestRecordFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(TestHome::DataDir::Created); }
    void cleanup() { home.reset(); }

    void record_isWrittenByteForByte_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("id");
        QTest::addColumn<FieldMap>("fields");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("three-field customer")
            << customerType << u"C00001"_s
            << FieldMap{{u"CITY"_s, u"ROMA"_s}, {u"CODE"_s, u"C00001"_s}, {u"RAGIONE_S"_s, u"CAFF\u00C8 SRL"_s}}
            << u"customer_C00001.xml"_s
            << QByteArray("<!DOCTYPE customer>\n<customer>\n <entry id=\"C00001\">\n"
                          "  <field name=\"CITY\">ROMA</field>\n"
                          "  <field name=\"CODE\">C00001</field>\n"
                          "  <field name=\"RAGIONE_S\">CAFF&amp;Egrave; SRL</field>\n"
                          " </entry>\n</customer>\n");
        QTest::newRow("empty preference") << u"preference"_s << u"0"_s << FieldMap{} << u"preference_0.xml"_s
                                          << QByteArray("<!DOCTYPE preference>\n<preference>\n <entry id=\"0\"/>\n</preference>\n");
        QTest::newRow("customer without a code") << customerType << QString() << FieldMap{} << u"customer_.xml"_s
                                                 << QByteArray("<!DOCTYPE customer>\n<customer>\n <entry id=\"\"/>\n</customer>\n");
    }
    void record_isWrittenByteForByte()
    {
        QFETCH(QString, type);
        QFETCH(QString, id);
        QFETCH(FieldMap, fields);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, file);
        TestRecord record(type, id);
        *record.fields() = fields;
        QCOMPARE(Serializable::serialize(&record), 0);
        const QString path = recordPath(fileName);
        QCOMPARE(readFile(path), file);

        // reading replaces whatever the record held
        TestRecord read(type, QString());
        read.fields()->insert(u"stale"_s, u"value"_s);
        QCOMPARE(Serializable::unserialize(&read, path, type), 0);
        QCOMPARE(*read.fields(), fields);
    }
    void accentLetters_areStoredAsEntitiesAndReadBack()
    {
        const QString letters = QStringLiteral("\u00E0\u00E1\u00E8\u00EC\u00ED\u00F2\u00F3\u00F9\u00FA\u00C1"
                                               "\u00C0\u00C2\u00C9\u00C8\u00D2\u00D3\u00CC\u00CD\u00DA\u00D9");
        const QString entities = QStringLiteral("&agrave;&aacute;&egrave;&igrave;&iacute;&ograve;&oacute;&ugrave;&uacute;"
                                                "&Aacute;&Agrave;&Acirc;&Eacute;&Egrave;&Ograve;&Oacute;&Igrave;&Iacute;"
                                                "&Uacute;&Ugrave;");
        QCOMPARE(Serializable::escapeAccents(letters + letters), entities + entities);
        QCOMPARE(roundTrip({{u"V"_s, letters}}).value(u"V"_s), letters);
        const QByteArray stored = entities.toLatin1().replace('&', "&amp;");
        QVERIFY(readFile(recordPath(u"customer_C00001.xml"_s)).contains(">" + stored + "<"));
    }
    void value_readsBackAsWritten_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");
        const QString key = u"key with \"quotes\" & <angles>"_s;
        const auto same = [key](const char* name, const QString& value) { QTest::newRow(name) << key << value << value; };
        // letters outside the accent table travel as UTF-8
        same("e acute, euro, sharp s, n tilde", u"CAF\u00E9 100 \u20AC STRA\u00DFE ESPA\u00D1A"_s);
        same("mixed with table letters", u"\u00C8\u00E9\u00E8\u00C9"_s);
        same("beyond the BMP, CJK", u"\U0001F600 \u6771\u4EAC"_s);
        same("markup", u"<b>A & B</b> \"quoted\" 'single' ]]>"_s);
        same("only blanks", u"   "_s);
        same("leading and trailing blanks", u"  lead and trail  "_s);
        same("tab, line feed and carriage return", u"VIA\tROMA\n2\r\n3\r"_s);
        same("zero width no-break space first", u"\uFEFFA\uFEFF"_s);
        same("near-entities", u"&&agrave &AGRAVE; &amp;agrave & egrave; &#xe0;"_s);
        // a literal entity name is the letter, as the accent step cannot tell them apart
        QTest::newRow("literal entity names") << key << u"CAFF&egrave; &amp; &&Ugrave;"_s << u"CAFF\u00E8 &amp; &\u00D9"_s;
        // characters XML cannot carry are left out rather than make the whole file unreadable
        QTest::newRow("controls") << key << QString(u"A\u0001B\u000B"_s + QChar(0) + u"\u001B[1m\u000C"_s) << u"AB[1m"_s;
        QTest::newRow("non-characters") << key << u"A\uFFFE\uFFFFB"_s << u"AB"_s;
        QTest::newRow("lone surrogate") << key << QString(u"A"_s + QChar(0xD800) + u"B"_s) << u"AB"_s;
        // names that an attribute value normalises or cannot hold raw
        for (const auto& [row, name] : {std::pair{"name of blanks", u"\t\n\r "_s}, {"name ending a CDATA section", u"]]>"_s},
                                        {"name of a no-break space", u"\uFEFF"_s}, {"name of an entity", u"&agrave;"_s}})
            QTest::newRow(row) << name << u"v"_s << u"v"_s;
    }
    void value_readsBackAsWritten()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, readBack);
        const auto read = roundTrip({{key, value}, {u"CODE"_s, u"C00001"_s}, {u"EMPTY"_s, QString()}});
        QCOMPARE(read, (FieldMap{{key, readBack}, {u"CODE"_s, u"C00001"_s}, {u"EMPTY"_s, QString()}}));
    }
    void reading_followsTheRecordLayoutLoosely()
    {
        // Root name, document type and id are not checked; only the first entry counts;
        // a field without attributes is skipped; comments are not text; CDATA and character
        // references are.
        const QString path = home->writeDataFile(u"customer_X.xml"_s,
            "<!DOCTYPE other>\n<something>\n"
            " <first id=\"nope\">\n"
            "  <field>no attributes</field>\n"
            "  <field other=\"x\">unnamed</field>\n"
            "  <notfield name=\"B\">2</notfield>\n"
            "  <field name=\"A\">one<!-- comment --> &#x31;<![CDATA[<1>]]></field>\n"
            " </first>\n"
            " <entry id=\"second\"><field name=\"C\">3</field></entry>\n"
            "</something>\n");
        TestRecord read(customerType, QString());
        QCOMPARE(Serializable::unserialize(&read, path, customerType), 0);
        QCOMPARE(*read.fields(), (FieldMap{{u"A"_s, u"one 1<1>"_s}, {QString(), u"unnamed"_s}}));
    }
    void record_isRewrittenOnlyWhenChanged()
    {
        TestRecord record(customerType, u"C00003"_s);
        *record.fields() = {{u"CITY"_s, u"MILANO"_s}};
        QCOMPARE(Serializable::serialize(&record), 0);
        const QString path = Serializable::fileNameOf(&record);
        const quint64 before = inodeOf(path);
        QCOMPARE(Serializable::serialize(&record), 0);
        QCOMPARE(inodeOf(path), before);
        record.fields()->insert(u"CITY"_s, u"TORINO"_s);
        QCOMPARE(Serializable::serialize(&record), 0);
        QVERIFY(readFile(path).contains(">TORINO<"));
        QCOMPARE(QDir(home->dataDir()).entryList(QDir::Files | QDir::Hidden), QStringList{u"customer_C00003.xml"_s});
    }
    void filesOfType_listsRecordFilesOfThatType_leftoversRemoved()
    {
        for (const char* name : {"customer_C00001.xml", "customer_C00002.xml", "old_customer_copy.xml",
                                 "company_AZ0001.xml", "preference_0.xml", "customer_C00003.xml.quillbook-Xy12Ab", "customer_C00004.xml.backup",
                                 "customer_notes.txt", "Customer_C9.xml"})
            home->writeDataFile(QString::fromLatin1(name), "<x/>");
        QDir(home->dataDir()).mkdir(u"customer_dir.xml"_s);

        const QString dir = home->dataDir() + u'/';
        QCOMPARE(Serializable::filesOfType(u"customer"_s), (QStringList{dir + u"customer_C00001.xml"_s, dir + u"customer_C00002.xml"_s}));
        QCOMPARE(Serializable::filesOfType(u"company"_s), QStringList{dir + u"company_AZ0001.xml"_s});
        // what a killed save left is removed, and nothing else
        QCOMPARE(RecordListing({u"customer"_s}).removeInterruptedWrites(), 1);
        QVERIFY(!QFile::exists(dir + u"customer_C00003.xml.quillbook-Xy12Ab"_s));
        QVERIFY(QFile::exists(dir + u"customer_C00004.xml.backup"_s)); // the user's own copy
        QVERIFY(QFile::exists(dir + u"customer_notes.txt"_s));
    }
    void missingDataDir_isCreatedWithWarning()
    {
        home.reset(); // one home at a time: each restores the HOME it found
        home = std::make_unique<TestHome>(TestHome::DataDir::Missing);
        QVERIFY(Serializable::filesOfType(customerType).isEmpty());
        TestRecord record(customerType, u"C00001"_s);
        QTest::ignoreMessage(QtWarningMsg, "Cannot find the root directory");
        QCOMPARE(Serializable::serialize(&record), 0);
        QVERIFY(QFile::exists(recordPath(u"customer_C00001.xml"_s)));
        QVERIFY(Serializable::ensureDataDir());
    }
    void composedDocument_matchesQtDomWriter_andBothReadersAgree_data()
    {
        QTest::addColumn<FieldMap>("fields");
        QTest::newRow("none") << FieldMap{};
        QTest::newRow("plain") << FieldMap{{u"CITY"_s, u"ROMA"_s}, {u"CODE"_s, u"C00001"_s}};
        QTest::newRow("markup and references")
            << FieldMap{{u"A"_s, u"<a href=\"x\">&amp; 'q' ]]> > ]] ></a>"_s}, {u"B&<\"'>"_s, u"&#x41; &egrave;"_s}};
        QTest::newRow("blanks and line ends")
            << FieldMap{{u"A"_s, u"  "_s}, {u"B"_s, u"\tx\n\r\ny\r"_s}, {u"C"_s, QString()}, {u"D\tE\nF"_s, u"v"_s}};
        QTest::newRow("end of a CDATA section in keys and values") << FieldMap{{u"K]]>"_s, u"]]>]]]>"_s}, {u"]]"_s, u"]] >"_s}};
        QTest::newRow("beyond ASCII") << FieldMap{{u"\u00C8"_s, u"\u20AC \U0001F600 \u00DF \u007F"_s}};
        QTest::newRow("zero width no-break space first") << FieldMap{{u"\uFEFFK"_s, u"\uFEFFV"_s}};
    }
    void composedDocument_matchesQtDomWriter_andBothReadersAgree()
    {
        // Files written by earlier versions came from QDomDocument::toString(1); ours must not
        // differ from them by a byte, or every record would be rewritten at the first save.
        QFETCH(FieldMap, fields);
        const QString id = u"C\"1&<>\t]]>"_s;
        QDomDocument dom(customerType);
        QDomElement entry = dom.createElement(u"entry"_s);
        entry.setAttribute(u"id"_s, id);
        dom.appendChild(dom.createElement(customerType)).appendChild(entry);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            QDomElement field = dom.createElement(u"field"_s);
            field.setAttribute(u"name"_s, it.key());
            entry.appendChild(field).appendChild(dom.createTextNode(it.value()));
        }
        const QByteArray document = RecordXml::compose(customerType, id, fields);
        QCOMPARE(document, dom.toByteArray(1));

        const auto own = RecordXml::detail::readOwnLayout(document);
        FieldMap any;
        QString error;
        QVERIFY2(RecordXml::detail::readAnyLayout(document, &any, &error), qPrintable(error));
        QCOMPARE(any, fields);
        QVERIFY2(own.has_value(), document.constData());
        QCOMPARE(*own, fields);
    }
    void handWrittenField_readsAlikeAndIsWrittenBack_data()
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
        QTest::newRow("zero width no-break space first") << QByteArray("<field name=\"\xEF\xBB\xBF\">\xEF\xBB\xBF</field>");
        QTest::newRow("name given twice") << QByteArray("<field name=\"Z\">1</field>");
    }
    void handWrittenField_readsAlikeAndIsWrittenBack()
    {
        // Whatever the fast reader accepts, it must read exactly as the XML reader does; and
        // whatever is read, the file a save writes gives back.
        QFETCH(QByteArray, field);
        for (const QByteArray& lineEnd : {QByteArray("\n"), QByteArray("\r\n")}) {
            const QByteArray document = "<!DOCTYPE customer>\n<customer>\n <entry id=\"C1\">\n  " + field
                + "\n  <field name=\"Z\">end</field>" + lineEnd + " </entry>\n</customer>\n";
            FieldMap any;
            QString error;
            const bool anyRead = RecordXml::detail::readAnyLayout(document, &any, &error);
            if (const auto own = RecordXml::detail::readOwnLayout(document)) {
                QVERIFY2(anyRead, qPrintable(error));
                QCOMPARE(*own, any);
            }
            FieldMap read;
            if (RecordXml::parse(document, &read, &error)) {
                FieldMap again;
                QVERIFY(RecordXml::parse(RecordXml::compose(customerType, u"C1"_s, read), &again, &error));
                QCOMPARE(again, read);
            }
        }
    }
    void handWrittenFile_isReadOrRefused_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("reason"); // empty: read as CODE C00009, NAME CAFFÈ
        QTest::newRow("declaration, tabs, CRLF")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE customer>\r\n<customer>\r\n\t<entry id=\"C1\">\r\n"
                          "\t\t<field name=\"CODE\">C00009</field>\r\n\t\t<field name='NAME'>CAFF&amp;Egrave;</field>\r\n"
                          "\t</entry>\r\n</customer>\r\n") << QString();
        QTest::newRow("one line, no document type, byte order mark")
            << QByteArray("\xEF\xBB\xBF<customer><entry id=\"C1\"><field name=\"CODE\">C00009</field>"
                          "<field name=\"NAME\">CAFF&amp;Egrave;</field></entry></customer>") << QString();
        QTest::newRow("latin-1 declared")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<customer>\n <entry id=\"C1\">\n"
                          "  <field name=\"CODE\">C00009</field>\n  <field name=\"NAME\">CAFF\xC8</field>\n </entry>\n</customer>\n") << QString();
        QTest::newRow("ASCII declared")
            << QByteArray("<?xml version='1.0' encoding='us-ascii'?><customer><entry id=\"C1\"><field name=\"CODE\">C00009</field>"
                          "<field name=\"NAME\">CAFF&#xC8;</field></entry></customer>") << QString();
        const auto declared = [](const char* encoding, const QByteArray& value) {
            return "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding)
                + "\"?>\n<customer>\n <entry id=\"C1\">\n  <field name=\"A\">" + value + "</field>\n </entry>\n</customer>\n";
        };
        // UTF-7 decodes this to an unpaired surrogate, which a save would drop
        QTest::newRow("UTF-7") << declared("UTF-7", "+2D3-") << "encoding UTF-7 refused";
        QTest::newRow("windows-1252") << declared("windows-1252", "\x80") << "encoding windows-1252 refused";
        QTest::newRow("beyond ASCII, declared ASCII") << declared("US-ASCII", "CAF\xC3\xA9") << "beyond ASCII";
        QTest::newRow("invalid UTF-8") << declared("UTF-8", "CAFF\xC8") << "not valid UTF-8";
        QTest::newRow("encoded surrogate") << QByteArray("<customer><entry><field name=\"A\">\xED\xA0\x80</field></entry></customer>")
                                           << "not valid UTF-8";
        QTest::newRow("UTF-16 without byte order mark") << QByteArray("<\0c\0/\0>\0", 8) << "not a UTF-8 text";
        // the second value would be lost at the next save; our own layout and any other
        QTest::newRow("name given twice")
            << QByteArray("<!DOCTYPE customer>\n<customer>\n <entry id=\"C1\">\n  <field name=\"A\">1</field>\n"
                          "  <field name=\"A\">2</field>\n </entry>\n</customer>\n")
            << "field name given twice: A";
        QTest::newRow("unnamed twice") << QByteArray("<customer><entry><field x=\"1\">1</field><field y=\"2\">2</field></entry></customer>")
                                       << "field name given twice: \"";
    }
    void handWrittenFile_isReadOrRefused()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, reason);
        const QString path = home->writeDataFile(u"customer_C1.xml"_s, document);
        TestRecord record(customerType, QString());
        const FieldMap before = {{u"CODE"_s, u"C1"_s}};
        *record.fields() = before;
        if (reason.isEmpty()) {
            QCOMPARE(Serializable::unserialize(&record, path, customerType), 0);
            QCOMPARE(*record.fields(), (FieldMap{{u"CODE"_s, u"C00009"_s}, {u"NAME"_s, u"CAFF\u00C8"_s}}));
            return;
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path) + u".*"_s + QRegularExpression::escape(reason)));
        QCOMPARE(Serializable::unserialize(&record, path, customerType), -1);
        QCOMPARE(*record.fields(), before);
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
