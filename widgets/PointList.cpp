#include "widgets/PointList.h"

#include <limits>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
#ifdef __linux__
constexpr quintptr HugePageSize = 2 * 1024 * 1024;

// Only the 2 MiB-aligned middle of the block can become huge pages; the
// advice is a hint, and a system without them simply ignores it.
void adviseHugePages(void* begin, qint64 bytes)
{
    const quintptr start =
        (reinterpret_cast<quintptr>(begin) + HugePageSize - 1) & ~(HugePageSize - 1);
    const quintptr end = (reinterpret_cast<quintptr>(begin) + bytes) & ~(HugePageSize - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}
#endif
} // namespace

qint64 PointList::maxPoints()
{
    // QVector keeps its header and elements in one block of at most INT_MAX bytes.
    return (std::numeric_limits<int>::max() - 64) / qint64(sizeof(QPoint));
}

QPolygon PointList::allocate(qint64 count)
{
    QPolygon points;
    if (count <= 0 || count > maxPoints())
        return points;
    points.reserve(static_cast<int>(count));
#ifdef __linux__
    const qint64 bytes = count * qint64(sizeof(QPoint));
    if (bytes >= qint64(2 * HugePageSize))
        adviseHugePages(points.data(), bytes);
#endif
    points.resize(static_cast<int>(count));
    return points;
}
