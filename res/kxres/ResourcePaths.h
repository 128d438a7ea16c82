#pragma once

// Paths of the artwork compiled into the program (library kx_res).
namespace kx::res {
// 15 x 15 tree image; black is its mask colour.
inline constexpr const char* kTreeBitmap = ":/res/tree135.bmp";
// Application icon, 128 x 128 with alpha.
inline constexpr const char* kAppIcon = ":/res/app128.png";
// The same icon in all sizes for window icons: ":/res/icons/kx4200-N.png".
inline constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
// True when the compiled-in artwork is present (kx_res linked).
bool HasArtwork();
}  // namespace kx::res
