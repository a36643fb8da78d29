#include "toolkit/Drops.h"

#include <QMimeData>
#include <QUrl>

namespace toolkit {

QString DroppedLocalFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace toolkit
