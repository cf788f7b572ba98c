// The plot of a run: a PNG drawn by gnuplot from the results table, one panel per kind of
// quantity that varies (positions, orientations, forces, torques), with the time of the
// termination request marked.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results.h"

namespace zkslv {

struct PlotRequest {
  std::string title;
  std::filesystem::path csv;
  std::filesystem::path png;
  std::vector<Column> columns;
  double start_time = 0.0;
  double end_time = 0.0;  // the time of the last row
  // The time at which the run was asked to stop, and the message that came with it.
  std::optional<double> stop_time;
  std::string stop_label;
};

// The gnuplot script that draws the plot. Panels hold the columns that vary and are
// plotted; a request without any such column gives a single empty panel.
std::string plot_script(const PlotRequest& request);

// The first executable file named `program` in the directories of $PATH, if any.
std::optional<std::filesystem::path> find_on_path(std::string_view program);

// Feeds the script to `gnuplot` on its standard input; whatever gnuplot writes to its
// standard output or error is appended to the file `output` (created if missing), never
// shown. False with *error when gnuplot could not be started or did not end successfully.
bool run_gnuplot(const std::filesystem::path& gnuplot, const std::string& script,
                 const std::filesystem::path& output, std::string* error);

}  // namespace zkslv
