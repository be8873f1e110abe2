#include "lang/CommonDialogs.h"

#include "lang/FontChoiceDialog.h"

#include <QColorDialog>
#include <QFileDialog>

namespace vellora {

namespace {
CommonDialogAnswerer &answerer()
{
    static CommonDialogAnswerer a;
    return a;
}
}  // namespace

void SetCommonDialogAnswerer(CommonDialogAnswerer a) { answerer() = std::move(a); }
bool HasCommonDialogAnswerer() { return static_cast<bool>(answerer()); }

std::optional<std::optional<CommonDialogAnswer>> AskCommonDialogAnswerer(const CommonDialogRequest &request)
{
    if (!answerer())
        return std::nullopt;
    return answerer()(request);
}

std::optional<QString> OpenFileDialog(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    if (auto scripted = AskCommonDialogAnswerer({CommonDialogKind::OpenFile, title, folder, filter, {}, {}}))
        return *scripted ? std::optional<QString>((*scripted)->text) : std::nullopt;
    const QString file = QFileDialog::getOpenFileName(parent, title, folder, filter);
    return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
}

std::optional<QString> SaveFileDialog(QWidget *parent, const QString &title, const QString &file, const QString &filter)
{
    if (auto scripted = AskCommonDialogAnswerer({CommonDialogKind::SaveFile, title, file, filter, {}, {}}))
        return *scripted ? std::optional<QString>((*scripted)->text) : std::nullopt;
    const QString chosen = QFileDialog::getSaveFileName(parent, title, file, filter);
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

std::optional<QString> FolderDialog(QWidget *parent, const QString &title, const QString &folder)
{
    if (auto scripted = AskCommonDialogAnswerer({CommonDialogKind::Folder, title, folder, {}, {}, {}}))
        return *scripted ? std::optional<QString>((*scripted)->text) : std::nullopt;
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, folder);
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

std::optional<QFont> FontDialog(QWidget *parent, const QFont &initial, QColor *colour)
{
    if (auto scripted = AskCommonDialogAnswerer({CommonDialogKind::Font, {}, {}, {}, initial, colour ? *colour : QColor()})) {
        if (!*scripted)
            return std::nullopt;
        if (colour && (*scripted)->colour.isValid())
            *colour = (*scripted)->colour;
        return (*scripted)->font;
    }
    FontChoiceDialog dialog(initial, colour ? *colour : QColor(Qt::black), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (colour)
        *colour = dialog.colour();
    return dialog.chosenFont();
}

std::optional<QColor> ColourDialog(QWidget *parent, const QColor &initial)
{
    if (auto scripted = AskCommonDialogAnswerer({CommonDialogKind::Colour, {}, {}, {}, {}, initial}))
        return *scripted ? std::optional<QColor>((*scripted)->colour) : std::nullopt;
    const QColor colour = QColorDialog::getColor(initial, parent);
    return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
}

}  // namespace vellora
