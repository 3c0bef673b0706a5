#include <gtest/gtest.h>

#include "core/DriveTable.h"

namespace kestrova {
namespace {

DriveRow Row(const std::string& letter, const std::string& stored) {
    DriveRow row;
    row.letter = letter;
    row.folder = "C:\\long " + letter;
    row.storedFolder = stored;
    return row;
}

TEST(DriveTableTest, MountEntriesFollowTheRowsThroughEveryChange) {
    DriveTable table;
    table.Append(Row("E:", "C:\\A"));
    table.Append(Row("F:", "C:\\B"));
    table.Append(Row("G:", "\"\\\\srv\\x\""));
    EXPECT_EQ(table.MountEntries(),
              (std::vector<std::string>{"E:-C:\\A", "F:-C:\\B", "G:-\"\\\\srv\\x\""}));

    table.RemoveAt(1);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.MountEntry(1), "G:-\"\\\\srv\\x\"");
    EXPECT_EQ(table.Row(1).letter, "G:");

    table.RemoveAt(7);  // no such row: nothing changes
    EXPECT_EQ(table.Count(), 2u);
}

TEST(DriveTableTest, SelectionStaysOnItsRowWhenOthersAreRemoved) {
    DriveTable table;
    for (const char* letter : {"E:", "F:", "G:", "H:"}) {
        table.Append(Row(letter, "C:\\X"));
    }
    table.Select(2);
    table.RemoveAt(0);
    ASSERT_TRUE(table.Selected().has_value());
    EXPECT_EQ(table.Row(*table.Selected()).letter, "G:");
    table.RemoveAt(2);  // below the selection
    EXPECT_EQ(table.Row(*table.Selected()).letter, "G:");
    table.RemoveAt(*table.Selected());
    EXPECT_FALSE(table.Selected().has_value());

    table.Select(9);
    EXPECT_FALSE(table.Selected().has_value());
}

}  // namespace
}  // namespace kestrova
