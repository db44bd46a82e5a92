#include "run.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/stat.h>

#include "host/color.h"
#include "host/error.h"

namespace qhost {

volatile std::sig_atomic_t g_stop = 0;

namespace {

extern "C" void on_interrupt(int sig) {
    g_stop = 1;
    std::signal(sig, SIG_DFL);  // a second Ctrl-C ends the program at once
}

}  // namespace

void install_signal_handlers() {
    std::signal(SIGINT, on_interrupt);
#if defined(SIGPIPE)
    std::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a failed write instead
#endif
}

// ---------------------------------------------------------------------------

void Progress::update(int frame, int total) {
    if (!on_ || frame == last_) return;
    last_ = frame;
    char bar[41];
    if (total > 0) {
        const int filled = int(int64_t(frame) * 40 / total);
        for (int i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
        bar[40] = '\0';
        std::fprintf(stderr, "\r[%s] %d/%d", bar, frame, total);
    } else {
        std::fprintf(stderr, "\rframe %d", frame);
    }
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::done() {
    if (drawn_) std::fputs("\r\033[K", stderr);
    drawn_ = false;
}

// ---------------------------------------------------------------------------

Pipeline::Pipeline(std::unique_ptr<Source> source, std::vector<std::unique_ptr<Filter>> chain, int max_frames)
    : source_(std::move(source)), chain_(std::move(chain)) {
    frames_ = std::make_unique<Frames>(source_->w(), source_->h());
    count_ = source_->count();
    if (max_frames >= 0 && (count_ < 0 || count_ > max_frames)) count_ = max_frames;
}

bool Pipeline::produce(int i) {
    if (count_ >= 0 && i >= count_) return false;
    frames_->set_size(source_->w(), source_->h());
    if (!source_->read(i, frames_->edit(), frames_->max_w())) return false;
    for (auto &f : chain_) {
        const std::string wrong = frames_->call(f->record());
        if (!wrong.empty()) fail(kFailed, f->path(), wrong + " (frame " + std::to_string(i) + ")");
    }
    return true;
}

int run_to_sinks(Pipeline &p, std::vector<std::unique_ptr<Sink>> &sinks, Progress &progress, bool *closed) {
    int i = 0;
    *closed = false;
    for (; !g_stop && p.produce(i); ++i) {
        const Frames &f = p.frames();
        for (auto &s : sinks)
            if (!s->write(i, f.edit(), f.w(), f.h(), f.max_w())) return *closed = true, i;
        progress.update(i + 1, p.count());
    }
    for (auto &s : sinks)
        if (!s->finish()) *closed = true;
    return i;
}

// ---------------------------------------------------------------------------
// Export

size_t dib_bytes(int w, int h) { return size_t(h) * ((size_t(w) * 3 + 3) & ~size_t(3)); }

void to_dib(uint8_t *dib, const PIXEL_YC *src, int w, int h, int pitch) {
    const size_t row = (size_t(w) * 3 + 3) & ~size_t(3);
    for (int y = 0; y < h; ++y) {
        uint8_t *o = dib + size_t(h - 1 - y) * row;
        yc_to_bgr(o, src + ptrdiff_t(y) * pitch, w);
        std::memset(o + size_t(w) * 3, 0, row - size_t(w) * 3);
    }
}

namespace {

// The export in progress. The job's callbacks carry no context, so they find
// it here; there is one export at a time.
struct Export {
    Pipeline *p = nullptr;
    OutputPlugin *out = nullptr;
    std::vector<std::unique_ptr<Sink>> *sinks = nullptr;
    Progress *progress = nullptr;
    int w = 0, h = 0, count = 0;
    int current = -1;  // the frame whose picture is in dib
    int fetched = 0;
    std::vector<uint8_t> dib;
    std::exception_ptr error;
    bool reader_gone = false;
};
Export *g_export = nullptr;

void make_frame(Export &e, int frame) {
    if (frame < 0 || frame >= e.count)
        fail(kFailed, e.out->path(), "asked for frame " + std::to_string(frame) + " of " + std::to_string(e.count));
    if (frame != e.current) {
        e.current = -1;
        if (!e.p->produce(frame)) fail(kBadInput, e.p->source().name(), "frame " + std::to_string(frame) + " is missing");
        const Frames &f = e.p->frames();
        if (f.w() != e.w || f.h() != e.h)
            fail(kFailed, "", "frame " + std::to_string(frame) + " came out " + std::to_string(f.w()) + "x" +
                                  std::to_string(f.h()) + ", the export is " + std::to_string(e.w) + "x" +
                                  std::to_string(e.h));
        to_dib(e.dib.data(), f.edit(), e.w, e.h, f.max_w());
        e.current = frame;
    }
}

// Called by the output plug-in (OUTPUT_JOB func_get_frame): the picture of a
// frame, valid until the next call into the job.
void *QP_CDECL job_get_frame(int frame) {
    Export &e = *g_export;
    try {
        make_frame(e, frame);
        const Frames &f = e.p->frames();
        for (auto &s : *e.sinks)
            if (!e.reader_gone && !s->write(frame, f.edit(), f.w(), f.h(), f.max_w())) e.reader_gone = true;
        ++e.fetched;
    } catch (...) {
        // Nothing may unwind through the plug-in. It gets a black picture,
        // is asked to stop before the next frame, and the run fails.
        if (!e.error) e.error = std::current_exception();
        std::memset(e.dib.data(), 0, e.dib.size());
        e.current = -1;
    }
    return e.dib.data();
}

// Called by the output plug-in before every frame.
BOOL QP_CDECL job_stop_requested(void) { return g_stop || g_export->error ? TRUE : FALSE; }

// Called by the output plug-in with the frame about to be written.
BOOL QP_CDECL job_report_progress(int frame, int total) {
    g_export->progress->update(frame + 1, total);
    return TRUE;
}

// Called by the output plug-in once per frame, after fetching it.
BOOL QP_CDECL job_notify_frame(void) { return TRUE; }

std::string folder_of(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace

ExportResult run_export(Pipeline &p, OutputPlugin &out, const std::string &path,
                        std::vector<std::unique_ptr<Sink>> &sinks, Progress &progress) {
    if (path.size() > 259) fail(kBadInput, path, "is longer than 259 characters");
    struct stat st;
    const std::string folder = folder_of(path);
    if (::stat(folder.c_str(), &st) != 0 || !(st.st_mode & S_IFDIR))
        fail(kBadInput, path, "folder " + folder + " does not exist");
    if (p.count() < 0) fail(kFailed, p.source().name(), "frame count is unknown");

    Export e;
    e.p = &p;
    e.out = &out;
    e.sinks = &sinks;
    e.progress = &progress;
    e.count = p.count();
    if (e.count > 0) {
        // The first frame gives the size of the export.
        if (!p.produce(0)) fail(kBadInput, p.source().name(), "has no frames");
        e.w = p.frames().w();
        e.h = p.frames().h();
        e.dib.resize(dib_bytes(e.w, e.h));
        to_dib(e.dib.data(), p.frames().edit(), e.w, e.h, p.frames().max_w());
        e.current = 0;
    } else {
        e.w = p.source().w();
        e.h = p.source().h();
    }

    OUTPUT_JOB job{};
    job.w = e.w;
    job.h = e.h;
    job.frame_count = e.count;
    job.frame_bytes = int(dib_bytes(e.w, e.h));
    job.output_path = path.c_str();
    job.func_get_frame = job_get_frame;
    job.func_stop_requested = job_stop_requested;
    job.func_report_progress = job_report_progress;
    job.func_notify_frame = job_notify_frame;

    g_export = &e;
    const BOOL ok = out.table().func_output(&job);
    g_export = nullptr;
    for (auto &s : sinks) s->finish();
    if (e.error) std::rethrow_exception(e.error);
    return {ok != FALSE, e.fetched};
}

}  // namespace qhost
