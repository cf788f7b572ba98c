// zkslv: the stand-in multibody solver. Runs a model file, drives its external force
// elements through the user-subroutine library, and writes a results table and a plot.
//
// Exit status: 0 the run reached its end time or was stopped by a force element;
// 1 bad command line or model; 2 the run failed (a force element raised an exception or
// relayed a failure of its provider, or the motion became unbounded); 3 a result file
// could not be written.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <string>

#include "console.h"
#include "model.h"
#include "path_text.h"
#include "plot.h"
#include "results.h"
#include "simulation.h"
#include "system.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSuccess = 0;
constexpr int kBadInput = 1;
constexpr int kRunFailed = 2;
constexpr int kOutputFailed = 3;

void error(const std::string& text) { std::cerr << "zkslv: error: " << text << '\n'; }

std::string shown(const fs::path& path, const fs::path& working_directory) {
  std::error_code e;
  const fs::path relative = fs::proximate(path, working_directory, e);
  return zkslv::path_text(e || relative.empty() ? path : relative);
}

std::string counted(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "zkslv: the stand-in multibody solver. Integrates the rigid bodies of MODEL under "
      "gravity, springs and dampers, and takes the loads of its force elements from the "
      "user-subroutine library (calc_external_force)."};
  std::string model_argument, csv_argument, plot_argument;
  bool no_plot = false;
  bool quiet = false;
  app.add_option("model", model_argument, "the model file (TOML)")->required();
  app.add_option("--csv", csv_argument,
                 "the results table to write (default: <model name>.csv in the working "
                 "directory)");
  app.add_option("--plot", plot_argument,
                 "the plot to write with gnuplot (default: <model name>.png in the working "
                 "directory)");
  app.add_flag("--no-plot", no_plot, "write no plot");
  app.add_flag("-q,--quiet", quiet, "leave out the force elements' messages");
  // The same options everywhere: on Windows, too, "/models/a.toml" is a path, not an option.
  app.allow_windows_style_options(false);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kSuccess : kBadInput;
  }

  std::error_code e;
  const fs::path working_directory = fs::current_path(e);
  if (e) {
    error("cannot determine the working directory: " + e.message());
    return kBadInput;
  }
  const fs::path model_path =
      fs::absolute(zkslv::path_from_text(model_argument)).lexically_normal();
  zkslv::Model model;
  try {
    model = zkslv::load_model(model_path, model_argument);
  } catch (const zkslv::ModelError& ex) {
    error(ex.what());
    return kBadInput;
  }

  const std::string stem = zkslv::path_text(model_path.stem());
  const fs::path csv = csv_argument.empty()
                           ? working_directory / zkslv::path_from_text(stem + ".csv")
                           : fs::absolute(zkslv::path_from_text(csv_argument)).lexically_normal();
  const fs::path png = plot_argument.empty()
                           ? working_directory / zkslv::path_from_text(stem + ".png")
                           : fs::absolute(zkslv::path_from_text(plot_argument)).lexically_normal();

  zkslv::ResultTable table(model);
  std::string problem;
  if (!table.open(csv, &problem)) {
    error(problem);
    return kOutputFailed;
  }

  // The run takes place in the model's folder, so that relative paths that the provider
  // or the field solver read (the project file named in a configuration) are taken
  // relative to the model, wherever zkslv was started.
  fs::current_path(model_path.parent_path(), e);
  if (e) {
    error("cannot change to the model's folder " + zkslv::path_text(model_path.parent_path()) +
          ": " + e.message());
    return kBadInput;
  }

  zkslv::Console console(std::cout, zkslv::output_is_terminal(), quiet);
  console.note("model " + zkslv::path_text(model_path) +
               (model.title.empty() ? "" : ": " + model.title));
  console.note(counted(model.bodies.size(), "body", "bodies") + ", " +
               counted(model.springs.size() + model.rotational_springs.size(), "spring or damper",
                       "springs or dampers") +
               ", " + counted(model.elements.size(), "force element", "force elements") +
               "; step " + zkslv::format_time(model.step) + " s from " +
               zkslv::format_time(model.start_time) + " s to " +
               zkslv::format_time(model.end_time) + " s");

  const zkslv::RunSummary run = zkslv::simulate(model, console, table);
  console.end_progress();
  const bool table_written = table.close(&problem);

  int status = kSuccess;
  switch (run.ending) {
    case zkslv::Ending::kFailed:
      error(run.error);
      status = kRunFailed;
      break;
    case zkslv::Ending::kStopped:
      console.note(
          "run stopped at t = " + zkslv::format_time(run.final_time) +
          " s: a force element asked for the end at t = " + zkslv::format_time(*run.stop_time) +
          " s" + (run.stop_text.empty() ? "" : " (" + run.stop_text + ")"));
      if (run.failure_reported) {
        error("the force element relayed a failure of its provider (see the messages above)");
        status = kRunFailed;
      }
      break;
    case zkslv::Ending::kEndTime:
      console.note("run reached its end at t = " + zkslv::format_time(run.final_time) + " s");
      break;
  }

  if (!table_written) {
    error(problem);
    return kOutputFailed;
  }
  if (table.rows() == 0) {
    // A run that failed before its first step leaves no results: no empty table either.
    fs::remove(csv, e);
    return status;
  }
  console.note("wrote " + shown(csv, working_directory) + " (" + std::to_string(table.rows()) +
               " rows)");
  if (status != kSuccess || no_plot) return status;

  const std::optional<fs::path> gnuplot = zkslv::find_on_path("gnuplot");
  if (!gnuplot) {
    console.note("gnuplot not found: no plot written (install gnuplot-nox for " +
                 shown(png, working_directory) + ")");
    return status;
  }
  zkslv::PlotRequest request;
  request.title = model.title.empty() ? zkslv::path_text(model_path.filename()) : model.title;
  request.csv = csv;
  request.png = png;
  request.columns = table.columns();
  request.start_time = model.start_time;
  request.end_time = run.final_time;
  if (run.stop_time) {
    request.stop_time = run.stop_time;
    request.stop_label = run.stop_text.empty()
                             ? "stop requested at t = " + zkslv::format_time(*run.stop_time) + " s"
                             : run.stop_text;
  }
  if (!zkslv::run_gnuplot(*gnuplot, zkslv::plot_script(request), &problem)) {
    error("no plot written to " + zkslv::path_text(png) + ": " + problem);
    return kOutputFailed;
  }
  console.note("wrote " + shown(png, working_directory));
  return status;
}
