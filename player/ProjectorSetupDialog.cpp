#include "player/ProjectorSetupDialog.h"

#include "player/ProjectorCanvas.h"
#include "projector/Patterns.h"
#include "scan/Profile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace player {

namespace {

const char *const kChannelNames[] = {"red", "green", "blue"};

QString ChannelTitle(std::size_t c)
{
    const QString name = QString::fromLatin1(kChannelNames[c]);
    return name.left(1).toUpper() + name.mid(1);
}

} // namespace

ProjectorSetupDialog::ProjectorSetupDialog(QWidget *parent) : QDialog(parent), stage_(std::in_place, projector::Setup{})
{
    setWindowTitle(QStringLiteral("Projector setup"));
    canvas_ = new ProjectorCanvas(this);
    pattern_ = new QComboBox(this);
    pattern_->addItem(QStringLiteral("Frame on show"));
    for (const auto p : {projector::Pattern::Tuning, projector::Pattern::Grid, projector::Pattern::Colors})
        pattern_->addItem(QString::fromLatin1(projector::PatternName(p)), int(p));
    connect(pattern_, &QComboBox::currentIndexChanged, this, &ProjectorSetupDialog::Redraw);

    QGridLayout *grid = MakeSliders();

    status_ = new QLabel(this);
    status_->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this, &ProjectorSetupDialog::Save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(canvas_, &ProjectorCanvas::SetupEdited, this, &ProjectorSetupDialog::Edited);
    connect(canvas_, &ProjectorCanvas::Dragging, status_, &QLabel::setText);

    auto *side = new QVBoxLayout;
    side->addWidget(pattern_);
    side->addLayout(grid);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(canvas_, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    resize(900, 560);
}

QGridLayout *ProjectorSetupDialog::MakeSliders()
{
    auto *grid = new QGridLayout;
    AddRow(grid, QStringLiteral("brightness"), QStringLiteral("Brightness %"), projector::kMostBrightness, 10, 1,
           [](projector::Setup &s) -> double & { return s.color.brightness; });
    for (std::size_t c = 0; c < 3; ++c) {
        const QString name = QString::fromLatin1(kChannelNames[c]);
        AddRow(grid, QStringLiteral("delay.") + name, ChannelTitle(c) + QStringLiteral(" delay µs"),
               scan::kMostColorDelay, 1, 0, [c](projector::Setup &s) -> double & { return s.scanner.colorDelay[c]; });
        AddRow(grid, QStringLiteral("gain.") + name, ChannelTitle(c) + QStringLiteral(" gain"), projector::kMostGain,
               1000, 3, [c](projector::Setup &s) -> double & { return s.color.channels[c].gain; });
        AddRow(grid, QStringLiteral("min.") + name, ChannelTitle(c) + QStringLiteral(" minimum"), projector::kMostMin,
               1000, 3, [c](projector::Setup &s) -> double & { return s.color.channels[c].min; });
    }
    return grid;
}

void ProjectorSetupDialog::AddRow(QGridLayout *grid, const QString &name, const QString &text, double high,
                                  double scale, int decimals, std::function<double &(projector::Setup &)> field)
{
    const int line = grid->rowCount();
    auto *slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(name);
    // Whole steps inside the checked range: nothing out of it can be set.
    slider->setRange(0, int(std::floor(high * scale)));
    slider->setMinimumWidth(160);
    auto *number = new QLabel(this);
    number->setMinimumWidth(48);
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(new QLabel(text, this), line, 0);
    grid->addWidget(slider, line, 1);
    grid->addWidget(number, line, 2);
    const std::size_t index = rows_.size();
    rows_.push_back({slider, number, scale, decimals, std::move(field)});
    connect(slider, &QSlider::valueChanged, this, [this, index](int value) { RowMoved(rows_[index], value); });
}

QSlider *ProjectorSetupDialog::Slider(const QString &name) const
{
    for (const Row &row : rows_)
        if (row.slider->objectName() == name)
            return row.slider;
    return nullptr;
}

QString ProjectorSetupDialog::StatusText() const
{
    return status_->text();
}

void ProjectorSetupDialog::SetSetup(const projector::Setup &setup, const QString &fileName)
{
    stage_.emplace(setup);
    fileName_ = fileName;
    ShowTitle(false);
    canvas_->SetSetup(setup);
    status_->clear();
    ShowValues();
    Redraw();
}

void ProjectorSetupDialog::ShowTitle(bool edited)
{
    // The output takes edits at once; the mark says the file has not yet.
    setWindowTitle(QStringLiteral("Projector setup: %1%2")
                       .arg(QFileInfo(fileName_).fileName(), edited ? QStringLiteral(" *") : QString()));
}

void ProjectorSetupDialog::ShowValues()
{
    projector::Setup setup = Setup();
    for (Row &row : rows_) {
        const double value = row.field(setup);
        // Moving the slider here would round the file's value.
        const QSignalBlocker block(row.slider);
        row.slider->setValue(int(std::lround(value * row.scale)));
        row.number->setText(QString::number(value, 'f', row.decimals));
    }
}

void ProjectorSetupDialog::RowMoved(Row &row, int value)
{
    projector::Setup setup = Setup();
    row.field(setup) = value / row.scale;
    row.number->setText(QString::number(row.field(setup), 'f', row.decimals));
    canvas_->SetSetup(setup);
    Edited(setup);
}

void ProjectorSetupDialog::Edited(const projector::Setup &setup)
{
    stage_.emplace(setup);
    ShowTitle(true);
    Redraw();
    emit SetupChanged(setup);
}

void ProjectorSetupDialog::SetFrame(FramePoints points)
{
    frame_ = std::move(points);
    if (pattern_->currentIndex() == 0)
        Redraw();
}

void ProjectorSetupDialog::Redraw()
{
    std::vector<ilda::Point> drawing;
    if (pattern_->currentIndex() > 0)
        drawing = projector::DrawPattern(projector::Pattern(pattern_->currentData().toInt()));
    else if (frame_)
        drawing = *frame_;
    canvas_->SetFrame(std::make_shared<const std::vector<ilda::Point>>(stage_->Apply(drawing)));
}

bool ProjectorSetupDialog::Save()
{
    const std::string path = fileName_.toStdString();
    const auto saved = projector::SaveSetup(Setup(), path, path, rtl::TSaveFileStream::TExisting::Replace);
    if (saved)
        ShowTitle(false);
    status_->setText(saved ? QStringLiteral("saved %1").arg(fileName_)
                           : QStringLiteral("not saved: %1").arg(QString::fromStdString(saved.message())));
    return bool(saved);
}

} // namespace player
