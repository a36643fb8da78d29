#include "player/OutputMenu.h"

#include "player/ProjectorMenu.h"
#include "scan/Prepare.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <set>

namespace player {

OutputMenu::OutputMenu(QMainWindow *window) : QObject(window), live_(new LiveOutput(this))
{
    menu_ = window->menuBar()->addMenu(QStringLiteral("&Output"));
    AddDacMenu();
    menu_->addAction(QStringLiteral("&Find DACs"), this, &OutputMenu::FindDacs);
    menu_->addAction(QStringLiteral("Find DACs on &This Computer Only"), this, &OutputMenu::FindDacsHere);
    menu_->addAction(QStringLiteral("&Add DAC by Address..."), this, &OutputMenu::AskForTarget);
    QMenu *profiles = menu_->addMenu(QStringLiteral("&Profile"));
    profileGroup_ = new QActionGroup(this);
    const auto addProfile = [&](const QString &name) {
        QAction *a = profiles->addAction(name);
        a->setCheckable(true);
        a->setData(name);
        profileGroup_->addAction(a);
        return a;
    };
    // Another profile: the frame on show prepared again; a running stream
    // takes its rate from the frame's first point on, without stopping.
    connect(profileGroup_, &QActionGroup::triggered, this, [this] { SetFrame(shown_); });
    for (const scan::Profile &p : scan::BuiltInProfiles())
        addProfile(QString::fromStdString(p.name))->setChecked(p == scan::DefaultProfile());
    addProfile(QStringLiteral("none"))->setToolTip(QStringLiteral("The frames as they are, at 30,000 points a second"));
    menu_->addSeparator();
    laser_ = menu_->addAction(QStringLiteral("&Laser output"));
    laser_->setCheckable(true);
    laser_->setEnabled(false);
    connect(laser_, &QAction::toggled, this, [this](bool on) { SetOutput(on); });
    clearEstop_ = menu_->addAction(QStringLiteral("&Clear emergency stop"), this, [this] {
        clearEstopNext_ = true;
        clearEstop_->setEnabled(false);
        lastMessage_ = QStringLiteral("the emergency stop is cleared when output is turned on");
        UpdateStatus();
    });
    clearEstop_->setEnabled(false);
    AddProjector(window);
    label_ = new QLabel;
    label_->setObjectName(QStringLiteral("outputStatus"));
    window->statusBar()->addPermanentWidget(label_);
    timer_ = new QTimer(this);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, &OutputMenu::UpdateStatus);
    projector_->Restore();
    UpdateStatus();
}

OutputMenu::~OutputMenu()
{
    live_->Stop();
    if (finder_.joinable())
        finder_.join();
}

void OutputMenu::SetFrame(FramePoints points)
{
    shown_ = points;
    projector_->SetFrame(points);
    std::vector<ilda::Point> frame;
    if (points && stage_) {
        frame = stage_->Apply(*points);
    } else if (points) {
        const auto profile = ChosenProfile();
        frame = profile ? scan::PrepareFrame(*points, *profile) : *points;
    }
    live_->SetFrame(std::move(frame), ProfileRate());
}

void OutputMenu::AddDacMenu()
{
    dacMenu_ = menu_->addMenu(QStringLiteral("&DAC"));
    dacGroup_ = new QActionGroup(this);
    dacGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None); // several DACs play together
    connect(dacGroup_, &QActionGroup::triggered, this, &OutputMenu::Ticked);
    connect(live_, &LiveOutput::Ended, this, &OutputMenu::StreamEnded);
}

void OutputMenu::AddProjector(QMainWindow *window)
{
    projector_ = new ProjectorMenu(menu_, window);
    connect(projector_, &ProjectorMenu::Changed, this, &OutputMenu::SetProjector);
    connect(projector_, &ProjectorMenu::Told, this, [this](const QString &text) {
        lastMessage_ = text;
        UpdateStatus();
    });
}

void OutputMenu::SetProjector(const std::optional<projector::Setup> &setup)
{
    if (setup)
        stage_.emplace(*setup);
    else
        stage_.reset();
    // The projector's scanner stands for the profile while one is chosen.
    profileGroup_->setEnabled(!stage_);
    SetFrame(shown_);
}

std::vector<ilda::Point> OutputMenu::NextFrame() const
{
    return live_->NextFrame();
}

std::uint64_t OutputMenu::FramesTaken() const
{
    return live_->FramesTaken();
}

double OutputMenu::ProfileRate() const
{
    if (stage_)
        return stage_->GetSetup().scanner.rate;
    const auto profile = ChosenProfile();
    return profile ? profile->rate : 30000;
}

std::optional<scan::Profile> OutputMenu::ChosenProfile() const
{
    const QAction *chosen = profileGroup_->checkedAction();
    if (!chosen || chosen->data().toString() == QStringLiteral("none"))
        return std::nullopt;
    return scan::FindProfile(chosen->data().toString().toStdString());
}

namespace {

// A DAC the user typed is kept when a search does not find it.
const std::string kTyped = "typed";

} // namespace

void OutputMenu::SetDacs(std::vector<dac::FoundDac> dacs)
{
    std::set<std::string> ticked;
    for (const dac::FoundDac &d : TickedDacs())
        ticked.insert(d.Target());
    const bool first = dacs_.empty();
    dacs_ = std::move(dacs);
    dacMenu_->clear();
    for (QAction *a : dacGroup_->actions())
        dacGroup_->removeAction(a);
    for (std::size_t i = 0; i < dacs_.size(); ++i) {
        const dac::FoundDac &d = dacs_[i];
        QAction *a = dacMenu_->addAction(QString::fromStdString(d.name + "  " + d.Target()));
        a->setCheckable(true);
        a->setData(static_cast<int>(i));
        // One entry per DAC is ticked, so no DAC gets two senders.
        a->setChecked(first ? i == 0 : ticked.erase(d.Target()) > 0);
        dacGroup_->addAction(a);
    }
    if (dacs_.empty())
        dacMenu_->addAction(QStringLiteral("(none found)"))->setEnabled(false);
    UpdateLaser();
    UpdateStatus();
}

std::vector<dac::FoundDac> OutputMenu::TickedDacs() const
{
    std::vector<dac::FoundDac> ticked;
    for (const QAction *a : dacGroup_->actions())
        if (a->isChecked())
            ticked.push_back(dacs_[static_cast<std::size_t>(a->data().toInt())]);
    return ticked;
}

// A tick by the user: another entry for the same DAC is unticked; while
// the laser is on, output goes on to the DACs now ticked.
void OutputMenu::Ticked(QAction *action)
{
    const std::string target = dacs_[static_cast<std::size_t>(action->data().toInt())].Target();
    for (QAction *a : dacGroup_->actions())
        if (a != action && action->isChecked() && dacs_[static_cast<std::size_t>(a->data().toInt())].Target() == target)
            a->setChecked(false);
    if (OutputOn()) {
        SetOutput(false);
        SetOutput(!TickedDacs().empty());
    }
    UpdateLaser();
}

void OutputMenu::UpdateLaser()
{
    laser_->setEnabled(OutputOn() || !TickedDacs().empty());
}

void OutputMenu::FindDacs()
{
    Find({});
}

void OutputMenu::FindDacsHere()
{
    dac::DiscoveryOptions options;
    options.broadcast = false;
    options.addresses = {"127.0.0.1"};
    options.laserCubeAddresses = {"127.0.0.1"};
    Find(options);
}

void OutputMenu::AskForTarget()
{
    bool ok = false;
    const QString text = QInputDialog::getText(
        qobject_cast<QWidget *>(parent()), QStringLiteral("Add DAC"),
        QStringLiteral("Target (etherdream:HOST[:PORT], idn:HOST[:PORT], lasercube:HOST[:PORT]):"), QLineEdit::Normal,
        QString(), &ok);
    if (!ok || text.trimmed().isEmpty())
        return;
    lastMessage_ = AddTarget(text.trimmed());
    UpdateStatus();
}

QString OutputMenu::AddTarget(const QString &text)
{
    std::string problem;
    const auto target = dac::ParseTarget(text.toStdString(), problem);
    if (!target)
        return QString::fromStdString(problem);
    dac::FoundDac typed;
    typed.kind = target->kind;
    typed.name = kTyped;
    typed.address = target->host;
    typed.port = target->port;
    typed.unit = target->unit;
    auto dacs = dacs_;
    const auto same = std::find_if(dacs.begin(), dacs.end(), [&typed](const dac::FoundDac &d) {
        return d.name == kTyped && d.Target() == typed.Target();
    });
    const auto at = static_cast<int>(same - dacs.begin());
    if (same == dacs.end())
        dacs.push_back(typed);
    SetDacs(std::move(dacs));
    dacGroup_->actions().at(at)->setChecked(true);
    Ticked(dacGroup_->actions().at(at));
    return {};
}

void OutputMenu::Find(dac::DiscoveryOptions options)
{
    if (finder_.joinable())
        return; // a search is under way
    lastMessage_ = QStringLiteral("looking for DACs...");
    UpdateStatus();
    finder_ = std::thread([this, options = std::move(options)] {
        std::string problem;
        auto found = dac::Discover(options, problem);
        dac::FindUsbDacs(found, problem); // Helios units plugged in
        QMetaObject::invokeMethod(
            this,
            [this, found = std::move(found)]() mutable {
                finder_.join();
                Searched(std::move(found));
            },
            Qt::QueuedConnection);
    });
}

// What a search found, with the DACs typed or ticked that it did not
// find: a search never drops a DAC the user chose.
void OutputMenu::Searched(std::vector<dac::FoundDac> found)
{
    lastMessage_ = found.empty() ? QStringLiteral("no DAC answered") : QString();
    std::set<std::string> ticked, kept;
    for (const dac::FoundDac &d : TickedDacs())
        ticked.insert(d.Target());
    for (const dac::FoundDac &d : found)
        kept.insert(d.Target());
    for (const dac::FoundDac &d : dacs_)
        if ((d.name == kTyped || ticked.count(d.Target())) && !kept.count(d.Target()))
            found.push_back(d);
    SetDacs(std::move(found));
}

bool OutputMenu::OutputOn() const
{
    return live_->Running();
}

void OutputMenu::SetOutput(bool on)
{
    if (on == OutputOn()) {
        laser_->setChecked(on);
        return;
    }
    if (!on) {
        live_->Stop();
        timer_->stop();
        lastMessage_ = QStringLiteral("laser output off");
    } else {
        const auto ticked = TickedDacs();
        if (ticked.empty()) {
            laser_->setChecked(false);
            return;
        }
        lastMessage_.clear();
        live_->Start(ticked, ProfileRate(), std::exchange(clearEstopNext_, false));
        timer_->start();
    }
    const QSignalBlocker block(laser_);
    laser_->setChecked(OutputOn());
    UpdateLaser();
    UpdateStatus();
    emit OutputChanged(OutputOn());
}

void OutputMenu::StreamEnded(bool emergencyStop, const QString &message)
{
    timer_->stop();
    if (emergencyStop) {
        clearEstop_->setEnabled(true);
        lastMessage_ = QStringLiteral("EMERGENCY STOP: %1; clear it to go on").arg(message);
    } else {
        lastMessage_ =
            QStringLiteral("laser output off: %1").arg(message.isEmpty() ? QStringLiteral("ended") : message);
    }
    const QSignalBlocker block(laser_);
    laser_->setChecked(false);
    UpdateLaser();
    UpdateStatus();
    emit OutputChanged(false);
}

QString OutputMenu::StatusText() const
{
    return label_->text();
}

void OutputMenu::UpdateStatus()
{
    label_->setText(OutputOn() ? live_->StatusText()
                               : (lastMessage_.isEmpty() ? QStringLiteral("Output off") : lastMessage_));
    label_->setToolTip(OutputOn() ? live_->Details() : label_->text()); // whole, where the bar cuts it
}

} // namespace player
