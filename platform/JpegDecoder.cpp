// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/JpegDecoder.h"

#include "platform/ExifOrientation.h"
#include "platform/PictureFile.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// Decoding costs in proportion to the blocks each scan covers: a progressive
// file may go over the same blocks again and again, scan after scan. This is
// every block of the largest picture the memory budget takes, in full colour,
// gone over 16 times; a photograph's scans go over each block about five
// times (a 50-megapixel one in full colour: 11 million blocks in all).
constexpr long long kMaxBlockScans = 50'000'000;

// The library's progress monitor, counting the blocks each new scan covers.
// It also stops the decoding when asked to from another thread.
struct WorkCounter {
    jpeg_progress_mgr pub;
    int countedScan = 0;
    long long blockScans = 0;
    bool tooMuch = false;
    const std::atomic<bool>* stop = nullptr;
};

// The library reports fatal errors through error_exit, which must not return:
// it jumps back to the step that called into the library.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpBack(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

[[noreturn]] void OnFatalError(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    JumpBack(cinfo);
}

// Warnings about corrupt data are tolerated (the picture still shows), but a
// file that ends before its picture does is damaged: that one fails.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level == -1 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnFatalError(cinfo);
}

void OnProgress(j_common_ptr cinfo)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* counter = reinterpret_cast<WorkCounter*>(cinfo->progress);
    if (counter->stop && counter->stop->load(std::memory_order_relaxed)) {
        counter->tooMuch = true;
        auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(manager->message, sizeof manager->message, "stopped");
        JumpBack(cinfo);
    }
    if (decompress->input_scan_number == counter->countedScan) return;
    counter->countedScan = decompress->input_scan_number;
    for (int i = 0; i < decompress->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
        const jpeg_component_info* component = decompress->cur_comp_info[i];
        if (component)
            counter->blockScans += static_cast<long long>(component->width_in_blocks) * component->height_in_blocks;
    }
    if (counter->blockScans > kMaxBlockScans) {
        counter->tooMuch = true;
        auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(manager->message, sizeof manager->message, "its scans go over more blocks than any photograph");
        JumpBack(cinfo);
    }
}

// The orientation a camera wrote into the Exif block; 1 when there is none.
int ReadExifOrientation(const jpeg_decompress_struct& cinfo)
{
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 14) continue;
        if (std::memcmp(marker->data, "Exif\0\0", 6) != 0) continue;
        int orientation = ExifOrientation::FromExif(marker->data, marker->data_length);
        if (orientation != 1) return orientation;
    }
    return 1;
}

bool SwapsSides(int orientation) { return ExifOrientation::SwapsSides(orientation); }

// CMYK as Photoshop writes it (with its Adobe marker) is stored inverted.
Colour CmykToColour(const JOCTET* cmyk, bool inverted)
{
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return MakeColour(c * k / 255, m * k / 255, y * k / 255);
}

// Decoded rows [fromRow, toRow), four bytes a pixel, made colours in place.
void DecodedRowsToColours(Surface& raw, int fromRow, int toRow, bool cmyk, bool inverted)
{
    for (int y = fromRow; y < toRow; ++y) {
        Colour* row = raw.Row(y);
        for (int x = 0; x < raw.Width(); ++x) {
            if (cmyk)
                row[x] = CmykToColour(reinterpret_cast<const JOCTET*>(row + x), inverted);
            else
                row[x] &= 0xFFFFFF;  // the filler byte comes as 0xFF; a colour's top byte is 0
        }
    }
}

}  // namespace

struct JpegDecoder::State {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    WorkCounter progress{};
    bool created = false;
    bool headerRead = false;   // the size is known
    bool readyToDecode = false; // and the picture has not been decoded yet
    int orientation = 1;
    long long maxPixels = kMaxPixels;
    RowWatcher watcher;
    std::vector<unsigned char> bytes;
    std::string message;

    // Runs one step that calls into the library. Only plain data may live in
    // `step`: a fatal error jumps straight back here.
    template <class Step>
    bool Guarded(Step&& step)
    {
        errors.message[0] = '\0';
        if (setjmp(errors.jump)) {
            message = errors.message[0] ? errors.message : "damaged file";
            return false;
        }
        step();
        return true;
    }

    bool Fail(const char* why)
    {
        message = why;
        return false;
    }

    bool IsCmyk() const { return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK; }
};

JpegDecoder::JpegDecoder() : state(std::make_unique<State>()) {}

JpegDecoder::~JpegDecoder() { Free(); }

bool JpegDecoder::Init()
{
    Free();
    State& s = *state;
    s.cinfo.err = jpeg_std_error(&s.errors.pub);
    s.errors.pub.error_exit = OnFatalError;
    s.errors.pub.emit_message = OnMessage;
    const std::atomic<bool>* stop = s.progress.stop;
    s.progress = WorkCounter{};
    s.progress.pub.progress_monitor = OnProgress;
    s.progress.stop = stop;
    if (!s.Guarded([&s] { jpeg_create_decompress(&s.cinfo); })) return false;
    s.created = true;
    // The library's own bound: whatever a header claims, it allocates no more.
    s.cinfo.mem->max_memory_to_use = static_cast<long>(kMemoryBudget);
    s.cinfo.progress = &s.progress.pub;
    return true;
}

bool JpegDecoder::ReadHeader(const char* path)
{
    if (!state->created) return state->Fail("not initialised");
    // Read safely: only a regular file, without waiting on a pipe, and not
    // beyond the largest picture file there is.
    std::vector<unsigned char> bytes;
    long long size = 0;
    std::string detail;
    if (!path || PictureFile::Read(path, bytes, size, detail) != PictureFile::Outcome::Read) {
        return state->Fail(detail.empty() ? "can't open the file" : detail.c_str());
    }
    state->bytes = std::move(bytes);
    return ReadHeaderFromMemory(state->bytes.data(), state->bytes.size());
}

bool JpegDecoder::ReadHeaderFromMemory(const void* data, std::size_t size)
{
    State& s = *state;
    if (!s.created) return s.Fail("not initialised");
    s.headerRead = false;
    s.readyToDecode = false;
    s.orientation = 1;
    if (!data || size == 0) return s.Fail("empty file");
    const auto* bytes = static_cast<const unsigned char*>(data);
    auto length = static_cast<unsigned long>(size);
    bool read = s.Guarded([&s, bytes, length] {
        jpeg_abort_decompress(&s.cinfo);
        jpeg_mem_src(&s.cinfo, bytes, length);
        jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_read_header(&s.cinfo, TRUE);
        s.cinfo.out_color_space = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK
                                      ? JCS_CMYK
                                      : JCS_EXT_RGBX;
        jpeg_calc_output_dimensions(&s.cinfo);
    });
    if (!read) return false;
    s.orientation = ReadExifOrientation(s.cinfo);
    s.headerRead = true;
    s.readyToDecode = true;
    return true;
}

int JpegDecoder::Width() const
{
    if (!state->headerRead) return 0;
    return static_cast<int>(SwapsSides(state->orientation) ? state->cinfo.image_height : state->cinfo.image_width);
}

int JpegDecoder::Height() const
{
    if (!state->headerRead) return 0;
    return static_cast<int>(SwapsSides(state->orientation) ? state->cinfo.image_width : state->cinfo.image_height);
}

void JpegDecoder::ScaleToAtLeast(int minWidth, int minHeight)
{
    State& s = *state;
    if (!s.readyToDecode) return;
    if (SwapsSides(s.orientation)) std::swap(minWidth, minHeight);
    s.Guarded([&s, minWidth, minHeight] {
        for (unsigned eighths = 1; eighths <= 8; ++eighths) {
            s.cinfo.scale_num = eighths;
            s.cinfo.scale_denom = 8;
            jpeg_calc_output_dimensions(&s.cinfo);
            if (static_cast<long long>(s.cinfo.output_width) >= minWidth &&
                static_cast<long long>(s.cinfo.output_height) >= minHeight)
                break;
        }
    });
}

long long JpegDecoder::MemoryNeeded() const
{
    const State& s = *state;
    if (!s.headerRead) return 0;
    const auto& c = s.cinfo;
    // The whole picture at four bytes a pixel, however far it is reduced.
    long long bytes = static_cast<long long>(c.image_width) * c.image_height * 4;
    // A progressive picture keeps every coefficient of the whole source until
    // its last scan: 64 of two bytes for each block of 8 x 8 samples.
    if (c.progressive_mode || c.buffered_image) {
        for (int i = 0; i < c.num_components; ++i) {
            const jpeg_component_info& component = c.comp_info[i];
            auto roundUp = [](long long value, long long step) { return step > 0 ? (value + step - 1) / step * step : value; };
            bytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
                     roundUp(component.height_in_blocks, component.v_samp_factor) * static_cast<long long>(sizeof(JBLOCK));
        }
    }
    return bytes;
}

bool JpegDecoder::IsProgressive() const { return state->headerRead && state->cinfo.progressive_mode; }

int JpegDecoder::OutputWidth() const
{
    if (!state->headerRead) return 0;
    const auto& c = state->cinfo;
    return static_cast<int>(SwapsSides(state->orientation) ? c.output_height : c.output_width);
}

int JpegDecoder::OutputHeight() const
{
    if (!state->headerRead) return 0;
    const auto& c = state->cinfo;
    return static_cast<int>(SwapsSides(state->orientation) ? c.output_width : c.output_height);
}

void JpegDecoder::SetMaxPixels(long long maxPixels) { state->maxPixels = maxPixels; }

void JpegDecoder::WatchRows(RowWatcher watcher) { state->watcher = std::move(watcher); }

bool JpegDecoder::ReadImage(Surface& out)
{
    State& s = *state;
    if (!s.readyToDecode) return s.Fail("no header read");
    const long long width = s.cinfo.output_width, height = s.cinfo.output_height;
    if (width <= 0 || height <= 0) return s.Fail("empty picture");
    if (width * height > s.maxPixels) return s.Fail("picture too large");
    if (MemoryNeeded() > kMemoryBudget) return s.Fail("picture needs more memory than allowed");

    // Each decoded row lands straight in a surface row: four bytes a pixel,
    // red, green, blue and a filler byte, or cyan, magenta, yellow and black.
    // Every row is written before it is read: an unfinished decode's rows are never used.
    Surface raw = Surface::Unfilled(static_cast<int>(width), static_cast<int>(height));
    const bool cmyk = s.IsCmyk();
    bool decoded = s.Guarded([&s, &raw] {
        jpeg_start_decompress(&s.cinfo);
        if (s.cinfo.output_components != 4 || s.cinfo.output_width != static_cast<JDIMENSION>(raw.Width()) ||
            s.cinfo.output_height != static_cast<JDIMENSION>(raw.Height()))
            ERREXIT(&s.cinfo, JERR_BAD_STATE);
    });
    // A few rows at a time, each run made colours while it is fresh in the
    // cache and, when nothing turns the picture afterwards, shown to the watcher.
    constexpr JDIMENSION kRowsAtOnce = 16;
    bool shown = false;
    while (decoded && s.cinfo.output_scanline < s.cinfo.output_height) {
        const JDIMENSION first = s.cinfo.output_scanline;
        const JDIMENSION last = std::min<JDIMENSION>(s.cinfo.output_height, first + kRowsAtOnce);
        decoded = s.Guarded([&s, &raw, last] {
            // Several rows a call: one at a time, the library upsamples
            // into a row of its own and copies it out.
            JSAMPROW rows[kRowsAtOnce];
            while (s.cinfo.output_scanline < last) {
                const JDIMENSION from = s.cinfo.output_scanline;
                for (JDIMENSION y = from; y < last; ++y)
                    rows[y - from] = reinterpret_cast<JSAMPROW>(raw.Row(static_cast<int>(y)));
                jpeg_read_scanlines(&s.cinfo, rows, last - from);
            }
        });
        if (!decoded) break;
        DecodedRowsToColours(raw, static_cast<int>(first), static_cast<int>(last), cmyk, s.cinfo.saw_Adobe_marker);
        if (s.watcher && s.orientation == 1) {
            s.watcher(raw, static_cast<int>(last));
            shown = true;
        }
    }
    if (decoded) decoded = s.Guarded([&s] { jpeg_finish_decompress(&s.cinfo); });
    s.readyToDecode = false;
    if (!decoded) {
        // The rows shown go with `raw`: whoever reads them stops first.
        if (shown) s.watcher(raw, 0);
        return false;
    }

    if (s.orientation == 1)
        out = std::move(raw);
    else
        ExifOrientation::Apply(raw, s.orientation, out);
    return true;
}

void JpegDecoder::Free()
{
    State& s = *state;
    if (s.created) jpeg_destroy_decompress(&s.cinfo);
    s.created = false;
    s.headerRead = false;
    s.readyToDecode = false;
    s.orientation = 1;
    s.bytes.clear();
    s.bytes.shrink_to_fit();
}

const std::string& JpegDecoder::ErrorMessage() const { return state->message; }

bool JpegDecoder::TooMuchWork() const { return state->progress.tooMuch; }

void JpegDecoder::SetStop(const std::atomic<bool>* stop) { state->progress.stop = stop; }
