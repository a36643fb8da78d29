// Shows the hourglass while it lives; the cursor comes back on every path
// out of the scope, exceptions included.
#pragma once

#include <QGuiApplication>

namespace toolkit {

class TWaitCursor {
public:
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};

} // namespace toolkit
