// A seeded generator of ASCII drawings with a mix of entities, for benchmarks and tests:
// the same seed and count give the same bytes. The drawing is a complete R2013 file (tables,
// block records, a block with attribute definitions, an object section) so that readers which
// check consistency accept it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace qx::bench {

class DxfDrawingGenerator {
public:
    explicit DxfDrawingGenerator(std::uint32_t seed) : m_random(seed) {}

    // A drawing with `entities` model-space entities, cycling through lines, polylines, arcs,
    // circles, solids, points, multi-line texts, texts, ellipses and block references with two
    // attributes; every tenth entity has a hyperlink.
    std::string drawing(std::size_t entities)
    {
        m_out.clear();
        m_out.reserve(entities * 110 + 8192);
        m_handle = kFirstEntity;
        header(entities);
        tables();
        blocks();
        pair(0, "SECTION");
        pair(2, "ENTITIES");
        for (std::size_t i = 0; i < entities; ++i) entity(i);
        pair(0, "ENDSEC");
        objects();
        pair(0, "EOF");
        return std::move(m_out);
    }

    // The handle of the i-th model-space entity: each takes one handle, and each block
    // reference before it three more (two attributes and the sequence end).
    static std::uint32_t entityHandle(std::size_t i)
    {
        return kFirstEntity + static_cast<std::uint32_t>(i + 3 * (i / 10));
    }

private:
    // Handles of the fixed records.
    enum : std::uint32_t {
        kBlockRecordTable = 0x1, kLayerTable = 0x2, kStyleTable = 0x3, kLinetypeTable = 0x5, kAppidTable = 0x9,
        kRootDictionary = 0xC, kGroupDictionary = 0xD, kModelSpace = 0x1F, kPaperSpace = 0x1B, kDoorRecord = 0x30,
        kLayer0 = 0x10, kLayerWalls = 0x11, kStandardStyle = 0x12, kByBlock = 0x14, kByLayer = 0x15,
        kContinuous = 0x16, kAppAcad = 0x17, kAppUrl = 0x18, kModelBlock = 0x20, kModelEnd = 0x21,
        kPaperBlock = 0x1C, kPaperEnd = 0x1D, kDoorBlock = 0x31, kDoorEnd = 0x32, kDoorLine1 = 0x33,
        kDoorLine2 = 0x34, kDoorAttdef = 0x35, kFirstEntity = 0x100,
    };

    void pair(int code, std::string_view value)
    {
        char digits[8];
        const int n = std::snprintf(digits, sizeof digits, "%3d\n", code);
        m_out.append(digits, n);
        m_out.append(value);
        m_out += '\n';
    }
    void pair(int code, double value)
    {
        char text[32];
        const int n = std::snprintf(text, sizeof text, "%.6g", value);
        pair(code, std::string_view(text, n));
    }
    void integer(int code, long value) { pair(code, std::string_view(std::to_string(value))); }
    static std::string hex(std::uint32_t h)
    {
        char text[16];
        const int n = std::snprintf(text, sizeof text, "%X", h);
        return std::string(text, n);
    }
    void handle(int code, std::uint32_t h) { pair(code, hex(h)); }
    double coord() { return std::uniform_real_distribution<double>(0, 10000)(m_random); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    void header(std::size_t entities)
    {
        pair(0, "SECTION");
        pair(2, "HEADER");
        pair(9, "$ACADVER");
        pair(1, "AC1027");
        pair(9, "$DWGCODEPAGE");
        pair(3, "ANSI_1252");
        pair(9, "$HANDSEED");
        // Each entity takes one handle, each block reference three more (attributes, SEQEND).
        handle(5, kFirstEntity + static_cast<std::uint32_t>(entities + 3 * (entities / 10)));
        pair(9, "$LUPREC");
        integer(70, 4);
        pair(9, "$UCSORG");
        pair(10, 0.0), pair(20, 0.0), pair(30, 0.0);
        pair(9, "$UCSXDIR");
        pair(10, 1.0), pair(20, 0.0), pair(30, 0.0);
        pair(9, "$UCSYDIR");
        pair(10, 0.0), pair(20, 1.0), pair(30, 0.0);
        pair(0, "ENDSEC");
    }

    void tableHead(std::string_view name, std::uint32_t h, int count)
    {
        pair(0, "TABLE");
        pair(2, name);
        handle(5, h);
        handle(330, 0);
        pair(100, "AcDbSymbolTable");
        integer(70, count);
    }
    void entryHead(std::string_view type, std::uint32_t h, std::uint32_t table, std::string_view subclass)
    {
        pair(0, type);
        handle(5, h);
        handle(330, table);
        pair(100, "AcDbSymbolTableRecord");
        pair(100, subclass);
    }

    void tables()
    {
        pair(0, "SECTION");
        pair(2, "TABLES");
        tableHead("LTYPE", kLinetypeTable, 3);
        for (auto [h, name] : {std::pair{kByBlock, "ByBlock"}, {kByLayer, "ByLayer"}, {kContinuous, "Continuous"}}) {
            entryHead("LTYPE", h, kLinetypeTable, "AcDbLinetypeTableRecord");
            pair(2, name), integer(70, 0), pair(3, ""), integer(72, 65), integer(73, 0), pair(40, 0.0);
        }
        pair(0, "ENDTAB");
        tableHead("LAYER", kLayerTable, 2);
        for (auto [h, name] : {std::pair{kLayer0, "0"}, {kLayerWalls, "Walls"}}) {
            entryHead("LAYER", h, kLayerTable, "AcDbLayerTableRecord");
            pair(2, name), integer(70, 0), integer(62, 7), pair(6, "Continuous");
        }
        pair(0, "ENDTAB");
        tableHead("STYLE", kStyleTable, 1);
        entryHead("STYLE", kStandardStyle, kStyleTable, "AcDbTextStyleTableRecord");
        pair(2, "Standard"), integer(70, 0), pair(40, 0.0), pair(41, 1.0), pair(50, 0.0), integer(71, 0);
        pair(42, 2.5), pair(3, "txt"), pair(4, "");
        pair(0, "ENDTAB");
        tableHead("APPID", kAppidTable, 2);
        for (auto [h, name] : {std::pair{kAppAcad, "ACAD"}, {kAppUrl, "PE_URL"}}) {
            entryHead("APPID", h, kAppidTable, "AcDbRegAppTableRecord");
            pair(2, name), integer(70, 0);
        }
        pair(0, "ENDTAB");
        tableHead("BLOCK_RECORD", kBlockRecordTable, 3);
        for (auto [h, name] : {std::pair{kModelSpace, "*Model_Space"}, {kPaperSpace, "*Paper_Space"}, {kDoorRecord, "DOOR"}}) {
            entryHead("BLOCK_RECORD", h, kBlockRecordTable, "AcDbBlockTableRecord");
            pair(2, name), handle(340, 0), integer(70, 0), integer(280, 1), integer(281, 0);
        }
        pair(0, "ENDTAB");
        pair(0, "ENDSEC");
    }

    void blockBegin(std::uint32_t h, std::uint32_t record, std::string_view name, int flags)
    {
        pair(0, "BLOCK"), handle(5, h), handle(330, record), pair(100, "AcDbEntity"), pair(8, "0");
        pair(100, "AcDbBlockBegin"), pair(2, name), integer(70, flags);
        pair(10, 0.0), pair(20, 0.0), pair(30, 0.0), pair(3, name), pair(1, "");
    }
    void blockEnd(std::uint32_t h, std::uint32_t record)
    {
        pair(0, "ENDBLK"), handle(5, h), handle(330, record), pair(100, "AcDbEntity"), pair(8, "0");
        pair(100, "AcDbBlockEnd");
    }

    void blocks()
    {
        pair(0, "SECTION");
        pair(2, "BLOCKS");
        blockBegin(kModelBlock, kModelSpace, "*Model_Space", 0);
        blockEnd(kModelEnd, kModelSpace);
        blockBegin(kPaperBlock, kPaperSpace, "*Paper_Space", 0);
        blockEnd(kPaperEnd, kPaperSpace);
        blockBegin(kDoorBlock, kDoorRecord, "DOOR", 2);
        for (auto [h, x] : {std::pair{kDoorLine1, 0.0}, {kDoorLine2, 900.0}}) {
            entityHead("LINE", h, kDoorRecord, "0");
            pair(100, "AcDbLine"), pair(10, x), pair(20, 0.0), pair(30, 0.0), pair(11, x), pair(21, 2100.0), pair(31, 0.0);
        }
        entityHead("ATTDEF", kDoorAttdef, kDoorRecord, "0");
        pair(100, "AcDbText"), pair(10, 0.0), pair(20, 0.0), pair(30, 0.0), pair(40, 100.0), pair(1, "D1");
        pair(100, "AcDbAttributeDefinition"), pair(3, "Door number"), pair(2, "NUMBER"), integer(70, 0);
        blockEnd(kDoorEnd, kDoorRecord);
        pair(0, "ENDSEC");
    }

    void entityHead(std::string_view type, std::uint32_t h, std::uint32_t owner, std::string_view layer)
    {
        pair(0, type);
        handle(5, h);
        handle(330, owner);
        pair(100, "AcDbEntity");
        pair(8, layer);
    }

    void entity(std::size_t i)
    {
        const std::uint32_t h = m_handle++;
        const char* layer = i % 3 ? "Walls" : "0";
        switch (i % 10) {
        case 0:
            entityHead("LINE", h, kModelSpace, layer);
            pair(100, "AcDbLine"), pair(10, coord()), pair(20, coord()), pair(30, 0.0);
            pair(11, coord()), pair(21, coord()), pair(31, 0.0);
            break;
        case 1: {
            entityHead("LWPOLYLINE", h, kModelSpace, layer);
            const int n = 3 + pick(4);
            pair(100, "AcDbPolyline"), integer(90, n), integer(70, pick(2)), pair(43, 0.0);
            for (int v = 0; v < n; ++v) {
                pair(10, coord()), pair(20, coord());
                if (v == 1) pair(42, 0.5);
            }
            break;
        }
        case 2:
            entityHead("ARC", h, kModelSpace, layer);
            pair(100, "AcDbCircle"), pair(10, coord()), pair(20, coord()), pair(30, 0.0), pair(40, 1 + coord() / 100);
            pair(100, "AcDbArc"), pair(50, double(pick(360))), pair(51, double(pick(360)));
            break;
        case 3:
            entityHead("CIRCLE", h, kModelSpace, layer);
            pair(100, "AcDbCircle"), pair(10, coord()), pair(20, coord()), pair(30, 0.0), pair(40, 1 + coord() / 100);
            break;
        case 4: {
            entityHead("SOLID", h, kModelSpace, layer);
            const double x = coord(), y = coord();
            pair(100, "AcDbTrace");
            pair(10, x), pair(20, y), pair(30, 0.0), pair(11, x + 10), pair(21, y), pair(31, 0.0);
            pair(12, x), pair(22, y + 10), pair(32, 0.0), pair(13, x + 10), pair(23, y + 10), pair(33, 0.0);
            break;
        }
        case 5:
            entityHead("POINT", h, kModelSpace, layer);
            pair(100, "AcDbPoint"), pair(10, coord()), pair(20, coord()), pair(30, 0.0);
            break;
        case 6:
            entityHead("MTEXT", h, kModelSpace, layer);
            pair(100, "AcDbMText"), pair(10, coord()), pair(20, coord()), pair(30, 0.0), pair(40, 2.5), pair(41, 0.0);
            integer(71, 1), integer(72, 5), pair(1, "Room " + std::to_string(i)), pair(7, "Standard");
            break;
        case 7:
            entityHead("TEXT", h, kModelSpace, layer);
            pair(100, "AcDbText"), pair(10, coord()), pair(20, coord()), pair(30, 0.0), pair(40, 2.5);
            pair(1, "Label " + std::to_string(i)), pair(100, "AcDbText");
            break;
        case 8:
            entityHead("ELLIPSE", h, kModelSpace, layer);
            pair(100, "AcDbEllipse"), pair(10, coord()), pair(20, coord()), pair(30, 0.0);
            pair(11, 50.0), pair(21, 0.0), pair(31, 0.0), pair(40, 0.5), pair(41, 0.0), pair(42, 6.283185307179586);
            break;
        case 9: {
            entityHead("INSERT", h, kModelSpace, layer);
            const double x = coord(), y = coord();
            pair(100, "AcDbBlockReference"), integer(66, 1), pair(2, "DOOR");
            pair(10, x), pair(20, y), pair(30, 0.0);
            for (const char* tag : {"NUMBER", "WIDTH"}) {
                entityHead("ATTRIB", m_handle++, h, layer);
                pair(100, "AcDbText"), pair(10, x), pair(20, y), pair(30, 0.0), pair(40, 100.0);
                pair(1, std::string(tag) + "-" + std::to_string(i)), pair(100, "AcDbAttribute"), pair(2, tag), integer(70, 0);
            }
            pair(0, "SEQEND"), handle(5, m_handle++), handle(330, h), pair(100, "AcDbEntity"), pair(8, layer);
            return;  // extended data would have to sit before the attributes
        }
        }
        if (i % 10 == 0 || i % 17 == 3) {
            pair(1001, "PE_URL");
            pair(1000, "https://example.org/item/" + std::to_string(i));
            pair(1002, "{"), pair(1000, "item " + std::to_string(i)), pair(1002, "}");
        }
    }

    void objects()
    {
        pair(0, "SECTION");
        pair(2, "OBJECTS");
        pair(0, "DICTIONARY"), handle(5, kRootDictionary), handle(330, 0), pair(100, "AcDbDictionary");
        integer(281, 1), pair(3, "ACAD_GROUP"), handle(350, kGroupDictionary);
        pair(0, "DICTIONARY"), handle(5, kGroupDictionary), handle(330, kRootDictionary), pair(100, "AcDbDictionary");
        integer(281, 1);
        pair(0, "ENDSEC");
    }

    std::mt19937 m_random;
    std::string m_out;
    std::uint32_t m_handle = kFirstEntity;
};

}  // namespace qx::bench
