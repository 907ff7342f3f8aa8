#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dRay.h>
#include <kv3d/kv3d_export.h>

// Distances to a polyline: V0 ... V(n-1), segment i joining Vi and V(i+1),
// the point with parameter t on segment i being (1 - t) Vi + t V(i+1).
//
// Each overload takes an upper bound from a sample of the vertices (every
// n / 20-th for n > 20, else every one; the bound is 1.01 times the smallest
// sampled squared distance plus 1e-6), then scans the segments (or segment
// pairs) in order, skipping those whose cheap lower bound exceeds the best
// value so far, and replaces the best only by a strictly smaller value: among
// equal distances the earlier segment (pair) wins.
//
// Results: the distance (returned), the nearest point or points (always
// written), the segment index and parameter (written where the pointer is not
// null). A polyline of one vertex gives that vertex, segment 0 and parameter
// 0.0. An empty polyline gives +infinity and writes nothing. When no segment
// improves on the sampled bound (every segment degenerate, for instance), the
// nearest point is the sampled start segment's first vertex and the distance
// returned is the distance to it, not the square root of the bound.

// Point to polyline. Segments whose vector has every component below 1e-20 in
// magnitude are skipped; the rest are split along their direction by a
// Householder reflection. Distances whose square is below 1e-20 come back as
// 0.0.
KV3D_API double Kv3d_distance(const Kv3dPoint& q, const KvArray<Kv3dPoint>& polyline,
                              Kv3dPoint& nearest, int* segment, double* parameter);

// Ray to polyline, measured to the ray's whole carrier line (behind its
// origin too). A segment is measured at the closest approach of the two
// carrier lines, its parameter clamped to [0, 1]; at its midpoint where the
// two are parallel; at its first vertex where it is geom_zero. The last vertex
// is not sampled. Distances whose square is below 1e-20 come back as 0.0.
KV3D_API double Kv3d_distance(const Kv3dRay& ray, const KvArray<Kv3dPoint>& polyline,
                              Kv3dPoint& nearest, int* segment, double* parameter);

// Polyline to polyline, segments of first in the outer loop, of second in the
// inner. A one-vertex polyline on either side reduces to the point distance.
// The sample is every step-th vertex of each polyline against every step-th
// of the other; its smallest squared distance starts from +infinity, so that
// polylines any distance apart get their true distance.
// Each pair is triangularised by two Householder reflections and measured at
// the closest approach of its carrier lines when that lies inside both
// segments, else at the segment ends projected onto the other segment.
KV3D_API double Kv3d_distance(const KvArray<Kv3dPoint>& first, const KvArray<Kv3dPoint>& second,
                              Kv3dPoint& nearest_first, Kv3dPoint& nearest_second,
                              int* segment_first, double* parameter_first, int* segment_second,
                              double* parameter_second);
