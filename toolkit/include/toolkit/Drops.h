// What a drag and drop carries, as the windows that open dropped files see it.
#pragma once

#include <QString>

class QMimeData;

namespace toolkit {

// The first local file among the dropped addresses; empty when there is none.
QString DroppedLocalFile(const QMimeData *data);

} // namespace toolkit
