// Selection and point input of the drawing editor, in pieces that can be used (and tested)
// without the console.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/database.h"

namespace qx {

// A type and layer filter built from a selection filter chain: groups 0 (or QXRT_DXF0)
// name object types, group 8 layers; a group may list several names separated by commas
// and use '*' and '?' wildcards. Names match ignoring letter case.
class SelectionFilter {
public:
    // False when the chain holds a group the host cannot filter on.
    bool parse(const qxresbuf* chain);
    bool accepts(const QxDbEntity& entity) const;

private:
    std::vector<std::u16string> m_types, m_layers;
};

// Wildcard match ignoring letter case: '*' any run, '?' one character.
bool matchesPattern(std::u16string_view pattern, std::u16string_view text);

// The entities of model space that are not erased, in drawing order, passing the filter.
std::vector<QxDbObjectId> selectAll(const QxDbDatabase& database, const SelectionFilter& filter);
// Those whose extents lie inside the window given by two corners in the current UCS.
// Entities without geometry the host knows (3D solids, kinds kept as they came from a file)
// have no extents and are never inside a window; "all" and "handles" still select them.
std::vector<QxDbObjectId> selectWindow(const QxDbDatabase& database, const SelectionFilter& filter,
                                       const QxGePoint3d& corner1, const QxGePoint3d& corner2);

// "x,y" or "x,y,z" (spaces allowed around the numbers, '.' as the decimal point).
std::optional<QxGePoint3d> parsePoint(std::u16string_view text);
// A handle in hexadecimal text.
std::optional<std::uint64_t> parseHandle(std::u16string_view text);

// The result of one answer to "Select objects": the ids, or a cancel, or a message saying
// why the answer cannot be used.
struct SelectionAnswer {
    enum Kind { kObjects, kCancel, kInvalid } kind = kInvalid;
    std::vector<QxDbObjectId> ids;
    std::u16string message;
};
SelectionAnswer interpretSelectionAnswer(const QxDbDatabase& database, const SelectionFilter& filter,
                                         std::u16string_view answer);

// Hands out a selection set of the given ids under `name`.
void makeSelectionSet(std::vector<QxDbObjectId> ids, qxds_name name);

}  // namespace qx
