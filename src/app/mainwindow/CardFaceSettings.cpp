// The free texts and fonts of the quick layouts: from the settings onto the
// card face, and back at exit or before the card design dialog.
#include "app/mainwindow/CardFaceStyle.h"
#include "app/mainwindow/TForm1.h"

#include "store/DataSource.h"
#include "store/Settings.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"

#include <QLabel>
#include <QTextDocument>

using namespace vellora;

namespace vellora {

void SetItemStyle(QWidget *item, const FontSlot &slot)
{
    item->setFont(FontFromSlot(slot));
    QPalette pal = item->palette();
    const QColor colour = ColourFromStored(slot.colour);
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    item->setPalette(pal);
    SetItemAlignment(item, AlignmentFromStored(slot.alignment));
}

FontSlot ItemStyle(const QWidget *item)
{
    FontSlot slot;
    FontToSlot(item->font(), ItemColour(item), ItemAlignment(item), &slot);
    return slot;
}

QColor ItemColour(const QWidget *item)
{
    return qobject_cast<const QLabel *>(item) ? item->palette().color(QPalette::WindowText)
                                              : item->palette().color(QPalette::Text);
}

void SetItemAlignment(QWidget *item, Qt::Alignment horizontal)
{
    if (auto *label = qobject_cast<QLabel *>(item)) {
        label->setAlignment(horizontal | Qt::AlignTop);
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(item)) {
        QTextOption option = memo->document()->defaultTextOption();
        option.setAlignment(horizontal);
        memo->document()->setDefaultTextOption(option);
    }
}

Qt::Alignment ItemAlignment(const QWidget *item)
{
    if (auto *label = qobject_cast<const QLabel *>(item))
        return label->alignment() & Qt::AlignHorizontal_Mask;
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(item))
        return memo->document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask;
    return Qt::AlignLeft;
}

}  // namespace vellora

void TForm1::ApplySettingsToCardFace()
{
    for (int s = 0; s < 2; ++s) {
        const SettingsRecord &record = m_settings.side(s);
        CardSideItems &items = side(s);
        for (int i = 0; i < 4; ++i) {
            SetItemStyle(items.statlabel[i], record.FreeTextFont[i]);
            items.statlabel[i]->setText(record.FreeText[i]);
        }
        applyFieldFontsFromSettings(s);
    }
}

void TForm1::applyFieldFontsFromSettings(int s)
{
    const SettingsRecord &record = m_settings.side(s);
    const CardSideItems &items = side(s);
    for (size_t f = 0; f < kFontSlotFields.size(); ++f)
        if (DBMemo *item = items.fieldItem(QLatin1String(kFontSlotFields[f])))
            SetItemStyle(item, record.FieldFont[f]);
}

namespace {

struct StandardFont {
    const char *face;
    int size;
};

// The standard font of the free texts 1..4 and of the field items that have
// one; Last_name is reset with the others but not compared.
StandardFont freeTextStandard(int i)
{
    return i == 0 ? StandardFont{"Arial Black", 30} : StandardFont{"Arial", 12};
}

const struct {
    const char *field;
    StandardFont font;
    bool compared;
} kStandardFieldFonts[] = {
    {"Card_Number", {"Arial", 16}, true}, {"First_name", {"Arial", 24}, true},
    {"Last_name", {"Arial", 24}, false},  {"Title", {"Arial", 16}, true},
    {"Department", {"Arial", 16}, true},  {"Sparefield1", {"Arial", 16}, true},
    {"Sparefield2", {"Arial", 16}, true},
};

bool differsFrom(const QWidget *item, StandardFont standard)
{
    const FontSlot slot = ItemStyle(item);
    return slot.face != QLatin1String(standard.face) || slot.size != standard.size || slot.colour != 0 ||
           slot.style != StyleBold;
}

FontSlot standardSlot(StandardFont standard)
{
    return FontSlot{QLatin1String(standard.face), standard.size, 0, StyleBold, AlignLeftCode};
}

}  // namespace

bool TForm1::StandardFontsDiffer(int s) const
{
    const CardSideItems &items = side(s);
    for (int i = 0; i < 4; ++i)
        if (differsFrom(items.statlabel[i], freeTextStandard(i)))
            return true;
    for (const auto &standard : kStandardFieldFonts) {
        if (!standard.compared)
            continue;
        if (const DBMemo *item = items.fieldItem(QLatin1String(standard.field)))
            if (differsFrom(item, standard.font))
                return true;
    }
    return false;
}

void TForm1::ResetStandardFonts(int s, bool ask)
{
    if (ask && StandardFontsDiffer(s)) {
        const QString question = Literal(20) + Literal(21) + Literal(22);
        // Yes throws the operator's font choices away: No is the default.
        MessageOptions options;
        options.defaultButton = MsgButton::No;
        if (LocalMessageDlg(question, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, options) != MrYes)
            return;
    }
    CardSideItems &items = side(s);
    for (int i = 0; i < 4; ++i)
        SetItemStyle(items.statlabel[i], standardSlot(freeTextStandard(i)));
    for (const auto &standard : kStandardFieldFonts)
        if (DBMemo *item = items.fieldItem(QLatin1String(standard.field)))
            SetItemStyle(item, standardSlot(standard.font));
}

void TForm1::StoreCardFaceInSettings(int s)
{
    SettingsRecord &record = m_settings.side(s);
    const CardSideItems &items = side(s);
    for (int i = 0; i < 4; ++i) {
        record.FreeText[i] = items.statlabel[i]->text();
        record.FreeTextFont[i] = ItemStyle(items.statlabel[i]);
    }
    for (size_t f = 0; f < kFontSlotFields.size(); ++f)
        if (const DBMemo *item = items.fieldItem(QLatin1String(kFontSlotFields[f])))
            record.FieldFont[f] = ItemStyle(item);
}
