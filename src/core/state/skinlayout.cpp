#include "core/state/skinlayout.h"

namespace tunebelt {

SkinLayout LayoutSkin(const SkinLayoutInput& in) {
  SkinLayout out;
  const int rowTop = in.titleHeight;
  // The row is chained left to right: each piece starts where the one before
  // it ends, so wider pictures push everything after them.
  out.leftside = {0, rowTop};
  out.add = {in.leftside.width, rowTop};
  out.playlist = {out.add.left + in.add.width, rowTop};
  out.remove = {out.playlist.left + in.playlist.width, rowTop};
  out.writeScript = {out.remove.left + in.remove.width, rowTop};
  out.rightside = {out.writeScript.left + in.writeScript.width, rowTop};
  out.playlistBackground = {in.playlistBackgroundLeft, out.leftside.top + in.leftside.height};
  out.addHover = out.add;
  out.playlistHover = out.playlist;
  out.removeHover = out.remove;
  out.writeScriptHover = out.writeScript;
  out.moveButtonsLeft = in.list.left + in.list.width + kMoveButtonGap;
  return out;
}

}  // namespace tunebelt
