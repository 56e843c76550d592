#include "cad/editor/db_builtins.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "cad/db/entity_copy.h"
#include "cad/db/intern.h"
#include "cad/editor/console.h"
#include "cad/editor/selection.h"
#include "host/qxhost.h"

namespace qx {

namespace {

QxGeMatrix3d translation(const QxGeVector3d& offset)
{
    QxGeMatrix3d move;
    move.entry[0][3] = offset.x;
    move.entry[1][3] = offset.y;
    move.entry[2][3] = offset.z;
    return move;
}

std::u16string ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::u16string number(double v)
{
    if (std::fabs(v) < 1e-12) v = 0;
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 10);
    return ascii(std::string_view(buffer, end - buffer));
}

std::u16string point(const QxGePoint3d& p) { return number(p.x) + u',' + number(p.y) + u',' + number(p.z); }

std::u16string colorText(std::uint16_t index)
{
    return index == 256 ? u"ByLayer" : index == 0 ? u"ByBlock" : ascii(std::to_string(index));
}

std::u16string lineWeightText(QxDb::LineWeight w)
{
    switch (w) {
    case QxDb::kLnWtByLayer: return u"ByLayer";
    case QxDb::kLnWtByBlock: return u"ByBlock";
    case QxDb::kLnWtByLwDefault: return u"Default";
    default: return ascii(std::to_string(static_cast<int>(w)));
    }
}

std::u16string_view trimmed(std::u16string_view s)
{
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}

// Splits off the first word of `rest`.
std::u16string_view nextWord(std::u16string_view& rest)
{
    rest = trimmed(rest);
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != u' ' && rest[end] != u'\t') ++end;
    const std::u16string_view word = rest.substr(0, end);
    rest = trimmed(rest.substr(end));
    return word;
}

std::u16string unquoted(std::u16string_view s)
{
    s = trimmed(s);
    if (s.size() >= 2 && s.front() == u'"' && s.back() == u'"') s = s.substr(1, s.size() - 2);
    return std::u16string(s);
}

bool fail(std::u16string_view command, std::u16string_view message)
{
    printLine(std::u16string(command) + u": " + std::u16string(message));
    return false;
}

bool failStatus(std::u16string_view command, std::u16string_view what, Qxapp::ErrorStatus es)
{
    return fail(command, std::u16string(what) + u" (" + statusName(es) + u").");
}

QxDbDatabase* workingDatabase() { return qxdbHostApplicationServices()->workingDatabase(); }

// The id of the object named by a handle text, or a message.
bool findObject(std::u16string_view command, std::u16string_view handleText, QxDbObjectId& id)
{
    QxDbDatabase* db = workingDatabase();
    if (!db) return fail(command, u"no drawing is open.");
    const auto handle = parseHandle(handleText);
    id = handle ? db->getObjectId(QxDbHandle(*handle)) : QxDbObjectId();
    if (id.isNull()) return fail(command, u"no object has the handle " + std::u16string(handleText) + u".");
    return true;
}

std::optional<double> parseReal(std::u16string_view text)
{
    const auto p = parsePoint(std::u16string(text) + u",0");
    if (!p) return std::nullopt;
    return p->x;
}

// LIST ---------------------------------------------------------------------------------

using Properties = std::vector<std::pair<std::u16string, std::u16string>>;

std::u16string blockName(QxDbObjectId id)
{
    QxDbBlockTableRecord* record = nullptr;
    if (qxdbOpenObject(record, id, QxDb::kForRead) != Qxapp::eOk) return u"?";
    std::u16string name = record->name();
    record->close();
    return name;
}

void addCurveProperties(const QxDbCurve& curve, Properties& p)
{
    double value = 0, end = 0;
    if (curve.getEndParam(end) == Qxapp::eOk && curve.getDistAtParam(end, value) == Qxapp::eOk)
        p.emplace_back(u"Length", number(value));
    if (curve.getArea(value) == Qxapp::eOk) p.emplace_back(u"Area", number(value));
    p.emplace_back(u"Closed", curve.isClosed() ? u"yes" : u"no");
}

Properties describe(const QxDbObject& object)
{
    Properties p;
    if (const auto* record = QxDbSymbolTableRecord::cast(&object)) p.emplace_back(u"Name", record->name());
    if (const auto* table = QxDbSymbolTable::cast(&object)) {
        std::u16string names;
        for (const QxDbObjectId& id : table->recordIds()) {
            const QxDbSymbolTableRecord* record = nullptr;
            QxDbObject* opened = nullptr;
            if (qxdbOpenObject(opened, id, QxDb::kForRead) != Qxapp::eOk) continue;
            if ((record = QxDbSymbolTableRecord::cast(opened))) names += (names.empty() ? u"" : u", ") + record->name();
            opened->close();
        }
        p.emplace_back(u"Records", names);
    }
    if (const auto* dictionary = QxDbDictionary::cast(&object)) {
        for (const auto& [name, id] : dictionary->entries()) p.emplace_back(u"Entry " + name, id.handle().ascii());
    }
    const auto* e = QxDbEntity::cast(&object);
    if (!e) return p;
    p.emplace_back(u"Layer", e->layer());
    p.emplace_back(u"Color", colorText(e->colorIndex()));
    p.emplace_back(u"Linetype", e->linetype());
    p.emplace_back(u"Linetype scale", number(e->linetypeScale()));
    p.emplace_back(u"Lineweight", lineWeightText(e->lineWeight()));
    p.emplace_back(u"Plot style", e->plotStyleName());
    if (const auto* line = QxDbLine::cast(e)) {
        p.emplace_back(u"Start", point(line->startPoint()));
        p.emplace_back(u"End", point(line->endPoint()));
        p.emplace_back(u"Thickness", number(line->thickness()));
        addCurveProperties(*line, p);
    } else if (const auto* pl = QxDbPolyline::cast(e)) {
        for (unsigned int i = 0; i < pl->numVerts(); ++i) {
            QxGePoint2d v;
            double bulge = 0;
            pl->getPointAt(i, v);
            pl->getBulgeAt(i, bulge);
            p.emplace_back(u"Vertex " + ascii(std::to_string(i)),
                           number(v.x) + u',' + number(v.y) + (bulge != 0 ? u" bulge " + number(bulge) : u""));
        }
        p.emplace_back(u"Elevation", number(pl->elevation()));
        p.emplace_back(u"Thickness", number(pl->thickness()));
        addCurveProperties(*pl, p);
    } else if (const auto* circle = QxDbCircle::cast(e)) {
        p.emplace_back(u"Center", point(circle->center()));
        p.emplace_back(u"Radius", number(circle->radius()));
        p.emplace_back(u"Thickness", number(circle->thickness()));
        addCurveProperties(*circle, p);
    } else if (const auto* arc = QxDbArc::cast(e)) {
        p.emplace_back(u"Center", point(arc->center()));
        p.emplace_back(u"Radius", number(arc->radius()));
        p.emplace_back(u"Start angle", number(arc->startAngle()));
        p.emplace_back(u"End angle", number(arc->endAngle()));
        p.emplace_back(u"Thickness", number(arc->thickness()));
        addCurveProperties(*arc, p);
    } else if (const auto* solid = QxDbSolid::cast(e)) {
        for (std::uint16_t i = 0; i < 4; ++i) {
            QxGePoint3d corner;
            solid->getPointAt(i, corner);
            p.emplace_back(u"Corner " + ascii(std::to_string(i)), point(corner));
        }
        p.emplace_back(u"Thickness", number(solid->thickness()));
    } else if (const auto* pt = QxDbPoint::cast(e)) {
        p.emplace_back(u"Position", point(pt->position()));
        p.emplace_back(u"Thickness", number(pt->thickness()));
    } else if (const auto* mtext = QxDbMText::cast(e)) {
        p.emplace_back(u"Location", point(mtext->location()));
        p.emplace_back(u"Contents", mtext->contents());
        p.emplace_back(u"Text", mtext->text());
        p.emplace_back(u"Height", number(mtext->textHeight()));
        p.emplace_back(u"Width", number(mtext->width()));
    } else if (const auto* attribute = QxDbAttribute::cast(e)) {
        p.emplace_back(u"Tag", attribute->tag());
        p.emplace_back(u"Value", attribute->textString());
        p.emplace_back(u"Position", point(attribute->position()));
    } else if (const auto* text = QxDbText::cast(e)) {
        p.emplace_back(u"Text", text->textString());
        p.emplace_back(u"Position", point(text->position()));
        p.emplace_back(u"Height", number(text->height()));
    } else if (const auto* table = QxDbTable::cast(e)) {
        p.emplace_back(u"Position", point(table->position()));
        p.emplace_back(u"Size", ascii(std::to_string(table->numRows())) + u" rows, " +
                                    ascii(std::to_string(table->numColumns())) + u" columns");
        for (std::uint32_t r = 0; r < table->numRows(); ++r) {
            std::u16string row;
            for (std::uint32_t c = 0; c < table->numColumns(); ++c) {
                if (c) row += u" | ";
                const QxDbTable::Cell* cell = table->cell(r, c);
                if (cell->merged) row += u"~";
                else if (cell->type == QxDb::kBlockCell) row += u"[block " + blockName(cell->block) + u"]";
                else row += cell->text;
            }
            p.emplace_back(u"Row " + ascii(std::to_string(r)), row);
        }
    } else if (const auto* reference = QxDbBlockReference::cast(e)) {
        p.emplace_back(u"Block", blockName(reference->blockTableRecord()));
        p.emplace_back(u"Position", point(reference->position()));
        p.emplace_back(u"Rotation", number(reference->rotation()));
        const QxGeScale3d s = reference->scaleFactors();
        p.emplace_back(u"Scale", number(s.sx) + u',' + number(s.sy) + u',' + number(s.sz));
        for (const QxDbObjectId& id : reference->attributeIds()) {
            QxDbAttribute* attribute = nullptr;
            if (reference->openAttribute(attribute, id, QxDb::kForRead) != Qxapp::eOk) continue;
            p.emplace_back(u"Attribute " + attribute->tag(), attribute->textString());
            attribute->close();
        }
        for (const auto& d : reference->dynamicProperties())
            p.emplace_back(u"Dynamic " + d.name, d.restype == 1 ? d.text : d.restype == 40 ? number(d.real)
                                                                            : ascii(std::to_string(d.integer)));
    }
    return p;
}

std::u16string xdataValue(const qxresbuf* rb)
{
    switch (qxutRbKind(rb->restype)) {
    case QxRbKind::String: return rb->resval.rstring ? rb->resval.rstring : u"";
    case QxRbKind::Real: return number(rb->resval.rreal);
    case QxRbKind::Point:
        return point({rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]});
    case QxRbKind::Short: return ascii(std::to_string(rb->resval.rint));
    case QxRbKind::Long: return ascii(std::to_string(rb->resval.rlong));
    case QxRbKind::Binary: return u"(" + ascii(std::to_string(rb->resval.rbinary.clen)) + u" bytes)";
    default: return u"";
    }
}

bool listObject(std::u16string_view arguments)
{
    QxDbObjectId id;
    std::u16string_view rest = arguments;
    const auto handleText = nextWord(rest);
    if (handleText.empty()) return fail(u"LIST", u"give the handle of an object.");
    if (!rest.empty()) return fail(u"LIST", u"give one handle.");
    if (!findObject(u"LIST", handleText, id)) return false;
    QxDbObject* object = nullptr;
    const Qxapp::ErrorStatus es = qxdbOpenObject(object, id, QxDb::kForRead, true);
    if (es != Qxapp::eOk) return failStatus(u"LIST", u"cannot open " + std::u16string(handleText), es);
    QxDbObjectCloser<QxDbObject> closer(object);

    std::u16string head = object->dxfTypeName();
    if (head.empty()) head = object->isA()->name();
    head += u" " + object->handle().ascii();
    if (object->isErased()) head += u" (erased)";
    printLine(head);
    for (const auto& [name, value] : describe(*object)) printLine(u"  " + name + u": " + value);

    qxresbuf* xdata = object->xData();
    std::u16string line;
    for (const qxresbuf* rb = xdata; rb; rb = rb->rbnext) {
        if (rb->restype == 1001) {
            if (!line.empty()) printLine(line);
            line = u"  Extended data " + xdataValue(rb) + u":";
            continue;
        }
        line += u" " + ascii(std::to_string(rb->restype)) + u"=" + xdataValue(rb);
    }
    if (!line.empty()) printLine(line);
    qxutRelRb(xdata);
    return true;
}

// ERASE --------------------------------------------------------------------------------

bool eraseObjects(std::u16string_view arguments)
{
    std::u16string_view rest = arguments;
    if (trimmed(rest).empty()) return fail(u"ERASE", u"give the handles of the objects to erase.");
    bool ok = true;
    while (!rest.empty()) {
        const auto handleText = nextWord(rest);
        QxDbObjectId id;
        if (!findObject(u"ERASE", handleText, id)) {
            ok = false;
            continue;
        }
        QxDbEntity* entity = nullptr;
        Qxapp::ErrorStatus es = qxdbOpenQxDbEntity(entity, id, QxDb::kForWrite);
        if (es == Qxapp::eOk) {
            es = entity->erase();
            entity->close();
        }
        if (es != Qxapp::eOk) {
            ok = failStatus(u"ERASE", u"cannot erase " + std::u16string(handleText), es);
            continue;
        }
        printLine(u"Erased " + id.handle().ascii());
    }
    return ok;
}

// SETPROP ------------------------------------------------------------------------------

Qxapp::ErrorStatus setAttributeValue(QxDbBlockReference& reference, std::u16string_view tag, const std::u16string& value,
                                     bool& found)
{
    found = false;
    Qxapp::ErrorStatus unreadable = Qxapp::eOk;
    for (const QxDbObjectId& id : reference.attributeIds()) {
        QxDbAttribute* attribute = nullptr;
        const Qxapp::ErrorStatus opened = reference.openAttribute(attribute, id, QxDb::kForRead);
        if (opened != Qxapp::eOk) {
            unreadable = opened;  // maybe the one asked for: say why it could not be changed
            continue;
        }
        QxDbObjectCloser<QxDbAttribute> closer(attribute);
        if (!equalsIgnoringCase(attribute->tag(), tag)) continue;
        found = true;
        const Qxapp::ErrorStatus es = attribute->upgradeOpen();
        return es == Qxapp::eOk ? attribute->setTextString(value.c_str()) : es;
    }
    found = unreadable != Qxapp::eOk;
    return found ? unreadable : Qxapp::eKeyNotFound;
}

bool symbolExists(QxDbObjectId tableId, const std::u16string& name)
{
    QxDbSymbolTable* table = nullptr;
    if (qxdbOpenObject(table, tableId, QxDb::kForRead) != Qxapp::eOk) return false;
    const bool has = table->has(name.c_str());
    table->close();
    return has;
}

bool setProperty(std::u16string_view arguments)
{
    constexpr std::u16string_view cmd = u"SETPROP";
    std::u16string_view rest = arguments;
    const auto handleText = nextWord(rest);
    const std::u16string property = foldName(nextWord(rest));
    if (handleText.empty() || property.empty()) return fail(cmd, u"give a handle, a property and a value.");
    QxDbObjectId id;
    if (!findObject(cmd, handleText, id)) return false;

    QxDbEntity* entity = nullptr;
    Qxapp::ErrorStatus es = qxdbOpenQxDbEntity(entity, id, QxDb::kForWrite);
    if (es == Qxapp::eWrongObjectType) return fail(cmd, std::u16string(handleText) + u" is not a drawing entity.");
    if (es != Qxapp::eOk) return failStatus(cmd, u"cannot open " + std::u16string(handleText) + u" for write", es);
    QxDbObjectCloser<QxDbEntity> closer(entity);
    QxDbDatabase* db = entity->database();

    if (property == u"CELL") {
        auto* table = QxDbTable::cast(entity);
        if (!table) return fail(cmd, u"the object is not a table.");
        const auto where = nextWord(rest);
        const auto rc = parsePoint(where);
        if (!rc || rc->x < 0 || rc->y < 0 || rc->x != std::floor(rc->x) || rc->y != std::floor(rc->y))
            return fail(cmd, u"give the cell as row,column.");
        es = table->setTextString(static_cast<std::uint32_t>(rc->x), static_cast<std::uint32_t>(rc->y),
                                  unquoted(rest).c_str());
        if (es != Qxapp::eOk) return failStatus(cmd, u"cannot set the cell " + std::u16string(where), es);
        return true;
    }

    const std::u16string value = unquoted(rest);
    if (value.empty()) return fail(cmd, u"give a value.");
    auto needNumber = [&](double& out) {
        const auto v = parseReal(value);
        if (v) out = *v;
        return v.has_value();
    };
    double real = 0;
    bool known = true;

    if (property == u"LAYER") {
        if (!symbolExists(db->layerTableId(), value)) return fail(cmd, u"no layer is named " + value + u".");
        es = entity->setLayer(value.c_str());
    } else if (property == u"COLOR" || property == u"COLOUR") {
        const std::u16string folded = foldName(value);
        if (folded == u"BYLAYER") es = entity->setColorIndex(256);
        else if (folded == u"BYBLOCK") es = entity->setColorIndex(0);
        else if (needNumber(real) && real == std::floor(real) && real >= 0 && real <= 256)
            es = entity->setColorIndex(static_cast<std::uint16_t>(real));
        else return fail(cmd, u"a colour is ByLayer, ByBlock or a number from 0 to 256.");
    } else if (property == u"LINETYPE") {
        if (!symbolExists(db->linetypeTableId(), value)) return fail(cmd, u"no linetype is named " + value + u".");
        es = entity->setLinetype(value.c_str());
    } else if (property == u"LINEWEIGHT") {
        const std::u16string folded = foldName(value);
        if (folded == u"BYLAYER") es = entity->setLineWeight(QxDb::kLnWtByLayer);
        else if (folded == u"BYBLOCK") es = entity->setLineWeight(QxDb::kLnWtByBlock);
        else if (folded == u"DEFAULT") es = entity->setLineWeight(QxDb::kLnWtByLwDefault);
        else if (needNumber(real) && real == std::floor(real) && real >= 0 && real <= 211)
            es = entity->setLineWeight(static_cast<QxDb::LineWeight>(static_cast<int>(real)));
        else return fail(cmd, u"a lineweight is ByLayer, ByBlock, Default or hundredths of a millimetre (0 to 211).");
    } else if (property == u"THICKNESS") {
        if (!needNumber(real)) return fail(cmd, u"the thickness is a number.");
        if (auto* o = QxDbLine::cast(entity)) es = o->setThickness(real);
        else if (auto* o = QxDbPolyline::cast(entity)) es = o->setThickness(real);
        else if (auto* o = QxDbCircle::cast(entity)) es = o->setThickness(real);
        else if (auto* o = QxDbArc::cast(entity)) es = o->setThickness(real);
        else if (auto* o = QxDbSolid::cast(entity)) es = o->setThickness(real);
        else if (auto* o = QxDbPoint::cast(entity)) es = o->setThickness(real);
        else known = false;
    } else if (property == u"POSITION") {
        const auto p = parsePoint(value);
        if (!p) return fail(cmd, u"the position is x,y or x,y,z.");
        if (auto* o = QxDbPoint::cast(entity)) es = o->setPosition(*p);
        else if (auto* o = QxDbBlockReference::cast(entity)) es = o->setPosition(*p);
        else if (auto* o = QxDbMText::cast(entity)) es = o->setLocation(*p);
        else if (auto* o = QxDbText::cast(entity)) es = o->transformBy(translation(*p - o->position()));
        else if (auto* o = QxDbCircle::cast(entity)) es = o->setCenter(*p);
        else if (auto* o = QxDbArc::cast(entity)) es = o->setCenter(*p);
        else known = false;
    } else if (property == u"RADIUS") {
        if (!needNumber(real) || !(real > 0)) return fail(cmd, u"the radius is a positive number.");
        if (auto* o = QxDbCircle::cast(entity)) es = o->setRadius(real);
        else if (auto* o = QxDbArc::cast(entity)) es = o->setRadius(real);
        else known = false;
    } else if (property == u"TEXT" || property == u"VALUE") {
        if (auto* o = QxDbMText::cast(entity)) es = o->setContents(value.c_str());
        else if (auto* o = QxDbText::cast(entity)) es = o->setTextString(value.c_str());
        else known = false;
    } else {
        known = false;
    }
    if (!known) {
        // A block reference's attribute, by its tag.
        if (auto* reference = QxDbBlockReference::cast(entity)) {
            bool found = false;
            es = setAttributeValue(*reference, property, value, found);
            known = found;
        }
    }
    if (!known) return fail(cmd, u"a " + entity->dxfTypeName() + u" has no property " + property + u".");
    if (es != Qxapp::eOk) return failStatus(cmd, u"cannot set " + property, es);
    return true;
}

// COPY ---------------------------------------------------------------------------------

bool copyObject(std::u16string_view arguments)
{
    constexpr std::u16string_view cmd = u"COPY";
    std::u16string_view rest = arguments;
    const auto handleText = nextWord(rest);
    const auto offset = parsePoint(nextWord(rest));
    if (handleText.empty() || !offset || !rest.empty()) return fail(cmd, u"give a handle and a displacement dx,dy.");
    QxDbObjectId id;
    if (!findObject(cmd, handleText, id)) return false;
    QxDbObjectId copy;
    const Qxapp::ErrorStatus es = copyEntity(id, translation(*offset - QxGePoint3d::kOrigin), copy);
    if (es != Qxapp::eOk) return failStatus(cmd, u"cannot copy " + std::u16string(handleText), es);
    printLine(u"Copied " + id.handle().ascii() + u" as " + copy.handle().ascii());
    return true;
}

}  // namespace

void registerDatabaseBuiltins()
{
    registerBuiltin(u"LIST", u"LIST handle: the object's class, properties and extended data", listObject);
    registerBuiltin(u"ERASE", u"ERASE handle...: erases objects", eraseObjects);
    registerBuiltin(u"SETPROP",
                    u"SETPROP handle property value: layer, color, linetype, lineweight, thickness, position, radius, "
                    u"text, an attribute tag, or cell row,column text for a table",
                    setProperty);
    registerBuiltin(u"COPY", u"COPY handle dx,dy: a copy with a new handle", copyObject);
}

}  // namespace qx
