#include "toolkit/Resources.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

namespace toolkit {

QImage LoadBitmapResource(const QString &name)
{
    // Only hits are kept: a library may register its resources later.
    static QHash<QString, QImage> cache;
    const QString key = name.toLower();
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QDirIterator entries(QStringLiteral(":/"), QDir::Files, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (QFileInfo(path).completeBaseName().toLower() != key)
            continue;
        QImage image(path);
        if (image.isNull())
            continue;
        cache.insert(key, image);
        return image;
    }
    return QImage();
}

} // namespace toolkit
