// The entity kinds the host understands, each described once: its subclass markers, and per
// field (a value held in one or more group codes) the kind of value, the default a record
// without the field has, and the getter and setter that map it to the database object. One
// reader, one writer and the change fingerprint all run from these descriptions: reading fills
// the object from them, writing replaces exactly those pairs in a record and leaves every other
// pair where it was, and a new record lists them in their order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/dxf/dxf_file.h"
#include "cad/dxf/dxf_record.h"
#include "dbentities.h"

namespace qx::dxf {

// The mapped values of an object, as pairs by field (its position in the kind's description).
class FieldSink {
public:
    virtual ~FieldSink() = default;
    virtual void text(int field, int code, std::u16string_view value, TextRole role) = 0;
    virtual void real(int field, int code, double value) = 0;
    virtual void integer(int field, int code, std::int64_t value) = 0;
    virtual void handle(int field, int code, std::uint64_t value) = 0;
    void point(int field, int code, double x, double y, double z)
    {
        real(field, code, x);
        real(field, code + 10, y);
        real(field, code + 20, z);
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

// What the pairs of a field hold.
enum class FieldKind : std::uint8_t {
    Real,         // one number under the first code
    Integer,      // one whole number under the first code
    Handle,       // one handle under the first code
    Text,         // one string under the first code
    Point,        // x, y, z under the first code, +10 and +20
    ChunkedText,  // a long text: pieces under the second code, the last part under the first
    Direction,    // a direction under the first code, +10 and +20, or else the first angle under the last
    Vertices,     // a list of vertices: x and y under the first two codes, then widths and bulge
};

// When a field is written.
enum class WriteRule : std::uint8_t {
    Always,         // whenever the getter gives a value
    UnlessDefault,  // only where the value differs from the field's default
    NewRecords,     // only in records the host adds; a record read keeps what it has
    Never,          // read only: a changed record keeps the pairs as the file had them
};

// A field's value as the file holds it (angles in degrees, points in the entity's own plane
// where the file keeps them there).
struct FieldValue {
    double x = 0, y = 0, z = 0;
    std::int64_t integer = 0;
    std::u16string text;
    std::u16string pieces;  // ChunkedText: the pieces before the last part
    std::vector<QxDbPolyline::Vertex> vertices;
    bool present = false;   // reading: some of its pairs were in the record
    bool second = false;    // Direction: the direction was given; Vertices: widths were given
    double angle = 0;       // Direction: the angle
    bool haveAngle = false;

    // Back to a value of nothing read, keeping the buffers.
    void clear()
    {
        x = y = z = angle = 0;
        integer = 0;
        text.clear(), pieces.clear(), vertices.clear();
        present = second = haveAngle = false;
    }

    static FieldValue number(double v)
    {
        FieldValue f;
        f.x = v;
        return f;
    }
    static FieldValue whole(std::int64_t v)
    {
        FieldValue f;
        f.integer = v;
        return f;
    }
    static FieldValue string(std::u16string_view v)
    {
        FieldValue f;
        f.text = v;
        return f;
    }
    static FieldValue xyz(double x, double y, double z)
    {
        FieldValue f;
        f.x = x, f.y = y, f.z = z;
        return f;
    }
};

class FieldReading;

struct Field {
    std::string_view subclass;  // "*": whichever subclass follows the common data (SOLID has two names)
    std::vector<int> codes;     // every code the field owns in a record (a colour owns 62 and 420)
    FieldKind kind;
    WriteRule rule;
    TextRole role = TextRole::Verbatim;
    FieldValue fallback;        // the value when the record lacks the field
    // The value to write; false: nothing to write.
    bool (*get)(const QxDbEntity&, FieldValue&) = nullptr;
    // Gives the object the value read (or the default); null for values only written.
    void (*set)(QxDbEntity&, const FieldValue&, FieldReading&) = nullptr;
    // Set after the other fields, for values that depend on them (and so set even when the
    // record lacks the field).
    bool late = false;

    bool replaces() const { return rule == WriteRule::Always || rule == WriteRule::UnlessDefault; }
    // Whether the field is read in the subclass a record is at. Before any marker (and in files
    // without them) every field may stand anywhere.
    bool matches(std::string_view current) const
    {
        if (current.empty()) return true;
        if (subclass == "*") return current != "AcDbEntity" && current != "101";
        return subclass == current;
    }
};

class RecordReader;

// Reads the pairs of a kind that no field describes (a table's cell list) and finishes the
// object with them.
class ExtraPairs {
public:
    virtual ~ExtraPairs() = default;
    virtual void see(RecordReader& reader) = 0;
    virtual void finish(QxDbEntity& entity, RecordReader& reader) = 0;
};

// Where the pairs of a mapped value stand in a record: a subclass ("*" for whichever follows the
// common data) and the codes it owns.
struct FieldGroup {
    std::string_view subclass;
    std::vector<int> codes;
};

struct EntityKind {
    std::string_view type;                  // the record type; empty for kinds the host does not understand
    std::vector<std::string_view> markers;  // the subclasses a new record has after AcDbEntity; none: not written new
    QxRxClass* (*objectClass)();
    QxDbEntity* (*make)();                  // a new object of the kind (unknown entities are named after reading)
    std::vector<Field> fields;              // the common entity fields first, in the order a new record lists them
    std::unique_ptr<ExtraPairs> (*extra)(const DxfFile& file) = nullptr;
    // Per field, the pairs a changed record replaces (none for fields it keeps as they were).
    std::vector<FieldGroup> replaced = {};
};

// The kind of a record type (the kind of unknown entities for types the host does not understand).
const EntityKind& kindOfType(std::string_view type);
// The kind of an object by its class.
const EntityKind& kindOfEntity(const QxDbEntity& entity);

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

// The same for many records: the values of one record are kept for the next, so that reading a
// drawing's worth of entities allocates them once.
class EntityReader {
public:
    EntityRead read(const DxfFile& file, std::size_t record, const EntityContext& context, DxfError& error);

private:
    std::vector<FieldValue> m_values;  // clear between records
};

// Who the pairs are for: a new record (with the pairs only new records carry), or the pairs
// that replace those of a record read (also what the change fingerprint takes).
enum class FieldUse { NewRecord, Replace };

// The fields of an entity as pairs, in the order of its description.
void writeFields(const QxDbEntity& entity, FieldSink& sink, FieldUse use);
// Only the data every entity has (layer, linetype, colour, linetype scale, lineweight).
void writeCommonFields(const QxDbEntity& entity, FieldSink& sink);

}  // namespace qx::dxf
