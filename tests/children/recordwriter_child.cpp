// Rewrites one large record over and over, alternating two versions, until it is killed.
// HOME comes from the environment. Prints "written" once the first version is on disk.
#include "testrecord.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    TestRecord record(QStringLiteral("customer"), QStringLiteral("C00001"));
    for (int i = 0;; ++i) {
        const QString filler(200000, QLatin1Char(i % 2 ? 'B' : 'A'));
        *record.fields() = {{QStringLiteral("CODE"), QStringLiteral("C00001")},
                            {QStringLiteral("NOTE"), filler},
                            {QStringLiteral("VERSION"), i % 2 ? QStringLiteral("B") : QStringLiteral("A")}};
        if (Serializable::serialize(&record) != 0)
            return 1;
        if (i == 0) {
            std::puts("written");
            std::fflush(stdout);
        }
    }
}
