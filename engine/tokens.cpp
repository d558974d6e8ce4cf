#include "engine/tokens.h"

#include "engine/bytes.h"

namespace tarvo {

// Order rule: a name that occurs inside another name stands after it
// ("argsinh" before "sinh" before "sin"), because names are replaced in
// table order. TokenOrderCheck guards the rule.
const std::array<FunctionToken, kFunctionTokenCount> FunctionTokenTable = {{
    {"#vnl", 128},
    {"#neg", 129},
    {"rnd", 130},
    {"int", 131},
    {"#frac", 132},
    {"sqr", 133},
    {"abs", 134},
    {"#sgn", 135},
    {"ans", 173},
    {"pi", 174},
    {"#not", 175},
    {"#ndtf", 139},
    {"#ddtf", 140},
    {"exp", 141},
    {"ln", 142},
    {"log", 143},
    {"argcosech", 144},
    {"argsech", 145},
    {"argcotanh", 146},
    {"argsinh", 147},
    {"#argsenh", 147},
    {"#hypasn", 147},
    {"argcosh", 148},
    {"#hypacs", 148},
    {"argtanh", 149},
    {"#hypatn", 149},
    {"cosech", 150},
    {"sech", 151},
    {"cotanh", 152},
    {"sinh", 153},
    {"#senh", 153},
    {"#hypsin", 153},
    {"cosh", 154},
    {"#hypcos", 154},
    {"tanh", 155},
    {"#hyptan", 155},
    {"arccosec", 156},
    {"arcsec", 157},
    {"arccotan", 158},
    {"#arcsen", 136},
    {"arcsin", 136},
    {"arccos", 137},
    {"arctan", 138},
    {"cosec", 162},
    {"sec", 163},
    {"cotan", 164},
    {"#sen", 165},
    {"sin", 165},
    {"cos", 166},
    {"tan", 167},
    {"#asn", 136},
    {"#acs", 137},
    {"#atn", 138},
    {"#fix", 168},
    {"fact", 169},
    {"cur", 170},
    {"znor", 171},
    {"nor", 172},
    {"#NUY", 176},
    {"prim", 177},
    {"#moab", 178},
    {"#ecsg", 179},
    {"#ectg", 180},
    {"#modu", 181},
    {"#der", 182},
    {"#itg", 183},
    {"#nter", 219},
    {"#GAU", 184},
    {"#DET", 185},
    {"#inv", 186},
    {"#RANG", 187},
    {"#TRA", 188},
    {"#ADJ", 189},
    {"#Trim$", 190},
    {"#LEN", 191},
    {"#CHR$", 192},
    {"#STR$", 193},
    {"#UCASE$", 194},
    {"#LCASE$", 195},
    {"#ASC", 196},
    {"#VALF", 197},
    {"#VAL", 198},
    {"#hex$", 199},
    {"#space$", 200},
    {"#dms$", 201},
    {"#vla", 202},
    {"mie", 203},
    {"rie", 204},
    {"ncr", 205},
    {"npr", 206},
    {"pol", 207},
    {"rec", 208},
    {"juld", 209},
    {"bin", 210},
    {"#simp", 211},
    {"#ddx", 212},
    {"lcm", 160},
    {"#dsdxs", 213},
    {"gcm", 161},
    {"solve", 214},
    {"#sdxd", 215},
    {"#stxt", 216},
    {"#max", 217},
    {"#min", 218},
    {"#inf", 219},
    {"#retg", 220},
    {"#reno", 221},
    {"#tvm", 222},
    {"#eva", 159},
    {"lgb", 223},
    {"#dettxt", 224},
    {"#graph", 225},
    {"#sumat", 226},}};

const std::array<FunctionToken, kParenFunctionCount> ParenFunctionTable = {{
    {"#vla(", 202},
    {"mie(", 203},
    {"rie(", 204},
    {"ncr(", 205},
    {"npr(", 206},
    {"pol(", 207},
    {"rec(", 208},
    {"juld(", 209},
    {"bin(", 210},
    {"#simp(", 211},
    {"#ddx(", 212},
    {"lcm(", 160},
    {"#dsdxs(", 213},
    {"gcm(", 161},
    {"solve(", 214},
    {"#sdxd(", 215},
    {"#stxt(", 216},
    {"#max(", 217},
    {"#min(", 218},
    {"#inf(", 219},
    {"#retg(", 220},
    {"#reno(", 221},
    {"#tvm(", 222},
    {"#eva(", 159},
    {"lgb(", 223},
    {"#dettxt(", 224},
    {"#graph(", 225},
    {"#sumat(", 226},}};

// Entries that share a token (10/11, 12/13, 14/15) share a priority too; the
// evaluator always finds the lower position.
const std::array<OperatorToken, kOperatorTokenCount> OperatorTokenTable = {{
    {":", ':', 0},
    {")", ')', 0},
    {"+", '+', 5},
    {"-", '-', 5},
    {"@", '@', 6},
    {"*", '*', 7},
    {"//", kTokReciprocalSum, 9},
    {"/", '/', 7},
    {"^", '^', 9},
    {"<>", 26, 4},
    {"><", 26, 4},
    {"<=", 27, 4},
    {"=<", 27, 4},
    {">=", 28, 4},
    {"=>", 28, 4},
    {"<", '<', 4},
    {"=", '=', 4},
    {">", '>', 4},
    {"&", '&', 5},
    {";", ';', 5},
    {"\\", '\\', 7},
    {"#OPAF", kTokArgumentMark, 1},
    {",", ',', 1},
    {" MOD ", kTokMod, 7},
    {" AND ", 31, 3},
    {" XOR ", 22, 2},
    {" OR ", 23, 2},
    {"\x18", kTokImplicitProduct, 8},
    {"\x15", kTokNthRoot, 9},
}};

const std::array<std::string_view, 7> WeekdayNames = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

const std::array<std::string_view, 13> MonthNames = {
    "",     "January", "February", "March",     "April",   "May",      "June",
    "July", "August",  "September", "October", "November", "December"};

namespace {

template <typename Table>
std::string Concat(const Table& table) {
  std::string s;
  for (const auto& e : table) s += Chr(e.code);
  return s;
}

struct ByteSets {
  std::array<bool, 256> function{};
  std::array<bool, 256> paren{};
  std::array<unsigned char, 256> operatorNumber{};
  ByteSets() {
    for (const auto& e : FunctionTokenTable) function[static_cast<size_t>(e.code)] = true;
    for (const auto& e : ParenFunctionTable) paren[static_cast<size_t>(e.code)] = true;
    for (int i = kOperatorTokenCount; i >= 1; --i)
      operatorNumber[static_cast<size_t>(OperatorTokenTable[static_cast<size_t>(i - 1)].code)] =
          static_cast<unsigned char>(i);
  }
};

const ByteSets& Sets() {
  static const ByteSets sets;
  return sets;
}

}  // namespace

const std::string& AllFunctionTokens() {
  static const std::string s = Concat(FunctionTokenTable);
  return s;
}

const std::string& ParenFunctionTokens() {
  static const std::string s = Concat(ParenFunctionTable);
  return s;
}

const std::string& AllOperatorTokens() {
  static const std::string s = Concat(OperatorTokenTable);
  return s;
}

bool IsFunctionToken(char c) { return Sets().function[static_cast<size_t>(Code(c))]; }
bool IsParenFunctionToken(char c) { return Sets().paren[static_cast<size_t>(Code(c))]; }
int OperatorNumber(char c) { return Sets().operatorNumber[static_cast<size_t>(Code(c))]; }

int OperatorPriority(int number) {
  if (number < 1 || number > kOperatorTokenCount) return 0;
  return OperatorTokenTable[static_cast<size_t>(number - 1)].priority;
}

std::vector<std::string> TokenOrderCheck(std::span<const FunctionToken> table) {
  std::vector<std::string> messages;
  for (size_t i = 0; i < table.size(); ++i) {
    for (size_t j = i + 1; j < table.size(); ++j) {
      if (table[j].name.find(table[i].name) != std::string_view::npos) {
        messages.push_back("ERROR de orden de definici\xF3n de TOKENS en Sub Main: \r\n'" +
                           std::string(table[i].name) + "' est\xE1 contenido en '" +
                           std::string(table[j].name) + "' pero est\xE1 definido primero.");
      }
    }
  }
  return messages;
}

std::vector<std::string> FreeTokenCheck(std::span<const FunctionToken> table) {
  std::vector<std::string> messages;
  for (int code = kFirstFunctionCode; code <= kLastFunctionCode; ++code) {
    bool used = false;
    for (const auto& e : table) used = used || e.code == code;
    if (!used)
      messages.push_back("C\xF3" "digo ASCII  " + std::to_string(code) +
                         " disponible como TOKEN para funciones");
  }
  return messages;
}

}  // namespace tarvo
