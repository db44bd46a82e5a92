#include "jump/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace jump;

// A settings section held in memory, read the way the private profile calls
// read: a leading signed integer, the default for a missing key, and text cut
// to the buffer.
class Section : public ProfileIO {
  public:
    std::map<std::string, std::string> keys;
    std::vector<std::pair<std::string, std::string>> writes;

    int get_int(const char *key, int def) override {
        const auto it = keys.find(key);
        return it == keys.end() ? def : std::atoi(it->second.c_str());
    }
    void get_string(const char *key, const char *def, char *buf, int size) override {
        const auto it = keys.find(key);
        const std::string text = it == keys.end() ? def : it->second;
        const size_t n = std::min(text.size(), size_t(size - 1));
        std::memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    void put_string(const char *key, const char *text) override {
        writes.emplace_back(key, text);
        keys[key] = text;
    }
};

std::vector<short> list(const short *v, int n) { return std::vector<short>(v, v + n); }

TEST(JumpSettings, NoFileGivesTheDefaults) {
    Section none;
    Settings s{};
    read_settings(s, none);
    EXPECT_EQ(s.zero_based, 0);
    EXPECT_EQ(s.pic_preset_index, 1);
    EXPECT_EQ(s.width_index, 0);
    EXPECT_EQ(s.interval_index, 0);
    EXPECT_EQ(s.custom_interval_index, 0);
    EXPECT_EQ(s.aspect_mode, 0);
    EXPECT_EQ(s.custom_intervals_on, 0);
    EXPECT_EQ(s.fixed_size_on, 0);
    EXPECT_EQ(s.fixed_pic_w, 40);
    EXPECT_EQ(s.fixed_pic_h, 30);
    EXPECT_EQ(list(s.custom_intervals, 8), (std::vector<short>{5, 15, 30, 60, 100, 300, 600, 1000}));
    EXPECT_EQ(list(s.pic_presets, 10), (std::vector<short>{6, 8, 10, 12, 14, 16, 18, 20, 24, 30}));
    const RowStart row = derive_row(s, 500);
    EXPECT_EQ(row.pic_count, 6);
    EXPECT_EQ(row.pic_interval, 1);
}

TEST(JumpSettings, Lists) {
    struct Case {
        const char *key, *text;
        std::vector<short> want;
    } cases[] = {
        {"pieces", "3,100,1", {3, 99, 2, 2, 2, 2, 2, 2, 2, 2}},
        {"interval", "100,5", {100, 5, 2, 2, 2, 2, 2, 2}},
        {"interval", "", {2, 2, 2, 2, 2, 2, 2, 2}},
        {"interval", "20000,-4,x7,,12", {9999, 2, 2, 2, 12, 2, 2, 2}},
        // Twelve values for a table of ten: the last two have no entry.
        {"pieces", "11,12,13,14,15,16,17,18,19,20,21,22", {11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
        // The text is read into 40 bytes: the last value loses its last digit.
        {"pieces", "10,11,12,13,14,15,16,17,18,0000000000042", {10, 11, 12, 13, 14, 15, 16, 17, 18, 4}},
    };
    for (const Case &c : cases) {
        Section file;
        file.keys[c.key] = c.text;
        Settings s{};
        read_settings(s, file);
        const bool pieces = std::strcmp(c.key, "pieces") == 0;
        EXPECT_EQ(pieces ? list(s.pic_presets, 10) : list(s.custom_intervals, 8), c.want) << c.key << "=" << c.text;
    }
}

TEST(JumpSettings, ExtraValuesStayInsideTheTable) {
    short table[12];
    for (short &v : table) v = 77;
    parse_list("1,2,3,4,5,6,7,8,9,10,11,12", table, 10, 2, 99);
    EXPECT_EQ(list(table, 12), (std::vector<short>{2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 77, 77}));
}

TEST(JumpSettings, ListTextNotReachingAnEntryKeepsIt) {
    short table[4] = {9, 9, 9, 9};
    parse_list("5,6", table, 4, 2, 99);
    EXPECT_EQ(list(table, 4), (std::vector<short>{5, 6, 9, 9}));
}

TEST(JumpSettings, ViewFromTheIndices) {
    struct Case {
        const char *what;
        std::map<std::string, std::string> keys;
        int frames;
        int n, iv, interval_index, custom_index;
    } cases[] = {
        {"frnum 12 gives 10 cells", {{"frnum", "12"}}, 100, 10, 1, 0, 0},
        {"frnum 0 gives the last preset", {{"frnum", "0"}}, 100, 30, 1, 0, 0},
        {"standard 60", {{"ivframe", "8"}, {"ivframe2", "3"}}, 100, 6, 60, 8, -1},
        {"standard -1 leaves 1", {{"CustomFrame", "0"}, {"ivframe", "-1"}}, 100, 6, 1, -1, -1},
        {"standard whole", {{"ivframe", "15"}, {"ivframe2", "9"}}, 999, 6, 200, 15, 9},
        {"custom entry 3", {{"CustomFrame", "1"}, {"ivframe", "4"}, {"ivframe2", "3"}}, 100, 6, 30, -1, 3},
        {"custom 0 is interval 1", {{"CustomFrame", "1"}, {"ivframe", "0"}, {"ivframe2", "0"}}, 100, 6, 1, 0, 0},
        {"custom whole", {{"CustomFrame", "1"}, {"ivframe2", "9"}}, 499, 6, 100, 0, 9},
        {"custom -2 leaves 1", {{"CustomFrame", "1"}, {"ivframe2", "-2"}}, 100, 6, 1, -1, -2},
    };
    for (const Case &c : cases) {
        Section file;
        file.keys = c.keys;
        Settings s{};
        read_settings(s, file);
        const RowStart row = derive_row(s, c.frames);
        EXPECT_EQ(row.pic_count, c.n) << c.what;
        EXPECT_EQ(row.pic_interval, c.iv) << c.what;
        EXPECT_EQ(s.interval_index, c.interval_index) << c.what;
        EXPECT_EQ(s.custom_interval_index, c.custom_index) << c.what;
    }
}

TEST(JumpSettings, WriteOrderTextAndRoundTrip) {
    Section file;
    file.keys = {{"st0", "1"}, {"frnum", "3"}, {"size", "2"}, {"ivframe", "7"}, {"ivframe2", "5"},
                 {"aspect", "1"}, {"CustomFrame", "1"}, {"fix_fsize", "1"}, {"fix_w", "64"}, {"fix_h", "48"},
                 {"interval", "7,14,21,28,35,42,49,9999"}, {"pieces", "2,3,4,5,6,7,8,9,10,99"}};
    Settings s{};
    read_settings(s, file);
    derive_row(s, 100);  // custom list in use: the standard index becomes -1

    file.writes.clear();
    write_settings(s, file);
    const std::vector<std::pair<std::string, std::string>> want = {
        {"st0", "1"},         {"size", "2"},     {"frnum", "3"}, {"ivframe", "-1"},
        {"ivframe2", "5"},    {"aspect", "1"},   {"CustomFrame", "1"},
        {"fix_fsize", "1"},   {"fix_w", "64"},   {"fix_h", "48"},
        {"interval", "7,14,21,28,35,42,49,9999"},
        {"pieces", "2,3,4,5,6,7,8,9,10,99"},
    };
    EXPECT_EQ(file.writes, want);

    Settings back{};
    read_settings(back, file);
    EXPECT_EQ(back, s);
}

}  // namespace
