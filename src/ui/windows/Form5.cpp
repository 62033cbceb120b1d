#include "ui/windows/Form5.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "core/app/Module1.h"
#include "core/app/ToolTips.h"
#include "core/sitelists/ListFiles.h"
#include "core/windows/FullScreenRules.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"
#include "ui/app/App.h"
#include "ui/app/OpenPagesKeeper.h"
#include "ui/browser/Form1.h"

namespace {
void PlayClick() { PlaySound(Module1().AppDir + "/Images/Click.wav"); }

void PictureButton(Gtk::Button& b, const char* icon, const std::string& name) {
  b.set_image_from_icon_name(icon, Gtk::ICON_SIZE_MENU);
  b.set_relief(Gtk::RELIEF_NONE);
  b.set_can_focus(false);  // the keys stay with the page
  b.get_accessible()->set_name(name);
}

void InstallStyle() {
  AddStyle(
      "#skelvornax-full button { padding: 0 3px; min-height: 0; min-width: 0; }"
      "#skelvornax-full .buttonrow { background: @theme_bg_color; border-bottom: 1px solid @borders; }"
      "#skelvornax-full .caption-active { background: @theme_selected_bg_color; }"
      "#skelvornax-full .caption-active label { color: @theme_selected_fg_color; }"
      "#skelvornax-full .caption-inactive { background: @insensitive_bg_color; }"
      "#skelvornax-full .caption-inactive label { color: @insensitive_fg_color; }"
      "#skelvornax-full .addpage { background: @theme_bg_color; border: 1px solid @borders; }");
}
}  // namespace

Form5::Form5(App& app, std::unique_ptr<WebBrowser> browser)
    : WebBrowser1(*browser), app_(app), browser_(std::move(browser)) {
  InstallStyle();
  set_name("skelvornax-full");
  set_title(std::string(kAppTitle) + " - Full Screen Window");
  // The button row is the window's title bar.
  set_decorated(false);
  BuildControls();
  ConnectEvents();
}

Form5::~Form5() = default;

void Form5::BuildControls() {
  const auto& t = Module1().ToolTipTexts;
  PictureButton(Picture2, "window-close-symbolic", t[tips::kFullClose]);
  PictureButton(Picture3, "list-add-symbolic", t[tips::kFullAddPage]);
  PictureButton(Picture5, "go-top-symbolic", t[tips::kFullDock]);
  PictureButton(Picture6, "view-refresh-symbolic", t[tips::kFullRefresh]);
  PictureButton(Picture7, "go-previous-symbolic", t[tips::kFullBack]);
  PictureButton(Picture8, "go-next-symbolic", t[tips::kFullForward]);
  Picture7.set_sensitive(false);
  Picture8.set_sensitive(false);
  Label1.set_ellipsize(Pango::ELLIPSIZE_END);
  Label1.set_xalign(0);
  Label1.set_margin_start(6);
  Picture4.add(Label1);
  Picture4.get_style_context()->add_class("caption-inactive");
  Picture4.get_accessible()->set_name(t[tips::kFullCaption]);
  row_.get_style_context()->add_class("buttonrow");
  row_.pack_start(Picture2, false, false);
  row_.pack_start(Picture3, false, false);
  row_.pack_start(Picture4, true, true);
  for (Gtk::Button* b : {&Picture5, &Picture6, &Picture8, &Picture7}) row_.pack_end(*b, false, false);

  // The add-page panel floats over the page.
  auto* heading = Gtk::manage(new Gtk::Label);
  heading->set_markup("<b>Add This Page To A Category</b>  (drag the frame to move it)");
  heading->set_xalign(0);
  auto* nameLabel = Gtk::manage(new Gtk::Label("_Name:", true));
  nameLabel->set_mnemonic_widget(Text1);
  auto* categoryLabel = Gtk::manage(new Gtk::Label("C_ategory:", true));
  categoryLabel->set_mnemonic_widget(ImageCombo2);
  for (Gtk::Label* l : {nameLabel, categoryLabel}) l->set_xalign(1);
  Text1.set_max_length(static_cast<int>(list_layout::kSiteNameWidth));
  Text1.set_width_chars(36);
  Command1.set_label("Cancel");
  Command1.set_halign(Gtk::ALIGN_END);
  Label2.set_xalign(0);
  Label2.set_line_wrap(true);
  Label2.set_max_width_chars(40);
  panelGrid_.set_border_width(8);
  panelGrid_.set_row_spacing(4);
  panelGrid_.set_column_spacing(6);
  panelGrid_.attach(*heading, 0, 0, 2, 1);
  panelGrid_.attach(*nameLabel, 0, 1, 1, 1);
  panelGrid_.attach(Text1, 1, 1, 1, 1);
  panelGrid_.attach(*categoryLabel, 0, 2, 1, 1);
  panelGrid_.attach(ImageCombo2, 1, 2, 1, 1);
  panelGrid_.attach(Label2, 0, 3, 2, 1);
  panelGrid_.attach(Command1, 1, 4, 1, 1);
  Picture1.add(panelGrid_);
  Picture1.get_style_context()->add_class("addpage");
  Picture1.set_halign(Gtk::ALIGN_START);
  Picture1.set_valign(Gtk::ALIGN_START);
  Picture1.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::POINTER_MOTION_MASK);
  Picture1.set_no_show_all(true);
  panelGrid_.show_all();
  MovePanel(Px(1500), Px(300));

  WebBrowser1.Widget().set_hexpand(true);
  WebBrowser1.Widget().set_vexpand(true);
  area_.add(WebBrowser1.Widget());
  area_.add_overlay(Picture1);
  box_.pack_start(row_, false, false);
  box_.pack_start(area_, true, true);
  add(box_);
}

void Form5::ConnectEvents() {
  Picture2.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Picture2_Click));
  Picture3.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Picture3_Click));
  Picture5.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Picture5_Click));
  Picture6.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Picture6_Click));
  Picture7.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Picture7_Click));
  Picture8.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Picture8_Click));
  Picture4.signal_button_press_event().connect(sigc::mem_fun(*this, &Form5::Picture4_MouseDown));
  ImageCombo2.signal_changed().connect(sigc::mem_fun(*this, &Form5::ImageCombo2_Click));
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form5::Command1_Click));
  Picture1.signal_button_press_event().connect(sigc::mem_fun(*this, &Form5::Picture1_MouseDown));
  Picture1.signal_motion_notify_event().connect(sigc::mem_fun(*this, &Form5::Picture1_MouseMove));
  Picture1.signal_button_release_event().connect(sigc::mem_fun(*this, &Form5::Picture1_MouseUp));
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form5::Form_KeyDown), false);
  // Esc goes to the page and the name box first; only a key they leave resets the layout.
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form5::Form_KeyUnhandled), true);
  signal_focus_in_event().connect(sigc::track_obj(
      [this](GdkEventFocus*) {
        Form_Activate();
        return false;
      },
      *this));
  signal_focus_out_event().connect(sigc::track_obj(
      [this](GdkEventFocus*) {
        Form_Deactivate();
        return false;
      },
      *this));
  // A close from the desktop (there is no title bar, but a key may ask) is Close.
  signal_delete_event().connect(sigc::track_obj(
      [this](GdkEventAny*) {
        Picture2_Click();
        return true;
      },
      *this));
  WebBrowser1.TitleChange.connect(sigc::mem_fun(*this, &Form5::WebBrowser1_TitleChange));
  WebBrowser1.DownloadComplete.connect([this] { app_.OpenPages().Changed(); });
  WebBrowser1.CommandStateChange.connect(sigc::mem_fun(*this, &Form5::WebBrowser1_CommandStateChange));
  WebBrowser1.ReadyToShow.connect([this] { present(); });
  WebBrowser1.WindowClosing.connect(sigc::mem_fun(*this, &Form5::Picture2_Click));
  WebBrowser1.NewWindow2 = [this] { return WebBrowser1_NewWindow2(); };
}

void Form5::Form_Load() {
  CoverWorkArea();
  F5ToolT();
  ShowTextSize();
}

void Form5::CoverWorkArea() {
  const WorkArea a = PrimaryWorkArea();
  move(a.x, a.y);
  set_default_size(a.width, a.height);
  resize(a.width, a.height);
}

void Form5::ShowPage(const std::string& url) {
  if (!url.empty()) WebBrowser1.Navigate(url);
  show_all();
  present();
}

void Form5::ShowTextSize() { WebBrowser1.SetTextSize(Module1().TextSizeLevel); }

void Form5::F5ToolT() {
  const Module1State& m = Module1();
  const auto& t = m.ToolTipTexts;
  const bool off = m.Working.NoToolTips != 0;
  auto tip = [off](Gtk::Widget& w, const std::string& text) { w.set_tooltip_text(off ? "" : text); };
  tip(Picture2, t[tips::kFullClose]);
  tip(Picture3, t[tips::kFullAddPage]);
  tip(Picture4, pageTitle_ + " - " + t[tips::kFullCaption]);
  tip(Picture5, t[tips::kFullDock]);
  tip(Picture6, t[tips::kFullRefresh]);
  tip(Picture7, t[tips::kFullBack]);
  tip(Picture8, t[tips::kFullForward]);
}

void Form5::Form_Activate() {
  auto style = Picture4.get_style_context();
  style->remove_class("caption-inactive");
  style->add_class("caption-active");
  ShowTextSize();
}

void Form5::Form_Deactivate() {
  auto style = Picture4.get_style_context();
  style->remove_class("caption-active");
  style->add_class("caption-inactive");
}

bool Form5::CaptionActive() const { return Picture4.get_style_context()->has_class("caption-active"); }

bool Form5::Form_KeyDown(GdkEventKey* key) {
  if (key->keyval == GDK_KEY_F5) {
    Picture6_Click();
    return true;
  }
  return false;
}

bool Form5::Form_KeyUnhandled(GdkEventKey* key) {
  if (key->keyval != GDK_KEY_Escape) return false;
  ResetLayout();
  return true;
}

// The panel cleared and the window put back over the work area as it opened.
void Form5::ResetLayout() {
  HidePanel();
  auto w = get_window();
  if (w && (w->get_state() & Gdk::WINDOW_STATE_ICONIFIED)) deiconify();
  if (w && (w->get_state() & Gdk::WINDOW_STATE_MAXIMIZED)) unmaximize();
  CoverWorkArea();
}

// "Close": the layout reset and the window closed until it is asked for
// again; its page is left for the blank page, so nothing plays on unseen.
void Form5::Picture2_Click() {
  PlayClick();
  ResetLayout();
  hide();
  WebBrowser1.Navigate(Module1().DefPagePath);
}

void Form5::HidePanel() {
  Picture1.hide();
  filling_ = true;
  ImageCombo2.remove_all();
  filling_ = false;
  Label2.set_text("");
}

void Form5::Picture3_Click() {
  PlayClick();
  const auto categories = ReadCategories(Module1().CatListPath);
  if (categories.empty()) {
    MsgBox(kNoCategoriesText, MsgButtons::Ok, this);
    return;
  }
  filling_ = true;
  ImageCombo2.remove_all();
  for (std::size_t i = 0; i < categories.size(); ++i)
    ImageCombo2.append("C" + std::to_string(i + 1), categories[i].Name);
  ImageCombo2.set_active(-1);
  filling_ = false;
  Text1.set_text(pageTitle_);
  Label2.set_text("");
  Picture1.show();
  Text1.grab_focus();
}

void Form5::ImageCombo2_Click() {
  if (filling_) return;
  const int selected = ImageCombo2.get_active_row_number();
  if (selected < 0) return;  // the list was emptied
  PlayClick();
  AddPagePanel panel;
  panel.itemCount = static_cast<int>(ImageCombo2.get_model()->children().size());
  panel.selected = selected;
  panel.selectedText = ImageCombo2.get_active_text();
  const Glib::ustring key = ImageCombo2.get_active_id();
  if (!key.empty()) panel.selectedKey = key;
  panel.separateSelectors = Module1().Working.SeparateSelectors == 1;
  const std::string problem = AddPageCheck(panel);
  if (!problem.empty()) {
    MsgBox(problem, MsgButtons::Ok, this);
    return;
  }
  const Module1State& m = Module1();
  const AddPageResult added =
      AddPageToCategory(m.CatListPath, m.SiteListsDir, selected, Text1.get_text(), WebBrowser1.LocationURL());
  if (!added.message.empty()) {
    MsgBox(added.message, MsgButtons::Ok, this);
    return;
  }
  Label2.set_text("Added As \"" + added.storedName + "\" To " + panel.selectedText + ".");
  app_.SiteFileChanged(added.fileNumber);
  // Nothing stays chosen, so choosing the same category again adds again.
  filling_ = true;
  ImageCombo2.set_active(-1);
  filling_ = false;
}

void Form5::Command1_Click() { HidePanel(); }

bool Form5::Picture4_MouseDown(GdkEventButton* e) {
  if (e->button != 1 || e->type != GDK_BUTTON_PRESS) return false;
  begin_move_drag(static_cast<int>(e->button), static_cast<int>(e->x_root), static_cast<int>(e->y_root), e->time);
  return true;
}

void Form5::Picture5_Click() {
  PlayClick();
  const WorkArea a = PrimaryWorkArea();
  move(a.x, a.y);
}

void Form5::Picture6_Click() {
  PlayClick();
  if (!WebBrowser1.LocationURL().empty()) WebBrowser1.Refresh2(1);
}

void Form5::Picture7_Click() {
  PlayClick();
  WebBrowser1.GoBack();
}

void Form5::Picture8_Click() {
  PlayClick();
  WebBrowser1.GoForward();
}

// The panel is dragged by its frame, anywhere inside the page area.
bool Form5::Picture1_MouseDown(GdkEventButton* e) {
  if (e->button != 1 || e->type != GDK_BUTTON_PRESS) return false;
  dragging_ = true;
  dragX_ = e->x_root;
  dragY_ = e->y_root;
  PanelPosition(panelX_, panelY_);
  return true;
}

bool Form5::Picture1_MouseMove(GdkEventMotion* e) {
  if (!dragging_) return false;
  MovePanel(panelX_ + static_cast<int>(e->x_root - dragX_), panelY_ + static_cast<int>(e->y_root - dragY_));
  return true;
}

bool Form5::Picture1_MouseUp(GdkEventButton* e) {
  if (!dragging_ || e->button != 1) return false;
  dragging_ = false;
  return true;
}

void Form5::PanelPosition(int& x, int& y) const {
  x = Picture1.get_margin_start();
  y = Picture1.get_margin_top();
}

void Form5::MovePanel(int x, int y) {
  // Kept whole inside the page area, when the area is known.
  const int maxX = area_.get_allocated_width() - Picture1.get_allocated_width();
  const int maxY = area_.get_allocated_height() - Picture1.get_allocated_height();
  if (maxX > 0) x = std::min(x, maxX);
  if (maxY > 0) y = std::min(y, maxY);
  Picture1.set_margin_start(std::max(0, x));
  Picture1.set_margin_top(std::max(0, y));
}

void Form5::WebBrowser1_TitleChange(const std::string& text) {
  pageTitle_ = text;
  Label1.set_text(text);
  if (Module1().Working.NoToolTips == 0)
    Picture4.set_tooltip_text(text + " - " + Module1().ToolTipTexts[tips::kFullCaption]);
}

void Form5::WebBrowser1_CommandStateChange(int command, bool enable) {
  if (command == kCommandForward) Picture8.set_sensitive(enable);
  if (command == kCommandBack) Picture7.set_sensitive(enable);
}

// The page does not get another full-screen window but a main window,
// up and left of the last one.
WebBrowser* Form5::WebBrowser1_NewWindow2() {
  Module1State& m = Module1();
  if (m.MsgBoxOpen != 0) return nullptr;
  m.Working.MainLeft = FullScreenCascadeStep(m.Working.MainLeft);
  m.Working.MainTop = FullScreenCascadeStep(m.Working.MainTop);
  return &app_.OpenMainWindow(WebBrowser1.CreateRelated()).WebBrowser1;
}

void Form5::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  hide();
  app_.FullScreenUnloaded();
}
