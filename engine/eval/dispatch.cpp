// The application of a function token: its row says what its operand is.
// A list function checks, in this order: the list number (fault 1), the
// argument count (24); then the function checks its slot numbers (fault 1)
// and its own values, and calls its routine.
#include "engine/eval/dispatch.h"

#include <cmath>

#include "engine/errors.h"
#include "engine/eval/functions.h"
#include "engine/state.h"

namespace tarvo {
namespace {

// The list named by x: its number is x to the nearest whole; outside 1..16 a fault.
const ArgumentList* ListOf(Engine& engine, double x, const ArgumentLists& lists) {
  const double k = std::nearbyint(x);
  if (!(k >= 1 && k <= kArgumentListCount)) {
    Fail(engine, ErrorNumber::kUnknown);
    return nullptr;
  }
  return &lists[static_cast<size_t>(k) - 1];
}

// The list named by x when it holds min..max arguments; nullptr with the
// fault (1) or the count error (24) otherwise.
const ArgumentList* ListWithCount(Engine& engine, double x, const ArgumentLists& lists, int min, int max) {
  const ArgumentList* list = ListOf(engine, x, lists);
  if (list == nullptr) return nullptr;
  const int count = list->LastIndex + 1;
  if (count < min || count > max) {
    Fail(engine, ErrorNumber::kArgumentCount);
    return nullptr;
  }
  return list;
}

// What a function that takes no list is handed as its list.
const ArgumentList kNoList{};

}  // namespace

void Apply(Engine& engine, int code, double& x, const ArgumentLists& lists) {
  const FunctionRow* f = FunctionOf(code);
  if (f == nullptr) {  // no function: outside 128..226
    Fail(engine, ErrorNumber::kInternal);
    return;
  }
  if (f->operand.kind != Operand::kList) {
    f->apply(engine, x, kNoList);
    return;
  }
  if (const ArgumentList* list = ListWithCount(engine, x, lists, f->operand.min, f->operand.max))
    f->apply(engine, x, *list);
}

}  // namespace tarvo
