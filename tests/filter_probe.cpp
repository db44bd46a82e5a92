// filter_probe: runs a filter plug-in, loaded as the host loads it, over the
// cases of a golden file and compares each result picture's CRC with the
// recorded one. The same file is checked by the Linux build and, under wine,
// by the Windows build, so both must give the same bytes.
//
//   filter_probe PLUGIN GOLDEN           check; exit 1 on any difference
//   filter_probe --write PLUGIN GOLDEN   record the results into GOLDEN
//
// A golden line is
//   w h pitch max_h seed : track values : check values => crc w h swapped
// and lines starting with # are kept as they are.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/module.h"
#include "testkit/frame.h"

namespace {

struct Case {
    int w = 0, h = 0, pitch = 0, max_h = 0;
    uint32_t seed = 0;
    std::vector<int> track, check;
};

bool parse_case(const std::string &text, Case &c) {
    std::istringstream in(text);
    std::string sep;
    if (!(in >> c.w >> c.h >> c.pitch >> c.max_h >> c.seed >> sep) || sep != ":") return false;
    std::vector<int> *into = &c.track;
    for (std::string tok; in >> tok;) {
        if (tok == ":") {
            if (into == &c.check) return false;
            into = &c.check;
        } else {
            into->push_back(std::stoi(tok));
        }
    }
    return into == &c.check && c.w <= c.pitch && c.h <= c.max_h;
}

std::string run_case(const FILTER_DLL &table, Case c) {
    testkit::Frame edit(c.pitch, c.max_h), temp(c.pitch, c.max_h);
    edit.randomize(c.w, c.h, c.seed);
    c.track.resize(size_t(table.track_n > 0 ? table.track_n : 0));
    c.check.resize(size_t(table.check_n > 0 ? table.check_n : 0));

    FILTER fp{};
    fp.flag = table.flag;
    fp.name = table.name;
    fp.track_n = table.track_n;
    fp.check_n = table.check_n;
    fp.func_proc = table.func_proc;
    fp.track = c.track.data();
    fp.check = c.check.data();
    FILTER_PROC_INFO fpip{0, edit.origin(), temp.origin(), c.w, c.h, c.pitch, c.max_h};
    table.func_proc(&fp, &fpip);

    const uint32_t crc = testkit::picture_crc(fpip.ycp_edit, fpip.w, fpip.h, c.pitch);
    char out[80];
    std::snprintf(out, sizeof out, "%08" PRIx32 " %d %d %d", crc, fpip.w, fpip.h, fpip.ycp_edit != edit.origin());
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    const bool write = argc == 4 && std::string(argv[1]) == "--write";
    if (argc != 3 + write) {
        std::fprintf(stderr, "usage: filter_probe [--write] PLUGIN GOLDEN\n");
        return 2;
    }
    const char *plugin = argv[1 + write], *golden = argv[2 + write];
    qhost::Module module;
    if (!module.open(plugin)) {
        std::fprintf(stderr, "%s: %s\n", plugin, module.error().c_str());
        return 2;
    }
    const FILTER_DLL *table = module.filter_table();
    if (!table || !table->func_proc) {
        std::fprintf(stderr, "%s: not a filter plug-in\n", plugin);
        return 2;
    }
    std::ifstream in(golden);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read\n", golden);
        return 2;
    }

    std::vector<std::string> lines;
    int failures = 0, cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            lines.push_back(line);
            continue;
        }
        const size_t arrow = line.find(" =>");
        const std::string text = line.substr(0, arrow);
        Case c;
        if (!parse_case(text, c)) {
            std::fprintf(stderr, "%s: bad case: %s\n", golden, line.c_str());
            return 2;
        }
        const std::string got = run_case(*table, c);
        ++cases;
        if (!write && (arrow == std::string::npos || line.substr(arrow + 4) != got)) {
            std::fprintf(stderr, "%s\n  got %s\n", line.c_str(), got.c_str());
            ++failures;
        }
        lines.push_back(text + " => " + got);
    }
    if (write) {
        std::ofstream out(golden, std::ios::trunc);
        for (const auto &l : lines) out << l << '\n';
    }
    std::printf("%d passed, %d failed\n", cases - failures, failures);
    return failures ? 1 : 0;
}
