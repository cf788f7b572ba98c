// Concurrent calls from four threads: the two-dimensional interpolation, whose search hint
// is shared by the whole process, and the two-dimensional root finder, whose evaluation state
// belongs to each call. Meant to run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <cmath>
#include <latch>
#include <random>
#include <thread>
#include <vector>

#include "quadrel.h"

namespace {

constexpr int kThreads = 4;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kRounds = 20;
#else
constexpr int kRounds = 100;
#endif

double plane(double x, double y) { return -0.5 + 1.25 * x - 2.385 * y; }

struct Data {
  std::vector<double> x, y, z;
  std::vector<int> neighbours, triangles;
  int count = 0;
};

Data triangulated_data(int n) {
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Data d;
  for (int i = 0; i < n; ++i) {
    d.x.push_back(u(rng));
    d.y.push_back(u(rng));
    d.z.push_back(plane(d.x.back(), d.y.back()));
  }
  d.neighbours.resize(6 * std::size_t(n));
  d.triangles.resize(6 * std::size_t(n));
  EXPECT_EQ(import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
                n, d.x.data(), d.y.data(), d.neighbours.data(), d.triangles.data(), &d.count, 3),
            QUADREL_SUCCESS);
  return d;
}

// The system (x_1 - a, x_2^2 - b) with a and b chosen per thread.
thread_local double root_a = 0.0, root_b = 0.0;

void thread_system(int, double* p, double* f, int*) {
  f[1] = p[1] - root_a;
  f[2] = p[2] * p[2] - root_b;
}

// One thread's work; returns the number of wrong results.
int work(const Data& d, int id) {
  std::mt19937_64 rng(100 + id);
  std::uniform_real_distribution<double> inside(0.1, 0.9), anywhere(-1.0, 2.0);
  int wrong = 0;
  std::vector<double> xi(200), yi(200), zi(200);
  for (int round = 0; round < kRounds; ++round) {
    // Queries inside the hull: the value is independent of where the walk starts.
    for (std::size_t i = 0; i < xi.size(); ++i) {
      xi[i] = inside(rng);
      yi[i] = inside(rng);
    }
    yi[7] = std::nan("");
    const int status = import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
        static_cast<int>(d.x.size()), d.x.data(), d.y.data(), d.z.data(), d.neighbours.data(),
        d.triangles.data(), d.count, static_cast<int>(xi.size()), xi.data(), yi.data(), zi.data());
    wrong += status != QUADREL_INTERP2D_UNSERVED || zi[7] != -1.0;
    for (std::size_t i = 0; i < xi.size(); ++i) {
      if (i != 7) wrong += !(std::fabs(zi[i] - plane(xi[i], yi[i])) < 1e-12);
    }

    // Anywhere, through the one-call export on a smaller set.
    for (std::size_t i = 0; i < 20; ++i) {
      xi[i] = anywhere(rng);
      yi[i] = anywhere(rng);
    }
    wrong += import_mathfunction_2d_pwl_interpolation(200, d.x.data(), d.y.data(), d.z.data(), 20,
                                                      xi.data(), yi.data(),
                                                      zi.data()) != QUADREL_SUCCESS;
    for (std::size_t i = 0; i < 20; ++i) {
      wrong += !(std::fabs(zi[i] - plane(xi[i], yi[i])) < 1e-8);
    }

    root_a = 0.5 + id + 0.01 * round;
    root_b = 2.0 + 3 * id + 0.02 * round;
    double x[2] = {1.0, 1.0};
    wrong +=
        import_mathfunction_2d_nullstelle(2, x, thread_system, nullptr, 1e-12) != QUADREL_SUCCESS;
    wrong += !(std::fabs(x[0] - root_a) < 1e-10) + !(std::fabs(x[1] - std::sqrt(root_b)) < 1e-10);
  }
  return wrong;
}

TEST(Concurrency2d, InterpolationAndRootFinderFromFourThreads) {
  const Data d = triangulated_data(5000);
  std::latch start(kThreads);
  std::vector<int> wrong(kThreads, -1);
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id) {
    threads.emplace_back([&, id] {
      start.arrive_and_wait();
      wrong[id] = work(d, id);
    });
  }
  for (std::thread& t : threads) t.join();
  for (int id = 0; id < kThreads; ++id) EXPECT_EQ(wrong[id], 0) << "thread " << id;
}

}  // namespace
