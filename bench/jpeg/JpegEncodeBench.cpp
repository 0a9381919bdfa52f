// Encode time and memory of one captured 640 x 480 frame, beside libjpeg's own cjpeg.
#include "jpeg/CJpegEncoder.h"
#include "jpeg/JpegTables.h"
#include "jpeg/JpegTransform.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// Heap accounting: every operator new of the process, so the encoder's peak is measurable.
namespace {
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
constexpr std::size_t Header = alignof(std::max_align_t);
} // namespace

void* operator new(std::size_t size)
{
    auto* block = static_cast<char*>(std::malloc(size + Header));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t live = liveBytes += size;
    std::size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) { }
    return block + Header;
}

void operator delete(void* pointer) noexcept
{
    if (!pointer)
        return;
    char* block = static_cast<char*>(pointer) - Header;
    liveBytes -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept
{
    operator delete(pointer);
}

namespace {

constexpr int Width = 640;
constexpr int Height = 480;
constexpr int RowBytes = Width * 3;

// A road-scene-like frame: sky gradient, textured verge, road with soft edges.
std::vector<uint8_t> framePixels()
{
    std::vector<uint8_t> pixels(std::size_t(RowBytes) * Height);
    for (int top = 0; top < Height; ++top) {
        uint8_t* row = pixels.data() + std::size_t(Height - 1 - top) * RowBytes;
        for (int x = 0; x < Width; ++x) {
            const double n = 0.5 + 0.25 * std::sin(x * 0.13 + std::sin(top * 0.07) * 3)
                + 0.25 * std::sin(top * 0.21 + std::cos(x * 0.05) * 2);
            double r, g, b;
            if (top < 216) {
                r = 90 + 0.4 * top + 20 * n, g = 140 + 0.3 * top + 20 * n, b = 225;
            } else {
                const double depth = (top - 216) / 264.0;
                const double half = 32 + 256 * depth, dx = std::abs(x - 320.0);
                const double road = std::clamp((half - dx) / 3 + 0.5, 0.0, 1.0);
                r = (70 + 60 * n) * (1 - road) + (90 + 30 * n) * road;
                g = (110 + 70 * n) * (1 - road) + (90 + 30 * n) * road;
                b = (50 + 30 * n) * (1 - road) + (95 + 30 * n) * road;
            }
            row[3 * x] = uint8_t(std::clamp(b, 0.0, 255.0));
            row[3 * x + 1] = uint8_t(std::clamp(g, 0.0, 255.0));
            row[3 * x + 2] = uint8_t(std::clamp(r, 0.0, 255.0));
        }
    }
    return pixels;
}

const CJpegEncoder::Description frameDescription
    = {40, Width, Height, 1 | 24 << 16, 0, RowBytes* Height, 0, 0, 0, 0, 0};

std::string scratch(const char* name)
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/zyn_jpeg_bench_XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    return dir + "/" + name;
}

const std::string& frameBmp()
{
    static const std::string path = [] {
        const std::string file = scratch("frame.bmp");
        const std::vector<uint8_t> pixels = framePixels();
        uint8_t header[54] = {'B', 'M'};
        const auto put32 = [&](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                header[at + i] = uint8_t(v >> (8 * i));
        };
        put32(2, 54 + uint32_t(pixels.size()));
        put32(10, 54);
        for (int i = 0; i < 10; ++i)
            put32(14 + 4 * i, frameDescription[i]);
        FILE* out = std::fopen(file.c_str(), "wb");
        if (out) {
            std::fwrite(header, 1, sizeof header, out);
            std::fwrite(pixels.data(), 1, pixels.size(), out);
            std::fclose(out);
        }
        return file;
    }();
    return path;
}

long fileSize(const std::string& path)
{
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return -1;
    std::fseek(in, 0, SEEK_END);
    const long size = std::ftell(in);
    std::fclose(in);
    return size;
}

// Runs a command to completion; the processor time it used in ms, or -1 when it failed.
double runCommand(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Peak resident set of a command in kB, through GNU time: a child spawned from this process
// would report this process's own peak, which its rusage inherits across exec.
double peakResidentKb(const std::vector<std::string>& command)
{
    const std::string report = scratch("rss.txt");
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
    timed.insert(timed.end(), command.begin(), command.end());
    if (runCommand(timed) < 0)
        return -1;
    FILE* in = std::fopen(report.c_str(), "r");
    double kb = -1;
    if (in) {
        if (std::fscanf(in, "%lf", &kb) != 1)
            kb = -1;
        std::fclose(in);
    }
    return kb;
}

void BM_CJpegEncoder_Frame(benchmark::State& state)
{
    const std::vector<uint8_t> pixels = framePixels();
    const std::string out = scratch("ours.jpg");
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = liveBytes;
        peakBytes = before;
        CJpegEncoder encoder;
        encoder.setImage(frameDescription, pixels.data(), qsizetype(pixels.size()));
        if (encoder.writeJpeg(out.c_str()) != 1)
            state.SkipWithError("writeJpeg failed");
        peak = std::max(peak, peakBytes - before);
    }
    state.counters["peak_heap_kB"] = double(peak) / 1024;
    state.counters["file_bytes"] = double(fileSize(out));
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    state.counters["process_maxrss_kB"] = double(self.ru_maxrss);
}
BENCHMARK(BM_CJpegEncoder_Frame)->Unit(benchmark::kMillisecond);

// The prescribed direct transform alone, over the 3 x 4800 blocks of a frame.
void BM_DirectTransformOnly(benchmark::State& state)
{
    std::vector<float> plane(64 * 64);
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane[i] = float(int(i * 37 % 255) - 128);
    int16_t out[64];
    for (auto _ : state) {
        for (int block = 0; block < 3 * 4800; ++block) {
            jpeg::transformBlock(plane.data() + (block % 64) / 8 * 512 + block % 8 * 8, 64,
                jpeg::quantTables[0].data(), out);
            benchmark::DoNotOptimize(out);
        }
    }
}
BENCHMARK(BM_DirectTransformOnly)->Unit(benchmark::kMillisecond);

void BM_ColourConversionOnly(benchmark::State& state)
{
    const std::vector<uint8_t> pixels = framePixels();
    std::vector<float> strip(Width * 8 * 3);
    for (auto _ : state) {
        for (int top = 0; top < Height; top += 8)
            jpeg::convertStrip(pixels.data() + std::size_t(Height - 1 - top) * RowBytes, -RowBytes,
                Width, 8, Width, strip.data(), strip.data() + Width * 8, strip.data() + Width * 16);
        benchmark::DoNotOptimize(strip.data());
    }
}
BENCHMARK(BM_ColourConversionOnly)->Unit(benchmark::kMillisecond);

// Whole commands, process start included, on the same BMP file.
void runProcessBench(benchmark::State& state, std::vector<std::string> command, const char* out)
{
    double cpu = 0;
    for (auto _ : state) {
        const double used = runCommand(command);
        if (used < 0)
            state.SkipWithError("command failed");
        cpu += used;
    }
    state.counters["child_cpu_ms"] = cpu / double(state.iterations());
    state.counters["peak_rss_kB"] = peakResidentKb(command);
    state.counters["file_bytes"] = double(fileSize(scratch(out)));
}

void BM_ZynJpegEncCommand(benchmark::State& state)
{
    runProcessBench(state, {ZYN_JPEGENC, frameBmp(), scratch("zyn.jpg")}, "zyn.jpg");
}
BENCHMARK(BM_ZynJpegEncCommand)->Unit(benchmark::kMillisecond);

// cjpeg at the same settings: quality 50 is table K.1/K.2 unscaled, 1x1 sampling as ours.
void BM_CjpegCommand(benchmark::State& state)
{
    runProcessBench(state,
        {"cjpeg", "-quality", "50", "-sample", "1x1", "-dct", "int", "-outfile",
            scratch("cjpeg.jpg"), frameBmp()},
        "cjpeg.jpg");
}
BENCHMARK(BM_CjpegCommand)->Unit(benchmark::kMillisecond);

void BM_CjpegCommandFloatDct(benchmark::State& state)
{
    runProcessBench(state,
        {"cjpeg", "-quality", "50", "-sample", "1x1", "-dct", "float", "-outfile",
            scratch("cjpeg_float.jpg"), frameBmp()},
        "cjpeg_float.jpg");
}
BENCHMARK(BM_CjpegCommandFloatDct)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
