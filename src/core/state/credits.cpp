#include "core/state/credits.h"

#include <utility>

namespace tunebelt {

CreditsRoll::CreditsRoll(std::vector<std::string> lines, int startTop)
    : lines_(std::move(lines)), startTop_(startTop) {
  if (empty()) return;
  positionTop_ = startTop_;
  readCredit();
  positionCaption_ = creditPosition_;
  nameCaption_ = creditName_;
}

const std::string& CreditsRoll::nextLine() {
  if (next_ >= lines_.size()) next_ = 0;
  return lines_[next_++];
}

void CreditsRoll::readCredit() {
  creditPosition_ = nextLine();
  creditName_ = nextLine();
}

void CreditsRoll::setStartTop(int startTop) {
  startTop_ = startTop;
  if (!ticked_ && !empty()) positionTop_ = startTop;
}

void CreditsRoll::tick() {
  if (empty()) return;
  ticked_ = true;
  positionCaption_ = creditPosition_;
  nameCaption_ = creditName_;
  visible_ = true;
  if (positionTop_ < kTopLimit) {
    visible_ = false;
    positionTop_ = startTop_;
    readCredit();
  }
  positionTop_ -= kStep;
  nameTop_ = positionTop_ + kPositionHeight;
}

}  // namespace tunebelt
