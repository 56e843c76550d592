// The entity kinds the host understands: how their pairs become database objects, and which
// pairs a changed object gives back. Each kind declares its groups of pairs once (subclass
// and group codes); reading fills the object from them, writing replaces exactly those pairs
// in the record and leaves every other pair where it was.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/dxf/dxf_file.h"
#include "cad/dxf/dxf_record.h"
#include "dbentities.h"

namespace qx::dxf {

// A group of pairs that a kind maps as one value: a point's three coordinates, a text's
// chunks, a polyline's vertex list. "*" as subclass stands for whatever subclass follows the
// common entity data (SOLID records use either of two names).
struct FieldGroup {
    std::string_view subclass;
    std::vector<int> codes;
};

// The mapped values of an object, as pairs by group.
class FieldSink {
public:
    virtual ~FieldSink() = default;
    virtual void text(int group, int code, std::u16string_view value, TextRole role) = 0;
    virtual void real(int group, int code, double value) = 0;
    virtual void integer(int group, int code, std::int64_t value) = 0;
    virtual void handle(int group, int code, std::uint64_t value) = 0;
    void point(int group, int code, double x, double y, double z)
    {
        real(group, code, x);
        real(group, code + 10, y);
        real(group, code + 20, z);
    }
};

// Looks up what entities refer to by name.
struct EntityContext {
    std::function<QxDbObjectId(std::u16string_view name)> textStyle;
    std::function<QxDbObjectId(std::u16string_view name)> block;
    std::function<QxDbObjectId(std::uint64_t handle)> byHandle;
    // The name of the plot style a 390 pointer leads to (a key of ACAD_PLOTSTYLENAME), or empty.
    std::function<std::u16string(std::uint64_t handle)> plotStyle;
};

// The groups of an entity kind by its type name; common data only for kinds the host keeps
// without understanding.
const std::vector<FieldGroup>& fieldGroups(std::u16string_view dxfType);

// Tables may state more rows x columns than the cells they list (the rest are empty), up to
// this many cells; beyond it a table is read only when its cells are all listed.
inline constexpr std::uint64_t kUnlistedTableCells = 1u << 20;

// What reading an entity record gives: a new object, not in a database yet (null with the
// error set), whether it sits in paper space, and the record's header, gathered on the same
// walk. Its extended data is not read here.
struct EntityRead {
    QxDbEntity* entity = nullptr;
    bool paperSpace = false;
    RecordHeader header;
};
EntityRead readEntity(const DxfFile& file, std::size_t record, const EntityContext& context, DxfError& error);

// The data every entity has (layer, linetype, colour, linetype scale, lineweight), each written
// only where it differs from what a reader assumes.
void emitCommon(const QxDbEntity& entity, FieldSink& sink);

// The mapped values of an entity, in the order a new record lists them.
void emitEntity(const QxDbEntity& entity, FieldSink& sink);

// Whether the host reads this kind into its own class (the others become unknown entities).
bool isMappedKind(std::string_view type);

}  // namespace qx::dxf
