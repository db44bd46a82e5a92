// Private profile files of the stand-in: real files, the platform's parsing.
#include <windows.h>
#include <winapi_testing.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("winapi_profile_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // The panel's way: the directory, a backslash, the file name.
        path_ = dir_.string() + "\\test.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string &text) { std::ofstream(dir_ / "test.ini", std::ios::binary) << text; }
    std::string read() {
        std::ifstream f(dir_ / "test.ini", std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(Profile, IntegersAreALeadingSignedNumberOrTheDefault) {
    write("[Skimreel]\r\nplain=12\r\nneg=-1\r\nspaced =  7 \r\ntrailing=12abc\r\nword=abc\r\nplus=+5\r\n"
          "empty=\r\nbig=4294967295\r\n");
    struct Case {
        const char *key;
        int def;
        int want;
    } cases[] = {
        {"plain", 0, 12}, {"neg", 0, -1},    {"spaced", 0, 7},  {"trailing", 0, 12},     {"word", 9, 0},
        {"plus", 0, 5},   {"empty", 9, 9},   {"missing", 40, 40}, {"PLAIN", 0, 12},      {"big", 0, -1},
    };
    for (const Case &k : cases)
        EXPECT_EQ((int)GetPrivateProfileIntA("Skimreel", k.key, k.def, path_.c_str()), k.want) << k.key;
    EXPECT_EQ((int)GetPrivateProfileIntA("skimreel", "neg", 0, path_.c_str()), -1) << "sections ignore case";
    EXPECT_EQ((int)GetPrivateProfileIntA("Other", "plain", 3, path_.c_str()), 3);
    EXPECT_EQ((int)GetPrivateProfileIntA("Skimreel", "plain", 3, (dir_.string() + "\\none.ini").c_str()), 3);
}

TEST_F(Profile, StringsAreTrimmedTruncatedAndDefaulted) {
    write("; comment\n[Skimreel]\ninterval= 5,15,30 \nquoted=\"a b\"\n[Next]\ninterval=1\n");
    char buf[40];
    EXPECT_EQ(GetPrivateProfileStringA("Skimreel", "interval", "x", buf, sizeof buf, path_.c_str()), 7u);
    EXPECT_STREQ(buf, "5,15,30");
    EXPECT_EQ(GetPrivateProfileStringA("Skimreel", "quoted", "", buf, sizeof buf, path_.c_str()), 3u);
    EXPECT_STREQ(buf, "a b");
    EXPECT_EQ(GetPrivateProfileStringA("Skimreel", "interval", "", buf, 4, path_.c_str()), 3u);
    EXPECT_STREQ(buf, "5,1");
    EXPECT_EQ(GetPrivateProfileStringA("Skimreel", "pieces", "6,8  ", buf, sizeof buf, path_.c_str()), 3u);
    EXPECT_STREQ(buf, "6,8") << "trailing blanks of the default are dropped";
    EXPECT_EQ(GetPrivateProfileStringA("Skimreel", "pieces", nullptr, buf, sizeof buf, path_.c_str()), 0u);
    EXPECT_STREQ(buf, "");
    // A null key lists the section's keys, a null section the sections.
    char list[64];
    EXPECT_EQ(GetPrivateProfileStringA("Skimreel", nullptr, "", list, sizeof list, path_.c_str()), 16u);
    EXPECT_EQ(std::string(list, 16), std::string("interval\0quoted\0", 16));
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof list, path_.c_str()), 14u);
    EXPECT_EQ(std::string(list, 15), std::string("Skimreel\0Next\0\0", 15));
}

TEST_F(Profile, WritingCreatesAndEditsTheFileInPlace) {
    ASSERT_TRUE(WritePrivateProfileStringA("Skimreel", "st0", "0", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Skimreel", "ivframe", "-1", path_.c_str()));
    EXPECT_EQ(read(), "[Skimreel]\r\nst0=0\r\nivframe=-1\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Other", "a", "1", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("SKIMREEL", "ST0", "1", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Skimreel", "size", "2", path_.c_str()));
    EXPECT_EQ(read(), "[Skimreel]\r\nST0=1\r\nivframe=-1\r\nsize=2\r\n[Other]\r\na=1\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Skimreel", "ivframe", nullptr, path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Other", nullptr, nullptr, path_.c_str()));
    EXPECT_EQ(read(), "[Skimreel]\r\nST0=1\r\nsize=2\r\n");
    EXPECT_EQ((int)GetPrivateProfileIntA("Skimreel", "st0", 0, path_.c_str()), 1);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (dir_.string() + "\\no\\such\\dir.ini").c_str()));
}

TEST_F(Profile, CurrentDirectoryIsTheProcesses) {
    char buf[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(fs::path(buf), fs::current_path());
    EXPECT_EQ(GetCurrentDirectoryA(2, buf), n + 1) << "too small: the size needed";
}

}  // namespace
