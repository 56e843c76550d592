#include "cad/db/xdata.h"

#include <cstring>
#include <memory>

#include "cad/db/database_impl.h"
#include "cad/db/intern.h"
#include "host/dbobject.h"
#include "host/editor.h"

namespace {

// Lengths below 0x8000 take one unit; longer ones two, the first marked by its top bit.
void putLength(std::u16string& out, std::size_t length)
{
    if (length < 0x8000) {
        out += static_cast<char16_t>(length);
    } else {
        out += static_cast<char16_t>(0x8000 | (length >> 16));
        out += static_cast<char16_t>(length & 0xFFFF);
    }
}

const char16_t* getLength(const char16_t* at, std::size_t& length)
{
    if (!(at[0] & 0x8000)) {
        length = at[0];
        return at + 1;
    }
    length = static_cast<std::size_t>(at[0] & 0x7FFF) << 16 | at[1];
    return at + 2;
}

// Raw bytes of a value, rounded up to whole units.
void putBytes(std::u16string& out, const void* bytes, std::size_t size)
{
    const std::size_t at = out.size();
    out.append((size + 1) / 2, u'\0');
    if (size) std::memcpy(out.data() + at, bytes, size);
}

void pack(std::u16string& out, const qxresbuf& rb)
{
    out += static_cast<char16_t>(rb.restype);
    const qxresval& v = rb.resval;
    switch (qxutRbKind(rb.restype)) {
    case QxRbKind::String: {
        const std::u16string_view text = v.rstring ? std::u16string_view(v.rstring) : std::u16string_view();
        putLength(out, text.size());
        out += text;
        break;
    }
    case QxRbKind::Real: putBytes(out, &v.rreal, sizeof v.rreal); break;
    case QxRbKind::Point: putBytes(out, v.rpoint, sizeof v.rpoint); break;
    case QxRbKind::Short: out += static_cast<char16_t>(v.rint); break;
    case QxRbKind::Long: putBytes(out, &v.rlong, sizeof v.rlong); break;
    case QxRbKind::Binary: {
        // A chunk without bytes, however long it claims to be, is kept as an empty one.
        const std::size_t size = v.rbinary.buf && v.rbinary.clen > 0 ? static_cast<std::size_t>(v.rbinary.clen) : 0;
        putLength(out, size);
        putBytes(out, v.rbinary.buf, size);
        break;
    }
    case QxRbKind::Name:  // no extended-data group code holds an entity name
    case QxRbKind::None: break;
    }
}

qxresbuf* newResbuf(const QxDbXData::Value& value)
{
    qxresbuf* rb = qxutNewRb(value.code);
    qxresval& v = rb->resval;
    switch (value.kind) {
    case QxRbKind::String: v.rstring = qxutNewString(value.text); break;
    case QxRbKind::Real: v.rreal = value.real; break;
    case QxRbKind::Point: std::memcpy(v.rpoint, value.point, sizeof v.rpoint); break;
    case QxRbKind::Short: v.rint = static_cast<short>(value.integer); break;
    case QxRbKind::Long: v.rlong = value.integer; break;
    case QxRbKind::Binary:
        v.rbinary.clen = static_cast<std::int32_t>(value.binary.size());
        if (!value.binary.empty()) {  // released with delete[], as every chunk of a chain
            v.rbinary.buf = new unsigned char[value.binary.size()];
            std::memcpy(v.rbinary.buf, value.binary.data(), value.binary.size());
        }
        break;
    case QxRbKind::Name:
    case QxRbKind::None: break;
    }
    return rb;
}

}  // namespace

const char16_t* QxDbXData::decode(const char16_t* at, Value& out)
{
    out = Value();
    out.code = *at++;
    out.kind = qxutRbKind(out.code);
    std::size_t length = 0;
    switch (out.kind) {
    case QxRbKind::String:
        at = getLength(at, length);
        out.text = std::u16string_view(at, length);
        return at + length;
    case QxRbKind::Real: std::memcpy(&out.real, at, sizeof out.real); return at + sizeof out.real / 2;
    case QxRbKind::Point: std::memcpy(out.point, at, sizeof out.point); return at + sizeof out.point / 2;
    case QxRbKind::Short: out.integer = static_cast<short>(*at); return at + 1;
    case QxRbKind::Long: std::memcpy(&out.integer, at, sizeof out.integer); return at + sizeof out.integer / 2;
    case QxRbKind::Binary:
        at = getLength(at, length);
        out.binary = std::span(reinterpret_cast<const unsigned char*>(at), length);
        return at + (length + 1) / 2;
    case QxRbKind::Name:
    case QxRbKind::None: break;
    }
    return at;
}

QxDbXData::Span QxDbXData::find(std::u16string_view app) const
{
    const char16_t* const base = m_packed.data();
    const char16_t* const end = base + m_packed.size();
    Span span{m_packed.size(), m_packed.size()};
    bool inside = false;
    Value value;
    for (const char16_t* at = base; at != end;) {
        const char16_t* next = decode(at, value);
        if (value.code == 1001) {
            if (inside) {
                span.end = static_cast<std::size_t>(at - base);
                return span;
            }
            if (qx::equalsIgnoringCase(value.text, app)) {
                inside = true;
                span.begin = static_cast<std::size_t>(at - base);
            }
        }
        at = next;
    }
    return span;
}

QxDbXData::Range QxDbXData::range(Span span) const
{
    const char16_t* const end = m_packed.data() + span.end;
    return {Iterator(m_packed.data() + span.begin, end), Iterator(end, end)};
}

bool QxDbXData::has(std::u16string_view app) const
{
    const Span span = find(app);
    return span.begin != span.end;
}

QxDbXData::Range QxDbXData::values() const { return range({0, m_packed.size()}); }

QxDbXData::Range QxDbXData::values(std::u16string_view app) const { return range(find(app)); }

qxresbuf* QxDbXData::chain(const char16_t* appOrNull) const
{
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    for (const Value& value : appOrNull ? values(appOrNull) : values()) {
        *tail = newResbuf(value);
        tail = &(*tail)->rbnext;
    }
    return head;
}

void QxDbXData::replaceApp(const qxresbuf* first, std::size_t count)
{
    std::u16string groups;
    for (const qxresbuf* rb = first; count > 0; rb = rb->rbnext, --count) pack(groups, *rb);
    const Span old = find(first->resval.rstring ? std::u16string_view(first->resval.rstring) : std::u16string_view());
    // Built afresh rather than edited in place, so that the buffer holds no spare capacity.
    std::u16string packed;
    packed.reserve(m_packed.size() - (old.end - old.begin) + groups.size());
    packed.append(m_packed, 0, old.begin).append(groups).append(m_packed, old.end);
    m_packed.swap(packed);
}

void QxDbXData::removeApp(std::u16string_view app)
{
    const Span old = find(app);
    if (old.begin == old.end) return;
    std::u16string packed;
    packed.reserve(m_packed.size() - (old.end - old.begin));
    packed.append(m_packed, 0, old.begin).append(m_packed, old.end);
    m_packed.swap(packed);
}

namespace {

bool isXDataCode(int code) { return code >= 1000 && code <= 1071; }

std::u16string_view textOf(const qxresbuf* rb)
{
    return rb->resval.rstring ? std::u16string_view(rb->resval.rstring) : std::u16string_view();
}

// The registered-application table of the object's database, or of the working database
// for an object that is not in one yet.
bool isRegistered(const QxDbObject& object, std::u16string_view name)
{
    QxDbDatabase* db = object.database();
    if (!db) return true;  // checked again when a file is written; no table to ask yet
    auto* table = QxDbSymbolTable::cast(qx::peekObject(db->regAppTableId()));
    return table && table->has(std::u16string(name).c_str());
}

}  // namespace

qxresbuf* QxDbObject::xData(const char16_t* appName) const
{
    return m_xdata ? m_xdata->chain(appName) : nullptr;
}

Qxapp::ErrorStatus QxDbObject::setXData(const qxresbuf* chain)
{
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    if (!chain) return Qxapp::eInvalidInput;
    if (chain->restype != 1001) return Qxapp::eInvalidXData;

    // Check the whole chain first, so that a refused chain changes nothing.
    struct Piece {
        std::u16string_view name;
        const qxresbuf* first;
        std::size_t length;
    };
    std::vector<Piece> pieces;
    int depth = 0;  // lists ({ }) must close within their application's groups
    for (const qxresbuf* rb = chain; rb; rb = rb->rbnext) {
        if (!isXDataCode(rb->restype)) return Qxapp::eInvalidXData;
        if (rb->restype == 1001) {
            if (depth != 0 || textOf(rb).empty()) return Qxapp::eInvalidXData;
            if (!isRegistered(*this, textOf(rb))) return Qxapp::eRegappIdNotFound;
            pieces.push_back({textOf(rb), rb, 1});
            continue;
        }
        if (rb->restype == 1002) {
            if (textOf(rb) == u"{") ++depth;
            else if (textOf(rb) == u"}" && depth > 0) --depth;
            else return Qxapp::eInvalidXData;
        }
        ++pieces.back().length;
    }
    if (depth != 0) return Qxapp::eInvalidXData;

    if (!m_xdata) m_xdata = std::make_unique<QxDbXData>();
    for (const Piece& piece : pieces) {
        if (piece.length == 1) m_xdata->removeApp(piece.name);  // only the name: the data goes
        else m_xdata->replaceApp(piece.first, piece.length);
    }
    if (m_xdata->empty()) m_xdata.reset();
    return Qxapp::eOk;
}

int qxdbRegApp(const char16_t* appName)
{
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    if (!db || !appName || !*appName) return QXRT_ERROR;
    auto* table = QxDbSymbolTable::cast(qx::peekObject(db->regAppTableId()));
    if (!table) return QXRT_ERROR;
    if (table->has(appName)) return QXRT_NORM;
    QxDbSymbolTable* opened = nullptr;
    if (qxdbOpenObject(opened, db->regAppTableId(), QxDb::kForWrite) != Qxapp::eOk) return QXRT_ERROR;
    auto* record = new QxDbRegAppTableRecord;
    record->setName(appName);
    const Qxapp::ErrorStatus es = opened->add(record);
    if (es == Qxapp::eOk) record->close();
    else delete record;
    opened->close();
    return es == Qxapp::eOk ? QXRT_NORM : QXRT_ERROR;
}
