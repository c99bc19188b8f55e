#include <gtest/gtest.h>

#include "ui/logic/result_order.h"

using namespace vemtrix;

namespace {

std::vector<std::int32_t> Shown(const ResultOrder& order) {
  std::vector<std::int32_t> rows;
  for (std::int32_t i = 0; i < order.Size(); ++i) rows.push_back(order.RowAt(i));
  return rows;
}

}  // namespace

TEST(ResultOrderTest, SearchRowsGoOnTopOfALoadAndRebuildsReturnToStoreOrder) {
  ResultOrder order;
  // A load of five rows, then a search adds rows 6 and 7.
  order.ResetToStoreOrder(5);
  order.PushTop(6);
  order.PushTop(7);
  EXPECT_EQ(Shown(order), (std::vector<std::int32_t>{7, 6, 1, 2, 3, 4, 5}));
  EXPECT_EQ(order.RowAt(-1), 0);
  EXPECT_EQ(order.RowAt(7), 0);

  // A deletion leaves six rows; a sort leaves them all: store order again.
  order.ResetToStoreOrder(6);
  EXPECT_EQ(Shown(order), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
  order.PushTop(7);
  EXPECT_EQ(order.RowAt(0), 7);
  EXPECT_EQ(order.RowAt(1), 1);
  order.ResetToStoreOrder(0);
  EXPECT_EQ(order.Size(), 0);
  order.PushTop(1);
  order.Clear();
  EXPECT_EQ(order.Size(), 0);
  EXPECT_EQ(order.RowAt(0), 0);
}

TEST(ResultOrderTest, AMillionTopInsertsStayCheapAndSmall) {
  ResultOrder order;
  order.ResetToStoreOrder(1000);
  const std::int32_t n = 1000000;
  for (std::int32_t row = 1001; row <= 1000 + n; ++row) order.PushTop(row);
  ASSERT_EQ(order.Size(), 1000 + n);
  EXPECT_EQ(order.RowAt(0), 1000 + n);
  EXPECT_EQ(order.RowAt(n - 1), 1001);
  EXPECT_EQ(order.RowAt(n), 1);
  EXPECT_EQ(order.RowAt(n + 999), 1000);
  EXPECT_LE(order.MemoryBytes(), static_cast<std::size_t>(16) * static_cast<std::size_t>(order.Size()));
}

TEST(ResultOrderTest, ColumnArrangementsReadBackAndDamagedOnesAreIgnored) {
  const std::vector<ColumnPlace> places = {{5, 60}, {0, 70}, {1, 300}, {2, 80}, {3, 80}, {4, 66}};
  EXPECT_EQ(FormatResultColumns(places), "5:60,0:70,1:300,2:80,3:80,4:66");
  EXPECT_EQ(ParseResultColumns(FormatResultColumns(places)), places);
  for (const char* damaged : {"", "0:1", "0:1,1:1,2:1,3:1,4:1,4:1", "0:1,1:1,2:1,3:1,4:1,6:1",
                              "0:1,1:1,2:1,3:1,4:1,5:x", "0:1,1:1,2:1,3:1,4:1,5:99999", "0:1,1:1,2:1,3:1,4:1,5:"})
    EXPECT_TRUE(ParseResultColumns(damaged).empty()) << damaged;
}
