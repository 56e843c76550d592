#include "engine/table_data.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "engine/number_text.h"

namespace {

// Hash of a row from cell 1 on, so that rows differing only by handle meet.
std::size_t tailHash(const TableRow& row)
{
    std::size_t h = std::hash<std::size_t>()(row.size());
    const std::hash<std::u16string> cellHash;
    for (std::size_t c = 1; c < row.size(); ++c) h ^= cellHash(row[c]) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}

// A row with its tail's hash, worked out once: a row that starts a group is looked up and
// then indexed, and hashing every cell twice was a good part of combining a million rows.
struct RowTail {
    const TableRow* row;
    std::size_t hash;
};
struct RowTailHash {
    std::size_t operator()(const RowTail& tail) const { return tail.hash; }
};
struct RowTailEqual {
    bool operator()(const RowTail& a, const RowTail& b) const { return RowsEqualFrom(*a.row, *b.row, 1); }
};

std::u16string FormatCount(std::size_t count)
{
    const std::string narrow = std::to_string(count);
    return std::u16string(narrow.begin(), narrow.end());
}

std::u16string handleOf(const TableRow& row) { return row.empty() ? std::u16string() : row.front(); }

std::ptrdiff_t columnOf(const TableRow& header, const std::u16string& name)
{
    const auto it = std::find(header.begin(), header.end(), name);
    return it == header.end() ? -1 : it - header.begin();
}

// Totals of the columns named in `lsTotalCols`, over the given data rows. Sums are kept in
// full precision and written once: writing a running total with six digits after every
// addition would lose whatever falls below the sixth digit, again and again.
TableRow totalsOver(const TableRow& header, const std::vector<const TableRow*>& dataRows,
                    const std::vector<std::u16string>& lsTotalCols, const std::u16string& csQuantityName = {})
{
    if (lsTotalCols.empty()) return {};
    const auto quantityAt = csQuantityName.empty() ? header.end()
                                                   : std::find(header.begin(), header.end(), csQuantityName);
    const std::size_t quantityColumn = static_cast<std::size_t>(quantityAt - header.begin());
    // A combined row stands for as many objects as its quantity says; read once per row, not
    // once per totalled column.
    std::vector<double> objects(dataRows.size(), 1.0);
    for (std::size_t r = 0; r < dataRows.size(); ++r) {
        const TableRow& row = *dataRows[r];
        if (quantityColumn < row.size() && !row[quantityColumn].empty()) objects[r] = ReadLeadingNumber(row[quantityColumn]);
    }
    TableRow line(header.size());
    std::unordered_map<std::u16string, int> timesNamed;
    for (const std::u16string& name : lsTotalCols) ++timesNamed[name];
    for (std::size_t c = 0; c < header.size(); ++c) {
        const auto named = timesNamed.find(header[c]);
        if (named == timesNamed.end()) continue;
        double sum = 0.0;
        bool touched = false;
        for (std::size_t r = 0; r < dataRows.size(); ++r) {
            const TableRow* row = dataRows[r];
            if (c >= row->size()) continue;
            const double value = ReadLeadingNumber((*row)[c]) * (c == quantityColumn ? 1.0 : objects[r]);
            for (int k = 0; k < named->second; ++k) sum += value;
            touched = true;
        }
        if (touched) line[c] = FormatG(sum);
    }
    return line;
}

// Takes the cell at `column` out of the row and puts it at position 1.
void moveCellToFront(TableRow& row, std::size_t column)
{
    if (column >= row.size()) return;
    std::u16string cell = std::move(row[column]);
    row.erase(row.begin() + static_cast<std::ptrdiff_t>(column));
    row.insert(row.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(1, row.size())), std::move(cell));
}

}  // namespace

bool RowsEqualFrom(const TableRow& a, const TableRow& b, std::size_t first)
{
    if (a.size() != b.size()) return false;
    for (std::size_t c = first; c < a.size(); ++c)
        if (a[c] != b[c]) return false;
    return true;
}

// Rows equal from cell 1 on form a group. In ascending row order a group's smallest row
// comes first, so it is the one kept, and kept rows follow the order of those smallest rows.
struct RowCombiner::Groups {
    struct Group {
        TableRow kept;
        std::size_t count;
    };
    std::deque<Group> groups;  // stable addresses: the index below points into it
    std::unordered_map<RowTail, Group*, RowTailHash, RowTailEqual> byTail;
};

RowCombiner::RowCombiner() : m_groups(std::make_unique<Groups>()) {}
RowCombiner::~RowCombiner() = default;

void RowCombiner::add(TableRow row)
{
    const std::size_t hash = tailHash(row);
    const auto found = m_groups->byTail.find(RowTail{&row, hash});
    if (found == m_groups->byTail.end()) {
        Groups::Group& group = m_groups->groups.emplace_back(Groups::Group{std::move(row), 1});
        m_groups->byTail.emplace(RowTail{&group.kept, hash}, &group);
        return;
    }
    Groups::Group& group = *found->second;
    ++group.count;
    // Same tail, so the key stays valid when the smaller row takes the kept place.
    if (row < group.kept) group.kept.swap(row);
}

std::vector<std::u16string> RowCombiner::finish(TableRow header, const std::u16string& csQuantityName,
                                                TableData& rows)
{
    m_groups->byTail.clear();
    std::vector<Groups::Group*> order;
    order.reserve(m_groups->groups.size());
    for (Groups::Group& group : m_groups->groups) order.push_back(&group);
    std::sort(order.begin(), order.end(),
              [](const Groups::Group* a, const Groups::Group* b) { return a->kept < b->kept; });

    const std::ptrdiff_t quantityColumn = columnOf(header, csQuantityName);
    std::vector<std::u16string> handles;
    handles.reserve(order.size());
    rows.clear();
    rows.reserve(order.size() + 1);
    rows.push_back(std::move(header));
    for (Groups::Group* group : order) {
        TableRow& kept = group->kept;
        if (quantityColumn >= 0 && static_cast<std::size_t>(quantityColumn) < kept.size())
            kept[static_cast<std::size_t>(quantityColumn)] = FormatCount(group->count);
        handles.push_back(handleOf(kept));
        rows.push_back(std::move(kept));
    }
    m_groups->groups.clear();
    return handles;
}

std::vector<std::u16string> CombineRows(TableData& rows, const std::u16string& csQuantityName)
{
    if (rows.size() < 2) return {};
    RowCombiner combiner;
    for (std::size_t r = 1; r < rows.size(); ++r) combiner.add(std::move(rows[r]));
    TableRow header = std::move(rows.front());
    return combiner.finish(std::move(header), csQuantityName, rows);
}

std::vector<std::u16string> GroupRows(TableData& rows, const std::u16string& csGroupBy,
                                      const std::vector<std::u16string>& lsTotalCols)
{
    std::vector<std::u16string> handles;
    if (rows.empty()) return handles;
    const std::ptrdiff_t column = columnOf(rows.front(), csGroupBy);
    if (column < 0) return handles;
    for (TableRow& row : rows) moveCellToFront(row, static_cast<std::size_t>(column));

    // Data rows by their group text, each group in row order.
    std::vector<std::size_t> order;
    order.reserve(rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r)
        if (rows[r].size() > 1) order.push_back(r);
    std::stable_sort(order.begin(), order.end(),
                     [&rows](std::size_t a, std::size_t b) { return rows[a][1] < rows[b][1]; });

    TableData result;
    result.push_back(rows.front());
    std::vector<const TableRow*> members;
    for (std::size_t begin = 0; begin < order.size();) {
        const std::u16string& text = rows[order[begin]][1];
        members.clear();
        std::size_t end = begin;
        while (end < order.size() && rows[order[end]][1] == text) members.push_back(&rows[order[end++]]);
        const std::u16string lastHandle = handleOf(*members.back());
        handles.push_back(lastHandle);
        TableRow line = totalsOver(rows.front(), members, lsTotalCols);
        if (!line.empty()) {
            line[0] = lastHandle;
            if (line.size() > 1) line[1] = text;
            result.push_back(std::move(line));
        }
        begin = end;
    }
    rows = std::move(result);
    return handles;
}

TableRow MakeTotalsLine(const TableData& rows, const std::vector<std::u16string>& lsTotalCols,
                        const std::u16string& csQuantityName)
{
    if (lsTotalCols.empty() || rows.empty()) return {};
    std::vector<const TableRow*> dataRows;
    dataRows.reserve(rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r) dataRows.push_back(&rows[r]);
    return totalsOver(rows.front(), dataRows, lsTotalCols, csQuantityName);
}

void ApplyDisplayNames(TableData& rows, const std::map<std::u16string, std::u16string>& mapDisplayNames)
{
    if (rows.empty()) return;
    for (std::u16string& cell : rows.front()) {
        const auto it = mapDisplayNames.find(cell);
        if (it != mapDisplayNames.end()) cell = it->second;
    }
}

const std::u16string& CellOf(const TableRow& row, std::size_t column)
{
    static const std::u16string empty;
    return column < row.size() ? row[column] : empty;
}
