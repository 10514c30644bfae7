#include <gtest/gtest.h>

#include "services/Text.h"

using namespace quellrin;

namespace {

// 運 is DF 5C in code page 936: its trail byte is a backslash.
const Text kYun = "\xDF\x5C";

TEST(Text, LeftBytesCountsBytes) {
    EXPECT_EQ(LeftBytes("abcdef", 2), "ab");
    EXPECT_EQ(LeftBytes("abc", 0), "");
    EXPECT_EQ(LeftBytes("abc", -3), "");
    EXPECT_EQ(LeftBytes("abc", 10), "abc");
}

TEST(Text, TrailingBackslashLooksAtTheLastCharacter) {
    EXPECT_TRUE(EndsWithBackslash("C:\\"));
    EXPECT_FALSE(EndsWithBackslash("C:\\a"));
    EXPECT_FALSE(EndsWithBackslash(""));
    EXPECT_FALSE(EndsWithBackslash("C:\\" + kYun));
    EXPECT_TRUE(EndsWithBackslash("C:\\" + kYun + "\\"));
    EXPECT_EQ(WithTrailingBackslash("C:\\" + kYun), "C:\\" + kYun + "\\");
    EXPECT_EQ(WithoutTrailingBackslashes("C:\\" + kYun + "\\\\"), "C:\\" + kYun);
    EXPECT_EQ(FindLastBackslash("a\\" + kYun), 1u);
}

TEST(Text, FoldPathCaseLeavesDoubleByteCharactersAlone) {
    // 觓 is D3 61 in GBK: its trail byte is 'a' and must not be folded.
    EXPECT_EQ(FoldPathCase("c:\\games\\\xD3\x61"), "C:\\GAMES\\\xD3\x61");
}

struct InsideCase {
    const char* path;
    const char* folder;
    bool inside;
};

class IsSameOrInsideTest : public testing::TestWithParam<InsideCase> {};

TEST_P(IsSameOrInsideTest, ComparesWholePathComponents) {
    const InsideCase& c = GetParam();
    EXPECT_EQ(IsSameOrInside(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsSameOrInsideTest,
    testing::Values(InsideCase{"C:\\Games\\GTAV", "C:\\Games\\GTAV", true},
                    InsideCase{"c:\\games\\gtav\\", "C:\\Games\\GTAV", true},
                    InsideCase{"C:\\Games\\GTAV\\sub", "C:\\Games\\GTAV\\", true},
                    InsideCase{"C:\\Games\\GTAV2", "C:\\Games\\GTAV", false},
                    InsideCase{"C:\\Games", "C:\\Games\\GTAV", false},
                    InsideCase{"D:\\x", "C:\\", false}, InsideCase{"C:\\x", "C:\\", true},
                    InsideCase{"C:\\a\\..\\Games\\GTAV", "C:\\Games", true},
                    // 運 ends in the byte 0x5C: "C:\運x" is not below "C:\運".
                    InsideCase{"C:\\\xDF\x5C"
                               "x",
                               "C:\\\xDF\x5C", false},
                    InsideCase{"C:\\\xDF\x5C\\x", "C:\\\xDF\x5C", true}));

} // namespace
