// A Delaunay triangulation by qhull's reentrant C library, with the options SciPy's Delaunay
// uses ("d Qt Qbb Qc Qz Q12": lifted hull, triangulated output, scaled last coordinate,
// coplanar points kept, a point at infinity for cocircular input), and point location by
// qh_findbest, qhull's search for the facet below a lifted point, started at the facet found
// for the previous point. (qh_findbestfacet, which always starts at the head of the facet list,
// takes milliseconds per point on 10^5 points, whatever their order.)
#ifndef BENCH_PEERS_QHULL_DELAUNAY_H
#define BENCH_PEERS_QHULL_DELAUNAY_H

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include <cstdio>
#include <vector>

#include "bench_inputs.h"

namespace bench {

class QhullDelaunay {
 public:
  // Takes the points in the interleaved layout qhull reads (x0, y0, x1, y1, ...).
  static std::vector<coordT> interleave(const Points& p) {
    std::vector<coordT> xy(2 * p.x.size());
    for (std::size_t i = 0; i < p.x.size(); ++i) {
      xy[2 * i] = p.x[i];
      xy[2 * i + 1] = p.y[i];
    }
    return xy;
  }

  // Triangulates xy (which must outlive the object); status() is qhull's exit code.
  explicit QhullDelaunay(std::vector<coordT>& xy) {
    QHULL_LIB_CHECK
    qh_zero(&qh_, stderr);
    char options[] = "qhull d Qt Qbb Qc Qz Q12";
    status_ = qh_new_qhull(&qh_, 2, static_cast<int>(xy.size() / 2), xy.data(), False, options,
                           nullptr, stderr);
  }
  ~QhullDelaunay() {
    qh_freeqhull(&qh_, !qh_ALL);
    int long_left = 0, short_left = 0;
    qh_memfreeshort(&qh_, &long_left, &short_left);
  }
  QhullDelaunay(const QhullDelaunay&) = delete;
  QhullDelaunay& operator=(const QhullDelaunay&) = delete;

  int status() const { return status_; }

  // Number of triangles: the lower facets of the lifted hull.
  int triangle_count() {
    qhT* qh = &qh_;
    facetT* facet;
    int count = 0;
    FORALLfacets {
      if (!facet->upperdelaunay) ++count;
    }
    return count;
  }

  // The value at (x, y) of the function linear on each triangle with the values z at the
  // points: the facet below the lifted point, then barycentric weights of its three vertices.
  // The facet found is the triangle that holds (x, y), except that near an edge the search may
  // settle on the neighbour, whose plane gives the same value to about 1e-9.
  double interpolate(double x, double y, const double* z) {
    qhT* qh = &qh_;
    coordT point[3] = {x, y, 0.0};
    qh_setdelaunay(qh, 3, 1, point);
    realT distance = 0.0;
    boolT outside = False;
    int tested = 0;
    facetT* facet = qh_findbest(qh, point, hint_ != nullptr ? hint_ : qh->facet_list, qh_ALL,
                                !qh_ISnewfacets, qh_NOupper, &distance, &outside, &tested);
    if (facet == nullptr || facet->upperdelaunay) return -1.0;
    hint_ = facet;
    double px[3], py[3], pz[3];
    int k = 0;
    vertexT *vertex, **vertexp;
    FOREACHvertex_(facet->vertices) {
      if (k == 3) break;
      const int id = qh_pointid(qh, vertex->point);
      px[k] = vertex->point[0];
      py[k] = vertex->point[1];
      pz[k] = z[id];
      ++k;
    }
    if (k != 3) return -1.0;
    const double area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
    const double w1 = ((px[2] - x) * (py[0] - y) - (px[0] - x) * (py[2] - y)) / area;
    const double w2 = ((px[0] - x) * (py[1] - y) - (px[1] - x) * (py[0] - y)) / area;
    return (1.0 - w1 - w2) * pz[0] + w1 * pz[1] + w2 * pz[2];
  }

 private:
  qhT qh_;
  int status_ = 0;
  facetT* hint_ = nullptr;
};

}  // namespace bench

#endif  // BENCH_PEERS_QHULL_DELAUNAY_H
