// The magnetostatic provider: configuration file, group records and the calls into the
// coupling library.
#include "magnetostatic_analysis.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "platform/text_file.h"

namespace velmira {

namespace {

// The record of a group as it is created: its name, at the origin, with the identity
// orientation.
GroupRecord default_group(int index) {
  char name[128];
  std::snprintf(name, sizeof name, "Group%d", index);
  return GroupRecord{name, {0.0, 0.0, 0.0}, {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0}};
}

}  // namespace

MagnetostaticAnalysis* MagnetostaticAnalysis::create(std::string_view library_name) {
  platform::SharedLibrary module = platform::SharedLibrary::open(library_name);
  ICouplingFactory* coupling = nullptr;
  if (module) {
    if (auto entry = module.symbol<GetTarvoQuelmFactoryInterfaceFunction>(kCouplingEntryName)) {
      coupling = entry();
    }
  }
  return new MagnetostaticAnalysis(std::move(module), coupling);
}

MagnetostaticAnalysis::MagnetostaticAnalysis(platform::SharedLibrary coupling_module,
                                             ICouplingFactory* coupling)
    : coupling_module_(std::move(coupling_module)), coupling_(coupling) {}

MagnetostaticAnalysis::~MagnetostaticAnalysis() {
  if (coupling_ != nullptr) {
    coupling_->Release();
    coupling_ = nullptr;
  }
  coupling_module_.close();
}

void MagnetostaticAnalysis::require_coupling() const {
  if (coupling_ == nullptr) throw std::runtime_error("Fail to load coupling library");
}

void MagnetostaticAnalysis::Initialize(const char* config_path) {
  require_coupling();

  // A file that cannot be opened, or a directory, reads as if it were empty: line reading
  // leaves its target as it was once the stream has failed, so the texts keep their earlier
  // contents and the numbers convert from an empty text. Line reading drops a carriage return
  // before the line feed, as Windows text mode does.
  std::ifstream file;
  if (config_path != nullptr) platform::open_text_file(file, config_path);
  platform::read_text_line(file, project_path_);
  platform::read_text_line(file, design_name_);
  // Lines 3 and 4 share one text: when line 4 is missing it still holds line 3.
  std::string number;
  platform::read_text_line(file, number);
  scale_factor_ = std::atof(number.c_str());
  platform::read_text_line(file, number);
  file.close();

  const int group_count = std::atoi(number.c_str());
  if (group_count > 0) {
    // Reserving first turns an absurd count into one allocation failure instead of a
    // long run of growing allocations.
    groups_.reserve(groups_.size() + static_cast<size_t>(group_count));
    for (int i = 0; i < group_count; ++i) groups_.push_back(default_group(i));
  }

  if (design_name_.empty()) {
    std::vector<std::string> designs;
    if (!coupling_->FindDesigns(&project_path_, &designs) || designs.empty()) {
      throw std::runtime_error("Fail to find designs");
    }
    design_name_ = designs.front();
  }

  // The coupling's exception is caught by value: a copy that this library owns.
  bool opened = false;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcatch-value"
  try {
    opened = coupling_->OpenProject(&project_path_, &design_name_);
  } catch (LaunchDesktopExeption error) {
    throw std::runtime_error(std::string("Fail to open project file: ") + error.what());
  }
#pragma GCC diagnostic pop
  if (!opened) throw std::runtime_error("Fail to open project file");
}

void MagnetostaticAnalysis::Reserved() {}

bool MagnetostaticAnalysis::Compute(double time, int count, const double* positions,
                                    const double* /*velocities*/, const double* /*accelerations*/,
                                    const double* orientations,
                                    const double* /*angular_velocities*/,
                                    const double* /*angular_accelerations*/,
                                    std::vector<std::string>* /*messages*/, bool* /*ok*/) {
  require_coupling();
  // Body i is group i; a body without a group record has nowhere to go.
  if (count > 0 && static_cast<size_t>(count) > groups_.size()) {
    throw std::runtime_error("Fail to analyze: " + std::to_string(count) + " bodies but only " +
                             std::to_string(groups_.size()) + " group records");
  }

  for (int i = 0; i < count; ++i) {
    GroupRecord& group = groups_[static_cast<size_t>(i)];
    for (int j = 0; j < 3; ++j) group.position[j] = positions[3 * i + j] * scale_factor_;
    for (int k = 0; k < 9; ++k) group.orientation[k] = orientations[9 * i + k];
  }

  analysis_status_ = 0;
  if (!coupling_->Analyze(time, &groups_, &results_, &analysis_status_)) {
    throw std::runtime_error("Fail to analyze");
  }
  return true;
}

void MagnetostaticAnalysis::GetForces(double /*time*/, int count, double* loads) {
  // A coupling that delivered fewer records than bodies leaves the remaining loads as the
  // caller filled them (zero).
  const size_t copied = count > 0 ? std::min(static_cast<size_t>(count), results_.size()) : 0;
  for (size_t i = 0; i < copied; ++i) {
    std::copy(results_[i].values, results_[i].values + 6, loads + 6 * i);
  }
  results_.clear();
}

void MagnetostaticAnalysis::Release() { delete this; }

}  // namespace velmira
