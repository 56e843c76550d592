#include <charconv>

#include "cad/db/database_impl.h"
#include "cad/db/xdata.h"
#include "host/dbentities.h"

QX_RX_DEFINE_CLASS(QxDbObject, QxRxObject, "")

// Handles -------------------------------------------------------------------------------

void QxDbHandle::getIntoAsciiBuffer(char16_t* buffer, std::size_t size) const
{
    if (!buffer || size == 0) return;
    const std::u16string text = ascii();
    const std::size_t n = std::min(text.size(), size - 1);
    std::copy_n(text.begin(), n, buffer);
    buffer[n] = 0;
}

std::u16string QxDbHandle::ascii() const
{
    char digits[17];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, m_value, 16);
    std::u16string out;
    for (const char* p = digits; p != end; ++p)
        out += static_cast<char16_t>(*p >= 'a' && *p <= 'f' ? *p - 'a' + 'A' : *p);
    return out;
}

// Ids -----------------------------------------------------------------------------------

bool QxDbObjectId::isValid() const { return m_stub && m_stub->object; }
bool QxDbObjectId::isErased() const { return m_stub && m_stub->erased; }
QxDbHandle QxDbObjectId::handle() const { return QxDbHandle(m_stub ? m_stub->handle : 0); }
QxDbDatabase* QxDbObjectId::database() const { return m_stub ? m_stub->database() : nullptr; }

// Objects -------------------------------------------------------------------------------

QxDbObject::QxDbObject() = default;
QxDbObject::~QxDbObject() = default;

QxDbObjectId QxDbObject::objectId() const { return QxDbObjectId(m_stub); }
QxDbDatabase* QxDbObject::database() const { return m_stub ? m_stub->database() : nullptr; }
void QxDbObject::getQxDbHandle(QxDbHandle& handle) const { handle = this->handle(); }
QxDbHandle QxDbObject::handle() const { return QxDbHandle(m_stub ? m_stub->handle : 0); }

Qxapp::ErrorStatus QxDbObject::close()
{
    if (!m_stub) return Qxapp::eNotInDatabase;
    return qx::DbInternals::impl(*m_stub->database()).close(m_stub);
}

Qxapp::ErrorStatus QxDbObject::upgradeOpen()
{
    if (!m_stub) return Qxapp::eNotInDatabase;
    if (m_stub->writer) return Qxapp::eOk;
    if (m_stub->readers == 0) return Qxapp::eNotOpenForRead;
    // Another reader still relies on the object not changing under it.
    if (m_stub->readers > 1) return Qxapp::eWasOpenForRead;
    m_stub->readers = 0;
    m_stub->writer = true;
    m_stub->written = ++qx::DbInternals::impl(*m_stub->database()).revision;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbObject::downgradeOpen()
{
    if (!m_stub) return Qxapp::eNotInDatabase;
    if (!m_stub->writer) return Qxapp::eNotOpenForWrite;
    m_stub->writer = false;
    m_stub->readers = 1;
    return Qxapp::eOk;
}

bool QxDbObject::isReadEnabled() const { return !m_stub || m_stub->isOpen(); }
bool QxDbObject::isWriteEnabled() const { return !m_stub || m_stub->writer; }
bool QxDbObject::isErased() const { return m_stub && m_stub->erased; }

Qxapp::ErrorStatus QxDbObject::erase(bool erasing)
{
    if (!m_stub) return Qxapp::eNotInDatabase;
    if (!m_stub->writer) return Qxapp::eNotOpenForWrite;
    if (m_stub->erased == erasing) return erasing ? Qxapp::eWasErased : Qxapp::eOk;
    m_stub->erased = erasing;
    return Qxapp::eOk;
}

void QxDbObject::copyObjectDataTo(QxDbObject& target) const
{
    target.m_xdata = m_xdata ? std::make_unique<QxDbXData>(*m_xdata) : nullptr;
}

// Opening -------------------------------------------------------------------------------

Qxapp::ErrorStatus qxdbOpenObject(QxDbObject*& object, QxDbObjectId id, QxDb::OpenMode mode, bool openErased)
{
    object = nullptr;
    if (id.isNull()) return Qxapp::eNullObjectId;
    QxDbStub* stub = qx::DbInternals::stub(id);
    const Qxapp::ErrorStatus es = qx::DbInternals::impl(*stub->database()).open(stub, mode, openErased);
    if (es == Qxapp::eOk) object = stub->object;
    return es;
}

Qxapp::ErrorStatus qxdbOpenQxDbEntity(QxDbEntity*& entity, QxDbObjectId id, QxDb::OpenMode mode, bool openErased)
{
    return qxdbOpenObject(entity, id, mode, openErased);
}
