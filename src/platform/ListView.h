// A report-style list: rows of a text and sub-items, with a key per row,
// selection, column captions and widths. The windows' lists are all this.
#pragma once

#include <gtkmm.h>

#include <string>
#include <vector>

class ListView : public Gtk::ScrolledWindow {
 public:
  explicit ListView(int subItems = 1, bool multiSelect = false);

  void SetColumnCaptions(const std::vector<std::string>& captions);
  void SetColumnWidth(int column, int pixels);
  int ColumnWidth(int column) const;
  void SetFont(const Pango::FontDescription& font);

  void Clear();
  // Filling many rows: the view lets go of its rows meanwhile, so it does not
  // redraw and re-measure after each one.
  void BeginUpdate();
  void EndUpdate();
  int AddRow(const std::string& text, const std::vector<std::string>& subItems = {}, const std::string& key = "",
             bool bold = false);
  // Puts a row at a position (clamped to 0..RowCount()); returns where it went.
  int InsertRow(int position, const std::string& text, const std::vector<std::string>& subItems = {},
                const std::string& key = "");
  void RemoveRow(int row);
  // Puts the rows in a new order: row i becomes the row that stood at order[i].
  void Reorder(const std::vector<int>& order);
  // Replaces every row in steps, the window staying responsive meanwhile:
  // the rows go into a store the view shows only from CommitRows on, so the
  // old rows stay until then and DropRows leaves them as they were.
  void BeginRows();
  void AddPendingRow(const std::string& text, const std::vector<std::string>& subItems = {},
                     const std::string& key = "", bool bold = false);
  int PendingRowCount() const;
  void CommitRows();
  void DropRows();
  // The first row with this key, -1 when none.
  int FindKey(const std::string& key) const;
  int RowCount() const;
  std::string Text(int row) const;
  std::string SubItem(int row, int index) const;  // 1-based like the columns after the first
  std::string Key(int row) const;
  void SetSubItem(int row, int index, const std::string& value);
  void SetText(int row, const std::string& text);

  int SelectedIndex() const;  // first selected row, -1 when none
  std::vector<int> SelectedRows() const;
  void Select(int row, bool only = true);
  void EnsureVisible(int row);

  // In-place editing of a row's text (off by default): a click on the
  // selected row's text or F2 opens the editor. The list never changes the
  // text itself: AfterLabelEdit's handler decides and sets it.
  void SetLabelEdit(bool on);
  void StartLabelEdit(int row);
  bool Editing() const { return editing_; }

  // A click (or Enter) on a row; a click on a column header.
  sigc::signal<void> Click;
  sigc::signal<void, int> ColumnClick;
  sigc::signal<void, int> BeforeLabelEdit;                     // row
  sigc::signal<void, int, const std::string&> AfterLabelEdit;  // row, the text typed

  Gtk::TreeView& Tree() { return tree_; }

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    explicit Columns(int subItems);
    Gtk::TreeModelColumn<Glib::ustring> text, key;
    Gtk::TreeModelColumn<int> weight;
    std::vector<Gtk::TreeModelColumn<Glib::ustring>> subs;
  };
  Gtk::TreeModel::iterator Row(int row) const;
  int PutRow(const Glib::RefPtr<Gtk::ListStore>& store, int position, const std::string& text,
             const std::vector<std::string>& subItems, const std::string& key, bool bold);

  Columns columns_;
  Glib::RefPtr<Gtk::ListStore> store_;
  Glib::RefPtr<Gtk::ListStore> pending_;  // rows being gathered for CommitRows
  Gtk::TreeView tree_;
  Gtk::CellRendererText* textRenderer_ = nullptr;
  bool editing_ = false;
};
