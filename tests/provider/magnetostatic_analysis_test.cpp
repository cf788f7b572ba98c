// MagnetostaticAnalysis driven with a recording coupling: configuration reading, group
// records, the calls into the coupling and every failure.
#include "magnetostatic_analysis.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_coupling.h"
#include "temp_file.h"
#include "test_platform.h"

namespace {

using test_support::RecordingCoupling;
using test_support::TempFile;
using velmira::MagnetostaticAnalysis;

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

class MagnetostaticAnalysisTest : public ::testing::Test {
 protected:
  ~MagnetostaticAnalysisTest() override {
    if (provider_ != nullptr) provider_->Release();
  }

  MagnetostaticAnalysis& provider() {
    if (provider_ == nullptr) provider_ = new MagnetostaticAnalysis({}, &coupling_);
    return *provider_;
  }

  void initialize(std::string_view config_text) {
    const TempFile config(".cfg", config_text);
    provider().Initialize(config.path().c_str());
  }

  // Compute with the given poses; velocities and the rest are never read.
  bool compute(double time, int count, const std::vector<double>& positions,
               const std::vector<double>& orientations) {
    return provider().Compute(time, count, positions.data(), nullptr, nullptr, orientations.data(),
                              nullptr, nullptr, &messages_, &ok_);
  }

  // The group records of the last Analyze.
  const std::vector<GroupRecord>& analyzed_groups() const {
    return coupling_.analyses.back().groups;
  }

  RecordingCoupling coupling_;
  MagnetostaticAnalysis* provider_ = nullptr;
  std::vector<std::string> messages_;
  bool ok_ = true;
};

void expect_default_group(const GroupRecord& group, const std::string& name) {
  SCOPED_TRACE(name);
  EXPECT_EQ(group.name, name);
  for (double p : group.position) EXPECT_EQ(p, 0.0);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(group.orientation[k], kIdentity[k]);
}

// Runs one Initialize and returns the message of the standard exception it throws.
template <class Action>
std::string failure_of(Action action) {
  try {
    action();
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "(nothing thrown)";
}

TEST_F(MagnetostaticAnalysisTest, CreatesNamedGroupsAtTheOriginWithIdentityOrientation) {
  initialize("/models/rotor.toml\nRotor B\n1.5\n3\nignored fifth line\n");
  EXPECT_EQ(coupling_.log, (std::vector<std::string>{"OpenProject /models/rotor.toml|Rotor B"}));

  compute(0.0, 0, {}, {});
  ASSERT_EQ(analyzed_groups().size(), 3u);
  expect_default_group(analyzed_groups()[0], "Group0");
  expect_default_group(analyzed_groups()[1], "Group1");
  expect_default_group(analyzed_groups()[2], "Group2");
}

TEST_F(MagnetostaticAnalysisTest, ReadsConfigurationLines) {
  struct Case {
    const char* name;
    const char* text;
    size_t groups;
    double scale;
  };
  const Case cases[] = {
      {"count 3", "p\nd\n0.5\n3\n", 3, 0.5},
      {"count 0", "p\nd\n0.5\n0\n", 0, 0.5},
      {"negative count", "p\nd\n0.5\n-2\n", 0, 0.5},
      {"count not a number", "p\nd\n0.5\nabc\n", 0, 0.5},
      {"count with trailing text", "p\nd\n0.5\n  2 groups\n", 2, 0.5},
      {"count with fraction", "p\nd\n0.5\n2.9\n", 2, 0.5},
      {"scale 0.001", "p\nd\n0.001\n1\n", 1, 0.001},
      {"scale with exponent and trailing text", "p\nd\n  2.5e-3mm\n1\n", 1, 2.5e-3},
      {"scale not a number", "p\nd\nabc\n1\n", 1, 0.0},
      {"no line end after the count", "p\nd\n0.5\n2", 2, 0.5},
      {"scale is the last line: converted again as count", "p\nd\n2.5", 2, 2.5},
      // With a line end after it the fourth read starts before the end of the file, so it
      // empties the text first and finds no count.
      {"scale is the last line with line end", "p\nd\n2.5\n", 0, 2.5},
      {"windows line ends", "p\r\nd\r\n0.5\r\n2\r\n", 2, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingCoupling coupling;
    auto* provider = new MagnetostaticAnalysis({}, &coupling);
    const TempFile config(".cfg", c.text);
    provider->Initialize(config.path().c_str());
    EXPECT_EQ(coupling.log.front(), "OpenProject p|d");

    // The scale factor shows in the positions handed to the coupling.
    const std::vector<double> positions(3 * c.groups, 3.7);
    const std::vector<double> orientations(9 * c.groups, 0.25);
    provider->Compute(0.0, static_cast<int>(c.groups), positions.data(), nullptr, nullptr,
                      orientations.data(), nullptr, nullptr, nullptr, nullptr);
    const std::vector<GroupRecord>& groups = coupling.analyses.back().groups;
    ASSERT_EQ(groups.size(), c.groups);
    for (const GroupRecord& group : groups) EXPECT_EQ(group.position[1], 3.7 * c.scale);
    provider->Release();
  }
}

TEST_F(MagnetostaticAnalysisTest, ScalesPositionsAndCopiesOrientations) {
  initialize("p\nd\n0.001\n2\n");
  const std::vector<double> positions = {12.5, -40.25, 3.125, 1000.0, 0.0, -7.75};
  std::vector<double> orientations(18);
  for (size_t k = 0; k < orientations.size(); ++k) orientations[k] = 0.1 * k - 0.35;
  EXPECT_TRUE(compute(2.5, 2, positions, orientations));

  ASSERT_EQ(coupling_.analyses.size(), 1u);
  EXPECT_EQ(coupling_.analyses[0].time, 2.5);
  const std::vector<GroupRecord>& groups = analyzed_groups();
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(groups[i].position[j], positions[3 * i + j] * 0.001);
    // As given: neither scaled nor transposed.
    for (int k = 0; k < 9; ++k) EXPECT_EQ(groups[i].orientation[k], orientations[9 * i + k]);
  }
  // The exception channel only: ok and messages stay as the caller set them.
  EXPECT_TRUE(ok_);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MagnetostaticAnalysisTest, DesignLineOfSpacesIsADesignName) {
  initialize("p\n   \n1\n1\n");
  EXPECT_EQ(coupling_.log, (std::vector<std::string>{"OpenProject p|   "}));
}

TEST_F(MagnetostaticAnalysisTest, EmptyDesignLineOpensTheFirstDesign) {
  initialize("/data/motor project.toml\n\n1\n1\n");
  EXPECT_EQ(coupling_.log,
            (std::vector<std::string>{"FindDesigns /data/motor project.toml",
                                      "OpenProject /data/motor project.toml|Rotor A"}));
}

TEST_F(MagnetostaticAnalysisTest, UnreadableFileKeepsTextsAndAddsNoGroups) {
  // Fresh: empty project path, so the design comes from FindDesigns.
  provider().Initialize("/nonexistent/velmira.cfg");
  EXPECT_EQ(coupling_.log, (std::vector<std::string>{"FindDesigns ", "OpenProject |Rotor A"}));

  // After a good file: the texts of that file stay, no groups are added. A directory cannot
  // be opened as a file either.
  const std::string unreadable[] = {"/nonexistent/velmira.cfg", ::testing::TempDir()};
  for (std::size_t i = 0; i < std::size(unreadable); ++i) {
    SCOPED_TRACE(unreadable[i]);
    initialize("p\nd\n0.5\n1\n");
    coupling_.log.clear();
    provider().Initialize(unreadable[i].c_str());
    EXPECT_EQ(coupling_.log, (std::vector<std::string>{"OpenProject p|d"}));
    compute(0.0, 1, {2.0, 4.0, 8.0}, std::vector<double>(kIdentity, kIdentity + 9));
    ASSERT_EQ(analyzed_groups().size(), i + 1);
    EXPECT_EQ(analyzed_groups()[0].position[0], 0.0);  // the scale factor became 0.0
  }
}

TEST_F(MagnetostaticAnalysisTest, SecondInitializeAppendsRecords) {
  initialize("p\nd\n1\n2\n");
  initialize("p\nd\n1\n2\n");
  compute(0.0, 2, {1, 2, 3, 4, 5, 6}, std::vector<double>(18, 0.5));

  const std::vector<GroupRecord>& groups = analyzed_groups();
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].name, "Group0");
  EXPECT_EQ(groups[1].name, "Group1");
  EXPECT_EQ(groups[1].position[2], 6.0);
  expect_default_group(groups[2], "Group0");
  expect_default_group(groups[3], "Group1");
}

TEST_F(MagnetostaticAnalysisTest, RecordsBeyondCountKeepTheirValues) {
  initialize("p\nd\n1\n3\n");
  compute(0.0, 3, {1, 1, 1, 2, 2, 2, 3, 3, 3}, std::vector<double>(27, 0.5));
  double loads[18] = {};
  provider().GetForces(0.0, 3, loads);
  compute(0.1, 1, {9, 9, 9}, std::vector<double>(9, -0.5));

  const std::vector<GroupRecord>& groups = analyzed_groups();
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].position[0], 9.0);
  EXPECT_EQ(groups[0].orientation[8], -0.5);
  EXPECT_EQ(groups[1].position[0], 2.0);
  EXPECT_EQ(groups[2].position[0], 3.0);
  EXPECT_EQ(groups[2].orientation[8], 0.5);
}

TEST_F(MagnetostaticAnalysisTest, AnalyzeStartsWithZeroStatusAndEmptyResults) {
  initialize("p\nd\n1\n2\n");
  for (int step = 0; step < 2; ++step) {
    compute(0.0, 2, std::vector<double>(6, 1.0), std::vector<double>(18, 1.0));
    double loads[12] = {};
    provider().GetForces(0.0, 2, loads);
  }
  ASSERT_EQ(coupling_.analyses.size(), 2u);
  for (const test_support::AnalyzeCall& call : coupling_.analyses) {
    EXPECT_EQ(call.status_on_entry, 0);  // the coupling left 7 after the first call
    EXPECT_EQ(call.results_on_entry, 0u);
  }
}

TEST_F(MagnetostaticAnalysisTest, GetForcesCopiesSixValuesPerBodyThenEmptiesResults) {
  initialize("p\nd\n1\n3\n");
  compute(0.0, 2, std::vector<double>(6, 1.0), std::vector<double>(18, 1.0));
  double loads[13] = {};
  loads[12] = -1.0;  // beyond 2 bodies: untouched
  provider().GetForces(0.0, 2, loads);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(loads[6 * i + k], RecordingCoupling::record_of(i).values[k]);
    }
  }
  EXPECT_EQ(loads[12], -1.0);

  double again[12] = {};
  provider().GetForces(0.0, 2, again);
  for (double v : again) EXPECT_EQ(v, 0.0);
}

TEST_F(MagnetostaticAnalysisTest, CountZeroWritesNothingAndEmptiesResults) {
  initialize("p\nd\n1\n2\n");
  compute(0.0, 0, {}, {});
  double loads[6] = {};
  provider().GetForces(0.0, 0, loads);
  for (double v : loads) EXPECT_EQ(v, 0.0);
  compute(0.0, 0, {}, {});
  EXPECT_EQ(coupling_.analyses.back().results_on_entry, 0u);
}

TEST_F(MagnetostaticAnalysisTest, FewerResultsThanBodiesCopiesWhatThereIs) {
  initialize("p\nd\n1\n3\n");
  coupling_.records = [](const std::vector<GroupRecord>&) {
    return std::vector<ForceRecord>{RecordingCoupling::record_of(0)};
  };
  compute(0.0, 3, std::vector<double>(9, 1.0), std::vector<double>(27, 1.0));
  double loads[18] = {};
  provider().GetForces(0.0, 3, loads);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(loads[k], RecordingCoupling::record_of(0).values[k]);
  for (int k = 6; k < 18; ++k) EXPECT_EQ(loads[k], 0.0);
}

TEST_F(MagnetostaticAnalysisTest, FailuresThrowWithTheirMessages) {
  struct Case {
    const char* name;
    const char* config;
    void (*script)(RecordingCoupling&);
    const char* message;
  };
  const Case cases[] = {
      {"designs not found", "p\n\n1\n1\n", [](RecordingCoupling& c) { c.find_result = false; },
       "Fail to find designs"},
      {"designs found but none listed", "p\n\n1\n1\n",
       [](RecordingCoupling& c) { c.designs.clear(); }, "Fail to find designs"},
      {"project not opened", "p\nd\n1\n1\n", [](RecordingCoupling& c) { c.open_result = false; },
       "Fail to open project file"},
      {"launch failure with message", "p\nd\n1\n1\n",
       [](RecordingCoupling& c) { c.open_throws = LaunchDesktopExeption("solver did not start"); },
       "Fail to open project file: solver did not start"},
      {"launch failure without message", "p\nd\n1\n1\n",
       [](RecordingCoupling& c) { c.open_throws = LaunchDesktopExeption(); },
       "Fail to open project file: Unknown exception"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingCoupling coupling;
    c.script(coupling);
    auto* provider = new MagnetostaticAnalysis({}, &coupling);
    const TempFile config(".cfg", c.config);
    EXPECT_EQ(failure_of([&] { provider->Initialize(config.path().c_str()); }), c.message);
    provider->Release();
    EXPECT_EQ(coupling.log.back(), "Release");
  }
}

TEST_F(MagnetostaticAnalysisTest, FailedInitializeKeepsWhatItRead) {
  coupling_.open_result = false;
  EXPECT_THROW(initialize("p\nd\n1\n2\n"), std::runtime_error);
  coupling_.open_result = true;
  provider().Initialize("/nonexistent/velmira.cfg");
  EXPECT_EQ(coupling_.log.back(), "OpenProject p|d");
  compute(0.0, 0, {}, {});
  EXPECT_EQ(analyzed_groups().size(), 2u);
}

TEST_F(MagnetostaticAnalysisTest, ExceptionFromFindDesignsPassesThrough) {
  coupling_.find_throws = [] { throw LaunchDesktopExeption("project unreadable"); };
  try {
    initialize("p\n\n1\n1\n");
    FAIL() << "nothing thrown";
  } catch (const LaunchDesktopExeption& error) {
    EXPECT_STREQ(error.what(), "project unreadable");
  }
}

TEST_F(MagnetostaticAnalysisTest, AnalyzeFailureThrows) {
  initialize("p\nd\n1\n1\n");
  coupling_.analyze_result = false;
  EXPECT_EQ(failure_of([&] {
              compute(0.0, 1, {1, 2, 3}, std::vector<double>(9, 1.0));
            }),
            "Fail to analyze");
}

TEST_F(MagnetostaticAnalysisTest, MoreBodiesThanGroupsThrowsBeforeAnyWrite) {
  initialize("p\nd\n1\n3\n");
  const std::string message =
      failure_of([&] { compute(0.0, 4, std::vector<double>(12, 1.0), std::vector<double>(36)); });
  EXPECT_EQ(message.rfind("Fail to analyze", 0), 0u) << message;
  EXPECT_NE(message.find('4'), std::string::npos) << message;
  EXPECT_NE(message.find('3'), std::string::npos) << message;
  EXPECT_TRUE(coupling_.analyses.empty());

  compute(0.0, 0, {}, {});
  for (const GroupRecord& group : analyzed_groups()) EXPECT_EQ(group.position[0], 0.0);
}

TEST(MagnetostaticAnalysisWithoutCoupling, InitializeAndComputeThrowReleaseFrees) {
  auto* provider = new MagnetostaticAnalysis({}, nullptr);
  const TempFile config(".cfg", "p\nd\n1\n1\n");
  EXPECT_EQ(failure_of([&] { provider->Initialize(config.path().c_str()); }),
            "Fail to load coupling library");
  const double positions[3] = {1, 2, 3};
  EXPECT_EQ(failure_of([&] {
              provider->Compute(0.0, 1, positions, nullptr, nullptr, kIdentity, nullptr, nullptr,
                                nullptr, nullptr);
            }),
            "Fail to load coupling library");
  double loads[6] = {};
  provider->GetForces(0.0, 1, loads);
  for (double v : loads) EXPECT_EQ(v, 0.0);
  provider->Release();
}

TEST(MagnetostaticAnalysisWithoutCoupling, MissingLibraryOrEntryPointLeavesNoCoupling) {
  for (const std::string& library : {std::string("NoSuchCouplingLibrary.dll"),
                                     test_support::library_file("fixture_no_export")}) {
    SCOPED_TRACE(library);
    MagnetostaticAnalysis* provider = MagnetostaticAnalysis::create(library);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(failure_of([&] { provider->Initialize("/nonexistent/velmira.cfg"); }),
              "Fail to load coupling library");
    provider->Release();
  }
}

}  // namespace
