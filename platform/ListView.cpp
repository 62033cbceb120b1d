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

int ListView::AddRow(const std::string& text, const std::vector<std::string>& subItems, const std::string& key,
                     bool bold) {
  auto row = *store_->append();
  row[columns_.text] = text;
  row[columns_.key] = key;
  row[columns_.weight] = bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL;
  for (std::size_t i = 0; i < subItems.size() && i < columns_.subs.size(); ++i) row[columns_.subs[i]] = subItems[i];
  return RowCount() - 1;
}

int ListView::InsertRow(int position, const std::string& text, const std::vector<std::string>& subItems,
                        const std::string& key) {
  position = std::clamp(position, 0, RowCount());
  auto row = position == RowCount() ? *store_->append() : *store_->insert(Row(position));
  row[columns_.text] = text;
  row[columns_.key] = key;
  row[columns_.weight] = PANGO_WEIGHT_NORMAL;
  for (std::size_t i = 0; i < subItems.size() && i < columns_.subs.size(); ++i) row[columns_.subs[i]] = subItems[i];
  return position;
}

void ListView::RemoveRow(int row) {
  auto it = Row(row);
  if (it) store_->erase(it);
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
