#include "lang/LanguageGraphics.h"

#include "lang/GlyphButton.h"
#include "lang/LanguageTable.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

namespace vellora {

const QList<LanguagePicture> &LanguagePictures()
{
    static const QList<LanguagePicture> pictures = {
        {"bprintsetup.bmp", "batchprint", "BitBtn1", "Setup the printer"},
        {"bprintdeselectall.bmp", "batchprint", "BitBtn3", "Deselect All Cards"},
        {"bprintselectall.bmp", "batchprint", "BitBtn2", "Select All Cards"},
        {"bprintprintlo.bmp", "batchprint", "PrintButton2", "Print card at 150 dpi resolution"},
        {"bprintprinthi.bmp", "batchprint", "PrintButton", "Print card at 300 dpi resolution"},
        {"bprintclose.bmp", "batchprint", "BitBtn4", "Close Batch Print"},
        {"maincolor.bmp", "Form1", "Image5", ""},
        {"mainmono.bmp", "Form1", "Image6", ""},
        {"mainsearch.bmp", "Form1", "BitBtn8", "Search For A Specific Card"},
        {"mainnew.bmp", "Form1", "BitBtn2", "Open a new blank card"},
        {"mainphoto.bmp", "Form1", "BitBtn3", "Capture a photo for this card"},
        {"mainundo.bmp", "Form1", "BitBtn4", "Undo the last operation"},
        {"maindelete.bmp", "Form1", "BitBtn1", "Delete this card completely"},
        {"mainclear.bmp", "Form1", "BitBtn5", "Clear picture and text from this card"},
        {"mainprint.bmp", "Form1", "BitBtn6", "Print this card"},
        {"maindesign.bmp", "Form1", "BitBtn7", "Change the design of the card collection"},
        {"mainexit.bmp", "Form1", "ExitButton", "Exit this application"},
        {"maingetimgbtn.bmp", "Form1", "getimgbtn", "Capture a photo for this card"},
        {"imgcapok.bmp", "ImageCapture", "OKButton", "Paste this image into the current card"},
        {"imgcapcap.bmp", "ImageCapture", "CaptureImage", "Capture and image from the selected camera source"},
        {"imgcapcancel.bmp", "ImageCapture", "CancelButton", "Cancel image capture"},
        {"imgcapsetup.bmp", "ImageCapture", "SetupButton", "Select camera and mode"},
        {"imgcapgetphoto.bmp", "ImageCapture", "getphoto", "Capture a photo for this card"},
        {"imgcapcropimage.bmp", "ImageCapture", "cropimage", ""},
        {"imgcaploadimage.bmp", "ImageCapture", "loadimage", ""},
        {"imgcapshowcropper.bmp", "ImageCapture", "showcropper", ""},
        {"imgcapimgokbtn.bmp", "ImageCapture", "imgokbtn", ""},
        {"imgcapcancelimgbtn.bmp", "ImageCapture", "cancelimgbtn", "Cancel image capture"},
        {"prntprintlo.bmp", "PrintPreview", "PrintButtonLo", "Print card at 150 dpi resolution"},
        {"prntprinthi.bmp", "PrintPreview", "PrintButtonHi", "Print card at 300 dpi resolution"},
        {"prntsetup.bmp", "PrintPreview", "SetupButton", "Setup the printer"},
        {"prntclose.bmp", "PrintPreview", "CloseButton", "Close print preview"},
    };
    return pictures;
}

namespace {

QWidget *windowNamed(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

}  // namespace

bool LoadLanguageGraphics(const QString &appFolder, QString *error)
{
    QStringList &captions = FieldCaptions();
    captions.clear();
    for (const QString &line : CurrentLanguage().lines()) {
        if (line.startsWith(QLatin1String("FIELD:"), Qt::CaseInsensitive) && line.indexOf(QLatin1Char('=')) >= 6)
            captions.append(line.mid(6));
    }

    const QString language = CurrentLanguageName();
    if (language.isEmpty())
        return true;
    const QString folder = QStringLiteral("langimages/") + language + QLatin1Char('/');
    for (const LanguagePicture &picture : LanguagePictures()) {
        const QString path = ResolveProgramFile(appFolder, folder + QLatin1String(picture.file));
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull()) {
            if (error)
                *error = QString::fromLatin1(kLanguageGraphicsError);
            return false;
        }
        if (QWidget *window = windowNamed(QLatin1String(picture.window))) {
            if (QObject *target = window->findChild<QObject *>(QLatin1String(picture.control)))
                SetLanguagePicture(target, QPixmap::fromImage(image));
        }
    }
    return true;
}

}  // namespace vellora
