#include "cad/db/xdata.h"

#include <memory>

#include "cad/db/database_impl.h"
#include "cad/db/intern.h"
#include "host/dbobject.h"
#include "host/editor.h"

QxDbXData::QxDbXData(const QxDbXData& other)
{
    for (const App& app : other.apps) apps.push_back({app.name, qxutDupChain(app.chain)});
}

QxDbXData::~QxDbXData()
{
    for (App& app : apps) qxutRelRb(app.chain);
}

QxDbXData::App* QxDbXData::find(std::u16string_view name)
{
    for (App& app : apps)
        if (qx::equalsIgnoringCase(app.name, name)) return &app;
    return nullptr;
}

const QxDbXData::App* QxDbXData::find(std::u16string_view name) const
{
    return const_cast<QxDbXData*>(this)->find(name);
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
    if (!m_xdata) return nullptr;
    if (appName) {
        const QxDbXData::App* app = m_xdata->find(appName);
        return app ? qxutDupChain(app->chain) : nullptr;
    }
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    for (const QxDbXData::App& app : m_xdata->apps) {
        *tail = qxutDupChain(app.chain);
        while (*tail) tail = &(*tail)->rbnext;
    }
    return head;
}

Qxapp::ErrorStatus QxDbObject::setXData(const qxresbuf* chain)
{
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    if (!chain) return Qxapp::eInvalidInput;
    if (chain->restype != 1001) return Qxapp::eInvalidXData;

    // Check the whole chain first, so that a refused chain changes nothing.
    struct Piece {
        std::u16string name;
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
            pieces.push_back({std::u16string(textOf(rb)), rb, 1});
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
        // Copy just this application's groups, its 1001 group first.
        qxresbuf* copy = nullptr;
        qxresbuf** tail = &copy;
        const qxresbuf* rb = piece.first;
        for (std::size_t i = 0; i < piece.length; ++i, rb = rb->rbnext) {
            qxresbuf single = *rb;
            single.rbnext = nullptr;
            *tail = qxutDupChain(&single);
            tail = &(*tail)->rbnext;
        }
        QxDbXData::App* app = m_xdata->find(piece.name);
        if (piece.length == 1) {  // only the name: the application's data goes
            qxutRelRb(copy);
            if (app) {
                qxutRelRb(app->chain);
                m_xdata->apps.erase(m_xdata->apps.begin() + (app - m_xdata->apps.data()));
            }
        } else if (app) {
            qxutRelRb(app->chain);
            app->chain = copy;
        } else {
            m_xdata->apps.push_back({piece.name, copy});
        }
    }
    if (m_xdata->apps.empty()) m_xdata.reset();
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
