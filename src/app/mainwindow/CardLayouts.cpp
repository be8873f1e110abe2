// Laying out the card sides: the quick layouts and their backgrounds, the
// custom layout files (and the take-over of card-face edits into them at
// exit), the arrangement of the two card panels and the keyboard order.
#include "app/mainwindow/CardFaceStyle.h"
#include "app/mainwindow/DesignerHost.h"
#include "app/mainwindow/PhotoMenu.h"
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"
#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "layout/designer/CardFaceTakeOver.h"
#include "layout/file/LayoutFile.h"
#include "layout/file/LayoutFont.h"
#include "layout/quick/QuickLayouts.h"
#include "store/CardStore.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"
#include "store/ScaledPicture.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

using namespace vellora;

namespace {

CardSide sideOf(int s) { return s == 0 ? CardSide::Front : CardSide::Back; }

Qt::Alignment toQt(LayoutAlignment a)
{
    switch (a) {
    case LayoutAlignment::Left: return Qt::AlignLeft;
    case LayoutAlignment::Right: return Qt::AlignRight;
    case LayoutAlignment::Center: return Qt::AlignHCenter;
    }
    return Qt::AlignLeft;
}

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

// The six buttons under the second-photo capture button.
const char *const kButtonsUnderSecondPhoto[] = {"BitBtn4", "BitBtn1", "BitBtn5", "BitBtn6", "BitBtn7", "ExitButton"};

}  // namespace

void TForm1::showBackground(int s)
{
    const SettingsRecord &record = m_settings.side(s);
    if (record.effectiveLayoutType() == 6)
        side(s).BackImage1->hide();
    else
        ShowBackground(s, record.BackgroundPath);
}

void TForm1::TakeOverCustomLayoutEdits(int s)
{
    // Free texts, fonts and alignment edited on the card face of a custom
    // layout reach its file only here, when the operator agrees.
    TakeOverCardFaceEdits(DesignerEnvironmentFor(*this), sideOf(s), CardFaceOf(*this, s));
}

void TForm1::ShowBackground(int s, const QString &path)
{
    PhotoItem *background = side(s).BackImage1;
    if (path.isEmpty()) {
        background->hide();
        return;
    }
    QImage picture;
    if (fileExists(path)) {
        try {
            picture = LoadScaledPicture(path, 50);
        } catch (const PhotoError &) {
            picture = QImage();
        }
    }
    if (picture.isNull()) {
        m_settings.side(s).BackgroundPath.clear();
        background->hide();
        return;
    }
    background->setGeometry(side(s).panel->rect());
    background->setPicture(picture);
    background->show();
    background->lower();
}

void TForm1::ApplyLayout(int s, int layoutType, bool fromDialog)
{
    if (layoutType == kCustomLayoutType) {
        if (applyCustomLayout(s))
            return;
        layoutType = 3;  // no file: quick layout 3 stands in, the stored type stays
    }
    applyQuickLayout(s, layoutType >= 1 && layoutType <= 5 ? layoutType : 3, fromDialog);
}

void TForm1::applyQuickLayout(int s, int layoutType, bool fromDialog)
{
    const QuickLayout &quick = QuickLayoutFor(layoutType);
    const CardSide cardSide = sideOf(s);
    CardSideItems &items = side(s);

    // 1. The panel, the note label or the back's place.
    items.panel->resize(quick.panel);
    items.BackImage1->setGeometry(items.panel->rect());
    if (s == 0) {
        m_cardCaption->move(m_cardCaption->x(), quick.noteTop);
    } else {
        ArrangeCardPanels();
    }

    // 2. Pictures and free texts.
    for (const QString &name : QuickLayoutHiddenItems(cardSide))
        if (QWidget *w = items.item(name))
            w->hide();
    // 3. Field items.
    for (QWidget *w : std::as_const(items.fieldItems))
        w->hide();
    for (const QuickPlacement &place : quick.placements(cardSide)) {
        QWidget *w = place.isField ? items.fieldItem(place.name) : items.item(place.name);
        if (!w)
            continue;  // a field the table lacks
        w->setGeometry(place.bounds);
        w->show();
    }

    // 4. Fonts and the free texts' alignment from the card design dialog.
    if (fromDialog) {
        ResetStandardFonts(s, true);
        SetItemAlignment(items.statlabel[0], toQt(quick.labelAlignment));
        SetItemAlignment(items.statlabel[1], toQt(quick.labelAlignment));
    }

    // 5., 6.
    applySecondPhotoButtonRule(layoutType);
    ReorderTabs();
    fitCardCanvas();
    ShowPlaceholders(true);
}

bool TForm1::applyCustomLayout(int s)
{
    const CardSide cardSide = sideOf(s);
    CardSideItems &items = side(s);
    const QString path = LayoutFileName(m_appFolder, cardSide);
    const QString suffix = s == 0 ? QString() : QStringLiteral("_b");

    LayoutLoadOptions options;
    options.reader = LayoutReader::CardFace;
    options.resolve = [&](const QString &name) -> std::optional<LayoutItemKind> {
        QWidget *w = items.item(name + suffix);
        if (!w)
            return std::nullopt;
        return qobject_cast<PhotoItem *>(w) ? LayoutItemKind::Image : LayoutItemKind::StaticText;
    };
    const LayoutLoad load = LoadLayout(path, options);
    if (load.status == LayoutLoad::Status::Missing)
        return false;
    if (load.status == LayoutLoad::Status::Unreadable) {
        ShowGenericError(load.error);
        return false;
    }
    const LayoutRecord &record = load.record;

    // 1. The panel's size (the default when the reading stopped in the
    // first two lines).
    const bool sizeRead = load.ok() || load.errorLine > 2;
    const QSize panelSize = sizeRead && record.panelWidth > 0 && record.panelHeight > 0
                                ? QSize(record.panelWidth, record.panelHeight)
                                : QSize(513, 321);
    items.panel->resize(panelSize);

    // 2. Everything hidden, the background included.
    for (QObject *child : items.panel->children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->hide();

    // 3. The background at half its size.
    if (fileExists(record.backgroundPath)) {
        try {
            const QImage picture = LoadScaledPicture(record.backgroundPath, 50);
            if (!picture.isNull()) {
                items.BackImage1->setGeometry(items.panel->rect());
                items.BackImage1->setPicture(picture);
                items.BackImage1->show();
                items.BackImage1->lower();
            }
        } catch (const PhotoError &) {
            // an unreadable background is not shown, like a missing one
        }
    }

    // 4. The items.
    for (const LayoutItem &line : record.items) {
        QWidget *w = items.item(line.name + suffix);
        if (!w)
            continue;
        const bool onCard = line.placeFor(LayoutReader::CardFace) == LayoutPlace::Card;
        if (auto *photo = qobject_cast<PhotoItem *>(w)) {
            photo->setGeometry(line.left, line.top, line.width, line.height);
            if (line.picturePath && fileExists(*line.picturePath)) {
                try {
                    photo->setPicture(LoadPicture(*line.picturePath));
                } catch (const PhotoError &) {
                    // the placeholder picture stays
                }
            }
            photo->setVisible(onCard);
            continue;
        }
        // Field items show their field; only free texts take the line's text.
        if (auto *label = qobject_cast<QLabel *>(w)) {
            QString text = line.text;
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            label->setText(text);
        }
        if (line.alignment)
            SetItemAlignment(w, toQt(*line.alignment));
        w->setFont(LayoutItemFont(line));
        QPalette pal = w->palette();
        const QColor colour = LayoutColor(line.fontColor, pal);
        pal.setColor(QPalette::WindowText, colour);
        pal.setColor(QPalette::Text, colour);
        w->setPalette(pal);
        w->setGeometry(line.left, line.top, line.width, line.height);
        w->setVisible(onCard);
    }
    items.BackImage1->lower();

    // 5. The note label or the back's place.
    if (s == 0)
        m_cardCaption->move(m_cardCaption->x(), items.panel->y() + items.panel->height() + 4);
    else
        ArrangeCardPanels();

    // 6.
    applySecondPhotoButtonRule(kCustomLayoutType);
    ReorderTabs();
    fitCardCanvas();
    ShowPlaceholders(true);

    if (load.status == LayoutLoad::Status::Malformed)
        ShowGenericError(load.error);
    return true;
}

void TForm1::applySecondPhotoButtonRule(int layoutType)
{
    const bool frontShows = !m_front.secphot->isHidden();
    const bool backShows = m_settings.front.DoubleSided == 1 && !m_back.secphot->isHidden();
    const bool show = frontShows || backShows;
    GlyphButton *capture2 = button(QStringLiteral("getimgbtn"));
    if (show != m_secondPhotoButtonShown) {
        const int shift = show ? 40 : -40;
        for (const char *name : kButtonsUnderSecondPhoto)
            if (GlyphButton *b = button(QLatin1String(name)))
                b->move(b->x(), b->y() + shift);
        m_secondPhotoButtonShown = show;
    }
    capture2->setVisible(show);
    if (layoutType == 2 && !show)
        m_photoMenu->setLoadImageVisible(false);
    if (layoutType == 3 && show)
        m_photoMenu->setLoadImageVisible(true);
}

void TForm1::ArrangeCardPanels()
{
    const bool frontLandscape = SideCountsAsLandscape(m_settings.front.LayoutType, m_front.panel->size());
    const bool backLandscape = SideCountsAsLandscape(m_settings.back.LayoutType, m_back.panel->size());
    const CardPanelArrangement a = vellora::ArrangeCardPanels(m_front.panel->geometry(), frontLandscape, backLandscape);
    m_back.panel->move(a.backTopLeft);
    // Beside a stack the note is 110 wide; it grows downwards when a
    // language's text needs more than its 120 pixels.
    QRect note = a.note;
    if (a.stacked)
        note.setHeight(std::max(note.height(), m_cardCaption->heightForWidth(note.width())));
    m_cardCaption->setGeometry(note);
    m_back.panel->show();
    fitCardCanvas();
}

void TForm1::ReorderTabs()
{
    QWidget *previous = nullptr;
    for (int s = 0; s < 2; ++s) {
        if (s == 1 && m_settings.front.DoubleSided != 1)
            break;
        const CardSideItems &items = side(s);
        QList<DBMemo *> visible;
        QList<int> tops;
        for (DBMemo *item : items.fieldItems) {
            if (item->isHidden())
                continue;
            visible.append(item);
            tops.append(item->y());
        }
        for (qsizetype index : OrderByTop(tops)) {
            DBMemo *item = visible[index];
            if (previous)
                setTabOrder(previous, item);
            previous = item;
        }
    }
}

void TForm1::ApplyAllLayouts()
{
    for (int s = 0; s < 2; ++s) {
        SettingsRecord &record = m_settings.side(s);
        if (s == 1) {
            if (m_settings.front.DoubleSided != 1) {
                m_back.panel->hide();
                break;
            }
        }
        if (record.LayoutType < 1 || record.LayoutType > kCustomLayoutType)
            record.LayoutType = 3;
        ApplyLayout(s, record.LayoutType, false);
        if (s == 1) {
            m_back.Image1->setPicture(m_front.Image1->picture());
            m_back.Image1->setProportional(m_front.Image1->proportional());
        }
    }
    if (m_store)
        m_store->cardFace().doubleSided = m_settings.front.DoubleSided == 1;
    // The back may have been hidden after the front's rule was applied.
    applySecondPhotoButtonRule(0);
    if (m_settings.front.DoubleSided != 1)
        m_cardCaption->setGeometry(m_front.panel->x(), m_cardCaption->y(), m_front.panel->width(), 40);
    fitCardCanvas();
    m_magStripe->layout(m_settings.front);

    // Every data-aware item and photo shows the current card again: one card
    // on and back, returning to the card that was current when the move
    // from the last card could not go on.
    if (m_table->isOpen() && m_table->recordCount() > 0) {
        const int current = m_table->recNo();
        m_table->next();
        m_table->prior();
        if (m_table->recNo() != current && current > 0)
            m_table->setRecNo(current);
    }
    if (m_store)
        m_store->refreshCardPhotos();
    ShowPlaceholders(true);
}
