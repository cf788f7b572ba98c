// Writing the results table as CSV and keeping each column's range for the plot.
#include "results.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/text.h"
#include "system.h"

namespace zkslv {

ResultTable::ResultTable(const Model& model) {
  const Units& u = *model.units;
  auto add = [this](std::string name, Quantity quantity, const char* unit, bool plotted = true) {
    columns_.push_back({std::move(name), quantity, plotted, 0.0, 0.0, unit});
  };
  add("time", Quantity::kTime, "s", false);
  for (const BodyDefinition& body : model.bodies) {
    bool watched = false;
    for (const ForceElementDefinition& e : model.elements) {
      for (int id : e.bodies) watched |= e.auto_stop == AutoStop::kPosition && id == body.id;
    }
    const std::string& n = body.name;
    for (const char* axis : {".x", ".y", ".z"}) add(n + axis, Quantity::kPosition, u.length);
    for (const char* axis : {".rx", ".ry", ".rz"}) add(n + axis, Quantity::kRotation, "rad");
    add(n + ".dm", Quantity::kDistance, u.length, watched);
    for (const char* axis : {".Fx", ".Fy", ".Fz"}) add(n + axis, Quantity::kForce, u.force);
    for (const char* axis : {".Tx", ".Ty", ".Tz"}) add(n + axis, Quantity::kTorque, u.torque);
  }
  row_.resize(columns_.size());
}

ResultTable::~ResultTable() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ResultTable::open(const std::filesystem::path& path, std::string* error) {
  path_ = path;
  file_ = open_for_writing(path);
  if (file_ == nullptr) {
    *error =
        "cannot write the results file " + platform::path_text(path) + ": " + std::strerror(errno);
    return false;
  }
  for (size_t i = 0; i < columns_.size(); ++i) {
    std::fprintf(file_, "%s [%s]", columns_[i].name.c_str(), columns_[i].unit.c_str());
    std::fputc(i + 1 < columns_.size() ? ',' : '\n', file_);
  }
  return true;
}

void ResultTable::add_row(double time, const MultibodySystem& system,
                          const std::vector<Load>& loads) {
  size_t k = 0;
  row_[k++] = time;
  for (int b = 0; b < system.body_count(); ++b) {
    const Eigen::Vector3d rotation = system.rotation_vector(b);
    const Load& load = loads[static_cast<size_t>(b)];
    for (int i = 0; i < 3; ++i) row_[k++] = system.state(b).position[i];
    for (int i = 0; i < 3; ++i) row_[k++] = rotation[i];
    row_[k++] = system.distance_value(b);
    for (int i = 0; i < 3; ++i) row_[k++] = load.force[i];
    for (int i = 0; i < 3; ++i) row_[k++] = load.torque[i];
  }
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& c = columns_[i];
    if (rows_ == 0 || row_[i] < c.min) c.min = row_[i];
    if (rows_ == 0 || row_[i] > c.max) c.max = row_[i];
    if (file_ != nullptr) {
      // As printf's "%.12g", but the same text from every C library.
      char text[32];
      char* end =
          std::to_chars(text, text + sizeof text - 1, row_[i], std::chars_format::general, 12).ptr;
      *end++ = i + 1 < columns_.size() ? ',' : '\n';
      std::fwrite(text, 1, static_cast<size_t>(end - text), file_);
    }
  }
  ++rows_;
}

bool ResultTable::close(std::string* error) {
  if (file_ == nullptr) return true;
  const bool failed = std::ferror(file_) != 0;
  const int saved = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed || !closed) {
    *error = "could not write the results file " + platform::path_text(path_) + ": " +
             std::strerror(failed ? saved : errno);
    return false;
  }
  return true;
}

}  // namespace zkslv
