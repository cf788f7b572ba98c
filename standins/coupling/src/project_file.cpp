// Reading project files: TOML parsing by toml++, then a check of the document's shape.
#include "project_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>

#include "platform/text.h"

namespace tarvoquelm {

namespace {

// The keys each shape takes besides "shape", in the order of Shape.
struct ShapeKeys {
  std::string_view name;
  std::vector<std::string_view> keys;
};
const ShapeKeys kShapeKeys[] = {
    {"dipole", {"moment"}},
    {"cuboid", {"dimensions", "polarization"}},
    {"cylinder", {"diameter", "height", "polarization"}},
};

// Turns a TOML document into a Project, naming the file and position of the first fault.
class ProjectReader {
 public:
  explicit ProjectReader(std::string_view source_name) : source_name_(source_name) {}

  Project read(const toml::table& root) const {
    check_keys(root, {"design"}, "the project");
    Project project;
    const toml::node* designs = root.get("design");
    if (designs == nullptr) return project;
    if (!designs->is_array_of_tables()) {
      fail(designs->source(), "design must be an array of tables, written [[design]]");
    }
    for (const toml::node& node : *designs->as_array()) {
      Design design = read_design(*node.as_table());
      const bool repeated =
          std::any_of(project.designs.begin(), project.designs.end(),
                      [&](const Design& earlier) { return earlier.name == design.name; });
      if (repeated) fail(node.source(), "design \"" + design.name + "\" appears twice");
      project.designs.push_back(std::move(design));
    }
    return project;
  }

 private:
  [[noreturn]] void fail(const toml::source_region& where, const std::string& what) const {
    throw LaunchDesktopExeption(source_name_ + ":" + std::to_string(where.begin.line) + ":" +
                                std::to_string(where.begin.column) + ": " + what);
  }

  void check_keys(const toml::table& table, std::initializer_list<std::string_view> allowed,
                  const std::string& context) const {
    for (const auto& [key, node] : table) {
      if (std::find(allowed.begin(), allowed.end(), key.str()) == allowed.end()) {
        fail(key.source(), context + " has an unknown key \"" + std::string(key.str()) + "\"");
      }
    }
  }

  // The keys of a magnet: `common` ones and those of its shape. A key of another shape is
  // named as such, since it most likely comes from a shape changed by hand.
  void check_magnet_keys(const toml::table& table, std::initializer_list<std::string_view> common,
                         Shape shape, const std::string& context) const {
    for (const auto& [key, node] : table) {
      const std::string_view k = key.str();
      if (std::find(common.begin(), common.end(), k) != common.end() || k == "shape") continue;
      const auto belongs = [&](const ShapeKeys& entry) {
        return std::find(entry.keys.begin(), entry.keys.end(), k) != entry.keys.end();
      };
      const ShapeKeys& own = kShapeKeys[static_cast<int>(shape)];
      if (belongs(own)) continue;
      if (std::any_of(std::begin(kShapeKeys), std::end(kShapeKeys), belongs)) {
        fail(key.source(),
             context + ": " + std::string(k) + " does not belong to a " + std::string(own.name));
      }
      fail(key.source(), context + " has an unknown key \"" + std::string(k) + "\"");
    }
  }

  std::string name(const toml::table& table, const std::string& context) const {
    const toml::node* node = table.get("name");
    if (node == nullptr) fail(table.source(), context + " has no name");
    const std::optional<std::string> value = node->value_exact<std::string>();
    if (!value || value->empty())
      fail(node->source(), context + ": name must be a non-empty string");
    return *value;
  }

  // A finite number, written as an integer or a decimal; nothing otherwise.
  static std::optional<double> number(const toml::node& node) {
    const std::optional<double> value = node.is_number() ? node.value<double>() : std::nullopt;
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
  }

  // The array `key` of `count` finite numbers, each positive if `positive`.
  std::vector<double> numbers(const toml::table& table, std::string_view key, size_t count,
                              bool positive, const std::string& what,
                              const std::string& context) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) fail(table.source(), context + " has no " + std::string(key));
    const std::string message = context + ": " + std::string(key) + " must be " + what;
    const toml::array* array = node->as_array();
    if (array == nullptr || array->size() != count) fail(node->source(), message);
    std::vector<double> values;
    for (const toml::node& element : *array) {
      const std::optional<double> value = number(element);
      if (!value || (positive && !(*value > 0.0))) fail(element.source(), message);
      values.push_back(*value);
    }
    return values;
  }

  Vec3 vector(const toml::table& table, std::string_view key, const std::string& context) const {
    const std::vector<double> v = numbers(table, key, 3, false, "three finite numbers", context);
    return {v[0], v[1], v[2]};
  }

  // The number `key`: finite, and a positive length if `positive`.
  double scalar(const toml::table& table, std::string_view key, bool positive,
                const std::string& context) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) fail(table.source(), context + " has no " + std::string(key));
    const std::optional<double> value = number(*node);
    if (!value || (positive && !(*value > 0.0))) {
      fail(node->source(), context + ": " + std::string(key) + " must be " +
                               (positive ? "a positive length" : "a finite number"));
    }
    return *value;
  }

  // The shape and its keys; `common` are the other keys the table may hold.
  MagnetBody magnet_body(const toml::table& table, std::initializer_list<std::string_view> common,
                         const std::string& context) const {
    MagnetBody body;
    if (const toml::node* node = table.get("shape")) {
      const std::optional<std::string> name = node->value_exact<std::string>();
      const auto known = std::find_if(std::begin(kShapeKeys), std::end(kShapeKeys),
                                      [&](const ShapeKeys& e) { return name && e.name == *name; });
      if (known == std::end(kShapeKeys)) {
        fail(node->source(), context + ": shape must be \"dipole\", \"cuboid\" or \"cylinder\"");
      }
      body.shape = static_cast<Shape>(known - std::begin(kShapeKeys));
    }
    check_magnet_keys(table, common, body.shape, context);
    switch (body.shape) {
      case Shape::kDipole:
        body.moment = vector(table, "moment", context);
        break;
      case Shape::kCuboid: {
        const std::vector<double> edges =
            numbers(table, "dimensions", 3, true, "three positive lengths", context);
        body.dimensions = {edges[0], edges[1], edges[2]};
        body.polarization = vector(table, "polarization", context);
        break;
      }
      case Shape::kCylinder: {
        const double diameter = scalar(table, "diameter", true, context);
        body.dimensions = {diameter, diameter, scalar(table, "height", true, context)};
        body.polarization = {0.0, 0.0, scalar(table, "polarization", false, context)};
        break;
      }
    }
    return body;
  }

  // A body-to-world rotation matrix: nine finite numbers, row by row, whose rows are
  // orthonormal and right-handed to within kRotationTolerance.
  Orientation orientation(const toml::table& table, const std::string& context) const {
    constexpr double kRotationTolerance = 1e-9;
    const std::vector<double> v =
        numbers(table, "orientation", 9, false, "nine finite numbers, a rotation matrix row by row",
                context);
    Orientation r;
    std::copy(v.begin(), v.end(), r.begin());
    const Vec3 rows[3] = {{r[0], r[1], r[2]}, {r[3], r[4], r[5]}, {r[6], r[7], r[8]}};
    bool rotation = dot(cross(rows[0], rows[1]), rows[2]) > 0.0;
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        rotation = rotation &&
                   std::fabs(dot(rows[a], rows[b]) - (a == b ? 1.0 : 0.0)) <= kRotationTolerance;
      }
    }
    if (!rotation) {
      fail(table.get("orientation")->source(),
           context + ": orientation must be a rotation matrix (orthonormal rows, determinant 1)");
    }
    return r;
  }

  // The tables of an optional array of tables `key`, none when the key is absent.
  std::vector<const toml::table*> tables(const toml::table& table, std::string_view key,
                                         const std::string& context) const {
    std::vector<const toml::table*> out;
    const toml::node* node = table.get(key);
    if (node == nullptr) return out;
    if (!node->is_array_of_tables()) {
      fail(node->source(), context + ": " + std::string(key) +
                               " must be an array of tables, written [[design." + std::string(key) +
                               "]]");
    }
    for (const toml::node& element : *node->as_array()) out.push_back(element.as_table());
    return out;
  }

  Design read_design(const toml::table& table) const {
    Design design;
    design.name = name(table, "a design");
    const std::string context = "design \"" + design.name + "\"";
    check_keys(table, {"name", "group", "fixed"}, context);

    for (const toml::table* group : tables(table, "group", context)) {
      GroupMagnet magnet;
      magnet.name = name(*group, "a group of " + context);
      const std::string group_context = context + ", group \"" + magnet.name + "\"";
      magnet.body = magnet_body(*group, {"name"}, group_context);
      const bool repeated =
          std::any_of(design.groups.begin(), design.groups.end(),
                      [&](const GroupMagnet& g) { return g.name == magnet.name; });
      if (repeated) fail(group->source(), group_context + " appears twice");
      design.groups.push_back(std::move(magnet));
    }

    for (const toml::table* fixed : tables(table, "fixed", context)) {
      FixedMagnet magnet;
      const std::string fixed_context =
          context + ", fixed magnet " + std::to_string(design.fixed.size() + 1);
      if (fixed->contains("name")) magnet.name = name(*fixed, fixed_context);
      magnet.body = magnet_body(*fixed, {"name", "position", "orientation"}, fixed_context);
      magnet.position = vector(*fixed, "position", fixed_context);
      if (fixed->contains("orientation")) magnet.orientation = orientation(*fixed, fixed_context);
      design.fixed.push_back(std::move(magnet));
    }
    return design;
  }

  std::string source_name_;
};

}  // namespace

Project parse_project(std::string_view text, std::string_view source_name) {
  toml::table root;
  try {
    root = toml::parse(text, source_name);
  } catch (const toml::parse_error& error) {
    const toml::source_position& where = error.source().begin;
    throw LaunchDesktopExeption(std::string(source_name) + ":" + std::to_string(where.line) + ":" +
                                std::to_string(where.column) + ": " +
                                std::string(error.description()));
  }
  return ProjectReader(source_name).read(root);
}

std::optional<Project> read_project_file(const std::string& path, std::string* problem) {
  auto unreadable = [problem](const char* why) {
    if (problem != nullptr) *problem = why;
    return std::nullopt;
  };
  const std::filesystem::path name = platform::narrow_path(path.c_str());
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(name, error);
  if (!std::filesystem::exists(status)) return unreadable("there is no such file");
  if (std::filesystem::is_directory(status)) return unreadable("it is a folder");
  std::ifstream file(name, std::ios::in | std::ios::binary);
  if (!file) return unreadable("it cannot be opened for reading");
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return unreadable("it cannot be read");
  return parse_project(text, path);
}

}  // namespace tarvoquelm
