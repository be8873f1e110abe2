// The card design dialog's behaviour: showing, the page change, the layout
// and background choices, the stripe rules and applying the settings.
#include "layout/design/CardDesignHost.h"
#include "layout/design/TCardLayout.h"

#include "lang/CommonDialogs.h"
#include "lang/MessageDialog.h"
#include "layout/quick/QuickLayouts.h"
#include "store/Photos.h"
#include "store/ScaledPicture.h"
#include "store/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

using namespace vellora;

namespace {

constexpr int kPreviewPercent = 20;

// The text as the settings file keeps it: at most 255 characters (fewer when
// stored as UTF-8), never cut inside a character.
QString AsStored(const QString &text)
{
    const QByteArray bytes = EncodeShortString(text);
    return DecodeShortString(char(bytes.size()) + bytes);
}

QString PictureFilter()
{
    return QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.gif *.png *.ico *.svg);;All files (*)");
}

}  // namespace

void TCardLayout::setDesignerRunner(DesignerRunner runner)
{
    m_designer = std::move(runner);
    m_custom->setEnabled(bool(m_designer));
}

int TCardLayout::shownSide() const { return m_pages->currentIndex() == BackPage ? 1 : 0; }

QAbstractButton *TCardLayout::markedButton() const { return m_selection->isVisible() ? m_marked : nullptr; }

void TCardLayout::FormShow()
{
    const Settings &s = m_host.settings();
    // 1.
    {
        const QSignalBlocker block(m_pages);
        m_pages->setCurrentIndex(FrontPage);
    }
    m_pendingType = {0, 0};
    m_pendingBackground = {s.front.BackgroundPath, s.back.BackgroundPath};
    // 2.
    const QSize panel = m_host.frontPanelSize();
    setPreviewLandscape(panel.height() < panel.width());
    // 3.
    m_colorPrinter->setChecked(s.front.MonoPrinter == 0);
    m_selectColor->setEnabled(m_colorPrinter->isChecked());
    m_doubleSided->setChecked(s.front.DoubleSided == 1);
    m_pages->setTabVisible(BackPage, m_doubleSided->isChecked());
    // 4.
    PageControl1Change();
    // 5.
    const QStringList fields = m_host.cardFieldNames();
    for (TrackControls &c : m_tracks) {
        c.field->clear();
        c.field->addItems(fields);
        c.field->setCurrentIndex(-1);
        c.field->setPlaceholderText(QString());
        c.value->clear();
    }
    // 6.
    m_useStripe->setChecked(s.front.StripeOn == 1);
    for (int t = 0; t < 3; ++t) {
        const TrackSettings &track = s.front.Track[std::size_t(t)];
        TrackControls &c = m_tracks[std::size_t(t)];
        c.use->setChecked(track.use == 1);
        c.type->setCurrentIndex(track.source >= 0 && track.source <= 2 ? track.source : 0);
        if (track.source == 0) {
            c.value->setText(track.value);
        } else if (track.source == 1) {
            const int index = c.field->findText(track.value, Qt::MatchFixedString);
            c.field->setCurrentIndex(index);
            // A field the table no longer has is kept until another is
            // picked; the list shows its name greyed.
            if (index < 0)
                c.field->setPlaceholderText(track.value);
        }
        c.show->setChecked(track.show == 1);
    }
    applyTrackRules();
}

void TCardLayout::PageControl1Change()
{
    const int page = m_pages->currentIndex();
    if (page != FrontPage && page != BackPage)
        return;
    const int side = page == BackPage ? 1 : 0;
    m_layoutPanel->setParent(m_sheets[std::size_t(page)]);
    m_layoutPanel->move(0, 0);
    m_layoutPanel->show();

    // 1. The side's background, or none when its file is gone.
    QString &path = m_pendingBackground[std::size_t(side)];
    if (!path.isEmpty()) {
        QString error;
        if (!QFileInfo(path).isFile() || !previewBackground(path, &error))
            path.clear();
    }
    m_samplePicture->setVisible(!path.isEmpty());

    // 2., 3.
    int &type = m_pendingType[std::size_t(side)];
    if (type == 0)
        type = m_host.settings().side(side).LayoutType;
    const int shown = type == kConfirmedCustom ? kCustomLayoutType : EffectiveLayoutType(type);
    if (shown != kCustomLayoutType)
        setPreviewLandscape(QuickLayoutFor(shown).landscape);
    markPendingType(side);
}

void TCardLayout::markPendingType(int side)
{
    const int type = m_pendingType[std::size_t(side)];
    const int shown = type == kConfirmedCustom ? kCustomLayoutType : EffectiveLayoutType(type);
    if (shown == kCustomLayoutType) {
        markButton(m_custom);
        m_backgroundGroup->hide();
    } else {
        markButton(m_quick[std::size_t(shown - 1)]);
        m_backgroundGroup->show();
    }
}

void TCardLayout::markButton(QAbstractButton *button)
{
    m_marked = button;
    if (!button) {
        m_selection->hide();
        return;
    }
    // The frame lives in the button's group, behind the button.
    m_selection->setParent(button->parentWidget());
    m_selection->setGeometry(button->geometry().adjusted(-2, -2, 2, 2));
    m_selection->stackUnder(button);
    m_selection->show();
}

void TCardLayout::setPreviewLandscape(bool landscape)
{
    m_previewLandscape = landscape;
    const QPoint at(10, 110);
    if (landscape) {
        m_sampleCard->setGeometry(QRect(at, QSize(208, 131)));
        m_samplePicture->setGeometry(2, 2, 205, 128);
    } else {
        m_sampleCard->setGeometry(QRect(at, QSize(131, 208)));
        m_samplePicture->setGeometry(2, 2, 128, 205);
    }
}

bool TCardLayout::previewBackground(const QString &path, QString *error)
{
    QImage picture;
    try {
        picture = LoadScaledPicture(path, kPreviewPercent);
    } catch (const PhotoError &e) {
        *error = e.message();
        return false;
    }
    if (picture.isNull()) {
        *error = QStringLiteral("The picture %1 cannot be read.").arg(path);
        return false;
    }
    m_samplePicture->setPixmap(QPixmap::fromImage(picture));
    return true;
}

void TCardLayout::QuickLayoutClick(int type)
{
    if (type < 1 || type > 5)
        return;
    const int page = m_pages->currentIndex();
    if (page != FrontPage && page != BackPage)
        return;
    markButton(m_quick[std::size_t(type - 1)]);
    setPreviewLandscape(QuickLayoutFor(type).landscape);
    m_backgroundGroup->show();
    m_pendingType[std::size_t(shownSide())] = type;
}

void TCardLayout::CustomLayoutClick()
{
    if (!m_designer)
        return;
    const int side = shownSide();
    const std::optional<bool> colour = m_designer(this, side, m_colorPrinter->isChecked());
    if (!colour)
        return;
    m_pendingType[std::size_t(side)] = kConfirmedCustom;
    m_colorPrinter->setChecked(*colour);
    m_selectColor->setEnabled(*colour);
    markButton(m_custom);
    m_backgroundGroup->hide();
    ApplySettings();
}

void TCardLayout::choosePicture(const QString &folder, const QString &title)
{
    const std::optional<QString> chosen = OpenFileDialog(this, title, folder, PictureFilter());
    if (!chosen || chosen->isEmpty())
        return;  // cancelled: the background stays
    QString error;
    if (!QFileInfo(*chosen).isFile() || !previewBackground(*chosen, &error)) {
        if (error.isEmpty())
            error = QStringLiteral("The picture %1 cannot be found.").arg(*chosen);
        const QString caption = QApplication::applicationDisplayName().isEmpty()
                                    ? QApplication::applicationName()
                                    : QApplication::applicationDisplayName();
        PlainMessage(caption, error, PlainIcon::Error);
        return;  // the previous background and its preview stay
    }
    m_pendingBackground[std::size_t(shownSide())] = *chosen;
    m_samplePicture->show();
}

void TCardLayout::SelectPatternClick()
{
    choosePicture(m_host.appFolder() + QStringLiteral("backgrounds"), m_selectPattern->text().remove(QLatin1String("...")));
}

void TCardLayout::SelectColorClick()
{
    choosePicture(m_host.appFolder() + QStringLiteral("colors"), m_selectColor->text());
}

void TCardLayout::ClearBackgroundClick()
{
    m_pendingBackground[std::size_t(shownSide())].clear();
    m_samplePicture->clear();
    m_samplePicture->hide();
}

void TCardLayout::ColorPrinterClick() { m_selectColor->setEnabled(m_colorPrinter->isChecked()); }

void TCardLayout::DoubleSidedClick()
{
    if (m_pendingType[1] == 0)
        m_pendingType[1] = m_host.settings().back.LayoutType;
    const bool on = m_doubleSided->isChecked();
    if (!on && m_pages->currentIndex() == BackPage)
        m_pages->setCurrentIndex(FrontPage);
    m_pages->setTabVisible(BackPage, on);
}

void TCardLayout::UseMagStripeClick() { applyTrackRules(); }

void TCardLayout::UseTrackClick(int) { applyTrackRules(); }

void TCardLayout::StripeTypeChange(int) { applyTrackRules(); }

void TCardLayout::applyTypeRule(int track)
{
    TrackControls &c = m_tracks[std::size_t(track - 1)];
    switch (c.type->currentIndex()) {
    case 1:  // linked card field
        c.value->hide();
        c.field->show();
        c.valueLabel->show();
        c.valueLabel->setBuddy(c.field);
        c.show->setEnabled(true);
        break;
    case 2:  // separate data field
        c.value->hide();
        c.field->hide();
        c.valueLabel->hide();
        c.show->setChecked(true);
        c.show->setEnabled(false);
        break;
    default:  // static text
        c.value->show();
        c.field->hide();
        c.valueLabel->show();
        c.valueLabel->setBuddy(c.value);
        c.show->setEnabled(true);
        break;
    }
}

void TCardLayout::applyTrackRules()
{
    const bool stripe = m_useStripe->isChecked();
    for (int t = 1; t <= 3; ++t) {
        TrackControls &c = m_tracks[std::size_t(t - 1)];
        applyTypeRule(t);
        if (!stripe) {
            for (QWidget *w : {static_cast<QWidget *>(c.use), static_cast<QWidget *>(c.type),
                               static_cast<QWidget *>(c.value), static_cast<QWidget *>(c.field),
                               static_cast<QWidget *>(c.show)})
                w->setEnabled(false);
            continue;
        }
        c.use->setEnabled(true);
        const bool used = c.use->isChecked();
        c.type->setEnabled(used);
        c.value->setEnabled(used);
        c.field->setEnabled(used);
        if (!used)
            c.show->setEnabled(false);
    }
}

void TCardLayout::applySide(int side, bool becameDoubleSided)
{
    SettingsRecord &record = m_host.settings().side(side);
    int &pending = m_pendingType[std::size_t(side)];
    bool changed = false;
    if (pending != 0 && (pending != record.LayoutType || pending == kConfirmedCustom)) {
        int type = pending == kConfirmedCustom ? kCustomLayoutType : pending;
        if (type < 1 || type > kCustomLayoutType)
            type = 3;
        record.LayoutType = quint8(type);
        pending = type;
        m_host.applyLayout(side, type);
        changed = true;
    } else if (becameDoubleSided) {
        // The back panel shows its stored layout at once, not what it held
        // before double-sided printing was turned on.
        if (record.LayoutType < 1 || record.LayoutType > kCustomLayoutType)
            record.LayoutType = 3;
        m_host.applyLayout(side, record.LayoutType);
        changed = true;
    }
    if (side == 1 && changed)
        m_host.copyPhotoToBack();
    if (record.LayoutType != kCustomLayoutType)
        m_host.showBackground(side, record.BackgroundPath);
}

void TCardLayout::ApplySettings()
{
    Settings &s = m_host.settings();
    const bool wasDoubleSided = s.front.DoubleSided == 1;
    // 1.
    const bool colour = m_colorPrinter->isChecked();
    s.front.MonoPrinter = colour ? 0 : 1;
    s.front.DoubleSided = m_doubleSided->isChecked() ? 1 : 0;
    s.front.BackgroundPath = AsStored(m_pendingBackground[0]);
    s.back.BackgroundPath = AsStored(m_pendingBackground[1]);
    m_host.showPrinterMarker(colour);
    // 2., 3.
    applySide(0, false);
    // 4.
    if (s.front.DoubleSided == 1) {
        m_host.arrangeCardPanels();
        applySide(1, !wasDoubleSided);
    } else {
        m_host.hideBackPanel();
    }
    // 5.
    s.front.StripeOn = m_useStripe->isChecked() ? 1 : 0;
    for (int t = 0; t < 3; ++t) {
        TrackSettings &track = s.front.Track[std::size_t(t)];
        const TrackControls &c = m_tracks[std::size_t(t)];
        track.use = c.use->isChecked() ? 1 : 0;
        track.source = c.type->currentIndex();
        if (track.source == 0)
            track.value = AsStored(c.value->text());
        else if (track.source == 1)
            track.value = c.field->currentIndex() >= 0 ? c.field->currentText() : c.field->placeholderText();
        track.show = c.show->isChecked() ? 1 : 0;
    }
    // 6.
    m_host.refreshCardFace();
}

void TCardLayout::OKBtnClick()
{
    ApplySettings();
    accept();
}

void TCardLayout::CancelBtnClick() { reject(); }
