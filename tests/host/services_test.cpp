// libzkslv.so's host services as a driving program sees them: the model path service.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "zkslv/host.h"

namespace {

// Keeps what the model path buffer held when it reached the host; serves nothing else.
class PathHost final : public zkslv::Host {
 public:
  PathHost() { zkslv_install_host(this); }
  ~PathHost() { zkslv_install_host(nullptr); }
  PathHost(const PathHost&) = delete;
  PathHost& operator=(const PathHost&) = delete;

  void sysfnc(void*, const char*, const int*, int, double*) override {}
  void sysary(void*, const char*, const int*, int, double*, int*) override {}
  void msgprint(void*, const char*, double) override {}
  void write_message(void*, const char*) override {}
  void terminate_solver(void*) override {}
  void model_path(void*, char16_t* buffer) override {
    seen.assign(buffer, buffer + kModelPathCapacity);
  }

  std::vector<char16_t> seen;
};

long count_of(const std::vector<char16_t>& buffer, char16_t unit) {
  return static_cast<long>(std::count(buffer.begin(), buffer.end(), unit));
}

TEST(HostServices, ModelPathBufferReachesTheHostCleared) {
  std::vector<char16_t> buffer(kModelPathCapacity, u'x');
  int status = -1;
  {
    PathHost host;
    GET_ZKSPATH_S(nullptr, 0, buffer.data(), &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(count_of(host.seen, u'\0'), kModelPathCapacity);
  }
  // Without a host the caller's buffer stays as it was.
  std::fill(buffer.begin(), buffer.end(), u'x');
  GET_ZKSPATH_S(nullptr, 0, buffer.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(count_of(buffer, u'x'), kModelPathCapacity);
}

}  // namespace
