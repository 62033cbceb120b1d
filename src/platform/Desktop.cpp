#include "platform/Desktop.h"

#include <glib.h>
#include <pango/pangocairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/app/SharedRoutines.h"
#include "core/records/FileOps.h"

int Px(float twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
float Tw(int pixels) { return static_cast<float>(pixels * kTwipsPerPixel); }

void OnPress(Gtk::Widget& widget, unsigned button, const std::function<void()>& action, Clicks clicks, bool swallow) {
  const GdkEventType type = clicks == Clicks::Double ? GDK_2BUTTON_PRESS : GDK_BUTTON_PRESS;
  widget.signal_button_press_event().connect(
      [=](GdkEventButton* e) {
        if (e->button != button) return false;
        if (e->type == type) action();
        return swallow;
      },
      false);
}

void AddStyle(const std::string& css) {
  static std::set<std::string> added;
  if (!added.insert(css).second) return;
  auto provider = Gtk::CssProvider::create();
  provider->load_from_data(css);
  Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                             GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void SetWidgetFont(Gtk::Widget& widget, const Pango::FontDescription& font) {
  static const char* const kKey = "skelvornax-font-provider";
  auto style = widget.get_style_context();
  if (auto* old = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(widget.gobj()), kKey)))
    gtk_style_context_remove_provider(style->gobj(), GTK_STYLE_PROVIDER(old));
  std::string css = "* { font-family: \"" + font.get_family() + "\";";
  if (font.get_size() > 0) css += " font-size: " + std::to_string(font.get_size() / PANGO_SCALE) + "pt;";
  css += font.get_weight() >= Pango::WEIGHT_BOLD ? " font-weight: bold; }" : " font-weight: normal; }";
  auto provider = Gtk::CssProvider::create();
  try {
    provider->load_from_data(css);
  } catch (const Glib::Error&) {
    return;  // a face name the style parser refuses leaves the widget as it was
  }
  style->add_provider(provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  // The widget keeps the provider, so that the next font replaces it.
  g_object_set_data_full(G_OBJECT(widget.gobj()), kKey, g_object_ref(provider->gobj()), g_object_unref);
}

bool RightPressSelectsRow(Gtk::TreeView& tree, GdkEventButton* event, const std::vector<int>& selected,
                          const std::function<void(int)>& select) {
  if (event->button != 3 || event->type != GDK_BUTTON_PRESS) return false;
  Gtk::TreeModel::Path path;
  if (tree.get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path) && !path.empty() &&
      std::find(selected.begin(), selected.end(), path[0]) == selected.end())
    select(path[0]);
  return true;
}

WorkArea PrimaryWorkArea() {
  WorkArea area;
  auto display = Gdk::Display::get_default();
  if (!display) return area;
  auto monitor = display->get_primary_monitor();
  if (!monitor) monitor = display->get_monitor(0);
  if (!monitor) return area;
  Gdk::Rectangle r;
  monitor->get_workarea(r);
  area = {r.get_x(), r.get_y(), r.get_width(), r.get_height()};
  return area;
}

std::vector<std::string> InstalledFonts() {
  std::vector<std::string> names;
  PangoFontMap* map = pango_cairo_font_map_get_default();
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(map, &families, &count);
  for (int i = 0; i < count; ++i) names.emplace_back(pango_font_family_get_name(families[i]));
  g_free(families);
  std::sort(names.begin(), names.end());
  return names;
}

std::string InterfaceFontFamily() {
  auto settings = Gtk::Settings::get_default();
  if (!settings) return "";
  return Pango::FontDescription(settings->property_gtk_font_name().get_value()).get_family();
}

int32_t TickCount() { return static_cast<int32_t>(static_cast<uint32_t>(g_get_monotonic_time() / 1000)); }

int CaptionHeight(Gtk::Window& window) {
  auto gdkWindow = window.get_window();
  if (!gdkWindow) return 23;
  Gdk::Rectangle frame;
  gdkWindow->get_frame_extents(frame);
  int x = 0, y = 0;
  gdkWindow->get_origin(x, y);
  const int height = y - frame.get_y();
  return height > 0 ? height : 23;
}
