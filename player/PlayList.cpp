#include "player/PlayList.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace player {

QStringList PlayList::Expand(const QStringList &paths)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            files << path;
            continue;
        }
        QDir dir(path);
        QStringList names = dir.entryList({QStringLiteral("*.ild")}, QDir::Files | QDir::Readable,
                                          QDir::NoSort);
        // "frame2" before "frame10", as a file manager lists them.
        QCollator collator;
        collator.setNumericMode(true);
        std::sort(names.begin(), names.end(), collator);
        for (const QString &name : names)
            files << dir.filePath(name);
    }
    return files;
}

void PlayList::Set(QStringList files)
{
    files_ = std::move(files);
    current_ = files_.isEmpty() ? -1 : 0;
}

int PlayList::Step(int delta, bool wrap) const
{
    if (files_.isEmpty())
        return -1;
    const int size = Size();
    int index = current_ + delta;
    if (wrap)
        return ((index % size) + size) % size;
    return index >= 0 && index < size ? index : -1;
}

namespace {

const QString kRecentKey = QStringLiteral("recentFiles");

QSettings Settings()
{
    return QSettings(QStringLiteral("Lumivex"), QStringLiteral("lumivex-player"));
}

} // namespace

QStringList RecentFiles::Load()
{
    QStringList paths = Settings().value(kRecentKey).toStringList();
    return paths.mid(0, kKept);
}

void RecentFiles::Add(const QString &path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList paths = Load();
    paths.removeAll(full);
    paths.prepend(full);
    Settings().setValue(kRecentKey, paths.mid(0, kKept));
}

void RecentFiles::Clear()
{
    Settings().remove(kRecentKey);
}

} // namespace player
