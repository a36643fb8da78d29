// Output, Projector: choose a projector file, edit it (the Projector setup
// dialog) or make a new one with every key at its default. The chosen file
// is kept in the settings and chosen again at the next start. While one is
// chosen, laser output corrects every frame through its output stage.
#pragma once

#include "player/FrameCache.h"
#include "projector/Setup.h"

#include <QObject>
#include <QString>

#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace player {

class ProjectorSetupDialog;

class ProjectorMenu : public QObject {
    Q_OBJECT
public:
    // Adds the Projector submenu to menu; dialogs open over window.
    ProjectorMenu(QMenu *menu, QWidget *window);

    // The last session's projector, unless its file is gone or now refused
    // (then told).
    void Restore();
    // Loads path and makes it the projector; a file that cannot be read or
    // is refused is told (its key named) and the projector stays as it was.
    bool Choose(const QString &path);
    // No projector: frames go out under the chosen profile.
    void Clear();
    const std::optional<projector::Setup> &Current() const { return setup_; }
    QString FileName() const { return fileName_; }

    // The frame on show, for the dialog.
    void SetFrame(FramePoints points);
    // The setup dialog, made on first use.
    ProjectorSetupDialog *Dialog();

public slots:
    void ChooseFile();
    void EditSetup();
    void NewFile();

signals:
    // The projector chosen or edited, or none.
    void Changed(const std::optional<projector::Setup> &setup);
    // A line for the status bar.
    void Told(const QString &text);

private:
    void Take(const projector::Setup &setup, const QString &path);
    void UpdateActions();

    QWidget *window_;
    QAction *current_ = nullptr;
    QAction *edit_ = nullptr;
    QAction *none_ = nullptr;
    ProjectorSetupDialog *dialog_ = nullptr;
    std::optional<projector::Setup> setup_;
    QString fileName_;
    FramePoints frame_;
};

} // namespace player
