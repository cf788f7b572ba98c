// The gnuplot script of a run (finding and running gnuplot is in posix/ and win32/).
#include "plot.h"

#include <cstdio>
#include <sstream>

#include "platform/text.h"

namespace zkslv {

namespace {

// Pixel sizes of the picture: its width, the height of one panel, the room above the
// panels (title), below them (time axis) and between two of them (tick labels).
constexpr int kWidth = 1100;
constexpr int kPanelHeight = 300;
constexpr int kTopRoom = 40;
constexpr int kBottomRoom = 50;
constexpr int kGap = 45;
// Fixed left and right edges of every panel (fractions of the width), so that the panels
// line up whatever the width of their tick labels and keys.
constexpr double kLeftEdge = 0.09;
constexpr double kRightEdge = 0.80;
// Room after the last row, as a fraction of the time range, so that a stop marked at the
// very end stays visible.
constexpr double kTimePadding = 0.03;

// A gnuplot single-quoted string: nothing is special in it but the quote itself, doubled.
std::string gnuplot_string(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string number(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.12g", value);
  return buffer;
}

struct Panel {
  std::vector<Quantity> quantities;
  const char* label;
};

// The axis label of the first panel: it holds positions, distance values or both.
const char* position_label(const std::vector<Column>& columns, const std::vector<size_t>& shown) {
  bool position = false, distance = false;
  for (size_t number : shown) {
    position |= columns[number - 1].quantity == Quantity::kPosition;
    distance |= columns[number - 1].quantity == Quantity::kDistance;
  }
  if (position && distance) return "position, DM";
  return distance ? "DM" : "position";
}

}  // namespace

std::string plot_script(const PlotRequest& r) {
  const Panel panels[] = {{{Quantity::kPosition, Quantity::kDistance}, "position"},
                          {{Quantity::kRotation}, "rotation vector"},
                          {{Quantity::kForce}, "force"},
                          {{Quantity::kTorque}, "torque"}};

  // The columns of each panel, as 1-based gnuplot column numbers.
  std::vector<std::pair<std::string, std::vector<size_t>>> shown;
  for (const Panel& panel : panels) {
    std::vector<size_t> numbers;
    for (size_t i = 0; i < r.columns.size(); ++i) {
      const Column& c = r.columns[i];
      bool in_panel = false;
      for (Quantity q : panel.quantities) in_panel |= c.quantity == q;
      if (in_panel && c.plotted && c.varies()) numbers.push_back(i + 1);
    }
    if (numbers.empty()) continue;
    const bool first = panel.quantities.front() == Quantity::kPosition;
    // The columns of one panel share their unit.
    shown.emplace_back(std::string(first ? position_label(r.columns, numbers) : panel.label) +
                           " (" + r.columns[numbers.front() - 1].unit + ")",
                       numbers);
  }

  std::ostringstream s;
  const int panel_count = shown.empty() ? 1 : static_cast<int>(shown.size());
  const int height = kTopRoom + kBottomRoom + panel_count * kPanelHeight;
  s << "set terminal pngcairo size " << kWidth << "," << height << " noenhanced font ',10'\n";
  s << "set output " << gnuplot_string(platform::path_text(r.png)) << "\n";
  s << "set datafile separator ','\n";
  s << "set grid\n";
  s << "set key outside right top\n";
  if (r.end_time > r.start_time) {
    const double end = r.end_time + kTimePadding * (r.end_time - r.start_time);
    s << "set xrange [" << number(r.start_time) << ":" << number(end) << "]\n";
  }
  if (r.stop_time) {
    const std::string t = number(*r.stop_time);
    const bool left_half = *r.stop_time - r.start_time < 0.5 * (r.end_time - r.start_time);
    s << "set arrow 1 from " << t << ", graph 0 to " << t
      << ", graph 1 nohead dashtype 2 linewidth 1.5 linecolor rgb '#c00000'\n";
    s << "set label 1 " << gnuplot_string(r.stop_label) << " at " << t << ", graph 0.93 "
      << (left_half ? "left offset 0.7,0" : "right offset -0.7,0") << " textcolor rgb '#c00000'\n";
  }
  s << "set multiplot layout " << panel_count << ",1 title " << gnuplot_string(r.title)
    << " margins " << kLeftEdge << "," << kRightEdge << ","
    << number(static_cast<double>(kBottomRoom) / height) << ","
    << number(1.0 - static_cast<double>(kTopRoom) / height) << " spacing 0,"
    << number(static_cast<double>(kGap) / height) << "\n";
  if (shown.empty()) {
    s << "set xlabel 'time (s)'\nset yrange [-1:1]\nunset key\n";
    s << "plot 0 with lines linecolor rgb '#bbbbbb' title 'nothing varies'\n";
  }
  for (size_t p = 0; p < shown.size(); ++p) {
    s << "set ylabel " << gnuplot_string(shown[p].first) << "\n";
    s << (p + 1 == shown.size() ? "set xlabel 'time (s)'\n" : "unset xlabel\n");
    s << "plot ";
    const std::vector<size_t>& numbers = shown[p].second;
    for (size_t k = 0; k < numbers.size(); ++k) {
      if (k > 0) s << ", \\\n     ";
      s << gnuplot_string(platform::path_text(r.csv)) << " using 1:" << numbers[k]
        << " every ::1 with lines title " << gnuplot_string(r.columns[numbers[k] - 1].name);
    }
    s << "\n";
  }
  s << "unset multiplot\n";
  return s.str();
}

}  // namespace zkslv
