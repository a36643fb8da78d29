// The files opened together, played one after another or each looped; the
// window's file list shows them.
#pragma once

#include <QStringList>

namespace player {

class PlayList {
public:
    // The files that paths name: a folder stands for its ILDA files (*.ild,
    // any case) in name order; anything else is kept as it is given, so
    // that opening it says what is wrong with it.
    static QStringList Expand(const QStringList &paths);

    void Set(QStringList files);
    const QStringList &Files() const { return files_; }
    int Size() const { return int(files_.size()); }
    int Current() const { return current_; }
    void SetCurrent(int index) { current_ = index; }
    // The index delta away from the current one, wrapping round when wrap
    // is set; -1 past either end.
    int Step(int delta, bool wrap) const;

private:
    QStringList files_;
    int current_ = -1;
};

// The last files opened, newest first, kept between runs in the user's
// settings.
class RecentFiles {
public:
    static QStringList Load();
    static void Add(const QString &path);
    static void Clear();
    static constexpr int kKept = 10;
};

} // namespace player
