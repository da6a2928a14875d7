// The upper part of the page: customer block, letterhead, billing header, payment and
// bank block, transport header.
#include "printermanager.h"

#include "amounttext.h"
#include "companykeys.h"
#include "preferencekeys.h"

#include <QColor>
#include <QDebug>
#include <QImage>
#include <QPainter>

namespace {

using FieldMap = QMap<QString, QString>;

const QColor headerShade(240, 240, 240, 200);
const QColor cellShade(230, 230, 230, 200);
constexpr int blockHeight = 34;
constexpr int labelSize = 7;

const QString tab = QStringLiteral("\t");

QString field(const FieldMap* fields, const QString& key)
{
    return fields ? fields->value(key) : QString();
}

void drawTextAt(QPainter& painter, const QRect& rect, const QString& text, int pointSize, bool bold,
                int flags = Qt::AlignLeft | Qt::AlignTop)
{
    QFont font = painter.font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    painter.setFont(font);
    painter.drawText(rect, flags, text);
}

// Under "LUOGO E DESTINAZIONE DEI BENI": the delivery address on two lines, or IDEM when
// the goods go to the registered address.
QString deliveryText(const FieldMap* customer)
{
    if (field(customer, VIA2).size() < 3)
        return QStringLiteral("\tIDEM");
    return (field(customer, VIA2) + QStringLiteral(" \n  ") + field(customer, CAP2) + QLatin1Char(' ')
            + field(customer, LOC2) + QLatin1Char(' ') + field(customer, CITY2) + QStringLiteral(" - ")
            + field(customer, NAZIONE2))
        .toUpper();
}

} // namespace

void PrinterManager::drawCustomerBlock(QPainter& painter, int& currPageHeight, const InvoiceData& document,
                                       bool blankForm)
{
    qDebug() << " draw Customer info delivery ";
    const QFont found = painter.font();
    constexpr int x = 370;
    constexpr int width = 343;
    drawBoxedRect(painter, x, 0, width, 180);
    // A document without a customer carries an empty map: only the box, labels and rules print.
    const FieldMap* customer = document.customer.isEmpty() ? nullptr : &document.customer;
    qDebug() << "  recovered customer from model :  " << document.customer;

    QString name = tab;
    QString street = tab + tab;
    QString town = tab + tab;
    QString taxNumbers = tab + tab;
    QString register_ = tab + tab;
    QString delivery = QStringLiteral(" ");
    if (customer && !blankForm) {
        name += field(customer, RAGIONE_S).toUpper();
        street += field(customer, ADDRESS).toUpper();
        town += (field(customer, CAP) + QLatin1Char(' ') + field(customer, LOCALITY) + QStringLiteral("   ")
                 + field(customer, CITY))
                    .toUpper()
            + tab + field(customer, NAZIONE) + QStringLiteral(" [") + field(customer, TELEPHONE) + QLatin1Char(']');
        taxNumbers += (field(customer, PIVA) + tab + tab + field(customer, FISCAL_CODE)).toUpper();
        register_ += field(customer, NR_IMPRESE);
        delivery += deliveryText(customer);
    }

    drawTextAt(painter, QRect(x, 0, width, 10), QStringLiteral("\tDESTINATARIO/CESSIONARIO"), 6, false);
    drawTextAt(painter, QRect(x, 15, width, 20), name, 8, true);
    drawTextAt(painter, QRect(x, 35, width, 13), street, 8, false);
    drawTextAt(painter, QRect(x, 48, width, 13), town, 8, false);
    drawLine(painter, x, 68, x + width, 68);
    drawTextAt(painter, QRect(x, 70, width, 10), QStringLiteral("  PARTITA IVA/CODICE FISCALE"), 6, false);
    drawTextAt(painter, QRect(x, 80, width, 15), taxNumbers, 7, true);
    drawTextAt(painter, QRect(x, 97, width, 10), QStringLiteral("  NUMERO REGISTRO IMPRESE"), 6, false);
    drawTextAt(painter, QRect(x, 107, width, 15), register_, 7, false);
    drawLine(painter, x, 124, x + width, 124);
    drawTextAt(painter, QRect(x, 129, width, 20), QStringLiteral("\t\tLUOGO E DESTINAZIONE DEI BENI   "), 6, false);
    drawTextAt(painter, QRect(x, 149, width, 30), delivery, 8, false);

    painter.setFont(found);
    currPageHeight += 180;
}

void PrinterManager::drawCompanyHeader(QPainter& painter, const InvoiceData& document)
{
    // The shaded letterhead reaches a little into the left and top margins.
    painter.fillRect(QRect(-10, -20, 360, 200), headerShade);
    qDebug() << " draw Company info";
    const FieldMap* company = document.company.isEmpty() ? nullptr : &document.company;
    const QFont found = painter.font();

    // The blank form still carries the letterhead.
    QString name = QStringLiteral(" ");
    QString address = QStringLiteral(" ");
    QString telephones = tab;
    QString fiscalCode = QStringLiteral(" ");
    QString vatNumber = QStringLiteral(" ");
    QString register_ = QStringLiteral(" ");
    QString email = QStringLiteral(" ");
    if (company) {
        name += field(company, RAGIONE_S).toUpper();
        address = (address + field(company, ADDRESS) + QStringLiteral(" - ") + field(company, CAP) + QLatin1Char(' ')
                   + field(company, LOCALITY) + QStringLiteral(" (") + field(company, CITY) + QStringLiteral(")  ")
                   + field(company, NAZIONE))
                      .toUpper();
        telephones += field(company, TELEPHONE) + QLatin1Char(' ') + field(company, MOBILE_PHONE);
        fiscalCode += field(company, FISCAL_CODE);
        vatNumber += field(company, PIVA);
        register_ += field(company, NR_IMPRESE);
        email += field(company, EMAIL);
    }

    constexpr int width = 360;
    drawTextAt(painter, QRect(10, 20, width, 30), name, 12, true, Qt::AlignCenter);
    drawTextAt(painter, QRect(30, 50, width, 20), address, 9, false);
    drawTextAt(painter, QRect(30, 68, width, 20), QStringLiteral(" Cod. Fisc. "), 8, false);
    drawTextAt(painter, QRect(130, 65, width, 20), fiscalCode, 9, false);
    drawTextAt(painter, QRect(30, 83, width, 20), QStringLiteral(" Partita IVA "), 8, false);
    drawTextAt(painter, QRect(130, 80, width, 20), vatNumber, 9, false);
    drawTextAt(painter, QRect(30, 98, width, 20), QStringLiteral(" N.R. Imprese "), 8, false);
    drawTextAt(painter, QRect(130, 95, width, 20), register_, 9, false);
    drawIcon(painter, QStringLiteral(":/printer/Resources/telefono.png"), 40, 117);
    drawTextAt(painter, QRect(70, 115, width, 20), QStringLiteral("\t\tTel. Fax.") + telephones, 9, false);
    drawTextAt(painter, QRect(30, 133, width, 20), QStringLiteral(" Email "), 8, false);
    drawTextAt(painter, QRect(130, 130, width, 20), email, 9, false);

    painter.setFont(found);
}

void PrinterManager::drawIcon(QPainter& painter, const QString& path, int x, int y)
{
    QImage image;
    const bool loaded = image.load(path);
    qDebug() << "image loaded ??" << loaded;
    if (!loaded)
        return;
    // The whole icon, as tall as the telephone line beside it: any larger and it covers
    // the "Email" label below.
    constexpr int side = 14;
    painter.drawImage(QRectF(x, y, side, side), image, QRectF(image.rect()), Qt::AutoColor);
}

void PrinterManager::drawBillingHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                       const InvoiceData& document, const PageSlice& page, bool blankForm)
{
    const int w = pageRect.width();
    QString number, date, pageNumber, customerCode, causale;
    if (!blankForm) {
        number = formatCount(document.number);
        date = document.date.toString(QStringLiteral("dd.MM.yyyy"));
        pageNumber = pageNumberText(page);
        customerCode = document.customer.value(CODE);
        causale = document.transport.value(CAUSALE_FIELD);
    }

    qDebug() << " adding billing header..";
    const int y0 = currPageHeight + 10;
    drawBoxedRect(painter, 0, y0, w, blockHeight);
    painter.fillRect(QRect(0, y0, 100, blockHeight), cellShade);
    drawLabelledCell(painter, 0, y0, 100, blockHeight, QStringLiteral("NUMERO DOCUMENTO"), number, labelSize, false);
    painter.fillRect(QRect(100, y0, 150, blockHeight), cellShade);
    drawLabelledCell(painter, 100, y0, 150, blockHeight, QStringLiteral("DATA FATTURA"), date, labelSize, false);
    drawLabelledCell(painter, 250, y0, 70, blockHeight, QStringLiteral("N. PAGINA"), pageNumber, labelSize, false);
    drawLabelledCell(painter, 320, y0, 100, blockHeight, QStringLiteral("CODICE CLIENTE"), customerCode, labelSize,
                     false);
    drawLabelledCell(painter, 420, y0, 90, blockHeight, QStringLiteral("CODICE AGENTE"), QString(), labelSize, false);
    drawLabelledCell(painter, 510, y0, w - 510, blockHeight, QStringLiteral("CAUSALE TRASPORTO"), causale, labelSize,
                     false);
    currPageHeight += 44;
}

void PrinterManager::drawPaymentBlock(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                      const InvoiceData& document, bool blankForm)
{
    const int w = pageRect.width();
    QString payment, abi, cab, iban, filiale;
    if (!blankForm) {
        payment = document.payment;
        const FieldMap& bank = document.paymentInfo;
        cab = bank.value(CAB).toUpper();
        abi = bank.value(ABI);
        iban = bank.value(IBAN).toUpper();
        filiale = bank.value(FILIALE).toUpper();
    }

    const int y = currPageHeight;
    drawLabelledCell(painter, 0, y, 220, blockHeight, QStringLiteral("CONDIZIONI DI PAGAMENTO"), payment, labelSize,
                     false);

    const QRect bankBox = drawBoxedRect(painter, 220, y, w - 220, blockHeight);
    const QFont found = painter.font();
    QFont font = found;
    const int rememberedSize = font.pointSize();
    font.setPointSize(7);
    painter.setFont(font);
    painter.drawText(bankBox, Qt::AlignLeft | Qt::AlignTop, QStringLiteral(" BANCA  D'APPOGGIO"));
    font.setPointSize(5);
    painter.setFont(font);
    painter.drawText(bankBox, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral(" ") + QStringLiteral("   IBAN         ") + iban
                         + QStringLiteral("         ABI                ") + abi
                         + QStringLiteral("               CAB               ") + cab);
    font.setPointSize(7);
    painter.setFont(font);
    painter.drawText(bankBox, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral(" ") + QStringLiteral("   ") + filiale);
    font.setPointSize(rememberedSize);
    painter.setFont(font);

    currPageHeight += blockHeight;
}

void PrinterManager::drawTransportHeader(QPainter& painter, int& currPageHeight, const QRect& pageRect,
                                         const InvoiceData& document, bool blankForm)
{
    const int w = pageRect.width();
    QString cura, mezzo, porto, docType;
    if (!blankForm) {
        cura = document.transport.value(TCURA_FIELD).toUpper();
        mezzo = document.transport.value(SMEZZO_FIELD).toUpper();
        porto = document.transport.value(PORTO_FIELD).toUpper();
        // as chosen in the invoice tab: the document types carry their own spelling
        docType = document.docType;
    }
    const int y = currPageHeight;
    drawLabelledCell(painter, 0, y, 150, blockHeight, QStringLiteral("TRASPORTO A CURA"), cura, labelSize, false);
    drawLabelledCell(painter, 150, y, 150, blockHeight, QStringLiteral("SPEDIZIONE A MEZZO"), mezzo, labelSize, false);
    drawLabelledCell(painter, 300, y, 150, blockHeight, QStringLiteral("PORTO"), porto, labelSize, false);
    drawLabelledCell(painter, 450, y, w - 450, blockHeight, QStringLiteral("TIPO DOCUMENTO"), docType, labelSize,
                     false);
    currPageHeight += blockHeight;
}
