// Form1: lifecycle, layout, toolbar hiding and the check boxes.
#include "ui/browser/Form1.h"

#include <algorithm>
#include <cmath>

#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/app/StartupTrace.h"
#include "core/app/ToolTips.h"
#include "core/browser/MainWindowRules.h"
#include "core/browser/MenuCommands.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ModalLoop.h"
#include "ui/app/App.h"
#include "ui/app/ListFont.h"

using namespace form1_layout;

namespace {

constexpr unsigned kTimer2Ms = 2000, kTimer3Ms = 1000;
// The close sequence leaves the page for the blank page and gives it this
// long to stop before the window goes.
constexpr unsigned kLeavePageMs = 750;
// How many more such pauses the close gives cancelled downloads to end.
constexpr int kDownloadEndWaits = 8;

// Compact controls: the toolbar is laid out to the twip, like the lists.
void InstallStyle() {
  AddStyle(
      "#skelvornax-main button { padding: 0 2px; min-height: 0; min-width: 0; font-size: 8pt; }"
      "#skelvornax-main entry { min-height: 0; padding: 0 3px; font-size: 9pt; }"
      "#skelvornax-main checkbutton { padding: 0; min-height: 0; }"
      "#skelvornax-main .strip { padding: 0; border-radius: 0; }"
      "#skelvornax-main .toolbar { background: linear-gradient(#f4f4f4, #dcdcdc); }"
      "#skelvornax-main .statusbar label { font-size: 8pt; }"
      "#skelvornax-main entry.timer-off { background: @theme_bg_color; }"
      "#skelvornax-main .history-off image { color: #d01010; }"
      "#skelvornax-main .question-bar { background: #fff4c2; border-bottom: 1px solid #d8c26a; }"
      // No theme minimum width: the bar keeps to its place left of the clock.
      "#skelvornax-main progressbar trough, #skelvornax-main progressbar progress { min-height: 10px; }");
}

void SetIcon(Gtk::Button& b, const char* icon) {
  b.set_image_from_icon_name(icon, Gtk::ICON_SIZE_MENU);
  b.set_always_show_image(true);
}

}  // namespace

Form1::Form1(App& app, std::unique_ptr<WebBrowser> browser)
    : WebBrowser1(*browser),
      Command1("Go"),
      Command5("List"),
      Command6("iNet"),
      Command9("History"),
      Command12("Stop"),
      FindBar1(*browser),
      app_(app),
      browser_(std::move(browser)) {
  // The settings loader already keeps these fields within their ranges.
  const Settings& s = Module1().Working;
  timerSwap_ = s.TimerSwapMode == 1 ? 1 : 0;
  cycleMode12_ = std::clamp<int16_t>(s.CycleMode12, 0, 2);
  cycleMode9_ = std::clamp<int16_t>(s.CycleMode9, 0, 2);
  LoadStartPage();
  InstallStyle();
  set_name("skelvornax-main");
  set_title(kAppTitle);
  BuildControls();
  if (WebBrowser1.IsPrivate()) ShowPrivateCue();
  BuildMenu();
  ConnectEvents();
  ConnectRefreshEvents();
  ConnectStatusEvents();
  ConnectPopupEvents();
  ConnectPromptEvents();
  ConnectBrowser();
  ConnectCompletion();
}

Form1::~Form1() {
  for (auto* c : {&timer1_, &timer2_, &timer3_, &timer4_, &closeTimer_, &repeatTimer_, &permissionTimer_})
    c->disconnect();
  StopTimer5();
}

void Form1::BuildControls() {
  SetIcon(Command2, "view-refresh-symbolic");
  SetIcon(Command3, "go-previous-symbolic");
  SetIcon(Command4, "go-next-symbolic");
  SetIcon(Command14, "pan-down-symbolic");
  SetIcon(Command15, "pan-down-symbolic");
  Command8.set_label("Menu");
  Command8.set_relief(Gtk::RELIEF_NORMAL);
  Command10.set_label("-");
  Command11.set_label("+");
  Command13.set_label("\u2194");
  Command3.set_sensitive(false);
  Command4.set_sensitive(false);
  Command7.get_style_context()->add_class("strip");
  Command7.set_can_focus(false);
  Picture1.get_style_context()->add_class("toolbar");
  StatusBar1.get_style_context()->add_class("statusbar");
  for (Gtk::Entry* e : {&Text2, &Text3}) {
    e->set_alignment(Gtk::ALIGN_CENTER);
    e->set_editable(false);
    e->set_width_chars(1);
  }
  Text1.set_width_chars(1);
  auto* label3Text = Gtk::manage(new Gtk::Label("\u22ee"));
  Label3.add(*label3Text);
  ProgressBar1.set_no_show_all(true);
  LabelMyId.set_text(MakeWindowId());
  LabelMyId.set_no_show_all(true);
  ListView2.set_no_show_all(true);
  ListView1.set_no_show_all(true);

  // Later children are drawn above earlier ones: the lists drop over the page.
  for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&WebBrowser1.Widget(),
                                                            &Picture1,
                                                            &Command7,
                                                            &Command8,
                                                            &Command6,
                                                            &Text2,
                                                            &Command10,
                                                            &Command11,
                                                            &Text3,
                                                            &Command12,
                                                            &Command9,
                                                            &Command13,
                                                            &Command5,
                                                            &Command2,
                                                            &Command3,
                                                            &Command4,
                                                            &Check1,
                                                            &Check2,
                                                            &Label3,
                                                            &Command14,
                                                            &Text1,
                                                            &Command15,
                                                            &Command1,
                                                            &StatusBar1,
                                                            &ProgressBar1,
                                                            &LabelMyId})
    Form.put(*w, 0, 0);
  Form.set_size_request(Px(kMinWidth), Px(kMinHeight));
  FormArea.add(Form);
  // The lists drop over the page, so they live in a layer of their own.
  for (ListView* list : {&ListView2, &ListView1}) {
    list->set_halign(Gtk::ALIGN_START);
    list->set_valign(Gtk::ALIGN_START);
    FormArea.add_overlay(*list);
  }
  FindBar1.set_halign(Gtk::ALIGN_END);
  FindBar1.set_valign(Gtk::ALIGN_START);
  FormArea.add_overlay(FindBar1);
  FormArea.add_overlay(ReopenBar1);
  add(FormArea);
}

void Form1::ConnectEvents() {
  signal_focus_in_event().connect(sigc::track_obj(
      [this](GdkEventFocus*) {
        Form_Activate();
        return false;
      },
      *this));
  signal_delete_event().connect(sigc::track_obj(
      [this](GdkEventAny*) {
        Form_QueryUnload();
        return true;
      },
      *this));
  signal_key_press_event().connect(sigc::mem_fun(*this, &Form1::Form_KeyDown), false);
  Form.signal_size_allocate().connect(sigc::track_obj(
      [this](Gtk::Allocation& a) {
        if (a.get_width() == lastWidth_ && a.get_height() == lastHeight_) return;
        lastWidth_ = a.get_width();
        lastHeight_ = a.get_height();
        // Moving children inside an allocation is not allowed; do it right after.
        Glib::signal_idle().connect_once(sigc::mem_fun(*this, &Form1::Form_Resize));
      },
      *this));
  Command1.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command1_Click));
  Command2.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command2_Click));
  Command3.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command3_Click));
  Command4.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command4_Click));
  Command5.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command5_Click));
  Command7.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command7_Click));
  Command7.signal_enter_notify_event().connect([this](GdkEventCrossing*) {
    Command7_MouseMove();
    return false;
  });
  // A pointer that stayed on the strip through the guard second shows the
  // toolbar as soon as it moves.
  Command7.add_events(Gdk::POINTER_MOTION_MASK);
  Command7.signal_motion_notify_event().connect([this](GdkEventMotion*) {
    Command7_MouseMove();
    return false;
  });
  Command8.signal_toggled().connect(sigc::mem_fun(*this, &Form1::Command8_Toggled));
  // A closed find bar gives the page the keys again.
  FindBar1.Closed.connect([this] { WebBrowser1.Widget().grab_focus(); });
  Command14.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command14_Click));
  Command15.signal_clicked().connect(sigc::mem_fun(*this, &Form1::Command14_Click));
  OnPress(
      Label3, 1, [this] { Label3_Click(); }, Clicks::Single, true);
  Text1.signal_key_press_event().connect(sigc::mem_fun(*this, &Form1::Text1_KeyPress), false);
  ListView2.Click.connect(sigc::mem_fun(*this, &Form1::ListView2_Click));
  ListView1.Click.connect(sigc::mem_fun(*this, &Form1::ListView1_Click));
  ListView1.ColumnClick.connect([this](int) { ListView_ColumnClick(DeferredAction::HideSiteList); });
  ListView2.ColumnClick.connect([this](int) { ListView_ColumnClick(DeferredAction::HideCategoryList); });
  for (ListView* list : {&ListView1, &ListView2}) {
    list->Tree().signal_focus_in_event().connect(sigc::track_obj(
        [this](GdkEventFocus*) {
          selectorInUse_ = true;
          return false;
        },
        *this));
    list->Tree().signal_focus_out_event().connect(sigc::track_obj(
        [this](GdkEventFocus*) {
          Glib::signal_idle().connect_once(sigc::mem_fun(*this, &Form1::ListView_LostFocus));
          return false;
        },
        *this));
  }
}

// The first window of a run (or one opened for a new start) asks for its
// page before it builds anything: the engine starts its processes meanwhile.
// The page's events arrive from the main loop, after the window is built.
void AskForStartPage(WebBrowser& browser) {
  Module1State& m = Module1();
  if (m.StartPageFlag != 0) return;
  m.StartPageFlag = 1;
  const std::string& first = m.CommandLineArg.empty() ? m.Working.StartPage : m.CommandLineArg;
  if (!first.empty()) browser.Navigate(first);
}

void Form1::LoadStartPage() { AskForStartPage(WebBrowser1); }

void Form1::F1ToolT() {
  const Module1State& m = Module1();
  const Settings& s = m.Working;
  const auto& t = m.ToolTipTexts;
  const bool off = s.NoToolTips != 0;
  auto tip = [off](Gtk::Widget& w, const std::string& text) { w.set_tooltip_text(off ? "" : text); };
  tip(Command8, t[tips::kMenu]);
  tip(Command6, t[tips::kConnection]);
  tip(Text2, Text2.get_text() + t[tips::kRefreshInterval]);
  tip(Command10, t[tips::kIntervalButtons]);
  tip(Command11, t[tips::kIntervalButtons]);
  tip(Text3, t[tips::kMinutesLeft]);
  tip(Command5, t[tips::kListEditor]);
  tip(Command2, t[tips::kRefresh]);
  tip(Command3, t[tips::kBack]);
  tip(Command4, t[tips::kForward]);
  tip(Command7, t[tips::kToolbarStrip]);
  tip(Text1, t[tips::kAddressBox]);
  tip(Command14, t[tips::kSelector]);
  tip(Command15, t[tips::kSelector]);
  tip(Command1, t[tips::kGo]);
  tip(Check1, t[tips::kNewWindowBox]);
  tip(Check2, t[tips::kFullScreenBox]);
  tip(Command13, t[tips::kSwapButtons]);
  tip(Label3, t[tips::kCheckBoxToggle]);
  StatusBar1.SetToolTip(2, off ? "" : t[tips::kClock]);
  StatusBar1.SetToolTip(1, off ? "" : t[tips::kHistoryLogging]);
  const int mode12 = cycleMode12_, mode9 = cycleMode9_;
  tip(Command12, t[tips::kCycle12First + mode12]);
  tip(Command9, t[tips::kCycle9First + mode9]);
  static const char* const kCaptions12[] = {"Stop", "Find", "Full"};
  static const char* const kCaptions9[] = {"History", "Mail", "Offline"};
  ShowLabel(Command12, kCaptions12[mode12]);
  ShowLabel(Command9, kCaptions9[mode9]);
  // The program entries are named as the options name the programs.
  ShowLabel(mnuWinMessenger, NameCaption(s.MessengerName));
  ShowLabel(mnuOutlookExp, NameCaption(s.MailName));
}

void Form1::Form_Load() {
  startuptrace::MarkOnce("first window made");
  Module1State& m = Module1();
  const Settings& s = m.Working;

  mnuStatusBar.set_active(s.StatusBarHidden == 0);
  statusAllowance_ = s.StatusBarHidden == 0 ? 0 : kStatusAllowance;
  checkBoxAllowance_ = s.CheckBoxesToggle == 0 ? kCheckBoxAllowance : 0;
  if (app_.MainWindows().size() == 1) PlaceFirstWindow();
  move(Px(s.MainLeft), Px(s.MainTop));
  set_default_size(Px(s.MainWidth), Px(s.MainHeight));
  ApplyListFont();
  FillSelectors();
  ListView1.SetColumnCaptions({"Web Page Names", "URL Addresses"});
  ShowPopupModes();
  ApplyLayout();
  const float listWidth = layout_.Command15.right() - layout_.Command14.left;
  const int fallback = Px((listWidth - 300) / 2);
  ListView1.SetColumnWidth(0, s.SelColWidth[0] > 0 ? Px(s.SelColWidth[0]) : fallback);
  ListView1.SetColumnWidth(1, s.SelColWidth[1] > 0 ? Px(s.SelColWidth[1]) : fallback);
  ListView2.SetColumnWidth(0, s.SelColWidth[2] > 0 ? Px(s.SelColWidth[2]) : fallback);
  ListView2.SetColumnWidth(1, s.SelColWidth[3] > 0 ? Px(s.SelColWidth[3]) : fallback);
  F1ToolT();
  ShowAddInEntries();
  ShowTextSize();
  timer2_ =
      Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form1::Timer2_Timer), true), kTimer2Ms);
  startuptrace::MarkOnce("first window filled");
  show_all();
  ShowToolbar(true);
}

// A fresh profile saved no size: the first window gets a useful one, and the
// windows after it cascade from there.
void Form1::PlaceFirstWindow() {
  Settings& s = Module1().Working;
  const WorkArea a = PrimaryWorkArea();
  if (const auto r = FirstWindowRect(s.MainWidth, s.MainHeight, {Tw(a.x), Tw(a.y), Tw(a.width), Tw(a.height)})) {
    s.MainLeft = r->left;
    s.MainTop = r->top;
    s.MainWidth = r->width;
    s.MainHeight = r->height;
  }
}

void Form1::Form_Activate() {
  Module1().ActiveMainWindowId = LabelMyId.get_text();
  ShowHistoryPicture();
  F1ToolT();
  SedUpTimerButtons(0);
  ShowConnection();
  ShowAddInEntries();
  ShowTextSize();
}

void Form1::ApplyListFont() {
  const Pango::FontDescription font = ListFont(Module1().Working);
  ListView1.SetFont(font);
  ListView2.SetFont(font);
  SetWidgetFont(Text1, font);
  auto layout = create_pango_layout("Whadever");
  layout->set_font_description(font);
  int w = 0, h = 0;
  layout->get_pixel_size(w, h);
  rowHeightUnit_ = Tw(std::max(h, 1));
}

float Form1::InnerWidth() const {
  if (innerWidthOverride_ > 0) return innerWidthOverride_;
  const int w = Form.get_allocated_width();
  return Tw(w > 1 ? w : Px(Module1().Working.MainWidth));
}

float Form1::InnerHeight() const {
  if (innerHeightOverride_ > 0) return innerHeightOverride_;
  const int h = Form.get_allocated_height();
  return Tw(h > 1 ? h : Px(Module1().Working.MainHeight));
}

void Form1::SetInnerSizeForTest(float widthTwips, float heightTwips) {
  innerWidthOverride_ = widthTwips;
  innerHeightOverride_ = heightTwips;
  Form_Resize();
}

void Form1::Place(Gtk::Widget& w, const TwipRect& r) {
  Form.move(w, Px(r.left), Px(r.top));
  w.set_size_request(std::max(Px(r.width), 1), std::max(Px(r.height), 1));
}

TwipRect Form1::PlacedRect(Gtk::Widget& w) const {
  int width = 0, height = 0;
  w.get_size_request(width, height);
  if (w.get_parent() != &Form) return {Tw(w.get_margin_start()), Tw(w.get_margin_top()), Tw(width), Tw(height)};
  auto& form = const_cast<Gtk::Layout&>(Form);
  return {Tw(form.child_property_x(w)), Tw(form.child_property_y(w)), Tw(width), Tw(height)};
}

void Form1::ApplyLayout() {
  Form1LayoutState state;
  state.innerWidth = std::max(InnerWidth(), kMinWidth);
  state.innerHeight = std::max(InnerHeight(), kMinHeight);
  state.checkBoxesHidden = checkBoxAllowance_ > 0;
  state.toolbarHidden = toolbarOffset_ > 0;
  state.statusBarHidden = statusAllowance_ > 0;
  layout_ = ComputeForm1Layout(state);
  const Form1Layout& l = layout_;
  Place(WebBrowser1.Widget(), l.Browser);
  Place(Picture1, l.Picture1);
  Place(Command7, l.Command7);
  const std::pair<Gtk::Widget*, const TwipRect*> row[] = {
      {&Command8, &l.Command8},   {&Command6, &l.Command6}, {&Text2, &l.Text2},         {&Command10, &l.Command10},
      {&Command11, &l.Command11}, {&Text3, &l.Text3},       {&Command12, &l.Command12}, {&Command9, &l.Command9},
      {&Command13, &l.Command13}, {&Command5, &l.Command5}, {&Command2, &l.Command2},   {&Command3, &l.Command3},
      {&Command4, &l.Command4},   {&Check1, &l.Check1},     {&Check2, &l.Check2},       {&Label3, &l.Label3},
      {&Command14, &l.Command14}, {&Text1, &l.Text1},       {&Command15, &l.Command15}, {&Command1, &l.Command1}};
  for (const auto& [widget, rect] : row) Place(*widget, *rect);
  Place(StatusBar1, l.StatusBar1);
  StatusBar1.SetWidth(1, Px(l.Panel1Width));
  StatusBar1.SetWidth(2, Px(1410));
  StatusBar1.SetWidth(3, Px(1410));
  StatusBar1.SetWidth(4, Px(1410));
  // A theme may want the bar wider than its place: it then grows to the
  // left, keeping off the clock beside it.
  int least = 0, natural = 0;
  ProgressBar1.get_preferred_width(least, natural);
  TwipRect bar = l.ProgressBar1;
  if (Tw(least) > bar.width) bar = {std::max(0.f, bar.right() - Tw(least)), bar.top, Tw(least), bar.height};
  Place(ProgressBar1, bar);
  PermissionBar.set_margin_top(Px(l.Browser.top));
  ReopenBar1.set_margin_top(Px(l.Browser.top));
  LayOutSelectors();
  PlaceFindBar();
}

void Form1::Form_Resize() {
  if (IsMinimised()) return;
  ApplyLayout();
  SaveGeometry();
}

bool Form1::IsMinimised() const {
  auto w = get_window();
  return w && (w->get_state() & Gdk::WINDOW_STATE_ICONIFIED);
}

bool Form1::IsNormalState() const {
  auto w = get_window();
  if (!w) return true;
  const auto state = w->get_state();
  return !(state & (Gdk::WINDOW_STATE_ICONIFIED | Gdk::WINDOW_STATE_MAXIMIZED | Gdk::WINDOW_STATE_FULLSCREEN));
}

// The toolbar row and the status bar come and go together with the strip.
void Form1::ShowToolbar(bool show) {
  const Settings& s = Module1().Working;
  toolbarOffset_ = show ? 0 : kToolbarHiddenOffset;
  statusAllowance_ = (!show || s.StatusBarHidden != 0) ? kStatusAllowance : 0;
  for (Gtk::Widget* w :
       std::initializer_list<Gtk::Widget*>{&Picture1, &Command8, &Command6, &Command5, &Command2, &Command3, &Command4,
                                           &Command14, &Text1, &Command15, &Command1, &Command13})
    w->set_visible(show);
  SedUpTimerButtons(0);
  Check1.set_visible(show && checkBoxAllowance_ == 0);
  Check2.set_visible(show && checkBoxAllowance_ == 0);
  Label3.set_visible(show);
  StatusBar1.set_visible(statusAllowance_ == 0);
  if (statusAllowance_ != 0) ProgressBar1.hide();
  if (!show) HideSelectors();
  ApplyLayout();
}

void Form1::Command7_Click() {
  if (Module1().Working.HideControlsMode == 0) return;  // hiding is switched off
  if (ToolbarHidden()) {
    ShowToolbar(true);
    return;
  }
  ShowToolbar(false);
  toolbarJustHidden_ = true;
  timer3_.disconnect();
  timer3_ =
      Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form1::Timer3_Timer), false), kTimer3Ms);
}

void Form1::Command7_MouseMove() {
  if (ToolbarHidden() && !toolbarJustHidden_) ShowToolbar(true);
}

void Form1::Timer3_Timer() {
  timer3_.disconnect();
  toolbarJustHidden_ = false;
}

// Hides the toolbar when the pointer has left the window (automatic mode).
void Form1::AutoHideToolbar() {
  if (selectorInUse_ || ToolbarHidden() || !get_visible()) return;
  int px = 0, py = 0;
  Gdk::ModifierType mask;
  auto root = get_screen()->get_root_window();
  root->get_device_position(get_display()->get_default_seat()->get_pointer(), px, py, mask);
  int x = 0, y = 0, w = 0, h = 0;
  get_position(x, y);
  get_size(w, h);
  const bool outside = px < x || px > x + w || py < y || py > y + h;
  if (outside) Command7_Click();
}

void Form1::Label3_Click() {
  Settings& s = Module1().Working;
  const bool hide = checkBoxAllowance_ == 0;
  s.CheckBoxesToggle = hide ? 0 : 1;
  checkBoxAllowance_ = hide ? kCheckBoxAllowance : 0;
  Check1.set_visible(!hide && !ToolbarHidden());
  Check2.set_visible(!hide && !ToolbarHidden());
  ApplyLayout();
}

void Form1::mnuStatusBar_Click() {
  Settings& s = Module1().Working;
  s.StatusBarHidden = s.StatusBarHidden == 0 ? 1 : 0;
  mnuStatusBar.set_active(s.StatusBarHidden == 0);
  ShowToolbar(!ToolbarHidden());
}

// Each deferred action has its own wait, so one never takes another's place:
// a box a right press switched off always comes back.
void Form1::StartTimer5(unsigned ms, DeferredAction action) {
  sigc::connection& timer = timer5_[action];
  timer.disconnect();
  timer = Glib::signal_timeout().connect(
      sigc::bind_return(sigc::bind(sigc::mem_fun(*this, &Form1::Timer5_Timer), action), false), ms);
}

void Form1::StopTimer5() {
  for (auto& [action, timer] : timer5_) timer.disconnect();
}

void Form1::Timer5_Timer(DeferredAction action) {
  timer5_[action].disconnect();
  switch (action) {
    case DeferredAction::EnableText2:
      Text2.set_sensitive(true);
      break;
    case DeferredAction::EnableText3:
      Text3.set_sensitive(true);
      break;
    case DeferredAction::HideSiteList:
      ShowSelector(ListView1, false);
      selectorInUse_ = false;
      break;
    case DeferredAction::HideCategoryList:
      ShowSelector(ListView2, false);
      selectorInUse_ = false;
      break;
    case DeferredAction::OpenDontKillList:
      app_.OpenDontKillList(this, Module1().LastPageTitle, WebBrowser1.LocationURL());
      break;
    case DeferredAction::None:
      break;
  }
}

void Form1::SaveGeometry() {
  if (!get_realized()) return;
  int x = 0, y = 0, w = 0, h = 0;
  get_position(x, y);
  get_size(w, h);
  Settings& s = Module1().Working;
  const float width = Tw(w), height = Tw(h);
  if (KeepsGeometry(IsNormalState(), popup_.scriptShaped, width, height)) {
    s.MainLeft = Tw(x);
    s.MainTop = Tw(y);
    s.MainWidth = width;
    s.MainHeight = height;
  }
}

void Form1::SaveWindowState() {
  SaveGeometry();
  Settings& s = Module1().Working;
  if (!IsMinimised()) {
    s.SelColWidth = {Tw(ListView1.ColumnWidth(0)), Tw(ListView1.ColumnWidth(1)), Tw(ListView2.ColumnWidth(0)),
                     Tw(ListView2.ColumnWidth(1))};
  }
}

void Form1::Form_QueryUnload() {
  if (unloading_) return;
  // A page (or the pop-up killer) may close the window while one of its
  // dialogs waits; the handler that opened the dialog goes on afterwards
  // with this window and its page, so the close waits for the dialog.
  if (InModalLoop()) {
    AfterModalLoops(sigc::mem_fun(*this, &Form1::Form_QueryUnload));
    return;
  }
  if (!LetDownloadsGo()) return;
  unloading_ = true;
  Check1.set_active(false);
  Check2.set_active(false);
  SaveWindowState();
  Settings& s = Module1().Working;
  s.RefreshMinutes = refresh_.interval;
  s.TimerSwapMode = timerSwap_;
  s.CycleMode12 = cycleMode12_;
  s.CycleMode9 = cycleMode9_;
  hide();
  // Leave the page for the blank local page, so it stops what it is doing;
  // the rest of the sequence follows once it had time to.
  DenyPendingPermissions();
  WebBrowser1.Navigate(Module1().DefPagePath);
  closeTimer_ = Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form1::FinishUnload), false),
                                               kLeavePageMs);
}

void Form1::FinishUnload() {
  closeTimer_.disconnect();
  if (InModalLoop()) {
    AfterModalLoops(sigc::mem_fun(*this, &Form1::FinishUnload));
    return;
  }
  // Downloads cancelled for the close take their partial files with them
  // once the engine has stopped them; the program must not end before.
  if (!downloads_.empty() && downloadEndWaits_ < kDownloadEndWaits) {
    ++downloadEndWaits_;
    closeTimer_ = Glib::signal_timeout().connect(sigc::bind_return(sigc::mem_fun(*this, &Form1::FinishUnload), false),
                                                 kLeavePageMs);
    return;
  }
  // The last main window takes the other windows with it; their sizes go
  // into the settings before they are written.
  if (app_.MainWindows().size() < 2) app_.CloseSecondaryWindows();
  // A full disk or a folder gone read-only must not cost the settings unseen.
  const std::string& ini = Module1().UserIniPath;
  if (!SaveSettings(ini, Module1().Working)) MsgBox("An Error Occurred Saving The Settings To " + ini);
  Unload();
}

void Form1::Unload() {
  for (auto* c : {&timer1_, &timer2_, &timer3_, &timer4_, &repeatTimer_}) c->disconnect();
  StopTimer5();
  app_.MainWindowUnloaded(*this);
}
