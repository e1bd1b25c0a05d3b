#pragma once

#include <array>
#include <cstdint>

struct lxw_format;
struct lxw_workbook;

namespace trellum::bench {

// The cell formats of the direct writer, made once each on first use and found again by a small
// key: alignment, number format, fill, font name, bold, font size, border and wrap as bits.
class DirectFormats {
public:
    enum : std::uint16_t {
        Left = 1, Centre = 2, Right = 3,              // bits 0-1
        Whole = 1 << 2, Hundredths = 2 << 2,          // bits 2-3: "#0", "#0.00"
        TotalFill = 1 << 4, SubtotalFill = 2 << 4,    // bits 4-5
        Font = 1 << 6, Bold = 1 << 7, Size9 = 1 << 8, Border = 1 << 9, Wrap = 1 << 10,
    };
    static constexpr int kKeys = 1 << 11;

    // The formats of `workbook`, none made yet.
    explicit DirectFormats(lxw_workbook* workbook);

    // The format of `key`; nullptr for the plain key 0 unless `explicitPlain` (a merged cell
    // carries a format of its own).
    lxw_format* get(std::uint16_t key, bool explicitPlain = false);

private:
    lxw_format* make(std::uint16_t key);

    lxw_workbook* m_workbook;
    std::array<lxw_format*, kKeys> m_formats {};
};

} // namespace trellum::bench
