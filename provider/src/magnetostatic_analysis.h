// MagnetostaticAnalysis: the provider of libVelmira.so. It reads a four-line configuration
// file, opens a field-solver project and design through the coupling library, and at each
// step hands the poses of its moving groups to the coupling's analysis and passes back the
// force and torque of each group. It computes no field itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "coupling/coupling.h"
#include "platform/shared_library.h"
#include "provider/external_force_provider.h"

namespace velmira {

class MagnetostaticAnalysis final : public IExternalForceProvider {
 public:
  // A provider bound to the coupling library `library_name` (the coupling's usual name by
  // default): loads it, looks up its entry point and keeps the interface it returns. A
  // library that does not load, lacks the entry point or returns no interface leaves the
  // provider without coupling; that is reported by Initialize and Compute, not here.
  static MagnetostaticAnalysis* create(std::string_view library_name = kCouplingLibraryName);

  // A provider on a given coupling (null for none); it takes over the module and calls the
  // coupling's Release when it is released itself.
  MagnetostaticAnalysis(platform::SharedLibrary coupling_module, ICouplingFactory* coupling);

  MagnetostaticAnalysis(const MagnetostaticAnalysis&) = delete;
  MagnetostaticAnalysis& operator=(const MagnetostaticAnalysis&) = delete;

  // Reads the configuration file (project path, design name or empty, scale factor,
  // group count), appends the group records and opens the project and design.
  void Initialize(const char* config_path) override;
  void Reserved() override;
  // Scales the positions, copies the orientations into the first `count` group records
  // and runs the coupling's analysis over all records.
  bool Compute(double time, int count, const double* positions, const double* velocities,
               const double* accelerations, const double* orientations,
               const double* angular_velocities, const double* angular_accelerations,
               std::vector<std::string>* messages, bool* ok) override;
  // Copies six values per body from the analysis results, then empties them.
  void GetForces(double time, int count, double* loads) override;
  // Releases the coupling, unloads its library, then frees the provider.
  void Release() override;

 private:
  ~MagnetostaticAnalysis();

  // Throws the "no coupling" failure when the library or its interface is missing.
  void require_coupling() const;

  // The declaration order is the order of the record layout and of destruction: the
  // destructor releases the coupling and unloads its module itself, then the members go in
  // reverse (results, groups, design name, project path).
  platform::SharedLibrary coupling_module_;
  ICouplingFactory* coupling_ = nullptr;
  std::string project_path_;
  std::string design_name_;
  double scale_factor_ = 0.0;
  std::vector<GroupRecord> groups_;
  std::vector<ForceRecord> results_;
  int analysis_status_ = 0;  // handed to Analyze; reset before each call, never read
};

}  // namespace velmira
