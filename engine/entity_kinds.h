// The extracted kinds, said once: each kind's type code, how an object of the drawing is
// recognised as one, its catalogue list, its categories and where the engine keeps its
// records. The reader, the engine's per-kind steps and the update command all walk this
// table instead of listing the kinds again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/entity_records.h"
#include "engine/prop_item.h"

class EngineReader;
class ExtractionEngine;
class QxDbEntity;
class QxDbObject;
class QxDbObjectId;
class StrHelper;

// Category bits of a kind: the categories page 4 offers when the kind is chosen.
constexpr unsigned CategoryBit(std::int32_t category) { return 1u << category; }

struct EntityKind {
    EntityTypeCode code;
    // The class test. Kinds are tried in table order, so a kind whose class derives from
    // another's must come first.
    bool (*isKind)(const QxDbObject* object);
    // The kind's own properties in the catalogue; null for kinds without any (solids).
    // Blocks have theirs too, but their records read them apart from the general list.
    PropItemList StrHelper::*ownNames;
    unsigned categories;  // CategoryBit of each category the kind brings
    bool hasThickness;    // whether the general list includes the thickness for this kind
    // Reads one object of this kind into the engine.
    void (EngineReader::*read)(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle);
    std::size_t (*recordCount)(const ExtractionEngine& engine);
    // The general record at a position; null for blocks, whose records are no GeomEnt.
    const GeomEnt* (*generalRecord)(const ExtractionEngine& engine, std::size_t position);
};

// Every kind, by ascending type code (the catalogue's object names follow the same order).
std::span<const EntityKind> EntityKinds();
// The kind of a type code, or null.
const EntityKind* KindOfCode(std::uint32_t code);
// The kind an object of the drawing is extracted as, or null when it is none of them.
const EntityKind* KindOfObject(const QxDbObject* object);
