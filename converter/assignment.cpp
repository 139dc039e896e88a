#include "assignment.hpp"

#include <limits>

namespace {

// The method's state, 1-based; column 0 holds the row being added.
struct Potentials {
    std::vector<std::int64_t> row;
    std::vector<std::int64_t> column;
    std::vector<std::size_t> rowOfColumn; // 0: none
};

// Adds a row to the matching along the shortest augmenting path, keeping the potentials feasible.
void AddRow(const CostMatrix& costs, std::size_t row, Potentials& p)
{
    const std::size_t n = costs.size();
    std::vector<std::int64_t> slack(n + 1, std::numeric_limits<std::int64_t>::max());
    std::vector<std::size_t> previous(n + 1);
    std::vector<bool> used(n + 1);
    std::size_t column = 0;
    for (p.rowOfColumn[0] = row; p.rowOfColumn[column] != 0; ) {
        used[column] = true;
        const std::size_t from = p.rowOfColumn[column];
        std::size_t next = 0;
        for (std::size_t j = 1; j <= n; j += 1) {
            const std::int64_t reduced = costs[from - 1][j - 1] - p.row[from] - p.column[j];
            if (!used[j] && reduced < slack[j]) {
                slack[j] = reduced;
                previous[j] = column;
            }
            next = !used[j] && (next == 0 || slack[j] < slack[next]) ? j : next;
        }
        const std::int64_t delta = slack[next];
        for (std::size_t j = 0; j <= n; j += 1) {
            if (used[j]) {
                p.row[p.rowOfColumn[j]] += delta;
                p.column[j] -= delta;
            } else {
                slack[j] -= delta;
            }
        }
        column = next;
    }
    // Flips the path: each column on it takes the row of the column before.
    while (column != 0) {
        const std::size_t back = previous[column];
        p.rowOfColumn[column] = p.rowOfColumn[back];
        column = back;
    }
}

} // namespace

std::vector<std::size_t> MinimumCostAssignment(const CostMatrix& costs)
{
    const std::size_t n = costs.size();
    Potentials potentials{std::vector<std::int64_t>(n + 1), std::vector<std::int64_t>(n + 1),
                          std::vector<std::size_t>(n + 1)};
    for (std::size_t row = 1; row <= n; row += 1) {
        AddRow(costs, row, potentials);
    }
    std::vector<std::size_t> columns(n);
    for (std::size_t j = 1; j <= n; j += 1) {
        columns[potentials.rowOfColumn[j] - 1] = j - 1;
    }
    return columns;
}
