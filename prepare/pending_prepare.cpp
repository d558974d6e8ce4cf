// TEMPORARY: placeholders until the normaliser lands; delete with it.
#include "engine/errors.h"
#include "engine/state.h"
#include "prepare/normalize.h"

namespace tarvo {
std::string NormalizeExpression(std::string_view) { State().ErrorCode = kErrInternal; return {}; }
std::string SplitArgumentLists(std::string_view) { State().ErrorCode = kErrInternal; return {}; }
}  // namespace tarvo
