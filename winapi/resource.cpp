// Resources compiled from .rc files (see cmake/resources.cmake): lookup,
// bitmaps, cursors and string tables.
#include "winapi/internal.h"

#include <winapi_testing.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace winapi {

namespace {

std::vector<Resource> &registry() {
    static std::vector<Resource> list;
    return list;
}

// Shared cursors: one handle per resource (or system cursor) for the whole run.
struct Cursors {
    std::map<std::string, HCURSOR> by_key;
    std::map<HCURSOR, int> ids;
};

Cursors &cursors() {
    static Cursors c;
    return c;
}

HCURSOR shared_cursor(const std::string &key, int id) {
    Cursors &c = cursors();
    auto it = c.by_key.find(key);
    if (it != c.by_key.end()) return it->second;
    HCURSOR h = (HCURSOR)new_handle();
    c.by_key[key] = h;
    c.ids[h] = id;
    return h;
}

// Palette bytes between a BITMAPINFOHEADER and its pixels.
size_t color_table_size(const BITMAPINFOHEADER &h) {
    size_t n = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? (size_t)1 << h.biBitCount : 0);
    size_t extra = (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0;
    return n * sizeof(RGBQUAD) + extra;
}

// A DIB: header, colour table, then the pixels at `bits_at` (0: right after
// the colour table, as in a bitmap resource).
HBITMAP bitmap_from_packed_dib(const BYTE *p, size_t size, size_t bits_at = 0) {
    if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPINFOHEADER h;
    memcpy(&h, p, sizeof h);
    size_t off = h.biSize + color_table_size(h);
    if (h.biSize < sizeof h || off > size) return nullptr;
    if (bits_at) off = bits_at;
    if (off >= size) return nullptr;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    size_t stride = (((size_t)h.biWidth * h.biBitCount + 31) / 32) * 4;
    if (size - off < stride * height) return nullptr;  // truncated
    std::vector<BYTE> info(p, p + h.biSize + color_table_size(h));  // aligned copy of header and palette
    return bitmap_from_dib((const BITMAPINFO *)info.data(), p + off);
}

}  // namespace

std::string resource_key(LPCSTR name) {
    if (!name) return std::string();
    unsigned long number = 0;
    if (IS_INTRESOURCE(name))
        number = (unsigned)(uintptr_t)name;
    else if (name[0] == '#' && name[1])
        number = std::strtoul(name + 1, nullptr, 10);
    else {
        std::string s(name);
        for (char &c : s) c = (char)toupper((unsigned char)c);
        return s;
    }
    char buf[16];
    snprintf(buf, sizeof buf, "#%lu", number);
    return std::string(buf);
}

const Resource *find_resource(LPCSTR name, LPCSTR type) {
    std::string n = resource_key(name), t = resource_key(type);
    for (const Resource &r : registry())
        if (r.name == n && r.type == t) return &r;
    return nullptr;
}

}  // namespace winapi

using namespace winapi;

int winapi_register_resources(const WINAPI_RESOURCE *list, int count) {
    for (int i = 0; i < count; ++i)
        registry().push_back(Resource{resource_key(list[i].type), resource_key(list[i].name), list[i].data,
                                      list[i].size});
    return count;
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    const Resource *r = module ? find_resource(name, type) : nullptr;
    if (!r) state().last_error = ERROR_RESOURCE_NOT_FOUND;
    return (HRSRC)r;
}

HGLOBAL LoadResource(HMODULE, HRSRC res) { return res ? (HGLOBAL)((const Resource *)res)->data : nullptr; }
LPVOID LockResource(HGLOBAL data) { return data; }
DWORD SizeofResource(HMODULE, HRSRC res) { return res ? ((const Resource *)res)->size : 0; }
BOOL FreeResource(HGLOBAL) { return FALSE; }

int LoadStringA(HINSTANCE module, UINT id, LPSTR out, int size) {
    // Strings are kept 16 to a block: block id / 16 + 1, each a length-prefixed UTF-16 text.
    const Resource *r = module ? find_resource(MAKEINTRESOURCEA(id / 16 + 1), RT_STRING) : nullptr;
    if (!r || !out || size <= 0) {
        if (out && size > 0) out[0] = 0;
        return 0;
    }
    const BYTE *p = (const BYTE *)r->data, *end = p + r->size;
    for (UINT k = 0; k < id % 16 && p + 2 <= end; ++k) p += 2 + 2 * (size_t)(p[0] | p[1] << 8);
    if (p + 2 > end) return 0;
    size_t len = p[0] | p[1] << 8;
    std::string text;
    for (size_t i = 0; i < len && p + 4 + 2 * i <= end; ++i) {
        unsigned c = p[2 + 2 * i] | p[3 + 2 * i] << 8;
        text += c < 0x80 ? (char)c : '?';  // the stand-in's ANSI texts are ASCII
    }
    int n = std::min((int)text.size(), size - 1);
    memcpy(out, text.data(), n);
    out[n] = 0;
    return n;
}

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
    const Resource *r = module ? find_resource(name, RT_BITMAP) : nullptr;
    return r ? bitmap_from_packed_dib((const BYTE *)r->data, r->size) : nullptr;
}

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name) {
    if (!module) {
        if (!IS_INTRESOURCE(name)) return nullptr;
        int id = (int)(uintptr_t)name;
        switch (id) {
        case 32512: case 32513: case 32514: case 32515: case 32516:
        case 32644: case 32646: case 32648: case 32649:
            return shared_cursor(resource_key(name).insert(0, "system"), id);
        default:
            return nullptr;
        }
    }
    if (!find_resource(name, RT_GROUP_CURSOR)) return nullptr;
    std::string key = resource_key(name);
    int id = key[0] == '#' ? std::atoi(key.c_str() + 1) : -1;
    return shared_cursor(key, id);
}

BOOL DestroyCursor(HCURSOR cursor) { return cursors().ids.count(cursor) ? TRUE : FALSE; }

HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int, int, UINT flags) {
    if (type == IMAGE_CURSOR) return LoadCursorA(module, name);
    if (type != IMAGE_BITMAP) return nullptr;
    if (!(flags & LR_LOADFROMFILE)) return LoadBitmapA(module, name);
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    std::string path = name;
    for (char &c : path)
        if (c == '\\') c = '/';
    std::ifstream f(path, std::ios::binary);
    std::vector<BYTE> data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (data.size() < sizeof(BITMAPFILEHEADER) || data[0] != 'B' || data[1] != 'M') return nullptr;
    BITMAPFILEHEADER fh;
    memcpy(&fh, data.data(), sizeof fh);
    if (fh.bfOffBits <= sizeof fh || fh.bfOffBits >= data.size()) return nullptr;
    return bitmap_from_packed_dib(data.data() + sizeof fh, data.size() - sizeof fh, fh.bfOffBits - sizeof fh);
}

int winapi_test_cursor_id(HCURSOR cursor) {
    auto it = cursors().ids.find(cursor);
    return it == cursors().ids.end() ? -1 : it->second;
}
