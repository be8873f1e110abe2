// The language file as read: encodings, lines, sections, lookups, and the
// choice of the language at start-up.
#include "LangFixture.h"
#include "ModalHelper.h"
#include "lang/LanguageTable.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

class TestLanguageTable : public QObject {
    Q_OBJECT
private slots:
    void decodesEveryByteOrderAndLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QString text = QStringLiteral("[Ελληνικά]\r\nA=ä€\rB= x \nC=\r\n");
        const QStringList expected{QStringLiteral("[Ελληνικά]"), QStringLiteral("A=ä€"), QStringLiteral("B= x "), QStringLiteral("C=")};
        QTest::newRow("little endian with mark") << EncodeUtf16(text, Utf16Form::LittleWithMark) << expected;
        QTest::newRow("little endian without mark") << EncodeUtf16(text, Utf16Form::LittleNoMark) << expected;
        QTest::newRow("big endian with mark") << EncodeUtf16(text, Utf16Form::BigWithMark) << expected;
        QTest::newRow("text ends at a zero unit")
            << EncodeUtf16(QStringLiteral("A=1\nB=2") + QChar(0) + QStringLiteral("\nC=3"), Utf16Form::LittleWithMark)
            << QStringList{QStringLiteral("A=1"), QStringLiteral("B=2")};
        QTest::newRow("odd last byte is dropped") << EncodeUtf16(QStringLiteral("A=1"), Utf16Form::LittleWithMark) + QByteArray("\x41", 1)
                                                  << QStringList{QStringLiteral("A=1A")};
        QTest::newRow("blank lines kept, last break adds none")
            << EncodeUtf16(QStringLiteral("\r\n\r\nA=1\n\n"), Utf16Form::LittleWithMark)
            << QStringList{QString(), QString(), QStringLiteral("A=1"), QString()};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("mark only") << QByteArray("\xFF\xFE", 2) << QStringList{};
    }
    void decodesEveryByteOrderAndLineEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(DecodeUtf16Lines(bytes), lines);
    }

    void lookupRules()
    {
        const LanguageTable table(QStringList{
            QStringLiteral("; a comment line"),
            QStringLiteral("Literals1=first"),
            QStringLiteral("literals1=second"),      // same key in other case: first wins
            QStringLiteral("Literals2 =blank before"),  // key is "Literals2 "
            QStringLiteral("Literals3= leading blank kept "),
            QStringLiteral("Literals4=a=b"),
            QStringLiteral("Literals5="),
            QStringLiteral("FIELD:Title=Titel"),
            QString(),
        });
        QCOMPARE(table.value("Literals1"), QString("first"));
        QCOMPARE(table.value("LITERALS1"), QString("first"));
        QCOMPARE(table.value("Literals2"), QString());
        QCOMPARE(table.value("Literals2 "), QString("blank before"));
        QCOMPARE(table.value("Literals3"), QString(" leading blank kept "));
        QCOMPARE(table.value("Literals4"), QString("a=b"));
        QVERIFY(table.contains("Literals5"));
        QCOMPARE(table.value("Literals5"), QString());
        QVERIFY(!table.contains("Literals6"));
        QCOMPARE(table.value("Literals6"), QString());
        QCOMPARE(table.value("; a comment line"), QString());
        QCOMPARE(table.value("Field:title"), QString("Titel"));
        QCOMPARE(table.value(QString()), QString());
        QCOMPARE(table.size(), 9);
    }

    void sectionsAsTheIniReaderListsThem()
    {
        const QStringList lines{
            QStringLiteral("[English]"), QStringLiteral("A=1"), QStringLiteral(" [not a header]x"),
            QStringLiteral("B=2"),       QStringLiteral("[Deutsch] ; comment"), QStringLiteral("A=eins"),
            QStringLiteral("[english]"), QStringLiteral("[broken"), QStringLiteral("C=3"),
        };
        QCOMPARE(SectionNamesOf(lines), (QStringList{"English", "not a header", "Deutsch"}));
        // A line that begins with a blank and "[" does not end a section.
        QCOMPARE(SectionLines(lines, "English"), (QStringList{"A=1", " [not a header]x", "B=2"}));
        // The header is found only exactly: "[Deutsch] ; comment" is no
        // "[Deutsch]", and "[english]" is no "[English]".
        QCOMPARE(SectionLines(lines, "Deutsch"), QStringList{});
        QCOMPARE(SectionLines(lines, "english"), QStringList{});
        QCOMPARE(SectionLines(lines, "not a header"), QStringList{});
    }

    void singleSectionNeedsNoChoice()
    {
        LangFolder folder(QStringLiteral("[Only]\r\nLiterals24=Delete?\r\n"));
        QVERIFY(folder.writeCfg("Other\r\n"));  // not consulted
        bool dialogShown = false;
        WhenModal([](QWidget *w) { w->close(); }, &dialogShown, 300);
        QString error;
        QVERIFY(LoadLanguageTable(folder.path(), &error));
        QTest::qWait(350);
        QVERIFY(!dialogShown);
        QCOMPARE(CurrentLanguageName(), QString("Only"));
        QCOMPARE(Literal(24), QString("Delete?"));
    }

    void languageCfgChoosesTheSection_data()
    {
        QTest::addColumn<QByteArray>("cfg");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("literal24");
        QTest::newRow("exact") << QByteArray("Deutsch\r\n") << "Deutsch" << QString::fromUtf8("Diese Karte löschen?");
        QTest::newRow("other letter case, no line end") << QByteArray("DEUTSCH") << "Deutsch" << QString::fromUtf8("Diese Karte löschen?");
        QTest::newRow("unknown language gives the first") << QByteArray("Klingon\r\n") << "English" << "Delete this card?";
        QTest::newRow("only the first line counts") << QByteArray("English\nDeutsch\n") << "English" << "Delete this card?";
    }
    void languageCfgChoosesTheSection()
    {
        QFETCH(QByteArray, cfg);
        QFETCH(QString, language);
        QFETCH(QString, literal24);
        LangFolder folder(TwoLanguages(), Utf16Form::BigWithMark);
        QVERIFY(folder.writeCfg(cfg));
        QVERIFY(LoadLanguageTable(folder.path()));
        QCOMPARE(CurrentLanguageName(), language);
        QCOMPARE(Literal(24), literal24);
    }

    void failuresReportTheLanguageFileError()
    {
        SetCurrentLanguage("Old", {"Literals1=old"});
        {
            LangFolder missing;  // no languages.ini
            QString error;
            QVERIFY(!LoadLanguageTable(missing.path(), &error));
            QCOMPARE(error, QString("Cannot load Language file."));
            QVERIFY(CurrentLanguage().isEmpty());
            QCOMPARE(CurrentLanguageName(), QString());
        }
        {
            LangFolder noSections(QStringLiteral("Literals1=x\r\n"));
            QString error;
            QVERIFY(!LoadLanguageTable(noSections.path(), &error));
            QCOMPARE(error, QString("Cannot load Language file."));
        }
        {
            // A header that is listed but not found exactly: no error, an
            // empty table.
            LangFolder blankHeader(QStringLiteral(" [Solo]\r\nLiterals1=x\r\n"));
            QString error;
            QVERIFY(LoadLanguageTable(blankHeader.path(), &error));
            QCOMPARE(CurrentLanguageName(), QString("Solo"));
            QVERIFY(CurrentLanguage().isEmpty());
            QCOMPARE(Literal(1), QString());
        }
    }

    void firstStartAsksAndRecordsTheChoice()
    {
        LangFolder folder(TwoLanguages());
        bool shown = false;
        QString caption;
        QStringList entries;
        WhenModal(
            [&](QWidget *w) {
                caption = w->windowTitle();
                auto *combo = w->findChild<QComboBox *>("ComboBox1");
                for (int i = 0; combo && i < combo->count(); ++i)
                    entries.append(combo->itemText(i));
                if (combo)
                    combo->setCurrentIndex(1);
                if (auto *ok = w->findChild<QPushButton *>("Button1"))
                    ok->click();
            },
            &shown);
        QString error;
        QVERIFY(LoadLanguageTable(folder.path(), &error));
        QVERIFY(shown);
        QCOMPARE(caption, QString("Select Language"));
        QCOMPARE(entries, (QStringList{"English", "Deutsch"}));
        QCOMPARE(folder.cfg(), QByteArray("Deutsch\r\n"));
        QCOMPARE(CurrentLanguageName(), QString("Deutsch"));
        QCOMPARE(Literal(31), QString("Warnung"));
    }

    void firstStartCancelledUsesTheFirstLanguageForThisRun()
    {
        // Cancel must not leave every caption empty: the first language of
        // the file serves this run, and no choice is recorded, so the
        // question comes again at the next start.
        LangFolder folder(TwoLanguages());
        for (int run = 0; run < 2; ++run) {
            bool shown = false;
            WhenModal(
                [](QWidget *w) {
                    if (auto *can = w->findChild<QPushButton *>("Button2"))
                        can->click();
                },
                &shown);
            QString error;
            QVERIFY2(LoadLanguageTable(folder.path(), &error), qPrintable(error));
            QVERIFY(shown);
            QCOMPARE(CurrentLanguageName(), QString("English"));
            QCOMPARE(Literal(31), QString("Warning"));
            QVERIFY(!folder.hasCfg());
        }
    }

    void shippedLanguageFileIsComplete()
    {
        const QString built = qEnvironmentVariable("VELLORA_PROGRAM_DIR");
        QStringList lines;
        QVERIFY2(ReadUtf16Lines(built + "/languages.ini", &lines), "the build writes languages.ini");
        QFile raw(built + "/languages.ini");
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.read(2) == QByteArray("\xFF\xFE"));
        const QStringList names = SectionNamesOf(lines);
        QVERIFY(names.contains("English"));
        QVERIFY(names.contains("German"));
        QCOMPARE(names.first(), QString("English"));
        const QList<int> used{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 20, 21, 22, 23, 24, 27, 28, 29,
                              31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 51, 52, 53, 54, 55,
                              56, 57, 58, 61, 62, 63, 64, 65, 66, 67, 68};
        const QStringList fields{"Card_Number", "First_name", "Last_name", "Title", "Department", "Sparefield1",
                                 "Sparefield2", "MagStripe1", "MagStripe2", "MagStripe3", "AllFields"};
        for (const QString &name : names) {
            const LanguageTable table(SectionLines(lines, name));
            for (int n : used)
                QVERIFY2(!table.value(QStringLiteral("Literals%1").arg(n)).trimmed().isEmpty(),
                         qPrintable(QStringLiteral("%1 lacks Literals%2").arg(name).arg(n)));
            for (const QString &field : fields)
                QVERIFY2(!table.value("FIELD:" + field).isEmpty(), qPrintable(name + " lacks FIELD:" + field));
            // Texts joined with numbers keep their blanks.
            QVERIFY(table.value("Literals5").startsWith(' ') && table.value("Literals5").endsWith(' '));
            QVERIFY(table.value("Literals58").startsWith(' '));
        }
        const LanguageTable german(SectionLines(lines, "German"));
        QCOMPARE(german.value("Literals35"), QString("&Ja"));
        QVERIFY(german.value("Literals46").contains(QString::fromUtf8("Möchten")));
    }
};

QTEST_MAIN(TestLanguageTable)
#include "test_languagetable.moc"
