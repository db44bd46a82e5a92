// Where frames come from and where they go.
//
// Sources: y4m (8-bit 4:2:0, 4:2:2, 4:4:4, mono, and 16-bit 4:4:4) from a file
// or stdin, a 24-bit BMP, a numbered BMP sequence ("clip_%04d.bmp"), raw
// PIXEL_YC frames (little-endian int16 y, cb, cr per pixel, rows packed), and
// the built-in sample. Sinks: y4m, raw PIXEL_YC, and per-frame CRC lines.
//
// Every reading error is an Error(kBadInput) whose text names the file and
// what is wrong with it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sdk/filter.h"

namespace qhost {

struct Rate {
    int num = 30, den = 1;
};

// The y4m layouts we read and write.
enum class Chroma { k420, k422, k444, kMono, k444p16 };
// Name as in a y4m C tag ("420jpeg", "444p16", ...).
const char *chroma_tag(Chroma c);
// Parses a user's or a header's name; false when unknown.
bool parse_chroma(const std::string &text, Chroma &c);

class Source {
  public:
    virtual ~Source() = default;

    const std::string &name() const { return name_; }
    int w() const { return w_; }
    int h() const { return h_; }
    Rate rate() const { return rate_; }
    // The y4m layout that suits this source's pictures.
    Chroma chroma() const { return chroma_; }
    // Full-range YUV (y4m XCOLORRANGE=FULL); y4m output keeps it.
    bool full_range() const { return full_range_; }
    // Number of frames, or -1 when unknown until the end (a pipe).
    virtual int count() const = 0;
    // Frames can be read in any order (else only 0, 1, 2, ...).
    virtual bool random_access() const { return true; }
    // Reads frame i into the w x h picture at dst, rows pitch pixels apart.
    // Returns false when there is no frame i.
    virtual bool read(int i, PIXEL_YC *dst, int pitch) = 0;

  protected:
    std::string name_;
    int w_ = 0, h_ = 0;
    Rate rate_;
    Chroma chroma_ = Chroma::k444;
    bool full_range_ = false;
};

struct SourceOptions {
    std::string path;        // empty: the built-in sample; "-": stdin
    int raw_w = 0, raw_h = 0;  // raw PIXEL_YC input of this size
    Rate rate{};             // for BMP and raw input
    bool rate_given = false;
    int sample_w = 640, sample_h = 360, sample_frames = 90;
    bool need_count = false;  // copy a pipe to a temporary file first
};

std::unique_ptr<Source> open_source(const SourceOptions &opt);

// Parses a y4m stream header line (without the newline); for tests and the
// reader. Throws Error(kBadInput) prefixed with name.
struct Y4mHeader {
    int w = 0, h = 0;
    Rate rate;
    Chroma chroma = Chroma::k420;
    bool full_range = false;
    size_t frame_bytes() const;
};
Y4mHeader parse_y4m_header(const std::string &name, const std::string &line);

// A 24-bit BMP file in memory: where its pixels are, checked against the
// file's size; throws Error(kBadInput) naming `name`.
struct BmpLayout {
    int w = 0, h = 0;
    bool bottom_up = true;
    size_t offset = 0, row = 0;  // of the first file row, and between rows
};
BmpLayout parse_bmp(const std::string &name, const std::vector<uint8_t> &file);
// Its pixels into the w x h picture at dst, rows pitch pixels apart.
void convert_bmp(const BmpLayout &b, const std::vector<uint8_t> &file, PIXEL_YC *dst, int pitch);

// The same as one picture, packed.
struct Picture {
    int w = 0, h = 0;
    std::vector<PIXEL_YC> px;  // packed rows
};
Picture decode_bmp(const std::string &name, const std::vector<uint8_t> &file);

// Frame sinks for push runs. write() returns false when the reader went away
// (a closed pipe): the run then ends quietly.
class Sink {
  public:
    virtual ~Sink() = default;
    virtual bool write(int i, const PIXEL_YC *src, int w, int h, int pitch) = 0;
    virtual bool finish() { return true; }
};

struct SinkOptions {
    std::string path;  // "-": stdout
    Chroma chroma = Chroma::k444;
    Rate rate;
    bool full_range = false;
};
std::unique_ptr<Sink> open_y4m_sink(const SinkOptions &opt);
std::unique_ptr<Sink> open_raw_sink(const SinkOptions &opt);
// "frame I WxH CRC" per frame on stdout: the CRC-32 of the picture's pixels
// as little-endian int16 y, cb, cr, rows packed.
std::unique_ptr<Sink> open_crc_sink();

uint32_t crc32(uint32_t crc, const void *data, size_t n);

}  // namespace qhost
