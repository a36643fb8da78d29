#include "toolkit/TStatusBar.h"

#include <QLabel>

namespace toolkit {

TStatusBar::TStatusBar(QWidget *parent)
    : QStatusBar(parent), label_(new QLabel(this))
{
    label_->setObjectName(QStringLiteral("SimpleText"));
    label_->setTextFormat(Qt::PlainText);
    addWidget(label_, 1);
}

QString TStatusBar::SimpleText() const
{
    return label_->text();
}

void TStatusBar::SetSimpleText(const QString &text)
{
    label_->setText(text);
}

void TStatusBar::RepaintNow()
{
    repaint();
    label_->repaint();
}

} // namespace toolkit
