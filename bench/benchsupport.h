#pragma once

#include "company.h"
#include "companykeys.h"
#include "paths.h"
#include "serializable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <vector>

// Wall-clock timing for the benchmarks: the median of several runs, in milliseconds.
inline double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

inline double medianOf(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(millisecondsOf(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A step and the probe it is judged against, run alternately in rounds (the order swapping
// every round), so that a busy machine slows both alike. Each function times itself and
// returns milliseconds; the ratio reported is the median of the rounds' ratios.
struct Comparison
{
    double measured = 0;
    double probe = 0;
    double ratio = 0;
};

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline Comparison compareInRounds(int rounds, const std::function<double()>& measured, const std::function<double()>& probe)
{
    std::vector<double> measuredTimes, probeTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        double m = 0;
        double p = 0;
        if (round % 2 == 0) {
            m = measured();
            p = probe();
        } else {
            p = probe();
            m = measured();
        }
        measuredTimes.push_back(m);
        probeTimes.push_back(p);
        ratios.push_back(m / std::max(p, 1e-6));
    }
    return {median(measuredTimes), median(probeTimes), median(ratios)};
}

// The number of customers asked for on the command line, 10,000 by default.
inline int customerCount(int argc, char* argv[])
{
    return argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;
}

// A temporary home with an empty data directory, for the benchmark's run.
class BenchHome
{
public:
    BenchHome()
    {
        qputenv("HOME", QFile::encodeName(dir.path()));
        QDir().mkpath(dataDirPath());
    }

private:
    QTemporaryDir dir;
};

// A customer of a dozen fields, as a registry holds them; `number` gives its code.
inline void fillBenchCustomer(Company& customer, int number)
{
    *customer.fields() = {
        {CODE, QStringLiteral("C%1").arg(number, 5, 10, QLatin1Char('0'))},
        {RAGIONE_S, QStringLiteral("CAFF\u00C8 DEL CORSO %1 SRL").arg(number)},
        {PIVA, QStringLiteral("%1").arg(10000000000LL + number)},
        {FISCAL_CODE, QStringLiteral("RSSMRA80A01H501%1").arg(number % 10)},
        {ADDRESS, QStringLiteral("VIA DEL CORSO %1").arg(number % 300)},
        {CAP, QStringLiteral("00186")},
        {LOCALITY, QStringLiteral("ROMA")},
        {CITY, QStringLiteral("RM")},
        {NAZIONE, QStringLiteral("ITALIA")},
        {TELEPHONE, QStringLiteral("06 %1").arg(5550000 + number)},
        {MOBILE_PHONE, QStringLiteral("333 %1").arg(1000000 + number)},
        {EMAIL, QStringLiteral("INFO%1@ESEMPIO.IT").arg(number)},
        {NOTE, QStringLiteral("CONSEGNA AL PIANO TERRA, ORARIO 9-13; PAGAMENTO A 30 GIORNI")},
    };
}

// Writes `count` customers with the program's own record writer.
inline void writeBenchRegistry(int count)
{
    for (int i = 1; i <= count; ++i) {
        Company customer(nullptr, QStringLiteral("customer"));
        fillBenchCustomer(customer, i);
        Serializable::serialize(&customer);
    }
    Serializable::syncDataDir();
}
