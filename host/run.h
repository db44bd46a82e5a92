// One run: frames from a source, through a chain of filters, into sinks or
// out through an output plug-in.
#pragma once

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "host/frames.h"
#include "host/media.h"
#include "host/plugin.h"

namespace qhost {

// Set by Ctrl-C; what func_stop_requested answers.
extern volatile std::sig_atomic_t g_stop;
void install_signal_handlers();

// A line of progress on stderr, redrawn in place; nothing unless enabled.
class Progress {
  public:
    explicit Progress(bool enabled) : on_(enabled) {}
    ~Progress() { done(); }
    void update(int frame, int total);
    void done();

  private:
    bool on_;
    bool drawn_ = false;
    int last_ = -1;
};

class Pipeline {
  public:
    Pipeline(std::unique_ptr<Source> source, std::vector<std::unique_ptr<Filter>> chain, int max_frames);

    Source &source() { return *source_; }
    Frames &frames() { return *frames_; }
    // Frames that the run will have: the source's count, limited by
    // --frames; -1 when unknown.
    int count() const { return count_; }

    // Reads frame i and runs the chain on it; the result is frames().edit()
    // at frames().w() x h(). Returns false past the last frame.
    bool produce(int i);

  private:
    std::unique_ptr<Source> source_;
    std::vector<std::unique_ptr<Filter>> chain_;
    std::unique_ptr<Frames> frames_;
    int count_;
};

// Pushes every frame through the sinks. Returns the number of frames done;
// stops early at Ctrl-C or when a sink's reader went away (*closed).
int run_to_sinks(Pipeline &p, std::vector<std::unique_ptr<Sink>> &sinks, Progress &progress, bool *closed);

// Exports through an output plug-in; every frame fetched also goes to the
// sinks. Throws Error when the plug-in fails or a frame cannot be made.
struct ExportResult {
    bool ok = false;
    int fetched = 0;
};
ExportResult run_export(Pipeline &p, OutputPlugin &out, const std::string &path,
                        std::vector<std::unique_ptr<Sink>> &sinks, Progress &progress);

// A frame's picture as the bottom-up BGR rows of a 24-bit BMP, each row
// padded with zeros to a multiple of 4 bytes.
size_t dib_bytes(int w, int h);
void to_dib(uint8_t *dib, const PIXEL_YC *src, int w, int h, int pitch);

}  // namespace qhost
