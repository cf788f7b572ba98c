// The recording coupling's operations.
#include "recording_coupling.h"

namespace test_support {

ForceRecord RecordingCoupling::record_of(size_t i) {
  ForceRecord record;
  for (size_t k = 0; k < 6; ++k) record.values[k] = 100.0 * static_cast<double>(i) + k + 0.25;
  return record;
}

bool RecordingCoupling::FindDesigns(const std::string* project_path,
                                    std::vector<std::string>* found) {
  log.push_back("FindDesigns " + *project_path);
  if (find_throws) find_throws();
  found->insert(found->end(), designs.begin(), designs.end());
  return find_result;
}

bool RecordingCoupling::OpenProject(const std::string* project_path,
                                    const std::string* design_name) {
  log.push_back("OpenProject " + *project_path + "|" + *design_name);
  if (open_throws) throw *open_throws;
  return open_result;
}

bool RecordingCoupling::Analyze(double time, std::vector<GroupRecord>* groups,
                                std::vector<ForceRecord>* results, int* status) {
  log.emplace_back("Analyze");
  analyses.push_back({time, *groups, results->size(), *status});
  if (records) {
    const std::vector<ForceRecord> added = records(*groups);
    results->insert(results->end(), added.begin(), added.end());
  } else {
    for (size_t i = 0; i < groups->size(); ++i) results->push_back(record_of(i));
  }
  *status = status_after;
  return analyze_result;
}

}  // namespace test_support
