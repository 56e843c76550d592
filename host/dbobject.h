// The base of every object of the drawing database.
#pragma once

#include <memory>
#include <string>

#include "dbid.h"
#include "resbuf.h"
#include "rx.h"

class QxDbXData;  // the extended data of one object, held by the host

class QxDbObject : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(QxDbObject)
public:
    QxDbObject();
    ~QxDbObject() override;
    QxDbObject(const QxDbObject&) = delete;
    QxDbObject& operator=(const QxDbObject&) = delete;

    QxDbObjectId objectId() const;
    QxDbObjectId ownerId() const { return m_owner; }
    void setOwnerId(QxDbObjectId owner) { m_owner = owner; }
    QxDbDatabase* database() const;
    void getQxDbHandle(QxDbHandle& handle) const;
    QxDbHandle handle() const;

    // Ends one open of this object. An object that is not in a database is not opened or
    // closed: eNotInDatabase.
    Qxapp::ErrorStatus close();
    Qxapp::ErrorStatus upgradeOpen();
    Qxapp::ErrorStatus downgradeOpen();
    bool isReadEnabled() const;
    bool isWriteEnabled() const;  // open for write, or not in a database yet
    bool isErased() const;
    bool isNewObject() const { return m_stub == nullptr; }
    // Erases (or, with false, un-erases) the object; needs it open for write.
    Qxapp::ErrorStatus erase(bool erasing = true);

    // Extended data. With an application name: a copy of that application's groups (its 1001
    // group first), or null. Without: every application's groups. Free it with qxutRelRb.
    qxresbuf* xData(const char16_t* appName = nullptr) const;
    // For each application named by a 1001 group of the chain, replaces its groups by those
    // that follow, up to the next 1001; an application given only its 1001 group loses its
    // data. Needs the object open for write and each application registered.
    Qxapp::ErrorStatus setXData(const qxresbuf* chain);

    // The type name of the object in a drawing file ("LINE", "ACAD_TABLE", ...).
    virtual std::u16string dxfTypeName() const { return isA()->dxfName(); }
    // A copy not in any database (extended data included), or null when the class cannot be
    // copied.
    virtual QxDbObject* clone() const { return nullptr; }

protected:
    // Copies the parts of QxDbObject that a clone keeps (extended data).
    void copyObjectDataTo(QxDbObject& target) const;

private:
    // The host's bookkeeping: the database's slot of this object (null until it is added) and
    // the extended data, reached by the host through qx::DbInternals.
    friend class qx::DbInternals;
    QxDbStub* m_stub = nullptr;
    QxDbObjectId m_owner;
    std::unique_ptr<QxDbXData> m_xdata;
};

template <class T>
Qxapp::ErrorStatus qxdbOpenObject(T*& object, QxDbObjectId id, QxDb::OpenMode mode, bool openErased)
{
    object = nullptr;
    QxDbObject* opened = nullptr;
    const Qxapp::ErrorStatus es = qxdbOpenObject(opened, id, mode, openErased);
    if (es != Qxapp::eOk) return es;
    object = T::cast(opened);
    if (!object) {
        opened->close();
        return Qxapp::eWrongObjectType;
    }
    return Qxapp::eOk;
}

// Closes an opened object when the scope ends, on every path.
template <class T>
class QxDbObjectCloser {
public:
    explicit QxDbObjectCloser(T* object) : m_object(object) {}
    ~QxDbObjectCloser()
    {
        if (m_object) m_object->close();
    }
    QxDbObjectCloser(const QxDbObjectCloser&) = delete;
    QxDbObjectCloser& operator=(const QxDbObjectCloser&) = delete;
    void release() { m_object = nullptr; }

private:
    T* m_object;
};
