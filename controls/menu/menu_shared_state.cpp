#include "controls/menu/menu_shared_state.h"

#include "controls/menu/menu_images.h"
#include "platform/os_version.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Set when the shared state below is made; a constant, so nothing runs for it at start-up.
bool g_sharedStateMade = false;

struct SharedMenuState {
    SharedMenuState() { g_sharedStateMade = true; }

    CSharedMenuImages images; // sized by the menu that adds the first image
    std::vector<const COwnerDrawMenu*> popups;
    MenuLookSwitches switches;
    int versionClass = RunningVersionClass();
    std::optional<bool> classicTheme;
};

SharedMenuState& Shared() {
    static SharedMenuState state;
    return state;
}

ColorRef ColorOf(const QPalette& palette, QPalette::ColorGroup group, QPalette::ColorRole role) {
    return ToColorRef(palette.color(group, role));
}

} // namespace

CSharedMenuImages& SharedMenuImages() {
    return Shared().images;
}

MenuLookSwitches& MenuSwitches() {
    return Shared().switches;
}

int MenuVersionClass() {
    return Shared().versionClass;
}

bool MenuClassicTheme() {
    std::optional<bool>& classic = Shared().classicTheme;
    if (!classic)
        classic = IsClassicThemeFile(CurrentThemeFile().value_or(QString()));
    return *classic;
}

void RegisterMenuPopup(const COwnerDrawMenu* popup) {
    Shared().popups.push_back(popup);
}

void UnregisterMenuPopup(const COwnerDrawMenu* popup) {
    std::vector<const COwnerDrawMenu*>& popups = Shared().popups;
    popups.erase(std::remove(popups.begin(), popups.end(), popup), popups.end());
}

bool IsRegisteredMenuPopup(const COwnerDrawMenu* menu) {
    const std::vector<const COwnerDrawMenu*>& popups = Shared().popups;
    return std::find(popups.begin(), popups.end(), menu) != popups.end();
}

bool MenuSharedStateMade() {
    return g_sharedStateMade;
}

QFont MenuFont() {
    return QApplication::font("QMenu");
}

MenuColors MenuSystemColors() {
    const QPalette palette = QApplication::palette("QMenu");
    const auto active = QPalette::Active;
    return MenuColors{
        ColorOf(palette, active, QPalette::Window),
        ColorOf(palette, active, QPalette::WindowText),
        ColorOf(palette, active, QPalette::Highlight),
        ColorOf(palette, active, QPalette::HighlightedText),
        ColorOf(palette, QPalette::Disabled, QPalette::WindowText),
        ColorOf(palette, active, QPalette::Button),
        ColorOf(palette, active, QPalette::Light),
        ColorOf(palette, active, QPalette::Dark),
        ColorOf(palette, active, QPalette::Base),
    };
}

MenuLook MenuScreenLook() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const bool palette = screen && screen->depth() <= 8;
    return ChooseMenuLook(palette, MenuVersionClass(), MenuClassicTheme(), MenuSwitches());
}

bool MenuXpVisualStyle() {
    return IsXpVisualStyle(MenuVersionClass(), MenuClassicTheme());
}
