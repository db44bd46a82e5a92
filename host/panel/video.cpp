// qhost panel mode: the sample clip and the host services.

#include "host/panel/video.h"

#include <cstdio>

namespace qhost {

namespace {

// Digits 0..9 as 3 x 5 dot patterns, one row per 3 bits, top row first.
constexpr unsigned short kDigits[10] = {
    075557, 026227, 071747, 071717, 055711, 074717, 074757, 071111, 075757, 075717,
};

void put(std::vector<unsigned char> &img, int stride, int h, int x, int y, int r, int g, int b) {
    unsigned char *p = &img[size_t(h - 1 - y) * stride + size_t(3) * x];  // rows run bottom-up
    p[0] = static_cast<unsigned char>(b);
    p[1] = static_cast<unsigned char>(g);
    p[2] = static_cast<unsigned char>(r);
}

}  // namespace

void PanelVideo::make_sample(int frame_count, int w, int h) {
    frames = frame_count;
    width = w;
    height = h;
    states.assign(size_t(frames), FRAME_STATE{});
    for (int f = 0; f < frames; ++f) {
        FRAME_STATE &s = states[size_t(f)];
        s.profile_no = f < frames / 2 ? 0 : 1;
        s.file_no = f < frames * 2 / 3 ? 0 : 1;
        if (f % 30 == 0) s.mark_bits |= FRAME_STATE_KEY;
    }
    for (int f : {45, 100, 210})
        if (f < frames) states[size_t(f)].mark_bits |= FRAME_STATE_MARK;
    sel_start = frames / 5;
    sel_end = frames * 3 / 5;
}

unsigned char *PanelVideo::render(int f) {
    ++images_made;
    const int stride = (3 * width + 3) & ~3;
    image.assign(size_t(stride) * height, 0);
    // A diagonal colour ramp that drifts with the frame number, a bar that
    // sweeps across the clip, and the frame number in large digits.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            put(image, stride, height, x, y, (x * 255 / width + f) & 255, y * 200 / height + 30,
                (255 - x * 255 / width + 2 * f) & 255);
    const int bar = frames > 1 ? f * (width - 8) / (frames - 1) : 0;
    for (int y = 0; y < height; ++y)
        for (int x = bar; x < bar + 8 && x < width; ++x) put(image, stride, height, x, y, 250, 250, 250);
    const int dot = height / 10 > 0 ? height / 10 : 1;
    char text[12];
    const int len = std::snprintf(text, sizeof text, "%d", f < 0 ? 0 : f);
    for (int i = 0; i < len; ++i)
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col) {
                if (!(kDigits[text[i] - '0'] >> (3 * (4 - row) + (2 - col)) & 1)) continue;
                for (int dy = 0; dy < dot; ++dy)
                    for (int dx = 0; dx < dot; ++dx) {
                        const int x = dot + i * 4 * dot + col * dot + dx, y = dot + row * dot + dy;
                        if (x < width && y < height) put(image, stride, height, x, y, 0, 0, 0);
                    }
            }
    return image.data();
}

namespace {

PanelVideo &video(void *editp) { return *static_cast<PanelVideo *>(editp); }
int clamp_frame(const PanelVideo &v, int f) { return f < 0 ? 0 : f >= v.frames ? v.frames - 1 : f; }

void *QP_CDECL get_frame_image(void *editp, int frame) {
    PanelVideo &v = video(editp);
    return v.render(clamp_frame(v, frame));
}
BOOL QP_CDECL is_video_open(void *editp) { return video(editp).open; }
int QP_CDECL get_current_frame(void *editp) { return video(editp).current; }
int QP_CDECL get_frame_count(void *editp) { return video(editp).frames; }
BOOL QP_CDECL query_frame_size(void *editp, int *w, int *h) {
    *w = video(editp).width;
    *h = video(editp).height;
    return TRUE;
}
BOOL QP_CDECL set_current_frame(void *editp, int frame) {
    PanelVideo &v = video(editp);
    v.current = clamp_frame(v, frame);
    return TRUE;
}
BOOL QP_CDECL read_frame_state(void *editp, int frame, FRAME_STATE *fs) {
    PanelVideo &v = video(editp);
    *fs = v.states.empty() ? FRAME_STATE{} : v.states[size_t(clamp_frame(v, frame))];
    return TRUE;
}
BOOL QP_CDECL write_frame_state(void *editp, int frame, FRAME_STATE *fs) {
    PanelVideo &v = video(editp);
    if (!v.states.empty()) v.states[size_t(clamp_frame(v, frame))] = *fs;
    return TRUE;
}
BOOL QP_CDECL is_step_frame(void *editp, int frame) { return frame % 10 == 0 && frame < video(editp).frames; }
BOOL QP_CDECL get_selection(void *editp, int *start, int *end) {
    *start = video(editp).sel_start;
    *end = video(editp).sel_end;
    return TRUE;
}
BOOL QP_CDECL set_selection(void *editp, int start, int end) {
    video(editp).sel_start = start;
    video(editp).sel_end = end;
    return TRUE;
}

}  // namespace

HOST_FUNC_TABLE panel_host_table() {
    HOST_FUNC_TABLE t = {};
    t.get_frame_image = get_frame_image;
    t.is_video_open = is_video_open;
    t.get_current_frame = get_current_frame;
    t.get_frame_count = get_frame_count;
    t.query_frame_size = query_frame_size;
    t.set_current_frame = set_current_frame;
    t.read_frame_state = read_frame_state;
    t.write_frame_state = write_frame_state;
    t.is_step_frame = is_step_frame;
    t.get_selection = get_selection;
    t.set_selection = set_selection;
    return t;
}

}  // namespace qhost
