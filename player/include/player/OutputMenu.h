// The player's Output menu: the DACs found (on the network, or on this
// computer only, which sends no broadcast) or typed, each ticked or not, a
// scanner profile, and the "Laser output" switch. While it is on, the frame
// on show (playing or paused) streams to every ticked DAC (a LiveOutput);
// an emergency stop on any, or the loss of the only one, turns it off. A
// label in the status bar shows the rate and each DAC's buffer and
// underflows.
#pragma once

#include "dac/Discovery.h"
#include "player/FrameCache.h"
#include "player/LiveOutput.h"
#include "projector/Stage.h"
#include "scan/Profile.h"

#include <QObject>

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
    // The DACs offered (what Find DACs found): the ones ticked before stay
    // ticked; the first is ticked when none was offered before.
    void SetDacs(std::vector<dac::FoundDac> dacs);
    // A DAC by its target ("lasercube:HOST", as lumivex dacs prints it),
    // added and ticked (the others keep their ticks); the problem when
    // text is no target.
    QString AddTarget(const QString &text);
    // The DACs ticked, in the menu's order.
    std::vector<dac::FoundDac> TickedDacs() const;
    // Turns output on or off; on needs a ticked DAC.
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
    void Find(dac::DiscoveryOptions options);
    void Searched(std::vector<dac::FoundDac> found);
    void StreamEnded(bool emergencyStop, const QString &message);
    void Ticked(QAction *action);
    void UpdateLaser();
    void UpdateStatus();
    std::optional<scan::Profile> ChosenProfile() const;
    double ProfileRate() const; // "none": 30,000 points a second
    void AddDacMenu();
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

    LiveOutput *live_ = nullptr;
    std::thread finder_;
};

} // namespace player
