// Backslash paths reach existing files whatever their letter case; new names keep the case given.
#include <gtest/gtest.h>

#include "platform/NativePath.h"
#include "support/TestSupport.h"

TEST(NativePath, MatchesExistingComponentsWithoutRegardToCase) {
    ScratchFolder folder("paths");
    WorkingDirectory here(folder.path());
    WriteTextFile("Data/Colors/COLORS.txt", "x");
    EXPECT_EQ(NativePath("data\\colors\\colors.txt"), "Data/Colors/COLORS.txt");
    EXPECT_EQ(NativePath("DATA\\new\\File.TXT"), "Data/new/File.TXT");
    EXPECT_EQ(NativePath("data\\\\colors\\"), "Data/Colors/");
    EXPECT_EQ(NativePath(""), "");
    EXPECT_EQ(OpenFile("", "rb"), nullptr);
    std::FILE* file = OpenFile("DATA\\COLORS\\colors.TXT", "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
}
