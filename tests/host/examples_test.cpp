// The examples end to end: bin/zkslv with ostrel, Velmira and the coupling stand-in. The
// settled state is checked against physics worked out here from the example's own files.
#include <gtest/gtest.h>
#include <toml++/toml.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>

#include "test_platform.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = EXAMPLES_DIR;
// The magnetic constant in N/A², CODATA 2018.
constexpr double kMu0 = 1.25663706212e-6;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program's output as text: the "\r\n" line ends of a Windows console read as "\n".
std::string read_output(const fs::path& path) {
  const std::string text = read(path);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') out += text[i];
  }
  return out;
}

class Examples : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = test_support::make_temp_folder("zkslv_examples_"); }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs bin/zkslv in the scratch folder with `arguments`; `path` replaces $PATH when set.
  Outcome zkslv(const std::vector<std::string>& arguments, const char* path = nullptr) {
    const fs::path out = folder_ / "stdout.txt", err = folder_ / "stderr.txt";
    Outcome o;
    o.status = test_support::run_program(ZKSLV_PROGRAM, arguments, folder_, out, err, path);
    EXPECT_NE(o.status, -1) << "could not start " << ZKSLV_PROGRAM;
    o.out = read_output(out);
    o.err = read_output(err);
    return o;
  }

  fs::path folder_;
};

// The rows of a results table, by column name.
struct Table {
  std::vector<std::string> names;
  std::vector<std::vector<double>> rows;
  double at(size_t row, const std::string& name) const {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return rows.at(row).at(i);
    }
    ADD_FAILURE() << "no column " << name;
    return std::nan("");
  }
  double last(const std::string& name) const { return at(rows.size() - 1, name); }
};

Table read_table(const fs::path& path) {
  Table t;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  std::istringstream header(line);
  for (std::string name; std::getline(header, name, ',');) t.names.push_back(name);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> row;
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
    t.rows.push_back(row);
  }
  return t;
}

// The four lines of a Velmira configuration file.
std::vector<std::string> configuration(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines(4);
  for (std::string& line : lines) std::getline(in, line);
  return lines;
}

const toml::table* design(const toml::table& project, const std::string& name) {
  for (const toml::node& d : *project["design"].as_array()) {
    if (d.as_table()->get("name")->value<std::string>() == name) return d.as_table();
  }
  return nullptr;
}

double z_of(const toml::node_view<const toml::node>& vector) { return vector[2].value_or(0.0); }

bool is_png(const fs::path& path) { return read(path).rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

TEST_F(Examples, SpringMagnetSettlesWhereSpringWeightAndPullBalance) {
  const fs::path example = kExamples / "spring_magnet";
  const Outcome o =
      zkslv({(example / "spring_magnet.toml").string(), "--csv", "run.csv", "--plot", "run.png"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_NE(o.out.find("] Interfaced with Quelm at 0.001\n"), std::string::npos);
  EXPECT_NE(o.out.find("] Terminate Tarvo solver by Auto Stop(Force) at "), std::string::npos);
  EXPECT_EQ(o.out.find("Auto Stop(Position)"), std::string::npos);
  EXPECT_NE(o.out.find("zkslv: wrote run.csv ("), std::string::npos);
  if (std::system("command -v gnuplot > /dev/null 2>&1") == 0) {
    EXPECT_TRUE(is_png(folder_ / "run.png"));
  }

  // The static equilibrium of the hanging magnet, from the example's files: upward spring
  // force k (z_a - z - l0), weight m g, and the coaxial dipoles' pull
  // 3 mu0 m1 m2 / (2 pi z^4) towards the bench magnet at z_b (attracting when the moments
  // point the same way).
  const toml::table model = toml::parse_file((example / "spring_magnet.toml").string());
  const double mass = model["body"][0]["mass"].value_or(0.0);
  const double g = z_of(model["simulation"]["gravity"]);
  const double k = model["spring"][0]["stiffness"].value_or(0.0);
  const double l0 = model["spring"][0]["free_length"].value_or(0.0);
  const double anchor = z_of(model["spring"][0]["ground"]);
  const double end_time = model["simulation"]["end_time"].value_or(0.0);
  const std::vector<std::string> config = configuration(example / "velmira.cfg");
  const toml::table project = toml::parse_file((example / config[0]).string());
  const toml::table* spring_design = design(project, config[1]);
  ASSERT_NE(spring_design, nullptr);
  const toml::node_view<const toml::node> d(spring_design);
  const double m1 = z_of(d["group"][0]["moment"]);
  const double m2 = z_of(d["fixed"][0]["moment"]);
  const double bench = z_of(d["fixed"][0]["position"]);
  auto net_up = [&](double z) {
    const double gap = z - bench;
    return k * (anchor - z - l0) + mass * g -
           3.0 * kMu0 * m1 * m2 / (2.0 * std::numbers::pi * std::pow(gap, 4));
  };
  // Bisection between the unstretched spring (pulled down) and the first point below it
  // where the spring wins: the stable equilibrium.
  double high = anchor - l0, low = high;
  while (net_up(low) < 0.0 && low > bench) low -= 1e-4;
  ASSERT_GT(low, bench);
  for (int i = 0; i < 100; ++i) {
    const double mid = 0.5 * (low + high);
    (net_up(mid) > 0.0 ? low : high) = mid;
  }
  const double equilibrium = 0.5 * (low + high);

  const Table t = read_table(folder_ / "run.csv");
  ASSERT_GT(t.rows.size(), 10u);
  EXPECT_LT(t.last("time"), end_time);  // stopped by the force criterion
  EXPECT_NEAR(t.last("magnet.z"), equilibrium, 0.01 * equilibrium);
  // The pull that Velmira returned is the dipole pull at that height.
  const double gap = t.last("magnet.z") - bench;
  EXPECT_NEAR(t.last("magnet.Fz"),
              -3.0 * kMu0 * m1 * m2 / (2.0 * std::numbers::pi * std::pow(gap, 4)),
              1e-3 * std::abs(t.last("magnet.Fz")));
}

TEST_F(Examples, AligningMagnetsAreStoppedByThePositionCriterion) {
  const fs::path example = kExamples / "aligning_magnets";
  const Outcome o = zkslv({(example / "aligning_magnets.toml").string(), "--no-plot"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("] Terminate Tarvo solver by Auto Stop(Position) at "), std::string::npos);
  EXPECT_EQ(o.out.find("Auto Stop(Force)"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ / "aligning_magnets.png"));

  // The default table lands in the working directory. Both magnets end up pointing along
  // the line that joins them, well before the end time.
  const toml::table model = toml::parse_file((example / "aligning_magnets.toml").string());
  const Table t = read_table(folder_ / "aligning_magnets.csv");
  ASSERT_GT(t.rows.size(), 10u);
  EXPECT_LT(t.last("time"), model["simulation"]["end_time"].value_or(0.0));
  for (const char* body : {"left", "right"}) {
    SCOPED_TRACE(body);
    EXPECT_NE(t.at(0, std::string(body) + ".rz"), 0.0);
    EXPECT_NEAR(t.last(std::string(body) + ".rz"), 0.0, 0.01);
    EXPECT_NEAR(t.last(std::string(body) + ".Tz"), 0.0, 1e-6);
  }
}

TEST_F(Examples, WithoutGnuplotTheRunStillSucceeds) {
  const Outcome o =
      zkslv({(kExamples / "spring_magnet" / "spring_magnet.toml").string(), "-q"}, "/nonexistent");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("zkslv: gnuplot not found: no plot written (install gnuplot-nox for "
                       "spring_magnet.png)\n"),
            std::string::npos)
      << o.out;
  EXPECT_EQ(o.out.find("Interfaced with Quelm"), std::string::npos);  // quiet
  EXPECT_TRUE(fs::exists(folder_ / "spring_magnet.csv"));
  EXPECT_FALSE(fs::exists(folder_ / "spring_magnet.png"));
}

// Names beyond ASCII (narrow text is UTF-8 for our programs on every platform) reach every
// file intact: the model's folder, the provider's configuration and project files in it,
// and the results table.
TEST_F(Examples, FolderAndFileNamesBeyondAscii) {
  const fs::path folder = folder_ / fs::path(u8"\u00DCbung_\u78C1\u77F3");
  fs::create_directory(folder);
  for (const fs::directory_entry& e : fs::directory_iterator(kExamples / "spring_magnet")) {
    fs::copy_file(e.path(), folder / e.path().filename());
  }
  const Outcome o =
      zkslv({"\xC3\x9C"
             "bung_\xE7\xA3\x81\xE7\x9F\xB3/spring_magnet.toml",
             "-q", "--no-plot", "--csv", "Ergebnis_\xC3\xA4.csv"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("zkslv: wrote Ergebnis_\xC3\xA4.csv ("), std::string::npos) << o.out;
  EXPECT_GT(read_table(folder_ / fs::path(u8"Ergebnis_\u00E4.csv")).rows.size(), 10u);
}

TEST_F(Examples, BadInputGetsAnErrorNamingFileAndLine) {
  // Copies of example (a), each with one fault.
  const fs::path source = kExamples / "spring_magnet";
  auto variant = [&](const std::string& name, const std::string& file, const std::string& from,
                     const std::string& to) {
    const fs::path folder = folder_ / name;
    fs::create_directory(folder);
    for (const fs::directory_entry& e : fs::directory_iterator(source)) {
      fs::copy_file(e.path(), folder / e.path().filename());
    }
    std::string text = read(folder / file);
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    std::ofstream(folder / file, std::ios::trunc | std::ios::binary) << text;
    return (fs::path(name) / "spring_magnet.toml").string();
  };

  struct Case {
    const char* name;
    std::string model;
    int status;
    std::string error;
  };
  // The model names as given on the command line, which the messages repeat.
  const std::string malformed =
      variant("malformed", "spring_magnet.toml", "[simulation]", "[simulation");
  const std::string bad_value =
      variant("bad_value", "spring_magnet.toml", "mass = 0.0075", "mass = -0.0075");
  const std::string no_config =
      variant("no_config", "spring_magnet.toml", "\"velmira.cfg\"", "\"missing.cfg\"");
  const std::string no_provider =
      variant("no_provider", "spring_magnet.toml", "\"Velmira\"", "\"Velmiro\"");
  const std::string no_design = variant("no_design", "velmira.cfg", "Spring\n", "Sprung\n");
  const Case cases[] = {
      {"missing model", "nowhere/spring_magnet.toml", 1,
       "zkslv: error: nowhere/spring_magnet.toml: cannot open the model file: No such file or "
       "directory\n"},
      {"malformed model", malformed, 1,
       "zkslv: error: " + malformed +
           ":12:12: Error while parsing table header: expected ']', saw '\\n'\n"},
      {"bad value", bad_value, 1,
       "zkslv: error: " + bad_value +
           ":27:8: [[body]]: \"mass\" must be a positive number of kilograms, not -0.0075\n"},
      {"missing configuration", no_config, 1,
       "zkslv: error: " + no_config +
           ":39: force element \"magnets\": cannot read its configuration file " +
           (folder_ / "no_config" / "missing.cfg").string() + ": No such file or directory\n"},
      {"missing provider library", no_provider, 2,
       "zkslv: error: " + no_provider +
           ":39: force element \"magnets\": the provider library \"Velmiro\" cannot be loaded: "
           "cannot load library \"Velmiro\": "},
      {"design not in the project", no_design, 2,
       "zkslv: error: " + no_design +
           ":39: force element \"magnets\": the provider \"Velmira\" could not be initialised "
           "from " +
           (folder_ / "no_design" / "velmira.cfg").string() + ": Fail to open project file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = zkslv({c.model, "--no-plot"});
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err.rfind(c.error, 0), 0u) << o.err;
    EXPECT_EQ(o.out.find("wrote"), std::string::npos) << o.out;
  }
}

}  // namespace
