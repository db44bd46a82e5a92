// jump: the twelve settings kept in the host's settings file, how they are
// read and written, and how the row's cell count and interval follow from
// them. Free of window types: the file itself is reached through ProfileIO.
#pragma once

namespace jump {

// Section of the settings file; also the panel's display name.
constexpr const char *kSection = "Skimreel";
// Appended to the current directory to name the settings file.
constexpr const char *kIniName = "\\quillet.ini";

constexpr int kCustomIntervals = 8;  // entries of "interval"
constexpr int kPicPresets = 10;      // entries of "pieces"
// Bytes of the buffer a list is read into: at most 39 characters of text.
constexpr int kListBuffer = 40;

// Standard interval list, interval_index 0..14; 15 means the whole video.
constexpr int kStandardIntervals[15] = {1, 5, 10, 12, 15, 24, 30, 48, 60, 100, 240, 300, 480, 600, 1000};

// The settings-backed fields of the panel state, at their stored widths.
struct Settings {
    int zero_based;                            // "st0": 1 shows frame numbers from 0
    short pic_preset_index;                    // "frnum": 0..9 picks a preset, else 10 cells
    short width_index;                         // "size": panel width rule 0..5
    short interval_index;                      // "ivframe": standard list -2..15
    short custom_interval_index;               // "ivframe2": custom list -2..9
    short aspect_mode;                         // "aspect": 0 cells 4:3, 1 cells follow the source
    int custom_intervals_on;                   // "CustomFrame": 1 offers the custom list
    short fixed_size_on;                       // "fix_fsize": 1 Locked
    short fixed_pic_w;                         // "fix_w": locked cell width
    short fixed_pic_h;                         // "fix_h": locked picture height
    short custom_intervals[kCustomIntervals];  // "interval": each 2..9999
    short pic_presets[kPicPresets];            // "pieces": each 2..99

    bool operator==(const Settings &) const = default;
};

// The settings file as the panel reaches it. Implemented over the private
// profile calls by the panel and over a table by the tests.
class ProfileIO {
  public:
    // Integer under key, or def when the key or the file is missing.
    virtual int get_int(const char *key, int def) = 0;
    // Text under key (or def) into buf of size bytes, NUL-terminated.
    virtual void get_string(const char *key, const char *def, char *buf, int size) = 0;
    virtual void put_string(const char *key, const char *text) = 0;

  protected:
    ~ProfileIO() = default;
};

// Reads the twelve keys in their fixed order into s. The lists keep the
// entries that their text does not reach (0 on a fresh record), and every
// entry is then clamped to its range.
void read_settings(Settings &s, ProfileIO &io);

// Writes the twelve keys in their fixed order: numbers in signed decimal,
// lists joined by single commas.
void write_settings(const Settings &s, ProfileIO &io);

// Parses comma-separated integers into list[0..count), stopping at the end of
// the table, then clamps every entry to lo..hi.
void parse_list(const char *text, short *list, int count, int lo, int hi);

// Joins list[0..count) with commas into out (at least 7 * count bytes).
void format_list(const short *list, int count, char *out);

// Cell count and interval after the settings are read, with frame_count
// frames in the host; may reset the index of the list not in use to -1.
struct RowStart {
    int pic_count;
    int pic_interval;
};
RowStart derive_row(Settings &s, int frame_count);

}  // namespace jump
