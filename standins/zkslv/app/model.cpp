// Reading the model file: TOML through toml++, every key checked, every error naming the
// file and line.
#include "model.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <numbers>
#include <set>
#include <sstream>

#include "dynamics.h"
#include "platform/text.h"

namespace zkslv {

namespace {

// The unit systems a model may choose. A tonne-millimetre-second model keeps the newton as
// its force unit; a kilogram-millimetre-second one has the millinewton.
constexpr Units kUnits[] = {
    {"m-kg-s", "m", "kg", "kilograms", "N", "N·m", 1.0, 1.0, 1.0},
    {"mm-t-s", "mm", "t", "tonnes", "N", "N·mm", 1000.0, 1.0, 1000.0},
    {"mm-kg-s", "mm", "kg", "kilograms", "mN", "mN·mm", 1000.0, 1000.0, 1e6},
};

// Default runaway limits: a body may wander this many times the model's size from its
// start. It may not cover that distance in one step, nor turn by more than half a turn in
// one step (beyond which a turn cannot be told from one the other way round).
constexpr double kRunawaySizes = 1000.0;

// More steps than this is taken for a typing error in the step or the end time.
constexpr long long kMaxSteps = 100'000'000;

SourceLine line_of(const toml::node& node) {
  const toml::source_region& region = node.source();
  return {static_cast<int>(region.begin.line), static_cast<int>(region.begin.column)};
}

std::string in_quotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string format_number(double value) {
  std::ostringstream out;
  out.precision(10);
  out << value;
  return out.str();
}

// Reads the keys of one table and remembers which it read, so that finish() can reject
// the rest: a misspelt key is an error, not silently a default.
class TableReader {
 public:
  TableReader(const toml::table& table, std::string what, const Model& model)
      : table_(table), what_(std::move(what)), model_(model) {}

  [[noreturn]] void fail_at(const toml::node& node, const std::string& problem) const {
    fail(line_of(node), problem);
  }
  [[noreturn]] void fail(SourceLine at, const std::string& problem) const {
    std::string place = model_.display_name + ":" + std::to_string(at.line);
    if (at.column > 0) place += ":" + std::to_string(at.column);
    throw ModelError(place + ": " + what_ + ": " + problem);
  }
  [[noreturn]] void fail(const std::string& problem) const { fail(line_of(table_), problem); }

  bool has(std::string_view key) {
    read_.insert(std::string(key));
    return table_.contains(key);
  }

  const toml::node& node(std::string_view key) {
    read_.insert(std::string(key));
    const toml::node* n = table_.get(key);
    if (n == nullptr) fail("the key " + in_quotes(key) + " is missing");
    return *n;
  }

  double number(std::string_view key) { return number_of(node(key), key); }
  double number(std::string_view key, double fallback) { return has(key) ? number(key) : fallback; }

  int integer(std::string_view key) { return integer_of(node(key), key); }

  std::string text(std::string_view key) {
    const toml::node& n = node(key);
    if (!n.is_string()) fail_at(n, in_quotes(key) + " must be a string");
    return std::string(*n.value<std::string_view>());
  }
  std::string text(std::string_view key, std::string fallback) {
    return has(key) ? text(key) : fallback;
  }

  bool boolean(std::string_view key, bool fallback) {
    if (!has(key)) return fallback;
    const toml::node& n = node(key);
    if (!n.is_boolean()) fail_at(n, in_quotes(key) + " must be true or false");
    return *n.value<bool>();
  }

  Eigen::Vector3d vector(std::string_view key) {
    const toml::node& n = node(key);
    const toml::array* a = n.as_array();
    if (a == nullptr || a->size() != 3)
      fail_at(n, in_quotes(key) + " must be an array of three numbers");
    Eigen::Vector3d v;
    for (int i = 0; i < 3; ++i) v[i] = number_of(*a->get(static_cast<size_t>(i)), key);
    return v;
  }
  Eigen::Vector3d vector(std::string_view key, const Eigen::Vector3d& fallback) {
    return has(key) ? vector(key) : fallback;
  }

  std::vector<int> integers(std::string_view key) {
    const toml::node& n = node(key);
    const toml::array* a = n.as_array();
    if (a == nullptr) fail_at(n, in_quotes(key) + " must be an array of integers");
    std::vector<int> out;
    for (const toml::node& element : *a) out.push_back(integer_of(element, key));
    return out;
  }

  // Rejects every key that no getter asked for.
  void finish() const {
    for (const auto& [key, value] : table_) {
      if (read_.count(std::string(key.str())) == 0) {
        const toml::source_region& at = key.source();
        const bool known = at.begin.line > 0;
        fail(known ? SourceLine{static_cast<int>(at.begin.line), static_cast<int>(at.begin.column)}
                   : line_of(value),
             "unknown key " + in_quotes(key.str()));
      }
    }
  }

 private:
  double number_of(const toml::node& n, std::string_view key) const {
    std::optional<double> v;
    if (n.is_floating_point()) v = *n.value<double>();
    if (n.is_integer()) v = static_cast<double>(*n.value<int64_t>());
    if (!v) fail_at(n, in_quotes(key) + " must be a number");
    if (!std::isfinite(*v)) fail_at(n, in_quotes(key) + " must be a finite number");
    return *v;
  }

  int integer_of(const toml::node& n, std::string_view key) const {
    if (!n.is_integer()) fail_at(n, in_quotes(key) + " must be an integer");
    const int64_t v = *n.value<int64_t>();
    if (v < 1 || v > std::numeric_limits<int>::max()) {
      fail_at(n, in_quotes(key) + " must lie between 1 and " +
                     std::to_string(std::numeric_limits<int>::max()));
    }
    return static_cast<int>(v);
  }

  const toml::table& table_;
  std::string what_;
  const Model& model_;
  std::set<std::string> read_;
};

// The tables of an array of tables ([[body]] ...); none when the key is absent.
std::vector<const toml::table*> tables_of(TableReader& root, const toml::table& document,
                                          std::string_view key) {
  std::vector<const toml::table*> out;
  if (!root.has(key)) return out;
  const toml::node& n = *document.get(key);
  const toml::array* a = n.as_array();
  if (a == nullptr || !a->is_array_of_tables()) {
    root.fail_at(n, in_quotes(key) + " must be written as [[" + std::string(key) + "]] tables");
  }
  for (const toml::node& element : *a) out.push_back(element.as_table());
  return out;
}

// Body names become CSV column names and plot labels: keep them plain.
bool is_plain_name(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

// A positive limit, or 0 (take the default) when the key is absent.
double positive_or_default(TableReader& r, std::string_view key, const std::string& unit) {
  if (!r.has(key)) return 0.0;
  const double v = r.number(key);
  if (!(v > 0.0)) {
    r.fail_at(r.node(key),
              in_quotes(key) + " must be positive (" + unit + "), not " + format_number(v));
  }
  return v;
}

void read_simulation(Model& model, const toml::table& table) {
  TableReader r(table, "[simulation]", model);
  const std::string units = r.text("units", si_units().name);
  model.units = find_units(units);
  if (model.units == nullptr) {
    r.fail_at(r.node("units"),
              "\"units\" must be \"m-kg-s\", \"mm-t-s\" or \"mm-kg-s\", not " + in_quotes(units));
  }
  const std::string length = model.units->length;
  model.title = r.text("title", "");
  model.subroutine = r.text("subroutine", "ostrel");
  if (model.subroutine.empty()) r.fail_at(r.node("subroutine"), "\"subroutine\" must not be empty");
  model.start_time = r.number("start_time", 0.0);
  model.end_time = r.number("end_time");
  model.step = r.number("step");
  model.gravity = r.vector("gravity", Eigen::Vector3d::Zero());
  if (!(model.step > 0.0)) {
    r.fail_at(r.node("step"),
              "\"step\" must be a positive number of seconds, not " + format_number(model.step));
  }
  if (!(model.end_time > model.start_time)) {
    r.fail_at(r.node("end_time"),
              "\"end_time\" must lie after the start time " + format_number(model.start_time));
  }
  if (!(model.step < model.end_time - model.start_time)) {
    r.fail_at(r.node("step"), "\"step\" must be shorter than the run from " +
                                  format_number(model.start_time) + " s to " +
                                  format_number(model.end_time) + " s, not " +
                                  format_number(model.step) + " s");
  }
  if ((model.end_time - model.start_time) / model.step > static_cast<double>(kMaxSteps)) {
    r.fail_at(r.node("step"), "the run would take more than " + std::to_string(kMaxSteps) +
                                  " steps; check \"step\" and \"end_time\"");
  }
  if (r.has("output_every")) model.output_every = r.integer("output_every");
  model.runaway_distance = positive_or_default(r, "runaway_distance", length);
  model.runaway_speed = positive_or_default(r, "runaway_speed", length + "/s");
  model.runaway_angular_speed = positive_or_default(r, "runaway_angular_speed", "rad/s");
  r.finish();
}

void read_variable(Model& model, const toml::table& table) {
  TableReader r(table, "[[variable]]", model);
  Variable v;
  v.source = line_of(table);
  v.id = r.integer("id");
  v.name = r.text("name", "");
  v.value = r.number("value");
  r.finish();
  if (model.find_variable(v.id) != nullptr) {
    r.fail_at(r.node("id"), "another variable has the id " + std::to_string(v.id));
  }
  model.variables.push_back(std::move(v));
}

void read_body(Model& model, const toml::table& table) {
  TableReader r(table, "[[body]]", model);
  BodyDefinition b;
  b.source = line_of(table);
  b.id = r.integer("id");
  b.name = r.text("name", "body" + std::to_string(b.id));
  if (!is_plain_name(b.name)) {
    r.fail_at(r.node("name"),
              "the name " + in_quotes(b.name) + " may hold only letters, digits, '_' and '-'");
  }
  b.mass = r.number("mass");
  if (!(b.mass > 0.0)) {
    r.fail_at(r.node("mass"), "\"mass\" must be a positive number of " +
                                  std::string(model.units->mass_words) + ", not " +
                                  format_number(b.mass));
  }
  b.inertia = r.vector("inertia");
  if (!(b.inertia.array() > 0.0).all()) {
    r.fail_at(r.node("inertia"), "the three principal moments of inertia must be positive");
  }
  b.position = r.vector("position", b.position);
  b.velocity = r.vector("velocity", b.velocity);
  b.rotation = r.vector("rotation", b.rotation);
  b.angular_velocity = r.vector("angular_velocity", b.angular_velocity);
  b.pinned = r.boolean("pinned", false);
  b.marker = r.vector("marker", b.marker);
  if (r.has("dm_reference")) b.dm_reference = r.vector("dm_reference");
  r.finish();
  if (model.body_index(b.id) >= 0) {
    r.fail_at(r.node("id"), "another body has the id " + std::to_string(b.id));
  }
  for (const BodyDefinition& other : model.bodies) {
    if (other.name == b.name) r.fail("another body is named " + in_quotes(b.name));
  }
  model.bodies.push_back(std::move(b));
}

// A body reference of a spring or element: an id that a [[body]] defines.
int body_reference(TableReader& r, const Model& model, std::string_view key) {
  const int id = r.integer(key);
  if (model.body_index(id) < 0) {
    r.fail_at(r.node(key), "there is no body with the id " + std::to_string(id));
  }
  return id;
}

double non_negative(TableReader& r, std::string_view key, const std::string& unit) {
  const double v = r.number(key, 0.0);
  if (v < 0.0) {
    r.fail_at(r.node(key), in_quotes(key) + " must not be negative (" + unit + ")");
  }
  return v;
}

void read_spring(Model& model, const toml::table& table) {
  TableReader r(table, "[[spring]]", model);
  SpringDefinition s;
  s.source = line_of(table);
  s.body = body_reference(r, model, "body");
  s.point = r.vector("point", s.point);
  const bool to_other = r.has("other");
  const bool to_ground = r.has("ground");
  if (to_other == to_ground) r.fail("give exactly one of \"other\" (a body id) and \"ground\"");
  if (to_other) {
    s.other = body_reference(r, model, "other");
    if (*s.other == s.body) r.fail_at(r.node("other"), "a spring cannot join a body to itself");
    s.other_point = r.vector("other_point", Eigen::Vector3d::Zero());
  } else {
    s.other_point = r.vector("ground");
  }
  const Units& u = *model.units;
  s.stiffness = non_negative(r, "stiffness", std::string(u.force) + "/" + u.length);
  s.damping = non_negative(r, "damping", std::string(u.force) + "·s/" + u.length);
  s.free_length = non_negative(r, "free_length", u.length);
  r.finish();
  model.springs.push_back(s);
}

void read_rotational_spring(Model& model, const toml::table& table) {
  TableReader r(table, "[[rotational_spring]]", model);
  RotationalSpringDefinition s;
  s.source = line_of(table);
  s.body = body_reference(r, model, "body");
  if (r.has("other")) {
    s.other = body_reference(r, model, "other");
    if (*s.other == s.body) r.fail_at(r.node("other"), "a spring cannot join a body to itself");
  }
  s.stiffness = non_negative(r, "stiffness", std::string(model.units->torque) + "/rad");
  s.damping = non_negative(r, "damping", std::string(model.units->torque) + "·s/rad");
  r.finish();
  model.rotational_springs.push_back(s);
}

void read_element(Model& model, const toml::table& table) {
  TableReader r(table, "[[force_element]]", model);
  ForceElementDefinition e;
  e.source = line_of(table);
  e.name = r.text("name", "element" + std::to_string(model.elements.size() + 1));
  if (e.name.empty()) r.fail_at(r.node("name"), "\"name\" must not be empty");
  e.library = r.text("library");
  if (e.library.empty()) r.fail_at(r.node("library"), "\"library\" must name the provider library");
  e.config = r.text("config");
  if (e.config.empty()) r.fail_at(r.node("config"), "\"config\" must name the configuration file");
  e.bodies = r.integers("bodies");
  if (e.bodies.empty()) r.fail_at(r.node("bodies"), "\"bodies\" must name at least one body");
  for (size_t i = 0; i < e.bodies.size(); ++i) {
    if (model.body_index(e.bodies[i]) < 0) {
      r.fail_at(r.node("bodies"), "there is no body with the id " + std::to_string(e.bodies[i]));
    }
    for (size_t j = 0; j < i; ++j) {
      if (e.bodies[j] == e.bodies[i]) {
        r.fail_at(r.node("bodies"), "the body " + std::to_string(e.bodies[i]) + " is listed twice");
      }
    }
  }
  e.interval_variable = r.integer("interval_variable");
  if (model.find_variable(e.interval_variable) == nullptr) {
    r.fail_at(r.node("interval_variable"),
              "there is no [[variable]] with the id " + std::to_string(e.interval_variable));
  }
  const std::string stop = r.text("auto_stop", "off");
  if (stop == "off") {
    e.auto_stop = AutoStop::kOff;
  } else if (stop == "force") {
    e.auto_stop = AutoStop::kForce;
  } else if (stop == "position") {
    e.auto_stop = AutoStop::kPosition;
  } else {
    r.fail_at(r.node("auto_stop"),
              "\"auto_stop\" must be \"off\", \"force\" or \"position\", not " + in_quotes(stop));
  }
  if (e.auto_stop != AutoStop::kOff) {
    e.tolerance = r.number("tolerance");
    // The force criterion compares the loads as the provider delivers them, in newtons.
    const std::string unit = e.auto_stop == AutoStop::kForce ? "N" : model.units->length;
    if (!(e.tolerance > 0.0)) {
      r.fail_at(r.node("tolerance"), "\"tolerance\" must be positive (" + unit + "), not " +
                                         format_number(e.tolerance) +
                                         ": the bodies could never count as settled");
    }
  } else {
    e.tolerance = r.number("tolerance", 0.0);
  }
  e.instance =
      r.has("instance") ? r.integer("instance") : static_cast<int>(model.elements.size()) + 1;
  r.finish();
  for (const ForceElementDefinition& other : model.elements) {
    if (other.instance == e.instance) {
      r.fail("the instance key " + std::to_string(e.instance) + " is that of element " +
             in_quotes(other.name) + " too; give \"instance\" a value of its own");
    }
    if (other.name == e.name) r.fail("another force element is named " + in_quotes(e.name));
    if (other.library == e.library) {
      r.fail_at(r.node("library"),
                "the force element " + in_quotes(other.name) + " names the provider library " +
                    in_quotes(e.library) +
                    " too; the subroutine keeps one provider per library name, shared by all "
                    "elements that name it, so list all their bodies in one force element");
    }
  }
  model.elements.push_back(std::move(e));
}

}  // namespace

const Units* find_units(std::string_view name) {
  for (const Units& u : kUnits) {
    if (name == u.name) return &u;
  }
  return nullptr;
}

const Units& si_units() { return kUnits[0]; }

double Model::size() const {
  std::vector<Eigen::Vector3d> points;
  double offset = 0.0;
  for (const BodyDefinition& b : bodies) {
    points.push_back(b.position);
    if (b.dm_reference) points.push_back(*b.dm_reference);
    offset = std::max(offset, b.marker.norm());
  }
  for (const SpringDefinition& s : springs) {
    if (!s.other) points.push_back(s.other_point);
    offset =
        std::max({offset, s.point.norm(), s.other ? s.other_point.norm() : 0.0, s.free_length});
  }
  double extent = 0.0;
  for (size_t i = 0; i < points.size(); ++i) {
    for (size_t j = 0; j < i; ++j) extent = std::max(extent, (points[i] - points[j]).norm());
  }
  const double size = extent + offset;
  return size > 0.0 ? size : units->per_metre;
}

long long Model::step_count() const {
  return std::llround(std::ceil((end_time - start_time) / step - 1e-9));
}

int Model::body_index(int id) const {
  for (size_t i = 0; i < bodies.size(); ++i) {
    if (bodies[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

const Variable* Model::find_variable(int id) const {
  for (const Variable& v : variables) {
    if (v.id == id) return &v;
  }
  return nullptr;
}

std::string Model::where(const SourceLine& source) const {
  return display_name + ":" + std::to_string(source.line);
}

std::filesystem::path Model::resolved_config(const ForceElementDefinition& element) const {
  const std::filesystem::path config = platform::narrow_path(element.config.c_str());
  if (config.is_absolute()) return config;
  return path.parent_path() / config;
}

Model parse_model(std::string_view text, const std::filesystem::path& path,
                  const std::string& display_name) {
  Model model;
  model.path = path;
  model.display_name = display_name;

  toml::table document;
  try {
    document = toml::parse(text, display_name);
  } catch (const toml::parse_error& e) {
    const toml::source_position& at = e.source().begin;
    throw ModelError(display_name + ":" + std::to_string(at.line) + ":" +
                     std::to_string(at.column) + ": " + std::string(e.description()));
  }

  TableReader root(document, "model", model);
  if (!root.has("simulation") || !document.get("simulation")->is_table()) {
    throw ModelError(display_name + ":1: the model needs a [simulation] table");
  }
  read_simulation(model, *document.get("simulation")->as_table());
  for (const toml::table* t : tables_of(root, document, "variable")) read_variable(model, *t);
  for (const toml::table* t : tables_of(root, document, "body")) read_body(model, *t);
  for (const toml::table* t : tables_of(root, document, "spring")) read_spring(model, *t);
  for (const toml::table* t : tables_of(root, document, "rotational_spring")) {
    read_rotational_spring(model, *t);
  }
  for (const toml::table* t : tables_of(root, document, "force_element")) read_element(model, *t);
  root.finish();
  if (model.bodies.empty()) throw ModelError(display_name + ":1: the model has no [[body]]");

  const double size = model.size();
  if (model.runaway_distance == 0.0) model.runaway_distance = kRunawaySizes * size;
  if (model.runaway_speed == 0.0) model.runaway_speed = model.runaway_distance / model.step;
  if (model.runaway_angular_speed == 0.0) {
    model.runaway_angular_speed = std::numbers::pi / model.step;
  }
  check_step_stability(model);
  return model;
}

Model load_model(const std::filesystem::path& path, const std::string& display_name) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw ModelError(display_name + ": is a directory, not a model file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw ModelError(display_name + ": cannot open the model file: " + std::strerror(errno));
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw ModelError(display_name + ": cannot read the model file");

  Model model = parse_model(text.str(), path, display_name);
  for (const ForceElementDefinition& e : model.elements) {
    const std::filesystem::path config = model.resolved_config(e);
    std::ifstream probe(config);
    if (!probe || std::filesystem::is_directory(config, error)) {
      throw ModelError(model.where(e.source) + ": force element " + in_quotes(e.name) +
                       ": cannot read its configuration file " + platform::path_text(config) +
                       (probe ? "" : std::string(": ") + std::strerror(errno)));
    }
  }
  return model;
}

}  // namespace zkslv
