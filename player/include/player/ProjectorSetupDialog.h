// Output, Projector setup: the frame on show (or a test pattern) as the
// scanner draws it through the projector, the keystone and zones to drag,
// sliders for the colour delay, each channel's gain and minimum, and the
// brightness, and Save. Every change is announced at once, so laser output
// takes the new stage for its next frame.
#pragma once

#include "player/FrameCache.h"
#include "projector/Stage.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QSlider;

namespace player {

class ProjectorCanvas;

class ProjectorSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProjectorSetupDialog(QWidget *parent = nullptr);

    // The setup to edit and the file Save writes it to.
    void SetSetup(const projector::Setup &setup, const QString &fileName);
    const projector::Setup &Setup() const { return stage_->GetSetup(); }
    const projector::OutputStage &Stage() const { return *stage_; }
    QString FileName() const { return fileName_; }
    // The frame on show, drawn while no pattern is chosen.
    void SetFrame(FramePoints points);

    ProjectorCanvas *Canvas() const { return canvas_; }
    // The slider named "brightness", "gain.red", "min.blue", "delay.green" ...
    QSlider *Slider(const QString &name) const;
    QString StatusText() const;

public slots:
    // Writes the setup to its file; false (and why, in the status line) when
    // it could not, the file there before kept.
    bool Save();

signals:
    void SetupChanged(const projector::Setup &setup);

private:
    struct Row {
        QSlider *slider;
        QLabel *number;
        double scale; // slider steps a unit
        int decimals;
        std::function<double &(projector::Setup &)> field;
    };
    QGridLayout *MakeSliders();
    void AddRow(QGridLayout *grid, const QString &name, const QString &text, double high, double scale, int decimals,
                std::function<double &(projector::Setup &)> field);
    void RowMoved(Row &row, int value);
    void ShowTitle(bool edited);
    void ShowValues();
    void Edited(const projector::Setup &setup);
    void Redraw();

    ProjectorCanvas *canvas_ = nullptr;
    QComboBox *pattern_ = nullptr;
    QLabel *status_ = nullptr;
    std::vector<Row> rows_;
    std::optional<projector::OutputStage> stage_;
    FramePoints frame_;
    QString fileName_;
};

} // namespace player
