#include "cad/db/entity_copy.h"

#include <memory>

#include "host/dbsymbols.h"

namespace qx {

Qxapp::ErrorStatus copyEntity(QxDbObjectId source, const QxGeMatrix3d& transform, QxDbObjectId& copy)
{
    copy = QxDbObjectId::kNull;
    QxDbEntity* original = nullptr;
    Qxapp::ErrorStatus es = qxdbOpenQxDbEntity(original, source, QxDb::kForRead);
    if (es != Qxapp::eOk) return es;
    QxDbObjectCloser<QxDbEntity> closeOriginal(original);
    std::unique_ptr<QxDbEntity> clone(QxDbEntity::cast(original->clone()));
    if (!clone) return Qxapp::eNotApplicable;
    if ((es = clone->transformBy(transform)) != Qxapp::eOk && es != Qxapp::eNotApplicable) return es;

    QxDbBlockTableRecord* block = nullptr;
    if ((es = qxdbOpenObject(block, original->ownerId(), QxDb::kForWrite)) != Qxapp::eOk) return es;
    QxDbEntity* appended = clone.get();
    es = block->appendQxDbEntity(copy, appended);
    block->close();
    if (es != Qxapp::eOk) return es;
    clone.release();
    QxDbObjectCloser<QxDbEntity> closeCopy(appended);

    const auto* reference = QxDbBlockReference::cast(original);
    auto* referenceCopy = QxDbBlockReference::cast(appended);
    if (!reference || !referenceCopy) return Qxapp::eOk;
    for (const QxDbObjectId& attributeId : reference->attributeIds()) {
        QxDbAttribute* attribute = nullptr;
        if (qxdbOpenObject(attribute, attributeId, QxDb::kForRead) != Qxapp::eOk) continue;
        std::unique_ptr<QxDbAttribute> attributeCopy(QxDbAttribute::cast(attribute->clone()));
        attribute->close();
        if (!attributeCopy) continue;
        attributeCopy->transformBy(transform);
        QxDbObjectId newId;
        if (referenceCopy->appendAttribute(newId, attributeCopy.get()) == Qxapp::eOk) attributeCopy.release()->close();
    }
    return Qxapp::eOk;
}

const char16_t* statusName(Qxapp::ErrorStatus status)
{
    switch (status) {
    case Qxapp::eOk: return u"eOk";
    case Qxapp::eNotImplementedYet: return u"eNotImplementedYet";
    case Qxapp::eInvalidInput: return u"eInvalidInput";
    case Qxapp::eNullObjectId: return u"eNullObjectId";
    case Qxapp::eNotApplicable: return u"eNotApplicable";
    case Qxapp::eKeyNotFound: return u"eKeyNotFound";
    case Qxapp::eDuplicateKey: return u"eDuplicateKey";
    case Qxapp::eInvalidIndex: return u"eInvalidIndex";
    case Qxapp::eWasErased: return u"eWasErased";
    case Qxapp::eWasOpenForRead: return u"eWasOpenForRead";
    case Qxapp::eWasOpenForWrite: return u"eWasOpenForWrite";
    case Qxapp::eNotOpenForWrite: return u"eNotOpenForWrite";
    case Qxapp::eNotOpenForRead: return u"eNotOpenForRead";
    case Qxapp::eWasNotOpen: return u"eWasNotOpen";
    case Qxapp::eAtMaxReaders: return u"eAtMaxReaders";
    case Qxapp::eWrongObjectType: return u"eWrongObjectType";
    case Qxapp::eNotInDatabase: return u"eNotInDatabase";
    case Qxapp::eAlreadyInDb: return u"eAlreadyInDb";
    case Qxapp::eOutOfRange: return u"eOutOfRange";
    case Qxapp::eInvalidXData: return u"eInvalidXData";
    case Qxapp::eRegappIdNotFound: return u"eRegappIdNotFound";
    case Qxapp::eXdataSizeExceeded: return u"eXdataSizeExceeded";
    case Qxapp::eFileAccessErr: return u"eFileAccessErr";
    case Qxapp::eFileNotFound: return u"eFileNotFound";
    case Qxapp::eBadDxfFile: return u"eBadDxfFile";
    case Qxapp::eNotInGroup: return u"eNotInGroup";
    }
    return u"error";
}

}  // namespace qx
