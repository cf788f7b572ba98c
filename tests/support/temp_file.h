// A file for one test: written into the test temporary directory under a name unique to
// the running test case and process (a random number drawn once per process), removed again
// when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace test_support {

class TempFile {
 public:
  // Writes `text` byte for byte; `suffix` ends the file name (".cfg", ".toml").
  TempFile(std::string_view suffix, std::string_view text) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = ::testing::TempDir() + test->test_suite_name() + "." + test->name() + "." +
            std::to_string(process_tag_) + "." + std::to_string(serial_++) + std::string(suffix);
    std::ofstream out(path_, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  static inline const unsigned process_tag_ = std::random_device{}();
  static inline int serial_ = 0;
  std::string path_;
};

}  // namespace test_support
