// The Delaunay triangulation core shared by the triangulation export and the one-call
// two-dimensional interpolation.
#pragma once

#include <climits>

namespace quadrel {

// Core statuses; the exports add 1 to each.
inline constexpr int kCoincidentPoints = 1;
inline constexpr int kCollinearPoints = 225;
// Scratch memory or the work stack ran out, or the result failed its structure check: data
// too degenerate for floating point.
inline constexpr int kWorkStorageExhausted = 8;

// Largest point count whose boundary links -(3t + e - 1), with up to 2n triangles, fit an int.
inline constexpr int kMaxTrianglePoints = (INT_MAX - 3) / 6;

// Triangulates the n points xy[2i], xy[2i + 1] (0 < n <= kMaxTrianglePoints). The points are
// reordered during the call and restored before it returns. On success (0) triangle t, counted
// from 0, has the 0-based point indices vertices[3t .. 3t + 2], counter-clockwise, and
// links[3t + k] is the 1-based number of the triangle across edge k + 1 or a non-positive
// boundary link -(3t' + e' - 1) to edge e' of the 1-based triangle t' (the caller renumbers).
// Both arrays need room for 2n - 5 triangles. On kCoincidentPoints and kCollinearPoints nothing
// is written; on kWorkStorageExhausted *triangle_count is 0 and the arrays hold partial work.
int triangulate(int n, double* xy, int* links, int* vertices, int* triangle_count) noexcept;

// The swap test of the triangulation on the quadrilateral p0, p1, p2, p3 (counter-clockwise,
// each a pair x, y): true when the diagonal p0-p2 is to replace p1-p3. Every interior edge of
// a triangulation made above passes it as kept.
bool replaces_diagonal(const double* p0, const double* p1, const double* p2,
                       const double* p3) noexcept;

}  // namespace quadrel
