// A list of records that copies share until one of them changes: an engine is a value that
// the wizard's pages each hold, and copying a million records from page to page cost as much
// as reading them. Reading never copies; the first change made through a copy that shares
// its records with another gives that copy records of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class Record>
class SharedRecords {
public:
    using value_type = Record;
    using const_iterator = typename std::vector<Record>::const_iterator;

    SharedRecords() = default;

    // Reading: the records as they are, shared or not.
    const std::vector<Record>& items() const { return m_pRecords ? *m_pRecords : none(); }
    operator const std::vector<Record>&() const { return items(); }
    std::size_t size() const { return items().size(); }
    bool empty() const { return items().empty(); }
    const_iterator begin() const { return items().begin(); }
    const_iterator end() const { return items().end(); }
    const Record& operator[](std::size_t i) const { return items()[i]; }
    const Record& front() const { return items().front(); }
    const Record& back() const { return items().back(); }

    // Changing: the records become this copy's own first.
    std::vector<Record>& own()
    {
        if (!m_pRecords) m_pRecords = std::make_shared<std::vector<Record>>();
        else if (m_pRecords.use_count() > 1) m_pRecords = std::make_shared<std::vector<Record>>(*m_pRecords);
        return *m_pRecords;
    }
    void push_back(Record record) { own().push_back(std::move(record)); }
    template <class... Args>
    Record& emplace_back(Args&&... args)
    {
        return own().emplace_back(std::forward<Args>(args)...);
    }
    Record& operator[](std::size_t i) { return own()[i]; }
    Record& back() { return own().back(); }
    void clear() { m_pRecords.reset(); }

    // Whether two lists are the same records in memory (not merely equal ones).
    bool sharesWith(const SharedRecords& other) const { return m_pRecords && m_pRecords == other.m_pRecords; }

private:
    static const std::vector<Record>& none()
    {
        static const std::vector<Record> noRecords;
        return noRecords;
    }

    std::shared_ptr<std::vector<Record>> m_pRecords;
};
