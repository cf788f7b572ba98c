// Reading project files: TOML parsing by toml++, then a check of the document's shape.
#include "project_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>

namespace tarvoquelm {

namespace {

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

  std::string name(const toml::table& table, const std::string& context) const {
    const toml::node* node = table.get("name");
    if (node == nullptr) fail(table.source(), context + " has no name");
    const std::optional<std::string> value = node->value_exact<std::string>();
    if (!value || value->empty())
      fail(node->source(), context + ": name must be a non-empty string");
    return *value;
  }

  Vec3 vector(const toml::table& table, std::string_view key, const std::string& context) const {
    const std::string what = context + ": " + std::string(key) + " must be three finite numbers";
    const toml::node* node = table.get(key);
    if (node == nullptr) fail(table.source(), context + " has no " + std::string(key));
    const toml::array* array = node->as_array();
    if (array == nullptr || array->size() != 3) fail(node->source(), what);
    double values[3];
    for (size_t i = 0; i < 3; ++i) {
      const toml::node& element = (*array)[i];
      const std::optional<double> value =
          element.is_number() ? element.value<double>() : std::nullopt;
      if (!value || !std::isfinite(*value)) fail(element.source(), what);
      values[i] = *value;
    }
    return {values[0], values[1], values[2]};
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
      check_keys(*group, {"name", "moment"}, group_context);
      magnet.moment = vector(*group, "moment", group_context);
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
      check_keys(*fixed, {"name", "position", "moment"}, fixed_context);
      magnet.dipole.position = vector(*fixed, "position", fixed_context);
      magnet.dipole.moment = vector(*fixed, "moment", fixed_context);
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
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return unreadable("there is no such file");
  if (std::filesystem::is_directory(status)) return unreadable("it is a folder");
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file) return unreadable("it cannot be opened for reading");
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return unreadable("it cannot be read");
  return parse_project(text, path);
}

}  // namespace tarvoquelm
