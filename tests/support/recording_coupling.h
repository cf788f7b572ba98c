// A coupling for tests: answers from a script and records every call it receives.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "coupling/coupling.h"

namespace test_support {

struct AnalyzeCall {
  double time = 0.0;
  std::vector<GroupRecord> groups;  // the records as handed over
  size_t results_on_entry = 0;      // size of the results vector on entry
  int status_on_entry = 0;
};

// Owned by the test: its Release only records the call.
class RecordingCoupling final : public ICouplingFactory {
 public:
  // Script. FindDesigns fills `designs` and answers `find_result`; OpenProject throws
  // `open_throws` when set, else answers `open_result`; Analyze appends `records(groups)`
  // (by default one record per group, values 100 i + k + 0.25), sets the status to
  // `status_after` and answers `analyze_result`.
  bool find_result = true;
  std::vector<std::string> designs = {"Rotor A", "Rotor B"};
  std::function<void()> find_throws;  // runs first in FindDesigns when set
  bool open_result = true;
  std::optional<LaunchDesktopExeption> open_throws;
  bool analyze_result = true;
  std::function<std::vector<ForceRecord>(const std::vector<GroupRecord>&)> records;
  int status_after = 7;

  // Record: "FindDesigns <path>", "OpenProject <path>|<design>", "Analyze", "Release".
  std::vector<std::string> log;
  std::vector<AnalyzeCall> analyses;

  // The default record of group i.
  static ForceRecord record_of(size_t i);

  void Reserved1() override { log.emplace_back("Reserved1"); }
  bool FindDesigns(const std::string* project_path, std::vector<std::string>* found) override;
  bool OpenProject(const std::string* project_path, const std::string* design_name) override;
  void Reserved4() override { log.emplace_back("Reserved4"); }
  void Reserved5() override { log.emplace_back("Reserved5"); }
  void Reserved6() override { log.emplace_back("Reserved6"); }
  bool Analyze(double time, std::vector<GroupRecord>* groups, std::vector<ForceRecord>* results,
               int* status) override;
  void Reserved8() override { log.emplace_back("Reserved8"); }
  void Reserved9() override { log.emplace_back("Reserved9"); }
  void Reserved10() override { log.emplace_back("Reserved10"); }
  void Release() override { log.emplace_back("Release"); }
};

}  // namespace test_support
