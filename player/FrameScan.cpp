#include "player/FrameScan.h"

#include "rtl/SysUtils.h"

#include <QMetaObject>

#include <chrono>
#include <filesystem>

namespace player {

namespace {

// Thrown from a handler to leave a reading early; never leaves this file.
struct StopReading {};

using Clock = std::chrono::steady_clock;
// How often, at most, the scan tells the window what it found.
constexpr auto kReportEvery = std::chrono::milliseconds(50);

int Permille(std::int64_t at, std::int64_t size)
{
    return size > 0 ? static_cast<int>(std::min<std::int64_t>(1000, at * 1000 / size)) : 1000;
}

// Messages and palettes a reading keeps for the window; the counts go on.
ilda::ReadOptions KeptOptions()
{
    return {.keep = 1000, .keepPalettes = 16};
}

// Puts the frames of the header walk in the index and tells how many there
// are: the first at once, so that it can be shown while the walk goes on.
class FrameCollector : public ilda::ReadHandler {
public:
    FrameCollector(const std::atomic<bool> &cancel, FrameIndex &index, std::int64_t size,
                   std::function<void(std::size_t, int)> report)
        : cancel_(cancel), index_(index), size_(size), report_(std::move(report))
    {
    }

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override
    {
        if (cancel_)
            throw StopReading{};
        index_.Add(frame);
        const auto now = Clock::now();
        if (frame.index == 0 || now - last_ >= kReportEvery) {
            last_ = now;
            const std::int64_t at =
                frame.dataOffset + std::int64_t{frame.pointCount} * std::int64_t(ilda::RecordSize(frame.header.format));
            report_(frame.index + 1, Permille(at, size_));
        }
    }

private:
    const std::atomic<bool> &cancel_;
    FrameIndex &index_;
    std::int64_t size_;
    std::function<void(std::size_t, int)> report_;
    Clock::time_point last_ = Clock::now();
};

// The full reading, for its warnings only: the points are checked and
// forgotten.
class Checker : public ilda::ReadHandler {
public:
    Checker(const std::atomic<bool> &cancel, std::int64_t size, std::function<void(int)> report)
        : cancel_(cancel), size_(size), report_(std::move(report))
    {
    }

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override
    {
        if (cancel_)
            throw StopReading{};
        const auto now = Clock::now();
        if (now - last_ >= kReportEvery) {
            last_ = now;
            report_(Permille(frame.dataOffset, size_));
        }
    }

private:
    const std::atomic<bool> &cancel_;
    std::int64_t size_;
    std::function<void(int)> report_;
    Clock::time_point last_ = Clock::now();
};

} // namespace

FrameScan::FrameScan(std::string path, QObject *parent)
    : QObject(parent), path_(std::move(path)),
      stream_(std::make_unique<rtl::TFileStream>(path_, rtl::TFileMode::OpenRead))
{
    thread_ = std::thread([this] { Run(); });
}

std::optional<ilda::FrameInfo> FrameScan::Locate(rtl::TStream &stream, std::size_t n)
{
    if (n >= count_)
        return std::nullopt;
    return index_.Locate(stream, n);
}

FrameScan::~FrameScan()
{
    cancel_ = true;
    thread_.join();
    // Results still queued for this object are dropped with it.
}

void FrameScan::Post(std::function<void()> inGuiThread)
{
    QMetaObject::invokeMethod(this, std::move(inGuiThread), Qt::QueuedConnection);
}

void FrameScan::Run()
{
    try {
        rtl::TStream &stream = *stream_;
        Walk(stream);
        if (cancel_)
            return;
        stream.SetPosition(0);
        Check(stream);
    } catch (const StopReading &) {
    } catch (const std::exception &error) {
        ilda::ReadOutcome failed;
        failed.errors.push_back(ilda::MakeDiagnostic(ilda::DiagnosticCode::Unreadable, 0, -1, {}, error.what()));
        failed.errorCount = 1;
        Post([this, failed] {
            outcome_ = failed;
            phase_ = Phase::Done;
            emit Finished();
        });
    }
}

void FrameScan::Walk(rtl::TStream &stream)
{
    const auto report = [this](std::size_t count, int permille) {
        Post([this, count, permille] {
            if (count > count_) {
                count_ = count;
                emit FramesFound(count_);
            }
            emit Progress(Phase::Frames, permille);
        });
    };
    FrameCollector collector(cancel_, index_, stream.Size(), report);
    ilda::ReadOptions options = KeptOptions();
    options.points = false;
    options.cancel = &cancel_;
    auto outcome = std::make_shared<ilda::ReadOutcome>(ilda::Read(stream, collector, options));
    if (outcome->cancelled)
        return;
    report(outcome->frameCount, 1000);
    Post([this, outcome] {
        outcome_ = std::move(*outcome);
        phase_ = Phase::Checking;
    });
}

void FrameScan::Check(rtl::TStream &stream)
{
    Checker checker(cancel_, stream.Size(),
                    [this](int permille) { Post([this, permille] { emit Progress(Phase::Checking, permille); }); });
    ilda::ReadOptions options = KeptOptions();
    options.cancel = &cancel_;
    auto outcome = std::make_shared<ilda::ReadOutcome>(ilda::Read(stream, checker, options));
    if (outcome->cancelled)
        return;
    Post([this, outcome] {
        outcome_ = std::move(*outcome);
        phase_ = Phase::Done;
        emit Progress(Phase::Done, 1000);
        emit Finished();
    });
}

std::optional<std::string> CheckReadable(const std::string &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "Cannot open file " + path + ": no such file";
    if (!std::filesystem::is_regular_file(status))
        return "Cannot open file " + path + ": not a regular file";
    try {
        rtl::TFileStream probe(path, rtl::TFileMode::OpenRead);
    } catch (const std::exception &failure) {
        return failure.what();
    }
    return std::nullopt;
}

FoundFrame FindFrame(rtl::TStream &stream, std::size_t index)
{
    class Finder : public ilda::ReadHandler {
    public:
        explicit Finder(std::size_t wanted) : wanted_(wanted) {}
        void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override
        {
            if (frame.index == wanted_) {
                found = frame;
                throw StopReading{};
            }
        }
        std::optional<ilda::FrameInfo> found;

    private:
        std::size_t wanted_;
    };
    Finder finder(index);
    ilda::ReadOutcome outcome;
    try {
        outcome = ilda::Read(stream, finder, {.points = false, .keep = 1});
    } catch (const StopReading &) {
        return {finder.found, {}};
    }
    if (outcome.frameCount == 0 && outcome.errorCount > 0)
        return {std::nullopt,
                "byte " + std::to_string(outcome.errors.front().offset) + ": " + outcome.errors.front().text};
    return {std::nullopt, "there is no frame " + std::to_string(index) + "; the file has " +
                              std::to_string(outcome.frameCount) + (outcome.frameCount == 1 ? " frame" : " frames")};
}

} // namespace player
