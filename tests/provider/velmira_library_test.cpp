// libVelmira.so with the real coupling stand-in, through the provider interface: forces
// of the example project end to end, and the coupling's failures as Velmira reports them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/shared_library.h"
#include "provider/external_force_provider.h"
#include "temp_file.h"
#include "test_platform.h"

namespace {

using test_support::TempFile;

// The magnetic constant of the coupling stand-in (CODATA 2018).
constexpr double kMu0 = 1.25663706212e-6;

// A path as the coupling shows it resolved.
std::string resolved(const char* path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

std::string example_project() {
  return std::string(std::getenv("TEST_SOURCE_DIR")) + "/standins/coupling/examples/magnets.toml";
}

// The axial force between coaxial dipoles m and n at distance d: 3 mu0 m n / (2 pi d^4),
// positive for repulsion.
double coaxial_repulsion(double m, double n, double d) {
  return -3.0 * kMu0 * m * n / (2.0 * std::numbers::pi * std::pow(d, 4));
}

class VelmiraLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string message;
    library_ = platform::SharedLibrary::open("Velmira.dll", &message);
    ASSERT_TRUE(library_) << message;
    auto factory =
        library_.symbol<GetExternalForceProviderFunction>(kGetExternalForceProviderName, &message);
    ASSERT_NE(factory, nullptr) << message;
    provider_ = factory();
    ASSERT_NE(provider_, nullptr);
  }

  void TearDown() override {
    if (provider_ != nullptr) provider_->Release();
  }

  void initialize(const std::string& config_text) {
    const TempFile config(".cfg", config_text);
    provider_->Initialize(config.path().c_str());
  }

  // Compute and GetForces for bodies at `positions` with `orientations`.
  std::vector<double> step(const std::vector<double>& positions,
                           const std::vector<double>& orientations) {
    const int count = static_cast<int>(positions.size() / 3);
    const std::vector<double> zeros(positions.size(), 0.0);
    std::vector<std::string> messages;
    bool ok = true;
    EXPECT_TRUE(provider_->Compute(0.5, count, positions.data(), zeros.data(), zeros.data(),
                                   orientations.data(), zeros.data(), zeros.data(), &messages,
                                   &ok));
    std::vector<double> loads(6 * static_cast<size_t>(count), 0.0);
    provider_->GetForces(0.5, count, loads.data());
    return loads;
  }

  std::string initialize_failure(const std::string& config_text) {
    try {
      initialize(config_text);
    } catch (const std::exception& error) {
      return error.what();
    }
    return "(nothing thrown)";
  }

  platform::SharedLibrary library_;
  IExternalForceProvider* provider_ = nullptr;
};

const std::vector<double> kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

std::vector<double> repeat(const std::vector<double>& block, int times) {
  std::vector<double> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), block.begin(), block.end());
  return out;
}

void expect_relative(double actual, double expected) {
  EXPECT_NEAR(actual, expected, 1e-12 * std::abs(expected)) << "expected " << expected;
}

TEST_F(VelmiraLibraryTest, FirstDesignOfTheExampleGivesCoaxialForcesInMillimetres) {
  // Design "Stack": Group0 and Group1 of 1.03 A·m² along z, a base of 2.06 A·m² at
  // z = -30 mm. The host works in millimetres: scale factor 0.001.
  initialize(example_project() + "\n\n0.001\n2\n");
  const std::vector<double> loads = step({0, 0, 0, 0, 0, 25}, repeat(kIdentity, 2));

  const double f01 = coaxial_repulsion(1.03, 1.03, 0.025);
  const double f0_base = coaxial_repulsion(1.03, 2.06, 0.030);
  const double f1_base = coaxial_repulsion(1.03, 2.06, 0.055);
  const double expected[12] = {0, 0, -f01 + f0_base, 0, 0, 0, 0, 0, f01 + f1_base, 0, 0, 0};
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE(k);
    expect_relative(loads[k], expected[k]);
  }
}

TEST_F(VelmiraLibraryTest, OrientationTurnsTheGroupMoment) {
  // Design "Repel": Group0 of 1.03 A·m² along its body z, an opposed fixed magnet 20 mm
  // below the origin. Turned upside down (half a turn about x), Group0 is attracted.
  initialize(example_project() + "\nRepel\n1\n1\n");
  const double repulsion = coaxial_repulsion(1.03, -1.03, 0.02);
  ASSERT_GT(repulsion, 0.0);

  std::vector<double> loads = step({0, 0, 0}, kIdentity);
  expect_relative(loads[2], repulsion);

  loads = step({0, 0, 0}, {1, 0, 0, 0, -1, 0, 0, 0, -1});
  expect_relative(loads[2], -repulsion);

  // A quarter turn about x, R = [[1, 0, 0], [0, 0, -1], [0, 1, 0]] row by row, turns the
  // body z axis to world -y: the moment lies across the field of the fixed magnet below,
  // which at Group0 is B = 2 mu0 (-1.03) / (4 pi d^3) along z, and the torque m x B is
  // (-1.03) B along x.
  loads = step({0, 0, 0}, {1, 0, 0, 0, 0, -1, 0, 1, 0});
  const double field = 2.0 * kMu0 * -1.03 / (4.0 * std::numbers::pi * std::pow(0.02, 3));
  expect_relative(loads[3], -1.03 * field);
  EXPECT_EQ(loads[4], 0.0);
  EXPECT_EQ(loads[5], 0.0);
}

TEST_F(VelmiraLibraryTest, CouplingFailuresReachTheCaller) {
  const TempFile broken(".toml", "[[design]]\nname = \"A\"\n  moment = [1, 2, 3]\n");
  const TempFile not_toml(".toml", "[[design]]\nname = \"A\n");
  struct Case {
    const char* name;
    std::string config;
    std::string message;
  };
  const Case cases[] = {
      // The coupling's exception, caught by value in Velmira across the two libraries.
      {"invalid project", broken.path() + "\nA\n1\n1\n",
       "Fail to open project file: " + broken.path() +
           ":3:3: design \"A\" has an unknown key \"moment\""},
      // The coupling names the file, and for a design it lacks, the designs it has.
      {"missing project", "/nonexistent/project.toml\nA\n1\n1\n",
       "Fail to open project file: cannot open the project file \"/nonexistent/project.toml\" (" +
           resolved("/nonexistent/project.toml") + "): there is no such file"},
      {"missing design", example_project() + "\nStack \n1\n1\n",
       "Fail to open project file: the project file \"" + example_project() + "\" (" +
           resolved(example_project().c_str()) +
           ") has no design \"Stack \"; its designs are \"Stack\", \"Repel\""},
      // Velmira passes FindDesigns' exception through unchanged.
      {"no designs found", "/nonexistent/project.toml\n\n1\n1\n",
       "cannot open the project file \"/nonexistent/project.toml\" (" +
           resolved("/nonexistent/project.toml") + "): there is no such file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(initialize_failure(c.config), c.message);
  }

  // Velmira passes FindDesigns' exception through unchanged.
  const std::string message = initialize_failure(not_toml.path() + "\n\n1\n1\n");
  EXPECT_EQ(message.rfind(not_toml.path() + ":2:", 0), 0u) << message;
}

TEST_F(VelmiraLibraryTest, GroupMissingFromTheDesignFailsTheAnalysis) {
  initialize(example_project() + "\nRepel\n1\n2\n");  // Repel has no Group1
  const std::vector<double> positions = {0, 0, 0, 0, 0, 0.05};
  const std::vector<double> orientations = repeat(kIdentity, 2);
  try {
    provider_->Compute(0.0, 2, positions.data(), nullptr, nullptr, orientations.data(), nullptr,
                       nullptr, nullptr, nullptr);
    FAIL() << "nothing thrown";
  } catch (const std::exception& error) {
    // The coupling's exception passes through Velmira unchanged.
    EXPECT_STREQ(error.what(),
                 "cannot analyze design \"Repel\": design \"Repel\" has no group \"Group1\"; "
                 "its groups are \"Group0\"");
  }
}

TEST_F(VelmiraLibraryTest, ReleaseUnloadsTheCoupling) {
  auto coupling_loaded = [] {
    return test_support::is_library_loaded(test_support::library_file("TarvoQuelmCoupling"));
  };
  EXPECT_TRUE(coupling_loaded());
  provider_->Release();
  provider_ = nullptr;
  EXPECT_FALSE(coupling_loaded());
}

}  // namespace
