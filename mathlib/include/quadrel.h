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
/* Integrates f over [lower, upper] with one Gauss-Legendre rule of m points:
 *   result = sum over i of w'_i f(x'_i),
 * x'_i = ((lower + upper) + (upper - lower) x_i) / 2, w'_i = (upper - lower) w_i / 2, where x_i
 * and w_i are the nodes and weights of the rule on [-1, 1]. There is no error estimate.
 *
 *   f      [in] the integrand, called once per node, in ascending order of x_i, before
 *          anything is summed. Its first argument is the mapped node, its second points to
 *          an int holding m, the number of points in use; writing through that pointer has
 *          no effect on the integration. Must not be null when n >= 2.
 *   lower  [in] one end of the interval; any value (upper < lower negates the integral,
 *          upper == lower gives 0 for finite values of f).
 *   upper  [in] the other end of the interval.
 *   n      [in] requested number of points. 2 <= n <= 10: the tabulated n-point rule, m = n.
 *          n >= 11: a rule computed for this call with m = n when n is odd, m = n + 1 when n
 *          is even; m may be at most 46 340 (n <= 46 339).
 *   result [out] the integral on status 0; must not be null then.
 *
 * Status: 0 success; 1 n < 2 or m > 46 340; 2 no memory for a computed rule's work arrays.
 * On a status other than 0, f has not been called and result is not written. Non-finite
 * values of f propagate into result. No state is kept between calls.
 */
QUADREL_API int import_mathfunction_quadratische_integration_gauss(
    double (*f)(double x, int* points), double lower, double upper, int n,
    double* result) QUADREL_NOEXCEPT;

/* ==== Cubic spline ===================================================================== */
/* Interpolating cubic spline through (x_i, y_i), i = 0 .. n-1, with parabolic run-out: the
 * second derivatives satisfy M_0 = M_1 and M_{n-2} = M_{n-1}, so the first and last pieces are
 * parabolas (with n = 2 the spline is the straight line, with n = 3 the parabola through the
 * three points). One call evaluates the spline at xi; with reuse false it first computes the
 * second derivatives into m2, so that later calls for the same data can pass reuse true.
 *
 * On the interval [x_i, x_{i+1}], with t = xi - x_i, h = x_{i+1} - x_i, A = M_i, B = M_{i+1}:
 *   value = y_i + t ((y_{i+1} - y_i)/h - (B/6 + A/3) h + t (A/2 + t (B - A)/(6h))).
 * The interval is the first i in 0 .. n-2 with xi < x_{i+1}, else n-2: an abscissa on an
 * interior knot x_k uses interval k, and abscissae outside [x_0, x_{n-1}] extrapolate the end
 * pieces.
 *
 *   n      [in] number of knots, n >= 2.
 *   x      [in] array of n knots, strictly increasing.
 *   y      [in] array of n values at the knots.
 *   xi     [in] abscissa at which to evaluate; a NaN gives a NaN value.
 *   value  [out] the spline's value at xi, written on status 0 only.
 *   m2     [in,out] array of n second derivatives M_0 .. M_{n-1}. reuse false: written with
 *          the spline's second derivatives, then read. reuse true: read only, as an earlier
 *          call with reuse false left it for the same x and y (not checked).
 *   reuse  [in] false: set the spline up (checks the knots, needs 4n doubles of scratch
 *          memory for n >= 3); true: evaluate with m2 as it stands.
 *
 * Status: 0 success; 1 n < 2, or reuse false and the knots are not strictly increasing
 * (a repeated knot, a decrease or a NaN); 2 no memory for the set-up's scratch. On a status
 * other than 0 neither value nor m2 is written. No state is kept between calls.
 */
QUADREL_API int import_mathfunction_1d_cubic_spline(int n, const double* x, const double* y,
                                                    double xi, double* value, double* m2,
                                                    bool reuse) QUADREL_NOEXCEPT;

/* ==== Band LU factorisation and solution =============================================== */
/* @@section band_lu@@ */

/* ==== Matrix-vector product ============================================================ */
/* @@section matvec@@ */

/* ==== Root finding in one variable ===================================================== */
/* Finds a zero of f between x1 and x2 by Brent's method: inverse quadratic interpolation
 * and secant steps, safeguarded by bisection, keeping a bracket [b, c] with f(b), f(c) of
 * opposite signs. The iteration stops when half the bracket is at most
 * tol1 = 6e-16 |b| + tolerance / 2, or when f(b) is exactly 0.
 *
 *   x1        [in] one end of the bracket; f(x1) is evaluated first.
 *   x2        [in] the other end; either order of x1 and x2 is accepted.
 *   root      [out] the zero on status 0; not written otherwise. Must not be null.
 *   f         [in] the function, called on the caller's thread at most 1002 times. Must not
 *             be null.
 *   tolerance [in] absolute tolerance on the abscissa; 0 asks for the accuracy of the
 *             relative term alone.
 *
 * Status: 0 a zero was found and stored through root; 1 f(x1) and f(x2) are both > 0 or
 * both < 0 (after exactly these two calls; a zero or NaN value at an end counts as a
 * bracket), or 1000 iterations passed without convergence. No state is kept between calls.
 */
QUADREL_API int import_mathfunction_1d_nullstelle(double x1, double x2, double* root,
                                                  double (*f)(double x),
                                                  double tolerance) QUADREL_NOEXCEPT;

/* ==== Root finding in two variables ==================================================== */
/* @@section root_2d@@ */

/* ==== Piecewise-linear interpolation in one variable =================================== */
/* Piecewise-linear interpolation in the table (x_k, y_k), k = 0 .. n-1, at ni points:
 *   yi[i] = (1 - s) y_{k-1} + s y_k,  s = (xi[i] - x_{k-1}) / (x_k - x_{k-1}),
 * with the segment [x_{k-1}, x_k] chosen as follows: xi[i] <= x_0 uses the first segment and
 * xi[i] >= x_{n-1} the last (both extended linearly beyond the table); otherwise the first
 * k = 1 .. n-1 with x_{k-1} <= xi[i] <= x_k, so a point on an interior knot takes the segment
 * that ends there. A point for which no segment qualifies (a NaN point, or one that only a
 * segment with a NaN abscissa could hold) gets 0. With n = 1 every point gets y_0.
 *
 *   n   [in] number of table entries, n >= 1.
 *   x   [in] array of n abscissae, ascending (an unordered table is searched as stated above;
 *       equal neighbours make that segment's s undefined).
 *   y   [in] array of n values; with n = 1 only y[0] is read.
 *   ni  [in] number of evaluation points; ni <= 0 evaluates nothing.
 *   xi  [in] array of ni evaluation abscissae.
 *   yi  [out] array of ni values.
 *
 * Status: 0 success (every call with n >= 1); 1 n < 1, and then yi is not written. Nothing
 * is allocated and no state is kept between calls.
 */
QUADREL_API int import_mathfunction_1d_pwl_interpolation(int n, const double* x, const double* y,
                                                         int ni, const double* xi,
                                                         double* yi) QUADREL_NOEXCEPT;

/* ==== Planar triangulation ============================================================= */
/* @@section triangulation@@ */

/* ==== Piecewise-linear interpolation in two variables ================================== */
/* @@section interp_2d@@ */

#ifdef __cplusplus
}
#endif

#endif /* QUADREL_H */
