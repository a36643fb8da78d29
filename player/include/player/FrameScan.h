// Finds the frames of an ILDA file on a thread of its own: first a walk
// over the headers (the frames, handed over in batches as they are found),
// then a full reading for the warnings on the points. The thread has its
// own stream; the window's thread only ever sees the results.
#pragma once

#include "ilda/Reading.h"
#include "player/FrameIndex.h"

#include <QObject>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace player {

class FrameScan : public QObject {
    Q_OBJECT
public:
    enum class Phase { Frames, Checking, Done };

    // Opens path and starts reading it at once; throws rtl::EFOpenError
    // when it cannot be opened, so that what was shown before can stay.
    explicit FrameScan(std::string path, QObject *parent = nullptr);
    // Cancels the scan and waits for its thread.
    ~FrameScan() override;

    const std::string &Path() const { return path_; }
    // The frames found so far, as the window has been told (FramesFound).
    std::size_t Count() const { return count_; }
    // Frame n (below Count()), found on the caller's own stream; nothing
    // when the file no longer holds it.
    std::optional<ilda::FrameInfo> Locate(rtl::TStream &stream, std::size_t n);
    const FrameIndex &Index() const { return index_; }
    Phase CurrentPhase() const { return phase_; }
    // The checking reading's outcome once Done; before, the header walk's
    // once its frames are all found.
    const ilda::ReadOutcome &Outcome() const { return outcome_; }

    void Cancel() { cancel_ = true; }

signals:
    // More frames were found; count is the total so far.
    void FramesFound(std::size_t count);
    // permille of the file read in the current phase.
    void Progress(player::FrameScan::Phase phase, int permille);
    void Finished();

private:
    void Run();
    void Walk(rtl::TStream &stream);
    void Check(rtl::TStream &stream);
    void Post(std::function<void()> inGuiThread);

    std::string path_;
    // Only the scan's thread writes cancel_; results come back through Post.
    std::atomic<bool> cancel_ = false;
    std::unique_ptr<rtl::TStream> stream_; // the scan thread's
    FrameIndex index_;
    std::size_t count_ = 0;
    ilda::ReadOutcome outcome_;
    Phase phase_ = Phase::Frames;
    std::thread thread_;
};

// Why the file at path cannot be read, or nothing: it must be a regular
// file (a pipe or a device would block the reading) that opens for reading.
std::optional<std::string> CheckReadable(const std::string &path);

// The frame numbered index (from 0) of the file, found by walking the
// headers up to it; or the text of what went wrong.
struct FoundFrame {
    std::optional<ilda::FrameInfo> frame;
    std::string problem;
};
FoundFrame FindFrame(rtl::TStream &stream, std::size_t index);

} // namespace player
