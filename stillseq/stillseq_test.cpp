#include "stillseq/stillseq.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "stillseq/name_format.h"
#include "testkit/frame.h"

#if !defined(_WIN32)
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The number formatter

struct FormatCase {
    const char *pattern;
    int value;
    const char *expect;  // null: the pattern is refused
};

const FormatCase kFormatCases[] = {
    {"_%d", 0, "_0"},
    {"_%d", 12345, "_12345"},
    {"%04d", 7, "0007"},
    {"%04d", 12345, "12345"},
    {"%i", -5, "-5"},
    {"%d", INT_MIN, "-2147483648"},
    {"%u", -1, "4294967295"},
    {"%u", INT_MIN, "2147483648"},
    {"%x", 255, "ff"},
    {"%X", 255, "FF"},
    {"%x", -1, "ffffffff"},
    {"%#x", 255, "0xff"},
    {"%#X", 255, "0XFF"},
    {"%#x", 0, "0"},
    {"%#06x", 255, "0x00ff"},
    {"%#d", 5, "5"},
    {"%+d", 3, "+3"},
    {"%+d", -3, "-3"},
    {"% d", 3, " 3"},
    {"%+ d", 3, "+3"},
    {"%+u", 3, "3"},
    {"%4d", 5, "   5"},
    {"%-4d|", 5, "5   |"},
    {"%-04d|", 5, "5   |"},
    {"%+05d", 5, "+0005"},
    {"%05d", -5, "-0005"},
    {"%.3d", 5, "005"},
    {"%6.3d", -5, "  -005"},
    {"%06.3d", 5, "   005"},
    {"%.0d", 0, ""},
    {"%.d", 0, ""},
    {"%3.0d|", 0, "   |"},
    {"%ld", 12, "12"},
    {"%lx", 26, "1a"},
    {"100%%_%d", 3, "100%_3"},
    {"%d%%", 3, "3%"},
    {"_x", 3, "_x"},
    {"%%d", 3, "%d"},
    {"", 1, ""},
    // Refused: a second conversion, a conversion that is not of an int, or a
    // '%' that is not understood.
    {"%d%d", 1, nullptr},
    {"%d_%x", 1, nullptr},
    {"%s", 1, nullptr},
    {"%c", 1, nullptr},
    {"%f", 1, nullptr},
    {"%e", 1, nullptr},
    {"%p", 1, nullptr},
    {"%n", 1, nullptr},
    {"%o", 1, nullptr},
    {"%*d", 1, nullptr},
    {"%.*d", 1, nullptr},
    {"%hd", 1, nullptr},
    {"%lld", 1, nullptr},
    {"%I64d", 1, nullptr},
    {"%5%", 1, nullptr},
    {"_%", 1, nullptr},
    {"%", 1, nullptr},
    {"%-", 1, nullptr},
};

TEST(StillseqNameFormat, FormatsOneIntegerConversionAndRefusesTheRest) {
    for (const FormatCase &c : kFormatCases) {
        SCOPED_TRACE(testing::Message() << '"' << c.pattern << "\" with " << c.value);
        char out[stillseq::kNameMax + 1];
        std::memset(out, 'q', sizeof out);
        const int len = format_number(out, sizeof out, c.pattern, c.value);
        EXPECT_EQ(name_pattern_valid(c.pattern), c.expect != nullptr);
        if (c.expect) {
            EXPECT_EQ(len, int(std::strlen(c.expect)));
            EXPECT_STREQ(out, c.expect);
        } else {
            EXPECT_EQ(len, -1);
            EXPECT_STREQ(out, "");
        }
    }
}

TEST(StillseqNameFormat, NeverCutsTheTextShort) {
    struct Case {
        const char *pattern;
        int cap;
        int len;  // -1: does not fit
    } const cases[] = {
        {"%0259d", 260, 259},
        {"%0260d", 260, -1},
        {"%-260d", 260, -1},
        {"%.260d", 260, -1},
        {"_%d", 2, -1},  // "_7" needs 3 bytes with the NUL ...
        {"_%d", 3, 2},   // ... and has them here (value 7 below)
        {"%99999999999999999999d", 260, -1},  // the width saturates instead of overflowing
        {"%.99999999999999999999d", 260, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        char out[300];
        std::memset(out, 'q', sizeof out);
        EXPECT_EQ(format_number(out, c.cap, c.pattern, 7), c.len);
        if (c.len < 0) {
            EXPECT_STREQ(out, "");
        }
        EXPECT_EQ(out[c.cap], 'q') << "wrote past the buffer";
    }
}

// ---------------------------------------------------------------------------
// Names

TEST(StillseqOutputPath, SplitsIntoDirectoryBaseAndExtension) {
    struct Case {
        const char *path, *dir, *base, *ext;
    } const cases[] = {
        {"C:\\out\\clip.bmp", "C:\\out\\", "clip", ".bmp"},
        {"C:\\out\\a.b.bmp", "C:\\out\\", "a.b", ".bmp"},
        {"C:\\my.dir\\clip", "C:\\my.dir\\", "clip", ""},
        {"/tmp/my.dir/clip", "/tmp/my.dir/", "clip", ""},
        {"/tmp/x.y\\clip", "/tmp/x.y\\", "clip", ""},
        {"C:/my.dir/clip", "C:/my.dir/", "clip", ""},
        {"clip.bmp", "", "clip", ".bmp"},
        {".bmp", "", "", ".bmp"},
        {"C:\\out\\clip.", "C:\\out\\", "clip", "."},
        {"C:\\out\\", "C:\\out\\", "", ""},
        {"", "", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        stillseq::output_names n;
        ASSERT_TRUE(stillseq::split_output_path(c.path, &n));
        EXPECT_STREQ(n.dir, c.dir);
        EXPECT_STREQ(n.base, c.base);
        EXPECT_STREQ(n.ext, c.ext);
    }
}

TEST(StillseqOutputPath, RefusesWhatDoesNotFit) {
    stillseq::output_names n;
    EXPECT_FALSE(stillseq::split_output_path(nullptr, &n));
    const std::string longest(259, 'a'), too_long(260, 'a');
    EXPECT_TRUE(stillseq::split_output_path(longest.c_str(), &n));
    EXPECT_EQ(std::string(n.base), longest);
    EXPECT_FALSE(stillseq::split_output_path(too_long.c_str(), &n));
}

TEST(StillseqFileName, PutsTheNumberBeforeTheExtensionAndStopsAt259Characters) {
    stillseq::output_names n;
    ASSERT_TRUE(stillseq::split_output_path("C:\\out\\clip.bmp", &n));
    char name[stillseq::kNameMax + 1];
    EXPECT_EQ(stillseq::frame_file_name(name, n, "_%d", 2), 17);
    EXPECT_STREQ(name, "C:\\out\\clip_2.bmp");
    EXPECT_EQ(stillseq::frame_file_name(name, n, "%d%d", 2), -1);

    // A path of 255 characters leaves room for a number of up to three digits.
    const std::string path = "C:\\" + std::string(248, 'n') + ".bmp";
    ASSERT_EQ(path.size(), 255u);
    ASSERT_TRUE(stillseq::split_output_path(path.c_str(), &n));
    EXPECT_EQ(stillseq::frame_file_name(name, n, "_%d", 999), 259);
    EXPECT_EQ(name, path.substr(0, 251) + "_999.bmp");
    EXPECT_EQ(stillseq::frame_file_name(name, n, "_%d", 1000), -1);
    EXPECT_EQ(stillseq::frame_file_name(name, n, "%0259d", 0), -1);
}

// ---------------------------------------------------------------------------
// Headers

TEST(StillseqBmpHeaders, AreTheFileAndInformationHeadersOfA24BitBottomUpImage) {
    const uint8_t expect[54] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,  // size, w, h, planes, bits
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    };
    uint8_t got[54];
    std::memset(got, 0xcc, sizeof got);
    stillseq::bmp_headers(got, 2, 2, 16);
    EXPECT_EQ(std::vector<uint8_t>(got, got + 54), std::vector<uint8_t>(expect, expect + 54));

    // Little-endian words all the way up.
    stillseq::bmp_headers(got, 0x01020304, 0x0a0b0c0d, 0x11223344);
    const uint8_t size[4] = {0x44 + 54, 0x33, 0x22, 0x11}, w[4] = {4, 3, 2, 1}, h[4] = {0x0d, 0x0c, 0x0b, 0x0a};
    EXPECT_EQ(std::memcmp(got + 2, size, 4), 0);
    EXPECT_EQ(std::memcmp(got + 18, w, 4), 0);
    EXPECT_EQ(std::memcmp(got + 22, h, 4), 0);
}

// ---------------------------------------------------------------------------
// The table

TEST(StillseqTable, MatchesTheHostContract) {
    const OUTPUT_DLL *t = GetOutputPluginTable();
    ASSERT_EQ(t, GetOutputPluginTable());
    EXPECT_EQ(t->flag, 0);
    EXPECT_STREQ(t->name, "BMP Output ");
    const char filter[] = "BmpFile (*.bmp)\0*.bmp\0AllFile (*.*)\0*.*\0";
    EXPECT_EQ(std::string(t->file_filter, sizeof filter), std::string(filter, sizeof filter));
    EXPECT_NE(t->information, nullptr);
    EXPECT_EQ(t->func_init, nullptr);
    EXPECT_EQ(t->func_exit, nullptr);
    EXPECT_NE(t->func_output, nullptr);
    EXPECT_NE(t->func_config, nullptr);
    EXPECT_NE(t->func_get_config, nullptr);
    EXPECT_NE(t->func_set_config, nullptr);
    for (int r : t->reserve) EXPECT_EQ(r, 0);
}

// ---------------------------------------------------------------------------
// Exports, against a fake host

// A folder of its own for one test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        // Names of one length, so that tests can count characters.
        static unsigned serial = 0;
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        for (;;) {
            char name[32];
            std::snprintf(name, sizeof name, "stillseq-%08x-%04x", unsigned(tick) & 0xffffffffu, serial++ & 0xffffu);
            path_ = fs::temp_directory_path() / name;
            if (fs::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path &path() const { return path_; }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto &e : fs::recursive_directory_iterator(path_))
            if (e.is_regular_file()) names.push_back(fs::relative(e.path(), path_).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

std::vector<uint8_t> read_file(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The host's side of one export: the frames, and a log of every callback.
struct FakeHost {
    TempDir dir;
    OUTPUT_JOB job{};
    std::string path;
    std::vector<std::vector<uint8_t>> frames;
    int stop_at = -1;        // func_stop_requested says yes before this frame
    int null_frame_at = -1;  // func_get_frame returns null for this frame
    int stops = 0, gets = 0;
    std::string log;

    static FakeHost *current;

    FakeHost(int w, int h, int count, const fs::path &name = "clip.bmp", int frame_bytes = -1) {
        current = this;
        const int stride = (3 * w + 3) & ~3;
        job.w = w;
        job.h = h;
        job.frame_count = count;
        job.frame_bytes = frame_bytes >= 0 ? frame_bytes : h * stride;
        path = (dir.path() / name).string();
        job.output_path = path.c_str();
        job.func_get_frame = get_frame;
        job.func_stop_requested = stop_requested;
        job.func_report_progress = report_progress;
        job.func_notify_frame = notify_frame;
        testkit::Rng rng(uint32_t(w * 131 + h * 7 + count));
        for (int i = 0; i < count; ++i) {
            std::vector<uint8_t> f(size_t(job.frame_bytes) + 1);  // +1: room even when empty
            for (auto &b : f) b = uint8_t(rng.next());
            frames.push_back(f);
        }
    }
    ~FakeHost() { current = nullptr; }

    BOOL run() { return GetOutputPluginTable()->func_output(&job); }

    // The bytes that frame i's file must hold.
    std::vector<uint8_t> expected_file(int i) const {
        uint8_t header[54];
        stillseq::bmp_headers(header, job.w, job.h, job.frame_bytes);
        std::vector<uint8_t> bytes(header, header + 54);
        bytes.insert(bytes.end(), frames[size_t(i)].begin(), frames[size_t(i)].begin() + job.frame_bytes);
        return bytes;
    }

    std::string files_now() const { return std::to_string(dir.files().size()); }

    static BOOL QP_CDECL stop_requested() {
        current->log += "stop(files " + current->files_now() + ") ";
        return current->stops++ == current->stop_at;
    }
    static BOOL QP_CDECL report_progress(int frame, int total) {
        current->log += "progress(" + std::to_string(frame) + "/" + std::to_string(total) + ") ";
        return TRUE;
    }
    static void *QP_CDECL get_frame(int frame) {
        current->log += "get(" + std::to_string(frame) + ") ";
        current->gets++;
        if (frame == current->null_frame_at) return nullptr;
        return current->frames.at(size_t(frame)).data();
    }
    static BOOL QP_CDECL notify_frame() {
        current->log += "notify(files " + current->files_now() + ") ";
        return TRUE;
    }
};

FakeHost *FakeHost::current = nullptr;

// Every test starts from the pattern that a freshly loaded library has.
class StillseqExport : public testing::Test {
  protected:
    void SetUp() override { set_pattern("_%d"); }
    void TearDown() override { set_pattern("_%d"); }
    static void set_pattern(const char *pattern) {
        char block[stillseq::kConfigSize] = {};
        std::strncpy(block, pattern, sizeof block - 1);
        ASSERT_EQ(GetOutputPluginTable()->func_set_config(block, sizeof block), 256);
    }
};

TEST_F(StillseqExport, WritesOneExactFilePerFrame) {
    FakeHost host(5, 3, 3);
    ASSERT_EQ(host.job.frame_bytes, 3 * 16);
    EXPECT_EQ(host.run(), TRUE);
    EXPECT_EQ(host.dir.files(), (std::vector<std::string>{"clip_0.bmp", "clip_1.bmp", "clip_2.bmp"}));
    for (int i = 0; i < 3; ++i) {
        const auto bytes = read_file(host.dir.path() / ("clip_" + std::to_string(i) + ".bmp"));
        EXPECT_EQ(bytes.size(), 54u + 48u);
        EXPECT_EQ(bytes, host.expected_file(i)) << "frame " << i;
    }
}

TEST_F(StillseqExport, CallsTheHostInOrderAndWritesAfterNotify) {
    FakeHost host(2, 2, 2);
    EXPECT_EQ(host.run(), TRUE);
    EXPECT_EQ(host.log,
              "stop(files 0) progress(0/2) get(0) notify(files 0) "
              "stop(files 1) progress(1/2) get(1) notify(files 1) ");
    EXPECT_EQ(host.dir.files().size(), 2u);
}

TEST_F(StillseqExport, NamesFilesAfterTheOutputPathAndPattern) {
    struct Case {
        const char *dir;  // created before the export, or null
        const char *name;
        const char *pattern;
        std::vector<std::string> files;
    } const cases[] = {
        {nullptr, "clip.bmp", "%04d", {"clip0000.bmp", "clip0001.bmp", "clip0002.bmp"}},
        {nullptr, "clip", "_%d", {"clip_0", "clip_1", "clip_2"}},
        {nullptr, "a.b.bmp", "_%d", {"a.b_0.bmp", "a.b_1.bmp", "a.b_2.bmp"}},
        {"my.dir", "my.dir/clip", "_%d", {"my.dir/clip_0", "my.dir/clip_1", "my.dir/clip_2"}},
        {nullptr, "clip.bmp", "-%+.2x%%", {"clip-00%.bmp", "clip-01%.bmp", "clip-02%.bmp"}},
        {nullptr, ".bmp", "%d", {"0.bmp", "1.bmp", "2.bmp"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " with " << c.pattern);
        set_pattern(c.pattern);
        FakeHost host(3, 1, 3, fs::path(c.name).make_preferred());
        if (c.dir) fs::create_directory(host.dir.path() / c.dir);
        EXPECT_EQ(host.run(), TRUE);
        EXPECT_EQ(host.dir.files(), c.files);
    }
}

TEST_F(StillseqExport, PatternWithoutConversionLeavesTheLastFrame) {
    set_pattern("_x");
    FakeHost host(4, 2, 3);
    EXPECT_EQ(host.run(), TRUE);
    EXPECT_EQ(host.dir.files(), std::vector<std::string>{"clip_x.bmp"});
    EXPECT_EQ(read_file(host.dir.path() / "clip_x.bmp"), host.expected_file(2));
}

TEST_F(StillseqExport, StopsWhenAskedAndKeepsWhatItWrote) {
    struct Case {
        int count, stop_at;
        size_t files;
        int gets;
    } const cases[] = {
        {0, -1, 0, 0},  // nothing to export
        {3, 0, 0, 0},   // stopped before the first frame
        {3, 2, 2, 2},   // stopped before the third
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " frames, stop before " << c.stop_at);
        FakeHost host(2, 2, c.count);
        host.stop_at = c.stop_at;
        EXPECT_EQ(host.run(), TRUE);
        EXPECT_EQ(host.dir.files().size(), c.files);
        EXPECT_EQ(host.gets, c.gets);
    }
}

TEST_F(StillseqExport, ReportsAFileThatCannotBeCreated) {
    struct Case {
        const char *what;
        fs::path name;
        const char *folder;  // made before the export where a file will be wanted
        const char *file;    // made before the export where a folder will be wanted
        std::vector<std::string> files;  // afterwards
        int gets;
    } const cases[] = {
        {"missing folder", fs::path("missing") / "clip.bmp", nullptr, nullptr, {}, 1},
        {"name is a folder", "clip.bmp", "clip_0.bmp", nullptr, {}, 1},
        {"third name is a folder", "clip.bmp", "clip_2.bmp", nullptr, {"clip_0.bmp", "clip_1.bmp"}, 3},
        {"folder is a file", fs::path("clip") / "x.bmp", nullptr, "clip", {"clip"}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FakeHost host(2, 2, 4, c.name);
        if (c.folder) fs::create_directory(host.dir.path() / c.folder);
        if (c.file) std::ofstream(host.dir.path() / c.file) << "x";
        EXPECT_EQ(host.run(), FALSE);
        EXPECT_EQ(host.gets, c.gets);
        EXPECT_EQ(host.dir.files(), c.files);
    }
}

TEST_F(StillseqExport, ReportsAnEmptyImageWrite) {
    FakeHost host(2, 2, 3, "clip.bmp", 0);
    EXPECT_EQ(host.run(), FALSE);
    EXPECT_EQ(host.gets, 1);
    EXPECT_EQ(host.dir.files(), std::vector<std::string>{"clip_0.bmp"});
    EXPECT_EQ(read_file(host.dir.path() / "clip_0.bmp").size(), 54u);
}

TEST_F(StillseqExport, ReportsAFrameThatTheHostDidNotDeliver) {
    FakeHost host(2, 2, 3);
    host.null_frame_at = 1;
    EXPECT_EQ(host.run(), FALSE);
    EXPECT_EQ(host.dir.files(), std::vector<std::string>{"clip_0.bmp"});
}

TEST_F(StillseqExport, RefusesABadPatternBeforeAnything) {
    for (const char *pattern : {"%d%d", "%s", "_%", "%*d"}) {
        SCOPED_TRACE(pattern);
        set_pattern(pattern);
        FakeHost host(2, 2, 2);
        EXPECT_EQ(host.run(), FALSE);
        EXPECT_EQ(host.log, "");
        EXPECT_TRUE(host.dir.files().empty());
    }
}

TEST_F(StillseqExport, RefusesANameThatWouldNotFitBeforeCreatingIt) {
    // An output path of 257 characters leaves room for "_" and one digit:
    // frames 0 to 9 are written, frame 10 would need 260 characters.
    FakeHost probe(1, 1, 0);
    const size_t dir_len = probe.path.size() - std::string("clip.bmp").size();
    const std::string name = std::string(257 - dir_len - 4, 'n') + ".bmp";
    FakeHost host(1, 1, 12, name);
    ASSERT_EQ(host.path.size(), 257u);
    EXPECT_EQ(host.run(), FALSE);
    EXPECT_EQ(host.gets, 11);
    EXPECT_EQ(host.dir.files().size(), 10u);

    // An output path longer than 259 characters is refused before anything.
    FakeHost longer(1, 1, 2, std::string(259 - dir_len - 3, 'n') + ".bmp");
    ASSERT_EQ(longer.path.size(), 260u);
    EXPECT_EQ(longer.run(), FALSE);
    EXPECT_EQ(longer.log, "");
}

#if !defined(_WIN32)
TEST_F(StillseqExport, ReportsAFileSystemThatTakesNoFiles) {
    FakeHost host(2, 2, 2);
    host.path = "/proc/stillseq_clip.bmp";  // even root cannot create a file here
    host.job.output_path = host.path.c_str();
    EXPECT_EQ(host.run(), FALSE);
    EXPECT_EQ(host.gets, 1);
}

// Runs the export in a child process, after prepare(); returns its result.
template <class Prepare>
BOOL run_in_child(FakeHost &host, Prepare prepare) {
    const pid_t child = fork();
    if (child == 0) {
        prepare();
        _exit(host.run() == TRUE ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 1 ? TRUE : FALSE;
}

TEST_F(StillseqExport, ReportsAReadOnlyFolder) {
    FakeHost host(2, 2, 2, fs::path("ro") / "clip.bmp");
    const fs::path ro = host.dir.path() / "ro";
    fs::create_directory(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                            fs::perms::others_exec, fs::perm_options::replace);
    fs::permissions(host.dir.path(), fs::perms::others_exec, fs::perm_options::add);
    // Root may write anywhere: the export then runs as nobody.
    EXPECT_EQ(run_in_child(host, [] {
                  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
              }),
              FALSE);
    EXPECT_TRUE(host.dir.files().empty());
}

// A write that stops short (here at the file size limit) must not pass as a
// finished image.
TEST_F(StillseqExport, ReportsAShortWrite) {
    FakeHost host(10, 10, 2);
    EXPECT_EQ(run_in_child(host, [] {
                  signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{100, 100};
                  setrlimit(RLIMIT_FSIZE, &limit);
              }),
              FALSE)
        << "a file cut at 100 of its 374 bytes passed as written";
    EXPECT_EQ(read_file(host.dir.path() / "clip_0.bmp").size(), 100u);
}
#endif

// ---------------------------------------------------------------------------
// The settings block

TEST_F(StillseqExport, SettingsBlockIsThePatternBufferOfExactly256Bytes) {
    const OUTPUT_DLL *t = GetOutputPluginTable();
    EXPECT_EQ(t->func_get_config(nullptr, 0), 256);

    std::vector<uint8_t> block(300, 0xee);
    EXPECT_EQ(t->func_get_config(block.data(), 1), 256);  // the size is not looked at
    EXPECT_EQ(std::string(reinterpret_cast<char *>(block.data())), "_%d");
    EXPECT_EQ(block[255], 0);
    EXPECT_EQ(block[256], 0xee) << "wrote past the block";

    // Refused: the pattern stays, and the next export uses it.
    std::vector<uint8_t> other(300, 0);
    std::memcpy(other.data(), "%03d", 5);
    EXPECT_EQ(t->func_set_config(other.data(), 255), 0);
    EXPECT_EQ(t->func_set_config(other.data(), 257), 0);
    EXPECT_EQ(t->func_set_config(nullptr, 256), 0);
    {
        FakeHost host(1, 1, 1);
        EXPECT_EQ(host.run(), TRUE);
        EXPECT_EQ(host.dir.files(), std::vector<std::string>{"clip_0.bmp"});
    }

    // Taken: out and back in again changes nothing; a new block names the files.
    std::vector<uint8_t> out(256);
    t->func_get_config(out.data(), 256);
    EXPECT_EQ(t->func_set_config(out.data(), 256), 256);
    std::vector<uint8_t> again(256);
    t->func_get_config(again.data(), 256);
    EXPECT_EQ(again, out);

    EXPECT_EQ(t->func_set_config(other.data(), 256), 256);
    FakeHost host(1, 1, 2);
    EXPECT_EQ(host.run(), TRUE);
    EXPECT_EQ(host.dir.files(), (std::vector<std::string>{"clip000.bmp", "clip001.bmp"}));
}

TEST_F(StillseqExport, SettingsBlockWithoutANulBecomesATerminatedPattern) {
    const OUTPUT_DLL *t = GetOutputPluginTable();
    std::vector<char> block(256, 'z');
    EXPECT_EQ(t->func_set_config(block.data(), 256), 256);
    std::vector<char> out(256, 1);
    t->func_get_config(out.data(), 256);
    EXPECT_EQ(out[255], '\0');
    EXPECT_EQ(std::string(out.data()), std::string(255, 'z'));
    // That pattern has no conversion; its names would not fit, so nothing is written.
    FakeHost host(1, 1, 1);
    EXPECT_EQ(host.run(), FALSE);
    EXPECT_TRUE(host.dir.files().empty());
}

// ---------------------------------------------------------------------------
// The terminal stand-in for the dialog

#if !defined(_WIN32)
TEST_F(StillseqExport, TerminalLineEditsThePattern) {
    struct Case {
        std::string input;
        bool stored;
        std::string pattern;
    } const cases[] = {
        {"%03d\n", true, "%03d"},
        {"-%x\r\n", true, "-%x"},
        {"\n", false, "_%d"},            // Enter keeps the pattern
        {"", false, "_%d"},              // so does end of input
        {"%03d", false, "_%d"},          // and a line that never ended
        {std::string(255, 'a') + "\n", true, std::string(255, 'a')},
        {std::string(256, 'a') + "\n", false, "_%d"},  // longer than the dialog takes
        {std::string(5000, 'a') + "\n", false, "_%d"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input.substr(0, 20));
        set_pattern("_%d");
        int in[2];
        ASSERT_EQ(pipe(in), 0);
        ASSERT_EQ(write(in[1], c.input.data(), c.input.size()), ssize_t(c.input.size()));
        close(in[1]);
        const int sink = open("/dev/null", O_WRONLY);
        EXPECT_EQ(stillseq::edit_pattern_line(in[0], sink), c.stored);
        close(in[0]);
        close(sink);
        EXPECT_EQ(std::string(stillseq::name_pattern), c.pattern);
    }
}

TEST_F(StillseqExport, ConfigWithoutATerminalKeepsThePattern) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setsid();  // no controlling terminal from here on
        const BOOL ok = GetOutputPluginTable()->func_config(nullptr, nullptr);
        _exit(ok == TRUE && std::strcmp(stillseq::name_pattern, "_%d") == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

}  // namespace
