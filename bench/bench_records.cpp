// Writes 10,000 customer records of a dozen fields, loads them back as the program does
// at start-up, and reads the same files' bytes with a bare loop; prints the times and the
// ratio load / bare read. Run on demand: bench_records [count]
#include "benchsupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int count = customerCount(argc, argv);
    const BenchHome home;

    const double writeMs = millisecondsOf([count] {
        for (int i = 1; i <= count; ++i) {
            Company customer(nullptr, QStringLiteral("customer"));
            fillBenchCustomer(customer, i);
            Serializable::serialize(&customer);
        }
        Serializable::syncDataDir();
    });

    qint64 bytes = 0;
    int loaded = 0;
    constexpr int runs = 5;
    const double bareMs = medianOf(runs, [&bytes] {
        bytes = 0;
        for (const QString& path : Serializable::filesOfType(QStringLiteral("customer"))) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                bytes += file.readAll().size();
        }
    });
    const double loadMs = medianOf(runs, [&loaded] {
        std::vector<std::unique_ptr<Company>> customers;
        for (const QString& path : Serializable::filesOfType(QStringLiteral("customer"))) {
            auto customer = std::make_unique<Company>(nullptr, QStringLiteral("customer"));
            Serializable::unserialize(customer.get(), path, QStringLiteral("customer"));
            customers.push_back(std::move(customer));
        }
        loaded = int(customers.size());
    });

    std::printf("records:             %d (%lld bytes)\n", loaded, static_cast<long long>(bytes));
    std::printf("write, first time:   %.1f ms\n", writeMs);
    std::printf("bare read of bytes:  %.1f ms (median of %d)\n", bareMs, runs);
    std::printf("load as customers:   %.1f ms (median of %d)\n", loadMs, runs);
    std::printf("ratio load / bare:   %.2f (target at most 2.5)\n", loadMs / bareMs);
    return loaded == count ? 0 : 1;
}
