// The list editor: the categories (top list) and the sites of the selected
// category (bottom list), with adding, deleting, renaming in place,
// reordering, sorting, copying and moving between categories, the
// favourites import and the back-up / restore / undo of all lists.
// Every change is written to the files at once; the lists are reread after
// each one. The file work itself is in sitelists/SiteListEditor.
#pragma once

#include <gtkmm.h>

#include <array>
#include <optional>
#include <string>

#include "core/app/Module1.h"
#include "core/sitelists/SiteListEditor.h"
#include "platform/ListView.h"

class App;
class Form1;

class Form2 : public Gtk::Window {
 public:
  // Made by the application object, which owns it. `opener` is the main
  // window whose page "Add Page To List" takes (may be null).
  Form2(App& app, const Form1* opener);
  ~Form2() override;
  void SetOpener(const Form1* opener);  // null keeps the one it has

  // Controls, by their names in the window's design. ListView1 is the site
  // list, ListView2 the category list.
  ListView ListView1{1, true}, ListView2{1, false};
  Gtk::Entry Text1, Text2;
  Gtk::Button Command1, Command2, Command3, Command4, Command5, Command7, Command8, Command9, Command10;
  std::array<Gtk::Button, 2> Command6;
  Gtk::ComboBoxText ImageCombo2;
  Gtk::Label Label1;
  Gtk::Paned Splitter{Gtk::ORIENTATION_VERTICAL};
  Gtk::Menu mnuPop1;
  Gtk::MenuItem mnuMoveUp, mnuMovedown, mnuToTop, mnuToBot, mnuSortAscend, mnuSortDecend, mnuDelete, mnuMoveToCat,
      mnuCopyToCat, mnuSelectAll, mnuCopSelURLtoClipboard;
  Gtk::SeparatorMenuItem mnuSep1, mnuSep2;

  void F2ToolT();
  void LoadLists();
  // Opened from the History window to take its rows: "Add Selected History
  // Item(s)" gets the focus.
  void TakeHistoryItems();

  // Event handlers.
  void Form_Load();
  void Form_QueryUnload();
  bool Form_KeyDown(GdkEventKey* key);
  void ListView1_Click();
  void ListView2_Click();
  void ListView_BeforeLabelEdit(int index);
  void ListView_AfterLabelEdit(int index, int row, const std::string& text);
  bool ListView_MouseDown(int index, GdkEventButton* e);
  bool ListView_MouseUp(int index, GdkEventButton* e);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click(int index);
  void Command7_Click();
  void Command8_Click();
  void Command9_Click();
  void Command10_Click();
  void mnuMoveUp_Click();
  void mnuMovedown_Click();
  void mnuToTop_Click();
  void mnuToBot_Click();
  void mnuSortAscend_Click();
  void mnuSortDecend_Click();
  void mnuDelete_Click();
  void mnuMoveToCat_Click();
  void mnuCopyToCat_Click();
  void mnuSelectAll_Click();
  void mnuCopSelURLtoClipboard_Click();

  // Makes `index` (1 sites, 2 categories) the list the pop-up menu acts on
  // and sets which menu items apply, as opening the menu over it does.
  void PreparePopup(int index);

  // State the tests read.
  const std::string& CurrentSiteFile() const { return currentSiteFile_; }
  int ActiveList() const { return activeList_; }
  bool RestorePending() const { return restorePending_; }
  const std::string& ImportFolder() const { return importFolder_; }

 private:
  void BuildControls();
  void BuildMenu();
  void ConnectEvents();
  void ApplyListFont();
  void FillCategories(int select);
  void FillSites(const std::vector<int>& select);
  void SetListTips();
  void SetBackupTips();
  bool Confirm(const std::string& text);
  void Show(const std::string& text);
  void MoveSelected(site_list_editor::Move how);
  void SortActive(bool ascending);
  void CopyOrMove(bool move);

  App& app_;
  const Form1* opener_;            // compared only: the owner tells whether it is still open
  std::optional<FlagScope> busy_;  // BusyWindowOpen while the editor is loaded
  site_list_editor::ListDirs dirs_;
  std::string currentSiteFile_;
  std::string importFolder_;
  int activeList_ = 1;
  std::array<int, 2> labelEditCounts_{};
  bool restorePending_ = false;
  bool filling_ = false;
  bool loading_ = false;         // LoadLists runs: a read error gets its own message
  bool listReadFailed_ = false;  // a list file was there but could not be read
  int lastCategory_ = -1;
  bool unloaded_ = false;
};
