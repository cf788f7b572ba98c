// The plot: which columns get a panel, the stop mark, quoting, and running gnuplot.
#include "plot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "test_platform.h"

namespace {

using zkslv::Column;
using zkslv::Quantity;

Column column(const char* name, Quantity q, double min, double max, bool plotted = true) {
  const char* units[] = {"s", "m", "rad", "m", "N", "N·m"};
  Column c{name, q, plotted, 0.0, 0.0, units[static_cast<int>(q)]};
  c.min = min;
  c.max = max;
  return c;
}

zkslv::PlotRequest request() {
  zkslv::PlotRequest r;
  r.title = "Magnet's spring";
  r.csv = "/runs/it's.csv";
  r.png = "/runs/plot.png";
  r.columns = {column("time", Quantity::kTime, 0.0, 1.0, false),
               column("magnet.x", Quantity::kPosition, 0.0, 0.0),
               column("magnet.z", Quantity::kPosition, 0.042, 0.0515),
               column("magnet.rz", Quantity::kRotation, 0.0, 0.0),
               column("magnet.dm", Quantity::kDistance, 0.0, 0.009, false),
               column("magnet.Fz", Quantity::kForce, -0.2, -0.09),
               column("magnet.Tz", Quantity::kTorque, 0.0, 0.0)};
  r.start_time = 0.0;
  r.end_time = 1.0;
  return r;
}

bool has(const std::string& script, const std::string& text) {
  return script.find(text) != std::string::npos;
}

TEST(Plot, PanelsHoldTheColumnsThatVary) {
  const std::string s = zkslv::plot_script(request());
  EXPECT_TRUE(has(s, "set terminal pngcairo size 1100,690 noenhanced"));
  EXPECT_TRUE(has(s, "set output '/runs/plot.png'\n"));
  EXPECT_TRUE(has(s, "set multiplot layout 2,1 title 'Magnet''s spring'"));
  EXPECT_TRUE(has(s,
                  "set ylabel 'position (m)'\nunset xlabel\nplot '/runs/it''s.csv' using 1:3 "
                  "every ::1 with lines title 'magnet.z'\n"));
  EXPECT_TRUE(has(s,
                  "set ylabel 'force (N)'\nset xlabel 'time (s)'\nplot '/runs/it''s.csv' "
                  "using 1:6 every ::1 with lines title 'magnet.Fz'\n"));
  EXPECT_FALSE(has(s, "magnet.x"));
  EXPECT_FALSE(has(s, "magnet.dm"));
  EXPECT_FALSE(has(s, "torque"));
  EXPECT_FALSE(has(s, "set arrow"));
  EXPECT_TRUE(has(s, "set xrange [0:1.03]\n"));
}

TEST(Plot, MarksTheStopAndNamesDistanceValues) {
  zkslv::PlotRequest r = request();
  r.columns[4].plotted = true;
  r.stop_time = 0.9035;
  r.stop_label = "Terminate Tarvo solver by Auto Stop(Force) at 0.9035";
  const std::string s = zkslv::plot_script(r);
  EXPECT_TRUE(has(s, "set arrow 1 from 0.9035, graph 0 to 0.9035, graph 1 nohead"));
  EXPECT_TRUE(has(s,
                  "set label 1 'Terminate Tarvo solver by Auto Stop(Force) at 0.9035' at "
                  "0.9035, graph 0.93 right"));
  EXPECT_TRUE(has(s, "set ylabel 'position, DM (m)'"));
  EXPECT_TRUE(has(s, "using 1:5 every ::1 with lines title 'magnet.dm'"));
}

TEST(Plot, NothingVaryingStillGivesAPicture) {
  zkslv::PlotRequest r = request();
  r.columns.resize(2);
  const std::string s = zkslv::plot_script(r);
  EXPECT_TRUE(has(s, "set multiplot layout 1,1"));
  EXPECT_TRUE(has(s, "title 'nothing varies'"));
}

TEST(Plot, FindsProgramsOnThePath) {
  if (test_support::kWindows) GTEST_SKIP() << "looks for the POSIX shell";
  test_support::set_environment("PATH", "/nonexistent:/bin:/usr/bin");
  const std::optional<std::filesystem::path> sh = zkslv::find_on_path("sh");
  ASSERT_TRUE(sh.has_value());
  EXPECT_EQ(sh->filename(), "sh");
  EXPECT_FALSE(zkslv::find_on_path("no-such-program-2385").has_value());
  test_support::set_environment("PATH", "");
  EXPECT_FALSE(zkslv::find_on_path("sh").has_value());
}

TEST(Plot, ReportsHowGnuplotEnded) {
  if (test_support::kWindows) GTEST_SKIP() << "runs the POSIX programs true and false";
  std::string error;
  const std::filesystem::path output = "/dev/null";
  // A program that reads nothing: writing a long script into its closed pipe must not
  // end the host through SIGPIPE.
  EXPECT_TRUE(zkslv::run_gnuplot("/bin/true", std::string(1 << 20, '#'), output, &error)) << error;
  EXPECT_FALSE(zkslv::run_gnuplot("/bin/false", "", output, &error));
  EXPECT_EQ(error, "gnuplot ended with exit status 1");
  EXPECT_FALSE(zkslv::run_gnuplot("/nonexistent/gnuplot", "", output, &error));
  EXPECT_EQ(error, "cannot start /nonexistent/gnuplot: No such file or directory");
}

// The Windows twins of the two tests above, with the command interpreter as the program.
TEST(Plot, FindsProgramsOnTheWindowsPath) {
  if (!test_support::kWindows) GTEST_SKIP() << "looks for the Windows command interpreter";
  test_support::set_environment("PATH", "C:\\nonexistent;C:\\windows\\system32");
  const std::optional<std::filesystem::path> cmd = zkslv::find_on_path("cmd");
  ASSERT_TRUE(cmd.has_value());
  EXPECT_EQ(cmd->filename(), "cmd.exe");
  EXPECT_FALSE(zkslv::find_on_path("no-such-program-2385").has_value());
}

TEST(Plot, ReportsHowAWindowsGnuplotEnded) {
  if (!test_support::kWindows) GTEST_SKIP() << "runs the Windows command interpreter";
  const std::filesystem::path cmd = "C:\\windows\\system32\\cmd.exe";
  const std::filesystem::path folder = test_support::make_temp_folder("zkslv_plot_");
  const std::filesystem::path output = folder / "run.log";
  std::ofstream(output, std::ios::binary) << "before\n";
  std::string error;
  // The program's output goes to the end of the log.
  EXPECT_TRUE(zkslv::run_gnuplot(cmd, "echo 2385\r\nexit 0\r\n", output, &error)) << error;
  std::ifstream in(output, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  EXPECT_EQ(log.rfind("before\n", 0), 0u) << log;
  EXPECT_NE(log.find("2385"), std::string::npos) << log;
  EXPECT_FALSE(zkslv::run_gnuplot(cmd, "exit 3\r\n", output, &error));
  EXPECT_EQ(error, "gnuplot ended with exit status 3");
  EXPECT_FALSE(zkslv::run_gnuplot("C:\\nonexistent\\gnuplot.exe", "", output, &error));
  EXPECT_EQ(error.rfind("cannot start C:\\nonexistent\\gnuplot.exe: ", 0), 0u) << error;
  std::filesystem::remove_all(folder);
}

}  // namespace
