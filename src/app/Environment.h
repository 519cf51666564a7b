#pragma once
// Where things are on this machine, as a program's start-up reads them from
// its environment.

#include "controller/VoveZedevir.h"

namespace quillary {

// $QUILLARY_RESOURCES, else the resources beside the running executable;
// $XDG_DATA_HOME, else ~/.local/share; $QUILLARY_TEXTUTIL, else
// quillary-textutil beside the running executable, and rich text read in
// process; EPUBCheck as epubCheckCommand finds it, with $QUILLARY_EPUBCHECK
// as its override.
Locations locationsFromEnvironment();

}  // namespace quillary
