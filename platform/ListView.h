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
  int AddRow(const std::string& text, const std::vector<std::string>& subItems = {}, const std::string& key = "",
             bool bold = false);
  // Puts a row at a position (clamped to 0..RowCount()); returns where it went.
  int InsertRow(int position, const std::string& text, const std::vector<std::string>& subItems = {},
                const std::string& key = "");
  void RemoveRow(int row);
  int RowCount() const;
  std::string Text(int row) const;
  std::string SubItem(int row, int index) const;  // 1-based like the columns after the first
  std::string Key(int row) const;
  void SetSubItem(int row, int index, const std::string& value);

  int SelectedIndex() const;  // first selected row, -1 when none
  std::vector<int> SelectedRows() const;
  void Select(int row, bool only = true);
  void EnsureVisible(int row);

  // A click (or Enter) on a row; a click on a column header.
  sigc::signal<void> Click;
  sigc::signal<void, int> ColumnClick;

  Gtk::TreeView& Tree() { return tree_; }

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    explicit Columns(int subItems);
    Gtk::TreeModelColumn<Glib::ustring> text, key;
    Gtk::TreeModelColumn<int> weight;
    std::vector<Gtk::TreeModelColumn<Glib::ustring>> subs;
  };
  Gtk::TreeModel::iterator Row(int row) const;

  Columns columns_;
  Glib::RefPtr<Gtk::ListStore> store_;
  Gtk::TreeView tree_;
};
