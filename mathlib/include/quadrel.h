/* quadrel: a flat-C numerical library.
 *
 * Conventions shared by every export:
 *  - integers are 32-bit `int`, reals IEEE binary64 `double`;
 *  - a general matrix is stored column by column with leading dimension `lda`
 *    (element (i, j), counted from 0, at a[i + j*lda]); row and column numbers that the
 *    library stores for the caller (pivot vectors, a zero pivot's step) count from 1;
 *  - the caller allocates and owns every array; no export keeps a pointer past its return;
 *  - an `int` status of 0 means success; no export prints or keeps an error state.
 */
#ifndef QUADREL_H
#define QUADREL_H

#include <stdbool.h>
#include <stdint.h>

#if defined(QUADREL_BUILDING)
#define QUADREL_API __attribute__((visibility("default")))
#else
#define QUADREL_API
#endif

#ifdef __cplusplus
#define QUADREL_NOEXCEPT noexcept
extern "C" {
#else
#define QUADREL_NOEXCEPT
#endif

/* ==== Vector operations, calendar time, rotations, maximum ============================= */
/* @@section vector_ops@@ */

/* ==== Dense LU factorisation, solution, inversion ====================================== */
/* @@section lu@@ */

/* ==== Gauss-Legendre quadrature ======================================================== */
/* @@section quadrature@@ */

/* ==== Cubic spline ===================================================================== */
/* @@section spline@@ */

/* ==== Band LU factorisation and solution =============================================== */
/* @@section band_lu@@ */

/* ==== Matrix-vector product ============================================================ */
/* @@section matvec@@ */

/* ==== Root finding in one variable ===================================================== */
/* @@section root_1d@@ */

/* ==== Root finding in two variables ==================================================== */
/* The system F(x) = 0 of import_mathfunction_2d_nullstelle. The unknowns are at point[1] ..
 * point[n] and point[0] holds 0.0; the function stores F_1 .. F_n at values[1] .. values[n] and
 * leaves position 0 of both vectors alone. *count holds n on entry; the solver reads it back as
 * the number of values, so the function must leave it unchanged. */
typedef void (*quadrel_system_2d)(int n, double* point, double* values, int* count);

/* import_mathfunction_2d_nullstelle: root of a system of n = 2 (or n = 1) nonlinear equations
 * by a globally convergent Newton method: a forward-difference Jacobian, a Newton step from a
 * Crout LU decomposition with implicit partial pivoting, and a backtracking line search with
 * cubic interpolation on the merit function 0.5 * sum F_i^2 (the sum is accumulated in single
 * precision). The start point counts as a root when max |F_i| < 0.01 * tolerance there; after
 * each Newton step the test is max |F_i| < tolerance. A NaN among the F_i never passes a test.
 *
 *  n          [in]     number of equations and unknowns: 2, or 1 to solve for x[0] alone.
 *  x          [in,out] 2 doubles, also when n = 1 (x[1] is then passed through unchanged):
 *                      the start point on entry, the last iterate on every return with status
 *                      0 or 1.
 *  f          [in]     the system, called synchronously on the caller's thread with 1-based
 *                      vectors (see quadrel_system_2d).
 *  reserved   [in]     ignored.
 *  tolerance  [in]     bound on the largest |F_i|. A tolerance <= 0 is never met: the solver
 *                      runs 1000 iterations and returns 1.
 *
 * Returns 0 when converged, 1 when not converged within 1000 iterations, and -1 when n is
 * neither 1 nor 2 (then f is not called and x is not touched). A Newton step that is not finite
 * (a singular Jacobian) is rejected like a step too small to make progress: the point stays
 * where it was and the iteration continues.
 *
 * All evaluation state lives in the call: concurrent calls from different threads are safe,
 * and f may itself call this function. Uses no heap memory. */
QUADREL_API int import_mathfunction_2d_nullstelle(int n, double* x, quadrel_system_2d f,
                                                  void* reserved,
                                                  double tolerance) QUADREL_NOEXCEPT;

/* ==== Piecewise-linear interpolation in one variable =================================== */
/* @@section interp_1d@@ */

/* ==== Planar triangulation ============================================================= */
/* import_mathfunction_2d_pwl_interpolation_part_1_triangulation: Delaunay triangulation of n
 * scattered points in the plane. The points are inserted in order of increasing x (ties by
 * increasing y), each from outside the hull built so far, and the empty-circumcircle property
 * is restored by diagonal swaps. Of four points on a common circle (within a tolerance) the
 * diagonal built first is kept.
 *
 *  n               [in]  number of points, 0 <= n <= 357913940.
 *  x, y            [in]  n doubles each: the points' coordinates. Only read.
 *  neighbours      [out] 3 ints per triangle, room for at least 2n - 5 triangles (6n ints
 *                        always suffice). neighbours[3t + k] belongs to edge k + 1 of triangle
 *                        t, which runs from vertex k + 1 to the next vertex (from vertex 3 to
 *                        vertex 1 for k = 2). A value >= 0 is the 0-based index of the triangle
 *                        across that edge. A negative value marks a hull edge and links to the
 *                        next hull edge counter-clockwise: -(3 * (t' + 1) + k') names edge
 *                        k' + 1 of triangle t'. The hull edges form one closed cycle.
 *  triangles       [out] 3 ints per triangle, same room: triangles[3t + k] is the 0-based
 *                        index into x and y of vertex k + 1 of triangle t, counter-clockwise.
 *  triangle_count  [out] number of triangles, 2n - h - 2 for h points on the hull boundary.
 *  row_length      [in]  entries per triangle in neighbours; must be 3.
 *
 * Returns
 *    0  success;
 *    2  two points coincide: neighbours in sorted order differ by no more than
 *       2.220446049250313e-14 * (max(|a|, |b|) + 1) in x and likewise in y;
 *  226  fewer than three points, or all points on one line within the side-test tolerance;
 *    9  working storage ran out: scratch memory could not be obtained, or the work stack
 *       overflowed (only on data too degenerate for floating point);
 *   -1  n > 357913940 (the neighbour encoding would overflow an int);
 *   -7  row_length is not 3.
 * On 2, 226, -1 and -7 nothing is written. On 9 triangle_count is set to 0 and the contents
 * of neighbours and triangles are unspecified.
 *
 * The tolerances of the collinearity and swap tests are partly absolute (they scale with the
 * coordinate differences, not with their squares): for points closer together than about 1e-3
 * the swap test keeps more diagonals than the empty-circumcircle rule would, and collinear
 * points whose coordinates carry rounding errors may form flat triangles. Scaling such data up
 * gives a Delaunay result.
 *
 * NaN coordinates never crash or hang the call: a NaN point is on no line and never causes a
 * swap, so the result is a well-formed but meaningless triangulation, or status 2 or 226.
 *
 * Working memory is two arrays of n ints and one of 2n doubles, released before returning.
 * Insertion in x order costs about n log n for scattered points, but on an exact rectangular
 * grid each new column first forms a fan that the rest of the column then swaps away, which
 * costs about n^1.5 in total. */
QUADREL_API int import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
    int n, const double* x, const double* y, int* neighbours, int* triangles, int* triangle_count,
    int row_length) QUADREL_NOEXCEPT;

/* ==== Piecewise-linear interpolation in two variables ================================== */
/* import_mathfunction_2d_pwl_interpolation_part_2_interpolation: evaluates at ni query points
 * the function that is linear on every triangle of a triangulation of the data points and takes
 * the value z[i] at point i. Each query point is located by a walk from triangle to triangle
 * towards it; inside the triangle found, the value is (beta * z[B] + alpha * z[A]) + gamma * z[C]
 * with the barycentric weights alpha, beta, gamma of vertices A, B, C. Beyond the hull, the walk
 * stops at a boundary triangle and the value is extrapolated on that triangle's plane.
 *
 *  n               [in]  number of data points.
 *  x, y, z         [in]  n doubles each: coordinates and values of the data points.
 *  neighbours      [in]  3 * triangle_count ints: the triangle across each edge, or a negative
 *                        value on the hull (only its sign is used).
 *  triangles       [in]  3 * triangle_count ints: the vertices of each triangle,
 *                        counter-clockwise. Both arrays as
 *                        import_mathfunction_2d_pwl_interpolation_part_1_triangulation makes
 *                        them; they are not checked beyond the indices a walk meets.
 *  triangle_count  [in]  number of triangles.
 *  ni              [in]  number of query points; nothing is done for ni <= 0.
 *  xi, yi          [in]  ni doubles each: the query points.
 *  zi              [out] ni doubles: the values. Must not overlap the inputs.
 *
 * Returns 0 when every query point was served, 1 when for at least one point the walk found no
 * triangle: a NaN or infinite query coordinate (any NaN weight), triangle_count <= 0, a walk that
 * exceeds triangle_count steps (as on a triangulation that is not counter-clockwise), or an index
 * out of range met on the walk. Such a point gets the value -1.0; the other points are served
 * normally.
 *
 * Process-wide state: the search hint, the triangle where the last successful walk ended, an
 * atomic int shared by all calls and all triangulations. Each walk starts there when it is a
 * valid triangle number, else at triangle (triangle_count + 1) / 2 - 1. Inside the hull the start
 * only changes the path (a point on a shared edge may be served by either triangle); beyond the
 * hull it can change which boundary triangle extrapolates. Concurrent calls are safe.
 *
 * A walk crosses the triangles between its start and the query point: query points that follow
 * each other closely are served in a few steps, points in random order in about
 * sqrt(triangle_count) steps each. */
QUADREL_API int import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
    int n, const double* x, const double* y, const double* z, const int* neighbours,
    const int* triangles, int triangle_count, int ni, const double* xi, const double* yi,
    double* zi) QUADREL_NOEXCEPT;

/* import_mathfunction_2d_pwl_interpolation: triangulates the data points as
 * import_mathfunction_2d_pwl_interpolation_part_1_triangulation does and interpolates on the
 * result as import_mathfunction_2d_pwl_interpolation_part_2_interpolation does, with the same
 * search hint.
 *
 *  n, x, y, z      [in]  the data points, as for the two-phase exports.
 *  ni, xi, yi      [in]  the query points, as above.
 *  zi              [out] ni doubles: the values. Must not overlap the inputs.
 *
 * Returns 0 or 1 as the interpolation does, or a triangulation status: 2 (coincident points),
 * 226 (fewer than three points, or all on one line), 9 (working storage ran out), -1 (n too
 * large); on these zi is untouched. The triangulation runs and reports its failures also when
 * ni is 0. Working memory is about 14n ints and 2n doubles, released before returning. */
QUADREL_API int import_mathfunction_2d_pwl_interpolation(int n, const double* x, const double* y,
                                                         const double* z, int ni, const double* xi,
                                                         const double* yi,
                                                         double* zi) QUADREL_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* QUADREL_H */
