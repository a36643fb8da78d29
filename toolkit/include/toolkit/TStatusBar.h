// A status bar showing one text, which can be repainted at once while a
// long step keeps the event loop from running.
#pragma once

#include <QStatusBar>
#include <QString>

class QLabel;

namespace toolkit {

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget *parent = nullptr);

    QString SimpleText() const;
    void SetSimpleText(const QString &text);

    // Paints the bar now, without waiting for the event loop.
    void RepaintNow();

private:
    QLabel *label_;
};

} // namespace toolkit
