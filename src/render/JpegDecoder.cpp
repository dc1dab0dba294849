#include "JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <cstdio> // jpeglib.h needs FILE
#include <limits>
#include <new>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

// libjpeg reports every error through error_exit, which must not return: it jumps
// back to the decode call instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr pub; // first, so the library's pointer converts back
    std::jmp_buf jump;
};

struct MemorySource {
    jpeg_source_mgr pub;
};

struct ScanLimit {
    jpeg_progress_mgr pub;
    int maxScans;
    long long maxBlockScans;
    int countedScan; // the last scan whose blocks were counted
    long long blockScans;
};

struct Session {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    MemorySource source{};
    ScanLimit progress{};
    bool created = false;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings about damaged entropy-coded data end the decode: the picture would be
// partly grey or garbled. Other warnings (extra bytes before a marker, an unknown
// JFIF revision, odd scan parameters the library copes with) describe files that
// still decode whole, and are ignored.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return; // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_HUFF_BAD_CODE:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_JPEG_EOF:
        ErrorExit(cinfo);
        break;
    default:
        ++cinfo->err->num_warnings;
        break;
    }
}

void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

// The whole file is in the buffer from the start: asking for more means it ended
// before the picture did.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Called before every row of input a multi-scan file absorbs and before every row
// of output, so at least once in every scan after its header was read. Refuses the
// file once it has more scans than allowed, or once its scans together carry more
// blocks than allowed.
void CheckScans(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* limit = reinterpret_cast<ScanLimit*>(cinfo->progress);
    if (d->input_scan_number > limit->maxScans) ERREXIT(cinfo, JERR_BAD_PROGRESSION);
    if (d->input_scan_number > limit->countedScan) {
        limit->countedScan = d->input_scan_number;
        for (int i = 0; i < d->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i)
            if (const jpeg_component_info* c = d->cur_comp_info[i])
                limit->blockScans += static_cast<long long>(c->width_in_blocks) * c->height_in_blocks;
        if (limit->blockScans > limit->maxBlockScans) ERREXIT(cinfo, JERR_BAD_PROGRESSION);
    }
}

std::uint8_t Mul255(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// Everything that may be jumped over by longjmp lives in the caller's Session, so no
// object with a destructor is skipped and no local changes after setjmp.
bool Run(Session& s, std::span<const std::uint8_t> file, const ImageLimits& limits, CJpegDecoder::Order order,
         const CJpegDecoder::Start& start, const CJpegDecoder::Row& deliver) {
    const bool bgr = order == CJpegDecoder::Order::Bgr;
    jpeg_decompress_struct& cinfo = s.cinfo;
    cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = ErrorExit;
    s.err.pub.emit_message = EmitMessage;
    s.err.pub.output_message = OutputMessage;
    if (setjmp(s.err.jump)) return false;

    s.created = true; // destroying a half-created object is safe: it was zeroed
    jpeg_create_decompress(&cinfo);
    s.source.pub.next_input_byte = file.data();
    s.source.pub.bytes_in_buffer = file.size();
    s.source.pub.init_source = InitSource;
    s.source.pub.fill_input_buffer = FillInputBuffer;
    s.source.pub.skip_input_data = SkipInputData;
    s.source.pub.resync_to_restart = jpeg_resync_to_restart;
    s.source.pub.term_source = TermSource;
    cinfo.src = &s.source.pub;
    s.progress.pub.progress_monitor = CheckScans;
    s.progress.maxScans = limits.maxJpegScans;
    s.progress.maxBlockScans = limits.maxJpegBlockScans;
    cinfo.progress = &s.progress.pub;
    // Coefficient buffers of progressive files are the large allocations; without a
    // backing store the library refuses a file that would need more than this, when
    // the decode starts and before any scan is read.
    const std::size_t budget = limits.maxJpegDecoderBytes;
    cinfo.mem->max_memory_to_use = static_cast<long>(
        budget > static_cast<std::size_t>(std::numeric_limits<long>::max()) ? std::numeric_limits<long>::max()
                                                                             : budget);

    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (cinfo.image_width > static_cast<unsigned>(limits.maxWidth) ||
        cinfo.image_height > static_cast<unsigned>(limits.maxHeight))
        return false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
#ifdef JCS_EXTENSIONS
        // libjpeg-turbo writes the colour conversion's results in the order asked for.
        cinfo.out_color_space = bgr ? JCS_EXT_BGR : JCS_RGB;
#else
        cinfo.out_color_space = JCS_RGB;
#endif
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        return false;
    }
    // The smallest scale n/8 whose result still covers the size the caller needs.
    unsigned scale = 8;
    if (limits.minWidth > 0 && limits.minHeight > 0)
        while (scale > 1 && (cinfo.image_width * (scale - 1) + 7) / 8 >= static_cast<unsigned>(limits.minWidth) &&
               (cinfo.image_height * (scale - 1) + 7) / 8 >= static_cast<unsigned>(limits.minHeight))
            --scale;
    cinfo.scale_num = scale;
    cinfo.scale_denom = 8;
    // The size after scaling and the part kept are known before the decode starts.
    jpeg_calc_output_dimensions(&cinfo);
    const JDIMENSION outW = cinfo.output_width, outH = cinfo.output_height;
    if (outW != (cinfo.image_width * scale + 7) / 8 || outH != (cinfo.image_height * scale + 7) / 8) return false;
    const ImageLimits::Part part = limits.Kept(static_cast<int>(outW), static_cast<int>(outH));
    if (!limits.Allows(part.width, part.height)) return false;
    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    if (cinfo.output_width != outW || cinfo.output_height != outH || (components != 1 && components != 3 && components != 4))
        return false;

    if (!start(part.width, part.height)) return false;
    // A few rows a call: the library hands over what its last step made at once.
    constexpr JDIMENSION kRows = 4;
    JSAMPARRAY scratch = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                    outW * static_cast<JDIMENSION>(components), kRows);
    JSAMPARRAY converted = components == 3 && (!bgr || cinfo.out_color_space != JCS_RGB)
                               ? nullptr
                               : (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                            static_cast<JDIMENSION>(part.width) * 3, 1);
    const bool invertedCmyk = cinfo.saw_Adobe_marker;
    const int r = bgr ? 2 : 0, b = 2 - r; // where red and blue go
    const JDIMENSION top = static_cast<JDIMENSION>(part.top), bottom = top + static_cast<JDIMENSION>(part.height);
    while (cinfo.output_scanline < bottom) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, scratch, std::min(kRows, bottom - first));
        if (got == 0) return false;
        for (JDIMENSION i = 0; i < got; ++i) {
            if (first + i < top) continue; // above the part kept
            const std::uint8_t* src = scratch[i] + static_cast<std::size_t>(part.left) * components;
            if (!converted) {
                deliver(src);
                continue;
            }
            std::uint8_t* dst = converted[0];
            if (components == 3) { // red first from a library without the other orders
                for (int x = 0; x < part.width; ++x, src += 3, dst += 3) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
            } else if (components == 1) {
                for (int x = 0; x < part.width; ++x, dst += 3) dst[0] = dst[1] = dst[2] = src[x];
            } else {
                // Adobe writes CMYK inverted (255 = no ink); others store the ink itself.
                for (int x = 0; x < part.width; ++x, src += 4, dst += 3) {
                    const unsigned k = invertedCmyk ? src[3] : 255u - src[3];
                    dst[r] = Mul255(invertedCmyk ? src[0] : 255u - src[0], k);
                    dst[1] = Mul255(invertedCmyk ? src[1] : 255u - src[1], k);
                    dst[b] = Mul255(invertedCmyk ? src[2] : 255u - src[2], k);
                }
            }
            deliver(converted[0]);
        }
    }
    // Rows below the part kept are never decoded: the decode ends here.
    if (cinfo.output_scanline == cinfo.output_height) jpeg_finish_decompress(&cinfo);
    else jpeg_abort_decompress(&cinfo);
    return true;
}

} // namespace

bool CJpegDecoder::DecodeRows(std::span<const std::uint8_t> file, const ImageLimits& limits, Order order,
                              const Start& start, const Row& row) {
    Session session;
    return Run(session, file, limits, order, start, row);
}

bool CJpegDecoder::Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, RgbImage& out) {
    out = RgbImage();
    RgbImage image;
    std::uint8_t* next = nullptr;
    const bool decoded = DecodeRows(
        file, limits, Order::Rgb,
        [&](int width, int height) {
            image.width = width;
            image.height = height;
            image.pixels.reset(new (std::nothrow) std::uint8_t[image.Size()]);
            next = image.pixels.get();
            return next != nullptr;
        },
        [&](const std::uint8_t* row) {
            std::memcpy(next, row, static_cast<std::size_t>(image.Stride()));
            next += image.Stride();
        });
    if (!decoded) return false;
    out = std::move(image);
    return true;
}
