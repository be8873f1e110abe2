#pragma once
// Photo capture from the main window: the capture window and its setup
// dialog behind the photo buttons, the Capture Image menu item and the
// photo menu's Capture Image and Load Image; a picture file dropped onto a
// photo item of the card face opens the capture window on that file.
#include <QPointer>
#include <QString>

class QMimeData;

class TForm1;
class TImageCapture;
class Tcapsetup;

namespace vellora {

struct CaptureWindows {
    QPointer<TImageCapture> capture;
    QPointer<Tcapsetup> setup;
};

// Makes both windows (the capture window first), gives them to the main
// window and enables its capture commands.
CaptureWindows InstallCaptureCommands(TForm1 &main);

// The picture file among dropped or pasted data (the first local file with
// a picture suffix), or empty.
QString PictureFileOf(const QMimeData *data);

}  // namespace vellora
