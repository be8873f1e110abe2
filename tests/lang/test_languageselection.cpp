// Choosing a language: the selection dialog, the switch of every window at
// once, and the language pictures.
#include "LangFixture.h"
#include "ModalHelper.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageGraphics.h"
#include "lang/LanguageSelection.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace vellora;
using namespace vellora::test;

namespace {

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Stand-ins for the main window and the Find dialog, with the component
// names the language file and the pictures address.
struct ProgramWindows {
    std::unique_ptr<QWidget> main = std::make_unique<QWidget>();
    std::unique_ptr<QWidget> find = std::make_unique<QWidget>();
    GlyphButton *search = nullptr;
    GlyphButton *exit = nullptr;
    QLabel *colour = nullptr;
    QLabel *maglabel = nullptr;
    ProgramWindows()
    {
        main->setObjectName("Form1");
        search = new GlyphButton(main.get());
        search->setObjectName("BitBtn8");
        exit = new GlyphButton(main.get());
        exit->setObjectName("ExitButton");
        colour = new QLabel(main.get());
        colour->setObjectName("Image5");
        maglabel = new QLabel("Track 1 (Alpha)", main.get());
        maglabel->setObjectName("maglabel1");
        find->setObjectName("Form3");
        auto *cancel = new QPushButton("Cancel", find.get());
        cancel->setObjectName("Button2");
    }
};

}  // namespace

class TestLanguageSelection : public QObject {
    Q_OBJECT
private slots:
    void preselectsTheRecordedLanguage()
    {
        LangFolder folder(TwoLanguages());
        QVERIFY(folder.writeCfg("deutsch\r\n"));
        TForm2 dialog(folder.path());
        QCOMPARE(dialog.objectName(), QString("Form2"));
        QCOMPARE(dialog.comboBox()->count(), 2);
        QCOMPARE(dialog.comboBox()->currentText(), QString("Deutsch"));
        QCOMPARE(Tag(dialog.comboBox()), 777);

        QVERIFY(folder.writeCfg("Klingon\r\n"));
        TForm2 unknown(folder.path());
        QCOMPARE(unknown.comboBox()->currentIndex(), -1);

        LangFolder fresh(TwoLanguages());
        TForm2 first(fresh.path());
        QCOMPARE(first.comboBox()->currentIndex(), 0);
        QCOMPARE(first.size(), QSize(263, 111));
    }

    void okWithoutSelectionWritesNothing()
    {
        LangFolder folder(TwoLanguages());
        QVERIFY(folder.writeCfg("Klingon\r\n"));
        TForm2 dialog(folder.path());
        ScriptedMessages messages;
        dialog.show();
        dialog.okButton()->click();
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.shown()[0].plain);
        QVERIFY(dialog.isVisible());
        QCOMPARE(folder.cfg(), QByteArray("Klingon\r\n"));
        dialog.cancelButton()->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(folder.cfg(), QByteArray("Klingon\r\n"));
    }

    void okSwitchesEveryWindowAtOnce()
    {
        TempProgramFolder program;
        QVERIFY(program.isValid());
        QVERIFY(WriteLanguageChoice(program.path(), "English"));
        QVERIFY(LoadLanguageTable(program.path()));
        LoadDialogCaptions();
        ProgramWindows windows;
        auto dialog = std::make_unique<TForm2>(program.path());
        TranslateApplication();
        QVERIFY(LoadLanguageGraphics(program.path()));
        const qint64 englishGlyph = windows.search->glyph().cacheKey();
        QCOMPARE(windows.search->glyph().size(), QSize(372, 37));
        QCOMPARE(windows.colour->pixmap().size(), QSize(76, 14));
        QCOMPARE(windows.search->toolTip(), QString("Search For A Specific Card"));
        QCOMPARE(dialog->windowTitle(), QString("Select Language"));

        int handlerCalls = 0;
        AddLanguageChangedHandler([&handlerCalls] { ++handlerCalls; });
        // The Find dialog's Cancel reads German already (as after its own
        // translation): the selection dialog takes it over when shown.
        windows.find->findChild<QPushButton *>("Button2")->setText("Abbrechen");
        QString shownCancel;
        WhenModal([&](QWidget *w) {
            auto *d = static_cast<TForm2 *>(w);
            shownCancel = d->cancelButton()->text();
            // The list shows the name the language gives itself; Language.cfg
            // records the section name, which older installations also wrote.
            d->comboBox()->setCurrentIndex(d->comboBox()->findText("Deutsch"));
            d->okButton()->click();
        });
        ScriptedMessages messages;
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
        QCOMPARE(shownCancel, QString("Abbrechen"));
        QCOMPARE(messages.shown().size(), 0);  // no error on the way
        QCOMPARE(readAll(program.file("Language.cfg")), QString("German\r\n"));
        QCOMPARE(CurrentLanguageName(), QString("German"));
        // Hidden windows, the dialog itself, and the pictures follow.
        QCOMPARE(windows.maglabel->text(), QString("Spur 1 (Alpha)"));
        QCOMPARE(windows.search->toolTip(), QString("Nach einer bestimmten Karte suchen"));
        QVERIFY(windows.search->glyph().cacheKey() != englishGlyph);
        QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Sprache wählen"));
        QCOMPARE(dialog->findChild<QLabel *>("Label1")->text(),
                 QString::fromUtf8("Wählen Sie Ihre Sprache aus der \nListe der installierten Sprachen"));
        QCOMPARE(dialog->comboBox()->count(), 2);
        QCOMPARE(dialog->comboBox()->itemText(0), QString("English"));
        QCOMPARE(dialog->comboBox()->itemText(1), QString("Deutsch"));
        QCOMPARE(handlerCalls, 1);
        // The next message box is German.
        messages.push(MrYes);
        LocalMessageDlg(Literal(24), MsgKind::Warning, MsgButton::Yes | MsgButton::No);
        QCOMPARE(messages.shown().last().title, QString("Warnung"));
        QVERIFY(messages.shown().last().text.startsWith(QString::fromUtf8("Möchten Sie diese Karte")));
        QCOMPARE(FieldCaption("first_name"), QString("Vorname"));
        // A second showing keeps the last choice.
        TForm2 again(program.path());
        QCOMPARE(again.comboBox()->currentText(), QString("Deutsch"));
        QCOMPARE(again.comboBox()->currentData().toString(), QString("German"));
    }

    void missingPictureFolderReportsOnceAndKeepsThePictures()
    {
        TempProgramFolder program;
        QVERIFY(program.isValid());
        ProgramWindows windows;
        QPixmap builtIn(372, 37);
        builtIn.fill(Qt::red);
        windows.search->setGlyph(builtIn);
        SetCurrentLanguage("Esperanto", {"FIELD:Title=Titolo", "field:AllFields=Ĉiuj", "Literals1=x"});
        QString error;
        QVERIFY(!LoadLanguageGraphics(program.path(), &error));
        QCOMPARE(error, QString("Cannot load language dependant graphics"));
        QCOMPARE(windows.search->glyph().cacheKey(), builtIn.cacheKey());
        QCOMPARE(FieldCaptions(), (QStringList{"Title=Titolo", "AllFields=Ĉiuj"}));

        ScriptedMessages messages;
        StartupLoadGraphics(program.path());
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, QString("Cannot load language dependant graphics"));
    }

    void aBrokenPictureStopsTheSequence()
    {
        TempProgramFolder program;
        QVERIFY(program.isValid());
        ProgramWindows windows;
        QPixmap builtIn(372, 37);
        builtIn.fill(Qt::blue);
        windows.search->setGlyph(builtIn);
        windows.exit->setGlyph(builtIn);
        // mainnew comes right after mainsearch, long before mainexit.
        QVERIFY(WriteBytes(program.file("langimages/English/mainnew.bmp"), "not a picture"));
        SetCurrentLanguage("English", {});
        QString error;
        QVERIFY(!LoadLanguageGraphics(program.path(), &error));
        QCOMPARE(error, QString("Cannot load language dependant graphics"));
        QVERIFY(windows.search->glyph().cacheKey() != builtIn.cacheKey());
        QCOMPARE(windows.exit->glyph().cacheKey(), builtIn.cacheKey());
        // Without a language nothing is loaded and nothing fails.
        SetCurrentLanguage(QString(), {});
        QVERIFY(LoadLanguageGraphics(program.path(), &error));
    }

    void shippedPicturesAreEightBitBitmaps()
    {
        const QString built = qEnvironmentVariable("VELLORA_PROGRAM_DIR");
        for (const QString language : {"English", "German"}) {
            for (const LanguagePicture &picture : LanguagePictures()) {
                const QString path = built + "/langimages/" + language + "/" + picture.file;
                QFile file(path);
                QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
                const QByteArray head = file.read(54);
                QVERIFY(head.startsWith("BM"));
                QCOMPARE(int(quint8(head[28])), 8);  // bits per pixel
                const QImage image(path);
                const bool marker = QString(picture.file).startsWith("mainmono") || QString(picture.file).startsWith("maincolor");
                QCOMPARE(image.size(), marker ? QSize(76, 14) : QSize(372, 37));
            }
        }
        // The pictures differ between languages (their text is drawn in).
        QVERIFY(QImage(built + "/langimages/English/mainexit.bmp") != QImage(built + "/langimages/German/mainexit.bmp"));
    }

    void glyphButtonShowsTheFrameOfItsState()
    {
        QImage glyph(372, 37, QImage::Format_RGB32);
        const QColor colours[] = {Qt::red, Qt::gray, Qt::blue, Qt::green};
        for (int i = 0; i < 4; ++i)
            for (int x = i * 93; x < (i + 1) * 93; ++x)
                for (int y = 0; y < 37; ++y)
                    glyph.setPixelColor(x, y, colours[i]);
        GlyphButton button;
        button.resize(92, 36);
        button.setGlyph(QPixmap::fromImage(glyph));
        auto centre = [&button] { return button.grab().toImage().pixelColor(46, 18); };
        QCOMPARE(centre(), QColor(Qt::red));
        button.setDown(true);
        QCOMPARE(centre(), QColor(Qt::blue));
        button.setDown(false);
        button.setCheckable(true);
        button.setChecked(true);
        QCOMPARE(centre(), QColor(Qt::green));
        button.setEnabled(false);
        QCOMPARE(centre(), QColor(Qt::gray));
    }
};

QTEST_MAIN(TestLanguageSelection)
#include "test_languageselection.moc"
