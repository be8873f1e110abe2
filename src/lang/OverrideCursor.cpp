#include "lang/OverrideCursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace vellora {

OverrideCursor::OverrideCursor(Qt::CursorShape shape)
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(shape));
        m_set = true;
    }
}

OverrideCursor::~OverrideCursor()
{
    if (m_set)
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace vellora
