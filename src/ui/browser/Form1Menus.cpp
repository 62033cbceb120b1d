// Form1: the Menu button's pop-up menu and the window's keys.
#include <gdk/gdkkeysyms.h>

#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "platform/Dialogs.h"
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
}  // namespace

void Form1::BuildMenu() {
  mnuNewWind.set_label("_New Browser Window");
  mnuStatusBar.set_label("Status_Bar");
  mnuHelp.set_label("_Help Page (Local)");
  mnuClosWind.set_label("_Close");
  mnuViewRefresh.set_label("_Refresh          F5");
  mnuViewStop.set_label("_Stop               Esc");
  mnuOffline.set_label("_Work Offline");
  mnuEditSiteWindow.set_label("_List Window  (Edit Selectors)");
  mnuKillPops.set_label("_Kill Pop-Up Ad Windows");
  mnuKillPopsBoom.set_label("_Kill Pop-Up Ads w/Boom");
  mnuDontKillPopsEdit.set_label("_Don't-Kill Pop-Up List Window");
  mnuScriptErr.set_label("_Disable Script Error Msg");
  // In the order of the full menu; separators between the groups.
  const std::vector<Gtk::MenuItem*> groups[] = {{&mnuStatusBar, &mnuViewRefresh, &mnuViewStop},
                                                {&mnuNewWind, &mnuEditSiteWindow},
                                                {&mnuKillPops, &mnuKillPopsBoom, &mnuDontKillPopsEdit, &mnuScriptErr},
                                                {&mnuHelp},
                                                {&mnuOffline},
                                                {&mnuClosWind}};
  for (const auto& group : groups) {
    if (!mnuPop1.get_children().empty()) mnuPop1.append(*Gtk::manage(new Gtk::SeparatorMenuItem));
    for (Gtk::MenuItem* item : group) {
      item->set_use_underline(true);
      mnuPop1.append(*item);
    }
  }
  mnuPop1.show_all();
  // The menu button shows the menu for a click, a key and an assistive
  // tool's action alike, and lists the items as its accessible children.
  Command8.set_popup(mnuPop1);
  mnuStatusBar.signal_activate().connect([this] {
    if (mnuStatusBar.get_active() != (Module1().Working.StatusBarHidden == 0)) mnuStatusBar_Click();
  });
  mnuNewWind.signal_activate().connect(sigc::mem_fun(*this, &Form1::NewApplWindo));
  mnuHelp.signal_activate().connect(sigc::mem_fun(*this, &Form1::mnuHelp_Click));
  mnuClosWind.signal_activate().connect(sigc::mem_fun(*this, &Form1::Form_QueryUnload));
  mnuViewRefresh.signal_activate().connect([this] { WebBrowser1.Refresh2(Module1().Working.RefreshMode); });
  mnuViewStop.signal_activate().connect([this] { WebBrowser1.Stop(); });
  auto toggle = [this](Gtk::CheckMenuItem& item, void (Form1::*handler)()) {
    item.signal_activate().connect([this, handler] {
      if (!syncingMenus_) (this->*handler)();
    });
  };
  toggle(mnuKillPops, &Form1::mnuKillPops_Click);
  toggle(mnuKillPopsBoom, &Form1::mnuKillPopsBoom_Click);
  toggle(mnuScriptErr, &Form1::mnuScriptErr_Click);
  mnuDontKillPopsEdit.signal_activate().connect(sigc::mem_fun(*this, &Form1::mnuDontKillPopsEdit_Click));
  mnuEditSiteWindow.signal_activate().connect(sigc::mem_fun(*this, &Form1::Command5_Click));
  mnuOffline.signal_activate().connect([this] {
    if (mnuOffline.get_active() != IsOffline()) mnuOffline_Click();
  });
}

void Form1::Command5_Click() {
  selectorInUse_ = false;
  app_.OpenEditor(this);
}

void Form1::Command8_Toggled() {
  if (Command8.get_active()) selectorInUse_ = false;
}

void Form1::mnuHelp_Click() {
  const std::string help = Module1().HelpPagePath;
  if (FileTest(help) != 0) {
    MsgBox(std::string("The ") + kAppTitle + " Help file Is Missing.", MsgButtons::Ok, this);
    return;
  }
  WebBrowser1.NavigateNewWindow(help);
}

bool Form1::Form_KeyDown(GdkEventKey* key) {
  const auto mods = key->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK);
  if (key->keyval == GDK_KEY_Escape) {
    CancelDownloads();
    WebBrowser1.Stop();
    return true;
  }
  if (key->keyval == GDK_KEY_F5) {
    WebBrowser1.Refresh2(Module1().Working.RefreshMode);
    return true;
  }
  if (IsModifierKey(key->keyval)) return false;
  if (mods == GDK_MOD1_MASK) {  // Alt with any key: the menu
    Command8.grab_focus();
    Command8.set_active(true);
    return true;
  }
  if (mods == (GDK_CONTROL_MASK | GDK_SHIFT_MASK)) {
    Command7_Click();
    return true;
  }
  return false;
}
