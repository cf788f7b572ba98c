// The results table: one CSV row per step with the time and, for every body, its position,
// orientation, distance value and the load that the force elements apply to it.
//
// Columns: "time" (s), then per body "<name>.x", ".y", ".z" (centre of mass), ".rx", ".ry",
// ".rz" (orientation as a rotation vector, rad), ".dm" (the "DM" distance value), ".Fx",
// ".Fy", ".Fz" (force of the force elements) and ".Tx", ".Ty", ".Tz" (their torque about the
// centre), all in the world frame and in the model's units. The header gives each column as
// "<name> [<unit>]", e.g. "magnet.z [m]".
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dynamics.h"
#include "model.h"

namespace zkslv {

enum class Quantity { kTime, kPosition, kRotation, kDistance, kForce, kTorque };

struct Column {
  std::string name;  // as in the CSV header, without the unit
  Quantity quantity = Quantity::kTime;
  // Whether a plot shows it when it varies: distance values only for bodies that a
  // position criterion watches.
  bool plotted = true;
  double min = 0.0, max = 0.0;  // over the rows written
  std::string unit;             // "m", "rad", "N·m", ...
  bool varies() const { return max > min; }
};

class ResultTable {
 public:
  explicit ResultTable(const Model& model);
  ~ResultTable();
  ResultTable(const ResultTable&) = delete;
  ResultTable& operator=(const ResultTable&) = delete;

  // Creates the CSV file and writes the header line. False with *error on failure.
  bool open(const std::filesystem::path& path, std::string* error);
  // Appends the row of the present state, with `loads` (one per body) applied by the force
  // elements.
  void add_row(double time, const MultibodySystem& system, const std::vector<Load>& loads);
  // Closes the file. False with *error when anything could not be written.
  bool close(std::string* error);

  const std::vector<Column>& columns() const { return columns_; }
  long long rows() const { return rows_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::vector<Column> columns_;
  std::vector<double> row_;
  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  long long rows_ = 0;
};

}  // namespace zkslv
