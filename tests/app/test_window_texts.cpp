// Every window of the program in every shipped language: no text is cut off
// by the room its control has, and no text of the first language is left
// standing in another one.
#include "app/mainwindow/TForm1.h"
#include "app/shell/StartupWait.h"
#include "app/startup/ProgramWindows.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageGraphics.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"
#include "engine/Table.h"
#include "print/PrinterChoice.h"
#include "support/ScriptedMessages.h"
#include "lang/ModalHelper.h"
#include "support/TempProgramFolder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

QString withoutMnemonic(QString text)
{
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

int widestLine(const QFontMetrics &fm, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, fm.horizontalAdvance(line));
    return widest;
}

// Where a control sits, for the report.
QString pathOf(const QWidget *w)
{
    return w->window()->objectName() + QLatin1Char('/') + w->objectName();
}

// Data shown on the card face, not texts of the program.
bool isCardData(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (p->objectName().startsWith(QLatin1String("Panel4")) || p->objectName().startsWith(QLatin1String("statlabel")))
            return true;
    return false;
}

struct Texts {
    QMap<QString, QString> byControl;  // path -> text
    QStringList clipped;
};

// Every visible text of `window` and the ones cut off.
void collect(QWidget *window, Texts &texts)
{
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *w : controls) {
        if (!w->isVisibleTo(window) || w->objectName().isEmpty() || isCardData(w) || qobject_cast<GlyphButton *>(w))
            continue;
        QString text;
        int need = 0;
        int room = 0;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty() || label->textFormat() == Qt::RichText ||
                (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
                continue;
            text = label->buddy() ? withoutMnemonic(label->text()) : label->text();
            const QRect r = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
            if (label->wordWrap()) {
                need = label->heightForWidth(label->width());
                room = label->height();
            } else {
                need = widestLine(label->fontMetrics(), text);
                room = r.width();
            }
        } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
            text = withoutMnemonic(box->title());
            need = box->fontMetrics().horizontalAdvance(text) + 16;
            room = box->width();
        } else if (auto *check = qobject_cast<QCheckBox *>(w)) {
            text = withoutMnemonic(check->text());
            need = check->sizeHint().width();
            room = check->width();
        } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
            text = withoutMnemonic(radio->text());
            need = radio->sizeHint().width();
            room = radio->width();
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            text = withoutMnemonic(button->text());
            const int iconRoom = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            need = widestLine(button->fontMetrics(), text) + iconRoom + 6;
            room = button->width();
        } else if (auto *list = qobject_cast<QListWidget *>(w); list && list->objectName() == "PrinterList") {
            // Every printer's whole name and description.
            for (int i = 0; i < list->count(); ++i) {
                const QString row = list->item(i)->text();
                const int rowNeed = list->fontMetrics().horizontalAdvance(row) + 8;
                if (rowNeed > list->viewport()->width())
                    texts.clipped.append(QStringLiteral("%1 \"%2\": needs %3, has %4")
                                             .arg(pathOf(w), row)
                                             .arg(rowNeed)
                                             .arg(list->viewport()->width()));
            }
            continue;
        } else {
            continue;
        }
        if (text.trimmed().isEmpty())
            continue;
        texts.byControl.insert(pathOf(w), text);
        if (need > room)
            texts.clipped.append(QStringLiteral("%1 \"%2\": needs %3, has %4").arg(pathOf(w), text).arg(need).arg(room));
    }
}

// Words that read the same in the shipped languages.
bool sameInEveryLanguage(const QString &text)
{
    static const QStringList same = {"OK", "Name", "Info", "Status", "Version", "Start", "Logo", "Vellora ID",
                                     "Vellora-ID", "Vellora-Id", "Export", "Import", "Format", "Design", "Text"};
    QString bare = text.trimmed();
    bare.remove(QLatin1Char(':'));
    if (same.contains(bare, Qt::CaseInsensitive))
        return true;
    for (const QChar c : bare)
        if (c.isLetter())
            return false;
    return true;  // numbers, signs
}

Texts textsIn(const QString &language)
{
    Texts texts;
    TempProgramFolder folder;
    if (!WriteLanguageChoice(folder.path(), language) || !LoadLanguageTable(folder.path()))
        return texts;
    LoadDialogCaptions();
    ScriptedMessages answers;
    ProgramWindows windows;
    windows.createMainWindow(folder.path());
    windows.createOtherWindows();
    TranslateApplication();
    LoadLanguageGraphics(folder.path());
    windows.applyLayouts();
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->testAttribute(Qt::WA_DontShowOnScreen) || w->objectName().isEmpty() ||
            w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Desktop)
            continue;
        shown.append(w);
    }
    for (QWidget *w : shown) {
        w->show();
        if (!QTest::qWaitForWindowExposed(w))
            texts.clipped.append(w->objectName() + QStringLiteral(": never shown"));
        collect(w, texts);
        w->hide();
    }
    // The print and printer setup dialogs, built for each question.
    for (const bool setup : {false, true}) {
        bool seen = false;
        WhenModal(
            [&texts](QWidget *dialog) {
                collect(dialog, texts);
                texts.byControl.insert(dialog->objectName() + QStringLiteral("/title"), dialog->windowTitle());
                static_cast<QDialog *>(dialog)->reject();
            },
            &seen);
        if (setup)
            ShowPrinterSetupDialog(nullptr);
        else
            ShowPrintDialog(nullptr);
        if (!seen)
            texts.clipped.append(QStringLiteral("the print dialog was not shown"));
    }
    for (QWidget *w : shown)
        texts.byControl.insert(w->objectName() + QStringLiteral("/title"), w->windowTitle());
    windows.main->table()->close();
    return texts;
}

}  // namespace

class TestWindowTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetStartupWaitEnabled(false);
        QApplication::setApplicationDisplayName("Vellora-Id");
    }

    void everyTextHasRoomInEveryLanguage()
    {
        TempProgramFolder folder;
        const QStringList languages = LanguageSectionNames(folder.path());
        QVERIFY(languages.size() >= 2);
        QMap<QString, Texts> all;
        for (const QString &language : languages) {
            all.insert(language, textsIn(language));
            // Every window was walked: some dozens of texts.
            QVERIFY2(all[language].byControl.size() > 30,
                     qPrintable(language + ": " + QString::number(all[language].byControl.size())));
        }
        QStringList problems;
        for (const QString &language : languages)
            for (const QString &clipped : all[language].clipped)
                problems.append(language + QStringLiteral(": cut off: ") + clipped);
        for (const QString &language : languages)
            for (auto it = all[language].byControl.cbegin(); it != all[language].byControl.cend(); ++it)
                if (it.key().endsWith("/title") && it.value().trimmed().isEmpty())
                    problems.append(language + QStringLiteral(": no window title: ") + it.key());
        // A text of the first language standing unchanged in another one.
        const Texts &first = all[languages.first()];
        for (const QString &language : languages.mid(1)) {
            const Texts &other = all[language];
            for (auto it = other.byControl.cbegin(); it != other.byControl.cend(); ++it)
                if (first.byControl.value(it.key()) == it.value() && !sameInEveryLanguage(it.value()))
                    problems.append(QStringLiteral("%1: not translated: %2 \"%3\"").arg(language, it.key(), it.value()));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
};

QTEST_MAIN(TestWindowTexts)
#include "test_window_texts.moc"
