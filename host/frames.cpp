#include "frames.h"

#include <algorithm>

namespace qhost {

namespace {

inline bool poisoned(const PIXEL_YC &p) {
    return p.y == Frames::kPoison.y && p.cb == Frames::kPoison.cb && p.cr == Frames::kPoison.cr;
}

size_t count_damaged(const PIXEL_YC *p, size_t n) {
    size_t bad = 0;
    for (size_t i = 0; i < n; ++i) bad += !poisoned(p[i]);
    return bad;
}

}  // namespace

Frames::Frames(int w, int h) {
    // Rounded up to whole 8-pixel groups: rows then start 16-byte aligned
    // every eighth row, and a pitch that is a multiple of 8 keeps the
    // alignment of the origin.
    max_w_ = (std::max(w, kMinW) + 5 + 7) & ~7;
    max_h_ = std::max(h, kMinH);
    guard_ = size_t(max_w_) + 64;
    alloc_ = guard_ + room_before() + size_t(max_w_) * size_t(max_h_) + room_after() + guard_;
    // Fresh memory costs page faults once; every later frame reuses it.
    a_.reset(new PIXEL_YC[alloc_]);
    b_.reset(new PIXEL_YC[alloc_]);
    std::fill_n(a_.get(), alloc_, kPoison);
    std::fill_n(b_.get(), alloc_, kPoison);
    edit_ = a_.get() + origin_offset();
    temp_ = b_.get() + origin_offset();
}

size_t Frames::damaged_guard() const {
    size_t bad = 0;
    for (const PIXEL_YC *base : {a_.get(), b_.get()})
        bad += count_damaged(base, guard_) + count_damaged(base + alloc_ - guard_, guard_);
    return bad;
}

void Frames::poison_slack() {
    PIXEL_YC *t = base_of(temp_);
    std::fill(t + guard_, t + alloc_ - guard_, kPoison);
    PIXEL_YC *e = base_of(edit_);
    std::fill(e + guard_, edit_, kPoison);
    for (int y = 0; y < h_; ++y) std::fill(edit_ + size_t(y) * max_w_ + w_, edit_ + size_t(y + 1) * max_w_, kPoison);
    std::fill(edit_ + size_t(h_) * max_w_, e + alloc_ - guard_, kPoison);
}

std::string Frames::call(FILTER &fp) {
#ifndef NDEBUG
    poison_slack();
#endif
    FILTER_PROC_INFO fpip{0, edit_, temp_, w_, h_, max_w_, max_h_};
    const BOOL ok = fp.func_proc(&fp, &fpip);
    if (size_t bad = damaged_guard())
        return "wrote " + std::to_string(bad) + " pixels outside the frames it was lent";
    if (fpip.max_w != max_w_ || fpip.max_h != max_h_) return "changed max_w or max_h";
    const bool same = fpip.ycp_edit == edit_ && fpip.ycp_temp == temp_;
    const bool swapped = fpip.ycp_edit == temp_ && fpip.ycp_temp == edit_;
    if (!same && !swapped) return "changed the frame pointers other than by exchanging them";
    if (!fits(fpip.w, fpip.h))
        return "returned a " + std::to_string(fpip.w) + "x" + std::to_string(fpip.h) +
               " picture, larger than its frames allow";
    if (!ok) return "reported a failure";
    edit_ = fpip.ycp_edit;
    temp_ = fpip.ycp_temp;
    w_ = fpip.w;
    h_ = fpip.h;
    return {};
}

}  // namespace qhost
