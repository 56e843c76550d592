// A selection set of the editor, freed when the scope ends.
#pragma once

#include <cstdint>

#include "host/editor.h"

class SelectionSet {
public:
    SelectionSet() = default;
    ~SelectionSet() { free(); }
    SelectionSet(const SelectionSet&) = delete;
    SelectionSet& operator=(const SelectionSet&) = delete;
    // Selects with `mode`; true when the selection completed normally and is not empty.
    bool select(const char16_t* mode)
    {
        free();
        if (qxedSSGet(mode, nullptr, nullptr, nullptr, m_name) != QXRT_NORM) return false;
        m_held = true;
        return qxedSSLength(m_name, &m_length) == QXRT_NORM && m_length > 0;
    }
    void free()
    {
        if (m_held) qxedSSFree(m_name);
        m_held = false;
        m_length = 0;
    }
    const qxds_name& name() const { return m_name; }
    std::int32_t length() const { return m_length; }

private:
    qxds_name m_name = {0, 0};
    std::int32_t m_length = 0;
    bool m_held = false;
};
