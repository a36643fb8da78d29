#include "player/PlayList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace player {

namespace {

// "frame2" before "frame10", whatever the case, as a file manager lists
// them: runs of digits compare by their value.
bool NameBefore(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Leading zeros dropped, the longer number is the larger.
            while (i + 1 < a.size() && a[i] == u'0' && a[i + 1].isDigit())
                ++i;
            while (j + 1 < b.size() && b[j] == u'0' && b[j + 1].isDigit())
                ++j;
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            if (ei - i != ej - j)
                return ei - i < ej - j;
            if (const int order = QStringView(a).sliced(i, ei - i).compare(QStringView(b).sliced(j, ej - j)))
                return order < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (const int order = QStringView(a).sliced(i, 1).compare(QStringView(b).sliced(j, 1), Qt::CaseInsensitive))
            return order < 0;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

} // namespace

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
        QStringList names = dir.entryList({QStringLiteral("*.ild")}, QDir::Files | QDir::Readable, QDir::NoSort);
        std::sort(names.begin(), names.end(), NameBefore);
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
