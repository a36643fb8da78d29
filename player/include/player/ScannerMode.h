// The player's scanner view as a whole: View, Scanner view (S) and the
// profile to draw with, the ScannerView shown in place of the projector's
// view, and the frame's figures under that profile for the info panel.
// The window hands it the frame on show and places its widgets.
#pragma once

#include "player/FrameCache.h"
#include "player/ScannerView.h"
#include "scan/Profile.h"

#include <QObject>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace player {

class ScannerMode : public QObject {
    Q_OBJECT
public:
    // projectorView: the drawing this view stands in for while it is on.
    // The actions' shortcuts work within window.
    ScannerMode(QWidget *projectorView, QWidget *window);

    ScannerView *View() const { return view_; }
    QWidget *Facts() const { return facts_; }
    QAction *ToggleAction() const { return toggle_; }

    // View, Scanner view and the profile choice, at the end of menu.
    void AddTo(QMenu *menu);

    void SetFrame(FramePoints points);
    void SetActive(bool on);
    bool Active() const { return toggle_->isChecked(); }
    void SetProfile(const scan::Profile &profile);

private:
    void UpdateFacts();

    QWidget *projectorView_;
    ScannerView *view_;
    QWidget *facts_;
    QLabel *profileValue_;
    QLabel *coverageValue_;
    QLabel *strayValue_;
    QLabel *stepsValue_;
    QLabel *timeValue_;
    QAction *toggle_;
    QActionGroup *profiles_;
    FramePoints points_;
    bool measured_ = false; // the facts show points_ under the view's profile
};

} // namespace player
