// TEMPORARY: placeholders until the elementary functions land; delete with them.
#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {
namespace { double Pending() { State().ErrorCode = kErrInternal; return 0; } }
double ArcSin(double) { return Pending(); }
double ArcCos(double) { return Pending(); }
double ArcCosec(double) { return Pending(); }
double ArcSec(double) { return Pending(); }
double ArcCotan(double) { return Pending(); }
double ArgSinh(double) { return Pending(); }
double ArgCosh(double) { return Pending(); }
double ArgTanh(double) { return Pending(); }
double ArgCosech(double) { return Pending(); }
double ArgSech(double) { return Pending(); }
double ArgCotanh(double) { return Pending(); }
}  // namespace tarvo
