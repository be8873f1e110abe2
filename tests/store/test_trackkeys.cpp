// The entry rule of the magnetic-stripe track boxes.
#include "store/TrackKeyFilter.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

using namespace vellora;

class TestTrackKeys : public QObject {
    Q_OBJECT
private slots:
    void characterSets_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");  // empty: dropped
        QTest::newRow("1 a upper-cased") << 1 << "a" << "A";
        QTest::newRow("1 z upper-cased") << 1 << "z" << "Z";
        QTest::newRow("1 digit") << 1 << "7" << "7";
        QTest::newRow("1 pound sign") << 1 << QString(QChar(0x00A3)) << QString(QChar(0x00A3));
        QTest::newRow("1 blank") << 1 << " " << " ";
        QTest::newRow("1 backslash") << 1 << "\\" << "\\";
        QTest::newRow("1 apostrophe") << 1 << "'" << "'";
        QTest::newRow("1 at") << 1 << "@" << "@";
        QTest::newRow("1 percent") << 1 << "%" << "%";
        QTest::newRow("1 full stop") << 1 << "." << "";
        QTest::newRow("1 minus") << 1 << "-" << "";
        QTest::newRow("1 hash") << 1 << "#" << "";
        QTest::newRow("1 e acute") << 1 << QString(QChar(0x00E9)) << "";  // not upper-cased, not in the set
        QTest::newRow("1 euro") << 1 << QString(QChar(0x20AC)) << "";
        QTest::newRow("1 backspace") << 1 << "\b" << "\b";
        for (int track : {2, 3}) {
            const QByteArray t = QByteArray::number(track);
            QTest::newRow(t + " a") << track << "a" << "";
            QTest::newRow(t + " full stop") << track << "." << "";
            QTest::newRow(t + " minus") << track << "-" << "";
            QTest::newRow(t + " blank") << track << " " << "";
            QTest::newRow(t + " pound") << track << QString(QChar(0x00A3)) << "";
            QTest::newRow(t + " digit") << track << "0" << "0";
            QTest::newRow(t + " equals") << track << "=" << "=";
            QTest::newRow(t + " bar") << track << "|" << "|";
            QTest::newRow(t + " question") << track << "?" << "?";
            QTest::newRow(t + " semicolon") << track << ";" << ";";
            QTest::newRow(t + " backspace") << track << "\b" << "\b";
        }
        QTest::newRow("4 digit") << 4 << "1" << "";
    }

    void characterSets()
    {
        QFETCH(int, track);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        const QChar got = TrackKeyFilter(track, typed.at(0));
        QCOMPARE(got.isNull() ? QString() : QString(got), result);
    }

    void typingIntoALineEdit()
    {
        QLineEdit box;
        TrackKeyEventFilter::install(&box, 1);
        QTest::keyClicks(&box, "ab.c1-");
        QCOMPARE(box.text(), QString("ABC1"));
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QString("ABC"));
        // The pound sign as a keyboard would send it.
        QTest::keyClick(&box, Qt::Key_sterling, Qt::NoModifier);
        QCOMPARE(box.text(), QString("ABC") + QChar(0x00A3));

        QLineEdit numeric;
        TrackKeyEventFilter::install(&numeric, 2);
        QTest::keyClicks(&numeric, "1a.-=2");
        QCOMPARE(numeric.text(), QString("1=2"));
        QTest::keyClick(&numeric, Qt::Key_Left);  // keys that type nothing pass
        QTest::keyClick(&numeric, Qt::Key_Delete);
        QCOMPARE(numeric.text(), QString("1="));
    }

    void pastedTextObeysTheRule()
    {
        QLineEdit box;
        TrackKeyEventFilter::install(&box, 3);
        QApplication::clipboard()->setText("12.34");
        box.paste();
        QCOMPARE(box.text(), QString());  // refused whole, like a typed '.'
        QApplication::clipboard()->setText("12;34");
        box.paste();
        QCOMPARE(box.text(), QString("12;34"));

        QLineEdit alpha;
        TrackKeyEventFilter::install(&alpha, 1);
        QApplication::clipboard()->setText("smith");
        alpha.paste();
        QCOMPARE(alpha.text(), QString("SMITH"));
    }

    void typingIntoAMultiLineBox()
    {
        QPlainTextEdit box;
        TrackKeyEventFilter::install(&box, 2);
        QTest::keyClicks(&box, "9x8");
        QTest::keyClick(&box, Qt::Key_Return);  // no line breaks in track data
        QTest::keyClicks(&box, "?");
        QCOMPARE(box.toPlainText(), QString("98?"));

        QApplication::clipboard()->setText("1.2 3");
        QTest::keySequence(&box, QKeySequence::Paste);
        QCOMPARE(box.toPlainText(), QString("98?123"));
    }
};

QTEST_MAIN(TestTrackKeys)
#include "test_trackkeys.moc"
