// Entity names: what the selection calls hand out for an object. A name carries the
// object's handle and its database, so that a stale or foreign name is refused instead of
// being followed.
#include "cad/db/database_impl.h"
#include "host/editor.h"

namespace {

QxDbDatabase* databaseOf(const qxds_name name)
{
    auto* db = reinterpret_cast<QxDbDatabase*>(static_cast<std::intptr_t>(name[1]));
    return db && QxDbDatabase::Impl::isLive(db) ? db : nullptr;
}

// Where `id` stands in its block: the last answer is remembered, so walking a block from
// start to end with qxdbEntNext stays linear.
struct WalkCache {
    const void* block = nullptr;
    std::size_t index = 0;
};
thread_local WalkCache walkCache;

void rememberIndex(const std::vector<QxDbObjectId>& ids, std::size_t index) { walkCache = {&ids, index}; }

std::size_t indexInBlock(const std::vector<QxDbObjectId>& ids, QxDbObjectId id)
{
    if (walkCache.block == &ids && walkCache.index < ids.size() && ids[walkCache.index] == id) return walkCache.index;
    // Searched from the end: the usual question is about one of the last entities.
    for (std::size_t i = ids.size(); i-- > 0;) {
        if (ids[i] == id) {
            rememberIndex(ids, i);
            return i;
        }
    }
    return ids.size();
}

int nameOf(QxDbObjectId id, qxds_name result)
{
    return qxdbGetQxdsName(result, id) == Qxapp::eOk ? QXRT_NORM : QXRT_ERROR;
}

const QxDbBlockTableRecord* modelSpaceOfWorking()
{
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    return db ? QxDbBlockTableRecord::cast(qx::peekObject(db->modelSpaceId())) : nullptr;
}

}  // namespace

Qxapp::ErrorStatus qxdbGetObjectId(QxDbObjectId& id, const qxds_name entityName)
{
    id = QxDbObjectId::kNull;
    if (!entityName || (entityName[0] == 0 && entityName[1] == 0)) return Qxapp::eNullObjectId;
    QxDbDatabase* db = databaseOf(entityName);
    if (!db) return Qxapp::eInvalidInput;
    id = db->getObjectId(QxDbHandle(static_cast<std::uint64_t>(entityName[0])));
    return id.isNull() ? Qxapp::eKeyNotFound : Qxapp::eOk;
}

Qxapp::ErrorStatus qxdbGetQxdsName(qxds_name entityName, QxDbObjectId id)
{
    if (!entityName) return Qxapp::eInvalidInput;
    entityName[0] = entityName[1] = 0;
    if (id.isNull()) return Qxapp::eNullObjectId;
    entityName[0] = static_cast<std::int64_t>(id.handle().value());
    entityName[1] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(id.database()));
    return Qxapp::eOk;
}

int qxdbEntLast(qxds_name result)
{
    if (result) result[0] = result[1] = 0;
    const QxDbBlockTableRecord* space = modelSpaceOfWorking();
    if (!space || !result) return QXRT_ERROR;
    const auto& ids = space->entityIds();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it)
        if (!it->isErased()) return nameOf(*it, result);
    return QXRT_ERROR;
}

int qxdbEntNext(const qxds_name entity, qxds_name result)
{
    if (!result) return QXRT_ERROR;
    result[0] = result[1] = 0;
    const QxDbBlockTableRecord* block = nullptr;
    std::size_t from = 0;
    if (!entity || (entity[0] == 0 && entity[1] == 0)) {
        block = modelSpaceOfWorking();
    } else {
        QxDbObjectId id;
        if (qxdbGetObjectId(id, entity) != Qxapp::eOk) return QXRT_ERROR;
        const QxDbObject* object = qx::peekObject(id);
        block = object ? QxDbBlockTableRecord::cast(qx::peekObject(object->ownerId())) : nullptr;
        if (!block) return QXRT_ERROR;
        from = indexInBlock(block->entityIds(), id);
        if (from == block->entityIds().size()) return QXRT_ERROR;
        ++from;
    }
    if (!block) return QXRT_ERROR;
    const auto& ids = block->entityIds();
    for (std::size_t i = from; i < ids.size(); ++i) {
        if (ids[i].isErased()) continue;
        rememberIndex(ids, i);  // where the walk goes on
        return nameOf(ids[i], result);
    }
    return QXRT_ERROR;
}

qxresbuf* qxdbEntGet(const qxds_name entity)
{
    QxDbObjectId id;
    if (!entity || qxdbGetObjectId(id, entity) != Qxapp::eOk) return nullptr;
    QxDbObject* object = nullptr;
    if (qxdbOpenObject(object, id, QxDb::kForRead) != Qxapp::eOk) return nullptr;
    qxresbuf* head = qxutNewRb(-1);
    head->resval.rlname[0] = entity[0];
    head->resval.rlname[1] = entity[1];
    qxresbuf* tail = head;
    auto addString = [&](int code, const std::u16string& text) {
        tail = tail->rbnext = qxutNewRb(code);
        tail->resval.rstring = qxutNewString(text.c_str());
    };
    addString(0, object->dxfTypeName());
    addString(5, object->handle().ascii());
    if (const QxDbEntity* e = QxDbEntity::cast(object)) addString(8, e->layer());
    object->close();
    return head;
}
