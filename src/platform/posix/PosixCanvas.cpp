#include "PosixCanvas.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "../../util/Utf8.h"

// CAIRO_FORMAT_RGB24 stores 0x00RRGGBB words in native order: blue, green, red,
// unused as bytes only on a little-endian machine.
static_assert(std::endian::native == std::endian::little, "the surface's byte order needs little-endian words");

namespace {

constexpr size_t kBufferAlignment = 64;
// Buffers from this size up are mapped on their own in 2 MB pages where the system has
// them: a panel at 4K is megabytes, made afresh at each composition, and touching it
// one 4 KB page at a time costs more than drawing it. The pages come zeroed, and go
// back to the system when the canvas goes: nothing stays held between compositions.
constexpr size_t kLargePage = size_t{2} << 20;
constexpr size_t kMappedFrom = size_t{1} << 20;

// A zeroed buffer of bytes (a multiple of kLargePage) at a kLargePage boundary, so that
// the system can give it large pages; null when the system gives no memory.
std::uint8_t* MapLarge(size_t bytes) {
    void* p = ::mmap(nullptr, bytes + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    // The slack before the boundary and after the buffer goes straight back.
    const auto start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligned = (start + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
    if (aligned > start) ::munmap(p, aligned - start);
    if (const size_t after = start + bytes + kLargePage - (aligned + bytes))
        ::munmap(reinterpret_cast<void*>(aligned + bytes), after);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE); // only advice: small pages work too
#endif
    return reinterpret_cast<std::uint8_t*>(aligned);
}

// Faces of the program that Linux desktops do not have, and the face drawn instead:
// DejaVu Sans is of similar width and x-height, and Wine prefixes of the tests are
// told to draw them with it too.
std::string DrawnFamily(const std::string& face) {
    std::string lower(face);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    if (lower.empty() || lower == "ms sans serif" || lower == "verdana") return "DejaVu Sans";
    return face;
}

const cairo_font_options_t* TextOptions() {
    static cairo_font_options_t* options = [] {
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_subpixel_order(o, CAIRO_SUBPIXEL_ORDER_DEFAULT);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON); // whole-pixel advances
        return o;
    }();
    return options;
}

struct ScaledFont {
    cairo_scaled_font_t* font;
    explicit ScaledFont(cairo_font_face_t* face, double size) {
        cairo_matrix_t matrix, identity;
        cairo_matrix_init_scale(&matrix, size, size);
        cairo_matrix_init_identity(&identity);
        font = cairo_scaled_font_create(face, &matrix, &identity, TextOptions());
    }
    ~ScaledFont() { cairo_scaled_font_destroy(font); }
    ScaledFont(const ScaledFont&) = delete;
    ScaledFont& operator=(const ScaledFont&) = delete;

    // Ascent plus descent in whole pixels.
    int CellHeight() const {
        cairo_font_extents_t e;
        cairo_scaled_font_extents(font, &e);
        return static_cast<int>(std::lround(e.ascent) + std::lround(e.descent));
    }
};

// A face resolved through fontconfig with the options the text is drawn with, and
// the Cairo size that gives each asked cell height. Both are kept for the life of
// the process: a program asks for a dozen fonts, again and again.
class FontCache {
public:
    static FontCache& Instance() {
        static FontCache cache;
        return cache;
    }

    // The face (a reference of the cache's) and size; a null face when fontconfig has none.
    std::pair<cairo_font_face_t*, double> Find(const std::string& family, int weight, int height) {
        std::lock_guard<std::mutex> lock(m_mutex);
        cairo_font_face_t*& face = m_faces[{family, weight}];
        if (!face) face = Resolve(family, weight, nullptr);
        if (!face) return {nullptr, 0.0};
        double& size = m_sizes[{family, weight, height}];
        if (size == 0.0) size = SizeForCellHeight(face, height);
        return {face, size};
    }

    // Whether the face has a glyph for the character.
    bool Has(cairo_font_face_t* face, char32_t c) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_charsets.find(face);
        return it == m_charsets.end() || FcCharSetHasChar(it->second, c);
    }

    // A face of the weight that has the character, as fontconfig ranks them; null when
    // no installed font has it.
    cairo_font_face_t* Fallback(char32_t c, int weight) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto key = std::make_pair(static_cast<std::uint32_t>(c), weight);
        auto found = m_fallbacks.find(key);
        if (found != m_fallbacks.end()) return found->second;
        cairo_font_face_t* face = nullptr;
        FcCharSet* wanted = FcCharSetCreate();
        if (wanted && FcCharSetAddChar(wanted, c)) face = Resolve("sans-serif", weight, wanted);
        if (wanted) FcCharSetDestroy(wanted);
        m_fallbacks[key] = face;
        return face;
    }

private:
    // The face of the family (or, given a character set, of the best font that covers
    // it); its character set is kept for Has.
    cairo_font_face_t* Resolve(const std::string& family, int weight, const FcCharSet* covering) {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return nullptr;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        // The options go into the pattern before the configuration adds its defaults,
        // so they decide the antialiasing and hinting, as Cairo documents.
        cairo_ft_font_options_substitute(TextOptions(), pattern);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = nullptr;
        if (!covering) {
            match = FcFontMatch(nullptr, pattern, &result);
        } else if (FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result)) {
            for (int i = 0; i < fonts->nfont && !match; ++i) {
                FcCharSet* has = nullptr;
                if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &has) == FcResultMatch &&
                    FcCharSetIsSubset(covering, has))
                    match = FcFontRenderPrepare(nullptr, pattern, fonts->fonts[i]);
            }
            FcFontSetDestroy(fonts);
        }
        FcPatternDestroy(pattern);
        if (!match) return nullptr;
        cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
        FcCharSet* charset = nullptr;
        if (cairo_font_face_status(face) == CAIRO_STATUS_SUCCESS &&
            FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch && !m_charsets.count(face))
            m_charsets[face] = FcCharSetCopy(charset);
        FcPatternDestroy(match); // the face holds a reference of its own
        if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(face);
            return nullptr;
        }
        return face;
    }

    // The largest size whose cell (hinted ascent plus descent) is at most height
    // pixels, as GDI picks a font for a positive LOGFONT height.
    static double SizeForCellHeight(cairo_font_face_t* face, int height) {
        const double probe = 100.0;
        const int probeCell = ScaledFont(face, probe).CellHeight();
        const double guess = probeCell > 0 ? height * probe / probeCell : height;
        double low = guess * 0.75, high = guess * 1.25;
        if (ScaledFont(face, low).CellHeight() > height) return low;
        for (int i = 0; i < 16; ++i) {
            const double mid = (low + high) / 2;
            (ScaledFont(face, mid).CellHeight() <= height ? low : high) = mid;
        }
        return low;
    }

    std::mutex m_mutex;
    std::map<std::pair<std::string, int>, cairo_font_face_t*> m_faces;
    std::map<std::tuple<std::string, int, int>, double> m_sizes;
    std::map<cairo_font_face_t*, FcCharSet*> m_charsets;
    std::map<std::pair<std::uint32_t, int>, cairo_font_face_t*> m_fallbacks;
};


// The glyphs of a text, laid out from (x, baseline) by the current font, and the
// clusters that tie them to the text's characters. Cairo refuses text that is not
// valid UTF-8 (and would put the context into an error state for good), so the
// text is first made valid: each byte that begins no character becomes U+FFFD.
class GlyphRun {
public:
    GlyphRun(cairo_t* cr, const std::string& text, double x, double baseline) {
        std::string clean;
        clean.reserve(text.size());
        m_sourceOffset.assign(text.size() * 3 + 1, 0);
        for (size_t i = 0; i < text.size();) {
            const Utf8Char c = Utf8CharAt(text, i);
            m_sourceOffset[clean.size()] = i;
            AppendUtf8(clean, c.code);
            i += c.length;
        }
        m_sourceOffset[clean.size()] = text.size();
        if (clean.empty()) return;
        cairo_text_cluster_flags_t flags{};
        m_status = cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), x, baseline, clean.data(),
                                                    static_cast<int>(clean.size()), &m_glyphs, &m_count,
                                                    &m_clusters, &m_clusterCount, &flags);
        if (m_status == CAIRO_STATUS_SUCCESS && m_count > 0) {
            cairo_text_extents_t e;
            cairo_scaled_font_glyph_extents(cairo_get_scaled_font(cr), m_glyphs, m_count, &e);
            m_advance = e.x_advance;
        }
    }
    ~GlyphRun() {
        cairo_glyph_free(m_glyphs);
        cairo_text_cluster_free(m_clusters);
    }
    GlyphRun(const GlyphRun&) = delete;
    GlyphRun& operator=(const GlyphRun&) = delete;

    bool Ok() const { return m_status == CAIRO_STATUS_SUCCESS && m_count > 0; }
    double Advance() const { return m_advance; }
    const cairo_glyph_t* Glyphs() const { return m_glyphs; }
    int Count() const { return m_count; }

    // Bytes of the source text whose characters end at most width past the start.
    size_t Fit(double width) const {
        if (!Ok()) return 0;
        const double start = m_glyphs[0].x;
        size_t cleanBytes = 0;
        int glyph = 0;
        for (int c = 0; c < m_clusterCount; ++c) {
            glyph += m_clusters[c].num_glyphs;
            const double right = glyph < m_count ? m_glyphs[glyph].x - start : m_advance;
            if (right > width + 1e-6) break;
            cleanBytes += static_cast<size_t>(m_clusters[c].num_bytes);
        }
        return m_sourceOffset[cleanBytes];
    }

private:
    cairo_status_t m_status = CAIRO_STATUS_SUCCESS;
    cairo_glyph_t* m_glyphs = nullptr;
    int m_count = 0;
    cairo_text_cluster_t* m_clusters = nullptr;
    int m_clusterCount = 0;
    double m_advance = 0;
    // Offset in the source text of each character start of the clean text (a clean
    // character takes at most 3 bytes per source byte: U+FFFD for one byte).
    std::vector<size_t> m_sourceOffset;
};

// Characters that belong to the one before them and are drawn with its face.
bool Attaches(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0xFE00 && c <= 0xFE0F) || c == 0x200D || c == 0x200C ||
           (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F);
}

struct Segment {
    cairo_font_face_t* face;
    size_t begin, end; // bytes of the text
};

// The text cut where the face changes: the font's own face wherever it has the
// glyph, else the first installed font that has it (so Chinese, Japanese or Korean
// in a subject is drawn, not shown as boxes).
std::vector<Segment> Segments(const std::string& text, cairo_font_face_t* primary, int weight) {
    std::vector<Segment> out;
    FontCache& cache = FontCache::Instance();
    for (size_t i = 0; i < text.size();) {
        const Utf8Char ch = Utf8CharAt(text, i);
        cairo_font_face_t* face = primary;
        if (!out.empty() && (Attaches(ch.code) || ch.code == ' ')) {
            face = out.back().face;
        } else if (ch.code >= 0x80 && !cache.Has(primary, ch.code)) {
            if (cairo_font_face_t* other = cache.Fallback(ch.code, weight)) face = other;
        }
        if (out.empty() || out.back().face != face)
            out.push_back({face, i, i + ch.length});
        else
            out.back().end = i + ch.length;
        i += ch.length;
    }
    return out;
}

void SetSource(cairo_t* cr, Colorref c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

} // namespace

void CPosixCanvas::FreeBuffer::operator()(std::uint8_t* p) const {
    if (mappedBytes)
        ::munmap(p, mappedBytes);
    else
        std::free(p);
}

std::unique_ptr<CPosixCanvas> CPosixCanvas::Create(int width, int height) {
    if (!SurfaceSizeAllowed(width, height)) return nullptr;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    if (stride < width * 4) return nullptr;
    const long long bytes = static_cast<long long>(stride) * height;
    if (bytes > kMaxSurfaceBytes) return nullptr;
    const size_t rounded = (static_cast<size_t>(bytes) + kBufferAlignment - 1) / kBufferAlignment * kBufferAlignment;

    std::unique_ptr<CPosixCanvas> canvas(new CPosixCanvas());
    if (rounded >= kMappedFrom) {
        const size_t mapped = (rounded + kLargePage - 1) / kLargePage * kLargePage;
        canvas->m_buffer = std::unique_ptr<std::uint8_t, FreeBuffer>(MapLarge(mapped), FreeBuffer{mapped});
        if (!canvas->m_buffer) return nullptr;
    } else {
        canvas->m_buffer.reset(static_cast<std::uint8_t*>(std::aligned_alloc(kBufferAlignment, rounded)));
        if (!canvas->m_buffer) return nullptr;
        std::memset(canvas->m_buffer.get(), 0, rounded);
    }
    canvas->m_surface.reset(
        cairo_image_surface_create_for_data(canvas->m_buffer.get(), CAIRO_FORMAT_RGB24, width, height, stride));
    if (cairo_surface_status(canvas->m_surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    canvas->m_cr.reset(cairo_create(canvas->m_surface.get()));
    if (cairo_status(canvas->m_cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    canvas->m_width = width;
    canvas->m_height = height;
    canvas->m_stride = stride;

    cairo_set_font_options(canvas->m_cr.get(), TextOptions());
    canvas->SetFont(FontSpec{});
    canvas->SetTextColor(MakeColorref(0, 0, 0));
    canvas->SetBackground(false, MakeColorref(255, 255, 255));
    return canvas;
}

PixelSurface CPosixCanvas::Pixels() { return PixelSurface{m_buffer.get(), m_width, m_height, m_stride}; }

void CPosixCanvas::Flush() { cairo_surface_flush(m_surface.get()); }

void CPosixCanvas::MarkDirty() { cairo_surface_mark_dirty(m_surface.get()); }

void CPosixCanvas::SetFont(const FontSpec& font) {
    const int weight = font.weight <= 0 ? 400 : std::min(font.weight, 1000); // 0: no preference
    const int height = std::max(font.height, 1);
    const auto [face, size] = FontCache::Instance().Find(DrawnFamily(font.face), weight, height);
    if (!face) return; // the font in use stays
    cairo_t* cr = m_cr.get();
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    m_face = face;
    m_weight = weight;

    cairo_font_extents_t e;
    cairo_font_extents(cr, &e);
    m_ascent = static_cast<int>(std::lround(e.ascent));
    m_descent = static_cast<int>(std::lround(e.descent));

    m_strikeThickness = 0;
    if (!font.strikeOut) return;
    // Where the font puts its strike-out; when it does not say, a line at half the
    // height of a lower-case letter, a twentieth of the size thick.
    double position = size * 0.25, thickness = size / 20;
    cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr);
    if (FT_Face ft = cairo_ft_scaled_font_lock_face(scaled)) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        if (os2 && ft->units_per_EM > 0 && os2->yStrikeoutSize > 0) {
            position = os2->yStrikeoutPosition * size / ft->units_per_EM;
            thickness = os2->yStrikeoutSize * size / ft->units_per_EM;
        }
        cairo_ft_scaled_font_unlock_face(scaled);
    }
    m_strikeThickness = std::max(1, static_cast<int>(std::lround(thickness)));
    m_strikeTop = m_ascent - static_cast<int>(std::lround(position + thickness / 2));
}

std::string CPosixCanvas::FontFamily() const {
    std::string family;
    cairo_scaled_font_t* scaled = cairo_get_scaled_font(m_cr.get());
    if (FT_Face ft = cairo_ft_scaled_font_lock_face(scaled)) {
        if (ft->family_name) family = ft->family_name;
        cairo_ft_scaled_font_unlock_face(scaled);
    }
    return family;
}

void CPosixCanvas::SetTextColor(Colorref color) { m_textColor = color; }

void CPosixCanvas::SetBackground(bool opaque, Colorref color) {
    m_opaque = opaque;
    m_background = color;
}

// Runs each segment of the text through its face, from x on the baseline; returns
// the advance of the whole. draw: show the glyphs too.
double CPosixCanvas::LayOut(const std::string& text, double x, double baseline, bool draw) {
    cairo_t* cr = m_cr.get();
    double advance = 0;
    for (const Segment& seg : Segments(text, m_face, m_weight)) {
        if (seg.face != m_face) cairo_set_font_face(cr, seg.face);
        const GlyphRun run(cr, text.substr(seg.begin, seg.end - seg.begin), x + advance, baseline);
        if (run.Ok()) {
            if (draw) cairo_show_glyphs(cr, run.Glyphs(), run.Count());
            advance += run.Advance();
        }
        if (seg.face != m_face) cairo_set_font_face(cr, m_face);
    }
    return advance;
}

void CPosixCanvas::DrawText(int x, int y, const std::string& text) {
    if (text.empty() || !m_face) return;
    cairo_t* cr = m_cr.get();
    const double width = std::round(LayOut(text, x, y + m_ascent, false));
    cairo_save(cr);
    if (m_opaque) {
        SetSource(cr, m_background);
        cairo_rectangle(cr, x, y, width, m_ascent + m_descent);
        cairo_fill(cr);
    }
    SetSource(cr, m_textColor);
    LayOut(text, x, y + m_ascent, true);
    if (m_strikeThickness > 0) {
        cairo_rectangle(cr, x, y + m_strikeTop, width, m_strikeThickness);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

TextSize CPosixCanvas::MeasureText(const std::string& text) {
    const double advance = m_face ? LayOut(text, 0, 0, false) : 0;
    return {static_cast<int>(std::lround(advance)), m_ascent + m_descent};
}

size_t CPosixCanvas::FitText(const std::string& text, int width) {
    if (text.empty() || width <= 0 || !m_face) return 0;
    cairo_t* cr = m_cr.get();
    double used = 0;
    size_t fits = 0;
    for (const Segment& seg : Segments(text, m_face, m_weight)) {
        if (seg.face != m_face) cairo_set_font_face(cr, seg.face);
        const GlyphRun run(cr, text.substr(seg.begin, seg.end - seg.begin), 0, 0);
        const size_t part = run.Fit(width - used);
        const double advance = run.Ok() ? run.Advance() : 0;
        if (seg.face != m_face) cairo_set_font_face(cr, m_face);
        fits = seg.begin + part;
        if (part < seg.end - seg.begin) break;
        used += advance;
    }
    return fits;
}

// The pixels GDI's LineTo sets for a pen one pixel wide: one per step along the
// longer axis, from the start up to, not including, the end, the other coordinate
// rounded to the nearest pixel; at a tie, to the smaller coordinate, so a line and its
// reverse share the pixels between their ends, as in GDI. They are filled as
// whole-pixel rectangles, a horizontal run at a time, without antialiasing. Only
// the steps whose longer-axis coordinate lies on the surface are walked, so a line
// with far-off ends costs no more than one across the surface.
void CPosixCanvas::DrawLine(int x0, int y0, int x1, int y1, Colorref color) {
    const long long dx = std::llabs(static_cast<long long>(x1) - x0);
    const long long dy = std::llabs(static_cast<long long>(y1) - y0);
    if (dx == 0 && dy == 0) return;
    const bool xMajor = dx >= dy;
    const long long major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    const long long major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const int majorStep = (xMajor ? x1 > x0 : y1 > y0) ? 1 : -1;
    const int minorStep = (xMajor ? y1 > y0 : x1 > x0) ? 1 : -1;
    const long long majorSize = xMajor ? m_width : m_height, minorSize = xMajor ? m_height : m_width;

    // Steps i in [first, last) with 0 <= major0 + majorStep * i < majorSize.
    long long first = majorStep > 0 ? -major0 : major0 - majorSize + 1;
    long long last = majorStep > 0 ? majorSize - major0 : major0 + 1;
    first = std::max(first, 0LL);
    last = std::min(last, major);

    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    long long runX = 0, runY = 0, runLength = 0;
    auto endRun = [&] {
        if (runLength > 0) cairo_rectangle(cr, static_cast<double>(runX), static_cast<double>(runY),
                                           static_cast<double>(runLength), 1.0);
        runLength = 0;
    };
    for (long long i = first; i < last; ++i) {
        const long long a = major0 + majorStep * i;
        // 128 bits: a line between far-off ends has steps and offsets near 2^32.
        const __int128 offset = (__int128{2} * i * minor + major - (minorStep > 0 ? 1 : 0)) / (__int128{2} * major);
        const long long b = minor0 + minorStep * static_cast<long long>(offset);
        if (b < 0 || b >= minorSize) continue;
        const long long px = xMajor ? a : b, py = xMajor ? b : a;
        if (runLength > 0 && py == runY && px == runX + runLength) {
            ++runLength;
        } else if (runLength > 0 && py == runY && px == runX - 1) {
            runX = px;
            ++runLength;
        } else {
            endRun();
            runX = px;
            runY = py;
            runLength = 1;
        }
    }
    endRun();
    SetSource(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

std::unique_ptr<ICanvas> CPosixCanvasFactory::CreateSurface(int width, int height) {
    return CPosixCanvas::Create(width, height);
}

void CPosixCanvasFactory::SurfacesReleased() {
    // glibc keeps freed heap memory for later calls; a panel's smaller surfaces and
    // Cairo's scratch leave megabytes there after each composition.
    ::malloc_trim(0);
}
