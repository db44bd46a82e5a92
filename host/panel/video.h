// qhost panel mode: the open video behind the host's service table.
#pragma once

#include <memory>
#include <vector>

#include "host/media.h"
#include "sdk/host.h"

namespace qhost {

// The video the panel is shown: the frames of a source (the built-in sample
// clip or a file), handed out as 24-bit bottom-up DIB pixels, and the frame
// states and selection that the host keeps beside them. Key frames every 30
// frames, marks at a few frames, the second profile from the middle on and
// the second input file from two thirds on, so that every service answers
// something worth seeing.
struct PanelVideo {
    std::unique_ptr<Source> source;
    int open = 0;     // what is_video_open answers
    int frames = 0;   // what get_frame_count answers
    int current = 0;
    int sel_start = 0, sel_end = 0;
    std::vector<FRAME_STATE> states;    // one per frame
    std::vector<PIXEL_YC> picture;      // the source's frame
    std::vector<unsigned char> image;   // the last picture handed out
    int images_made = 0;                // calls of get_frame_image

    // Takes the source; the frame count is its own.
    void attach(std::unique_ptr<Source> s);
    // The host now counts n frames (an edit made the video longer or
    // shorter); frames past the source's end show its last frame.
    void set_frame_count(int n);
    int width() const { return source->w(); }
    int height() const { return source->h(); }
    // The picture of frame f into image; returns image.data().
    unsigned char *render(int f);
};

// The service table over a PanelVideo passed as the edit handle.
HOST_FUNC_TABLE panel_host_table();

}  // namespace qhost
