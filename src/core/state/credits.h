// The credits roll of the about box, without its timer: each tick moves the
// current credit (a position line above a name line) up by 20 twips; once
// the position line has risen past the heading, both lines vanish for one
// tick and the next credit starts again from the bottom.
#pragma once

#include <string>
#include <vector>

namespace tunebelt {

class CreditsRoll {
 public:
  // Measures of the two labels, in twips.
  static constexpr int kPositionHeight = 375;
  static constexpr int kNameHeight = 1335;
  static constexpr int kPositionTop = 2160;  // as laid out, before the roll starts
  static constexpr int kNameTop = 2400;
  static constexpr int kTopLimit = 2250;  // a position line above this is replaced
  static constexpr int kStep = 20;

  // The start top for a window of this outer height.
  static int startTopFor(int outerHeightTwips) {
    return outerHeightTwips - (kNameHeight + kPositionHeight);
  }

  // The lines of the credits file, position and name alternating. With no
  // lines the roll never shows anything.
  CreditsRoll(std::vector<std::string> lines, int startTop);

  void tick();
  // The start top once the window's outer height is known (it is only once
  // the window system has framed the window). Before the first tick the
  // current credit moves there too.
  void setStartTop(int startTop);
  int startTop() const { return startTop_; }

  bool empty() const { return lines_.empty(); }
  bool visible() const { return visible_; }  // both labels together
  int positionTop() const { return positionTop_; }
  int nameTop() const { return nameTop_; }
  const std::string& positionCaption() const { return positionCaption_; }
  const std::string& nameCaption() const { return nameCaption_; }

 private:
  // The next line of the file; a read past the end starts again at the top.
  const std::string& nextLine();
  void readCredit();

  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  int startTop_;
  int positionTop_ = kPositionTop;
  int nameTop_ = kNameTop;
  bool visible_ = false;
  bool ticked_ = false;
  std::string creditPosition_;
  std::string creditName_;
  std::string positionCaption_ = "Position";
  std::string nameCaption_ = "Name";
};

}  // namespace tunebelt
