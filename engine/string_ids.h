// Ids of the catalogue texts the extraction engine loads.
#pragma once

#include <cstdint>

enum EngineStringId : std::uint32_t {
    kIdsLayer = 165,
    kIdsQuantity = 167,
    kIdsObjectType = 168,
    kIdsBlock = 169,  // 169 to 176: Block ... Point
    kIdsBlockPreview = 177,
    kIdsBlockName = 178,
    kIdsCircleArea = 179,  // 179 to 185: the circle list
    kIdsByLayer = 190,
    kIdsByBlock = 191,
    kIdsDefault = 192,
    kIdsColor = 193,  // 193 to 199: the general list after "Layer"
    kIdsLineAngle = 202,  // 202 to 212: the line list
    kIdsPropertyHeader = 214,
    kIdsDisplayNameHeader = 215,
    kIdsTotalHeader = 216,
    kIdsCategGeneral = 218,  // 218 to 222: categories 1 to 5
    kIdsPolyArea = 223,  // 223 to 225 with 255 and 265: the polyline list
    kIdsArcArea = 226,   // 226 to 234: the arc list
    kIdsPointX = 235,    // 235 to 237: the point list
    kIdsClosed = 255,
    kIdsYes = 256,
    kIdsNo = 257,
    kIdsBlockX = 258,  // 258 to 264: the block list
    kIdsLinetypeGeneration = 265,
    kIdsEnabled = 266,
    kIdsDisabled = 267,
    kIdsTopLeft = 268,
    kIdsTopCenter = 269,
    kIdsTopRight = 270,
    kIdsMiddleLeft = 271,
    kIdsMiddleCenter = 272,
    kIdsMiddleRight = 273,
    kIdsBottomLeft = 274,
    kIdsBottomCenter = 275,
    kIdsBottomRight = 276,
    kIdsLeft = 277,
    kIdsCenter = 278,
    kIdsRight = 279,
    kIdsAligned = 280,
    kIdsFit = 281,
    kIdsMiddle = 282,
    kIdsHorizontal = 283,
    kIdsVertical = 284,
    kIdsByStyle = 285,
    kIdsAtLeast = 287,
    kIdsExactly = 288,
    kIdsMText = 289,
    kIdsMTextX = 290,  // 290 to 303: the multi-line text list
    kIdsCategText = 304,
};
