// The evaluation call: when the provider is due, gather every body's kinematics,
// let the provider compute, relay its failure, fetch the loads, apply the force criterion,
// advance the due time and return six values per body.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "call.h"
#include "host_api/host_services.h"
#include "registry.h"

namespace ostrel {

namespace {

// Host messages pass through a buffer of this size, terminator included.
constexpr size_t kMessageBufferSize = 1024;

// Makes `block` hold `size` zeros in storage of exactly that size, so that it follows the
// body count down as well as up. It either succeeds or leaves `block` as it was.
void zero_fill(std::vector<double>& block, size_t size) {
  if (block.capacity() == size) {
    block.assign(size, 0.0);
  } else {
    block = std::vector<double>(size, 0.0);
  }
}

// The per-body arrays of one interfacing, zero-filled; body i at i * (values per body). They
// share one block: the registry entry's, kept from call to call so that an element with many
// bodies does not map fresh pages at every interfacing. A nested call through the same entry
// (a provider calling back into the entry) finds that block in use and gets one of its own.
class Kinematics {
 public:
  Kinematics(InterfacingArrays& kept, size_t bodies) {
    std::vector<double>& block = kept.in_use ? own_ : kept.values;
    zero_fill(block, kValuesPerBody * bodies);
    // Taken only once the block is ready: a failed allocation leaves the entry's block free.
    if (&block == &kept.values) {
      kept.in_use = true;
      taken_ = &kept;
    }
    double* p = block.data();
    for (double** array :
         {&positions, &velocities, &accelerations, &angular_velocities, &angular_accelerations}) {
      *array = p;
      p += 3 * bodies;
    }
    orientations = p;
    loads = p + 9 * bodies;
  }
  ~Kinematics() {
    if (taken_ != nullptr) taken_->in_use = false;
  }
  Kinematics(const Kinematics&) = delete;
  Kinematics& operator=(const Kinematics&) = delete;

  double* positions;
  double* velocities;
  double* accelerations;
  double* angular_velocities;
  double* angular_accelerations;
  double* orientations;
  double* loads;

 private:
  static constexpr size_t kValuesPerBody = 5 * 3 + 9 + 6;
  std::vector<double> own_;
  InterfacingArrays* taken_ = nullptr;
};

void gather(Call& call, Kinematics& k) {
  struct Quantity {
    const char* name;
    double* array;
  };
  // The order in which the host is asked, for each body.
  const Quantity vectors[] = {{host_api::kPosition, k.positions},
                              {host_api::kVelocity, k.velocities},
                              {host_api::kAcceleration, k.accelerations},
                              {host_api::kAngularVelocity, k.angular_velocities},
                              {host_api::kAngularAcceleration, k.angular_accelerations}};
  constexpr int kVectorValues = host_api::kVectorValueCount;
  constexpr int kOrientationValues = host_api::kOrientationValueCount;
  double values[host_api::kMaxValueCount];
  for (int body = 0; body < call.params.body_count; ++body) {
    const int id = call.params.body_id(body);
    const size_t at = static_cast<size_t>(body);
    int value_count = kVectorValues;
    for (const Quantity& q : vectors) {
      query_body(call, q.name, id, &value_count, values);
      std::copy_n(values, kVectorValues, q.array + kVectorValues * at);
    }
    value_count = kOrientationValues;
    query_body(call, host_api::kOrientation, id, &value_count, values);
    std::copy_n(values, kOrientationValues, k.orientations + kOrientationValues * at);
  }
}

bool continues_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The length of the next chunk of `text` of at most `limit` bytes: a cut that would split a
// UTF-8 character moves back to the character's start (at most three bytes). Bytes that are
// not UTF-8 (more continuation bytes than a character has) are cut at the limit.
size_t chunk_length(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t cut = limit;
  for (int back = 0; back < 3 && cut > 0 && continues_character(text[cut]); ++back) --cut;
  return cut == 0 || continues_character(text[cut]) ? limit : cut;
}

// Writes one line through the message buffer; a line longer than the buffer holds goes
// out as consecutive messages, each ending on a character boundary, so nothing is lost.
void relay_line(Call& call, const std::string& line) {
  char buffer[kMessageBufferSize];
  size_t start = 0;
  do {
    const size_t length =
        chunk_length(std::string_view(line).substr(start), kMessageBufferSize - 1);
    std::memcpy(buffer, line.data() + start, length);
    buffer[length] = '\0';
    write_message(call.handle, buffer);
    start += length;
  } while (start < line.size());
}

void relay_failure(Call& call, const std::vector<std::string>& messages) {
  write_message(call.handle, "Tarvo solver will be terminated caused of Quelm problem :: ");
  write_message(call.handle, "Error Message from Quelm :: ");
  for (const std::string& line : messages) relay_line(call, line);
  terminate_solver(call.handle, &call.status);
}

}  // namespace

void query_body(Call& call, const char* quantity, int body_id, int* value_count, double* values) {
  std::fill_n(values, host_api::kMaxValueCount, 0.0);
  sysary(call.handle, quantity, &body_id, 1, values, value_count, &call.status);
}

void evaluate(Call& call) {
  Terminator& entry = registered_provider(call.library_name);
  // Not yet due; false also when either time is NaN.
  if (!(call.time >= entry.next_time)) return;

  const int n = call.params.body_count;
  const size_t bodies = static_cast<size_t>(n);
  Kinematics k(entry.arrays, bodies);
  gather(call, k);

  std::vector<std::string> messages;
  bool ok = true;
  entry.provider->Compute(call.time, n, k.positions, k.velocities, k.accelerations, k.orientations,
                          k.angular_velocities, k.angular_accelerations, &messages, &ok);
  if (!ok) relay_failure(call, messages);

  entry.provider->GetForces(call.time, n, k.loads);
  if (call.params.force_criterion()) apply_force_criterion(call, k.loads);

  entry.next_time = call.time + call.interval;
  std::copy_n(k.loads, 6 * bodies, call.result);
  msgprint(call.handle, "Time : ", call.time, &call.status);
  msgprint(call.handle, "Interfaced with Quelm at ", call.time, &call.status);
}

}  // namespace ostrel
