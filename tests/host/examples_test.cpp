// The examples end to end: bin/zkslv with ostrel, Velmira and the coupling stand-in. The
// settled state is checked against physics worked out here from the example's own files.
#include <gtest/gtest.h>
#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>

#include "magnet_reference.h"
#include "test_platform.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = EXAMPLES_DIR;

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

  // A copy of an example in the folder `name` of the scratch folder, with every occurrence
  // of each `from` replaced in its file. Returns the copy's model path.
  struct Change {
    const char* file;
    std::string from, to;
  };
  fs::path variant(const char* example, const std::string& name,
                   const std::vector<Change>& changes) {
    const fs::path folder = folder_ / name;
    fs::create_directories(folder);
    for (const fs::directory_entry& e : fs::directory_iterator(kExamples / example)) {
      fs::copy_file(e.path(), folder / e.path().filename(), fs::copy_options::overwrite_existing);
    }
    for (const Change& c : changes) {
      std::string text = read(folder / c.file);
      EXPECT_NE(text.find(c.from), std::string::npos) << c.from;
      for (size_t at = text.find(c.from); at != std::string::npos;
           at = text.find(c.from, at + c.to.size())) {
        text.replace(at, c.from.size(), c.to);
      }
      std::ofstream(folder / c.file, std::ios::trunc | std::ios::binary) << text;
    }
    return fs::path(name) / (std::string(example) + ".toml");
  }

  fs::path folder_;
};

// Whether zkslv finds gnuplot on the PATH. Under Wine, the PATH holds Windows folders only.
bool have_gnuplot() {
  return !test_support::kWindows && std::system("command -v gnuplot > /dev/null 2>&1") == 0;
}

// The rows of a results table, by column name; the header's "[unit]" is kept apart.
struct Table {
  std::vector<std::string> names;
  std::vector<std::string> units;
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
  for (std::string name; std::getline(header, name, ',');) {
    const size_t bracket = name.find(" [");
    t.names.push_back(name.substr(0, bracket));
    t.units.push_back(bracket == std::string::npos ? "" : name.substr(bracket + 2));
    if (!t.units.back().empty()) t.units.back().pop_back();
  }
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
  // The console has the summary; the log beside the table has every message as well.
  const std::string stop =
      "zkslv: run stopped at t = 0.9145 s: a force element asked for the end at t = 0.914 s "
      "(Terminate Tarvo solver by Auto Stop(Force) at 0.914)\n";
  EXPECT_EQ(o.out.rfind(stop, 0), 0u) << o.out;
  EXPECT_NE(o.out.find("\nzkslv: wrote run.csv (1830 rows)"), std::string::npos) << o.out;
  // Without gnuplot, one line more says that no plot was written.
  EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), have_gnuplot() ? 2 : 3) << o.out;
  const std::string log = read(folder_ / "spring_magnet.log");
  EXPECT_NE(log.find("] Interfaced with Quelm at 0.001\n"), std::string::npos);
  EXPECT_NE(log.find("] Terminate Tarvo solver by Auto Stop(Force) at 0.914\n"), std::string::npos);
  EXPECT_EQ(log.find("Auto Stop(Position)"), std::string::npos);
  EXPECT_NE(log.find(stop), std::string::npos);
  if (have_gnuplot()) {
    EXPECT_TRUE(is_png(folder_ / "run.png"));
  }

  // The static equilibrium of the hanging magnet, from the example's files: upward spring
  // force k (z_a - z - l0), weight m g, and the pull of the bench cube on the hanging cube
  // in the closed form of Akoun and Yonnet (edges parallel, both polarised along z).
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
  const auto half_edges = [](const toml::node_view<const toml::node>& magnet) {
    const toml::node_view<const toml::node> edges = magnet["dimensions"];
    return magnet_reference::Vector{edges[0].value_or(0.0) / 2, edges[1].value_or(0.0) / 2,
                                    edges[2].value_or(0.0) / 2};
  };
  const double bench = z_of(d["fixed"][0]["position"]);
  auto pull = [&](double z) {
    return magnet_reference::akoun_yonnet(
        half_edges(d["fixed"][0]), z_of(d["fixed"][0]["polarization"]), half_edges(d["group"][0]),
        z_of(d["group"][0]["polarization"]), {0.0, 0.0, z - bench})[2];
  };
  auto net_up = [&](double z) { return k * (anchor - z - l0) + mass * g + pull(z); };
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
  // The pull that Velmira returned is the closed form's at that height.
  EXPECT_NEAR(t.last("magnet.Fz"), pull(t.last("magnet.z")), 1e-3 * std::abs(t.last("magnet.Fz")));
}

TEST_F(Examples, AligningMagnetsAreStoppedByThePositionCriterion) {
  const fs::path example = kExamples / "aligning_magnets";
  const Outcome o = zkslv({(example / "aligning_magnets.toml").string(), "--no-plot"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("(Terminate Tarvo solver by Auto Stop(Position) at 2.073)"),
            std::string::npos);
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
      zkslv({(kExamples / "spring_magnet" / "spring_magnet.toml").string()}, "/nonexistent");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("zkslv: gnuplot not found: no plot written (install gnuplot-nox for "
                       "spring_magnet.png)\n"),
            std::string::npos)
      << o.out;
  EXPECT_TRUE(fs::exists(folder_ / "spring_magnet.csv"));
  EXPECT_FALSE(fs::exists(folder_ / "spring_magnet.png"));
}

// Names beyond ASCII (narrow text is UTF-8 for our programs on every platform) reach every
// file intact: the model's folder, the provider's configuration and project files in it,
// the results table, the output folder and the log.
TEST_F(Examples, FolderAndFileNamesBeyondAscii) {
  const fs::path folder = folder_ / fs::path(u8"\u00DCbung_\u78C1\u77F3");
  fs::create_directory(folder);
  for (const fs::directory_entry& e : fs::directory_iterator(kExamples / "spring_magnet")) {
    fs::copy_file(e.path(), folder / e.path().filename());
  }
  const std::string model =
      "\xC3\x9C"
      "bung_\xE7\xA3\x81\xE7\x9F\xB3/spring_magnet.toml";
  const Outcome o = zkslv({model, "--no-plot", "--csv", "Ergebnis_\xC3\xA4.csv"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("zkslv: wrote Ergebnis_\xC3\xA4.csv ("), std::string::npos) << o.out;
  EXPECT_GT(read_table(folder_ / fs::path(u8"Ergebnis_\u00E4.csv")).rows.size(), 10u);

  const Outcome into = zkslv({model, "--no-plot", "--outdir", "Ausgabe_\xC3\xB6"});
  ASSERT_EQ(into.status, 0) << into.err;
  const char* separator = test_support::kWindows ? "\\" : "/";
  EXPECT_NE(into.out.find(std::string("Ausgabe_\xC3\xB6") + separator + "spring_magnet.log"),
            std::string::npos)
      << into.out;
  const fs::path outputs = folder_ / fs::path(u8"Ausgabe_\u00F6");
  EXPECT_GT(read_table(outputs / "spring_magnet.csv").rows.size(), 10u);
  EXPECT_NE(read(outputs / "spring_magnet.log").find("] Interfaced with Quelm at 0.001\n"),
            std::string::npos);
}

TEST_F(Examples, BadInputGetsAnErrorNamingItsCause) {
  // Copies of example (a), each with one fault. Refused models (status 1) leave no output
  // at all; failed runs keep their log.
  auto a = [&](const std::string& name, const char* file, const std::string& from,
               const std::string& to) {
    // The model as given on the command line, which the messages repeat: the same text on
    // every platform.
    return variant("spring_magnet", name, {{file, from, to}}).generic_string();
  };
  const std::string second_element =
      "\n[[force_element]]\nname = \"again\"\nlibrary = \"Velmira\"\nconfig = \"velmira.cfg\"\n"
      "bodies = [1]\ninterval_variable = 1\n";
  struct Case {
    const char* name;
    std::string model;
    int status;
    std::string error;
  };
  const Case cases[] = {
      {"missing model", "nowhere/spring_magnet.toml", 1,
       "zkslv: error: nowhere/spring_magnet.toml: cannot open the model file: No such file or "
       "directory\n"},
      {"malformed model", a("malformed", "spring_magnet.toml", "[simulation]", "[simulation"), 1,
       "zkslv: error: malformed/spring_magnet.toml:12:12: Error while parsing table header: "
       "expected ']', saw '\\n'\n"},
      {"bad value", a("bad_value", "spring_magnet.toml", "mass = 0.0075", "mass = -0.0075"), 1,
       "zkslv: error: bad_value/spring_magnet.toml:27:8: [[body]]: \"mass\" must be a positive "
       "number of kilograms, not -0.0075\n"},
      {"stiff spring", a("stiff", "spring_magnet.toml", "stiffness = 41.5", "stiffness = 1e12"), 1,
       "zkslv: error: stiff/spring_magnet.toml:32: [[spring]] on body \"magnet\": the step 0.0005 "
       "s is too large; the integration stays stable only for steps below 1.732e-07 s"},
      {"long step", a("long_step", "spring_magnet.toml", "step = 0.0005", "step = 0.05"), 1,
       "zkslv: error: long_step/spring_magnet.toml:32: [[spring]] on body \"magnet\": the step "
       "0.05 s is too large; the integration stays stable only for steps below 0.02497 s"},
      {"step beyond the end", a("past_end", "spring_magnet.toml", "step = 0.0005", "step = 3.5"), 1,
       "zkslv: error: past_end/spring_magnet.toml:15:8: [simulation]: \"step\" must be shorter "
       "than the run from 0 s to 3 s, not 3.5 s\n"},
      {"negative tolerance",
       a("tolerance", "spring_magnet.toml", "tolerance = 2e-6", "tolerance = -1"), 1,
       "zkslv: error: tolerance/spring_magnet.toml:46:13: [[force_element]]: \"tolerance\" must "
       "be positive (N), not -1"},
      {"two elements, one provider library",
       a("shared", "spring_magnet.toml", "# N\n", "# N\n" + second_element), 1,
       "zkslv: error: shared/spring_magnet.toml:50:11: [[force_element]]: the force element "
       "\"magnets\" names the provider library \"Velmira\" too; the subroutine keeps one "
       "provider per library name, shared by all elements that name it"},
      {"missing configuration",
       a("no_config", "spring_magnet.toml", "\"velmira.cfg\"", "\"missing.cfg\""), 1,
       "zkslv: error: no_config/spring_magnet.toml:39: force element \"magnets\": cannot read "
       "its configuration file " +
           (folder_ / "no_config" / "missing.cfg").string() + ": No such file or directory\n"},
      {"missing provider library",
       a("no_provider", "spring_magnet.toml", "\"Velmira\"", "\"Velmiro\""), 2,
       "zkslv: error: no_provider/spring_magnet.toml:39: force element \"magnets\": the provider "
       "library \"Velmiro\" cannot be loaded: cannot load library \"Velmiro\": "},
      {"design not in the project", a("no_design", "velmira.cfg", "Spring\n", "Sprung\n"), 2,
       "zkslv: error: no_design/spring_magnet.toml:39: force element \"magnets\": the provider "
       "\"Velmira\" could not be initialised from " +
           (folder_ / "no_design" / "velmira.cfg").string() +
           ": Fail to open project file: the project file \"magnets.toml\" (" +
           (folder_ / "no_design" / "magnets.toml").string() +
           ") has no design \"Sprung\"; its designs are \"Spring\", \"Opposed\"\n"},
      {"design with a trailing space", a("space", "velmira.cfg", "Spring\n", "Spring \n"), 2,
       "has no design \"Spring \"; its designs are \"Spring\", \"Opposed\"\n"},
      {"missing project file",
       a("no_project", "velmira.cfg", "magnets.toml\n", "nowhere/magnets.toml\n"), 2,
       "Fail to open project file: cannot open the project file \"nowhere/magnets.toml\" (" +
           (folder_ / "no_project" / "nowhere" / "magnets.toml").string() +
           "): there is no such file\n"},
      {"coincident magnets",
       a("coincident", "magnets.toml", "position = [0.0, 0.0, 0.0]", "position = [0, 0, 0.0515]"),
       2,
       "zkslv: error: coincident/spring_magnet.toml:39: force element \"magnets\": its "
       "evaluation call failed at t = 0 s: cannot analyze design \"Spring\": group \"Group0\" "
       "and the fixed magnet \"Bench\" are both at (0, 0, 0.0515) m"},
      {"runaway",
       a("runaway", "spring_magnet.toml", "step = 0.0005",
         "step = 0.0005\n"
         "runaway_distance = 0.001"),
       2,
       "zkslv: error: the body \"magnet\" ran away at t = 0.01 s: its centre is 0.001088112015 m "
       "from where it started, beyond 0.001 m (runaway_distance)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path out = folder_ / "out";
    const Outcome o = zkslv({c.model, "--outdir", out.string()});
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err.rfind("zkslv: error: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find(c.error), std::string::npos) << o.err;
    if (c.status == 1) {
      EXPECT_EQ(o.out, "");
      EXPECT_FALSE(fs::exists(out));
    } else {
      EXPECT_NE(read(out / "spring_magnet.log").find(o.err), std::string::npos);
      EXPECT_FALSE(fs::exists(out / "spring_magnet.png"));
    }
    fs::remove_all(out);
  }
}

TEST_F(Examples, VerbosityChoosesTheConsoleLines) {
  struct Case {
    const char* flag;
    bool summary, messages;
  };
  const Case cases[] = {{"--no-plot", true, false}, {"-v", true, true}, {"-q", false, false}};
  const std::string model = (kExamples / "spring_magnet" / "spring_magnet.toml").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flag);
    const Outcome o = zkslv({model, c.flag, "--no-plot"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out.find("zkslv: wrote spring_magnet.csv") != std::string::npos, c.summary);
    EXPECT_EQ(o.out.find("] Interfaced with Quelm at 0.001\n") != std::string::npos, c.messages);
  }
  EXPECT_NE(zkslv({model, "-q", "-v"}).status, 0);
  const Outcome version = zkslv({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("zkslv 1.", 0), 0u) << version.out;
}

TEST_F(Examples, OutputsGoWhereAskedAndAreCheckedBeforeTheRun) {
  const std::string model = (kExamples / "spring_magnet" / "spring_magnet.toml").string();
  const Outcome o = zkslv({model, "--outdir", "results/a"});
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* file : {"spring_magnet.csv", "spring_magnet.log"}) {
    EXPECT_TRUE(fs::exists(folder_ / "results" / "a" / file)) << file;
  }
  EXPECT_NE(o.out.find((fs::path("results") / "a" / "spring_magnet.log").string()),
            std::string::npos)
      << o.out;
  if (!have_gnuplot()) GTEST_SKIP() << "gnuplot is not installed";
  EXPECT_TRUE(is_png(folder_ / "results" / "a" / "spring_magnet.png"));

  // A plot into a folder that does not exist stops zkslv before the run: nothing is left.
  const Outcome refused = zkslv({model, "--plot", "nowhere/plot.png"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_EQ(refused.err, "zkslv: error: cannot write the plot " +
                             (folder_ / "nowhere" / "plot.png").string() + "\n");
  EXPECT_EQ(refused.out, "");
  EXPECT_FALSE(fs::exists(folder_ / "spring_magnet.csv"));
  EXPECT_FALSE(fs::exists(folder_ / "spring_magnet.log"));
}

TEST_F(Examples, OutputEveryThinsTheTableButKeepsTheStopRow) {
  const fs::path model =
      variant("spring_magnet", "every",
              {{"spring_magnet.toml", "step = 0.0005", "step = 0.0005\noutput_every = 10"}});
  const Outcome o = zkslv({model.string(), "--no-plot"});
  ASSERT_EQ(o.status, 0) << o.err;
  const Table t = read_table(folder_ / "spring_magnet.csv");
  ASSERT_EQ(t.rows.size(), 184u);  // steps 0, 10, ... 1820 of 1829, and the stop
  EXPECT_EQ(t.at(1, "time"), 0.005);
  EXPECT_EQ(t.last("time"), 0.9145);
}

TEST_F(Examples, AModelInMillimetresMovesAsTheSiModel) {
  const Outcome si = zkslv({(kExamples / "aligning_magnets" / "aligning_magnets.toml").string(),
                            "--no-plot", "--csv", "si.csv"});
  ASSERT_EQ(si.status, 0) << si.err;
  const Table reference = read_table(folder_ / "si.csv");

  // Example (b) in millimetres, with tonnes or kilograms. The coupling's loads arrive in N
  // and N·m whatever the model's units.
  struct Case {
    const char* units;
    std::string mass, inertia, damping;
    double torque_scale;
    const char* torque_unit;
  };
  const Case cases[] = {{"mm-t-s", "3.12e-5", "2.385e-3", "2.2e-2", 1e3, "N·mm"},
                        {"mm-kg-s", "0.0312", "2.385", "22.0", 1e6, "mN·mm"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.units);
    const char* model_file = "aligning_magnets.toml";
    const std::vector<Change> changes = {
        {model_file, "[simulation]", "[simulation]\nunits = \"" + std::string(c.units) + "\""},
        {model_file, "mass = 0.0312", "mass = " + c.mass},
        {model_file, "[2.385e-6, 2.385e-6, 2.385e-6]",
         "[" + c.inertia + ", " + c.inertia + ", " + c.inertia + "]"},
        {model_file, "[-0.025, 0.0, 0.0]", "[-25.0, 0.0, 0.0]"},
        {model_file, "[0.025, 0.0, 0.0]", "[25.0, 0.0, 0.0]"},
        {model_file, "marker = [0.005, 0.0, 0.0]", "marker = [5.0, 0.0, 0.0]"},
        {model_file, "-9.80665", "-9806.65"},
        {model_file, "damping = 2.2e-5", "damping = " + c.damping},
        {model_file, "tolerance = 5e-6", "tolerance = 5e-3"},
        {"velmira.cfg", "\n1.0\n", "\n0.001\n"}};
    const fs::path model = variant("aligning_magnets", c.units, changes);
    const Outcome o = zkslv({model.string(), "--no-plot", "--csv", "mm.csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("(Terminate Tarvo solver by Auto Stop(Position) at 2.073)"),
              std::string::npos);
    const Table t = read_table(folder_ / "mm.csv");
    ASSERT_EQ(t.rows.size(), reference.rows.size());
    EXPECT_EQ(t.last("time"), reference.last("time"));
    EXPECT_EQ(t.units[1], "mm");
    EXPECT_EQ(t.units.back(), c.torque_unit);
    for (size_t row = 0; row < t.rows.size(); ++row) {
      for (const char* body : {"left", "right"}) {
        const std::string name = body;
        EXPECT_NEAR(t.at(row, name + ".rz"), reference.at(row, name + ".rz"), 3e-12);
        EXPECT_NEAR(t.at(row, name + ".dm"), 1e3 * reference.at(row, name + ".dm"), 1e-9);
        EXPECT_NEAR(t.at(row, name + ".Tz"), c.torque_scale * reference.at(row, name + ".Tz"),
                    1e-9 * c.torque_scale);
      }
    }
  }
}

using magnet_reference::Vector;

Vector operator+(const Vector& a, const Vector& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
Vector operator-(const Vector& a, const Vector& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vector operator*(double s, const Vector& a) { return {s * a[0], s * a[1], s * a[2]}; }
Vector cross(const Vector& a, const Vector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vector& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

// A 3 x 3 matrix row by row, applied as it is or transposed.
using Matrix = std::array<double, 9>;
Vector matrix_times(const Matrix& m, const Vector& v, bool transposed = false) {
  Vector out{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out[r] += (transposed ? m[3 * c + r] : m[3 * r + c]) * v[c];
  }
  return out;
}

// The rotation matrix of a rotation vector (Rodrigues).
Matrix rotation(const Vector& v) {
  const double angle = norm(v);
  const Vector n = (1.0 / angle) * v;
  const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  return {t * n[0] * n[0] + c,        t * n[0] * n[1] - s * n[2], t * n[0] * n[2] + s * n[1],
          t * n[0] * n[1] + s * n[2], t * n[1] * n[1] + c,        t * n[1] * n[2] - s * n[0],
          t * n[0] * n[2] - s * n[1], t * n[1] * n[2] + s * n[0], t * n[2] * n[2] + c};
}

TEST_F(Examples, MagnetOverDiskSettlesAFewMillimetresAbove) {
  const Outcome o =
      zkslv({(kExamples / "magnet_over_disk" / "magnet_over_disk.toml").string(), "--no-plot"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(read(folder_ / "magnet_over_disk.log")
                .find("] Terminate Tarvo solver by Auto Stop(Force) at "),
            std::string::npos);
  const Table t = read_table(folder_ / "magnet_over_disk.csv");
  ASSERT_GT(t.rows.size(), 10u);
  // The cube's bottom face (5 mm below its centre) ends 3.1 mm above the disk at z = 0.
  EXPECT_NEAR(t.last("cube.z") - 0.005, 0.0031, 0.0001);
}

// The loads at the start, through zkslv, ostrel, Velmira and the coupling stand-in, against
// an independent computation: a copy of example (c) with the cube shifted and turned and
// the disk tilted, run for one step. The cube's force and torque are integrals of its
// surface charge J / mu0 on its two faces across z, in the disk's field as a stack of
// current loops.
TEST_F(Examples, CubeOverDiskStartLoadsMatchAnIndependentComputation) {
  const fs::path copy = folder_ / "turned";
  fs::create_directory(copy);
  for (const fs::directory_entry& e : fs::directory_iterator(kExamples / "magnet_over_disk")) {
    fs::copy_file(e.path(), copy / e.path().filename());
  }
  const auto edit = [&](const std::string& file, const std::string& from, const std::string& to) {
    std::string text = read(copy / file);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::ofstream(copy / file, std::ios::trunc | std::ios::binary) << text;
  };
  edit("magnet_over_disk.toml", "position = [0.0, 0.0, 0.01] ",
       "position = [0.0013, -0.0008, 0.0107]\nrotation = [0.04, -0.07, 0.3]\n#");
  edit("magnet_over_disk.toml", "end_time = 1.0 ", "end_time = 0.0004\n#");
  // The disk tilted by 0.1 rad about x.
  const double c = std::cos(0.1), s = std::sin(0.1);
  const Matrix disk_turn = {1, 0, 0, 0, c, -s, 0, s, c};
  std::ostringstream orientation;
  orientation.precision(17);
  orientation << "orientation = [";
  for (int i = 0; i < 9; ++i) orientation << (i ? ", " : "") << disk_turn[i];
  orientation << "]\n  position =";
  edit("magnets.toml", "position =", orientation.str());

  const Outcome o = zkslv({(copy / "magnet_over_disk.toml").string(), "--no-plot"});
  ASSERT_EQ(o.status, 0) << o.err;
  const Table t = read_table(folder_ / "magnet_over_disk.csv");
  ASSERT_GE(t.rows.size(), 1u);
  const Vector centre{t.at(0, "cube.x"), t.at(0, "cube.y"), t.at(0, "cube.z")};
  const Matrix turn = rotation({t.at(0, "cube.rx"), t.at(0, "cube.ry"), t.at(0, "cube.rz")});

  const toml::table project = toml::parse_file((copy / "magnets.toml").string());
  const toml::node_view<const toml::node> cube = project["design"][0]["group"][0];
  const toml::node_view<const toml::node> disk = project["design"][0]["fixed"][0];
  const double half_edge = cube["dimensions"][0].value_or(0.0) / 2;
  const double cube_j = z_of(cube["polarization"]);
  const double radius = disk["diameter"].value_or(0.0) / 2;
  const double half_height = disk["height"].value_or(0.0) / 2;
  const double disk_j = disk["polarization"].value_or(0.0);
  const Vector disk_centre{0.0, 0.0, z_of(disk["position"])};

  const magnet_reference::Rule rule = magnet_reference::gauss_legendre(12);
  Vector force{}, torque{};
  for (const double side : {1.0, -1.0}) {
    const double charge = side * cube_j / magnet_reference::kMu0;
    magnet_reference::integrate(rule, 6, -half_edge, half_edge, [&](double u, double wu) {
      magnet_reference::integrate(rule, 6, -half_edge, half_edge, [&](double v, double wv) {
        const Vector x = centre + matrix_times(turn, {u, v, side * half_edge});
        const Vector local = matrix_times(disk_turn, x - disk_centre, true);
        const Vector field = matrix_times(
            disk_turn,
            magnet_reference::cylinder_by_loops(radius, half_height, disk_j, local, rule, 4));
        force = force + (charge * wu * wv) * field;
        torque = torque + (charge * wu * wv) * cross(x - centre, field);
      });
    });
  }
  const Vector reported_force{t.at(0, "cube.Fx"), t.at(0, "cube.Fy"), t.at(0, "cube.Fz")};
  const Vector reported_torque{t.at(0, "cube.Tx"), t.at(0, "cube.Ty"), t.at(0, "cube.Tz")};
  EXPECT_LE(norm(reported_force - force), 1e-6 * norm(force))
      << force[0] << " " << force[1] << " " << force[2];
  EXPECT_LE(norm(reported_torque - torque), 1e-6 * norm(torque))
      << torque[0] << " " << torque[1] << " " << torque[2];
}

}  // namespace
