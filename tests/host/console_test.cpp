// What the host shows and logs: message lines with the time, its own notes, the progress
// line, and what each verbosity lets through.
#include "console.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using zkslv::Verbosity;

TEST(Console, MessagesCarryTheSimulationTime) {
  std::ostringstream out;
  zkslv::Console console(out, out, false, Verbosity::kVerbose);
  console.message(0.9035, "Terminate Tarvo solver by Auto Stop(Force) at 0.9035");
  console.message(1234.5, "Time : 1234.5");
  console.note("wrote run.csv");
  EXPECT_EQ(out.str(),
            "[    0.903500 s] Terminate Tarvo solver by Auto Stop(Force) at 0.9035\n"
            "[ 1234.500000 s] Time : 1234.5\n"
            "zkslv: wrote run.csv\n");
}

TEST(Console, VerbosityChoosesWhatIsShownAndTheLogKeepsEverything) {
  struct Case {
    Verbosity verbosity;
    const char* out;
    const char* err;
  };
  const Case cases[] = {
      {Verbosity::kQuiet, "", "zkslv: error: e\n"},
      {Verbosity::kNormal, "zkslv: s\n", "zkslv: warning: w\nzkslv: error: e\n"},
      {Verbosity::kVerbose, "[    0.500000 s] m\nzkslv: n\nzkslv: s\n",
       "zkslv: warning: w\nzkslv: error: e\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.verbosity));
    std::ostringstream out, err, log;
    zkslv::Console console(out, err, true, c.verbosity);
    console.set_log(&log);
    console.message(0.5, "m");
    console.note("n");
    console.summary("s");
    console.warning("w");
    console.error("e");
    EXPECT_EQ(out.str(), c.out);
    EXPECT_EQ(err.str(), c.err);
    EXPECT_EQ(log.str(),
              "[    0.500000 s] m\nzkslv: n\nzkslv: s\nzkslv: warning: w\nzkslv: error: e\n");
  }
}

TEST(Console, ProgressLineIsRedrawnAndErasedBeforeOtherLines) {
  std::ostringstream out;
  zkslv::Console console(out, out, true, Verbosity::kVerbose);
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

TEST(Console, NoProgressLineWhenOffOrQuiet) {
  for (const auto& [line, verbosity] :
       {std::pair{false, Verbosity::kNormal}, std::pair{true, Verbosity::kQuiet}}) {
    std::ostringstream out;
    zkslv::Console console(out, out, line, verbosity);
    console.progress(1.0, 0.0, 2.0);
    console.end_progress();
    EXPECT_EQ(out.str(), "");
  }
}

TEST(Console, TimesShowUpToTenDigits) {
  EXPECT_EQ(zkslv::format_time(0.0), "0");
  EXPECT_EQ(zkslv::format_time(0.0015), "0.0015");
  EXPECT_EQ(zkslv::format_time(0.1 + 0.2), "0.3");
  EXPECT_EQ(zkslv::format_time(2.385e-7), "2.385e-07");
}

}  // namespace
