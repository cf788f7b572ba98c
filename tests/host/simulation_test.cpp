// The run loop against a recording subroutine library: the order of the calls, the
// parameters, the services' answers, the loads, termination and failures.
#include "simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "platform/shared_library.h"
#include "recording_subroutine.h"
#include "test_platform.h"

namespace {

using zkslv::Ending;
using zkslv::RunSummary;

// Three steps of 0.25 s from 0.5 s: evaluations at 0.5, 0.75 and 1.0, the end at 1.25.
// Binary fractions keep every time exact.
const std::string kModel = R"(
[simulation]
start_time = 0.5
end_time = 1.25
step = 0.25
subroutine = "host_recording_subroutine"

[[variable]]
id = 7
value = 0.002

[[body]]
id = 3
name = "rotor"
mass = 0.5
inertia = [0.25, 0.25, 0.25]
position = [-0.025, 0.0, 0.01]
velocity = [0.0, 0.5, 0.0]
rotation = [0.0, 0.0, 0.5]
marker = [0.005, 0.0, 0.0]

[[body]]
id = 4
name = "slider"
mass = 2.0
inertia = [1.0, 1.0, 1.0]

[[force_element]]
name = "pull"
library = "fixture_provider"
config = "pull.cfg"
bodies = [4, 3]
interval_variable = 7
auto_stop = "position"
tolerance = 5e-6
instance = 12

[[force_element]]
name = "push"
library = ")" + test_support::library_file("fixture_provider") +
                           R"("
config = "/etc/push.cfg"
bodies = [3]
interval_variable = 7
auto_stop = "force"
tolerance = 0.125
)";

class Simulation : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string message;
    library_ = platform::SharedLibrary::open("host_recording_subroutine", &message);
    ASSERT_TRUE(library_) << message;
    script_ = library_.symbol<RecordingSubroutineScriptFunction>("recording_subroutine_script")();
    *script_ = SubroutineScript{};
  }

  RunSummary run(const std::string& text) {
    model_ = zkslv::parse_model(text, "/models/run/model.toml", "model.toml");
    table_ = std::make_unique<zkslv::ResultTable>(model_);
    zkslv::Console console(out_, out_, false, zkslv::Verbosity::kVerbose);
    return zkslv::simulate(model_, console, *table_);
  }

  // (mode, element number, time) of every recorded call.
  std::vector<std::tuple<int, int, double>> calls() const {
    std::vector<std::tuple<int, int, double>> out;
    for (const SubroutineCall& c : script_->calls) {
      out.emplace_back(c.mode, static_cast<int>(c.params[0]), c.time);
    }
    return out;
  }

  std::vector<SubroutineCall> calls_of(int mode, int element) const {
    std::vector<SubroutineCall> out;
    for (const SubroutineCall& c : script_->calls) {
      if (c.mode == mode && c.params[0] == element) out.push_back(c);
    }
    return out;
  }

  platform::SharedLibrary library_;
  SubroutineScript* script_ = nullptr;
  zkslv::Model model_;
  std::unique_ptr<zkslv::ResultTable> table_;
  std::ostringstream out_;
};

std::string with(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(Simulation, CallsComeInASolversOrder) {
  const RunSummary s = run(kModel);
  const std::vector<std::tuple<int, int, double>> expected = {
      {-1, 1, 0.5}, {-1, 2, 0.5}, {1, 1, 0.5},  {1, 2, 0.5},  {0, 1, 0.5}, {0, 2, 0.5},
      {2, 1, 0.75}, {2, 2, 0.75}, {0, 1, 0.75}, {0, 2, 0.75}, {2, 1, 1.0}, {2, 2, 1.0},
      {0, 1, 1.0},  {0, 2, 1.0},  {2, 1, 1.25}, {2, 2, 1.25}};
  EXPECT_EQ(calls(), expected);
  EXPECT_EQ(s.ending, Ending::kEndTime);
  EXPECT_EQ(s.final_time, 1.25);
  EXPECT_FALSE(s.stop_time.has_value());
  EXPECT_EQ(table_->rows(), 4);  // 0.5, 0.75, 1.0 and the end
}

TEST_F(Simulation, ElementsGetTheirParametersNamesAndHandles) {
  run(kModel);
  const SubroutineCall first = calls_of(-1, 1).at(0);
  EXPECT_EQ(first.params, (std::vector<double>{1, 0, 12, 7, 1, 1, 5e-6, 2, 4, 3}));
  EXPECT_EQ(first.library, "fixture_provider");
  EXPECT_EQ(first.config, "pull.cfg");
  const SubroutineCall second = calls_of(-1, 2).at(0);
  EXPECT_EQ(second.params, (std::vector<double>{2, 0, 2, 7, 1, 2, 0.125, 1, 3}));
  EXPECT_EQ(second.config, "/etc/push.cfg");

  const std::string off = with(with(kModel, "auto_stop = \"force\"\ntolerance = 0.125", ""),
                               "auto_stop = \"position\"", "auto_stop = \"off\"");
  script_->calls.clear();
  run(off);
  EXPECT_EQ(calls_of(-1, 1).at(0).params[4], 0.0);
  EXPECT_EQ(calls_of(-1, 2).at(0).params[4], 0.0);
  EXPECT_EQ(calls_of(-1, 2).at(0).params[6], 0.0);

  // One handle per element, the same in every call.
  for (int element : {1, 2}) {
    for (const SubroutineCall& c : script_->calls) {
      if (c.params[0] == element) {
        EXPECT_EQ(c.handle, calls_of(-1, element)[0].handle);
      }
    }
  }
  EXPECT_NE(calls_of(-1, 1)[0].handle, calls_of(-1, 2)[0].handle);
}

TEST_F(Simulation, ServicesAnswerFromTheModelAndTheState) {
  run(kModel);
  const SubroutineCall c = calls_of(-1, 2).at(0);  // body 3, as the model placed it
  EXPECT_EQ(c.interval, 0.002);
  EXPECT_EQ(std::vector<double>(c.position, c.position + 3),
            (std::vector<double>{-0.025, 0, 0.01}));
  EXPECT_EQ(std::vector<double>(c.velocity, c.velocity + 3), (std::vector<double>{0, 0.5, 0}));
  EXPECT_EQ(c.distance, 0.0);
  EXPECT_EQ(c.model_path, u"/models/run/model.toml");
  // "AM": the body-to-world rotation of 0.5 rad about z, row by row.
  const double expected[9] = {
      std::cos(0.5), -std::sin(0.5), 0, std::sin(0.5), std::cos(0.5), 0, 0, 0, 1};
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(c.orientation[k], expected[k], 1e-15) << k;

  // After one step of 0.25 s at 0.5 m/s the centre has moved 0.125 m along y.
  const SubroutineCall later = calls_of(0, 2).at(1);
  EXPECT_EQ(later.position[1], 0.125);
  EXPECT_NEAR(later.distance, 0.125, 1e-15);
}

TEST_F(Simulation, LoadsActOnTheirBodiesAndAreHeldBetweenInterfacings) {
  // Element 1 lists body 4 first: its first six values push body 4 along z with 3 N, and
  // turn body 3 with 0.5 N·m. They are written once and held from then on.
  script_->loads = {0, 0, 3.0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5};
  script_->loads_once = true;
  run(kModel);
  const std::vector<SubroutineCall> evaluations = calls_of(0, 1);  // first body: 4
  ASSERT_EQ(evaluations.size(), 3u);
  for (size_t k = 0; k < evaluations.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(evaluations[k].velocity[2], 0.375 * static_cast<double>(k));  // + 1.5 m/s² × h
    EXPECT_EQ(evaluations[k].acceleration[2], k == 0 ? 0.0 : 1.5);
  }
  const std::vector<SubroutineCall> rotor = calls_of(0, 2);
  EXPECT_EQ(rotor.at(2).angular_velocity[2], 1.0);  // 2 rad/s² for two steps of 0.25 s
  EXPECT_EQ(rotor.at(2).angular_acceleration[2], 2.0);
  EXPECT_EQ(rotor.at(2).velocity[0], 0.0);
}

TEST_F(Simulation, TerminationEndsTheRunAfterTheCurrentStep) {
  script_->terminate_at = 0.75;
  const RunSummary s = run(kModel);
  const std::vector<std::tuple<int, int, double>> all = calls();
  const std::vector<std::tuple<int, int, double>> tail(all.end() - 4, all.end());
  const std::vector<std::tuple<int, int, double>> expected = {
      {0, 1, 0.75}, {0, 2, 0.75}, {2, 1, 1.0}, {2, 2, 1.0}};
  EXPECT_EQ(tail, expected);
  EXPECT_EQ(s.ending, Ending::kStopped);
  EXPECT_EQ(s.final_time, 1.0);
  EXPECT_EQ(s.stop_time, 0.75);
  EXPECT_EQ(s.stop_text, "Stop at 0.75");
  EXPECT_FALSE(s.failure_reported);
  EXPECT_EQ(table_->rows(), 3);  // 0.5, 0.75 and the end at 1.0
  EXPECT_NE(out_.str().find("[    0.750000 s] Stop at 0.75\n"), std::string::npos) << out_.str();
}

TEST_F(Simulation, RunawayFailsTheRunEvenAfterAStopRequest) {
  // The rotor coasts at 0.5 m/s. The element asks for the end at 0.75 s; the step to 1.0 s
  // still has to stay within the limits.
  struct Case {
    const char* limit;
    std::string error;
  };
  const Case cases[] = {
      {"runaway_distance = 0.2",
       "the body \"rotor\" ran away at t = 1 s: its centre is 0.25 m from where it started, "
       "beyond 0.2 m (runaway_distance)."},
      {"runaway_speed = 0.4",
       "the body \"rotor\" ran away at t = 0.75 s: it moves at 0.5 m/s, faster than 0.4 m/s "
       "(runaway_speed)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    script_->terminate_at = 0.75;
    const RunSummary s = run(with(kModel, "step = 0.25", "step = 0.25\n" + std::string(c.limit)));
    EXPECT_EQ(s.ending, Ending::kFailed);
    EXPECT_EQ(s.error.rfind(c.error, 0), 0u) << s.error;
  }
}

TEST_F(Simulation, RelayedFailureCountsAsAFailedRun) {
  script_->terminate_at = 1.0;
  script_->relay_failure = true;
  script_->stop_text = "the field solver lost its licence";
  const RunSummary s = run(kModel);
  EXPECT_EQ(s.ending, Ending::kStopped);
  EXPECT_TRUE(s.failure_reported);
  EXPECT_EQ(s.stop_text, "the field solver lost its licence");
  EXPECT_NE(out_.str().find("[    1.000000 s] the field solver lost its licence\n"),
            std::string::npos);
}

TEST_F(Simulation, FailuresEndTheRunNamingTheElement) {
  struct Case {
    const char* name;
    std::string model;
    int throw_mode;
    double throw_at;
    std::vector<double> loads;
    std::string error;
    double final_time;
  };
  const std::string missing = with(kModel, "library = \"fixture_provider\"\nconfig = \"pull.cfg\"",
                                   "library = \"no_such_provider\"\nconfig = \"pull.cfg\"");
  const double nan = std::nan("");
  const Case cases[] = {
      {"exception in an evaluation",
       kModel,
       0,
       0.75,
       {},
       "model.toml:28: force element \"pull\": its evaluation call failed at t = 0.75 s: "
       "scripted failure",
       0.75},
      {"exception in a position check",
       kModel,
       2,
       1.0,
       {},
       "model.toml:28: force element \"pull\": its position check call failed at t = 1 s: "
       "scripted failure",
       1.0},
      {"exception in an initialisation",
       kModel,
       -1,
       0.5,
       {},
       "model.toml:28: force element \"pull\": the provider \"fixture_provider\" could not be "
       "initialised from " +
           (std::filesystem::path("/models/run") / "pull.cfg").string() + ": scripted failure",
       0.5},
      {"provider library missing",
       with(missing, "host_recording_subroutine", "ostrel"),
       0,
       nan,
       {},
       "model.toml:28: force element \"pull\": the provider library \"no_such_provider\" cannot "
       "be loaded: cannot load library \"no_such_provider\": ",
       0.5},
      {"subroutine library missing",
       with(kModel, "host_recording_subroutine", "no_such_sub"),
       0,
       nan,
       {},
       "cannot load the subroutine library: cannot load library \"no_such_sub\": ",
       0.5},
      {"unbounded loads",
       kModel,
       0,
       nan,
       {nan, 0, 0, 0, 0, 0},
       "the motion is no longer finite at t = 0.75 s",
       0.75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    script_->calls.clear();
    script_->throw_mode = c.throw_mode;
    script_->throw_at = c.throw_at;
    script_->loads = c.loads;
    const RunSummary s = run(c.model);
    EXPECT_EQ(s.ending, Ending::kFailed);
    EXPECT_EQ(s.error.rfind(c.error, 0), 0u) << s.error;
    EXPECT_EQ(s.final_time, c.final_time);
  }
}

TEST_F(Simulation, RefusesAModelPathTheInterfaceCannotCarry) {
  const std::string folder(1100, 'm');
  zkslv::Model m = zkslv::parse_model(kModel, "/" + folder + "/model.toml", "model.toml");
  zkslv::ResultTable table(m);
  zkslv::Console console(out_, out_, false, zkslv::Verbosity::kVerbose);
  const RunSummary s = zkslv::simulate(m, console, table);
  EXPECT_EQ(s.ending, Ending::kFailed);
  EXPECT_NE(s.error.find("is 1112 UTF-16 units long; the host interface carries at most 1023"),
            std::string::npos)
      << s.error;
  EXPECT_TRUE(script_->calls.empty());
}

}  // namespace
