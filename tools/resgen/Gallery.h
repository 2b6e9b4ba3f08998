// The review picture: every sheet on one canvas with labels, scaled up where small, the
// key-colour sprites shown see-through, a table assembled from the pieces at their real
// places, the map layouts and the sound wave shapes.
#pragma once
#include <QImage>
#include <QString>
#include <vector>

#include "tools/resgen/ResGenerator.h"

namespace Gallery {

QImage Draw(const std::vector<ResEntry>& entries);

// The table window as the pieces put together make it, 800 x 600.
QImage TablePreview(const std::vector<ResEntry>& entries);

}  // namespace Gallery
