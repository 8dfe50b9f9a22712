#include "media/Pictures.h"

namespace detonix {

namespace {
std::unique_ptr<TResizableImageList> MakeList(const std::vector<TMaskedBitmap>& pictures, int size) {
  auto list = std::make_unique<TResizableImageList>(size, size, true);
  AddPictures(*list, pictures);
  return list;
}
}  // namespace

void AddPictures(TImageList& list, const std::vector<TMaskedBitmap>& pictures) {
  for (const TMaskedBitmap& p : pictures) list.Add(p.Image, &p.Mask);
}

std::unique_ptr<TResizableImageList> CreateObjectImages(int size) { return MakeList(ObjectPictures(size), size); }

std::unique_ptr<TResizableImageList> CreatePlayerImages(int size, unsigned characters) {
  auto list = MakeList(PlayerPictures(size, characters), size);
  list->BlendColor = clWhite;
  return list;
}

std::unique_ptr<TResizableImageList> CreateCharacterImages(int size) { return MakeList(CharacterPictures(size), size); }

}  // namespace detonix
