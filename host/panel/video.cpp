// qhost panel mode: the video and the host services.

#include "host/panel/video.h"

#include "host/color.h"

namespace qhost {

void PanelVideo::attach(std::unique_ptr<Source> s) {
    source = std::move(s);
    picture.assign(size_t(width()) * height(), PIXEL_YC{});
    set_frame_count(source->count());
}

void PanelVideo::set_frame_count(int n) {
    frames = n < 1 ? 1 : n;
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
    if (current >= frames) current = frames - 1;
}

unsigned char *PanelVideo::render(int f) {
    ++images_made;
    const int w = width(), h = height(), last = source->count() - 1;
    source->read(f < last ? f : last, picture.data(), w);
    const size_t stride = size_t(3 * w + 3) & ~size_t(3);
    image.assign(stride * h, 0);
    for (int y = 0; y < h; ++y)  // bottom row first
        yc_to_bgr(&image[stride * (h - 1 - y)], &picture[size_t(y) * w], w);
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
    *w = video(editp).width();
    *h = video(editp).height();
    return TRUE;
}
BOOL QP_CDECL set_current_frame(void *editp, int frame) {
    PanelVideo &v = video(editp);
    v.current = clamp_frame(v, frame);
    return TRUE;
}
BOOL QP_CDECL read_frame_state(void *editp, int frame, FRAME_STATE *fs) {
    PanelVideo &v = video(editp);
    *fs = v.states[size_t(clamp_frame(v, frame))];
    return TRUE;
}
BOOL QP_CDECL write_frame_state(void *editp, int frame, FRAME_STATE *fs) {
    PanelVideo &v = video(editp);
    v.states[size_t(clamp_frame(v, frame))] = *fs;
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
