// jump: reading, writing and applying the settings.

#include "jump/settings.h"

#include <cstdlib>

#include "jump/layout.h"

namespace jump {

void parse_list(const char *text, short *list, int count, int lo, int hi) {
    char token[kListBuffer];
    int len = 0;
    int next = 0;
    for (const char *p = text;; ++p) {
        if (*p != ',' && *p != '\0') {
            if (len < kListBuffer - 1) token[len++] = *p;
            continue;
        }
        // A comma or the end closes the token. Values past the end of the
        // table have no entry to go to and are dropped.
        token[len] = '\0';
        if (next < count) list[next++] = short(std::atoi(token));
        len = 0;
        if (*p == '\0') break;
    }
    for (int i = 0; i < count; ++i) list[i] = short(list[i] < lo ? lo : list[i] > hi ? hi : list[i]);
}

namespace {

// Signed decimal, as _itoa with radix 10 writes it; returns the end.
char *put_int(char *out, int v) {
    unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
    if (v < 0) *out++ = '-';
    char digits[10];
    int n = 0;
    do digits[n++] = char('0' + u % 10); while (u /= 10);
    while (n) *out++ = digits[--n];
    *out = '\0';
    return out;
}

}  // namespace

void format_list(const short *list, int count, char *out) {
    *out = '\0';
    for (int i = 0; i < count; ++i) {
        if (i) *out++ = ',';
        out = put_int(out, list[i]);
    }
}

void read_settings(Settings &s, ProfileIO &io) {
    s.zero_based = io.get_int("st0", 0);
    s.pic_preset_index = short(io.get_int("frnum", 1));
    s.width_index = short(io.get_int("size", 0));
    s.interval_index = short(io.get_int("ivframe", 0));
    s.custom_interval_index = short(io.get_int("ivframe2", 0));
    s.aspect_mode = short(io.get_int("aspect", 0));
    s.custom_intervals_on = io.get_int("CustomFrame", 0);
    s.fixed_size_on = short(io.get_int("fix_fsize", 0));
    s.fixed_pic_w = short(io.get_int("fix_w", 40));
    s.fixed_pic_h = short(io.get_int("fix_h", 30));
    char text[kListBuffer];
    io.get_string("interval", "5,15,30,60,100,300,600,1000", text, kListBuffer);
    parse_list(text, s.custom_intervals, kCustomIntervals, 2, 9999);
    io.get_string("pieces", "6,8,10,12,14,16,18,20,24,30", text, kListBuffer);
    parse_list(text, s.pic_presets, kPicPresets, 2, 99);
}

void write_settings(const Settings &s, ProfileIO &io) {
    char text[7 * kPicPresets];
    const auto put_number = [&](const char *key, int v) {
        put_int(text, v);
        io.put_string(key, text);
    };
    put_number("st0", s.zero_based);
    put_number("size", s.width_index);
    put_number("frnum", s.pic_preset_index);
    put_number("ivframe", s.interval_index);
    put_number("ivframe2", s.custom_interval_index);
    put_number("aspect", s.aspect_mode);
    put_number("CustomFrame", s.custom_intervals_on);
    put_number("fix_fsize", s.fixed_size_on);
    put_number("fix_w", s.fixed_pic_w);
    put_number("fix_h", s.fixed_pic_h);
    format_list(s.custom_intervals, kCustomIntervals, text);
    io.put_string("interval", text);
    format_list(s.pic_presets, kPicPresets, text);
    io.put_string("pieces", text);
}

RowStart derive_row(Settings &s, int frame_count) {
    RowStart row{preset_count(s.pic_presets, s.pic_preset_index), 1};
    // The early whole-video interval; opening the video sets the exact one.
    const int whole = (frame_count + 1) / (row.pic_count - 1);
    if (s.custom_intervals_on == 0) {
        if (s.interval_index != 0 && s.interval_index != 15) s.custom_interval_index = -1;
        if (s.interval_index >= 0 && s.interval_index <= 14)
            row.pic_interval = kStandardIntervals[s.interval_index];
        else if (s.interval_index == 15)
            row.pic_interval = whole;
    } else if (s.custom_intervals_on == 1) {
        if (s.custom_interval_index != 0 && s.custom_interval_index != 9) s.interval_index = -1;
        if (s.custom_interval_index == 0)
            row.pic_interval = 1;
        else if (s.custom_interval_index >= 1 && s.custom_interval_index <= 8)
            row.pic_interval = s.custom_intervals[s.custom_interval_index - 1];
        else if (s.custom_interval_index == 9)
            row.pic_interval = whole;
    }
    return row;
}

}  // namespace jump
