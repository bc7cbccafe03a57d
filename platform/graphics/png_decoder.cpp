#include "platform/graphics/png_decoder.h"

#include <png.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "host/core/log.h"
#include "platform/graphics/pixels.h"

namespace mrc::gfx {

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool chunkIs(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

}  // namespace

bool readPngHeader(const uint8_t* data, std::size_t length, PngHeader& header) {
    header = PngHeader{};
    if (!data) return false;
    bool haveIhdr = false;
    std::size_t pos = 8;
    while (pos + 8 <= length) {
        uint32_t size = be32(data + pos);
        const uint8_t* type = data + pos + 4;
        pos += 8;
        if (size > 0x7FFFFFFFu) break;  // not a chunk length
        if (chunkIs(type, "IEND")) {
            header.complete = true;
            break;
        }
        // libpng decodes the first IHDR and refuses any later one, so only the first counts.
        if (chunkIs(type, "IHDR") && !haveIhdr && size >= 13 && pos + 10 <= length) {
            uint32_t w = be32(data + pos), h = be32(data + pos + 4);
            header.width = static_cast<int32_t>(w);
            header.height = static_cast<int32_t>(h);
            header.bitDepth = data[pos + 8];
            header.colorType = data[pos + 9];
            haveIhdr = true;
        } else if (chunkIs(type, "PLTE")) {
            header.paletteSize = static_cast<int32_t>(size / 3);
        } else if (chunkIs(type, "tRNS")) {
            header.hasTransparency = true;
        }
        if (length - pos < std::size_t(size) + 4) break;  // the range ends inside the chunk
        pos += std::size_t(size) + 4;
    }
    return haveIhdr && header.width > 0 && header.height > 0;
}

int32_t pngPixelType(const PngHeader& header) {
    return (header.colorType & PNG_COLOR_MASK_ALPHA) ? kArgb4444 : kRgb565;
}

namespace {

// What one decoding works with; lives outside the function that calls setjmp, so nothing in
// it is lost when libpng jumps back.
struct DecodeState {
    const uint8_t* data;
    std::size_t length;
    std::size_t pos;
    uint16_t* pixels;
    int32_t width, height, pitch, pixelType;
    png_bytep image;   // libpng's rows: one row, or every row of an interlaced image
    char error[160];
};

void readData(png_structp png, png_bytep out, png_size_t n) {
    auto* s = static_cast<DecodeState*>(png_get_io_ptr(png));
    if (n > s->length - s->pos) png_error(png, "data ends before the image");
    std::memcpy(out, s->data + s->pos, n);
    s->pos += n;
}

void onError(png_structp png, png_const_charp message) {
    auto* s = static_cast<DecodeState*>(png_get_error_ptr(png));
    std::snprintf(s->error, sizeof s->error, "%s", message ? message : "libpng error");
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

png_voidp allocate(png_structp, png_alloc_size_t size) { return std::malloc(size); }
void release(png_structp, png_voidp p) { std::free(p); }

// How libpng's rows become stored pixels: 8-bit RGB, RGBA (keyed or ARGB4444), or palette
// indices through a table of stored values.
enum class Layout { Rgb, Keyed, Argb4444, Indexed };

#if defined(__SSE2__)
// Four RGBA pixels to ARGB4444 in the low halves of the 32-bit lanes, sign-extended so that a
// signed pack keeps them exact.
inline __m128i four4444(__m128i p) {
    __m128i r = _mm_and_si128(_mm_slli_epi32(p, 4), _mm_set1_epi32(0x0F00));
    __m128i g = _mm_and_si128(_mm_srli_epi32(p, 8), _mm_set1_epi32(0x00F0));
    __m128i b = _mm_and_si128(_mm_srli_epi32(p, 20), _mm_set1_epi32(0x000F));
    __m128i a = _mm_and_si128(_mm_srli_epi32(p, 16), _mm_set1_epi32(0xF000));
    __m128i v = _mm_or_si128(_mm_or_si128(r, g), _mm_or_si128(b, a));
    return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16);
}
#endif

struct RowConverter {
    Layout layout;
    uint16_t table[256];  // Indexed: the stored value of each palette entry

    void operator()(const uint8_t* in, uint16_t* out, int32_t n) const {
        switch (layout) {
            case Layout::Indexed:
                for (int32_t i = 0; i < n; ++i) out[i] = table[in[i]];
                break;
            case Layout::Keyed:
                for (int32_t i = 0; i < n; ++i, in += 4) {
                    uint16_t c = static_cast<uint16_t>((in[0] & 0xF8) << 8 | (in[1] & 0xFC) << 3 | in[2] >> 3);
                    out[i] = in[3] ? c : kColorKey;
                }
                break;
            case Layout::Argb4444: {
                int32_t i = 0;
#if defined(__SSE2__)
                // Eight pixels a step: in each 32-bit lane R | G << 8 | B << 16 | A << 24 becomes
                // A >> 4 << 12 | R >> 4 << 8 | G >> 4 << 4 | B >> 4.
                for (; i + 8 <= n; i += 8, in += 32) {
                    __m128i lo = four4444(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
                    __m128i hi = four4444(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16)));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(lo, hi));
                }
#endif
                for (; i < n; ++i, in += 4)
                    out[i] = static_cast<uint16_t>((in[3] >> 4) << 12 | (in[0] >> 4) << 8 | (in[1] >> 4) << 4 | in[2] >> 4);
                break;
            }
            case Layout::Rgb:
                for (int32_t i = 0; i < n; ++i, in += 3)
                    out[i] = static_cast<uint16_t>((in[0] & 0xF8) << 8 | (in[1] & 0xFC) << 3 | in[2] >> 3);
                break;
        }
    }
};

// The palette as stored values: entries with no alpha become the colour key when the image is
// keyed; entries past the palette are opaque black, as libpng expands them.
void buildPaletteTable(png_structp png, png_infop info, bool keyed, uint16_t* table) {
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &palette, &count);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p unusedKey = nullptr;
    if (keyed) png_get_tRNS(png, info, &alpha, &alphaCount, &unusedKey);
    for (int i = 0; i < 256; ++i) {
        table[i] = 0;
        if (i < count && palette)
            table[i] = argbToRgb565(uint32_t(palette[i].red) << 16 | palette[i].green << 8 | palette[i].blue);
        if (keyed && alpha && i < alphaCount && alpha[i] == 0) table[i] = kColorKey;
    }
}

// The libpng part. Only plain values live here: a longjmp may leave this frame at any call.
bool runDecoder(png_structp png, png_infop info, DecodeState* s, RowConverter* convert) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, s, readData);
    // libpng allocates rows by the header's size: nothing past the images this device makes.
    png_set_user_limits(png, kMaxImageWidth - 1, uint32_t(kMaxImagePixels));
    png_read_info(png, info);

    uint32_t pngWidth = png_get_image_width(png, info), pngHeight = png_get_image_height(png, info);
    if (int64_t(pngWidth) * pngHeight > kMaxImagePixels) png_error(png, "image larger than any image allowed");
    // The store was sized by the header scan; a file that says otherwise to libpng is refused.
    PngHeader scanned;
    if (!readPngHeader(s->data, s->length, scanned) || uint32_t(scanned.width) != pngWidth ||
        uint32_t(scanned.height) != pngHeight)
        png_error(png, "header sizes disagree");
    int colorType = png_get_color_type(png, info), bitDepth = png_get_bit_depth(png, info);
    bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    Layout layout = transparency ? Layout::Keyed : s->pixelType == kArgb4444 ? Layout::Argb4444 : Layout::Rgb;
    if (colorType == PNG_COLOR_TYPE_PALETTE && layout != Layout::Argb4444) {
        // Indices, one a byte, through the palette's table: no RGBA row at all.
        buildPaletteTable(png, info, transparency, convert->table);
        if (bitDepth < 8) png_set_packing(png);
        layout = Layout::Indexed;
    } else {
        // Everything else to 8-bit RGB(A): low-depth grey and tRNS by expansion, grey to RGB,
        // 16-bit samples by their high byte.
        png_set_expand(png);
        if (bitDepth == 16) png_set_strip_16(png);
        if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
        bool wantAlpha = layout != Layout::Rgb;
        bool haveAlpha = transparency || (colorType & PNG_COLOR_MASK_ALPHA);
        if (wantAlpha && !haveAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        if (!wantAlpha && haveAlpha) png_set_strip_alpha(png);
    }
    convert->layout = layout;
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    png_size_t rowBytes = png_get_rowbytes(png, info);
    png_size_t bytesPerPixel = layout == Layout::Indexed ? 1 : layout == Layout::Rgb ? 3 : 4;
    if (rowBytes != png_size_t(pngWidth) * bytesPerPixel) png_error(png, "unexpected row layout");
    // A plain image goes through one row; an interlaced one keeps every row between passes.
    uint32_t kept = passes > 1 ? pngHeight : 1;
    s->image = static_cast<png_bytep>(std::calloc(kept, rowBytes));
    if (!s->image) png_error(png, "out of memory for the rows");

    // Rows are stored as soon as their last pass is read, so a failure keeps the finished ones.
    int32_t columns = std::min<int64_t>(pngWidth, s->width);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < pngHeight; ++y) {
            png_bytep row = s->image + (kept > 1 ? y * rowBytes : 0);
            png_read_row(png, row, nullptr);
            if (pass == passes - 1 && int64_t(y) < s->height) (*convert)(row, s->pixels + std::ptrdiff_t(y) * s->pitch, columns);
        }
    return true;
}

}  // namespace

bool decodePng(const uint8_t* data, std::size_t length, uint16_t* pixels, int32_t width, int32_t height,
               int32_t pitch, int32_t pixelType) {
    if (!data || !pixels || width <= 0 || height <= 0 || pitch < width) {
        mrc_log("decodePng: no data or no image");
        return false;
    }
    DecodeState state{data, length, 0, pixels, width, height, pitch, pixelType, nullptr, {}};
    RowConverter convert{};
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &state, onError, onWarning, nullptr,
                                               allocate, release);
    if (!png) {
        mrc_log("decodePng: png_create_read_struct failed");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    bool ok = info && runDecoder(png, info, &state, &convert);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::free(state.image);
    if (!ok) mrc_log("decodePng: %s", state.error[0] ? state.error : "no info struct");
    return ok;
}

}  // namespace mrc::gfx
