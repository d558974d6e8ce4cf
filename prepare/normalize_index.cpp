#include "prepare/normalize_index.h"

#include <stdexcept>

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
    signAbsorber[c] = false;
  }
  // The closing tokens (priority 0) are no operators a sign can follow.
  for (const OperatorToken& op : OperatorTokenTable)
    if (op.priority != 0) signAbsorber[CodeOf(op.code)] = true;
}
const ByteKinds kKinds;

OperatorSets::OperatorSets() {
  for (const OperatorToken& op : OperatorTokenTable) operators.push_back(Signature(op.spelling));
}

FunctionIndex::FunctionIndex(std::span<const FunctionRow> rows) : count_(rows.size()) {
  if (count_ > kMaxRows) throw std::length_error("a function table of more than 128 rows");
  for (size_t e = 0; e < count_; ++e) {
    const uint64_t sig = Signature(rows[e].name);
    for (unsigned b = 0; b < 64; ++b)
      if ((sig >> b) & 1) withBit_[b][e >> 6] |= uint64_t{1} << (e & 63);
    named_ |= sig;
    const unsigned code = static_cast<unsigned>(CodeOf(rows[e].token));
    withToken_[code & 255][e >> 6] |= uint64_t{1} << (e & 63);
  }
}

NameSets::NameSets(std::span<const FunctionRow> table) : rows(table), index(table) {
  std::array<bool, 256> firstText{}, everyText{};
  signatures.reserve(rows.size());
  for (size_t e = 0; e < rows.size(); ++e) {
    const FunctionRow& f = rows[e];
    signatures.push_back(Signature(f.name));
    if (f.written == Written::kCall) {
      Call call{std::string(f.name) + "(", 0, {ByteOf(f.token), '('}};
      call.signature = Signature(call.name);
      calls.push_back(std::move(call));
      callToken[static_cast<size_t>(CodeOf(f.token))] = true;
    }
    if (f.name.find_first_of("0123456789") != std::string_view::npos) holdingDigits.push_back(e);
    if (f.operand.kind == Operand::kNone) constants.emplace_back(f.name, std::string(f.name) + "(0)");
    if (f.texts == EquationTexts::kFirst) firstText[static_cast<size_t>(CodeOf(f.token))] = true;
    if (f.texts == EquationTexts::kEvery) everyText[static_cast<size_t>(CodeOf(f.token))] = true;
  }
  for (int c = 0; c < 256; ++c) {
    if (firstText[static_cast<size_t>(c)]) firstTextTokens.push_back(static_cast<Token>(c));
    if (everyText[static_cast<size_t>(c)]) everyTextTokens.push_back(static_cast<Token>(c));
    textToken[static_cast<size_t>(c)] = firstText[static_cast<size_t>(c)] || everyText[static_cast<size_t>(c)];
  }
}

}  // namespace tarvo::detail
