// Confirming a customer's change with a large registry: the change is written at once, and
// costs one record write and one directory sync, never a save of the whole registry. Each
// round times the confirmation and a bare QSaveFile write of the same file, alternately, and
// the figure is the median of the rounds' ratios. Run on demand: bench_confirm [customers]
#include "benchsupport.h"
#include "modelfacade.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int count = customerCount(argc, argv);
    const BenchHome home;
    for (int i = 1; i <= count; ++i) {
        Company customer(nullptr, QStringLiteral("customer"));
        fillBenchCustomer(customer, i);
        Serializable::serialize(&customer);
    }
    Serializable::syncDataDir();

    ModelFacade* facade = ModelFacade::instance();
    facade->loadPersistentData();
    const QString code = QStringLiteral("C%1").arg(count / 2, 5, 10, QLatin1Char('0'));
    facade->selectInvoiceCustomer(code);
    const QString path = dataDirPath() + QStringLiteral("/customer_") + code + QStringLiteral(".xml");

    constexpr int rounds = 21;
    std::vector<double> confirmTimes, bareTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        const double confirm = millisecondsOf([facade, round] {
            facade->editInvoiceCustomer();
            facade->setCustomerField(TELEPHONE, QStringLiteral("06 %1").arg(round));
            facade->confirmCustomerEdit();
        });
        QFile current(path);
        current.open(QIODevice::ReadOnly);
        const QByteArray bytes = current.readAll() + QByteArray::number(round);
        const double bare = millisecondsOf([&path, &bytes] {
            QSaveFile file(path + QStringLiteral(".bare"));
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            file.commit();
        });
        confirmTimes.push_back(confirm);
        bareTimes.push_back(bare);
        ratios.push_back(confirm / bare);
    }
    std::printf("customers: %d\n", count);
    std::printf("confirm one customer:     %8.2f ms\n", median(confirmTimes));
    std::printf("bare QSaveFile write:     %8.2f ms\n", median(bareTimes));
    std::printf("ratio (median of rounds): %8.2f   (target <= 1.5)\n", median(ratios));
    ModelFacade::destroyInstance();
    return 0;
}
