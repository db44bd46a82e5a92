// Plug-ins as the host holds them: a loaded library, its table, and for a
// filter the run-time FILTER record with the current track and check values.
#pragma once

#include <string>
#include <vector>

#include "host/module.h"

namespace qhost {

// The range that a track gets when its table leaves track_s or track_e null.
inline constexpr int kDefaultTrackMin = 0, kDefaultTrackMax = 256;

// One track or check box of a filter. Settings are numbered tracks first,
// then check boxes, as `qhost info` lists them.
struct Setting {
    bool is_check = false;
    int slot = 0;          // index into track or check
    std::string name;      // as UTF-8, trailing blanks kept
    int def = 0, lo = 0, hi = 1;
    bool host_range = false;  // the table gives no range; the host's default applies
};

// "PATH:name=value,name=value" split into the path and the settings text.
// The settings start at the first ':' of the file name (so "C:\x.qfp" works).
void split_plugin_arg(const std::string &arg, std::string &path, std::string &settings);

class Filter {
  public:
    // Loads PATH and checks that it is a filter plug-in with a per-frame
    // callback; throws Error(kBadInput) naming the file otherwise.
    explicit Filter(const std::string &path);
    Filter(Filter &&) = default;

    const std::string &path() const { return path_; }
    const FILTER_DLL &table() const { return *table_; }
    const std::vector<Setting> &settings() const { return settings_; }
    FILTER &record() { return fp_; }
    int track(int i) const { return track_[size_t(i)]; }
    int check(int i) const { return check_[size_t(i)]; }

    // Applies "name=value,..." (names or numbers, see Setting); throws
    // Error(kBadInput) on an unknown setting or a value out of range.
    void apply(const std::string &settings);
    void set(const std::string &name, const std::string &value);

  private:
    const Setting *find(const std::string &name) const;

    std::string path_;
    Module module_;
    const FILTER_DLL *table_ = nullptr;
    std::vector<Setting> settings_;
    std::vector<int> track_, check_;
    FILTER fp_{};
};

// The description of any plug-in file, for `qhost info`.
std::string describe_plugin(const std::string &path);

class OutputPlugin {
  public:
    explicit OutputPlugin(const std::string &path);

    const std::string &path() const { return path_; }
    const OUTPUT_DLL &table() const { return *table_; }
    HINSTANCE instance() const { return module_.instance(); }

    // The plug-in's settings block, and a new one handed back to it.
    std::vector<char> config() const;
    void set_config(std::vector<char> block);
    // Sets the block to TEXT, NUL-terminated, over the current block.
    void set_config_text(const std::string &text);

  private:
    std::string path_;
    Module module_;
    const OUTPUT_DLL *table_ = nullptr;
};

}  // namespace qhost
