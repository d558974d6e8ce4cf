// The pictures of the keypad, drawn by the program at start: a normal and a
// lit picture for every key, the frames painted around the keys, the page
// selector, the always-visible switch and the review key. All are drawn at
// the screen's device-pixel ratio so that they stay crisp.
#pragma once

#include <QPixmap>
#include <QSize>

#include "ui/logic/keypad.h"
#include "ui/logic/look.h"

namespace tarvo::ui {

// Size of a key's picture (the wide utility keys, the rest).
QSize KeySize(Key key);
// The key's caption on its face, in the colours of its family in `look`.
QPixmap KeyPicture(Key key, bool lit, qreal dpr, Look look = Look::kDefault);
// The recessed frame a key sits in, painted on the window at the key's
// resting place less two pixels.
QPixmap KeyFrame(Key key, qreal dpr, Look look = Look::kDefault);

inline constexpr int kSelectorWidth = 118, kSelectorHeight = 26;
QPixmap PageSelectorPicture(int page, qreal dpr, Look look = Look::kDefault);

inline constexpr int kPinSize = 18;
QPixmap AlwaysVisiblePicture(bool on, qreal dpr, Look look = Look::kDefault);

inline constexpr int kReviewWidth = 18, kReviewHeight = 28;
// 0 at rest, 1 upper half pressed, 2 lower half pressed.
QPixmap ReviewPicture(int state, qreal dpr, Look look = Look::kDefault);

}  // namespace tarvo::ui
