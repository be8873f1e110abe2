// The card face's pop-up menus: the photo menu (capture, load, cut, copy,
// paste) and the text menu (font, alignment, Edit Text).
#include "app/mainwindow/CardFaceStyle.h"
#include "lang/EditTextDialog.h"
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"
#include "lang/CommonDialogs.h"
#include "store/CardStore.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>

using namespace vellora;

namespace {

QAction *addNamed(QMenu *menu, const char *name, const char *caption)
{
    auto *action = new QAction(QLatin1String(caption), menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    return action;
}

bool clipboardHasBitmap()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

bool isSecondPhoto(const QWidget *item) { return PhotoSuffixForItem(item->objectName()) == QLatin1String("-2"); }

}  // namespace

void TForm1::buildPopupMenus()
{
    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    m_captureImageItem = addNamed(m_popupMenu1, "CaptureImage1", "Capture Image");
    m_loadImageItem = addNamed(m_popupMenu1, "LoadImage1", "Load Image");
    m_popupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction *cut = addNamed(m_popupMenu1, "Cut1", "Cut");
    QAction *copy = addNamed(m_popupMenu1, "Copy1", "Copy");
    m_pasteItem = addNamed(m_popupMenu1, "Paste1", "Paste");
    m_captureImageItem->setEnabled(false);
    m_loadImageItem->setEnabled(false);

    auto photo = [this] { return qobject_cast<PhotoItem *>(m_remembered.data()); };
    connect(m_captureImageItem, &QAction::triggered, this, [this, photo] {
        if (PhotoItem *item = photo())
            ReportErrors([&] { OpenCapture(item, PhotoSuffixForItem(item->objectName()), 0); });
    });
    connect(m_loadImageItem, &QAction::triggered, this, [this, photo] {
        if (PhotoItem *item = photo())
            ReportErrors([&] { OpenCapture(item, PhotoSuffixForItem(item->objectName()), 1); });
    });
    connect(cut, &QAction::triggered, this, [this, photo] {
        if (PhotoItem *item = photo())
            CutPhoto(item);
    });
    connect(copy, &QAction::triggered, this, [this, photo] {
        if (PhotoItem *item = photo())
            CopyPhoto(item);
    });
    connect(m_pasteItem, &QAction::triggered, this, [this, photo] {
        if (PhotoItem *item = photo())
            ReportErrors([&] { PastePhoto(item); });
    });

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QAction *font = addNamed(m_popupMenu2, "FontStyle1", "FontStyle");
    m_popupMenu2->addSeparator()->setObjectName(QStringLiteral("N2"));
    QAction *left = addNamed(m_popupMenu2, "LeftAlign1", "Left Align");
    QAction *centre = addNamed(m_popupMenu2, "Center1", "Center");
    QAction *right = addNamed(m_popupMenu2, "RightAlign1", "Right Align");
    m_popupMenu2->addSeparator()->setObjectName(QStringLiteral("N3"));
    m_editTextItem = addNamed(m_popupMenu2, "EditText1", "Edit Text");

    connect(font, &QAction::triggered, this, [this] {
        if (QWidget *item = m_remembered.data())
            ReportErrors([&] { ChooseItemFont(item, true); });
    });
    const struct {
        QAction *action;
        Qt::Alignment alignment;
    } alignments[] = {{left, Qt::AlignLeft}, {centre, Qt::AlignHCenter}, {right, Qt::AlignRight}};
    for (const auto &a : alignments)
        connect(a.action, &QAction::triggered, this, [this, alignment = a.alignment] {
            if (QWidget *item = m_remembered.data())
                AlignItem(item, alignment);
        });
    connect(m_editTextItem, &QAction::triggered, this, [this] {
        if (auto *label = qobject_cast<QLabel *>(m_remembered.data()))
            ReportErrors([&] { EditItemText(label); });
    });
}

void TForm1::preparePhotoMenu(PhotoItem *item)
{
    m_remembered = item;
    m_pasteItem->setEnabled(clipboardHasBitmap());
}

void TForm1::prepareTextMenu(QWidget *item)
{
    m_remembered = item;
    m_editTextItem->setVisible(item->objectName().toUpper().startsWith(QLatin1String("STAT")));
}

// ---- photos -------------------------------------------------------------

void TForm1::syncPhotoTwin(PhotoItem *item)
{
    // Both sides show the same photo file: the other side's item follows.
    if (m_settings.front.DoubleSided != 1)
        return;
    const int s = item->parentWidget() == m_front.panel ? 0 : 1;
    const CardSideItems &other = side(1 - s);
    PhotoItem *twin = isSecondPhoto(item) ? other.secphot : other.Image1;
    twin->setPicture(item->picture());
    twin->setProportional(item->proportional());
}

void TForm1::CopyPhoto(PhotoItem *item)
{
    if (!item->picture().isNull())
        QGuiApplication::clipboard()->setImage(item->picture());
}

void TForm1::CutPhoto(PhotoItem *item)
{
    // Cut reports nothing: what could not be done is simply not done.
    try {
        if (!item->picture().isNull())
            QGuiApplication::clipboard()->setImage(item->picture());
        item->setPicture(m_template);
        if (isSecondPhoto(item))
            item->setProportional(false);
        if (m_store && m_store->storePhoto(item, PhotoSuffixForItem(item->objectName())))
            syncPhotoTwin(item);
    } catch (...) {
    }
}

void TForm1::PastePhoto(PhotoItem *item)
{
    if (!clipboardHasBitmap())
        return;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return;
    if (!PictureSizeAcceptable(picture.width(), picture.height()))
        throw PhotoError(QStringLiteral("The picture on the clipboard is too large (%1 x %2 pixels).")
                             .arg(picture.width())
                             .arg(picture.height()));
    item->setPicture(picture);
    if (isSecondPhoto(item))
        item->setProportional(true);
    if (m_store && m_store->storePhoto(item, PhotoSuffixForItem(item->objectName())))
        syncPhotoTwin(item);
}

// ---- texts --------------------------------------------------------------

void TForm1::ChooseItemFont(QWidget *item, bool relayout)
{
    // The dialog works in points; the card face measures at a fixed 96 dpi.
    QFont initial = item->font();
    initial.setPointSize(std::max(1, CardFontPoints(item->font())));
    QColor colour = ItemColour(item);
    const std::optional<QFont> chosen = FontDialog(this, initial, &colour);
    if (!chosen)
        return;
    QFont font = *chosen;
    const int points = font.pointSize() > 0 ? font.pointSize() : CardFontPoints(font);
    font.setPixelSize(PointsToCardPixels(std::max(1, points)));
    item->setFont(font);
    QPalette pal = item->palette();
    if (colour.isValid()) {
        pal.setColor(QPalette::WindowText, colour);
        pal.setColor(QPalette::Text, colour);
    }
    item->setPalette(pal);
    if (relayout && qobject_cast<DBMemo *>(item))
        RelayoutFieldItems();
}

void TForm1::AlignItem(QWidget *item, Qt::Alignment horizontal)
{
    SetItemAlignment(item, horizontal);
    if (qobject_cast<DBMemo *>(item))
        RelayoutFieldItems();
}

void TForm1::EditItemText(QLabel *item)
{
    m_editText->setItem(item->text(), item->font(), ItemAlignment(item));
    if (m_editText->exec() == QDialog::Accepted)
        item->setText(m_editText->text());
}
