// The main browser window. One class over several files:
//   Form1.cpp            lifecycle, layout, toolbar and check boxes
//   Form1Selector.cpp    the drop-down site selector
//   Form1Navigation.cpp  address box, browser events, page checks, new windows
//   Form1Completion.cpp  the completions offered under the address box
//   Form1Menus.cpp       the Menu button's pop-up menu and the keyboard
//   Form1Commands.cpp    what the menu commands do: files, page, fonts, text size, programs
//   Form1Refresh.cpp     the auto-refresh timer and the refresh button
//   Form1Status.cpp      status bar, clock, connection and offline mode, cycle buttons
//   Form1Popups.cpp      the pop-up killer: page window requests, judgement, kill
#pragma once

#include <gtkmm.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/browser/AutoRefresh.h"
#include "core/browser/Completion.h"
#include "core/browser/Form1Layout.h"
#include "core/history/HistoryLog.h"
#include "core/popups/PopupKiller.h"
#include "platform/ListView.h"
#include "platform/StatusBar.h"
#include "platform/WebBrowser.h"
#include "ui/browser/FindBar.h"
#include "ui/browser/ReopenBar.h"

class App;

// What Timer5 does when it fires.
enum class DeferredAction {
  None = 0,
  EnableText2 = 2,       // a right press switched the interval box off a moment
  EnableText3 = 3,       // the same for the minutes-left box
  HideSiteList = 4,      // a click on the site list's column header
  HideCategoryList = 5,  // a click on the category list's column header
  OpenDontKillList = 6,  // the menu asked for the don't-kill list window
};

// The program's first page (the command line's address, else the start
// page) in the first main window's browser; later windows ask nothing.
// Start-up calls it before the window is built, so the engine starts its
// web process while the rest of the window is made.
void AskForStartPage(WebBrowser& browser);

class Form1 : public Gtk::Window {
 public:
  // Made by the application object, which owns it; Form_Load shows it.
  Form1(App& app, std::unique_ptr<WebBrowser> browser);
  ~Form1() override;

  // Controls, by their names in the window's design.
  WebBrowser& WebBrowser1;
  Gtk::Overlay FormArea;  // the client area: the controls, with the drop-down lists above
  Gtk::Layout Form;       // the controls, placed to the pixel; asks no size of its children
  Gtk::EventBox Picture1;
  Gtk::Button Command1, Command2, Command3, Command4, Command5, Command6, Command7, Command9, Command10, Command11,
      Command12, Command13, Command14, Command15;
  Gtk::MenuButton Command8;  // "Menu": opens mnuPop1 from the pointer, the keyboard and assistive technology
  Gtk::Entry Text1, Text2, Text3;
  Gtk::CheckButton Check1, Check2;
  Gtk::EventBox Label3;
  StatusBar StatusBar1{4};  // page text, clock, pop-up killer, ad blocking
  Gtk::ProgressBar ProgressBar1;
  ListView ListView1{1}, ListView2{1};
  Gtk::Label LabelMyId;
  FindBar FindBar1;  // over the page's top right corner while open
  // The Menu button's menu, its submenus (each item that opens one holds it)
  // and the mail button's menu.
  Gtk::Menu mnuPop1;
  Gtk::MenuItem mnufile, mnuopen, mnuSaveAs;
  Gtk::MenuItem mnuEdit, mnuEditSelectAll, mnuEditFind, mnuPrint;
  Gtk::MenuItem mnuView, mnuViewRefresh, mnuViewStop;
  Gtk::MenuItem mnuTextFonts, mnuFonts, mnuTextSize;
  Gtk::RadioMenuItem mnuLargest, mnuLarge, mnuMedium, mnuSmall, mnuSmallest;
  Gtk::MenuItem mnuMainOptions, mnuDefStartPage, mnuIEnetOptions;
  Gtk::MenuItem mnuNewWind, mnuNewPrivateWind, mnuViewInFullScrn, mnuHistList, mnuClearData, mnuEditSiteWindow,
      mnuDontKillPopsEdit, mnuNavToIeFav;
  Gtk::MenuItem mnuWinMessenger, mnuOutlookExp, mnuOutlookOpen, mnuOutlookMail, mnuQuillbox;
  Gtk::MenuItem mnuMhelp, mnuHelp, mnuAbout, mnuBugsSuggest, mnuProps, mnuClosWind;
  Gtk::CheckMenuItem mnuStatusBar, mnuOffline, mnuKillPops, mnuKillPopsBoom, mnuScriptErr;
  Gtk::MenuItem mnuAllowAds, mnuUpdateFilterLists;  // in-page ad blocking (Form1AdBlock.cpp)
  // The question bar for a page's permission requests, above the page.
  Gtk::Box PermissionBar{Gtk::ORIENTATION_HORIZONTAL, 6};
  Gtk::Label PermissionText;
  Gtk::Button PermissionAllow{"_Allow", true}, PermissionDeny{"_Deny", true};
  // The offer of the pages a run that did not end normally left open.
  ReopenBar ReopenBar1;
  // The completions offered under the address box while the user types.
  Gtk::Popover CompletionPopup;
  Gtk::ListBox CompletionList;
  Gtk::Menu mnuPop2;
  Gtk::MenuItem mnuPop2OpenMailApp, mnuPop2Mail, mnuPop2Quillbox;

  // Public operations other windows call by name.
  void F1ToolT();
  void UniLodCombo();
  void LodCombos();
  void SiteFileChanged(int16_t fileNumber);
  // The selectors in the arrangement the settings choose, with their headers.
  void FillSelectors();
  void NewApplWindo();
  // A private main window on the start page (Shift+Ctrl+N).
  void mnuNewPrivateWind_Click();
  void SedUpTimerButtons(int toggle);
  // Applies the process-wide text size to the page and checks its menu item.
  void ShowTextSize();
  // Opens the page in the full-screen window (this page when `url` is empty).
  void OpenInFullScreen(const std::string& url);
  // Takes over the running downloads of a window that closes.
  void AdoptDownloads(const std::vector<std::shared_ptr<FileDownload>>& downloads);

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  void Form_QueryUnload();
  bool Form_KeyDown(GdkEventKey* key);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command7_Click();
  void Command7_MouseMove();
  void Command8_Toggled();
  void Command14_Click();
  void Label3_Click();
  void ListView1_Click();
  void ListView2_Click();
  void ListView_ColumnClick(DeferredAction action);
  void ListView_LostFocus();
  bool Text1_KeyPress(GdkEventKey* key);
  void Text1_Change();
  // Up, Down, Enter, Esc, Tab and Right while completions show; true when
  // the key was theirs.
  bool Completion_KeyDown(GdkEventKey* key);
  void CompletionList_RowActivated(Gtk::ListBoxRow* row);
  const std::vector<CompletionMatch>& Completions() const { return completions_; }
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Timer4_Timer();
  void Timer5_Timer(DeferredAction action);
  void mnuStatusBar_Click();
  void mnuOffline_Click();
  void mnuKillPops_Click();
  void mnuKillPopsBoom_Click();
  void mnuAllowAds_Click();
  void mnuUpdateFilterLists_Click();
  // The ad-blocking panel and the allow entry's caption, for the page on show.
  void ShowAdBlocking();
  // A status text from the filter lists' update.
  void ShowFilterListStatus(const std::string& text) { StatusBar1.SetText(1, text); }
  void mnuScriptErr_Click();
  void mnuDontKillPopsEdit_Click();
  void mnuHistList_Click();
  void mnuClearData_Click();
  void WebBrowser1_WindowSetLeft(int pixels);
  void WebBrowser1_WindowSetTop(int pixels);
  void WebBrowser1_WindowSetWidth(int pixels);
  void WebBrowser1_WindowSetHeight(int pixels);
  void WebBrowser1_OnToolBar(bool visible);
  void WebBrowser1_OnStatusBar(bool visible);
  void WebBrowser1_DocumentComplete(const std::string& url);
  void Command2_RightPress();
  void Command6_Click();
  void Command9_Click();
  void Command9_RightPress();
  void Command10_Press();
  void Command11_Press();
  void IntervalButton_Release();
  void Command12_Click();
  void Command12_RightPress();
  void Command13_Click();
  void Text2_DblClick();
  void Text3_DblClick();
  void Text_RightPress(int guard);
  void StatusBar1_PanelDblClick(int panel);
  void StatusBar1_RightPress();
  void mnuHelp_Click();
  void mnuopen_Click();
  void mnuSaveAs_Click();
  void mnuProps_Click();
  void mnuEditSelectAll_Click();
  void mnuEditFind_Click();
  void mnuPrint_Click();
  void mnuFonts_Click();
  void mnuTextSize_Click(int level);  // mnuLargest .. mnuSmallest: 4 .. 0
  void mnuIEnetOptions_Click();
  void mnuViewInFullScrn_Click();
  void mnuNavToIeFav_Click();
  void mnuWinMessenger_Click();
  void mnuOutlookOpen_Click();
  void mnuOutlookMail_Click();
  void mnuQuillbox_Click();
  void mnuAbout_Click();
  void mnuDefStartPage_Click();
  void mnuBugsSuggest_Click();
  void WebBrowser1_BeforeNavigate2(const std::string& url, int flags, bool& cancel);
  void WebBrowser1_NavigateComplete2(const std::string& url);
  void WebBrowser1_TitleChange(const std::string& text);
  void WebBrowser1_StatusTextChange(const std::string& text);
  void WebBrowser1_ProgressChange(long progress, long maximum);
  void ShowProgress(int64_t progress, int64_t maximum);  // page load or download
  void WebBrowser1_CommandStateChange(int command, bool enable);
  void WebBrowser1_DownloadComplete();
  void WebBrowser1_NavigateError(const std::string& url, int status);
  WebBrowser* WebBrowser1_NewWindow2();
  void WebBrowser1_DownloadStarted(const std::shared_ptr<FileDownload>& download);
  void WebBrowser1_PermissionAsked(std::shared_ptr<PermissionPrompt> prompt);
  void WebBrowser1_WindowClosing();

  // Whether the record of open pages lists this window's page: not while it
  // closes, and never a private window's.
  bool RecordsItsPage() const { return !unloading_ && !WebBrowser1.IsPrivate(); }

  // State the tests read.
  const std::string& PageTitle() const { return pageTitle_; }
  bool Timer4Enabled() const { return timer4_.connected(); }
  bool ToolbarHidden() const { return toolbarOffset_ > 0; }
  bool CheckBoxesHidden() const { return checkBoxAllowance_ > 0; }
  bool SelectorInUse() const { return selectorInUse_; }
  float RowHeightUnit() const { return rowHeightUnit_; }
  const Form1Layout& Layout() const { return layout_; }
  const AutoRefresh& Refresh() const { return refresh_; }
  bool Timer1Enabled() const { return timer1_.connected(); }
  const PopupState& Popup() const { return popup_; }
  TwipRect PlacedRect(Gtk::Widget& w) const;  // where a control sits now
  std::size_t RunningDownloads() const { return downloads_.size(); }
  Gtk::MessageDialog* DownloadDoneDialog() const { return downloadDone_.get(); }
  void SetPermissionWaitForTest(unsigned ms) { permissionWaitMs_ = ms; }
  void SetInnerSizeForTest(float widthTwips, float heightTwips);  // lays out as if resized

 private:
  void LoadStartPage();
  void PlaceFirstWindow();
  void BuildControls();
  void ConnectEvents();
  void ConnectBrowser();
  void BuildMenu();
  void ConnectMenu();
  void ShowAddInEntries();
  void StartConfiguredProgram(const std::string& name, const std::string& path);
  void CloseFindBar();
  void PlaceFindBar();
  bool FocusLocked() const;
  void ConnectCompletion();
  void ShowCompletions(const std::vector<CompletionMatch>& matches, const std::string& typed);
  void HideCompletions();
  // The program's own change of the address box, which offers no completions.
  void ShowAddress(const std::string& text);
  void StartCompletionIndex();
  void FocusAddress();
  void ApplyLayout();
  void Place(Gtk::Widget& w, const TwipRect& r);
  void ApplyListFont();
  Gtk::RadioMenuItem& TextSizeItem(int level);
  void LayOutSelectors();
  void SizeList(ListView& list, float top);
  void ShowSelector(ListView& list, bool show);
  void HideSelectors();
  void OpenPage(const std::string& url);
  void OpenFromList(ListView& list);
  void ShowToolbar(bool show);
  void AutoHideToolbar();
  void ConnectRefreshEvents();
  void ConnectStatusEvents();
  void BuildMailMenu();
  void RestartCountdown();
  void SetTimerOn(bool on);
  void IntervalButton_Press(int delta);
  bool RepeatHeldInterval();
  void StepHeldInterval();
  void RefreshNow();
  void ShowOfflineState();
  void ShowConnection();  // the connection button's caption
  void UpdateClock();
  void ShowHistoryPicture();
  void ConnectPopupEvents();
  void ConnectPromptEvents();
  void FollowDownload(const std::shared_ptr<FileDownload>& download);
  void ShowDownloadStatus();
  void DownloadEnded(FileDownload* download, const std::string& failure);
  bool CancelDownloads();
  bool LetDownloadsGo();
  void ShowDownloadDone(const std::string& path);
  void ShowNextPermission();
  void AnswerPermission(bool allow);
  void DenyPendingPermissions();
  void ShowPopupModes();
  void ApplyScriptGeometry();
  void StartTimer4();
  void LogPageIfDue();
  void ShowPrivateCue();
  std::string Caption(const std::string& pageTitle) const;
  // The open History window's today list, null while it is not loaded.
  TodayListListener* TodayList() const;
  static WorkAreaTwips WorkAreaNow();
  void SaveGeometry();
  void SaveWindowState();
  void Unload();
  bool IsNormalState() const;
  bool IsMinimised() const;
  void StartTimer5(unsigned ms, DeferredAction action);
  void StopTimer5();
  void FinishUnload();
  void LoadSiteRows(ListView& list, int16_t fileNumber);
  float InnerWidth() const;
  float InnerHeight() const;

  App& app_;
  std::unique_ptr<WebBrowser> browser_;
  Form1Layout layout_;
  float innerWidthOverride_ = 0, innerHeightOverride_ = 0;
  sigc::connection timer1_, timer2_, timer3_, timer4_, closeTimer_, repeatTimer_;
  std::map<DeferredAction, sigc::connection> timer5_;  // one wait per deferred action
  AutoRefresh refresh_;
  bool buttonHeld_ = false;
  int heldDelta_ = 0;
  bool connectedByModem_ = false;
  bool shownOffline_ = false;
  PopupState popup_;
  bool syncingMenus_ = false;
  Gtk::Menu fileMenu_, editMenu_, viewMenu_, textFontsMenu_, textSizeMenu_, optionsMenu_, mailMenu_, helpMenu_;
  std::string pageTitle_;
  PageLogMarks logMarks_;
  float toolbarOffset_ = 0, statusAllowance_ = 0, checkBoxAllowance_ = 0;
  bool toolbarJustHidden_ = false;
  bool selectorJustLoaded_ = false;
  bool selectorInUse_ = false;
  float rowHeightUnit_ = 240;
  bool unloading_ = false;
  std::vector<std::shared_ptr<FileDownload>> downloads_;  // this window's, running
  std::string downloadStatus_;                            // what the status bar shows of them
  std::string downloadNote_;                              // a failure told beside a running download
  int downloadEndWaits_ = 0;                              // of the last window, for cancelled downloads
  std::unique_ptr<Gtk::MessageDialog> downloadDone_;
  std::deque<std::shared_ptr<PermissionPrompt>> permissions_;
  sigc::connection permissionTimer_;
  unsigned permissionWaitMs_ = 60000;
  int lastWidth_ = 0, lastHeight_ = 0;
  // Each window keeps its own swap and cycle-button states; a new window
  // starts from the stored ones, and a closing window stores its own.
  int16_t timerSwap_ = 0, cycleMode12_ = 0, cycleMode9_ = 0;
  int16_t shownSiteFile_ = 0;  // the site file the separate site list shows (0: none)
  std::vector<CompletionMatch> completions_;
  bool showingAddress_ = false;  // the program, not the user, is changing the address box
};
