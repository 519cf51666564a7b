#pragma once
// A main window that records what the controller does to it and answers the
// panels and alerts from a script.

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Window.h"

namespace quillary::testing {

class FakeWindow : public Window {
public:
    // ---- script ----
    // Panels stay open: the test confirms them by calling the controller.
    // Alerts with an end callback are answered with these codes in order;
    // when empty they stay up (recorded, callback not called).
    std::deque<int> alertAnswers;

    // ---- record ----
    std::vector<Alert> alerts;
    std::vector<BuildReport> reports;
    std::vector<BuildReport> checkReports;
    std::vector<SavePanelRequest> savePanels;
    std::vector<OpenPanelRequest> openPanels;
    OpenPanelEnded pendingOpen;
    bool statusHidden = true;
    std::string statusText;
    bool progressHidden = true;
    bool progressIndeterminate = false;
    double progressMax = 0;
    bool makeEnabled = false;
    std::string coverPreview = "<none>";
    std::string informationSource;
    std::string fieldAdvice;

    // ---- Window ----
    std::string fieldText(BookField field) const override;
    void setFieldText(BookField field, const std::string& text) override { fields_[field] = text; }
    CivilDate pubDate() const override { return date_; }
    void setPubDate(const CivilDate& date) override { date_ = date; }
    std::string language() const override { return language_; }
    void setLanguage(const std::string& stored) override { language_ = stored; }
    void setInformationSource(const std::string& line) override { informationSource = line; }
    void setFieldAdvice(const std::string& advice) override { fieldAdvice = advice; }
    std::string manuscriptLocation() const override { return manuscript_; }
    void setManuscriptLocation(const std::string& name) override { manuscript_ = name; }
    void setCoverPreview(const std::string& path) override { coverPreview = path; }
    void setMakeEnabled(bool enabled) override { makeEnabled = enabled; }
    bool kindleChecked() const override { return kindle_; }
    void setKindleChecked(bool on) override { kindle_ = on; }
    bool epub3Checked() const override { return epub3_; }
    void setEpub3Checked(bool on) override { epub3_ = on; }
    void setStatusHidden(bool hidden) override { statusHidden = hidden; }
    void setStatusText(const std::string& text) override { statusText = text; }
    void setProgressHidden(bool hidden) override { progressHidden = hidden; }
    void setProgressIndeterminate(bool on) override { progressIndeterminate = on; }
    void setProgressRange(double, double maximum) override { progressMax = maximum; }
    void setProgressValue(double) override {}
    void showAlert(const Alert& alert) override;
    void showBuildReport(const BuildReport& report) override { reports.push_back(report); }
    void showBookCheck(const BuildReport& report) override { checkReports.push_back(report); }
    void beginSavePanel(const SavePanelRequest& request, SavePanelEnded) override { savePanels.push_back(request); }
    void beginOpenPanel(const OpenPanelRequest& request, OpenPanelEnded ended) override {
        openPanels.push_back(request);
        pendingOpen = std::move(ended);
    }

private:
    std::map<BookField, std::string> fields_;
    CivilDate date_{2024, 5, 17};
    std::string language_ = "0";
    std::string manuscript_;
    bool kindle_ = false;
    bool epub3_ = true;
};

}  // namespace quillary::testing
