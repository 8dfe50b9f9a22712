#pragma once

#include <cstdint>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace detonix::wayland {

// The keyboard's layout as the compositor sends it, compiled by libxkbcommon: which key means what.
class TKeyboard {
 public:
  TKeyboard();
  ~TKeyboard();
  TKeyboard(const TKeyboard&) = delete;
  TKeyboard& operator=(const TKeyboard&) = delete;

  // The compositor's keymap (wl_keyboard.keymap); takes FD. A keymap that cannot be read leaves
  // none, and every key means nothing in particular.
  void Keymap(uint32_t format, int fd, uint32_t size);
  void Modifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group);
  // The key's symbol in the current layout, without the modifiers' effect, as X11's
  // XLookupKeysym(event, 0) gives it: Ctrl+Q and Shift+Q are both q. 0: none.
  uint32_t Symbol(uint32_t key) const;

 private:
  xkb_context* FContext;
  xkb_keymap* FKeymap = nullptr;
  xkb_state* FState = nullptr;
};

}  // namespace detonix::wayland
