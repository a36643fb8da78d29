// The one place that turns the form's font names into installed fonts: the
// nearest Liberation or DejaVu face of the same character height (pixels)
// and weight.
#pragma once

#include <QFont>
#include <QString>

namespace toolkit {

// family as the form names it ("MS Sans Serif", "Small Fonts", "Courier
// New", "Times New Roman", "Orbit-B BT"); characterHeight in pixels.
QFont NearestFont(const QString &family, int characterHeight, bool bold);

// The installed family that stands in for a form's family name.
QString SubstituteFamily(const QString &family);

} // namespace toolkit
