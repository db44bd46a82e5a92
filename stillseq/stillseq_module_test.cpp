// The plug-in loaded as the host loads it: an export through its own file
// services gives the same bytes on every build, and on Windows its settings
// dialog opens from its own resources and stores the pattern only on OK.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/module.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

// 3 x 2 pixels, two frames: rows of 9 bytes padded to 12, bottom row first.
constexpr int kW = 3, kH = 2, kFrameBytes = 24, kFrames = 2;
uint8_t frame_data[kFrames][kFrameBytes];

void *QP_CDECL get_frame(int frame) { return frame_data[frame]; }
BOOL QP_CDECL no_stop() { return FALSE; }
BOOL QP_CDECL progress(int, int) { return TRUE; }
BOOL QP_CDECL notify() { return TRUE; }

class StillseqModule : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(module_.open(STILLSEQ_MODULE)) << module_.error();
        table_ = module_.output_table();
        ASSERT_NE(table_, nullptr);
    }

    std::string pattern() const {
        char block[256];
        EXPECT_EQ(table_->func_get_config(block, sizeof block), 256);
        return block;
    }
    void set_pattern(const char *p) {
        char block[256] = {};
        std::strncpy(block, p, 255);
        ASSERT_EQ(table_->func_set_config(block, 256), 256);
    }

    qhost::Module module_;
    OUTPUT_DLL *table_ = nullptr;
};

std::vector<uint8_t> read_file(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST_F(StillseqModule, ExportsTheSameBytesOnEveryBuild) {
    for (int f = 0; f < kFrames; ++f)
        for (int i = 0; i < kFrameBytes; ++i) frame_data[f][i] = uint8_t(i % 12 < 9 ? 1 + i * 7 + f * 100 : 0);

    // A folder of this run's own: other builds may run the same test at once.
    fs::path dir;
    for (auto tick = std::chrono::steady_clock::now().time_since_epoch().count();; ++tick) {
        dir = fs::temp_directory_path() / ("stillseq-module-" + std::to_string(tick));
        if (fs::create_directory(dir)) break;
    }
    const std::string path = (dir / "clip.bmp").string();
    OUTPUT_JOB job{};
    job.w = kW;
    job.h = kH;
    job.frame_count = kFrames;
    job.frame_bytes = kFrameBytes;
    job.output_path = path.c_str();
    job.func_get_frame = get_frame;
    job.func_stop_requested = no_stop;
    job.func_report_progress = progress;
    job.func_notify_frame = notify;
    set_pattern("_%02d");
    ASSERT_EQ(table_->func_output(&job), TRUE);

    const uint8_t header[54] = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    };
    for (int f = 0; f < kFrames; ++f) {
        std::vector<uint8_t> expect(sizeof header + kFrameBytes);
        std::memcpy(expect.data(), header, sizeof header);
        std::memcpy(expect.data() + sizeof header, frame_data[f], kFrameBytes);
        EXPECT_EQ(read_file(dir / ("clip_0" + std::to_string(f) + ".bmp")), expect) << "frame " << f;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), kFrames);
    fs::remove_all(dir);
    set_pattern("_%d");
}

#if defined(_WIN32)

// The dialog is driven from a thread timer, which its modal loop dispatches:
// once it is up, the timer checks what it shows, types into the edit field
// and presses a button.
struct DialogScript {
    DialogScript(const char *text, UINT press) : type(text), button(press) {}
    const char *type;  // text put into the edit field
    UINT button;       // IDOK or IDCANCEL
    HWND dialog = nullptr;
    int ticks = 0;
    std::wstring title, field_before;
    std::vector<std::wstring> texts;
    std::vector<int> ids;
};
DialogScript *script;

BOOL CALLBACK find_dialog(HWND hwnd, LPARAM found) {
    char cls[16];
    if (GetClassNameA(hwnd, cls, sizeof cls) && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND *>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring text_of(HWND hwnd) {
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return buf;
}

void CALLBACK drive_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) {
        if (++script->ticks > 200) KillTimer(nullptr, timer);  // never came up: the test fails below
        return;
    }
    KillTimer(nullptr, timer);
    script->dialog = dialog;
    script->title = text_of(dialog);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        script->texts.push_back(text_of(c));
        script->ids.push_back(short(GetDlgCtrlID(c)));
    }
    script->field_before = text_of(GetDlgItem(dialog, 100));
    SetDlgItemTextA(dialog, 100, script->type);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(script->button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, int(script->button))));
}

BOOL run_dialog(OUTPUT_DLL *table, HINSTANCE instance, DialogScript &s) {
    script = &s;
    SetTimer(nullptr, 0, 20, drive_dialog);
    return table->func_config(nullptr, instance);
}

TEST_F(StillseqModule, DialogShowsThePatternAndStoresItOnOk) {
    set_pattern("_%d");
    DialogScript ok{"%03d", IDOK};
    EXPECT_EQ(run_dialog(table_, module_.instance(), ok), TRUE);
    ASSERT_NE(ok.dialog, nullptr) << "the dialog did not open";
    EXPECT_EQ(ok.title, L"連番BMP出力の設定");
    EXPECT_EQ(ok.texts, (std::vector<std::wstring>{L"OK", L"ｷｬﾝｾﾙ", L"連番ファイル名の付け方",
                                                   L"%d = 番号 ( printfのように使えます )", L"_%d"}));
    EXPECT_EQ(ok.ids, (std::vector<int>{1, 2, -1, -1, 100}));
    EXPECT_EQ(ok.field_before, L"_%d");
    EXPECT_EQ(pattern(), "%03d");

    DialogScript cancel{"_edited_%d", IDCANCEL};
    EXPECT_EQ(run_dialog(table_, module_.instance(), cancel), TRUE);
    ASSERT_NE(cancel.dialog, nullptr);
    EXPECT_EQ(cancel.field_before, L"%03d");
    EXPECT_EQ(pattern(), "%03d");

    DialogScript empty{"", IDOK};
    EXPECT_EQ(run_dialog(table_, module_.instance(), empty), TRUE);
    EXPECT_EQ(pattern(), "");
    set_pattern("_%d");
}

#endif

}  // namespace
