#pragma once
// The common dialogs (files, folder, font, colour) behind one seam, so that
// a test or a headless run can answer them from a script.
#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace vellora {

enum class CommonDialogKind { OpenFile, SaveFile, Folder, Font, Colour, Print, PrinterSetup };

struct CommonDialogRequest {
    CommonDialogKind kind;
    QString title;
    QString initial;      // folder or file name
    QString filter;       // "Pictures (*.bmp *.jpg)" style filter
    QFont font;           // initial font (Font)
    QColor colour;        // initial colour (Colour)
};

// The scripted answer: nullopt is Cancel. For Font the answer's font is used,
// for Colour its colour, otherwise its text (a path or a printer name).
struct CommonDialogAnswer {
    QString text;
    QFont font;
    QColor colour;
};

using CommonDialogAnswerer = std::function<std::optional<CommonDialogAnswer>(const CommonDialogRequest &)>;
void SetCommonDialogAnswerer(CommonDialogAnswerer answerer);
bool HasCommonDialogAnswerer();
// Asks the installed answerer; nullopt when none is installed.
std::optional<std::optional<CommonDialogAnswer>> AskCommonDialogAnswerer(const CommonDialogRequest &request);

std::optional<QString> OpenFileDialog(QWidget *parent, const QString &title, const QString &folder, const QString &filter);
std::optional<QString> SaveFileDialog(QWidget *parent, const QString &title, const QString &file, const QString &filter);
std::optional<QString> FolderDialog(QWidget *parent, const QString &title, const QString &folder);
std::optional<QFont> FontDialog(QWidget *parent, const QFont &initial, QColor *colour = nullptr);
std::optional<QColor> ColourDialog(QWidget *parent, const QColor &initial);

}  // namespace vellora
