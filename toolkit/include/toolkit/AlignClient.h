// Client alignment shared by the panel and the paint box: keeps a control
// filling its parent's client area, now and whenever the parent is resized.
// Each control places itself: the panel keeps sizes that go negative, the
// paint box resizes its image.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace toolkit {

class TAlignClient : public QObject {
public:
    // fill places control on the client area of the parent it is handed.
    TAlignClient(QWidget &control, std::function<void(QWidget &parent)> fill);

    bool Enabled() const { return enabled_; }
    // Starts or stops following the parent; starting fills it at once.
    void SetEnabled(bool fill);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillParent();

    QWidget &control_;
    std::function<void(QWidget &parent)> fill_;
    bool enabled_ = false;
};

} // namespace toolkit
