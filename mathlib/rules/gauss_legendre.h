// Gauss-Legendre rules on [-1, 1] for C++ code inside the project: the one computation behind
// quadrel's quadrature export, shared with the coupling stand-in, which nests integrals and
// so cannot use the export's context-free integrand.
#pragma once

namespace quadrel::gauss_legendre {

// Points of the rule that serves a request for n points: n from 2 to 10 (constant tables),
// and above that the odd number n or n + 1 (computed rules always have an odd count).
// 0 when n is below 2.
int rule_points(int n) noexcept;

// The m-point rule, m a value of rule_points: nodes in ascending order into `nodes`, their
// weights into `weights`, each an array of m. `work` is scratch for m values, used by the
// computed rules (m > 10) only. The results are the same bits on every machine.
void rule(int m, double* nodes, double* weights, double* work) noexcept;

}  // namespace quadrel::gauss_legendre
