/* quadrel: a flat-C numerical library.
 *
 * Conventions shared by every export:
 *  - integers are 32-bit `int`, reals IEEE binary64 `double`;
 *  - a general matrix is stored column by column with leading dimension `lda`
 *    (element (i, j), counted from 0, at a[i + j*lda]); row and column numbers that the
 *    library stores for the caller (pivot vectors, a zero pivot's step) count from 1;
 *  - the caller allocates and owns every array; no export keeps a pointer past its return;
 *  - an `int` status of 0 means success (QUADREL_SUCCESS; every status has a name in the
 *    table below); no export prints or keeps an error state.
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

/* The C library declares fmax as well, and C++ requires both declarations to agree: glibc's
 * math.h declares it noexcept in C++, mingw-w64's does not. */
#if defined(__cplusplus) && !defined(_WIN32)
#define QUADREL_FMAX_NOEXCEPT noexcept
#else
#define QUADREL_FMAX_NOEXCEPT
#endif

/* ==== Statuses ========================================================================= */
/* The statuses that the exports return, by family; the contracts below give the same values
 * as numbers. 0 is success everywhere; any other value means something only for its family.
 * A negative status rejects an argument and is minus that argument's position in the list.
 * The dense and band LU factorisations also return k > 0, the last step whose pivot was
 * exactly zero: a number, not a name. Values never change. */
enum {
  QUADREL_SUCCESS = 0, /* every export: success */

  /* LU_Zerlegung, loesung_lin_gls, inversion_matrix */
  QUADREL_LU_BAD_LDA = -2,    /* lda < n (n >= 1) */
  QUADREL_LU_BAD_PIVOTS = -4, /* a pivot number lies outside k..n */
  QUADREL_LU_NO_MEMORY = 1,   /* inversion_matrix: scratch memory could not be obtained */

  /* LU_Zerlegung_band, loesung_lin_gls_band */
  QUADREL_BAND_BAD_LDA = -2,    /* lda < 2*ml + mu + 1 */
  QUADREL_BAND_BAD_ORDER = -3,  /* factorisation: n < 1 */
  QUADREL_BAND_BAD_LOWER = -4,  /* ml < 0 */
  QUADREL_BAND_BAD_UPPER = -5,  /* mu < 0 */
  QUADREL_BAND_BAD_PIVOTS = -6, /* solution: a pivot number lies outside k..min(n, k+ml) */

  /* quadratische_integration_gauss */
  QUADREL_GAUSS_BAD_ARGUMENT = 1, /* n < 2 */
  QUADREL_GAUSS_NO_MEMORY = 2,    /* no memory for the rule's work arrays */

  /* 1d_cubic_spline */
  QUADREL_SPLINE_BAD_KNOTS = 1, /* n < 2, or knots not strictly increasing */
  QUADREL_SPLINE_NO_MEMORY = 2, /* no memory for the set-up's scratch */

  /* matrix_vektor_produkt */
  QUADREL_MATVEC_BAD_ARGUMENT = 1, /* m < 0, n < 0, lda too small, or a zero stride */

  /* 1d_nullstelle */
  QUADREL_ROOT1D_NO_ZERO = 1, /* no sign change at the ends, or not converged in 1000 iterations */

  /* 2d_nullstelle */
  QUADREL_ROOT2D_NOT_CONVERGED = 1, /* not converged within 1000 iterations */
  QUADREL_ROOT2D_BAD_ORDER = -1,    /* n is neither 1 nor 2 */

  /* 1d_pwl_interpolation */
  QUADREL_INTERP1D_EMPTY_TABLE = 1, /* n < 1 */

  /* 2d_pwl_interpolation_part_1_triangulation, and the one-call 2d_pwl_interpolation */
  QUADREL_TRI_COINCIDENT = 2,      /* two points coincide */
  QUADREL_TRI_COLLINEAR = 226,     /* fewer than three points, or all on one line */
  QUADREL_TRI_DEGENERATE = 9,      /* working storage ran out, or data too degenerate */
  QUADREL_TRI_TOO_MANY = -1,       /* n too large for the neighbour encoding */
  QUADREL_TRI_BAD_ROW_LENGTH = -7, /* part_1_triangulation only: row_length is not 3 */

  /* 2d_pwl_interpolation_part_2_interpolation, and the one-call 2d_pwl_interpolation */
  QUADREL_INTERP2D_UNSERVED = 1 /* a query point was not served; its value is -1.0 */
};

/* ==== Vector operations, calendar time, rotations, maximum ============================= */
/* import_mathfunction_kreuzprodukt_vektor3 computes the cross product w = u x v:
 *   w[0] = u[1]*v[2] - u[2]*v[1],  w[1] = u[2]*v[0] - u[0]*v[2],  w[2] = u[0]*v[1] - u[1]*v[0].
 *
 *  u  [in]  3-vector (x, y, z).
 *  v  [in]  3-vector (x, y, z).
 *  w  [out] 3-vector receiving u x v, written w[0], w[1], w[2] in that order. It must not
 *           share storage with u or v.
 *
 * Returns 0. Nothing is validated; null pointers are the caller's error. */
QUADREL_API int import_mathfunction_kreuzprodukt_vektor3(const double* u, const double* v,
                                                         double* w) QUADREL_NOEXCEPT;

/* import_mathfunction_skalarprodukt_vektor3 returns the dot product of u and v, summed in
 * exactly this order: (u[1]*v[1] + u[0]*v[0]) + u[2]*v[2].
 *
 *  u  [in] 3-vector.
 *  v  [in] 3-vector. */
QUADREL_API double import_mathfunction_skalarprodukt_vektor3(const double* u,
                                                             const double* v) QUADREL_NOEXCEPT;

/* import_mathfunction_timestamp stores the current calendar time in whole seconds since
 * 1970-01-01 00:00:00 UTC.
 *
 *  t  [out] receives the time; may be null, in which case nothing is stored.
 *
 * Returns 0. */
QUADREL_API int import_mathfunction_timestamp(int64_t* t) QUADREL_NOEXCEPT;

/* import_mathfunction_rotl / import_mathfunction_rotr rotate the 32 bits of value left
 * (rotl) or right (rotr) by shift places. Only the low five bits of shift count, so any
 * shift is taken modulo 32: -1 acts as 31, 33 as 1, and 0 or 32 return value unchanged.
 *
 *  value  [in] the bits to rotate.
 *  shift  [in] any int.
 *
 * Returns the rotated value. */
QUADREL_API uint32_t import_mathfunction_rotl(uint32_t value, int shift) QUADREL_NOEXCEPT;
QUADREL_API uint32_t import_mathfunction_rotr(uint32_t value, int shift) QUADREL_NOEXCEPT;

/* fmax returns first if first >= second, and second otherwise. A comparison with a NaN is
 * false, so when either argument is a NaN the second is returned: fmax(NaN, 1) is 1,
 * fmax(1, NaN) is NaN. Of two equal values the first is returned: fmax(-0.0, +0.0) is
 * -0.0. This differs from the C library's fmax, which prefers the argument that is not
 * a NaN.
 *
 *  first   [in] any double.
 *  second  [in] any double.
 *
 * The name is the C library's. A program that links libquadrel.so at link time may have
 * its own calls of fmax, and those of the libraries it loads, resolved to this function
 * instead of the C library's, depending on the order in which the libraries are searched;
 * and compilers treat fmax as a built-in with the C library's rule, so a direct call may
 * be evaluated without calling any library. The safe way to use this function is to load
 * libquadrel.so at run time (dlopen) and call the address that dlsym returns for "fmax"
 * (on Windows: LoadLibrary("quadrel.dll") and GetProcAddress).
 * quadrel's own code never calls fmax by name. */
QUADREL_API double fmax(double first, double second) QUADREL_FMAX_NOEXCEPT;

/* ==== Dense LU factorisation, solution, inversion ====================================== */
/* Dense LU layout, shared by the three functions below (1-based indices): a(i, j) is
 * a[(i-1) + (j-1)*lda]. After the factorisation the upper triangle of a, diagonal
 * included, holds U; below the diagonal, column k holds the multipliers of elimination
 * step k with inverted sign, -a(i,k)/a(k,k) as they stood at step k. The interchange of
 * step k, recorded in ipvt(k), is applied to columns k..n only, so the multipliers of
 * earlier steps keep their row order: L is the sequence of steps (interchange, then
 * elimination), not a row-permuted triangle. Factor once, then solve any number of
 * right-hand sides or invert with the unchanged a and ipvt.
 *
 * Arguments outside the contract (lda < n when n >= 1, a pivot vector naming rows
 * outside the matrix) are rejected with a negative status -k, k being the position of the
 * first bad argument; nothing is then read from the arrays (other than ipvt) or written. */

/* import_mathfunction_LU_Zerlegung factors the n x n matrix A in place by Gaussian
 * elimination with partial pivoting: at step k the pivot is the first element of largest
 * absolute value in column k, rows k..n. The factorisation never stops early. For n >= 64
 * about 332 000 doubles of scratch memory are obtained and released within the call; when
 * they cannot be had, the plain column loop runs instead, with the same result.
 *
 *  a     [in,out] n x n matrix, column-major, leading dimension lda; on return the factors
 *                 in the layout above.
 *  lda   [in]     leading dimension of a; lda >= n.
 *  n     [in]     order of the matrix. With n < 1 nothing is read or written and 0 is
 *                 returned.
 *  ipvt  [out]    n ints: ipvt(k) is the row (k <= ipvt(k) <= n) exchanged with row k at
 *                 step k; ipvt(n) = n.
 *
 * Returns info:
 *   0   every pivot was non-zero;
 *   k>0 the largest step k whose pivot was exactly zero (+0 or -0; a NaN pivot counts as
 *       non-zero), n when u(n,n) is exactly zero. The step left its columns unchanged and
 *       the factorisation went on; solving or inverting with these factors divides by
 *       zero;
 *   -2  lda < n (n >= 1): a and ipvt untouched. */
QUADREL_API int import_mathfunction_LU_Zerlegung(double* a, int lda, int n,
                                                 int* ipvt) QUADREL_NOEXCEPT;

/* import_mathfunction_loesung_lin_gls solves A*x = b with the factors of
 * import_mathfunction_LU_Zerlegung. No pivot is tested: a zero diagonal element of U gives
 * infinities or NaNs in b.
 *
 *  a     [in]     the factors, as the factorisation left them; not modified.
 *  lda   [in]     leading dimension of a; lda >= n.
 *  n     [in]     order of the matrix. With n < 1 nothing is read or written.
 *  ipvt  [in]     the pivot vector of the factorisation; ipvt(k) in k..n for k < n.
 *  b     [in,out] n doubles: the right-hand side on entry, the solution x on return.
 *
 * Returns 0; -2 when lda < n (n >= 1), -4 when some ipvt(k), k < n, lies outside k..n.
 * On a negative status b is untouched. */
QUADREL_API int import_mathfunction_loesung_lin_gls(const double* a, int lda, int n,
                                                    const int* ipvt, double* b) QUADREL_NOEXCEPT;

/* import_mathfunction_inversion_matrix overwrites the factors of
 * import_mathfunction_LU_Zerlegung with the inverse of A (inverse(U) first, then the steps
 * of L from the right). No pivot is tested: with a singular U the result holds infinities
 * or NaNs. The factors are destroyed. Scratch memory is obtained and released within the
 * call: about 192*n + 332 000 doubles for the blocked sweeps of large matrices, or, when
 * that cannot be had (and for small n), n doubles for the plain sweeps, with the same
 * result.
 *
 *  a     [in,out] the factors on entry; the n x n inverse, column-major, on return.
 *  lda   [in]     leading dimension of a; lda >= n.
 *  n     [in]     order of the matrix. With n < 1 nothing is read or written.
 *  ipvt  [in]     the pivot vector of the factorisation; ipvt(k) in k..n for k < n.
 *
 * Returns 0; -2 when lda < n (n >= 1), -4 when some ipvt(k), k < n, lies outside k..n,
 * 1 when the scratch memory cannot be obtained. On a non-zero status a is untouched. */
QUADREL_API int import_mathfunction_inversion_matrix(double* a, int lda, int n,
                                                     const int* ipvt) QUADREL_NOEXCEPT;

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
 *          is even. The rule's work arrays take 4m doubles (32 MB for a million points)
 *          and its cost grows as m.
 *   result [out] the integral on status 0; must not be null then.
 *
 * Status: 0 success; 1 n < 2; 2 no memory for a computed rule's work arrays.
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
/* Band LU layout, shared by the two functions below (1-based indices). A has ml
 * sub-diagonals and mu super-diagonals; m = ml + mu + 1. The band array abd has n columns
 * and leading dimension lda >= 2*ml + mu + 1; abd(r, j) is abd[(r-1) + (j-1)*lda].
 * On entry a(i, j) is stored in abd(i - j + m, j) for max(1, j - mu) <= i <= min(n, j + ml):
 * row m holds the diagonal, rows ml+1..m-1 the super-diagonals (the first one in row
 * m-1), rows m+1..m+ml the sub-diagonals. Rows 1..ml are room for the fill-in of row
 * interchanges; the caller need not set them. After the factorisation rows 1..m hold U as
 * a band of ml + mu super-diagonals (diagonal in row m) and rows m+1..m+ml of column k
 * hold the sign-inverted multipliers of step k, with the row order of the dense layout.
 *
 * Arguments outside the contract are rejected with a negative status -k, k being the
 * position of the first bad argument (lda is judged only when ml and mu are valid);
 * nothing is then written and the arrays are not read (except ipvt for its own check). */

/* import_mathfunction_LU_Zerlegung_band factors the band matrix in place by Gaussian
 * elimination with partial pivoting (the first element of largest absolute value in
 * column k, rows k..min(n, k+ml)). The factorisation never stops early.
 *
 *  abd   [in,out] lda x n band array in the layout above; the factors on return.
 *  lda   [in]     leading dimension of abd; lda >= 2*ml + mu + 1.
 *  n     [in]     order of the matrix; n >= 1.
 *  ml    [in]     number of sub-diagonals; ml >= 0.
 *  mu    [in]     number of super-diagonals; mu >= 0.
 *  ipvt  [out]    n ints: ipvt(k) is the row (k <= ipvt(k) <= min(n, k+ml)) exchanged with
 *                 row k at step k; ipvt(n) = n.
 *
 * Returns info:
 *   0   every pivot was non-zero;
 *   k>0 the largest step k whose pivot was exactly zero (n when u(n,n) is exactly zero);
 *       as in import_mathfunction_LU_Zerlegung the step is left out and the
 *       factorisation goes on;
 *   -2  lda < 2*ml + mu + 1;  -3  n < 1;  -4  ml < 0;  -5  mu < 0.
 *   On a negative status abd and ipvt are untouched. */
QUADREL_API int import_mathfunction_LU_Zerlegung_band(double* abd, int lda, int n, int ml, int mu,
                                                      int* ipvt) QUADREL_NOEXCEPT;

/* import_mathfunction_loesung_lin_gls_band solves A*x = b with the factors of
 * import_mathfunction_LU_Zerlegung_band. No pivot is tested: a zero diagonal element of U
 * gives infinities or NaNs in b. With ml = 0 the pivot vector is not read.
 *
 *  abd   [in]     the factors, as the factorisation left them; not modified.
 *  lda   [in]     leading dimension of abd; lda >= 2*ml + mu + 1.
 *  n     [in]     order of the matrix. With n < 1 nothing is read or written.
 *  ml    [in]     number of sub-diagonals, as in the factorisation; ml >= 0.
 *  mu    [in]     number of super-diagonals, as in the factorisation; mu >= 0.
 *  ipvt  [in]     the pivot vector of the factorisation; ipvt(k) in k..min(n, k+ml) for
 *                 k < n.
 *  b     [in,out] n doubles: the right-hand side on entry, the solution x on return.
 *
 * Returns 0; -2 when lda < 2*ml + mu + 1, -4 when ml < 0, -5 when mu < 0, -6 when some
 * ipvt(k), k < n, lies outside k..min(n, k+ml) (checked when ml > 0). On a negative
 * status b is untouched. */
QUADREL_API int import_mathfunction_loesung_lin_gls_band(const double* abd, int lda, int n, int ml,
                                                         int mu, const int* ipvt,
                                                         double* b) QUADREL_NOEXCEPT;

/* ==== Matrix-vector product ============================================================ */
/* import_mathfunction_matrix_vektor_produkt forms y := alpha*A*x + beta*y for a general
 * m x n matrix A (not transposed). Element j of x (1-based) lies at x[(j-1)*incx] when
 * incx > 0 and at x[(n-j)*(-incx)] when incx < 0, so a negative stride walks the array
 * backwards from its last used element; likewise y with m and incy.
 *
 * y is first scaled by beta (set to zero, NaNs discarded, when beta = 0; untouched when
 * beta = 1); then for each column j in order, unless x(j) is exactly zero (the column is
 * then skipped, so NaNs or infinities in it never reach y), t = alpha*x(j) and
 * y(i) = y(i) + t*a(i,j) for i = 1..m in order.
 *
 *  m      [in]     number of rows of A, length of y; m >= 0.
 *  n      [in]     number of columns of A, length of x; n >= 0.
 *  alpha  [in]     factor of A*x.
 *  a      [in]     m x n matrix, column-major; not read when m = 0, n = 0 or alpha = 0.
 *  lda    [in]     leading dimension of a; lda >= max(1, m).
 *  x      [in]     n doubles spaced incx apart; not read when A is not.
 *  incx   [in]     stride of x, non-zero.
 *  beta   [in]     factor of the old y.
 *  y      [in,out] m doubles spaced incy apart; the result.
 *  incy   [in]     stride of y, non-zero.
 *
 * Returns 0; 1 when m < 0, n < 0, lda < max(1, m), incx = 0 or incy = 0, and then nothing
 * is read or written. With m = 0, n = 0, or alpha = 0 and beta = 1, 0 is returned and
 * nothing is read or written. */
QUADREL_API int import_mathfunction_matrix_vektor_produkt(int m, int n, double alpha,
                                                          const double* a, int lda, const double* x,
                                                          int incx, double beta, double* y,
                                                          int incy) QUADREL_NOEXCEPT;

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
/* Piecewise-linear interpolation in the table (x_k, y_k), k = 0 .. n-1, at ni points:
 *   yi[i] = (1 - s) y_{k-1} + s y_k,  s = (xi[i] - x_{k-1}) / (x_k - x_{k-1}),
 * with the segment [x_{k-1}, x_k] chosen as follows: xi[i] <= x_0 uses the first segment and
 * xi[i] >= x_{n-1} the last (both extended linearly beyond the table); otherwise the first
 * k = 1 .. n-1 with x_{k-1} <= xi[i] <= x_k, so a point on an interior knot takes the segment
 * that ends there. A point for which no segment qualifies (a NaN point, or one that only a
 * segment with a NaN abscissa could hold) gets 0. With n = 1 every point gets y_0.
 *
 *   n   [in] number of table entries, n >= 1.
 *   x   [in] array of n abscissae, ascending (an unordered table is searched as described above;
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
 *    9  scratch memory could not be obtained, or the data are too degenerate for floating
 *       point: the work stack overflowed, or the result is not a well-formed triangulation of
 *       all n points (a triangle clockwise by the side test, links that do not match, a hull
 *       that is not one cycle, a count other than 2n - h - 2), as NaN coordinates or points
 *       spread over many orders of magnitude can cause;
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
 * The side and swap tests scale the coordinate differences by a power of two where their
 * products would overflow, so any finite coordinates (up to about 1e308) give the verdicts of
 * the same points scaled down.
 *
 * NaN or infinite coordinates never crash or hang the call: the result is a well-formed but
 * meaningless triangulation, or status 2, 9 or 226.
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
 * stops at a boundary triangle and the value is extrapolated on that triangle's plane. A point
 * on an edge that both of its triangles, by rounding, place just beyond it is served by the
 * triangle where the walk stands when it would step back, if that triangle is
 * counter-clockwise.
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
 * triangle: a NaN or infinite query coordinate, triangle_count <= 0, a walk that exceeds
 * triangle_count steps (as on a triangulation that is not counter-clockwise), a walk that ends
 * on NaN weights, or an index out of range met on the walk. Such a point gets the value -1.0;
 * the other points are served normally.
 *
 * Process-wide state: the search hint, the triangle where the last successful walk ended, an
 * atomic int shared by all calls and all triangulations. Each walk starts there when it is a
 * valid triangle number, else at triangle (triangle_count + 1) / 2 - 1. Inside the hull the start
 * only changes the path (a point on a shared edge may be served by either triangle); beyond the
 * hull it can change which boundary triangle extrapolates. Concurrent calls are safe.
 *
 * A walk crosses the triangles between its start and the query point: query points that follow
 * each other closely are served in a few steps, points in random order in about
 * sqrt(triangle_count) steps each on scattered data, but in a fair part of all triangles on the
 * long thin triangles of points on a circle or a parabola. When the first walks of a call prove
 * long enough that the remaining queries would repay one pass over the triangulation, the call
 * checks it in that pass and, on a triangulation as the first phase makes it (hull links
 * included), lays a grid over it (about 6 bytes of scratch memory per triangle and 1 per point,
 * released before it returns; without that memory the call walks on as before). A point
 * clearly inside a triangle is then located by a walk from a grid cell next to it, which ends
 * in the triangle the walk from the search hint would end in; points on or near an edge,
 * beyond the hull or NaN walk from the search hint as described. The results are the same
 * either way. */
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
