// The document manager: the current document and the stack of resource instances that
// modules push while they create commands or dialogs.
#include <memory>
#include <vector>

#include "cad/runtime/documents.h"
#include "database.h"
#include "docman.h"

namespace {

class Document : public QxApDocument {
public:
    std::u16string fileName() const override { return m_fileName; }
    QxDbDatabase* database() const override { return m_database.get(); }
    const std::shared_ptr<QxDbDatabase>& shared() const { return m_database; }
    void set(std::u16string fileName, std::shared_ptr<QxDbDatabase> database)
    {
        m_fileName = std::move(fileName);
        m_database = std::move(database);
    }

private:
    std::u16string m_fileName;
    std::shared_ptr<QxDbDatabase> m_database;
};

class DocManager : public QxApDocManager {
public:
    QxApDocument* curDocument() const override { return m_current.database() ? const_cast<Document*>(&m_current) : nullptr; }
    QxApDocument* document(const QxDbDatabase* database) const override
    {
        return database && database == m_current.database() ? const_cast<Document*>(&m_current) : nullptr;
    }
    void pushResourceHandle(QxResourceInstance instance) override
    {
        m_saved.push_back(qxuiGetResourceHandle());
        qxuiSetResourceHandle(instance);
    }
    void popResourceHandle() override
    {
        if (m_saved.empty()) return;
        qxuiSetResourceHandle(m_saved.back());
        m_saved.pop_back();
    }
    Document& current() { return m_current; }

private:
    Document m_current;
    std::vector<QxResourceInstance> m_saved;
};

DocManager& manager()
{
    static DocManager m;
    return m;
}

}  // namespace

QxApDocManager* qxDocManagerPtr() { return &manager(); }

void qx::setCurrentDocument(std::u16string fileName, std::shared_ptr<QxDbDatabase> database)
{
    qxdbHostApplicationServices()->setWorkingDatabase(database.get());
    manager().current().set(std::move(fileName), std::move(database));
}

std::shared_ptr<QxDbDatabase> qx::currentDatabase() { return manager().current().shared(); }
std::u16string qx::currentFileName() { return manager().current().fileName(); }

QxDbHostApplicationServices* qxdbHostApplicationServices()
{
    static QxDbHostApplicationServices services;
    return &services;
}
