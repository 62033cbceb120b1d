// Form1: the Menu button's pop-up menu and the window's keys.
#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/browser/MenuCommands.h"
#include "platform/Network.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"

namespace {
bool IsModifierKey(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R:
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R:
    case GDK_KEY_Meta_L:
    case GDK_KEY_Meta_R:
    case GDK_KEY_ISO_Level3_Shift:
      return true;
    default:
      return false;
  }
}

// One menu entry: its caption (with "_" before the access key) and the key
// the menu names for it. The keys themselves are the window's (Form_KeyDown),
// so that they also work while the menu is closed and never reach a text box.
struct MenuEntry {
  Gtk::MenuItem* item;
  std::string caption;
  guint key = 0;
  Gdk::ModifierType mods = Gdk::ModifierType(0);
  Gtk::Menu* submenu = nullptr;
};
using MenuGroups = std::vector<std::vector<MenuEntry>>;

// Fills a menu with its groups, a separator line between two groups.
void FillMenu(Gtk::Menu& menu, const MenuGroups& groups) {
  bool first = true;
  for (const auto& group : groups) {
    if (group.empty()) continue;
    if (!first) menu.append(*Gtk::manage(new Gtk::SeparatorMenuItem));
    first = false;
    for (const MenuEntry& e : group) {
      e.item->set_label(e.caption);
      e.item->set_use_underline(true);
      if (e.key != 0)
        if (auto* label = dynamic_cast<Gtk::AccelLabel*>(e.item->get_child())) label->set_accel(e.key, e.mods);
      if (e.submenu) e.item->set_submenu(*e.submenu);
      menu.append(*e.item);
    }
  }
  menu.show_all();
}
}  // namespace

void Form1::BuildMenu() {
  const Settings& s = Module1().Working;
  const auto ctrl = Gdk::CONTROL_MASK;
  const auto ctrlShift = Gdk::CONTROL_MASK | Gdk::SHIFT_MASK;
  // In the order the menu shows them; each inner list is one group.
  FillMenu(fileMenu_, {{{&mnuopen, "_Open"}, {&mnuSaveAs, "_SaveAs"}}});
  FillMenu(editMenu_, {{{&mnuEditSelectAll, "_Select All", GDK_KEY_a, ctrl},
                        {&mnuEditFind, "_Find (On This Page)", GDK_KEY_f, ctrl},
                        {&mnuPrint, "_Print", GDK_KEY_p, ctrl}}});
  FillMenu(viewMenu_, {{{&mnuStatusBar, "Status_Bar"},
                        {&mnuViewRefresh, "_Refresh", GDK_KEY_F5},
                        {&mnuViewStop, "_Stop", GDK_KEY_Escape}}});
  mnuLarge.join_group(mnuLargest);
  mnuMedium.join_group(mnuLargest);
  mnuSmall.join_group(mnuLargest);
  mnuSmallest.join_group(mnuLargest);
  FillMenu(textSizeMenu_, {{{&mnuLargest, "Larg_est"},
                            {&mnuLarge, "_Larger"},
                            {&mnuMedium, "_Medium"},
                            {&mnuSmall, "_Smaller"},
                            {&mnuSmallest, "Sm_allest"}}});
  FillMenu(textFontsMenu_,
           {{{&mnuFonts, "_Fonts (App Window)"}, {&mnuTextSize, "_Text Size (Web Page) >>", 0, {}, &textSizeMenu_}}});
  FillMenu(optionsMenu_, {{{&mnuDefStartPage, "_Start Page & Options (This App)"},
                           {&mnuIEnetOptions, "_Internet Options (All Apps)"}}});
  FillMenu(mailMenu_, {{{&mnuOutlookOpen, "_Open Mail App"},
                        {&mnuOutlookMail, "_Create New Mail"},
                        {&mnuQuillbox, "_Quillbox email"}}});
  FillMenu(helpMenu_,
           {{{&mnuHelp, "_Help Page (Local)"}, {&mnuAbout, "_About"}, {&mnuBugsSuggest, "_Suggestions & Bugs"}}});
  FillMenu(mnuPop1,
           {
               {{&mnufile, "_File", 0, {}, &fileMenu_}},
               {{&mnuEdit, "_Edit", 0, {}, &editMenu_}},
               {{&mnuView, "_View", 0, {}, &viewMenu_}},
               {{&mnuTextFonts, "F_onts & Text Size", 0, {}, &textFontsMenu_}},
               {{&mnuMainOptions, "O_ptions", 0, {}, &optionsMenu_}},
               {{&mnuNewWind, "_New Browser Window"}, {&mnuViewInFullScrn, "Full _Screen Window", GDK_KEY_F11}},
               {{&mnuNewPrivateWind, "New _Private Window", GDK_KEY_n, ctrlShift}},
               {
                   {&mnuHistList, "_History Window"},
                   {&mnuClearData, "Clear _Browsing Data..."},
                   {&mnuEditSiteWindow, "_List Window  (Edit Selectors)"},
               },
               {{&mnuKillPops, "_Kill Pop-Up Ad Windows"},
                {&mnuKillPopsBoom, "_Kill Pop-Up Ads w/Boom"},
                {&mnuDontKillPopsEdit, "_Don't-Kill Pop-Up List Window"},
                {&mnuScriptErr, "_Disable Script Error Msg"}},
               {{&mnuAllowAds, "Allow _Ads On This Site"}, {&mnuUpdateFilterLists, "_Update Filter Lists Now"}},
               {{&mnuNavToIeFav, "_Internet Explorer Favorites"}},
               {{&mnuWinMessenger, NameCaption(s.MessengerName)},
                {&mnuOutlookExp, NameCaption(s.MailName), 0, {}, &mailMenu_}},
               {{&mnuMhelp, "Help & _About", 0, {}, &helpMenu_}},
               {{&mnuProps, "_Properties"}},
               {{&mnuOffline, "_Work Offline"}},
               {{&mnuClosWind, "_Close"}},
           });
  // The menu button shows the menu for a click, a key and an assistive
  // tool's action alike, and lists the items as its accessible children.
  Command8.set_popup(mnuPop1);
  ConnectMenu();
}

void Form1::ConnectMenu() {
  auto on = [this](Gtk::MenuItem& item, void (Form1::*handler)()) {
    item.signal_activate().connect(sigc::mem_fun(*this, handler));
  };
  on(mnuopen, &Form1::mnuopen_Click);
  on(mnuSaveAs, &Form1::mnuSaveAs_Click);
  on(mnuEditSelectAll, &Form1::mnuEditSelectAll_Click);
  on(mnuEditFind, &Form1::mnuEditFind_Click);
  on(mnuPrint, &Form1::mnuPrint_Click);
  mnuStatusBar.signal_activate().connect([this] {
    if (mnuStatusBar.get_active() != (Module1().Working.StatusBarHidden == 0)) mnuStatusBar_Click();
  });
  mnuViewRefresh.signal_activate().connect([this] { WebBrowser1.Refresh2(Module1().Working.RefreshMode); });
  mnuViewStop.signal_activate().connect([this] { WebBrowser1.Stop(); });
  on(mnuFonts, &Form1::mnuFonts_Click);
  for (int level = 0; level < kTextSizeLevels; ++level) {
    Gtk::RadioMenuItem& item = TextSizeItem(level);
    item.signal_activate().connect([this, level, &item] {
      // Both the item left and the item chosen report; only the chosen one counts.
      if (!syncingMenus_ && item.get_active()) mnuTextSize_Click(level);
    });
  }
  on(mnuDefStartPage, &Form1::mnuDefStartPage_Click);
  on(mnuIEnetOptions, &Form1::mnuIEnetOptions_Click);
  on(mnuNewWind, &Form1::NewApplWindo);
  on(mnuNewPrivateWind, &Form1::mnuNewPrivateWind_Click);
  on(mnuViewInFullScrn, &Form1::mnuViewInFullScrn_Click);
  on(mnuHistList, &Form1::mnuHistList_Click);
  on(mnuClearData, &Form1::mnuClearData_Click);
  on(mnuEditSiteWindow, &Form1::Command5_Click);
  auto toggle = [this](Gtk::CheckMenuItem& item, void (Form1::*handler)()) {
    item.signal_activate().connect([this, handler] {
      if (!syncingMenus_) (this->*handler)();
    });
  };
  toggle(mnuKillPops, &Form1::mnuKillPops_Click);
  toggle(mnuKillPopsBoom, &Form1::mnuKillPopsBoom_Click);
  toggle(mnuScriptErr, &Form1::mnuScriptErr_Click);
  on(mnuDontKillPopsEdit, &Form1::mnuDontKillPopsEdit_Click);
  on(mnuAllowAds, &Form1::mnuAllowAds_Click);
  on(mnuUpdateFilterLists, &Form1::mnuUpdateFilterLists_Click);
  on(mnuNavToIeFav, &Form1::mnuNavToIeFav_Click);
  on(mnuWinMessenger, &Form1::mnuWinMessenger_Click);
  on(mnuOutlookOpen, &Form1::mnuOutlookOpen_Click);
  on(mnuOutlookMail, &Form1::mnuOutlookMail_Click);
  on(mnuQuillbox, &Form1::mnuQuillbox_Click);
  on(mnuHelp, &Form1::mnuHelp_Click);
  on(mnuAbout, &Form1::mnuAbout_Click);
  on(mnuBugsSuggest, &Form1::mnuBugsSuggest_Click);
  on(mnuProps, &Form1::mnuProps_Click);
  mnuOffline.signal_activate().connect([this] {
    if (mnuOffline.get_active() != IsOffline()) mnuOffline_Click();
  });
  on(mnuClosWind, &Form1::Form_QueryUnload);
}

Gtk::RadioMenuItem& Form1::TextSizeItem(int level) {
  Gtk::RadioMenuItem* const items[kTextSizeLevels] = {&mnuSmallest, &mnuSmall, &mnuMedium, &mnuLarge, &mnuLargest};
  return *items[std::clamp(level, 0, kTextSizeLevels - 1)];
}

void Form1::Command5_Click() {
  selectorInUse_ = false;
  app_.OpenEditor(this);
}

void Form1::Command8_Toggled() {
  if (!Command8.get_active()) return;
  // Every menu command starts with the selector no longer in use.
  selectorInUse_ = false;
  ShowAddInEntries();
}

// The text boxes keep the keys typed into them: Ctrl+C, Ctrl+V and the like
// act on their text, not on the page.
bool Form1::FocusLocked() const { return Text1.is_focus() || FindBar1.Text1.is_focus(); }

// The whole address selected, so that typing replaces it.
void Form1::FocusAddress() {
  Text1.grab_focus();
  Text1.select_region(0, -1);
}

bool Form1::Form_KeyDown(GdkEventKey* key) {
  if (Completion_KeyDown(key)) return true;
  const auto mods = key->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK);
  switch (key->keyval) {
    case GDK_KEY_Escape:
      if (FindBar1.get_visible()) {
        CloseFindBar();
      } else {
        CancelDownloads();
        WebBrowser1.Stop();
      }
      return true;
    case GDK_KEY_F5:
      WebBrowser1.Refresh2(Module1().Working.RefreshMode);
      return true;
    case GDK_KEY_F11:
      mnuViewInFullScrn_Click();
      return true;
    case GDK_KEY_F6:
      FocusAddress();
      return true;
    default:
      break;
  }
  if (IsModifierKey(key->keyval)) return false;
  if (mods == GDK_MOD1_MASK) {  // Alt with any key: the menu
    Command8.grab_focus();
    Command8.set_active(true);
    return true;
  }
  if (mods == (GDK_CONTROL_MASK | GDK_SHIFT_MASK) && gdk_keyval_to_lower(key->keyval) == GDK_KEY_n) {
    mnuNewPrivateWind_Click();
    return true;
  }
  if (mods == (GDK_CONTROL_MASK | GDK_SHIFT_MASK)) {
    Command7_Click();
    return true;
  }
  if (mods != GDK_CONTROL_MASK) return false;
  switch (gdk_keyval_to_lower(key->keyval)) {
    case GDK_KEY_f:
      mnuEditFind_Click();
      return true;
    case GDK_KEY_p:
      mnuPrint_Click();
      return true;
    case GDK_KEY_l:
      FocusAddress();
      return true;
    case GDK_KEY_w:
      Form_QueryUnload();
      return true;
    default:
      break;
  }
  // Any other Ctrl key is the page's, so the page gets the focus and the key.
  if (!FocusLocked()) WebBrowser1.Widget().grab_focus();
  return false;
}
