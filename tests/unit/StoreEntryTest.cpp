#include <gtest/gtest.h>

#include "core/StoreEntry.h"

namespace kestrova {
namespace {

TEST(StoreEntryTest, SplitsAtTheFirstDashOnly) {
    const SplitEntry plain = SplitStoreEntry("E:-C:\\PROGRA~1\\MYDATA~1");
    EXPECT_EQ(plain.letter, "E:");
    EXPECT_EQ(plain.storedFolder, "C:\\PROGRA~1\\MYDATA~1");
    EXPECT_TRUE(plain.hasSeparator);

    const SplitEntry dashed = SplitStoreEntry("F:-C:\\MY-DIR\\MY-FOL~1");
    EXPECT_EQ(dashed.letter, "F:");
    EXPECT_EQ(dashed.storedFolder, "C:\\MY-DIR\\MY-FOL~1");

    const SplitEntry unc = SplitStoreEntry("G:-\"\\\\server\\share dir\"");
    EXPECT_EQ(unc.storedFolder, "\"\\\\server\\share dir\"");
    EXPECT_TRUE(IsQuotedUncFolder(unc.storedFolder));
    EXPECT_FALSE(IsQuotedUncFolder("\"\\server"));
    EXPECT_FALSE(IsQuotedUncFolder("C:\\\"\\\\x"));

    const SplitEntry lower = SplitStoreEntry("e:-C:\\X");
    EXPECT_EQ(lower.letter, "e:");  // the letter as stored
}

TEST(StoreEntryTest, LineWithoutDashIsAllLetterAndNoFolder) {
    const SplitEntry split = SplitStoreEntry("just some text");
    EXPECT_FALSE(split.hasSeparator);
    EXPECT_EQ(split.letter, "just some text");
    EXPECT_EQ(split.storedFolder, "");
    EXPECT_TRUE(SplitStoreEntry("E:-").hasSeparator);
}

}  // namespace
}  // namespace kestrova
