#include "object_order.hpp"

namespace {

constexpr std::size_t kLongestNumber = 9;

// A count of 1 to 9 digits, at least 1; none for anything else.
std::optional<MachineWord> CountOf(const Text& digits)
{
    if (digits.empty() || digits.size() > kLongestNumber) {
        return std::nullopt;
    }
    MachineWord value = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        value = 10 * value + (digit - '0'); // below 10^9
    }
    return value > 0 ? std::optional<MachineWord>(value) : std::nullopt;
}

} // namespace

Outcome<ObjectSize> ReadObjectSize(const std::optional<Text>& given)
{
    if (!given) {
        return ObjectSize{};
    }
    const std::size_t x = given->find('x');
    const std::optional<MachineWord> columns = CountOf(given->substr(0, x));
    const std::optional<MachineWord> rows = x == Text::npos ? std::nullopt : CountOf(given->substr(x + 1));
    if (!columns || !rows) {
        return Refusal{{"> Error: -object takes the cells of an object as WxH, such as 2x2, not: " + *given}};
    }
    return ObjectSize{*columns, *rows};
}

Outcome<std::vector<std::size_t>> ObjectOrder(MachineWord columns, MachineWord rows, const ObjectSize& size)
{
    if (columns % size.columns != 0 || rows % size.rows != 0) {
        return Refusal{{"> Error: The sheet's " + DecimalText(columns) + " x " + DecimalText(rows) +
                        " cells do not make whole objects of " + DecimalText(size.columns) + " x " +
                        DecimalText(size.rows) + " cells."}};
    }
    std::vector<std::size_t> order;
    if (size.rows == 1) {
        return order; // objects of one row of cells come in the order of cells
    }
    order.reserve(static_cast<std::size_t>(columns * rows)); // cells of the sheet
    for (MachineWord top = 0; top < rows; top += size.rows) {
        for (MachineWord left = 0; left < columns; left += size.columns) {
            for (MachineWord row = top; row < top + size.rows; row += 1) {
                for (MachineWord column = left; column < left + size.columns; column += 1) {
                    order.push_back(static_cast<std::size_t>(row * columns + column)); // a cell number
                }
            }
        }
    }
    return order;
}
