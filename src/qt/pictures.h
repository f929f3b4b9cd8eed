// The pictures that belong to the windows themselves rather than to a skin:
// the two flags, the "MOD FOLDER:" caption and the progress window's stages.
// They are painted once at start.
#pragma once

#include <QPixmap>
#include <QString>

namespace tunebelt::qt {

QPixmap unionFlagPicture();   // 25 x 14
QPixmap germanFlagPicture();  // 25 x 14

// Words in widely spaced white capitals, centred on accent orange; `lit` is
// the bold, glowing face of the current stage.
QPixmap wordsPicture(const QString& words, int width, int height, bool lit = false);

}  // namespace tunebelt::qt
