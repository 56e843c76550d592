#include "cad/dxf/dxf_entities.h"

#include <cmath>
#include <type_traits>
#include <unordered_map>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_names.h"
#include "dbsymbols.h"
#include "dbtable.h"

namespace qx::dxf {

// The pairs of one record, with what the readers need: numbers parsed, the subclass known.
class RecordReader {
public:
    RecordReader(const DxfFile& file, std::size_t record, const EntityContext& context, DxfError& error)
        : m_file(file), m_cursor(file.tags(record)), m_scan(file, record), m_error(error), m_context(context),
          m_recordLine(file.recordLine(record)), m_recordSize(file.recordText(record).size())
    {
        m_cursor.next(m_tag);  // the record type
    }

    // Extended data ends the walk: it is read elsewhere.
    bool next()
    {
        if (m_done || !m_cursor.next(m_tag) || !m_scan.see(m_tag)) {
            m_done = true;
            return false;
        }
        if (m_tag.code == 100) m_subclass = m_tag.value;
        if (m_tag.code == 101) m_subclass = "101";
        if (m_tag.code == 102) m_inGroup = m_tag.value.starts_with('{');
        return true;
    }
    const Tag& tag() const { return m_tag; }
    // The code of the pair; -1 inside a 102 group, whose pairs belong to other applications.
    int code() const { return m_inGroup && m_tag.code != 102 ? -1 : m_tag.code; }
    std::string_view subclass() const { return m_subclass; }

    double real()
    {
        double v = 0;
        if (!m_tag.toDouble(v)) fail("a number is required");
        return v;
    }
    std::int64_t integer()
    {
        std::int64_t v = 0;
        if (!m_tag.toInt(v)) fail("a whole number is required");
        return v;
    }
    std::u16string text() const { return m_file.decode(m_tag.value); }
    bool failed() const { return m_failed; }
    const EntityContext& context() const { return m_context; }
    const DxfFile& file() const { return m_file; }
    // The record's header, once the rest of the record is walked.
    const RecordHeader& finish()
    {
        while (next()) {
        }
        return m_scan.header();
    }

    void fail(const std::string& message)
    {
        if (m_failed) return;
        m_failed = true;
        m_error = {m_file.name(), m_tag.line + 1,
                   "group code " + std::to_string(m_tag.code) + ": " + message + ", found \"" + std::string(m_tag.value.substr(0, 40)) + "\""};
    }

    std::size_t recordSize() const { return m_recordSize; }
    // The record as a whole cannot be read: the error names the line it starts on.
    void refuse(const std::string& message)
    {
        if (m_failed) return;
        m_failed = true;
        m_error = {m_file.name(), m_recordLine, message};
    }

private:
    const DxfFile& m_file;
    TagCursor m_cursor;
    RecordHeaderScan m_scan;
    Tag m_tag;
    DxfError& m_error;
    std::string_view m_subclass;
    bool m_inGroup = false;
    bool m_failed = false;
    bool m_done = false;
    const EntityContext& m_context;
    std::uint32_t m_recordLine;
    std::size_t m_recordSize;
};

// What the setters of one record's fields share: the values read, where to look names up, and
// what the record says beyond the object (that it sits in paper space).
class FieldReading {
public:
    FieldReading(const EntityKind& kind, const std::vector<int>& fieldOfCode, const FieldValue* values,
                 const EntityContext& context)
        : m_kind(kind), m_fieldOfCode(fieldOfCode), m_values(values), m_context(context)
    {
    }
    const EntityContext& context() const { return m_context; }
    // The field that owns `code` as read, or its default.
    const FieldValue& value(int code) const
    {
        const int f = m_fieldOfCode[static_cast<std::size_t>(code)];
        return m_values[f].present ? m_values[f] : m_kind.fields[static_cast<std::size_t>(f)].fallback;
    }
    // The extrusion direction as the record states it: the plane of its other coordinates.
    QxGeVector3d normal() const
    {
        const FieldValue& n = value(210);
        return {n.x, n.y, n.z};
    }
    bool paperSpace = false;

private:
    const EntityKind& m_kind;
    const std::vector<int>& m_fieldOfCode;
    const FieldValue* m_values;
    const EntityContext& m_context;
};

namespace {

constexpr double kDegrees = 180.0 / M_PI;

QxGePoint3d toWcs(const QxGePoint3d& p, const QxGeVector3d& normal)
{
    if (normal == QxGeVector3d::kZAxis) return p;
    const QxGePlane plane(QxGePoint3d::kOrigin, normal);
    const QxGeVector3d v = plane.xAxis() * p.x + plane.yAxis() * p.y + plane.normal() * p.z;
    return {v.x, v.y, v.z};
}

QxGePoint3d toOcs(const QxGePoint3d& p, const QxGeVector3d& normal)
{
    if (normal == QxGeVector3d::kZAxis) return p;
    const QxGePlane plane(QxGePoint3d::kOrigin, normal);
    const QxGeVector3d v = p.asVector();
    return {v.dotProduct(plane.xAxis()), v.dotProduct(plane.yAxis()), v.dotProduct(plane.normal())};
}

// ---- field makers: the common shapes of a field, the rest is said by each kind below ----------

template <class T>
const T& as(const QxDbEntity& e)
{
    return static_cast<const T&>(e);
}
template <class T>
T& as(QxDbEntity& e)
{
    return static_cast<T&>(e);
}

using Getter = bool (*)(const QxDbEntity&, FieldValue&);
using Setter = void (*)(QxDbEntity&, const FieldValue&, FieldReading&);

Field field(std::string_view subclass, std::vector<int> codes, FieldKind kind, WriteRule rule, FieldValue fallback, Getter get,
            Setter set, TextRole role = TextRole::Verbatim)
{
    Field f{subclass, std::move(codes), kind, rule, role, std::move(fallback), get, set};
    return f;
}

const std::vector<int> kNormalCodes = {210, 220, 230};
std::vector<int> pointCodes(int code) { return {code, code + 10, code + 20}; }

template <class T, auto Get, auto Set>
Field real(std::string_view subclass, int code, WriteRule rule, double fallback)
{
    return field(subclass, {code}, FieldKind::Real, rule, FieldValue::number(fallback),
                 [](const QxDbEntity& e, FieldValue& v) { return v.x = (as<T>(e).*Get)(), true; },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading&) { (as<T>(e).*Set)(v.x); });
}

// An angle: degrees in the file, radians in the object.
template <class T, auto Get, auto Set>
Field angle(std::string_view subclass, int code, WriteRule rule, double fallbackDegrees)
{
    return field(subclass, {code}, FieldKind::Real, rule, FieldValue::number(fallbackDegrees),
                 [](const QxDbEntity& e, FieldValue& v) { return v.x = (as<T>(e).*Get)() * kDegrees, true; },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading&) { (as<T>(e).*Set)(v.x / kDegrees); });
}

// A point the file keeps in world coordinates.
template <class T, auto Get, auto Set>
Field point(std::string_view subclass, int code)
{
    return field(subclass, pointCodes(code), FieldKind::Point, WriteRule::Always, {},
                 [](const QxDbEntity& e, FieldValue& v) {
                     const QxGePoint3d p = (as<T>(e).*Get)();
                     return v.x = p.x, v.y = p.y, v.z = p.z, true;
                 },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading&) { (as<T>(e).*Set)(QxGePoint3d(v.x, v.y, v.z)); });
}

// A point the file keeps in the entity's own plane (its extrusion direction, group 210).
template <class T, auto Get, auto Set>
Field ocsPoint(std::string_view subclass, int code)
{
    return field(subclass, pointCodes(code), FieldKind::Point, WriteRule::Always, {},
                 [](const QxDbEntity& e, FieldValue& v) {
                     const QxGePoint3d p = toOcs((as<T>(e).*Get)(), as<T>(e).normal());
                     return v.x = p.x, v.y = p.y, v.z = p.z, true;
                 },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading& r) {
                     (as<T>(e).*Set)(toWcs(QxGePoint3d(v.x, v.y, v.z), r.normal()));
                 });
}

template <class T>
Field normal(std::string_view subclass)
{
    return field(subclass, kNormalCodes, FieldKind::Point, WriteRule::UnlessDefault, FieldValue::xyz(0, 0, 1),
                 [](const QxDbEntity& e, FieldValue& v) {
                     const QxGeVector3d n = as<T>(e).normal();
                     return v.x = n.x, v.y = n.y, v.z = n.z, true;
                 },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading&) { as<T>(e).setNormal(QxGeVector3d(v.x, v.y, v.z)); });
}

template <class T>
Field thickness(std::string_view subclass)
{
    return real<T, &T::thickness, &T::setThickness>(subclass, 39, WriteRule::UnlessDefault, 0);
}

// A name the host keeps as it is (layer, linetype, attribute tag).
template <class T, auto Get, auto Set>
Field name(std::string_view subclass, int code, WriteRule rule, std::u16string_view fallback)
{
    return field(subclass, {code}, FieldKind::Text, rule, FieldValue::string(fallback),
                 [](const QxDbEntity& e, FieldValue& v) { return v.text = (as<T>(e).*Get)(), true; },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading&) { (as<T>(e).*Set)(v.text.c_str()); });
}

// The text style of a text, by name; a record without one has the standard style.
template <class T>
Field textStyle(std::string_view subclass)
{
    return field(subclass, {7}, FieldKind::Text, WriteRule::Always, FieldValue::string(u"Standard"),
                 [](const QxDbEntity& e, FieldValue& v) {
                     const QxDbObjectId id = as<T>(e).textStyle();
                     return !id.isNull() && (v.text = nameOf(id), true);
                 },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading& r) { as<T>(e).setTextStyle(r.context().textStyle(v.text)); });
}

// A whole number the object keeps as one of a range of values; others leave it as it is.
template <class T, auto Get, auto Set, std::int64_t Low, std::int64_t High>
Field choice(std::string_view subclass, int code, WriteRule rule, std::int64_t fallback)
{
    return field(subclass, {code}, FieldKind::Integer, rule, FieldValue::whole(fallback),
                 [](const QxDbEntity& e, FieldValue& v) { return v.integer = (as<T>(e).*Get)(), true; },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading&) {
                     using Value = std::invoke_result_t<decltype(Get), const T&>;
                     if (v.integer >= Low && v.integer <= High) (as<T>(e).*Set)(static_cast<Value>(v.integer));
                 });
}

// ---- the kinds --------------------------------------------------------------------------------

std::vector<Field> commonFields()
{
    using E = QxDbEntity;
    return {
        name<E, &E::layer, &E::setLayer>("AcDbEntity", 8, WriteRule::Always, u"0"),
        name<E, &E::linetype, &E::setLinetype>("AcDbEntity", 6, WriteRule::UnlessDefault, u"ByLayer"),
        // A negative colour: the layer is off; the colour is the absolute value. True colour
        // (420) goes with it: a changed colour replaces both.
        field("AcDbEntity", {62, 420}, FieldKind::Integer, WriteRule::UnlessDefault, FieldValue::whole(256),
              [](const E& e, FieldValue& v) { return v.integer = e.colorIndex(), true; },
              [](E& e, const FieldValue& v, FieldReading&) {
                  if (v.integer >= -257 && v.integer <= 257) e.setColorIndex(static_cast<std::uint16_t>(std::abs(v.integer)));
              }),
        real<E, &E::linetypeScale, &E::setLinetypeScale>("AcDbEntity", 48, WriteRule::UnlessDefault, 1.0),
        // Values the host does not know stay in the file; the entity keeps "by layer".
        choice<E, &E::lineWeight, &E::setLineWeight, QxDb::kLnWtByLwDefault, 211>("AcDbEntity", 370, WriteRule::UnlessDefault,
                                                                                  QxDb::kLnWtByLayer),
        field("AcDbEntity", {67}, FieldKind::Integer, WriteRule::Never, FieldValue::whole(0), nullptr,
              [](E&, const FieldValue& v, FieldReading& r) { r.paperSpace = v.integer == 1; }),
        // The plot style is read only: a changed entity keeps the pointer as the file had it.
        field("AcDbEntity", {390}, FieldKind::Handle, WriteRule::Never, {}, nullptr,
              [](E& e, const FieldValue& v, FieldReading& r) {
                  if (!v.present || !r.context().plotStyle) return;
                  const std::u16string style = r.context().plotStyle(static_cast<std::uint64_t>(v.integer));
                  if (!style.empty()) e.setPlotStyleName(style.c_str());
              }),
    };
}

std::vector<Field> withCommon(std::vector<Field> own)
{
    std::vector<Field> fields = commonFields();
    for (Field& f : own) fields.push_back(std::move(f));
    return fields;
}

template <class T>
QxDbEntity* make()
{
    return new T;
}

EntityKind lineKind()
{
    using L = QxDbLine;
    return {"LINE", {"AcDbLine"}, &L::desc, make<L>,
            withCommon({point<L, &L::startPoint, &L::setStartPoint>("AcDbLine", 10),
                        point<L, &L::endPoint, &L::setEndPoint>("AcDbLine", 11), thickness<L>("AcDbLine"),
                        normal<L>("AcDbLine")})};
}

template <class C>
std::vector<Field> circleFields()
{
    return {ocsPoint<C, &C::center, &C::setCenter>("AcDbCircle", 10),
            real<C, &C::radius, &C::setRadius>("AcDbCircle", 40, WriteRule::Always, 0), thickness<C>("AcDbCircle"),
            normal<C>("AcDbCircle")};
}

EntityKind circleKind()
{
    return {"CIRCLE", {"AcDbCircle"}, &QxDbCircle::desc, make<QxDbCircle>, withCommon(circleFields<QxDbCircle>())};
}

EntityKind arcKind()
{
    using A = QxDbArc;
    auto fields = circleFields<A>();
    fields.push_back(angle<A, &A::startAngle, &A::setStartAngle>("AcDbArc", 50, WriteRule::Always, 0));
    fields.push_back(angle<A, &A::endAngle, &A::setEndAngle>("AcDbArc", 51, WriteRule::Always, 360));
    return {"ARC", {"AcDbCircle", "AcDbArc"}, &A::desc, make<A>, withCommon(std::move(fields))};
}

// Vertex widths are written only where they are not all one constant width (43).
bool constantWidth(const QxDbPolyline& p, double& width) { return p.getConstantWidth(width) == Qxapp::eOk; }

EntityKind polylineKind()
{
    using P = QxDbPolyline;
    const std::string_view s = "AcDbPolyline";
    Field count = field(s, {90}, FieldKind::Integer, WriteRule::Always, {},
                        [](const QxDbEntity& e, FieldValue& v) { return v.integer = as<P>(e).numVerts(), true; }, nullptr);
    Field flags = field(s, {70}, FieldKind::Integer, WriteRule::Always, {},
                        [](const QxDbEntity& e, FieldValue& v) {
                            return v.integer = (as<P>(e).isClosed() ? 1 : 0) | (as<P>(e).hasPlinegen() ? 128 : 0), true;
                        },
                        [](QxDbEntity& e, const FieldValue& v, FieldReading&) {
                            as<P>(e).setClosed(v.integer & 1);
                            as<P>(e).setPlinegen(v.integer & 128);
                        });
    // Applies to the vertices only when none states its own widths (40, 41).
    Field width = field(s, {43}, FieldKind::Real, WriteRule::Always, {},
                        [](const QxDbEntity& e, FieldValue& v) { return constantWidth(as<P>(e), v.x); },
                        [](QxDbEntity& e, const FieldValue& v, FieldReading& r) {
                            if (v.x > 0 && !r.value(10).second) as<P>(e).setConstantWidth(v.x);
                        });
    width.late = true;
    Field vertices = field(s, {10, 20, 40, 41, 42, 91}, FieldKind::Vertices, WriteRule::Always, {},
                           [](const QxDbEntity& e, FieldValue& v) {
                               const P& p = as<P>(e);
                               double constant = 0;
                               v.second = !constantWidth(p, constant);
                               v.vertices.resize(p.numVerts());
                               for (unsigned i = 0; i < p.numVerts(); ++i) {
                                   auto& vertex = v.vertices[i];
                                   p.getPointAt(i, vertex.point);
                                   p.getBulgeAt(i, vertex.bulge);
                                   p.getWidthsAt(i, vertex.startWidth, vertex.endWidth);
                               }
                               return true;
                           },
                           [](QxDbEntity& e, const FieldValue& v, FieldReading&) {
                               for (unsigned i = 0; i < v.vertices.size(); ++i) {
                                   const auto& vertex = v.vertices[i];
                                   as<P>(e).addVertexAt(i, vertex.point, vertex.bulge, v.second ? vertex.startWidth : -1,
                                                        v.second ? vertex.endWidth : -1);
                               }
                           });
    return {"LWPOLYLINE", {s}, &P::desc, make<P>,
            withCommon({std::move(count), std::move(flags), std::move(width),
                        real<P, &P::elevation, &P::setElevation>(s, 38, WriteRule::UnlessDefault, 0), thickness<P>(s),
                        std::move(vertices), normal<P>(s)})};
}

// A corner of a solid, in the solid's own plane. A record with three corners has its fourth at
// the third.
template <std::uint16_t Corner>
Field corner()
{
    return field("*", pointCodes(10 + Corner), FieldKind::Point, WriteRule::Always, {},
                 [](const QxDbEntity& e, FieldValue& v) {
                     QxGePoint3d p;
                     as<QxDbSolid>(e).getPointAt(Corner, p);
                     p = toOcs(p, as<QxDbSolid>(e).normal());
                     return v.x = p.x, v.y = p.y, v.z = p.z, true;
                 },
                 [](QxDbEntity& e, const FieldValue& v, FieldReading& r) {
                     const FieldValue& p = Corner == 3 && !v.present ? r.value(12) : v;
                     as<QxDbSolid>(e).setPointAt(Corner, toWcs(QxGePoint3d(p.x, p.y, p.z), r.normal()));
                 });
}

EntityKind solidKind()
{
    using S = QxDbSolid;
    Field fourth = corner<3>();
    fourth.late = true;  // after the third
    return {"SOLID", {"AcDbTrace"}, &S::desc, make<S>,
            withCommon({corner<0>(), corner<1>(), corner<2>(), std::move(fourth), thickness<S>("*"), normal<S>("*")})};
}

EntityKind pointKind()
{
    using P = QxDbPoint;
    return {"POINT", {"AcDbPoint"}, &P::desc, make<P>,
            withCommon({point<P, &P::position, &P::setPosition>("AcDbPoint", 10), thickness<P>("AcDbPoint"), normal<P>("AcDbPoint")})};
}

EntityKind mtextKind()
{
    using M = QxDbMText;
    const std::string_view s = "AcDbMText";
    // Long text in 250-character pieces (3) and a final remainder (1), never cutting an escape
    // or a surrogate pair. Line breaks become \P before the text is cut.
    Field contents = field(s, {1, 3}, FieldKind::ChunkedText, WriteRule::Always, {},
                           [](const QxDbEntity& e, FieldValue& v) { return v.text = as<M>(e).contents(), true; },
                           [](QxDbEntity& e, const FieldValue& v, FieldReading&) {
                               std::u16string text = v.pieces + v.text;
                               decodeCaretNotation(text);
                               as<M>(e).setContents(text.c_str());
                           },
                           TextRole::Formatted);
    // The rotation: an X-axis direction (11), or else the first angle in degrees (a later 50
    // is column data).
    Field direction = field(s, {11, 21, 31, 50}, FieldKind::Direction, WriteRule::Always, {},
                            [](const QxDbEntity& e, FieldValue& v) {
                                const double rotation = as<M>(e).rotation();
                                v.x = std::cos(rotation), v.y = std::sin(rotation), v.z = 0;
                                return rotation != 0;
                            },
                            [](QxDbEntity& e, const FieldValue& v, FieldReading&) {
                                const QxGeVector3d d(v.x, v.y, v.z);
                                as<M>(e).setRotation(v.second && !d.isZeroLength() ? std::atan2(v.y, v.x) : v.angle / kDegrees);
                            });
    // Any fill is kept as "fill with the window colour".
    Field fill = field(s, {90}, FieldKind::Integer, WriteRule::UnlessDefault, FieldValue::whole(0),
                       [](const QxDbEntity& e, FieldValue& v) { return v.integer = as<M>(e).backgroundFillOn() ? 2 : 0, true; },
                       [](QxDbEntity& e, const FieldValue& v, FieldReading&) { as<M>(e).setBackgroundFill((v.integer & 3) != 0); });
    return {"MTEXT", {s}, &M::desc, make<M>,
            withCommon({point<M, &M::location, &M::setLocation>(s, 10),
                        real<M, &M::textHeight, &M::setTextHeight>(s, 40, WriteRule::Always, 2.5),
                        real<M, &M::width, &M::setWidth>(s, 41, WriteRule::Always, 0),
                        choice<M, &M::attachment, &M::setAttachment, M::kTopLeft, M::kBottomRight>(s, 71, WriteRule::Always, M::kTopLeft),
                        choice<M, &M::flowDirection, &M::setFlowDirection, M::kLtoR, M::kByStyle>(s, 72, WriteRule::Always, M::kLtoR),
                        std::move(contents), textStyle<M>(s), std::move(direction),
                        choice<M, &M::lineSpacingStyle, &M::setLineSpacingStyle, QxDb::kAtLeast, QxDb::kExactly>(
                            s, 73, WriteRule::UnlessDefault, QxDb::kAtLeast),
                        real<M, &M::lineSpacingFactor, &M::setLineSpacingFactor>(s, 44, WriteRule::UnlessDefault, 1.0),
                        std::move(fill)})};
}

// TEXT positions are in the entity's own plane; the host keeps them as the file has them, and
// only texts lying in the XY plane are written (the normal is not a text property here).
std::vector<Field> textFields()
{
    using T = QxDbText;
    const std::string_view s = "AcDbText";
    Field value = field(s, {1}, FieldKind::Text, WriteRule::Always, {},
                        [](const QxDbEntity& e, FieldValue& v) { return v.text = as<T>(e).textString(), true; },
                        [](QxDbEntity& e, const FieldValue& v, FieldReading&) {
                            if (v.text.find(u'^') == std::u16string::npos) {  // nothing to decode: no copy
                                as<T>(e).setTextString(v.text.c_str());
                                return;
                            }
                            std::u16string text = v.text;
                            decodeCaretNotation(text);
                            as<T>(e).setTextString(text.c_str());
                        },
                        TextRole::Plain);
    // The justification is written with the texts the host adds; a text read keeps the pairs
    // its file gave it. Its alignment point is where a justified text stands, so a text moved
    // since it was read writes its new one.
    Field horizontal = choice<T, &T::horizontalMode, &T::setHorizontalMode, T::kHorizontalLeft, T::kHorizontalFit>(
        s, 72, WriteRule::NewRecords, T::kHorizontalLeft);
    horizontal.get = [](const QxDbEntity& e, FieldValue& v) { return (v.integer = as<T>(e).horizontalMode()) != 0; };
    Field alignment = point<T, &T::alignmentPoint, &T::setAlignmentPoint>(s, 11);
    alignment.get = [](const QxDbEntity& e, FieldValue& v) {
        const T& text = as<T>(e);
        const QxGePoint3d p = text.alignmentPoint();
        v.x = p.x, v.y = p.y, v.z = p.z;
        return text.horizontalMode() != T::kHorizontalLeft || text.verticalMode() != T::kVerticalBaseline;
    };
    return withCommon({point<T, &T::position, &T::setPosition>(s, 10), real<T, &T::height, &T::setHeight>(s, 40, WriteRule::Always, 2.5),
                       std::move(value), angle<T, &T::rotation, &T::setRotation>(s, 50, WriteRule::UnlessDefault, 0),
                       textStyle<T>(s), std::move(horizontal), std::move(alignment)});
}

// The vertical justification: group 73 of a text, 74 of an attribute (whose 73 is a length).
template <int Code>
Field verticalMode(std::string_view subclass)
{
    using T = QxDbText;
    Field f = choice<T, &T::verticalMode, &T::setVerticalMode, T::kVerticalBaseline, T::kVerticalTop>(
        subclass, Code, WriteRule::NewRecords, T::kVerticalBaseline);
    f.get = [](const QxDbEntity& e, FieldValue& v) { return (v.integer = as<T>(e).verticalMode()) != 0; };
    return f;
}

EntityKind textKind()
{
    auto fields = textFields();
    fields.push_back(verticalMode<73>("AcDbText"));
    return {"TEXT", {"AcDbText"}, &QxDbText::desc, make<QxDbText>, std::move(fields)};
}

EntityKind attributeKind()
{
    using A = QxDbAttribute;
    auto fields = textFields();
    fields.push_back(name<A, &A::tag, &A::setTag>("AcDbAttribute", 2, WriteRule::Always, u""));
    fields.push_back(verticalMode<74>("AcDbAttribute"));
    // New attributes are visible and not constant.
    fields.push_back(field("AcDbAttribute", {70}, FieldKind::Integer, WriteRule::NewRecords, {},
                           [](const QxDbEntity&, FieldValue& v) { return v.integer = 0, true; }, nullptr));
    return {"ATTRIB", {"AcDbText", "AcDbAttribute"}, &A::desc, make<A>, std::move(fields)};
}

// The scale factors are set together: one of zero leaves all three at 1.
template <int Code>
Field scale()
{
    using B = QxDbBlockReference;
    return field("AcDbBlockReference", {Code}, FieldKind::Real, WriteRule::UnlessDefault, FieldValue::number(1),
                 [](const QxDbEntity& e, FieldValue& v) { return v.x = as<B>(e).scaleFactors()[Code - 41], true; },
                 [](QxDbEntity& e, const FieldValue&, FieldReading& r) {
                     as<B>(e).setScaleFactors({r.value(41).x, r.value(42).x, r.value(43).x});
                 });
}

// The block reference part of INSERT and ACAD_TABLE records.
std::vector<Field> referenceFields()
{
    using B = QxDbBlockReference;
    const std::string_view s = "AcDbBlockReference";
    Field block = field(s, {2}, FieldKind::Text, WriteRule::Always, {},
                        [](const QxDbEntity& e, FieldValue& v) { return v.text = nameOf(as<B>(e).blockTableRecord()), true; },
                        [](QxDbEntity& e, const FieldValue& v, FieldReading& r) { as<B>(e).setBlockTableRecord(r.context().block(v.text)); });
    return {std::move(block), ocsPoint<B, &B::position, &B::setPosition>(s, 10), scale<41>(), scale<42>(), scale<43>(),
            angle<B, &B::rotation, &B::setRotation>(s, 50, WriteRule::UnlessDefault, 0), normal<B>(s)};
}

EntityKind insertKind()
{
    using B = QxDbBlockReference;
    // Attributes follow the new record (66 1).
    Field follow = field("AcDbBlockReference", {66}, FieldKind::Integer, WriteRule::NewRecords, {},
                         [](const QxDbEntity& e, FieldValue& v) { return v.integer = 1, !as<B>(e).attributeIds().empty(); }, nullptr);
    std::vector<Field> own = {std::move(follow)};
    for (Field& f : referenceFields()) own.push_back(std::move(f));
    return {"INSERT", {"AcDbBlockReference"}, &B::desc, make<B>, withCommon(std::move(own))};
}

// The cell list of a table: sizes, row heights, column widths, then per cell its type, merge,
// block and text. Older files carry the text in 1/2/3 right in the cell, newer ones in a value
// block whose 302 is the displayed text.
class TableCells : public ExtraPairs {
public:
    explicit TableCells(const DxfFile& file) : m_newer(file.versionNumber() >= 1021) {}

    void see(RecordReader& r) override
    {
        if (r.subclass() != "AcDbTable") return;
        const int c = r.code();
        if (m_cells.empty() && c != 171) {
            if (c == 91) m_rows = static_cast<std::uint32_t>(std::max<std::int64_t>(0, r.integer()));
            else if (c == 92) m_columns = static_cast<std::uint32_t>(std::max<std::int64_t>(0, r.integer()));
            else if (c == 141) m_heights.push_back(r.real());
            else if (c == 142) m_widths.push_back(r.real());
            return;
        }
        if (c == 171) {
            // Room for the stated cells at once, as far as the record can hold them (a cell
            // takes at least one pair of six bytes): a table of a million cells grows no copies.
            if (m_cells.empty()) m_cells.reserve(std::min<std::uint64_t>(std::uint64_t(m_rows) * m_columns, r.recordSize() / 6));
            m_cells.emplace_back().type = static_cast<int>(r.integer());
            m_inValue = false;
            return;
        }
        CellData& cell = m_cells.back();
        if (c == 301) m_inValue = true;
        else if (c == 304) m_inValue = false;
        else if (m_inValue) {
            if (!m_newer) return;  // an older file's text is in the cell's own pairs
            if (c == 302) cell.text = r.text(), cell.haveValueText = true;
            else if (c == 1 && !cell.haveValueText) cell.text = r.text();
        } else if (c == 173) cell.merged = r.integer() != 0;
        else if (c == 174) cell.autoFit = r.integer() != 0;
        else if (c == 175) cell.columnSpan = static_cast<std::uint32_t>(std::max<std::int64_t>(1, r.integer()));
        else if (c == 176) cell.rowSpan = static_cast<std::uint32_t>(std::max<std::int64_t>(1, r.integer()));
        else if (c == 340) {
            std::uint64_t h = 0;
            if (r.tag().toHandle(h)) cell.block = r.context().byHandle(h);
        } else if (!m_newer && (c == 1 || c == 2 || c == 3)) cell.text += r.text();
    }

    // A file may state fewer cells than rows x columns; what is missing stays empty. A grid as
    // large as the cells the record lists is always made: tables of millions of cells are
    // written (by this host too). One claiming far more cells than it lists would take memory
    // the file does not justify: the file is refused, as a table read empty would be lost on
    // the next save.
    void finish(QxDbEntity& entity, RecordReader& r) override
    {
        auto& e = as<QxDbTable>(entity);
        const std::uint64_t cellCount = std::uint64_t(m_rows) * m_columns;
        if (cellCount > std::max<std::uint64_t>(kUnlistedTableCells, m_cells.size())) {
            r.refuse("ACAD_TABLE of " + std::to_string(m_rows) + " rows x " + std::to_string(m_columns) + " columns lists only " +
                     std::to_string(m_cells.size()) + " cells; a table this large is read only when its cells are in the file");
            return;
        }
        if (!m_rows || !m_columns) return;
        e.setSize(m_rows, m_columns);
        for (std::uint32_t i = 0; i < m_rows && i < m_heights.size(); ++i) e.setRowHeight(i, m_heights[i]);
        for (std::uint32_t j = 0; j < m_columns && j < m_widths.size(); ++j) e.setColumnWidth(j, m_widths[j]);
        for (std::size_t k = 0; k < m_cells.size() && k < cellCount; ++k) {
            const auto row = static_cast<std::uint32_t>(k / m_columns), column = static_cast<std::uint32_t>(k % m_columns);
            CellData& cell = m_cells[k];
            if (cell.type == 2) {
                if (!cell.block.isNull()) e.setBlockTableRecordId(row, column, cell.block, cell.autoFit);
            } else if (!cell.merged && !cell.text.empty()) {
                decodeCaretNotation(cell.text);
                if (!cell.text.empty()) e.setTextString(row, column, cell.text.c_str());
            }
        }
        for (std::size_t k = 0; k < m_cells.size() && k < cellCount; ++k) {
            const CellData& cell = m_cells[k];
            if (cell.merged || (cell.rowSpan == 1 && cell.columnSpan == 1)) continue;
            const auto row = static_cast<std::uint32_t>(k / m_columns), column = static_cast<std::uint32_t>(k % m_columns);
            e.mergeCells(row, std::min(m_rows - 1, row + cell.rowSpan - 1), column, std::min(m_columns - 1, column + cell.columnSpan - 1));
        }
    }

private:
    struct CellData {
        int type = 1;
        bool merged = false;
        bool autoFit = false;
        std::uint32_t columnSpan = 1, rowSpan = 1;
        QxDbObjectId block;
        // Older files: the chunks joined; newer ones: the displayed text (302), or else the
        // value (1). One string for both: a table may list millions of cells.
        std::u16string text;
        bool haveValueText = false;
    };
    bool m_newer;
    std::uint32_t m_rows = 0, m_columns = 0;
    std::vector<double> m_heights, m_widths;
    std::vector<CellData> m_cells;
    bool m_inValue = false;
};

// A table is written whole (see the table writer); its fields are what it shares with other
// entities and block references.
EntityKind tableKind()
{
    EntityKind kind{"ACAD_TABLE", {}, &QxDbTable::desc, make<QxDbTable>, withCommon(referenceFields())};
    kind.extra = [](const DxfFile& file) -> std::unique_ptr<ExtraPairs> { return std::make_unique<TableCells>(file); };
    return kind;
}

// Kinds the host keeps without understanding: their common data only.
EntityKind solid3dKind() { return {"3DSOLID", {}, &QxDb3dSolid::desc, make<QxDb3dSolid>, commonFields()}; }
EntityKind unknownKind()
{
    return {"", {}, &QxDbUnknownEntity::desc, []() -> QxDbEntity* { return new QxDbUnknownEntity(u""); },
            commonFields()};
}

// ---- reading and writing by the descriptions --------------------------------------------------

[[gnu::always_inline]] inline bool sameValue(FieldKind kind, const FieldValue& a, const FieldValue& b)
{
    switch (kind) {
    case FieldKind::Real: return a.x == b.x;
    case FieldKind::Integer:
    case FieldKind::Handle: return a.integer == b.integer;
    case FieldKind::Text: return a.text == b.text;
    case FieldKind::ChunkedText: return a.pieces + a.text == b.pieces + b.text;
    case FieldKind::Point:
    case FieldKind::Direction: return a.x == b.x && a.y == b.y && a.z == b.z;
    case FieldKind::Vertices: return a.vertices.empty() && b.vertices.empty();
    }
    return false;
}

// A kind with what reading it needs, worked out once: which field owns each code, and which
// defaults a new object holds already (those need not be set when a record lacks the field).
struct PreparedKind {
    EntityKind kind;
    QxRxClass* objectClass;
    std::vector<int> fieldOfCode;          // of the fields that are read
    std::vector<bool> newObjectHasDefault;
    std::vector<std::size_t> setOrder;      // the fields that are read, late ones last
    std::vector<std::size_t> replacing, newRecord, common;  // the fields each use writes

    explicit PreparedKind(EntityKind k) : kind(std::move(k)), objectClass(kind.objectClass())
    {
        std::unique_ptr<QxDbEntity> fresh(kind.make());
        for (std::size_t f = 0; f < kind.fields.size(); ++f) {
            const Field& field = kind.fields[f];
            kind.replaced.push_back({field.subclass, field.replaces() ? field.codes : std::vector<int>{}});
            FieldValue v;
            newObjectHasDefault.push_back(!field.late && field.get && field.rule != WriteRule::NewRecords && field.get(*fresh, v) &&
                                          sameValue(field.kind, v, field.fallback));
            if (field.replaces()) replacing.push_back(f);
            if (field.replaces() || field.rule == WriteRule::NewRecords) newRecord.push_back(f);
            if (field.replaces() && field.subclass == "AcDbEntity") common.push_back(f);
            if (!field.set) continue;
            if (!field.late) setOrder.push_back(f);
            for (int code : field.codes) {
                if (static_cast<std::size_t>(code) >= fieldOfCode.size()) fieldOfCode.resize(code + 1, -1);
                fieldOfCode[static_cast<std::size_t>(code)] = static_cast<int>(f);
            }
        }
        for (std::size_t f = 0; f < kind.fields.size(); ++f)
            if (kind.fields[f].set && kind.fields[f].late) setOrder.push_back(f);
    }
    int fieldOf(int code) const
    {
        return code >= 0 && static_cast<std::size_t>(code) < fieldOfCode.size() ? fieldOfCode[static_cast<std::size_t>(code)] : -1;
    }
};

const std::vector<PreparedKind>& kinds()
{
    static const std::vector<PreparedKind> table = [] {
        std::vector<PreparedKind> t;
        for (auto make : {lineKind, circleKind, arcKind, polylineKind, solidKind, pointKind, mtextKind, textKind, attributeKind,
                          insertKind, tableKind, solid3dKind, unknownKind})
            t.emplace_back(make());
        return t;
    }();
    return table;
}

const PreparedKind& preparedOfType(std::string_view type)
{
    static const std::unordered_map<std::string_view, const PreparedKind*> byType = [] {
        std::unordered_map<std::string_view, const PreparedKind*> map;
        for (const PreparedKind& k : kinds()) map.emplace(k.kind.type, &k);
        return map;
    }();
    const auto it = byType.find(type);
    return it != byType.end() ? *it->second : kinds().back();
}

const PreparedKind& preparedOf(const QxDbEntity& entity)
{
    const auto& all = kinds();
    const QxRxClass* cls = entity.isA();
    for (const PreparedKind& k : all)
        if (k.objectClass == cls) return k;
    return all.back();
}

void readValue(const Field& f, FieldValue& v, RecordReader& r, int code)
{
    const int first = f.codes.front();
    switch (f.kind) {
    case FieldKind::Real:
        if (code == first) v.x = r.real(), v.present = true;
        return;
    case FieldKind::Integer:
        if (code == first) v.integer = r.integer(), v.present = true;
        return;
    case FieldKind::Handle: {
        std::uint64_t h = 0;
        if (code == first && r.tag().toHandle(h)) v.integer = static_cast<std::int64_t>(h), v.present = true;
        return;
    }
    case FieldKind::Text:
        if (code == first) v.text = r.text(), v.present = true;
        return;
    case FieldKind::ChunkedText:
        if (code == first) v.text = r.text();
        else v.pieces += r.text();
        v.present = true;
        return;
    case FieldKind::Direction:
        if (code == f.codes.back()) {
            if (!v.haveAngle) v.angle = r.real(), v.haveAngle = true;
        } else {
            (&v.x)[(code - first) / 10] = r.real();
            v.second = true;
        }
        v.present = true;
        return;
    case FieldKind::Point:
        (&v.x)[(code - first) / 10] = r.real();
        v.present = true;
        return;
    case FieldKind::Vertices:
        v.present = true;
        if (code == 10) {
            v.vertices.emplace_back().point.x = r.real();
            return;
        }
        if (v.vertices.empty()) return;
        auto& vertex = v.vertices.back();
        if (code == 20) vertex.point.y = r.real();
        else if (code == 40) vertex.startWidth = r.real(), v.second = true;
        else if (code == 41) vertex.endWidth = r.real(), v.second = true;
        else if (code == 42) vertex.bulge = r.real();
        return;
    }
}

void writeValue(const Field& f, int index, const FieldValue& v, FieldSink& s)
{
    const int first = f.codes.front();
    switch (f.kind) {
    case FieldKind::Real: s.real(index, first, v.x); return;
    case FieldKind::Integer: s.integer(index, first, v.integer); return;
    case FieldKind::Handle: s.handle(index, first, static_cast<std::uint64_t>(v.integer)); return;
    case FieldKind::Text: s.text(index, first, v.text, f.role); return;
    case FieldKind::Point:
    case FieldKind::Direction: s.point(index, first, v.x, v.y, v.z); return;
    case FieldKind::ChunkedText:
        formattedPieces(v.text, f.codes[1], first, [&](int code, std::u16string_view piece) { s.text(index, code, piece, TextRole::Verbatim); });
        return;
    case FieldKind::Vertices:
        for (const auto& vertex : v.vertices) {
            s.real(index, 10, vertex.point.x);
            s.real(index, 20, vertex.point.y);
            if (v.second) {
                s.real(index, 40, vertex.startWidth);
                s.real(index, 41, vertex.endWidth);
            }
            if (vertex.bulge != 0) s.real(index, 42, vertex.bulge);
        }
        return;
    }
}

void writeFieldList(const EntityKind& kind, const std::vector<std::size_t>& fields, const QxDbEntity& entity, FieldSink& sink)
{
    FieldValue v;
    for (const std::size_t i : fields) {
        const Field& f = kind.fields[i];
        if (!f.get(entity, v)) continue;
        if (f.rule == WriteRule::UnlessDefault && sameValue(f.kind, v, f.fallback)) continue;
        writeValue(f, static_cast<int>(i), v, sink);
    }
}

}  // namespace

const EntityKind& kindOfType(std::string_view type) { return preparedOfType(type).kind; }
const EntityKind& kindOfEntity(const QxDbEntity& entity) { return preparedOf(entity).kind; }

EntityRead readEntity(const DxfFile& file, std::size_t record, const EntityContext& context, DxfError& error)
{
    return EntityReader().read(file, record, context, error);
}

EntityRead EntityReader::read(const DxfFile& file, std::size_t record, const EntityContext& context, DxfError& error)
{
    const std::string_view type = file.recordType(record);
    const PreparedKind& prepared = preparedOfType(type);
    const EntityKind& kind = prepared.kind;
    RecordReader r(file, record, context, error);
    std::unique_ptr<QxDbEntity> e(kind.type.empty() ? new QxDbUnknownEntity(file.decode(type)) : kind.make());
    std::unique_ptr<ExtraPairs> extra = kind.extra ? kind.extra(file) : nullptr;
    std::vector<FieldValue>& values = m_values;
    if (values.size() < kind.fields.size()) values.resize(kind.fields.size());
    while (r.next()) {
        const int code = r.code();
        const int f = prepared.fieldOf(code);
        if (f >= 0 && kind.fields[static_cast<std::size_t>(f)].matches(r.subclass()))
            readValue(kind.fields[static_cast<std::size_t>(f)], values[static_cast<std::size_t>(f)], r, code);
        else if (extra)
            extra->see(r);
    }
    FieldReading reading(kind, prepared.fieldOfCode, values.data(), context);
    for (const std::size_t f : prepared.setOrder) {
        FieldValue& value = values[f];
        if (value.present) {
            kind.fields[f].set(*e, value, reading);
        } else if (!prepared.newObjectHasDefault[f]) {
            kind.fields[f].set(*e, kind.fields[f].fallback, reading);
        }
    }
    for (const std::size_t f : prepared.setOrder)
        if (values[f].present) values[f].clear();
    if (extra) extra->finish(*e, r);
    if (r.failed()) return {};
    EntityRead read;
    read.header = r.finish();
    read.entity = e.release();
    read.paperSpace = reading.paperSpace;
    return read;
}

void writeFields(const QxDbEntity& entity, FieldSink& sink, FieldUse use)
{
    const PreparedKind& prepared = preparedOf(entity);
    writeFieldList(prepared.kind, use == FieldUse::NewRecord ? prepared.newRecord : prepared.replacing, entity, sink);
}

void writeCommonFields(const QxDbEntity& entity, FieldSink& sink)
{
    const PreparedKind& prepared = preparedOf(entity);
    writeFieldList(prepared.kind, prepared.common, entity, sink);
}

}  // namespace qx::dxf
