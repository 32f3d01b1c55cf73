// The one palette every picture of the game is painted from (0xRRGGBB).
#pragma once

#include <cstdint>

// Arena: actors, shots and pickups are drawn without a colour key, so their pictures' backgrounds
// are exactly the floor colour and no box shows around them on the floor.
constexpr uint32_t floorColour = 0x57534A;
constexpr uint32_t hudBandColour = 0x1C1B18;
constexpr uint32_t hudBandEdge = 0x55503F;
constexpr uint32_t brickColour = 0x8A5A40;
constexpr uint32_t brickLight = 0xA06C4E;
constexpr uint32_t mortarColour = 0x5C4A3C;
constexpr uint32_t wallEdge = 0x2E221A;
constexpr uint32_t wallHighlight = 0xB88462;

// People.
constexpr uint32_t skinColour = 0xE0B090;
constexpr uint32_t skinShade = 0xB88868;
constexpr uint32_t outlineColour = 0x141414;
constexpr uint32_t gunColour = 0x16161A;
constexpr uint32_t gunLight = 0x6A6A70;
constexpr uint32_t bloodColour = 0x7A0E0E;
constexpr uint32_t bloodDark = 0x560808;

constexpr uint32_t officerUniform = 0x2F55B0;
constexpr uint32_t officerUniformDark = 0x1A3070;
constexpr uint32_t officerCap = 0x18214A;
constexpr uint32_t officerVisor = 0x08080C;
constexpr uint32_t badgeGold = 0xF0C838;
constexpr uint32_t officerTrousers = 0x1C2238;

constexpr uint32_t gangJacket = 0xB8322A;
constexpr uint32_t gangJacketDark = 0x701C16;
constexpr uint32_t gangHatBrim = 0x2A221C;
constexpr uint32_t gangHatCrown = 0x4A3C30;
constexpr uint32_t gangHatBand = 0x0E0A08;
constexpr uint32_t gangTrousers = 0x3A3430;

// Shots and pickups.
constexpr uint32_t flashWhite = 0xFFFFD0;
constexpr uint32_t flashYellow = 0xFFD840;
constexpr uint32_t flashOrange = 0xFF9420;
constexpr uint32_t flashRed = 0xE85A10;
constexpr uint32_t crateColour = 0x6A6A2E;
constexpr uint32_t crateDark = 0x3A3A18;
constexpr uint32_t crateLight = 0x86864A;
constexpr uint32_t brassColour = 0xD8A840;
constexpr uint32_t brassLight = 0xFFE08A;
constexpr uint32_t copperColour = 0xB06030;
constexpr uint32_t stencilYellow = 0xE0C050;
constexpr uint32_t caseWhite = 0xF2F2EE;
constexpr uint32_t caseShade = 0xC8C8C2;
constexpr uint32_t caseEdge = 0x7A7A76;
constexpr uint32_t crossRed = 0xD42020;
