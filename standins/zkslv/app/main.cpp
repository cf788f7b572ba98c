// zkslv: the stand-in multibody solver. Runs a model file, drives its external force
// elements through the user-subroutine library, and writes a results table, a plot and a
// log of every message.
//
// Exit status: 0 the run reached its end time or was stopped by a force element;
// 1 bad command line or model; 2 the run failed (a force element raised an exception or
// relayed a failure of its provider, or the motion ran away); 3 a result file could not be
// written.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "console.h"
#include "model.h"
#include "platform/text.h"
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
  return platform::path_text(e || relative.empty() ? path : relative);
}

std::string counted(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

// Creates (or empties) a file that something else writes later, so that a path that cannot
// be written is found before the run.
bool claim(const fs::path& path, const char* what, std::string* problem) {
  std::error_code e;
  const bool folder = fs::is_directory(path, e);
  if (!folder && std::ofstream(path, std::ios::trunc)) return true;
  *problem = std::string("cannot write the ") + what + " " + platform::path_text(path) +
             (folder ? ": it is a folder" : "");
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "zkslv: the stand-in multibody solver. Integrates the rigid bodies of MODEL under "
      "gravity, springs and dampers, and takes the loads of its force elements from the "
      "user-subroutine library (calc_external_force)."};
  std::string model_argument, csv_argument, plot_argument, outdir_argument;
  bool no_plot = false;
  bool quiet = false;
  bool verbose = false;
  app.set_version_flag("--version", std::string("zkslv ") + ZKSLV_VERSION);
  app.add_option("model", model_argument, "the model file (TOML)")->required();
  app.add_option("--outdir", outdir_argument,
                 "the folder for the results table, plot and log (created if missing; "
                 "default: the working directory)");
  app.add_option("--csv", csv_argument,
                 "the results table to write (default: <model name>.csv in the output folder); "
                 "the log <model name>.log goes beside it");
  app.add_option("--plot", plot_argument,
                 "the plot to write with gnuplot (default: <model name>.png in the output "
                 "folder)");
  app.add_flag("--no-plot", no_plot, "write no plot");
  CLI::Option* quiet_flag = app.add_flag("-q,--quiet", quiet, "print errors only");
  app.add_flag("-v,--verbose", verbose,
               "print every message of the host and the force elements as it comes")
      ->excludes(quiet_flag);
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
      fs::absolute(platform::narrow_path(model_argument.c_str())).lexically_normal();
  zkslv::Model model;
  try {
    model = zkslv::load_model(model_path, model_argument);
  } catch (const zkslv::ModelError& ex) {
    error(ex.what());
    return kBadInput;
  }

  // Every output path is settled and tried before the run.
  const std::string stem = platform::path_text(model_path.stem());
  auto output = [&](const std::string& argument, const fs::path& folder, const char* extension) {
    return argument.empty()
               ? folder / platform::narrow_path((stem + extension).c_str())
               : fs::absolute(platform::narrow_path(argument.c_str())).lexically_normal();
  };
  const fs::path outdir =
      outdir_argument.empty()
          ? working_directory
          : fs::absolute(platform::narrow_path(outdir_argument.c_str())).lexically_normal();
  if (!outdir_argument.empty()) {
    fs::create_directories(outdir, e);
    if (e || !fs::is_directory(outdir)) {
      error("cannot create the output folder " + platform::path_text(outdir) +
            (e ? ": " + e.message() : std::string(": a file of that name is in the way")));
      return kOutputFailed;
    }
  }
  const fs::path csv = output(csv_argument, outdir, ".csv");
  const fs::path png = output(plot_argument, outdir, ".png");
  const fs::path log_path = csv.parent_path() / platform::narrow_path((stem + ".log").c_str());
  const std::optional<fs::path> gnuplot = no_plot ? std::nullopt : zkslv::find_on_path("gnuplot");

  zkslv::ResultTable table(model);
  std::ofstream log;
  std::vector<fs::path> claimed;
  std::string problem;
  bool ready = table.open(csv, &problem);
  if (ready) claimed.push_back(csv);
  // Emptied, then opened for appending: gnuplot appends its own output to the log.
  if (ready && (ready = claim(log_path, "log", &problem))) {
    claimed.push_back(log_path);
    log.open(log_path, std::ios::app | std::ios::binary);
  }
  if (ready && gnuplot && (ready = claim(png, "plot", &problem))) claimed.push_back(png);
  if (!ready) {
    table.close(&problem);
    for (const fs::path& path : claimed) fs::remove(path, e);
    error(problem);
    return kOutputFailed;
  }

  // The run takes place in the model's folder, so that relative paths that the provider
  // or the field solver read (the project file named in a configuration) are taken
  // relative to the model, wherever zkslv was started.
  fs::current_path(model_path.parent_path(), e);
  if (e) {
    error("cannot change to the model's folder " + platform::path_text(model_path.parent_path()) +
          ": " + e.message());
    return kBadInput;
  }

  const zkslv::Verbosity verbosity = quiet     ? zkslv::Verbosity::kQuiet
                                     : verbose ? zkslv::Verbosity::kVerbose
                                               : zkslv::Verbosity::kNormal;
  zkslv::Console console(std::cout, std::cerr, zkslv::output_is_terminal(), verbosity);
  console.set_log(&log);
  console.note("model " + platform::path_text(model_path) +
               (model.title.empty() ? "" : ": " + model.title));
  console.note(counted(model.bodies.size(), "body", "bodies") + ", " +
               counted(model.springs.size() + model.rotational_springs.size(), "spring or damper",
                       "springs or dampers") +
               ", " + counted(model.elements.size(), "force element", "force elements") +
               "; step " + zkslv::format_time(model.step) + " s from " +
               zkslv::format_time(model.start_time) + " s to " +
               zkslv::format_time(model.end_time) + " s; units " + model.units->name);

  const zkslv::RunSummary run = zkslv::simulate(model, console, table);
  console.end_progress();
  const bool table_written = table.close(&problem);

  int status = kSuccess;
  switch (run.ending) {
    case zkslv::Ending::kFailed:
      console.error(run.error);
      status = kRunFailed;
      break;
    case zkslv::Ending::kStopped:
      console.summary(
          "run stopped at t = " + zkslv::format_time(run.final_time) +
          " s: a force element asked for the end at t = " + zkslv::format_time(*run.stop_time) +
          " s" + (run.stop_text.empty() ? "" : " (" + run.stop_text + ")"));
      if (run.failure_reported) {
        console.error("the force element relayed a failure of its provider (see " +
                      shown(log_path, working_directory) + ")");
        status = kRunFailed;
      }
      break;
    case zkslv::Ending::kEndTime:
      console.summary("run reached its end at t = " + zkslv::format_time(run.final_time) + " s");
      break;
  }

  std::vector<std::string> written;
  if (!table_written) {
    console.error(problem);
    status = kOutputFailed;
  } else if (table.rows() == 0) {
    // A run that failed before its first step leaves no results: no empty table either.
    fs::remove(csv, e);
  } else {
    written.push_back(shown(csv, working_directory) + " (" + std::to_string(table.rows()) +
                      " rows)");
  }

  if (status == kSuccess && gnuplot) {
    zkslv::PlotRequest request;
    request.title = model.title.empty() ? platform::path_text(model_path.filename()) : model.title;
    request.csv = csv;
    request.png = png;
    request.columns = table.columns();
    request.start_time = model.start_time;
    request.end_time = run.final_time;
    if (run.stop_time) {
      request.stop_time = run.stop_time;
      request.stop_label =
          run.stop_text.empty()
              ? "stop requested at t = " + zkslv::format_time(*run.stop_time) + " s"
              : run.stop_text;
    }
    console.note("drawing " + platform::path_text(png) + " with " + platform::path_text(*gnuplot));
    log.flush();
    if (zkslv::run_gnuplot(*gnuplot, zkslv::plot_script(request), log_path, &problem)) {
      written.push_back(shown(png, working_directory));
    } else {
      console.error("no plot written to " + platform::path_text(png) + ": " + problem + " (see " +
                    shown(log_path, working_directory) + ")");
      status = kOutputFailed;
    }
  } else if (status == kSuccess && !no_plot) {
    console.summary("gnuplot not found: no plot written (install gnuplot-nox for " +
                    shown(png, working_directory) + ")");
  }
  if (gnuplot && status != kSuccess) fs::remove(png, e);

  written.push_back(shown(log_path, working_directory));
  console.summary("wrote " + listed(written));
  log.close();
  if (!log) {
    error("could not write the log " + platform::path_text(log_path));
    return kOutputFailed;
  }
  return status;
}
