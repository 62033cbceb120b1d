// Form1: what the menu commands do: open and save files, the page commands,
// fonts and text size, the favourites, the mail and messenger programs, the
// About and full-screen windows.
#include <glibmm/miscutils.h>

#include "core/app/Module1.h"
#include "core/app/SharedRoutines.h"
#include "core/browser/MenuCommands.h"
#include "core/sitelists/SiteListEditor.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Network.h"
#include "ui/app/App.h"
#include "ui/app/ListFont.h"
#include "ui/browser/Form1.h"
#include "ui/windows/Form5.h"

namespace {
const char* const kSaveFilter = "Web Archive (All Of The Page) |*.mht;*.mhtml|HTML Only |*.html;*.htm";
}  // namespace

void Form1::mnuopen_Click() {
  const auto files = ShowOpenFiles({"Open", kDocumentFilter, Glib::get_home_dir(), false, this});
  if (!files.empty()) OpenPage(files.front());
}

void Form1::mnuSaveAs_Click() {
  const std::string url = WebBrowser1.LocationURL();
  if (url.empty()) return;
  const std::string path =
      ShowSaveFile({"Save As", SaveNameFromTitle(pageTitle_, url), kSaveFilter, Glib::get_home_dir(), this});
  if (path.empty()) return;
  WebBrowser1.SaveAs(path, [this, path](bool ok) {
    if (!ok) MsgBox("The Page Could Not Be Saved As " + path, MsgButtons::Ok, this);
  });
}

void Form1::mnuProps_Click() {
  WebBrowser1.PageProperties([this](const PageInfo& info) { ShowDetails("Properties", PropertyRows(info), this); });
}

void Form1::mnuEditSelectAll_Click() {
  WebBrowser1.Widget().grab_focus();
  WebBrowser1.SelectAll();
}

void Form1::mnuEditFind_Click() {
  selectorInUse_ = false;
  PlaceFindBar();
  FindBar1.Open();
}

void Form1::CloseFindBar() { FindBar1.Shut(); }

// Just under the toolbar, at the right edge of the page.
void Form1::PlaceFindBar() {
  FindBar1.set_margin_top(std::max(0, Px(layout_.Browser.top)));
  FindBar1.set_margin_end(Px(360));
}

void Form1::mnuPrint_Click() {
  WebBrowser1.Print(this, [this](bool ok) {
    if (!ok) MsgBox("The Page Could Not Be Printed.", MsgButtons::Ok, this);
  });
}

void Form1::mnuFonts_Click() {
  Settings& s = Module1().Working;
  const Pango::FontDescription now = ListFont(s);
  const auto chosen =
      ShowFontChooser({"Fonts (App Window)",
                       {now.get_family(), s.ListFontBold, static_cast<float>(now.get_size()) / PANGO_SCALE},
                       this});
  if (!chosen) return;
  s.ListFontName = chosen->family;
  s.ListFontBold = chosen->bold;
  if (chosen->size > 0) s.ListFontSize = chosen->size;
  // The list font is every window's.
  app_.ForEachMainWindow([](Form1& w) {
    w.ApplyListFont();
    w.LayOutSelectors();
  });
}

void Form1::mnuTextSize_Click(int level) {
  Module1().TextSizeLevel = std::clamp(level, 0, kTextSizeLevels - 1);
  app_.ShowTextSizeEverywhere();
}

void Form1::ShowTextSize() {
  const int level = Module1().TextSizeLevel;
  WebBrowser1.SetTextSize(level);
  syncingMenus_ = true;
  TextSizeItem(level).set_active(true);
  syncingMenus_ = false;
}

void Form1::mnuIEnetOptions_Click() {
  if (!OpenInternetSettings()) MsgBox("No network settings program was found on this computer.", MsgButtons::Ok, this);
}

void Form1::mnuViewInFullScrn_Click() { OpenInFullScreen(WebBrowser1.LocationURL()); }

void Form1::OpenInFullScreen(const std::string& url) {
  selectorInUse_ = false;
  // Opened with no page, it shows the default page rather than nothing.
  app_.FullScreen(WebBrowser1).ShowPage(url.empty() ? Module1().DefPagePath : url);
}

void Form1::mnuNavToIeFav_Click() {
  const auto files = ShowOpenFiles({"Favorites", kFavoritesFilter, Module1().FavoritesDir, false, this});
  if (files.empty()) return;
  const std::string url = site_list_editor::ReadShortcutUrl(files.front());
  if (!IsOpenableShortcutUrl(url)) {
    MsgBox(NotAShortcutText(files.front()), MsgButtons::Ok, this);
    return;
  }
  OpenPage(url);
}

void Form1::StartConfiguredProgram(const std::string& name, const std::string& path) {
  const auto argv = ProgramArgv(path);
  if (argv.empty() || !LaunchProgram(argv)) MsgBox(ProgramMissingText(name, path), MsgButtons::Ok, this);
}

void Form1::mnuWinMessenger_Click() {
  const Settings& s = Module1().Working;
  StartConfiguredProgram(s.MessengerName, s.MessengerPath);
}

void Form1::mnuOutlookOpen_Click() {
  const Settings& s = Module1().Working;
  StartConfiguredProgram(s.MailName, s.MailPath);
}

void Form1::mnuOutlookMail_Click() {
  if (!OpenWithDefaultHandler("mailto:")) MsgBox(kNoMailHandlerText, MsgButtons::Ok, this);
}

void Form1::ShowAddInEntries() {
  const bool present = FileTest(AddInPath(Module1().AppDir)) == 0;
  mnuQuillbox.set_visible(present);
  mnuPop2Quillbox.set_visible(present);
}

void Form1::mnuQuillbox_Click() {
  const std::string path = AddInPath(Module1().AppDir);
  if (FileTest(path) != 0) {
    MsgBox(AddInMissingText(), MsgButtons::Ok, this);
    return;
  }
  if (!LaunchProgram({path})) MsgBox(ProgramMissingText("Quillbox", path), MsgButtons::Ok, this);
}

void Form1::mnuHelp_Click() {
  const std::string help = Module1().HelpPagePath;
  if (FileTest(help) != 0) {
    MsgBox(std::string("The ") + kAppTitle + " Help file Is Missing.", MsgButtons::Ok, this);
    return;
  }
  WebBrowser1.NavigateNewWindow(help);
}

void Form1::mnuAbout_Click() { app_.OpenAbout(this); }

void Form1::mnuDefStartPage_Click() { app_.OpenOptions(this, WebBrowser1.LocationURL()); }

void Form1::mnuBugsSuggest_Click() { app_.OpenSuggestions(this); }
