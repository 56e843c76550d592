// The host's own view of the objects the plug-in interface shows to modules: an object's
// slot in its database, its extended data store, and the database's inside. The classes of
// host/ keep these private and befriend this accessor, so that only the host's layers (and
// their tests), which include cad/, can reach them; a module compiles against host/ alone.
#pragma once

#include "host/database.h"
#include "host/dbid.h"
#include "host/dbobject.h"

namespace qx {

class DbInternals {
public:
    DbInternals() = delete;

    // The database's slot of an object: null for a null id, and for an object not yet added.
    static QxDbStub* stub(QxDbObjectId id) { return id.m_stub; }
    static QxDbStub* stub(const QxDbObject& object) { return object.m_stub; }
    // Done once, by the database, when it takes the object.
    static void attachStub(QxDbObject& object, QxDbStub* stub) { object.m_stub = stub; }

    // The object's extended data, or null when it has none.
    static const QxDbXData* xdataStore(const QxDbObject& object) { return object.m_xdata.get(); }
    static QxDbXData* xdataStore(QxDbObject& object) { return object.m_xdata.get(); }

    // Complete only where cad/db/database_impl.h is included.
    static QxDbDatabase::Impl& impl(QxDbDatabase& database) { return *database.m_impl; }
    static const QxDbDatabase::Impl& impl(const QxDbDatabase& database) { return *database.m_impl; }
};

}  // namespace qx
