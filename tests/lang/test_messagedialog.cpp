// The localised message box: layout arithmetic, wrapping, captions from the
// language table, default and Escape buttons, the close box and the answerer.
#include "ModalHelper.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/MessageForm.h"
#include "support/ScriptedMessages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <memory>

using namespace vellora;
using namespace vellora::test;

Q_DECLARE_METATYPE(vellora::MsgButtons)

namespace {

const QStringList kCaptions{
    "Literals31=Warning", "Literals32=Error", "Literals33=Information", "Literals34=Confirm",
    "Literals35=&Yes", "Literals36=&No", "Literals37=OK", "Literals38=Cancel", "Literals39=&Abort",
    "Literals40=&Retry", "Literals41=&Ignore", "Literals42=&All", "Literals43=N&o to All",
    "Literals44=Yes to &All", "Literals45=&Help",
};

// Runs the dialog modally and acts on it from inside its loop.
int execWith(TMessageForm &dialog, std::function<void(QWidget *)> act)
{
    bool seen = false;
    WhenModal(std::move(act), &seen);
    const int result = dialog.exec();
    if (!seen)
        qWarning("the dialog was never modal");
    return result;
}

}  // namespace

class TestMessageDialog : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SetCurrentLanguage("English", kCaptions);
        LoadDialogCaptions();
    }

    void mulDivRoundsHalvesAwayFromZero_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("numerator");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("result");
        QTest::newRow("exact") << 8 << 7 << 4 << 14;
        QTest::newRow("quarter down") << 10 << 13 << 8 << 16;
        QTest::newRow("three quarters up") << 14 << 13 << 8 << 23;
        QTest::newRow("half up") << 50 << 7 << 4 << 88;
        QTest::newRow("half up again") << 10 << 7 << 4 << 18;
        QTest::newRow("negative half away from zero") << -5 << 1 << 2 << -3;
        QTest::newRow("negative divisor") << 5 << 1 << -2 << -3;
        QTest::newRow("zero divisor") << 5 << 1 << 0 << -1;
    }
    void mulDivRoundsHalvesAwayFromZero()
    {
        QFETCH(int, number);
        QFETCH(int, numerator);
        QFETCH(int, divisor);
        QFETCH(int, result);
        QCOMPARE(MulDiv(number, numerator, divisor), result);
    }

    void layoutArithmetic()
    {
        MessageMetrics m;
        m.charWidth = 7;
        m.charHeight = 13;
        m.textWidth = 100;
        m.textHeight = 13;
        m.screenWidth = 1024;
        m.screenHeight = 768;
        const MessageLayout l = ComputeMessageLayout(m, true, 2);
        QCOMPARE(l.horzMargin, 14);
        QCOMPARE(l.vertMargin, 13);
        QCOMPARE(l.horzSpacing, 18);
        QCOMPARE(l.vertSpacing, 16);
        QCOMPARE(l.buttonWidth, 88);
        QCOMPARE(l.buttonHeight, 23);
        QCOMPARE(l.buttonSpacing, 7);
        QCOMPARE(l.iconTextWidth, 150);
        QCOMPARE(l.iconTextHeight, 32);  // one line of text, raised to the icon
        QCOMPARE(l.buttonGroupWidth, 183);
        QCOMPARE(l.clientWidth, 211);
        QCOMPARE(l.clientHeight, 97);
        QCOMPARE(l.left, 407);
        QCOMPARE(l.top, 336);
        QCOMPARE(l.icon, QRect(14, 13, 32, 32));
        QCOMPARE(l.message, QRect(64, 13, 100, 13));
        QCOMPARE(l.buttons, (QList<QRect>{QRect(14, 61, 88, 23), QRect(109, 61, 88, 23)}));

        // No icon, no buttons, a wide text: the text decides the width.
        m.textWidth = 400;
        m.textHeight = 52;
        const MessageLayout c = ComputeMessageLayout(m, false, 0);
        QCOMPARE(c.iconTextWidth, 400);
        QCOMPARE(c.iconTextHeight, 52);
        QCOMPARE(c.buttonGroupWidth, 0);
        QCOMPARE(c.clientWidth, 428);
        QCOMPARE(c.clientHeight, 52 + 23 + 16 + 26);
        QVERIFY(c.icon.isNull());
        QCOMPARE(c.message.left(), 14);
    }

    void longMessagesWrapAtHalfTheScreen()
    {
        const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
        const QString shortText = "Delete this card?";
        QString longText;
        for (int i = 0; i < 60; ++i)
            longText += "The quick brown fox jumps. ";
        TMessageForm one(shortText, MsgKind::Warning, MsgButton::Yes | MsgButton::No);
        TMessageForm many(longText, MsgKind::Warning, MsgButton::Yes | MsgButton::No);
        auto *oneLabel = one.findChild<QLabel *>("Message");
        auto *manyLabel = many.findChild<QLabel *>("Message");
        QVERIFY(oneLabel && manyLabel);
        const int lineHeight = QFontMetrics(many.font()).height();
        QVERIFY(manyLabel->width() <= half);
        QVERIFY(manyLabel->width() > half - QFontMetrics(many.font()).horizontalAdvance("jumps. The quick") - 1);
        QVERIFY2(manyLabel->height() >= 4 * lineHeight, "the long text runs over several lines");
        QVERIFY(many.height() > one.height() + 2 * lineHeight);
        QVERIFY(manyLabel->wordWrap());
        QCOMPARE(many.layout().message, manyLabel->geometry());
        // The label's own wrapping needs no more room than was measured.
        QVERIFY(manyLabel->heightForWidth(manyLabel->width()) <= manyLabel->height());

        // One word with an icon: the text block is the icon's 32 pixels high.
        TMessageForm word("Done", MsgKind::Information, MsgButton::OK);
        QVERIFY(word.findChild<QLabel *>("Message")->height() < 32);
        QCOMPARE(word.layout().iconTextHeight, 32);
        auto *image = word.findChild<QLabel *>("Image");
        QVERIFY(image);
        QCOMPARE(image->geometry(), QRect(word.layout().horzMargin, word.layout().vertMargin, 32, 32));
        QVERIFY(!image->pixmap().isNull());
        const QRect button = word.button(MsgButton::OK)->geometry();
        QCOMPARE(button.top(), 32 + word.layout().vertMargin + word.layout().vertSpacing);
        QCOMPARE(word.width(), word.layout().clientWidth);
        QCOMPARE(word.height(), word.layout().clientHeight);
    }

    void averageCharacterSizeUsesTheAlphabet()
    {
        const QFont font = MessageFont();
        const QFontMetrics fm(font);
        const QSize avg = AverageCharSize(font);
        QCOMPARE(avg.width(), fm.size(Qt::TextSingleLine, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz").width() / 52);
        QCOMPARE(avg.height(), fm.height());
        TMessageForm dialog("x", MsgKind::Error, MsgButton::OK);
        QCOMPARE(dialog.layout().buttonWidth, MulDiv(50, avg.width(), 4));
        QCOMPARE(dialog.layout().buttonHeight, MulDiv(14, avg.height(), 8));
    }

    void buttonsInOrderWithNamesCaptionsAndResults()
    {
        const MsgButtons all = MsgButton::Yes | MsgButton::No | MsgButton::OK | MsgButton::Cancel | MsgButton::Abort |
                               MsgButton::Retry | MsgButton::Ignore | MsgButton::All | MsgButton::NoToAll |
                               MsgButton::YesToAll | MsgButton::Help;
        TMessageForm dialog("All of them", MsgKind::Confirmation, all);
        const QStringList names{"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
        const QStringList captions{"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
        int lastX = -1;
        for (int i = 0; i < names.size(); ++i) {
            auto *b = dialog.findChild<QPushButton *>(names[i]);
            QVERIFY2(b, qPrintable(names[i]));
            QCOMPARE(b->text(), captions[i]);
            QVERIFY(b->x() > lastX);
            lastX = b->x();
        }
        const QList<QPair<MsgButton, int>> results{{MsgButton::Yes, 6},    {MsgButton::No, 7},      {MsgButton::OK, 1},
                                                   {MsgButton::Cancel, 2}, {MsgButton::Abort, 3},   {MsgButton::Retry, 4},
                                                   {MsgButton::Ignore, 5}, {MsgButton::All, 8},     {MsgButton::NoToAll, 9},
                                                   {MsgButton::YesToAll, 10}};
        for (const auto &[button, result] : results) {
            TMessageForm d("Press", MsgKind::Warning, all);
            QCOMPARE(execWith(d, [&d, button = button](QWidget *) { d.button(button)->click(); }), result);
        }
    }

    void defaultAndEscapeButtons_data()
    {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<int>("onReturn");
        QTest::addColumn<int>("onEscape");
        QTest::newRow("OK") << MsgButtons(MsgButton::OK) << 1 << 1;
        QTest::newRow("OK Cancel") << (MsgButton::OK | MsgButton::Cancel) << 1 << 2;
        QTest::newRow("Yes No") << (MsgButton::Yes | MsgButton::No) << 6 << 7;
        QTest::newRow("Yes No Cancel") << (MsgButton::Yes | MsgButton::No | MsgButton::Cancel) << 6 << 2;
        QTest::newRow("Yes Cancel") << (MsgButton::Yes | MsgButton::Cancel) << 6 << 2;
        QTest::newRow("Abort Retry Ignore") << (MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore) << 4 << 2;
    }
    void defaultAndEscapeButtons()
    {
        QFETCH(MsgButtons, buttons);
        QFETCH(int, onReturn);
        QFETCH(int, onEscape);
        {
            TMessageForm dialog("Go on?", MsgKind::Confirmation, buttons);
            QCOMPARE(execWith(dialog, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); }), onReturn);
        }
        {
            TMessageForm dialog("Go on?", MsgKind::Confirmation, buttons);
            QCOMPARE(execWith(dialog, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); }), onEscape);
        }
    }

    // A question whose Yes destroys something asks for the safe default; a
    // default the set lacks leaves the usual one. The subject goes into the
    // title.
    void askedDefaultButtonAndSubject()
    {
        MessageOptions safe;
        safe.defaultButton = MsgButton::No;
        safe.subject = "17 Jürgen Müller";
        {
            TMessageForm dialog("Delete?", MsgKind::Warning, MsgButton::Yes | MsgButton::No, nullptr, safe);
            QCOMPARE(dialog.windowTitle(), QString("Warning - 17 Jürgen Müller"));
            QVERIFY(dialog.button(MsgButton::No)->isDefault());
            QVERIFY(!dialog.button(MsgButton::Yes)->isDefault());
            QCOMPARE(execWith(dialog, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); }), int(MrNo));
        }
        MessageOptions missing;
        missing.defaultButton = MsgButton::Cancel;
        TMessageForm dialog("Delete?", MsgKind::Warning, MsgButton::Yes | MsgButton::No, nullptr, missing);
        QCOMPARE(dialog.windowTitle(), QString("Warning"));
        QCOMPARE(execWith(dialog, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); }), int(MrYes));

        ScriptedMessages script({MrNo});
        LocalMessageDlg("Delete?", MsgKind::Warning, MsgButton::Yes | MsgButton::No, safe);
        QCOMPARE(script.shown().value(0).defaultButton, MsgButton::No);
        QCOMPARE(script.shown().value(0).title, QString("Warning - 17 Jürgen Müller"));
    }

    void closeBoxReturnsCancel()
    {
        TMessageForm dialog("Close me", MsgKind::Warning, MsgButton::Yes | MsgButton::No);
        QCOMPARE(execWith(dialog, [](QWidget *w) { w->close(); }), 2);
    }

    void helpButtonOpensHelpAndStaysOpen()
    {
        int asked = -1;
        SetMessageHelpHandler([&asked](int context) { asked = context; });
        TMessageForm dialog("Need help?", MsgKind::Warning, MsgButton::OK | MsgButton::Help);
        dialog.setHelpContext(1);
        const int result = execWith(dialog, [&dialog](QWidget *) {
            dialog.button(MsgButton::Help)->click();
            QTimer::singleShot(0, &dialog, [&dialog] { dialog.button(MsgButton::OK)->click(); });
        });
        SetMessageHelpHandler({});
        QCOMPARE(asked, 1);
        QCOMPARE(result, 1);
    }

    void titlesFollowTheLanguage()
    {
        QGuiApplication::setApplicationDisplayName("Vellora-Id");
        TMessageForm warning("w", MsgKind::Warning, MsgButton::OK);
        QCOMPARE(warning.windowTitle(), QString("Warning"));
        TMessageForm custom("c", MsgKind::Custom, MsgButton::OK);
        QCOMPARE(custom.windowTitle(), QString("Vellora-Id"));
        QVERIFY(!custom.findChild<QLabel *>("Image"));

        SetCurrentLanguage("Deutsch", {"Literals31=Warnung", "Literals33=Hinweis", "Literals37=Gut"});
        // Captions change only through LoadDialogCaptions.
        TMessageForm before("w", MsgKind::Warning, MsgButton::OK);
        QCOMPARE(before.windowTitle(), QString("Warning"));
        LoadDialogCaptions();
        TMessageForm after("w", MsgKind::Warning, MsgButton::OK | MsgButton::Cancel);
        QCOMPARE(after.windowTitle(), QString("Warnung"));
        QCOMPARE(after.button(MsgButton::OK)->text(), QString("Gut"));
        // A missing key gives an empty caption; the button still answers.
        QCOMPARE(after.button(MsgButton::Cancel)->text(), QString());
        QCOMPARE(execWith(after, [&after](QWidget *) { after.button(MsgButton::Cancel)->click(); }), 2);
        TMessageForm info("i", MsgKind::Information, MsgButton::OK);
        QCOMPARE(info.windowTitle(), QString("Hinweis"));
        TMessageForm error("e", MsgKind::Error, MsgButton::OK);
        QCOMPARE(error.windowTitle(), QString());
    }

    void localMessageDlgAsksTheAnswererFirst()
    {
        ScriptedMessages script({MrNo});
        const int result = LocalMessageDlg("Delete this card?", MsgKind::Warning, MsgButton::Yes | MsgButton::No);
        QCOMPARE(result, int(MrNo));
        QCOMPARE(script.shown().size(), 1);
        const ShownMessage &shown = script.shown()[0];
        QCOMPARE(shown.text, QString("Delete this card?"));
        QCOMPARE(shown.title, QString("Warning"));
        QCOMPARE(shown.kind, MsgKind::Warning);
        QCOMPARE(shown.buttons, MsgButton::Yes | MsgButton::No);
        QVERIFY(!shown.plain);
    }

    void localMessageDlgShowsARealDialog()
    {
        QVERIFY(!HasMessageAnswerer());
        QString title, text;
        bool seen = false;
        WhenModal(
            [&](QWidget *w) {
                title = w->windowTitle();
                text = w->findChild<QLabel *>("Message")->text();
                QTest::keyClick(w, Qt::Key_Escape);
            },
            &seen);
        const int result = LocalMessageDlg("Keep going?", MsgKind::Confirmation, MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        QVERIFY(seen);
        QCOMPARE(result, int(MrCancel));
        QCOMPARE(title, QString("Confirm"));
        QCOMPARE(text, QString("Keep going?"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void messagesBelongToTheWindowThatAsked()
    {
        // A window that stays on top (a progress or search window) asks: the
        // real box, plain or keyed, is its dialog and on top as it is.
        QDialog asking(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
        asking.setWindowTitle("Searching");
        asking.show();
        QVERIFY(QTest::qWaitForWindowActive(&asking));
        for (const bool plain : {false, true}) {
            asking.activateWindow();  // the platform here hands activation back to no one
            QVERIFY(QTest::qWaitForWindowActive(&asking));
            QWidget *owner = nullptr;
            bool onTop = false;
            bool seen = false;
            WhenModal(
                [&](QWidget *w) {
                    owner = w->parentWidget();
                    onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                    static_cast<QDialog *>(w)->done(MrOk);
                },
                &seen);
            if (plain)
                PlainMessage("Vellora-Id", "Nothing found.", PlainIcon::Information);
            else
                LocalMessageDlg("Search from the first card?", MsgKind::Information, MsgButton::OK | MsgButton::Cancel);
            QVERIFY(seen);
            QCOMPARE(owner, static_cast<QWidget *>(&asking));
            QVERIFY(onTop);
            QVERIFY(asking.findChildren<QDialog *>().isEmpty());  // the box went with its answer
        }
        asking.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&asking));
        ScriptedMessages script({MrOk});
        LocalMessageDlg("Again?", MsgKind::Information, MsgButton::OK);
        QCOMPARE(script.shown().at(0).owner, static_cast<QWidget *>(&asking));
    }
};

QTEST_MAIN(TestMessageDialog)
#include "test_messagedialog.moc"
