// A user at a virtual desktop: real pointer and key events through the X test extension, at
// places in a top-level window's client area. The X headers stay in the unit's own source,
// as their macros clash with the platform's names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DesktopUser {
 public:
  explicit DesktopUser(const std::string& display);
  ~DesktopUser();
  DesktopUser(const DesktopUser&) = delete;
  DesktopUser& operator=(const DesktopUser&) = delete;

  // Waits for the window with this title to be shown, and works in it from then on.
  bool WaitForWindow(const std::string& title);
  void Click(int x, int y);
  // `key`: an X key name ("Up", "Tab", "End", "a"), pressed while Shift or Ctrl is held.
  void Key(const std::string& key, bool shift = false, bool control = false);
  void Type(const std::string& text);
  // Replaces the text of the field under the point.
  void Retype(int x, int y, const std::string& text);
  // Where the window lies on the screen.
  struct Area {
    int left, top, width, height;
  };
  Area Place() const;
  // What the window shows, in a rectangle or whole, row by row, each pixel 0xRRGGBB.
  std::vector<std::uint32_t> Pixels(int x, int y, int width, int height) const;
  std::vector<std::uint32_t> Pixels() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
