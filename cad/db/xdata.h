// Extended data of one object: per registered application, its groups in order, the
// application's 1001 group first.
//
// A drawing may carry extended data on a large share of its objects, so the groups are not
// kept as result buffers (one allocation per group and per string) but packed, one group after
// another, in a single buffer of 16-bit units:
//   group code                  1 unit
//   string                      length, then its UTF-16 code units as given
//   real / point                4 / 12 units, the bits of the doubles
//   short / long                1 / 2 units
//   binary chunk                length in bytes, then the bytes, two to a unit
// A length takes one unit below 0x8000 and two otherwise (the first with its top bit set).
// Strings stay 16-bit aligned, so reading one is a view into the buffer, not a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

#include "host/resbuf.h"

class QxDbXData {
public:
    // One group, decoded: the member its kind uses is set. Views point into the buffer and
    // stay valid until the extended data changes.
    struct Value {
        int code = 0;
        QxRbKind kind = QxRbKind::None;
        std::u16string_view text;
        double real = 0;
        double point[3] = {0, 0, 0};
        std::int32_t integer = 0;  // Short and Long
        std::span<const unsigned char> binary;
    };

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Value;
        using difference_type = std::ptrdiff_t;
        using pointer = const Value*;
        using reference = const Value&;

        Iterator() = default;
        Iterator(const char16_t* at, const char16_t* end) : m_at(at), m_end(end) { load(); }
        const Value& operator*() const { return m_value; }
        const Value* operator->() const { return &m_value; }
        Iterator& operator++()
        {
            m_at = m_next;
            load();
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_at == other.m_at; }

    private:
        void load()
        {
            if (m_at != m_end) m_next = QxDbXData::decode(m_at, m_value);
        }
        const char16_t* m_at = nullptr;
        const char16_t* m_end = nullptr;
        const char16_t* m_next = nullptr;
        Value m_value;
    };

    struct Range {
        Iterator first, last;
        Iterator begin() const { return first; }
        Iterator end() const { return last; }
    };

    bool empty() const { return m_packed.empty(); }
    // Whether the application has data here; names match ignoring letter case.
    bool has(std::u16string_view app) const;

    // All groups, application after application, or one application's groups (none when it
    // has no data here).
    Range values() const;
    Range values(std::u16string_view app) const;

    // A new chain for the caller to release: one application's groups, or all of them.
    qxresbuf* chain(const char16_t* appOrNull) const;

    // `count` groups from `first`, which is the application's 1001 group, become that
    // application's data: in the place of its old data, or after the other applications.
    void replaceApp(const qxresbuf* first, std::size_t count);
    void removeApp(std::u16string_view app);

    // Decodes the group at `at` and returns where the next one starts.
    static const char16_t* decode(const char16_t* at, Value& out);

private:
    struct Span {
        std::size_t begin = 0, end = 0;
    };
    // Where the application's groups are in the buffer; an empty span at the end when absent.
    Span find(std::u16string_view app) const;
    Range range(Span span) const;

    std::u16string m_packed;
};
