// qhost panel mode: the open video behind the host's service table.
#pragma once

#include <vector>

#include "sdk/host.h"

namespace qhost {

// A generated clip, or whatever the panel is shown: its frames are made on
// demand as 24-bit bottom-up DIB pixels. It carries key frames, marks, two
// profiles, two input files and a selection, so that every service answers
// something worth seeing.
struct PanelVideo {
    int open = 0;          // what is_video_open answers
    int frames = 300;
    int width = 160, height = 120;
    int current = 0;
    int sel_start = 0, sel_end = 0;
    std::vector<FRAME_STATE> states;  // one per frame
    std::vector<unsigned char> image;  // the last picture handed out
    int images_made = 0;               // calls of get_frame_image

    // Key frames every 30 frames, marks at a few frames, the second profile
    // from the middle on, the second input file from two thirds on.
    void make_sample(int frame_count, int w, int h);
    // The picture of frame f into image; returns image.data().
    unsigned char *render(int f);
};

// The service table over a PanelVideo passed as the edit handle.
HOST_FUNC_TABLE panel_host_table();

}  // namespace qhost
