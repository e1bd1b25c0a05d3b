#include "SqlFunctions.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace trellum {
namespace {

const unsigned char* textArg(sqlite3_value* v, int* bytes)
{
    const unsigned char* t = sqlite3_value_text(v);
    *bytes = sqlite3_value_bytes(v);
    return t;
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Number of UTF-8 characters in the first `bytes` bytes of `s`.
int utf8Length(const unsigned char* s, int bytes)
{
    int n = 0;
    for (int i = 0; i < bytes; ++i)
        if ((s[i] & 0xC0) != 0x80)
            ++n;
    return n;
}

// CONVERT(type, value, 112): the yyyymmdd text of an ISO-8601 date-time text.
// 'YYYY-MM-DD', optionally followed by ' ' or 'T' and HH:MM[:SS[.fff]]. The type argument is
// ignored; NULL gives NULL, and so does a text that is no such date.
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
    int n = 0;
    const unsigned char* s = textArg(argv[1], &n);
    if (!s || n < 10) {
        sqlite3_result_null(ctx);
        return;
    }
    const bool dateShape = isDigit(s[0]) && isDigit(s[1]) && isDigit(s[2]) && isDigit(s[3]) && s[4] == '-'
        && isDigit(s[5]) && isDigit(s[6]) && s[7] == '-' && isDigit(s[8]) && isDigit(s[9]);
    const int month = (s[5] - '0') * 10 + (s[6] - '0');
    const int day = (s[8] - '0') * 10 + (s[9] - '0');
    if (!dateShape || month < 1 || month > 12 || day < 1 || day > 31) {
        sqlite3_result_null(ctx);
        return;
    }
    if (n > 10) {
        // the time part: [ T]HH:MM[:SS[.fff]]
        const unsigned char* t = s + 10;
        const int rest = n - 10;
        bool ok = rest >= 6 && (t[0] == ' ' || t[0] == 'T') && isDigit(t[1]) && isDigit(t[2]) && t[3] == ':'
            && isDigit(t[4]) && isDigit(t[5]);
        if (ok && rest > 6) {
            ok = rest >= 9 && t[6] == ':' && isDigit(t[7]) && isDigit(t[8]);
            if (ok && rest > 9) {
                ok = t[9] == '.' && rest > 10;
                for (int i = 10; ok && i < rest; ++i)
                    ok = isDigit(t[i]);
            }
        }
        if (!ok) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    char out[8] = { char(s[0]), char(s[1]), char(s[2]), char(s[3]), char(s[5]), char(s[6]), char(s[8]), char(s[9]) };
    sqlite3_result_text(ctx, out, 8, SQLITE_TRANSIENT);
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
    return SQLITE_OK;
}

} // namespace trellum
