// The player's Output menu: the DACs found (on the network, or on this
// computer only, which sends no broadcast) or typed, a scanner profile, and the
// "Laser output" switch. While it is on, the frame on show (playing or
// paused) streams to the chosen DAC from a thread of its own; any loss of
// the connection or emergency stop turns it off. A label in the status bar
// shows the DAC, rate, buffer and underflows.
#pragma once

#include "dac/Discovery.h"
#include "player/FrameCache.h"
#include "projector/Stage.h"
#include "scan/Profile.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMainWindow;
class QMenu;
class QTimer;

namespace player {

class OutputMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to window's menu bar and the label to its status bar.
    explicit OutputMenu(QMainWindow *window);
    ~OutputMenu() override;

    // The frame now on show.
    void SetFrame(FramePoints points);
    // The DACs offered (what Find DACs found); the first is chosen.
    void SetDacs(std::vector<dac::FoundDac> dacs);
    // A DAC by its target ("lasercube:HOST", as lumivex dacs prints it),
    // added and chosen; the problem when text is no target.
    QString AddTarget(const QString &text);
    // Turns output on or off; on needs a DAC.
    void SetOutput(bool on);
    bool OutputOn() const;
    QAction *LaserAction() const { return laser_; }
    QString StatusText() const;

    // The projector whose stage every frame sent goes through, or none
    // (then the profile alone).
    void SetProjector(const std::optional<projector::Setup> &setup);
    class ProjectorMenu *Projector() const { return projector_; }
    // What the sender takes for its next frame, and how many it has taken.
    std::vector<ilda::Point> NextFrame() const;
    std::uint64_t FramesTaken() const;

public slots:
    void FindDacs();
    // Asks 127.0.0.1 only: no broadcast leaves the computer.
    void FindDacsHere();
    void AskForTarget();

signals:
    void OutputChanged(bool on);

private:
    class LiveSource;
    void Find(dac::DiscoveryOptions options);
    void StreamEnded(int end, const QString &message);
    void UpdateStatus();
    std::optional<scan::Profile> ChosenProfile() const;
    double ProfileRate() const; // "none": 30,000 points a second
    void StopStream();
    void AddProjector(QMainWindow *window);

    QMenu *menu_ = nullptr;
    QMenu *dacMenu_ = nullptr;
    QActionGroup *dacGroup_ = nullptr;
    QActionGroup *profileGroup_ = nullptr;
    QAction *laser_ = nullptr;
    QAction *clearEstop_ = nullptr;
    QLabel *label_ = nullptr;
    QTimer *timer_ = nullptr;
    std::vector<dac::FoundDac> dacs_;
    FramePoints shown_;
    bool clearEstopNext_ = false;
    QString lastMessage_;

    class ProjectorMenu *projector_ = nullptr;
    std::optional<projector::OutputStage> stage_;

    std::shared_ptr<LiveSource> source_;
    std::thread worker_;
    std::thread finder_;
    std::atomic<bool> stop_{false};
    mutable std::mutex statusMutex_;
    dac::StreamStatus status_;
    std::optional<dac::FoundDac> streaming_;
};

} // namespace player
