// A list view of the host's dialog model as the toolkit's views ask for it: rows and cells
// are read from the host's list when a view paints them, never copied, so a list of a
// million rows costs the window no more than the screenful it shows.
#pragma once

#include <QAbstractTableModel>
#include <QPalette>
#include <functional>

#include "cad/ui/model.h"

namespace qxgui {

class ListTableModel : public QAbstractTableModel {
public:
    ListTableModel(const QxUiControlModel& control, QPalette palette, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The end of an in-place edit of the cell allowed by allowEdit: handed to onEdited.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Follows the host's list after a change: the views start over when the number of rows or
    // columns changed, else they repaint the rows they show (and read no others).
    void refresh();
    // Lets the user edit one cell in place (the others take no edits), until the edit ends.
    void allowEdit(int row, int column);
    std::function<void(int row, int column, const QString& text)> onEdited;

    // Whether the rows show the list's check boxes, as of the last refresh.
    bool hasChecks() const { return m_checks; }

private:
    const QxUiListModel& list() const { return *m_control.list; }
    bool report() const;
    bool listHasChecks() const;

    const QxUiControlModel& m_control;
    QPalette m_palette;
    int m_rows = 0, m_columns = 0;
    int m_editRow = -1, m_editColumn = -1;
    bool m_checks = false;
};

}  // namespace qxgui
