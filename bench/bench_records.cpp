// Writes 10,000 customer records of a dozen fields, loads them back as the program does
// at start-up, and reads the same files' bytes with a bare loop; prints the times and the
// ratio load / bare read, the two run alternately and the ratio the median of the rounds'.
// Run on demand: bench_records [count]
#include "benchsupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int count = customerCount(argc, argv);
    const BenchHome home;

    const double writeMs = millisecondsOf([count] { writeBenchRegistry(count); });

    qint64 bytes = 0;
    int loaded = 0;
    constexpr int runs = 5;
    const Comparison load = compareInRounds(
        runs,
        [&loaded] {
            return millisecondsOf([&loaded] {
                std::vector<std::unique_ptr<Company>> customers;
                for (const QString& path : Serializable::filesOfType(QStringLiteral("customer"))) {
                    auto customer = std::make_unique<Company>(nullptr, QStringLiteral("customer"));
                    Serializable::unserialize(customer.get(), path, QStringLiteral("customer"));
                    customers.push_back(std::move(customer));
                }
                loaded = int(customers.size());
            });
        },
        [&bytes] {
            return millisecondsOf([&bytes] {
                bytes = 0;
                for (const QString& path : Serializable::filesOfType(QStringLiteral("customer"))) {
                    QFile file(path);
                    if (file.open(QIODevice::ReadOnly))
                        bytes += file.readAll().size();
                }
            });
        });

    std::printf("records:             %d (%lld bytes)\n", loaded, static_cast<long long>(bytes));
    std::printf("write, first time:   %.1f ms\n", writeMs);
    std::printf("bare read of bytes:  %.1f ms (median of %d)\n", load.probe, runs);
    std::printf("load as customers:   %.1f ms (median of %d)\n", load.measured, runs);
    std::printf("ratio load / bare:   %.2f (median of the rounds' ratios; target at most 2.5)\n", load.ratio);
    return loaded == count ? 0 : 1;
}
