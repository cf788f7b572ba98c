// Project files: the example project, and every fault reported with its position.
#include "project_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace tarvoquelm;

std::string example_project() {
  return std::string(std::getenv("TEST_SOURCE_DIR")) + "/standins/coupling/examples/magnets.toml";
}

TEST(ProjectFile, ReadsTheExampleProject) {
  const std::optional<Project> project = read_project_file(example_project());
  ASSERT_TRUE(project.has_value());
  ASSERT_EQ(project->designs.size(), 2u);

  const Design& stack = project->designs[0];
  EXPECT_EQ(stack.name, "Stack");
  ASSERT_EQ(stack.groups.size(), 2u);
  EXPECT_EQ(stack.groups[1].name, "Group1");
  EXPECT_EQ(stack.groups[1].body.moment, (Vec3{0.0, 0.0, 1.03}));
  ASSERT_EQ(stack.fixed.size(), 1u);
  EXPECT_EQ(stack.fixed[0].name, "Base");
  EXPECT_EQ(stack.fixed[0].position, (Vec3{0.0, 0.0, -0.03}));
  EXPECT_EQ(stack.fixed[0].body.moment, (Vec3{0.0, 0.0, 2.06}));

  EXPECT_EQ(project->designs[1].name, "Repel");
}

TEST(ProjectFile, KeepsFileOrderAndAcceptsIntegers) {
  const Project project = parse_project(
      "[[design]]\nname = \"Zeta\"\n"
      "[[design]]\nname = \"Alpha\"\n"
      "[[design.fixed]]\nposition = [1, -2, 3]\nmoment = [0, 0.5, -7]\n",
      "p.toml");
  ASSERT_EQ(project.designs.size(), 2u);
  EXPECT_EQ(project.designs[0].name, "Zeta");
  EXPECT_TRUE(project.designs[0].groups.empty());
  EXPECT_EQ(project.designs[1].name, "Alpha");
  ASSERT_EQ(project.designs[1].fixed.size(), 1u);
  EXPECT_EQ(project.designs[1].fixed[0].name, "");
  EXPECT_EQ(project.designs[1].fixed[0].position, (Vec3{1.0, -2.0, 3.0}));

  EXPECT_TRUE(parse_project("# no designs yet\n", "p.toml").designs.empty());
}

TEST(ProjectFile, ReadsCuboidsAndCylinders) {
  const Project project = parse_project(
      "[[design]]\nname = \"A\"\n"
      "[[design.group]]\nname = \"G\"\nshape = \"cuboid\"\n"
      "dimensions = [0.01, 0.008, 6e-3]\npolarization = [0, 0.25, 1.32]\n"
      "[[design.fixed]]\nshape = \"cylinder\"\ndiameter = 0.012\nheight = 0.005\n"
      "polarization = -1.2\nposition = [0, 0, -0.02]\n"
      "orientation = [0, -1, 0, 1, 0, 0, 0, 0, 1]\n"
      "[[design.fixed]]\nshape = \"dipole\"\nposition = [0, 0, 1]\nmoment = [0, 0, 2]\n",
      "p.toml");
  const Design& design = project.designs.at(0);
  const MagnetBody& group = design.groups.at(0).body;
  EXPECT_EQ(group.shape, Shape::kCuboid);
  EXPECT_EQ(group.dimensions, (Vec3{0.01, 0.008, 6e-3}));
  EXPECT_EQ(group.polarization, (Vec3{0, 0.25, 1.32}));
  const FixedMagnet& cylinder = design.fixed.at(0);
  EXPECT_EQ(cylinder.body.shape, Shape::kCylinder);
  EXPECT_EQ(cylinder.body.dimensions, (Vec3{0.012, 0.012, 0.005}));
  EXPECT_EQ(cylinder.body.polarization, (Vec3{0, 0, -1.2}));
  EXPECT_EQ(cylinder.orientation, (Orientation{0, -1, 0, 1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(design.fixed.at(1).body.shape, Shape::kDipole);
  EXPECT_EQ(design.fixed.at(1).orientation, kIdentity);
}

TEST(ProjectFile, FaultsNameTheirPosition) {
  struct Case {
    const char* name;
    const char* text;
    const char* message;  // the whole message, or how it starts
  };
  const Case cases[] = {
      {"not TOML: the parser's message follows", "[[design]]\nname = \"A\n", "p.toml:2:10: "},
      {"non-ASCII character right after a value", "a = 1\xC2\xA1\n", "p.toml:1:"},
      {"unknown top-level key", "title = \"x\"\n",
       "p.toml:1:1: the project has an unknown key \"title\""},
      {"design as a plain table", "[design]\nname = \"A\"\n",
       "p.toml:1:1: design must be an array of tables, written [[design]]"},
      {"design without name", "[[design]]\n[[design.group]]\nname = \"Group0\"\n",
       "p.toml:1:1: a design has no name"},
      {"empty design name", "[[design]]\nname = \"\"\n",
       "p.toml:2:8: a design: name must be a non-empty string"},
      {"misspelt key in a design", "[[design]]\nname = \"A\"\n  moment = [1, 2, 3]\n",
       "p.toml:3:3: design \"A\" has an unknown key \"moment\""},
      {"repeated design", "[[design]]\nname = \"A\"\n[[design]]\nname = \"A\"\n",
       "p.toml:3:1: design \"A\" appears twice"},
      {"group without moment", "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"Group0\"\n",
       "p.toml:3:1: design \"A\", group \"Group0\" has no moment"},
      {"moment of two numbers",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nmoment = [1, 2]\n",
       "p.toml:5:10: design \"A\", group \"G\": moment must be three finite numbers"},
      {"moment with a text",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nmoment = [1, \"2\", 3]\n",
       "p.toml:5:14: design \"A\", group \"G\": moment must be three finite numbers"},
      {"moment not finite",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nmoment = [1, 2, nan]\n",
       "p.toml:5:17: design \"A\", group \"G\": moment must be three finite numbers"},
      {"repeated group",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nmoment = [1, 2, 3]\n"
       "[[design.group]]\nname = \"G\"\nmoment = [1, 2, 3]\n",
       "p.toml:6:1: design \"A\", group \"G\" appears twice"},
      {"fixed magnet without position",
       "[[design]]\nname = \"A\"\n[[design.fixed]]\nmoment = [1, 2, 3]\n",
       "p.toml:3:1: design \"A\", fixed magnet 1 has no position"},
      {"unknown shape",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nshape = \"ball\"\n",
       "p.toml:5:9: design \"A\", group \"G\": shape must be \"dipole\", \"cuboid\" or "
       "\"cylinder\""},
      {"key of another shape",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nshape = \"cuboid\"\n"
       "dimensions = [1, 1, 1]\npolarization = [0, 0, 1]\nmoment = [0, 0, 1]\n",
       "p.toml:8:1: design \"A\", group \"G\": moment does not belong to a cuboid"},
      {"orientation of a group",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nmoment = [0, 0, 1]\n"
       "orientation = [1, 0, 0, 0, 1, 0, 0, 0, 1]\n",
       "p.toml:6:1: design \"A\", group \"G\" has an unknown key \"orientation\""},
      {"edge of zero length",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nshape = \"cuboid\"\n"
       "dimensions = [0.01, 0, 0.01]\npolarization = [0, 0, 1]\n",
       "p.toml:6:21: design \"A\", group \"G\": dimensions must be three positive lengths"},
      {"negative height",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nshape = \"cylinder\"\n"
       "diameter = 0.01\nheight = -0.005\npolarization = 1\n",
       "p.toml:7:10: design \"A\", group \"G\": height must be a positive length"},
      {"diameter not finite",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nshape = \"cylinder\"\n"
       "diameter = inf\nheight = 0.005\npolarization = 1\n",
       "p.toml:6:12: design \"A\", group \"G\": diameter must be a positive length"},
      {"cylinder polarised across its axis",
       "[[design]]\nname = \"A\"\n[[design.group]]\nname = \"G\"\nshape = \"cylinder\"\n"
       "diameter = 0.01\nheight = 0.005\npolarization = [1, 0, 0]\n",
       "p.toml:8:16: design \"A\", group \"G\": polarization must be a finite number"},
      {"orientation not a rotation",
       "[[design]]\nname = \"A\"\n[[design.fixed]]\nposition = [0, 0, 0]\nmoment = [0, 0, 1]\n"
       "orientation = [1, 0, 0, 0, 1, 0, 0, 0, -1]\n",
       "p.toml:6:15: design \"A\", fixed magnet 1: orientation must be a rotation matrix"},
      {"orientation of eight numbers",
       "[[design]]\nname = \"A\"\n[[design.fixed]]\nposition = [0, 0, 0]\nmoment = [0, 0, 1]\n"
       "orientation = [1, 0, 0, 0, 1, 0, 0, 0]\n",
       "p.toml:6:15: design \"A\", fixed magnet 1: orientation must be nine finite numbers"},
      {"group as a plain table", "[[design]]\nname = \"A\"\n[design.group]\nname = \"G\"\n",
       "p.toml:3:1: design \"A\": group must be an array of tables, written [[design.group]]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      parse_project(c.text, "p.toml");
      ADD_FAILURE() << "nothing thrown";
    } catch (const LaunchDesktopExeption& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
    }
  }
}

TEST(ProjectFile, UnopenableFileIsNoProject) {
  EXPECT_FALSE(read_project_file("/nonexistent/project.toml").has_value());
  EXPECT_FALSE(read_project_file(std::getenv("TEST_SOURCE_DIR")).has_value());  // a directory
}

}  // namespace
