// What the desktop tells about itself: screen, fonts, clock, event loop.
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kTwipsPerPixel = 15;
int Px(float twips);  // nearest pixel
float Tw(int pixels);

// Runs `action` when mouse button `button` is pressed on the widget (or
// double-clicked); `swallow` keeps the widget from seeing the press.
enum class Clicks { Single, Double };
void OnPress(Gtk::Widget& widget, unsigned button, const std::function<void()>& action, Clicks clicks = Clicks::Single,
             bool swallow = false);

// Adds window styling for the whole screen; the same text only once.
void AddStyle(const std::string& css);
// Sets the font of one widget (through its style, replacing a font set before).
void SetWidgetFont(Gtk::Widget& widget, const Pango::FontDescription& font);

// A button's or menu item's label, set only when it differs: setting even the
// same text rebuilds the label and lays the whole window out again, which
// timers that show a state every few seconds would pay each time.
template <typename Labelled>
void ShowLabel(Labelled& widget, const Glib::ustring& text) {
  if (widget.get_label() != text) widget.set_label(text);
}

// Right-clicking a row of a list selects it, unless it is already part of a
// selection: the row menu then acts on what the user pointed at. True when
// the press was a right press (the list's own handling is then skipped).
bool RightPressSelectsRow(Gtk::TreeView& tree, GdkEventButton* event, const std::vector<int>& selected,
                          const std::function<void(int)>& select);

struct WorkArea {
  int x = 0, y = 0, width = 1280, height = 1024;  // pixels
};
WorkArea PrimaryWorkArea();

// Pango's font families, sorted.
std::vector<std::string> InstalledFonts();
// The family of the desktop's interface font.
std::string InterfaceFontFamily();

// Milliseconds since boot as a signed 32-bit counter that wraps.
int32_t TickCount();

// Height of a window's title bar from its frame; 23 px when unknown.
int CaptionHeight(Gtk::Window& window);
