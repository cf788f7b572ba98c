// The evaluation call (mode 0).
#include "call.h"
#include "registry.h"

namespace ostrel {

void evaluate(Call& call) { registered_provider(call.library_name); }

}  // namespace ostrel
