#pragma once

// The day of a date-time value as CONVERT(char(8), value, 112) gives it: 8 characters yyyymmdd.
// Plain C++, shared by the embedded CONVERT, the benchmark floor and the fuzzers.

#include <array>
#include <optional>

namespace trellum {

using DayText = std::array<char, 8>;

// The day of a date-time text, in every form SQLite's date functions read and the slash form:
// YYYY-MM-DD or YYYY/MM/DD, then optionally blanks or "T" and HH:MM[:SS[.fff]], then optionally
// "Z" or an offset ±HH:MM; YYYYMMDD; a julian day number; a time alone or a blank text (which SQL
// Server reads as a time on 1900-01-01). Blanks around the text are ignored. The day is the one
// written: an offset names the zone the time was written in, it does not move the day. nullopt
// for a text that is no date or a day the calendar does not have.
std::optional<DayText> dayOfText(const unsigned char* text, int bytes);

// The day of a julian day number (as SQLite reads a number); nullopt outside 0000-01-01 to 9999-12-31.
std::optional<DayText> dayOfJulian(double julian);

} // namespace trellum
