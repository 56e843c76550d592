#include "cad/editor/selection.h"

#include <charconv>
#include <map>
#include <mutex>

#include "cad/db/database_impl.h"
#include "cad/db/intern.h"
#include "cad/editor/console.h"
#include "host/editor.h"

namespace qx {

namespace {

std::u16string_view trim(std::u16string_view s)
{
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t' || s.front() == u'\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}

std::vector<std::u16string_view> splitWords(std::u16string_view s)
{
    std::vector<std::u16string_view> words;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != u' ' && s[j] != u'\t') ++j;
        if (j > i) words.push_back(s.substr(i, j - i));
        i = j;
    }
    return words;
}

std::optional<double> parseNumber(std::u16string_view text)
{
    text = trim(text);
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F) return std::nullopt;
        ascii += static_cast<char>(c);
    }
    if (!ascii.empty() && ascii[0] == '+') ascii.erase(0, 1);
    double value = 0;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || ascii.empty() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void splitNames(std::u16string_view list, std::vector<std::u16string>& out)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(u',', start);
        if (comma == std::u16string_view::npos) comma = list.size();
        const auto name = trim(list.substr(start, comma - start));
        if (!name.empty()) out.emplace_back(name);
        start = comma + 1;
    }
}

const QxDbBlockTableRecord* modelSpace(const QxDbDatabase& database)
{
    return QxDbBlockTableRecord::cast(peekObject(database.modelSpaceId()));
}

}  // namespace

bool matchesPattern(std::u16string_view p, std::u16string_view t)
{
    // Iterative wildcard match with one backtrack point for the last '*'.
    std::size_t pi = 0, ti = 0, star = std::u16string_view::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == u'?' || foldCase(p[pi]) == foldCase(t[ti]))) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == u'*') {
            star = pi++;
            mark = ti;
        } else if (star != std::u16string_view::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'*') ++pi;
    return pi == p.size();
}

bool SelectionFilter::parse(const qxresbuf* chain)
{
    m_types.clear();
    m_layers.clear();
    for (const qxresbuf* rb = chain; rb; rb = rb->rbnext) {
        const char16_t* text = rb->resval.rstring;
        if (rb->restype == 0 || rb->restype == QXRT_DXF0) {
            if (text) splitNames(text, m_types);
        } else if (rb->restype == 8) {
            if (text) splitNames(text, m_layers);
        } else if (rb->restype != QXRT_NONE) {
            return false;
        }
    }
    return true;
}

bool SelectionFilter::accepts(const QxDbEntity& entity) const
{
    auto anyMatch = [](const std::vector<std::u16string>& patterns, const std::u16string& value) {
        if (patterns.empty()) return true;
        for (const auto& p : patterns)
            if (matchesPattern(p, value)) return true;
        return false;
    };
    return anyMatch(m_types, entity.dxfTypeName()) && anyMatch(m_layers, entity.layer());
}

std::vector<QxDbObjectId> selectAll(const QxDbDatabase& database, const SelectionFilter& filter)
{
    std::vector<QxDbObjectId> out;
    const QxDbBlockTableRecord* space = modelSpace(database);
    if (!space) return out;
    for (const QxDbObjectId& id : space->entityIds()) {
        if (id.isErased()) continue;
        const QxDbEntity* entity = QxDbEntity::cast(peekObject(id));
        if (entity && filter.accepts(*entity)) out.push_back(id);
    }
    return out;
}

std::vector<QxDbObjectId> selectWindow(const QxDbDatabase& database, const SelectionFilter& filter,
                                       const QxGePoint3d& corner1, const QxGePoint3d& corner2)
{
    const QxGePoint3d origin = database.ucsorg();
    const QxGeVector3d xDir = database.ucsxdir(), yDir = database.ucsydir();
    const double x0 = std::min(corner1.x, corner2.x), x1 = std::max(corner1.x, corner2.x);
    const double y0 = std::min(corner1.y, corner2.y), y1 = std::max(corner1.y, corner2.y);
    const double tol = 1e-9 * (1 + std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1)}));
    std::vector<QxDbObjectId> out;
    for (const QxDbObjectId& id : selectAll(database, filter)) {
        QxDbEntity* entity = nullptr;
        if (qxdbOpenQxDbEntity(entity, id, QxDb::kForRead) != Qxapp::eOk) continue;
        QxDbExtents e;
        const bool hasExtents = entity->getGeomExtents(e) == Qxapp::eOk;
        entity->close();
        if (!hasExtents) continue;
        bool inside = true;
        for (double x : {e.minPoint.x, e.maxPoint.x})
            for (double y : {e.minPoint.y, e.maxPoint.y})
                for (double z : {e.minPoint.z, e.maxPoint.z}) {
                    const QxGeVector3d v = QxGePoint3d(x, y, z) - origin;
                    const double u = v.dotProduct(xDir), w = v.dotProduct(yDir);
                    inside = inside && u >= x0 - tol && u <= x1 + tol && w >= y0 - tol && w <= y1 + tol;
                }
        if (inside) out.push_back(id);
    }
    return out;
}

std::optional<QxGePoint3d> parsePoint(std::u16string_view text)
{
    std::vector<double> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(u',', start);
        const auto value = parseNumber(text.substr(start, comma == std::u16string_view::npos ? comma : comma - start));
        if (!value) return std::nullopt;
        values.push_back(*value);
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    if (values.size() < 2 || values.size() > 3) return std::nullopt;
    return QxGePoint3d(values[0], values[1], values.size() == 3 ? values[2] : 0.0);
}

std::optional<std::uint64_t> parseHandle(std::u16string_view text)
{
    text = trim(text);
    if (text.empty() || text.size() > 16) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        int digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

SelectionAnswer interpretSelectionAnswer(const QxDbDatabase& database, const SelectionFilter& filter,
                                         std::u16string_view answer)
{
    SelectionAnswer result;
    const auto words = splitWords(answer);
    if (words.empty()) {
        result.message = u"Answer with all, handles ..., window x1,y1 x2,y2, last or cancel.";
        return result;
    }
    const std::u16string keyword = foldName(words[0]);
    if (keyword == u"CANCEL") {
        result.kind = SelectionAnswer::kCancel;
        return result;
    }
    if (keyword == u"ALL" && words.size() == 1) {
        result.kind = SelectionAnswer::kObjects;
        result.ids = selectAll(database, filter);
        return result;
    }
    if (keyword == u"LAST" && words.size() == 1) {
        result.kind = SelectionAnswer::kObjects;
        const QxDbBlockTableRecord* space = modelSpace(database);
        if (space) {
            const auto& ids = space->entityIds();
            for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
                if (it->isErased()) continue;
                const QxDbEntity* entity = QxDbEntity::cast(peekObject(*it));
                if (entity && filter.accepts(*entity)) result.ids.push_back(*it);
                break;
            }
        }
        return result;
    }
    if (keyword == u"HANDLES" && words.size() > 1) {
        for (std::size_t i = 1; i < words.size(); ++i) {
            const auto handle = parseHandle(words[i]);
            const QxDbObjectId id = handle ? database.getObjectId(QxDbHandle(*handle)) : QxDbObjectId();
            const QxDbEntity* entity = QxDbEntity::cast(peekObject(id));
            if (!entity || id.isErased() || entity->ownerId() != database.modelSpaceId()) {
                result.message = u"No object of model space has the handle " + std::u16string(words[i]) + u".";
                result.ids.clear();
                return result;
            }
            // Picking the same object twice selects it once.
            if (filter.accepts(*entity) && std::find(result.ids.begin(), result.ids.end(), id) == result.ids.end())
                result.ids.push_back(id);
        }
        result.kind = SelectionAnswer::kObjects;
        return result;
    }
    if (keyword == u"WINDOW" && words.size() == 3) {
        const auto p1 = parsePoint(words[1]), p2 = parsePoint(words[2]);
        if (p1 && p2) {
            result.kind = SelectionAnswer::kObjects;
            result.ids = selectWindow(database, filter, *p1, *p2);
            return result;
        }
    }
    result.message = u"Cannot use \"" + std::u16string(answer) +
                     u"\": answer with all, handles ..., window x1,y1 x2,y2, last or cancel.";
    return result;
}

namespace {

constexpr std::int64_t kSetTag = 0x5353;  // marks a selection-set name

struct SelectionSets {
    std::mutex mutex;
    std::map<std::int64_t, std::vector<QxDbObjectId>> sets;
    std::int64_t next = 1;
};

SelectionSets& selectionSets()
{
    static auto* sets = new SelectionSets;
    return *sets;
}

const std::vector<QxDbObjectId>* findSet(const qxds_name ss)
{
    if (!ss || ss[1] != kSetTag) return nullptr;
    auto& all = selectionSets();
    auto it = all.sets.find(ss[0]);
    return it == all.sets.end() ? nullptr : &it->second;
}

std::u16string promptText(const char16_t* prompt, const char16_t* fallback)
{
    std::u16string_view p = prompt ? prompt : fallback;
    while (!p.empty() && (p.front() == u'\n' || p.front() == u'\r')) p.remove_prefix(1);
    return std::u16string(p);
}

}  // namespace

void makeSelectionSet(std::vector<QxDbObjectId> ids, qxds_name name)
{
    auto& all = selectionSets();
    std::lock_guard lock(all.mutex);
    name[0] = all.next++;
    name[1] = kSetTag;
    all.sets.emplace(name[0], std::move(ids));
}

}  // namespace qx

// The editor's calls -------------------------------------------------------------------

int qxedSSGet(const char16_t* mode, const void* /*pt1*/, const void* /*pt2*/, const qxresbuf* filterChain, qxds_name ss)
{
    if (ss) ss[0] = ss[1] = 0;
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    if (!db || !ss) return QXRT_ERROR;
    qx::SelectionFilter filter;
    if (filterChain && !filter.parse(filterChain)) return QXRT_ERROR;
    const std::u16string_view m = mode ? mode : u"";
    std::vector<QxDbObjectId> ids;
    if (m == u"A" || m == u"a" || m == u"X" || m == u"x") {
        ids = qx::selectAll(*db, filter);
    } else if (m.empty() || m == u":S" || m == u":s") {
        const std::u16string prompt = m.empty() ? u"Select objects: " : u"Select object: ";
        while (true) {
            std::u16string line;
            if (!qx::readInputLine(prompt, line, m.empty() ? qx::InputKind::Selection : qx::InputKind::SingleObject))
                return QXRT_CANCEL;
            qx::SelectionAnswer answer = qx::interpretSelectionAnswer(*db, filter, line);
            if (answer.kind == qx::SelectionAnswer::kCancel) return QXRT_CANCEL;
            if (answer.kind == qx::SelectionAnswer::kObjects) {
                ids = std::move(answer.ids);
                break;
            }
            qx::failInput(answer.message);  // in a script this ends the run
        }
    } else {
        return QXRT_ERROR;  // a mode the host does not offer
    }
    if (ids.empty()) return QXRT_ERROR;  // nothing selected: no set
    qx::makeSelectionSet(std::move(ids), ss);
    return QXRT_NORM;
}

int qxedSSLength(const qxds_name ss, std::int32_t* length)
{
    std::lock_guard lock(qx::selectionSets().mutex);
    const auto* set = qx::findSet(ss);
    if (!set || !length) return QXRT_ERROR;
    *length = static_cast<std::int32_t>(set->size());
    return QXRT_NORM;
}

int qxedSSName(const qxds_name ss, std::int32_t index, qxds_name entity)
{
    QxDbObjectId id;
    {
        std::lock_guard lock(qx::selectionSets().mutex);
        const auto* set = qx::findSet(ss);
        if (!set || !entity || index < 0 || static_cast<std::size_t>(index) >= set->size()) return QXRT_ERROR;
        id = (*set)[static_cast<std::size_t>(index)];
    }
    return qxdbGetQxdsName(entity, id) == Qxapp::eOk ? QXRT_NORM : QXRT_ERROR;
}

int qxedSSFree(const qxds_name ss)
{
    auto& all = qx::selectionSets();
    std::lock_guard lock(all.mutex);
    if (!ss || ss[1] != qx::kSetTag) return QXRT_ERROR;
    return all.sets.erase(ss[0]) ? QXRT_NORM : QXRT_ERROR;
}

int qxedGetPoint(const double* /*basePoint*/, const char16_t* prompt, double result[3])
{
    const std::u16string text = qx::promptText(prompt, u"Specify point: ");
    while (true) {
        std::u16string line;
        if (!qx::readInputLine(text, line, qx::InputKind::Point)) return QXRT_CANCEL;
        const std::u16string folded = qx::foldName(qx::trim(line));
        if (folded == u"CANCEL") return QXRT_CANCEL;
        // Answers are typed in the current UCS, which is how the caller gets them back.
        if (const auto p = qx::parsePoint(line)) {
            result[0] = p->x;
            result[1] = p->y;
            result[2] = p->z;
            return QXRT_NORM;
        }
        qx::failInput(u"Cannot use \"" + line + u"\" as a point: answer x,y or x,y,z, or cancel.");
    }
}

Qxapp::ErrorStatus qxedSetCurrentUCS(const QxGeMatrix3d& ucsToWorld)
{
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    if (!db) return Qxapp::eNotApplicable;
    const auto& e = ucsToWorld.entry;
    const QxGeVector3d x(e[0][0], e[1][0], e[2][0]), y(e[0][1], e[1][1], e[2][1]);
    if (x.isZeroLength() || y.isZeroLength() || x.crossProduct(y).isZeroLength()) return Qxapp::eInvalidInput;
    db->setUcs({e[0][3], e[1][3], e[2][3]}, x, y);
    return Qxapp::eOk;
}
