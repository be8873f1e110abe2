#pragma once
// Font, colour and alignment of a card-face text item (a free text label or
// a field item), read and written as the settings file stores them.
#include "store/Settings.h"

#include <QWidget>

namespace vellora {

void SetItemStyle(QWidget *item, const FontSlot &slot);
FontSlot ItemStyle(const QWidget *item);
QColor ItemColour(const QWidget *item);
void SetItemAlignment(QWidget *item, Qt::Alignment horizontal);
Qt::Alignment ItemAlignment(const QWidget *item);

}  // namespace vellora
