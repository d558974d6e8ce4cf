// The calendar-date output of a Julian day.
#include <array>
#include <chrono>
#include <cmath>
#include <string>
#include <string_view>

#include "engine/number_text.h"
#include "output/formats.h"

namespace tarvo {
namespace {

// Midnight of 1 January 1900 to the end of 31 December 2099.
constexpr double kFirstDateDay = 2415020.5;
constexpr double kEndDateDay = 2488069.5;
// Serial day 0 is 30 December 1899; the calendar covers years 100 to 9999.
constexpr double kFirstSerialDay = -657434;
constexpr double kLastSerialDay = 2958465;

constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr std::array<std::string_view, 13> kMonthNames = {
    "",     "January", "February", "March",     "April",   "May",      "June",
    "July", "August",  "September", "October", "November", "December"};

}  // namespace

// Domain: Julian days whose serial day falls in years 100 to 9999; any other
// j is written as a plain number. Before the Gregorian reform the day is
// shifted by the ten days the calendars then differed. The time of day is not
// shown: a moment before noon still belongs to its calendar day.
std::string FormatJulianDate(double j) {
  const double c = j < 2299159.5 ? 10 : 0;
  const double d = j - 2415018.5 - c;
  if (!(d >= kFirstSerialDay && d <= kLastSerialDay)) return NumberText(j);
  using namespace std::chrono;
  // A negative serial day keeps its time as a positive fraction: -1.5 is
  // noon of 29 December 1899, so the day is the truncation.
  const year_month_day ymd{sys_days{1899y / December / 30} + days{static_cast<int>(std::trunc(d))}};
  const long long dayNumber = static_cast<long long>(std::floor(j - 0.5)) + 1;
  const int w = static_cast<int>(((dayNumber % 7) + 7) % 7);
  const unsigned day = static_cast<unsigned>(ymd.day());
  const char* suffix = "th";
  if (day == 1 || day == 21 || day == 31) suffix = "st";
  else if (day == 2 || day == 22) suffix = "nd";
  else if (day == 3 || day == 23) suffix = "rd";
  return std::string(kWeekdayNames[static_cast<size_t>(w)]) + ", " +
         std::string(kMonthNames[static_cast<unsigned>(ymd.month())]) + " " + NumberText(day) +
         suffix + ", " + NumberText(static_cast<int>(ymd.year()));
}

std::string DateKeyText(double j) {
  if (j >= kFirstDateDay && j < kEndDateDay) return FormatJulianDate(j);
  return NumberText(j);
}

}  // namespace tarvo
