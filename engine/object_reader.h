// Reading one object of the drawing into the engine's records. One reader serves one build
// and remembers what is worth keeping between objects (text style names by id, the
// by-layer texts). The kinds table names the read step of each kind.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "engine/entity_records.h"
#include "engine/read_conversions.h"
#include "host/dbid.h"

class ExtractionEngine;
class QxDbBlockReference;
class QxDbEntity;

class EngineReader {
public:
    explicit EngineReader(ExtractionEngine& engine);

    // Reads the object when it is of an extracted kind; ignores it otherwise.
    void readObject(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);

    // One read step per kind; each is handed only objects of its kind.
    void readLine(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readPolyline(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readCircle(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readArc(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readSolid3D(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readSolid(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readPoint(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readMText(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    void readBlock(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);

private:
    double round(double value) const;
    QxGePoint3d round(const QxGePoint3d& point) const;
    std::u16string kindName(std::uint32_t code) const;
    CommonProps readCommon(const QxDbEntity* entity, double thickness) const;
    std::u16string textStyleName(QxDbObjectId styleId);
    PropertyList dynamicProperties(QxDbObjectId referenceId, std::vector<PropItem>& items) const;

    struct BlockListing {
        std::u16string name;
        bool isDynamic = false;
        PropertyList properties;      // the dynamic properties
        std::vector<PropItem> items;  // and their catalogue entries
    };
    bool blockListing(QxDbBlockReference* reference, QxDbObjectId id, BlockListing& listing) const;
    PropertyList attributesOf(QxDbBlockReference* reference, std::vector<PropItem>& items) const;

    ExtractionEngine& m_engine;
    const ByTexts m_byTexts;
    std::unordered_map<QxDbObjectId, std::u16string> m_styleNames;
};
