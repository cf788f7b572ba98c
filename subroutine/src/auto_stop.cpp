// The automatic stop: reset call (mode 1) and position check (mode 2).
#include "call.h"

namespace ostrel {

void reset(Call& /*call*/) {}

void check_positions(Call& /*call*/) {}

}  // namespace ostrel
