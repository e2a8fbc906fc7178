// Draws Velnor's program icon and writes it as a Windows .ico.
//
//   make_icon OUT.ico [PREVIEW_DIR]
//
// The artwork lives here as vector shapes rather than as a binary image so that it can be reviewed, changed and
// rebuilt byte for byte. Only IEEE-exact operations (+ - * / sqrt) touch the geometry, so the output does not
// depend on the platform's libm.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Image {
    int size = 0;
    std::vector<Rgba> px;  // top-down rows
    Rgba& at(int x, int y) { return px[static_cast<size_t>(y) * size + x]; }
    const Rgba& at(int x, int y) const { return px[static_cast<size_t>(y) * size + x]; }
};

struct Color {
    double r, g, b;
};

constexpr Color hex(uint32_t v) {
    return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}

struct Scheme {
    Color tileTop, tileBottom, border, glyph, shadow;
};

// Sky palette: the tile runs from a light sky blue into the accent, the glyph is the panel white.
constexpr Scheme kSky = {hex(0x5BB5F0), hex(0x1E78C8), hex(0x1761A6), hex(0xFFFFFF), hex(0x0D3F70)};
// The 16-colour entries cannot show a gradient without dithering noise, so they are drawn in colours the fixed
// table holds and only the anti-aliased edges fall between entries.
constexpr Scheme kVga = {hex(0x0000FF), hex(0x0000FF), hex(0x000080), hex(0xFFFFFF), hex(0x000080)};

// Everything in pixel units of the target size. Small sizes are tuned by hand so that the horizontal tops of the
// arcs and the dot land on whole pixels; a scaled-down large drawing turns to mush at 16 px.
struct Layout {
    int size;
    double inset;      // tile margin
    double radius;     // tile corner radius
    double border;     // darker rim inside the tile edge
    double cy;         // centre of the dot and of the arcs
    double dot;        // dot radius
    int arcs;
    double firstGap;   // from the dot's edge to the first arc
    double gap;        // between arcs
    double stroke;     // arc thickness
    double shadow;     // drop of the glyph's shadow, 0 for none
    double shadowAlpha;
};

Layout layoutFor(int size) {
    switch (size) {
    case 16: return {16, 0.0, 3.5, 1.0, 12.0, 1.3, 2, 1.7, 2.0, 2.0, 0.0, 0.0};
    case 32: return {32, 1.0, 5.0, 1.0, 24.5, 2.6, 3, 2.4, 2.5, 3.0, 0.0, 0.0};
    case 48: return {48, 2.0, 8.0, 1.0, 36.5, 3.8, 3, 3.6, 3.6, 4.4, 1.0, 0.22};
    default: {
        const double s = size / 256.0;
        return {size, 12 * s, 44 * s, 4 * s, 188 * s, 18 * s, 3, 18 * s, 17 * s, 20 * s, 5 * s, 0.22};
    }
    }
}

struct Paint {
    double r = 0, g = 0, b = 0, a = 0;  // premultiplied
    void over(const Color& c, double alpha) {
        r = c.r * alpha + r * (1 - alpha);
        g = c.g * alpha + g * (1 - alpha);
        b = c.b * alpha + b * (1 - alpha);
        a = alpha + a * (1 - alpha);
    }
};

bool inRoundRect(double x, double y, double x0, double y0, double x1, double y1, double rad) {
    if (x < x0 || x > x1 || y < y0 || y > y1) return false;
    const double cx = std::clamp(x, x0 + rad, x1 - rad);
    const double cy = std::clamp(y, y0 + rad, y1 - rad);
    const double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= rad * rad;
}

// A 90-degree arc opening upwards, centred on (cx, cy), with round caps.
bool inArc(double x, double y, double cx, double cy, double radius, double halfWidth) {
    const double dx = x - cx, dy = y - cy;
    if (dy < 0 && std::abs(dx) <= -dy) {
        const double d = std::sqrt(dx * dx + dy * dy) - radius;
        return d * d <= halfWidth * halfWidth;
    }
    const double e = radius / std::sqrt(2.0);
    const double ex = std::abs(dx) - e, ey = dy + e;
    return ex * ex + ey * ey <= halfWidth * halfWidth;
}

bool inGlyph(const Layout& l, double x, double y) {
    const double cx = l.size / 2.0;
    const double dx = x - cx, dy = y - l.cy;
    if (dx * dx + dy * dy <= l.dot * l.dot) return true;
    double inner = l.dot + l.firstGap;
    for (int i = 0; i < l.arcs; ++i) {
        if (inArc(x, y, cx, l.cy, inner + l.stroke / 2, l.stroke / 2)) return true;
        inner += l.stroke + l.gap;
    }
    return false;
}

Paint shade(const Layout& l, const Scheme& k, double x, double y) {
    Paint p;
    const double lo = l.inset, hi = l.size - l.inset;
    if (!inRoundRect(x, y, lo, lo, hi, hi, l.radius)) return p;
    const double t = std::clamp((y - lo) / (hi - lo), 0.0, 1.0);
    const Color tile{k.tileTop.r + (k.tileBottom.r - k.tileTop.r) * t, k.tileTop.g + (k.tileBottom.g - k.tileTop.g) * t,
                     k.tileTop.b + (k.tileBottom.b - k.tileTop.b) * t};
    const double b = l.border;
    const bool rim = !inRoundRect(x, y, lo + b, lo + b, hi - b, hi - b, std::max(l.radius - b, 0.0));
    p.over(rim ? k.border : tile, 1.0);
    if (l.shadow > 0 && !rim && inGlyph(l, x, y - l.shadow)) p.over(k.shadow, l.shadowAlpha);
    if (inGlyph(l, x, y)) p.over(k.glyph, 1.0);
    return p;
}

uint8_t toByte(double v) { return static_cast<uint8_t>(std::clamp(v * 255.0 + 0.5, 0.0, 255.0)); }

Image render(int size, const Scheme& scheme) {
    const Layout l = layoutFor(size);
    constexpr int kSub = 16;  // 16x16 samples per pixel
    Image img{size, std::vector<Rgba>(static_cast<size_t>(size) * size)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Paint sum;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const Paint p = shade(l, scheme, x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub);
                    sum.r += p.r, sum.g += p.g, sum.b += p.b, sum.a += p.a;
                }
            }
            constexpr double n = kSub * kSub;
            Rgba& o = img.at(x, y);
            o.a = toByte(sum.a / n);
            if (o.a != 0) {
                o.r = toByte(sum.r / sum.a);
                o.g = toByte(sum.g / sum.a);
                o.b = toByte(sum.b / sum.a);
            }
        }
    }
    return img;
}

// ---- palettes -------------------------------------------------------------------------------------------------

struct Pal {
    uint8_t r, g, b;
};

// The fixed 16 colours every Windows display has had since VGA; index 0 is black, which the AND mask needs under
// transparent pixels.
const std::vector<Pal> kVga16 = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                 {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                 {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                 {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

int distance(const Rgba& c, const Pal& p) {
    const int dr = c.r - p.r, dg = c.g - p.g, db = c.b - p.b;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int nearest(const Rgba& c, const std::vector<Pal>& pal, size_t first) {
    int best = static_cast<int>(first), bestD = distance(c, pal[first]);
    for (size_t i = first + 1; i < pal.size(); ++i) {
        const int d = distance(c, pal[i]);
        if (d < bestD) best = static_cast<int>(i), bestD = d;
    }
    return best;
}

bool opaque(const Rgba& c) { return c.a >= 128; }

// Median cut over the opaque pixels, weighted by pixel count. Entry 0 stays black for the transparent pixels; the
// rest is padded with black so the table always has 256 entries.
std::vector<Pal> medianCut(const Image& img) {
    struct Entry {
        uint32_t rgb;
        int count;
    };
    std::vector<uint32_t> all;
    for (const Rgba& c : img.px)
        if (opaque(c)) all.push_back(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
    std::sort(all.begin(), all.end());
    std::vector<Entry> entries;
    for (uint32_t v : all) {
        if (!entries.empty() && entries.back().rgb == v) ++entries.back().count;
        else entries.push_back({v, 1});
    }
    auto channel = [](uint32_t v, int ch) { return int(v >> (16 - 8 * ch) & 0xFF); };
    using Box = std::vector<Entry>;
    std::vector<Box> boxes;
    if (!entries.empty()) boxes.push_back(entries);
    while (boxes.size() < 255) {
        int pick = -1, pickCh = 0, pickRange = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2) continue;
            for (int ch = 0; ch < 3; ++ch) {
                int lo = 255, hi = 0;
                for (const Entry& e : boxes[i]) lo = std::min(lo, channel(e.rgb, ch)), hi = std::max(hi, channel(e.rgb, ch));
                if (hi - lo > pickRange) pick = int(i), pickCh = ch, pickRange = hi - lo;
            }
        }
        if (pick < 0) break;
        Box box = std::move(boxes[pick]);
        std::stable_sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
            return channel(a.rgb, pickCh) < channel(b.rgb, pickCh);
        });
        long total = 0;
        for (const Entry& e : box) total += e.count;
        long run = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.size(); ++i) {
            run += box[i].count;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        boxes[pick] = Box(box.begin(), box.begin() + long(cut));
        boxes.push_back(Box(box.begin() + long(cut), box.end()));
    }
    std::vector<Pal> pal{{0, 0, 0}};
    for (const Box& box : boxes) {
        long n = 0, r = 0, g = 0, b = 0;
        for (const Entry& e : box) {
            n += e.count;
            r += long(channel(e.rgb, 0)) * e.count;
            g += long(channel(e.rgb, 1)) * e.count;
            b += long(channel(e.rgb, 2)) * e.count;
        }
        pal.push_back({uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((b + n / 2) / n)});
    }
    pal.resize(256, Pal{0, 0, 0});
    return pal;
}

// ---- byte output ---------------------------------------------------------------------------------------------

using Bytes = std::vector<uint8_t>;

void le16(Bytes& o, uint32_t v) {
    o.push_back(uint8_t(v)), o.push_back(uint8_t(v >> 8));
}
void le32(Bytes& o, uint32_t v) {
    le16(o, v & 0xFFFF), le16(o, v >> 16);
}
void be32(Bytes& o, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) o.push_back(uint8_t(v >> s));
}

// ---- PNG with a small deflate (fixed Huffman codes, LZ77 over hash chains) -----------------------------------------

class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    void bits(uint32_t v, int n) {  // least significant bit first
        acc_ |= uint64_t(v) << fill_;
        fill_ += n;
        while (fill_ >= 8) out_.push_back(uint8_t(acc_)), acc_ >>= 8, fill_ -= 8;
    }
    void code(uint32_t c, int n) {  // Huffman codes go most significant bit first
        uint32_t rev = 0;
        for (int i = 0; i < n; ++i) rev |= ((c >> i) & 1) << (n - 1 - i);
        bits(rev, n);
    }
    void flush() {
        if (fill_ > 0) out_.push_back(uint8_t(acc_));
        acc_ = 0, fill_ = 0;
    }

private:
    Bytes& out_;
    uint64_t acc_ = 0;
    int fill_ = 0;
};

void fixedSymbol(BitWriter& w, int sym) {
    if (sym < 144) w.code(0x30 + sym, 8);
    else if (sym < 256) w.code(0x190 + sym - 144, 9);
    else if (sym < 280) w.code(sym - 256, 7);
    else w.code(0xC0 + sym - 280, 8);
}

constexpr std::array<int, 29> kLenBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLenExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                           33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                           1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

Bytes deflate(const Bytes& in) {
    Bytes out;
    BitWriter w(out);
    w.bits(1, 1);  // final block
    w.bits(1, 2);  // fixed Huffman codes
    constexpr int kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kChain = 128;
    constexpr int kHashBits = 15;
    std::vector<int> head(1 << kHashBits, -1), prev(in.size(), -1);
    auto hash = [&](size_t i) {
        return ((uint32_t(in[i]) << 10) ^ (uint32_t(in[i + 1]) << 5) ^ in[i + 2]) & ((1u << kHashBits) - 1);
    };
    auto insert = [&](size_t i) {
        if (i + kMinMatch > in.size()) return;
        const uint32_t h = hash(i);
        prev[i] = head[h];
        head[h] = int(i);
    };
    size_t i = 0;
    while (i < in.size()) {
        int bestLen = 0, bestDist = 0;
        if (i + kMinMatch <= in.size()) {
            const int limit = int(std::min<size_t>(kMaxMatch, in.size() - i));
            int cand = head[hash(i)];
            for (int chain = 0; cand >= 0 && int(i) - cand <= kWindow && chain < kChain; ++chain, cand = prev[cand]) {
                int len = 0;
                while (len < limit && in[cand + len] == in[i + len]) ++len;
                if (len > bestLen) bestLen = len, bestDist = int(i) - cand;
                if (len == limit) break;
            }
        }
        if (bestLen >= kMinMatch) {
            int li = 28;
            while (kLenBase[li] > bestLen) --li;
            fixedSymbol(w, 257 + li);
            w.bits(bestLen - kLenBase[li], kLenExtra[li]);
            int di = 29;
            while (kDistBase[di] > bestDist) --di;
            w.code(di, 5);
            w.bits(bestDist - kDistBase[di], kDistExtra[di]);
            for (int k = 0; k < bestLen; ++k) insert(i + k);
            i += bestLen;
        } else {
            fixedSymbol(w, in[i]);
            insert(i);
            ++i;
        }
    }
    fixedSymbol(w, 256);
    w.flush();
    return out;
}

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

uint32_t adler32(const Bytes& d) {
    uint32_t a = 1, b = 0;
    for (uint8_t v : d) a = (a + v) % 65521, b = (b + a) % 65521;
    return b << 16 | a;
}

void chunk(Bytes& png, const char* type, const Bytes& data) {
    be32(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    be32(png, crc32(png.data() + start, png.size() - start));
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// RGBA, 8 bits per channel; each row takes the filter whose output has the smallest sum of magnitudes.
Bytes encodePng(const std::vector<Rgba>& px, int w, int h) {
    const int stride = w * 4;
    std::vector<uint8_t> raw;
    for (const Rgba& c : px) raw.insert(raw.end(), {c.r, c.g, c.b, c.a});
    Bytes filtered;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = &raw[size_t(y) * stride];
        const uint8_t* up = y > 0 ? row - stride : nullptr;
        std::array<Bytes, 5> cand;
        int best = 0;
        long bestScore = -1;
        for (int f = 0; f < 5; ++f) {
            Bytes& r = cand[f];
            r.push_back(uint8_t(f));
            long score = 0;
            for (int x = 0; x < stride; ++x) {
                const int a = x >= 4 ? row[x - 4] : 0, b = up ? up[x] : 0, c = (up && x >= 4) ? up[x - 4] : 0;
                const int pred = f == 0 ? 0 : f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : paeth(a, b, c);
                const uint8_t v = uint8_t(row[x] - pred);
                r.push_back(v);
                score += v < 128 ? v : 256 - v;
            }
            if (bestScore < 0 || score < bestScore) best = f, bestScore = score;
        }
        filtered.insert(filtered.end(), cand[best].begin(), cand[best].end());
    }
    Bytes z = {0x78, 0x01};
    const Bytes body = deflate(filtered);
    z.insert(z.end(), body.begin(), body.end());
    be32(z, adler32(filtered));

    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    be32(ihdr, uint32_t(w)), be32(ihdr, uint32_t(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    return png;
}

// ---- icon images ---------------------------------------------------------------------------------------------

struct IconImage {
    int size;
    int bits;
    Bytes data;
    Image shown;  // what the entry looks like, for the previews
};

int rowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

void bitmapHeader(Bytes& o, int size, int bits, int paletteEntries) {
    le32(o, 40);
    le32(o, uint32_t(size));
    le32(o, uint32_t(size * 2));  // colour rows plus mask rows
    le16(o, 1);
    le16(o, uint32_t(bits));
    le32(o, 0);  // BI_RGB
    le32(o, uint32_t((rowBytes(size, bits) + rowBytes(size, 1)) * size));
    le32(o, 0), le32(o, 0);
    le32(o, bits <= 8 ? uint32_t(paletteEntries) : 0);
    le32(o, 0);
}

void andMask(Bytes& o, const std::vector<bool>& transparent, int size) {
    const int stride = rowBytes(size, 1);
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < size; ++x)
            if (transparent[size_t(y) * size + x]) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        o.insert(o.end(), row.begin(), row.end());
    }
}

IconImage paletted(const Image& img, int bits) {
    const int n = img.size;
    const std::vector<Pal> pal = bits == 4 ? kVga16 : medianCut(img);
    std::vector<int> index(img.px.size(), 0);
    std::vector<bool> transparent(img.px.size(), true);
    IconImage out{n, bits, {}, Image{n, std::vector<Rgba>(img.px.size())}};
    for (size_t i = 0; i < img.px.size(); ++i) {
        if (!opaque(img.px[i])) continue;
        transparent[i] = false;
        // Entry 0 of the 4-bit table is black and free to use; entry 0 of the computed table is reserved.
        index[i] = nearest(img.px[i], pal, bits == 4 ? 0 : 1);
        const Pal& p = pal[index[i]];
        out.shown.px[i] = {p.r, p.g, p.b, 255};
    }
    bitmapHeader(out.data, n, bits, int(pal.size()));
    for (const Pal& p : pal) out.data.insert(out.data.end(), {p.b, p.g, p.r, 0});
    const int stride = rowBytes(n, bits);
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < n; ++x) {
            const int v = index[size_t(y) * n + x];
            if (bits == 8) row[x] = uint8_t(v);
            else row[x / 2] |= uint8_t(x % 2 ? v : v << 4);
        }
        out.data.insert(out.data.end(), row.begin(), row.end());
    }
    andMask(out.data, transparent, n);
    return out;
}

IconImage trueColour(const Image& img) {
    const int n = img.size;
    IconImage out{n, 32, {}, img};
    if (n >= 256) {
        out.data = encodePng(img.px, n, n);
        return out;
    }
    bitmapHeader(out.data, n, 32, 0);
    std::vector<bool> transparent(img.px.size());
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) {
            const Rgba& c = img.at(x, y);
            out.data.insert(out.data.end(), {c.b, c.g, c.r, c.a});
        }
    }
    for (size_t i = 0; i < img.px.size(); ++i) transparent[i] = img.px[i].a == 0;
    andMask(out.data, transparent, n);
    return out;
}

Bytes iconFile(const std::vector<IconImage>& images) {
    Bytes o;
    le16(o, 0), le16(o, 1), le16(o, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const IconImage& im : images) {
        o.push_back(uint8_t(im.size >= 256 ? 0 : im.size));
        o.push_back(uint8_t(im.size >= 256 ? 0 : im.size));
        o.push_back(uint8_t(im.bits == 4 ? 16 : 0));
        o.push_back(0);
        le16(o, 1);
        le16(o, uint32_t(im.bits));
        le32(o, uint32_t(im.data.size()));
        le32(o, offset);
        offset += uint32_t(im.data.size());
    }
    for (const IconImage& im : images) o.insert(o.end(), im.data.begin(), im.data.end());
    return o;
}

// ---- previews ------------------------------------------------------------------------------------------------

struct Canvas {
    int w, h;
    std::vector<Rgba> px;
};

// Every entry side by side, blown up with square pixels, over the window colour and over the text colour.
Canvas previewStrip(const std::vector<IconImage>& images) {
    constexpr int kCell = 128, kPad = 8;
    Canvas c{int(images.size()) * (kCell + kPad) + kPad, 2 * (kCell + kPad) + kPad, {}};
    c.px.resize(size_t(c.w) * c.h);
    const Rgba backs[2] = {{0xEA, 0xF5, 0xFD, 255}, {0x1C, 0x2B, 0x39, 255}};
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) c.px[size_t(y) * c.w + x] = backs[y >= c.h / 2];
    for (int band = 0; band < 2; ++band) {
        for (size_t k = 0; k < images.size(); ++k) {
            const Image& src = images[k].shown;
            const int shown = std::min(kCell, src.size * (kCell / src.size > 0 ? kCell / src.size : 1));
            const int ox = kPad + int(k) * (kCell + kPad) + (kCell - shown) / 2;
            const int oy = kPad + band * (kCell + kPad) + (kCell - shown) / 2;
            for (int y = 0; y < shown; ++y) {
                for (int x = 0; x < shown; ++x) {
                    const Rgba s = src.at(x * src.size / shown, y * src.size / shown);
                    Rgba& d = c.px[size_t(oy + y) * c.w + ox + x];
                    const int a = s.a;
                    d.r = uint8_t((s.r * a + d.r * (255 - a) + 127) / 255);
                    d.g = uint8_t((s.g * a + d.g * (255 - a) + 127) / 255);
                    d.b = uint8_t((s.b * a + d.b * (255 - a) + 127) / 255);
                }
            }
        }
    }
    return c;
}

bool writeFile(const std::string& path, const Bytes& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(f.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_icon OUT.ico [PREVIEW_DIR]\n");
        return 2;
    }
    const Image i256 = render(256, kSky), i48 = render(48, kSky), i32 = render(32, kSky), i16 = render(16, kSky);
    // Order as Windows' own icons list them: fewest colours first, largest first within a depth.
    const std::vector<IconImage> images = {paletted(render(32, kVga), 4), paletted(render(16, kVga), 4),
                                           paletted(i48, 8),
                                           paletted(i32, 8), paletted(i16, 8),  trueColour(i256),
                                           trueColour(i48),  trueColour(i32),   trueColour(i16)};
    const Bytes ico = iconFile(images);
    if (!writeFile(argv[1], ico)) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3) {
        const std::string dir = argv[2];
        const Canvas strip = previewStrip(images);
        if (!writeFile(dir + "/icon-preview-256.png", images[5].data) ||
            !writeFile(dir + "/icon-preview-strip.png", encodePng(strip.px, strip.w, strip.h))) {
            std::fprintf(stderr, "make_icon: cannot write previews to %s\n", dir.c_str());
            return 1;
        }
    }
    std::printf("make_icon: wrote %s (%zu bytes, %zu images)\n", argv[1], ico.size(), images.size());
    return 0;
}
