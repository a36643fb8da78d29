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

namespace player {

// The frame on show, prepared for the profile, handed to the sender's
// thread with the profile's rate; the show never ends by itself.
class OutputMenu::LiveSource : public dac::FrameSource {
public:
    void Set(std::vector<ilda::Point> frame, double rate)
    {
        std::lock_guard lock(mutex_);
        next_ = std::move(frame);
        nextRate_ = rate;
    }
    std::vector<ilda::Point> Next() const
    {
        std::lock_guard lock(mutex_);
        return next_;
    }
    std::uint64_t Taken() const { return taken_; }
    const std::vector<ilda::Point> *Frame(std::uint64_t) override
    {
        std::lock_guard lock(mutex_);
        current_ = next_;
        currentRate_ = nextRate_;
        ++taken_;
        return &current_;
    }
    double FrameRate() const override { return currentRate_; }

private:
    mutable std::mutex mutex_;
    std::atomic<std::uint64_t> taken_{0};
    std::vector<ilda::Point> next_, current_;
    double nextRate_ = 0, currentRate_ = 0; // currentRate_: the sender's thread only
};

OutputMenu::OutputMenu(QMainWindow *window) : QObject(window), source_(std::make_shared<LiveSource>())
{
    menu_ = window->menuBar()->addMenu(QStringLiteral("&Output"));
    dacMenu_ = menu_->addMenu(QStringLiteral("&DAC"));
    dacGroup_ = new QActionGroup(this);
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
    StopStream();
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
    source_->Set(std::move(frame), ProfileRate());
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
    return source_->Next();
}

std::uint64_t OutputMenu::FramesTaken() const
{
    return source_->Taken();
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

void OutputMenu::SetDacs(std::vector<dac::FoundDac> dacs)
{
    dacs_ = std::move(dacs);
    dacMenu_->clear();
    for (QAction *a : dacGroup_->actions())
        dacGroup_->removeAction(a);
    for (std::size_t i = 0; i < dacs_.size(); ++i) {
        const dac::FoundDac &d = dacs_[i];
        QAction *a = dacMenu_->addAction(QString::fromStdString(d.name + "  " + d.Target()));
        a->setCheckable(true);
        a->setData(static_cast<int>(i));
        a->setChecked(i == 0);
        dacGroup_->addAction(a);
    }
    if (dacs_.empty())
        dacMenu_->addAction(QStringLiteral("(none found)"))->setEnabled(false);
    laser_->setEnabled(!dacs_.empty());
    UpdateStatus();
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
    const QString text =
        QInputDialog::getText(qobject_cast<QWidget *>(parent()), QStringLiteral("Add DAC"),
                              QStringLiteral("Target (etherdream:HOST, idn:HOST[:PORT], lasercube:HOST):"),
                              QLineEdit::Normal, QString(), &ok);
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
    typed.name = "typed";
    typed.address = target->host;
    typed.port = target->port;
    auto dacs = dacs_;
    dacs.push_back(typed);
    SetDacs(std::move(dacs));
    dacGroup_->actions().back()->setChecked(true);
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
                lastMessage_ = found.empty() ? QStringLiteral("no DAC answered") : QString();
                SetDacs(std::move(found));
            },
            Qt::QueuedConnection);
    });
}

bool OutputMenu::OutputOn() const
{
    return worker_.joinable();
}

void OutputMenu::SetOutput(bool on)
{
    if (on == OutputOn()) {
        laser_->setChecked(on);
        return;
    }
    if (!on) {
        StopStream();
        lastMessage_ = QStringLiteral("laser output off");
    } else {
        const QAction *chosen = dacGroup_->checkedAction();
        if (!chosen) {
            laser_->setChecked(false);
            return;
        }
        streaming_ = dacs_[static_cast<std::size_t>(chosen->data().toInt())];
        dac::StreamOptions options;
        options.target = {streaming_->kind, streaming_->address, streaming_->port};
        options.target.unit = streaming_->unit;
        options.rate = ProfileRate();
        options.maxRate = streaming_->maxRate;
        options.capacity = streaming_->capacity;
        options.endOnLoss = true;
        options.clearEstop = std::exchange(clearEstopNext_, false);
        stop_ = false;
        lastMessage_.clear();
        {
            std::lock_guard lock(statusMutex_);
            status_ = {};
            status_.rate = options.rate; // until the sender's first report
        }
        worker_ = std::thread([this, options, source = source_] {
            dac::StreamHooks hooks;
            hooks.onStatus = [this](const dac::StreamStatus &s) {
                std::lock_guard lock(statusMutex_);
                status_ = s;
            };
            const auto outcome = dac::RunStream(options, *source, stop_, hooks);
            if (!stop_)
                QMetaObject::invokeMethod(
                    this,
                    [this, end = static_cast<int>(outcome.end), message = QString::fromStdString(outcome.message)] {
                        StreamEnded(end, message);
                    },
                    Qt::QueuedConnection);
        });
        timer_->start();
    }
    const QSignalBlocker block(laser_);
    laser_->setChecked(OutputOn());
    UpdateStatus();
    emit OutputChanged(OutputOn());
}

void OutputMenu::StopStream()
{
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
    timer_->stop();
}

void OutputMenu::StreamEnded(int end, const QString &message)
{
    StopStream();
    if (static_cast<dac::StreamEnd>(end) == dac::StreamEnd::EmergencyStop) {
        clearEstop_->setEnabled(true);
        lastMessage_ = QStringLiteral("EMERGENCY STOP: %1; clear it to go on").arg(message);
    } else {
        lastMessage_ =
            QStringLiteral("laser output off: %1").arg(message.isEmpty() ? QStringLiteral("ended") : message);
    }
    const QSignalBlocker block(laser_);
    laser_->setChecked(false);
    UpdateStatus();
    emit OutputChanged(false);
}

QString OutputMenu::StatusText() const
{
    return label_->text();
}

void OutputMenu::UpdateStatus()
{
    if (!OutputOn() || !streaming_) {
        label_->setText(lastMessage_.isEmpty() ? QStringLiteral("Output off") : lastMessage_);
        return;
    }
    dac::StreamStatus s;
    {
        std::lock_guard lock(statusMutex_);
        s = status_;
    }
    QString text =
        QStringLiteral("%1  %2 pts/s").arg(QString::fromStdString(streaming_->Target())).arg(s.rate, 0, 'f', 0);
    if (!s.connected)
        text += QStringLiteral("  connecting");
    else if (s.capacity)
        text += QStringLiteral("  buffer %1/%2").arg(s.buffered).arg(s.capacity);
    else if (s.buffered)
        text += QStringLiteral("  buffer %1").arg(s.buffered);
    text += QStringLiteral("  underflows %1").arg(s.underflows);
    label_->setText(text);
}

} // namespace player
