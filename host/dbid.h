// Object ids, handles, open modes and the open/close calls of the drawing database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "editor.h"
#include "qxapp.h"

class QxDbDatabase;
class QxDbObject;
class QxDbEntity;
class QxDbStub;  // the database's slot for one object; defined by the host
namespace qx {
class DbInternals;  // the host's own access to what these classes keep private
}

// A handle: a 64-bit number, unique in its drawing and never reused; shown as upper-case
// hexadecimal without leading zeros.
class QxDbHandle {
public:
    QxDbHandle() = default;
    explicit QxDbHandle(std::uint64_t value) : m_value(value) {}
    std::uint64_t value() const { return m_value; }
    bool isNull() const { return m_value == 0; }
    // Writes the hexadecimal text and a terminating zero into `buffer` (17 units suffice).
    void getIntoAsciiBuffer(char16_t* buffer, std::size_t size = 17) const;
    std::u16string ascii() const;
    bool operator==(const QxDbHandle&) const = default;
    auto operator<=>(const QxDbHandle&) const = default;

private:
    std::uint64_t m_value = 0;
};

// The id of an object in an open database; valid while the database is.
class QxDbObjectId {
public:
    QxDbObjectId() = default;
    explicit QxDbObjectId(QxDbStub* stub) : m_stub(stub) {}
    static const QxDbObjectId kNull;

    bool isNull() const { return m_stub == nullptr; }
    bool isValid() const;   // not null and its object still exists
    bool isErased() const;
    QxDbHandle handle() const;
    QxDbDatabase* database() const;
    // Equal ids hash equally; the value means nothing else.
    std::size_t hashValue() const noexcept { return std::hash<QxDbStub*>()(m_stub); }

    bool operator==(const QxDbObjectId&) const = default;
    bool operator<(const QxDbObjectId& other) const { return std::less<QxDbStub*>()(m_stub, other.m_stub); }

private:
    friend class qx::DbInternals;
    QxDbStub* m_stub = nullptr;
};
inline const QxDbObjectId QxDbObjectId::kNull{};

template <>
struct std::hash<QxDbObjectId> {
    std::size_t operator()(const QxDbObjectId& id) const noexcept { return id.hashValue(); }
};

namespace QxDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
}

// Opening an object: many readers or one writer. The pointer is valid until close().
// Erased objects are opened only when `openErased` is set.
Qxapp::ErrorStatus qxdbOpenObject(QxDbObject*& object, QxDbObjectId id, QxDb::OpenMode mode, bool openErased = false);
Qxapp::ErrorStatus qxdbOpenQxDbEntity(QxDbEntity*& entity, QxDbObjectId id, QxDb::OpenMode mode, bool openErased = false);

// Opens the object only when its class derives from T; otherwise eWrongObjectType.
template <class T>
Qxapp::ErrorStatus qxdbOpenObject(T*& object, QxDbObjectId id, QxDb::OpenMode mode, bool openErased = false);

// Entity names of the selection calls and object ids.
Qxapp::ErrorStatus qxdbGetObjectId(QxDbObjectId& id, const qxds_name entityName);
Qxapp::ErrorStatus qxdbGetQxdsName(qxds_name entityName, QxDbObjectId id);

// Registers an application name for extended data in the working database; QXRT_NORM.
int qxdbRegApp(const char16_t* appName);
