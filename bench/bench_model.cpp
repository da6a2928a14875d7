// The model with a large registry: start-up load, save at exit with nothing changed,
// keyword search, and one line-item edit in a long invoice. The load and the save run
// alternately with a bare read of the same files; their ratios are the medians of the
// rounds' ratios. Diagnostics go to a log file as in the program. Run on demand:
// bench_model [customers]
#include "benchsupport.h"
#include "lineitem.h"
#include "logmessage.h"
#include "modelfacade.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

double bareRead()
{
    return millisecondsOf([] {
        const QStringList names = QDir(dataDirPath()).entryList(QDir::Files);
        for (const QString& name : names) {
            QFile file(dataDirPath() + QLatin1Char('/') + name);
            if (file.open(QIODevice::ReadOnly))
                file.readAll();
        }
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int count = customerCount(argc, argv);
    const BenchHome home;
    logStream.open(logFilePath().toStdString(), std::ios::out | std::ios::app);
    qInstallMessageHandler(logMessage);

    writeBenchRegistry(count);

    const Comparison load = compareInRounds(
        5,
        [] {
            ModelFacade::destroyInstance();
            return millisecondsOf([] { ModelFacade::instance()->loadPersistentData(); });
        },
        bareRead);
    ModelFacade* facade = ModelFacade::instance();
    facade->savePersistentData(); // the company and preference files appear once
    const Comparison save =
        compareInRounds(5, [facade] { return millisecondsOf([facade] { facade->savePersistentData(); }); }, bareRead);

    const double searchWord = medianOf(11, [facade] { facade->search(QStringLiteral("4321")); });
    const double searchAll = medianOf(11, [facade] { facade->search(QStringLiteral("*")); });
    const int hits = int(facade->search(QStringLiteral("*")).size());

    for (int i = 0; i < 1000; ++i) {
        const int id = facade->addLineItem();
        facade->setLineItemField(id, LineItemKey::amount, QStringLiteral("2"));
        facade->setLineItemField(id, LineItemKey::prize, QStringLiteral("12,50"));
    }
    const int lastId = facade->lineItemIds().constLast();
    int round = 0;
    const double edit = medianOf(101, [facade, lastId, &round] {
        facade->setLineItemField(lastId, LineItemKey::prize, QString::number(10 + (++round % 7)));
    });

    qInstallMessageHandler(nullptr);
    std::printf("customers:                         %d (found by \"*\": %d)\n", count, hits);
    std::printf("bare read of the data files:       %8.1f ms\n", load.probe);
    std::printf("loadPersistentData():              %8.1f ms  ratio %.2f (target at most 2.5)\n", load.measured, load.ratio);
    std::printf("savePersistentData(), unchanged:   %8.1f ms  ratio %.2f (target at most 1.5)\n", save.measured, save.ratio);
    std::printf("search(\"4321\"):                    %8.2f ms  (target under 10)\n", searchWord);
    std::printf("search(\"*\"):                       %8.2f ms  (target under 30)\n", searchAll);
    std::printf("line-item edit, 1,000 rows:        %8.3f ms  (target under 1)\n", edit);
    ModelFacade::destroyInstance();
    logStream.close();
    return hits == count ? 0 : 1;
}
