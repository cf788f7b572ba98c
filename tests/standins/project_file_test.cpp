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
  EXPECT_EQ(stack.groups[1].moment, (Vec3{0.0, 0.0, 1.03}));
  ASSERT_EQ(stack.fixed.size(), 1u);
  EXPECT_EQ(stack.fixed[0].name, "Base");
  EXPECT_EQ(stack.fixed[0].dipole.position, (Vec3{0.0, 0.0, -0.03}));
  EXPECT_EQ(stack.fixed[0].dipole.moment, (Vec3{0.0, 0.0, 2.06}));

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
  EXPECT_EQ(project.designs[1].fixed[0].dipole.position, (Vec3{1.0, -2.0, 3.0}));

  EXPECT_TRUE(parse_project("# no designs yet\n", "p.toml").designs.empty());
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
