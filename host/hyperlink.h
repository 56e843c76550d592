// Hyperlinks of entities, reached through a protocol extension of the entity class:
//   auto* pe = QxDbEntityHyperlinkPE::cast(entity->x(QxDbEntityHyperlinkPE::desc()));
// The host stores them in the entity's extended data under the application "PE_URL".
#pragma once

#include <string>
#include <vector>

#include "dbobject.h"

class QxDbHyperlink {
public:
    QxDbHyperlink(std::u16string name, std::u16string description = {}, std::u16string subLocation = {})
        : m_name(std::move(name)), m_description(std::move(description)), m_subLocation(std::move(subLocation)) {}
    const std::u16string& name() const { return m_name; }  // the address
    const std::u16string& description() const { return m_description; }
    const std::u16string& subLocation() const { return m_subLocation; }

private:
    std::u16string m_name, m_description, m_subLocation;
};

class QxDbHyperlinkCollection {
public:
    int count() const { return static_cast<int>(m_items.size()); }
    QxDbHyperlink* item(int index) { return index >= 0 && index < count() ? &m_items[index] : nullptr; }
    void addTail(const char16_t* name, const char16_t* description = u"", const char16_t* subLocation = u"")
    {
        m_items.emplace_back(name, description, subLocation);
    }

private:
    std::vector<QxDbHyperlink> m_items;
};

class QxDbEntityHyperlinkPE : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(QxDbEntityHyperlinkPE)
public:
    // A new collection (the caller deletes it) of the object's hyperlinks, or only the first.
    virtual Qxapp::ErrorStatus getHyperlinkCollection(const QxDbObject* object, QxDbHyperlinkCollection*& links,
                                                      bool oneOnly = false, bool ignoreBlockDefs = true) = 0;
    // Replaces the object's hyperlinks; needs it open for write.
    virtual Qxapp::ErrorStatus setHyperlinkCollection(QxDbObject* object, const QxDbHyperlinkCollection* links) = 0;
    virtual Qxapp::ErrorStatus getHyperlinkCount(const QxDbObject* object, unsigned int& count,
                                                 bool ignoreBlockDefs = true) = 0;
    virtual Qxapp::ErrorStatus hasHyperlinks(const QxDbObject* object, bool& hasIt, bool ignoreBlockDefs = true) = 0;
};
