// Reading model files: values and defaults, and an error naming file and line for every
// rejected input.
#include "model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>

#include "test_platform.h"

namespace {

using zkslv::AutoStop;
using zkslv::Model;
using zkslv::ModelError;

const std::filesystem::path kModelPath = "/models/demo/model.toml";

Model parse(const std::string& text) { return zkslv::parse_model(text, kModelPath, "model.toml"); }

// A model with one of everything; the error cases below change one line of it.
const std::string kComplete = R"(
[simulation]
title = "All parts"
start_time = 0.125
end_time = 2.385
step = 0.0005
gravity = [0.0, 0.0, -9.80665]
subroutine = "ostrel"

[[variable]]
id = 7
name = "interval"
value = 0.002

[[body]]
id = 3
name = "rotor"
mass = 0.0312
inertia = [2.385e-6, 2.5e-6, 2.75e-6]
position = [-0.025, 0.0, 0.01]
velocity = [0.0, 0.5, 0.0]
rotation = [0.0, 0.0, 1.0821]
angular_velocity = [0.0, 0.0, 3.5]
pinned = true
marker = [0.005, 0.0, 0.0]
dm_reference = [0.0, 0.0, 0.0]

[[body]]
id = 4
mass = 7
inertia = [1, 1, 1]

[[spring]]
body = 3
point = [0.0, 0.0, 0.002]
other = 4
other_point = [0.001, 0.0, 0.0]
stiffness = 41.5
damping = 0.0825
free_length = 0.0685

[[spring]]
body = 4
ground = [0.0, 0.0, 0.12]
stiffness = 12

[[rotational_spring]]
body = 3
damping = 2.2e-5

[[force_element]]
name = "magnets"
library = "Velmira"
config = "velmira.cfg"
bodies = [4, 3]
interval_variable = 7
auto_stop = "position"
tolerance = 5e-6
instance = 12

[[force_element]]
library = "Other"
config = "/etc/other.cfg"
bodies = [3]
interval_variable = 7
)";

TEST(ModelFile, ReadsEveryPartWithItsDefaults) {
  const Model m = parse(kComplete);
  EXPECT_EQ(m.title, "All parts");
  EXPECT_EQ(m.start_time, 0.125);
  EXPECT_EQ(m.end_time, 2.385);
  EXPECT_EQ(m.step, 0.0005);
  EXPECT_EQ(m.gravity, Eigen::Vector3d(0.0, 0.0, -9.80665));
  EXPECT_EQ(m.subroutine, "ostrel");

  ASSERT_EQ(m.variables.size(), 1u);
  EXPECT_EQ(m.variables[0].id, 7);
  EXPECT_EQ(m.variables[0].value, 0.002);

  ASSERT_EQ(m.bodies.size(), 2u);
  const zkslv::BodyDefinition& rotor = m.bodies[0];
  EXPECT_EQ(rotor.id, 3);
  EXPECT_EQ(rotor.name, "rotor");
  EXPECT_EQ(rotor.mass, 0.0312);
  EXPECT_EQ(rotor.inertia, Eigen::Vector3d(2.385e-6, 2.5e-6, 2.75e-6));
  EXPECT_EQ(rotor.velocity, Eigen::Vector3d(0.0, 0.5, 0.0));
  EXPECT_EQ(rotor.rotation, Eigen::Vector3d(0.0, 0.0, 1.0821));
  EXPECT_EQ(rotor.angular_velocity, Eigen::Vector3d(0.0, 0.0, 3.5));
  EXPECT_TRUE(rotor.pinned);
  EXPECT_EQ(rotor.marker, Eigen::Vector3d(0.005, 0.0, 0.0));
  ASSERT_TRUE(rotor.dm_reference.has_value());
  EXPECT_EQ(rotor.source.line, 15);

  const zkslv::BodyDefinition& plain = m.bodies[1];
  EXPECT_EQ(plain.name, "body4");
  EXPECT_EQ(plain.mass, 7.0);  // an integer reads as a number
  EXPECT_EQ(plain.position, Eigen::Vector3d::Zero());
  EXPECT_FALSE(plain.pinned);
  EXPECT_FALSE(plain.dm_reference.has_value());

  ASSERT_EQ(m.springs.size(), 2u);
  EXPECT_EQ(m.springs[0].other, 4);
  EXPECT_EQ(m.springs[0].other_point, Eigen::Vector3d(0.001, 0.0, 0.0));
  EXPECT_EQ(m.springs[0].free_length, 0.0685);
  EXPECT_FALSE(m.springs[1].other.has_value());
  EXPECT_EQ(m.springs[1].other_point, Eigen::Vector3d(0.0, 0.0, 0.12));
  EXPECT_EQ(m.springs[1].damping, 0.0);
  ASSERT_EQ(m.rotational_springs.size(), 1u);
  EXPECT_EQ(m.rotational_springs[0].damping, 2.2e-5);

  ASSERT_EQ(m.elements.size(), 2u);
  const zkslv::ForceElementDefinition& e = m.elements[0];
  EXPECT_EQ(e.name, "magnets");
  EXPECT_EQ(e.library, "Velmira");
  EXPECT_EQ(e.bodies, (std::vector<int>{4, 3}));
  EXPECT_EQ(e.auto_stop, AutoStop::kPosition);
  EXPECT_EQ(e.tolerance, 5e-6);
  EXPECT_EQ(e.instance, 12);
  EXPECT_EQ(m.elements[1].name, "element2");
  EXPECT_EQ(m.elements[1].auto_stop, AutoStop::kOff);
  EXPECT_EQ(m.elements[1].instance, 2);

  EXPECT_EQ(m.resolved_config(e), "/models/demo/velmira.cfg");
  EXPECT_EQ(m.resolved_config(m.elements[1]), "/etc/other.cfg");
  EXPECT_EQ(m.where(e.source), "model.toml:51");

  // The size spans the second body's start and the second spring's anchor, plus the longest
  // free length; the runaway limits follow from it and the step.
  EXPECT_EQ(m.units->name, std::string("m-kg-s"));
  EXPECT_EQ(m.output_every, 1);
  EXPECT_DOUBLE_EQ(m.size(), 0.12 + 0.0685);
  EXPECT_EQ(m.runaway_distance, 1000.0 * m.size());
  EXPECT_EQ(m.runaway_speed, m.runaway_distance / 0.0005);
  EXPECT_EQ(m.runaway_angular_speed, std::numbers::pi / 0.0005);
  const Model small = parse(
      "[simulation]\nunits = \"mm-t-s\"\nend_time = 1.0\nstep = 0.1\nrunaway_speed = 2.385\n"
      "[[body]]\nid = 1\nmass = 1\ninertia = [1, 1, 1]\n");
  EXPECT_EQ(small.size(), 1000.0);  // nothing placed: one metre in millimetres
  EXPECT_EQ(small.runaway_speed, 2.385);
}

TEST(ModelFile, StepCountReachesTheEndTime) {
  struct Case {
    double start, end, step;
    long long steps;
  };
  const Case cases[] = {{0.0, 3.0, 0.0005, 6000},
                        {0.0, 0.1, 0.001, 100},
                        {0.125, 2.385, 0.0005, 4520},
                        {0.0, 1.0, 0.3, 4},  // the last step passes the end time
                        {0.0, 1e-3, 0.25, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    Model m;
    m.start_time = c.start;
    m.end_time = c.end;
    m.step = c.step;
    EXPECT_EQ(m.step_count(), c.steps);
  }
}

// Replaces the first occurrence of `from` in `text`.
std::string with(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Replaces the first occurrence of `from` in the complete model.
std::string changed(const std::string& from, const std::string& to) {
  return with(kComplete, from, to);
}

TEST(ModelFile, RejectsBadInputNamingFileAndLine) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"not TOML", changed("[simulation]", "[simulation"), "model.toml:2:12: "},
      {"non-ASCII character right after a value", "a = 1\xC2\xA1\n", "model.toml:1:"},
      {"no simulation table", changed("[simulation]", "[simulations]"),
       "model.toml:1: the model needs a [simulation] table"},
      {"no bodies", "[simulation]\nend_time = 1.0\nstep = 0.1\n",
       "model.toml:1: the model has no [[body]]"},
      {"unknown key at top", "extra = 1\n" + kComplete,
       "model.toml:1:1: model: unknown key \"extra\""},
      {"unknown key in a table", changed("[[variable]]", "extra = 1\n[[variable]]"),
       "model.toml:10:1: [simulation]: unknown key \"extra\""},
      {"misspelt key", changed("free_length = 0.0685", "free_lenght = 0.0685"),
       "model.toml:40:1: [[spring]]: unknown key \"free_lenght\""},
      {"missing end time", changed("end_time = 2.385", ""),
       "model.toml:2:1: [simulation]: the key \"end_time\" is missing"},
      {"zero step", changed("step = 0.0005", "step = 0.0"),
       "model.toml:6:8: [simulation]: \"step\" must be a positive number of seconds, not 0"},
      {"end before start", changed("end_time = 2.385", "end_time = 0.1"),
       "model.toml:5:12: [simulation]: \"end_time\" must lie after the start time 0.125"},
      {"too many steps", changed("step = 0.0005", "step = 1e-9"),
       "model.toml:6:8: [simulation]: the run would take more than 100000000 steps"},
      {"text for a number", changed("mass = 0.0312", "mass = \"heavy\""),
       "model.toml:18:8: [[body]]: \"mass\" must be a number"},
      {"infinite number", changed("mass = 0.0312", "mass = inf"),
       "model.toml:18:8: [[body]]: \"mass\" must be a finite number"},
      {"negative mass", changed("mass = 0.0312", "mass = -0.0312"),
       "model.toml:18:8: [[body]]: \"mass\" must be a positive number of kilograms, not -0.0312"},
      {"zero inertia", changed("inertia = [1, 1, 1]", "inertia = [1, 0, 1]"),
       "[[body]]: the three principal moments of inertia must be positive"},
      {"short vector", changed("position = [-0.025, 0.0, 0.01]", "position = [-0.025, 0.0]"),
       "model.toml:20:12: [[body]]: \"position\" must be an array of three numbers"},
      {"id zero", changed("id = 3", "id = 0"),
       "model.toml:16:6: [[body]]: \"id\" must lie between 1 and 2147483647"},
      {"fractional id", changed("id = 3", "id = 3.5"),
       "model.toml:16:6: [[body]]: \"id\" must be an integer"},
      {"duplicate body id", changed("id = 4", "id = 3"), "[[body]]: another body has the id 3"},
      {"duplicate body name", changed("id = 4\n", "id = 4\nname = \"rotor\"\n"),
       "model.toml:28:1: [[body]]: another body is named \"rotor\""},
      {"name unfit for a column", changed("name = \"rotor\"", "name = \"rotor, left\""),
       "[[body]]: the name \"rotor, left\" may hold only letters, digits, '_' and '-'"},
      {"pinned not a boolean", changed("pinned = true", "pinned = 1"),
       "[[body]]: \"pinned\" must be true or false"},
      {"spring to an unknown body", changed("other = 4", "other = 5"),
       "model.toml:36:9: [[spring]]: there is no body with the id 5"},
      {"spring with ground and other", changed("other = 4", "other = 4\nground = [0, 0, 0]"),
       "model.toml:33:1: [[spring]]: give exactly one of \"other\" (a body id) and \"ground\""},
      {"spring to itself", changed("other = 4", "other = 3"),
       "[[spring]]: a spring cannot join a body to itself"},
      {"negative stiffness", changed("stiffness = 12", "stiffness = -12"),
       "[[spring]]: \"stiffness\" must not be negative (N/m)"},
      {"bodies as a table", changed("[[rotational_spring]]", "[rotational_spring]"),
       "\"rotational_spring\" must be written as [[rotational_spring]] tables"},
      {"element body unknown", changed("bodies = [4, 3]", "bodies = [4, 9]"),
       "model.toml:55:10: [[force_element]]: there is no body with the id 9"},
      {"element body twice", changed("bodies = [4, 3]", "bodies = [4, 4]"),
       "[[force_element]]: the body 4 is listed twice"},
      {"element without bodies", changed("bodies = [4, 3]", "bodies = []"),
       "[[force_element]]: \"bodies\" must name at least one body"},
      {"element without library", changed("library = \"Velmira\"", ""),
       "model.toml:51:1: [[force_element]]: the key \"library\" is missing"},
      {"element interval unknown",
       changed("interval_variable = 7\nauto", "interval_variable = 8\nauto"),
       "[[force_element]]: there is no [[variable]] with the id 8"},
      {"unknown criterion", changed("auto_stop = \"position\"", "auto_stop = \"speed\""),
       "\"auto_stop\" must be \"off\", \"force\" or \"position\", not \"speed\""},
      {"criterion without tolerance", changed("tolerance = 5e-6", ""),
       "[[force_element]]: the key \"tolerance\" is missing"},
      {"shared instance key", changed("instance = 12", "instance = 2"),
       "model.toml:61:1: [[force_element]]: the instance key 2 is that of element \"magnets\" too"},
      {"duplicate variable", changed("[[body]]", "[[variable]]\nid = 7\nvalue = 1\n\n[[body]]"),
       "[[variable]]: another variable has the id 7"},
      {"unknown units", changed("subroutine = \"ostrel\"", "units = \"cm-g-s\""),
       "model.toml:8:9: [simulation]: \"units\" must be \"m-kg-s\", \"mm-t-s\" or \"mm-kg-s\", "
       "not \"cm-g-s\""},
      {"mass in tonnes",
       with(changed("mass = 0.0312", "mass = -0.0312"), "subroutine = \"ostrel\"",
            "units = \"mm-t-s\""),
       "[[body]]: \"mass\" must be a positive number of tonnes, not -0.0312"},
      {"stiffness in millinewtons",
       with(changed("stiffness = 12", "stiffness = -12"), "subroutine = \"ostrel\"",
            "units = \"mm-kg-s\""),
       "[[spring]]: \"stiffness\" must not be negative (mN/mm)"},
      {"output every 0 steps", changed("step = 0.0005", "step = 0.0005\noutput_every = 0"),
       "[simulation]: \"output_every\" must lie between 1 and"},
      {"negative runaway limit", changed("step = 0.0005", "step = 0.0005\nrunaway_distance = -1"),
       "[simulation]: \"runaway_distance\" must be positive (m), not -1"},
      {"tolerance not a number", changed("tolerance = 5e-6", "tolerance = nan"),
       "[[force_element]]: \"tolerance\" must be a finite number"},
      {"unstable rotational spring", changed("damping = 2.2e-5", "damping = 0.0096"),
       "model.toml:47: [[rotational_spring]] on body \"rotor\": the step 0.0005 s is too large; "
       "the integration stays stable only for steps below 0.0004969 s (stiffness 0 N·m/rad, "
       "damping "
       "0.0096 N·m·s/rad, moved inertia (kg·m²) 2.385e-06)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      parse(c.text);
      ADD_FAILURE() << "no error";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("model.toml:", 0), 0u) << e.what();
    }
  }
}

class ModelFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = test_support::make_temp_folder("zkslv_model_"); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path write(const std::string& name, const std::string& text) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path) << text;
    return path;
  }

  std::string error_of(const std::filesystem::path& path) {
    try {
      zkslv::load_model(path, "shown.toml");
    } catch (const ModelError& e) {
      return e.what();
    }
    return "no error";
  }

  std::filesystem::path folder_;
};

TEST_F(ModelFileOnDisk, ReadsAModelWhoseConfigurationsExist) {
  write("velmira.cfg", "p.toml\n\n1.0\n1\n");
  write("other.cfg", "");
  const std::string text = changed("/etc/other.cfg", "other.cfg");
  const Model m = zkslv::load_model(write("model.toml", text), "shown.toml");
  EXPECT_EQ(m.display_name, "shown.toml");
  EXPECT_EQ(m.path, folder_ / "model.toml");
  EXPECT_EQ(m.resolved_config(m.elements[0]), folder_ / "velmira.cfg");
}

TEST_F(ModelFileOnDisk, NamesWhatCannotBeRead) {
  EXPECT_EQ(error_of(folder_ / "missing.toml"),
            "shown.toml: cannot open the model file: No such file or directory");
  EXPECT_EQ(error_of(folder_), "shown.toml: is a directory, not a model file");

  write("other.cfg", "");
  const std::filesystem::path model = write("model.toml", changed("/etc/other.cfg", "other.cfg"));
  EXPECT_EQ(error_of(model),
            "shown.toml:51: force element \"magnets\": cannot read its "
            "configuration file " +
                (folder_ / "velmira.cfg").string() + ": No such file or directory");
}

}  // namespace
