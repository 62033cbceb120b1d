// The list that keeps no texts of its own: rows follow sorting and
// removals back to their source, long lists come in slices, and the list
// returns to rows of its own when cleared.
#include <string>
#include <tuple>
#include <vector>

#include "gui/GuiTest.h"
#include "platform/ListView.h"

namespace {

using Names = std::vector<std::string>;

class VirtualListView : public GuiTest {
 protected:
  // Row `source` reads "<prefix><source>", its sub-items
  // "s<column>-<source>"; the first row is bold. Counts the texts asked for.
  void Fill(std::size_t count, const std::string& prefix = "t") {
    list.SetVirtualRows(
        count,
        [this, prefix](std::size_t source, int column) {
          ++asked;
          return column == 0 ? prefix + std::to_string(source)
                             : "s" + std::to_string(column) + "-" + std::to_string(source);
        },
        [](std::size_t source) { return source == 0; });
  }
  Names Texts() const {
    Names out;
    for (int i = 0; i < list.RowCount(); ++i) out.push_back(list.Text(i));
    return out;
  }
  int Weight(int row) {
    GtkTreeModel* model = gtk_tree_view_get_model(list.Tree().gobj());
    GtkTreeIter iter;
    EXPECT_TRUE(gtk_tree_model_iter_nth_child(model, &iter, nullptr, row));
    int weight = 0;
    gtk_tree_model_get(model, &iter, 2, &weight, -1);
    return weight;
  }

  ListView list{3, true};
  std::size_t asked = 0;
};

TEST_F(VirtualListView, RowsFollowSortingAndRemovalToTheirSource) {
  Fill(5);
  EXPECT_EQ(asked, 0u);  // nothing is made before it is asked for
  ASSERT_EQ(list.RowCount(), 5);
  EXPECT_EQ(std::make_tuple(list.Text(2), list.SubItem(2, 3), list.Key(2)), std::make_tuple("t2", "s3-2", "2"));
  EXPECT_EQ(list.SubItem(2, 4), "");  // no such column
  EXPECT_EQ(list.Text(5), "");

  // A second order applies to the rows as they stand, not as they came.
  list.Reorder({4, 3, 2, 1, 0});
  list.Reorder({1, 0, 2, 3, 4});
  EXPECT_EQ(Texts(), (Names{"t3", "t4", "t2", "t1", "t0"}));
  EXPECT_EQ(Weight(4), PANGO_WEIGHT_BOLD);
  EXPECT_EQ(Weight(0), PANGO_WEIGHT_NORMAL);
  list.Reorder({0, 0, 1, 2, 3});  // not a permutation: refused
  EXPECT_EQ(list.Text(0), "t3");

  list.RemoveRow(1);
  list.RemoveRow(9);
  EXPECT_EQ(Texts(), (Names{"t3", "t2", "t1", "t0"}));
  EXPECT_EQ(std::make_tuple(list.SourceRow(1), list.Key(1), list.FindKey("0")), std::make_tuple(2L, "2", 3));
  list.Reorder({3, 2, 1, 0});
  EXPECT_EQ(Texts(), (Names{"t0", "t1", "t2", "t3"}));

  list.Select(2);
  list.Select(3, false);
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{2, 3}));

  // Cleared, it holds rows of its own again.
  list.Clear();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SourceRow(0), -1);
  list.AddRow("own", {"a", "b", "c"}, "k");
  EXPECT_EQ(std::make_tuple(list.Text(0), list.SubItem(0, 3), list.Key(0)), std::make_tuple("own", "c", "k"));
}

TEST_F(VirtualListView, ALongListComesInSlicesAndTheNextTakesItsPlaces) {
  int completed = 0;
  ScopedConnection done{list.RowsComplete.connect([&] { ++completed; })};
  Fill(3);
  EXPECT_EQ(completed, 1);  // a short list is complete at once

  constexpr int kMany = 120000;
  Fill(kMany);
  EXPECT_LT(list.RowCount(), kMany);
  EXPECT_EQ(completed, 1);
  list.Reorder({});  // sorting waits for every row
  // Replaced while it comes: the new rows take the places there are and
  // come on from there.
  Fill(kMany + 1, "u");
  EXPECT_EQ(list.Text(0), "u0");
  ASSERT_TRUE(RunUntil([&] { return completed == 2; }));
  ASSERT_EQ(list.RowCount(), kMany + 1);
  EXPECT_EQ(list.Text(kMany), "u" + std::to_string(kMany));

  // As many or a few less take the places at once, none selected, and the
  // rows taken away are gone.
  list.Select(5);
  Fill(kMany - 10, "v");
  EXPECT_EQ(completed, 3);
  EXPECT_EQ(list.RowCount(), kMany - 10);
  EXPECT_EQ(list.Text(kMany - 11), "v" + std::to_string(kMany - 11));
  EXPECT_EQ(list.Text(kMany - 10), "");
  EXPECT_TRUE(list.SelectedRows().empty());
  list.Reorder({1, 0});  // not every row: refused
  EXPECT_EQ(list.Text(0), "v0");

  // Many less: the list starts anew.
  Fill(10, "w");
  ASSERT_TRUE(RunUntil([&] { return completed == 4; }));
  EXPECT_EQ(list.RowCount(), 10);
  EXPECT_EQ(list.Text(9), "w9");
  list.FinishRows();
  EXPECT_EQ(completed, 4);
}

}  // namespace
