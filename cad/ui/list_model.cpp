// The items of a list view, stored or answered by a source: one way to read and change them
// for the list control, the actions and the front ends.
#include <algorithm>

#include "cad/ui/model.h"

namespace {

std::size_t at(int index) { return std::size_t(index); }

}  // namespace

int QxUiListModel::sourceRow(int item) const { return rows.empty() ? item : rows[at(item)]; }

std::u16string_view QxUiListModel::cellText(int item, int column) const
{
    if (!isVirtual()) return items[at(item)].cells[at(column)].text;
    const int row = sourceRow(item);
    if (const auto changed = rowCells.find({row, column}); changed != rowCells.end()) return changed->second.text;
    return source->GetCellText(row, column);
}

int QxUiListModel::cellImage(int item, int column) const
{
    if (!isVirtual()) return items[at(item)].cells[at(column)].image;
    const int row = sourceRow(item);
    if (const auto changed = rowCells.find({row, column}); changed != rowCells.end()) return changed->second.image;
    return source->GetCellImage(row, column);
}

std::uint32_t QxUiListModel::itemState(int item) const
{
    if (!isVirtual()) return items[at(item)].state;
    const auto changed = rowStates.find(sourceRow(item));
    return changed == rowStates.end() ? newItemState() : changed->second;
}

std::uint64_t QxUiListModel::itemData(int item) const
{
    if (!isVirtual()) return items[at(item)].data;
    const int row = sourceRow(item);
    const auto changed = rowData.find(row);
    return changed == rowData.end() ? source->GetItemData(row) : changed->second;
}

QxUiCellModel& QxUiListModel::writableCell(int item, int column)
{
    if (!isVirtual()) return items[at(item)].cells[at(column)];
    // A virtual row's cell is kept only once changed, starting from what the source says.
    const int row = sourceRow(item);
    auto [cell, added] = rowCells.try_emplace({row, column});
    if (added) {
        cell->second.text = source->GetCellText(row, column);
        cell->second.image = source->GetCellImage(row, column);
    }
    return cell->second;
}

void QxUiListModel::setCellText(int item, int column, std::u16string_view text) { writableCell(item, column).text = text; }

void QxUiListModel::setCellImage(int item, int column, int image) { writableCell(item, column).image = image; }

void QxUiListModel::setItemState(int item, std::uint32_t state)
{
    if (!isVirtual()) items[at(item)].state = state;
    else rowStates[sourceRow(item)] = state;
}

void QxUiListModel::setItemData(int item, std::uint64_t data)
{
    if (!isVirtual()) items[at(item)].data = data;
    else rowData[sourceRow(item)] = data;
}

std::vector<int> QxUiListModel::itemsWithState(std::uint32_t bits) const
{
    std::vector<int> found;
    if (!isVirtual()) {
        for (int item = 0; item < int(items.size()); ++item)
            if (items[at(item)].state & bits) found.push_back(item);
        return found;
    }
    // Only changed rows can have a state other than a new row's.
    if (newItemState() & bits) {
        for (int item = 0; item < int(rowCount); ++item)
            if (itemState(item) & bits) found.push_back(item);
        return found;
    }
    for (const auto& [row, state] : rowStates)
        if (state & bits) found.push_back(row);
    if (!rows.empty() && !found.empty()) {
        std::vector<int> placeOf(rowCount);
        for (int place = 0; place < int(rows.size()); ++place) placeOf[at(rows[at(place)])] = place;
        for (int& row : found) row = placeOf[at(row)];
    }
    std::sort(found.begin(), found.end());
    return found;
}

void QxUiListModel::reorder(const std::vector<int>& places)
{
    if (isVirtual()) {
        std::vector<int> shown(places.size());
        for (std::size_t place = 0; place < places.size(); ++place)
            shown[place] = rows.empty() ? places[place] : rows[at(places[place])];
        rows = std::move(shown);
        return;
    }
    std::vector<QxUiItemModel> sorted;
    sorted.reserve(places.size());
    for (int place : places) sorted.push_back(std::move(items[at(place)]));
    items = std::move(sorted);
}

void QxUiListModel::shiftCells(int column, int delta)
{
    if (!isVirtual()) {
        for (auto& item : items) {
            if (delta > 0) item.cells.insert(item.cells.begin() + column, QxUiCellModel{});
            else item.cells.erase(item.cells.begin() + column);
        }
        return;
    }
    std::map<std::pair<int, int>, QxUiCellModel> moved;
    for (auto& [key, cell] : rowCells) {
        if (delta < 0 && key.second == column) continue;
        const int shifted = key.second >= column ? key.second + delta : key.second;
        moved.emplace(std::make_pair(key.first, shifted), std::move(cell));
    }
    rowCells = std::move(moved);
}

void QxUiListModel::clearItems()
{
    items.clear();
    source.reset();
    rowCount = 0;
    rows.clear();
    rowStates.clear();
    rowData.clear();
    rowCells.clear();
}

bool QxUiListModel::hasCellCheckImages(int column) const
{
    if (smallImages.GetImageCount() == 0) return false;
    for (int item = 0; item < int(itemCount()); ++item)
        for (int c = column < 0 ? 0 : column; c < int(cellCount()) && (column < 0 || c == column); ++c)
            if (smallImages.GetImage(cellImage(item, c)).GetKind() == CQxUiImage::CheckBox) return true;
    return false;
}
