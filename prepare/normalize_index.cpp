#include "prepare/normalize_index.h"

namespace tarvo::detail {

LowerTable::LowerTable() {
  for (int c = 0; c < 256; ++c) map[c] = LowerByte(static_cast<char>(c));
}
const LowerTable kLowered;

ByteKinds::ByteKinds() {
  int sharing[256] = {};
  for (int c = 0; c < 256; ++c) ++sharing[Code(kLowered.map[c])];
  for (int c = 0; c < 256; ++c) {
    caseless[c] = sharing[Code(kLowered.map[c])] == 1;
    function[c] = IsFunctionToken(static_cast<char>(c));
    call[c] = IsParenFunctionToken(static_cast<char>(c));
    signAbsorber[c] = false;
  }
  // The closing tokens (priority 0) are no operators a sign can follow.
  for (const OperatorToken& op : OperatorTokenTable)
    if (op.priority != 0) signAbsorber[CodeOf(op.code)] = true;
}
const ByteKinds kKinds;

TableSets::TableSets() {
  for (const FunctionToken& f : FunctionTokenTable) functions.push_back(Signature(f.name));
  for (const FunctionToken& f : ParenFunctionTable) calls.push_back(Signature(f.name));
  for (const OperatorToken& op : OperatorTokenTable) operators.push_back(Signature(op.spelling));
}

FunctionIndex::FunctionIndex() {
  for (size_t e = 0; e < kCount; ++e) {
    const uint64_t sig = Signature(FunctionTokenTable[e].name);
    for (unsigned b = 0; b < 64; ++b)
      if ((sig >> b) & 1) withBit_[b][e >> 6] |= uint64_t{1} << (e & 63);
    named_ |= sig;
    const unsigned code = static_cast<unsigned>(CodeOf(FunctionTokenTable[e].code));
    withToken_[code & 255][e >> 6] |= uint64_t{1} << (e & 63);
  }
}

}  // namespace tarvo::detail
