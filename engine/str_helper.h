// The property catalogue: the nine extractable kinds and, per kind, its ordered properties,
// in the current user-interface language. Records read the lists by position, so the order
// of every list is part of the contract.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/entity_records.h"
#include "engine/prop_item.h"

// Positions in the catalogue lists. Records fill their pairs by these, and the lists are
// loaded in this order.
namespace CommonPos {
enum : std::size_t { Layer, Color, LinetypeScale, Thickness, LineWeight, Hyperlink, PlotStyle, Linetype, Count };
}
namespace LinePos {
enum : std::size_t { Angle, DeltaX, DeltaY, DeltaZ, StartX, EndX = StartX + 3, Length = EndX + 3, Count };
}
namespace PolylinePos {
enum : std::size_t { Area, ConstWidth, Length, Closed, LinetypeGeneration, Count };
}
namespace ArcPos {
enum : std::size_t { Area, StartAngle, EndAngle, TotalAngle, CenterX, Length = CenterX + 3, Radius, Count };
}
namespace CirclePos {
enum : std::size_t { Area, CenterX, Radius = CenterX + 3, Circumference, Diameter, Count };
}
namespace PointPos {
enum : std::size_t { PositionX, Count = PositionX + 3 };
}
namespace MTextPos {
enum : std::size_t {
    PositionX,
    Contents = PositionX + 3,
    Style,
    Justify,
    Direction,
    Width,
    Height,
    Rotation,
    BackgroundMask,
    SpacingFactor,
    SpacingDistance,
    SpacingStyle,
    Count
};
}
namespace BlockPos {
enum : std::size_t { PositionX, Rotation = PositionX + 3, ScaleX, ScaleY, ScaleZ, Count };
}

class StrHelper {
public:
    // Loads every text from the string catalogue ("???" for a missing one).
    StrHelper();

    // The text of a category number (1 to 6), empty for any other.
    static std::u16string CategoryName(std::int32_t category);
    // The display name of a kind's type code, empty for an unknown code.
    const std::u16string& KindName(std::uint32_t code) const;
    // The type code of a kind's display name, 0 for none.
    std::uint32_t KindCode(const std::u16string& name) const;

    PropItem objectTypeItem;
    PropItem quantityItem;
    std::vector<std::u16string> lsObjNames;  // position = type code - 1
    PropItem blockPreviewItem;
    PropItem blockNameItem;
    PropItemList lineDatas;
    PropItemList pLineDatas;
    PropItemList arcDatas;
    PropItemList circleDatas;
    PropItemList pointDatas;
    PropItemList mTextDatas;
    PropItemList ls_comPropTags;  // general properties of every kind but blocks
    PropItemList blcDatas;
};
