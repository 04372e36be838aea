#pragma once

#include "controls/drawing/menu_drawing.h"

#include <QFont>

class COwnerDrawMenu;
class CSharedMenuImages;

// What every owner-drawn menu of a process shares: the image list of the commands, the popups that
// menus made, the look switches, and the system's version class (platform/os_version.h) and theme,
// each found once. Made on first use, never while the program starts: as a global it would be built
// before the application object, in no set order with other globals. UI thread only.
CSharedMenuImages& SharedMenuImages();
MenuLookSwitches& MenuSwitches();
int MenuVersionClass();
bool MenuClassicTheme();
// A popup appended by some menu and still alive; the image button asks whether a menu is one.
void RegisterMenuPopup(const COwnerDrawMenu* popup);
void UnregisterMenuPopup(const COwnerDrawMenu* popup);
bool IsRegisteredMenuPopup(const COwnerDrawMenu* menu);
// True once something above has been needed.
bool MenuSharedStateMade();

// The system's menu font and colours, as they are now.
QFont MenuFont();
MenuColors MenuSystemColors();
// The look of items on the screen.
MenuLook MenuScreenLook();
// Windows XP with a visual style: the flat look's band and shadows follow the theme.
bool MenuXpVisualStyle();
