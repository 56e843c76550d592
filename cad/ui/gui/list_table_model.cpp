#include "cad/ui/gui/list_table_model.h"

#include <QIcon>
#include <map>
#include <tuple>

#include "cad/ui/gui/images.h"

namespace qxgui {

namespace {

Qt::Alignment columnAlignment(int format)
{
    if (format == QxUiList::Right) return Qt::AlignRight | Qt::AlignVCenter;
    if (format == QxUiList::Center) return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Icons of a list's images, made once per image: a long list shows the same few pictures.
QIcon cachedIcon(const CQxUiImage& image)
{
    static std::map<std::tuple<int, std::uint32_t, bool, const void*>, QIcon> cache;
    const auto key = std::make_tuple(int(image.GetKind()), image.GetResourceId(), image.IsCheckedBox(),
                                     static_cast<const void*>(image.GetResource()));
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, QIcon(pixmapOf(image))).first;
    return it->second;
}

}  // namespace

ListTableModel::ListTableModel(const QxUiControlModel& control, QPalette palette, QObject* parent)
    : QAbstractTableModel(parent), m_control(control), m_palette(std::move(palette))
{
}

bool ListTableModel::report() const { return (m_control.style & QxUiStyle::ReportView) != 0; }

bool ListTableModel::listHasChecks() const
{
    return (list().exStyle & QxUiList::CheckBoxes) || !list().itemsWithState(QxUiList::StateImageMask).empty();
}

int ListTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int ListTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant ListTableModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row(), column = index.column();
    if (!index.isValid() || !list().hasCell(row, column)) return {};
    const bool selected = (list().itemState(row) & QxUiList::Selected) != 0;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return QString::fromStdU16String(std::u16string(list().cellText(row, column)));
    case Qt::DecorationRole: {
        const int image = list().cellImage(row, column);
        const CQxUiImage picture = image >= 0 ? list().smallImages.GetImage(image) : CQxUiImage();
        return picture.IsNull() ? QVariant() : QVariant(cachedIcon(picture));
    }
    case Qt::CheckStateRole:
        if (column != 0 || !m_checks) return {};
        return QxUiList::StateImageOf(list().itemState(row)) == 2 ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (!report() || column >= int(list().columns.size())) return {};
        return QVariant::fromValue(columnAlignment(list().columns[std::size_t(column)].format));
    case Qt::BackgroundRole: return selected ? QVariant(m_palette.highlight()) : QVariant();
    case Qt::ForegroundRole: return selected ? QVariant(m_palette.highlightedText()) : QVariant();
    default: return {};
    }
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= int(list().columns.size())) return {};
    return QString::fromStdU16String(list().columns[std::size_t(section)].title);
}

Qt::ItemFlags ListTableModel::flags(const QModelIndex& index) const
{
    // Checks and selection are the host's: the view itself takes none from the user.
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.row() == m_editRow && index.column() == m_editColumn) flags |= Qt::ItemIsEditable;
    return flags;
}

bool ListTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.row() != m_editRow || index.column() != m_editColumn) return false;
    m_editRow = m_editColumn = -1;
    if (onEdited) onEdited(index.row(), index.column(), value.toString());
    return true;
}

void ListTableModel::allowEdit(int row, int column)
{
    m_editRow = row;
    m_editColumn = column;
}

void ListTableModel::refresh()
{
    const int rows = int(list().itemCount());
    const int columns = report() ? std::max<int>(1, int(list().columns.size())) : 1;
    m_checks = listHasChecks();
    if (rows != m_rows || columns != m_columns) {
        beginResetModel();
        m_rows = rows;
        m_columns = columns;
        endResetModel();
        return;
    }
    if (m_columns > 0) headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    if (m_rows > 0) dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
}

}  // namespace qxgui
