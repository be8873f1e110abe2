// The export wizard driven with the mouse on the real window: the four
// built-in routes through the save dialog, checked with other programs'
// readers (Python's csv module, python3-dbf), and the ODBC route with the
// mapping page on the SQLite ODBC driver, checked with sqlite3.
#include "WizardSupport.h"
#include "dataman/exportwiz/Texportform.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using namespace vellora;
using namespace vellora::test;

namespace {

void clickItem(QListWidget *list, const QString &text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

// Rows as Python's readers see them, cells joined by '|'.
QStringList readWithPython(const QString &kind, const QString &path)
{
    const char *script = R"PY(
import sys, csv
kind, path = sys.argv[1], sys.argv[2]
if kind == 'csv':
    raw = open(path, 'rb').read()
    enc = 'utf-8-sig' if raw.startswith(b'\xef\xbb\xbf') else 'cp1252'
    rows = list(csv.reader(raw.decode(enc).splitlines(True)))
elif kind == 'text':
    rows = list(csv.reader(open(path, encoding='cp1252', newline='')))
else:
    import dbf
    t = dbf.Table(path); t.open()
    rows = [list(t.field_names)] + [[('' if v is None else str(v)).rstrip() for v in r] for r in t]
for r in rows:
    print('|'.join(c.replace('\r\n', '/') for c in r))
)PY";
    return runTool("/usr/bin/python3", {"-c", QString::fromUtf8(script), kind, path})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

class TestExportWizard : public QObject {
    Q_OBJECT
private slots:
    void builtInRoutes_data();
    void builtInRoutes();
    void odbcDestinationByDragAndDrop();
};

void TestExportWizard::builtInRoutes_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("file");   // as typed into the save dialog; empty: cancelled
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("seen");
    const QStringList csvRows{
        "Card_Number|Sparefield2|First_name|Last_name|Title|Department|Sparefield1|MagStripe1|MagStripe2|MagStripe3",
        "1||Jean Luc|Picard|Captain, \"USS\"|Brücke||||", "2||Zoë|Two/Lines|€|||||"};
    QTest::newRow("comma-separated") << 3 << "cards" << "*.csv" << csvRows;
    QTest::newRow("dbase") << 0 << "cards.dbf" << "*.dbf"
                           << QStringList{"card_numbe|sparefiel2|first_name|last_name|title|department|sparefiel1|"
                                          "magstripe1|magstripe2|magstripe3",
                                          "1||Jean Luc|Picard|Captain, \"USS\"|Brücke||||",
                                          "2||Zoë|Two/Lines|€|||||"};
    QTest::newRow("text") << 1 << "cards.txt" << "*.txt" << csvRows.mid(1);
    QTest::newRow("paradox") << 2 << "cards.db" << "*.db" << QStringList{};
    QTest::newRow("cancelled") << 3 << "" << "*.csv" << QStringList{};
}

void TestExportWizard::builtInRoutes()
{
    QFETCH(int, entry);
    QFETCH(QString, file);
    QFETCH(QString, filter);
    QFETCH(QStringList, seen);
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    QVERIFY(loadLanguage(pf.path(), "English"));
    addCards(pf.path(), {{"Picard", "Jean Luc", "Captain, \"USS\"", "Brücke"}, {"Two\r\nLines", "Zoë", "€"}});
    QTemporaryDir dir;
    Texportform w(pf.path());
    TranslateComponent(&w);
    QCOMPARE(w.Label5->text(), QStringLiteral("Select Export Destination Source"));
    QCOMPARE(w.importtypes->count(), 4);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.RadioButton2, Qt::LeftButton);
    clickItem(w.importtypes, w.importtypes->item(entry)->text());
    ScriptedDialogs dialogs;
    if (file.isEmpty())
        dialogs.answerCancel();
    else
        dialogs.answerText(dir.filePath(file));
    ScriptedMessages messages;
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(dialogs.requests().size(), 1);
    QCOMPARE(dialogs.requests()[0].kind, CommonDialogKind::SaveFile);
    QCOMPARE(dialogs.requests()[0].filter, filter);
    QCOMPARE(dialogs.requests()[0].initial, pf.path());
    // Confirmed or cancelled, the wizard closes without a message.
    QVERIFY(!w.isVisible());
    QVERIFY(messages.shown().isEmpty());
    if (file.isEmpty()) {
        QVERIFY(QDir(dir.path()).isEmpty());
        return;
    }
    QString written = dir.filePath(file);
    if (QFileInfo(written).suffix().isEmpty())
        written += ".csv";   // the default extension
    QVERIFY(QFileInfo::exists(written));
    if (entry == 2) {
        // Paradox: a new table with every field and the card number an
        // integer; read back by our reader (pxlib reads it in app.test_cli_data).
        Table t;
        t.setDatabaseName(dir.path() + '/');
        t.setTableName(file);
        t.setTableType(TableType::Paradox);
        t.open();
        QCOMPARE(t.fieldCount(), 10);
        QCOMPARE(t.field(0).type(), FieldType::Integer);
        QCOMPARE(t.indexDefs().size(), 1);
        QCOMPARE(t.recordCount(), 2);
        t.last();
        QCOMPARE(t.fieldByName("Last_name").asString(), QStringLiteral("Two\r\nLines"));
        return;
    }
    QCOMPARE(readWithPython(entry == 0 ? "dbase" : entry == 1 ? "text" : "csv", written), seen);
}

void TestExportWizard::odbcDestinationByDragAndDrop()
{
    OdbcFolder odbc;
    const QString hr = odbc.path("hr.sqlite");
    runTool("sqlite3", {hr, "create table staff (id integer primary key, surname varchar(40), unit varchar(40)); "
                            "insert into staff values (99, 'Old', 'Row');"});
    odbc.addSource("HR", hr);
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    QVERIFY(loadLanguage(pf.path(), "English"));
    addCards(pf.path(), {{"Picard", "Jean Luc", "Captain", "Bridge"}, {"Müller", "Zoë", "", "Labor"}});
    Texportform w(pf.path());
    TranslateComponent(&w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickItem(w.aliasnames, "HR");
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    clickItem(w.tablelist, "staff");
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(w.page(), 2);
    // Destination fields on the left (tag 1), every card field on the right.
    QCOMPARE(captions(w, w.ScrollBox1, true), (QStringList{"id", "surname", "unit"}));
    QCOMPARE(w.labelNamed("tab2lab1")->tag(), 1);
    QCOMPARE(w.labelNamed("tab1lab1")->text(), QStringLiteral("Card_Number"));
    QCOMPARE(w.labelNamed("tab1lab1")->tag(), 2);
    dragWithMouse(w.labelNamed("tab1lab1"), labelWithCaption(w, w.ScrollBox1, "id"));
    dragWithMouse(labelWithCaption(w, w.ScrollBox1, "surname"), labelWithCaption(w, w.ScrollBox2, "Last_name"));
    dragWithMouse(labelWithCaption(w, w.ScrollBox2, "Department"), labelWithCaption(w, w.ScrollBox1, "unit"));
    QCOMPARE(mapEntries(w), (QStringList{"id=Card_Number", "surname=Last_name", "unit=Department"}));
    QCOMPARE(captions(w, w.ScrollBox1, true), QStringList{});
    QTest::mouseClick(w.RadioButton4, Qt::LeftButton);   // Copy And Replace Records
    ScriptedMessages messages({MrOk});
    QTRY_VERIFY_WITH_TIMEOUT(w.Button10->isEnabled(), 1500);
    QTest::mouseClick(w.Button10, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].text, Literal(4) + "2" + Literal(5) + "0" + Literal(6));
    QCOMPARE(runTool("sqlite3", {hr, "select * from staff order by id"}).split('\n', Qt::SkipEmptyParts),
             (QStringList{"1|Picard|Bridge", "2|Müller|Labor"}));
}

QTEST_MAIN(TestExportWizard)
#include "test_exportwizard.moc"
