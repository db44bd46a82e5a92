// A program and a module it loads share one stand-in when the program links
// it with qp_link_winapi_shared.
#include <dlfcn.h>
#include <windows.h>
#include <winapi_testing.h>

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

TEST(SharedStandIn, ALoadedModuleDrawsIntoTheProgramsWindow) {
    winapi_test_reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = "SharedProbe";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "SharedProbe", "", WS_POPUP | WS_VISIBLE, 0, 0, 4, 4, nullptr, nullptr, nullptr,
                             nullptr);
    void *module = dlopen(WINAPI_SHARED_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto draw = (int (*)(HWND))dlsym(module, "probe_draw");
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw(h), 1);
    EXPECT_EQ(winapi_test_pixel(h, 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(winapi_test_window_dcs(), 0);
    // The module's resources were registered with the program's stand-in.
    HBITMAP b = LoadBitmapA(GetModuleHandleA(nullptr), "PROBE");
    EXPECT_NE(b, nullptr);
    DeleteObject(b);
    dlclose(module);
}

}  // namespace
