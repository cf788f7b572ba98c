// CGAL's Delaunay_triangulation_2 with exact predicates and inexact constructions, each vertex
// carrying the index of its point.
#ifndef BENCH_PEERS_CGAL_DELAUNAY_H
#define BENCH_PEERS_CGAL_DELAUNAY_H

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_hierarchy_2.h>
#include <CGAL/Triangulation_hierarchy_vertex_base_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>
#include <vector>

#include "bench_inputs.h"

namespace bench {

using CgalKernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using CgalVertexBase = CGAL::Triangulation_vertex_base_with_info_2<int, CgalKernel>;
using CgalStructure = CGAL::Triangulation_data_structure_2<CgalVertexBase>;
using CgalDelaunay = CGAL::Delaunay_triangulation_2<CgalKernel, CgalStructure>;
using CgalPoint = CgalKernel::Point_2;

// The same triangulation with CGAL's hierarchy of coarser triangulations over it, through which
// a locate descends to a face near the point before it walks.
using CgalHierarchyVertexBase = CGAL::Triangulation_hierarchy_vertex_base_2<CgalVertexBase>;
using CgalHierarchyStructure = CGAL::Triangulation_data_structure_2<CgalHierarchyVertexBase>;
using CgalDelaunayHierarchy = CGAL::Triangulation_hierarchy_2<
    CGAL::Delaunay_triangulation_2<CgalKernel, CgalHierarchyStructure>>;

// Inserts the points one by one in order of increasing x (ties by y), each located from the
// face of the vertex inserted before it: the insertion order of quadrel's triangulation.
inline void cgal_insert_in_x_order(const Points& p, CgalDelaunay* dt) {
  std::vector<int> order(p.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&p](int a, int b) {
    return p.x[a] < p.x[b] || (p.x[a] == p.x[b] && p.y[a] < p.y[b]);
  });
  CgalDelaunay::Face_handle hint;
  for (const int i : order) {
    const CgalDelaunay::Vertex_handle v = dt->insert(CgalPoint(p.x[i], p.y[i]), hint);
    v->info() = i;
    hint = v->face();
  }
}

// Inserts the points as one range: CGAL sorts them along a space-filling curve first.
inline void cgal_insert_sorted(const Points& p, CgalDelaunay* dt) {
  std::vector<std::pair<CgalPoint, int>> points;
  points.reserve(p.size());
  for (int i = 0; i < p.size(); ++i) points.emplace_back(CgalPoint(p.x[i], p.y[i]), i);
  dt->insert(points.begin(), points.end());
}

// The same for the hierarchy, which takes a range of plain points only: each vertex is given
// the index of its point afterwards.
inline void cgal_insert_sorted(const Points& p, CgalDelaunayHierarchy* dt) {
  std::vector<CgalPoint> points;
  std::map<std::pair<double, double>, int> index;
  for (int i = 0; i < p.size(); ++i) {
    points.emplace_back(p.x[i], p.y[i]);
    index.emplace(std::make_pair(p.x[i], p.y[i]), i);
  }
  dt->insert(points.begin(), points.end());
  for (auto v = dt->finite_vertices_begin(); v != dt->finite_vertices_end(); ++v) {
    v->info() = index.at(std::make_pair(v->point().x(), v->point().y()));
  }
}

}  // namespace bench

#endif  // BENCH_PEERS_CGAL_DELAUNAY_H
