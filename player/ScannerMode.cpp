#include "player/ScannerMode.h"

#include "scan/Figures.h"

#include <QAction>
#include <QActionGroup>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>

namespace player {

namespace {

QString Percent(double value)
{
    return QStringLiteral("%1 %").arg(value, 0, 'f', 3);
}

QLabel *FactLabel(const char *name)
{
    auto *label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

ScannerMode::ScannerMode(QWidget *projectorView, QWidget *window)
    : QObject(window), projectorView_(projectorView), view_(new ScannerView), facts_(new QWidget)
{
    view_->hide();

    profileValue_ = FactLabel("scannerProfileValue");
    coverageValue_ = FactLabel("scannerCoverageValue");
    strayValue_ = FactLabel("scannerStrayValue");
    stepsValue_ = FactLabel("scannerStepsValue");
    timeValue_ = FactLabel("scannerTimeValue");
    coverageValue_->setToolTip(
        QStringLiteral("The share of the frame's drawing that the beam draws within the "
                       "profile's tolerance."));
    strayValue_->setToolTip(
        QStringLiteral("How far the beam gets from the drawing, in % of full scale, and the "
                       "share of its lit path beyond the tolerance."));
    stepsValue_->setToolTip(QStringLiteral("The largest steps between points, in % of full scale."));
    auto *form = new QFormLayout(facts_);
    form->setContentsMargins(0, 8, 0, 0);
    form->addRow(QStringLiteral("Scanner:"), profileValue_);
    form->addRow(QStringLiteral("Coverage:"), coverageValue_);
    form->addRow(QStringLiteral("Stray:"), strayValue_);
    form->addRow(QStringLiteral("Steps:"), stepsValue_);
    form->addRow(QStringLiteral("Refresh:"), timeValue_);
    facts_->hide();

    toggle_ = new QAction(QStringLiteral("&Scanner view"), this);
    toggle_->setCheckable(true);
    toggle_->setShortcut(Qt::Key_S);
    toggle_->setToolTip(
        QStringLiteral("The frame as the chosen scanner draws it: bright where the beam lingers, "
                       "dim where it rushes"));
    connect(toggle_, &QAction::toggled, this, &ScannerMode::SetActive);
    window->addAction(toggle_);

    profiles_ = new QActionGroup(this);
    for (const scan::Profile &profile : scan::BuiltInProfiles()) {
        QAction *choice = profiles_->addAction(QString::fromStdString(profile.name));
        choice->setCheckable(true);
        choice->setChecked(profile == view_->Profile());
        connect(choice, &QAction::triggered, this, [this, profile] { SetProfile(profile); });
    }
}

void ScannerMode::AddTo(QMenu *menu)
{
    menu->addSeparator();
    menu->addAction(toggle_);
    QMenu *choice = menu->addMenu(QStringLiteral("Scanner &profile"));
    choice->addActions(profiles_->actions());
}

void ScannerMode::SetFrame(FramePoints points)
{
    points_ = points;
    measured_ = false;
    if (Active()) {
        view_->SetFrame(std::move(points));
        UpdateFacts();
    }
}

void ScannerMode::SetActive(bool on)
{
    if (toggle_->isChecked() != on) {
        toggle_->setChecked(on); // toggled brings it back here
        return;
    }
    // Nothing is drawn or measured for the scanner while its view is off.
    view_->SetFrame(on ? points_ : FramePoints());
    view_->setVisible(on);
    projectorView_->setVisible(!on);
    facts_->setVisible(on);
    if (on)
        UpdateFacts();
}

void ScannerMode::SetProfile(const scan::Profile &profile)
{
    for (QAction *choice : profiles_->actions())
        choice->setChecked(choice->text().toStdString() == profile.name);
    if (profile == view_->Profile())
        return;
    view_->SetProfile(profile);
    measured_ = false;
    if (Active())
        UpdateFacts();
}

void ScannerMode::UpdateFacts()
{
    const scan::Profile &profile = view_->Profile();
    profileValue_->setText(QString::fromStdString(profile.name));
    if (measured_)
        return;
    measured_ = true;
    if (!points_) {
        for (QLabel *label : {coverageValue_, strayValue_, stepsValue_, timeValue_})
            label->clear();
        return;
    }
    const scan::Figures f = scan::Measure(*points_, *points_, profile);
    coverageValue_->setText(Percent(f.coverage));
    strayValue_->setText(QStringLiteral("%1, %2 of the path").arg(Percent(f.stray), Percent(f.strayShare)));
    stepsValue_->setText(QStringLiteral("lit %1, blanked %2").arg(Percent(f.litStepMax), Percent(f.blankStepMax)));
    timeValue_->setText(QStringLiteral("%1 Hz (%2 ms a frame)").arg(f.hz, 0, 'f', 1).arg(f.ms, 0, 'f', 2));
}

} // namespace player
