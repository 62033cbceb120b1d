#include "platform/ListView.h"

#include <algorithm>

ListView::Columns::Columns(int subItems) : subs(static_cast<std::size_t>(subItems)) {
  add(text);
  add(key);
  add(weight);
  for (auto& c : subs) add(c);
}

ListView::ListView(int subItems, bool multiSelect) : columns_(subItems), store_(Gtk::ListStore::create(columns_)) {
  tree_.set_model(store_);
  auto addColumn = [this](const Gtk::TreeModelColumn<Glib::ustring>& col, bool withWeight) {
    auto* renderer = Gtk::manage(new Gtk::CellRendererText);
    if (!textRenderer_) textRenderer_ = renderer;
    renderer->property_ellipsize() = Pango::ELLIPSIZE_END;
    auto* column = Gtk::manage(new Gtk::TreeViewColumn(""));
    column->pack_start(*renderer, true);
    column->add_attribute(renderer->property_text(), col);
    if (withWeight) column->add_attribute(renderer->property_weight(), columns_.weight);
    column->set_resizable(true);
    column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    column->set_fixed_width(150);
    column->set_clickable(true);
    const int index = static_cast<int>(tree_.get_n_columns());
    column->signal_clicked().connect([this, index] { ColumnClick.emit(index); });
    tree_.append_column(*column);
  };
  addColumn(columns_.text, true);
  for (auto& c : columns_.subs) addColumn(c, false);
  tree_.get_selection()->set_mode(multiSelect ? Gtk::SELECTION_MULTIPLE : Gtk::SELECTION_SINGLE);
  tree_.set_enable_search(false);
  // Click fires after the selection has followed the pointer.
  tree_.signal_button_release_event().connect(
      [this](GdkEventButton* e) {
        Gtk::TreeModel::Path path;
        if (e->button == 1 && e->window == tree_.get_bin_window()->gobj() &&
            tree_.get_path_at_pos(static_cast<int>(e->x), static_cast<int>(e->y), path))
          Click.emit();
        return false;
      },
      false);
  tree_.signal_row_activated().connect([this](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) { Click.emit(); });
  textRenderer_->signal_editing_started().connect([this](Gtk::CellEditable*, const Glib::ustring& path) {
    editing_ = true;
    BeforeLabelEdit.emit(Gtk::TreeModel::Path(path)[0]);
  });
  textRenderer_->signal_editing_canceled().connect([this] { editing_ = false; });
  textRenderer_->signal_edited().connect([this](const Glib::ustring& path, const Glib::ustring& text) {
    editing_ = false;
    AfterLabelEdit.emit(Gtk::TreeModel::Path(path)[0], text.raw());
  });
  tree_.signal_key_press_event().connect(
      [this](GdkEventKey* e) {
        if (e->keyval != GDK_KEY_F2 || !textRenderer_->property_editable().get_value()) return false;
        StartLabelEdit(SelectedIndex());
        return true;
      },
      false);
  set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  set_shadow_type(Gtk::SHADOW_IN);
  add(tree_);
  tree_.show();
}

void ListView::SetColumnCaptions(const std::vector<std::string>& captions) {
  for (std::size_t i = 0; i < captions.size() && i < tree_.get_n_columns(); ++i)
    tree_.get_column(static_cast<int>(i))->set_title(captions[i]);
}

void ListView::SetColumnWidth(int column, int pixels) {
  if (auto* c = tree_.get_column(column)) c->set_fixed_width(std::max(pixels, 1));
}

int ListView::ColumnWidth(int column) const {
  const auto* c = tree_.get_column(column);
  if (!c) return 0;
  return c->get_width() > 0 ? c->get_width() : c->get_fixed_width();
}

void ListView::SetFont(const Pango::FontDescription& font) {
  for (auto* column : tree_.get_columns())
    for (auto* cell : column->get_cells())
      if (auto* text = dynamic_cast<Gtk::CellRendererText*>(cell)) text->property_font_desc() = font;
  tree_.columns_autosize();
}

void ListView::Clear() { store_->clear(); }

void ListView::BeginUpdate() { tree_.unset_model(); }

void ListView::EndUpdate() { tree_.set_model(store_); }

int ListView::AddRow(const std::string& text, const std::vector<std::string>& subItems, const std::string& key,
                     bool bold) {
  return PutRow(store_, RowCount(), text, subItems, key, bold);
}

int ListView::InsertRow(int position, const std::string& text, const std::vector<std::string>& subItems,
                        const std::string& key) {
  return PutRow(store_, std::clamp(position, 0, RowCount()), text, subItems, key, false);
}

// One call per row: the store tells the view about a row once, not once
// per column (filling thousands of rows is much faster that way).
int ListView::PutRow(const Glib::RefPtr<Gtk::ListStore>& store, int position, const std::string& text,
                     const std::vector<std::string>& subItems, const std::string& key, bool bold) {
  const std::size_t columns = 3 + columns_.subs.size();
  std::vector<GValue> values(columns, G_VALUE_INIT);
  std::vector<int> indexes(columns);
  auto setString = [&](std::size_t i, const std::string& v) {
    g_value_init(&values[i], G_TYPE_STRING);
    g_value_set_string(&values[i], v.c_str());
  };
  setString(0, text);
  setString(1, key);
  g_value_init(&values[2], G_TYPE_INT);
  g_value_set_int(&values[2], bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  for (std::size_t i = 0; i < columns_.subs.size(); ++i) setString(3 + i, i < subItems.size() ? subItems[i] : "");
  for (std::size_t i = 0; i < columns; ++i) indexes[i] = static_cast<int>(i);
  GtkTreeIter iter;
  gtk_list_store_insert_with_valuesv(store->gobj(), &iter, position, indexes.data(), values.data(),
                                     static_cast<int>(columns));
  for (auto& v : values) g_value_unset(&v);
  return position;
}

void ListView::RemoveRow(int row) {
  auto it = Row(row);
  if (it) store_->erase(it);
}

void ListView::Reorder(const std::vector<int>& order) {
  if (static_cast<int>(order.size()) != RowCount() || order.empty()) return;
  std::vector<int> check(order);
  std::sort(check.begin(), check.end());
  for (std::size_t i = 0; i < check.size(); ++i)
    if (check[i] != static_cast<int>(i)) return;  // not a permutation: the store would refuse it
  std::vector<int> newOrder(order);
  gtk_list_store_reorder(store_->gobj(), newOrder.data());
}

void ListView::BeginRows() { pending_ = Gtk::ListStore::create(columns_); }

void ListView::AddPendingRow(const std::string& text, const std::vector<std::string>& subItems, const std::string& key,
                             bool bold) {
  if (!pending_) BeginRows();
  PutRow(pending_, static_cast<int>(pending_->children().size()), text, subItems, key, bold);
}

int ListView::PendingRowCount() const { return pending_ ? static_cast<int>(pending_->children().size()) : 0; }

void ListView::CommitRows() {
  if (!pending_) BeginRows();
  store_ = pending_;
  pending_.reset();
  tree_.set_model(store_);
}

void ListView::DropRows() { pending_.reset(); }

int ListView::FindKey(const std::string& key) const {
  int row = 0;
  for (const auto& r : store_->children()) {
    if (Glib::ustring(r[columns_.key]).raw() == key) return row;
    ++row;
  }
  return -1;
}

int ListView::RowCount() const { return static_cast<int>(store_->children().size()); }

Gtk::TreeModel::iterator ListView::Row(int row) const {
  if (row < 0 || row >= RowCount()) return {};
  return store_->children()[static_cast<unsigned>(row)];
}

std::string ListView::Text(int row) const {
  auto it = Row(row);
  return it ? Glib::ustring((*it)[columns_.text]).raw() : "";
}

std::string ListView::SubItem(int row, int index) const {
  auto it = Row(row);
  if (!it || index < 1 || index > static_cast<int>(columns_.subs.size())) return "";
  return Glib::ustring((*it)[columns_.subs[static_cast<std::size_t>(index - 1)]]).raw();
}

std::string ListView::Key(int row) const {
  auto it = Row(row);
  return it ? Glib::ustring((*it)[columns_.key]).raw() : "";
}

void ListView::SetSubItem(int row, int index, const std::string& value) {
  auto it = Row(row);
  if (it && index >= 1 && index <= static_cast<int>(columns_.subs.size()))
    (*it)[columns_.subs[static_cast<std::size_t>(index - 1)]] = value;
}

void ListView::SetText(int row, const std::string& text) {
  auto it = Row(row);
  if (it) (*it)[columns_.text] = text;
}

void ListView::SetLabelEdit(bool on) { textRenderer_->property_editable() = on; }

void ListView::StartLabelEdit(int row) {
  auto it = Row(row);
  if (!it || !textRenderer_->property_editable().get_value()) return;
  tree_.grab_focus();
  tree_.set_cursor(store_->get_path(it), *tree_.get_column(0), true);
}

std::vector<int> ListView::SelectedRows() const {
  std::vector<int> rows;
  for (const auto& path : tree_.get_selection()->get_selected_rows()) rows.push_back(path[0]);
  return rows;
}

int ListView::SelectedIndex() const {
  const auto rows = SelectedRows();
  return rows.empty() ? -1 : rows.front();
}

void ListView::Select(int row, bool only) {
  auto it = Row(row);
  if (!it) return;
  if (only) tree_.get_selection()->unselect_all();
  tree_.get_selection()->select(it);
}

void ListView::EnsureVisible(int row) {
  auto it = Row(row);
  if (it) tree_.scroll_to_row(store_->get_path(it));
}
