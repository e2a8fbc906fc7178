// Reads a .ico back and checks it holds exactly the images Velnor ships, each one well formed.
//
//   check_icon FILE.ico
//
// Written independently of make_icon's writer: it decodes every byte it checks, including the PNG's deflate stream,
// so that a fault in the writer cannot hide behind a matching fault in the reader.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

int failures = 0;

void fail(const std::string& what) {
    std::fprintf(stderr, "check_icon: %s\n", what.c_str());
    ++failures;
}

uint32_t le16(const Bytes& d, size_t at) { return d[at] | uint32_t(d[at + 1]) << 8; }
uint32_t le32(const Bytes& d, size_t at) { return le16(d, at) | le16(d, at + 2) << 16; }
uint32_t be32(const Bytes& d, size_t at) {
    return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

// ---- inflate (RFC 1951), all three block types ------------------------------------------------------------------

class Inflater {
public:
    Inflater(const uint8_t* data, size_t size) : in_(data), size_(size) {}

    std::optional<Bytes> run() {
        int last = 0;
        do {
            last = bits(1);
            const int type = bits(2);
            bool ok = false;
            if (type == 0) ok = stored();
            else if (type == 1) ok = fixed();
            else if (type == 2) ok = dynamic();
            if (!ok || overrun_) return std::nullopt;
        } while (!last);
        return out_;
    }
    size_t consumed() const { return pos_; }  // whole bytes, the last partial one included

private:
    struct Huffman {
        std::vector<int> count, symbol;
    };

    int bits(int n) {
        uint32_t v = bitBuf_;
        while (bitCnt_ < n) {
            if (pos_ >= size_) {
                overrun_ = true;
                return 0;
            }
            v |= uint32_t(in_[pos_++]) << bitCnt_;
            bitCnt_ += 8;
        }
        bitBuf_ = v >> n;
        bitCnt_ -= n;
        return int(v & ((1u << n) - 1));
    }

    bool stored() {
        bitBuf_ = 0, bitCnt_ = 0;
        if (pos_ + 4 > size_) return false;
        const uint32_t len = in_[pos_] | uint32_t(in_[pos_ + 1]) << 8;
        const uint32_t nlen = in_[pos_ + 2] | uint32_t(in_[pos_ + 3]) << 8;
        pos_ += 4;
        if (len != (~nlen & 0xFFFF) || pos_ + len > size_) return false;
        out_.insert(out_.end(), in_ + pos_, in_ + pos_ + len);
        pos_ += len;
        return true;
    }

    static bool build(Huffman& h, const int* lengths, int n) {
        h.count.assign(16, 0);
        h.symbol.assign(size_t(n), 0);
        for (int i = 0; i < n; ++i) ++h.count[lengths[i]];
        if (h.count[0] == n) return true;
        int left = 1;
        for (int len = 1; len < 16; ++len) {
            left = left * 2 - h.count[len];
            if (left < 0) return false;  // over-subscribed
        }
        std::vector<int> offs(16, 0);
        for (int len = 1; len < 15; ++len) offs[len + 1] = offs[len] + h.count[len];
        for (int i = 0; i < n; ++i)
            if (lengths[i]) h.symbol[size_t(offs[lengths[i]]++)] = i;
        return true;
    }

    int decode(const Huffman& h) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= bits(1);
            if (overrun_) return -1;
            const int count = h.count[len];
            if (code - count < first) return h.symbol[size_t(index + code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

    bool codes(const Huffman& lit, const Huffman& dist) {
        static const int lbase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int lext[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const int dbase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,   33,   49,   65,   97,   129,
                                      193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const int dext[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            int sym = decode(lit);
            if (sym < 0) return false;
            if (sym < 256) {
                out_.push_back(uint8_t(sym));
                continue;
            }
            if (sym == 256) return true;
            sym -= 257;
            if (sym >= 29) return false;
            const int len = lbase[sym] + bits(lext[sym]);
            const int dsym = decode(dist);
            if (dsym < 0 || dsym >= 30) return false;
            const size_t d = size_t(dbase[dsym] + bits(dext[dsym]));
            if (overrun_ || d > out_.size()) return false;
            for (int k = 0; k < len; ++k) out_.push_back(out_[out_.size() - d]);
        }
    }

    bool fixed() {
        int lengths[288 + 30];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        std::fill(lengths + 288, lengths + 318, 5);
        Huffman lit, dist;
        build(lit, lengths, 288);
        build(dist, lengths + 288, 30);
        return codes(lit, dist);
    }

    bool dynamic() {
        static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        const int nlen = bits(5) + 257, ndist = bits(5) + 1, ncode = bits(4) + 4;
        if (nlen > 286 || ndist > 30) return false;
        int lengths[320] = {};
        for (int i = 0; i < ncode; ++i) lengths[order[i]] = bits(3);
        Huffman lencode;
        if (!build(lencode, lengths, 19)) return false;
        int index = 0;
        while (index < nlen + ndist) {
            int sym = decode(lencode);
            if (sym < 0) return false;
            if (sym < 16) {
                lengths[index++] = sym;
                continue;
            }
            int value = 0, repeat = 0;
            if (sym == 16) {
                if (index == 0) return false;
                value = lengths[index - 1];
                repeat = 3 + bits(2);
            } else if (sym == 17) {
                repeat = 3 + bits(3);
            } else {
                repeat = 11 + bits(7);
            }
            if (index + repeat > nlen + ndist) return false;
            while (repeat--) lengths[index++] = value;
        }
        if (lengths[256] == 0) return false;
        Huffman lit, dist;
        if (!build(lit, lengths, nlen) || !build(dist, lengths + nlen, ndist)) return false;
        return codes(lit, dist);
    }

    const uint8_t* in_;
    size_t size_;
    size_t pos_ = 0;
    uint32_t bitBuf_ = 0;
    int bitCnt_ = 0;
    bool overrun_ = false;
    Bytes out_;
};

uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

uint32_t adler32(const Bytes& d) {
    uint32_t a = 1, b = 0;
    for (uint8_t v : d) a = (a + v) % 65521, b = (b + a) % 65521;
    return b << 16 | a;
}

// ---- per-entry checks --------------------------------------------------------------------------------------------

struct Entry {
    int width, height, colours, reserved, planes, bits;
    uint32_t size, offset;
};

std::string label(const Entry& e) {
    return std::to_string(e.width) + "x" + std::to_string(e.height) + " " + std::to_string(e.bits) + "-bit";
}

int paethPredict(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

void checkPng(const Entry& e, const Bytes& d) {
    const std::string name = label(e);
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (d.size() < 8 + 25 || !std::equal(sig, sig + 8, d.begin())) return fail(name + ": no PNG signature");
    size_t at = 8;
    bool sawHeader = false, sawEnd = false;
    Bytes idat;
    int w = 0, h = 0;
    while (at + 12 <= d.size() && !sawEnd) {
        const uint32_t len = be32(d, at);
        if (len > d.size() - at - 12) return fail(name + ": PNG chunk runs past the entry");
        const std::string type(d.begin() + long(at) + 4, d.begin() + long(at) + 8);
        if (crc32(&d[at + 4], len + 4) != be32(d, at + 8 + len)) fail(name + ": bad CRC on PNG chunk " + type);
        const size_t body = at + 8;
        if (!sawHeader) {
            if (type != "IHDR" || len != 13) return fail(name + ": PNG does not start with IHDR");
            sawHeader = true;
            w = int(be32(d, body)), h = int(be32(d, body + 4));
            if (w != 256 || h != 256) fail(name + ": PNG is " + std::to_string(w) + "x" + std::to_string(h));
            if (d[body + 8] != 8 || d[body + 9] != 6) fail(name + ": PNG is not 8-bit RGBA (colour type 6)");
            if (d[body + 10] || d[body + 11] || d[body + 12]) fail(name + ": PNG compression/filter/interlace not 0");
        } else if (type == "IDAT") {
            idat.insert(idat.end(), d.begin() + long(body), d.begin() + long(body + len));
        } else if (type == "IEND") {
            sawEnd = true;
        }
        at = body + len + 4;
    }
    if (!sawEnd) return fail(name + ": PNG has no IEND");
    if (at != d.size()) fail(name + ": bytes after IEND inside the entry");
    if (w != 256 || h != 256) return;
    if (idat.size() < 6 || (idat[0] & 0x0F) != 8 || (idat[0] << 8 | idat[1]) % 31 != 0 || (idat[1] & 0x20))
        return fail(name + ": bad zlib header");
    Inflater inf(idat.data() + 2, idat.size() - 6);
    const std::optional<Bytes> raw = inf.run();
    if (!raw) return fail(name + ": deflate stream does not decode");
    if (inf.consumed() != idat.size() - 6) fail(name + ": data after the deflate stream");
    if (adler32(*raw) != be32(idat, idat.size() - 4)) fail(name + ": Adler-32 mismatch");
    const size_t stride = size_t(w) * 4;
    if (raw->size() != (stride + 1) * size_t(h)) return fail(name + ": decoded PNG data has the wrong length");
    Bytes px(stride * size_t(h)), prev(stride, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = &(*raw)[size_t(y) * (stride + 1)];
        const int filter = src[0];
        if (filter > 4) return fail(name + ": unknown PNG row filter");
        uint8_t* row = &px[size_t(y) * stride];
        for (size_t x = 0; x < stride; ++x) {
            const int a = x >= 4 ? row[x - 4] : 0, b = prev[x], c = x >= 4 ? prev[x - 4] : 0;
            const int pred = filter == 0 ? 0 : filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : paethPredict(a, b, c);
            row[x] = uint8_t(src[1 + x] + pred);
        }
        prev.assign(row, row + stride);
    }
    auto alpha = [&](int x, int y) { return px[(size_t(y) * w + x) * 4 + 3]; };
    if (alpha(0, 0) || alpha(w - 1, 0) || alpha(0, h - 1) || alpha(w - 1, h - 1)) fail(name + ": corners not transparent");
    if (alpha(w / 2, h / 2) != 255) fail(name + ": centre not opaque");
}

void checkBitmap(const Entry& e, const Bytes& d) {
    const std::string name = label(e);
    if (d.size() < 40) return fail(name + ": shorter than a BITMAPINFOHEADER");
    const int32_t bw = int32_t(le32(d, 4)), bh = int32_t(le32(d, 8));
    const int planes = int(le16(d, 12)), bits = int(le16(d, 14));
    const uint32_t compression = le32(d, 16), used = le32(d, 32);
    if (le32(d, 0) != 40) fail(name + ": biSize is not 40");
    if (bw != e.width || bh != 2 * e.height) fail(name + ": bitmap is " + std::to_string(bw) + "x" + std::to_string(bh) + ", expected doubled height");
    if (planes != 1) fail(name + ": biPlanes is not 1");
    if (bits != e.bits) fail(name + ": biBitCount " + std::to_string(bits) + " disagrees with the directory");
    if (compression != 0) fail(name + ": compressed bitmap");
    if (bits != e.bits || bw != e.width || compression != 0) return;
    const size_t paletteEntries = bits <= 8 ? (used ? used : (1u << bits)) : 0;
    if (bits <= 8 && used > (1u << bits)) return fail(name + ": biClrUsed too large");
    const size_t n = size_t(e.width);
    const size_t xorStride = ((n * size_t(bits) + 31) / 32) * 4, andStride = ((n + 31) / 32) * 4;
    const size_t expected = 40 + paletteEntries * 4 + (xorStride + andStride) * n;
    if (d.size() != expected)
        return fail(name + ": entry holds " + std::to_string(d.size()) + " bytes, header implies " + std::to_string(expected));
    const uint32_t sizeImage = le32(d, 20);
    if (sizeImage != 0 && sizeImage != (xorStride + andStride) * n) fail(name + ": biSizeImage is wrong");

    const size_t xorAt = 40 + paletteEntries * 4, andAt = xorAt + xorStride * n;
    int transparent = 0, opaque = 0;
    bool cornersClear = true, centreSolid = true;
    for (size_t y = 0; y < n; ++y) {  // rows stored bottom-up
        for (size_t x = 0; x < n; ++x) {
            const bool masked = d[andAt + y * andStride + x / 8] & (0x80 >> (x % 8));
            const bool corner = (x == 0 || x == n - 1) && (y == 0 || y == n - 1);
            const bool centre = x == n / 2 && y == n / 2;
            masked ? ++transparent : ++opaque;
            if (corner && !masked) cornersClear = false;
            if (centre && masked) centreSolid = false;
            if (bits == 32) {
                const uint8_t a = d[xorAt + y * xorStride + x * 4 + 3];
                if (masked != (a == 0)) return fail(name + ": AND mask disagrees with alpha");
                if (corner && a) cornersClear = false;
                if (centre && a != 255) centreSolid = false;
            } else if (masked) {
                // Under a set mask bit the colour is XORed onto the screen, so anything but black would show.
                const size_t byte = xorAt + y * xorStride + x * size_t(bits) / 8;
                const int index = bits == 8 ? d[byte] : (x % 2 ? d[byte] & 0x0F : d[byte] >> 4);
                if (size_t(index) >= paletteEntries) return fail(name + ": pixel indexes past the colour table");
                const size_t p = 40 + size_t(index) * 4;
                if (d[p] || d[p + 1] || d[p + 2]) return fail(name + ": transparent pixel is not black");
            }
        }
    }
    if (!cornersClear) fail(name + ": corners not transparent");
    if (!centreSolid) fail(name + ": centre not opaque");
    if (!transparent || !opaque) fail(name + ": image is all transparent or all opaque");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: check_icon FILE.ico\n");
        return 2;
    }
    std::ifstream f(argv[1], std::ios::binary);
    const Bytes d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (!f && !f.eof()) {
        std::fprintf(stderr, "check_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    if (d.size() < 6 || le16(d, 0) != 0 || le16(d, 2) != 1) {
        std::fprintf(stderr, "check_icon: %s is not an icon file\n", argv[1]);
        return 1;
    }
    const size_t count = le16(d, 4), tableEnd = 6 + 16 * count;
    if (count != 9) fail("directory has " + std::to_string(count) + " entries, expected 9");
    if (d.size() < tableEnd) {
        fail("directory runs past the end of the file");
        return 1;
    }
    const std::multiset<std::pair<int, int>> wanted = {{32, 4},  {16, 4},  {48, 8},  {32, 8}, {16, 8},
                                                       {256, 32}, {48, 32}, {32, 32}, {16, 32}};
    std::multiset<std::pair<int, int>> found;
    std::vector<std::pair<uint32_t, uint32_t>> spans;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 6 + 16 * i;
        Entry e{d[at] ? d[at] : 256, d[at + 1] ? d[at + 1] : 256, d[at + 2], d[at + 3],
                int(le16(d, at + 4)), int(le16(d, at + 6)), le32(d, at + 8), le32(d, at + 12)};
        const std::string name = label(e);
        found.insert({e.width, e.bits});
        if (e.width != e.height) fail(name + ": not square");
        if (e.reserved) fail(name + ": bReserved is not 0");
        if (e.planes != 1) fail(name + ": wPlanes is not 1");
        if (e.colours != (e.bits == 4 ? 16 : 0)) fail(name + ": bColorCount is " + std::to_string(e.colours));
        if (e.size == 0 || e.offset < tableEnd || e.offset > d.size() || e.size > d.size() - e.offset) {
            fail(name + ": data lies outside the file");
            continue;
        }
        spans.push_back({e.offset, e.offset + e.size});
        const Bytes data(d.begin() + e.offset, d.begin() + e.offset + e.size);
        const bool png = data.size() >= 4 && data[0] == 0x89 && data[1] == 'P';
        if (e.width == 256) {
            if (!png) fail(name + ": not stored as PNG");
            else checkPng(e, data);
        } else if (png) {
            fail(name + ": PNG where a bitmap is expected");
        } else {
            checkBitmap(e, data);
        }
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second) fail("image data of two entries overlaps");
    if (found != wanted) fail("directory does not hold exactly 32/16 px 4-bit, 48/32/16 px 8-bit and 256/48/32/16 px 32-bit");
    if (failures) {
        std::fprintf(stderr, "check_icon: %s: %d problem(s)\n", argv[1], failures);
        return 1;
    }
    std::printf("check_icon: %s: 9 images, all well formed (%zu bytes)\n", argv[1], d.size());
    return 0;
}
