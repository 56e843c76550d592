// Run-time classes, protocol extensions, the system registry and the dynamic linker.
#include <map>
#include <memory>
#include <vector>

#include "rx.h"

QxRxObject::~QxRxObject() = default;

QxRxClass* QxRxObject::desc()
{
    static QxRxClass cls(u"QxRxObject", nullptr);
    return &cls;
}

QxRxClass* QxRxObject::isA() const { return QxRxObject::desc(); }

bool QxRxObject::isKindOf(const QxRxClass* cls) const { return isA()->isDerivedFrom(cls); }

QxRxObject* QxRxObject::x(const QxRxClass* protocol) const { return isA()->getX(protocol); }

struct QxRxClass::Extension {
    std::vector<std::pair<const QxRxClass*, QxRxObject*>> byProtocol;
};

QxRxClass::QxRxClass(const char16_t* name, QxRxClass* parent, const char16_t* dxfName)
    : m_name(name), m_parent(parent), m_dxfName(dxfName ? dxfName : u"")
{
}

bool QxRxClass::isDerivedFrom(const QxRxClass* other) const
{
    for (const QxRxClass* cls = this; cls; cls = cls->m_parent)
        if (cls == other) return true;
    return false;
}

void QxRxClass::addX(const QxRxClass* protocol, QxRxObject* extension)
{
    // Classes are static objects that live as long as the process, and so do their extensions.
    if (!m_extensions) m_extensions = new Extension;
    for (auto& entry : m_extensions->byProtocol)
        if (entry.first == protocol) {
            entry.second = extension;
            return;
        }
    m_extensions->byProtocol.emplace_back(protocol, extension);
}

QxRxObject* QxRxClass::getX(const QxRxClass* protocol) const
{
    // An extension registered on a base class serves every class derived from it.
    for (const QxRxClass* cls = this; cls; cls = cls->m_parent) {
        if (!cls->m_extensions) continue;
        for (const auto& entry : cls->m_extensions->byProtocol)
            if (entry.first == protocol) return entry.second;
    }
    return nullptr;
}

QX_RX_DEFINE_CLASS(QxRxDictionary, QxRxObject, "")

struct QxRxDictionary::Impl {
    std::map<std::u16string, QxRxObject*> entries;
};

QxRxDictionary::QxRxDictionary() : m_impl(new Impl) {}
QxRxDictionary::~QxRxDictionary() { delete m_impl; }

QxRxObject* QxRxDictionary::at(const char16_t* key) const
{
    const auto it = m_impl->entries.find(key ? key : u"");
    return it == m_impl->entries.end() ? nullptr : it->second;
}

QxRxObject* QxRxDictionary::atPut(const char16_t* key, QxRxObject* obj)
{
    QxRxObject*& slot = m_impl->entries[key ? key : u""];
    QxRxObject* previous = slot;
    slot = obj;
    return previous;
}

QxRxObject* QxRxDictionary::remove(const char16_t* key)
{
    const auto it = m_impl->entries.find(key ? key : u"");
    if (it == m_impl->entries.end()) return nullptr;
    QxRxObject* previous = it->second;
    m_impl->entries.erase(it);
    return previous;
}

QX_RX_DEFINE_CLASS(QxRxDynamicLinker, QxRxObject, "")

namespace {

// Tracks, per loaded application, whether it may be unloaded and whether it copes with several
// documents; the host's loader asks before it unloads a module.
class DynamicLinker : public QxRxDynamicLinker {
public:
    bool unlockApplication(void* appPacket) override { return set(appPacket, &State::unlocked); }
    bool registerAppMDIAware(void* appPacket) override { return set(appPacket, &State::mdiAware); }
    bool isApplicationLocked(void* appPacket) const override { return !get(appPacket, &State::unlocked); }
    bool isAppMDIAware(void* appPacket) const override { return get(appPacket, &State::mdiAware); }

private:
    struct State {
        bool unlocked = false;
        bool mdiAware = false;
    };
    bool set(void* appPacket, bool State::*flag)
    {
        if (!appPacket) return false;
        m_states[appPacket].*flag = true;
        return true;
    }
    bool get(void* appPacket, bool State::*flag) const
    {
        const auto it = m_states.find(appPacket);
        return it != m_states.end() && it->second.*flag;
    }
    std::map<void*, State> m_states;
};

}  // namespace

QxRxObject* qxCreateCommandStack();  // command_stack.cpp

QxRxDictionary* qxrxSysRegistry()
{
    static QxRxDictionary* registry = [] {
        auto* dictionary = new QxRxDictionary;
        dictionary->atPut(QXRX_DYNAMIC_LINKER, new DynamicLinker);
        dictionary->atPut(QXRX_COMMAND_STACK, qxCreateCommandStack());
        return dictionary;
    }();
    return registry;
}
