// The JPEG decompression driver and its error layer.
#include "imaging/jpeg_reader.h"

#include "imaging/jpeg_endpoints.h"
#include "imaging/jpeg_exception.h"
#include "imaging/load_progress.h"
#include "platform/file.h"
#include "platform/memory_budget.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Where the decoding stands, for judging warnings: reading the markers before the image data,
// decoding it, or reading what follows its last row.
enum class Phase { header, decoding, finishing };

// The error manager libjpeg sees (pub), with the way back to the driver.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    const char* customText; // replaces the formatted message of the next fatal error
    int errorCode;
    char errorMessage[JMSG_LENGTH_MAX];
    Phase phase;
    bool dataEnded;   // the file ended before its end marker (a fake one was supplied)
    long memoryBound; // libjpeg's max_memory_to_use as bounded here
};

// Everything a decompression needs that libjpeg may jump over: plain data only.
struct DecompressState
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool created;
    bool destroyed;
};

struct RunContext
{
    COXJPEGReader* reader;
    COXJPEGSource* source;
    COXImageFileBase* destination;
    DecompressState* state;
};

COXJPEGCoderBase* CoderOf(j_common_ptr cinfo)
{
    return static_cast<COXJPEGCoderBase*>(cinfo->client_data);
}

ErrorManager* ManagerOf(j_common_ptr cinfo)
{
    return reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void JumpBack(j_common_ptr cinfo)
{
    std::longjmp(ManagerOf(cinfo)->jump, 1);
}

// The entry points installed into libjpeg forward to the coder that runs the state.
void ErrorExitEntry(j_common_ptr cinfo)
{
    if (COXJPEGCoderBase* coder = CoderOf(cinfo))
        coder->ErrorExit(cinfo);
    // An override that returns must not let libjpeg carry on.
    JumpBack(cinfo);
}

void OutputMessageEntry(j_common_ptr cinfo)
{
    if (COXJPEGCoderBase* coder = CoderOf(cinfo))
        coder->OutputMessage(cinfo);
}

void EmitMessageEntry(j_common_ptr cinfo, int level)
{
    if (COXJPEGCoderBase* coder = CoderOf(cinfo))
        coder->EmitMessage(cinfo, level);
}

void FormatMessageEntry(j_common_ptr cinfo, char* buffer)
{
    if (COXJPEGCoderBase* coder = CoderOf(cinfo))
        coder->FormatMessage(cinfo, buffer);
    else
        buffer[0] = '\0';
}

void ResetErrorMgrEntry(j_common_ptr cinfo)
{
    if (COXJPEGCoderBase* coder = CoderOf(cinfo))
        coder->ResetErrorMgr(cinfo);
}

// libjpeg's own message formatting, taken from a standard error manager.
void StandardFormat(j_common_ptr cinfo, char* buffer)
{
    static const auto format = [] {
        jpeg_error_mgr standard;
        return jpeg_std_error(&standard)->format_message;
    }();
    format(cinfo, buffer);
}

// Whether the warning libjpeg has just given leaves every pixel intact.
bool IsHarmlessWarning(j_decompress_ptr cinfo)
{
    ErrorManager* manager = ManagerOf(reinterpret_cast<j_common_ptr>(cinfo));
    switch (cinfo->err->msg_code) {
    case JWRN_JFIF_MAJOR: // an unknown JFIF version: only a number in a marker
        return true;
    case JWRN_EXTRANEOUS_DATA:
        // Stray bytes between markers outside the image data, or behind the last scan (before
        // the end marker, or the end of the file), as a sequential file's last row may have.
        return manager->phase != Phase::decoding || cinfo->err->msg_parm.i[1] == JPEG_EOI;
    case JWRN_JPEG_EOF:
        // The file ended and a fake end marker was supplied. libjpeg reads ahead, so this
        // alone proves nothing: when the scan needs more data, the decoder's warning about
        // data cut short follows at once; missing scans are found by CheckScansComplete.
        manager->dataEnded = true;
        return true;
    default:
        return false;
    }
}

// After the input of a file with several scans (read whole by jpeg_start_decompress): when
// the file ended before its end marker, the scans read must complete the image. In a
// progressive file every coefficient must be refined to its last bit; a sequential file must
// have ended with a scan of every component. Otherwise scans are missing: a fatal error.
void CheckScansComplete(j_decompress_ptr cinfo)
{
    if (!ManagerOf(reinterpret_cast<j_common_ptr>(cinfo))->dataEnded)
        return;
    bool complete = cinfo->comps_in_scan == cinfo->num_components;
    if (cinfo->progressive_mode && cinfo->coef_bits) {
        complete = true;
        for (int c = 0; c < cinfo->num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                complete = complete && cinfo->coef_bits[c][k] == 0;
    }
    if (!complete)
        RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), JWRN_JPEG_EOF, nullptr);
}

// Bounds libjpeg's own memory (max_memory_to_use) by what the image budget (measured before
// the destination reserved its memory) leaves beside the outputBytes the destination holds;
// a tighter limit set by the parameters stays.
void BoundLibraryMemory(j_decompress_ptr cinfo, uint64_t budget, uint64_t outputBytes)
{
    const uint64_t left = budget > outputBytes ? budget - outputBytes : 1;
    const long limit = long(std::min<uint64_t>(left, LONG_MAX));
    long& current = cinfo->mem->max_memory_to_use;
    if (current == 0 || limit < current)
        current = limit;
    ManagerOf(reinterpret_cast<j_common_ptr>(cinfo))->memoryBound = current;
}

// Stops files whose number of progressive scans is out of all proportion, and decodings
// that are no longer wanted; tells how far the decoding is. Called before every row and
// every piece of a scan.
void ProgressMonitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor) {
        auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
        auto* reader = static_cast<COXJPEGReader*>(CoderOf(cinfo));
        if (reader && dinfo->input_scan_number > reader->m_nMaxScans)
            RaiseJPEGError(cinfo, JERR_NOTIMPL, "Too many progressive scans");
        if (reader && reader->m_pCancel && reader->m_pCancel->load(std::memory_order_relaxed))
            RaiseJPEGError(cinfo, JERR_NOTIMPL, "Decoding was cancelled");
        if (LoadProgress* progress = reader ? reader->m_pProgress : nullptr) {
            // libjpeg counts passes: reading the scans of a file that has several, then
            // writing the rows.
            const jpeg_progress_mgr& p = *cinfo->progress;
            const uint64_t limit = uint64_t(std::max(p.pass_limit, 1L));
            const uint64_t passes = uint64_t(std::max(p.total_passes, 1));
            progress->SetPermille(uint64_t(p.completed_passes) * limit +
                                      uint64_t(std::max(p.pass_counter, 0L)),
                                  passes * limit);
            progress->SetRows(dinfo->output_scanline, dinfo->output_height);
        }
    }
}

void InstallErrorManager(DecompressState& s, COXJPEGCoderBase* coder)
{
    jpeg_error_mgr& err = s.err.pub;
    jpeg_std_error(&err); // the standard message table and its bounds, no add-on table
    err.error_exit = ErrorExitEntry;
    err.emit_message = EmitMessageEntry;
    err.output_message = OutputMessageEntry;
    err.format_message = FormatMessageEntry;
    err.reset_error_mgr = ResetErrorMgrEntry;
    err.trace_level = 0;
    err.num_warnings = 0;
    err.msg_code = 0;
    err.addon_message_table = nullptr;
    err.first_addon_message = 0;
    err.last_addon_message = 0;
    s.cinfo.err = &err;
    s.cinfo.client_data = coder;
}

// Runs the decoding steps with the error exit's way back in place. Returns false when libjpeg
// ended it with a fatal error (the state is destroyed then).
bool RunGuarded(DecompressState* state, void (*steps)(void*), RunContext* run)
{
    if (setjmp(state->err.jump) != 0)
        return false;
    steps(run);
    return true;
}

void Destroy(DecompressState& s)
{
    if (s.created && !s.destroyed)
        jpeg_destroy_decompress(&s.cinfo);
    s.destroyed = true;
}

std::string Cut(const char* text, size_t length)
{
    return std::string(text, std::min(std::strlen(text), length));
}

} // namespace

bool COXJPEGException::GetErrorMessage(char* buffer, unsigned size) const
{
    if (!buffer || size == 0)
        return true;
    const size_t n = std::min<size_t>(m_strMessage.size(), size - 1);
    std::memcpy(buffer, m_strMessage.data(), n);
    buffer[n] = '\0';
    return true;
}

void RaiseJPEGError(jpeg_common_struct* cinfo, int code, const char* text)
{
    ManagerOf(cinfo)->customText = text;
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(cinfo);
    JumpBack(cinfo);
}

// ---- the error layer

void COXJPEGCoderBase::ErrorExit(jpeg_common_struct* cinfo)
{
    ErrorManager* manager = ManagerOf(cinfo);
    manager->errorCode = cinfo->err->msg_code;
    if (manager->customText) {
        std::snprintf(manager->errorMessage, sizeof manager->errorMessage, "%s",
                      manager->customText);
        cinfo->err->output_message(cinfo);
    } else {
        cinfo->err->output_message(cinfo);
        cinfo->err->format_message(cinfo, manager->errorMessage);
    }
    jpeg_destroy(cinfo);
    JumpBack(cinfo);
}

void COXJPEGCoderBase::OutputMessage(jpeg_common_struct* cinfo)
{
    char buffer[JMSG_LENGTH_MAX];
    const char* custom = ManagerOf(cinfo)->customText;
    if (custom)
        std::snprintf(buffer, sizeof buffer, "%s", custom);
    else
        cinfo->err->format_message(cinfo, buffer);
    try {
        m_strWarnings += buffer;
        m_strWarnings += '\n';
    } catch (...) {
        // Called by libjpeg: nothing may be thrown through it. The text is lost.
    }
}

void COXJPEGReader::EmitMessage(jpeg_common_struct* cinfo, int level)
{
    if (level < 0 && m_bStopAtCorruptData && cinfo->is_decompressor &&
        !IsHarmlessWarning(reinterpret_cast<j_decompress_ptr>(cinfo))) {
        // Data cut short because the file ended is reported as the end of the file.
        const int code = cinfo->err->msg_code == JWRN_HIT_MARKER && ManagerOf(cinfo)->dataEnded
                             ? JWRN_JPEG_EOF
                             : cinfo->err->msg_code;
        RaiseJPEGError(cinfo, code, nullptr);
    }
    COXJPEGCoderBase::EmitMessage(cinfo, level);
}

void COXJPEGCoderBase::EmitMessage(jpeg_common_struct* cinfo, int level)
{
    jpeg_error_mgr* err = cinfo->err;
    if (level < 0) {
        if (err->num_warnings == 0 || err->trace_level >= 3)
            err->output_message(cinfo);
        err->num_warnings++;
    } else if (err->trace_level >= level) {
        err->output_message(cinfo);
    }
}

void COXJPEGCoderBase::FormatMessage(jpeg_common_struct* cinfo, char* buffer)
{
    StandardFormat(cinfo, buffer);
}

void COXJPEGCoderBase::ResetErrorMgr(jpeg_common_struct* cinfo)
{
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
    m_strWarnings.clear();
}

// ---- the driver

void COXJPEGReader::SetDecompressParameters(jpeg_decompress_struct* cinfo, bool)
{
    cinfo->err->trace_level = 0;
    if (m_nColors != 0) {
        cinfo->desired_number_of_colors = m_nColors;
        cinfo->quantize_colors = TRUE;
    }
    switch (m_nDCTMethod) {
    case 1:
        cinfo->dct_method = JDCT_ISLOW;
        break;
    case 2:
        cinfo->dct_method = JDCT_IFAST;
        break;
    case 3:
        cinfo->dct_method = JDCT_FLOAT;
        break;
    }
    switch (m_nDither) {
    case 1:
        cinfo->dither_mode = JDITHER_FS;
        break;
    case 2:
        cinfo->dither_mode = JDITHER_ORDERED;
        break;
    case 3:
        cinfo->dither_mode = JDITHER_NONE;
        break;
    }
    if (m_bFast) {
        cinfo->two_pass_quantize = FALSE;
        cinfo->dither_mode = JDITHER_ORDERED;
        if (!cinfo->quantize_colors)
            cinfo->desired_number_of_colors = 216;
        cinfo->dct_method = JDCT_FASTEST;
        cinfo->do_fancy_upsampling = FALSE;
    }
    if (m_bGrayscale)
        cinfo->out_color_space = JCS_GRAYSCALE;
    if (m_nMaxMemoryKB != 0)
        cinfo->mem->max_memory_to_use = m_nMaxMemoryKB * 1000L;
    if (m_bNoSmoothing)
        cinfo->do_fancy_upsampling = FALSE;
    if (m_bOnePass)
        cinfo->two_pass_quantize = FALSE;
    cinfo->scale_num = 1;
    cinfo->scale_denom = m_nScale == 2 ? 2 : m_nScale == 3 ? 4 : m_nScale == 4 ? 8 : 1;
}

// The decoding steps. libjpeg's error exit may jump out of any of them: this frame holds no
// object with a destructor.
void COXJPEGReader::RunSteps(void* context)
{
    RunContext* run = static_cast<RunContext*>(context);
    DecompressState* s = run->state;
    j_decompress_ptr cinfo = &s->cinfo;

    jpeg_create_decompress(cinfo);
    s->created = true;
    s->progress.progress_monitor = ProgressMonitor;
    cinfo->progress = &s->progress;
    run->reader->SetDecompressParameters(cinfo, false);
    run->source->ReadHeader(cinfo);
    s->err.phase = Phase::decoding;
    // Reading the header reset the parameters: this is the call that counts.
    run->reader->SetDecompressParameters(cinfo, false);
    const uint64_t budget = nv::ImageMemoryBudget();
    run->destination->InitOutput(cinfo, true);
    BoundLibraryMemory(cinfo, budget, run->destination->OutputMemory());
    run->source->StartDecompress(cinfo);
    if (run->reader->m_bStopAtCorruptData)
        CheckScansComplete(cinfo);
    run->destination->StartOutput(cinfo);
    while (cinfo->output_scanline < cinfo->output_height) {
        unsigned height = 0;
        unsigned char** rows = run->destination->RowBuffer(height);
        const unsigned count = run->source->ReadScanlines(cinfo, rows, height);
        if (count == 0)
            RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), JERR_CANT_SUSPEND,
                           "The JPEG decoder delivered no rows");
        run->destination->StoreRows(cinfo, count);
    }
    s->err.phase = Phase::finishing;
    run->destination->FinishOutput(cinfo);
    run->source->FinishDecompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    s->destroyed = true;
}

uint16_t COXJPEGReader::Decompress(COXJPEGSource& source, COXImageFileBase& destination)
{
    try {
        source.OpenFile(nv::File::modeRead);
        destination.OpenFile(nv::File::modeCreate | nv::File::modeWrite);
    } catch (const nv::FileError& e) {
        destination.AbortFile();
        source.AbortFile();
        throw COXJPEGException(int(e.m_cause), Cut(e.what(), 255));
    }

    auto state = std::make_unique<DecompressState>(); // zeroed
    InstallErrorManager(*state, this);
    RunContext run{this, &source, &destination, state.get()};

    // Ends every failed path: the state destroyed, the files closed without a fuss.
    auto fail = [&](int cause, std::string message) {
        Destroy(*state);
        destination.AbortFile();
        source.AbortFile();
        return COXJPEGException(cause, std::move(message));
    };
    bool finished;
    try {
        finished = RunGuarded(state.get(), &COXJPEGReader::RunSteps, &run);
    } catch (const COXJPEGException& e) {
        throw fail(e.m_nCause, e.m_strMessage);
    } catch (const nv::FileError& e) {
        throw fail(int(e.m_cause), Cut(e.what(), 255));
    } catch (const std::bad_alloc&) {
        throw fail(JERR_OUT_OF_MEMORY, "Insufficient memory");
    }
    if (!finished) {
        state->destroyed = true; // by the error exit
        const ErrorManager& err = state->err;
        // libjpeg asks for a backing store when its memory would pass the bound set above.
        if (err.errorCode == JERR_NO_BACKING_STORE && err.memoryBound > 0)
            throw fail(err.errorCode, "the image is too large for this computer's memory: " +
                                          std::to_string(state->cinfo.image_width) + " x " +
                                          std::to_string(state->cinfo.image_height) +
                                          " pixels need more than the " +
                                          std::to_string(err.memoryBound >> 20) +
                                          " MB left for decoding");
        throw fail(err.errorCode, err.errorMessage);
    }

    try {
        destination.CloseFile();
        source.CloseFile();
    } catch (const nv::FileError& e) {
        source.AbortFile();
        throw COXJPEGException(int(e.m_cause), Cut(e.what(), 255));
    }
    return GetWarnings().empty() ? 0 : 2;
}
