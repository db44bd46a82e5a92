// qhost: the reference host. Loads filter and output plug-ins and runs them on
// real video from the command line.
//
// Exit codes: 0 success, 1 a failure while running, 2 a usage or input error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "host/bench.h"
#include "host/error.h"
#include "host/media.h"
#include "host/plugin.h"
#include "host/run.h"

#if defined(QHOST_HAVE_PANEL)
int panel_main(int argc, char **argv);
#endif

namespace qhost {
namespace {

const char kUsage[] =
    "usage: qhost info PLUGIN...\n"
    "       qhost run [INPUT] [--filter PLUGIN[:SETTING=VALUE,...]]... OUTPUT... [OPTIONS]\n"
    "       qhost bench [--size WxH] [--runs N]\n"
#if defined(QHOST_HAVE_PANEL)
    "       qhost panel ...\n"
#endif
    "\n"
    "info     prints a plug-in's table: name, tracks, check boxes, flag, information, file filter\n"
    "run      reads frames, passes them through the filters in order, and writes them out\n"
    "bench    times the host's own per-frame work against a memcpy of the frame\n"
    "\n"
    "INPUT     a y4m file, or - for y4m on stdin (8-bit 420/422/444/mono, 16-bit 444p16);\n"
    "          a 24-bit BMP file, or a numbered sequence given as a pattern: clip_%04d.bmp;\n"
    "          none: the built-in sample clip\n"
    "  --raw WxH             INPUT holds raw PIXEL_YC frames (int16 y, cb, cr, little-endian)\n"
    "  --fps N[/D]           frame rate (default: the y4m input's, else 30)\n"
    "  --sample-size WxH     size of the sample clip (default 640x360; 90 frames unless --frames)\n"
    "  --frames N            at most N frames\n"
    "FILTERS   --filter PLUGIN[:SETTING=VALUE,...], repeatable; a setting is a track or\n"
    "          check box, by name (trailing blanks ignored) or by its number in `qhost info`;\n"
    "          check boxes take 0/1, on/off; missing settings keep their defaults\n"
    "OUTPUT    at least one of:\n"
    "  -o, --output PATH     y4m to PATH, or to stdout for -\n"
    "  --raw-out             ... as raw PIXEL_YC frames instead\n"
    "  --chroma LAYOUT       y4m layout: 420, 422, 444, mono, 444p16 (default: as the input)\n"
    "  --export PLUGIN PATH  through an output plug-in\n"
    "  --export-config TEXT  the output plug-in's settings as text (such as a name pattern)\n"
    "  --export-config-file FILE  ... or as a block of bytes from FILE\n"
    "  --crc                 a line \"frame I WxH CRC32\" per frame on stdout\n"
    "OPTIONS\n"
    "  -q, --quiet           no progress bar\n";

[[noreturn]] void usage_error(const std::string &what) { throw Error(kBadInput, what + " (see qhost --help)"); }

bool parse_size(const std::string &text, int &w, int &h) {
    char *end = nullptr;
    const long a = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
    const char *rest = end + 1;
    const long b = std::strtol(rest, &end, 10);
    if (end == rest || *end || a <= 0 || b <= 0 || a > 16384 || b > 16384) return false;
    w = int(a), h = int(b);
    return true;
}

bool parse_count(const std::string &text, int &n) {
    char *end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 0 || v > 1000000000) return false;
    n = int(v);
    return true;
}

// Arguments one by one, with the value of an option.
struct Args {
    std::vector<std::string> v;
    size_t i = 0;
    bool more() const { return i < v.size(); }
    const std::string &next() { return v[i++]; }
    const std::string &value(const std::string &opt) {
        if (!more()) usage_error(opt + " needs a value");
        return next();
    }
};

int cmd_info(Args &a) {
    if (!a.more()) usage_error("info needs a plug-in file");
    while (a.more()) {
        const std::string text = describe_plugin(a.next());
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return kOk;
}

int cmd_run(Args &a) {
    SourceOptions src;
    std::vector<std::string> filter_args;
    std::string out_path, export_plugin, export_path, export_text, export_file;
    bool raw_out = false, crc = false, quiet = false, have_input = false, chroma_given = false;
    bool export_text_given = false;
    Chroma chroma = Chroma::k444;
    int max_frames = -1;

    while (a.more()) {
        const std::string arg = a.next();
        if (arg == "--filter") filter_args.push_back(a.value(arg));
        else if (arg == "-o" || arg == "--output") out_path = a.value(arg);
        else if (arg == "--raw-out") raw_out = true;
        else if (arg == "--crc") crc = true;
        else if (arg == "-q" || arg == "--quiet") quiet = true;
        else if (arg == "--export") {
            export_plugin = a.value(arg);
            export_path = a.value(arg);
        } else if (arg == "--export-config") export_text = a.value(arg), export_text_given = true;
        else if (arg == "--export-config-file") export_file = a.value(arg);
        else if (arg == "--chroma") {
            if (!parse_chroma(a.value(arg), chroma)) usage_error("--chroma takes 420, 422, 444, mono or 444p16");
            chroma_given = true;
        } else if (arg == "--raw") {
            if (!parse_size(a.value(arg), src.raw_w, src.raw_h)) usage_error("--raw takes a size like 640x480");
        } else if (arg == "--sample-size") {
            if (!parse_size(a.value(arg), src.sample_w, src.sample_h)) usage_error("--sample-size takes a size like 640x360");
        } else if (arg == "--frames") {
            if (!parse_count(a.value(arg), max_frames)) usage_error("--frames takes a number");
        } else if (arg == "--fps") {
            const std::string v = a.value(arg);
            int num = 0, den = 1;
            const size_t slash = v.find('/');
            if (!parse_count(v.substr(0, slash), num) || num == 0 ||
                (slash != std::string::npos && (!parse_count(v.substr(slash + 1), den) || den == 0)))
                usage_error("--fps takes a rate like 30 or 30000/1001");
            src.rate = {num, den};
            src.rate_given = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            usage_error("unknown option " + arg);
        } else if (!have_input) {
            src.path = arg;
            have_input = true;
        } else {
            usage_error("more than one input: " + src.path + " and " + arg);
        }
    }
    if (src.raw_w && !have_input) usage_error("--raw needs an input file");
    if (out_path.empty() && export_plugin.empty() && !crc) usage_error("nothing to write: give -o, --export or --crc");
    if (crc && out_path == "-") usage_error("--crc and -o - both write to stdout");
    if (raw_out && out_path.empty()) usage_error("--raw-out needs -o");
    if ((export_text_given || !export_file.empty()) && export_plugin.empty())
        usage_error("--export-config needs --export");

    // Everything that can be checked is checked before the first frame.
    std::vector<std::unique_ptr<Filter>> chain;
    for (const std::string &f : filter_args) {
        std::string path, settings;
        split_plugin_arg(f, path, settings);
        chain.push_back(std::make_unique<Filter>(path));
        chain.back()->apply(settings);
    }
    std::unique_ptr<OutputPlugin> exporter;
    if (!export_plugin.empty()) {
        exporter = std::make_unique<OutputPlugin>(export_plugin);
        if (!export_file.empty()) {
            std::ifstream in(export_file, std::ios::binary);
            if (!in) fail(kBadInput, export_file, "cannot open");
            exporter->set_config(std::vector<char>(std::istreambuf_iterator<char>(in), {}));
        }
        if (export_text_given) exporter->set_config_text(export_text);
    }
    src.need_count = exporter != nullptr;
    if (!have_input && max_frames >= 0) src.sample_frames = max_frames;  // the sample is as long as asked
    auto source = open_source(src);
    const Rate rate = src.rate_given ? src.rate : source->rate();
    if (!chroma_given) chroma = source->chroma();

    std::vector<std::unique_ptr<Sink>> sinks;
    if (!out_path.empty()) {
        SinkOptions so{out_path, chroma, rate, source->full_range()};
        sinks.push_back(raw_out ? open_raw_sink(so) : open_y4m_sink(so));
    }
    if (crc) sinks.push_back(open_crc_sink());

    Pipeline pipeline(std::move(source), std::move(chain), max_frames);
    // Progress and the closing summary are for people: only on a terminal.
    const bool chatty = !quiet && isatty(2);
    Progress progress(chatty);
    install_signal_handlers();

    if (exporter) {
        const ExportResult r = run_export(pipeline, *exporter, export_path, sinks, progress);
        progress.done();
        if (!r.ok) fail(kFailed, export_plugin, "export to " + export_path + " failed");
        if (g_stop) fail(kFailed, "", "interrupted after " + std::to_string(r.fetched) + " frames");
        if (chatty) std::fprintf(stderr, "%d frames exported to %s\n", r.fetched, export_path.c_str());
        return kOk;
    }
    bool closed = false;
    const int n = run_to_sinks(pipeline, sinks, progress, &closed);
    progress.done();
    if (closed) return kOk;  // the reader went away: nothing to say
    if (g_stop) fail(kFailed, "", "interrupted after " + std::to_string(n) + " frames");
    if (chatty && !out_path.empty() && out_path != "-")
        std::fprintf(stderr, "%d frames written to %s\n", n, out_path.c_str());
    return kOk;
}

int cmd_bench(Args &a) {
    int w = 1920, h = 1080, runs = 20;
    while (a.more()) {
        const std::string arg = a.next();
        if (arg == "--size") {
            if (!parse_size(a.value(arg), w, h)) usage_error("--size takes a size like 1920x1080");
        } else if (arg == "--runs") {
            if (!parse_count(a.value(arg), runs) || runs == 0) usage_error("--runs takes a number");
        } else {
            usage_error("unknown option " + arg);
        }
    }
    return run_bench(w, h, runs);
}

int dispatch(int argc, char **argv) {
    if (argc < 2) usage_error("no command");
    const std::string cmd = argv[1];
    if (cmd == "-h" || cmd == "--help" || cmd == "help") {
        std::fputs(kUsage, stdout);
        return kOk;
    }
#if defined(QHOST_HAVE_PANEL)
    if (cmd == "panel") return panel_main(argc - 1, argv + 1);
#endif
    Args a;
    a.v.assign(argv + 2, argv + argc);
    if (cmd == "info") return cmd_info(a);
    if (cmd == "run") return cmd_run(a);
    if (cmd == "bench") return cmd_bench(a);
    usage_error("unknown command " + cmd);
}

}  // namespace
}  // namespace qhost

int main(int argc, char **argv) {
    try {
        return qhost::dispatch(argc, argv);
    } catch (const qhost::Error &e) {
        std::fprintf(stderr, "qhost: %s\n", e.what());
        return e.code();
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "qhost: out of memory\n");
        return qhost::kFailed;
    }
}
