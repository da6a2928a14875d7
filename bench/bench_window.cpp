// The window with a large registry, offscreen: start to window shown, the two searches of
// SELEZIONA CLIENTE, a click on a result row, choosing the invoice customer by code,
// editing every customer, rows added to a long invoice, and the memory of a loaded
// customer. A step with a probe runs alternately with it; the ratio is the median of the
// rounds' ratios. Run on demand: bench_window [customers...] (default 1000 10000); each
// count gets its own temporary home, and the last table shows how the figures scale.
// Put TMPDIR on a memory file system for 100,000 customers: every record write is synced.
#include "benchsupport.h"
#include "company.h"
#include "logmessage.h"
#include "modelfacade.h"
#include "myclass.h"
#include "recordxml.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

struct Figure
{
    const char* name;
    double value;
    const char* unit;
    const char* target;
};

double heapInUse()
{
    return double(mallinfo2().uordblks);
}

void settle(QWidget* widget)
{
    QCoreApplication::processEvents();
    widget->repaint();
}

// The program's own start: window, load, fill, show, first paint.
std::unique_ptr<MyClass> startWindow()
{
    auto window = std::make_unique<MyClass>();
    ModelFacade::instance()->loadPersistentData();
    window->init();
    window->show();
    settle(window.get());
    return window;
}

void closeWindow(std::unique_ptr<MyClass>& window)
{
    window.reset();
    ModelFacade::destroyInstance();
}

// What any program must do to show this registry: read and parse every file, show a window.
double bareStart()
{
    return millisecondsOf([] {
        const QString dir = dataDirPath();
        const QStringList names = QDir(dir).entryList(QDir::Files, QDir::Unsorted);
        std::vector<QMap<QString, QString>> records;
        records.reserve(names.size());
        for (const QString& name : names) {
            QFile file(dir + QLatin1Char('/') + name);
            QMap<QString, QString> fields;
            QString error;
            if (file.open(QIODevice::ReadOnly) && RecordXml::parse(file.readAll(), &fields, &error))
                records.push_back(std::move(fields));
        }
        QMainWindow bare;
        bare.resize(959, 713);
        bare.show();
        settle(&bare);
    });
}

class Bench
{
public:
    explicit Bench(int count) : count(count) {}

    std::vector<Figure> run()
    {
        std::vector<Figure> figures;
        {
            std::unique_ptr<MyClass> window;
            const Comparison start = compareInRounds(
                5,
                [&window] {
                    closeWindow(window);
                    return millisecondsOf([&window] { window = startWindow(); });
                },
                bareStart);
            figures.push_back({"start to window shown", start.measured, "ms", ""});
            figures.push_back({"  bare window reading the files", start.probe, "ms", ""});
            figures.push_back({"  ratio", start.ratio, "", "<= 1.5"});
            searches(window.get(), figures);
            choosing(window.get(), figures);
            rows(window.get(), figures);
            closeWindow(window);
        }
        const double before = heapInUse();
        ModelFacade::instance()->loadPersistentData();
        figures.push_back({"memory per loaded customer", (heapInUse() - before) / count / 1024, "KB", "<= 2.5"});
        ModelFacade::destroyInstance();
        return figures;
    }

private:
    void searches(MyClass* window, std::vector<Figure>& figures)
    {
        window->findChild<QTabWidget*>(QStringLiteral("mainTab"))->setCurrentIndex(1);
        auto* keywords = window->findChild<QLineEdit*>(QStringLiteral("keywordsLineEdit"));
        auto* button = window->findChild<QPushButton*>(QStringLiteral("customerSearch"));
        auto* results = window->findChild<QAbstractItemView*>(QStringLiteral("customerSearchTable"));
        const auto search = [=](const QString& words) {
            keywords->setText(words);
            button->click();
            settle(results);
        };
        // the probe: a table of the same size and columns, grown and cleared with one
        // setRowCount, every cell and row header filled with the customers' texts
        QTableWidget probe(0, 5);
        probe.resize(results->size());
        probe.show();
        const QList<CustomerSummary> everyone = ModelFacade::instance()->search(QStringLiteral("*"));
        const auto probeRows = [&probe, &everyone](int rows) {
            probe.setRowCount(rows);
            for (int row = 0; row < rows; ++row) {
                const CustomerSummary& customer = everyone.at(row);
                int column = 0;
                for (const QString& text : {customer.name, customer.mobilePhone, customer.telephone, customer.address,
                                            customer.email})
                    probe.setItem(row, column++, new QTableWidgetItem(text));
                probe.setVerticalHeaderItem(row, new QTableWidgetItem(customer.code));
            }
            settle(&probe);
        };

        const Comparison first = compareInRounds(
            5,
            [&] {
                search(QString());
                return millisecondsOf([&] { search(QStringLiteral("*")); });
            },
            [&] {
                probeRows(0);
                return millisecondsOf([&] { probeRows(count); });
            });
        figures.push_back({"first search \"*\", with repaint", first.measured, "ms", ""});
        figures.push_back({"  probe table filled", first.probe, "ms", ""});
        figures.push_back({"  ratio", first.ratio, "", "<= 1.5"});

        const Comparison second = compareInRounds(
            5,
            [&] {
                search(QStringLiteral("*"));
                return millisecondsOf([&] { search(QStringLiteral("4321")); });
            },
            [&] {
                probeRows(count);
                return millisecondsOf([&] { probeRows(0); });
            });
        figures.push_back({"second search \"4321\" after \"*\"", second.measured, "ms", ""});
        figures.push_back({"  probe table cleared", second.probe, "ms", ""});
        figures.push_back({"  ratio", second.ratio, "", "<= 1.5"});

        search(QStringLiteral("*"));
        int row = 0;
        const double click = medianOf(11, [&] {
            const QRect cell = results->visualRect(results->model()->index(row++ % 8, 1));
            QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, cell.center());
            settle(results);
        });
        figures.push_back({"click on a result row", click, "ms", "< 5"});
    }

    void choosing(MyClass* window, std::vector<Figure>& figures)
    {
        ModelFacade* model = ModelFacade::instance();
        const QStringList codes = model->getCustomerCodes();
        constexpr int choices = 200;
        const double choose = medianOf(5, [&] {
            for (int i = 0; i < choices; ++i)
                model->selectInvoiceCustomer(codes.at(int(qint64(i) * codes.size() / choices)));
        });
        figures.push_back({"choose the invoice customer by code", choose / choices * 1000, "us", "O(1)"});

        // every customer modified as the window does it, at most 10,000 of them
        window->findChild<QTabWidget*>(QStringLiteral("mainTab"))->setCurrentIndex(2);
        const int edited = std::min(int(codes.size()), 10000);
        const double edit = millisecondsOf([&] {
            for (int i = 0; i < edited; ++i) {
                model->selectInvoiceCustomer(codes.at(i));
                model->editInvoiceCustomer();
                model->setCustomerField(EMAIL, QStringLiteral("NUOVA%1@ESEMPIO.IT").arg(i));
                model->confirmCustomerEdit();
            }
        });
        figures.push_back({"edit of one customer, all edited", edit / edited * 1000, "us", "flat"});
    }

    void rows(MyClass* window, std::vector<Figure>& figures)
    {
        window->findChild<QTabWidget*>(QStringLiteral("mainTab"))->setCurrentIndex(0);
        auto* add = window->findChild<QPushButton*>(QStringLiteral("addLineItemRow"));
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("lineItemsTable"));
        const double build = millisecondsOf([&] {
            for (int i = 0; i < 1000; ++i)
                add->click();
            settle(table);
        });
        figures.push_back({"1,000 invoice rows built", build, "ms", "< 800"});

        // the probe: a table of as many columns and rows, one unit combo per row
        QTableWidget probe(0, table->columnCount());
        probe.resize(table->size());
        probe.show();
        const QStringList units = ModelFacade::unitList();
        const auto probeRow = [&probe, &units] {
            const int row = probe.rowCount();
            probe.setRowCount(row + 1);
            for (int column = 0; column < probe.columnCount(); ++column) {
                if (column != 2)
                    probe.setItem(row, column, new QTableWidgetItem);
            }
            auto* combo = new QComboBox;
            combo->addItems(units);
            probe.setCellWidget(row, 2, combo);
        };
        for (int i = 0; i < 1000; ++i)
            probeRow();
        const Comparison row = compareInRounds(
            21,
            [&] {
                return millisecondsOf([&] {
                    add->click();
                    table->scrollToBottom();
                    settle(table);
                });
            },
            [&] {
                return millisecondsOf([&] {
                    probeRow();
                    probe.scrollToBottom();
                    settle(&probe);
                });
            });
        figures.push_back({"row added to a 1,000-row invoice", row.measured, "ms", ""});
        figures.push_back({"  probe table row with a combo", row.probe, "ms", ""});
        figures.push_back({"  ratio", row.ratio, "", "<= 1.5"});
    }

    const int count;
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::max(1, QString::fromLocal8Bit(argv[i]).toInt()));
    if (counts.empty())
        counts = {1000, 10000};

    std::map<int, std::vector<Figure>> figuresOfCount;
    for (const int count : counts) {
        const BenchHome home;
        logStream.open(logFilePath().toStdString(), std::ios::out | std::ios::app);
        qInstallMessageHandler(logMessage);
        writeBenchRegistry(count);
        figuresOfCount[count] = Bench(count).run();
        qInstallMessageHandler(nullptr);
        logStream.close();
    }

    std::printf("%-38s", "customers");
    for (const int count : counts)
        std::printf("%12d", count);
    std::printf("  target\n");
    const std::vector<Figure>& names = figuresOfCount.at(counts.front());
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::printf("%-38s", names[i].name);
        for (const int count : counts)
            std::printf("%12.3f", figuresOfCount.at(count)[i].value);
        std::printf("  %s %s\n", names[i].unit, names[i].target);
    }
    return 0;
}
