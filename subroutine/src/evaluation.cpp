// The evaluation call (mode 0): when the provider is due, gather every body's kinematics,
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

// Per-body arrays of one interfacing, zero-filled; body i at i * (values per body). They
// share one block that is kept from call to call, so that an element with many bodies
// does not map fresh pages at every interfacing. A nested call (a provider calling back
// into the entry) gets a block of its own.
class Kinematics {
 public:
  explicit Kinematics(size_t bodies) {
    static std::vector<double> kept;
    static bool kept_in_use = false;
    if (!kept_in_use) {
      block_ = &kept;
      in_use_ = &kept_in_use;
      kept_in_use = true;
    }
    block_->assign(kValuesPerBody * bodies, 0.0);
    double* p = block_->data();
    for (double** array :
         {&positions, &velocities, &accelerations, &angular_velocities, &angular_accelerations}) {
      *array = p;
      p += 3 * bodies;
    }
    orientations = p;
    loads = p + 9 * bodies;
  }
  ~Kinematics() {
    if (in_use_ != nullptr) *in_use_ = false;
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
  std::vector<double>* block_ = &own_;
  bool* in_use_ = nullptr;
};

void gather(Call& call, Kinematics& k) {
  struct Quantity {
    const char* name;
    double* array;
  };
  // The order in which the host is asked, for each body.
  const Quantity vectors[] = {{"TDISP", k.positions},
                              {"TVEL", k.velocities},
                              {"TACC", k.accelerations},
                              {"RVEL", k.angular_velocities},
                              {"RACC", k.angular_accelerations}};
  double values[9];
  for (int body = 0; body < call.params.body_count; ++body) {
    const int id = call.params.body_id(body);
    const size_t at = static_cast<size_t>(body);
    int value_count = 3;
    for (const Quantity& q : vectors) {
      query_body(call, q.name, id, &value_count, values);
      std::copy_n(values, 3, q.array + 3 * at);
    }
    value_count = 9;
    query_body(call, "AM", id, &value_count, values);
    std::copy_n(values, 9, k.orientations + 9 * at);
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
  std::fill_n(values, 9, 0.0);
  sysary(call.handle, quantity, &body_id, 1, values, value_count, &call.status);
}

void evaluate(Call& call) {
  Terminator& entry = registered_provider(call.library_name);
  // Not yet due; false also when either time is NaN.
  if (!(call.time >= entry.next_time)) return;

  const int n = call.params.body_count;
  const size_t bodies = static_cast<size_t>(n);
  Kinematics k(bodies);
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
