#pragma once
// The main window of the command line: the flags fill the fields, the save
// panel is answered by -o, alerts go to standard error, and the progress bar
// is drawn on the terminal when standard error is one.

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "platform/Window.h"

namespace quillary {

class CliWindow : public Window {
public:
    explicit CliWindow(std::FILE* messages = stderr);
    // `terminal`: a person watches `messages`, so progress is drawn there.
    CliWindow(std::FILE* messages, bool terminal);

    // Prints a line for the person watching, on a line of its own even
    // while the progress line is drawn.
    void say(const std::string& line);
    // Moves the spinner on while a step of unknown length runs; called by
    // the main loop whenever it has waited a moment for the next step.
    void tick();
    // Alerts with these title keys are not printed: the command line
    // reports what they say in its own way (the problems, one per line).
    void leaveUnprinted(std::set<std::string> titleKeys) { unprintedKeys_ = std::move(titleKeys); }

    // The answer the save panel gives: empty parts take the panel's proposal.
    void answerSavePanelWith(const std::string& name, const std::string& folder);

    std::string fieldText(BookField field) const override;
    void setFieldText(BookField field, const std::string& text) override { fields_[field] = text; }
    CivilDate pubDate() const override { return date_; }
    void setPubDate(const CivilDate& date) override { date_ = date; }
    int languageIndex() const override { return language_; }
    void setLanguageIndex(int index) override { language_ = index; }
    std::string manuscriptLocation() const override { return manuscript_; }
    void setManuscriptLocation(const std::string& name) override { manuscript_ = name; }
    void setCoverPreview(const std::string&) override {}
    void setMakeEnabled(bool) override {}
    bool kindleChecked() const override { return kindle_; }
    void setKindleChecked(bool on) override { kindle_ = on; }
    bool epub3Checked() const override { return epub3_; }
    void setEpub3Checked(bool on) override { epub3_ = on; }
    void setStatusHidden(bool hidden) override;
    void setStatusText(const std::string& text) override;
    void setProgressHidden(bool hidden) override;
    void setProgressIndeterminate(bool on) override;
    void setProgressRange(double minimum, double maximum) override;
    void setProgressValue(double value) override;
    void showAlert(const Alert& alert) override;
    void beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) override;
    // There is no one to choose a manuscript: the panel counts as cancelled.
    void beginOpenPanel(const OpenPanelRequest&, OpenPanelEnded ended) override { ended(0, {}); }

private:
    void drawProgress();
    void clearProgressLine();

    std::FILE* out_;
    bool terminal_;
    std::map<BookField, std::string> fields_;
    CivilDate date_;
    int language_ = 0;
    std::string manuscript_;
    bool kindle_ = false;
    bool epub3_ = true;
    std::string saveName_, saveFolder_;
    std::string status_;
    bool statusShown_ = false, indeterminate_ = true;
    double minimum_ = 0, maximum_ = 0, value_ = 0;
    int drawnPercent_ = -1;
    std::size_t spinnerFrame_ = 0;
    bool lineDrawn_ = false;
    std::set<std::string> printedAlerts_;
    std::set<std::string> unprintedKeys_;
};

}  // namespace quillary
