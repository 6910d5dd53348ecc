// Imaging benchmarks on a 48-megapixel map-like JPEG (8000 x 6000, quality 90) made at run
// time. Each figure is printed as "ratio <name> <value>" against a baseline measured in the
// same run:
//   ReadJPEG against a bare libjpeg decode into bottom-up DIB rows (time), and its peak memory
//   against the DIB size (baseline and progressive files);
//   Read of the 144 MB BMP against a plain fread of its pixels;
//   Rotate by 90 against a memcpy of the same bytes;
//   the whole --save-bmp process against djpeg -bmp (time and peak memory);
//   the thumbnail of the preview pane against ReadJPEG of the same file (time and peak memory
//   above an idle process), for the map, its progressive form and a smoother picture, and
//   libjpeg's bare 1/8 decode against its full one;
//   the peak memory of a load through the viewer's workers (first view, image, reduced
//   levels) against the image and its levels, above an idle process with the same libraries.
// Memory is measured in fresh processes (this program started again with --measure, each
// started from a small launcher, --spawn-measured).
#include "bench/imaging/bench_images.h"
#include "imaging/dib.h"
#include "imaging/dib_bytes.h"
#include "imaging/image_jobs.h"
#include "imaging/thumbnail.h"
#include "platform/file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>

#include <jpeglib.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long PeakKB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void KeepAlive(const void* p)
{
    asm volatile("" : : "g"(p) : "memory");
}

// The baseline: libjpeg decoding straight into the rows of a bottom-up DIB buffer; with
// eighth, at 1/8 of the size through libjpeg's DCT scaling, the least any reduced decode costs.
size_t BareDecode(const std::string& path, bool imageAllocator, bool eighth = false)
{
    FILE* in = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, in);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    if (eighth)
        cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    const size_t rowSize = (size_t(cinfo.output_width) * 3 + 3) & ~size_t(3);
    const size_t bytes = 40 + rowSize * cinfo.output_height;
    auto* dib = static_cast<unsigned char*>(imageAllocator ? nv::AllocateImageMemory(bytes)
                                                           : std::malloc(bytes));
    unsigned char* bits = dib + 40;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = bits + rowSize * (cinfo.output_height - 1 - cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, &row, 1);
        std::memset(row + cinfo.output_width * 3, 0, rowSize - cinfo.output_width * 3);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(in);
    KeepAlive(dib);
    if (imageAllocator)
        nv::FreeImageMemory(dib, bytes);
    else
        std::free(dib);
    return bytes;
}

// Child mode: runs one operation and prints "<seconds> <peak KB> <DIB bytes>".
int Measure(const std::string& what, const std::string& path)
{
    const auto start = Clock::now();
    size_t bytes = 0;
    if (what == "bare") {
        bytes = BareDecode(path, false);
    } else if (what == "bare-eighth") {
        bytes = BareDecode(path, false, true);
    } else if (what == "bare-image-memory") {
        bytes = BareDecode(path, true);
    } else if (what == "readjpeg") {
        COXDIB dib;
        if (!dib.ReadJPEG(path))
            return 1;
        bytes = dib.GetDIB().size();
    } else if (what == "jobs" || what == "qt-idle") {
        // A load as the viewer runs it, until the levels are in; the time is the image's.
        int argc = 1;
        char name[] = "bench_imaging";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        if (what == "jobs") {
            nv::ImageJobs jobs;
            nv::ImageJobs::ImagePtr image;
            double seconds = 0;
            jobs.Load(
                path, [](nv::ImageJobs::ImagePtr, nv::ScrollSize) {},
                [&](nv::ImageJobs::ImagePtr loaded, const std::string&) {
                    seconds = Seconds(start);
                    image = std::move(loaded);
                    if (!image)
                        app.exit(1);
                },
                [&](const nv::ImageJobs::ImagePtr&, nv::ImageJobs::LevelsPtr levels) {
                    bytes = image->Image().GetDIB().size() + levels->BytesUsed();
                    app.quit();
                });
            if (app.exec() != 0)
                return 1;
            std::printf("%.6f %ld %zu\n", seconds, PeakKB(), bytes);
            return 0;
        }
    } else if (what == "thumbnail") {
        Thumbnail thumbnail; // the size of the dialog's pane
        if (!MakeThumbnail(path, 250, 300, thumbnail))
            return 1;
        bytes = thumbnail.pixels.size() * 4;
    } else if (what != "noop") {
        return 2;
    }
    std::printf("%.6f %ld %zu\n", Seconds(start), PeakKB(), bytes);
    return 0;
}

struct Sample
{
    double seconds = 0;
    long peakKB = 0;
    size_t bytes = 0;
};

std::string g_self;

// Launcher mode: runs a program and prints "<wall seconds> <peak KB>" of it. A process started
// by exec inherits the peak memory of the process that ran the exec, so every measured
// program is started from this small launcher, never from the benchmark itself.
int SpawnMeasured(char** argv)
{
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0)
        return 127;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    std::fflush(stdout);
    std::printf("%.6f %ld\n", Seconds(start), usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// Runs a command through the launcher; returns the lines it printed and whether it succeeded.
bool RunLines(const std::vector<std::string>& args, std::vector<std::string>& lines)
{
    std::string command = "'" + g_self + "' --spawn-measured";
    for (const std::string& a : args)
        command += " '" + a + "'";
    lines.clear();
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return false;
    char line[512];
    while (std::fgets(line, sizeof line, p))
        lines.push_back(line);
    return pclose(p) == 0 && !lines.empty();
}

Sample MeasureInChild(const std::string& what, const std::string& path)
{
    std::vector<std::string> lines;
    Sample s;
    if (!RunLines({g_self, "--measure", what, path}, lines) ||
        std::sscanf(lines.front().c_str(), "%lf %ld %zu", &s.seconds, &s.peakKB, &s.bytes) != 3)
        return Sample();
    return s;
}

// The best of kRuns runs of each job ({mode, file}) in fresh processes, the jobs taking turns
// so that a change in the machine's load hits them alike.
std::vector<Sample> BestInChildren(const std::vector<std::pair<std::string, std::string>>& jobs)
{
    std::vector<Sample> best(jobs.size());
    for (int i = 0; i < kRuns; ++i) {
        for (size_t j = 0; j < jobs.size(); ++j) {
            const Sample s = MeasureInChild(jobs[j].first, jobs[j].second);
            if (i == 0 || s.seconds < best[j].seconds)
                best[j].seconds = s.seconds;
            if (i == 0 || s.peakKB < best[j].peakKB)
                best[j].peakKB = s.peakKB;
            best[j].bytes = s.bytes;
        }
    }
    return best;
}

// Runs a program; returns its wall time and peak memory (KB), -1 when it failed.
Sample RunProcess(const std::vector<std::string>& args)
{
    std::vector<std::string> lines;
    Sample s;
    s.peakKB = -1;
    if (RunLines(args, lines) &&
        std::sscanf(lines.back().c_str(), "%lf %ld", &s.seconds, &s.peakKB) != 2)
        s.peakKB = -1;
    return s;
}

// The best time of each function over kRuns rounds, the functions taking turns.
std::vector<double> BestSeconds(const std::vector<std::function<void()>>& jobs)
{
    std::vector<double> best(jobs.size(), 1e30);
    for (int i = 0; i < kRuns; ++i) {
        for (size_t j = 0; j < jobs.size(); ++j) {
            const auto start = Clock::now();
            jobs[j]();
            best[j] = std::min(best[j], Seconds(start));
        }
    }
    return best;
}

void Ratio(const char* name, double value)
{
    std::printf("ratio %s %.3f\n", name, value);
}

} // namespace

int main(int argc, char** argv)
{
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    if (argc == 4 && std::string(argv[1]) == "--measure")
        return Measure(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "--measure")
        return Measure(argv[2], "");
    if (argc >= 3 && std::string(argv[1]) == "--spawn-measured")
        return SpawnMeasured(argv + 2);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("nv-imaging-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string jpeg = (dir / "map.jpg").string();
    const std::string progressive = (dir / "map-progressive.jpg").string();
    const std::string bmp = (dir / "map.bmp").string();
    std::printf("making %d x %d map JPEGs in %s\n", kMapWidth, kMapHeight, dir.c_str());
    const std::string smooth = (dir / "smooth.jpg").string();
    MakeMapJPEG(jpeg, false);
    MakeMapJPEG(progressive, true);
    MakeMapJPEG(smooth, false, false);
    std::printf("baseline JPEG %.1f MB, progressive %.1f MB\n",
                std::filesystem::file_size(jpeg) / 1e6,
                std::filesystem::file_size(progressive) / 1e6);

    // ReadJPEG against the bare decode: time, and peak memory above an idle process.
    const std::vector<Sample> decodes = BestInChildren({{"noop", ""},
                                                        {"qt-idle", ""},
                                                        {"jobs", jpeg},
                                                        {"bare", jpeg},
                                                        {"readjpeg", jpeg},
                                                        {"bare-image-memory", jpeg},
                                                        {"bare", progressive},
                                                        {"readjpeg", progressive},
                                                        {"thumbnail", jpeg},
                                                        {"thumbnail", progressive},
                                                        {"readjpeg", smooth},
                                                        {"thumbnail", smooth},
                                                        {"bare-eighth", jpeg}});
    const Sample &idle = decodes[0], &bare = decodes[3], &ours = decodes[4];
    const Sample &bareSameAllocator = decodes[5], &bareProgressive = decodes[6],
                 &oursProgressive = decodes[7];
    const double dibKB = double(bare.bytes) / 1024;
    std::printf("bare decode %.3f s (into image memory %.3f s), ReadJPEG %.3f s; progressive "
                "%.3f s and %.3f s; DIB %.1f MB\n",
                bare.seconds, bareSameAllocator.seconds, ours.seconds, bareProgressive.seconds,
                oursProgressive.seconds, bare.bytes / 1e6);
    Ratio("readjpeg_time_vs_bare_decode", ours.seconds / bare.seconds);
    // The same bare decode with the image allocator, to tell allocation from decoding.
    Ratio("readjpeg_time_vs_bare_decode_same_allocator", ours.seconds / bareSameAllocator.seconds);
    Ratio("readjpeg_progressive_time_vs_bare_decode",
          oursProgressive.seconds / bareProgressive.seconds);
    Ratio("readjpeg_peak_memory_vs_dib_size", (ours.peakKB - idle.peakKB) / dibKB);
    Ratio("readjpeg_progressive_peak_memory_vs_dib_size",
          (oursProgressive.peakKB - idle.peakKB) / dibKB);
    Ratio("bare_decode_peak_memory_vs_dib_size", (bare.peakKB - idle.peakKB) / dibKB);

    // The preview pane's thumbnail against the full decoding of the same file.
    const Sample &thumb = decodes[8], &thumbProgressive = decodes[9], &smoothFull = decodes[10],
                 &thumbSmooth = decodes[11];
    std::printf("thumbnail %.3f s %ld KB, progressive %.3f s %ld KB; smooth picture (%.1f MB): "
                "ReadJPEG %.3f s, thumbnail %.3f s\n",
                thumb.seconds, thumb.peakKB - idle.peakKB, thumbProgressive.seconds,
                thumbProgressive.peakKB - idle.peakKB, std::filesystem::file_size(smooth) / 1e6,
                smoothFull.seconds, thumbSmooth.seconds);
    auto above = [&idle](const Sample& s) { return double(s.peakKB - idle.peakKB); };
    Ratio("thumbnail_vs_full_decode", thumb.seconds / ours.seconds);
    Ratio("thumbnail_vs_bare_full_decode", thumb.seconds / bare.seconds);
    Ratio("thumbnail_peak_memory_vs_full_decode", above(thumb) / above(ours));
    Ratio("thumbnail_progressive_vs_full_decode",
          thumbProgressive.seconds / oursProgressive.seconds);
    Ratio("thumbnail_progressive_peak_memory_vs_full_decode",
          above(thumbProgressive) / above(oursProgressive));
    Ratio("thumbnail_smooth_vs_full_decode", thumbSmooth.seconds / smoothFull.seconds);
    // libjpeg's own 1/8 decode still reads every coefficient of the file: its share of a full
    // decode is the floor for a thumbnail or first view of a baseline JPEG.
    Ratio("bare_eighth_decode_vs_bare_full_decode", decodes[12].seconds / bare.seconds);

    // A load through the viewer's workers: the image, its first view beside it, the levels.
    const Sample &qtIdle = decodes[1], &jobs = decodes[2];
    std::printf("load through the workers: image in %.3f s; %ld KB above an idle process, for "
                "%.1f MB of image and levels\n",
                jobs.seconds, jobs.peakKB - qtIdle.peakKB, jobs.bytes / 1e6);
    Ratio("load_through_worker_peak_memory_vs_image_and_levels",
          double(jobs.peakKB - qtIdle.peakKB) / (double(jobs.bytes) / 1024));
    Ratio("load_through_worker_time_vs_readjpeg", jobs.seconds / ours.seconds);

    // Read of the BMP against fread of its pixels.
    COXDIB dib;
    if (!dib.ReadJPEG(jpeg)) {
        std::fprintf(stderr, "cannot decode %s\n", jpeg.c_str());
        return 1;
    }
    {
        nv::File file;
        file.OpenOrThrow(bmp, nv::File::modeCreate | nv::File::modeWrite);
        dib.Write(file);
        file.Close();
    }
    const size_t pixelBytes = dib.GetDIB().size() - 40;
    auto freadInto = [&](bool imageMemory) {
        FILE* in = std::fopen(bmp.c_str(), "rb");
        std::fseek(in, 54, SEEK_SET);
        auto* buffer = static_cast<unsigned char*>(imageMemory ? nv::AllocateImageMemory(pixelBytes)
                                                               : std::malloc(pixelBytes));
        if (std::fread(buffer, 1, pixelBytes, in) != pixelBytes)
            std::abort();
        KeepAlive(buffer);
        if (imageMemory)
            nv::FreeImageMemory(buffer, pixelBytes);
        else
            std::free(buffer);
        std::fclose(in);
    };
    const std::vector<double> reads = BestSeconds({
        [&] { freadInto(false); },
        [&] { freadInto(true); },
        [&] {
            nv::File file;
            file.OpenOrThrow(bmp, nv::File::modeRead);
            COXDIB loaded;
            if (!loaded.Read(file))
                std::abort();
        },
    });
    const double fread = reads[0], freadSameAllocator = reads[1], read = reads[2];
    std::printf("BMP of %.1f MB: fread %.3f s (into image memory %.3f s), Read %.3f s\n",
                pixelBytes / 1e6, fread, freadSameAllocator, read);
    Ratio("read_bmp_time_vs_fread", read / fread);
    Ratio("read_bmp_time_vs_fread_same_allocator", read / freadSameAllocator);

    // Rotate by 90 against a memcpy of the same bytes into a new buffer.
    const nv::DIBBytes& block = dib.GetDIB();
    std::vector<unsigned char> used(block.size());
    const std::vector<double> copies = BestSeconds({
        [&] {
            auto* target = static_cast<unsigned char*>(std::malloc(block.size()));
            std::memcpy(target, block.data(), block.size());
            KeepAlive(target);
            std::free(target);
        },
        [&] {
            void* target = nv::AllocateImageMemory(block.size());
            std::memcpy(target, block.data(), block.size());
            KeepAlive(target);
            nv::FreeImageMemory(target, block.size());
        },
        [&] {
            std::memcpy(used.data(), block.data(), block.size());
            KeepAlive(used.data());
        },
        [&] {
            if (!dib.Rotate(90, false, false))
                std::abort();
        },
    });
    const double copy = copies[0], copySameAllocator = copies[1], warmCopy = copies[2],
                 rotate = copies[3];
    std::printf("memcpy %.3f s (into image memory %.3f s, into a used buffer %.3f s), "
                "Rotate 90 %.3f s\n",
                copy, copySameAllocator, warmCopy, rotate);
    Ratio("rotate90_time_vs_memcpy", rotate / copy);
    Ratio("rotate90_time_vs_memcpy_same_allocator", rotate / copySameAllocator);
    Ratio("rotate90_time_vs_memcpy_into_used_buffer", rotate / warmCopy);

    // The whole --save-bmp process against djpeg.
    const std::string driver =
        (std::filesystem::path(g_self).parent_path() / "imaging_save_bmp_driver").string();
    const std::string djpegOut = (dir / "djpeg.bmp").string(),
                      oursOut = (dir / "ours.bmp").string();
    Sample djpeg, save;
    for (int i = 0; i < kRuns; ++i) {
        const Sample d = RunProcess({"djpeg", "-bmp", "-outfile", djpegOut, jpeg});
        const Sample s = RunProcess({driver, jpeg, oursOut});
        if (d.peakKB < 0 || s.peakKB < 0) {
            std::printf("djpeg or %s failed: no process figures\n", driver.c_str());
            djpeg.peakKB = -1;
            break;
        }
        djpeg.seconds = i ? std::min(djpeg.seconds, d.seconds) : d.seconds;
        djpeg.peakKB = i ? std::min(djpeg.peakKB, d.peakKB) : d.peakKB;
        save.seconds = i ? std::min(save.seconds, s.seconds) : s.seconds;
        save.peakKB = i ? std::min(save.peakKB, s.peakKB) : s.peakKB;
    }
    if (djpeg.peakKB > 0) {
        std::printf("djpeg -bmp %.3f s %ld KB; --save-bmp %.3f s %ld KB\n", djpeg.seconds,
                    djpeg.peakKB, save.seconds, save.peakKB);
        Ratio("save_bmp_time_vs_djpeg", save.seconds / djpeg.seconds);
        Ratio("save_bmp_peak_memory_vs_djpeg", double(save.peakKB) / djpeg.peakKB);
        Ratio("bare_decode_time_vs_djpeg", bare.seconds / djpeg.seconds);
    }

    std::filesystem::remove_all(dir);
    return 0;
}
