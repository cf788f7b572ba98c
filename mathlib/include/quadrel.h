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
/* @@section root_2d@@ */

/* ==== Piecewise-linear interpolation in one variable =================================== */
/* @@section interp_1d@@ */

/* ==== Planar triangulation ============================================================= */
/* @@section triangulation@@ */

/* ==== Piecewise-linear interpolation in two variables ================================== */
/* @@section interp_2d@@ */

#ifdef __cplusplus
}
#endif

#endif /* QUADREL_H */
