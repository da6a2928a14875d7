// Writes 10,000 customer records of a dozen fields, loads them back as the program does
// at start-up, and reads the same files' bytes with a bare loop; prints the times and the
// ratio load / bare read. Run on demand: bench_records [count]
#include "benchtiming.h"
#include "company.h"
#include "companykeys.h"
#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void fillCustomer(Company& customer, int number)
{
    const QString code = QStringLiteral("C%1").arg(number, 5, 10, QLatin1Char('0'));
    *customer.fields() = {
        {CODE, code},
        {RAGIONE_S, QStringLiteral("CAFF\u00C8 DEL CORSO %1 SRL").arg(number)},
        {PIVA, QStringLiteral("%1").arg(10000000000LL + number)},
        {FISCAL_CODE, QStringLiteral("RSSMRA80A01H501%1").arg(number % 10)},
        {ADDRESS, QStringLiteral("VIA DEL CORSO %1").arg(number % 300)},
        {CAP, QStringLiteral("00186")},
        {LOCALITY, QStringLiteral("ROMA")},
        {CITY, QStringLiteral("RM")},
        {NAZIONE, QStringLiteral("ITALIA")},
        {TELEPHONE, QStringLiteral("06 %1").arg(5550000 + number)},
        {EMAIL, QStringLiteral("INFO%1@ESEMPIO.IT").arg(number)},
        {NOTE, QStringLiteral("CONSEGNA AL PIANO TERRA, ORARIO 9-13; PAGAMENTO A 30 GIORNI")},
    };
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;

    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QDir().mkpath(dataDirPath());

    const double writeMs = millisecondsOf([count] {
        for (int i = 1; i <= count; ++i) {
            Company customer(nullptr, QStringLiteral("customer"));
            fillCustomer(customer, i);
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
