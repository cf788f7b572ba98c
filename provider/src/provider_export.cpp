// The one export of libVelmira.so: the factory of the magnetostatic provider.
#include "magnetostatic_analysis.h"
#include "velmira_export.h"

extern "C" VELMIRA_API IExternalForceProvider* GetExternalForceProvider() {
  return velmira::MagnetostaticAnalysis::create();
}
