// The two working frames that the host lends to every filter call.
//
// Each frame is one allocation, made once per run and reused for every frame
// and every filter:
//
//   guard | room before | max_h rows of max_w pixels | room after | guard
//
// The room before is two rows and two pixels, the room after two rows, so a
// filter may write border copies two pixels and two rows around any picture
// that fits. max_w is at least w + 5 for every picture up to the largest a
// filter may make (640 x 480, or the input size when that is larger).
//
// The guards are poisoned once and checked after every call: a filter that
// wrote there is named in the error. Debug builds also poison the scratch
// frame and the slack around the picture before every call, so that a filter
// reading what it was not given gets visible garbage instead of last frame's
// pixels.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "sdk/filter.h"

namespace qhost {

class Frames {
  public:
    static constexpr int kMinW = 640, kMinH = 480;  // the largest output size of any filter
    static constexpr int kRoomRows = 2, kRoomPixels = 2;
    static constexpr PIXEL_YC kPoison = {0x7a5c, -0x3a5d, 0x3b5e};

    // Frames for pictures up to w x h (and up to 640 x 480).
    Frames(int w, int h);
    Frames(const Frames &) = delete;
    Frames &operator=(const Frames &) = delete;

    int max_w() const { return max_w_; }
    int max_h() const { return max_h_; }
    // The picture's current frame and size. The source writes here.
    PIXEL_YC *edit() { return edit_; }
    const PIXEL_YC *edit() const { return edit_; }
    PIXEL_YC *temp() { return temp_; }
    int w() const { return w_; }
    int h() const { return h_; }
    void set_size(int w, int h) { w_ = w, h_ = h; }
    bool fits(int w, int h) const { return w >= 0 && h >= 0 && w + 5 <= max_w_ && h <= max_h_; }

    // One call of a filter's func_proc on the current picture. Returns an
    // empty string, or what the filter did wrong.
    std::string call(FILTER &fp);

    // Guard memory of both frames that no longer holds the poison, in pixels.
    size_t damaged_guard() const;
    // Poisons the scratch frame and everything around the picture.
    void poison_slack();

    // Pixels of one allocation, and where in it the picture origin lies.
    size_t alloc_pixels() const { return alloc_; }
    size_t origin_offset() const { return guard_ + room_before(); }

  private:
    size_t room_before() const { return size_t(kRoomRows) * size_t(max_w_) + kRoomPixels; }
    size_t room_after() const { return size_t(kRoomRows) * size_t(max_w_); }
    PIXEL_YC *base_of(PIXEL_YC *origin) const { return origin - origin_offset(); }

    int max_w_, max_h_;
    size_t guard_, alloc_;
    std::unique_ptr<PIXEL_YC[]> a_, b_;
    PIXEL_YC *edit_, *temp_;
    int w_ = 0, h_ = 0;
};

}  // namespace qhost
