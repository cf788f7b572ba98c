// libzkslv.so's host services as a driving program sees them: the model path service.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "recording_host.h"

namespace {

long count_of(const std::vector<char16_t>& buffer, char16_t unit) {
  return static_cast<long>(std::count(buffer.begin(), buffer.end(), unit));
}

TEST(HostServices, ModelPathBufferIsClearedForTheHost) {
  std::vector<char16_t> buffer(kModelPathCapacity, u'x');
  int status = -1;
  {
    test_support::RecordingHost host;  // writes an empty path: the terminator alone
    GET_ZKSPATH_S(nullptr, 0, buffer.data(), &status);
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count_of(buffer, u'\0'), kModelPathCapacity);

  // Without a host the caller's buffer stays as it was.
  std::fill(buffer.begin(), buffer.end(), u'x');
  GET_ZKSPATH_S(nullptr, 0, buffer.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(count_of(buffer, u'x'), kModelPathCapacity);
}

}  // namespace
