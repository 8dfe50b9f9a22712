#include "media/Pictures.h"

namespace detonix {

namespace {
std::unique_ptr<TResizableImageList> MakeList(const std::vector<TMaskedBitmap>& pictures) {
  auto list = std::make_unique<TResizableImageList>(PictureSize, PictureSize, true);
  AddPictures(*list, pictures);
  return list;
}
}  // namespace

void AddPictures(TImageList& list, const std::vector<TMaskedBitmap>& pictures) {
  for (const TMaskedBitmap& p : pictures) list.Add(p.Image, &p.Mask);
}

std::unique_ptr<TResizableImageList> CreateObjectImages() { return MakeList(ObjectPictures()); }

std::unique_ptr<TResizableImageList> CreatePlayerImages() {
  auto list = MakeList(PlayerPictures());
  list->BlendColor = clWhite;
  return list;
}

std::unique_ptr<TResizableImageList> CreateCharacterImages() { return MakeList(CharacterPictures()); }

}  // namespace detonix
