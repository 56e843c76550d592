// Pieces of the writer shared by the record writers: handles for records that only exist in
// the file (BLOCK, ENDBLK, SEQEND), names of referenced records, and the pairs of new objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_names.h"
#include "cad/dxf/dxf_record.h"
#include "cad/dxf/dxf_writer.h"

namespace qx::dxf {

// Where new records get their handles: the database's seed, so that every handle written is
// below the $HANDSEED written with it.
class HandleSource {
public:
    explicit HandleSource(QxDbDatabase::Impl& impl) : m_impl(impl) {}
    std::uint64_t next() { return m_impl.allocateHandle(); }

private:
    QxDbDatabase::Impl& m_impl;
};

// The extended data of an object as values for writeXData.
XData xdataOf(const QxDbObject& object);

// The ACAD_TABLE record of a table and the graphics of its block: the block's entities
// (lines of the grid, a multi-line text per text cell, a reference per block cell) as records.
struct TableRecords {
    std::string table;     // the ACAD_TABLE record
    std::string entities;  // records inside the *T block
    std::size_t xdataSize = 0;
};
TableRecords writeTable(const QxDbTable& table, std::uint64_t tableHandle, std::uint64_t owner, std::uint64_t blockRecord,
                        const std::u16string& blockName, const WriteStyle& style, int version, HandleSource& handles);

// The TABLESTYLE record of a style.
std::string writeTableStyle(const QxDbTableStyle& style, std::uint64_t handle, std::uint64_t owner, const WriteStyle& writeStyle);

}  // namespace qx::dxf
