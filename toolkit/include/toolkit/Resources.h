// Bitmap resources compiled into the program (Qt resources), found by
// their base name without regard to case: "LEVOSCROLLBAR" finds
// ":/bitmaps/levoScrollBar.bmp".
#pragma once

#include <QImage>
#include <QString>

namespace toolkit {

// The bitmap, or a null image when no resource has that name.
QImage LoadBitmapResource(const QString &name);

} // namespace toolkit
