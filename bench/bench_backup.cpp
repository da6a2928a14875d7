// Restores 10,000 customer records from an exported archive, against a probe that writes
// the same files plainly into a new directory with one sync at the end. Rounds alternate
// probe and restore onto a new computer (no records yet); the median of the per-round
// ratios is the figure to watch. Then, once each: a restore over the same records (a
// backup restored again) and over records that all differ (every old file is freed).
// Run on demand: bench_backup [count]
#include "backup.h"
#include "benchsupport.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <fcntl.h>
#include <numeric>
#include <unistd.h>

namespace {

const QStringList recordTypes = {QStringLiteral("customer"), QStringLiteral("company"), QStringLiteral("preference")};

QMap<QString, QByteArray> writeRegistry(int count, const QString& note)
{
    for (int i = 1; i <= count; ++i) {
        Company customer(nullptr, QStringLiteral("customer"));
        fillBenchCustomer(customer, i);
        customer.fields()->insert(NOTE, note);
        Serializable::serialize(&customer);
    }
    Serializable::syncDataDir();
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(dataDirPath()).entryList(QDir::Files)) {
        QFile file(dataDirPath() + QLatin1Char('/') + name);
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

// The least a restore must do: create every file with its bytes, then make them durable.
void writePlainly(const QString& dir, const QMap<QString, QByteArray>& files)
{
    QDir().mkpath(dir);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const int fd = ::open(QFile::encodeName(dir + QLatin1Char('/') + it.key()).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, it.value().constData(), size_t(it.value().size())) != it.value().size())
            std::perror("probe write");
        ::close(fd);
    }
    const int directory = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    ::syncfs(directory);
    ::close(directory);
}


} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const int count = customerCount(argc, argv);
    const BenchHome home;
    const QString changed = QDir::homePath() + QStringLiteral("/changed.zip");
    const QString archive = QDir::homePath() + QStringLiteral("/backup.zip");
    writeRegistry(count, QStringLiteral("CAMBIATA"));
    bool ok = Backup::exportArchive(changed, dataDirPath(), recordTypes).code == 0;
    const QMap<QString, QByteArray> files = writeRegistry(count, QStringLiteral("CONSEGNA AL PIANO TERRA"));
    const double exportMs = millisecondsOf([&] { ok = Backup::exportArchive(archive, dataDirPath(), recordTypes).code == 0 && ok; });
    const auto restore = [&ok](const QString& from) {
        return millisecondsOf([&] { ok = Backup::importArchive(from, dataDirPath(), recordTypes).code == 0 && ok; });
    };

    constexpr int rounds = 5;
    const QString probeDir = rootDirPath() + QStringLiteral("/probe");
    std::vector<double> probes, restores, ratios;
    for (int round = 0; round < rounds; ++round) {
        const auto probe = [&] { probes.push_back(millisecondsOf([&] { writePlainly(probeDir + QString::number(round), files); })); };
        // set aside, not removed: freeing thousands of files would weigh on what follows
        QDir(rootDirPath()).rename(QStringLiteral("data"), QStringLiteral("data-before-%1").arg(round));
        // whichever goes first pays for what the file system still owes from the last round
        if (round % 2 == 0)
            probe();
        restores.push_back(restore(archive));
        if (round % 2 == 1)
            probe();
        ratios.push_back(restores.back() / probes.back());
    }
    const double sameMs = restore(archive);
    const double allChangedMs = restore(changed);
    const int restored = int(QDir(dataDirPath()).entryList(QDir::Files).size());

    const qint64 bytes = std::accumulate(files.cbegin(), files.cend(), qint64(0),
                                         [](qint64 sum, const QByteArray& file) { return sum + file.size(); });
    std::printf("records:                        %d (%lld bytes), archive %lld bytes\n", restored,
                static_cast<long long>(bytes), static_cast<long long>(QFileInfo(archive).size()));
    std::printf("export:                         %.1f ms\n", exportMs);
    std::printf("probe, plain write + one sync:  %.1f ms (median of %d)\n", median(probes), rounds);
    std::printf("restore onto a new computer:    %.1f ms (median of %d)\n", median(restores), rounds);
    std::printf("ratio restore / probe:          %.2f (median of per-round ratios; target at most 3)\n", median(ratios));
    std::printf("restore over the same records:  %.1f ms (%.2f x the median probe; unchanged files are linked)\n",
                sameMs, sameMs / median(probes));
    std::printf("restore over changed records:   %.1f ms (%.2f x the median probe; freeing the old files)\n",
                allChangedMs, allChangedMs / median(probes));
    return ok && restored == count ? 0 : 1;
}
