// The register of issued documents at the scale of ten busy years: 50,000 documents beside
// 10,000 customers. Prints
//   - loading the data at start with the documents, against loading the customers alone
//     (target <= 1.2x): documents are listed by file name, none is read;
//   - the entries of one year in a register just loaded (target < 100 ms);
//   - a search over all years, the first one a moment after start and the later ones
//     (target < 50 ms);
//   - issuing one document against a bare QSaveFile write of the same bytes: one atomic
//     write and one directory sync.
// Steps and probes alternate in rounds; each figure is the median of the rounds' ratios.
// The files are made on /dev/shm when TMPDIR is not set, so that making 50,000 of them
// takes seconds. Run on demand: bench_register [documents] [customers]
#include "benchsupport.h"
#include "documentregister.h"
#include "modelfacade.h"
#include "recordtypes.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QThread>

#include <cstdio>

namespace {

constexpr int firstYear = 2017;
constexpr int yearCount = 10;

// A private record of the benchmark's own, to write documents as the register does.
class DocumentFile final : public Serializable
{
public:
    DocumentFile(const QString& id, const InvoiceData& document) : Serializable(nullptr, RecordTypes::document), id(id)
    {
        *fields() = document.toFields();
    }
    QString recordType() const override { return typeName; }
    QString recordId() const override { return id; }

private:
    const QString id;
};

InvoiceData benchDocument(const QString& docType, int number, const QDate& date, int customer)
{
    InvoiceData d;
    d.docType = docType;
    d.number = number;
    d.date = date;
    d.customer = {{CODE, QStringLiteral("C%1").arg(customer, 5, 10, QLatin1Char('0'))},
                  {RAGIONE_S, QStringLiteral("CAFF\u00C8 DEL CORSO %1 SRL").arg(customer)},
                  {ADDRESS, QStringLiteral("VIA DEL CORSO %1").arg(customer % 300)},
                  {LOCALITY, QStringLiteral("ROMA")}};
    d.company = {{CODE, QStringLiteral("AZ0001")}, {RAGIONE_S, QStringLiteral("QUILL SNC")}};
    for (int row = 1; row <= 5; ++row)
        d.rows.append({{QStringLiteral("code"), QStringLiteral("A%1").arg(row)},
                       {QStringLiteral("description"), QStringLiteral("ARTICOLO %1").arg(row)},
                       {QStringLiteral("amount"), QStringLiteral("2")},
                       {QStringLiteral("prize"), QStringLiteral("%1.50").arg(row * 10)}});
    d.ivaPercent = 22;
    d.totaleMerci = 151 + number % 1000;
    d.totalImp = d.totaleMerci;
    d.totaleIva = d.totalImp * 0.22;
    d.totale = d.totalImp + d.totaleIva;
    return d;
}

// `count` documents over ten years: of each year's, four in five invoices, the rest credit
// notes and transport documents.
void writeBenchDocuments(int count, int customers)
{
    const int perYear = count / yearCount;
    for (int year = firstYear; year < firstYear + yearCount; ++year) {
        int numbers[3] = {0, 0, 0};
        for (int i = 0; i < perYear; ++i) {
            const int kind = i % 10 < 8 ? 0 : (i % 10 == 8 ? 1 : 2);
            static const QString types[3] = {QStringLiteral("FATTURA"), QStringLiteral("NOTA DI CREDITO"),
                                              QStringLiteral("DOCUMENTO DI TRASPORTO")};
            const int number = ++numbers[kind];
            const QDate date = QDate(year, 1, 1).addDays(i * 365 / perYear);
            const InvoiceData document = benchDocument(types[kind], number, date, 1 + (i * 7919) % customers);
            DocumentFile file(DocumentRegister::recordIdOf(DocumentRegister::sequenceOf(types[kind]), year, number),
                              document);
            Serializable::serialize(&file);
        }
    }
    Serializable::syncDataDir();
}

double loadTime()
{
    const double ms = millisecondsOf([] { ModelFacade::instance()->loadPersistentData(); });
    ModelFacade::destroyInstance();
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    QCoreApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int documents = argc > 1 ? std::max(yearCount, QString::fromLocal8Bit(argv[1]).toInt()) : 50000;
    const int customers = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 10000;

    QTemporaryDir customersOnly;
    QTemporaryDir withDocuments;
    const auto useHome = [](const QTemporaryDir& home) {
        qputenv("HOME", QFile::encodeName(home.path()));
        QDir().mkpath(dataDirPath());
    };
    QElapsedTimer making;
    making.start();
    for (const QTemporaryDir* home : {&customersOnly, &withDocuments}) {
        useHome(*home);
        writeBenchRegistry(customers);
    }
    writeBenchDocuments(documents, customers);
    std::printf("documents: %d, customers: %d (made in %.1f s)\n", documents, customers, making.elapsed() / 1000.0);

    const Comparison start = compareInRounds(
        7,
        [&] {
            useHome(withDocuments);
            return loadTime();
        },
        [&] {
            useHome(customersOnly);
            return loadTime();
        });
    std::printf("load at start, with documents:  %8.2f ms\n", start.measured);
    std::printf("load at start, customers only:  %8.2f ms\n", start.probe);
    std::printf("ratio (median of rounds):       %8.2f   (target <= 1.2)\n", start.ratio);

    useHome(withDocuments);
    const int lastYear = firstYear + yearCount - 1;
    {
        DocumentRegister reg;
        reg.load();
        const double first = millisecondsOf([&reg, lastYear] { reg.entries(lastYear); });
        std::printf("a year, the first time ever:    %8.2f ms   (its index is built)\n", first);
    }
    // only the year's part is timed: listing belongs to the start
    std::vector<double> yearTimes;
    for (int round = 0; round < 7; ++round) {
        DocumentRegister reg;
        reg.load();
        yearTimes.push_back(millisecondsOf([&reg, lastYear] { reg.entries(lastYear); }));
    }
    std::printf("entries of a year, just loaded: %8.2f ms   (target < 100)\n", median(yearTimes));

    {
        DocumentRegister reg;
        reg.load();
        const double first = millisecondsOf([&reg] { reg.search(QStringLiteral("CORSO 4711")); });
        std::printf("a search, the first time ever:  %8.2f ms   (the other years' indexes built)\n", first);
    }
    {
        DocumentRegister reg;
        reg.load();
        const double first = millisecondsOf([&reg] { reg.search(QStringLiteral("CORSO 4711")); });
        std::printf("a search right after the load:  %8.2f ms   (waits for the indexes being read)\n", first);
    }
    DocumentRegister reg;
    reg.load();
    // the window is shown and the user types: the indexes are read meanwhile
    QThread::msleep(1000);
    const double firstSearch = millisecondsOf([&reg] { reg.search(QStringLiteral("CORSO 4711")); });
    std::printf("first search, 1 s after start:  %8.2f ms   (target < 50)\n", firstSearch);
    std::vector<double> searchTimes;
    const QStringList queries = {QStringLiteral("caffe del corso 12"), QStringLiteral("C04711"),
                                 QStringLiteral("1234"), QStringLiteral("396,22")};
    for (int round = 0; round < 8; ++round) {
        const QString& query = queries.at(round % queries.size());
        searchTimes.push_back(millisecondsOf([&reg, &query] { reg.search(query); }));
    }
    std::printf("search over all years:          %8.2f ms   (target < 50)\n", median(searchTimes));

    int next = reg.nextNumber(QStringLiteral("FATTURA"), lastYear);
    const QString bare = dataDirPath() + QStringLiteral("/bare.xml");
    const Comparison issue = compareInRounds(
        21,
        [&] {
            const InvoiceData document = benchDocument(QStringLiteral("FATTURA"), next++, QDate(lastYear, 12, 31), 1);
            return millisecondsOf([&reg, &document] { reg.issue(document); });
        },
        [&] {
            const QByteArray bytes = QByteArray(3000, 'x') + QByteArray::number(next);
            return millisecondsOf([&bare, &bytes] {
                QSaveFile file(bare);
                file.open(QIODevice::WriteOnly);
                file.write(bytes);
                file.commit();
            });
        });
    std::printf("issue one document:             %8.2f ms\n", issue.measured);
    std::printf("bare QSaveFile write:           %8.2f ms\n", issue.probe);
    std::printf("ratio (median of rounds):       %8.2f   (target <= 1.5)\n", issue.ratio);
    return 0;
}
