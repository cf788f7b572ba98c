// Placeholder entry point of the coupling stand-in.
#include "coupling/coupling.h"

extern "C" __attribute__((visibility("default"))) ICouplingFactory* GetTarvoQuelmFactoryInterface() {
  return nullptr;
}
