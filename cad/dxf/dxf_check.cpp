#include "cad/dxf/dxf_check.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "cad/dxf/dxf_names.h"
#include "cad/dxf/dxf_record.h"

namespace qx::dxf {

namespace {

std::string at(std::uint32_t line) { return "line " + std::to_string(line) + ": "; }

class Checker {
public:
    Checker(const DxfFile& file, const CheckOptions& options) : m_file(file), m_options(options) {}

    std::vector<std::string> run()
    {
        indexHandles();
        if (m_file.versionNumber() >= 1012) {
            checkSeed();
            checkOwnersAndPointers();
        }
        checkApplications();
        checkBlocks();
        checkTables();
        return std::move(m_problems);
    }

private:
    void indexHandles()
    {
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            const std::string_view type = m_file.recordType(i);
            if (type == "SECTION" || type == "ENDSEC" || type == "EOF" || type == "ENDTAB" || type == "CLASS") continue;
            const RecordHeader h = readRecordHeader(m_file, i);
            if (!h.handle) continue;
            auto [it, added] = m_byHandle.try_emplace(h.handle, i);
            if (!added)
                m_problems.push_back(at(m_file.recordLine(i)) + "handle " + formatHandle(h.handle) + " of " +
                                     std::string(type) + " is already used at line " +
                                     std::to_string(m_file.recordLine(it->second)));
            m_highest = std::max(m_highest, h.handle);
        }
    }

    void checkSeed()
    {
        const auto seedTags = m_file.headerVariable("$HANDSEED");
        std::uint64_t seed = 0;
        if (seedTags.empty() || !seedTags[0].toHandle(seed)) {
            m_problems.push_back("$HANDSEED is missing");
            return;
        }
        if (m_highest >= seed)
            m_problems.push_back(at(seedTags[0].line) + "$HANDSEED " + formatHandle(seed) + " is not above the highest handle " +
                                 formatHandle(m_highest));
    }

    void checkOwnersAndPointers()
    {
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            TagCursor cursor = m_file.tags(i);
            Tag tag;
            while (cursor.next(tag)) {
                if (tag.code == 1001) break;
                if (tag.code < 330 || tag.code > 369) continue;
                if (tag.code != 330 && !m_options.pointers) continue;
                std::uint64_t target = 0;
                if (!tag.toHandle(target)) {
                    m_problems.push_back(at(tag.line) + "pointer " + std::to_string(tag.code) + " is not a handle");
                    continue;
                }
                if (target && !m_byHandle.count(target))
                    m_problems.push_back(at(tag.line) + std::string(m_file.recordType(i)) + " points (" +
                                         std::to_string(tag.code) + ") to " + formatHandle(target) +
                                         ", which no record has");
            }
        }
    }

    void checkApplications()
    {
        std::set<std::string> registered;
        for (std::size_t i = 0; i < m_file.recordCount(); ++i)
            if (m_file.recordType(i) == "APPID") registered.insert(upperAscii(firstValue(i, 2)));
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            const RecordHeader h = readRecordHeader(m_file, i);
            const std::string_view text = m_file.recordText(i);
            if (h.xdataOffset >= text.size()) continue;
            TagCursor cursor = m_file.tags(i);
            Tag tag;
            while (cursor.next(tag))
                if (tag.code == 1001 && !registered.count(upperAscii(tag.value)))
                    m_problems.push_back(at(tag.line) + "application \"" + std::string(tag.value) +
                                         "\" of extended data is not in the APPID table");
        }
    }

    void checkBlocks()
    {
        std::set<std::string> records, blocks;
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            if (m_file.recordType(i) == "BLOCK_RECORD") records.insert(upperAscii(firstValue(i, 2)));
            if (m_file.recordType(i) == "BLOCK") blocks.insert(upperAscii(firstValue(i, 2)));
        }
        if (m_file.versionNumber() < 1012) return;  // no block records before R13
        for (const auto& name : records)
            if (!blocks.count(name)) m_problems.push_back("block record " + name + " has no BLOCK");
        for (const auto& name : blocks)
            if (!records.count(name)) m_problems.push_back("BLOCK " + name + " has no block record");
    }

    void checkTables()
    {
        bool hasClass = false;
        for (std::size_t i = 0; i < m_file.recordCount(); ++i)
            if (m_file.recordType(i) == "CLASS" && firstValue(i, 1) == "ACAD_TABLE") hasClass = true;
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            if (m_file.recordType(i) != "ACAD_TABLE") continue;
            const std::string where = at(m_file.recordLine(i)) + "table " + formatHandle(readRecordHeader(m_file, i).handle);
            if (!hasClass) m_problems.push_back(where + ": the CLASSES section has no ACAD_TABLE class");
            if (!pointsTo(i, 342, "TABLESTYLE")) m_problems.push_back(where + ": no table style (342)");
            if (!pointsTo(i, 343, "BLOCK_RECORD")) m_problems.push_back(where + ": no block record (343)");
        }
    }

    bool pointsTo(std::size_t record, int code, std::string_view type) const
    {
        std::uint64_t target = 0;
        Tag tag;
        TagCursor cursor = m_file.tags(record);
        while (cursor.next(tag))
            if (tag.code == code && tag.toHandle(target)) {
                const auto it = m_byHandle.find(target);
                return it != m_byHandle.end() && m_file.recordType(it->second) == type;
            }
        return false;
    }

    std::string_view firstValue(std::size_t record, int code) const
    {
        TagCursor cursor = m_file.tags(record);
        Tag tag;
        cursor.next(tag);  // the record type
        while (cursor.next(tag))
            if (tag.code == code) return tag.value;
        return {};
    }

    const DxfFile& m_file;
    const CheckOptions& m_options;
    std::unordered_map<std::uint64_t, std::size_t> m_byHandle;
    std::uint64_t m_highest = 0;
    std::vector<std::string> m_problems;
};

}  // namespace

std::vector<std::string> checkConsistency(const DxfFile& file, const CheckOptions& options)
{
    return Checker(file, options).run();
}

}  // namespace qx::dxf
