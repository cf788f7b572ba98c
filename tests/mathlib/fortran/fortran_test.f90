! Calls every export through the Fortran module and compares the results bit for bit with the
! same computations made from C (c_reference.c) or with exactly known values (roots: closely).
! Reports every difference, then stops with code 1.
module fortran_test_support
  use, intrinsic :: iso_c_binding
  implicit none

  interface
    function reference_lu_solve(n, a, b) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n
      real(c_double), intent(in) :: a(*)
      real(c_double), intent(inout) :: b(*)
      integer(c_int) :: reference_lu_solve
    end function
    function reference_band_solve(abd, lda, n, ml, mu, b) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: lda, n, ml, mu
      real(c_double), intent(in) :: abd(*)
      real(c_double), intent(inout) :: b(*)
      integer(c_int) :: reference_band_solve
    end function
    function reference_gauss(lower, upper, n, result) bind(C)
      import :: c_double, c_int
      real(c_double), value :: lower, upper
      integer(c_int), value :: n
      real(c_double), intent(out) :: result
      integer(c_int) :: reference_gauss
    end function
    function reference_spline(n, x, y, xi, value) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n
      real(c_double), intent(in) :: x(*), y(*)
      real(c_double), value :: xi
      real(c_double), intent(out) :: value
      integer(c_int) :: reference_spline
    end function
    function reference_interpolation_2d(n, x, y, z, ni, xi, yi, zi) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n, ni
      real(c_double), intent(in) :: x(*), y(*), z(*), xi(*), yi(*)
      real(c_double), intent(out) :: zi(*)
      integer(c_int) :: reference_interpolation_2d
    end function
  end interface

  integer :: failures = 0
  ! The point count that the quadrature last passed to the integrand.
  integer(c_int) :: points_seen = 0

contains

  ! The integrand of both sides: 1 / (1 + x^2), the same operations as in C.
  function integrand(x, points) bind(C)
    real(c_double), value :: x
    integer(c_int), intent(inout) :: points
    real(c_double) :: integrand
    points_seen = points
    integrand = 1.0_c_double / (1.0_c_double + x * x)
  end function

  ! x^2 - 2, for the one-dimensional root finder.
  function parabola(x) bind(C)
    real(c_double), value :: x
    real(c_double) :: parabola
    parabola = x * x - 2.0_c_double
  end function

  ! The circle x^2 + y^2 = 4 and the line x = y, with 1-based vectors as the solver passes them.
  subroutine circle_and_line(n, point, values, count) bind(C)
    integer(c_int), value :: n
    real(c_double), intent(in) :: point(0:n)
    real(c_double), intent(inout) :: values(0:n)
    integer(c_int), intent(inout) :: count
    values(1) = point(1) * point(1) + point(2) * point(2) - 4.0_c_double
    values(2) = point(1) - point(2)
    if (count /= n) failures = failures + 1
  end subroutine

  subroutine expect_status(what, status, expected)
    character(*), intent(in) :: what
    integer(c_int), intent(in) :: status, expected
    if (status /= expected) then
      print '(a, ": status ", i0, ", expected ", i0)', what, status, expected
      failures = failures + 1
    end if
  end subroutine

  ! Equal bits, element by element (a NaN equals the same NaN).
  subroutine expect_same_bits(what, actual, expected)
    character(*), intent(in) :: what
    real(c_double), intent(in) :: actual(:), expected(:)
    integer :: i
    do i = 1, size(expected)
      if (transfer(actual(i), 0_c_int64_t) /= transfer(expected(i), 0_c_int64_t)) then
        print '(a, "(", i0, "): ", es25.17, " differs from C ", es25.17)', what, i, actual(i), &
          expected(i)
        failures = failures + 1
      end if
    end do
  end subroutine
end module fortran_test_support

program fortran_test
  use, intrinsic :: iso_c_binding
  use quadrel
  use fortran_test_support
  implicit none

  call check_dense_lu()
  call check_band_lu()
  call check_quadrature()
  call check_spline()
  call check_triangulation()
  call check_status_paths()
  call check_other_exports()
  if (failures /= 0) then
    print '(i0, " check(s) failed")', failures
    stop 1
  end if
  print '(a)', "quadrel from Fortran: every result equals the C call's"

contains

  subroutine check_dense_lu()
    integer, parameter :: n = 4
    real(c_double) :: a(n, n), factors(n, n), b(n), expected(n), inverse(n, n)
    integer(c_int) :: pivots(n)
    a = reshape([2.385_c_double, -1.25_c_double, 0.5_c_double, 3.0_c_double, &
                 1.75_c_double, 4.125_c_double, -2.0_c_double, 0.375_c_double, &
                 -0.625_c_double, 1.5_c_double, 5.25_c_double, -1.0_c_double, &
                 0.875_c_double, -3.5_c_double, 1.125_c_double, 6.5_c_double], [n, n])
    b = [1.0_c_double, -2.5_c_double, 3.75_c_double, 0.3_c_double]
    expected = b
    call expect_status("C dense solve", reference_lu_solve(n, a, expected), 0_c_int)
    factors = a
    call expect_status("LU_Zerlegung", import_mathfunction_LU_Zerlegung(factors, n, n, pivots), &
                       QUADREL_SUCCESS)
    call expect_status("loesung_lin_gls", &
                       import_mathfunction_loesung_lin_gls(factors, n, n, pivots, b), &
                       QUADREL_SUCCESS)
    call expect_same_bits("dense solution", b, expected)
    ! The inverse times the matrix is close to the identity (its arithmetic is C's own).
    inverse = factors
    call expect_status("inversion_matrix", &
                       import_mathfunction_inversion_matrix(inverse, n, n, pivots), &
                       QUADREL_SUCCESS)
    if (maxval(abs(matmul(inverse, a) - identity(n))) > 1.0e-13_c_double) then
      print '(a)', "inverse times matrix is not the identity"
      failures = failures + 1
    end if
  end subroutine

  function identity(n) result(e)
    integer, intent(in) :: n
    real(c_double) :: e(n, n)
    integer :: i
    e = 0.0_c_double
    do i = 1, n
      e(i, i) = 1.0_c_double
    end do
  end function

  ! A tridiagonal matrix (ml = mu = 1) in the band layout: row m = ml + mu + 1 holds the
  ! diagonal, rows 1..ml stay free for fill-in.
  subroutine check_band_lu()
    integer, parameter :: n = 6, ml = 1, mu = 1, lda = 2 * ml + mu + 1, m = ml + mu + 1
    real(c_double) :: abd(lda, n), b(n), expected(n)
    integer(c_int) :: pivots(n)
    integer :: j
    abd = 0.0_c_double
    do j = 1, n
      abd(m, j) = 0.5_c_double + 0.125_c_double * j
      if (j > 1) abd(m - 1, j) = -1.0_c_double - 0.0625_c_double * j
      if (j < n) abd(m + 1, j) = 2.385_c_double - 0.25_c_double * j
    end do
    b = [(1.0_c_double / j, j = 1, n)]
    expected = b
    call expect_status("C band solve", reference_band_solve(abd, lda, n, ml, mu, expected), 0_c_int)
    call expect_status("LU_Zerlegung_band", &
                       import_mathfunction_LU_Zerlegung_band(abd, lda, n, ml, mu, pivots), &
                       QUADREL_SUCCESS)
    call expect_status("loesung_lin_gls_band", &
                       import_mathfunction_loesung_lin_gls_band(abd, lda, n, ml, mu, pivots, b), &
                       QUADREL_SUCCESS)
    call expect_same_bits("band solution", b, expected)
  end subroutine

  ! A tabulated rule and a computed one (an even request gets one point more); the
  ! integrand sees the number of points in use.
  subroutine check_quadrature()
    integer(c_int), parameter :: counts(2) = [7, 24], points_used(2) = [7, 25]
    real(c_double) :: result(1), expected(1)
    integer :: i
    do i = 1, size(counts)
      call expect_status("C quadrature", &
                         reference_gauss(-0.75_c_double, 2.385_c_double, counts(i), expected(1)), &
                         QUADREL_SUCCESS)
      call expect_status("quadratische_integration_gauss", &
                         import_mathfunction_quadratische_integration_gauss(c_funloc(integrand), &
                           -0.75_c_double, 2.385_c_double, counts(i), result(1)), &
                         QUADREL_SUCCESS)
      call expect_same_bits("integral", result, expected)
      call expect_status("points passed to the integrand", points_seen, points_used(i))
    end do
  end subroutine

  ! Set-up with reuse false, then further points with reuse true on the same m2.
  subroutine check_spline()
    integer, parameter :: n = 6
    real(c_double), parameter :: x(n) = [0.0_c_double, 0.4_c_double, 1.1_c_double, &
                                         1.5_c_double, 2.25_c_double, 3.0_c_double]
    real(c_double), parameter :: at(3) = [0.7_c_double, 2.385_c_double, 3.5_c_double]
    real(c_double) :: y(n), m2(n), values(3), expected(3)
    integer :: i
    y = sin(x) + 0.25_c_double * x
    call expect_status("1d_cubic_spline set-up", &
                       import_mathfunction_1d_cubic_spline(n, x, y, at(1), values(1), m2, &
                                                           .false._c_bool), QUADREL_SUCCESS)
    do i = 2, size(at)
      call expect_status("1d_cubic_spline", &
                         import_mathfunction_1d_cubic_spline(n, x, y, at(i), values(i), m2, &
                                                             .true._c_bool), QUADREL_SUCCESS)
    end do
    do i = 1, size(at)
      call expect_status("C spline", reference_spline(n, x, y, at(i), expected(i)), &
                         QUADREL_SUCCESS)
    end do
    call expect_same_bits("spline", values, expected)
  end subroutine

  ! Triangulate scattered points, interpolate on the triangles in a second call, and
  ! compare with the one-call interpolation made from C.
  subroutine check_triangulation()
    integer, parameter :: n = 7, ni = 4
    real(c_double), parameter :: x(n) = [0.0_c_double, 1.0_c_double, 2.1_c_double, &
                                         0.3_c_double, 1.4_c_double, 2.0_c_double, 0.9_c_double]
    real(c_double), parameter :: y(n) = [0.0_c_double, 0.2_c_double, -0.1_c_double, &
                                         1.1_c_double, 0.9_c_double, 1.3_c_double, 2.0_c_double]
    real(c_double), parameter :: xi(ni) = [0.5_c_double, 1.2_c_double, 1.8_c_double, &
                                           0.95_c_double]
    real(c_double), parameter :: yi(ni) = [0.4_c_double, 0.6_c_double, 0.5_c_double, &
                                           1.5_c_double]
    real(c_double) :: z(n), zi(ni), expected(ni)
    integer(c_int) :: neighbours(3, 2 * n), triangles(3, 2 * n), triangle_count
    z = x * x - 0.5_c_double * y
    call expect_status("triangulation", &
                       import_mathfunction_2d_pwl_interpolation_part_1_triangulation(n, x, y, &
                         neighbours, triangles, triangle_count, 3), QUADREL_SUCCESS)
    if (triangle_count < 1 .or. any(triangles(:, 1:triangle_count) < 0) .or. &
        any(triangles(:, 1:triangle_count) >= n)) then
      print '(a, i0)', "implausible triangulation, triangle count ", triangle_count
      failures = failures + 1
      return
    end if
    call expect_status("2-D interpolation", &
                       import_mathfunction_2d_pwl_interpolation_part_2_interpolation(n, x, y, z, &
                         neighbours, triangles, triangle_count, ni, xi, yi, zi), QUADREL_SUCCESS)
    call expect_status("C 2-D interpolation", &
                       reference_interpolation_2d(n, x, y, z, ni, xi, yi, expected), &
                       QUADREL_SUCCESS)
    call expect_same_bits("2-D interpolation", zi, expected)
    call expect_status("one-call 2-D interpolation", &
                       import_mathfunction_2d_pwl_interpolation(n, x, y, z, ni, xi, yi, zi), &
                       QUADREL_SUCCESS)
    call expect_same_bits("one-call 2-D interpolation", zi, expected)
  end subroutine

  ! The named statuses reach Fortran with the library's values.
  subroutine check_status_paths()
    real(c_double) :: a(2, 3), value, m2(2)
    integer(c_int) :: pivots(3), neighbours(3, 1), triangles(3, 1), count
    a = 1.0_c_double
    call expect_status("LU_Zerlegung lda < n", import_mathfunction_LU_Zerlegung(a, 2, 3, pivots), &
                       QUADREL_LU_BAD_LDA)
    call expect_status("spline with one knot", &
                       import_mathfunction_1d_cubic_spline(1, [1.0_c_double], [2.0_c_double], &
                         0.5_c_double, value, m2, .false._c_bool), QUADREL_SPLINE_BAD_KNOTS)
    call expect_status("triangulation of two points", &
                       import_mathfunction_2d_pwl_interpolation_part_1_triangulation(2, &
                         [0.0_c_double, 1.0_c_double], [0.0_c_double, 1.0_c_double], neighbours, &
                         triangles, count, 3), QUADREL_TRI_COLLINEAR)
  end subroutine
  ! The exports not used above, on values whose results are exact or known closely.
  subroutine check_other_exports()
    use, intrinsic :: ieee_arithmetic, only: ieee_quiet_nan, ieee_value
    real(c_double) :: w(3), y(2), yi(2), root(1), x(2), nan
    real(c_double), parameter :: a(2, 3) = reshape([1.5_c_double, -2.0_c_double, 0.25_c_double, &
                                                    4.0_c_double, -1.0_c_double, 3.0_c_double], &
                                                   [2, 3])
    integer(c_int64_t) :: now
    integer(c_int32_t), parameter :: bit31 = ishft(1_c_int32_t, 31)
    call expect_status("kreuzprodukt_vektor3", import_mathfunction_kreuzprodukt_vektor3( &
                       [1.0_c_double, 0.0_c_double, 0.0_c_double], &
                       [0.0_c_double, 1.0_c_double, 0.0_c_double], w), QUADREL_SUCCESS)
    call expect_same_bits("cross product", w, [0.0_c_double, 0.0_c_double, 1.0_c_double])
    call expect_same_bits("dot product", [import_mathfunction_skalarprodukt_vektor3( &
                          [1.0_c_double, 2.0_c_double, 3.0_c_double], &
                          [4.0_c_double, 5.0_c_double, 6.0_c_double])], [32.0_c_double])
    call expect_status("rotl", import_mathfunction_rotl(ior(bit31, 1_c_int32_t), 1), 3_c_int)
    call expect_status("rotr", import_mathfunction_rotr(1_c_int32_t, 1), bit31)
    call expect_status("timestamp", import_mathfunction_timestamp(now), QUADREL_SUCCESS)
    call expect_status("timestamp without an argument", import_mathfunction_timestamp(), &
                       QUADREL_SUCCESS)
    if (now < 1700000000_c_int64_t) then
      print '(a, i0)', "implausible time ", now
      failures = failures + 1
    end if
    ! The program finds libquadrel.so before the C library, so fmax is quadrel's: with a NaN
    ! first it returns the second argument.
    nan = ieee_value(nan, ieee_quiet_nan)
    call expect_same_bits("fmax", [fmax(nan, 2.385_c_double)], [2.385_c_double])

    ! y := 2 A (1, 0, -1) + 0.5 y; the middle column is skipped.
    y = [8.0_c_double, -4.0_c_double]
    call expect_status("matrix_vektor_produkt", import_mathfunction_matrix_vektor_produkt( &
                       2, 3, 2.0_c_double, a, 2, [1.0_c_double, 0.0_c_double, -1.0_c_double], &
                       1, 0.5_c_double, y, 1), QUADREL_SUCCESS)
    call expect_same_bits("matrix-vector product", y, [9.0_c_double, -12.0_c_double])

    call expect_status("1d_pwl_interpolation", import_mathfunction_1d_pwl_interpolation( &
                       3, [0.0_c_double, 1.0_c_double, 2.0_c_double], &
                       [0.0_c_double, 10.0_c_double, 20.0_c_double], 2, &
                       [0.5_c_double, 3.0_c_double], yi), QUADREL_SUCCESS)
    call expect_same_bits("1-D interpolation", yi, [5.0_c_double, 30.0_c_double])

    call expect_status("1d_nullstelle", import_mathfunction_1d_nullstelle(0.0_c_double, &
                       2.0_c_double, root(1), c_funloc(parabola), 1.0e-14_c_double), &
                       QUADREL_SUCCESS)
    x = [1.0_c_double, 0.5_c_double]
    call expect_status("2d_nullstelle", import_mathfunction_2d_nullstelle(2, x, &
                       c_funloc(circle_and_line), c_null_ptr, 1.0e-12_c_double), &
                       QUADREL_SUCCESS)
    if (abs(root(1) - sqrt(2.0_c_double)) > 1.0e-13_c_double .or. &
        any(abs(x - sqrt(2.0_c_double)) > 1.0e-10_c_double)) then
      print '(a, 3es25.17)', "roots not found: ", root, x
      failures = failures + 1
    end if
  end subroutine
end program fortran_test
