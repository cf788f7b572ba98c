// What the host shows: message lines with the time, its own notes, the progress line.
#include "console.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(Console, MessagesCarryTheSimulationTime) {
  std::ostringstream out;
  zkslv::Console console(out, false, false);
  console.message(0.9035, "Terminate Tarvo solver by Auto Stop(Force) at 0.9035");
  console.message(1234.5, "Time : 1234.5");
  console.note("wrote run.csv");
  EXPECT_EQ(out.str(),
            "[    0.903500 s] Terminate Tarvo solver by Auto Stop(Force) at 0.9035\n"
            "[ 1234.500000 s] Time : 1234.5\n"
            "zkslv: wrote run.csv\n");
}

TEST(Console, QuietLeavesOutOnlyTheElementsMessages) {
  std::ostringstream out;
  zkslv::Console console(out, false, true);
  console.message(0.5, "Interfaced with Quelm at 0.5");
  console.note("run reached its end");
  EXPECT_EQ(out.str(), "zkslv: run reached its end\n");
}

TEST(Console, ProgressLineIsRedrawnAndErasedBeforeOtherLines) {
  std::ostringstream out;
  zkslv::Console console(out, true, false);
  console.progress(0.5, 0.0, 2.0);
  console.progress(0.51, 0.0, 2.0);  // the same percentage: not redrawn
  console.progress(1.0, 0.0, 2.0);
  console.message(1.0, "Time : 1");
  console.end_progress();
  EXPECT_EQ(out.str(),
            "\r\x1b[Kzkslv: t = 0.5 s of 2 s (25 %)"
            "\r\x1b[Kzkslv: t = 1 s of 2 s (50 %)"
            "\r\x1b[K[    1.000000 s] Time : 1\n");
}

TEST(Console, NoProgressLineWhenOff) {
  std::ostringstream out;
  zkslv::Console console(out, false, false);
  console.progress(1.0, 0.0, 2.0);
  console.end_progress();
  EXPECT_EQ(out.str(), "");
}

TEST(Console, TimesShowUpToTenDigits) {
  EXPECT_EQ(zkslv::format_time(0.0), "0");
  EXPECT_EQ(zkslv::format_time(0.0015), "0.0015");
  EXPECT_EQ(zkslv::format_time(0.1 + 0.2), "0.3");
  EXPECT_EQ(zkslv::format_time(2.385e-7), "2.385e-07");
}

}  // namespace
