// A report-style list: rows of a text and sub-items, with a key per row,
// selection, column captions and widths. The windows' lists are all this.
#pragma once

#include <gtkmm.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class ListView : public Gtk::ScrolledWindow {
 public:
  explicit ListView(int subItems = 1, bool multiSelect = false);
  ~ListView() override;

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
  // Replaces every row with `count` rows the list keeps no text of:
  // `cell(source, column)` gives a cell's text (column 0 the text, 1.. the
  // sub-items) only when it is shown or asked for, `bold(source)` its weight.
  // A row's source is its number in the caller's data, 0..count-1, wherever
  // sorting and removals put it; its Key is that number as text. Rows cannot
  // be added or edited; Clear returns the list to rows of its own. A long
  // list shows its first rows at once and gains the rest in short slices
  // (RowCount counts those shown), then emits RowsComplete.
  using CellText = std::function<std::string(std::size_t source, int column)>;
  void SetVirtualRows(std::size_t count, CellText cell, std::function<bool(std::size_t source)> bold);
  // Shows the rest of the rows now.
  void FinishRows();
  // The source of a row of virtual rows, -1 when none.
  long SourceRow(int row) const;
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
  sigc::signal<void> RowsComplete;                             // every virtual row is shown
  sigc::signal<void, int> BeforeLabelEdit;                     // row
  sigc::signal<void, int, const std::string&> AfterLabelEdit;  // row, the text typed

  Gtk::TreeView& Tree() { return tree_; }

  struct VirtualRows;  // the list's own, public for its model's sake

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    explicit Columns(int subItems);
    Gtk::TreeModelColumn<Glib::ustring> text, key;
    Gtk::TreeModelColumn<int> weight;
    std::vector<Gtk::TreeModelColumn<Glib::ustring>> subs;
  };
  Gtk::TreeModel::iterator Row(int row) const;
  VirtualRows* Virtual() const;
  void DropVirtualRows();
  bool TakeRowsInPlace(VirtualRows* fresh);
  void ShowFirstRows();
  void StartGrowth();
  bool GrowRows();
  void ShowNextRows(std::size_t most);
  int PutRow(const Glib::RefPtr<Gtk::ListStore>& store, int position, const std::string& text,
             const std::vector<std::string>& subItems, const std::string& key, bool bold);

  Columns columns_;
  Glib::RefPtr<Gtk::ListStore> store_;
  GtkTreeModel* virtual_ = nullptr;  // the model of virtual rows, when shown
  sigc::connection growth_;          // rows still to show
  bool quickGrowth_ = false;         // growing ahead of redraws
  Gtk::TreeView tree_;
  Gtk::CellRendererText* textRenderer_ = nullptr;
  bool editing_ = false;
};
