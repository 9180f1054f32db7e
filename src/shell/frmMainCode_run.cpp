#include "shell/frmMainCode.h"

namespace nv {

// The cleaning run is wired in with the engine.
void frmMainCode::CleanNow() {}

}  // namespace nv
