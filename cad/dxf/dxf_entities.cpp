#include "cad/dxf/dxf_entities.h"

#include <cmath>
#include <map>

#include "cad/db/database_impl.h"
#include "dbsymbols.h"
#include "dbtable.h"

namespace qx::dxf {

namespace {

constexpr double kDegrees = 180.0 / M_PI;

// Group numbers: the common ones first, then each kind's own from kFirst on.
enum Common { gLayer, gLinetype, gColor, gLtScale, gLineWeight, kFirst };

std::vector<FieldGroup> withCommon(std::vector<FieldGroup> own)
{
    std::vector<FieldGroup> groups = {{"AcDbEntity", {8}}, {"AcDbEntity", {6}}, {"AcDbEntity", {62, 420}},
                                      {"AcDbEntity", {48}}, {"AcDbEntity", {370}}};
    groups.insert(groups.end(), own.begin(), own.end());
    return groups;
}

const std::vector<int> kPoint10 = {10, 20, 30}, kPoint11 = {11, 21, 31}, kNormal = {210, 220, 230};

// Kind-specific group numbers, in the order of their tables below.
enum LineGroups { gLineStart = kFirst, gLineEnd, gLineThickness, gLineNormal };
enum CircleGroups { gCenter = kFirst, gRadius, gCircleThickness, gCircleNormal, gArcStart, gArcEnd };
enum PolylineGroups { gPlCount = kFirst, gPlFlags, gPlConstWidth, gPlElevation, gPlThickness, gPlVertices, gPlNormal };
enum SolidGroups { gCorners = kFirst, gSolidThickness, gSolidNormal };
enum PointGroups { gPosition = kFirst, gPointThickness, gPointNormal };
enum MTextGroups {
    gMtLocation = kFirst, gMtHeight, gMtWidth, gMtAttachment, gMtFlow, gMtText, gMtStyle, gMtDirection,
    gMtSpacingStyle, gMtSpacingFactor, gMtFill
};
enum TextGroups { gTxPosition = kFirst, gTxHeight, gTxValue, gTxRotation, gTxStyle, gAttTag };
enum InsertGroups { gInName = kFirst, gInPosition, gInScaleX, gInScaleY, gInScaleZ, gInRotation, gInNormal };

const std::map<std::u16string_view, std::vector<FieldGroup>>& kinds()
{
    static const std::map<std::u16string_view, std::vector<FieldGroup>> table = [] {
        std::map<std::u16string_view, std::vector<FieldGroup>> t;
        t[u"LINE"] = withCommon({{"AcDbLine", kPoint10}, {"AcDbLine", kPoint11}, {"AcDbLine", {39}}, {"AcDbLine", kNormal}});
        const std::vector<FieldGroup> circle = {
            {"AcDbCircle", kPoint10}, {"AcDbCircle", {40}}, {"AcDbCircle", {39}}, {"AcDbCircle", kNormal}};
        t[u"CIRCLE"] = withCommon(circle);
        auto arc = circle;
        arc.push_back({"AcDbArc", {50}});
        arc.push_back({"AcDbArc", {51}});
        t[u"ARC"] = withCommon(arc);
        t[u"LWPOLYLINE"] = withCommon({{"AcDbPolyline", {90}}, {"AcDbPolyline", {70}}, {"AcDbPolyline", {43}},
                                       {"AcDbPolyline", {38}}, {"AcDbPolyline", {39}},
                                       {"AcDbPolyline", {10, 20, 40, 41, 42, 91}}, {"AcDbPolyline", kNormal}});
        t[u"SOLID"] = withCommon({{"*", {10, 20, 30, 11, 21, 31, 12, 22, 32, 13, 23, 33}}, {"*", {39}}, {"*", kNormal}});
        t[u"POINT"] = withCommon({{"AcDbPoint", kPoint10}, {"AcDbPoint", {39}}, {"AcDbPoint", kNormal}});
        t[u"MTEXT"] = withCommon({{"AcDbMText", kPoint10}, {"AcDbMText", {40}}, {"AcDbMText", {41}},
                                  {"AcDbMText", {71}}, {"AcDbMText", {72}}, {"AcDbMText", {1, 3}},
                                  {"AcDbMText", {7}}, {"AcDbMText", {11, 21, 31, 50}}, {"AcDbMText", {73}},
                                  {"AcDbMText", {44}}, {"AcDbMText", {90}}});
        const std::vector<FieldGroup> text = {{"AcDbText", kPoint10}, {"AcDbText", {40}}, {"AcDbText", {1}},
                                              {"AcDbText", {50}}, {"AcDbText", {7}}};
        t[u"TEXT"] = withCommon(text);
        auto attrib = text;
        attrib.push_back({"AcDbAttribute", {2}});
        t[u"ATTRIB"] = withCommon(attrib);
        t[u"INSERT"] = withCommon({{"AcDbBlockReference", {2}}, {"AcDbBlockReference", kPoint10},
                                   {"AcDbBlockReference", {41}}, {"AcDbBlockReference", {42}},
                                   {"AcDbBlockReference", {43}}, {"AcDbBlockReference", {50}},
                                   {"AcDbBlockReference", kNormal}});
        t[u""] = withCommon({});
        return t;
    }();
    return table;
}

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
    int code() const { return m_inGroup && m_tag.code != 102 ? -1 : m_tag.code; }
    std::string_view subclass() const { return m_subclass; }
    bool inEmbeddedObject() const { return m_subclass == "101"; }

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
    // The record's header, once the rest of the record is walked.
    const RecordHeader& finish()
    {
        while (next()) {
        }
        return m_scan.header();
    }
    bool paperSpace = false;  // the entity belongs to the active paper-space layout

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

// The common entity data, found before the kind's own data.
bool readCommon(RecordReader& r, QxDbEntity& e)
{
    if (r.subclass() != "AcDbEntity" && !r.subclass().empty()) return false;
    switch (r.code()) {
    case 8: e.setLayer(r.text().c_str()); return true;
    case 6: e.setLinetype(r.text().c_str()); return true;
    case 62:
        // Negative: the layer is off; the colour is the absolute value.
        if (const auto v = r.integer(); v >= -257 && v <= 257) e.setColorIndex(static_cast<std::uint16_t>(std::abs(v)));
        return true;
    case 48: e.setLinetypeScale(r.real()); return true;
    case 370:
        // Values the host does not know stay in the file; the entity keeps "by layer".
        if (const auto v = r.integer(); v >= QxDb::kLnWtByLwDefault && v <= 211) e.setLineWeight(static_cast<QxDb::LineWeight>(v));
        return true;
    case 67: r.paperSpace = r.integer() == 1; return true;
    case 390: {
        // Read only: a changed entity keeps the pointer as the file had it.
        std::uint64_t h = 0;
        if (r.context().plotStyle && r.tag().toHandle(h)) {
            const std::u16string name = r.context().plotStyle(h);
            if (!name.empty()) e.setPlotStyleName(name.c_str());
        }
        return true;
    }
    default: return false;
    }
}

void setAxis(double& x, double& y, double& z, int code, int base, double value)
{
    if (code == base) x = value;
    else if (code == base + 10) y = value;
    else z = value;
}

QxDbEntity* readLine(RecordReader& r)
{
    auto* e = new QxDbLine;
    QxGePoint3d start, end;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        const int c = r.code();
        if (c == 10 || c == 20 || c == 30) setAxis(start.x, start.y, start.z, c, 10, r.real());
        else if (c == 11 || c == 21 || c == 31) setAxis(end.x, end.y, end.z, c, 11, r.real());
        else if (c == 39) e->setThickness(r.real());
        else if (c == 210 || c == 220 || c == 230) setAxis(normal.x, normal.y, normal.z, c, 210, r.real());
    }
    e->setStartPoint(start);
    e->setEndPoint(end);
    e->setNormal(normal);
    return e;
}

QxDbEntity* readCircleOrArc(RecordReader& r, bool arc)
{
    QxGePoint3d center;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    double radius = 0, thickness = 0, start = 0, end = 360;
    QxDbEntity* e = arc ? static_cast<QxDbEntity*>(new QxDbArc) : new QxDbCircle;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        const int c = r.code();
        if (c == 10 || c == 20 || c == 30) setAxis(center.x, center.y, center.z, c, 10, r.real());
        else if (c == 40) radius = r.real();
        else if (c == 39) thickness = r.real();
        else if (c == 50) start = r.real();
        else if (c == 51) end = r.real();
        else if (c == 210 || c == 220 || c == 230) setAxis(normal.x, normal.y, normal.z, c, 210, r.real());
    }
    center = toWcs(center, normal);
    if (arc) {
        auto* a = static_cast<QxDbArc*>(e);
        a->setCenter(center), a->setRadius(radius), a->setThickness(thickness), a->setNormal(normal);
        a->setStartAngle(start / kDegrees), a->setEndAngle(end / kDegrees);
    } else {
        auto* c = static_cast<QxDbCircle*>(e);
        c->setCenter(center), c->setRadius(radius), c->setThickness(thickness), c->setNormal(normal);
    }
    return e;
}

QxDbEntity* readPolyline(RecordReader& r)
{
    auto* e = new QxDbPolyline;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    std::vector<QxDbPolyline::Vertex> vertices;
    double constantWidth = -1;
    bool haveWidths = false;
    int flags = 0;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        switch (r.code()) {
        case 70: flags = static_cast<int>(r.integer()); break;
        case 43: constantWidth = r.real(); break;
        case 38: e->setElevation(r.real()); break;
        case 39: e->setThickness(r.real()); break;
        case 10: vertices.emplace_back().point.x = r.real(); break;
        case 20:
            if (!vertices.empty()) vertices.back().point.y = r.real();
            break;
        case 40:
            if (!vertices.empty()) vertices.back().startWidth = r.real(), haveWidths = true;
            break;
        case 41:
            if (!vertices.empty()) vertices.back().endWidth = r.real(), haveWidths = true;
            break;
        case 42:
            if (!vertices.empty()) vertices.back().bulge = r.real();
            break;
        case 210: case 220: case 230: setAxis(normal.x, normal.y, normal.z, r.code(), 210, r.real()); break;
        default: break;
        }
    }
    for (unsigned i = 0; i < vertices.size(); ++i) {
        const auto& v = vertices[i];
        e->addVertexAt(i, v.point, v.bulge, haveWidths ? v.startWidth : -1, haveWidths ? v.endWidth : -1);
    }
    if (constantWidth > 0 && !haveWidths) e->setConstantWidth(constantWidth);
    e->setClosed(flags & 1);
    e->setPlinegen(flags & 128);
    e->setNormal(normal);
    return e;
}

QxDbEntity* readSolid(RecordReader& r)
{
    auto* e = new QxDbSolid;
    QxGePoint3d corners[4];
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        const int c = r.code();
        if (c >= 10 && c <= 33 && c % 10 <= 3) {
            QxGePoint3d& p = corners[c % 10];
            setAxis(p.x, p.y, p.z, c, 10 + c % 10, r.real());
        } else if (c == 39) {
            e->setThickness(r.real());
        } else if (c == 210 || c == 220 || c == 230) {
            setAxis(normal.x, normal.y, normal.z, c, 210, r.real());
        }
    }
    for (std::uint16_t i = 0; i < 4; ++i) e->setPointAt(i, toWcs(corners[i], normal));
    e->setNormal(normal);
    return e;
}

QxDbEntity* readPoint(RecordReader& r)
{
    auto* e = new QxDbPoint;
    QxGePoint3d position;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        const int c = r.code();
        if (c == 10 || c == 20 || c == 30) setAxis(position.x, position.y, position.z, c, 10, r.real());
        else if (c == 39) e->setThickness(r.real());
        else if (c == 210 || c == 220 || c == 230) setAxis(normal.x, normal.y, normal.z, c, 210, r.real());
    }
    e->setPosition(position);
    e->setNormal(normal);
    return e;
}

QxDbEntity* readMText(RecordReader& r, const EntityContext& context)
{
    auto* e = new QxDbMText;
    QxGePoint3d location;
    QxGeVector3d direction;
    bool haveDirection = false, haveRotation = false;
    double rotationDegrees = 0;
    std::u16string chunks, last;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        if (r.subclass() != "AcDbMText") continue;
        switch (r.code()) {
        case 10: case 20: case 30: setAxis(location.x, location.y, location.z, r.code(), 10, r.real()); break;
        case 11: case 21: case 31:
            setAxis(direction.x, direction.y, direction.z, r.code(), 11, r.real());
            haveDirection = true;
            break;
        case 40: e->setTextHeight(r.real()); break;
        case 41: e->setWidth(r.real()); break;
        case 71:
            if (const auto v = r.integer(); v >= QxDbMText::kTopLeft && v <= QxDbMText::kBottomRight)
                e->setAttachment(static_cast<QxDbMText::AttachmentPoint>(v));
            break;
        case 72:
            if (const auto v = r.integer(); v >= QxDbMText::kLtoR && v <= QxDbMText::kByStyle)
                e->setFlowDirection(static_cast<QxDbMText::FlowDirection>(v));
            break;
        case 3: chunks += r.text(); break;
        case 1: last = r.text(); break;
        case 7: e->setTextStyle(context.textStyle(r.text())); break;
        case 50:
            if (!haveRotation) rotationDegrees = r.real(), haveRotation = true;  // a later 50 is column data
            break;
        case 73:
            if (const auto v = r.integer(); v == QxDb::kAtLeast || v == QxDb::kExactly)
                e->setLineSpacingStyle(static_cast<QxDb::LineSpacingStyle>(v));
            break;
        case 44: e->setLineSpacingFactor(r.real()); break;
        case 90: e->setBackgroundFill((r.integer() & 3) != 0); break;
        default: break;
        }
    }
    e->setLocation(location);
    std::u16string contents = chunks + last;
    decodeCaretNotation(contents);
    e->setContents(contents.c_str());
    if (haveDirection && !direction.isZeroLength()) e->setRotation(std::atan2(direction.y, direction.x));
    else e->setRotation(rotationDegrees / kDegrees);
    return e;
}

void readTextField(RecordReader& r, QxDbText& e, QxGePoint3d& position, QxGeVector3d& normal, const EntityContext& context)
{
    if (r.subclass() != "AcDbText" && !r.subclass().empty()) return;
    switch (r.code()) {
    case 10: case 20: case 30: setAxis(position.x, position.y, position.z, r.code(), 10, r.real()); break;
    case 40: e.setHeight(r.real()); break;
    case 1: {
        std::u16string value = r.text();
        decodeCaretNotation(value);
        e.setTextString(value.c_str());
        break;
    }
    case 50: e.setRotation(r.real() / kDegrees); break;
    case 7: e.setTextStyle(context.textStyle(r.text())); break;
    case 210: case 220: case 230: setAxis(normal.x, normal.y, normal.z, r.code(), 210, r.real()); break;
    default: break;
    }
}

QxDbEntity* readText(RecordReader& r, bool attribute, const EntityContext& context)
{
    QxDbText* e = attribute ? new QxDbAttribute : new QxDbText;
    QxGePoint3d position;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        if (attribute && r.code() == 2 && (r.subclass() == "AcDbAttribute" || r.subclass().empty()))
            static_cast<QxDbAttribute*>(e)->setTag(r.text().c_str());
        else if (!r.inEmbeddedObject())
            readTextField(r, *e, position, normal, context);
    }
    // Kept in the text's own plane as the file has it: the host does not place texts in 3D.
    (void)normal;
    e->setPosition(position);
    return e;
}

// The block reference part of INSERT and ACAD_TABLE records.
bool readReferenceField(RecordReader& r, QxDbBlockReference& e, QxGePoint3d& position, QxGeVector3d& normal,
                        QxGeScale3d& scale, const EntityContext& context)
{
    if (r.subclass() != "AcDbBlockReference" && !r.subclass().empty()) return false;
    switch (r.code()) {
    case 2: e.setBlockTableRecord(context.block(r.text())); return true;
    case 10: case 20: case 30: setAxis(position.x, position.y, position.z, r.code(), 10, r.real()); return true;
    case 41: scale.sx = r.real(); return true;
    case 42: scale.sy = r.real(); return true;
    case 43: scale.sz = r.real(); return true;
    case 50: e.setRotation(r.real() / kDegrees); return true;
    case 210: case 220: case 230: setAxis(normal.x, normal.y, normal.z, r.code(), 210, r.real()); return true;
    default: return false;
    }
}

QxDbEntity* readInsert(RecordReader& r, const EntityContext& context)
{
    auto* e = new QxDbBlockReference;
    QxGePoint3d position;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    QxGeScale3d scale;
    while (r.next()) {
        if (!readCommon(r, *e)) readReferenceField(r, *e, position, normal, scale, context);
    }
    e->setPosition(toWcs(position, normal));
    e->setNormal(normal);
    e->setScaleFactors(scale);
    return e;
}

// The cell list of a table: sizes, row heights, column widths, then per cell its type, merge,
// block and text. Older files carry the text in 1/2/3 right in the cell, newer ones in a value
// block whose 302 is the displayed text.
QxDbEntity* readTable(RecordReader& r, const DxfFile& file, const EntityContext& context)
{
    auto* e = new QxDbTable;
    QxGePoint3d position;
    QxGeVector3d normal = QxGeVector3d::kZAxis;
    QxGeScale3d scale;
    std::uint32_t rows = 0, columns = 0;
    std::vector<double> heights, widths;
    struct CellData {
        int type = 1;
        bool merged = false;
        bool autoFit = false;
        std::uint32_t columnSpan = 1, rowSpan = 1;
        QxDbObjectId block;
        std::u16string text, valueText;
        bool haveValueText = false;
    };
    std::vector<CellData> cells;
    bool inValue = false;
    const bool newer = file.versionNumber() >= 1021;
    while (r.next()) {
        if (readCommon(r, *e)) continue;
        if (readReferenceField(r, *e, position, normal, scale, context)) continue;
        if (r.subclass() != "AcDbTable") continue;
        const int c = r.code();
        if (cells.empty() && c != 171) {
            if (c == 91) rows = static_cast<std::uint32_t>(std::max<std::int64_t>(0, r.integer()));
            else if (c == 92) columns = static_cast<std::uint32_t>(std::max<std::int64_t>(0, r.integer()));
            else if (c == 141) heights.push_back(r.real());
            else if (c == 142) widths.push_back(r.real());
            continue;
        }
        if (c == 171) {
            // Room for the stated cells at once, as far as the record can hold them (a cell
            // takes at least one pair of six bytes): a table of a million cells grows no copies.
            if (cells.empty()) cells.reserve(std::min<std::uint64_t>(std::uint64_t(rows) * columns, r.recordSize() / 6));
            cells.emplace_back().type = static_cast<int>(r.integer());
            inValue = false;
            continue;
        }
        CellData& cell = cells.back();
        if (c == 301) inValue = true;
        else if (c == 304) inValue = false;
        else if (inValue) {
            if (c == 302) cell.valueText = r.text(), cell.haveValueText = true;
            else if (c == 1 && !cell.haveValueText) cell.valueText = r.text();
        } else if (c == 173) cell.merged = r.integer() != 0;
        else if (c == 174) cell.autoFit = r.integer() != 0;
        else if (c == 175) cell.columnSpan = static_cast<std::uint32_t>(std::max<std::int64_t>(1, r.integer()));
        else if (c == 176) cell.rowSpan = static_cast<std::uint32_t>(std::max<std::int64_t>(1, r.integer()));
        else if (c == 340) {
            std::uint64_t h = 0;
            if (r.tag().toHandle(h)) cell.block = context.byHandle(h);
        } else if (!newer && (c == 2 || c == 3)) cell.text += r.text();
        else if (!newer && c == 1) cell.text += r.text();
    }
    e->setPosition(toWcs(position, normal));
    e->setNormal(normal);
    e->setScaleFactors(scale);
    // A file may state fewer cells than rows x columns; what is missing stays empty. A grid as
    // large as the cells the record lists is always made: tables of millions of cells are
    // written (by this host too). One claiming far more cells than it lists would take memory
    // the file does not justify: the file is refused, as a table read empty would be lost on
    // the next save.
    const std::uint64_t cellCount = std::uint64_t(rows) * columns;
    if (cellCount > std::max<std::uint64_t>(kUnlistedTableCells, cells.size())) {
        r.refuse("ACAD_TABLE of " + std::to_string(rows) + " rows x " + std::to_string(columns) + " columns lists only " +
                 std::to_string(cells.size()) + " cells; a table this large is read only when its cells are in the file");
        return e;
    }
    if (rows && columns) {
        e->setSize(rows, columns);
        for (std::uint32_t i = 0; i < rows && i < heights.size(); ++i) e->setRowHeight(i, heights[i]);
        for (std::uint32_t j = 0; j < columns && j < widths.size(); ++j) e->setColumnWidth(j, widths[j]);
        for (std::size_t k = 0; k < cells.size() && k < cellCount; ++k) {
            const auto row = static_cast<std::uint32_t>(k / columns), column = static_cast<std::uint32_t>(k % columns);
            const CellData& cell = cells[k];
            if (cell.type == 2) {
                if (!cell.block.isNull()) e->setBlockTableRecordId(row, column, cell.block, cell.autoFit);
            } else if (!cell.merged) {
                std::u16string text = newer ? cell.valueText : cell.text;
                decodeCaretNotation(text);
                if (!text.empty()) e->setTextString(row, column, text.c_str());
            }
        }
        for (std::size_t k = 0; k < cells.size() && k < cellCount; ++k) {
            const CellData& cell = cells[k];
            if (cell.merged || (cell.rowSpan == 1 && cell.columnSpan == 1)) continue;
            const auto row = static_cast<std::uint32_t>(k / columns), column = static_cast<std::uint32_t>(k % columns);
            e->mergeCells(row, std::min(rows - 1, row + cell.rowSpan - 1), column,
                          std::min(columns - 1, column + cell.columnSpan - 1));
        }
    }
    return e;
}

QxDbEntity* readCommonOnly(RecordReader& r, QxDbEntity* e)
{
    while (r.next()) readCommon(r, *e);
    return e;
}

std::u16string nameOf(QxDbObjectId id)
{
    const auto* record = QxDbSymbolTableRecord::cast(qx::peekObject(id));
    return record ? record->name() : std::u16string();
}

void emitNormal(int group, const QxGeVector3d& n, FieldSink& s)
{
    if (n != QxGeVector3d::kZAxis) s.point(group, 210, n.x, n.y, n.z);
}

void emitThickness(int group, double thickness, FieldSink& s)
{
    if (thickness != 0) s.real(group, 39, thickness);
}

void emitPolyline(const QxDbPolyline& e, FieldSink& s)
{
    s.integer(gPlCount, 90, e.numVerts());
    s.integer(gPlFlags, 70, (e.isClosed() ? 1 : 0) | (e.hasPlinegen() ? 128 : 0));
    double constant = 0;
    const bool isConstant = e.getConstantWidth(constant) == Qxapp::eOk;
    if (isConstant) s.real(gPlConstWidth, 43, constant);
    if (e.elevation() != 0) s.real(gPlElevation, 38, e.elevation());
    emitThickness(gPlThickness, e.thickness(), s);
    for (unsigned i = 0; i < e.numVerts(); ++i) {
        QxGePoint2d p;
        double bulge = 0, startWidth = 0, endWidth = 0;
        e.getPointAt(i, p);
        e.getBulgeAt(i, bulge);
        e.getWidthsAt(i, startWidth, endWidth);
        s.real(gPlVertices, 10, p.x);
        s.real(gPlVertices, 20, p.y);
        if (!isConstant) {
            s.real(gPlVertices, 40, startWidth);
            s.real(gPlVertices, 41, endWidth);
        }
        if (bulge != 0) s.real(gPlVertices, 42, bulge);
    }
    emitNormal(gPlNormal, e.normal(), s);
}

// MTEXT text goes in 250-character chunks (3) and a final remainder (1), never cutting an
// escape or a surrogate pair. Line breaks become \P before the text is cut.
void emitMTextContents(const std::u16string& text, FieldSink& s)
{
    const std::u16string escaped = escapeText(text, TextRole::Formatted);
    const auto chunks = textChunks(escaped, kTextChunk);
    for (std::size_t k = 0; k + 1 < chunks.size(); ++k) s.text(gMtText, 3, chunks[k], TextRole::Verbatim);
    s.text(gMtText, 1, chunks.back(), TextRole::Verbatim);
}

void emitText(const QxDbText& e, FieldSink& s)
{
    // TEXT positions are in the entity's own plane; the host keeps them in the world, and only
    // texts lying in the XY plane are written (the normal is not a text property here).
    const QxGePoint3d p = e.position();
    s.point(gTxPosition, 10, p.x, p.y, p.z);
    s.real(gTxHeight, 40, e.height());
    s.text(gTxValue, 1, e.textString(), TextRole::Plain);
    if (e.rotation() != 0) s.real(gTxRotation, 50, e.rotation() * kDegrees);
    if (!e.textStyle().isNull()) s.text(gTxStyle, 7, nameOf(e.textStyle()), TextRole::Verbatim);
}

}  // namespace

// The common data, written only where it differs from what a reader assumes.
void emitCommon(const QxDbEntity& e, FieldSink& s)
{
    s.text(gLayer, 8, e.layer(), TextRole::Verbatim);
    const std::u16string linetype = e.linetype();
    if (linetype != u"ByLayer") s.text(gLinetype, 6, linetype, TextRole::Verbatim);
    if (e.colorIndex() != 256) s.integer(gColor, 62, e.colorIndex());
    if (e.linetypeScale() != 1.0) s.real(gLtScale, 48, e.linetypeScale());
    if (e.lineWeight() != QxDb::kLnWtByLayer) s.integer(gLineWeight, 370, e.lineWeight());
}

const std::vector<FieldGroup>& fieldGroups(std::u16string_view dxfType)
{
    const auto& table = kinds();
    const auto it = table.find(dxfType);
    return it != table.end() ? it->second : table.at(u"");
}

bool isMappedKind(std::string_view type)
{
    static constexpr std::string_view kMapped[] = {"LINE", "LWPOLYLINE", "ARC", "CIRCLE", "SOLID", "3DSOLID",
                                                   "POINT", "MTEXT", "INSERT", "ATTRIB", "TEXT", "ACAD_TABLE"};
    for (auto k : kMapped)
        if (k == type) return true;
    return false;
}

EntityRead readEntity(const DxfFile& file, std::size_t record, const EntityContext& context, DxfError& error)
{
    RecordReader r(file, record, context, error);
    const std::string_view type = file.recordType(record);
    QxDbEntity* e = nullptr;
    if (type == "LINE") e = readLine(r);
    else if (type == "CIRCLE") e = readCircleOrArc(r, false);
    else if (type == "ARC") e = readCircleOrArc(r, true);
    else if (type == "LWPOLYLINE") e = readPolyline(r);
    else if (type == "SOLID") e = readSolid(r);
    else if (type == "POINT") e = readPoint(r);
    else if (type == "MTEXT") e = readMText(r, context);
    else if (type == "TEXT") e = readText(r, false, context);
    else if (type == "ATTRIB") e = readText(r, true, context);
    else if (type == "INSERT") e = readInsert(r, context);
    else if (type == "ACAD_TABLE") e = readTable(r, file, context);
    else if (type == "3DSOLID") e = readCommonOnly(r, new QxDb3dSolid);
    else e = readCommonOnly(r, new QxDbUnknownEntity(file.decode(type)));
    if (r.failed()) {
        delete e;
        return {};
    }
    EntityRead read;
    read.header = r.finish();
    read.entity = e;
    read.paperSpace = r.paperSpace;
    return read;
}

void emitEntity(const QxDbEntity& entity, FieldSink& s)
{
    emitCommon(entity, s);
    if (const auto* e = QxDbLine::cast(&entity)) {
        const QxGePoint3d a = e->startPoint(), b = e->endPoint();
        s.point(gLineStart, 10, a.x, a.y, a.z);
        s.point(gLineEnd, 11, b.x, b.y, b.z);
        emitThickness(gLineThickness, e->thickness(), s);
        emitNormal(gLineNormal, e->normal(), s);
    } else if (const auto* e = QxDbArc::cast(&entity)) {
        const QxGePoint3d c = toOcs(e->center(), e->normal());
        s.point(gCenter, 10, c.x, c.y, c.z);
        s.real(gRadius, 40, e->radius());
        emitThickness(gCircleThickness, e->thickness(), s);
        emitNormal(gCircleNormal, e->normal(), s);
        s.real(gArcStart, 50, e->startAngle() * kDegrees);
        s.real(gArcEnd, 51, e->endAngle() * kDegrees);
    } else if (const auto* e = QxDbCircle::cast(&entity)) {
        const QxGePoint3d c = toOcs(e->center(), e->normal());
        s.point(gCenter, 10, c.x, c.y, c.z);
        s.real(gRadius, 40, e->radius());
        emitThickness(gCircleThickness, e->thickness(), s);
        emitNormal(gCircleNormal, e->normal(), s);
    } else if (const auto* e = QxDbPolyline::cast(&entity)) {
        emitPolyline(*e, s);
    } else if (const auto* e = QxDbSolid::cast(&entity)) {
        for (std::uint16_t i = 0; i < 4; ++i) {
            QxGePoint3d p;
            e->getPointAt(i, p);
            p = toOcs(p, e->normal());
            s.point(gCorners, 10 + i, p.x, p.y, p.z);
        }
        emitThickness(gSolidThickness, e->thickness(), s);
        emitNormal(gSolidNormal, e->normal(), s);
    } else if (const auto* e = QxDbPoint::cast(&entity)) {
        const QxGePoint3d p = e->position();
        s.point(gPosition, 10, p.x, p.y, p.z);
        emitThickness(gPointThickness, e->thickness(), s);
        emitNormal(gPointNormal, e->normal(), s);
    } else if (const auto* e = QxDbMText::cast(&entity)) {
        const QxGePoint3d p = e->location();
        s.point(gMtLocation, 10, p.x, p.y, p.z);
        s.real(gMtHeight, 40, e->textHeight());
        s.real(gMtWidth, 41, e->width());
        s.integer(gMtAttachment, 71, e->attachment());
        s.integer(gMtFlow, 72, e->flowDirection());
        emitMTextContents(e->contents(), s);
        if (!e->textStyle().isNull()) s.text(gMtStyle, 7, nameOf(e->textStyle()), TextRole::Verbatim);
        if (e->rotation() != 0) s.point(gMtDirection, 11, std::cos(e->rotation()), std::sin(e->rotation()), 0);
        if (e->lineSpacingStyle() != QxDb::kAtLeast) s.integer(gMtSpacingStyle, 73, e->lineSpacingStyle());
        if (e->lineSpacingFactor() != 1.0) s.real(gMtSpacingFactor, 44, e->lineSpacingFactor());
        if (e->backgroundFillOn()) s.integer(gMtFill, 90, 2);  // fill with the window colour
    } else if (const auto* e = QxDbAttribute::cast(&entity)) {
        emitText(*e, s);
        s.text(gAttTag, 2, e->tag(), TextRole::Verbatim);
    } else if (const auto* e = QxDbText::cast(&entity)) {
        emitText(*e, s);
    } else if (const auto* e = QxDbBlockReference::cast(&entity)) {
        if (QxDbTable::cast(&entity)) return;  // a table is written whole, see the table writer
        const QxGePoint3d p = toOcs(e->position(), e->normal());
        s.text(gInName, 2, nameOf(e->blockTableRecord()), TextRole::Verbatim);
        s.point(gInPosition, 10, p.x, p.y, p.z);
        const QxGeScale3d scale = e->scaleFactors();
        if (scale.sx != 1) s.real(gInScaleX, 41, scale.sx);
        if (scale.sy != 1) s.real(gInScaleY, 42, scale.sy);
        if (scale.sz != 1) s.real(gInScaleZ, 43, scale.sz);
        if (e->rotation() != 0) s.real(gInRotation, 50, e->rotation() * kDegrees);
        emitNormal(gInNormal, e->normal(), s);
    }
}

}  // namespace qx::dxf
