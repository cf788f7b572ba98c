// The evaluation call (mode 0): when the provider is due, gather every body's kinematics,
// let the provider compute, relay its failure, fetch the loads, apply the force criterion,
// advance the due time and return six values per body.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "call.h"
#include "host_api/host_services.h"
#include "registry.h"

namespace ostrel {

namespace {

// Host messages pass through a buffer of this size, terminator included.
constexpr size_t kMessageBufferSize = 1024;

// Per-body arrays of one interfacing, zero-filled; body i at i * (values per body).
struct Kinematics {
  explicit Kinematics(size_t bodies)
      : positions(3 * bodies),
        velocities(3 * bodies),
        accelerations(3 * bodies),
        orientations(9 * bodies),
        angular_velocities(3 * bodies),
        angular_accelerations(3 * bodies) {}

  std::vector<double> positions, velocities, accelerations, orientations, angular_velocities,
      angular_accelerations;
};

void gather(Call& call, Kinematics& k) {
  struct Quantity {
    const char* name;
    std::vector<double>* array;
  };
  // The order in which the host is asked, for each body.
  const Quantity vectors[] = {{"TDISP", &k.positions},
                              {"TVEL", &k.velocities},
                              {"TACC", &k.accelerations},
                              {"RVEL", &k.angular_velocities},
                              {"RACC", &k.angular_accelerations}};
  double values[9];
  for (int body = 0; body < call.params.body_count; ++body) {
    const int id = call.params.body_id(body);
    const size_t at = static_cast<size_t>(body);
    int value_count = 3;
    for (const Quantity& q : vectors) {
      query_body(call, q.name, id, &value_count, values);
      std::copy_n(values, 3, q.array->data() + 3 * at);
    }
    value_count = 9;
    query_body(call, "AM", id, &value_count, values);
    std::copy_n(values, 9, k.orientations.data() + 9 * at);
  }
}

// Writes one line through the message buffer; a line longer than the buffer holds goes
// out as consecutive messages, so nothing is lost.
void relay_line(Call& call, const std::string& line) {
  char buffer[kMessageBufferSize];
  size_t start = 0;
  do {
    const size_t length = std::min(line.size() - start, kMessageBufferSize - 1);
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
  std::vector<double> loads(6 * bodies);
  gather(call, k);

  std::vector<std::string> messages;
  bool ok = true;
  entry.provider->Compute(call.time, n, k.positions.data(), k.velocities.data(),
                          k.accelerations.data(), k.orientations.data(),
                          k.angular_velocities.data(), k.angular_accelerations.data(), &messages,
                          &ok);
  if (!ok) relay_failure(call, messages);

  entry.provider->GetForces(call.time, n, loads.data());
  if (call.params.force_criterion()) apply_force_criterion(call, loads.data());

  entry.next_time = call.time + call.interval;
  std::copy(loads.begin(), loads.end(), call.result);
  msgprint(call.handle, "Time : ", call.time, &call.status);
  msgprint(call.handle, "Interfaced with Quelm at ", call.time, &call.status);
}

}  // namespace ostrel
