#include "qt/skin.h"

#include <QPixmap>

#include "core/state/skinlayout.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

namespace {

struct SkinStep {
  const char* file;
  const char* control;
};

// In the order the pictures are loaded.
constexpr SkinStep kSteps[] = {
    {"title.jpg", "imgTitle"},          {"leftside.jpg", "imgLeftside"},
    {"addtrack.jpg", "imgAdd"},         {"addplaylist.jpg", "imgPlaylist"},
    {"removetrack.jpg", "imgRemove"},   {"savescript.jpg", "imgWriteScript"},
    {"rightside.jpg", "imgRightside"},  {"playlist.jpg", "imgPlbg"},
    {"addtrackg.jpg", "imgAddb"},       {"addplaylistg.jpg", "imgPlaylistb"},
    {"removetrackg.jpg", "imgRemoveb"}, {"savescriptg.jpg", "imgWriteScriptb"},
    {"trackup.jpg", "cmdTrackup"},      {"trackdown.jpg", "cmdTrackDown"},
};

TwipsSize sizeOf(const QWidget* w) {
  return {twips(w->width()), twips(w->height())};
}

void place(QWidget* w, TwipsPoint at) {
  w->move(px(at.left), px(at.top));
}

}  // namespace

void LoadSkin(QWidget* window, const QString& skin, const QString& applicationFolder) {
  const QString folder = applicationFolder + "/background/" + skin + "/";
  auto image = [window](const char* name) {
    auto* w = window->findChild<ImageWidget*>(name);
    Q_ASSERT(w);
    return w;
  };
  for (const SkinStep& step : kSteps) {
    QPixmap picture;
    if (picture.load(folder + step.file)) image(step.control)->setPicture(picture);
  }

  const QWidget* list = window->findChild<QWidget*>("lstPlaylist");
  Q_ASSERT(list);
  SkinLayoutInput in;
  in.titleHeight = twips(image("imgTitle")->height());
  in.leftside = sizeOf(image("imgLeftside"));
  in.add = sizeOf(image("imgAdd"));
  in.playlist = sizeOf(image("imgPlaylist"));
  in.remove = sizeOf(image("imgRemove"));
  in.writeScript = sizeOf(image("imgWriteScript"));
  in.playlistBackgroundLeft = twips(image("imgPlbg")->x());
  const QRect lr = list->geometry();
  in.list = {twips(lr.x()), twips(lr.y()), twips(lr.width()), twips(lr.height())};

  const SkinLayout out = LayoutSkin(in);
  place(image("imgLeftside"), out.leftside);
  place(image("imgAdd"), out.add);
  place(image("imgPlaylist"), out.playlist);
  place(image("imgRemove"), out.remove);
  place(image("imgWriteScript"), out.writeScript);
  place(image("imgRightside"), out.rightside);
  place(image("imgPlbg"), out.playlistBackground);
  place(image("imgAddb"), out.addHover);
  place(image("imgPlaylistb"), out.playlistHover);
  place(image("imgRemoveb"), out.removeHover);
  place(image("imgWriteScriptb"), out.writeScriptHover);
  for (const char* name : {"cmdTrackup", "cmdTrackDown"}) {
    ImageWidget* w = image(name);
    w->move(px(out.moveButtonsLeft), w->y());
  }
}

}  // namespace tunebelt::qt
