// Loads a skin folder's fourteen pictures into the main window and chains
// the button row after the pictures' real sizes.
#pragma once

#include <QString>

class QWidget;

namespace tunebelt::qt {

// `window` holds the skinned controls (found by name); the pictures come from
// applicationFolder + "/background/" + skin + "/". A picture that cannot be
// loaded leaves its control's picture and size as they were; the remaining
// pictures and the placement still happen.
void LoadSkin(QWidget* window, const QString& skin, const QString& applicationFolder);

}  // namespace tunebelt::qt
