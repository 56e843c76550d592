// Run-time classes, the system registry and the host's dynamic linker.
#pragma once

#include <cstdint>
#include <string>

class QxRxClass;

// Root of every object that crosses the plug-in interface with a run-time class.
class QxRxObject {
public:
    virtual ~QxRxObject();
    static QxRxClass* desc();
    virtual QxRxClass* isA() const;
    bool isKindOf(const QxRxClass* cls) const;
    // Protocol extension: the object registered for this object's class (or a base class)
    // under the protocol class `protocol`, or nullptr.
    QxRxObject* x(const QxRxClass* protocol) const;
};

// Run-time class descriptor: a name, a parent, and the protocol extensions added to it.
class QxRxClass {
public:
    QxRxClass(const char16_t* name, QxRxClass* parent, const char16_t* dxfName = u"");
    const std::u16string& name() const { return m_name; }
    const std::u16string& dxfName() const { return m_dxfName; }
    QxRxClass* myParent() const { return m_parent; }
    bool isDerivedFrom(const QxRxClass* other) const;
    // Registers `extension` as the implementation of `protocol` for this class and its
    // descendants; the class keeps it for the life of the process.
    void addX(const QxRxClass* protocol, QxRxObject* extension);
    QxRxObject* getX(const QxRxClass* protocol) const;

private:
    std::u16string m_name;
    QxRxClass* m_parent;
    std::u16string m_dxfName;
    struct Extension;
    Extension* m_extensions = nullptr;
};

// Declares desc() and isA() of a run-time class; QX_RX_DEFINE_CLASS defines them once, in
// the host library, so that class identity is the same in the host and every module.
#define QX_RX_DECLARE_MEMBERS(ClassName)                                   \
public:                                                                    \
    static QxRxClass* desc();                                              \
    QxRxClass* isA() const override;                                       \
    static ClassName* cast(const QxRxObject* obj)                          \
    {                                                                      \
        return obj && obj->isKindOf(desc())                                \
                   ? static_cast<ClassName*>(const_cast<QxRxObject*>(obj)) \
                   : nullptr;                                              \
    }

#define QX_RX_DEFINE_CLASS(ClassName, ParentName, DxfName)                      \
    QxRxClass* ClassName::desc()                                               \
    {                                                                          \
        static QxRxClass cls(u## #ClassName, ParentName::desc(), u"" DxfName); \
        return &cls;                                                           \
    }                                                                          \
    QxRxClass* ClassName::isA() const { return ClassName::desc(); }

// A dictionary of run-time objects by name: the system registry is one.
class QxRxDictionary : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(QxRxDictionary)
public:
    QxRxDictionary();
    ~QxRxDictionary() override;
    QxRxObject* at(const char16_t* key) const;
    // Stores `obj` under `key` (the dictionary does not own it); returns the object that was
    // stored there before, or nullptr.
    QxRxObject* atPut(const char16_t* key, QxRxObject* obj);
    QxRxObject* remove(const char16_t* key);

private:
    struct Impl;
    Impl* m_impl;
};

// The host's system registry: holds "DynamicLinker" and "QXAPP_REGISTERED_COMMANDS".
QxRxDictionary* qxrxSysRegistry();

inline constexpr const char16_t* QXRX_DYNAMIC_LINKER = u"DynamicLinker";
inline constexpr const char16_t* QXRX_COMMAND_STACK = u"QXAPP_REGISTERED_COMMANDS";

// The loader of modules: it knows which applications may be unloaded and which cope with
// several open documents.
class QxRxDynamicLinker : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(QxRxDynamicLinker)
public:
    virtual bool unlockApplication(void* appPacket) = 0;
    virtual bool registerAppMDIAware(void* appPacket) = 0;
    virtual bool isApplicationLocked(void* appPacket) const = 0;
    virtual bool isAppMDIAware(void* appPacket) const = 0;
};

// Finds the registry entry `key` and returns it only when its class derives from T.
template <class T>
T* qxrxLookup(const char16_t* key)
{
    return T::cast(qxrxSysRegistry()->at(key));
}
