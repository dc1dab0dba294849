#include "PngDecoder.h"

#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

#include <png.h>

namespace {

// Ancillary chunks a wallpaper never needs are held to this size each (text, ICC
// profiles, unknown chunks); a larger one is an error, not an allocation.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(1) << 20;
// Ancillary chunks kept in memory at most (text, sPLT, unknown).
constexpr png_uint_32 kMaxCachedChunks = 128;

struct Reader {
    std::span<const std::uint8_t> file;
    std::size_t at = 0;
};

// Everything the decode owns lives here, outside the frames longjmp unwinds, so no
// object with a destructor is jumped over and nothing changes after setjmp that the
// jump would lose.
struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::jmp_buf jump;
    Reader reader;
    std::unique_ptr<std::uint8_t[]> work; // one decoded row
    RgbImage image;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

// libpng's errors must not return: they jump back to Decode.
[[noreturn]] void OnError(png_structp png, png_const_charp) {
    std::longjmp(static_cast<Session*>(png_get_error_ptr(png))->jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep data, png_size_t length) {
    Reader& r = static_cast<Session*>(png_get_io_ptr(png))->reader;
    if (length > r.file.size() - r.at) png_error(png, "the file ends before the picture does");
    std::memcpy(data, r.file.data() + r.at, length);
    r.at += length;
}

// Pixels of RGB or RGBA (8 bits a sample) into the picture's RGB: alpha is mixed with
// the background.
void PutPixels(const std::uint8_t* src, int channels, int count, const std::uint8_t bg[3], std::uint8_t* dst) {
    if (channels == 3) {
        std::memcpy(dst, src, static_cast<std::size_t>(count) * 3);
        return;
    }
    for (int x = 0; x < count; ++x, src += channels, dst += 3) {
        const unsigned a = src[3];
        for (int c = 0; c < 3; ++c) dst[c] = static_cast<std::uint8_t>((src[c] * a + bg[c] * (255u - a) + 127u) / 255u);
    }
}

bool Run(Session& s, std::span<const std::uint8_t> file, const ImageLimits& limits, std::uint32_t background) {
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) return false;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (!s.png) return false;
    s.info = png_create_info_struct(s.png);
    if (!s.info) return false;
    if (setjmp(s.jump)) return false;

    png_structp png = s.png;
    png_infop info = s.info;
    s.reader.file = file;
    png_set_read_fn(png, &s, ReadData);
    png_set_user_limits(png, static_cast<png_uint_32>(limits.maxWidth), static_cast<png_uint_32>(limits.maxHeight));
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Under the fuzzer, checksums would stop nearly every changed input at its first
    // chunk; the decoder past them is what is tested.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(limits.maxWidth) ||
        height > static_cast<png_uint_32>(limits.maxHeight))
        return false;
    const ImageLimits::Part part = limits.Kept(static_cast<int>(width), static_cast<int>(height));
    if (!limits.Allows(part.width, part.height)) return false;

    // Everything to 8-bit RGB, with an alpha channel where the file has transparency.
    // An interlaced picture is read as its seven reduced pictures, whose pixels are put
    // in their places here, so it costs one row of work space like any other.
    png_set_expand(png); // palette to RGB, grey under 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    if (png_get_bit_depth(png, info) != 8 || (channels != 3 && channels != 4) ||
        rowBytes != static_cast<png_size_t>(width) * static_cast<png_size_t>(channels))
        return false;
    s.work.reset(new (std::nothrow) std::uint8_t[rowBytes]);
    if (!s.work) return false;

    s.image.width = part.width;
    s.image.height = part.height;
    s.image.pixels.reset(new (std::nothrow) std::uint8_t[s.image.Size()]);
    if (!s.image.pixels) return false;

    const std::uint8_t bg[3] = {static_cast<std::uint8_t>(background), static_cast<std::uint8_t>(background >> 8),
                                static_cast<std::uint8_t>(background >> 16)};
    const png_uint_32 top = static_cast<png_uint_32>(part.top), bottom = top + static_cast<png_uint_32>(part.height);
    const png_uint_32 left = static_cast<png_uint_32>(part.left), right = left + static_cast<png_uint_32>(part.width);
    std::uint8_t* row = s.work.get();
    if (interlace == PNG_INTERLACE_NONE) {
        // Rows below the part kept are never read.
        for (png_uint_32 y = 0; y < bottom; ++y) {
            png_read_row(png, row, nullptr);
            if (y >= top)
                PutPixels(row + static_cast<std::size_t>(left) * channels, channels, part.width, bg,
                          s.image.pixels.get() + static_cast<std::size_t>(y - top) * s.image.Stride());
        }
        return true;
    }
    for (int pass = 0; pass < 7; ++pass) {
        const png_uint_32 cols = PNG_PASS_COLS(width, pass), rows = PNG_PASS_ROWS(height, pass);
        if (cols == 0 || rows == 0) continue; // the library skips empty passes
        for (png_uint_32 j = 0; j < rows; ++j) {
            png_read_row(png, row, nullptr);
            const png_uint_32 y = PNG_ROW_FROM_PASS_ROW(j, pass);
            if (y < top || y >= bottom) continue;
            std::uint8_t* line = s.image.pixels.get() + static_cast<std::size_t>(y - top) * s.image.Stride();
            for (png_uint_32 i = 0; i < cols; ++i) {
                const png_uint_32 x = PNG_COL_FROM_PASS_COL(i, pass);
                if (x >= left && x < right)
                    PutPixels(row + static_cast<std::size_t>(i) * channels, channels, 1, bg,
                              line + static_cast<std::size_t>(x - left) * 3);
            }
        }
    }
    return true;
}

} // namespace

bool CPngDecoder::Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, std::uint32_t background,
                         RgbImage& out) {
    out = RgbImage();
    Session session;
    if (!Run(session, file, limits, background)) return false;
    out = std::move(session.image);
    return true;
}
