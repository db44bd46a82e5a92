#include "plugin.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "host/error.h"
#include "host/text.h"

namespace qhost {

namespace {

// Counts above this are taken for garbage rather than a table.
constexpr int kMaxItems = 256;

std::string file_name(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void open_module(Module &m, const std::string &path) {
    if (!m.open(path)) fail(kBadInput, path, "cannot load: " + m.error());
}

bool equal_nocase(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool parse_int(const std::string &text, long &v) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    v = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && v >= INT_MIN && v <= INT_MAX;
}

bool parse_bool(std::string text, int &v) {
    for (char &c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (text == "1" || text == "on" || text == "true" || text == "yes") return v = 1, true;
    if (text == "0" || text == "off" || text == "false" || text == "no") return v = 0, true;
    return false;
}

std::string range_text(const Setting &s) {
    if (s.is_check) return "0 or 1 (off or on)";
    return std::to_string(s.lo) + ".." + std::to_string(s.hi);
}

}  // namespace

void split_plugin_arg(const std::string &arg, std::string &path, std::string &settings) {
    size_t start = arg.find_last_of("/\\");
    start = start == std::string::npos ? 0 : start + 1;
    if (start == 0 && arg.size() > 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
        (arg[2] == '\\' || arg[2] == '/'))
        start = 2;
    const size_t colon = arg.find(':', start);
    path = arg.substr(0, colon);
    settings = colon == std::string::npos ? std::string() : arg.substr(colon + 1);
}

// ---------------------------------------------------------------------------
// Filters

Filter::Filter(const std::string &path) : path_(path) {
    open_module(module_, path);
    table_ = module_.filter_table();
    if (!table_) {
        if (module_.output_table()) fail(kBadInput, path, "is an output plug-in, not a filter");
        fail(kBadInput, path, "is not a plug-in (it exports no GetFilterTable)");
    }
    const FILTER_DLL &t = *table_;
    if (t.track_n < 0 || t.track_n > kMaxItems || t.check_n < 0 || t.check_n > kMaxItems ||
        (t.track_n && (!t.track_name || !t.track_default)) || (t.check_n && (!t.check_name || !t.check_default)))
        fail(kBadInput, path, "has a broken filter table");
    if (!t.func_proc) fail(kBadInput, path, "has no per-frame callback, so it cannot filter frames");

    for (int i = 0; i < t.track_n; ++i) {
        Setting s;
        s.slot = i;
        s.name = ansi_to_utf8(t.track_name[i]);
        s.def = t.track_default[i];
        s.host_range = !t.track_s || !t.track_e;
        s.lo = s.host_range ? kDefaultTrackMin : t.track_s[i];
        s.hi = s.host_range ? kDefaultTrackMax : t.track_e[i];
        settings_.push_back(s);
        track_.push_back(s.def);
    }
    for (int i = 0; i < t.check_n; ++i) {
        Setting s;
        s.is_check = true;
        s.slot = i;
        s.name = ansi_to_utf8(t.check_name[i]);
        s.def = t.check_default[i] ? 1 : 0;
        settings_.push_back(s);
        check_.push_back(s.def);
    }
    // Keep the vectors non-empty so that the record never holds null arrays.
    track_.reserve(1);
    check_.reserve(1);

    // The run-time record: the table's members, the current values, and the
    // plug-in's own module for its resources. Both records share their
    // members up to the reserved words.
    static_assert(offsetof(FILTER, reserve) == offsetof(FILTER_DLL, reserve));
    std::memcpy(&fp_, table_, offsetof(FILTER_DLL, reserve));
    fp_.track = track_.data();
    fp_.check = check_.data();
    fp_.instance_handle = module_.instance();
}

const Setting *Filter::find(const std::string &name) const {
    const std::string want = trim_right(name);
    const Setting *found = nullptr;
    for (const Setting &s : settings_) {
        if (!equal_nocase(trim_right(s.name), want)) continue;
        // A track and a check box may share a name but for trailing blanks.
        if (found)
            fail(kBadInput, path_,
                 "setting " + quoted(name) + " names both " + quoted(found->name) + " and " + quoted(s.name) +
                     "; give its number from `qhost info` instead");
        found = &s;
    }
    if (found) return found;
    // Raw table bytes too, for names typed in the host's code page.
    for (const Setting &s : settings_) {
        const char *raw = s.is_check ? table_->check_name[s.slot] : table_->track_name[s.slot];
        if (raw && trim_right(raw) == want) return &s;
    }
    long index;
    if (parse_int(want, index) && index >= 0 && size_t(index) < settings_.size()) return &settings_[size_t(index)];
    return nullptr;
}

void Filter::set(const std::string &name, const std::string &value) {
    const Setting *s = find(name);
    if (!s) {
        std::string known;
        for (const Setting &k : settings_) known += (known.empty() ? "" : ", ") + quoted(k.name);
        fail(kBadInput, path_,
             "no setting " + quoted(name) + (known.empty() ? " (it has none)" : " (it has " + known + ")"));
    }
    const std::string what = quoted(s->name) + " = " + value;
    if (s->is_check) {
        int v;
        if (!parse_bool(value, v)) fail(kBadInput, path_, what + ": expected " + range_text(*s));
        check_[size_t(s->slot)] = v;
        return;
    }
    long v;
    if (!parse_int(value, v)) fail(kBadInput, path_, what + ": not a whole number");
    if (v < s->lo || v > s->hi) fail(kBadInput, path_, what + " is outside the range " + range_text(*s));
    track_[size_t(s->slot)] = int(v);
}

void Filter::apply(const std::string &settings) {
    std::stringstream in(settings);
    for (std::string item; std::getline(in, item, ',');) {
        if (item.empty()) continue;
        const size_t eq = item.find('=');
        if (eq == std::string::npos) fail(kBadInput, path_, "setting " + quoted(item) + " has no '=value'");
        set(item.substr(0, eq), item.substr(eq + 1));
    }
}

// ---------------------------------------------------------------------------
// Output plug-ins

OutputPlugin::OutputPlugin(const std::string &path) : path_(path) {
    open_module(module_, path);
    table_ = module_.output_table();
    if (!table_) {
        if (module_.filter_table()) fail(kBadInput, path, "is a filter plug-in, not an output plug-in");
        fail(kBadInput, path, "is not a plug-in (it exports no GetOutputPluginTable)");
    }
    if (!table_->func_output) fail(kBadInput, path, "has no export callback");
}

std::vector<char> OutputPlugin::config() const {
    if (!table_->func_get_config) return {};
    const int size = table_->func_get_config(nullptr, 0);
    if (size <= 0 || size > (1 << 20)) return {};
    std::vector<char> block(static_cast<size_t>(size));
    table_->func_get_config(block.data(), size);
    return block;
}

void OutputPlugin::set_config(std::vector<char> block) {
    if (!table_->func_set_config) fail(kBadInput, path_, "takes no settings");
    if (table_->func_set_config(block.data(), int(block.size())) == 0)
        fail(kBadInput, path_, "refused a settings block of " + std::to_string(block.size()) + " bytes");
}

void OutputPlugin::set_config_text(const std::string &text) {
    std::vector<char> block = config();
    if (block.empty()) fail(kBadInput, path_, "takes no settings");
    if (text.size() >= block.size())
        fail(kBadInput, path_, "setting " + quoted(text) + " is too long (at most " +
                                   std::to_string(block.size() - 1) + " bytes)");
    std::memcpy(block.data(), text.c_str(), text.size() + 1);
    set_config(std::move(block));
}

// ---------------------------------------------------------------------------
// Descriptions

namespace {

std::string hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

void describe_filter(std::ostream &out, const std::string &path) {
    Module m;
    open_module(m, path);
    const FILTER_DLL &t = *m.filter_table();
    out << file_name(path) << ": filter plug-in\n";
    out << "  name         " << quoted(ansi_to_utf8(t.name)) << "\n";
    out << "  flag         " << hex(unsigned(t.flag)) << "\n";
    out << "  information  " << quoted(ansi_to_utf8(t.information)) << "\n";
    out << "  callbacks   " << (t.func_proc ? " func_proc" : "") << (t.func_init ? " func_init" : "")
        << (t.func_exit ? " func_exit" : "") << (t.func_update ? " func_update" : "")
        << (t.func_WndProc ? " func_WndProc" : "") << "\n";
    if (t.track_n < 0 || t.track_n > kMaxItems || t.check_n < 0 || t.check_n > kMaxItems ||
        (t.track_n && (!t.track_name || !t.track_default)) || (t.check_n && (!t.check_name || !t.check_default)))
        fail(kBadInput, path, "has a broken filter table");
    int index = 0;
    out << "  tracks" << (t.track_n ? "" : "       none") << "\n";
    for (int i = 0; i < t.track_n; ++i, ++index) {
        out << "    " << index << "  " << quoted(ansi_to_utf8(t.track_name[i])) << "  default "
            << t.track_default[i];
        if (t.track_s && t.track_e) out << ", range " << t.track_s[i] << ".." << t.track_e[i] << "\n";
        else out << ", range host default (" << kDefaultTrackMin << ".." << kDefaultTrackMax << ")\n";
    }
    out << "  check boxes" << (t.check_n ? "" : "  none") << "\n";
    for (int i = 0; i < t.check_n; ++i, ++index)
        out << "    " << index << "  " << quoted(ansi_to_utf8(t.check_name[i])) << "  default "
            << (t.check_default[i] ? "on" : "off") << "\n";
}

void describe_output(std::ostream &out, const std::string &path) {
    OutputPlugin p(path);
    const OUTPUT_DLL &t = p.table();
    out << file_name(path) << ": output plug-in\n";
    out << "  name         " << quoted(ansi_to_utf8(t.name)) << "\n";
    out << "  flag         " << hex(unsigned(t.flag)) << "\n";
    out << "  information  " << (t.information ? quoted(ansi_to_utf8(t.information)) : "none") << "\n";
    out << "  file filter" << (t.file_filter && *t.file_filter ? "" : "  none") << "\n";
    // Pairs of description and pattern, ended by an empty string; a runaway
    // list stops after a sane number of pairs.
    for (const char *f = t.file_filter; f && *f && f - t.file_filter < 4096;) {
        const char *pattern = f + std::strlen(f) + 1;
        out << "    " << quoted(ansi_to_utf8(f)) << "  " << quoted(ansi_to_utf8(pattern)) << "\n";
        if (!*pattern) break;
        f = pattern + std::strlen(pattern) + 1;
    }
    const std::vector<char> block = p.config();
    out << "  settings     ";
    if (block.empty()) {
        out << "none\n";
    } else {
        out << block.size() << " bytes";
        const size_t len = strnlen(block.data(), block.size());
        if (len < block.size()) out << ", text " << quoted(ansi_to_utf8(block.data()));
        out << "\n";
    }
}

}  // namespace

std::string describe_plugin(const std::string &path) {
    Module m;
    open_module(m, path);
    std::ostringstream out;
    if (m.filter_table()) describe_filter(out, path);
    else if (m.output_table()) describe_output(out, path);
    else fail(kBadInput, path, "is not a plug-in (it exports neither GetFilterTable nor GetOutputPluginTable)");
    return out.str();
}

}  // namespace qhost
