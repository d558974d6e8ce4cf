#include "engine/errors.h"

#include <array>

#include "engine/bytes.h"

namespace tarvo {
namespace {

constexpr std::array<std::string_view, kErrorMessageCount> kMessages = {
    "No errors",
    "Unknown error",
    "Internal error",
    "Syntax error",
    "Error: Too complex expression",
    "Error: Argument out of range",
    "Error: Overflow",
    "Parentheses error (too many opened)",
    "Parentheses error (too many closed)",
    "Error: Subscript out of range",
    "Error: Determinant is null",
    "Error: Division by zero",
    "Error: Zero raised to zero",
    "Error: No se puede dividir por una matriz",
    "Error: No se puede dividir por un vector",
    "Error: La matriz no es cuadrada",
    "Error: Las dimensiones de las matrices no coinciden",
    "Error: Las dimensiones de las matrices son incompatibles",
    "Error: Los tipos de datos son incompatibles con la operaci\xF3n",
    "Error: Can't store a value to a constant",
    "Error: Can't store. Unknown variable",
    "Error: Too many variables",
    "Error: Dimensiones incorrectas en variable de 'array'",
    "Error: Too many equations/functions",
    "Error: Incorrect number of arguments",
    "Error: Demasiadas cadenas de caracteres en la expresi\xF3n",
    "Error: El grado del polinomio es demasiado grande",
    "Error: Equation / function invalid",
    "Error: Equal sign is missing '='",
    "Error: El punto no es v\xE1lido",
    "Error: La recta no tiene forma expl\xED" "cita al ser una recta vertical",
    "Error: La expresi\xF3n es una cadena vac\xED" "a",
    "",
    "Not found solutions / Infinite solutions",
    "May be more values (not enough variables to save all values)",
    "Some/all solutions are complex",
    "", "", "", "", "",
    // The limits of this calculator.
    "Error: Calculation too long",
    "Error: Entry too long",
};

// The front ends print a message as it stands, so none may carry blanks
// at its end.
constexpr bool NoMessageEndsInABlank() {
  for (std::string_view m : kMessages)
    if (!m.empty() && m.back() == ' ') return false;
  return true;
}
static_assert(NoMessageEndsInABlank());

}  // namespace

std::string_view ErrorMessage(ErrorNumber error) {
  const auto index = static_cast<std::int32_t>(error);
  if (index < 0 || index >= kErrorMessageCount) return {};
  return kMessages[static_cast<size_t>(index)];
}

bool IsNotice(ErrorNumber error) {
  const std::string_view m = ErrorMessage(error);
  return !m.empty() && Lower(m).find("error") == std::string::npos;
}

}  // namespace tarvo
