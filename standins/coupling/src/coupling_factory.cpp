// The coupling stand-in's interface: project files and designs in, dipole forces out.
#include <filesystem>
#include <optional>
#include <utility>

#include "coupling/coupling.h"
#include "magnet_model.h"
#include "platform/text.h"
#include "project_file.h"

#define TARVOQUELM_API __attribute__((visibility("default")))

namespace tarvoquelm {

namespace {

// How messages name a project file: as given and as resolved against the working directory.
std::string project_file(const std::string& path) {
  return "the project file \"" + path + "\" (" +
         platform::path_text(
             std::filesystem::absolute(platform::narrow_path(path.c_str())).lexically_normal()) +
         ")";
}

// Reads a project file; one that cannot be read throws LaunchDesktopExeption saying why.
Project read_project(const std::string& path) {
  std::string problem;
  std::optional<Project> project = read_project_file(path, &problem);
  if (!project) throw LaunchDesktopExeption("cannot open " + project_file(path) + ": " + problem);
  return std::move(*project);
}

class DipoleCoupling final : public ICouplingFactory {
 public:
  void Reserved1() override {}

  // The design names in file order. A file that cannot be read or is not a project throws
  // LaunchDesktopExeption with the reason.
  bool FindDesigns(const std::string* project_path, std::vector<std::string>* designs) override {
    for (const Design& design : read_project(*project_path).designs) {
      designs->push_back(design.name);
    }
    return true;
  }

  // Reads the project and keeps the design for Analyze. Throws LaunchDesktopExeption when
  // the file cannot be read or is not a project, naming the file as given and as resolved
  // against the working directory, or when the project has no such design, naming the
  // designs it has. Whatever was open before is closed first.
  bool OpenProject(const std::string* project_path, const std::string* design_name) override {
    design_.reset();
    Project project = read_project(*project_path);
    std::string designs;
    for (Design& design : project.designs) {
      if (design.name == *design_name) {
        design_ = std::move(design);
        return true;
      }
      designs += (designs.empty() ? "\"" : ", \"") + design.name + "\"";
    }
    throw LaunchDesktopExeption(
        project_file(*project_path) + " has no design \"" + *design_name + "\"" +
        (designs.empty() ? "; it has no designs" : "; its designs are " + designs));
  }

  void Reserved4() override {}
  void Reserved5() override {}
  void Reserved6() override {}

  // Force and torque on every group record (magnet_model.h); *status receives an
  // AnalysisStatus. False before a design is open; a design whose magnets cannot be analysed
  // throws LaunchDesktopExeption saying which and why. The time plays no part: the field is
  // static.
  bool Analyze(double /*time*/, std::vector<GroupRecord>* groups, std::vector<ForceRecord>* results,
               int* status) override {
    std::string why;
    const int outcome = design_ ? analyze(*design_, *groups, results, &why) : kNoDesignOpen;
    if (status != nullptr) *status = outcome;
    if (outcome != kAnalysisOk && design_) {
      throw LaunchDesktopExeption("cannot analyze design \"" + design_->name + "\": " + why);
    }
    return outcome == kAnalysisOk;
  }

  void Reserved8() override {}
  void Reserved9() override {}
  void Reserved10() override {}

  void Release() override { delete this; }

 private:
  ~DipoleCoupling() = default;

  std::optional<Design> design_;  // the open design, if any
};

}  // namespace

}  // namespace tarvoquelm

// A new interface for each caller; each caller releases its own.
extern "C" TARVOQUELM_API ICouplingFactory* GetTarvoQuelmFactoryInterface() {
  return new tarvoquelm::DipoleCoupling;
}
