#pragma once

#include "invoicedata.h"

#include <QDate>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class RecordListing;

// The register of issued documents: one record file per document in the data directory,
// "document_<sequence>_<year>_<number>.xml" (document_FT_2026_000042.xml), numbered
// progressively per year and per sequence. FATTURA, FATTURA ACCOMPAGNATORIA and NOTA DI
// DEBITO share the invoices' sequence "FT"; NOTA DI CREDITO has "NC", DOCUMENTO DI
// TRASPORTO "DDT". An issued document is never changed. The document being typed is kept
// as a draft record ("draft_0.xml") so that a crash loses at most its last seconds.
//
// Listing reads only file names and keeps of each just its sequence, year and number; a
// document's file is read when it is opened. The summaries the register shows come from a
// yearly index, read in the background right after the listing so that the first search
// finds them ready, and kept.
class DocumentRegister final : public QObject
{
    Q_OBJECT

public:
    // One line of the register as the DOCUMENTI tab shows it.
    struct Entry
    {
        QString id;          // the record id: "FT_2026_000042"
        QString sequence;    // "FT", "NC", "DDT"
        int year = 0;
        int number = 0;
        QString docType;
        QDate date;
        QString customerCode;
        QString customerName;
        double totale = 0;
        bool readable = true;   // false: the file could not be read; its number stays taken
        bool duplicate = false; // another file claims the same sequence, year and number
    };

    enum class IssueResult {
        Issued,            // written, with its directory synced
        NumberTaken,       // that number is already issued in the sequence and year
        InvalidNumber,     // 0, negative or more than 9 digits
        EarlierThanLast,   // dated before the last issued document of the sequence: ask first
        NotWritten,        // the record could not be written (reason in failure())
    };

    explicit DocumentRegister(QObject* parent = nullptr);
    ~DocumentRegister() override;

    static QString sequenceOf(const QString& docType);
    static QString recordIdOf(const QString& sequence, int year, int number);
    // A number typed by hand: digits only, 1 to 999999999. Empty, with an Italian message
    // in `message`, for letters, a sign, 0 or more than nine digits.
    static std::optional<int> parseNumber(const QString& text, QString* message = nullptr);

    // Lists the document files of the data directory by name (nothing is read).
    void load();
    // The same, from the listing the rest of the records were loaded from.
    void load(const RecordListing& listing);
    // The next free number of the sequence of `docType` in `year`: past every number
    // issued, readable or not.
    int nextNumber(const QString& docType, int year) const;
    // Issues `document` (its number, date and type decide its record). With
    // `confirmedEarlierDate` a date before the last issued one of the sequence is accepted.
    IssueResult issue(const InvoiceData& document, bool confirmedEarlierDate = false);
    // What the last issue() or saveDraft() could not do, in Italian, ready for a message
    // box: the number taken and the next free one, the date to confirm, the disk's reason.
    QString failure() const;
    bool isIssued(const QString& docType, int year, int number) const;

    // The documents of a year, newest first; with `text`, those whose customer name or code,
    // number or total contains it (over all years when `year` is 0).
    QList<Entry> entries(int year) const;
    QList<Entry> search(const QString& text, int year = 0) const;
    // The years that have documents, newest first.
    QList<int> years() const;
    // Reads one issued document; empty when its file cannot be read.
    std::optional<InvoiceData> open(const QString& id) const;

    // The draft of the document being typed.
    bool saveDraft(const InvoiceData& draft);
    std::optional<InvoiceData> loadDraft() const;
    bool discardDraft();

Q_SIGNALS:
    void documentIssued(const QString& id);

private:
    // A listed document and what the search compares.
    struct Listed
    {
        Entry entry;
        QString foldedName;
    };
    struct Year
    {
        // until the year is summarised: its documents as listed, by claim key, and those
        // whose file name is not the one the register gives (a copy made by hand)
        std::vector<quint64> listed;
        QList<std::pair<quint64, QString>> listedByOtherName;
        QList<Listed> documents;
        bool summarised = false; // dates, customers and totals read
        bool sorted = false;     // newest first
    };
    // What a year's index holds, by document id; read off the GUI thread.
    struct IndexedYear
    {
        int year = 0;
        QHash<QString, Listed> documents;
    };

    // The sequence, year and number in one key; the number 0 stands for the whole year.
    quint64 claimKey(QAnyStringView sequence, int year, int number) const;
    void claim(quint64 key);
    static QString indexPath(int year);
    static QHash<QString, Listed> readIndex(const QString& path);
    void readIndexesInBackground();
    void stopReadingIndexes();
    // The year's index: read in the background already, or read now.
    QHash<QString, Listed> indexOf(int year) const;
    // Reads what the entries of `year` show, from the year's index and, for the documents
    // the index does not know, from their files.
    Year& summarised(int year) const;
    void writeIndex(int year, const Year& documents) const;
    QDate lastDate(const QString& sequence, int year) const;
    IssueResult refuse(IssueResult result, const QString& message);

    // by year; the summaries are filled in when a year is first asked for
    mutable QMap<int, Year> years_;
    // the sequences met, each text kept once and shared by its entries
    mutable QStringList sequenceNames;
    // sequence and year -> the highest number claimed by a file of them
    QHash<quint64, int> highest;
    // sequence and year -> the date of the last document, once the year is summarised
    mutable QHash<quint64, QDate> lastDates;
    // sequence, year and number -> how many files claim that number
    QHash<quint64, int> claims;
    QFuture<IndexedYear> indexes;
    // the years `indexes` reads, in the order it gives them
    QList<int> indexedYears;
    QString lastFailure;
};
