#include "SqlFunctions.h"

#include "DayText.h"

#include <sqlite3.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace trellum {
namespace {

const unsigned char* textArg(sqlite3_value* v, int* bytes)
{
    const unsigned char* t = sqlite3_value_text(v);
    *bytes = sqlite3_value_bytes(v);
    return t;
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The server's own texts of the errors the functions raise (tsqlErrorNumber gives their numbers).
const char* const kDateConversionFailed = "Conversion failed when converting date and/or time from character string.";
const char* const kNumberConversionFailed = "Error converting data type varchar to numeric.";
const char* const kFloatOverflow = "Arithmetic overflow error converting expression to data type float.";
const char* const kWholeOverflow = "Arithmetic overflow error converting expression to data type bigint.";

// Number of UTF-8 characters in the first `bytes` bytes of `s`.
int utf8Length(const unsigned char* s, int bytes)
{
    int n = 0;
    for (int i = 0; i < bytes; ++i)
        if ((s[i] & 0xC0) != 0x80)
            ++n;
    return n;
}

// CONVERT(type, value, 112): the yyyymmdd text of a date-time value, read in every form
// dayOfText() and dayOfJulian() take. The type argument is ignored; NULL gives NULL; a value that
// is no date is the server's conversion error, never a silent NULL that would drop the order.
void convertFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc != 3) {
        sqlite3_result_error(ctx, "CONVERT takes three arguments", -1);
        return;
    }
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_int(argv[2]) != 112) {
        sqlite3_result_error(ctx, "CONVERT supports style 112 only", -1);
        return;
    }
    std::optional<DayText> out;
    switch (sqlite3_value_type(argv[1])) {
    case SQLITE_INTEGER: {
        // a whole number of 8 digits is a yyyymmdd day, any other number a julian day
        const sqlite3_int64 v = sqlite3_value_int64(argv[1]);
        if (v >= 10000101 && v <= 99991231) {
            const std::string digits = std::to_string(v);
            out = dayOfText(reinterpret_cast<const unsigned char*>(digits.data()), int(digits.size()));
        }
        if (!out)
            out = dayOfJulian(double(v));
        break;
    }
    case SQLITE_FLOAT:
        out = dayOfJulian(sqlite3_value_double(argv[1]));
        break;
    default: {
        int n = 0;
        const unsigned char* t = textArg(argv[1], &n);
        out = t ? dayOfText(t, n) : std::nullopt;
        break;
    }
    }
    if (!out) {
        sqlite3_result_error(ctx, kDateConversionFailed, -1);
        return;
    }
    sqlite3_result_text(ctx, out->data(), 8, SQLITE_TRANSIENT);
}

// SUM(x) as the server adds up a numeric column: NULL is left out (all NULL, or no rows, give
// NULL); a text is taken only when it is a number as a whole (blanks around it aside), anything
// else being the server's conversion error instead of its leading number or 0; whole numbers add up
// exactly, and a sum beyond the range of its type is an arithmetic overflow, never "0" or "inf".
struct SumState {
    double real;
    sqlite3_int64 whole;
    bool any;
    bool approximate;
    bool wholeOverflow;
};

// A text that is a number as a whole: its value, and whether it is a whole number.
bool numericText(const unsigned char* s, int n, double& real, sqlite3_int64& whole, bool& isWhole)
{
    int i = 0;
    while (i < n && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    while (n > i && (s[n - 1] == ' ' || s[n - 1] == '\t'))
        --n;
    int j = i;
    if (j < n && (s[j] == '+' || s[j] == '-'))
        ++j;
    int digits = 0;
    bool point = false, exponent = false;
    for (; j < n && (isDigit(s[j]) || s[j] == '.'); ++j) {
        if (s[j] == '.') {
            if (point)
                return false;
            point = true;
        } else {
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (j < n && (s[j] == 'e' || s[j] == 'E')) {
        exponent = true;
        ++j;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        const int start = j;
        while (j < n && isDigit(s[j]))
            ++j;
        if (j == start)
            return false;
    }
    if (j != n)
        return false;
    const std::string text(reinterpret_cast<const char*>(s + i), std::size_t(n - i));
    real = std::strtod(text.c_str(), nullptr);
    isWhole = false;
    if (!point && !exponent) {
        errno = 0;
        char* stop = nullptr;
        const long long v = std::strtoll(text.c_str(), &stop, 10);
        if (errno == 0 && stop && *stop == '\0') {
            whole = v;
            isWhole = true;
        }
    }
    return true;
}

void sumStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* state = static_cast<SumState*>(sqlite3_aggregate_context(ctx, sizeof(SumState)));
    if (!state) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    double real = 0;
    sqlite3_int64 whole = 0;
    bool isWhole = false;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
        return;
    case SQLITE_INTEGER:
        whole = sqlite3_value_int64(argv[0]);
        real = double(whole);
        isWhole = true;
        break;
    case SQLITE_FLOAT:
        real = sqlite3_value_double(argv[0]);
        break;
    default: {
        int n = 0;
        const unsigned char* t = textArg(argv[0], &n);
        if (!t || !numericText(t, n, real, whole, isWhole)) {
            sqlite3_result_error(ctx, kNumberConversionFailed, -1);
            return;
        }
        break;
    }
    }
    state->any = true;
    state->real += real;
    if (!isWhole)
        state->approximate = true;
    else if (!state->approximate && !state->wholeOverflow)
        state->wholeOverflow = __builtin_add_overflow(state->whole, whole, &state->whole);
}

void sumFinal(sqlite3_context* ctx)
{
    const auto* state = static_cast<const SumState*>(sqlite3_aggregate_context(ctx, 0));
    if (!state || !state->any) {
        sqlite3_result_null(ctx);
    } else if (state->approximate) {
        if (std::isfinite(state->real))
            sqlite3_result_double(ctx, state->real);
        else
            sqlite3_result_error(ctx, kFloatOverflow, -1);
    } else if (state->wholeOverflow) {
        sqlite3_result_error(ctx, kWholeOverflow, -1);
    } else {
        sqlite3_result_int64(ctx, state->whole);
    }
}

// CHARINDEX(needle, haystack[, start]): 1-based character position of the first occurrence,
// 0 when absent or when the needle is empty; NULL when either text is NULL.
void charindexFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 2 || argc > 3) {
        sqlite3_result_error(ctx, "CHARINDEX takes two or three arguments", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    int nn = 0, hn = 0;
    const unsigned char* needle = textArg(argv[0], &nn);
    const unsigned char* hay = textArg(argv[1], &hn);
    if (!needle || !hay || nn == 0) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    long long start = argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL ? sqlite3_value_int64(argv[2]) : 1;
    if (start < 1)
        start = 1;
    // find the byte offset of character `start`
    int offset = 0;
    for (long long ch = 1; ch < start && offset < hn; ++ch) {
        ++offset;
        while (offset < hn && (hay[offset] & 0xC0) == 0x80)
            ++offset;
    }
    for (int i = offset; i + nn <= hn; ++i) {
        if ((hay[i] & 0xC0) == 0x80)
            continue;
        if (std::memcmp(hay + i, needle, std::size_t(nn)) == 0) {
            sqlite3_result_int(ctx, utf8Length(hay, i) + 1);
            return;
        }
    }
    sqlite3_result_int(ctx, 0);
}

// LEN(text): the number of characters without trailing blanks; NULL gives NULL.
void lenFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc != 1) {
        sqlite3_result_error(ctx, "LEN takes one argument", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    int n = 0;
    const unsigned char* s = textArg(argv[0], &n);
    if (!s) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    while (n > 0 && s[n - 1] == ' ')
        --n;
    sqlite3_result_int(ctx, utf8Length(s, n));
}

// CONCAT(a, b, ...): the texts joined, NULL counting as empty.
void concatFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string out;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            continue;
        int n = 0;
        const unsigned char* s = textArg(argv[i], &n);
        if (s)
            out.append(reinterpret_cast<const char*>(s), std::size_t(n));
    }
    sqlite3_result_text(ctx, out.data(), int(out.size()), SQLITE_TRANSIENT);
}

} // namespace

int registerTsqlFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    struct Fn {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const Fn fns[] = {
        { "CONVERT", 3, convertFn },
        { "CHARINDEX", 2, charindexFn },
        { "CHARINDEX", 3, charindexFn },
        { "LEN", 1, lenFn },
        { "CONCAT", -1, concatFn },
    };
    for (const Fn& f : fns) {
        const int rc = sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    // SQLite takes an application's function before its own of the same name and argument count.
    return sqlite3_create_function_v2(db, "SUM", 1, flags, nullptr, nullptr, sumStep, sumFinal, nullptr);
}

int tsqlErrorNumber(const char* message)
{
    if (!message)
        return 0;
    const std::pair<const char*, int> known[] = {
        { kDateConversionFailed, 241 },
        { kNumberConversionFailed, 8114 },
        { kFloatOverflow, 8115 },
        { kWholeOverflow, 8115 },
    };
    for (const auto& [text, number] : known)
        if (std::strcmp(message, text) == 0)
            return number;
    return 0;
}

} // namespace trellum
