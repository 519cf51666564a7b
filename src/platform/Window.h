#pragma once
// The main window as the application's logic sees it: the book's fields,
// the status line and progress bar, the make command, the option check
// boxes, the cover preview, alerts shown as sheets, and the save and open
// panels. Every call is made on the main thread.

#include <functional>
#include <string>
#include <vector>

#include "platform/Alerts.h"

namespace quillary {

enum class BookField { Title, Author, Publisher, Copyright, Isbn, Genre };

struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct SavePanelRequest {
    std::string proposedName;   // "Book.epub"
    std::string directory;      // starting folder
    std::string allowedType;    // "epub"
};
// Result code 1 means confirmed; name is the name field's text, folder the
// panel's folder.
using SavePanelEnded =
    std::function<void(const std::string& name, const std::string& folder, int returnCode)>;

struct OpenPanelRequest {
    std::vector<std::string> allowedTypes;  // extensions, such as "rtf"; empty: any file
    std::string directory;
    std::string title{};  // what the panel is for, as its title says; "" for the usual
};
using OpenPanelEnded = std::function<void(int returnCode, const std::string& path)>;

class Window : public AlertPresenter {
public:

    virtual std::string fieldText(BookField field) const = 0;
    virtual void setFieldText(BookField field, const std::string& text) = 0;
    virtual CivilDate pubDate() const = 0;
    virtual void setPubDate(const CivilDate& date) = 0;
    // The language as the book information stores it: an index of the quick
    // list ("7"), else the tag the author typed ("en-GB"), as typed.
    virtual std::string language() const = 0;
    virtual void setLanguage(const std::string& stored) = 0;

    // One line under the fields saying where they came from ("" hides it),
    // and one with advice on what was typed into them, such as a wrong ISBN
    // check digit ("" hides it).
    virtual void setInformationSource(const std::string& line) = 0;
    virtual void setFieldAdvice(const std::string& advice) = 0;

    virtual std::string manuscriptLocation() const = 0;
    virtual void setManuscriptLocation(const std::string& fileName) = 0;
    // A path to the cover image, or empty for the application's icon.
    virtual void setCoverPreview(const std::string& imagePath) = 0;
    virtual void setMakeEnabled(bool enabled) = 0;

    virtual bool kindleChecked() const = 0;
    virtual void setKindleChecked(bool on) = 0;
    virtual bool epub3Checked() const = 0;
    virtual void setEpub3Checked(bool on) = 0;

    virtual void setStatusHidden(bool hidden) = 0;
    virtual void setStatusText(const std::string& text) = 0;

    virtual void setProgressHidden(bool hidden) = 0;
    // Indeterminate and animating, or determinate and still.
    virtual void setProgressIndeterminate(bool indeterminate) = 0;
    virtual void setProgressRange(double minimum, double maximum) = 0;
    virtual void setProgressValue(double value) = 0;

    // Shows the panel as a sheet and returns at once; `ended` is called once.
    virtual void beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) = 0;
    virtual void beginOpenPanel(const OpenPanelRequest& request, OpenPanelEnded ended) = 0;

    // The report every build ends with, made or not; shown beside the main
    // window, never blocking it.
    virtual void showBuildReport(const BuildReport& report) = 0;
    // The verdict of a check the author asked for (Check Book…), in a view
    // of its own beside the main window.
    virtual void showBookCheck(const BuildReport& report) = 0;

    // The running build has ended, made or failed; the make command is back.
    // A window that waits for nothing need not listen.
    virtual void buildEnded() {}
};

}  // namespace quillary
