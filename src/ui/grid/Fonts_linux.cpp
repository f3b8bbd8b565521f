#include "ui/grid/Fonts.h"

namespace worktide {

// The package depends on the Nanum fonts; fontconfig finds them and picks Hangul fallbacks.
void InstallProgramFonts() {}

} // namespace worktide
