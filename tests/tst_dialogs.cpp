// The own-company, transport-preference and due-date dialogs, opened from the window and
// filled in as a user fills them.
#include "companykeys.h"
#include "modelfacade.h"
#include "myclass.h"
#include "preferencekeys.h"
#include "windowdriver.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTimeEdit>
#include <QtTest>

#include <functional>

using Fields = QMap<QString, QString>;

namespace {

const Fields ownCompany = {{CODE, "AZ0001"},          {RAGIONE_S, "ACME SRL"},   {PIVA, "12345678901"},
                           {ADDRESS, "VIA GARIBALDI 2"}, {LOCALITY, "FIRENZE"}, {CITY, "FI"},
                           {NAZIONE, "ITALIA"},       {IBAN, "IT60X0542811101000000123456"}};

QByteArray recordFile(const QString& type, const QString& id, const Fields& fields)
{
    QByteArray file = "<!DOCTYPE " + type.toUtf8() + ">\n<" + type.toUtf8() + ">\n <entry id=\"" + id.toUtf8() + "\">\n";
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        file += "  <field name=\"" + it.key().toUtf8() + "\">" + it.value().toUtf8() + "</field>\n";
    return file + " </entry>\n</" + type.toUtf8() + ">\n";
}

// Stored before the start; the start-up replaces all but the VAT rate.
const Fields earlierPreferences = {{TCURA_FIELD, "DESTINATARIO"}, {SMEZZO_FIELD, "MITTENTE"},
                                   {PORTO_FIELD, "ASSEGNATO"},    {ASPETTO_FIELD, "CARTONE"},
                                   {CAUSALE_FIELD, "RESO"},       {DATA_INIZIO_FIELD, "01/01/2000"},
                                   {ORA_INIZIO_FIELD, "08:15"},   {IVA_FIELD, "10"}};

const Fields firstItems = {{TCURA_FIELD, "MITTENTE"}, {SMEZZO_FIELD, "VETTORE"}, {PORTO_FIELD, "FRANCO"},
                           {ASPETTO_FIELD, "A VISTA"}, {CAUSALE_FIELD, "VENDITA"}};
const Fields comboOfKey = {{TCURA_FIELD, "t_TCuraField"}, {SMEZZO_FIELD, "t_TMezzoField"}, {PORTO_FIELD, "t_PortoField"},
                           {ASPETTO_FIELD, "t_AspettoField"}, {CAUSALE_FIELD, "t_CausaleField"}};

template <typename T>
T* in(QWidget* dialog, const QString& name)
{
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no widget %s in %s", qPrintable(name), qPrintable(dialog->objectName()));
    return found;
}

// Types into an editor and leaves it with Tab, as a user moves on to the next field.
void enter(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void clickButton(QWidget* dialog, const QString& box, QDialogButtonBox::StandardButton button)
{
    QTest::mouseClick(in<QDialogButtonBox>(dialog, box)->button(button), Qt::LeftButton);
}

Fields preferences(const QStringList& keys)
{
    Fields values;
    for (const QString& key : keys)
        values.insert(key, ModelFacade::instance()->preferenceField(key));
    return values;
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowDriver> driver;

    ModelFacade* model() const { return ModelFacade::instance(); }
    void trigger(const QString& action) { driver->window()->findChild<QAction*>(action)->trigger(); }

    // Opens a modal dialog with `open` and runs `act` while it is shown; a dialog that `act`
    // leaves open (a failed check) is rejected, so that the test never hangs in exec().
    bool whileShown(const std::function<void()>& open, const std::function<void(QDialog*)>& act)
    {
        bool shown = false;
        WindowDriver::whenDialogShown([&](QWidget* widget) {
            shown = true;
            auto* dialog = qobject_cast<QDialog*>(widget);
            act(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        open();
        return shown;
    }
    bool inCompanyDialog(const std::function<void(QDialog*)>& act)
    {
        return whileShown([this] { trigger("actionAzienda"); }, act);
    }
    bool inTransportDialog(const std::function<void(QDialog*)>& act)
    {
        return whileShown([this] { trigger("actionPreferenze_trasporto"); }, act);
    }
    bool inDateDialog(const std::function<void(QDialog*)>& act)
    {
        return whileShown([this] { QTest::mouseClick(driver->find<QPushButton>("openDateEditorB"), Qt::LeftButton); },
                          act);
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init()
    {
        driver = std::make_unique<WindowDriver>([](TestHome& home) {
            home.writeDataFile("company_AZ0001.xml", recordFile("company", "AZ0001", ownCompany));
            home.writeDataFile("preference_0.xml", recordFile("preference", "0", earlierPreferences));
        });
    }
    void cleanup() { driver.reset(); }

    void dialog_titleAndSize_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::newRow("company") << "actionAzienda" << "EditAziendaDialog" << "Dialog" << QSize(515, 543);
        QTest::newRow("transport") << "actionPreferenze_trasporto" << "TrasportoDialog"
                                   << "Preferenze per il trasporto" << QSize(453, 316);
        QTest::newRow("due dates") << "openDateEditorB" << "DateDialog" << "Date" << QSize(437, 250);
    }
    void dialog_titleAndSize()
    {
        QFETCH(QString, opener);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QString shownName;
        QString shownTitle;
        QSize shownSize;
        const auto open = [&] {
            if (opener.startsWith("action"))
                trigger(opener);
            else
                QTest::mouseClick(driver->find<QPushButton>(opener), Qt::LeftButton);
        };
        QVERIFY(whileShown(open, [&](QDialog* dialog) {
            shownName = dialog->objectName();
            shownTitle = dialog->windowTitle();
            shownSize = dialog->size();
            QVERIFY(dialog->isModal());
            QVERIFY(!dialog->parent());
        }));
        QCOMPARE(shownName, name);
        QCOMPARE(shownTitle, title);
        QCOMPARE(shownSize, size);
    }

    // ---- Own company

    void company_cancelAfterEdits_keepsOwnCompany_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("Escape key") << "escape";
        QTest::newRow("window closed") << "close";
    }
    void company_cancelAfterEdits_keepsOwnCompany()
    {
        QFETCH(QString, how);
        const Fields before = *model()->companyFields();
        QVERIFY(inCompanyDialog([&](QDialog* dialog) {
            QCOMPARE(in<QLineEdit>(dialog, "RS_CompanyLineEdit")->text(), QStringLiteral("ACME SRL"));
            QCOMPARE(in<QLineEdit>(dialog, "IBAN_CompanyLineEdit")->text(), ownCompany.value(IBAN));
            enter(in<QLineEdit>(dialog, "RS_CompanyLineEdit"), "altra ditta spa");
            enter(in<QLineEdit>(dialog, "PIvaCompanyLineEdit"), "99988877766");
            enter(in<QLineEdit>(dialog, "Fax_CompanyLineEdit"), "055123456");
            QCOMPARE(in<QLineEdit>(dialog, "RS_CompanyLineEdit")->text(), QStringLiteral("ALTRA DITTA SPA"));
            QCOMPARE(*model()->companyFields(), before); // nothing replaced while editing
            // the last edit is left unfinished
            auto* iban = in<QLineEdit>(dialog, "IBAN_CompanyLineEdit");
            iban->setFocus();
            iban->selectAll();
            QTest::keyClicks(iban, "it00");
            if (how == "cancel")
                clickButton(dialog, "confirmButtonCompany", QDialogButtonBox::Cancel);
            else if (how == "escape")
                QTest::keyClick(iban, Qt::Key_Escape);
            else
                dialog->close();
            QVERIFY(!dialog->isVisible());
        }));
        QTest::qWait(20); // whatever the closing still delivers

        QCOMPARE(*model()->companyFields(), before);
        QCOMPARE(driver->find<QLineEdit>("RS_CompanyLineEdit")->text(), QStringLiteral("ACME SRL"));
        QCOMPARE(driver->find<QLineEdit>("IBAN_CompanyLineEdit")->text(), ownCompany.value(IBAN));

        // nothing of the cancelled edits comes back with the next Ok
        QVERIFY(inCompanyDialog([](QDialog* dialog) {
            QCOMPARE(in<QLineEdit>(dialog, "PIvaCompanyLineEdit")->text(), QStringLiteral("12345678901"));
            clickButton(dialog, "confirmButtonCompany", QDialogButtonBox::Ok);
        }));
        QCOMPARE(*model()->companyFields(), before);
    }

    void company_ok_replacesUpperCasedAndKeepsCode()
    {
        QSignalSpy changes(model(), &ModelFacade::companyChanged);
        QVERIFY(inCompanyDialog([](QDialog* dialog) {
            enter(in<QLineEdit>(dialog, "RS_CompanyLineEdit"), "altra ditta spa");
            enter(in<QLineEdit>(dialog, "City_CompanyLineEdit"), "po");
            enter(in<QLineEdit>(dialog, "regImpreseLineEdit"), "po-123456");
            enter(in<QLineEdit>(dialog, "FILIALE_CompanyLineEdit"), "banca toscana, prato");
            clickButton(dialog, "confirmButtonCompany", QDialogButtonBox::Ok);
        }));

        Fields expected = ownCompany;
        expected.insert(RAGIONE_S, "ALTRA DITTA SPA");
        expected.insert(CITY, "PO");
        expected.insert(NR_IMPRESE, "PO-123456");
        expected.insert(FILIALE, "BANCA TOSCANA, PRATO");
        QCOMPARE(*model()->companyFields(), expected);
        QVERIFY(changes.size() >= 5); // each edit, then the commit
        QCOMPARE(driver->find<QLineEdit>("FILIALE_CompanyLineEdit")->text(), QStringLiteral("BANCA TOSCANA, PRATO"));

        model()->savePersistentData();
        const QByteArray saved = readFile(driver->home().dataDir() + "/company_AZ0001.xml");
        QVERIFY(saved.contains("<entry id=\"AZ0001\">"));
        QVERIFY(saved.contains("<field name=\"RAGIONE_S\">ALTRA DITTA SPA</field>"));
    }

    // The court city of the conditions: shown with the company, by default its town,
    // stored as a setting only when changed, and not at all on Cancel.
    void company_courtCity_followsTheTownUntilSet()
    {
        const QString town = model()->companyFields()->value(LOCALITY);
        QString shown;
        QVERIFY(inCompanyDialog([&](QDialog* dialog) {
            shown = in<QLineEdit>(dialog, "Foro_CompanyLineEdit")->text();
            enter(in<QLineEdit>(dialog, "Foro_CompanyLineEdit"), "prato");
            clickButton(dialog, "confirmButtonCompany", QDialogButtonBox::Cancel);
        }));
        QCOMPARE(shown, town);
        QCOMPARE(model()->preferenceField(FORO_FIELD), QString());

        QVERIFY(inCompanyDialog([](QDialog* dialog) {
            clickButton(dialog, "confirmButtonCompany", QDialogButtonBox::Ok);
        }));
        QCOMPARE(model()->preferenceField(FORO_FIELD), QString()); // unchanged: still the town

        QVERIFY(inCompanyDialog([](QDialog* dialog) {
            enter(in<QLineEdit>(dialog, "Foro_CompanyLineEdit"), "prato");
            clickButton(dialog, "confirmButtonCompany", QDialogButtonBox::Ok);
        }));
        QCOMPARE(model()->preferenceField(FORO_FIELD), QStringLiteral("PRATO"));
        QCOMPARE(model()->getForo(), QStringLiteral("PRATO"));
    }

    // ---- Transport preferences

    void transport_afterStartUp_holdsFirstItemsAndStartTime()
    {
        QCOMPARE(preferences(firstItems.keys()), firstItems);
        QCOMPARE(model()->preferenceField(DATA_INIZIO_FIELD), QDate::currentDate().toString("dd/MM/yyyy"));
        const QTime stored = QTime::fromString(model()->preferenceField(ORA_INIZIO_FIELD), "hh:mm");
        QVERIFY(stored.isValid());
        QVERIFY(qAbs(stored.secsTo(QTime::currentTime())) < 120);
        QCOMPARE(model()->preferenceField(IVA_FIELD), QStringLiteral("10"));

        QVERIFY(inTransportDialog([](QDialog* dialog) {
            for (auto it = firstItems.cbegin(); it != firstItems.cend(); ++it)
                QCOMPARE(in<QComboBox>(dialog, comboOfKey.value(it.key()))->currentText(), it.value());
            QVERIFY(in<QDateEdit>(dialog, "t_dateField")->isHidden());
            QVERIFY(in<QTimeEdit>(dialog, "t_timeField")->isHidden());
            QVERIFY(in<QLabel>(dialog, "label_6")->isHidden());
            clickButton(dialog, "confirmButtonTrasporto", QDialogButtonBox::Cancel);
        }));
        QCOMPARE(preferences(firstItems.keys()), firstItems);
    }

    void transport_chosenItems_storedOnlyWithOk_data()
    {
        QTest::addColumn<QDialogButtonBox::StandardButton>("button");
        QTest::newRow("Ok") << QDialogButtonBox::Ok;
        QTest::newRow("Cancel") << QDialogButtonBox::Cancel;
    }
    void transport_chosenItems_storedOnlyWithOk()
    {
        QFETCH(QDialogButtonBox::StandardButton, button);
        const Fields chosen = {{TCURA_FIELD, "DESTINATARIO"}, {SMEZZO_FIELD, "DESTINATARIO"}, {PORTO_FIELD, "ASSEGNATO"},
                               {ASPETTO_FIELD, "CARTONE"},    {CAUSALE_FIELD, "CONTO VISIONE"}};
        model()->setPreferenceField(DATA_INIZIO_FIELD, "02/02/2002");
        QVERIFY(inTransportDialog([&](QDialog* dialog) {
            for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
                auto* combo = in<QComboBox>(dialog, comboOfKey.value(it.key()));
                while (combo->currentText() != it.value() && combo->currentIndex() < combo->count() - 1)
                    QTest::keyClick(combo, Qt::Key_Down);
            }
            clickButton(dialog, "confirmButtonTrasporto", button);
        }));

        const bool ok = button == QDialogButtonBox::Ok;
        QCOMPARE(preferences(chosen.keys()), ok ? chosen : firstItems);
        QCOMPARE(model()->preferenceField(DATA_INIZIO_FIELD),
                 ok ? QDate::currentDate().toString("dd/MM/yyyy") : QStringLiteral("02/02/2002"));

        // reopened, the dialog shows what is stored
        QVERIFY(inTransportDialog([&](QDialog* dialog) {
            for (auto it = chosen.cbegin(); it != chosen.cend(); ++it)
                QCOMPARE(in<QComboBox>(dialog, comboOfKey.value(it.key()))->currentText(),
                         ok ? it.value() : firstItems.value(it.key()));
            clickButton(dialog, "confirmButtonTrasporto", QDialogButtonBox::Cancel);
        }));
    }

    void transport_typedValueOutsideItems_storedUpperCased_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::newRow("item with a trailing blank") << TCURA_FIELD << "mittente ";
        QTest::newRow("new means") << SMEZZO_FIELD << "corriere espresso";
        QTest::newRow("new reason") << CAUSALE_FIELD << "conto deposito";
    }
    void transport_typedValueOutsideItems_storedUpperCased()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        int itemsBefore = 0;
        QVERIFY(inTransportDialog([&](QDialog* dialog) {
            auto* combo = in<QComboBox>(dialog, comboOfKey.value(key));
            itemsBefore = combo->count();
            combo->lineEdit()->setFocus();
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), typed);
            clickButton(dialog, "confirmButtonTrasporto", QDialogButtonBox::Ok);
        }));

        Fields expected = firstItems;
        expected.insert(key, typed.toUpper());
        QCOMPARE(preferences(firstItems.keys()), expected);

        QVERIFY(inTransportDialog([&](QDialog* dialog) {
            auto* combo = in<QComboBox>(dialog, comboOfKey.value(key));
            QCOMPARE(combo->count(), itemsBefore);
            QCOMPARE(combo->findText(typed.toUpper()), -1);
            QCOMPARE(combo->currentIndex(), 0); // no item matches: the combo keeps its item
            clickButton(dialog, "confirmButtonTrasporto", QDialogButtonBox::Cancel);
        }));
    }

    // ---- Due dates

    void dueDate_addedAndRemovedAgain_data()
    {
        QTest::addColumn<QString>("note");
        QTest::newRow("empty note") << "";
        QTest::newRow("note") << "prima rata";
        QTest::newRow("note holding the separator") << "acconto -- saldo";
    }
    void dueDate_addedAndRemovedAgain()
    {
        QFETCH(QString, note);
        const QDate due(2025, 3, 15);
        const QString shown = "15/03/2025 -- " + note;
        const QString other = "30/04/2025 -- saldo";
        QSignalSpy changes(model(), &ModelFacade::scadenzeChanged);
        auto* combo = driver->find<QComboBox>("scadenzeCombo");

        QVERIFY(inDateDialog([&](QDialog* dialog) {
            auto* date = in<QDateEdit>(dialog, "dateEdit");
            auto* noteEdit = in<QLineEdit>(dialog, "noteEdit");
            auto* list = in<QListWidget>(dialog, "dateList");
            QCOMPARE(date->date(), QDate::currentDate());
            date->setDate(due);
            QTest::keyClicks(noteEdit, note);
            QTest::mouseClick(in<QPushButton>(dialog, "aggiungiData"), Qt::LeftButton);
            QCOMPARE(listTexts(list), QStringList{shown});
            QCOMPARE(date->date(), QDate::currentDate());
            QCOMPARE(noteEdit->text(), QString());
            date->setDate(QDate(2025, 4, 30));
            QTest::keyClicks(noteEdit, "saldo");
            QTest::mouseClick(in<QPushButton>(dialog, "aggiungiData"), Qt::LeftButton);
            QCOMPARE(listTexts(list), (QStringList{shown, other}));
            QCOMPARE(combo->count(), 2);
            QCOMPARE(combo->itemText(0), shown);
            QCOMPARE(model()->getScadenze().first(), Scadenza(due, note));

            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
            QTest::mouseClick(in<QPushButton>(dialog, "rimuoviData"), Qt::LeftButton);
            QCOMPARE(listTexts(list), QStringList{other});
            dialog->close();
        }));

        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->itemText(0), other);
        QCOMPARE(model()->getScadenze().size(), 1);
        QCOMPARE(changes.size(), 3);
    }

    void dueDate_removeWithoutSelection_removesNothing()
    {
        model()->addScadenzaDate(QDate(2025, 5, 31), "rata");
        QVERIFY(inDateDialog([](QDialog* dialog) {
            QTest::mouseClick(in<QPushButton>(dialog, "rimuoviData"), Qt::LeftButton);
            QCOMPARE(listTexts(in<QListWidget>(dialog, "dateList")), QStringList{"31/05/2025 -- rata"});
            dialog->close();
        }));
        QCOMPARE(model()->getScadenze().size(), 1);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
