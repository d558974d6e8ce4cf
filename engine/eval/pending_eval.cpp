// TEMPORARY: placeholders until the evaluator lands; delete with it.
#include "engine/eval/evaluate.h"
#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {
double Evaluate(std::string_view) { State().ErrorCode = kErrInternal; return 0; }
void ClearVariables() {}
void AssignVariable(char, double) { State().ErrorCode = kErrInternal; }
void SetVariable(char, double) {}
}  // namespace tarvo
