#pragma once

#include <QPolygon>

// The point lists of the dot patterns: a full-screen mesh is millions of
// points, built fresh for every paint and drawn with one drawPoints call.
namespace PointList {
// The largest list a QPolygon can hold.
qint64 maxPoints();

// A list of exactly count points (all (0, 0)) in one allocation, ready to be
// overwritten through data(). Large lists are backed by huge pages where the
// system offers them, so that touching fresh memory costs a few page faults
// instead of thousands. A count beyond maxPoints() gives an empty list.
QPolygon allocate(qint64 count);
} // namespace PointList
