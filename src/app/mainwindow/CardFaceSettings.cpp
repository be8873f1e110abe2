// The free texts and fonts of the quick layouts: from the settings onto the
// card face, and back at exit or before the card design dialog.
#include "app/mainwindow/CardFaceStyle.h"
#include "app/mainwindow/TForm1.h"

#include "store/DataSource.h"
#include "store/Settings.h"

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
        for (size_t f = 0; f < kFontSlotFields.size(); ++f)
            if (DBMemo *item = items.fieldItem(QLatin1String(kFontSlotFields[f])))
                SetItemStyle(item, record.FieldFont[f]);
    }
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
