#pragma once
// The manuscript the window works on: chosen in the open panel or handed in
// by the desktop, and loaded into the window with the book information
// stored for it and its cover's preview. Main thread.

#include <functional>
#include <string>

#include "book/BookInfo.h"
#include "platform/Localizer.h"
#include "platform/Preferences.h"
#include "platform/Window.h"

namespace quillary::app {

// The window's fields as typed, in the form the book information takes.
BookInfo fieldsOf(const Window& window);

class ManuscriptSession {
public:
    // `dataFolder` is where earlier builds stored book information ("" when
    // there is none); `texts` speak to the author and outlive the session.
    ManuscriptSession(Window& window, Preferences& preferences, std::string dataFolder, const Localizer& texts);

    // The open panel, starting in the folder above the last manuscript's;
    // `chosen` gets the manuscript the author picks (not when cancelled).
    void choose(std::function<void(const std::string& path)> chosen);

    // Loads the manuscript into the window: the stored book information
    // fills the fields (the first manuscript without any leaves what the
    // author typed before choosing it; a later one resets them), the line
    // under them says where they came from, the cover shows, and the make
    // command is enabled.
    void load(const std::string& path);

    // The author changed a field: the fields are stored for this manuscript
    // at once, so that quitting or choosing another manuscript loses
    // nothing, and the advice line says what is wrong with what was typed.
    // Nothing is stored before a manuscript is loaded.
    void fieldsEdited();

    const std::string& manuscript() const { return manuscript_; }

private:
    Window& window_;
    Preferences& preferences_;
    std::string dataFolder_;
    std::string manuscript_;
    const Localizer& texts_;
};

}  // namespace quillary::app
