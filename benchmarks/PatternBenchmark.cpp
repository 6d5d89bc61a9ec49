// What a user waits for when a pattern test starts: the first paint of a new
// full-screen pattern window, beside the two costs it cannot go below, a
// plain fill of the same size and the bare drawPoints of a point list that
// is already built. Also the memory a mesh paint needs on top of what exists.
// Under Qt's scaling (QT_SCALE_FACTOR=1.5) the windows paint the same device
// pixels into a surface of that scale, as into their backing store. The
// surface variants paint a new window's first frame into fresh shared memory
// of the device size, as on a fractionally scaled Wayland output.

#include "AllocationCounter.h"
#include "widgets/DisplayColorTransitionWindow.h"
#include "widgets/DisplayMemeWindow.h"
#include "widgets/DisplayMeshWindow.h"
#include "widgets/DisplayPurityWindow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {
const QSize FullHd(1920, 1080);
const QSize UltraHd(3840, 2160);

QSize sizeOf(const benchmark::State& state)
{
    return state.range(0) == 0 ? FullHd : UltraHd;
}

// The surface a paint lands on, allocated and touched before timing starts,
// like a window's backing store.
QImage warmSurface(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return image;
}

// A new window each time; only its first paint is timed.
template <typename Window> void firstPaint(benchmark::State& state, uint32_t mode)
{
    const QSize size = sizeOf(state);
    QImage surface = warmSurface(size);
    for (auto _ : state) {
        state.PauseTiming();
        {
            Window window(nullptr, nullptr, 0, 0, size.width(), size.height(), mode, nullptr, 60);
            surface.setDevicePixelRatio(window.devicePixelRatioF());
            state.ResumeTiming();
            window.render(&surface);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

// A buffer of the device size in shared memory, mapped as the compositor
// maps it: what a test window's device-pixel surface paints into.
class SharedFrame
{
public:
    explicit SharedFrame(QSize size) : m_bytes(size_t(size.width()) * size_t(size.height()) * 4)
    {
        m_fd = memfd_create("device-pixels", MFD_CLOEXEC);
        if (m_fd >= 0 && ftruncate(m_fd, off_t(m_bytes)) == 0)
            m_data = mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
        if (m_data != MAP_FAILED)
            image = QImage(static_cast<uchar*>(m_data), size.width(), size.height(),
                           size.width() * 4, QImage::Format_RGB32);
    }
    ~SharedFrame()
    {
        image = QImage();
        if (m_data != MAP_FAILED)
            munmap(m_data, m_bytes);
        if (m_fd >= 0)
            close(m_fd);
    }
    QImage image;

private:
    size_t m_bytes;
    int m_fd = -1;
    void* m_data = MAP_FAILED;
};

// A new window's first frame through its device-pixel surface (Wayland at a
// fractional scale): the pattern painted at the device size into shared
// memory allocated and touched before timing starts, as the baseline's
// backing store is.
template <typename Window> void surfaceFirstPaint(benchmark::State& state, uint32_t mode)
{
    const QSize size = sizeOf(state);
    SharedFrame frame(size);
    if (frame.image.isNull()) {
        state.SkipWithError("no shared memory");
        return;
    }
    frame.image.fill(Qt::gray);
    for (auto _ : state) {
        state.PauseTiming();
        {
            Window window(nullptr, nullptr, 0, 0, size.width(), size.height(), mode, nullptr, 60);
            state.ResumeTiming();
            window.render(&frame.image);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

// What a window's first frame adds when its buffer is new: the shared memory
// of the device size, mapped and filled once.
void newSharedFrame(benchmark::State& state)
{
    const QSize size = sizeOf(state);
    for (auto _ : state) {
        SharedFrame frame(size);
        frame.image.fill(Qt::black);
    }
}

void plainFill(benchmark::State& state)
{
    QImage surface = warmSurface(sizeOf(state));
    for (auto _ : state) {
        QPainter painter(&surface);
        painter.fillRect(surface.rect(), QColor(Qt::red));
    }
}

QPolygon meshPoints(QSize size, int firstRow)
{
    QPolygon points;
    for (int y = firstRow; y < size.height(); ++y)
        for (int x = y % 2; x < size.width(); x += 2)
            points << QPoint(x, y);
    return points;
}

QPolygon sharpnessPoints(QSize size)
{
    QPolygon points;
    const QPoint* tile = DisplayMemeWindow::tile();
    for (int x = 0; x < size.width(); x += DisplayMemeWindow::TileSize)
        for (int y = 0; y < size.height(); y += DisplayMemeWindow::TileSize)
            for (int i = 0; i < DisplayMemeWindow::TileDots; ++i)
                points << tile[i] + QPoint(x, y);
    return points;
}

void bareDrawPoints(benchmark::State& state, const QPolygon& points, Qt::GlobalColor pen)
{
    QImage surface = warmSurface(sizeOf(state));
    for (auto _ : state) {
        QPainter painter(&surface);
        painter.setPen(pen);
        painter.drawPoints(points);
    }
    state.counters["points"] = points.size();
}

// Peak memory of one mesh paint above what was in use before it, against the
// size of the point list it builds.
void meshPaintMemory(benchmark::State& state, uint32_t mode)
{
    const QSize size = sizeOf(state);
    QImage surface = warmSurface(size);
    const double listBytes = double(meshPoints(size, mode == 1 ? 1 : 0).size()) * sizeof(QPoint);
    double heapExtra = 0;
    for (auto _ : state) {
        DisplayMeshWindow window(nullptr, nullptr, 0, 0, size.width(), size.height(), mode, nullptr,
                                 60);
        surface.setDevicePixelRatio(window.devicePixelRatioF());
        AllocationCounter::resetPeak();
        const std::ptrdiff_t before = AllocationCounter::current();
        window.render(&surface);
        heapExtra = std::max(heapExtra, double(AllocationCounter::peak() - before));
    }
    state.counters["list_MiB"] = listBytes / (1 << 20);
    if (AllocationCounter::available()) {
        state.counters["heap_peak_extra_MiB"] = heapExtra / (1 << 20);
        state.counters["heap_ratio"] = heapExtra / listBytes;
    }
}

benchmark::internal::Benchmark* sizes(benchmark::internal::Benchmark* benchmark)
{
    return benchmark->ArgName("uhd")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
}

// Other work on the machine disturbs single runs; medians of several hold.
void timed(benchmark::internal::Benchmark* benchmark)
{
    sizes(benchmark)->MinTime(0.2)->Repetitions(7)->ReportAggregatesOnly(true);
}

void registerAll()
{
    using benchmark::RegisterBenchmark;
    // Arg 0 is 1920x1080, arg 1 is 3840x2160.
    timed(RegisterBenchmark("PlainFill", plainFill));
    timed(RegisterBenchmark("FirstPaint/Purity",
                            [](benchmark::State& s) { firstPaint<DisplayPurityWindow>(s, 2); }));
    timed(RegisterBenchmark("FirstPaint/ColorTransition", [](benchmark::State& s) {
        firstPaint<DisplayColorTransitionWindow>(s, 0xFFFFFFFF);
    }));
    timed(RegisterBenchmark("FirstPaint/Mesh",
                            [](benchmark::State& s) { firstPaint<DisplayMeshWindow>(s, 0); }));
    timed(RegisterBenchmark("FirstPaint/InvertedMesh",
                            [](benchmark::State& s) { firstPaint<DisplayMeshWindow>(s, 1); }));
    timed(RegisterBenchmark("FirstPaint/Sharpness", [](benchmark::State& s) {
        firstPaint<DisplayMemeWindow>(s, 0xFFFFFFFF);
    }));
    timed(RegisterBenchmark("NewSharedFrame", newSharedFrame));
    timed(RegisterBenchmark("SurfaceFirstPaint/Purity", [](benchmark::State& s) {
        surfaceFirstPaint<DisplayPurityWindow>(s, 2);
    }));
    timed(RegisterBenchmark("SurfaceFirstPaint/ColorTransition", [](benchmark::State& s) {
        surfaceFirstPaint<DisplayColorTransitionWindow>(s, 0xFFFFFFFF);
    }));
    timed(RegisterBenchmark("SurfaceFirstPaint/Mesh", [](benchmark::State& s) {
        surfaceFirstPaint<DisplayMeshWindow>(s, 0);
    }));
    timed(RegisterBenchmark("SurfaceFirstPaint/InvertedMesh", [](benchmark::State& s) {
        surfaceFirstPaint<DisplayMeshWindow>(s, 1);
    }));
    timed(RegisterBenchmark("SurfaceFirstPaint/Sharpness", [](benchmark::State& s) {
        surfaceFirstPaint<DisplayMemeWindow>(s, 0xFFFFFFFF);
    }));
    timed(RegisterBenchmark("BareDrawPoints/Mesh", [](benchmark::State& s) {
        bareDrawPoints(s, meshPoints(sizeOf(s), 0), Qt::white);
    }));
    timed(RegisterBenchmark("BareDrawPoints/InvertedMesh", [](benchmark::State& s) {
        bareDrawPoints(s, meshPoints(sizeOf(s), 1), Qt::white);
    }));
    timed(RegisterBenchmark("BareDrawPoints/Sharpness", [](benchmark::State& s) {
        bareDrawPoints(s, sharpnessPoints(sizeOf(s)), Qt::black);
    }));
    sizes(RegisterBenchmark("PaintMemory/Mesh", [](benchmark::State& s) {
              meshPaintMemory(s, 0);
          })->Iterations(5));
    sizes(RegisterBenchmark("PaintMemory/InvertedMesh", [](benchmark::State& s) {
              meshPaintMemory(s, 1);
          })->Iterations(5));
}

// Prints the runs as usual and, at the end, each first paint against the
// cost it is held to. The ratios use CPU time: on a shared machine the wall
// clock also counts the time other processes hold the cores.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                m_milliseconds[run.run_name.function_name + "/" + run.run_name.args] = {
                    run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-24s %-10s %14s %14s %8s %8s\n", "first paint", "size", "paint ms cpu",
                    "base ms cpu", "ratio", "target");
        for (const char* path : {"FirstPaint/", "SurfaceFirstPaint/"})
            for (const char* size : {"uhd:0", "uhd:1"}) {
                compare(path, "Purity", "PlainFill", size, 3.0);
                compare(path, "ColorTransition", "PlainFill", size, 3.0);
                compare(path, "Mesh", "BareDrawPoints/Mesh", size, 1.3);
                compare(path, "InvertedMesh", "BareDrawPoints/InvertedMesh", size, 1.3);
                compare(path, "Sharpness", "BareDrawPoints/Sharpness", size, 1.3);
            }
    }

private:
    void compare(const std::string& path, const std::string& pattern, const std::string& base,
                 const std::string& size, double target)
    {
        const std::string suffix = "/" + size;
        const auto paint = m_milliseconds.find(path + pattern + suffix);
        const auto reference = m_milliseconds.find(base + suffix);
        if (paint == m_milliseconds.end() || reference == m_milliseconds.end())
            return;
        const double ratio = paint->second.cpu / reference->second.cpu;
        std::printf("%-24s %-10s %14.3f %14.3f %8.2f %7.1fx %s\n",
                    (path == "FirstPaint/" ? pattern : "surface " + pattern).c_str(),
                    size == "uhd:0" ? "1920x1080" : "3840x2160", paint->second.cpu,
                    reference->second.cpu, ratio, target, ratio <= target ? "met" : "MISSED");
    }

    struct Times
    {
        double real;
        double cpu;
    };
    std::map<std::string, Times> m_milliseconds;
};
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
