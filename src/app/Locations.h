#pragma once
// Where things are on this machine: filled once by a program's start-up (or
// a test) from the environment, and handed to what needs it.

#include <ctime>
#include <string>

#include "base/Result.h"
#include "platform/Resources.h"

namespace quillary::app {

struct Locations {
    Resources resources;
    std::string dataHome;      // $XDG_DATA_HOME, else ~/.local/share
    std::string textutilPath;  // $QUILLARY_TEXTUTIL, else quillary-textutil beside the executable
    // No converter named by $QUILLARY_TEXTUTIL: the build reads rich text
    // itself, and runs the program above for anything else.
    bool readRtfInProcess = false;
    std::string tempParent;        // where the Kindle converter's private folders are made; empty: $TMPDIR or /tmp
    std::string epubcheckCommand;  // EPUBCheck's command line without the book; "" when not installed
};

// $QUILLARY_RESOURCES, else the resources beside the running executable;
// $XDG_DATA_HOME, else ~/.local/share; $QUILLARY_TEXTUTIL, else
// quillary-textutil beside the running executable, and rich text read in
// process; EPUBCheck as epubCheckCommand finds it, with $QUILLARY_EPUBCHECK
// as its override.
Locations locationsFromEnvironment();

// The time a build dates its archives' entries: SOURCE_DATE_EPOCH as the
// reproducible-builds convention defines it (a decimal count of seconds),
// else now. A value of another form is ignored rather than guessed at.
std::time_t entryTimeFromEnvironment();

// The application data folder ($XDG_DATA_HOME/Quillary), made on demand.
Result<std::string> applicationDirectory(const Locations& locations);

}  // namespace quillary::app
