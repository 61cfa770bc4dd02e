#pragma once
// The fixed geometry of the small-page NAND behind the bridge.
#include <cstdint>

inline constexpr std::uint32_t PAGE_DATA_SIZE = 512;
inline constexpr std::uint32_t PAGE_RAW_SIZE = 528;
inline constexpr std::uint32_t PAGES_PER_BLOCK = 32;
inline constexpr std::uint32_t BLOCK_DATA_SIZE = 0x4000;
inline constexpr std::uint32_t BLOCK_RAW_SIZE = 0x4200;
inline constexpr std::uint32_t BLOCK_COUNT = 4096;
// Offsets count data bytes only; the main area ends here.
inline constexpr std::uint32_t MAIN_AREA_SIZE = BLOCK_COUNT * BLOCK_DATA_SIZE;
inline constexpr std::uint32_t BLOCK_ALIGN_MASK = ~(BLOCK_DATA_SIZE - 1);
