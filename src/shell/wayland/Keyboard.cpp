#include "shell/wayland/Keyboard.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace detonix::wayland {

TKeyboard::TKeyboard() : FContext(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

TKeyboard::~TKeyboard() {
  xkb_state_unref(FState);
  xkb_keymap_unref(FKeymap);
  xkb_context_unref(FContext);
}

void TKeyboard::Keymap(uint32_t format, int fd, uint32_t size) {
  xkb_state_unref(FState);
  xkb_keymap_unref(FKeymap);
  FState = nullptr;
  FKeymap = nullptr;
  void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0 && FContext
                   ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                   : MAP_FAILED;
  close(fd);
  if (text == MAP_FAILED) return;
  // Compositors count the text's terminating zero in its size, or not.
  const char* chars = static_cast<const char*>(text);
  FKeymap = xkb_keymap_new_from_buffer(FContext, chars, strnlen(chars, size), XKB_KEYMAP_FORMAT_TEXT_V1,
                                       XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (FKeymap) FState = xkb_state_new(FKeymap);
}

void TKeyboard::Modifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group) {
  if (FState) xkb_state_update_mask(FState, depressed, latched, locked, 0, 0, group);
}

uint32_t TKeyboard::Symbol(uint32_t key) const {
  if (!FState) return 0;
  // Wayland counts keys as the kernel does; XKB from 8, as X11 did.
  const xkb_keycode_t code = key + 8;
  const xkb_keysym_t* symbols = nullptr;
  const int count =
      xkb_keymap_key_get_syms_by_level(FKeymap, code, xkb_state_key_get_layout(FState, code), 0, &symbols);
  return count > 0 ? symbols[0] : 0;
}

}  // namespace detonix::wayland
