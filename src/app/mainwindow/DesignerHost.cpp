#include "app/mainwindow/DesignerHost.h"

#include "app/mainwindow/CardFaceStyle.h"
#include "app/mainwindow/TForm1.h"
#include "engine/Table.h"
#include "layout/designer/CardFaceTakeOver.h"
#include "store/DataSource.h"

#include <QLabel>

namespace vellora {

namespace {

LayoutAlignment ToLayout(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return LayoutAlignment::Right;
    if (a & Qt::AlignHCenter)
        return LayoutAlignment::Center;
    return LayoutAlignment::Left;
}

CardFaceText TextOf(const QWidget *item, const QString &text)
{
    CardFaceText shown;
    shown.visible = !item->isHidden();
    shown.text = text;
    shown.alignment = ToLayout(ItemAlignment(item));
    shown.font = item->font();
    shown.colour = ItemColour(item);
    return shown;
}

}  // namespace

CardFaceSnapshot CardFaceOf(const TForm1 &form, int s)
{
    CardFaceSnapshot face;
    const CardSideItems &items = form.side(s);
    for (std::size_t i = 0; i < 4; ++i)
        if (const QLabel *label = items.statlabel[i])
            face.freeTexts[i] = TextOf(label, label->text());
    const QString suffix = QStringLiteral("_b");
    for (const DBMemo *item : items.fieldItems) {
        QString name = item->objectName();
        if (s == 1 && name.endsWith(suffix))
            name.chop(suffix.size());
        face.fieldItems.insert(name, TextOf(item, QString()));
    }
    return face;
}

DesignerEnvironment DesignerEnvironmentFor(TForm1 &form)
{
    DesignerEnvironment env;
    env.appFolder = form.appFolder();
    TForm1 *window = &form;
    env.tableFields = [window] {
        return window->table() && window->table()->isOpen() ? window->table()->fieldNames() : QStringList();
    };
    env.layoutType = [window](CardSide side) { return window->settings().side(int(side)).effectiveLayoutType(); };
    env.cardFace = [window](CardSide side) -> std::optional<CardFaceSnapshot> {
        return CardFaceOf(*window, int(side));
    };
    env.editTextDialog = [window] { return window->editTextDialog(); };
    return env;
}

void InstallDesignerEnvironment(TForm1 &form) { SetDesignerEnvironment(DesignerEnvironmentFor(form)); }

}  // namespace vellora
