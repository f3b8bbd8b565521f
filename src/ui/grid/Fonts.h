#pragma once

#include <QFont>

// The calendar centres titles by their CP949 byte width, so it needs a fixed-pitch
// font in which a Hangul syllable is exactly two Latin widths: 굴림체 where it is
// installed, otherwise D2Coding or NanumGothicCoding.
namespace worktide {

QFont FixedPitchKoreanFont(int pointSize = 10);

// Makes the program's fonts known before the first window, one implementation per
// platform. On Windows the fonts shipped in the "fonts" folder beside the program
// (NanumGothicCoding for the calendar) are loaded, and the windows use the system's Korean
// font, 맑은 고딕, with the shipped Nanum fonts where it is missing. On Linux the package's
// fonts are installed system-wide and the desktop's own font is kept.
void InstallProgramFonts();

} // namespace worktide
