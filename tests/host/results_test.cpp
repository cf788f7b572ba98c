// The results table: its columns, the CSV it writes, the ranges that the plot reads.
#include "results.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "test_platform.h"

namespace {

zkslv::Model two_bodies() {
  zkslv::Model m;
  for (int id : {1, 2}) {
    zkslv::BodyDefinition b;
    b.id = id;
    b.name = id == 1 ? "magnet" : "rotor";
    b.mass = 1.0;
    b.inertia = Eigen::Vector3d::Ones();
    b.position = Eigen::Vector3d(0.0, 0.0, 0.0515 * id);
    m.bodies.push_back(b);
  }
  zkslv::ForceElementDefinition e;
  e.bodies = {2};
  e.auto_stop = zkslv::AutoStop::kPosition;
  m.elements.push_back(e);
  return m;
}

std::string read(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ResultTable, WritesAHeaderAndOneRowPerState) {
  const zkslv::Model m = two_bodies();
  zkslv::MultibodySystem system(m);
  zkslv::ResultTable table(m);
  const std::filesystem::path folder = test_support::make_temp_folder("zkslv_results_");
  const std::filesystem::path path = folder / "table.csv";
  std::string error;
  ASSERT_TRUE(table.open(path, &error)) << error;
  std::vector<zkslv::Load> loads(2);
  loads[0].force = Eigen::Vector3d(0.0, 0.0, -0.13666);
  table.add_row(0.0, system, loads);
  loads[1].torque = Eigen::Vector3d(0.0, 0.0, 2.385e-4);
  table.add_row(0.0005, system, loads);
  ASSERT_TRUE(table.close(&error)) << error;
  EXPECT_EQ(table.rows(), 2);

  const std::string header =
      "time [s],magnet.x [m],magnet.y [m],magnet.z [m],magnet.rx [rad],magnet.ry [rad],"
      "magnet.rz [rad],magnet.dm [m],magnet.Fx [N],magnet.Fy [N],magnet.Fz [N],"
      "magnet.Tx [N·m],magnet.Ty [N·m],magnet.Tz [N·m],rotor.x [m],rotor.y [m],rotor.z [m],"
      "rotor.rx [rad],rotor.ry [rad],rotor.rz [rad],rotor.dm [m],rotor.Fx [N],rotor.Fy [N],"
      "rotor.Fz [N],rotor.Tx [N·m],rotor.Ty [N·m],rotor.Tz [N·m]\n";
  EXPECT_EQ(read(path),
            header +
                "0,0,0,0.0515,0,0,0,0,0,0,-0.13666,0,0,0,0,0,0.103,0,0,0,0,0,0,0,0,0,0\n"
                "0.0005,0,0,0.0515,0,0,0,0,0,0,-0.13666,0,0,0,0,0,0.103,0,0,0,0,0,0,0,"
                "0,0,0.0002385\n");
  std::filesystem::remove_all(folder);

  // Ranges: the torque of the rotor varies, the magnet's force does not. Distance values
  // are plotted for the body that a position criterion watches only.
  const std::vector<zkslv::Column>& c = table.columns();
  ASSERT_EQ(c.size(), 27u);
  EXPECT_TRUE(c[26].varies());
  EXPECT_FALSE(c[10].varies());
  EXPECT_EQ(c[10].min, -0.13666);
  EXPECT_FALSE(c[7].plotted);
  EXPECT_TRUE(c[20].plotted);
  EXPECT_EQ(c[20].quantity, zkslv::Quantity::kDistance);
}

TEST(ResultTable, NamesAFileItCannotCreate) {
  const zkslv::Model m = two_bodies();
  zkslv::ResultTable table(m);
  std::string error;
  EXPECT_FALSE(table.open("/nonexistent-folder/run.csv", &error));
  EXPECT_EQ(error,
            "cannot write the results file /nonexistent-folder/run.csv: No such file or directory");
}

}  // namespace
