// The layout designer in the running program: what its OK writes is what
// the card face shows and the virtual card printer prints, and card-face
// edits of a custom layout reach the layout file at exit and at Export
// Project when the operator agrees.
#include "app/mainwindow/CardFaceStyle.h"
#include "lang/LanguageTable.h"
#include "layout/designer/TCustomlayout.h"
#include "layout/file/LayoutFile.h"
#include "store/DataSource.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "support/WindowMouse.h"
#include "test_printing_support.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

QAction *menuItem(TForm1 &main, const char *name)
{
    for (QAction *a : main.findChildren<QAction *>())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Text tesseract reads on a page image.
QString ocr(const QString &image)
{
    QProcess p;
    p.start("tesseract", {image, "stdout", "--psm", "11"});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A layout with the company name and the last name on the card, the
// other free texts in the palette.
QByteArray customFront()
{
    return "513\r\n321\r\n515\r\n323\r\n\r\n"
           "Last_name,STATICTEXT,Last_name,L,Arial,16,0,-21,\"B   \",CARD,186,167,303,30\r\n"
           "Image1,IMAGE,CARD,24,61,150,200\r\n"
           "StaticText1,STATICTEXT,\"XYZ Company\",C,Arial,20,0,-27,\"B   \",CARD,24,10,465,54\r\n"
           "StaticText2,STATICTEXT,\"Static Text\",C,\"MS Sans Serif\",11,-2147483640,-15,\"    \",PALLETE,8,0,130,25\r\n"
           "StaticText3,STATICTEXT,\"Static Text\",C,\"MS Sans Serif\",11,-2147483640,-15,\"    \",PALLETE,8,0,130,25\r\n"
           "StaticText4,STATICTEXT,\"Static Text\",C,\"MS Sans Serif\",11,-2147483640,-15,\"    \",PALLETE,8,0,130,25\r\n";
}

void useEnglish()
{
    QStringList lines;
    QVERIFY(ReadUtf16Lines(TempProgramFolder::builtProgramFolder() + "/languages.ini", &lines));
    SetCurrentLanguage("English", SectionLines(lines, "English"));
    LoadDialogCaptions();
}

}  // namespace

class TestDesignerApp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }
    void init() { useEnglish(); }

    void okReachesTheCardFaceAndThePrintedPage()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) { s.front.LayoutType = 6; });
        Program program(folder.path());
        TForm1 &main = program.main();
        ScriptedDialogs dialogs;
        ScriptedMessages messages;
        {
            // Created for the front as the card design dialog creates it.
            TCustomlayout designer(CardSide::Front, &main);
            designer.show();
            QVERIFY(QTest::qWaitForWindowExposed(&designer));
            WindowMouse mouse(&designer);
            for (const auto &[name, at] : {std::pair<QString, QPoint>{"Last_name", {40, 150}},
                                           std::pair<QString, QPoint>{"StaticText1", {40, 30}}}) {
                QWidget *item = designer.item(name);
                designer.palette()->ensureWidgetVisible(item, 0, 10);
                mouse.drag(item, QPoint(20, 10), designer.card(), at);
                QVERIFY(designer.isOnCard(name));
            }
            // The last name made larger, in a box to match.
            QFont big("Arial");
            big.setPointSize(24);
            big.setBold(true);
            dialogs.answerFont(big, Qt::black);
            designer.chooseItemFont(designer.item("Last_name"));
            designer.selectItem(designer.item("Last_name"));
            QWidget *handles = designer.selectionHandles();
            const QPoint corner(handles->width() - 2, handles->height() - 2);
            mouse.press(handles, corner);
            mouse.move(handles, corner + QPoint(100, 20));
            mouse.release(handles, corner + QPoint(170, 25));
            QCOMPARE(designer.item("Last_name")->geometry(), QRect(40, 150, 300, 50));
            QTest::mouseClick(designer.okButton(), Qt::LeftButton);
            QCOMPARE(designer.result(), int(QDialog::Accepted));
        }
        QVERIFY(QFile::exists(LayoutFileName(folder.path(), CardSide::Front)));

        // The card face takes the file as the card design dialog applies it.
        main.ApplyLayout(0, 6, true);
        QWidget *last = main.side(0).fieldItem("Last_name");
        QVERIFY(!last->isHidden());
        QCOMPARE(last->geometry(), QRect(40, 150, 300, 50));
        QVERIFY(last->font().bold());
        QVERIFY(!main.side(0).statlabel[0]->isHidden());
        QCOMPARE(main.side(0).statlabel[0]->text(), QString("Static Text"));
        QVERIFY(main.side(0).fieldItem("First_name")->isHidden());

        // And the printer prints it.
        dialogs.answerText(QString());
        const size_t before = TheVirtualCardPrinter().jobs().size();
        menuItem(main, "PrintCard1")->trigger();
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
        const QString page = TheVirtualCardPrinter().jobs().back().pages.first().imageFile;
        const QString text = ocr(page);
        QVERIFY2(text.contains("Lindqvist"), qPrintable(text));
        QVERIFY2(text.contains("Static Text"), qPrintable(text));
        QVERIFY2(!text.contains("Maria"), qPrintable(text));  // the first name is not on this layout
        QCOMPARE(messages.shown().size(), 0);
    }

    void cardFaceEditsAreTakenOverAtExit_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No takes the card face over") << int(MrNo);
        QTest::newRow("Yes keeps the file") << int(MrYes);
    }
    void cardFaceEditsAreTakenOverAtExit()
    {
        QFETCH(int, answer);
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) { s.front.LayoutType = 6; });
        const QString path = LayoutFileName(folder.path(), CardSide::Front);
        writeFile(path, customFront());
        const QByteArray before = readFile(path);
        {
            Program program(folder.path());
            TForm1 &main = program.main();
            // Edits on the card face: the company name right-aligned, the
            // last name in another font.
            QLabel *company = main.side(0).statlabel[0];
            QCOMPARE(company->text(), QString("XYZ Company"));
            main.AlignItem(company, Qt::AlignRight);
            ScriptedDialogs dialogs;
            QFont serif("Times New Roman");
            serif.setPointSize(14);
            serif.setItalic(true);
            dialogs.answerFont(serif, QColor(0, 0, 160));
            main.ChooseItemFont(main.side(0).fieldItem("Last_name"), true);

            ScriptedMessages messages({MrNo /* no backup */, answer});
            QVERIFY(main.FormClose());
            QCOMPARE(messages.shown().size(), 2);
            QCOMPARE(messages.shown()[1].text, Literal(67));
            QCOMPARE(messages.shown()[1].kind, MsgKind::Confirmation);
        }
        if (answer == MrYes) {
            QCOMPARE(readFile(path), before);
            return;
        }
        // The file holds the edits, and a restart shows them.
        LayoutLoad load = LoadLayout(path);
        QVERIFY(load.ok());
        const LayoutItem *company = load.record.find("StaticText1");
        QCOMPARE(company->alignment, std::optional(LayoutAlignment::Right));
        QCOMPARE(company->text, QString("XYZ Company"));
        QCOMPARE(company->place, QString("CARD"));
        QCOMPARE(QRect(company->left, company->top, company->width, company->height), QRect(24, 10, 465, 54));
        const LayoutItem *last = load.record.find("Last_name");
        QCOMPARE(last->fontName, QString("Times New Roman"));
        QCOMPARE(last->fontSize, 14);
        QVERIFY(last->style.italic && !last->style.bold);
        QCOMPARE(last->fontColor, qint32(160 << 16));
        Program again(folder.path());
        QCOMPARE(ItemAlignment(again.main().side(0).statlabel[0]), Qt::AlignRight);
        QCOMPARE(again.main().side(0).fieldItem("Last_name")->font().family(), QString("Times New Roman"));
        QVERIFY(again.main().side(0).fieldItem("Last_name")->font().italic());
        // Nothing differs any more: the next exit asks no question.
        ScriptedMessages messages({MrNo});
        QVERIFY(again.main().FormClose());
        QCOMPARE(messages.shown().size(), 1);
    }

    void exportProjectTakesTheCardFaceOver()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) {
            s.front.LayoutType = 6;
            s.front.DoubleSided = 1;
            s.back.LayoutType = 6;
        });
        writeFile(LayoutFileName(folder.path(), CardSide::Front), customFront());
        writeFile(LayoutFileName(folder.path(), CardSide::Back), customFront());
        Program program(folder.path());
        TForm1 &main = program.main();
        main.AlignItem(main.side(1).statlabel[0], Qt::AlignLeft);
        ScriptedDialogs dialogs;
        ScriptedMessages messages({MrNo});
        dialogs.answerText(folder.file("Projects/Staff.mag"));
        menuItem(main, "ExportProject1")->trigger();
        // Only the back differs: one question, Literals68.
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, Literal(68));
        const LayoutLoad back = LoadLayout(folder.file("Projects/Staff files/layout_b.ccl"));
        QVERIFY(back.ok());
        QCOMPARE(back.record.find("StaticText1")->alignment, std::optional(LayoutAlignment::Left));
        QCOMPARE(readFile(folder.file("Projects/Staff files/layout.ccl")), customFront());
    }

    void malformedFileIsNeverRewrittenAtExit()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) { s.front.LayoutType = 6; });
        const QString path = LayoutFileName(folder.path(), CardSide::Front);
        const QByteArray bad = customFront() + "Title,STATICTEXT,Title,L,Arial,x,0,-21,\"B   \",CARD,1,1,1,1\r\n"
                                               "StaticText2,STATICTEXT,Kept,L,Arial,9,0,-12,\"    \",CARD,1,90,90,20\r\n";
        writeFile(path, bad);
        ScriptedMessages messages({}, MrNo);
        {
            Program program(folder.path());
            program.main().AlignItem(program.main().side(0).statlabel[0], Qt::AlignRight);
            messages.clear();
            QVERIFY(program.main().FormClose());
        }
        QCOMPARE(readFile(path), bad);
        for (const ShownMessage &m : messages.shown())
            QVERIFY(m.text != Literal(67));
    }
};

QTEST_MAIN(TestDesignerApp)
#include "test_designer_app.moc"
