// The host's state of dialogs and their controls. Front ends render it and change it only
// through the user actions of actions.h, so that a dialog sees the same notifications
// whichever front end is in use.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/ui.h"

struct QxWindow {
    QxUiDialogModel* dialog = nullptr;  // null for the main window
};

struct QxUiColumnModel {
    std::u16string title;
    int format = QxUiList::Left;
    int width = 100;
    int subItem = 0;
    int sortArrow = QxUiList::NoArrow;
    bool editable = false;
};

struct QxUiCellModel {
    std::u16string text;
    int image = -1;
};

struct QxUiItemModel {
    std::vector<QxUiCellModel> cells;  // one per column, by column index
    std::uint64_t data = 0;
    std::uint32_t state = 0;
};

struct QxUiListModel {
    std::uint32_t exStyle = 0;
    std::vector<QxUiColumnModel> columns;
    std::vector<int> order;  // header order: column index at each place
    std::vector<QxUiItemModel> items;  // the items, unless the list is virtual
    // Virtual mode (a source is set): `rowCount` rows of the source, shown in the order of
    // `rows` (the source row at each place; empty while in the source's order). Only what
    // changed since is kept, by source row, so that it follows its row through a sort.
    std::shared_ptr<const CQxUiListSource> source;
    std::size_t rowCount = 0;
    std::vector<int> rows;
    std::unordered_map<int, std::uint32_t> rowStates;
    std::unordered_map<int, std::uint64_t> rowData;
    std::map<std::pair<int, int>, QxUiCellModel> rowCells;  // by (source row, column)
    CQxUiImageList smallImages;
    CQxUiImageList stateImages;
    std::u16string emptyText;
    CQxUiListCtrl* reflector = nullptr;  // the object attached to the list
    // Moves on with every change made through the list control or a user action, so that a
    // front end can tell that a list of many rows is unchanged without comparing its rows.
    std::uint64_t revision = 0;
    // Called once, then cleared, just before the next change: a front end that reports what
    // an action changed sees the list as it was only when the action changes it.
    std::function<void()> beforeChange;

    // Every change starts here, before the list is touched.
    void changing()
    {
        if (beforeChange) {
            const std::function<void()> hook = std::move(beforeChange);
            beforeChange = nullptr;
            hook();
        }
        ++revision;
    }

    // Items whatever the mode. Readers and writers take an existing item and cell; writers
    // send no notification (the list control does).
    bool isVirtual() const { return source != nullptr; }
    std::size_t itemCount() const { return isVirtual() ? rowCount : items.size(); }
    bool hasItem(int item) const { return item >= 0 && std::size_t(item) < itemCount(); }
    // Cells are kept by column; a list without columns still has the item's label.
    std::size_t cellCount() const { return columns.empty() ? 1 : columns.size(); }
    bool hasCell(int item, int column) const { return hasItem(item) && column >= 0 && std::size_t(column) < cellCount(); }
    std::u16string_view cellText(int item, int column) const;
    int cellImage(int item, int column) const;
    std::uint32_t itemState(int item) const;
    std::uint64_t itemData(int item) const;
    void setCellText(int item, int column, std::u16string_view text);
    void setCellImage(int item, int column, int image);
    // The cell to change: the stored item's, or a virtual row's changed copy.
    QxUiCellModel& writableCell(int item, int column);
    // The source row a virtual list shows as `item`.
    int sourceRow(int item) const;
    void setItemState(int item, std::uint32_t state);
    void setItemData(int item, std::uint64_t data);
    // The items whose state has any of `bits`, in shown order.
    std::vector<int> itemsWithState(std::uint32_t bits) const;
    // Puts the item that was at places[k] at place k.
    void reorder(const std::vector<int>& places);
    // A column inserted at `column` (delta 1) or deleted there (delta -1): cells move with it.
    void shiftCells(int column, int delta);
    // Leaves no items, and leaves virtual mode.
    void clearItems();
    // The state of a new item: an unchecked box when the rows have check boxes.
    std::uint32_t newItemState() const { return (exStyle & QxUiList::CheckBoxes) ? QxUiList::StateImage(1) : 0; }
    // Whether any cell shows a check-box picture (a list without images has none).
    bool hasCellCheckImages(int column = -1) const;

    // A list in list mode shows one column, the item texts, whether or not columns were made.
    bool showsColumn(int column) const { return column >= 0 && column < int(columns.size()) && columns[column].width > 0; }
};

struct QxUiControlModel {
    QxUiDialogModel* dialog = nullptr;
    int id = 0;
    QxUiControlKind kind = QxUiControlKind::Static;
    std::u16string text;
    int x = 0, y = 0, w = 0, h = 0;
    std::uint32_t style = 0;
    bool enabled = true;
    bool visible = true;
    int check = 0;
    CQxUiImage image;
    std::unique_ptr<QxUiListModel> list;  // list views only

    bool isButton() const
    {
        return kind == QxUiControlKind::PushButton || kind == QxUiControlKind::DefPushButton ||
               kind == QxUiControlKind::CheckBox || kind == QxUiControlKind::RadioButton;
    }
};

struct QxUiDialogModel {
    CPnUiBaseDialog* page = nullptr;
    QxWindow window;
    QxWindowHandle parent = nullptr;
    std::uint32_t templateId = 0;
    QxResourceInstance resources = nullptr;
    QxUiDialogTemplate dialogTemplate;
    bool templateLoaded = false;

    std::u16string caption;
    std::vector<std::unique_ptr<QxUiControlModel>> controls;
    bool running = false;
    bool ended = false;
    bool visible = false;
    bool inEditorCommand = false;
    int result = 0;

    QxUiControlModel* find(int id) const
    {
        for (const auto& control : controls)
            if (control->id == id) return control.get();
        return nullptr;
    }
};

namespace qxui {

// Sends a list notification the way the list control does: first to the object attached to
// the list, then, when that did not handle it, to the dialog.
void deliverListNotify(QxUiControlModel& control, const QxUiNotify& notify);

// The radio buttons of the group that `control` belongs to: consecutive radio buttons in
// template order, a "group" style starting a new group.
std::vector<QxUiControlModel*> radioGroup(QxUiDialogModel& dialog, const QxUiControlModel& control);

}  // namespace qxui
