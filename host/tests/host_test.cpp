#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/color.h"
#include "host/color_x86.h"
#include "host/error.h"
#include "host/frames.h"
#include "host/media.h"
#include "host/plugin.h"
#include "host/run.h"
#include "host/text.h"

namespace qhost {
namespace {

namespace fs = std::filesystem;

bool operator==(const PIXEL_YC &a, const PIXEL_YC &b) { return a.y == b.y && a.cb == b.cb && a.cr == b.cr; }

// A folder of its own for each test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / (std::string("qhost_") + info->test_suite_name() + "_" + info->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string file(const std::string &name, const std::string &bytes = {}) const {
        const std::string p = (path_ / name).string();
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string path(const std::string &name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

std::string slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The message of the Error that f throws, or "" when it throws none.
template <typename F>
std::string error_of(F f, Exit *code = nullptr) {
    try {
        f();
    } catch (const Error &e) {
        if (code) *code = e.code();
        return e.what();
    }
    return "";
}

// ---------------------------------------------------------------------------
// Colour

TEST(Colour, RgbRoundTripIsWithinOneForEveryColour) {
    std::vector<uint8_t> in(256 * 3), out(256 * 3);
    std::vector<PIXEL_YC> yc(256);
    int worst = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g) {
            for (int b = 0; b < 256; ++b) in[3 * b] = uint8_t(b), in[3 * b + 1] = uint8_t(g), in[3 * b + 2] = uint8_t(r);
            bgr_to_yc(yc.data(), in.data(), 256);
            yc_to_bgr(out.data(), yc.data(), 256);
            for (size_t i = 0; i < in.size(); ++i) worst = std::max(worst, std::abs(int(in[i]) - int(out[i])));
        }
    EXPECT_LE(worst, 1);
}

TEST(Colour, ScaleOfTheWorkingFormat) {
    struct Case {
        uint8_t b, g, r;
        PIXEL_YC yc;
    } cases[] = {
        {0, 0, 0, {0, 0, 0}},
        {255, 255, 255, {4095, 0, 0}},
        {128, 128, 128, {2056, 0, 0}},
        {255, 0, 0, {467, 2048, -333}},   // blue
        {0, 0, 255, {1224, -691, 2048}},  // red
    };
    for (const Case &c : cases) {
        const uint8_t bgr[3] = {c.b, c.g, c.r};
        PIXEL_YC p;
        bgr_to_yc(&p, bgr, 1);
        EXPECT_TRUE(p.y == c.yc.y && p.cb == c.yc.cb && p.cr == c.yc.cr)
            << int(c.b) << "," << int(c.g) << "," << int(c.r) << " -> " << p.y << " " << p.cb << " " << p.cr;
    }
}

// Every kernel that this processor runs, against the plain one, on random
// rows of every width up to 70 (all the tails) and on values far outside
// the working range.
TEST(Colour, FastKernelsMatchThePlainOnesLaneForLane) {
    struct Kernel {
        const char *name;
        bool usable;
        void (*in)(PIXEL_YC *, const uint8_t *, int);
        void (*out)(uint8_t *, const PIXEL_YC *, int);
    };
    std::vector<Kernel> kernels = {{"dispatch", true, bgr_to_yc, yc_to_bgr}};
#if QHOST_X86
    __builtin_cpu_init();
    kernels.push_back({"ssse3", bool(__builtin_cpu_supports("ssse3")), bgr_to_yc_ssse3, yc_to_bgr_ssse3});
    kernels.push_back({"avx2", bool(__builtin_cpu_supports("avx2")), bgr_to_yc_avx2, yc_to_bgr_avx2});
#endif
    std::mt19937 rng(7);
    for (const Kernel &k : kernels) {
        if (!k.usable) continue;
        for (int round = 0; round < 20; ++round)
            for (int w = 0; w <= 70; ++w) {
                // Exact-size buffers, so that ASan sees any read past the row.
                std::vector<uint8_t> bgr(size_t(w) * 3), got8(bgr.size()), want8(bgr.size());
                std::vector<PIXEL_YC> yc(static_cast<size_t>(w)), got(yc.size()), want(yc.size());
                for (auto &b : bgr) b = uint8_t(rng());
                for (auto &p : yc) {
                    const bool wild = rng() % 4 == 0;
                    p.y = short(wild ? int(rng() % 65536) - 32768 : int(rng() % 4096));
                    p.cb = short(wild ? int(rng() % 65536) - 32768 : int(rng() % 4097) - 2048);
                    p.cr = short(wild ? int(rng() % 65536) - 32768 : int(rng() % 4097) - 2048);
                }
                k.in(got.data(), bgr.data(), w);
                bgr_to_yc_ref(want.data(), bgr.data(), w);
                if (w) {
                    ASSERT_EQ(0, std::memcmp(got.data(), want.data(), got.size() * sizeof(PIXEL_YC))) << k.name << " in, w " << w;
                }
                k.out(got8.data(), yc.data(), w);
                yc_to_bgr_ref(want8.data(), yc.data(), w);
                ASSERT_EQ(got8, want8) << k.name << " out, w " << w;
            }
    }
}

TEST(Colour, YuvSamplesComeBackExactlyAndSaturate) {
    for (const int bits : {8, 16})
        for (const bool full : {false, true}) {
            const auto s = std::make_unique<YuvScale>(bits, full);
            const unsigned top = (1u << bits) - 1;
            if (bits == 8) {
                for (unsigned v = 0; v <= top; ++v) {
                    ASSERT_EQ(s->luma_out(s->luma_in(v)), v) << "full " << full;
                    ASSERT_EQ(s->chroma_out(s->chroma_in(v)), v) << "full " << full;
                }
            } else {
                // 16 bits hold every working value exactly.
                for (int v = 0; v <= 4095; ++v) ASSERT_EQ(s->luma_in(s->luma_out(v)), v) << "full " << full;
                for (int v = -2048; v <= 2048; ++v) ASSERT_EQ(s->chroma_in(s->chroma_out(v)), v) << "full " << full;
            }
            EXPECT_EQ(s->luma_out(-32768), 0u);
            EXPECT_EQ(s->luma_out(32767), top);
            EXPECT_EQ(s->chroma_out(-32768), 0u);
            EXPECT_EQ(s->chroma_out(32767), top);
        }
    const auto tv = std::make_unique<YuvScale>(8, false);
    EXPECT_EQ(tv->luma_in(16), 0);
    EXPECT_EQ(tv->luma_in(235), 4095);
    EXPECT_EQ(tv->chroma_in(128), 0);
    EXPECT_EQ(tv->chroma_in(240), 2048);
    EXPECT_EQ(tv->chroma_in(16), -2048);
}

TEST(Colour, SubsampledChromaIsTheRoundedMean) {
    const auto s = std::make_unique<YuvScale>(8, true);
    // Two rows of three pixels; the odd last column stands alone.
    const PIXEL_YC a[3] = {{0, s->chroma_in(100), s->chroma_in(10)}, {0, s->chroma_in(102), s->chroma_in(10)}, {0, s->chroma_in(50), 0}};
    const PIXEL_YC b[3] = {{0, s->chroma_in(100), s->chroma_in(14)}, {0, s->chroma_in(102), s->chroma_in(10)}, {0, s->chroma_in(60), 0}};
    uint8_t u[2], v[2];
    s->chroma_row_out(u, v, a, b, 3, 1);
    EXPECT_EQ(u[0], 101);
    EXPECT_EQ(v[0], 11);
    EXPECT_EQ(u[1], 55);
    s->chroma_row_out(u, v, a, a, 3, 1);
    EXPECT_EQ(u[1], 50);
}

// ---------------------------------------------------------------------------
// y4m

TEST(Y4m, Headers) {
    struct Case {
        const char *line;
        const char *error;  // part of the message, or null when valid
        int w, h;
        Chroma chroma;
    } cases[] = {
        {"YUV4MPEG2 W640 H480 F30:1 Ip A1:1 C420jpeg", nullptr, 640, 480, Chroma::k420},
        {"YUV4MPEG2 W3 H2", nullptr, 3, 2, Chroma::k420},
        {"YUV4MPEG2 H2 W3 C444p16 XYSCSS=444P16", nullptr, 3, 2, Chroma::k444p16},
        {"YUV4MPEG2 W8 H8 C422 XCOLORRANGE=FULL", nullptr, 8, 8, Chroma::k422},
        {"YUV4MPEG2 W8 H8 Cmono", nullptr, 8, 8, Chroma::kMono},
        {"YUV4MPEG W8 H8", "no YUV4MPEG2 signature", 0, 0, Chroma::k420},
        {"YUV4MPEG2W8 H8", "no YUV4MPEG2 signature", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W8", "no picture size", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W8 Hx", "bad H tag", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W-8 H8", "bad W tag", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W999999999999999 H8", "bad W tag", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W0 H8", "is empty", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W99999999999 H8", "too large", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W16384 H16384", "too large", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W20000 H2", "too large", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W8 H8 C411", "\"411\" is not supported", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W8 H8 F30", "bad frame rate", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W8 H8 F30:0", "bad frame rate", 0, 0, Chroma::k420},
        {"YUV4MPEG2 W8 H8 Z1", "unknown header tag", 0, 0, Chroma::k420},
    };
    for (const Case &c : cases) {
        Y4mHeader h;
        const std::string err = error_of([&] { h = parse_y4m_header("in.y4m", c.line); });
        if (!c.error) {
            EXPECT_EQ(err, "") << c.line;
            EXPECT_EQ(h.w, c.w) << c.line;
            EXPECT_EQ(h.h, c.h) << c.line;
            EXPECT_EQ(h.chroma, c.chroma) << c.line;
        } else {
            EXPECT_NE(err.find(c.error), std::string::npos) << c.line << " gave: " << err;
            EXPECT_EQ(err.rfind("in.y4m: ", 0), 0u) << err;
        }
    }
}

// A 2 x 2 4:2:0 stream: four luma samples, one U and one V per frame.
std::string tiny_y4m(int frames, const std::string &extra = "") {
    std::string s = "YUV4MPEG2 W2 H2 F25:1 C420jpeg\n";
    for (int i = 0; i < frames; ++i) s += "FRAME\n" + std::string{char(16), char(235), char(126), char(16 + i), char(128), char(240)};
    return s + extra;
}

TEST(Y4m, ReadsFramesAndRefusesBrokenStreams) {
    TempDir dir;
    struct Case {
        const char *what;
        std::string bytes;
        const char *error;  // part of the message, or null
        int frames;
    } cases[] = {
        {"three frames", tiny_y4m(3), nullptr, 3},
        {"frame parameters", "YUV4MPEG2 W2 H2\nFRAME Ixyz\n" + std::string(6, '\x80'), nullptr, 1},
        {"no frames", "YUV4MPEG2 W2 H2\n", nullptr, 0},
        {"empty file", "", "is empty", 0},
        {"header without newline", "YUV4MPEG2 W2 H2", "ends without a newline", 0},
        {"short last frame", tiny_y4m(2, "FRAME\n\x10\x10"), "frame 2 is truncated (2 of 6 bytes)", 0},
        {"bad frame tag", tiny_y4m(1, "FRAMES\n123456"), "frame 1 does not start with FRAME", 0},
        {"garbage after a frame", tiny_y4m(1, "junk"), "ends without a newline", 0},
        {"header too long", "YUV4MPEG2 W2 H2 X" + std::string(5000, 'a') + "\n", "longer than 4096", 0},
    };
    for (const Case &c : cases) {
        SourceOptions opt;
        opt.path = dir.file("in.y4m", c.bytes);
        Exit code = kOk;
        std::unique_ptr<Source> src;
        const std::string err = error_of([&] { src = open_source(opt); }, &code);
        if (c.error) {
            EXPECT_NE(err.find(c.error), std::string::npos) << c.what << ": " << err;
            EXPECT_NE(err.find(opt.path), std::string::npos) << c.what << ": " << err;
            EXPECT_EQ(code, kBadInput) << c.what;
            continue;
        }
        ASSERT_EQ(err, "") << c.what;
        EXPECT_EQ(src->count(), c.frames) << c.what;
    }

    // The pixels of the three-frame stream, read out of order.
    SourceOptions opt;
    opt.path = dir.file("in.y4m", tiny_y4m(3));
    auto src = open_source(opt);
    PIXEL_YC px[2 * 8];
    ASSERT_TRUE(src->read(2, px, 8));
    EXPECT_EQ(px[0].y, 0);
    EXPECT_EQ(px[1].y, 4095);
    EXPECT_EQ(px[8].y, 2057);  // (126 - 16) * 4095 / 219
    EXPECT_EQ(px[9].y, 37);
    EXPECT_EQ(px[0].cb, 0);
    EXPECT_EQ(px[9].cr, 2048);
    EXPECT_EQ(src->rate().num, 25);
    EXPECT_FALSE(src->read(3, px, 8));
}

// ---------------------------------------------------------------------------
// BMP

struct Bmp {
    int32_t w = 2, h = 2;
    uint16_t planes = 1, bpp = 24;
    uint32_t compression = 0, offset = 54, dib = 40;
    size_t cut = 0;  // bytes to drop from the end
    std::string bytes() const {
        const size_t row = (size_t(w < 0 ? -w : w) * 3 + 3) & ~size_t(3);
        std::string f(offset + row * size_t(h < 0 ? -h : h), '\0');
        auto put = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i) f[at + size_t(i)] = char(v >> (8 * i));
        };
        f[0] = 'B', f[1] = 'M';
        put(2, uint32_t(f.size()), 4);
        put(10, offset, 4);
        put(14, dib, 4);
        put(18, uint32_t(w), 4);
        put(22, uint32_t(h), 4);
        put(26, planes, 2);
        put(28, bpp, 2);
        put(30, compression, 4);
        // Pixels: file row k holds blue = 10 * k + column, green 200, red 7.
        for (int k = 0; k < (h < 0 ? -h : h); ++k)
            for (int x = 0; x < w; ++x) {
                const size_t at = offset + size_t(k) * row + 3 * size_t(x);
                if (at + 2 < f.size()) f[at] = char(10 * k + x), f[at + 1] = char(200), f[at + 2] = char(7);
            }
        return f.substr(0, f.size() - cut);
    }
};

TEST(BmpFiles, DecodeAndRefuse) {
    auto decode = [](const Bmp &b, Picture &p) {
        const std::string s = b.bytes();
        return error_of([&] { p = decode_bmp("in.bmp", std::vector<uint8_t>(s.begin(), s.end())); });
    };
    struct Case {
        const char *what;
        Bmp bmp;
        const char *error;
    } cases[] = {
        {"bottom-up", {}, nullptr},
        {"top-down", [] { Bmp b; b.h = -2; return b; }(), nullptr},
        {"bigger header", [] { Bmp b; b.dib = 124; b.offset = 138; return b; }(), nullptr},
        {"last row without padding", [] { Bmp b; b.cut = 2; return b; }(), nullptr},
        {"8 bits", [] { Bmp b; b.bpp = 8; return b; }(), "8 bits per pixel"},
        {"compressed", [] { Bmp b; b.compression = 1; return b; }(), "compressed"},
        {"two planes", [] { Bmp b; b.planes = 2; return b; }(), "more than one plane"},
        {"zero width", [] { Bmp b; b.w = 0; return b; }(), "is empty"},
        {"truncated pixels", [] { Bmp b; b.cut = 4; return b; }(), "truncated or misplaced"},
        {"offset inside the header", [] { Bmp b; b.offset = 40; return b; }(), "truncated or misplaced"},
        {"small header", [] { Bmp b; b.dib = 12; return b; }(), "12 bytes is not supported"},
    };
    for (const Case &c : cases) {
        Picture p;
        const std::string err = decode(c.bmp, p);
        if (c.error) {
            EXPECT_NE(err.find(c.error), std::string::npos) << c.what << ": " << err;
            EXPECT_EQ(err.rfind("in.bmp: ", 0), 0u) << err;
            continue;
        }
        ASSERT_EQ(err, "") << c.what;
        ASSERT_EQ(p.w, 2);
        ASSERT_EQ(p.h, 2);
        // The top picture row is the last file row when the height is positive.
        const int top_file_row = c.bmp.h > 0 ? 1 : 0;
        const uint8_t want[3] = {uint8_t(10 * top_file_row + 1), 200, 7};
        PIXEL_YC yc;
        bgr_to_yc(&yc, want, 1);
        EXPECT_TRUE(p.px[1] == yc) << c.what;
    }
    // A width too large to build: only the header is read before the refusal.
    std::string huge = Bmp{}.bytes();
    for (int i = 0; i < 4; ++i) huge[18 + size_t(i)] = char(uint32_t(1 << 30) >> (8 * i));
    EXPECT_NE(error_of([&] { decode_bmp("in.bmp", std::vector<uint8_t>(huge.begin(), huge.end())); }).find("too large"),
              std::string::npos);
    const std::string text = "PK\x03\x04 not an image";
    EXPECT_NE(error_of([&] { decode_bmp("in.bmp", std::vector<uint8_t>(text.begin(), text.end())); }).find("no BM signature"),
              std::string::npos);
    EXPECT_NE(error_of([&] { decode_bmp("in.bmp", {'B', 'M', 0, 0}); }).find("header is truncated"), std::string::npos);
}

TEST(BmpFiles, NumberedSequence) {
    TempDir dir;
    Bmp b;
    for (int i = 1; i <= 3; ++i) dir.file("clip_" + std::to_string(i) + ".bmp", b.bytes());
    b.w = 4;
    dir.file("clip_5.bmp", b.bytes());  // after a gap: not part of the sequence
    SourceOptions opt;
    opt.path = dir.path("clip_%d.bmp");
    auto src = open_source(opt);
    EXPECT_EQ(src->count(), 3);
    EXPECT_EQ(src->w(), 2);

    dir.file("clip_4.bmp", b.bytes());  // now frame 3 has another size
    src = open_source(opt);
    ASSERT_EQ(src->count(), 5);
    PIXEL_YC px[8 * 2];
    EXPECT_TRUE(src->read(2, px, 8));
    EXPECT_NE(error_of([&] { src->read(3, px, 8); }).find("picture is 4x2, the sequence's first is 2x2"), std::string::npos);

    opt.path = dir.path("none_%03d.bmp");
    EXPECT_NE(error_of([&] { open_source(opt); }).find("no file of the sequence exists"), std::string::npos);
    opt.path = dir.path("clip_%d_%d.bmp");
    EXPECT_NE(error_of([&] { open_source(opt); }).find("exactly one %d"), std::string::npos);
    opt.path = dir.path("clip_%s.bmp");
    EXPECT_NE(error_of([&] { open_source(opt); }).find("exactly one %d"), std::string::npos);
}

TEST(RawFrames, WholeFramesOnly) {
    TempDir dir;
    SourceOptions opt;
    opt.raw_w = 2, opt.raw_h = 1;
    opt.path = dir.file("in.yc", std::string(24, '\x01'));
    EXPECT_EQ(open_source(opt)->count(), 2);
    opt.path = dir.file("in.yc", std::string(25, '\x01'));
    EXPECT_NE(error_of([&] { open_source(opt); }).find("not a whole number of 2x1 frames"), std::string::npos);
    opt.raw_w = 0, opt.raw_h = 0;
    EXPECT_NE(error_of([&] { open_source(opt); }).find("give --raw WxH"), std::string::npos);
    opt.path = dir.path("missing.y4m");
    EXPECT_NE(error_of([&] { open_source(opt); }).find("missing.y4m: cannot open"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Plug-ins and their settings

TEST(Settings, SplitPluginArgument) {
    struct Case {
        const char *arg, *path, *settings;
    } cases[] = {
        {"fill.qfp", "fill.qfp", ""},
        {"fill.qfp:T=4,B=2", "fill.qfp", "T=4,B=2"},
        {"./a:b/fill.qfp:T=4", "./a:b/fill.qfp", "T=4"},
        {"C:\\x\\fill.qfp:T=4", "C:\\x\\fill.qfp", "T=4"},
        {"C:/fill.qfp", "C:/fill.qfp", ""},
        {"fill.qfp:Center video=1:x", "fill.qfp", "Center video=1:x"},
    };
    for (const Case &c : cases) {
        std::string path, settings;
        split_plugin_arg(c.arg, path, settings);
        EXPECT_EQ(path, c.path) << c.arg;
        EXPECT_EQ(settings, c.settings) << c.arg;
    }
}

TEST(Settings, ByNameOrNumberWithinRange) {
    struct Case {
        const char *settings;
        const char *error;  // part of the message, or null
        int track0, track1, check0, check1;
    } cases[] = {
        {"", nullptr, 128, 0, 0, 1},
        {"強さ=7,Size=-3", nullptr, 7, -3, 0, 1},
        {"size   =10,swap=off", nullptr, 128, 10, 0, 0},
        {"0=256,1=-10,3=on,4=0", nullptr, 256, -10, 1, 0},
        {"表示=yes", nullptr, 128, 0, 1, 1},
        {"\x8b\xad\x82\xb3=5", nullptr, 5, 0, 0, 1},  // the table's own bytes
        {"Size=11", "\"Size \" = 11 is outside the range -10..10", 0, 0, 0, 0},
        {"強さ=-1", "\"強さ\" = -1 is outside the range 0..256", 0, 0, 0, 0},
        {"Size=1.5", "not a whole number", 0, 0, 0, 0},
        {"Size=99999999999", "not a whole number", 0, 0, 0, 0},
        {"Swap=2", "expected 0 or 1", 0, 0, 0, 0},
        {"Sise=1", "no setting \"Sise\" (it has \"強さ\", \"Size \", \"Mode\", \"表示\", \"Swap\", \"Mode \")", 0, 0, 0, 0},
        {"6=1", "no setting \"6\"", 0, 0, 0, 0},
        {"Mode=1", "names both \"Mode\" and \"Mode \"; give its number", 0, 0, 0, 0},
        {"Size", "has no '=value'", 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        Filter f(QHOST_TEST_FILTER);
        Exit code = kOk;
        const std::string err = error_of([&] { f.apply(c.settings); }, &code);
        if (c.error) {
            EXPECT_NE(err.find(c.error), std::string::npos) << c.settings << " gave: " << err;
            EXPECT_EQ(err.rfind(QHOST_TEST_FILTER, 0), 0u) << err;
            EXPECT_EQ(code, kBadInput);
            continue;
        }
        ASSERT_EQ(err, "") << c.settings;
        EXPECT_EQ(f.track(0), c.track0) << c.settings;
        EXPECT_EQ(f.track(1), c.track1) << c.settings;
        EXPECT_EQ(f.check(0), c.check0) << c.settings;
        EXPECT_EQ(f.check(1), c.check1) << c.settings;
        // The record that func_proc sees holds the same values.
        EXPECT_EQ(f.record().track[1], c.track1);
        EXPECT_EQ(f.record().check[1], c.check1);
    }
}

TEST(Plugins, RefusesWhatIsNotThePluginAsked) {
    TempDir dir;
    const std::string junk = dir.file("junk.qfp", "not a library");
    EXPECT_NE(error_of([&] { Filter f(dir.path("missing.qfp")); }).find("missing.qfp: cannot load"), std::string::npos);
    EXPECT_NE(error_of([&] { Filter f(junk); }).find("junk.qfp: cannot load"), std::string::npos);
    EXPECT_NE(error_of([&] { Filter f(QHOST_TEST_OUTPUT); }).find("is an output plug-in, not a filter"), std::string::npos);
    EXPECT_NE(error_of([&] { OutputPlugin o(QHOST_TEST_FILTER); }).find("is a filter plug-in, not an output plug-in"),
              std::string::npos);
}

TEST(Plugins, DescribesTables) {
    const std::string filter = describe_plugin(QHOST_TEST_FILTER);
    for (const char *want : {": filter plug-in\n", "name         \"Test Filter  \"", "flag         0x00040000",
                             "information  \"test filter 1.0\"", "0  \"強さ\"  default 128, range 0..256",
                             "1  \"Size \"  default 0, range -10..10", "3  \"表示\"  default off", "4  \"Swap\"  default on"})
        EXPECT_NE(filter.find(want), std::string::npos) << want << "\n" << filter;
    const std::string output = describe_plugin(QHOST_TEST_OUTPUT);
    for (const char *want : {": output plug-in\n", "name         \"Test Output \"", "\"Text (*.txt)\"  \"*.txt\"",
                             "\"AllFile (*.*)\"  \"*.*\"", "settings     256 bytes, text \"label\""})
        EXPECT_NE(output.find(want), std::string::npos) << want << "\n" << output;
}

TEST(Text, ShiftJisIsShownAsUtf8) {
    EXPECT_EQ(ansi_to_utf8("\x83\x47\x83\x62\x83\x57"), "エッジ");
    EXPECT_EQ(ansi_to_utf8("\xb6\xde"), "ｶﾞ");  // half-width katakana are single bytes
    EXPECT_EQ(ansi_to_utf8("a\x81"), "a\\x81");  // a lead byte without its trail
    EXPECT_EQ(ansi_to_utf8(nullptr), "");
    EXPECT_EQ(quoted("T "), "\"T \"");
    EXPECT_EQ(quoted("a\"b\n"), "\"a\\\"b\\x0A\"");
}

// ---------------------------------------------------------------------------
// Frames as filters get them

TEST(Frames, RoomAndPitch) {
    for (const auto &[w, h] : std::vector<std::pair<int, int>>{{1, 1}, {640, 480}, {641, 481}, {1920, 1080}}) {
        Frames f(w, h);
        EXPECT_GE(f.max_w(), std::max(w, 640) + 5);
        EXPECT_GE(f.max_h(), std::max(h, 480));
        EXPECT_TRUE(f.fits(640, 480));
        EXPECT_GE(f.origin_offset(), size_t(2 * f.max_w() + 2));
        EXPECT_EQ(f.damaged_guard(), 0u);
    }
}

// The test filter in each of its modes, on a picture at the largest size that
// fits: what the host makes of the call, and where the result is.
TEST(Frames, CallsAreCheckedAndNamed) {
    struct Case {
        int mode;
        bool swap;
        const char *wrong;  // part of what the host reports, or "" for none
        int w, h;
        bool swapped;
    } cases[] = {
        {0, false, "", 7, 5, false},
        {0, true, "", 7, 5, true},
        {1, true, "wrote 1 pixels outside the frames it was lent", 0, 0, false},
        {2, true, "changed max_w or max_h", 0, 0, false},
        {3, true, "reported a failure", 0, 0, false},
        {4, true, "", 640, 480, true},
    };
    for (const Case &c : cases) {
        Filter f(QHOST_TEST_FILTER);
        f.apply("2=" + std::to_string(c.mode) + ",Swap=" + std::to_string(c.swap));
        Frames fr(7, 5);
        fr.set_size(7, 5);
        for (int i = 0; i < 35; ++i) fr.edit()[(i / 7) * fr.max_w() + i % 7] = {short(i), short(-i), short(2 * i)};
        PIXEL_YC *before = fr.edit();
        const std::string wrong = fr.call(f.record());
        if (*c.wrong) {
            EXPECT_NE(wrong.find(c.wrong), std::string::npos) << c.mode << ": " << wrong;
            continue;
        }
        EXPECT_EQ(wrong, "") << c.mode;
        EXPECT_EQ(fr.w(), c.w);
        EXPECT_EQ(fr.h(), c.h);
        EXPECT_EQ(fr.edit() != before, c.swapped) << c.mode;
        if (c.mode == 0) {
            const PIXEL_YC p = fr.edit()[2 * fr.max_w() + 3];  // pixel 17
            EXPECT_TRUE(p == (PIXEL_YC{4095 - 17, -17, 34}));
        }
    }
}

// ---------------------------------------------------------------------------
// Runs

std::vector<std::unique_ptr<Filter>> chain_of(const std::vector<std::string> &settings) {
    std::vector<std::unique_ptr<Filter>> chain;
    for (const auto &s : settings) {
        chain.push_back(std::make_unique<Filter>(QHOST_TEST_FILTER));
        chain.back()->apply(s);
    }
    return chain;
}

TEST(Export, FramesGoOutAsBottomUpBgr) {
    TempDir dir;
    SourceOptions so;
    so.sample_w = 33, so.sample_h = 9, so.sample_frames = 4;
    Pipeline p(open_source(so), chain_of({"Swap=1"}), -1);
    OutputPlugin out(QHOST_TEST_OUTPUT);
    out.set_config_text("first line");
    std::vector<std::unique_ptr<Sink>> sinks;
    Progress progress(false);
    const std::string path = dir.path("export.txt");
    const ExportResult r = run_export(p, out, path, sinks, progress);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.fetched, 4);

    // The same frames made here: inverted sample pictures as DIBs.
    std::ostringstream want;
    want << "first line\nsize 33 9 frames 4 bytes " << 9 * 100 << "\n";
    SourceOptions again = so;
    auto src = open_source(again);
    Frames fr(33, 9);
    std::vector<uint8_t> dib(dib_bytes(33, 9));
    for (int i = 0; i < 4; ++i) {
        src->read(i, fr.edit(), fr.max_w());
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 33; ++x) {
                PIXEL_YC &px = fr.edit()[y * fr.max_w() + x];
                px.y = short(4095 - px.y);
            }
        to_dib(dib.data(), fr.edit(), 33, 9, fr.max_w());
        char line[40];
        std::snprintf(line, sizeof line, "frame %d %08x\n", i, unsigned(crc32(0, dib.data(), dib.size())));
        want << line;
    }
    EXPECT_EQ(slurp(path), want.str());
}

TEST(Export, StopsWhenAskedAndRefusesMissingFolders) {
    TempDir dir;
    SourceOptions so;
    so.sample_w = 16, so.sample_h = 8, so.sample_frames = 5;
    Pipeline p(open_source(so), chain_of({}), -1);
    OutputPlugin out(QHOST_TEST_OUTPUT);
    std::vector<std::unique_ptr<Sink>> sinks;
    Progress progress(false);

    g_stop = 1;
    const ExportResult r = run_export(p, out, dir.path("stopped.txt"), sinks, progress);
    g_stop = 0;
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.fetched, 0);
    EXPECT_EQ(slurp(dir.path("stopped.txt")), "label\nsize 16 8 frames 5 bytes 384\nstopped\n");

    Exit code = kOk;
    const std::string missing = dir.path("no/such/folder/x.txt");
    const std::string err = error_of([&] { run_export(p, out, missing, sinks, progress); }, &code);
    EXPECT_NE(err.find("folder"), std::string::npos) << err;
    EXPECT_NE(err.find("does not exist"), std::string::npos) << err;
    EXPECT_EQ(code, kBadInput);
}

// A filter that breaks the rules mid-export ends the run with an error that
// names it, and the plug-in is asked to stop instead of getting stale frames.
TEST(Export, FilterFailureStopsTheExport) {
    TempDir dir;
    SourceOptions so;
    so.sample_w = 16, so.sample_h = 8, so.sample_frames = 3;
    Pipeline p(open_source(so), chain_of({"2=3"}), -1);
    OutputPlugin out(QHOST_TEST_OUTPUT);
    std::vector<std::unique_ptr<Sink>> sinks;
    Progress progress(false);
    Exit code = kOk;
    const std::string err = error_of([&] { run_export(p, out, dir.path("x.txt"), sinks, progress); }, &code);
    EXPECT_NE(err.find("reported a failure (frame 0)"), std::string::npos) << err;
    EXPECT_EQ(code, kFailed);
}

TEST(Y4mSink, WritesWhatItReadsBack) {
    TempDir dir;
    for (const Chroma c : {Chroma::k420, Chroma::k422, Chroma::k444, Chroma::k444p16}) {
        // Out and in again, then out once more: the second trip is exact.
        SourceOptions so;
        so.sample_w = 37, so.sample_h = 11, so.sample_frames = 3;
        auto src = open_source(so);
        const std::string a = dir.path("a.y4m"), b = dir.path("b.y4m");
        {
            auto sink = open_y4m_sink({a, c, {30, 1}, false});
            Frames fr(37, 11);
            for (int i = 0; i < 3; ++i) {
                src->read(i, fr.edit(), fr.max_w());
                ASSERT_TRUE(sink->write(i, fr.edit(), 37, 11, fr.max_w()));
            }
            sink->finish();
        }
        SourceOptions again;
        again.path = a;
        Pipeline p(open_source(again), {}, -1);
        EXPECT_EQ(p.count(), 3);
        std::vector<std::unique_ptr<Sink>> sinks;
        sinks.push_back(open_y4m_sink({b, c, {30, 1}, false}));
        Progress progress(false);
        bool closed = false;
        EXPECT_EQ(run_to_sinks(p, sinks, progress, &closed), 3);
        EXPECT_EQ(slurp(a), slurp(b)) << chroma_tag(c);
    }
}

}  // namespace
}  // namespace qhost
