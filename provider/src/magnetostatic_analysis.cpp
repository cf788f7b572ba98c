// Placeholder factory of the magnetostatic provider.
#include "provider/external_force_provider.h"

extern "C" __attribute__((visibility("default"))) IExternalForceProvider* GetExternalForceProvider() {
  return nullptr;
}
