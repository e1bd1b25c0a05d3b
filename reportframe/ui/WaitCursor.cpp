#include "WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace trellum {

WaitCursor::WaitCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor()
{
    release();
}

void WaitCursor::release()
{
    if (m_active) {
        m_active = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace trellum
