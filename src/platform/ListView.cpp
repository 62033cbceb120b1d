#include "platform/ListView.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

// ---- virtual rows ----

// The rows of a virtual list in their shown order, and where their texts
// come from. Owned by the model, which the view may hold on to.
struct ListView::VirtualRows {
  std::vector<uint32_t> order;  // row -> source
  std::size_t shown = 0;        // the first rows, those the view has been told of
  CellText cell;
  std::function<bool(std::size_t)> bold;
  int columns = 0;  // of the model: text, key, weight, then the sub-items
  int stamp = 0;
};

namespace {

// A list model that holds no cells: the view asks for the few it draws.
// Type names are one namespace for the whole process: this one carries
// the program's name.
struct SkelvornaxListRows {
  GObject parent;
  ListView::VirtualRows* rows;
};
struct SkelvornaxListRowsClass {
  GObjectClass parent;
};
using VirtualModel = SkelvornaxListRows;

void VirtualModelInterface(GtkTreeModelIface* iface);
G_DEFINE_TYPE_WITH_CODE(SkelvornaxListRows, virtual_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, VirtualModelInterface))

ListView::VirtualRows* RowsOf(GtkTreeModel* model) { return reinterpret_cast<VirtualModel*>(model)->rows; }

void virtual_model_init(VirtualModel* model) { model->rows = nullptr; }

void VirtualModelFinalize(GObject* object) {
  delete reinterpret_cast<VirtualModel*>(object)->rows;
  G_OBJECT_CLASS(virtual_model_parent_class)->finalize(object);
}

void virtual_model_class_init(SkelvornaxListRowsClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = VirtualModelFinalize;
}

gboolean SetIter(GtkTreeModel* model, GtkTreeIter* iter, gint row) {
  const ListView::VirtualRows* rows = RowsOf(model);
  if (row < 0 || static_cast<std::size_t>(row) >= rows->shown) {
    iter->stamp = 0;
    return FALSE;
  }
  iter->stamp = rows->stamp;
  iter->user_data = GINT_TO_POINTER(row);
  return TRUE;
}

gint RowOf(const GtkTreeIter* iter) { return GPOINTER_TO_INT(iter->user_data); }

Gtk::TreeModel::Path PathOf(int row) {
  Gtk::TreeModel::Path path;
  path.push_back(row);
  return path;
}

void CellValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
  const ListView::VirtualRows* rows = RowsOf(model);
  const gint row = RowOf(iter);
  if (iter->stamp != rows->stamp || row < 0 || static_cast<std::size_t>(row) >= rows->shown) {
    g_value_init(value, column == 2 ? G_TYPE_INT : G_TYPE_STRING);  // an iterator from before a change
    return;
  }
  const std::size_t source = rows->order[static_cast<std::size_t>(row)];
  if (column == 2) {
    g_value_init(value, G_TYPE_INT);
    bool bold = false;
    try {
      bold = rows->bold && rows->bold(source);
    } catch (...) {  // drawing goes on without it
    }
    g_value_set_int(value, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    return;
  }
  g_value_init(value, G_TYPE_STRING);
  try {
    const std::string text = column == 1 ? std::to_string(source) : rows->cell(source, column == 0 ? 0 : column - 2);
    g_value_set_string(value, text.c_str());
  } catch (...) {  // an empty cell rather than an exception through GTK
    g_value_set_string(value, "");
  }
}

void VirtualModelInterface(GtkTreeModelIface* iface) {
  iface->get_flags = [](GtkTreeModel*) { return GTK_TREE_MODEL_LIST_ONLY; };
  iface->get_n_columns = [](GtkTreeModel* model) { return RowsOf(model)->columns; };
  iface->get_column_type = [](GtkTreeModel*, gint column) { return column == 2 ? G_TYPE_INT : G_TYPE_STRING; };
  iface->get_iter = [](GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
    if (gtk_tree_path_get_depth(path) != 1) return FALSE;
    return SetIter(model, iter, gtk_tree_path_get_indices(path)[0]);
  };
  iface->get_path = [](GtkTreeModel*, GtkTreeIter* iter) { return gtk_tree_path_new_from_indices(RowOf(iter), -1); };
  iface->get_value = CellValue;
  iface->iter_next = [](GtkTreeModel* model, GtkTreeIter* iter) { return SetIter(model, iter, RowOf(iter) + 1); };
  iface->iter_previous = [](GtkTreeModel* model, GtkTreeIter* iter) { return SetIter(model, iter, RowOf(iter) - 1); };
  iface->iter_children = [](GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
    return parent ? FALSE : SetIter(model, iter, 0);
  };
  iface->iter_has_child = [](GtkTreeModel*, GtkTreeIter*) { return FALSE; };
  iface->iter_n_children = [](GtkTreeModel* model, GtkTreeIter* iter) {
    return iter ? 0 : static_cast<gint>(RowsOf(model)->shown);
  };
  iface->iter_nth_child = [](GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
    return parent ? FALSE : SetIter(model, iter, n);
  };
  iface->iter_parent = [](GtkTreeModel*, GtkTreeIter*, GtkTreeIter*) { return FALSE; };
}

}  // namespace

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

ListView::~ListView() { DropVirtualRows(); }

ListView::VirtualRows* ListView::Virtual() const { return virtual_ ? RowsOf(virtual_) : nullptr; }

namespace {
// A view told of a list's rows all at once takes about 0.13 µs a row (60,000
// rows in some 8 ms), one told row by row five times as long: the first
// rows go up at once, the rest in slices, so the window never stops for long.
constexpr std::size_t kFirstRows = 60000;
constexpr gint64 kSliceUs = 8000;
}  // namespace

void ListView::SetVirtualRows(std::size_t count, CellText cell, std::function<bool(std::size_t)> bold) {
  auto* rows = new VirtualRows;
  rows->order.resize(count);
  std::iota(rows->order.begin(), rows->order.end(), 0U);
  rows->cell = std::move(cell);
  rows->bold = std::move(bold);
  rows->columns = static_cast<int>(3 + columns_.subs.size());
  rows->stamp = static_cast<int>(g_random_int());
  growth_.disconnect();
  if (TakeRowsInPlace(rows)) return;
  auto* model = static_cast<VirtualModel*>(g_object_new(virtual_model_get_type(), nullptr));
  model->rows = rows;
  // Letting go of many old rows takes the view a while too: then the new
  // rows go up from the next slice on.
  const bool manyOld = RowCount() > static_cast<int>(kFirstRows);
  gtk_tree_view_set_model(tree_.gobj(), nullptr);
  DropVirtualRows();
  virtual_ = GTK_TREE_MODEL(model);
  store_->clear();
  if (!manyOld) ShowFirstRows();
  if (manyOld || rows->shown < count)
    StartGrowth();
  else
    RowsComplete.emit();
}

bool ListView::TakeRowsInPlace(VirtualRows* fresh) {
  // The view keeps the places of the rows it has for the new ones: telling
  // it of many rows again costs it far more than the few that differ.
  // Taking many away costs as much, and a view with few rows is as quickly
  // told of the first rows anew.
  constexpr std::size_t kMostTakenAway = 8000;
  VirtualRows* rows = Virtual();
  if (!rows || gtk_tree_view_get_model(tree_.gobj()) != virtual_ ||
      rows->shown < std::min(fresh->order.size(), kFirstRows) || rows->shown > fresh->order.size() + kMostTakenAway) {
    return false;
  }
  tree_.get_selection()->unselect_all();
  const std::size_t had = rows->shown;
  std::swap(*rows, *fresh);
  delete fresh;  // the old rows, and what their texts came from
  rows->shown = had;
  GtkTreePath* path = gtk_tree_path_new();
  while (rows->shown > rows->order.size()) {
    gtk_tree_path_up(path);
    gtk_tree_path_append_index(path, static_cast<gint>(--rows->shown));
    gtk_tree_model_row_deleted(virtual_, path);
  }
  gtk_tree_path_free(path);
  // The rows in view show their new texts; the view goes back to the top.
  GtkTreePath* first = nullptr;
  GtkTreePath* last = nullptr;
  if (gtk_tree_view_get_visible_range(tree_.gobj(), &first, &last)) {
    for (GtkTreeIter iter; gtk_tree_path_compare(first, last) <= 0; gtk_tree_path_next(first))
      if (gtk_tree_model_get_iter(virtual_, &iter, first)) gtk_tree_model_row_changed(virtual_, first, &iter);
    gtk_tree_path_free(first);
    gtk_tree_path_free(last);
  }
  tree_.queue_draw();
  get_vadjustment()->set_value(0);
  if (rows->shown < rows->order.size())
    StartGrowth();
  else
    RowsComplete.emit();
  return true;
}

void ListView::ShowFirstRows() {
  VirtualRows* rows = Virtual();
  rows->shown = std::min(rows->order.size(), kFirstRows);
  gtk_tree_view_set_model(tree_.gobj(), virtual_);
}

void ListView::StartGrowth() {
  quickGrowth_ = false;
  growth_ = Glib::signal_idle().connect(sigc::mem_fun(*this, &ListView::GrowRows));
}

bool ListView::GrowRows() {
  VirtualRows* rows = Virtual();
  if (!rows) return false;
  if (gtk_tree_view_get_model(tree_.gobj()) != virtual_) {
    ShowFirstRows();
    if (rows->shown < rows->order.size()) return true;
  } else {
    if (!quickGrowth_) {
      // The rows on screen have been drawn: the rest go in below them, each
      // slice before the list is laid out and drawn again (once, at the
      // end), and still after any input and timer.
      quickGrowth_ = true;
      growth_ = Glib::signal_idle().connect(sigc::mem_fun(*this, &ListView::GrowRows), G_PRIORITY_HIGH_IDLE);
      return false;
    }
    const gint64 until = g_get_monotonic_time() + kSliceUs;
    while (rows->shown < rows->order.size()) {
      ShowNextRows(256);
      if (g_get_monotonic_time() > until) return true;
    }
  }
  growth_.disconnect();
  RowsComplete.emit();
  return false;
}

void ListView::ShowNextRows(std::size_t most) {
  VirtualRows* rows = Virtual();
  const std::size_t end = std::min(rows->order.size(), rows->shown + most);
  if (rows->shown >= end) return;
  GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<gint>(rows->shown), -1);
  GtkTreeIter iter;
  iter.stamp = rows->stamp;
  while (rows->shown < end) {
    iter.user_data = GINT_TO_POINTER(static_cast<gint>(rows->shown));
    ++rows->shown;
    gtk_tree_model_row_inserted(virtual_, path, &iter);
    gtk_tree_path_next(path);
  }
  gtk_tree_path_free(path);
}

void ListView::FinishRows() {
  if (!growth_.connected()) return;
  VirtualRows* rows = Virtual();
  if (gtk_tree_view_get_model(tree_.gobj()) != virtual_) ShowFirstRows();
  ShowNextRows(rows->order.size());
  growth_.disconnect();
  RowsComplete.emit();
}

void ListView::DropVirtualRows() {
  growth_.disconnect();
  if (!virtual_) return;
  GtkTreeModel* model = std::exchange(virtual_, nullptr);
  // Whatever still holds the model gets no texts from the caller, which may be gone.
  RowsOf(model)->cell = [](std::size_t, int) { return std::string(); };
  RowsOf(model)->bold = nullptr;
  g_object_unref(model);
}

long ListView::SourceRow(int row) const {
  const VirtualRows* rows = Virtual();
  if (!rows || row < 0 || static_cast<std::size_t>(row) >= rows->shown) return -1;
  return static_cast<long>(rows->order[static_cast<std::size_t>(row)]);
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

void ListView::Clear() {
  store_->clear();
  growth_.disconnect();
  if (!virtual_) return;
  tree_.set_model(store_);
  DropVirtualRows();
}

void ListView::BeginUpdate() { tree_.unset_model(); }

void ListView::EndUpdate() {
  if (virtual_)
    gtk_tree_view_set_model(tree_.gobj(), virtual_);
  else
    tree_.set_model(store_);
}

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
  if (VirtualRows* rows = Virtual()) {
    if (row < 0 || row >= RowCount()) return;
    rows->order.erase(rows->order.begin() + row);
    --rows->shown;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_model_row_deleted(virtual_, path);
    gtk_tree_path_free(path);
    return;
  }
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
  if (VirtualRows* rows = Virtual()) {
    if (rows->shown != rows->order.size()) return;  // not every row is there to be ordered yet
    std::vector<uint32_t> sources(rows->order.size());
    for (std::size_t i = 0; i < sources.size(); ++i) sources[i] = rows->order[static_cast<std::size_t>(order[i])];
    rows->order.swap(sources);
    GtkTreePath* root = gtk_tree_path_new();
    gtk_tree_model_rows_reordered_with_length(virtual_, root, nullptr, newOrder.data(),
                                              static_cast<gint>(order.size()));
    gtk_tree_path_free(root);
    return;
  }
  gtk_list_store_reorder(store_->gobj(), newOrder.data());
}

int ListView::FindKey(const std::string& key) const {
  if (virtual_) {
    for (int row = 0; row < RowCount(); ++row)
      if (Key(row) == key) return row;
    return -1;
  }
  int row = 0;
  for (const auto& r : store_->children()) {
    if (Glib::ustring(r[columns_.key]).raw() == key) return row;
    ++row;
  }
  return -1;
}

int ListView::RowCount() const {
  if (const VirtualRows* rows = Virtual()) return static_cast<int>(rows->shown);
  return static_cast<int>(store_->children().size());
}

Gtk::TreeModel::iterator ListView::Row(int row) const {
  if (virtual_ || row < 0 || row >= RowCount()) return {};
  return store_->children()[static_cast<unsigned>(row)];
}

std::string ListView::Text(int row) const {
  if (virtual_) return SourceRow(row) < 0 ? "" : Virtual()->cell(static_cast<std::size_t>(SourceRow(row)), 0);
  auto it = Row(row);
  return it ? Glib::ustring((*it)[columns_.text]).raw() : "";
}

std::string ListView::SubItem(int row, int index) const {
  if (index < 1 || index > static_cast<int>(columns_.subs.size())) return "";
  if (virtual_) return SourceRow(row) < 0 ? "" : Virtual()->cell(static_cast<std::size_t>(SourceRow(row)), index);
  auto it = Row(row);
  if (!it) return "";
  return Glib::ustring((*it)[columns_.subs[static_cast<std::size_t>(index - 1)]]).raw();
}

std::string ListView::Key(int row) const {
  if (virtual_) return SourceRow(row) < 0 ? "" : std::to_string(SourceRow(row));
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
  if (row < 0 || row >= RowCount()) return;
  if (only) tree_.get_selection()->unselect_all();
  tree_.get_selection()->select(PathOf(row));
}

void ListView::EnsureVisible(int row) {
  if (row >= 0 && row < RowCount()) tree_.scroll_to_row(PathOf(row));
}
