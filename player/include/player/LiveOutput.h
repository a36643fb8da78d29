// Laser output while it is on: the frame on show handed to each sender's
// thread, the senders, and each DAC's state. One DAC plays alone and a
// loss of it ends the output; several play one show in step
// (dac::RunMultiShow), a lost one resumed while the others play on, and an
// emergency stop on any stops them all.
#pragma once

#include "dac/Discovery.h"
#include "dac/MultiShow.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace player {

// What one DAC is doing, as its sender last told.
struct DacState {
    std::string target;
    dac::StreamStatus status;
    bool wasConnected = false;
    std::optional<dac::StreamOutcome> ended; // while the others play on
};

// A DAC's state in a few words ("buffer 900/1800  underflows 0").
QString DacStateText(const DacState &state);

class LiveOutput : public QObject {
    Q_OBJECT
public:
    explicit LiveOutput(QObject *parent = nullptr);
    ~LiveOutput() override;

    // The frame on show, prepared, and the point rate it was prepared for:
    // each sender takes it for its next frame.
    void SetFrame(std::vector<ilda::Point> frame, double rate);
    std::vector<ilda::Point> NextFrame() const;
    std::uint64_t FramesTaken() const;

    // Streams to dacs (at least one) at rate until Stop or an end.
    void Start(const std::vector<dac::FoundDac> &dacs, double rate, bool clearEstop);
    // Stops every sender and waits for them (each sends its lead-out).
    void Stop();
    bool Running() const { return worker_.joinable(); }
    // The rate and each DAC's state, short for the status bar: one DAC
    // "TARGET  30000 pts/s  buffer 900/1800  underflows 0", several
    // "2 DACs at 30000 pts/s; not playing: TARGET; buffers 900/1800, lost;
    // underflows 0, 2".
    QString StatusText() const;
    // A line for each DAC: its target and state.
    QString Details() const;

signals:
    // The output ended by itself: an emergency stop on any DAC, the loss
    // of the only one, or every DAC failing. Stop() never emits it.
    void Ended(bool emergencyStop, const QString &message);

private:
    class Shared;
    class Source;
    void Run(std::vector<dac::ShowOutput> outputs, std::uint64_t run);
    void Finish(const std::vector<dac::StreamOutcome> &outcomes, std::uint64_t run);
    void Told(std::size_t output, const dac::StreamStatus &status);

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::uint64_t run_ = 0; // which Start a late end belongs to
    mutable std::mutex stateMutex_;
    std::vector<DacState> states_;
};

} // namespace player
