#include "platform/StatusBar.h"

StatusBar::StatusBar(int panels) : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 0) {
  for (int i = 1; i <= panels; ++i) {
    auto p = std::make_unique<Panel>();
    p->text.set_xalign(0);
    p->text.set_ellipsize(Pango::ELLIPSIZE_END);
    p->inner.pack_start(p->picture, false, false);
    p->inner.pack_start(p->text, true, true);
    p->frame.set_shadow_type(Gtk::SHADOW_IN);
    p->frame.add(p->inner);
    p->box.add(p->frame);
    p->box.signal_button_press_event().connect([this, i](GdkEventButton* e) {
      if (e->type == GDK_BUTTON_PRESS && e->button == 1) PanelClick.emit(i);
      if (e->type == GDK_2BUTTON_PRESS && e->button == 1) PanelDblClick.emit(i);
      if (e->type == GDK_BUTTON_PRESS && e->button == 3) RightPress.emit();
      return false;
    });
    pack_start(p->box, i == 1, true);
    panels_.push_back(std::move(p));
  }
}

StatusBar::Panel& StatusBar::At(int panel) const { return *panels_.at(static_cast<std::size_t>(panel - 1)); }

// Each setter leaves a panel alone when it already shows the same: a label,
// tip or picture set anew lays the whole window out again, and timers set
// them every few seconds.
void StatusBar::SetText(int panel, const std::string& text) {
  Gtk::Label& label = At(panel).text;
  if (label.get_text() != text) label.set_text(text);
}
std::string StatusBar::Text(int panel) const { return At(panel).text.get_text(); }
void StatusBar::SetWidth(int panel, int pixels) { At(panel).box.set_size_request(std::max(pixels, 1), -1); }
void StatusBar::SetToolTip(int panel, const std::string& text) {
  Gtk::EventBox& box = At(panel).box;
  if (box.get_tooltip_text() != text) box.set_tooltip_text(text);
}

void StatusBar::SetPicture(int panel, const std::string& iconName) {
  Panel& p = At(panel);
  if (p.pictureName == iconName) return;
  p.pictureName = iconName;
  if (iconName.empty())
    p.picture.clear();
  else
    p.picture.set_from_icon_name(iconName, Gtk::ICON_SIZE_MENU);
}

std::string StatusBar::Picture(int panel) const { return At(panel).pictureName; }

int StatusBar::PanelLeft(int panel) const { return At(panel).box.get_allocation().get_x() - get_allocation().get_x(); }
