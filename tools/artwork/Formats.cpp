#include "Formats.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <unordered_map>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 255);
    out.push_back((v >> 8) & 255);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// BITMAPINFOHEADER; a negative height is never written (bottom-up rows throughout).
void InfoHeader(std::vector<uint8_t>& out, int w, int h, int bits, uint32_t imageSize,
                uint32_t coloursUsed) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(w));
    Put32(out, static_cast<uint32_t>(h));
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, coloursUsed);
    Put32(out, 0);
}

void FileHeader(std::vector<uint8_t>& out, uint32_t fileSize, uint32_t bitsOffset) {
    out.push_back('B');
    out.push_back('M');
    Put32(out, fileSize);
    Put32(out, 0);
    Put32(out, bitsOffset);
}

int Stride(int w, int bits) { return ((w * bits + 31) / 32) * 4; }

} // namespace

std::vector<uint8_t> Bmp24(const Image& img) {
    const int stride = Stride(img.w, 24);
    const uint32_t imageSize = uint32_t(stride) * img.h;
    std::vector<uint8_t> out;
    out.reserve(54 + imageSize);
    FileHeader(out, 54 + imageSize, 54);
    InfoHeader(out, img.w, img.h, 24, imageSize, 0);
    for (int y = img.h - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < img.w; ++x) {
            const uint8_t* p = img.At(x, y);
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        out.resize(start + stride, 0);
    }
    return out;
}

namespace {

struct Entry {
    std::array<uint8_t, 3> c;
    uint32_t count;
};

struct Box {
    size_t begin, end; // range in the entry list
    int axis = 0;
    int range = 0;
    uint64_t weight = 0;
};

void Measure(const std::vector<Entry>& e, Box& b) {
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    b.weight = 0;
    for (size_t i = b.begin; i < b.end; ++i) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min<int>(lo[k], e[i].c[k]);
            hi[k] = std::max<int>(hi[k], e[i].c[k]);
        }
        b.weight += e[i].count;
    }
    b.axis = 0;
    b.range = -1;
    for (int k = 0; k < 3; ++k) {
        if (hi[k] - lo[k] > b.range) {
            b.range = hi[k] - lo[k];
            b.axis = k;
        }
    }
}

uint32_t Key(const uint8_t* p) { return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; }

} // namespace

Indexed Quantise(const Image& img, size_t maxColours) {
    std::unordered_map<uint32_t, uint32_t> histogram;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) ++histogram[Key(img.At(x, y))];

    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (auto [k, n] : histogram)
        entries.push_back({{uint8_t(k >> 16), uint8_t(k >> 8), uint8_t(k)}, n});
    // A fixed order, so the same picture always gives the same table.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.c < b.c; });

    std::vector<Box> boxes{{0, entries.size()}};
    Measure(entries, boxes[0]);
    while (boxes.size() < maxColours) {
        // Split the box whose colours spread most, weighted by how many pixels it holds,
        // so large smooth areas get the finer steps.
        auto it = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return double(a.range) * std::sqrt(double(a.weight)) <
                   double(b.range) * std::sqrt(double(b.weight));
        });
        if (it->range <= 0) break;
        Box b = *it;
        std::sort(entries.begin() + b.begin, entries.begin() + b.end,
                  [axis = b.axis](const Entry& x, const Entry& y) { return x.c[axis] < y.c[axis]; });
        // Weighted median, but never an empty half.
        uint64_t half = b.weight / 2, seen = 0;
        size_t cut = b.begin;
        while (cut < b.end - 1 && seen + entries[cut].count <= half) seen += entries[cut++].count;
        if (cut == b.begin) cut = b.begin + 1;
        Box left{b.begin, cut}, right{cut, b.end};
        Measure(entries, left);
        Measure(entries, right);
        *it = left;
        boxes.push_back(right);
    }

    Indexed out;
    out.w = img.w;
    out.h = img.h;
    for (const Box& b : boxes) {
        double sum[3] = {0, 0, 0};
        for (size_t i = b.begin; i < b.end; ++i)
            for (int k = 0; k < 3; ++k) sum[k] += double(entries[i].c[k]) * entries[i].count;
        auto avg = [&](int k) { return static_cast<uint8_t>(std::lround(sum[k] / double(b.weight))); };
        out.palette.push_back({avg(0), avg(1), avg(2)});
    }

    std::unordered_map<uint32_t, uint8_t> nearest;
    out.index.resize(size_t(img.w) * img.h);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            uint32_t k = Key(img.At(x, y));
            auto found = nearest.find(k);
            if (found == nearest.end()) {
                int best = 0, bestDist = 1 << 30;
                for (size_t i = 0; i < out.palette.size(); ++i) {
                    int dr = int(k >> 16) - out.palette[i].r;
                    int dg = int((k >> 8) & 255) - out.palette[i].g;
                    int db = int(k & 255) - out.palette[i].b;
                    int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (d < bestDist) bestDist = d, best = int(i);
                }
                found = nearest.emplace(k, uint8_t(best)).first;
            }
            out.index[size_t(y) * img.w + x] = found->second;
        }
    }
    return out;
}

std::vector<uint8_t> Bmp8(const Indexed& pic) {
    if (pic.palette.empty() || pic.palette.size() > 256) throw std::runtime_error("bad colour table");
    const int stride = Stride(pic.w, 8);
    const uint32_t tableSize = uint32_t(pic.palette.size()) * 4;
    const uint32_t offset = 54 + tableSize;
    const uint32_t imageSize = uint32_t(stride) * pic.h;
    std::vector<uint8_t> out;
    FileHeader(out, offset + imageSize, offset);
    InfoHeader(out, pic.w, pic.h, 8, imageSize, uint32_t(pic.palette.size()));
    for (Rgb c : pic.palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = pic.h - 1; y >= 0; --y) {
        size_t start = out.size();
        out.insert(out.end(), pic.index.begin() + size_t(y) * pic.w,
                   pic.index.begin() + size_t(y + 1) * pic.w);
        out.resize(start + stride, 0);
    }
    return out;
}

std::vector<uint8_t> Ico(const std::vector<Image>& images) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const Image& img : images) {
        if (img.w != img.h || img.w > 256) throw std::runtime_error("icon images are square");
        const int maskStride = Stride(img.w, 1);
        std::vector<uint8_t> body;
        // The height counts the colour and the mask rows together.
        InfoHeader(body, img.w, img.h * 2, 32, uint32_t(img.w * img.h * 4 + maskStride * img.h), 0);
        for (int y = img.h - 1; y >= 0; --y)
            for (int x = 0; x < img.w; ++x) {
                const uint8_t* p = img.At(x, y);
                body.push_back(p[2]);
                body.push_back(p[1]);
                body.push_back(p[0]);
                body.push_back(p[3]);
            }
        for (int y = img.h - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < img.w; ++x)
                if (img.At(x, y)[3] < 128) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(body));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].w & 255)); // 256 is written as 0
        out.push_back(uint8_t(images[i].h & 255));
        out.push_back(0); // no colour table
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 32); // bits
        Put32(out, uint32_t(bodies[i].size()));
        Put32(out, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
    return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw std::runtime_error("cannot write " + path);
}
