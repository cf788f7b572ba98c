/* Solves a small linear system with quadrel's dense LU factorisation, checks the residual
 * with its matrix-vector product and prints the solution. Exits with 0 on success. */
#include <quadrel.h>
#include <stdio.h>
#include <stdlib.h>

enum { kOrder = 3 };

int main(void) {
  /* A = [4 -2 1; -2 4 -2; 1 -2 4], column by column, and the right-hand side b = A*(1,2,3). */
  const double matrix[kOrder * kOrder] = {4.0, -2.0, 1.0, -2.0, 4.0, -2.0, 1.0, -2.0, 4.0};
  const double rhs[kOrder] = {3.0, 0.0, 9.0};
  double factors[kOrder * kOrder];
  double solution[kOrder];
  double residual[kOrder];
  int pivots[kOrder];

  for (int i = 0; i < kOrder * kOrder; ++i) factors[i] = matrix[i];
  for (int i = 0; i < kOrder; ++i) solution[i] = residual[i] = rhs[i];

  const int info = import_mathfunction_LU_Zerlegung(factors, kOrder, kOrder, pivots);
  if (info != 0) {
    fprintf(stderr, "factorisation failed: info %d\n", info);
    return EXIT_FAILURE;
  }
  import_mathfunction_loesung_lin_gls(factors, kOrder, kOrder, pivots, solution);

  /* residual := b - A*x */
  if (import_mathfunction_matrix_vektor_produkt(kOrder, kOrder, -1.0, matrix, kOrder, solution, 1,
                                                1.0, residual, 1) != 0) {
    fprintf(stderr, "matrix-vector product rejected its arguments\n");
    return EXIT_FAILURE;
  }
  double largest = 0.0;
  for (int i = 0; i < kOrder; ++i) {
    const double size = residual[i] < 0.0 ? -residual[i] : residual[i];
    if (!(size <= largest)) largest = size; /* a NaN residual sticks */
  }
  printf("x = (%.15g, %.15g, %.15g), largest residual %.3g\n", solution[0], solution[1],
         solution[2], largest);
  return largest <= 1e-12 ? EXIT_SUCCESS : EXIT_FAILURE;
}
