#pragma once

#include <QFont>

// The calendar centres titles by their CP949 byte width, so it needs a fixed-pitch
// font in which a Hangul syllable is exactly two Latin widths: 굴림체 where it is
// installed, otherwise D2Coding or NanumGothicCoding.
namespace worktide {

QFont FixedPitchKoreanFont(int pointSize = 10);

} // namespace worktide
