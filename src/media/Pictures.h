#pragma once

#include <memory>
#include <vector>

#include "board/GameConstants.h"
#include "media/ResizableImageList.h"
#include "platform/Bitmap.h"

namespace detonix {

// A picture and its transparency: Mask is white where the picture is transparent, black elsewhere.
struct TMaskedBitmap {
  TBitmap Image;
  TBitmap Mask;
};

constexpr int PictureSize = NativeCellSize;
constexpr int ObjectPictureCount = 11;
constexpr int PlayerPictureCount = 24;
constexpr int CharacterCount = 4;
constexpr int PlayerPicturesPerCharacter = PlayerPictureCount / CharacterCount;
constexpr unsigned AllCharacters = (1u << CharacterCount) - 1;
constexpr int AboutPictureSize = 140;

// The game's own pictures, drawn by the code in assets/pictures when asked for, Size pixels square.
// Objects: index = the ordinal of the cell's TObjectType (0 fixed block ... 10 seeking bombs).
std::vector<TMaskedBitmap> ObjectPictures(int size = PictureSize);
// Players: four characters of six pictures: front left, front right, back left, back right,
// hit (a white ghost), outline.
// Only the CHARACTERS (bit 1 << character) are painted; the others' places hold empty pictures.
std::vector<TMaskedBitmap> PlayerPictures(int size = PictureSize, unsigned characters = AllCharacters);
// The settings dialog's list pictures, one per character.
std::vector<TMaskedBitmap> CharacterPictures(int size = PictureSize);
// The About page: a 140-pixel scene and a small transparent 30-pixel badge.
TMaskedBitmap AboutPicture(int size = AboutPictureSize);
TMaskedBitmap SmallAboutPicture();
// The badge of the About page at any size: the program's icon.
TMaskedBitmap BadgePicture(int size);
// The same as an icon: 32-bit ARGB, each pixel's alpha how much of it the badge covers (smooth
// edges, opaque where the badge's mask is more than half covered), clear pixels black.
TBitmap IconPicture(int size);

// Image lists of pictures painted at Size pixels, masked; the player list blends white in the
// focus style.
std::unique_ptr<TResizableImageList> CreateObjectImages(int size = PictureSize);
std::unique_ptr<TResizableImageList> CreatePlayerImages(int size = PictureSize, unsigned characters = AllCharacters);
std::unique_ptr<TResizableImageList> CreateCharacterImages(int size = PictureSize);
void AddPictures(TImageList& list, const std::vector<TMaskedBitmap>& pictures);

}  // namespace detonix
