// The list of a database's stubs. Ids point at stubs, so a stub never moves: the list grows
// by fixed chunks. Each chunk is aligned to its own size and starts with the address of the
// database, which a stub finds by rounding its own address down. That spares a pointer in
// each of the million stubs of a large drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

class QxDbDatabase;
class QxDbObject;

// The database's slot for one object: its handle, the object it owns, and the state of its
// opens. Ids point at stubs, so an id stays valid as long as the database, erased or not.
class QxDbStub {
public:
    QxDbObject* object = nullptr;  // owned
    std::uint64_t handle = 0;
    std::uint32_t readers = 0;
    bool writer = false;
    bool erased = false;
    // The database's revision when the object was last opened for write (or added): views
    // kept of the drawing redo only what changed since the revision they were made at.
    std::uint32_t written = 0;

    bool isOpen() const { return writer || readers != 0; }
    QxDbDatabase* database() const;
};

class StubList {
    struct Chunk;

public:
    explicit StubList(QxDbDatabase* database) : m_database(database) {}
    ~StubList();
    StubList(const StubList&) = delete;
    StubList& operator=(const StubList&) = delete;

    // A new stub at the end, its fields at their defaults.
    QxDbStub& emplace_back();
    std::size_t size() const { return m_size; }
    QxDbStub& back();

    // The database of the list a stub belongs to.
    static QxDbDatabase* databaseOf(const QxDbStub* stub);

    template <class Stub>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = QxDbStub;
        using difference_type = std::ptrdiff_t;
        using pointer = Stub*;
        using reference = Stub&;

        Iterator() = default;
        Iterator(const StubList* list, std::size_t index) : m_list(list), m_index(index) {}
        Stub& operator*() const { return m_list->at(m_index); }
        Stub* operator->() const { return &m_list->at(m_index); }
        Iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        const StubList* m_list = nullptr;
        std::size_t m_index = 0;
    };
    using iterator = Iterator<QxDbStub>;
    using const_iterator = Iterator<const QxDbStub>;
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, m_size}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }

private:
    QxDbStub& at(std::size_t index) const;

    QxDbDatabase* m_database;
    std::vector<Chunk*> m_chunks;
    std::size_t m_size = 0;
};
